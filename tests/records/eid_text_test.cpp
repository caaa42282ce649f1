#include "records/eid_text.h"

#include <gtest/gtest.h>

TEST(EidText, ShowsSixteenDigitsAndNothingForNone) {
    EXPECT_EQ(FormatElectronicIdText(256), u"0000000000000256");
    EXPECT_EQ(FormatElectronicIdText(0), u"");
    EXPECT_EQ(FormatElectronicIdText(UINT64_MAX), u"18446744073709551615");
}

TEST(EidText, ReadsDigitsOnly) {
    const struct {
        const char16_t* text;
        bool ok;
        uint64_t value;
    } cases[] = {
        {u"", true, 0},
        {u"0000000000000256", true, 256},
        {u"18446744073709551615", true, UINT64_MAX},
        {u"18446744073709551616", false, 0},  // one past 64 bits
        {u"99999999999999999999", false, 0},
        {u"-1", false, 0},
        {u"+5", false, 0},
        {u" 5", false, 0},
        {u"5 ", false, 0},
        {u"12a", false, 0},
        {u"0x10", false, 0},
    };
    for (const auto& c : cases) {
        uint64_t value = 77;
        EXPECT_EQ(ParseElectronicIdText(c.text, &value), c.ok) << WToUtf8(c.text);
        EXPECT_EQ(value, c.ok ? c.value : 77u) << WToUtf8(c.text);
    }
}
