#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <vector>

TEST(Text, Utf8RoundTripKeepsAstralAndMarksBadBytes) {
    std::string s = "Ewe \xC3\xA9 \xF0\x9F\x90\x91";  // é and a sheep emoji
    WString w = Utf8ToW(s);
    EXPECT_EQ(w.size(), 8u);
    EXPECT_EQ(WToUtf8(w), s);
    EXPECT_EQ(Utf8ToW("\xC3"), u"\uFFFD");
    EXPECT_EQ(Utf8ToW("\xC0\x80"), u"\uFFFD\uFFFD");  // overlong NUL
    EXPECT_EQ(WToUtf8(WString(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

// The user's collation for shown texts; the C locale keeps code point order.
TEST(Text, CollatedTextSortsAsTheLocaleReadsItWithoutRegardToCase) {
    const std::string saved = std::setlocale(LC_COLLATE, nullptr);
    ASSERT_NE(std::setlocale(LC_COLLATE, "en_GB.UTF-8"), nullptr) << "locales-all is not installed";
    std::vector<WString> names = {u"Zed",   u"\u00c9mile",       u"adam", u"Eve", u"\u00e9mile",
                                  u"EMILE", WString(u"a\0b", 3), u"a"};
    std::stable_sort(names.begin(), names.end(),
                     [](const WString& a, const WString& b) { return CompareCollated(a, b) < 0; });
    EXPECT_EQ(names, (std::vector<WString>{u"a", WString(u"a\0b", 3), u"adam", u"EMILE", u"\u00c9mile",
                                           u"\u00e9mile", u"Eve", u"Zed"}));
    EXPECT_EQ(CompareCollated(u"\u00c9mile", u"\u00e9MILE"), 0);
    for (const WString& a : names)
        for (const WString& b : names) {
            const int c = CollationKey(a).compare(CollationKey(b));
            EXPECT_EQ(CompareCollated(a, b), (c > 0) - (c < 0));
        }
    std::setlocale(LC_COLLATE, "C");
    EXPECT_GT(CompareCollated(u"\u00c9mile", u"Zed"), 0);
    std::setlocale(LC_COLLATE, saved.c_str());
}

TEST(Text, CompareNoCaseIsSimpleUpperCaseOrder) {
    EXPECT_EQ(CompareNoCase(u"abc", u"ABC"), 0);
    EXPECT_LT(CompareNoCase(u"ab", u"abc"), 0);
    EXPECT_GT(CompareNoCase(u"b", u"A"), 0);
    EXPECT_EQ(CompareNoCase(u"\u00e9t\u00e9", u"\u00c9T\u00c9"), 0);
    // '_' (0x5F) sorts after upper-case letters once both sides are upper-cased
    EXPECT_LT(CompareNoCase(u"a", u"_"), 0);
    EXPECT_LT(CompareOrdinal(u"A", u"a"), 0);
}

TEST(Text, AnsiIsWindows1252WhateverTheLocale) {
    EXPECT_EQ(WToAnsi(u"\u20ac\u00e9"), std::string("\x80\xE9"));
    EXPECT_EQ(AnsiToW(std::string("\x80\xE9")), u"\u20ac\u00e9");
    EXPECT_EQ(WToAnsi(u"\u4e2d"), "?");
}

TEST(Text, NumbersUseAPointAndReadAComma) {
    double d = 0;
    EXPECT_TRUE(ParseDouble(u"21,2", d));
    EXPECT_DOUBLE_EQ(d, 21.2);
    EXPECT_TRUE(ParseDouble(u" 3.5 ", d));
    EXPECT_FALSE(ParseDouble(u"3.5kg", d));
    EXPECT_FALSE(ParseDouble(u"", d));
    EXPECT_EQ(DoubleToW(4.5, "%0.2f"), u"4.50");
    EXPECT_EQ(WToLongLenient(u"  -12abc"), -12);
    EXPECT_EQ(WToLongLenient(u"x"), 0);
}

TEST(Text, Placeholders) {
    EXPECT_EQ(FormatPlaceholders(u"%1 weighed %2 (%3)", {u"A1", u"10"}), u"A1 weighed 10 (%3)");
    EXPECT_EQ(Split(u"a,,b", u','), (std::vector<WString>{u"a", u"", u"b"}));
    EXPECT_EQ(Trim(u"\t x \r\n"), u"x");
}
