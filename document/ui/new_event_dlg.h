// The New Event dialog on wx: a new event for an animal, or the parameters of an existing one.
#pragma once

#include <wx/dialog.h>

#include "document/event_entry.h"
#include "document/ui/sheep_dialogs_wx.h"

class wxButton;
class wxChoice;
class wxDatePickerCtrl;
class wxRadioButton;
class wxStaticBox;
class wxStaticText;
class wxTextCtrl;

class CNewEventDlg : public wxDialog {
public:
    // The model is filled (Init) before; without a picker the document's frame runs the address
    // browser.
    CNewEventDlg(CSheepDoc* doc, CNewEventModel& model, wxWindow* parent, CvlAddressPicker picker = {});

    CNewEventModel& GetModel() { return m_model; }
    wxChoice* GetEventCombo() const { return m_pEvents; }
    wxTextCtrl* GetEventText() const { return m_pEventText; }
    wxDatePickerCtrl* GetDatePicker() const { return m_pDate; }
    wxTextCtrl* GetParameterEdit(int row) const { return m_pEdits[row]; }
    wxStaticText* GetParameterLabel(int row) const { return m_pLabels[row]; }
    wxButton* GetBrowseButton() const { return m_pBrowse; }
    wxRadioButton* GetUnitButton(bool pounds) const { return pounds ? m_pPounds : m_pKilos; }
    wxStaticBox* GetUnitsGroup() const { return m_pUnits; }
    wxButton* GetOkButton() const { return m_pOk; }

    // As the user's actions do.
    void ChooseEvent(int index);
    void ClickUnit(bool pounds);
    void PressBrowse();
    void PressOk();

private:
    void ReadControls();
    void UpdateControls();
    void UpdateTip();

    CNewEventModel& m_model;
    CSheepDoc* m_pDoc;
    CvlAddressPicker m_picker;
    wxDatePickerCtrl* m_pDate = nullptr;
    wxChoice* m_pEvents = nullptr;
    wxTextCtrl* m_pEventText = nullptr;
    wxStaticText* m_pLabels[kShownParameters] = {};
    wxTextCtrl* m_pEdits[kShownParameters] = {};
    wxButton* m_pBrowse = nullptr;
    wxStaticBox* m_pUnits = nullptr;
    wxRadioButton* m_pPounds = nullptr;
    wxRadioButton* m_pKilos = nullptr;
    wxButton* m_pOk = nullptr;
};

// Runs the dialog modally over the model: true on OK.
bool RunNewEventDialog(wxWindow* parent, CSheepDoc& doc, CNewEventModel& model, CvlAddressPicker picker = {});
