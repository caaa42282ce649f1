#include "shell/show_me.h"

#include <wx/app.h>
#include <wx/aui/auibar.h>
#include <wx/cshelp.h>
#include <wx/docview.h>
#include <wx/frame.h>
#include <wx/menu.h>

#include <algorithm>

#include "document/command_ids.h"
#include "document/doc_views.h"
#include "platform/host.h"
#include "platform/strings.h"
#include "shell/frame_bars.h"

namespace {

constexpr unsigned IDS_NO_SUCH_TOOLBAR = 1037;
constexpr unsigned IDS_NOT_ON_TOOLBAR = 1038;
constexpr int kStepMilliseconds = 25;

std::vector<CMenuNode> MenuNodes(const wxMenu& menu) {
    std::vector<CMenuNode> nodes;
    for (const wxMenuItem* item : menu.GetMenuItems()) {
        CMenuNode node;
        if (item->IsSubMenu())
            node.items = MenuNodes(*item->GetSubMenu());
        else if (!item->IsSeparator())
            node.command = item->GetId();
        nodes.push_back(std::move(node));
    }
    return nodes;
}

}  // namespace

CShowMe::CShowMe(wxFrame* frame, CFrameBars* bars) : m_pFrame(frame), m_pBars(bars), m_timer() {
    m_timer.Bind(wxEVT_TIMER, &CShowMe::OnTick, this);
}

CShowMe::~CShowMe() {
    m_timer.Stop();
}

int CShowMe::GetActiveKind() const {
    wxDocManager* manager = wxDocManager::GetDocumentManager();
    auto* view = manager ? dynamic_cast<CDocView*>(manager->GetCurrentView()) : nullptr;
    switch (view ? view->GetViewKind() : VIEW_KIND_OTHER) {
        case VIEW_KIND_SHEEP: return SHOWME_RECORD_VIEW;
        case VIEW_KIND_FLOCK: return SHOWME_FLOCK_LIST;
        case VIEW_KIND_REPORT: return SHOWME_REPORT_VIEW;
        case VIEW_KIND_ANTECEDANTS: return SHOWME_PEDIGREE;
        default: return 0;
    }
}

bool CShowMe::ShowMeButton(int barIndex, unsigned helpId) {
    wxAuiToolBar* bar = m_pBars ? m_pBars->GetShowMeBar(barIndex) : nullptr;
    if (!bar) {
        CvlMessageBox(IDS_NO_SUCH_TOOLBAR, MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
        return true;
    }
    const int command = int(helpId) - int(HID_BASE_COMMAND);
    wxAuiToolBarItem* tool = bar->FindTool(WxCommandId(command));
    if (!tool || !bar->IsShownOnScreen()) {
        CvlMessageBox(IDS_NOT_ON_TOOLBAR, MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
        return true;
    }
    const wxRect rect(bar->ClientToScreen(bar->GetToolRect(tool->GetId()).GetTopLeft()),
                      bar->GetToolRect(tool->GetId()).GetSize());
    const wxPoint start = wxGetMousePosition();
    Travel(SmoothPointerPath({start.x, start.y}, rect.GetLeft(), rect.GetTop(), rect.GetRight() + 1,
                             rect.GetBottom() + 1),
           [bar, helpId, rect] {
               // What a click in context-help mode gives: the button's topic.
               if (wxHelpProvider* provider = wxHelpProvider::Get()) {
                   const wxString previous = bar->GetHelpText();
                   bar->SetHelpText(wxString::Format("%u", helpId));
                   provider->ShowHelpAtPoint(bar, rect.GetPosition(), wxHelpEvent::Origin_HelpButton);
                   bar->SetHelpText(previous);
               }
           });
    return true;
}

bool CShowMe::ShowMeMenu(int mask, int command) {
    return ShowMeMenu(mask, command, false);
}

bool CShowMe::ShowMeMenu(int mask, int command, bool switched) {
    wxDocManager* manager = wxDocManager::GetDocumentManager();
    if (!manager || !manager->GetCurrentDocument()) {
        if (mask != 0) CvlMessageBoxText(u"You need to open a database to view this feature", MB_OK);
        return true;
    }
    const int switchCommand = mask == 0 || switched ? 0 : ShowMeSwitchCommand(GetActiveKind(), mask, command);
    if (switchCommand != 0 && switchCommand != command) {
        // The way to the view first; the command's own way once the switch has run and settled.
        PlayMenu(switchCommand, [this, mask, command] {
            m_pFrame->CallAfter([this, mask, command] { ShowMeMenu(mask, command, true); });
        });
        return true;
    }
    PlayMenu(command, {});
    return true;
}

void CShowMe::PlayMenu(int command, std::function<void()> then) {
    wxMenuBar* menuBar = m_pFrame->GetMenuBar();
    if (!menuBar) return;
    std::vector<CMenuNode> top;
    for (size_t i = 0; i < menuBar->GetMenuCount(); ++i) {
        CMenuNode node;
        node.items = MenuNodes(*menuBar->GetMenu(i));
        top.push_back(std::move(node));
    }
    const std::vector<int> path = FindMenuPath(top, WxCommandId(command));
    // A command that is not in the menus ends the request.
    if (path.empty()) return;
    m_pFrame->Raise();
    // GTK gives no rectangle of a menu title or item: the pointer goes to the menu's place on the
    // menu bar, then the command runs as the click on its item would.
    const wxRect bar = menuBar->GetScreenRect();
    const int columns = std::max(int(menuBar->GetMenuCount()), 1);
    const int width = std::clamp(bar.width / columns, 1, 60);
    const int left = bar.x + path.front() * width;
    const wxPoint start = wxGetMousePosition();
    Travel(SmoothPointerPath({start.x, start.y}, left, bar.y, left + width, bar.y + std::max(bar.height, 1)),
           [this, command, then = std::move(then)] {
               wxCommandEvent run(wxEVT_MENU, WxCommandId(command));
               run.SetEventObject(m_pFrame);
               m_pFrame->GetEventHandler()->ProcessEvent(run);
               if (then) then();
           });
}

void CShowMe::Stop() {
    m_bStopped = true;
    m_timer.Stop();
    m_done = nullptr;
}

void CShowMe::Travel(std::vector<CPointerPoint> path, std::function<void()> done) {
    if (m_bStopped) return;
    m_timer.Stop();
    m_path = std::move(path);
    m_next = 0;
    m_done = std::move(done);
    if (m_path.empty()) {
        auto finish = std::move(m_done);
        m_done = nullptr;
        if (finish) finish();
        return;
    }
    m_timer.Start(kStepMilliseconds);
}

void CShowMe::OnTick(wxTimerEvent&) {
    if (m_next < m_path.size()) {
        // Warped, not simulated: a simulated move runs the event loop inside this tick.
        const wxPoint at = m_pFrame->ScreenToClient(wxPoint(m_path[m_next].x, m_path[m_next].y));
        m_pFrame->WarpPointer(at.x, at.y);
        m_lastStop = m_path[m_next];
        ++m_next;
        return;
    }
    m_timer.Stop();
    auto finish = std::move(m_done);
    m_done = nullptr;
    if (finish) finish();
}
