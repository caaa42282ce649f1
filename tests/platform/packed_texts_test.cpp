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

// Setting one text gives the list that the vector with that text set would: gaps fill with empty
// texts, the other texts stay, and a text can be set from the list itself.
TEST(PackedTexts, SetMatchesTheVectorForm) {
    struct Case {
        std::vector<WString> before;
        size_t at;
        WString text;
    };
    const Case cases[] = {
        {{}, 0, u""},
        {{}, 0, u"Red"},
        {{}, 2, u"0042"},
        {{u"Red"}, 1, u"0042"},
        {{u"Red", u"0042"}, 0, u"Market, Longtown and a much longer text"},
        {{u"a", u"bb", u"ccc"}, 1, u""},
        {{u"a", u"bb", u"ccc"}, 5, u"\u00e9"},
    };
    for (const Case& c : cases) {
        CPackedTexts packed(c.before);
        packed.Set(c.at, c.text);
        std::vector<WString> expected = c.before;
        if (expected.size() <= c.at) expected.resize(c.at + 1);
        expected[c.at] = c.text;
        EXPECT_EQ(packed.ToVector(), expected) << "at " << c.at;
        EXPECT_EQ(packed, CPackedTexts(expected));
    }
    CPackedTexts self(std::vector<WString>{u"first", u"second"});
    self.Set(2, self[0]);
    self.Set(0, self[1]);
    EXPECT_EQ(self.ToVector(), (std::vector<WString>{u"second", u"second", u"first"}));
}

// Texts put through the builder give the list that the same Sets one by one would, on an empty list
// and on one that had texts; what one record left in the builder never reaches the next.
TEST(PackedTexts, BuilderMatchesSetOneByOne) {
    struct Case {
        std::vector<WString> before;
        std::vector<std::pair<size_t, WString>> sets;
    };
    const Case cases[] = {
        {{}, {{0, u"Red"}, {1, u"0042"}}},
        {{}, {{3, u"x"}, {1, u"y"}, {1, u"z"}}},
        {{}, {{0, u""}}},
        {{u"a", u"bb", u"ccc"}, {{1, u"B"}}},
        {{u"a", u"bb"}, {{4, u"e"}, {0, u"A"}}},
    };
    CPackedTextsBuilder builder;
    // A longer record first, so that its texts are left in the builder's storage.
    builder.Set(0, u"left over");
    builder.Set(5, u"from before");
    CPackedTexts first;
    builder.MoveTo(first);
    EXPECT_EQ(first.size(), 6u);
    EXPECT_TRUE(builder.empty());
    for (const Case& c : cases) {
        CPackedTexts oneByOne(c.before), built(c.before);
        for (const auto& [at, text] : c.sets) {
            oneByOne.Set(at, text);
            builder.Set(at, text);
        }
        builder.MoveTo(built);
        EXPECT_EQ(built.ToVector(), oneByOne.ToVector()) << "sets " << c.sets.size();
        EXPECT_TRUE(builder.empty());
    }
    // Nothing set leaves the list as it was.
    CPackedTexts untouched(std::vector<WString>{u"kept"});
    builder.MoveTo(untouched);
    EXPECT_EQ(untouched.ToVector(), std::vector<WString>{u"kept"});
}

}  // namespace
