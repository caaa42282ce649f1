// The wizard tests run inside a wx application (on a virtual display) with their own settings.
#include <wx/app.h>
#include <wx/cshelp.h>

#include <cstdlib>

#include "support/display.h"
#include "support/settings_environment.h"

namespace {

class WxEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        // No accessibility bus: the tests run on a bare virtual display.
        setenv("NO_AT_BRIDGE", "1", 1);
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
