#include "records/signet.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>

#include "support/attached_records.h"
#include "support/scripted_host_fixture.h"

using namespace r2;

namespace {
// LC_NUMERIC switched to a decimal-comma locale for the scope, when one is installed.
class CommaLocale {
public:
    CommaLocale() : m_old(setlocale(LC_NUMERIC, nullptr)) {
        m_ok = setlocale(LC_NUMERIC, "de_DE.UTF-8") || setlocale(LC_NUMERIC, "de_DE.utf8");
    }
    ~CommaLocale() { setlocale(LC_NUMERIC, m_old.c_str()); }
    bool ok() const { return m_ok; }

private:
    std::string m_old;
    bool m_ok = false;
};
}  // namespace

TEST(OptionalDouble, ReadTable) {
    struct Case {
        const char16_t* text;
        bool ok;
        double value;  // NaN: not entered
    };
    const double nan = NotEnteredDouble();
    const Case cases[] = {
        {u"", true, nan},        {u" \t ", true, nan},    {u"0", true, 0.0},        {u"0.00", true, 0.0},
        {u" 1.5 \t", true, 1.5}, {u"-2.25", true, -2.25}, {u"1e2", true, 100.0},    {u"00", true, 0.0},
        {u"-0", false, 0},       {u"+0", false, 0},       {u".0", false, 0},        {u"abc", false, 0},
        {u"1.5x", false, 0},     {u"1,5", false, 0},      {u"\u00a01.5", false, 0}, {u"1.5 2", false, 0},
        {u"nan", false, 0},      {u"inf", false, 0},      {u"0x1A", false, 0},
    };
    for (const Case& c : cases) {
        double v = 42.0;
        EXPECT_EQ(ReadOptionalDouble(c.text, &v), c.ok) << WToUtf8(c.text);
        if (!c.ok) {
            EXPECT_EQ(v, 42.0) << WToUtf8(c.text);
        } else if (IsNotEntered(c.value)) {
            EXPECT_TRUE(SameBits(v, nan)) << WToUtf8(c.text);
        } else {
            EXPECT_EQ(v, c.value) << WToUtf8(c.text);
        }
    }
}

TEST(OptionalDouble, IgnoresTheUsersNumberLocale) {
    CommaLocale comma;
    if (!comma.ok()) GTEST_SKIP() << "no decimal-comma locale installed";
    double v = 0;
    EXPECT_TRUE(ReadOptionalDouble(u"1.5", &v));
    EXPECT_EQ(v, 1.5);
    EXPECT_EQ(FormatOptionalDouble(2.005), u"2.00");  // the C library's rounding of the binary value
    EXPECT_EQ(FormatOptionalDouble(1.5), u"1.50");
}

TEST(OptionalDouble, ExchangeShowsAndTakesValues) {
    CScopedScriptedHost host;
    WString text;
    double value = NotEnteredDouble();
    EXPECT_TRUE(DDX_OptionalDouble(false, text, value));
    EXPECT_EQ(text, u"");
    value = 1.5;
    EXPECT_TRUE(DDX_OptionalDouble(false, text, value));
    EXPECT_EQ(text, u"1.50");

    text = u"  \t";
    EXPECT_TRUE(DDX_OptionalDouble(true, text, value));
    EXPECT_TRUE(IsNotEntered(value));

    // Only 31 characters are taken: the rest of a long field is never seen.
    text = WString(30, u' ') + u"7" + u"junk";
    EXPECT_TRUE(DDX_OptionalDouble(true, text, value));
    EXPECT_EQ(value, 7.0);
    EXPECT_TRUE(host.Messages().empty());
}

TEST(OptionalDouble, RefusedTextShowsMessageAndKeepsTheValue) {
    CScopedScriptedHost host;
    WString text = u"abc";
    double value = 3.0;
    EXPECT_FALSE(DDX_OptionalDouble(true, text, value));
    EXPECT_EQ(value, 3.0);
    ASSERT_EQ(host.MessageIds(), std::vector<unsigned>{156});
    EXPECT_EQ(host.Messages()[0].text, u"Please enter a number of leave it blank.");
    EXPECT_EQ(host.Messages()[0].type & MB_TYPEMASK, MB_OK);
    EXPECT_EQ(host.Messages()[0].helpId, 0x30000u + 156);
}

TEST(SignetData, NewAveragesAreNotEnteredWithTheFilesNaN) {
    CSignetData d;
    for (double v :
         {d.m_dblAWT, d.m_dblEightWeekWeightEBV, d.m_dblLitterEBV, d.m_dblMatureEBV, d.m_dblMaternalEBV,
          d.m_dblMuscleDepthEBV, d.m_dblScanWeightEBV, d.m_dblFatDepthEBV, d.m_dblLeanIndex})
        EXPECT_EQ(std::bit_cast<uint64_t>(v), 0xFFF8000000000000u);
    EXPECT_EQ(d.m_dtCreated.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(d.m_dtEdited, d.m_dtCreated);
}

namespace {
// LeanIndex, EightWeekWeightEBV, FatDepthEBV, LitterEBV, MaternalEBV, MatureEBV, MuscleDepthEBV,
// ScanWeightEBV, AWT, Created, Edited.
const char* const kSignetBytes =
    "000000000000F83F"             // LeanIndex 1.5
    "000000000000F8FF"             // EightWeekWeightEBV: not entered
    "000000000000F8FF"             // FatDepthEBV
    "0000000000000CC0"             // LitterEBV -3.5
    "000000000000F8FF"             // MaternalEBV
    "0000000000005940"             // MatureEBV 100
    "000000000000F8FF"             // MuscleDepthEBV
    "010000000000F87F"             // ScanWeightEBV: a NaN with other bits
    "0000000000000240"             // AWT 2.25
    "00000000 0000000028 77E240"   // Created 37817.25
    "00000000 0000000058 77E240";  // Edited 37818.75
}  // namespace

TEST(SignetData, ArchiveOrderDiffersFromTheFieldOrder) {
    CSignetData d;
    d.m_dblLeanIndex = 1.5;
    d.m_dblLitterEBV = -3.5;
    d.m_dblMatureEBV = 100.0;
    d.m_dblScanWeightEBV = std::bit_cast<double>(uint64_t{0x7FF8000000000001u});
    d.m_dblAWT = 2.25;
    d.m_dtCreated = COleDateTime(37817.25);
    d.m_dtEdited = COleDateTime(37818.75);
    EXPECT_EQ(ToHex(Store(d)), ToHex(Hex(kSignetBytes)));
}

TEST(SignetData, LoadKeepsEveryNaNBitForBit) {
    CSignetData d;
    Load(d, Hex(kSignetBytes));
    EXPECT_EQ(d.m_dblLeanIndex, 1.5);
    EXPECT_EQ(d.m_dblAWT, 2.25);
    EXPECT_EQ(d.m_dblMatureEBV, 100.0);
    EXPECT_EQ(d.m_dblLitterEBV, -3.5);
    EXPECT_TRUE(IsNotEntered(d.m_dblScanWeightEBV));
    EXPECT_EQ(ToHex(Store(d)), ToHex(Hex(kSignetBytes)));
}

TEST(SignetData, StoredWithItsClassAndCreatedByName) {
    CSignetData d;
    d.m_dtCreated = COleDateTime(37817.25);
    d.m_dtEdited = COleDateTime(37818.75);
    std::vector<uint8_t> bytes;
    {
        CArchive ar(bytes, CArchive::store);
        ar.WriteObject(&d);
    }
    EXPECT_EQ(ToHex(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 17)),
              ToHex(Hex("FFFF 0100 0B00 435369676E657444617461")));  // class CSignetData, schema 1
    CArchive in(bytes);
    CRefPtr<CSignetData> loaded = in.ReadObjectAs<CSignetData>();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->m_dtEdited, d.m_dtEdited);
    EXPECT_TRUE(IsNotEntered(loaded->m_dblAWT));
}
