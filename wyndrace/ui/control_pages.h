// The download wizard's pages for the control table: the event type the readings become, which
// value of a reading fills which parameter, and the readings to check and edit before they are
// applied. They work on the wizard's CDownloadState; the flock is changed only by the apply page.
#pragma once

#include <array>

#include "document/ui/sheet.h"
#include "wyndrace/download_model.h"

class CEditListCtrl;
class wxButton;
class wxChoice;
class wxListBox;
class wxListCtrl;
class wxRadioButton;
class wxStaticText;

constexpr unsigned kDownloadEventTypePageId = 2006;
constexpr unsigned kDownloadMappingPageId = 2007;

constexpr int IDC_DL_LB = 2034;
constexpr int IDC_DL_KG = 2036;
constexpr int IDC_DL_ADDRESS = 2038;

class CDownloadWizard15 : public CCvlPropertyPage {
public:
    CDownloadWizard15(CDownloadState& state, IDownloadDocument& doc);
    void OnSetActive() override;
    int OnWizardNext() override;
    wxListBox* GetCodes() const { return m_pCodes; }

protected:
    void OnCreateControls(wxPanel* panel) override;

private:
    CDownloadState& m_state;
    IDownloadDocument& m_doc;
    std::vector<CEventCodeInfo> m_codes;
    wxListBox* m_pCodes = nullptr;
};

class CDownloadWizard16 : public CCvlPropertyPage {
public:
    CDownloadWizard16(CDownloadState& state, IDownloadDocument& doc);
    void OnSetActive() override;
    int OnWizardNext() override;

    struct Row {
        wxStaticText* label = nullptr;
        wxRadioButton* read = nullptr;
        wxRadioButton* manual = nullptr;
        wxChoice* field = nullptr;
    };
    const Row& GetRow(int k) const { return m_rows.at(size_t(k)); }
    wxListCtrl* GetSample() const { return m_pSample; }

protected:
    void OnCreateControls(wxPanel* panel) override;

private:
    void UpdateRow(int k);

    CDownloadState& m_state;
    IDownloadDocument& m_doc;
    wxListCtrl* m_pSample = nullptr;
    std::array<Row, 3> m_rows;
};

class CDownloadWizard17 : public CCvlPropertyPage {
public:
    CDownloadWizard17(CDownloadState& state, IDownloadDocument& doc);
    void OnSetActive() override;
    int OnWizardNext() override;
    int OnWizardBack() override;

    // The user picks a unit; false (and the unit as it was) when a weight is not a number.
    bool ChooseUnit(WeightUnit unit);
    // The Address button.
    void NewAddress();
    // An edit of a cell finished (as the list reports it).
    void CellEdited(int row, int column, const WString& text, bool cancelled);

    CEditListCtrl* GetList() const { return m_pList; }
    wxRadioButton* GetPounds() const { return m_pLb; }
    wxRadioButton* GetKilograms() const { return m_pKg; }
    wxButton* GetAddressButton() const { return m_pAddress; }

protected:
    void OnCreateControls(wxPanel* panel) override;

private:
    int ParameterOfType(long type) const;
    void ShowParameter(int k);
    void SelectOnly(long item);
    void ShowUnit(WeightUnit unit);

    CDownloadState& m_state;
    IDownloadDocument& m_doc;
    CEditListCtrl* m_pList = nullptr;
    wxRadioButton* m_pLb = nullptr;
    wxRadioButton* m_pKg = nullptr;
    wxRadioButton* m_pNone = nullptr;
    wxButton* m_pAddress = nullptr;
};
