// The wizard tests run inside a wx application (on a virtual display) with their own settings.
#include <wx/app.h>
#include <wx/cshelp.h>

#include "support/display.h"
#include "support/settings_environment.h"

// The toolkit keeps caches for the life of the process; they are not ours to free.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgtk-3\nleak:libgdk-3\nleak:libglib-2\nleak:libgobject-2\nleak:libfontconfig\n"
           "leak:libpango\nleak:libcairo\nleak:libharfbuzz\nleak:libwx_\nleak:libatk\nleak:libdbus\n"
           "leak:libgio-2\nleak:libX11\nleak:libEGL\nleak:libGLX\nleak:libepoxy\n";
}

namespace {

class WxEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_document_ui";
        static char* argv[] = {name, nullptr};
        wxApp::SetInstance(new wxApp);
        RequireDisplay(HasDisplay() && wxEntryStart(argc, argv));
        ASSERT_TRUE(wxTheApp->CallOnInit());
        delete wxHelpProvider::Set(new wxSimpleHelpProvider);
    }
    void TearDown() override {
        delete wxHelpProvider::Set(nullptr);
        wxEntryCleanup();
    }
};

const auto* const kSettings =
    ::testing::AddGlobalTestEnvironment(new CTempSettingsEnvironment("cvl_document_ui_test"));
const auto* const kWx = ::testing::AddGlobalTestEnvironment(new WxEnvironment);

}  // namespace
