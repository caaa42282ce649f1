#include "shell/frame_bars.h"

#include <wx/artprov.h>
#include <wx/aui/auibar.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/cshelp.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/dcmemory.h>
#include <wx/docmdi.h>
#include <wx/menu.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include <algorithm>
#include <cstdlib>

#include "abi/breed_abi.h"
#include "document/bar_rules.h"
#include "document/command_ids.h"
#include "document/doc_commands.h"
#include "document/reader_manager.h"
#include "document/sheep_doc.h"
#include "document/ui/breeding_pages.h"
#include "document/ui/options_pages.h"
#include "document/ui/properties_sheet.h"
#include "document/ui/sheep_dialogs_wx.h"
#include "document/ui/sheet.h"
#include "document/ui/sync_wizard.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/settings.h"
#include "records/criteria.h"
#include "records/sheep.h"
#include "shell/customize_toolbar_dlg.h"
#include "views/bar_messages.h"
#include "views/base_list_view.h"
#include "views/file_commands.h"
#include "views/frame_site.h"
#include "views/report_view.h"
#include "views/sheep_document.h"
#include "views/view_options.h"

namespace {

constexpr int kZoomWidth = 60;
constexpr int kTypeWidth = 105;
constexpr int kDateWidth = 85;
constexpr int kSeparatorWidth = 12;

struct CCommandText {
    int command;
    const char* label;
    const char* tip;
    const char* letter;  // drawn on the button when the theme has no image for it
    const char* art;
};

const CCommandText kCommandTexts[] = {
    {ID_FILE_NEW, "New", "New", "N", wxART_NEW},
    {ID_FILE_OPEN, "Open", "Open", "O", wxART_FILE_OPEN},
    {ID_FILE_SAVE, "Save", "Save", "S", wxART_FILE_SAVE},
    {ID_FILE_PRINT, "Print", "Print", "P", wxART_PRINT},
    {ID_FILE_PRINT_PREVIEW, "Print Preview", "Print Preview", "V", wxART_FIND},
    {ID_EDIT_CUT, "Cut", "Cut", "X", wxART_CUT},
    {ID_EDIT_COPY, "Copy", "Copy", "C", wxART_COPY},
    {ID_EDIT_PASTE, "Paste", "Paste", "P", wxART_PASTE},
    {ID_CONTEXT_HELP, "Help", "Help", "?", wxART_HELP},
    {ID_SHEEP_GOTO, "Goto Dedov", "Goto Dedov", "G", wxART_FIND},
    {ID_SHEEP_ADD, "Add Dedov", "Add Dedov", "+", wxART_PLUS},
    {ID_SHEEP_FIRST, "First", "First Dedov", "|<", wxART_GOTO_FIRST},
    {ID_SHEEP_PREVIOUS, "Previous", "Previous Dedov", "<", wxART_GO_BACK},
    {ID_SHEEP_NEXT, "Next", "Next Dedov", ">", wxART_GO_FORWARD},
    {ID_SHEEP_LAST, "Last", "Last Dedov", ">|", wxART_GOTO_LAST},
    {ID_GO_BACK, "Go Back", "Go Back", "<<", wxART_GO_BACK},
    {ID_GO_FORWARD, "Go Forward", "Go Forward", ">>", wxART_GO_FORWARD},
    {ID_FILTER_RAMS, "Rams", "Rams", "R", ""},
    {ID_FILTER_EWES, "Ewes", "Ewes", "E", ""},
    {ID_FILTER_ADULTS, "Adults", "Adults", "A", ""},
    {ID_FILTER_SHEARLINGS, "Shearlings", "Shearlings", "S", ""},
    {ID_FILTER_LAMBS, "Lambs", "Lambs", "L", ""},
    {ID_EID_DOWNLOAD, "Download EIDs", "Download EIDs", "D", wxART_GO_DOWN},
    {ID_EID_UPLOAD, "Upload EIDs", "Upload EIDs", "U", wxART_GO_UP},
};

const CCommandText& TextOf(int command) {
    for (const auto& text : kCommandTexts)
        if (text.command == command || WxCommandId(text.command) == command) return text;
    static const CCommandText none{0, "", "", "", ""};
    return none;
}

wxBitmap LetterBitmap(const wxString& letter) {
    wxBitmap bitmap(16, 16);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).Smaller());
    dc.SetTextForeground(*wxBLACK);
    const wxSize extent = dc.GetTextExtent(letter);
    dc.DrawText(letter, (16 - extent.x) / 2, (16 - extent.y) / 2);
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

wxBitmap ButtonBitmap(const CCommandText& text) {
    if (*text.art) {
        wxBitmap art = wxArtProvider::GetBitmap(text.art, wxART_TOOLBAR, wxSize(16, 16));
        if (art.IsOk()) return art;
    }
    return LetterBitmap(text.letter);
}

void AddButton(wxAuiToolBar* bar, int command, wxItemKind kind = wxITEM_NORMAL) {
    const CCommandText& text = TextOf(command);
    bar->AddTool(WxCommandId(command), text.label, ButtonBitmap(text), text.tip, kind);
}

// The documents commands the main window answers; the rest come with their own dialogs and sheets.
const int kAnsweredCommands[] = {
    ID_FILTER_RAMS,        ID_FILTER_EWES,        ID_FILTER_ADULTS,  ID_FILTER_SHEARLINGS, ID_FILTER_LAMBS,
    ID_SHEEP_FIRST,        ID_SHEEP_NEXT,         ID_SHEEP_PREVIOUS, ID_SHEEP_LAST,        ID_GO_BACK,
    ID_GO_FORWARD,         ID_SHEEP_ADD,          ID_SHEEP_GOTO,     ID_FILE_IMPORT,       ID_FILE_EXPORT,
    ID_OPERATIONS_TUPPING, ID_OPERATIONS_LAMBING, ID_OPTIONS_FARM,   ID_OPTIONS_EVENTS,    ID_FILE_PROPERTIES,
    ID_FILE_UPLOAD,        ID_EID_DOWNLOAD};
const int kWaitingCommands[] = {ID_SHEEP_SIGNET, ID_EID_UPLOAD};

// The reader's download wizard; a flock it changed is marked and redrawn.
void RunReaderDownload(wxWindow* frame, CSheepDoc& core) {
    CEIDReaderManager* reader = CvlGetReaderManager();
    if (!reader) return;
    // No animals to hand out; the transfer page goes to the manager, which tells it of the port's removal.
    EIDSourceWindow source{frame, reader, nullptr};
    source.send = [](void* context, uint32_t message, uintptr_t, intptr_t lParam) -> intptr_t {
        if (message == WM_EIDTRANSFERPAGE)
            static_cast<CEIDReaderManager*>(context)->SetTransferPage(
                reinterpret_cast<const EIDTransferPage*>(lParam));
        return 0;
    };
    const bool changed = reader->DownloadFromReader(&source, core.GetDocumentDual());
    reader->SetTransferPage(nullptr);
    if (!changed) return;
    core.SetModifiedFlag(true);
    core.UpdateAllViews(nullptr);
}

}  // namespace

CFrameBars::CFrameBars(wxFrame* frame, wxDocManager* manager, wxMenu* reportsMenu)
    : m_pFrame(frame), m_pManager(manager), m_pReportsMenu(reportsMenu) {
    m_bTooltips = CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Tooltips", 1) != 0;
    m_manager.SetManagedWindow(frame);
    if (auto* mdi = wxDynamicCast(frame, wxMDIParentFrame); mdi && mdi->GetClientWindow())
        m_manager.AddPane(mdi->GetClientWindow(), wxAuiPaneInfo().Name("documents").CenterPane());
    CreateStandardBar();
    CreateNavigatorBar();
    CreateFilterBar();
    CreateReportingBar();
    BindCommands();
    ShowCriteria(CCriteria());
    SetTooltips(m_bTooltips);
    LoadState();
    // The bars of a kind of view show with that view.
    for (int id : {ID_BAR_NAVIGATOR, ID_BAR_FILTER, ID_BAR_REPORTING})
        m_manager.GetPane(m_pFrame->FindWindow(WxCommandId(id))).Hide();
    m_manager.Update();
}

CFrameBars::~CFrameBars() {
    m_manager.UnInit();
}

void CFrameBars::AddBar(wxWindow* bar, int id, const wxString& name, const wxString& title, int row,
                        int position) {
    bar->SetId(WxCommandId(id));
    m_bars.push_back(bar);
    // A button's prompt goes to the status bar while the pointer rests on it.
    if (auto* tools = dynamic_cast<wxAuiToolBar*>(bar)) {
        tools->Bind(wxEVT_MOTION, [this, tools](wxMouseEvent& event) {
            event.Skip();
            wxAuiToolBarItem* item = tools->FindToolByPosition(event.GetX(), event.GetY());
            const wxString prompt = item ? item->GetLongHelp() : wxString();
            if (prompt.empty())
                m_pFrame->DoGiveHelp(wxEmptyString, false);
            else
                m_pFrame->DoGiveHelp(prompt, true);
        });
        tools->Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& event) {
            event.Skip();
            m_pFrame->DoGiveHelp(wxEmptyString, false);
        });
    }
    m_manager.AddPane(bar, wxAuiPaneInfo()
                               .Name(name)
                               .Caption(title)
                               .ToolbarPane()
                               .Top()
                               .Row(row)
                               .Position(position)
                               .LeftDockable()
                               .RightDockable()
                               .BottomDockable());
}

void CFrameBars::CreateStandardBar() {
    auto* bar = new wxAuiToolBar(m_pFrame, WxCommandId(ID_BAR_STANDARD), wxDefaultPosition, wxDefaultSize,
                                 wxAUI_TB_DEFAULT_STYLE | wxAUI_TB_HORIZONTAL);
    const wxString sizes[] = {"25%", "50%", "75%", "100%", "200%"};
    m_pZoom = new wxComboBox(bar, WxCommandId(ID_ZOOM_BOX), wxEmptyString, wxDefaultPosition,
                             wxSize(kZoomWidth + 40, -1), WXSIZEOF(sizes), sizes, wxCB_DROPDOWN);
    m_pZoom->SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
    m_pStandard = bar;
    m_standardLayout.assign(kStandardLayout.begin(), kStandardLayout.end());
    FillStandardBar();
    AddBar(bar, ID_BAR_STANDARD, "Standard", "Standard", 0, 0);
}

void CFrameBars::FillStandardBar() {
    m_pStandard->ClearTools();
    // The zoom box outlives the tools: it stays a child of the bar, hidden while off it.
    bool zoom = false;
    for (int command : m_standardLayout) {
        if (command == CToolbarLayout::kSeparator) {
            m_pStandard->AddSeparator();
        } else if (command == ID_ZOOM_BOX) {
            m_pStandard->AddControl(m_pZoom, "Zoom");
            zoom = true;
        } else {
            AddButton(m_pStandard, command);
        }
    }
    m_pZoom->Show(zoom);
    m_pStandard->Realize();
}

void CFrameBars::SetStandardLayout(const std::vector<int>& layout) {
    m_standardLayout = layout;
    FillStandardBar();
    wxAuiPaneInfo& pane = m_manager.GetPane(m_pStandard);
    if (pane.IsOk()) pane.BestSize(m_pStandard->GetBestSize());
    m_manager.Update();
}

wxString CFrameBars::GetButtonText(int command) {
    if (command == CToolbarLayout::kSeparator) return "Separator";
    if (command == ID_ZOOM_BOX) return "Zoom";
    return TextOf(command).tip;
}

void CFrameBars::OnCustomize() {
    CCustomizeToolbarDlg dialog(
        m_pFrame, m_standardLayout, [](int command) { return GetButtonText(command); },
        [this](const std::vector<int>& layout) { SetStandardLayout(layout); },
        [this] {
            if (wxHelpProvider* provider = wxHelpProvider::Get()) {
                m_pStandard->SetHelpText(wxString::Format("%u", CvlCommandHelpId(ID_BAR_STANDARD)));
                provider->ShowHelp(m_pStandard);
            }
        });
    CvlRunModal(dialog);
}

wxAuiToolBar* CFrameBars::GetShowMeBar(int bar) const {
    const int ids[] = {ID_BAR_STANDARD, ID_BAR_FILTER, ID_BAR_NAVIGATOR};
    if (bar < 0 || bar >= int(WXSIZEOF(ids))) return nullptr;
    return dynamic_cast<wxAuiToolBar*>(m_pFrame->FindWindow(WxCommandId(ids[bar])));
}

void CFrameBars::CreateNavigatorBar() {
    auto* bar = new wxAuiToolBar(m_pFrame, WxCommandId(ID_BAR_NAVIGATOR), wxDefaultPosition, wxDefaultSize,
                                 wxAUI_TB_DEFAULT_STYLE | wxAUI_TB_HORIZONTAL);
    for (int command : {ID_SHEEP_FIRST, ID_SHEEP_PREVIOUS, ID_SHEEP_NEXT, ID_SHEEP_LAST})
        AddButton(bar, command);
    bar->AddSeparator();
    for (int command : {ID_GO_BACK, ID_GO_FORWARD}) AddButton(bar, command);
    bar->Realize();
    AddBar(bar, ID_BAR_NAVIGATOR, "Record Navigator", "Record Navigator", 1, 0);
}

void CFrameBars::CreateFilterBar() {
    const wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    auto* bar = new wxAuiToolBar(m_pFrame, WxCommandId(ID_BAR_FILTER), wxDefaultPosition, wxDefaultSize,
                                 wxAUI_TB_DEFAULT_STYLE | wxAUI_TB_HORIZONTAL);
    AddButton(bar, ID_FILTER_RAMS, wxITEM_CHECK);
    AddButton(bar, ID_FILTER_EWES, wxITEM_CHECK);
    bar->AddSeparator();
    AddButton(bar, ID_FILTER_ADULTS, wxITEM_CHECK);
    AddButton(bar, ID_FILTER_SHEARLINGS, wxITEM_CHECK);
    AddButton(bar, ID_FILTER_LAMBS, wxITEM_CHECK);
    bar->AddSeparator();

    m_pType = new wxChoice(bar, WxCommandId(ID_EXTRACT_TYPE), wxDefaultPosition, wxSize(kTypeWidth, -1));
    m_pType->SetFont(font);
    for (const char16_t* kind : kExtractionKinds) m_pType->Append(ToWx(kind));
    // Wide enough for the longest kind beside the drop-down arrow of this desktop's theme.
    m_pType->SetMinSize(wxSize(std::max(kTypeWidth, m_pType->GetBestSize().x), -1));
    m_pType->SetSize(m_pType->GetMinSize().x, -1);
    bar->AddControl(m_pType, "Extract Type");
    bar->AddSpacer(kSeparatorWidth);

    // The date picker, or the year with its spin, in one place.
    m_pDateArea =
        new wxControl(bar, WxCommandId(ID_DATE_AREA), wxDefaultPosition, wxDefaultSize, wxBORDER_NONE);
    auto* sizer = new wxBoxSizer(wxHORIZONTAL);
    m_pDate =
        new wxDatePickerCtrl(m_pDateArea, WxCommandId(ID_EXTRACT_DATE), wxDefaultDateTime, wxDefaultPosition,
                             wxSize(kDateWidth + 40, -1), wxDP_DROPDOWN | wxDP_SHOWCENTURY);
    m_pDate->SetFont(font);
    m_pYear =
        new wxTextCtrl(m_pDateArea, WxCommandId(ID_EXTRACT_YEAR), wxEmptyString, wxDefaultPosition,
                       wxSize(kDateWidth - 20, -1), wxTE_PROCESS_ENTER, wxTextValidator(wxFILTER_DIGITS));
    m_pYear->SetFont(font);
    m_pSpin = new wxSpinButton(m_pDateArea, WxCommandId(ID_YEAR_SPIN), wxDefaultPosition, wxDefaultSize,
                               wxSP_VERTICAL | wxSP_ARROW_KEYS);
    m_pSpin->SetRange(kFirstSpinYear, GetLastSpinYear());
    m_pSpin->SetMinSize(m_pSpin->GetBestSize());
    sizer->Add(m_pDate, 0, wxALIGN_CENTER_VERTICAL);
    sizer->Add(m_pYear, 0, wxALIGN_CENTER_VERTICAL);
    sizer->Add(m_pSpin, 0, wxALIGN_CENTER_VERTICAL);
    m_pDateArea->SetSizer(sizer);
    // One of the two shows at a time: the area is as wide as the wider of them.
    const wxSize dateSize = m_pDate->GetBestSize();
    const wxSize yearSize = m_pYear->GetBestSize();
    const wxSize spinSize = m_pSpin->GetBestSize();
    m_pDateArea->SetSize(wxSize(std::max(dateSize.x, yearSize.x + spinSize.x),
                                std::max({dateSize.y, yearSize.y, spinSize.y})));
    m_pDateArea->SetMinSize(m_pDateArea->GetSize());
    bar->AddControl(m_pDateArea, "Extraction Date");

    AddButton(bar, ID_EID_DOWNLOAD);
    AddButton(bar, ID_EID_UPLOAD);
    bar->Realize();
    AddBar(bar, ID_BAR_FILTER, "Record Filter", "Record Filter", 1, 2);

    m_pType->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnTypeChanged(); });
    m_pYear->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) {
        wxCommandEvent command(wxEVT_MENU, WxCommandId(ID_YEAR_ENTER));
        command.SetEventObject(m_pFrame);
        m_pFrame->GetEventHandler()->AddPendingEvent(command);
    });
    m_pYear->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& event) {
        event.Skip();
        CallAfter([this] { OnYearEntered(); });
    });
    m_pDate->Bind(wxEVT_DATE_CHANGED, [this](wxDateEvent&) { OnDateChanged(); });
    const auto spin = [this](wxSpinEvent& event, int delta) {
        if (!OnSpin(event.GetPosition() - delta, delta)) event.Veto();
    };
    m_pSpin->Bind(wxEVT_SPIN_UP, [spin](wxSpinEvent& event) { spin(event, 1); });
    m_pSpin->Bind(wxEVT_SPIN_DOWN, [spin](wxSpinEvent& event) { spin(event, -1); });
}

void CFrameBars::CreateReportingBar() {
    auto* bar = new wxAuiToolBar(m_pFrame, WxCommandId(ID_BAR_REPORTING), wxDefaultPosition, wxDefaultSize,
                                 wxAUI_TB_DEFAULT_STYLE | wxAUI_TB_HORIZONTAL);
    m_pReportType = new wxChoice(bar, WxCommandId(ID_REPORT_TYPE), wxDefaultPosition, wxSize(150, -1));
    m_pReportYear = new wxChoice(bar, WxCommandId(ID_REPORT_YEAR), wxDefaultPosition, wxSize(80, -1));
    m_pReportSex = new wxChoice(bar, WxCommandId(ID_REPORT_SEX), wxDefaultPosition, wxSize(120, -1));
    bar->AddControl(m_pReportType, "Report");
    bar->AddControl(m_pReportYear, "Year");
    bar->AddControl(m_pReportSex, "Selection");
    bar->Realize();
    AddBar(bar, ID_BAR_REPORTING, "Reporting", "Reporting", 1, 1);
    m_pReportType->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnReportTypeChanged(); });
    m_pReportYear->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnReportYearChanged(); });
    m_pReportSex->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnReportSexChanged(); });
}

void CFrameBars::ResetReportList() {
    ResetReportTypes();
    if (m_pReportsMenu)
        while (m_pReportsMenu->GetMenuItemCount() > 0)
            m_pReportsMenu->Destroy(m_pReportsMenu->FindItemByPosition(0));
}

void CFrameBars::AddReport(const WString& name, int reportId) {
    AddReportType(name, reportId);
    const int command = ID_REPORT_BASE + reportId;
    // The breed's definition of the report is its prompt in the status bar.
    WString prompt;
    if (CSheepDoc* core = GetActiveCore()) core->GetReportDefinition(reportId, prompt);
    if (m_pReportsMenu && command <= ID_REPORT_LAST)
        m_pReportsMenu->AppendCheckItem(WxCommandId(command), ToWx(name), ToWx(prompt));
}

void CFrameBars::RefreshReportList() {
    CSheepDoc* core = GetActiveCore();
    if (!core) return;
    // The plug-in's list, with the chosen report kept.
    const int type = GetReportType();
    core->SetReportsMenuSite(this);
    core->BuildReportsMenu(true);
    for (unsigned i = 0; i < m_pReportType->GetCount(); ++i)
        if (int(reinterpret_cast<intptr_t>(m_pReportType->GetClientData(i))) == type)
            m_pReportType->SetSelection(int(i));
}

void CFrameBars::BindCommands() {
    m_pFrame->Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { RunViewOptions(m_pFrame, GetActiveCore()); },
        WxCommandId(ID_VIEW_OPTIONS));
    m_pFrame->Bind(
        wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& event) { event.Enable(GetActiveCore() != nullptr); },
        WxCommandId(ID_VIEW_OPTIONS));
    m_pFrame->Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& event) {
        event.Skip();
        if (m_pReportsMenu && event.GetMenu() == m_pReportsMenu) RefreshReportList();
    });
    m_pFrame->Bind(
        wxEVT_MENU, [this](wxCommandEvent& event) { OnReportCommand(CommandOfWxId(event.GetId())); },
        WxCommandId(ID_REPORT_BASE), WxCommandId(ID_REPORT_LAST));
    m_pFrame->Bind(
        wxEVT_UPDATE_UI,
        [this](wxUpdateUIEvent& event) {
            const int command = CommandOfWxId(event.GetId());
            auto* report = dynamic_cast<CReportView*>(GetActiveView());
            event.Enable(GetActiveCore() != nullptr);
            event.Check(report && report->GetReportType() == command - ID_REPORT_BASE);
        },
        WxCommandId(ID_REPORT_BASE), WxCommandId(ID_REPORT_LAST));
    for (int id : kAnsweredCommands) {
        m_pFrame->Bind(
            wxEVT_MENU, [this, id](wxCommandEvent&) { OnDocCommand(id); }, WxCommandId(id));
        m_pFrame->Bind(
            wxEVT_UPDATE_UI, [this, id](wxUpdateUIEvent& event) { OnUpdateDocCommand(event, id); },
            WxCommandId(id));
    }
    // Their dialogs, sheets and the reader come with their own work; until then they stay grey.
    for (int id : kWaitingCommands)
        m_pFrame->Bind(
            wxEVT_UPDATE_UI, [](wxUpdateUIEvent& event) { event.Enable(false); }, WxCommandId(id));
    for (int id : {ID_EXTRACT_TYPE, ID_EXTRACT_YEAR, ID_EXTRACT_DATE, ID_YEAR_SPIN})
        m_pFrame->Bind(wxEVT_UPDATE_UI, &CFrameBars::OnUpdateFilterControl, this, WxCommandId(id));
    m_pFrame->Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnYearEntered(); }, WxCommandId(ID_YEAR_ENTER));

    for (int id : {ID_BAR_STANDARD, ID_BAR_NAVIGATOR, ID_BAR_FILTER, ID_BAR_REPORTING}) {
        m_pFrame->Bind(
            wxEVT_MENU, [this, id](wxCommandEvent&) { ShowBar(id, !IsBarShown(id)); }, WxCommandId(id));
        m_pFrame->Bind(
            wxEVT_UPDATE_UI, [this, id](wxUpdateUIEvent& event) { event.Check(IsBarShown(id)); },
            WxCommandId(id));
    }

    m_pFrame->Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnCustomize(); }, WxCommandId(ID_TOOLBAR_CUSTOMIZE));

    // The zoom box: taken when it loses the focus, or when an entry is chosen.
    m_pZoom->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& event) {
        event.Skip();
        CallAfter([this] { ApplyZoomText(); });
    });
    m_pZoom->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent&) {
        m_pZoom->SelectAll();
        CallAfter([this] { ApplyZoomText(); });
    });
    m_pFrame->Bind(
        wxEVT_UPDATE_UI,
        [this](wxUpdateUIEvent& event) {
            wxView* view = GetActiveView();
            auto* docView = dynamic_cast<CDocView*>(view);
            event.Enable(view && !(docView && docView->GetViewKind() == VIEW_KIND_SHEEP));
        },
        WxCommandId(ID_ZOOM_BOX));

    m_pFrame->Bind(CVL_EVT_UPDATE_FILTER_BAR, [this](wxCommandEvent& event) {
        if (const auto* criteria = static_cast<const CCriteria*>(event.GetClientData()))
            ShowCriteria(*criteria);
        else if (CSheepDoc* core = GetActiveCore())
            ShowCriteria(core->GetExtractionCriteria());
    });
    m_pFrame->Bind(CVL_EVT_SET_ZOOM_TEXT, [this](wxCommandEvent& event) { SetZoomText(event.GetInt()); });
    m_pFrame->Bind(CVL_EVT_UPDATE_REPORT_BAR, [this](wxCommandEvent&) { OnUpdateReportBar(); });

    for (int id : {ID_REPORT_TYPE, ID_REPORT_YEAR, ID_REPORT_SEX}) {
        m_pFrame->Bind(
            wxEVT_UPDATE_UI,
            [this, id](wxUpdateUIEvent& event) {
                auto* docView = dynamic_cast<CDocView*>(GetActiveView());
                CSheepDoc* core = GetActiveCore();
                bool enable = core && docView && docView->GetViewKind() == VIEW_KIND_REPORT;
                if (enable && id == ID_REPORT_YEAR)
                    enable = core->UpdateReportToolbar(GetReportType(), 4) != 0;
                if (enable && id == ID_REPORT_SEX)
                    enable = core->UpdateReportToolbar(GetReportType(), 2) != 0;
                event.Enable(enable);
            },
            WxCommandId(id));
    }
}

wxView* CFrameBars::GetActiveView() const {
    return m_pManager ? m_pManager->GetCurrentView() : nullptr;
}

CSheepDoc* CFrameBars::GetActiveCore() const {
    auto* doc = m_pManager ? dynamic_cast<CSheepDocument*>(m_pManager->GetCurrentDocument()) : nullptr;
    return doc ? &doc->GetCore() : nullptr;
}

CSheepDoc* CFrameBars::GetFilterCore() const {
    CSheepDoc* core = GetActiveCore();
    return core && core->GetSheepCount() > 0 ? core : nullptr;
}

void CFrameBars::OnDocCommand(int command) {
    CSheepDoc* core = GetActiveCore();
    if (!core) return;
    if (!GetDocCommandState(*core, command).enabled) return;
    switch (command) {
        case ID_SHEEP_ADD:
            NewSheep(m_pFrame, *core, -1, nullptr, nullptr);
            return;
        case ID_SHEEP_GOTO: {
            CGotoSheepDlg dialog(core, m_pFrame, {});
            CvlRunModal(dialog);
            return;
        }
        case ID_FILE_IMPORT:
            RunFileImport(m_pFrame, *core);
            return;
        case ID_FILE_EXPORT:
            RunFileExport(m_pFrame, *core, GetActiveView());
            return;
        case ID_OPERATIONS_TUPPING:
            RunTuppingWizard(m_pFrame, *core);
            return;
        case ID_OPERATIONS_LAMBING:
            RunLambingWizard(m_pFrame, *core);
            return;
        case ID_OPTIONS_FARM: {
            CDatabaseOptionsRun run;
            run.generalApplied = [this](const CGeneralOptions& options) { SetTooltips(options.tooltips); };
            CvlRunDatabaseOptions(m_pFrame, *core, run);
            return;
        }
        case ID_OPTIONS_EVENTS:
            CvlRunSystemAdministration(m_pFrame, *core);
            return;
        case ID_FILE_PROPERTIES:
            CvlRunDocumentProperties(m_pFrame, *core);
            return;
        case ID_FILE_UPLOAD:
            RunSyncWizard(m_pFrame, *core);
            return;
        case ID_EID_DOWNLOAD:
            RunReaderDownload(m_pFrame, *core);
            return;
        case ID_GO_BACK:
            core->OnGoBack();
            break;
        case ID_GO_FORWARD:
            core->OnGoForward();
            break;
        case ID_SHEEP_FIRST:
        case ID_SHEEP_PREVIOUS:
        case ID_SHEEP_NEXT:
        case ID_SHEEP_LAST:
            MoveToSheep(*core, command, true);
            break;
        default:
            ToggleFilter(*core, command);
            return;
    }
    // The record pane follows the move: the animal's row in a list, else its place in the flock.
    if (auto* site = dynamic_cast<IViewFrameSite*>(m_pFrame)) {
        auto* list = dynamic_cast<CBaseListView*>(GetActiveView());
        site->SetCurrentRecord(list ? int(list->FindRow(core->GetCurrentSheep())) : core->GetCurrentIndex());
    }
}

void CFrameBars::OnUpdateDocCommand(wxUpdateUIEvent& event, int command) {
    CSheepDoc* core = GetActiveCore();
    if (!core) {
        event.Enable(false);
        return;
    }
    const CCommandState state = GetDocCommandState(*core, command);
    event.Enable(state.enabled);
    if (command >= ID_FILTER_RAMS && command <= ID_FILTER_LAMBS) {
        if (m_bExtractionGreyed) event.Enable(false);
        event.Check(state.checked);
        if (auto* bar = dynamic_cast<wxAuiToolBar*>(m_pFrame->FindWindow(WxCommandId(ID_BAR_FILTER)))) {
            const wxString prompt = ToWx(GetFilterPrompt(core->GetExtractionCriteria(), command));
            if (bar->GetToolLongHelp(WxCommandId(command)) != prompt)
                bar->SetToolLongHelp(WxCommandId(command), prompt);
        }
    }
}

void CFrameBars::OnUpdateFilterControl(wxUpdateUIEvent& event) {
    event.Enable(GetFilterCore() != nullptr && !m_bExtractionGreyed);
}

// ---- bars and their state ---------------------------------------------------------------------------

void CFrameBars::SaveState() {
    WriteProfileString(u"ToolBars", u"Layout", FromWx(m_manager.SavePerspective()));
}

void CFrameBars::LoadState() {
    const WString layout = GetProfileString(u"ToolBars", u"Layout");
    if (!layout.empty()) m_manager.LoadPerspective(ToWx(layout), false);
    for (wxWindow* bar : m_bars) {
        wxAuiPaneInfo& pane = m_manager.GetPane(bar);
        pane.Caption(pane.name);
    }
    m_manager.Update();
}

bool CFrameBars::IsBarShown(int barId) const {
    wxWindow* bar = m_pFrame->FindWindow(WxCommandId(barId));
    return bar && const_cast<wxAuiManager&>(m_manager).GetPane(bar).IsShown();
}

void CFrameBars::ShowBar(int barId, bool show) {
    if (wxWindow* bar = m_pFrame->FindWindow(WxCommandId(barId))) {
        m_manager.GetPane(bar).Show(show);
        m_manager.Update();
    }
}

void CFrameBars::ShowContextBar(int kind, bool preview) {
    const int bars[] = {ID_BAR_NAVIGATOR, ID_BAR_FILTER, ID_BAR_REPORTING};
    for (int i = 0; i < 3; ++i)
        if (wxWindow* bar = m_pFrame->FindWindow(WxCommandId(bars[i]))) {
            wxAuiPaneInfo& pane = m_manager.GetPane(bar);
            // They share a row and show one at a time, each from the row's start.
            if (!preview && kind == i && !pane.IsFloating() && pane.dock_row == 1) pane.Position(0);
            pane.Show(!preview && kind == i);
        }
    // The filter bar edits the criteria of the document whose list it comes with, which becomes
    // the active one once its activation is through.
    if (kind == 2 && m_pReportType->GetCount() == 0) CallAfter([this] { RefreshReportList(); });
    if (kind == 1)
        CallAfter([this] {
            if (CSheepDoc* core = GetActiveCore()) ShowCriteria(core->GetExtractionCriteria());
        });
    m_manager.Update();
}

void CFrameBars::SetTooltips(bool tooltips) {
    m_bTooltips = tooltips;
    for (wxWindow* bar : m_bars) {
        auto* toolbar = dynamic_cast<wxAuiToolBar*>(bar);
        if (!toolbar) continue;
        for (size_t i = 0; i < toolbar->GetToolCount(); ++i) {
            wxAuiToolBarItem* item = toolbar->FindToolByIndex(int(i));
            if (!item || item->GetKind() == wxITEM_SEPARATOR) continue;
            if (wxWindow* control = item->GetWindow()) {
                // A control's tip is its label, on the control and on the controls it holds.
                const wxString tip = tooltips ? item->GetLabel() : wxString();
                control->SetToolTip(tip);
                for (wxWindow* child : control->GetChildren()) child->SetToolTip(tip);
            } else if (item->GetId() > 0) {
                item->SetShortHelp(tooltips ? wxString(TextOf(item->GetId()).tip) : wxString());
            }
        }
    }
}

// ---- Record Filter bar ------------------------------------------------------------------------------

void CFrameBars::ShowCriteria(const CCriteria& criteria) {
    const int kind = criteria.m_nType;
    m_pType->SetSelection(kind >= 0 && kind < int(kExtractionKinds.size()) ? kind : wxNOT_FOUND);
    const CDateControl control = GetDateControl(kind);
    m_pDate->Show(control == CDateControl::Date);
    m_pYear->Show(control == CDateControl::Year);
    m_pSpin->Show(control == CDateControl::Year);
    const COleDateTime& date = criteria.m_dtDate;
    if (control == CDateControl::Date && date.GetStatus() == COleDateTime::valid)
        m_pDate->SetValue(wxDateTime(wxDateTime::wxDateTime_t(date.GetDay()),
                                     wxDateTime::Month(date.GetMonth() - 1), date.GetYear()));
    if (control == CDateControl::Year) {
        m_pYear->ChangeValue(ToWx(FormatCriteriaYear(criteria)));
        const int year = date.GetYear();
        if (year >= m_pSpin->GetMin() && year <= m_pSpin->GetMax()) m_pSpin->SetValue(year);
    }
    m_pDateArea->Layout();
}

void CFrameBars::OnTypeChanged() {
    CSheepDoc* core = GetFilterCore();
    if (!core) {
        if (CSheepDoc* active = GetActiveCore()) ShowCriteria(active->GetExtractionCriteria());
        return;
    }
    CCriteria& criteria = core->GetExtractionCriteria();
    criteria.m_nType = m_pType->GetSelection();
    ShowCriteria(criteria);
    core->UpdateAllViews(nullptr, HINT_SHEEP_SET | HINT_COLUMNS);
}

void CFrameBars::OnYearEntered() {
    CSheepDoc* core = GetFilterCore();
    if (!core || !m_pYear->IsShown()) return;
    // The edit takes digits only; a number too long for a year stands for one past the last.
    const wxString text = m_pYear->GetValue();
    long year = 0;
    if (text.length() > 9 || !text.ToLong(&year)) year = text.empty() ? 0 : 99999;
    CCriteria& criteria = core->GetExtractionCriteria();
    switch (SetCriteriaYear(criteria, year)) {
        case CYearResult::Changed:
            core->UpdateAllViews(nullptr, HINT_SHEEP_SET);
            break;
        case CYearResult::NoCentury:
            CvlMessageBox(IDS_YEAR_CENTURY, MB_OK | MB_ICONEXCLAMATION);
            break;
        case CYearResult::NoSuchDate:
            CvlMessageBoxText(GetNoSuchDateText(year), MB_OK | MB_ICONEXCLAMATION);
            break;
    }
    ShowCriteria(criteria);
}

bool CFrameBars::OnSpin(int position, int delta) {
    CSheepDoc* core = GetFilterCore();
    if (!core) return false;
    CCriteria& criteria = core->GetExtractionCriteria();
    if (!SpinCriteriaYear(criteria, position, delta)) return false;
    m_pYear->ChangeValue(ToWx(FormatCriteriaYear(criteria)));
    core->UpdateAllViews(nullptr, HINT_SHEEP_SET);
    return true;
}

void CFrameBars::OnDateChanged() {
    CSheepDoc* core = GetFilterCore();
    if (!core) return;
    CCriteria& criteria = core->GetExtractionCriteria();
    const COleDateTime picked = FromWxDate(m_pDate->GetValue(), criteria.m_dtDate);
    if (picked.GetStatus() != COleDateTime::valid) return;
    criteria.m_dtDate = picked;
    core->UpdateAllViews(nullptr, HINT_SHEEP_SET);
}

// ---- Standard bar -----------------------------------------------------------------------------------

void CFrameBars::SetZoomText(int percent) {
    const wxString text = ToWx(FormatZoomText(percent));
    for (unsigned i = 0; i < m_pZoom->GetCount(); ++i) {
        if (!text.empty() && m_pZoom->GetString(i).StartsWith(text)) {
            m_pZoom->SetSelection(int(i));
            return;
        }
    }
    m_pZoom->SetValue(text);
}

bool CFrameBars::ApplyZoomText() {
    if (m_bApplyingZoom) return false;
    m_bApplyingZoom = true;
    const int percent = ParseZoomText(FromWx(m_pZoom->GetValue()));
    bool applied = false;
    if (percent < 0) {
        CvlMessageBox(IDS_INVALID_ZOOM, MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
    } else {
        SetZoomText(percent);
        if (auto* view = dynamic_cast<IZoomView*>(GetActiveView())) view->SetZoom(percent);
        applied = true;
    }
    m_bApplyingZoom = false;
    return applied;
}

// ---- Reporting bar ----------------------------------------------------------------------------------

void CFrameBars::ResetReportTypes() {
    m_pReportType->Clear();
}

int CFrameBars::AddReportType(const WString& text, int type) {
    return m_pReportType->Append(ToWx(text), reinterpret_cast<void*>(intptr_t(type)));
}

int CFrameBars::GetReportType() const {
    const int selected = m_pReportType->GetSelection();
    if (selected == wxNOT_FOUND) return -1;
    return int(reinterpret_cast<intptr_t>(m_pReportType->GetClientData(unsigned(selected))));
}

WString CFrameBars::GetReportSexText() const {
    const int selected = m_pReportSex->GetSelection();
    return selected == wxNOT_FOUND ? WString() : FromWx(m_pReportSex->GetString(unsigned(selected)));
}

int CFrameBars::GetLastReportYear() const {
    std::vector<WString> years;
    for (unsigned i = 0; i < m_pReportYear->GetCount(); ++i)
        years.push_back(FromWx(m_pReportYear->GetString(i)));
    return ::GetLastReportYear(years);
}

namespace {

// A list of the Reporting bar as the breed plug-in fills it.
class CChoiceReportList final : public CVLReportList {
public:
    explicit CChoiceReportList(wxChoice* choice) : m_choice(choice) {}
    void Reset() override { m_choice->Clear(); }
    void Add(const char16_t* text) override { m_choice->Append(ToWx(WString(text ? text : u""))); }

private:
    wxChoice* m_choice;
};

}  // namespace

void CFrameBars::PrepareReportLists(CSheepDoc& core, int type) {
    CChoiceReportList sex(m_pReportSex);
    CChoiceReportList years(m_pReportYear);
    core.PrepareReportToolbar(type, &sex, &years);
    // A refilled list shows a choice: the first selection and the last year.
    if (m_pReportSex->GetSelection() == wxNOT_FOUND && m_pReportSex->GetCount() > 0)
        m_pReportSex->SetSelection(0);
    if (m_pReportYear->GetCount() > 0) m_pReportYear->SetSelection(int(m_pReportYear->GetCount()) - 1);
}

void CFrameBars::ApplyReport(int type, const WString& sexText, int year, int parts, bool fromTypeList) {
    wxView* active = GetActiveView();
    auto* docView = dynamic_cast<CDocView*>(active);
    auto* report = dynamic_cast<IReportSelectionView*>(active);
    CSheepDoc* core = GetActiveCore();
    if (!core || !docView || docView->GetViewKind() != VIEW_KIND_REPORT || !report) return;
    WString selection = sexText;
    if (parts & REPORT_PART_TYPE) {
        PrepareReportLists(*core, type);
        year = GetLastReportYear();
        // A selection of the previous type that the new one does not offer gives way to its first.
        if (fromTypeList && m_pReportSex->FindString(ToWx(selection), true) == wxNOT_FOUND)
            selection = GetReportSexText();
    }
    if (parts != REPORT_PART_YEAR) report->SetReport(type, selection);
    report->SetReportYear(year);
    core->UpdateAllViews(nullptr, GetReportHint(parts));
}

void CFrameBars::OnReportTypeChanged() {
    ApplyReport(GetReportType(), GetReportSexText(), GetLastReportYear(), REPORT_PART_TYPE, true);
}

void CFrameBars::OnReportSexChanged() {
    ApplyReport(GetReportType(), GetReportSexText(), GetLastReportYear(), REPORT_PART_SEX);
}

void CFrameBars::OnReportYearChanged() {
    const int selected = m_pReportYear->GetSelection();
    const wxString text = selected == wxNOT_FOUND ? wxString() : m_pReportYear->GetString(unsigned(selected));
    ApplyReport(GetReportType(), GetReportSexText(),
                int(std::strtol(text.ToStdString().c_str(), nullptr, 10)), REPORT_PART_YEAR);
}

void CFrameBars::ApplyReportSelection(int command, const WString& text) {
    CSheepDoc* core = GetActiveCore();
    if (!core) return;
    const int type = command - ID_REPORT_BASE;
    core->SetReportsMenuSite(this);
    core->BuildReportsMenu(true);
    PrepareReportLists(*core, type);
    for (unsigned i = 0; i < m_pReportType->GetCount(); ++i) {
        if (int(reinterpret_cast<intptr_t>(m_pReportType->GetClientData(i))) == type) {
            m_pReportType->SetSelection(int(i));
            break;
        }
    }
    if (m_pReportYear->GetCount() > 0) m_pReportYear->SetSelection(int(m_pReportYear->GetCount()) - 1);
    const WString sexText = text.empty() ? GetReportSexText() : text;
    if (m_showReportView) m_showReportView();
    ApplyReport(GetReportType(), sexText, GetLastReportYear(), REPORT_PART_ALL);
}

void CFrameBars::OnReportCommand(int command) {
    ApplyReportSelection(command, {});
}

void CFrameBars::OnUpdateReportBar() {
    const WString sexText = GetReportSexText();
    ApplyReport(GetReportType(), sexText, GetLastReportYear(), REPORT_PART_ALL);
    if (m_pReportSex->FindString(ToWx(sexText), true) == wxNOT_FOUND && m_pReportSex->GetCount() > 0) {
        m_pReportSex->SetSelection(0);
        OnReportSexChanged();
    }
}
