#include "document/sheep_report.h"
#include "views/sheep_html_view.h"
#include "views/record_view.h"

#include <wx/app.h>
#include <wx/notebook.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "document/command_ids.h"
#include "document/doc_commands.h"
#include "document/sheep_doc.h"
#include "document/ui/sheet.h"
#include "document/ui/signet_averages_dlg.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/message_help.h"
#include "records/sheep.h"
#include "records/signet.h"
#include "views/frame_site.h"
#include "views/image_acquisition.h"
#include "views/record_page.h"
#include "views/record_paste.h"
#include "views/sheep_document.h"
#include "document/window_automation.h"
#include "document/windows_collection.h"

namespace {
constexpr unsigned IDS_DELETE_ONE = 1020;
CVL_MESSAGE_HELP(IDS_DELETE_ONE);
constexpr int kNavigatorBar = 0;
}  // namespace

wxIMPLEMENT_DYNAMIC_CLASS(CSheepView, wxView);

CSpecialChildWnd::CSpecialChildWnd(wxDocument* doc, wxView* view, wxMDIParentFrame* parent)
    : wxDocMDIChildFrame(doc, view, parent, wxID_ANY, MakeCaption(doc)) {}

wxString CSpecialChildWnd::MakeCaption(wxDocument* doc) {
    return doc->GetUserReadableName() + " : Record View";
}

CSheepView::CSheepView() : m_pAcquisition(std::make_unique<CImageAcquisition>(*this)) {}

CSheepView::~CSheepView() {
    m_pAcquisition->Stop();
    if (CSheepDoc* core = GetCore()) core->RemoveView(this);
    if (m_pAutomation) {
        m_pAutomation->DetachView();
        m_pAutomation->ExternalRelease();
    }
}

CSheepDocument* CSheepView::GetSheepDocument() const {
    return dynamic_cast<CSheepDocument*>(GetDocument());
}

CSheepDoc* CSheepView::GetCore() const {
    CSheepDocument* doc = GetSheepDocument();
    return doc ? &doc->GetCore() : nullptr;
}

CSheep* CSheepView::GetCurrentSheep() const {
    // The document's index follows animals added and removed before it, even unannounced.
    CSheepDoc* core = GetCore();
    return core ? core->GetCurrentSheep() : nullptr;
}

bool CSheepView::OnCreate(wxDocument* doc, long flags) {
    if (!wxView::OnCreate(doc, flags)) return false;
    auto* parent = dynamic_cast<wxMDIParentFrame*>(wxTheApp->GetTopWindow());
    if (!parent) return false;
    auto* frame = new CSpecialChildWnd(doc, this, parent);
    SetFrame(frame);
    m_pCanvas = new wxPanel(frame, wxID_ANY);
    m_pSheet = new wxNotebook(m_pCanvas, wxID_ANY);
    for (int id = 0; id < PAGE_COUNT; ++id)
        m_pages[size_t(id)] = CreateRecordPage(RecordPageId(id), m_pSheet, this);
    for (RecordPageId id : kFixedRecordPages)
        if (CSheepViewPage* page = GetPage(id)) m_pSheet->AddPage(page, page->GetCaption());
    // GTK's notebook shows only visible pages: those out of the sheet wait hidden.
    for (RecordPageId id : {PAGE_LAMBING, PAGE_TUPPING})
        if (CSheepViewPage* page = GetPage(id)) page->Hide();
    if (m_pSheet->GetPageCount() > 0) m_pSheet->ChangeSelection(0);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pSheet, 1, wxEXPAND);
    m_pCanvas->SetSizer(sizer);
    auto* frameSizer = new wxBoxSizer(wxVERTICAL);
    frameSizer->Add(m_pCanvas, 1, wxEXPAND);
    frame->SetSizer(frameSizer);

    m_pSheet->Bind(wxEVT_NOTEBOOK_PAGE_CHANGING, &CSheepView::OnPageChanging, this);
    m_pSheet->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &CSheepView::OnPageChanged, this);
    BindCommands();

    m_pAutomation = new CWindowAutomation(this);
    if (CSheepDoc* core = GetCore()) {
        m_navigator.SetDocument(core);
        core->AddView(this);
    }
    RefreshPages();
    frame->Layout();
    frame->Show();
    Activate(true);
    return true;
}

bool CSheepView::OnClose(bool deleteWindow) {
    // Closing one of several windows of a document leaves the document open.
    wxDocument* doc = GetDocument();
    if (doc && doc->GetViewsVector().size() > 1) {
        CommitPendingEdit();
    } else if (!wxView::OnClose(deleteWindow)) {
        return false;
    }
    // A transfer still running is cancelled; its picture is not added.
    m_pAcquisition->Stop();
    Activate(false);
    return true;
}

void CSheepView::OnChangeFilename() {
    if (wxWindow* frame = GetFrame()) frame->SetLabel(CSpecialChildWnd::MakeCaption(GetDocument()));
}

void CSheepView::OnActivateView(bool activate, wxView*, wxView*) {
    if (!activate) return;
    if (IViewFrameSite* site = GetViewFrameSite()) {
        CSheepDoc* core = GetCore();
        site->SetRecordTotal(core ? core->GetSheepCount() : 0);
        site->SetCurrentRecord(core ? core->GetCurrentIndex() : -1);
        site->ShowContextBar(kNavigatorBar);
    }
}

void CSheepView::OnUpdate(CDocView*, uint32_t, CObject*) {
    CSheepDoc* core = GetCore();
    CSheepViewPage* page = GetActivePage();
    if (core && page) {
        // Whatever another view or a script changed, the page is about to load again: the edit
        // still pending belongs to the animal shown, unless that animal has left the document.
        CSheep* shown = page->GetShownSheep();
        if (shown && shown->GetDocument() == core)
            page->CommitPendingEdits();
        else
            page->DiscardPendingEdits();
        // A move made elsewhere is not the user's next move.
        if (shown != core->GetCurrentSheep()) m_navigator.ClearVeto();
    }
    RefreshPages();
}

CSheepViewPage* CSheepView::GetActivePage() const {
    if (!m_pSheet) return nullptr;
    const int selection = m_pSheet->GetSelection();
    return selection == wxNOT_FOUND ? nullptr : static_cast<CSheepViewPage*>(m_pSheet->GetPage(size_t(selection)));
}

std::vector<RecordPageId> CSheepView::GetTabs() const {
    std::vector<RecordPageId> tabs;
    if (!m_pSheet) return tabs;
    for (size_t i = 0; i < m_pSheet->GetPageCount(); ++i)
        tabs.push_back(static_cast<CSheepViewPage*>(m_pSheet->GetPage(i))->GetPageId());
    return tabs;
}

bool CSheepView::ActivatePage(RecordPageId id) {
    const std::vector<RecordPageId> tabs = GetTabs();
    const auto it = std::find(tabs.begin(), tabs.end(), id);
    if (it == tabs.end()) return false;
    m_pSheet->ChangeSelection(size_t(it - tabs.begin()));
    // ChangeSelection sends no events: leave and enter as the sheet's own change does.
    return true;
}

void CSheepView::RefreshPages() {
    CSheepDoc* core = GetCore();
    if (!core || !m_pSheet) return;
    m_nCurrent = core->GetCurrentIndex();
    CSheep* sheep = GetCurrentSheep();
    if (IViewFrameSite* site = GetViewFrameSite(); site && GetDocumentManager() &&
                                                   GetDocumentManager()->GetCurrentView() == this)
        site->SetCurrentRecord(m_nCurrent);

    m_bRefreshing = true;
    std::vector<RecordPageId> tabs = GetTabs();
    // Only pages this build has can come and go.
    std::vector<RecordPageId> known = tabs;
    for (RecordPageId id : {PAGE_LAMBING, PAGE_TUPPING})
        if (!GetPage(id)) known.push_back(id);
    const auto changes = PlanAttachedPages(known, sheep && sheep->GetLambingCount() > 0,
                                           sheep && sheep->GetTuppingCount() > 0);
    for (const PageSetChange& change : changes) {
        CSheepViewPage* page = GetPage(change.page);
        if (!page) continue;
        if (change.append) {
            page->Show();
            m_pSheet->AddPage(page, page->GetCaption(), false);
        } else {
            const auto current = GetTabs();
            const auto it = std::find(current.begin(), current.end(), change.page);
            if (it != current.end()) {
                page->CommitPendingEdits();
                m_pSheet->RemovePage(size_t(it - current.begin()));
                page->Hide();
            }
        }
    }
    m_bRefreshing = false;
    if (CSheepViewPage* page = GetActivePage()) page->ShowSheep(sheep);
}

void CSheepView::OnPageChanging(wxBookCtrlEvent& event) {
    event.Skip();
    if (m_bRefreshing) return;
    const int old = event.GetOldSelection();
    if (old != wxNOT_FOUND && size_t(old) < m_pSheet->GetPageCount())
        static_cast<CSheepViewPage*>(m_pSheet->GetPage(size_t(old)))->OnPageDeactivated();
}

void CSheepView::OnPageChanged(wxBookCtrlEvent& event) {
    event.Skip();
    if (m_bRefreshing) return;
    if (CSheepViewPage* page = GetActivePage()) page->OnPageActivated();
}

void CSheepView::CommitPendingEdit() {
    if (CSheepViewPage* page = GetActivePage()) page->CommitPendingEdits();
}

template <class Move>
bool CSheepView::RunMove(Move move) {
    wxWindow* focus = wxWindow::FindFocus();
    const bool moved = move();
    if (moved) {
        if (auto* edit = dynamic_cast<wxTextCtrl*>(focus); edit && m_pCanvas && m_pCanvas->IsDescendant(edit) &&
                                                            edit->IsShownOnScreen() && edit->IsEnabled()) {
            edit->SetFocus();
            edit->SelectAll();
            edit->ShowPosition(edit->GetInsertionPoint());
        }
    }
    return moved;
}

bool CSheepView::OnNavigate(int command) {
    return RunMove([&] { return m_navigator.MoveByCommand(command); });
}

bool CSheepView::MoveToSheep(int index) {
    return RunMove([&] { return m_navigator.MoveToSheep(index); });
}

bool CSheepView::OnGoBack() {
    return RunMove([&] { return m_navigator.GoBack(); });
}

bool CSheepView::OnGoForward() {
    return RunMove([&] { return m_navigator.GoForward(); });
}

bool CSheepView::GoToSheep(const WString& tattoo, int32_t sex) {
    return m_navigator.GoToSheep(tattoo, sex);
}

void CSheepView::OnDelete() {
    CSheepDoc* core = GetCore();
    CSheep* sheep = GetCurrentSheep();
    if (!core || !sheep) return;
    if (CvlMessageBox(IDS_DELETE_ONE, {sheep->GetTattoo()}, MB_YESNO | MB_ICONQUESTION | MB_HELP) != IDYES) return;
    // The edit pending on the animal goes with it.
    if (CSheepViewPage* page = GetActivePage()) page->DiscardPendingEdits();
    core->DeleteSheep(core->GetCurrentIndex());
    RefreshPages();
}

std::vector<uint8_t> CSheepView::BuildClipboardBlock() const {
    CSheepDoc* core = GetCore();
    CSheep* sheep = GetCurrentSheep();
    if (!core || !sheep) return {};
    return BuildSheepBlock(core->GetTitle(), {sheep});
}

void CSheepView::OnEditCopy() {
    if (!CanActOnSheep()) return;
    CommitPendingEdit();
    CopyBlockToClipboard(GetSheepClipboardFormat(), BuildClipboardBlock());
}

void CSheepView::OnSignetAverages() {
    CSheepDoc* core = GetCore();
    CSheep* sheep = GetCurrentSheep();
    if (!core || !sheep) return;
    CommitPendingEdit();
    CSignetData* old = core->GetSignetAverages(sheep);
    CSignetAveragesDlg dialog(GetFrame());
    if (old) {
        dialog.m_dblLeanIndex = old->m_dblLeanIndex;
        dialog.m_dblEightWeekWeightEBV = old->m_dblEightWeekWeightEBV;
        dialog.m_dblFatDepthEBV = old->m_dblFatDepthEBV;
        dialog.m_dblLitterEBV = old->m_dblLitterEBV;
        dialog.m_dblMaternalEBV = old->m_dblMaternalEBV;
        dialog.m_dblMatureEBV = old->m_dblMatureEBV;
        dialog.m_dblMuscleDepthEBV = old->m_dblMuscleDepthEBV;
        dialog.m_dblScanWeightEBV = old->m_dblScanWeightEBV;
        dialog.m_dblAWT = old->m_dblAWT;
    }
    if (CvlRunModal(dialog) != wxID_OK) return;
    auto averages = CRefPtr<CSignetData>::Adopt(new CSignetData);
    averages->m_dblLeanIndex = dialog.m_dblLeanIndex;
    averages->m_dblEightWeekWeightEBV = dialog.m_dblEightWeekWeightEBV;
    averages->m_dblFatDepthEBV = dialog.m_dblFatDepthEBV;
    averages->m_dblLitterEBV = dialog.m_dblLitterEBV;
    averages->m_dblMaternalEBV = dialog.m_dblMaternalEBV;
    averages->m_dblMatureEBV = dialog.m_dblMatureEBV;
    averages->m_dblMuscleDepthEBV = dialog.m_dblMuscleDepthEBV;
    averages->m_dblScanWeightEBV = dialog.m_dblScanWeightEBV;
    averages->m_dblAWT = dialog.m_dblAWT;
    if (old) averages->m_dtCreated = old->m_dtCreated;
    const COleDateTime& born = sheep->GetDateofBirth();
    const int year = born.GetStatus() == COleDateTime::valid ? born.GetYear() : -1;
    core->SetSignetAverages(year, sheep->GetSex(), std::move(averages));
    core->SetModifiedFlag();
    RefreshPages();
}

void CSheepView::BindCommands() {
    for (int command : {ID_SHEEP_FIRST, ID_SHEEP_PREVIOUS, ID_SHEEP_NEXT, ID_SHEEP_LAST})
        Bind(
            wxEVT_MENU, [this, command](wxCommandEvent&) { OnNavigate(command); }, WxCommandId(command));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnGoBack(); }, WxCommandId(ID_GO_BACK));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnGoForward(); }, WxCommandId(ID_GO_FORWARD));
    // Goto and Add run the main window's dialogs once the pending edit is written.
    for (int command : {ID_SHEEP_GOTO, ID_SHEEP_ADD})
        Bind(
            wxEVT_MENU,
            [this](wxCommandEvent& event) {
                if (m_navigator.CommitBeforeMove()) event.Skip();
            },
            WxCommandId(command));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnDelete(); }, WxCommandId(ID_EDIT_DELETE_RECORDS));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnEditCopy(); }, WxCommandId(ID_EDIT_COPY));
    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent&) {
            if (CSheepDoc* core = GetCore()) PasteRecords(*core);
        },
        WxCommandId(ID_EDIT_PASTE));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnSignetAverages(); }, WxCommandId(ID_SHEEP_SIGNET));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnFileReport(); }, WxCommandId(ID_FILE_REPORT));
    Bind(
        wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& event) { event.Enable(m_pReport == nullptr); },
        WxCommandId(ID_FILE_REPORT));
    for (int id : {WxCommandId(ID_EDIT_DELETE_RECORDS), WxCommandId(ID_EDIT_COPY)})
        Bind(
            wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& event) { event.Enable(CanActOnSheep()); }, id);
    Bind(
        wxEVT_UPDATE_UI, [](wxUpdateUIEvent& event) { event.Enable(CanPasteRecords()); },
        WxCommandId(ID_EDIT_PASTE));
    Bind(
        wxEVT_UPDATE_UI,
        [this](wxUpdateUIEvent& event) {
            CSheepDoc* core = GetCore();
            event.Enable(core && GetDocCommandState(*core, ID_SHEEP_SIGNET).enabled);
        },
        WxCommandId(ID_SHEEP_SIGNET));
    Bind(
        wxEVT_UPDATE_UI, [](wxUpdateUIEvent& event) { event.Enable(false); },
        WxCommandId(ID_EDIT_SELECT_ALL));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { m_pAcquisition->Start(); }, WxCommandId(ID_GET_IMAGE));
    Bind(
        wxEVT_UPDATE_UI,
        [this](wxUpdateUIEvent& event) {
            event.Enable(CScanDeviceList::Get().Count() > 0 && CanActOnSheep() && !m_pAcquisition->IsRunning());
        },
        WxCommandId(ID_GET_IMAGE));
}

// ---- report ---------------------------------------------------------------------------------------

void CSheepView::OnFileReport() {
    CSheepDoc* core = GetCore();
    IViewFrameSite* site = GetViewFrameSite();
    auto* frame = dynamic_cast<wxWindow*>(site);
    if (!core || !frame || m_pReport) return;
    const WString text = Utf8ToW(BuildSheepReportXML(*core, GetCurrentSheep()));
    auto* report = new CSheepHtmlView(frame, text, [this](CSheepHtmlView* shown) { OnEndReport(shown); });
    // Closing the window while the report shows closes the report first.
    if (!site->ShowPreviewPane(report, [report] { report->OnCloseReport(); })) {
        report->Destroy();
        return;
    }
    m_pReport = report;
    Activate(false);
    frame->Layout();
    frame->Refresh();
}

void CSheepView::OnEndReport(CSheepHtmlView* report) {
    if (IViewFrameSite* site = GetViewFrameSite()) site->EndPreviewPane();
    if (report == m_pReport) m_pReport = nullptr;
    Activate(true);
    report->Destroy();
    CvlGetHost().SetMessageText(LoadCvlString(AFX_IDS_IDLEMESSAGE));
    if (wxWindow* frame = dynamic_cast<wxWindow*>(GetViewFrameSite())) frame->Refresh();
}

// ---- automation -----------------------------------------------------------------------------------

WString CSheepView::GetWindowText() {
    return m_strCaption;
}

void CSheepView::SetWindowText(const WString& text) {
    m_strCaption = text;
}

CWindowGeometry CSheepView::GetGeometry() {
    if (m_geometry.right == m_geometry.left && m_pCanvas) {
        const wxRect rect = m_pCanvas->GetRect();
        m_geometry.left = rect.x;
        m_geometry.top = rect.y;
        m_geometry.right = rect.x + rect.width;
        m_geometry.bottom = rect.y + rect.height;
    }
    m_geometry.state = WINDOW_STATE_MAXIMIZED;
    return m_geometry;
}

bool CSheepView::SetGeometry(const CWindowGeometry& geometry) {
    // A tab of the tabbed document area can be neither restored nor minimized.
    if (geometry.state != WINDOW_STATE_MAXIMIZED) return false;
    m_geometry = geometry;
    return true;
}

bool CSheepView::IsVisible() {
    return m_pCanvas && m_pCanvas->IsShown();
}

void CSheepView::Show(bool show) {
    if (m_pCanvas) m_pCanvas->Show(show);
}

LONG CSheepView::GetIndex() {
    const std::vector<CSheepView*> views = GetRecordViewsInWindowOrder();
    const auto it = std::find(views.begin(), views.end(), this);
    return it == views.end() ? 0 : LONG(it - views.begin()) + 1;
}

void CSheepView::ActivateWindow() {
    if (auto* child = dynamic_cast<wxMDIChildFrame*>(GetFrame())) child->Activate();
    Activate(true);
}

CPageSetup* CSheepView::GetPageSetup() {
    CSheepDoc* core = GetCore();
    return core ? core->GetPageSetup(this) : nullptr;
}

std::vector<CSheepView*> GetRecordViewsInWindowOrder() {
    std::vector<CSheepView*> views;
    auto* top = wxTheApp ? dynamic_cast<wxMDIParentFrame*>(wxTheApp->GetTopWindow()) : nullptr;
    if (!top) return views;
    std::vector<wxMDIChildFrame*> frames;
    const auto collect = [&frames](wxWindow* parent) {
        for (wxWindow* child : parent->GetChildren())
            if (auto* frame = dynamic_cast<wxMDIChildFrame*>(child); frame && !frame->IsBeingDeleted())
                frames.push_back(frame);
    };
    if (top->GetClientWindow()) collect(top->GetClientWindow());
    if (frames.empty()) collect(top);
    const auto active = std::find(frames.begin(), frames.end(), top->GetActiveChild());
    if (active != frames.end()) std::rotate(frames.begin(), active, frames.end());
    for (wxMDIChildFrame* frame : frames)
        if (auto* docFrame = dynamic_cast<wxDocChildFrameAnyBase*>(frame))
            if (auto* view = dynamic_cast<CSheepView*>(docFrame->GetView())) views.push_back(view);
    return views;
}

namespace {
class CRecordWindowList final : public IOpenWindows {
public:
    LONG GetWindowCount() override { return LONG(GetRecordViewsInWindowOrder().size()); }
    CCmdTarget* GetWindowAt(LONG index) override {
        const std::vector<CSheepView*> views = GetRecordViewsInWindowOrder();
        return index >= 0 && size_t(index) < views.size() ? views[size_t(index)]->GetAutomation() : nullptr;
    }
};
}  // namespace

IOpenWindows& GetRecordWindowList() {
    static CRecordWindowList list;
    return list;
}
