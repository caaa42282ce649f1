#include "document/ui/window_handles.h"

#include <wx/app.h>
#include <wx/toplevel.h>

#include <map>

namespace {
struct CHandleTable {
    std::map<long, wxWindow*> byHandle;
    std::map<wxWindow*, long> byWindow;
    long next = 0x10000;
};

CHandleTable& Table() {
    static CHandleTable table;
    return table;
}

wxWindow* ActiveTopLevel() {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* top = dynamic_cast<wxTopLevelWindow*>(window);
        if (top && top->IsShown() && top->IsActive() && !top->IsBeingDeleted()) return top;
    }
    return wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
}
}  // namespace

long CvlWindowHandle(wxWindow* window) {
    if (!window) return 0;
    CHandleTable& table = Table();
    auto it = table.byWindow.find(window);
    if (it != table.byWindow.end()) return it->second;
    const long handle = table.next++;
    table.byHandle[handle] = window;
    table.byWindow[window] = handle;
    window->Bind(wxEVT_DESTROY, [window, handle](wxWindowDestroyEvent& event) {
        event.Skip();
        if (event.GetEventObject() != window) return;
        Table().byHandle.erase(handle);
        Table().byWindow.erase(window);
    });
    return handle;
}

wxWindow* CvlWindowFromHandle(long handle) {
    const CHandleTable& table = Table();
    auto it = table.byHandle.find(handle);
    if (it != table.byHandle.end() && !it->second->IsBeingDeleted()) return it->second;
    return ActiveTopLevel();
}
