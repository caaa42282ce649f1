// The address dialogs: the picker, the details page that edits a local address, the choice of a new
// address's kind; the address list they and the address browser share; and the dialogs the
// records' address edits show (installed by the program).
#pragma once

#include <wx/dialog.h>

#include "document/ui/sheet.h"
#include "records/address.h"

class CSheepDoc;
class wxButton;
class wxListCtrl;
class wxListEvent;
class wxRadioButton;
class wxTextCtrl;

constexpr int IDC_ADDRESS_LIST = 1408;
constexpr int IDC_ADDRESS_NEW = 1409;
constexpr int IDC_ADDRESS_PROPERTIES = 1410;
constexpr int IDC_ADDRESS_DISPLAY_AS = 1176;
constexpr int IDC_ADDRESS_POSTAL = 1178;
constexpr int IDC_ADDRESS_TELEPHONE = 1179;
constexpr int IDC_ADDRESS_FAX = 1180;
constexpr int IDC_ADDRESS_EMAIL = 1181;
constexpr int IDC_ADDRESS_POST_CODE = 1405;
constexpr int IDC_ADDRESS_TYPE_LOCAL = 1417;
constexpr int IDC_ADDRESS_TYPE_BOOK = 1418;

// ---- the address list ----------------------------------------------------------------------------
// The six columns, once (a list that has them is left alone).
void CvlInsertAddressColumns(wxListCtrl* list);
// One row per address in the map's order, the row's item data the address object; then every column
// sized to its header and content.
void CvlShowAddresses(wxListCtrl* list, const CSheepDoc& doc);
// The row's six cells from the address.
void CvlWriteAddressRow(wxListCtrl* list, long row, CAddress* address);
// The address object of a row (null for none).
CAddress* CvlAddressAt(wxListCtrl* list, long row);
// The selected rows in list order.
std::vector<long> CvlSelectedRows(wxListCtrl* list);
// The row whose address is filed under name: the exact key first, else the first key that equals it
// without regard to case; -1 when none.
long CvlFindAddressRow(wxListCtrl* list, const CSheepDoc& doc, const WString& name);

// ---- the details page ------------------------------------------------------------------------------
class CAddressDetailsPage : public CCvlPropertyPage {
public:
    explicit CAddressDetailsPage(IFlockDocument* doc);

    WString m_strAddress;
    WString m_strTelephone;
    WString m_strFax;
    WString m_strPostCode;
    WString m_strEmail;
    WString m_strDisplayName;
    bool m_bNew = false;  // the display name must not be filed yet

    // Reads the edits; refuses (53, 54, 192) with the focus on the offending edit.
    bool OnApply() override;

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    IFlockDocument* m_pDoc;
    wxTextCtrl* m_pEdits[6] = {};
};

// Runs the "Address Details" sheet over parent on the details; IDOK or IDCANCEL.
int CvlRunAddressDetails(wxWindow* parent, IFlockDocument* doc, IAddressDialogs::CDetails& details,
                         bool isNew);

// ---- the kind of a new address -------------------------------------------------------------------
class CAddressTypeDlg : public wxDialog {
public:
    explicit CAddressTypeDlg(wxWindow* parent);

    int m_nChoice = 0;  // 0 local, 1 address book

    // A click on a choice ends the dialog with OK and that choice.
    void Choose(int choice);
    void PressOk();

private:
    wxRadioButton* m_pLocal = nullptr;
    wxRadioButton* m_pBook = nullptr;
};

// ---- the picker ------------------------------------------------------------------------------------
class CAddressBrowserDlg : public wxDialog {
public:
    CAddressBrowserDlg(CSheepDoc* doc, wxWindow* parent);

    // In: the name to preselect. Out after OK: the key of the chosen address (empty for none).
    WString m_strName;

    // Preselects the row of the name, then runs: IDOK or IDCANCEL.
    int DoModal();
    wxListCtrl* GetList() const { return m_pList; }
    // The buttons and the double click, as the user works them.
    void PressNew();
    void PressProperties();
    void PressOk();
    void EditRow(long row);

private:
    void Fill();
    void UpdateButtons();

    CSheepDoc* m_pDoc;
    wxListCtrl* m_pList = nullptr;
    wxButton* m_pProperties = nullptr;
    wxButton* m_pOk = nullptr;
};

// ---- the records' dialogs --------------------------------------------------------------------------
// Installs the wx address dialogs for the records while it lives, and puts the previous ones back.
class CWxAddressDialogs : public IAddressDialogs {
public:
    CWxAddressDialogs();
    ~CWxAddressDialogs();
    CWxAddressDialogs(const CWxAddressDialogs&) = delete;
    CWxAddressDialogs& operator=(const CWxAddressDialogs&) = delete;

    int EditDetails(long parentHandle, IFlockDocument* doc, CDetails& details, bool isNew) override;
    bool ChooseAddressType(long parentHandle, int* type) override;

private:
    IAddressDialogs* m_pPrevious;
};
