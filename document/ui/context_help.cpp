#include "document/ui/context_help.h"

#include <wx/tipwin.h>
#include <wx/utils.h>
#include <wx/window.h>

namespace {

std::vector<CvlHelpTableEntry>& HelpTables() {
    static std::vector<CvlHelpTableEntry> tables;
    return tables;
}

bool ShowHelpFor(wxWindow* control, const wxPoint& point, wxHelpEvent::Origin origin) {
    wxHelpProvider* provider = wxHelpProvider::Get();
    return control && provider && provider->ShowHelpAtPoint(control, point, origin);
}

}  // namespace

const std::vector<CvlHelpTableEntry>& CvlHelpTables() {
    return HelpTables();
}

CvlHelpTableRegistration::CvlHelpTableRegistration(const char* file, const CvlHelpPair* table) {
    HelpTables().push_back({file, table});
}

CCvlHelpProvider::CCvlHelpProvider(CCvlHelpContext context) : m_context(std::move(context)) {}

bool CCvlHelpProvider::ShowHelpAtPoint(wxWindowBase* window, const wxPoint& point, wxHelpEvent::Origin) {
    auto* control = dynamic_cast<wxWindow*>(window);
    if (!control) return false;
    unsigned long id = 0;
    return GetHelp(window).ToULong(&id) && id != 0 && id <= 0xFFFFFFFFul &&
           ShowPopup(control, unsigned(id), point);
}

bool CCvlHelpProvider::ShowHelp(wxWindowBase* window) {
    return ShowHelpAtPoint(window, wxDefaultPosition, wxHelpEvent::Origin_Unknown);
}

bool CCvlHelpProvider::ShowPopup(wxWindow* window, unsigned helpId, const wxPoint& point) {
    const std::string* text = m_context.Find(helpId);
    if (!text) return false;
    ShowText(window, wxString::FromUTF8(*text), point == wxDefaultPosition ? wxGetMousePosition() : point);
    return true;
}

void CCvlHelpProvider::ShowText(wxWindow* window, const wxString& text, const wxPoint& point) {
    wxWindow* parent = window ? wxGetTopLevelParent(window) : nullptr;
    auto* tip = new wxTipWindow(parent, text, 320);
    tip->Move(point);
}

unsigned CvlFindHelpTopic(const CvlHelpPair* table, int controlId) {
    for (; table && (table->controlId != 0 || table->topicId != 0); ++table)
        if (table->controlId == controlId) return table->topicId;
    return 0;
}

wxWindow* CvlFindControlAt(wxWindow* window, const wxPoint& screenPoint) {
    const wxWindowList& children = window->GetChildren();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        wxWindow* child = *it;
        if (child->IsTopLevel()) continue;
        if (child->GetScreenRect().Contains(screenPoint)) return child;
    }
    return nullptr;
}

void CvlAttachContextHelp(wxWindow* window, const CvlHelpPair* table) {
    if (!window || !table) return;
    for (const CvlHelpPair* pair = table; pair->controlId != 0 || pair->topicId != 0; ++pair)
        if (wxWindow* control = window->FindWindow(pair->controlId))
            control->SetHelpText(wxString::Format("%u", pair->topicId));

    window->Bind(wxEVT_CONTEXT_MENU, [window](wxContextMenuEvent& event) {
        wxPoint point = event.GetPosition();
        if (point == wxDefaultPosition) point = wxGetMousePosition();
        ShowHelpFor(CvlFindControlAt(window, point), point, wxHelpEvent::Origin_Unknown);
    });
    window->Bind(wxEVT_CHAR_HOOK, [window](wxKeyEvent& event) {
        if (event.GetKeyCode() != WXK_F1 || event.HasAnyModifiers()) {
            event.Skip();
            return;
        }
        wxWindow* focus = wxWindow::FindFocus();
        // F1 on a control of this window; anything else is answered with nothing shown.
        while (focus && focus->GetParent() != window) focus = focus->GetParent();
        if (focus) ShowHelpFor(focus, wxDefaultPosition, wxHelpEvent::Origin_Keyboard);
    });
}
