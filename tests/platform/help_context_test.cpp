// The help book's context table: ids in decimal or hex, one text each; a faulty file keeps nothing.
#include "platform/help_context.h"

#include <gtest/gtest.h>

namespace {

TEST(HelpContext, ReadsIdsInEitherBaseAndSkipsCommentsAndBlankLines) {
    CCvlHelpContext context;
    ASSERT_TRUE(context.Parse("# controls\n0x50432 The ear tag.\r\n\n  196648\tThe message's text.\n"));
    ASSERT_NE(context.Find(0x50432), nullptr);
    EXPECT_EQ(*context.Find(0x50432), "The ear tag.");
    ASSERT_NE(context.Find(0x30028), nullptr);
    EXPECT_EQ(*context.Find(0x30028), "The message's text.");
    EXPECT_EQ(context.Find(0x50433), nullptr);
}

TEST(HelpContext, RefusesAFaultyLineAndKeepsNothing) {
    const struct {
        const char* text;
        const char* why;
    } cases[] = {
        {"0x50432\n", "line 1: no text after the help id"},
        {"0x50432   \n", "line 1: no text after the help id"},
        {"ear tag\n", "line 1: no help id"},
        {"-5 text\n", "line 1: no help id"},
        {"0 text\n", "line 1: bad help id"},
        {"0x1FFFFFFFF text\n", "line 1: bad help id"},
        {"99999999999999999999 text\n", "line 1: bad help id"},
        {"0x50432x text\n", "line 1: no text after the help id"},
        {"1 a\n0x1 b\n", "line 2: help id given twice"},
    };
    for (const auto& c : cases) {
        CCvlHelpContext context;
        ASSERT_TRUE(context.Parse("5 kept\n"));
        std::string why;
        EXPECT_FALSE(context.Parse(c.text, &why)) << c.text;
        EXPECT_EQ(why, c.why) << c.text;
        EXPECT_TRUE(context.IsEmpty()) << c.text;
    }
}

TEST(HelpContext, AMissingFileLeavesAnEmptyTable) {
    CCvlHelpContext context;
    ASSERT_TRUE(context.Parse("5 kept\n"));
    std::string why;
    EXPECT_FALSE(context.Load("/nonexistent/context.txt", &why));
    EXPECT_EQ(why, "cannot read /nonexistent/context.txt");
    EXPECT_TRUE(context.IsEmpty());
}

}  // namespace
