#include "views/bar_messages.h"

#include <wx/app.h>
#include <wx/window.h>

wxDEFINE_EVENT(CVL_EVT_UPDATE_FILTER_BAR, wxCommandEvent);
wxDEFINE_EVENT(CVL_EVT_UPDATE_REPORT_BAR, wxCommandEvent);
wxDEFINE_EVENT(CVL_EVT_SET_ZOOM_TEXT, wxCommandEvent);

void SendToMainWindow(wxEventType type, int value, void* data) {
    wxWindow* top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    if (!top || top->IsBeingDeleted()) return;
    wxCommandEvent event(type);
    event.SetInt(value);
    event.SetClientData(data);
    event.SetEventObject(top);
    top->GetEventHandler()->ProcessEvent(event);
}
