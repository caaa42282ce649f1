#include "document/window_placement.h"

#include <gtest/gtest.h>

TEST(WindowPos, OnlyTenNumbersMakeAPlacement) {
    EXPECT_FALSE(ParseWindowPlacement(u""));
    EXPECT_FALSE(ParseWindowPlacement(u"0,1,-1,-1,-1,-1,10,20,410"));  // nine
    EXPECT_FALSE(ParseWindowPlacement(u"0,1,-1,-1,-1,-1,10,20,410,x"));
    const auto p = ParseWindowPlacement(u"2,3,-1,-1,-4,-4,10,20,410,320");
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->IsMaximized());
    EXPECT_EQ(p->showCmd, 3u);
    EXPECT_EQ(p->left, 10);
    EXPECT_EQ(p->bottom, 320);
    EXPECT_EQ(FormatWindowPlacement(*p), u"2,3,-1,-1,-4,-4,10,20,410,320");
}
