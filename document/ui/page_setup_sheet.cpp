#include "document/ui/page_setup_sheet.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dc.h>
#include <wx/panel.h>
#include <wx/paper.h>
#include <wx/printdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>

#include "document/command_ids.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/message_help.h"
#include "platform/oledate.h"
#include "platform/strings.h"

wxDEFINE_EVENT(CVL_EVT_PAGE_SETUP_CHANGED, wxCommandEvent);

namespace {

constexpr unsigned IDS_UNIT_MESSAGE = 104;
CVL_MESSAGE_HELP(IDS_UNIT_MESSAGE);

// Page
constexpr int IDC_PORTRAIT = 1136;
constexpr int IDC_LANDSCAPE = 1137;
constexpr int IDC_PAPER_SIZE = 1138;
constexpr int IDC_RESOLUTION = 1139;
constexpr int IDC_FIRST_PAGE = 1140;
constexpr int IDC_PAPER_SOURCE = 1142;
constexpr int IDC_PAPER_WIDTH = 1121;
constexpr int IDC_PAPER_HEIGHT = 1143;
constexpr int IDC_PRINTER = 1141;
// Margins
constexpr int IDC_HORIZONTALLY = 1132;
constexpr int IDC_VERTICALLY = 1133;
constexpr int IDC_LEFT = 1125;
constexpr int IDC_RIGHT = 1127;
constexpr int IDC_TOP = 1129;
constexpr int IDC_BOTTOM = 1131;
constexpr int IDC_HEADER = 1134;
constexpr int IDC_FOOTER = 1135;
// Header and footer
constexpr int IDC_HEADER_LEFT = 1126;
constexpr int IDC_HEADER_CENTRE = 1128;
constexpr int IDC_HEADER_RIGHT = 1130;
constexpr int IDC_FOOTER_LEFT = 1152;
constexpr int IDC_FOOTER_CENTRE = 1151;
constexpr int IDC_FOOTER_RIGHT = 1150;
constexpr int IDC_INSERT_PAGE = 1153;
// The sheet's buttons
constexpr int IDC_PRINT = 1148;
constexpr int IDC_PREVIEW = 116;
constexpr int IDC_OPTIONS = 117;

int g_nStartPage = 0;

wxString PaperLabel(const CPaperChoice& paper) {
    return ToWx(paper.displayName.empty() ? paper.name : paper.displayName);
}

// Selects the entry whose keyword is wanted; false when none has it.
template <class T, class Key>
bool SelectBy(wxChoice* choice, const std::vector<T>& items, const Key& key,
              const std::function<bool(const T&, const Key&)>& same) {
    for (size_t i = 0; i < items.size(); ++i)
        if (same(items[i], key)) {
            choice->SetSelection(int(i));
            return true;
        }
    choice->SetSelection(wxNOT_FOUND);
    return false;
}

wxTextCtrl* AddEdit(wxWindow* parent, wxFlexGridSizer* grid, int id, const char* label, int width = 80) {
    grid->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    auto* edit = new wxTextCtrl(parent, id, "", wxDefaultPosition, wxSize(width, -1));
    grid->Add(edit, 1, wxEXPAND);
    return edit;
}

wxTextCtrl* FindEdit(wxWindow* page, int id) {
    return page ? dynamic_cast<wxTextCtrl*>(page->FindWindow(id)) : nullptr;
}

}  // namespace

// ---- length edits ------------------------------------------------------------------------------------

bool CvlExchangeDimension(wxTextCtrl* edit, int32_t& value, int unit, bool save) {
    if (!save) {
        edit->ChangeValue(ToWx(FormatDimensionText(value, unit)));
        return true;
    }
    int32_t read = 0;
    if (ParseDimensionText(FromWx(edit->GetValue()), unit, read)) {
        value = read;
        return true;
    }
    CvlMessageBox(IDS_UNIT_MESSAGE, MB_OK | MB_ICONINFORMATION | MB_HELP);
    edit->SetFocus();
    edit->SelectAll();
    return false;
}

// ---- Page ---------------------------------------------------------------------------------------------

CPageSetupPage::CPageSetupPage(CPageSetupEdit& edit, IPrinterLister& printers)
    : CCvlPropertyPage(139), m_edit(edit), m_printers(printers) {
    SetCaption(u"Page");
}

using PageSetupPageHelp =
    CvlControlHelp<IDC_PRINTER, IDC_PORTRAIT, IDC_LANDSCAPE, IDC_PAPER_SIZE, IDC_PAPER_SOURCE, IDC_RESOLUTION,
                   IDC_FIRST_PAGE, IDC_PAPER_WIDTH, IDC_PAPER_HEIGHT>;
CVL_HELP_TABLE(PageSetupPageHelp::table);

const CvlHelpPair* CPageSetupPage::GetHelpTable() const {
    return PageSetupPageHelp::table;
}

void CPageSetupPage::OnCreateControls(wxPanel* panel) {
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    grid->AddGrowableCol(1);
    grid->Add(new wxStaticText(panel, wxID_ANY, "&Printer:"), 0, wxALIGN_CENTER_VERTICAL);
    m_pPrinter = new wxChoice(panel, IDC_PRINTER, wxDefaultPosition, wxSize(220, -1));
    grid->Add(m_pPrinter, 1, wxEXPAND);
    grid->Add(new wxStaticText(panel, wxID_ANY, "Paper Si&ze:"), 0, wxALIGN_CENTER_VERTICAL);
    m_pPaper = new wxChoice(panel, IDC_PAPER_SIZE);
    grid->Add(m_pPaper, 1, wxEXPAND);
    m_pWidthLabel = new wxStaticText(panel, wxID_ANY, "Width:");
    grid->Add(m_pWidthLabel, 0, wxALIGN_CENTER_VERTICAL);
    m_pWidth = new wxStaticText(panel, IDC_PAPER_WIDTH, "");
    grid->Add(m_pWidth);
    m_pHeightLabel = new wxStaticText(panel, wxID_ANY, "Height:");
    grid->Add(m_pHeightLabel, 0, wxALIGN_CENTER_VERTICAL);
    m_pHeight = new wxStaticText(panel, IDC_PAPER_HEIGHT, "");
    grid->Add(m_pHeight);
    grid->Add(new wxStaticText(panel, wxID_ANY, "Paper &Source:"), 0, wxALIGN_CENTER_VERTICAL);
    m_pSource = new wxChoice(panel, IDC_PAPER_SOURCE);
    grid->Add(m_pSource, 1, wxEXPAND);
    grid->Add(new wxStaticText(panel, wxID_ANY, "&Resolution:"), 0, wxALIGN_CENTER_VERTICAL);
    m_pResolution = new wxChoice(panel, IDC_RESOLUTION);
    grid->Add(m_pResolution, 1, wxEXPAND);
    grid->Add(new wxStaticText(panel, wxID_ANY, "First Page &Number:"), 0, wxALIGN_CENTER_VERTICAL);
    m_pFirstPage = new wxSpinCtrl(panel, IDC_FIRST_PAGE, "1", wxDefaultPosition, wxDefaultSize,
                                  wxSP_ARROW_KEYS, 1, 100, 1);
    grid->Add(m_pFirstPage);

    auto* orientation = new wxStaticBoxSizer(wxVERTICAL, panel, "Orientation");
    m_pPortrait = new wxRadioButton(orientation->GetStaticBox(), IDC_PORTRAIT, "&Portrait", wxDefaultPosition,
                                    wxDefaultSize, wxRB_GROUP);
    m_pLandscape = new wxRadioButton(orientation->GetStaticBox(), IDC_LANDSCAPE, "&Landscape");
    orientation->Add(m_pPortrait, 0, wxALL, 4);
    orientation->Add(m_pLandscape, 0, wxALL, 4);

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(grid, 0, wxEXPAND | wxALL, 8);
    top->Add(orientation, 0, wxEXPAND | wxALL, 8);
    panel->SetSizer(top);

    m_pPrinter->Bind(wxEVT_CHOICE,
                     [this](wxCommandEvent&) { ChoosePrinter(FromWx(m_pPrinter->GetStringSelection())); });
    m_pPaper->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
        const int at = m_pPaper->GetSelection();
        if (at >= 0 && size_t(at) < m_caps.papers.size()) {
            m_edit.print.paper = m_caps.papers[size_t(at)].name;
            m_edit.print.paperId = 0;
        }
        ShowCustomSize();
    });
    m_pSource->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
        const int at = m_pSource->GetSelection();
        if (at >= 0 && size_t(at) < m_caps.sources.size())
            m_edit.print.source = m_caps.sources[size_t(at)].name;
    });
    m_pResolution->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
        const int at = m_pResolution->GetSelection();
        if (at >= 0 && size_t(at) < m_caps.resolutions.size())
            m_edit.print.resolution = m_caps.resolutions[size_t(at)];
    });
    m_pPortrait->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { m_edit.print.orientation = 1; });
    m_pLandscape->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { m_edit.print.orientation = 2; });

    wxBusyCursor wait;
    for (const WString& name : m_printers.GetPrinters()) m_pPrinter->Append(ToWx(name));
    WString printer = m_edit.print.printer;
    if (printer.empty() || m_pPrinter->FindString(ToWx(printer), true) == wxNOT_FOUND)
        printer = m_printers.GetDefaultPrinter();
    m_pPrinter->SetStringSelection(ToWx(printer));
    ChoosePrinter(FromWx(m_pPrinter->GetStringSelection()));
}

void CPageSetupPage::ChoosePrinter(const WString& printer) {
    // The lists are those of the printer chosen here, not of the system's default.
    m_caps = {};
    if (!printer.empty()) m_printers.GetCapabilities(printer, m_caps);
    if (m_pPrinter && FromWx(m_pPrinter->GetStringSelection()) != printer)
        m_pPrinter->SetStringSelection(ToWx(printer));
    if (printer != m_edit.print.printer) {
        const bool wasDefault = m_edit.print.printer.empty();
        m_edit.print.printer = printer;
        // Choices the new printer does not offer give way to its defaults.
        if (!wasDefault) {
            const auto has = [](const auto& items, const WString& name) {
                return std::any_of(items.begin(), items.end(),
                                   [&](const auto& item) { return item.name == name; });
            };
            if (!has(m_caps.papers, m_edit.print.paper)) m_edit.print.paper.clear();
            if (!has(m_caps.sources, m_edit.print.source)) m_edit.print.source.clear();
        }
    }
    FillLists();
}

void CPageSetupPage::FillLists() {
    if (!m_pPaper) return;
    m_pPaper->Clear();
    for (const CPaperChoice& paper : m_caps.papers) m_pPaper->Append(PaperLabel(paper));
    m_pSource->Clear();
    for (const CPrinterChoice& source : m_caps.sources)
        m_pSource->Append(ToWx(source.displayName.empty() ? source.name : source.displayName));
    m_pResolution->Clear();
    for (int dpi : m_caps.resolutions) m_pResolution->Append(wxString::Format("%d dpi", dpi));
    Refresh();
    const WString paper = m_edit.print.paper.empty() ? m_caps.defaultPaper : m_edit.print.paper;
    SelectBy<CPaperChoice, WString>(m_pPaper, m_caps.papers, paper,
                                    [](const CPaperChoice& p, const WString& k) { return p.name == k; });
    const int dpi = m_edit.print.resolution ? m_edit.print.resolution : m_caps.defaultResolution;
    const auto at = std::find(m_caps.resolutions.begin(), m_caps.resolutions.end(), dpi);
    m_pResolution->SetSelection(at == m_caps.resolutions.end() ? wxNOT_FOUND
                                                               : int(at - m_caps.resolutions.begin()));
}

void CPageSetupPage::Refresh() {
    if (!m_pPaper) return;
    const WString paper = m_edit.print.paper.empty() ? m_caps.defaultPaper : m_edit.print.paper;
    SelectBy<CPaperChoice, WString>(m_pPaper, m_caps.papers, paper,
                                    [](const CPaperChoice& p, const WString& k) { return p.name == k; });
    const WString source = m_edit.print.source.empty() ? m_caps.defaultSource : m_edit.print.source;
    SelectBy<CPrinterChoice, WString>(m_pSource, m_caps.sources, source,
                                      [](const CPrinterChoice& s, const WString& k) { return s.name == k; });
    m_pPortrait->SetValue(m_edit.print.orientation != 2);
    m_pLandscape->SetValue(m_edit.print.orientation == 2);
    ShowCustomSize();
}

void CPageSetupPage::ShowCustomSize() {
    const int at = m_pPaper->GetSelection();
    const CPaperChoice* paper =
        at >= 0 && size_t(at) < m_caps.papers.size() ? &m_caps.papers[size_t(at)] : nullptr;
    const bool custom = paper && paper->name == u"Custom";
    for (wxWindow* w : {static_cast<wxWindow*>(m_pWidthLabel), static_cast<wxWindow*>(m_pWidth),
                        static_cast<wxWindow*>(m_pHeightLabel), static_cast<wxWindow*>(m_pHeight)})
        w->Show(custom);
    if (paper) {
        m_pWidth->SetLabel(wxString::Format("%d mm", paper->widthMm10 / 10));
        m_pHeight->SetLabel(wxString::Format("%d mm", paper->heightMm10 / 10));
    }
    if (wxWindow* wnd = GetWindow()) wnd->Layout();
}

void CPageSetupPage::OnSetActive() {}

bool CPageSetupPage::OnApply() {
    m_edit.recordedPage = 0;
    return true;
}

void CPageSetupPage::OnReset() {
    m_edit.recordedPage = 0;
}

// ---- Margins ------------------------------------------------------------------------------------------

CPageSetupMargins::CPageSetupMargins(CPageSetupEdit& edit) : CCvlPropertyPage(138), m_edit(edit) {
    SetCaption(u"Margins");
}

using PageSetupMarginsHelp = CvlControlHelp<IDC_HORIZONTALLY, IDC_VERTICALLY, IDC_LEFT, IDC_RIGHT, IDC_TOP,
                                            IDC_BOTTOM, IDC_HEADER, IDC_FOOTER>;
CVL_HELP_TABLE(PageSetupMarginsHelp::table);

const CvlHelpPair* CPageSetupMargins::GetHelpTable() const {
    return PageSetupMarginsHelp::table;
}

wxTextCtrl* CPageSetupMargins::GetEdit(int id) const {
    return FindEdit(GetWindow(), id);
}

void CPageSetupMargins::OnCreateControls(wxPanel* panel) {
    auto* margins = new wxStaticBoxSizer(wxVERTICAL, panel, "Margins");
    auto* marginGrid = new wxFlexGridSizer(4, 6, 8);
    wxWindow* box = margins->GetStaticBox();
    AddEdit(box, marginGrid, IDC_LEFT, "&Left");
    AddEdit(box, marginGrid, IDC_RIGHT, "&Right");
    AddEdit(box, marginGrid, IDC_TOP, "&Top");
    AddEdit(box, marginGrid, IDC_BOTTOM, "&Bottom");
    margins->Add(marginGrid, 0, wxALL, 6);

    auto* edge = new wxStaticBoxSizer(wxVERTICAL, panel, "From Edge");
    auto* edgeGrid = new wxFlexGridSizer(4, 6, 8);
    AddEdit(edge->GetStaticBox(), edgeGrid, IDC_HEADER, "Hea&der");
    AddEdit(edge->GetStaticBox(), edgeGrid, IDC_FOOTER, "&Footer");
    edge->Add(edgeGrid, 0, wxALL, 6);

    auto* centre = new wxStaticBoxSizer(wxHORIZONTAL, panel, "Centre on Page");
    m_pHorizontally = new wxCheckBox(centre->GetStaticBox(), IDC_HORIZONTALLY, "&Horizontally");
    m_pVertically = new wxCheckBox(centre->GetStaticBox(), IDC_VERTICALLY, "&Vertically");
    centre->Add(m_pHorizontally, 0, wxALL, 6);
    centre->Add(m_pVertically, 0, wxALL, 6);

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(margins, 0, wxEXPAND | wxALL, 8);
    top->Add(edge, 0, wxEXPAND | wxALL, 8);
    top->Add(centre, 0, wxEXPAND | wxALL, 8);
    panel->SetSizer(top);

    CPageSetup& r = m_edit.record;
    const std::pair<int, int32_t*> fields[] = {
        {IDC_LEFT, &r.m_nLeftMargin},       {IDC_RIGHT, &r.m_nRightMargin},
        {IDC_TOP, &r.m_nTopMargin},         {IDC_BOTTOM, &r.m_nBottomMargin},
        {IDC_HEADER, &r.m_nHeaderDistance}, {IDC_FOOTER, &r.m_nFooterDistance}};
    for (const auto& [id, value] : fields) CvlExchangeDimension(GetEdit(id), *value, m_edit.unit, false);
    m_pHorizontally->SetValue(r.m_bCenterHorizontally != 0);
    m_pVertically->SetValue(r.m_bCenterVertically != 0);
}

bool CPageSetupMargins::OnApply() {
    m_edit.recordedPage = 1;
    CPageSetup& r = m_edit.record;
    int32_t values[6] = {r.m_nTopMargin,    r.m_nLeftMargin,     r.m_nRightMargin,
                         r.m_nBottomMargin, r.m_nHeaderDistance, r.m_nFooterDistance};
    const int ids[6] = {IDC_TOP, IDC_LEFT, IDC_RIGHT, IDC_BOTTOM, IDC_HEADER, IDC_FOOTER};
    for (int i = 0; i < 6; ++i) {
        wxTextCtrl* edit = GetEdit(ids[i]);
        if (!CvlExchangeDimension(edit, values[i], m_edit.unit, true)) return false;
        // The file holds each distance in 16 bits: a longer one is refused here, never cut.
        if (!CPageSetup::IsStorableDistance(values[i])) {
            CvlMessageBoxText(
                u"Please enter a distance between 0 and " + FormatDimensionText(0xFFFF, m_edit.unit) + u".",
                MB_OK | MB_ICONINFORMATION);
            edit->SetFocus();
            edit->SelectAll();
            return false;
        }
    }
    r.SetDistances(values[0], values[1], values[2], values[3], values[4], values[5]);
    r.m_bCenterVertically = m_pVertically->GetValue() ? 1 : 0;
    r.m_bCenterHorizontally = m_pHorizontally->GetValue() ? 1 : 0;
    return true;
}

void CPageSetupMargins::OnReset() {
    m_edit.recordedPage = 1;
}

// ---- Header and footer ----------------------------------------------------------------------------

CPageSetupHF::CPageSetupHF(CPageSetupEdit& edit) : CCvlPropertyPage(142), m_edit(edit) {
    SetCaption(u"Header & Footer");
}

using PageSetupHFHelp = CvlControlHelp<IDC_HEADER_LEFT, IDC_HEADER_CENTRE, IDC_HEADER_RIGHT, IDC_FOOTER_LEFT,
                                       IDC_FOOTER_CENTRE, IDC_FOOTER_RIGHT, IDC_INSERT_PAGE>;
CVL_HELP_TABLE(PageSetupHFHelp::table);

const CvlHelpPair* CPageSetupHF::GetHelpTable() const {
    return PageSetupHFHelp::table;
}

wxTextCtrl* CPageSetupHF::GetEdit(int id) const {
    return FindEdit(GetWindow(), id);
}

void CPageSetupHF::OnCreateControls(wxPanel* panel) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    const struct {
        const char* title;
        int ids[3];
        const char* labels[3];
        const WString* text;
    } groups[] = {{"Header",
                   {IDC_HEADER_LEFT, IDC_HEADER_CENTRE, IDC_HEADER_RIGHT},
                   {"&Left", "&Centre", "&Right"},
                   &m_edit.record.m_strHeader},
                  {"Footer",
                   {IDC_FOOTER_LEFT, IDC_FOOTER_CENTRE, IDC_FOOTER_RIGHT},
                   {"L&eft", "Cen&tre", "Ri&ght"},
                   &m_edit.record.m_strFooter}};
    for (const auto& group : groups) {
        auto* box = new wxStaticBoxSizer(wxVERTICAL, panel, group.title);
        auto* grid = new wxFlexGridSizer(2, 6, 8);
        grid->AddGrowableCol(1);
        WString parts[3];
        CPageSetup::SplitTemplate(*group.text, parts[0], parts[1], parts[2]);
        for (int i = 0; i < 3; ++i) {
            wxTextCtrl* edit = AddEdit(box->GetStaticBox(), grid, group.ids[i], group.labels[i], 260);
            edit->ChangeValue(ToWx(parts[i]));
            const int id = group.ids[i];
            edit->Bind(wxEVT_KILL_FOCUS, [this, id](wxFocusEvent& event) {
                event.Skip();
                m_nLastEdit = id;
            });
        }
        box->Add(grid, 0, wxEXPAND | wxALL, 6);
        top->Add(box, 0, wxEXPAND | wxALL, 8);
    }
    auto* insert = new wxButton(panel, IDC_INSERT_PAGE, "Page &Number");
    insert->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { InsertPageCode(); });
    top->Add(insert, 0, wxALL, 8);
    panel->SetSizer(top);
}

void CPageSetupHF::InsertPageCode() {
    // Before any edit has lost the focus there is nothing to insert into.
    if (wxTextCtrl* edit = m_nLastEdit ? GetEdit(m_nLastEdit) : nullptr) edit->WriteText("&P");
}

bool CPageSetupHF::OnApply() {
    const auto join = [this](int a, int b, int c) {
        return FromWx(GetEdit(a)->GetValue()) + u'\t' + FromWx(GetEdit(b)->GetValue()) + u'\t' +
               FromWx(GetEdit(c)->GetValue());
    };
    m_edit.record.m_strHeader = join(IDC_HEADER_LEFT, IDC_HEADER_CENTRE, IDC_HEADER_RIGHT);
    m_edit.record.m_strFooter = join(IDC_FOOTER_LEFT, IDC_FOOTER_CENTRE, IDC_FOOTER_RIGHT);
    m_edit.recordedPage = 2;
    return true;
}

void CPageSetupHF::OnReset() {
    m_edit.recordedPage = 2;
}

// ---- the sheet ------------------------------------------------------------------------------------

CCustPageSetupDialog::CCustPageSetupDialog(wxWindow* parent, CPageSetupEdit& edit, IPrinterLister& printers)
    : CCvlPropertySheet(parent, u"Page Setup", false),
      m_edit(edit),
      m_page(edit, printers),
      m_margins(edit),
      m_hf(edit) {
    AddPage(&m_page);
    AddPage(&m_margins);
    AddPage(&m_hf);
    // Print, Print Preview and the printer's own options stand beside the pages.
    auto* column = new wxBoxSizer(wxVERTICAL);
    const struct {
        int id;
        const char* label;
        void (CCustPageSetupDialog::*press)();
    } buttons[] = {{IDC_PRINT, "Prin&t...", &CCustPageSetupDialog::PressPrint},
                   {IDC_PREVIEW, "Print Pre&view...", &CCustPageSetupDialog::PressPreview},
                   {IDC_OPTIONS, "&Options...", &CCustPageSetupDialog::PressOptions}};
    for (const auto& b : buttons) {
        auto* button = new wxButton(this, b.id, b.label, wxDefaultPosition, wxSize(110, -1));
        button->Bind(wxEVT_BUTTON, [this, press = b.press](wxCommandEvent&) { (this->*press)(); });
        column->Add(button, 0, wxALL, 6);
    }
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    wxSizer* pages = GetSizer();
    SetSizer(nullptr, false);
    row->Add(pages, 1, wxEXPAND);
    row->Add(column, 0, wxTOP, 24);
    SetSizer(row);
}

void CCustPageSetupDialog::EndAndPost(int command) {
    if (!GetFlow().Ok()) return;
    if (wxWindow* main = wxTheApp ? wxTheApp->GetTopWindow() : nullptr) {
        wxCommandEvent event(wxEVT_MENU, WxCommandId(command));
        event.SetEventObject(main);
        main->GetEventHandler()->AddPendingEvent(event);
    }
}

void CCustPageSetupDialog::PressPrint() {
    EndAndPost(ID_FILE_PRINT);
}

void CCustPageSetupDialog::PressPreview() {
    EndAndPost(ID_FILE_PRINT_PREVIEW);
}

void CCustPageSetupDialog::PressOptions() {
    // The printer's own settings: the toolkit's print setup over this setup; what it brings back
    // (printer, orientation, paper) shows on the Page page.
    wxPageSetupDialogData data(MakePrintData(m_edit.print));
    wxPageSetupDialog dialog(this, &data);
    if (dialog.ShowModal() != wxID_OK) return;
    const wxPrintData& chosen = dialog.GetPageSetupDialogData().GetPrintData();
    m_edit.print.orientation = chosen.GetOrientation() == wxLANDSCAPE ? 2 : 1;
    if (const WString paper = PaperKeywordFromId(int(chosen.GetPaperId())); !paper.empty())
        m_edit.print.paper = paper;
    const WString printer = FromWx(chosen.GetPrinterName());
    if (!printer.empty() && printer != m_edit.print.printer)
        m_page.ChoosePrinter(printer);
    else
        m_page.Refresh();
}

int CvlGetPageSetupStartPage() {
    return g_nStartPage;
}

int CvlDoPageSetup(CPageSetup& record, wxWindow* view, const std::string& docPath, int viewKind) {
    CPageSetupEdit edit;
    edit.record = record;
    edit.print = GetPrintSetup(record, docPath, viewKind);
    edit.recordedPage = g_nStartPage;
    int result = SHEET_CANCEL;
    {
        CCustPageSetupDialog sheet(view ? wxGetTopLevelParent(view) : nullptr, edit, CvlGetPrinterLister());
        result = sheet.DoModal(std::clamp(g_nStartPage, 0, 2));
    }
    g_nStartPage = edit.recordedPage;
    if (result != SHEET_OK) return result;
    record = edit.record;
    SetPrintSetup(record, docPath, viewKind, edit.print);
    if (view) {
        wxCommandEvent event(CVL_EVT_PAGE_SETUP_CHANGED, view->GetId());
        event.SetEventObject(view);
        view->GetEventHandler()->ProcessEvent(event);
    }
    return result;
}

// ---- printing ------------------------------------------------------------------------------------

wxPrintData MakePrintData(const CPrintSetup& setup) {
    wxPrintData data;
    if (!setup.printer.empty()) data.SetPrinterName(ToWx(setup.printer));
    data.SetOrientation(setup.orientation == 2 ? wxLANDSCAPE : wxPORTRAIT);
    wxPaperSize paper = setup.paperId > 0 ? wxPaperSize(setup.paperId) : wxPAPER_NONE;
    if (paper == wxPAPER_NONE && !setup.paper.empty()) {
        CPrinterCapabilities caps;
        if (!setup.printer.empty() && CvlGetPrinterLister().GetCapabilities(setup.printer, caps))
            for (const CPaperChoice& choice : caps.papers)
                if (choice.name == setup.paper) {
                    paper = wxThePrintPaperDatabase->GetSize(wxSize(choice.widthMm10, choice.heightMm10));
                    if (paper == wxPAPER_NONE)
                        data.SetPaperSize(wxSize(choice.widthMm10 / 10, choice.heightMm10 / 10));
                }
        for (int id = 1; paper == wxPAPER_NONE && id < 120; ++id)
            if (PaperKeywordFromId(id) == setup.paper) paper = wxPaperSize(id);
    }
    if (paper != wxPAPER_NONE) data.SetPaperId(paper);
    if (setup.resolution > 0) data.SetQuality(wxPrintQuality(setup.resolution));
    return data;
}

WString PageSetupToday() {
    return COleDateTime::GetCurrentTime().Format("%x");
}

void DrawHeaderFooter(wxDC& dc, const CPageSetup& setup, const CHeaderFooterContext& context, int paperWidth,
                      int paperHeight, const wxSize& ppi) {
    const wxFont previous = dc.GetFont();
    // A 12-point serif face; its size is in the DC's pixels at ppi.
    wxFont font(wxFontInfo(12).Family(wxFONTFAMILY_ROMAN).FaceName("Times New Roman"));
    dc.SetFont(font);
    const int px = std::max(1, ppi.x), py = std::max(1, ppi.y);
    const auto width = [&](const WString& text) {
        if (text.empty()) return 0;
        return dc.GetTextExtent(ToWx(text)).x * 100 / px;
    };
    for (const CHeaderFooterText& part : setup.LayoutHeaderFooter(paperWidth, paperHeight, context, width))
        dc.DrawText(ToWx(part.text), part.x * px / 100, part.y * py / 100);
    dc.SetFont(previous);
}
