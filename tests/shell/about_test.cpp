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

TEST_F(ShellTest, TheAboutPictureIsFramedAndItsRedGroundFilledFromTwoPoints) {
    // Red ground split by a blue band; a red island closed in by blue stays red.
    wxImage source(60, 60);
    source.SetRGB(wxRect(0, 0, 60, 60), 255, 0, 0);
    source.SetRGB(wxRect(30, 0, 2, 60), 0, 0, 255);
    source.SetRGB(wxRect(5, 5, 10, 10), 0, 0, 255);
    source.SetRGB(wxRect(8, 8, 4, 4), 255, 0, 0);
    const wxColour background(200, 210, 220);
    const wxImage framed = FrameAboutPicture(wxBitmap(source, 24), background, *wxWHITE).ConvertToImage();
    ASSERT_EQ(framed.GetSize(), wxSize(68, 68));
    const auto at = [&](int x, int y) {
        return wxColour(framed.GetRed(x, y), framed.GetGreen(x, y), framed.GetBlue(x, y));
    };
    const struct {
        int x, y;
        wxColour colour;
        const char* what;
    } cases[] = {
        {0, 0, *wxBLACK, "frame"},
        {63, 30, *wxBLACK, "frame, right"},
        {66, 30, wxColour(64, 64, 64), "shadow, right"},
        {30, 66, wxColour(64, 64, 64), "shadow, bottom"},
        {66, 1, background, "above the shadow"},
        {1, 1, background, "between frame and picture"},
        {2, 2, *wxWHITE, "ground from the first point"},
        {47, 47, *wxWHITE, "ground from the second point"},
        {61, 2, *wxWHITE, "the right part of the ground"},
        {2 + 9, 2 + 9, *wxRED, "the closed-in island"},
        {2 + 30, 10, *wxBLUE, "the band"},
    };
    for (const auto& c : cases) EXPECT_EQ(at(c.x, c.y), c.colour) << c.what;

    ASSERT_TRUE(Start());
    CAboutDlg about(Frame());
    ASSERT_NE(about.GetPicture(), nullptr);
    EXPECT_EQ(about.GetPicture()->GetId(), 1051);
    EXPECT_EQ(about.GetPicture()->GetFramed().GetSize(), MakeAboutPicture().GetSize() + wxSize(8, 8));
}
