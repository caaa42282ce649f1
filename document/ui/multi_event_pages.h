// The multiple-event wizard's pages on wx, and the wizard the document runs.
#pragma once

#include <vector>

#include "document/multi_event.h"
#include "document/ui/edit_list_ctrl.h"
#include "document/ui/sheep_dialogs_wx.h"
#include "document/ui/sheet.h"

class wxButton;
class wxChoice;
class wxComboBox;
class wxDatePickerCtrl;
class wxListCtrl;
class wxRadioButton;
class wxStaticBox;
class wxStaticText;

class CMultiEventWizard0Wnd : public CMultiEventWizard0, public CCvlPageWindow {
protected:
    void OnCreateControls(wxPanel* panel) override;
};

class CMultiEventWizard1Wnd : public CMultiEventWizard1, public CCvlPageWindow {
public:
    using CMultiEventWizard1::CMultiEventWizard1;
    void OnSetActive() override;
    wxListCtrl* GetList() const { return m_pList; }
    // A row's check box as the user clicks it.
    void CheckRow(int row, bool checked);
    void ClickSearchMode(int mode);

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    void ApplyWidths();
    wxListCtrl* m_pList = nullptr;
    wxStaticText* m_pCount = nullptr;
    wxRadioButton* m_pModes[3] = {};
    bool m_bListed = false;
};

class CMultiEventWizard2Wnd : public CMultiEventWizard2, public CCvlPageWindow {
public:
    using CMultiEventWizard2::CMultiEventWizard2;
    void OnSetActive() override;
    int OnWizardNext() override;
    wxChoice* GetEventCombo() const { return m_pEvents; }
    wxDatePickerCtrl* GetDatePicker() const { return m_pDate; }
    // Picks the event of that code; false when the list has none.
    bool ChooseCode(uint32_t code);

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    wxChoice* m_pEvents = nullptr;
    wxDatePickerCtrl* m_pDate = nullptr;
};

class CMultiEventWizard3Wnd : public CMultiEventWizard3, public CCvlPageWindow {
public:
    CMultiEventWizard3Wnd(CMultiEventWizard& wizard, CSheepDoc& doc, CvlAddressPicker picker)
        : CMultiEventWizard3(wizard), m_doc(doc), m_picker(std::move(picker)) {}
    void OnSetActive() override;
    bool OnKillActive() override;
    int OnWizardNext() override;
    wxComboBox* GetParameterBox(int row) const { return m_pBoxes[row]; }
    wxButton* GetBrowseButton() const { return m_pBrowse; }
    void PressBrowse();

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    void ReadControls();
    CSheepDoc& m_doc;
    CvlAddressPicker m_picker;
    wxStaticText* m_pLabels[kShownParameters] = {};
    wxComboBox* m_pBoxes[kShownParameters] = {};
    wxButton* m_pBrowse = nullptr;
    wxStaticBox* m_pUnits = nullptr;
    wxRadioButton* m_pPounds = nullptr;
    wxRadioButton* m_pKilos = nullptr;
};

class CMultiEventWizard4Wnd : public CMultiEventWizard4, public CCvlPageWindow {
public:
    CMultiEventWizard4Wnd(CMultiEventWizard& wizard, CSheepDoc& doc, CvlAddressPicker picker)
        : CMultiEventWizard4(wizard), m_doc(doc), m_picker(std::move(picker)) {}
    void OnSetActive() override;
    int OnWizardNext() override;
    CEditListCtrl* GetGrid() const { return m_pGrid; }
    void ClickUnit(bool pounds);
    void PressBrowse();

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    void ShowCells();
    void ShowBadRow();
    CSheepDoc& m_doc;
    CvlAddressPicker m_picker;
    CEditListCtrl* m_pGrid = nullptr;
    wxButton* m_pBrowse = nullptr;
    wxStaticBox* m_pUnits = nullptr;
    wxRadioButton* m_pPounds = nullptr;
    wxRadioButton* m_pKilos = nullptr;
};

class CMultiEventWizard5Wnd : public CMultiEventWizard5, public CCvlPageWindow {
public:
    using CMultiEventWizard5::CMultiEventWizard5;

protected:
    void OnCreateControls(wxPanel* panel) override;
};

class CMultiEventWxPages : public CMultiEventPageFactory {
public:
    CMultiEventWxPages(CSheepDoc& doc, CvlAddressPicker picker) : m_doc(doc), m_picker(std::move(picker)) {}
    CMultiEventWizard0* CreateWelcomePage() override { return new CMultiEventWizard0Wnd; }
    CMultiEventWizard1* CreateSelectPage(CMultiEventWizard& w) override {
        return new CMultiEventWizard1Wnd(w);
    }
    CMultiEventWizard2* CreateEventPage(CMultiEventWizard& w) override {
        return new CMultiEventWizard2Wnd(w);
    }
    CMultiEventWizard3* CreateDetailsPage(CMultiEventWizard& w) override {
        return new CMultiEventWizard3Wnd(w, m_doc, m_picker);
    }
    CMultiEventWizard4* CreateGridPage(CMultiEventWizard& w) override {
        return new CMultiEventWizard4Wnd(w, m_doc, m_picker);
    }
    CMultiEventWizard5* CreateCompletionPage(CMultiEventWizard& w) override {
        return new CMultiEventWizard5Wnd(w);
    }

private:
    CSheepDoc& m_doc;
    CvlAddressPicker m_picker;
};

// Runs the wizard modally for the named animals and applies it when it ends with Finish.
void RunMultiEventWizard(wxWindow* parent, CSheepDoc& doc, const std::vector<WString>& names,
                         int32_t typeFilter, CvlAddressPicker picker = {});
