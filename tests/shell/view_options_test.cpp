#include "views/view_options.h"

#include "document/sheep_doc.h"
#include "platform/settings.h"
#include "records/criteria.h"
#include "records/sheep.h"
#include "support/shell_fixture.h"
#include "views/colour_combo.h"
#include "views/flock_view.h"
#include "views/sheep_document.h"

namespace {

TEST(ColourOrder, SumThenBlueThenGreenThenRed) {
    const uint32_t red = 0x0000FF, green = 0x00FF00, blue = 0xFF0000, white = 0xFFFFFF, black = 0;
    const struct {
        uint32_t a, b;
        int order;
    } cases[] = {
        {blue, red, -1},  {red, blue, 1},       {green, red, -1}, {blue, green, -1},
        {black, red, -1}, {white, 0xFEFEFE, 1}, {red, red, 0},    {0x7F7F7F, white, -1},
    };
    for (const auto& c : cases) EXPECT_EQ(CompareColours(c.a, c.b), c.order) << std::hex << c.a << " " << c.b;
}

TEST(FontStyles, WeightOfAStyleName) {
    const std::pair<const char16_t*, int32_t> cases[] = {
        {u"Regular", 400}, {u"Normal", 400},      {u"Italic", 400},
        {u"Bold", 700},    {u"Bold Italic", 700}, {u"Light", 0},
    };
    for (const auto& [style, weight] : cases)
        EXPECT_EQ(CReportFontPage::StyleWeight(style), weight) << WToUtf8(style);
}

class ViewOptionsTest : public FlockListTest {
protected:
    void SetUp() override {
        FlockListTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_GE(core().AddSheep(new CSheep(u"A1", SEX_EWE, &core()), false), 0);
        ShowWholeFlock();
    }
};

TEST_F(ViewOptionsTest, ANewFlockShowsItsListsInAReadableFont) {
    const CDocumentFile& file = core().GetFile();
    EXPECT_GE(file.m_bodyFont.m_lf.lfHeight, 60);
    EXPECT_GE(file.m_headerFont.m_lf.lfHeight, 60);
    EXPECT_GE(view->GetListCtrl()->GetFont().GetFractionalPointSize(), 6.0);
}

TEST_F(ViewOptionsTest, ColumnChooserOrdersAndChoosesTheFlockListsColumns) {
    CFlockVwOpts page(&core());
    page.Fill({1, 12, 3});
    const auto& items = page.GetItems();
    ASSERT_GE(items.size(), 5u);
    EXPECT_EQ(items[0].kind, 1u);
    EXPECT_EQ(items[1].kind, 12u);
    EXPECT_TRUE(items[0].checked && items[1].checked && items[2].checked);
    // Every other captioned field once, unchecked; none offered twice.
    std::set<WString> captions;
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_TRUE(captions.insert(ToUpper(items[i].caption)).second) << WToUtf8(items[i].caption);
    }
    EXPECT_FALSE(items.back().checked);
    EXPECT_EQ(page.GetSelected(), 0);
    EXPECT_FALSE(page.CanMoveUp());
    EXPECT_TRUE(page.CanMoveDown());

    page.Select(2);
    page.MoveUp();
    EXPECT_EQ(page.GetSelected(), 1);
    EXPECT_EQ(page.GetItems()[1].kind, 3u);
    EXPECT_TRUE(page.CanMoveUp() && page.CanMoveDown());
    page.Select(int(items.size()) - 2);
    page.MoveDown();
    EXPECT_FALSE(page.CanMoveDown());
    EXPECT_TRUE(page.IsModified());

    page.SetChecked(0, false);
    ASSERT_TRUE(page.OnApply());
    // The list took the checked fields in their order.
    ASSERT_EQ(view->GetColumnCount(), 2);
    EXPECT_EQ(view->GetColumnKind(0), 3u);
    EXPECT_EQ(view->GetColumnKind(1), 12u);
}

TEST_F(ViewOptionsTest, FontsPageGivesTheDocumentItsFontsOnlyOnOk) {
    {
        CReportFontPage cancelled(&core());
        cancelled.ChooseSize(u"20");
    }
    EXPECT_FALSE(core().IsModified());

    CReportFontPage page(&core());
    EXPECT_FALSE(page.IsEditingHeader());
    page.ChooseStyle(u"Bold Italic");
    page.ChooseSize(u"14");
    page.EditHeader(true);
    page.ChooseSize(u"9");
    ASSERT_TRUE(page.OnApply());
    const CDocumentFile& file = core().GetFile();
    EXPECT_EQ(file.m_bodyFont.m_lf.lfHeight, 140);
    EXPECT_EQ(file.m_bodyFont.m_lf.lfWeight, 700);
    EXPECT_EQ(file.m_bodyFont.m_lf.lfItalic, 255);
    EXPECT_EQ(file.m_headerFont.m_lf.lfHeight, 90);
    EXPECT_TRUE(core().IsModified());
    // Every list shows the body font.
    EXPECT_NEAR(view->GetListCtrl()->GetFont().GetFractionalPointSize(), 14.0, 0.5);
    EXPECT_EQ(view->GetListCtrl()->GetFont().GetStyle(), wxFONTSTYLE_ITALIC);
}

// The sheet holds the three pages, shows each one's window, and opens next time on the page that
// was active at OK.
TEST_F(ViewOptionsTest, TheSheetOpensOnThePageLastAcceptedOn) {
    std::vector<int> opened;
    CvlSetModalDriver([&](wxDialog& dialog) {
        auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
        opened.push_back(sheet.GetFlow().GetActiveIndex());
        EXPECT_EQ(sheet.GetFlow().GetPageCount(), 3);
        for (int i : {0, 2, 1}) sheet.GetFlow().SetActivePage(i);
        sheet.PressOk();
        return dialog.GetReturnCode();
    });
    EXPECT_TRUE(RunViewOptions(Frame(), &core()));
    EXPECT_TRUE(RunViewOptions(Frame(), &core()));
    CvlSetModalDriver({});
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], 1);
    EXPECT_TRUE(core().IsModified());
}

}  // namespace
