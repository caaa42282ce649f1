#include "support/shell_fixture.h"

#include <wx/init.h>

#include <cstdlib>
#include <fstream>

#include "document/sheep_doc.h"
#include "platform/settings.h"
#include "records/criteria.h"
#include "support/display.h"
#include "views/flock_view.h"
#include "views/sheep_document.h"

namespace {

// One application object for the test process; each test starts and stops the program on it.
class CWxEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        // No accessibility bus: the tests run on a bare virtual display.
        setenv("NO_AT_BRIDGE", "1", 1);
        // SANE sees only its `test` backend, never the machine's scanners (it reads this once).
        m_sane = std::filesystem::temp_directory_path() / ("cvl_sane_" + std::to_string(getpid()));
        std::filesystem::create_directories(m_sane);
        std::ofstream(m_sane / "dll.conf") << "test\n";
        setenv("SANE_CONFIG_DIR", m_sane.c_str(), 1);
        wxApp::SetInstance(new CSheepApp);
        static int argc = 1;
        static char name[] = "test_shell";
        static char* argv[] = {name, nullptr};
        m_started = HasDisplay() && wxEntryStart(argc, argv);
        RequireDisplay(m_started);
    }
    void TearDown() override {
        if (m_started) wxEntryCleanup();
        std::error_code ec;
        std::filesystem::remove_all(m_sane, ec);
    }

private:
    bool m_started = false;
    std::filesystem::path m_sane;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new CWxEnvironment);

}  // namespace

CTestFolders::CTestFolders(bool installed) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_root = std::filesystem::temp_directory_path() / ("cvl_shell_" + std::to_string(getpid()) + "_" +
                                                       (info ? std::string(info->name()) : std::string("x")));
    std::filesystem::remove_all(m_root);
    std::filesystem::create_directories(m_root / "user");
    std::filesystem::create_directories(m_root / "machine");
    std::filesystem::create_directories(m_root / "prefix");
    setenv("CVL_USER_CONFIG_DIR", (m_root / "user").c_str(), 1);
    setenv("CVL_MACHINE_CONFIG_DIR", (m_root / "machine").c_str(), 1);
    setenv("CVL_INSTALL_PREFIX", (m_root / "prefix").c_str(), 1);
    SetInstalled(installed);
}

CTestFolders::~CTestFolders() {
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
}

void CTestFolders::SetInstalled(bool installed) {
    const auto list = m_root / "prefix" / kCvlComponentList;
    if (installed) {
        std::filesystem::create_directories(list.parent_path());
        std::ofstream(list) << "Dedov=bin/Dedov\n";
    } else {
        std::filesystem::remove(list);
    }
}

void ShellTest::SetUp() {
    // The splash and the start-up dialog would interrupt any test that runs for long.
    CSheepApp::EnableStartupScreens(false);
    App().GetHost().SetAnswerer([this](const CvlMessage& msg) { return host.DoMessageBox(msg); });
}

void ShellTest::TearDown() {
    if (m_running) Stop();
    App().GetHost().SetAnswerer(nullptr);
}

bool ShellTest::Start(const wxArrayString& args) {
    m_running = App().InitInstance(args);
    Pump();
    return m_running;
}

void ShellTest::Stop() {
    if (CMainFrame* frame = Frame()) frame->Close(true);
    Pump();
    App().ExitInstance();
    Pump();
    m_running = false;
}

void ShellTest::ForgetChanges() {
    for (wxObject* open : App().GetDocManager()->GetDocuments())
        static_cast<wxDocument*>(open)->Modify(false);
}

void ShellTest::Pump() {
    wxTheApp->Yield(true);
    wxTheApp->ProcessPendingEvents();
    wxTheApp->ProcessIdle();
}

void FlockListTest::SetUp() {
    ShellTest::SetUp();
    CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"View", u"Flock");
    ASSERT_TRUE(Start());
    doc = dynamic_cast<CSheepDocument*>(App().CreateUntitledDocument(true));
    ASSERT_NE(doc, nullptr);
    view = dynamic_cast<CFlockView*>(doc->GetFirstView());
    ASSERT_NE(view, nullptr);
}

void FlockListTest::TearDown() {
    if (m_running) {
        for (wxObject* open : App().GetDocManager()->GetDocuments())
            static_cast<wxDocument*>(open)->Modify(false);
    }
    ShellTest::TearDown();
}

void FlockListTest::ShowWholeFlock() {
    core().GetExtractionCriteria().m_nType = CRITERIA_ALL;
    core().SetModifiedFlag(false);
    core().UpdateAllViews(nullptr, HINT_SHEEP_SET);
    Pump();
}

CSheepDoc& FlockListTest::core() {
    return doc->GetCore();
}

void PrepareLetterPrintout(wxPrintout& printout, wxDC& dc) {
    printout.SetDC(&dc);
    printout.SetPPIScreen(100, 100);
    printout.SetPPIPrinter(100, 100);
    printout.SetPageSizePixels(850, 1100);
    printout.SetPageSizeMM(216, 279);
    printout.SetPaperRectPixels(wxRect(0, 0, 850, 1100));
    printout.OnPreparePrinting();
}
