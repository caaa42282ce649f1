#include <wx/docview.h>
#include <wx/stdpaths.h>

#include <fstream>
#include <functional>
#include <utility>

#include "document/command_ids.h"
#include "document/ui/wx_strings.h"
#include "document/window_placement.h"
#include "platform/settings.h"
#include "records/app_services.h"
#include "shell/main_menus.h"
#include "support/shell_fixture.h"
#include "views/flock_view.h"

TEST_F(ShellTest, WithoutTheInstalledLayoutTheProgramSaysSoAndStops) {
    folders.SetInstalled(false);
    EXPECT_FALSE(Start());
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{115});
    EXPECT_EQ(Frame(), nullptr);
}

TEST_F(ShellTest, InstalledStartShowsTheFrameWithoutADocument) {
    ASSERT_TRUE(Start());
    ASSERT_NE(Frame(), nullptr);
    EXPECT_TRUE(Frame()->IsShown());
    EXPECT_TRUE(App().WasStartedWithoutFile());
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_EQ(App().GetDocManager()->GetDocuments().GetCount(), 0u);
}

TEST_F(ShellTest, AutomationStartLeavesTheFrameHidden) {
    ASSERT_TRUE(Start(wxArrayString(1, "--automation")));
    ASSERT_NE(Frame(), nullptr);
    EXPECT_FALSE(Frame()->IsShown());
}

TEST_F(ShellTest, AFileThatCannotBeOpenedFailsTheStart) {
    EXPECT_FALSE(Start(wxArrayString(1, (folders.Root() / "missing.cvl").string())));
    EXPECT_EQ(Frame(), nullptr);
}

TEST(ViewSetting, DecidesWhichViewComesFirst) {
    const struct {
        const char16_t* view;
        std::vector<int> order;
    } cases[] = {
        {u"Record", {IDR_SHEEPTYPE, IDR_FLOCKTYPE}}, {u"record", {IDR_SHEEPTYPE, IDR_FLOCKTYPE}},
        {u"RECORD", {IDR_SHEEPTYPE, IDR_FLOCKTYPE}}, {u"Flock", {IDR_FLOCKTYPE, IDR_SHEEPTYPE}},
        {u"", {IDR_FLOCKTYPE, IDR_SHEEPTYPE}},       {u"Records", {IDR_FLOCKTYPE, IDR_SHEEPTYPE}},
    };
    for (const auto& c : cases) EXPECT_EQ(PrimaryTemplateOrder(c.view), c.order) << WToUtf8(c.view);
}

TEST_F(ShellTest, AMissingViewSettingMeansRecord) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(App().GetViewSetting(), u"Record");
    EXPECT_TRUE(App().IsRecordViewFirst());
    Stop();
    CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"View", u"Flock");
    ASSERT_TRUE(Start());
    EXPECT_FALSE(App().IsRecordViewFirst());
}

TEST_F(ShellTest, PlacementAndRecentFilesSurviveARestart) {
    ASSERT_TRUE(Start());
    Frame()->SetSize(wxRect(40, 50, 700, 500));
    Pump();
    const wxString recent = (folders.Root() / "flock.cvl").string();
    App().GetDocManager()->AddFileToHistory(recent);
    Stop();

    const auto stored = LoadWindowPlacement();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->right - stored->left, 700);
    EXPECT_EQ(stored->bottom - stored->top, 500);

    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame()->GetSize(), wxSize(700, 500));
    ASSERT_EQ(App().GetDocManager()->GetHistoryFilesCount(), 1u);
    EXPECT_EQ(App().GetDocManager()->GetHistoryFile(0), recent);
}

TEST_F(ShellTest, TheRecentFileListKeepsFourNewestFirst) {
    ASSERT_TRUE(Start());
    for (int i = 1; i <= 5; ++i) App().GetDocManager()->AddFileToHistory(wxString::Format("/tmp/f%d.cvl", i));
    Stop();
    EXPECT_EQ(GetProfileString(u"Recent File List", u"File1"), u"/tmp/f5.cvl");
    EXPECT_EQ(GetProfileString(u"Recent File List", u"File4"), u"/tmp/f2.cvl");
    ASSERT_TRUE(Start());
    ASSERT_EQ(App().GetDocManager()->GetHistoryFilesCount(), 4u);
    EXPECT_EQ(App().GetDocManager()->GetHistoryFile(0), "/tmp/f5.cvl");
    EXPECT_EQ(App().GetDocManager()->GetHistoryFile(3), "/tmp/f2.cvl");
    // The File menu lists each of them once.
    const int first = WxCommandId(ID_FILE_MRU_FILE1);
    std::vector<int> entries;
    for (const wxMenuItem* item : Frame()->GetMenuBar()->GetMenu(MENU_FILE)->GetMenuItems())
        if (item->GetId() >= first && item->GetId() <= WxCommandId(ID_FILE_MRU_LAST))
            entries.push_back(item->GetId());
    EXPECT_EQ(entries, (std::vector<int>{first, first + 1, first + 2, first + 3}));
}

// Every menu stands at its position; no item carries a command number wx cannot take.
TEST_F(ShellTest, TheMenuBarHoldsItsMenusAtTheirPositionsWithWxIds) {
    ASSERT_TRUE(Start());
    wxMenuBar* bar = Frame()->GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), size_t(MENU_COUNT));
    const std::pair<CvlMainMenu, const char*> titles[] = {
        {MENU_FILE, "File"},   {MENU_EDIT, "Edit"},       {MENU_VIEW, "View"},
        {MENU_SHEEP, "Dedov"}, {MENU_OPTIONS, "Options"}, {MENU_OPERATIONS, "Operations"},
        {MENU_HELP, "Help"}};
    for (const auto& [position, title] : titles) EXPECT_EQ(bar->GetMenuLabelText(position), title);

    std::function<void(const wxMenu&)> check = [&](const wxMenu& menu) {
        for (const wxMenuItem* item : menu.GetMenuItems()) {
            if (item->IsSubMenu()) {
                check(*item->GetSubMenu());
            } else if (!item->IsSeparator()) {
                EXPECT_LT(item->GetId(), 0x8000) << item->GetItemLabelText();
            }
        }
    };
    for (size_t i = 0; i < bar->GetMenuCount(); ++i) check(*bar->GetMenu(i));
    EXPECT_NE(bar->FindItem(WxCommandId(ID_FILE_NEW)), nullptr);
    EXPECT_NE(bar->FindItem(WxCommandId(ID_EID_AUTOSCAN)), nullptr);
}

TEST_F(ShellTest, ARecentFileThatFailsToOpenLeavesTheList) {
    ASSERT_TRUE(Start());
    App().GetDocManager()->AddFileToHistory((folders.Root() / "gone.cvl").string());
    EXPECT_EQ(App().OpenRecentFile(0), nullptr);
    EXPECT_EQ(App().GetDocManager()->GetHistoryFilesCount(), 0u);
}

TEST_F(ShellTest, TheStatusBarStateIsKept) {
    ASSERT_TRUE(Start());
    wxCommandEvent toggle(wxEVT_MENU, WxCommandId(ID_VIEW_STATUS_BAR));
    Frame()->GetEventHandler()->ProcessEvent(toggle);
    EXPECT_FALSE(Frame()->GetStatusBar()->IsShown());
    Stop();
    ASSERT_TRUE(Start());
    EXPECT_FALSE(Frame()->GetStatusBar()->IsShown());
}

TEST_F(ShellTest, TheDefaultPathBecomesTheCurrentFolder) {
    const wxString before = wxGetCwd();
    CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"Default Path",
                                 Utf8ToW(folders.Root().string()));
    ASSERT_TRUE(Start());
    EXPECT_EQ(wxGetCwd(), wxString(folders.Root().string()));
    wxSetWorkingDirectory(before);
}

TEST_F(ShellTest, ImageFoldersAreStoredWithSeparatorsAndComeBackAfterARestart) {
    ASSERT_TRUE(Start());
    wxString pictures = wxStandardPaths::Get().GetUserDir(wxStandardPaths::Dir_Pictures);
    EXPECT_EQ(App().GetImageSearchPath(), std::vector<WString>{FromWx(pictures) + u"/"});

    App().SetImageSearchPath({u"/srv/photos", u"/home/me/sheep/"});
    EXPECT_EQ(CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"Image Search Path", u""),
              u"/srv/photos/;/home/me/sheep/");
    Stop();
    ASSERT_TRUE(Start());
    EXPECT_EQ(App().GetImageSearchPath(), (std::vector<WString>{u"/srv/photos/", u"/home/me/sheep/"}));

    App().SetImageSearchPath({});
    EXPECT_EQ(CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"Image Search Path", u"x"), u"");
}

TEST_F(ShellTest, MeasurementsUseTheStoredDecimalPlaces) {
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Decimal Places", 0);
    ASSERT_TRUE(Start());
    const int32_t kilograms = 1;
    EXPECT_EQ(CSheepAppServices::Get().FormatMeasurement(&kilograms, u"21.2"), u"10");
    Stop();
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Decimal Places", 2);
    ASSERT_TRUE(Start());
    EXPECT_EQ(CSheepAppServices::Get().FormatMeasurement(&kilograms, u"21.2"), u"10.00");
}

TEST_F(ShellTest, RecentFilesShowTheirNameWhenInTheCurrentFolder) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(App().GetRecentFileCount(), 4u);
    App().GetDocManager()->AddFileToHistory("/farm/other/b.cvl");
    App().GetDocManager()->AddFileToHistory("/farm/a.cvl");
    WString name;
    ASSERT_TRUE(App().GetRecentFileDisplayName(name, 0, "/farm"));
    EXPECT_EQ(name, u"a.cvl");
    ASSERT_TRUE(App().GetRecentFileDisplayName(name, 1, "/farm/"));
    EXPECT_EQ(name, u"/farm/other/b.cvl");
    EXPECT_FALSE(App().GetRecentFileDisplayName(name, 2, "/farm"));
    EXPECT_TRUE(name.empty());
}

TEST_F(ShellTest, DetectAndRepairSpeaksOnlyOfWhatItCouldNotPutRight) {
    ASSERT_TRUE(Start());
    const auto repair = [this] {
        wxCommandEvent command(wxEVT_MENU, WxCommandId(ID_HELP_DETECT_AND_REPAIR));
        command.SetEventObject(Frame());
        Frame()->ProcessWindowEvent(command);
        Pump();
    };
    // The test layout lists the program, whose file is not there.
    repair();
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_NE(host.Messages()[0].text.find(u"Dedov is missing"), WString::npos);
    std::filesystem::create_directories(folders.Root() / "prefix" / "bin");
    std::ofstream(folders.Root() / "prefix" / "bin" / "Dedov") << "x";
    host.Clear();
    repair();
    EXPECT_TRUE(host.Messages().empty());
}
