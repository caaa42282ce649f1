// Add Dedov and Goto Dedov on wx, and the document's new-animal operation that runs Add Dedov.
#pragma once

#include <wx/dialog.h>

#include <cstdint>
#include <functional>

#include "document/sheep_dialogs.h"
#include "platform/oledate.h"
#include "platform/text.h"

class wxActivityIndicator;
class wxDateTime;
class wxButton;
class wxCheckBox;
class wxDatePickerCtrl;
class wxListCtrl;
class wxListEvent;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

// Picks an address for the seller (the address browser): true with the chosen name.
using CvlAddressPicker = std::function<bool(wxWindow* parent, CSheepDoc& doc, WString& name)>;
// A date picker's day (today for an invalid date) and back (midnight).
wxDateTime ToWxDate(const COleDateTime& date);
// The picked day with the time of day `timeOf` had (a picker shows days only; midnight without one).
COleDateTime FromWxDate(const wxDateTime& date, const COleDateTime& timeOf = COleDateTime());
// The address browser of the document's frame (the window handle is parent); false without a frame.
bool CvlBrowseAddresses(wxWindow* parent, CSheepDoc& doc, WString& name);
// The captions of field identifiers (false: the field has none).
using CvlFieldCaption = std::function<bool(int field, WString& caption)>;

class CAddSheepDlg : public wxDialog {
public:
    // Without a picker the document's frame runs the address browser (the handle is the dialog's
    // wxWindow*); without either the browse button stays disabled.
    CAddSheepDlg(CSheepDoc* doc, wxWindow* parent, CvlAddressPicker picker = {});
    CAddSheepModel& GetModel() { return m_model; }

    wxTextCtrl* GetTattooEdit() const { return m_pTattoo; }
    wxCheckBox* GetPurchaseCheck() const { return m_pPurchase; }
    wxButton* GetOkButton() const { return m_pOk; }
    bool ArePurchaseControlsEnabled() const;
    // OK, as its click does.
    void PressOk();

private:
    void UpdateControls();

    CAddSheepModel m_model;
    CvlAddressPicker m_picker;
    CSheepDoc* m_pDoc;
    wxTextCtrl* m_pTattoo = nullptr;
    wxTextCtrl* m_pPrice = nullptr;
    wxTextCtrl* m_pSeller = nullptr;
    wxButton* m_pBrowse = nullptr;
    wxCheckBox* m_pPurchase = nullptr;
    wxDatePickerCtrl* m_pDate = nullptr;
    wxButton* m_pOk = nullptr;
};

// Add Dedov, then the new animal (see AddSheepFromDialog); false when cancelled or not added.
bool NewSheep(wxWindow* parent, CSheepDoc& doc, int32_t sex, WString* newKey, const uint64_t* eid,
              CvlAddressPicker picker = {});

class CGotoSheepDlg : public wxDialog {
public:
    // Without a caption function the list takes the document's captions.
    CGotoSheepDlg(CSheepDoc* doc, wxWindow* parent, CvlFieldCaption caption = {});
    ~CGotoSheepDlg() override;
    CGotoSheepModel& GetModel() { return m_model; }

    wxTextCtrl* GetKeyEdit() const { return m_pKey; }
    wxTextCtrl* GetNumberEdit() const { return m_pNumber; }
    wxListCtrl* GetList() const { return m_pList; }
    wxButton* GetFindButton() const { return m_pFind; }
    wxRadioButton* GetModeRadio(int mode) const;
    // Find or Goto, as its click does.
    void PressFind();
    void PressCancel();

private:
    void Relayout();
    void UpdateFind();
    void ShowResults();
    void OnActivated(wxListEvent& event);

    CGotoSheepModel m_model;
    CSheepDoc* m_pDoc;
    std::vector<int> m_columns;
    int m_nFocused = -1;
    wxListCtrl* m_pList = nullptr;
    wxActivityIndicator* m_pAnimation = nullptr;
    wxStaticText* m_pKeyLabel = nullptr;
    wxTextCtrl* m_pKey = nullptr;
    wxStaticText* m_pNumberLabel = nullptr;
    wxTextCtrl* m_pNumber = nullptr;
    wxRadioButton* m_pNone = nullptr;  // GTK always checks one radio of a group: this one stands for none
    wxRadioButton* m_pModes[3] = {};
    wxButton* m_pFind = nullptr;
};
