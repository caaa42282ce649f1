#include "platform/packed_texts.h"

#include <gtest/gtest.h>

namespace {

// Each list comes back as it went in, text by text, gaps and all.
TEST(PackedTexts, KeepsEveryTextInOrder) {
    const std::vector<std::vector<WString>> lists = {
        {},
        {u""},
        {u"", u""},
        {u"45.5"},
        {u"Market, Longtown", u"", u"UK0123456 00042"},
        {u"a", u"\u00e9\u4e2d", u"last text of several words"},
    };
    for (const auto& list : lists) {
        const CPackedTexts packed(list);
        EXPECT_EQ(packed.size(), list.size());
        EXPECT_EQ(packed.empty(), list.empty());
        for (size_t i = 0; i < list.size(); ++i) EXPECT_EQ(packed[i], list[i]) << "text " << i;
        EXPECT_EQ(packed.ToVector(), list);
    }
}

TEST(PackedTexts, CopiesAreIndependentAndEqual) {
    CPackedTexts a(std::vector<WString>{u"one", u"two"});
    CPackedTexts b(a);
    EXPECT_EQ(a, b);
    b.Assign({u"one", u"twO"});
    EXPECT_FALSE(a == b);
    EXPECT_EQ(a[1], u"two");

    // No texts and one empty text are different lists.
    EXPECT_FALSE(CPackedTexts() == CPackedTexts(std::vector<WString>{u""}));
    // Lists of one text each whose lengths differ: compared without reading past the shorter.
    EXPECT_FALSE(CPackedTexts(std::vector<WString>{u"abcdefghijklmnopqrstuvwxyz0123456789"}) ==
                 CPackedTexts(std::vector<WString>{u"a"}));
    EXPECT_FALSE(CPackedTexts(std::vector<WString>{u"a"}) == CPackedTexts(std::vector<WString>{u"abc"}));
    // The same characters split differently are different lists.
    EXPECT_FALSE(CPackedTexts(std::vector<WString>{u"ab", u"c"}) == CPackedTexts(std::vector<WString>{u"a", u"bc"}));

    b = CPackedTexts();
    EXPECT_TRUE(b.empty());
    b = a;
    a.Assign({});
    EXPECT_EQ(b.ToVector(), (std::vector<WString>{u"one", u"two"}));
}

}  // namespace
