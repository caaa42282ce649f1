#include "records/electronic_id.h"

#include <gtest/gtest.h>

TEST(ElectronicIdText, ReadsWholeDecimalNumbersOnly) {
    struct Case {
        const char16_t* text;
        bool ok;
        uint64_t eid;
    };
    const Case cases[] = {
        {u"12345", true, 12345},
        {u"0826000000012345", true, 826000000012345},
        {u"12345678901234567", true, 12345678901234567},  // seventeen digits: all of them
        {u"18446744073709551615", true, UINT64_MAX},
        {u"000000000000000000000042", true, 42},  // leading zeros never overflow
        {u" 42\r\n", true, 42},
        {u"0", true, 0},
        {u"", false, 0},
        {u"   ", false, 0},
        {u"-1", false, 0},
        {u"+1", false, 0},
        {u"0x10", false, 0},
        {u"12 34", false, 0},
        {u"12a", false, 0},
        {u"1.5", false, 0},
        {u"18446744073709551616", false, 0},
        {u"99999999999999999999", false, 0},
        {u"\uff11", false, 0},  // a full-width digit is not a digit here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WToUtf8(c.text));
        uint64_t eid = 7;
        EXPECT_EQ(ParseElectronicID(c.text, eid), c.ok);
        EXPECT_EQ(eid, c.ok ? c.eid : 7u);
    }
}

TEST(ElectronicIdText, FormatsSixteenDigitsAtLeastAndReadsBack) {
    EXPECT_EQ(FormatElectronicID(0), u"0000000000000000");
    EXPECT_EQ(FormatElectronicID(826000000012345), u"0826000000012345");
    EXPECT_EQ(FormatElectronicID(UINT64_MAX), u"18446744073709551615");
    for (uint64_t eid : {uint64_t(1), uint64_t(826000000012345), UINT64_MAX}) {
        uint64_t back = 0;
        ASSERT_TRUE(ParseElectronicID(FormatElectronicID(eid), back));
        EXPECT_EQ(back, eid);
    }
}
