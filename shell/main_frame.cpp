#include "shell/main_frame.h"

#include <wx/app.h>
#include <wx/cshelp.h>
#include <wx/menu.h>
#include <wx/utils.h>

#include <algorithm>

#include "document/command_ids.h"
#include "document/doc_commands.h"
#include "document/ui/reader_options_page.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/scanner.h"
#include "platform/settings.h"
#include "platform/strings.h"
#include "shell/frame_bars.h"
#include "shell/main_menus.h"
#include "shell/progress_status_bar.h"
#include "shell/reader_tray.h"
#include "shell/show_me.h"
#include "shell/sheep_app.h"
#include "views/address_browser.h"
#include "views/antecedants_view.h"
#include "views/flock_view.h"
#include "views/record_view.h"
#include "views/report_view.h"
#include "views/sheep_document.h"

namespace {

constexpr unsigned IDS_RECORD_PANE = 1018;

// Pane widths of the status bar: message, record, scan, CAP, NUM, SCRL.
constexpr int kPaneCount = 6;
constexpr int kRecordPane = 1;
constexpr int kRecordPaneWidth = 120;

void SetPaneWidths(wxStatusBar* bar, int recordWidth) {
    const int widths[kPaneCount] = {-1, recordWidth, 16, 40, 40, 40};
    bar->SetStatusWidths(kPaneCount, widths);
}
constexpr int kScanPane = 2;

}  // namespace

IViewFrameSite* GetViewFrameSite() {
    auto* frame = wxTheApp ? dynamic_cast<CMainFrame*>(wxTheApp->GetTopWindow()) : nullptr;
    return frame && !frame->IsBeingDeleted() ? frame : nullptr;
}

CMainFrame::CMainFrame(wxDocManager* manager, const wxString& title)
    : wxDocMDIParentFrame(manager, nullptr, wxID_ANY, title, wxDefaultPosition, wxSize(900, 650)) {
    m_bTooltips = CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Tooltips", 1) != 0;

    m_statusBar = new CProgressStatusBar(this, wxID_ANY);
    m_statusBar->SetFieldsCount(kPaneCount);
    SetPaneWidths(m_statusBar, kRecordPaneWidth);
    SetStatusBar(m_statusBar);
    m_statusBar->SetStatusText(ToWx(LoadCvlString(AFX_IDS_IDLEMESSAGE)), 0);
    m_statusBar->SetStatusText(ToWx(LoadCvlString(ID_EID_AUTOSCAN)), kScanPane);

    const CMainMenus menus = BuildMainMenus();
    SetMenuBar(menus.bar);
    m_bars = std::make_unique<CFrameBars>(this, manager, menus.reports);
    m_showMe = std::make_unique<CShowMe>(this, m_bars.get());
    m_bars->SetShowReportView([this] { return SwitchView(wxCLASSINFO(CReportView)); });
    LoadBarState();
    m_normalRect = GetRect();

    Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnClose, this);
    Bind(wxEVT_SIZE, &CMainFrame::OnMoveOrSize, this);
    Bind(wxEVT_MOVE, &CMainFrame::OnMoveOrSize, this);
    Bind(wxEVT_IDLE, &CMainFrame::OnIdle, this);
    Bind(wxEVT_MENU, &CMainFrame::OnViewStatusBar, this, WxCommandId(ID_VIEW_STATUS_BAR));
    Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateViewStatusBar, this, WxCommandId(ID_VIEW_STATUS_BAR));
    // Commands that act on a document are handled by its window; without one they stay grey.
    Bind(wxEVT_MENU, &CMainFrame::OnFileClose, this, WxCommandId(ID_FILE_CLOSE));
    Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateFileClose, this, WxCommandId(ID_FILE_CLOSE));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, WxCommandId(ID_APP_EXIT));
    Bind(wxEVT_MENU, &CMainFrame::OnViewFlock, this, WxCommandId(ID_VIEW_FLOCK));
    Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateViewFlock, this, WxCommandId(ID_VIEW_FLOCK));
    Bind(wxEVT_MENU, &CMainFrame::OnViewSheep, this, WxCommandId(ID_VIEW_SHEEP));
    Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateViewSheep, this, WxCommandId(ID_VIEW_SHEEP));
    for (const auto& [id, viewClass] :
         {std::pair{WxCommandId(ID_VIEW_ANTECEDANTS), wxCLASSINFO(CAntecedantsView)},
          std::pair{WxCommandId(ID_VIEW_ADDRESSES), wxCLASSINFO(CAddressBrowserView)}}) {
        Bind(
            wxEVT_MENU, [this, viewClass](wxCommandEvent&) { SwitchView(viewClass); }, id);
        Bind(
            wxEVT_UPDATE_UI,
            [this, viewClass](wxUpdateUIEvent& event) {
                wxView* view = GetDocumentManager()->GetCurrentView();
                event.Enable(GetDocumentManager()->GetCurrentDocument() != nullptr);
                event.Check(view && view->IsKindOf(viewClass));
            },
            id);
    }
    for (int id :
         {WxCommandId(ID_FILE_PAGE_SETUP), WxCommandId(ID_FILE_PRINT), WxCommandId(ID_FILE_PRINT_PREVIEW),
          WxCommandId(ID_EDIT_COPY), WxCommandId(ID_EDIT_PASTE), WxCommandId(ID_EDIT_SELECT_ALL),
          WxCommandId(ID_EDIT_DELETE_RECORDS), WxCommandId(ID_MULTIPLE_DATA_ENTRY)})
        Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateNeedsDocument, this, id);
    // No window cuts animals: Cut stays grey unless a view takes it.
    Bind(
        wxEVT_UPDATE_UI, [](wxUpdateUIEvent& event) { event.Enable(false); }, WxCommandId(ID_EDIT_CUT));
    // "?": the next window clicked shows its pop-up from the help book.
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { wxContextHelp help(this); }, WxCommandId(ID_CONTEXT_HELP));
    // The record view answers File Report; elsewhere it stays grey.
    Bind(
        wxEVT_UPDATE_UI, [](wxUpdateUIEvent& event) { event.Enable(false); }, WxCommandId(ID_FILE_REPORT));
    Bind(wxEVT_MENU, &CMainFrame::OnFileSave, this, WxCommandId(ID_FILE_SAVE));
    Bind(wxEVT_MENU, &CMainFrame::OnFileSaveAs, this, WxCommandId(ID_FILE_SAVE_AS));
    for (int id : {WxCommandId(ID_FILE_SAVE), WxCommandId(ID_FILE_SAVE_AS)})
        Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateHasDocument, this, id);

    // The devices are counted in the background, now and after each picture taken.
    CScanDeviceList::Get().Refresh();
    Bind(
        wxEVT_UPDATE_UI,
        [this](wxUpdateUIEvent& event) {
            event.Enable(GetDocumentManager()->GetCurrentDocument() != nullptr && CScanDeviceList::Get().Count() > 0);
        },
        WxCommandId(ID_GET_IMAGE));
    Bind(wxEVT_MENU, &CMainFrame::OnAutoScan, this, WxCommandId(ID_EID_AUTOSCAN));
    Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateAutoScan, this, WxCommandId(ID_EID_AUTOSCAN));
    if (auto* app = dynamic_cast<CSheepApp*>(wxTheApp)) {
        CEIDReaderManager& reader = app->GetReaderManager();
        m_readerTray = std::make_unique<CReaderTray>(*this, reader);
        m_readerTray->SetOptionsHandler([this, &reader] { RunReaderOptionsSheet(this, reader); });
        reader.SetFrame(m_readerTray.get());
        if (reader.CanScan()) m_readerTray->ShowTrayIcon(true);
        m_readerTray->SetTrayIconState(reader.IsScanning());
    }
}

CMainFrame::~CMainFrame() {
    DetachReader();
}

void CMainFrame::DetachReader() {
    if (!m_readerTray) return;
    // The scan ends with the window that hears it.
    if (auto* app = dynamic_cast<CSheepApp*>(wxTheApp)) {
        app->GetReaderManager().StopScan();
        app->GetReaderManager().SetFrame(nullptr);
    }
    m_readerTray.reset();
}

void CMainFrame::OnAutoScan(wxCommandEvent&) {
    if (m_readerTray) m_readerTray->ToggleAutoScan();
}

void CMainFrame::OnUpdateAutoScan(wxUpdateUIEvent& event) {
    auto* app = dynamic_cast<CSheepApp*>(wxTheApp);
    const bool canScan = app && app->GetReaderManager().CanScan();
    event.Enable(canScan && GetDocumentManager()->GetCurrentDocument() != nullptr);
    event.Check(canScan && app->GetReaderManager().IsScanning());
}

void CMainFrame::ShowWithPlacement() {
    if (const auto placement = LoadWindowPlacement()) {
        const wxRect rect(wxPoint(placement->left, placement->top),
                          wxPoint(placement->right - 1, placement->bottom - 1));
        if (rect.width > 0 && rect.height > 0) {
            SetSize(rect);
            m_normalRect = rect;
        }
        Show();
        if (placement->IsMaximized()) Maximize();
        return;
    }
    Show();
}

CWindowPlacement CMainFrame::GetPlacement() const {
    CWindowPlacement p;
    const bool maximized = IsMaximized();
    p.flags = maximized ? WPF_RESTORETOMAXIMIZED : 0;
    p.showCmd = maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    const wxRect r = maximized ? m_normalRect : GetRect();
    p.left = r.x;
    p.top = r.y;
    p.right = r.x + r.width;
    p.bottom = r.y + r.height;
    return p;
}

void CMainFrame::OnMoveOrSize(wxEvent& event) {
    event.Skip();
    if (!IsMaximized() && !IsIconized()) m_normalRect = GetRect();
}

void CMainFrame::OnClose(wxCloseEvent& event) {
    // A report over the documents area closes first, giving the frame back to its view.
    if (m_closePreview) {
        auto close = std::move(m_closePreview);
        m_closePreview = nullptr;
        close();
    }
    SaveWindowPlacement(GetPlacement());
    // The document manager then closes the documents, asking to save each, and may veto.
    event.Skip();
}

bool CMainFrame::Destroy() {
    if (auto* app = dynamic_cast<CSheepApp*>(wxTheApp)) app->RevokeApplicationObject();
    if (m_showMe) m_showMe->Stop();
    DetachReader();
    CScanDeviceList::Get().Shutdown(2000);
    if (!m_bBarStateSaved) {
        SaveBarState();
        m_bBarStateSaved = true;
    }
    return wxDocMDIParentFrame::Destroy();
}

void CMainFrame::LoadBarState() {
    const bool statusBar = GetProfileInt(u"ToolBars", u"StatusBar", 1) != 0;
    m_statusBar->Show(statusBar);
}

void CMainFrame::SaveBarState() {
    WriteProfileInt(u"ToolBars", u"StatusBar", m_statusBar->IsShown() ? 1 : 0);
    if (m_bars) m_bars->SaveState();
}

bool CMainFrame::BeginProgressText(const WString& text, int range) {
    return CvlGetHost().BeginProgressText(text, range);
}

bool CMainFrame::BeginProgress(unsigned stringId, int range) {
    return CvlGetHost().BeginProgress(stringId, range);
}

void CMainFrame::SetProgressPos(int pos) {
    CvlGetHost().SetProgressPos(pos);
}

void CMainFrame::StepProgress() {
    CvlGetHost().StepProgress();
}

void CMainFrame::EndProgress() {
    CvlGetHost().EndProgress();
}

void CMainFrame::SetRecordTotal(int total) {
    m_nRecordTotal = total;
    UpdateRecordPane();
}

void CMainFrame::SetCurrentRecord(int index) {
    m_nCurrentRecord = index + 1;
    UpdateRecordPane();
}

void CMainFrame::EnableExtractionMenu(bool grey) {
    if (m_bars) m_bars->SetExtractionGreyed(grey);
}

WString CMainFrame::GetRecordPaneText() const {
    if (m_nRecordTotal == -1) return {};
    const std::string position = m_nCurrentRecord < 1 ? std::string("-") : std::to_string(m_nCurrentRecord);
    // The pane's text is a printf form with the position as text and the total as a number.
    const std::string format = WToUtf8(LoadCvlString(IDS_RECORD_PANE));
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    return FormatW(format.c_str(), position.c_str(), m_nRecordTotal);
#pragma GCC diagnostic pop
}

void CMainFrame::UpdateRecordPane() {
    const wxString text = ToWx(GetRecordPaneText());
    // Wide enough for its text on this theme's font; the pane's frame and the text's inset take
    // about a character's height.
    const int width =
        std::max(kRecordPaneWidth, m_statusBar->GetTextExtent(text).x + m_statusBar->GetCharHeight());
    if (width != m_nRecordPaneWidth) {
        m_nRecordPaneWidth = width;
        SetPaneWidths(m_statusBar, width);
    }
    m_statusBar->SetStatusText(text, kRecordPane);
}

bool CMainFrame::GetReportSelection(int& type, WString& selection, int& lastYear) {
    if (!m_bars) return false;
    type = m_bars->GetReportType();
    selection = m_bars->GetReportSexText();
    lastYear = m_bars->GetLastReportYear();
    return true;
}

void CMainFrame::ShowContextBar(int kind) {
    m_nContextBar = kind;
    if (m_bars) m_bars->ShowContextBar(kind);
}

void CMainFrame::ApplyReportSelection(int command, const WString& text) {
    if (m_bars) m_bars->ApplyReportSelection(command, text);
}

bool CMainFrame::ShowPreviewPane(wxWindow* pane, std::function<void()> closePane) {
    if (!pane || m_pPreviewPane || !m_bars) return false;
    wxAuiManager& manager = m_bars->GetManager();
    wxAuiPaneInfo& documents = manager.GetPane("documents");
    if (!documents.IsOk()) return false;
    documents.Hide();
    if (!manager.AddPane(pane, wxAuiPaneInfo().Name("preview").CenterPane())) {
        documents.Show();
        return false;
    }
    m_pPreviewPane = pane;
    m_closePreview = std::move(closePane);
    manager.Update();
    return true;
}

void CMainFrame::EndPreviewPane() {
    if (!m_pPreviewPane || !m_bars) return;
    wxAuiManager& manager = m_bars->GetManager();
    manager.DetachPane(m_pPreviewPane);
    m_pPreviewPane = nullptr;
    m_closePreview = nullptr;
    manager.GetPane("documents").Show();
    manager.Update();
}

void CMainFrame::SetMessageText(const WString& text) {
    m_statusBar->SetStatusText(ToWx(text), 0);
}

void CMainFrame::OnIdle(wxIdleEvent& event) {
    event.Skip();
    // The lock states can be read on X11 only; Scroll Lock is no modifier there, so its pane stays empty.
    if (wxGetDisplayInfo().type != wxDisplayX11) return;
    const struct {
        int pane;
        wxKeyCode key;
        unsigned text;
    } locks[] = {{3, WXK_CAPITAL, ID_INDICATOR_CAPS}, {4, WXK_NUMLOCK, ID_INDICATOR_NUM}};
    for (const auto& lock : locks) {
        const wxString text = wxGetKeyState(lock.key) ? ToWx(LoadCvlString(lock.text)) : wxString();
        if (m_statusBar->GetStatusText(lock.pane) != text) m_statusBar->SetStatusText(text, lock.pane);
    }
}

void CMainFrame::OnViewStatusBar(wxCommandEvent&) {
    m_statusBar->Show(!m_statusBar->IsShown());
    SendSizeEvent();
}

void CMainFrame::OnUpdateViewStatusBar(wxUpdateUIEvent& event) {
    event.Check(m_statusBar->IsShown());
}

void CMainFrame::OnUpdateNeedsDocument(wxUpdateUIEvent& event) {
    event.Enable(false);
}

void CMainFrame::OnUpdateHasDocument(wxUpdateUIEvent& event) {
    event.Enable(GetDocumentManager()->GetCurrentDocument() != nullptr);
}

void CMainFrame::OnFileSave(wxCommandEvent&) {
    if (wxDocument* doc = GetDocumentManager()->GetCurrentDocument()) doc->Save();
}

void CMainFrame::OnFileSaveAs(wxCommandEvent&) {
    if (wxDocument* doc = GetDocumentManager()->GetCurrentDocument()) doc->SaveAs();
}

void CMainFrame::OnFileClose(wxCommandEvent&) {
    if (wxDocument* doc = GetDocumentManager()->GetCurrentDocument())
        GetDocumentManager()->CloseDocument(doc);
}

void CMainFrame::OnUpdateFileClose(wxUpdateUIEvent& event) {
    event.Enable(GetDocumentManager()->GetCurrentDocument() != nullptr);
}

bool CMainFrame::SwitchView(wxClassInfo* viewClass) {
    wxDocManager* manager = GetDocumentManager();
    wxDocument* doc = manager->GetCurrentDocument();
    if (!doc) return false;
    for (wxView* view : doc->GetViewsVector()) {
        if (view->IsKindOf(viewClass)) {
            if (auto* child = wxDynamicCast(view->GetFrame(), wxMDIChildFrame)) child->Activate();
            view->Activate(true);
            ShowContextBarOf(view);
            return true;
        }
    }
    for (wxDocTemplate* docTemplate : manager->GetTemplatesVector()) {
        if (docTemplate->GetViewClassInfo() != viewClass) continue;
        wxView* view = docTemplate->CreateView(doc);
        if (!view) return false;
        ShowContextBarOf(view);
        return true;
    }
    return false;
}

void CMainFrame::ShowContextBarOf(wxView* view) {
    // The record view has the navigator, the flock list the filter bar; the others none.
    if (view->IsKindOf(wxCLASSINFO(CSheepView)))
        ShowContextBar(0);
    else if (view->IsKindOf(wxCLASSINFO(CFlockView)))
        ShowContextBar(1);
    else if (view->IsKindOf(wxCLASSINFO(CReportView)))
        ShowContextBar(2);
    else
        ShowContextBar(-1);
}

void CMainFrame::OnViewSheep(wxCommandEvent&) {
    SwitchView(wxCLASSINFO(CSheepView));
}

void CMainFrame::OnUpdateViewSheep(wxUpdateUIEvent& event) {
    wxView* view = GetDocumentManager()->GetCurrentView();
    event.Enable(GetDocumentManager()->GetCurrentDocument() != nullptr);
    event.Check(view && view->IsKindOf(wxCLASSINFO(CSheepView)));
}

void CMainFrame::OnViewFlock(wxCommandEvent&) {
    SwitchView(wxCLASSINFO(CFlockView));
}

void CMainFrame::OnUpdateViewFlock(wxUpdateUIEvent& event) {
    wxView* view = GetDocumentManager()->GetCurrentView();
    event.Enable(GetDocumentManager()->GetCurrentDocument() != nullptr);
    event.Check(view && view->IsKindOf(wxCLASSINFO(CFlockView)));
}
