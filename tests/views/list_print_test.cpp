#include "views/list_print.h"

#include <gtest/gtest.h>

TEST(ListPagination, PagesRunDownTheRowsOfEachColumnBand) {
    // 50 rows of 10 with 20 to a page; three columns of which two fit across.
    const std::vector<int> widths{300, 300, 300};
    const std::vector<int> heights(50, 10);
    const CListBands bands = PaginateList(widths, heights, 700, kTitleRowHeight + 200);
    EXPECT_EQ(bands.ColumnBands(), 2);
    EXPECT_EQ(bands.RowBands(), 3);
    ASSERT_EQ(bands.PageCount(), 6);

    const struct {
        int page, firstColumn, endColumn, firstRow, endRow;
    } pages[] = {
        {1, 0, 2, 0, 20}, {2, 0, 2, 20, 40}, {3, 0, 2, 40, 50}, {4, 2, 3, 0, 20}, {6, 2, 3, 40, 50},
    };
    for (const auto& p : pages) {
        int columnBand = 0, rowBand = 0, first = 0, end = 0;
        bands.PageBands(p.page, columnBand, rowBand);
        bands.ColumnRange(columnBand, 3, first, end);
        EXPECT_EQ(first, p.firstColumn) << p.page;
        EXPECT_EQ(end, p.endColumn) << p.page;
        bands.RowRange(rowBand, 50, first, end);
        EXPECT_EQ(first, p.firstRow) << p.page;
        EXPECT_EQ(end, p.endRow) << p.page;
    }
}

TEST(ListPagination, OversizedColumnsStandAloneAndAnEmptyListIsOnePage) {
    EXPECT_EQ(PaginateList({100, 900, 100}, {}, 500, 500).columnStarts, (std::vector<int>{1, 2}));
    EXPECT_EQ(PaginateList({900, 100}, {}, 500, 500).columnStarts, (std::vector<int>{1}));
    const CListBands empty = PaginateList({}, {}, 500, 500);
    EXPECT_EQ(empty.PageCount(), 1);
}

TEST(PreviewGuides, MarginsAreGrayAndHeaderAndFooterUseThePen) {
    const wxRect page(10, 20, 425, 550);  // letter paper at half size
    CRefPtr<CPageSetup> setup = CRefPtr<CPageSetup>::Adopt(new CPageSetup);
    ASSERT_TRUE(setup->SetDistances(100, 75, 75, 100, 75, 75));
    const auto lines = MarginGuides(page, 850, 1100, *setup);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].from, wxPoint(10 + 37, 21));  // left margin
    EXPECT_EQ(lines[1].from.x, 435 - 37);            // right margin
    EXPECT_EQ(lines[2].from.y, 20 + 50);             // top margin
    EXPECT_EQ(lines[3].from.y, 570 - 50);            // bottom margin
    EXPECT_EQ(lines[4].from.y, 20 + 37);             // header
    EXPECT_EQ(lines[5].from.y, 570 - 37);            // footer
    int gray = 0;
    for (const auto& line : lines) {
        gray += line.gray;
        EXPECT_TRUE(page.Contains(line.from) && page.Contains(line.to));
    }
    EXPECT_EQ(gray, 4);
}
