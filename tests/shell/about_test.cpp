#include <wx/listctrl.h>

#include "document/ui/wx_strings.h"
#include "platform/settings.h"
#include "shell/about_dlg.h"
#include "support/shell_fixture.h"

TEST(AboutBox, DiskSizesChangeUnitAtEachPowerOf1024) {
    const struct {
        double bytes;
        const char16_t* text;
    } cases[] = {
        {0, u"0 bytes"},
        {1023, u"1023 bytes"},
        {1024, u"1.0 KB"},
        {1048575, u"1024.0 KB"},
        {1048576, u"1.0 MB"},
        {1073741824.0, u"1.0 GB"},
        {5.5 * 1073741824.0, u"5.5 GB"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDiskSize(c.bytes), c.text) << c.bytes;
    EXPECT_EQ(FormatFreeSpace(2048.0, u"/home"), u"2.0 KB free on /home");
    EXPECT_EQ(FormatFreeSpace(std::nullopt, u"/home"), u"Unavailable");
}

#ifdef CVL_GENERAL_BREED
TEST_F(ShellTest, AboutListsEveryRegisteredBreedWithItsVersion) {
    const WString library = Utf8ToW(CVL_GENERAL_BREED);
    CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"General Sheep", library);
    CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"Lost", u"/nonexistent/lost.so");
    CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"Again", library);
    const auto rows = ListBreedPlugIns();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].name, u"General Sheep");
    EXPECT_FALSE(rows[0].version.empty());
    EXPECT_EQ(rows[0].location, library);
    // A library without version information shows neither, whatever the row before showed.
    EXPECT_EQ(rows[1].name, u"Lost");
    EXPECT_TRUE(rows[1].version.empty());
    EXPECT_TRUE(rows[1].location.empty());
    EXPECT_EQ(rows[2].version, rows[0].version);

    ASSERT_TRUE(Start());
    CAboutDlg about(Frame());
    EXPECT_EQ(about.GetTitle(), "About Corvalen");
    ASSERT_EQ(about.GetPlugInList()->GetItemCount(), 3);
    EXPECT_EQ(FromWx(about.GetPlugInList()->GetItemText(1, 0)), u"Lost");
}
#endif
