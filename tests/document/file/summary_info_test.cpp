#include "document/summary_info.h"

#include <gtest/gtest.h>

#include "platform/compound_file.h"
#include "platform/oledate.h"
#include "platform/property_set.h"

namespace {

struct Bytes {
    std::vector<uint8_t> b;
    Bytes& u16(uint16_t v) {
        b.push_back(uint8_t(v));
        b.push_back(uint8_t(v >> 8));
        return *this;
    }
    Bytes& u32(uint32_t v) { return u16(uint16_t(v)).u16(uint16_t(v >> 16)); }
    Bytes& raw(std::initializer_list<uint8_t> v) {
        b.insert(b.end(), v);
        return *this;
    }
    Bytes& str(const char* s) {
        while (*s) b.push_back(uint8_t(*s++));
        return *this;
    }
};

constexpr uint64_t kCreated = 0x01D9123456789ABCull;
constexpr uint64_t kSaved = 0x01D9223344556677ull;
constexpr uint64_t kNinetySeconds = 900000000;

CSummaryInfo Sample() {
    CSummaryInfo s;
    s.m_title = "Flock";
    s.m_appName = "Dedov";
    s.m_revNum = "3";
    s.m_pageCount = 250;
    s.m_created = kCreated;
    s.m_lastSaved = kSaved;
    s.m_editTime = kNinetySeconds;
    s.m_security = 2;
    return s;
}

// The set for Sample(), byte by byte: header, one section, the code page first, then the properties
// in write order with Windows-1252 texts NUL-terminated and padded to 4 bytes.
std::vector<uint8_t> SampleBytes() {
    Bytes x;
    x.u16(0xFFFE).u16(0).u32(0x00020006);
    for (int i = 0; i < 4; ++i) x.u32(0);  // class id
    x.u32(1);
    x.raw({0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10, 0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9});
    x.u32(48);
    // section: size, count, (id, offset) pairs
    x.u32(356).u32(18);
    const uint32_t table[18][2] = {{1, 152},  {2, 160},  {3, 176},  {4, 188},  {5, 200},  {6, 212},
                                   {7, 224},  {8, 236},  {18, 248}, {9, 264},  {15, 276}, {14, 284},
                                   {16, 292}, {11, 300}, {12, 312}, {13, 324}, {10, 336}, {19, 348}};
    for (auto& e : table) x.u32(e[0]).u32(e[1]);
    x.u32(2).u16(1252).u16(0);                            // code page, VT_I2
    x.u32(30).u32(6).str("Flock").raw({0, 0, 0});         // title
    for (int i = 0; i < 6; ++i) x.u32(30).u32(1).u32(0);  // subject .. last saved by: empty
    x.u32(30).u32(6).str("Dedov").raw({0, 0, 0});         // application
    x.u32(30).u32(2).str("3").raw({0, 0, 0});             // revision
    x.u32(3).u32(0);                                      // words
    x.u32(3).u32(250);                                    // pages
    x.u32(3).u32(0);                                      // characters
    x.u32(64).u32(0).u32(0);                              // last printed
    x.u32(64).u32(uint32_t(kCreated)).u32(uint32_t(kCreated >> 32));
    x.u32(64).u32(uint32_t(kSaved)).u32(uint32_t(kSaved >> 32));
    x.u32(64).u32(uint32_t(kNinetySeconds)).u32(0);  // editing time: a span
    x.u32(3).u32(2);                                 // security
    return x.b;
}

void ExpectSame(const CSummaryInfo& a, const CSummaryInfo& b) {
    EXPECT_EQ(a.m_title, b.m_title);
    EXPECT_EQ(a.m_subject, b.m_subject);
    EXPECT_EQ(a.m_author, b.m_author);
    EXPECT_EQ(a.m_keywords, b.m_keywords);
    EXPECT_EQ(a.m_comments, b.m_comments);
    EXPECT_EQ(a.m_template, b.m_template);
    EXPECT_EQ(a.m_lastAuthor, b.m_lastAuthor);
    EXPECT_EQ(a.m_appName, b.m_appName);
    EXPECT_EQ(a.m_revNum, b.m_revNum);
    EXPECT_EQ(a.m_wordCount, b.m_wordCount);
    EXPECT_EQ(a.m_pageCount, b.m_pageCount);
    EXPECT_EQ(a.m_charCount, b.m_charCount);
    EXPECT_EQ(a.m_security, b.m_security);
    EXPECT_EQ(a.m_editTime, b.m_editTime);
    EXPECT_EQ(a.m_lastPrinted, b.m_lastPrinted);
    EXPECT_EQ(a.m_created, b.m_created);
    EXPECT_EQ(a.m_lastSaved, b.m_lastSaved);
}

}  // namespace

TEST(SummaryInfo, WritesTheGoldenBytes) {
    EXPECT_EQ(Sample().Encode(), SampleBytes());
}

TEST(SummaryInfo, RoundTripsThroughACompoundFile) {
    CSummaryInfo s = Sample();
    s.m_author = "J\xE9r\xF4me";  // Windows-1252 bytes pass unchanged
    s.m_comments = "Four";        // a text that needs no padding besides its NUL
    s.m_wordCount = -1;
    s.m_lastPrinted = ~0ull;
    CCompoundFileWriter w;
    w.SetStream(kContentsStream, {1, 2, 3});
    EXPECT_EQ(s.WriteToStorage(&w), 0);
    EXPECT_EQ(s.WriteToStorage(nullptr), 0);
    auto reader = CCompoundFileReader::OpenMemory(w.Build());
    CSummaryInfo back;
    ASSERT_TRUE(back.ReadFromStorage(&reader));
    ExpectSame(back, s);
}

TEST(SummaryInfo, ReadsAnyOrderAndKeepsWhatItDoesNotKnow) {
    // Reversed order, an unknown property with a type this set never writes (kept and written back
    // as it was), the title as a wide text (a type other than the fixed one counts as missing), a
    // second section before ours.
    Bytes x;
    x.u16(0xFFFE).u16(1).u32(0x00020005);
    for (int i = 0; i < 4; ++i) x.u32(0);
    x.u32(2);
    for (int i = 0; i < 16; ++i) x.b.push_back(uint8_t(i));
    x.u32(68);
    x.raw({0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10, 0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9});
    x.u32(76);
    x.u32(8).u32(0);  // the other section, empty
    const size_t sec = x.b.size();
    ASSERT_EQ(sec, 76u);
    x.u32(0).u32(5);
    x.u32(19).u32(48).u32(0x1000).u32(56).u32(2).u32(68).u32(4).u32(80).u32(1).u32(96);
    x.u32(3).u32(7);                                 // 48: security
    x.u32(65).u32(4).raw({9, 9, 9, 9});              // 56: a blob
    x.u32(31).u32(2).u16('X').u16(0);                // 68: wide title
    x.u32(30).u32(5).str("Anna").raw({0, 0, 0, 0});  // 80: author
    x.u32(2).u16(1252).u16(0);                       // 96: code page
    x.b[sec] = uint8_t(x.b.size() - sec);
    CSummaryInfo s;
    s.m_title = "old";
    ASSERT_TRUE(s.Decode(x.b));
    EXPECT_EQ(s.m_security, 7);
    EXPECT_EQ(s.m_author, "Anna");
    EXPECT_EQ(s.m_title, "");
    EXPECT_EQ(s.m_pageCount, 0);
    ASSERT_EQ(s.m_otherProperties.size(), 1u);
    EXPECT_EQ(s.m_otherProperties[0].id, 0x1000u);
    EXPECT_EQ(s.m_otherProperties[0].type, 65);
    EXPECT_EQ(s.m_otherProperties[0].raw, (std::vector<uint8_t>{4, 0, 0, 0, 9, 9, 9, 9}));

    CSummaryInfo again;
    ASSERT_TRUE(again.Decode(s.Encode()));
    EXPECT_EQ(again.m_author, "Anna");
    ASSERT_EQ(again.m_otherProperties.size(), 1u);
    EXPECT_EQ(again.m_otherProperties[0].raw, s.m_otherProperties[0].raw);
}

TEST(SummaryInfo, UnicodeCodePageTextsBecomeAnsi) {
    Bytes x;
    x.u16(0xFFFE).u16(0).u32(0);
    for (int i = 0; i < 4; ++i) x.u32(0);
    x.u32(1);
    x.raw({0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10, 0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9});
    x.u32(48);
    x.u32(48).u32(2).u32(1).u32(24).u32(2).u32(32);
    x.u32(2).u16(1200).u16(0);
    x.u32(30).u32(6).u16(0x20AC).u16('1').u16(0).u16(0);
    CSummaryInfo s;
    ASSERT_TRUE(s.Decode(x.b));
    EXPECT_EQ(s.m_title,
              "\x80"
              "1");
}

TEST(SummaryInfo, NarrowTextsAreReadInTheSetsCodePage) {
    struct Case {
        uint16_t codePage;
        std::vector<uint8_t> stored;
        std::string title;  // Windows-1252
    };
    const Case cases[] = {
        {1252,
         {0x80, '1'},
         "\x80"
         "1"},
        {65001,
         {0xE2, 0x82, 0xAC, '1'},
         "\x80"
         "1"},
        {850, {0x80, 0x82}, "\xC7\xE9"},  // C cedilla, e acute
        {1251, {0xC0}, "?"},              // Cyrillic A has no place in Windows-1252
        {1251, {0x41}, "A"},
    };
    for (const Case& c : cases) {
        Bytes x;
        x.u16(0xFFFE).u16(0).u32(0);
        for (int i = 0; i < 4; ++i) x.u32(0);
        x.u32(1);
        x.raw(
            {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10, 0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9});
        x.u32(48);
        const size_t sec = x.b.size();
        x.u32(0).u32(3).u32(1).u32(32).u32(2).u32(40).u32(0x1001).u32(56);
        x.u32(2).u16(c.codePage).u16(0);               // 32: code page
        x.u32(30).u32(uint32_t(c.stored.size() + 1));  // 40: title
        x.b.insert(x.b.end(), c.stored.begin(), c.stored.end());
        while (x.b.size() < sec + 56) x.b.push_back(0);
        x.u32(65).u32(2).raw({7, 7, 0, 0});  // 56: a blob
        x.b[sec] = uint8_t(x.b.size() - sec);
        CSummaryInfo s;
        ASSERT_TRUE(s.Decode(x.b)) << c.codePage;
        EXPECT_EQ(s.m_title, c.title) << c.codePage;
        EXPECT_EQ(s.m_otherProperties.size(), 1u) << c.codePage;
    }
}

TEST(SummaryInfo, DamagedSetsReadNothingAndNeverOverrun) {
    const auto good = SampleBytes();
    for (size_t len = 0; len < good.size(); ++len) {
        CSummaryInfo s;
        s.Decode(std::span(good.data(), len));  // any answer, but within bounds
    }
    std::vector<std::pair<size_t, uint32_t>> damage = {
        {0, 0x1234},       // byte order
        {24, 0x7FFFFFFF},  // section count
        {44, 0xFFFFFFF0},  // section offset
        {52, 0x0FFFFFFF},  // property count
    };
    for (auto [at, v] : damage) {
        auto bad = good;
        for (int i = 0; i < (at == 0 ? 2 : 4); ++i) bad[at + i] = uint8_t(v >> (8 * i));
        CSummaryInfo s;
        s.m_title = "kept";
        EXPECT_FALSE(s.Decode(bad)) << at;
        EXPECT_EQ(s.m_title, "kept");
    }
    // A text whose size runs past the section, and a property offset past it: skipped.
    auto bad = good;
    bad[48 + 164] = 0xFF;
    bad[48 + 8 + 8 * 17 + 4] = 0xF0;
    CSummaryInfo s;
    ASSERT_TRUE(s.Decode(bad));
    EXPECT_EQ(s.m_title, "");
    EXPECT_EQ(s.m_security, 0);
    EXPECT_EQ(s.m_appName, "Dedov");
    // No set at all reads nothing.
    CCompoundFileWriter w;
    w.SetStream(kContentsStream, {});
    auto reader = CCompoundFileReader::OpenMemory(w.Build());
    s.m_title = "kept";
    EXPECT_FALSE(s.ReadFromStorage(&reader));
    EXPECT_FALSE(s.ReadFromStorage(nullptr));
    EXPECT_EQ(s.m_title, "kept");
}

TEST(SummaryInfo, EditTimeTexts) {
    const std::pair<uint64_t, const char16_t*> cases[] = {
        {0, u""},
        {1, u"1 secs."},
        {60, u"60 secs."},
        {61, u"1 mins., 1 secs."},
        {90, u"1 mins., 30 secs."},
        {3600, u"60 mins."},
        {3601, u"1 hrs., 1 secs."},
        {86400, u"24 hrs."},
        {86401, u"1 days, 1 secs."},
        {2 * 86400 + 3 * 3600 + 4 * 60 + 5, u"2 days, 3 hrs., 4 mins., 5 secs."},
    };
    for (auto [seconds, text] : cases) EXPECT_EQ(CSummaryInfo::EditTimeText(seconds), text) << seconds;
}

TEST(SummaryInfo, EditingTimeCountsFromTheStart) {
    uint64_t now = 5'000'000'000;
    CSummaryInfo s;
    s.m_now = [&] { return now; };
    EXPECT_EQ(s.GetTotalEditTimeText(), u"");  // never started: nothing, not centuries
    s.m_editTime = 30 * 10'000'000ull;
    s.StartEditTimeCount();
    now += 60 * 10'000'000ull + 9'999'999;  // partial seconds are dropped
    EXPECT_EQ(s.GetTotalEditTimeText(), u"1 mins., 30 secs.");
    s.AddCountToEditTime();
    s.StartEditTimeCount();
    EXPECT_EQ(s.m_editTime, 90 * 10'000'000ull + 9'999'999);
    EXPECT_EQ(s.GetTotalEditTimeText(), u"1 mins., 30 secs.");
    s.RecordSaveDate();
    s.RecordCreateDate();
    s.RecordPrintDate();
    EXPECT_EQ(s.m_lastSaved, now);
    EXPECT_EQ(s.m_created, now);
    EXPECT_EQ(s.m_lastPrinted, now);
}

TEST(SummaryInfo, SaveStampsTimeRevisionEditingTimeAnimalsAndUser) {
    uint64_t now = 7'000'000'000;
    CSummaryInfo s;
    s.m_now = [&] { return now; };
    s.m_revNum = "41";
    s.StartEditTimeCount();
    now += 90 * 10'000'000ull;
    s.StampSave(250, "shepherd");
    EXPECT_EQ(s.m_lastSaved, now);
    EXPECT_EQ(s.m_revNum, "42");
    EXPECT_EQ(s.m_editTime, 90 * 10'000'000ull);
    EXPECT_EQ(s.m_editStarted, now);
    EXPECT_EQ(s.m_pageCount, 250);
    EXPECT_EQ(s.m_lastAuthor, "shepherd");
    EXPECT_EQ(s.GetPageCountText(), u"250");
}

TEST(SummaryInfo, RevisionAndCountTexts) {
    const std::pair<const char*, const char*> revisions[] = {
        {"41", "42"},        {"", "1"},   {"abc", "1"},        {" 7x", "8"},
        {"4294967295", "0"}, {"-1", "0"}, {"99999999999", "0"}};
    for (auto [before, after] : revisions) {
        CSummaryInfo s;
        s.m_revNum = before;
        s.IncrRevNum();
        EXPECT_EQ(s.m_revNum, after) << before;
    }
    CSummaryInfo s;
    EXPECT_EQ(s.GetPageCountText(), u"");
    s.m_pageCount = 250;
    s.m_wordCount = -1;
    EXPECT_EQ(s.GetPageCountText(), u"250");
    EXPECT_EQ(s.GetWordCountText(), u"4294967295");
}

TEST(SummaryInfo, TimeTextsShowTheStoredTime) {
    // 2024-03-05 14:07:09 UTC
    const uint64_t t = (uint64_t(1709647629) + 11644473600ull) * 10'000'000ull + 1234;
    EXPECT_EQ(CSummaryInfo::TimeText(t), COleDateTime(2024, 3, 5, 14, 7, 9).Format("%c"));
    EXPECT_EQ(CSummaryInfo::TimeText(0), u"");
    CSummaryInfo s;
    EXPECT_EQ(s.GetCreatedText(), u"");
    s.m_lastSaved = t;
    EXPECT_NE(s.GetLastSavedText().find(u"2024"), WString::npos);
}
