#include "document/ui/address_dialogs.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "document/sheep_doc.h"
#include "document/ui/window_handles.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/strings.h"

namespace {
constexpr unsigned IDS_ENTER_DISPLAY_NAME = 53;
constexpr unsigned IDS_DISPLAY_NAME_USED = 54;
constexpr unsigned IDS_ADDRESS_DETAILS = 191;
constexpr unsigned IDS_ENTER_POSTAL = 192;

using DetailsHelp = CvlControlHelp<IDC_ADDRESS_POSTAL, IDC_ADDRESS_TELEPHONE, IDC_ADDRESS_FAX,
                                   IDC_ADDRESS_POST_CODE, IDC_ADDRESS_EMAIL, IDC_ADDRESS_DISPLAY_AS>;
CVL_HELP_TABLE(DetailsHelp::table);
using BrowserHelp = CvlControlHelp<IDC_ADDRESS_LIST, IDC_ADDRESS_NEW, IDC_ADDRESS_PROPERTIES>;
CVL_HELP_TABLE(BrowserHelp::table);
using TypeHelp = CvlControlHelp<IDC_ADDRESS_TYPE_LOCAL, IDC_ADDRESS_TYPE_BOOK>;
CVL_HELP_TABLE(TypeHelp::table);

// Modal, or shown by a test's modal driver, which reads the return code.
void FinishDialog(wxDialog& dialog, int code) {
    if (dialog.IsModal())
        dialog.EndModal(code);
    else
        dialog.SetReturnCode(code), dialog.Hide();
}

// Multi-line edits use LF; addresses keep CR LF.
wxString ToEditLines(const WString& text) {
    wxString s = ToWx(text);
    s.Replace("\r\n", "\n");
    return s;
}
WString FromEditLines(const wxString& text) {
    wxString s = text;
    s.Replace("\r\n", "\n");
    s.Replace("\n", "\r\n");
    return FromWx(s);
}
}  // namespace

// ---- the address list ----------------------------------------------------------------------------

void CvlInsertAddressColumns(wxListCtrl* list) {
    if (list->GetColumnCount() > 0) return;
    int column = 0;
    for (const WString& caption : CAddress::GetColumnCaptions())
        list->InsertColumn(column++, ToWx(caption), wxLIST_FORMAT_LEFT);
}

void CvlWriteAddressRow(wxListCtrl* list, long row, CAddress* address) {
    const std::vector<WString> cells = address->GetListRow();
    for (size_t column = 0; column < cells.size() && int(column) < list->GetColumnCount(); ++column)
        list->SetItem(row, int(column), ToWx(cells[column]));
}

void CvlShowAddresses(wxListCtrl* list, const CSheepDoc& doc) {
    long row = 0;
    for (const auto& [key, address] : doc.GetStores().Addresses()) {
        if (!address) continue;
        list->InsertItem(row, wxString());
        list->SetItemPtrData(row, wxUIntPtr(address.Get()));
        CvlWriteAddressRow(list, row, address.Get());
        ++row;
    }
    for (int column = 0; column < list->GetColumnCount(); ++column)
        list->SetColumnWidth(column, wxLIST_AUTOSIZE_USEHEADER);
}

CAddress* CvlAddressAt(wxListCtrl* list, long row) {
    if (row < 0 || row >= list->GetItemCount()) return nullptr;
    return reinterpret_cast<CAddress*>(list->GetItemData(row));
}

std::vector<long> CvlSelectedRows(wxListCtrl* list) {
    std::vector<long> rows;
    for (long row = list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); row != -1;
         row = list->GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
        rows.push_back(row);
    return rows;
}

long CvlFindAddressRow(wxListCtrl* list, const CSheepDoc& doc, const WString& name) {
    long loose = -1;
    for (long row = 0; row < list->GetItemCount(); ++row) {
        WString key;
        if (!doc.FindAddressKey(CvlAddressAt(list, row), &key)) continue;
        if (key == name) return row;
        if (loose < 0 && EqualsNoCase(key, name)) loose = row;
    }
    return loose;
}

// ---- the details page ------------------------------------------------------------------------------

CAddressDetailsPage::CAddressDetailsPage(IFlockDocument* doc) : CCvlPropertyPage(295), m_pDoc(doc) {
    SetCaption(u"Details");
}

void CAddressDetailsPage::OnCreateControls(wxPanel* panel) {
    struct Field {
        int id;
        const char* label;
        WString* value;
        bool lines;
    };
    const Field fields[] = {
        {IDC_ADDRESS_DISPLAY_AS, "Display as", &m_strDisplayName, false},
        {IDC_ADDRESS_POSTAL, "Address:", &m_strAddress, true},
        {IDC_ADDRESS_POST_CODE, "Post Code:", &m_strPostCode, false},
        {IDC_ADDRESS_TELEPHONE, "Telephone:", &m_strTelephone, false},
        {IDC_ADDRESS_FAX, "Fax:", &m_strFax, false},
        {IDC_ADDRESS_EMAIL, "E-Mail:", &m_strEmail, false},
    };
    auto* grid = new wxFlexGridSizer(2, 8, 8);
    grid->AddGrowableCol(1);
    int i = 0;
    for (const Field& field : fields) {
        grid->Add(new wxStaticText(panel, wxID_ANY, field.label), 0, wxALIGN_CENTER_VERTICAL);
        auto* edit = new wxTextCtrl(
            panel, field.id, field.lines ? ToEditLines(*field.value) : ToWx(*field.value), wxDefaultPosition,
            field.lines ? wxSize(300, 80) : wxSize(300, -1), field.lines ? wxTE_MULTILINE : 0);
        grid->Add(edit, 1, wxEXPAND);
        m_pEdits[i++] = edit;
    }
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 1, wxEXPAND | wxALL, 12);
    panel->SetSizer(sizer);
}

const CvlHelpPair* CAddressDetailsPage::GetHelpTable() const {
    return DetailsHelp::table;
}

bool CAddressDetailsPage::OnApply() {
    if (GetWindow()) {
        m_strDisplayName = FromWx(m_pEdits[0]->GetValue());
        m_strAddress = FromEditLines(m_pEdits[1]->GetValue());
        m_strPostCode = FromWx(m_pEdits[2]->GetValue());
        m_strTelephone = FromWx(m_pEdits[3]->GetValue());
        m_strFax = FromWx(m_pEdits[4]->GetValue());
        m_strEmail = FromWx(m_pEdits[5]->GetValue());
    }
    auto refuse = [this](unsigned message, int focus) {
        CvlMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
        if (wxWindow* edit = GetWindow() ? GetWindow()->FindWindow(focus) : nullptr) edit->SetFocus();
        return false;
    };
    WString shown;
    if (m_strDisplayName.empty()) return refuse(IDS_ENTER_DISPLAY_NAME, IDC_ADDRESS_DISPLAY_AS);
    if (m_bNew && m_pDoc && m_pDoc->LookupAddress(m_strDisplayName, &shown))
        return refuse(IDS_DISPLAY_NAME_USED, IDC_ADDRESS_DISPLAY_AS);
    if (m_strAddress.empty()) return refuse(IDS_ENTER_POSTAL, IDC_ADDRESS_POSTAL);
    return true;
}

int CvlRunAddressDetails(wxWindow* parent, IFlockDocument* doc, IAddressDialogs::CDetails& details,
                         bool isNew) {
    CAddressDetailsPage page(doc);
    page.m_strAddress = details.postal;
    page.m_strTelephone = details.telephone;
    page.m_strFax = details.fax;
    page.m_strPostCode = details.postCode;
    page.m_strEmail = details.email;
    page.m_strDisplayName = details.displayName;
    page.m_bNew = isNew;
    int result = SHEET_CANCEL;
    {
        CCvlPropertySheet sheet(parent, LoadCvlString(IDS_ADDRESS_DETAILS), false);
        sheet.AddPage(&page);
        result = sheet.DoModal();
    }
    if (result != SHEET_OK) return IDCANCEL;
    details = {page.m_strAddress,  page.m_strTelephone, page.m_strFax,
               page.m_strPostCode, page.m_strEmail,     page.m_strDisplayName};
    return IDOK;
}

// ---- the kind of a new address -------------------------------------------------------------------

CAddressTypeDlg::CAddressTypeDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, "Add Address") {
    auto* top = new wxBoxSizer(wxVERTICAL);
    wxFont bold = GetFont();
    bold.SetWeight(wxFONTWEIGHT_BOLD);
    m_pLocal = new wxRadioButton(this, IDC_ADDRESS_TYPE_LOCAL, "Add local Address", wxDefaultPosition,
                                 wxDefaultSize, wxRB_GROUP);
    m_pLocal->SetFont(bold);
    top->Add(m_pLocal, 0, wxLEFT | wxRIGHT | wxTOP, 12);
    top->Add(new wxStaticText(this, wxID_ANY, "The address is kept in this flock's file."), 0,
             wxLEFT | wxRIGHT | wxBOTTOM, 28);
    m_pBook = new wxRadioButton(this, IDC_ADDRESS_TYPE_BOOK, "Add Outlook address");
    m_pBook->SetFont(bold);
    top->Add(m_pBook, 0, wxLEFT | wxRIGHT, 12);
    top->Add(new wxStaticText(this, wxID_ANY, "The address is chosen from your address book."), 0,
             wxLEFT | wxRIGHT | wxBOTTOM, 28);
    auto* buttons = new wxStdDialogButtonSizer;
    auto* ok = new wxButton(this, wxID_OK);
    buttons->AddButton(ok);
    buttons->AddButton(new wxButton(this, wxID_CANCEL));
    buttons->Realize();
    top->Add(buttons, 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(top);
    m_pLocal->SetValue(true);
    m_pLocal->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { Choose(0); });
    m_pBook->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { Choose(1); });
    ok->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressOk(); });
    CvlAttachContextHelp(this, TypeHelp::table);
}

void CAddressTypeDlg::Choose(int choice) {
    m_nChoice = choice;
    FinishDialog(*this, wxID_OK);
}

void CAddressTypeDlg::PressOk() {
    m_nChoice = m_pBook->GetValue() ? 1 : 0;
    FinishDialog(*this, wxID_OK);
}

// ---- the picker ------------------------------------------------------------------------------------

CAddressBrowserDlg::CAddressBrowserDlg(CSheepDoc* doc, wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Select Address", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_pDoc(doc) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    m_pList = new wxListCtrl(this, IDC_ADDRESS_LIST, wxDefaultPosition, wxSize(560, 260), wxLC_REPORT);
    top->Add(m_pList, 1, wxEXPAND | wxALL, 10);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    auto* add = new wxButton(this, IDC_ADDRESS_NEW, "&New...");
    m_pProperties = new wxButton(this, IDC_ADDRESS_PROPERTIES, "&Properties...");
    row->Add(add, 0, wxRIGHT, 6);
    row->Add(m_pProperties, 0);
    row->AddStretchSpacer();
    m_pOk = new wxButton(this, wxID_OK);
    row->Add(m_pOk, 0, wxRIGHT, 6);
    row->Add(new wxButton(this, wxID_CANCEL), 0);
    top->Add(row, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
    SetSizerAndFit(top);

    add->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressNew(); });
    m_pProperties->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressProperties(); });
    m_pOk->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressOk(); });
    m_pList->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent& event) {
        if (CvlSelectedRows(m_pList).size() == 1) EditRow(event.GetIndex());
    });
    m_pList->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent&) { UpdateButtons(); });
    m_pList->Bind(wxEVT_LIST_ITEM_DESELECTED, [this](wxListEvent&) { UpdateButtons(); });
    CvlAttachContextHelp(this, BrowserHelp::table);

    CvlInsertAddressColumns(m_pList);
    Fill();
    UpdateButtons();
}

int CAddressBrowserDlg::DoModal() {
    // The caller sets the name to preselect after construction.
    if (!m_strName.empty()) {
        const long row = CvlFindAddressRow(m_pList, *m_pDoc, m_strName);
        if (row >= 0) {
            m_pList->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                                  wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
            m_pList->EnsureVisible(row);
        }
    }
    UpdateButtons();
    return CvlRunModal(*this) == wxID_OK ? IDOK : IDCANCEL;
}

void CAddressBrowserDlg::Fill() {
    m_pList->DeleteAllItems();
    CvlShowAddresses(m_pList, *m_pDoc);
}

void CAddressBrowserDlg::UpdateButtons() {
    const bool one = CvlSelectedRows(m_pList).size() == 1;
    m_pProperties->Enable(one);
    m_pOk->Enable(one);
}

void CAddressBrowserDlg::PressNew() {
    if (m_pDoc->NewAddress(CvlWindowHandle(this), nullptr)) Fill();
    UpdateButtons();
}

void CAddressBrowserDlg::PressProperties() {
    const std::vector<long> rows = CvlSelectedRows(m_pList);
    if (rows.size() == 1) EditRow(rows[0]);
}

void CAddressBrowserDlg::EditRow(long row) {
    CAddress* address = CvlAddressAt(m_pList, row);
    WString key;
    // A row's address that is no longer filed is never touched.
    if (!m_pDoc->FindAddressKey(address, &key)) return;
    if (m_pDoc->EditAddress(address, CvlWindowHandle(this), nullptr, false))
        CvlWriteAddressRow(m_pList, row, address);
}

void CAddressBrowserDlg::PressOk() {
    const std::vector<long> rows = CvlSelectedRows(m_pList);
    WString key;
    if (rows.empty() || !m_pDoc->FindAddressKey(CvlAddressAt(m_pList, rows[0]), &key)) key.clear();
    m_strName = key;
    FinishDialog(*this, wxID_OK);
}

// ---- the records' dialogs --------------------------------------------------------------------------

CWxAddressDialogs::CWxAddressDialogs() : m_pPrevious(SetAddressDialogs(this)) {}

CWxAddressDialogs::~CWxAddressDialogs() {
    SetAddressDialogs(m_pPrevious);
}

int CWxAddressDialogs::EditDetails(long parentHandle, IFlockDocument* doc, CDetails& details, bool isNew) {
    return CvlRunAddressDetails(CvlWindowFromHandle(parentHandle), doc, details, isNew);
}

bool CWxAddressDialogs::ChooseAddressType(long parentHandle, int* type) {
    CAddressTypeDlg dialog(CvlWindowFromHandle(parentHandle));
    if (CvlRunModal(dialog) != wxID_OK) return false;
    *type = dialog.m_nChoice;
    return true;
}
