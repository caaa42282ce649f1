#include "document/ui/options_pages.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/checklst.h>
#include <wx/combobox.h>
#include <wx/dirdlg.h>
#include <wx/gauge.h>
#include <wx/listbox.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <map>

#include "abi/breed_abi.h"
#include "document/reader_manager.h"
#include "document/sheep_doc.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/oledate.h"
#include "platform/settings.h"
#include "platform/strings.h"
#include "records/app_services.h"

namespace {

constexpr unsigned IDS_DATABASE_OPTIONS = 1042;
constexpr unsigned IDS_SYSTEM_ADMINISTRATION = 1044;

// General
constexpr int IDC_SEARCH_EARTAG = 1040;
constexpr int IDC_SEARCH_TATTOO = 1074;
constexpr int IDC_SEARCH_EID = 1076;
constexpr int IDC_UNIT_LB = 1027;
constexpr int IDC_UNIT_KG = 1028;
constexpr int IDC_START_VIEW = 1035;
constexpr int IDC_DECIMALS = 1224;
constexpr int IDC_DEFAULT_FOLDER = 1208;
constexpr int IDC_BROWSE_FOLDER = 1184;
constexpr int IDC_TOOLTIPS = 1241;
// XML
constexpr int IDC_XML_EVENTS = 1339;
// Flock Details
constexpr int IDC_ADDRESS = 1029;
constexpr int IDC_BREED = 1030;
constexpr int IDC_FAX = 1031;
constexpr int IDC_TELEPHONE = 1034;
// Eartags
constexpr int IDC_YEARS = 1114;
constexpr int IDC_COLOUR = 1115;
constexpr int IDC_YEAR = 1189;
constexpr int IDC_MASK = 1403;
// System Administration
constexpr int IDC_REBUILD_PROGRESS = 1248;
constexpr int IDC_REBUILD_EARTAGS = 1229;

CvlOptionsPageFactory& ReaderFactory() {
    static CvlOptionsPageFactory factory;
    return factory;
}
CvlOptionsPageFactory& ImagesFactory() {
    static CvlOptionsPageFactory factory;
    return factory;
}

// The page "Database Options" opens on, per document.
std::map<const CSheepDoc*, int>& LastOptionsPage() {
    static std::map<const CSheepDoc*, int> pages;
    return pages;
}

wxTextCtrl* AddLabelled(wxWindow* parent, wxFlexGridSizer* grid, int id, const char* label, long style = 0,
                        wxSize size = wxSize(220, -1)) {
    grid->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL | wxTOP, 2);
    auto* edit = new wxTextCtrl(parent, id, "", wxDefaultPosition, size, style);
    grid->Add(edit, 1, wxEXPAND);
    return edit;
}

}  // namespace

// ---- General -----------------------------------------------------------------------------------------

CGnrlOpts::CGnrlOpts(CSheepDoc& doc, std::function<void(const CGeneralOptions&)> applied)
    : CCvlPropertyPage(165), m_doc(doc), m_applied(std::move(applied)) {
    SetCaption(u"General");
    m_options = CGeneralOptions::Load(CSheepAppServices::Get().GetDecimalPlaces());
}

using GnrlOptsHelp =
    CvlControlHelp<IDC_SEARCH_EARTAG, IDC_SEARCH_TATTOO, IDC_SEARCH_EID, IDC_UNIT_LB, IDC_UNIT_KG,
                   IDC_START_VIEW, IDC_DECIMALS, IDC_DEFAULT_FOLDER, IDC_BROWSE_FOLDER, IDC_TOOLTIPS>;
CVL_HELP_TABLE(GnrlOptsHelp::table);

const CvlHelpPair* CGnrlOpts::GetHelpTable() const {
    // The spin beside the decimal places shares its edit's topic: here they are one control.
    return GnrlOptsHelp::table;
}

void CGnrlOpts::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* search = new wxStaticBoxSizer(wxHORIZONTAL, panel, "Search Mode");
    const struct {
        int id;
        const char* label;
    } modes[] = {
        {IDC_SEARCH_EARTAG, "Eartag"}, {IDC_SEARCH_TATTOO, "Tattoo"}, {IDC_SEARCH_EID, "Electronic ID"}};
    for (int i = 0; i < 3; ++i) {
        m_pSearch[i] = new wxRadioButton(search->GetStaticBox(), modes[i].id, modes[i].label,
                                         wxDefaultPosition, wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
        search->Add(m_pSearch[i], 0, wxALL, 4);
        m_pSearch[i]->Bind(wxEVT_RADIOBUTTON,
                           [this, i](wxCommandEvent&) { m_options.searchMode = uint32_t(i); });
    }
    top->Add(search, 0, wxEXPAND | wxALL, 6);

    auto* units = new wxStaticBoxSizer(wxHORIZONTAL, panel, "Units");
    m_pLb = new wxRadioButton(units->GetStaticBox(), IDC_UNIT_LB, "lb", wxDefaultPosition, wxDefaultSize,
                              wxRB_GROUP);
    m_pKg = new wxRadioButton(units->GetStaticBox(), IDC_UNIT_KG, "kg");
    units->Add(m_pLb, 0, wxALL, 4);
    units->Add(m_pKg, 0, wxALL, 4);
    m_pLb->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { m_options.kilograms = false; });
    m_pKg->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { m_options.kilograms = true; });
    top->Add(units, 0, wxEXPAND | wxALL, 6);

    auto* grid = new wxFlexGridSizer(3, 6, 8);
    grid->AddGrowableCol(1);
    grid->Add(new wxStaticText(panel, wxID_ANY, "Startup View:"), 0, wxALIGN_CENTER_VERTICAL);
    const wxString views[] = {"Flock", "Record"};
    m_pView =
        new wxComboBox(panel, IDC_START_VIEW, "", wxDefaultPosition, wxDefaultSize, 2, views, wxCB_READONLY);
    grid->Add(m_pView, 1, wxEXPAND);
    grid->AddSpacer(0);
    grid->Add(new wxStaticText(panel, wxID_ANY, "Decimal Places:"), 0, wxALIGN_CENTER_VERTICAL);
    m_pDecimals =
        new wxSpinCtrl(panel, IDC_DECIMALS, "", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, -99, 99);
    grid->Add(m_pDecimals);
    grid->AddSpacer(0);
    grid->Add(new wxStaticText(panel, wxID_ANY, "Default Folder:"), 0, wxALIGN_CENTER_VERTICAL);
    m_pFolder = new wxTextCtrl(panel, IDC_DEFAULT_FOLDER, "", wxDefaultPosition, wxSize(240, -1));
    grid->Add(m_pFolder, 1, wxEXPAND);
    auto* browse = new wxButton(panel, IDC_BROWSE_FOLDER, "...", wxDefaultPosition, wxSize(32, -1));
    grid->Add(browse);
    top->Add(grid, 0, wxEXPAND | wxALL, 6);
    m_pTooltips = new wxCheckBox(panel, IDC_TOOLTIPS, "Show Tooltips");
    top->Add(m_pTooltips, 0, wxALL, 6);
    panel->SetSizer(top);

    browse->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        TakeFields();
        wxDirDialog dialog(m_pFolder, "Select the startup folder", ToWx(m_options.defaultPath),
                           wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
        if (CvlRunModal(dialog) != wxID_OK) return;
        m_options.defaultPath = FromWx(dialog.GetPath());
        ShowOptions();
    });
    ShowOptions();
}

void CGnrlOpts::ShowOptions() {
    if (!m_pView) return;
    // A search mode outside 0..2 checks none and is written back as it was.
    for (int i = 0; i < 3; ++i) m_pSearch[i]->SetValue(m_options.searchMode == uint32_t(i));
    if (m_options.searchMode > 2)
        for (auto* radio : m_pSearch) radio->SetValue(false);
    m_pLb->SetValue(!m_options.kilograms);
    m_pKg->SetValue(m_options.kilograms);
    m_pView->SetValue(ToWx(m_options.view));
    m_pDecimals->SetValue(m_options.decimalPlaces);
    m_pFolder->ChangeValue(ToWx(m_options.defaultPath));
    m_pTooltips->SetValue(m_options.tooltips);
}

void CGnrlOpts::TakeFields() {
    if (!m_pView) return;
    m_options.view = FromWx(m_pView->GetValue());
    m_options.decimalPlaces = m_pDecimals->GetValue();
    m_options.defaultPath = FromWx(m_pFolder->GetValue());
    m_options.tooltips = m_pTooltips->GetValue();
}

bool CGnrlOpts::OnApply() {
    TakeFields();
    if (!CGeneralOptions::IsValidDecimalPlaces(m_options.decimalPlaces)) {
        CvlMessageBoxText(u"Please enter an integer between 0 and 3.", MB_OK | MB_ICONEXCLAMATION);
        m_pDecimals->SetFocus();
        return false;
    }
    m_options.Store();
    if (m_applied) m_applied(m_options);
    CSheepAppServices::Get().SetDecimalPlaces(m_options.decimalPlaces);
    m_doc.UpdateAllViews(nullptr, 0);
    m_doc.SetModifiedFlag(true);
    return true;
}

// ---- XML ---------------------------------------------------------------------------------------------

CXMLOptionsPage::CXMLOptionsPage(CSheepDoc& doc) : CCvlPropertyPage(260), m_doc(doc) {
    SetCaption(u"XML");
}

using XMLOptionsPageHelp = CvlControlHelp<IDC_XML_EVENTS>;
CVL_HELP_TABLE(XMLOptionsPageHelp::table);

const CvlHelpPair* CXMLOptionsPage::GetHelpTable() const {
    return XMLOptionsPageHelp::table;
}

void CXMLOptionsPage::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(new wxStaticText(panel, wxID_ANY, "Only the events checked will be exported in any XML files"),
             0, wxALL, 6);
    m_pList = new wxCheckListBox(panel, IDC_XML_EVENTS, wxDefaultPosition, wxSize(300, 200));
    top->Add(m_pList, 1, wxEXPAND | wxALL, 6);
    panel->SetSizer(top);

    m_strStored = CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"XML Excluded Events", u"");
    const auto events = EnumerateBreedEvents(m_doc);
    m_bEnumerated = events.has_value();
    if (events) m_items = BuildXmlEventItems(m_strStored, *events);
    for (const CXmlEventItem& item : m_items) {
        const int at = m_pList->Append(ToWx(item.name));
        m_pList->Check(unsigned(at), item.checked);
    }
}

bool CXMLOptionsPage::OnApply() {
    // A breed that cannot list its events leaves the stored list as it is.
    if (!m_bEnumerated) return true;
    for (size_t i = 0; i < m_items.size(); ++i) m_items[i].checked = m_pList->IsChecked(unsigned(i));
    CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"XML Excluded Events",
                                 ComposeExcludedEvents(m_items, m_strStored));
    return true;
}

// ---- Flock Details -----------------------------------------------------------------------------------

CFarmOpts::CFarmOpts(CSheepDoc& doc) : CCvlPropertyPage(124), m_doc(doc) {
    SetCaption(u"Flock Details");
}

using FarmOptsHelp = CvlControlHelp<IDC_ADDRESS, IDC_TELEPHONE, IDC_FAX, IDC_BREED>;
CVL_HELP_TABLE(FarmOptsHelp::table);

const CvlHelpPair* CFarmOpts::GetHelpTable() const {
    return FarmOptsHelp::table;
}

void CFarmOpts::OnCreateControls(wxPanel* panel) {
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    grid->AddGrowableCol(1);
    m_pAddress = AddLabelled(panel, grid, IDC_ADDRESS, "Address", wxTE_MULTILINE, wxSize(260, 90));
    m_pTelephone = AddLabelled(panel, grid, IDC_TELEPHONE, "Telephone");
    m_pFax = AddLabelled(panel, grid, IDC_FAX, "Fax");
    grid->Add(new wxStaticText(panel, wxID_ANY, "Breed:"), 0, wxALIGN_CENTER_VERTICAL);
    m_pBreed = new wxComboBox(panel, IDC_BREED, "", wxDefaultPosition, wxSize(220, -1));
    grid->Add(m_pBreed, 1, wxEXPAND);
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(grid, 1, wxEXPAND | wxALL, 8);
    panel->SetSizer(top);

    for (const WString& breed : CFarmDetails::InstalledBreeds()) m_pBreed->Append(ToWx(breed));
    const CFarmDetails details = CFarmDetails::Load(m_doc);
    // The address keeps its CR LF line ends in the file; the edit shows plain lines.
    wxString address = ToWx(details.address);
    address.Replace("\r\n", "\n");
    m_pAddress->ChangeValue(address);
    m_pFax->ChangeValue(ToWx(details.fax));
    m_pTelephone->ChangeValue(ToWx(details.telephone));
    m_pBreed->SetValue(ToWx(details.breed));
}

bool CFarmOpts::OnApply() {
    CFarmDetails details;
    details.breed = FromWx(m_pBreed->GetValue());
    wxString address = m_pAddress->GetValue();
    address.Replace("\r\n", "\n");
    address.Replace("\n", "\r\n");
    details.address = FromWx(address);
    details.telephone = FromWx(m_pTelephone->GetValue());
    details.fax = FromWx(m_pFax->GetValue());
    if (!CFarmDetails::CanChangeBreed(m_doc, details.breed)) {
        CvlMessageBoxText(u"This flock already holds animals recorded with the breed " +
                              m_doc.GetDocString(0) + u". Its breed cannot be changed.",
                          MB_OK | MB_ICONEXCLAMATION);
        m_pBreed->SetValue(ToWx(m_doc.GetDocString(0)));
        m_pBreed->SetFocus();
        return false;
    }
    details.Store(m_doc);
    return true;
}

// ---- Eartags -----------------------------------------------------------------------------------------

CEartagOptionsPage::CEartagOptionsPage(CSheepDoc& doc) : CCvlPropertyPage(134), m_doc(doc) {
    SetCaption(u"Eartags");
}

using EartagOptionsPageHelp = CvlControlHelp<IDC_YEARS, IDC_YEAR, IDC_COLOUR, IDC_MASK>;
CVL_HELP_TABLE(EartagOptionsPageHelp::table);

const CvlHelpPair* CEartagOptionsPage::GetHelpTable() const {
    return EartagOptionsPageHelp::table;
}

void CEartagOptionsPage::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxHORIZONTAL);
    m_pList = new wxListBox(panel, IDC_YEARS, wxDefaultPosition, wxSize(160, 160));
    top->Add(m_pList, 0, wxEXPAND | wxALL, 6);
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    m_pYear = AddLabelled(panel, grid, IDC_YEAR, "Year:", 0, wxSize(80, -1));
    m_pColour = AddLabelled(panel, grid, IDC_COLOUR, "Colour:", 0, wxSize(140, -1));
    m_pMask = AddLabelled(panel, grid, IDC_MASK, "Number Mask", 0, wxSize(140, -1));
    top->Add(grid, 1, wxALL, 6);
    panel->SetSizer(top);

    m_pList->Bind(wxEVT_LISTBOX, [this](wxCommandEvent& e) { OnSelectEntry(e.GetSelection()); });
    m_pYear->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
        e.Skip();
        OnYearLeft();
    });
    m_pColour->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
        e.Skip();
        OnColourLeft();
    });

    m_model.Load(m_doc, COleDateTime::GetCurrentTime().Format("%Y"));
    m_pMask->ChangeValue(ToWx(m_model.m_strMask));
    ShowModel();
}

void CEartagOptionsPage::ShowModel() {
    m_pList->Clear();
    for (const WString& entry : m_model.Entries()) m_pList->Append(ToWx(entry));
    if (m_model.GetSelection() >= 0) m_pList->SetSelection(m_model.GetSelection());
    m_pYear->ChangeValue(ToWx(m_model.GetYear()));
    m_pColour->ChangeValue(ToWx(m_model.GetColour()));
    m_pColour->Enable(m_model.IsColourEditable());
}

void CEartagOptionsPage::OnSelectEntry(int index) {
    m_model.SelectEntry(index, FromWx(m_pYear->GetValue()), FromWx(m_pColour->GetValue()));
    ShowModel();
}

void CEartagOptionsPage::OnYearLeft() {
    if (m_model.YearEntered(FromWx(m_pYear->GetValue()))) {
        ShowModel();
        m_pColour->SetFocus();
    }
}

void CEartagOptionsPage::OnColourLeft() {
    const WString colour = FromWx(m_pColour->GetValue());
    if (colour.empty()) return;
    m_model.ColourEntered(FromWx(m_pYear->GetValue()), colour);
    ShowModel();
}

bool CEartagOptionsPage::OnApply() {
    m_model.m_strMask = FromWx(m_pMask->GetValue());
    m_model.Store(m_doc, FromWx(m_pYear->GetValue()), FromWx(m_pColour->GetValue()));
    return true;
}

// ---- System Administration ---------------------------------------------------------------------------

CSysAdminPage::CSysAdminPage(CSheepDoc& doc) : CCvlPropertyPage(153), m_doc(doc) {
    SetCaption(u"System Administration");
}

using SysAdminPageHelp = CvlControlHelp<IDC_REBUILD_PROGRESS, IDC_REBUILD_EARTAGS>;
CVL_HELP_TABLE(SysAdminPageHelp::table);

const CvlHelpPair* CSysAdminPage::GetHelpTable() const {
    return SysAdminPageHelp::table;
}

void CSysAdminPage::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(new wxStaticText(panel, wxID_ANY,
                              "Press these butttons to rebuild various tables in the database file"),
             0, wxALL, 8);
    auto* button = new wxButton(panel, IDC_REBUILD_EARTAGS, "Rebuild &Eartag List");
    top->Add(button, 0, wxALL, 8);
    m_pProgress = new wxGauge(panel, IDC_REBUILD_PROGRESS, 100, wxDefaultPosition, wxSize(300, -1));
    top->Add(m_pProgress, 0, wxEXPAND | wxALL, 8);
    panel->SetSizer(top);
    button->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Rebuild(); });
}

void CSysAdminPage::Rebuild() {
    {
        wxBusyCursor wait;
        if (m_pProgress) m_pProgress->SetValue(0);
        RebuildEartagList(m_doc);
        if (m_pProgress) m_pProgress->SetValue(m_pProgress->GetRange());
    }
    // What is done cannot be cancelled: the sheet's Cancel becomes Close.
    if (wxWindow* sheet = GetWindow() ? wxGetTopLevelParent(GetWindow()) : nullptr)
        if (auto* cancel = dynamic_cast<wxButton*>(sheet->FindWindow(wxID_CANCEL))) cancel->SetLabel("Close");
}

// ---- the sheets --------------------------------------------------------------------------------------

void CvlSetReaderOptionsPageFactory(CvlOptionsPageFactory factory) {
    ReaderFactory() = std::move(factory);
}

void CvlSetImagesOptionsPageFactory(CvlOptionsPageFactory factory) {
    ImagesFactory() = std::move(factory);
}

int CvlRunDatabaseOptions(wxWindow* parent, CSheepDoc& doc, const CDatabaseOptionsRun& run) {
    CGnrlOpts general(doc, run.generalApplied);
    CEartagOptionsPage eartags(doc);
    CXMLOptionsPage xml(doc);
    CFarmOpts farm(doc);
    std::unique_ptr<CSheetPage> images = ImagesFactory() ? ImagesFactory()(doc) : nullptr;
    std::unique_ptr<CSheetPage> reader = ReaderFactory() ? ReaderFactory()(doc) : nullptr;
    // The breed's own pages, asked for by index until it has no more.
    std::vector<std::unique_ptr<CSheetPage>> breedPages;
    if (auto load = doc.GetBreedPlugIn().Get<PFN_CVLLoadFarmOptsSheets>("CVLLoadFarmOptsSheets"))
        for (int32_t index = 0;; ++index) {
            CCvlPropertyPage* page = load(index, doc.GetDocumentDual());
            if (!page) break;
            breedPages.emplace_back(page);
        }

    CCvlPropertySheet sheet(parent, LoadCvlString(IDS_DATABASE_OPTIONS), false);
    sheet.AddPage(&general);
    sheet.AddPage(&eartags);
    sheet.AddPage(&xml);
    if (images) sheet.AddPage(images.get());
    if (reader) sheet.AddPage(reader.get());
    sheet.AddPage(&farm);
    for (auto& page : breedPages) sheet.AddPage(page.get());
    int& last = LastOptionsPage()[&doc];
    // The reader page may test or rebind the reader, which needs its port free of the scan.
    CEIDReaderManager* manager = CvlGetReaderManager();
    const bool scanning = manager && manager->IsScanning();
    if (scanning) manager->StopScan();
    const int result = sheet.DoModal(std::clamp(last, 0, sheet.GetFlow().GetPageCount() - 1));
    if (result == SHEET_OK) last = std::max(0, sheet.GetFlow().GetActiveIndex());
    if (scanning && manager->CanScan() && !manager->IsScanning()) manager->ToggleScanning();
    return result;
}

int CvlRunSystemAdministration(wxWindow* parent, CSheepDoc& doc) {
    CSysAdminPage page(doc);
    CCvlPropertySheet sheet(parent, LoadCvlString(IDS_SYSTEM_ADMINISTRATION), false);
    sheet.AddPage(&page);
    return sheet.DoModal();
}
