#include "document/ui/context_help.h"

#include <wx/cshelp.h>
#include <wx/window.h>

namespace {

bool ShowHelpFor(wxWindow* control, const wxPoint& point, wxHelpEvent::Origin origin) {
    wxHelpProvider* provider = wxHelpProvider::Get();
    return control && provider && provider->ShowHelpAtPoint(control, point, origin);
}

}  // namespace

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
