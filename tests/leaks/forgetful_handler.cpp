// A wx program whose handler, run from the main loop, forgets a menu item. It links the GUI tests'
// leak suppressions: LeakSanitizer must still report the item, and nothing else.
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/menu.h>

#include <cstdlib>

#include "support/display.h"

namespace {

wxMenuItem* volatile g_item = nullptr;

// Out of line, so that the report names it.
[[gnu::noinline]] void ForgetAMenuItem() {
    g_item = new wxMenuItem(nullptr, wxID_ANY, "forgotten");
    g_item = nullptr;
}

class CForgetfulApp : public wxApp {
public:
    bool OnInit() override {
        auto* frame = new wxFrame(nullptr, wxID_ANY, "forgetful");
        frame->Show();
        CallAfter([frame] {
            ForgetAMenuItem();
            frame->Destroy();
        });
        return true;
    }
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(CForgetfulApp);

int main(int argc, char** argv) {
    setenv("NO_AT_BRIDGE", "1", 1);
    RequireDisplay(HasDisplay());
    return wxEntry(argc, argv);
}
