#include "document/font_record.h"

#include <gtest/gtest.h>

#include "platform/archive.h"

namespace {

std::array<uint8_t, 60> Arial12Bold() {
    std::array<uint8_t, 60> b{};
    const uint8_t head[28] = {0xF0, 0xFF, 0xFF, 0xFF,  // height -16
                              0,    0,    0,    0,    0,    0,    0, 0,
                              0,    0,    0,    0,    0xBC, 0x02, 0, 0,  // weight 700
                              1,    0,    0,    0,    3,    2,    1, 0x22};
    std::copy(std::begin(head), std::end(head), b.begin());
    const char face[] = "Arial";
    std::copy(face, face + 5, b.begin() + 28);
    return b;
}

}  // namespace

TEST(FontRecord, ReadsAndWritesTheSixtyBytes) {
    auto bytes = Arial12Bold();
    CFontRecord f;
    CArchive in(bytes.data(), bytes.size());
    f.Serialize(in);
    EXPECT_EQ(f.m_lf.lfHeight, -16);
    EXPECT_EQ(f.m_lf.lfWeight, 700);
    EXPECT_EQ(f.m_lf.lfItalic, 1);
    EXPECT_EQ(f.m_lf.lfOutPrecision, 3);
    EXPECT_EQ(f.m_lf.lfPitchAndFamily, 0x22);
    EXPECT_EQ(f.GetFaceName(), u"Arial");

    std::vector<uint8_t> out;
    CArchive ar(out, CArchive::store);
    f.Serialize(ar);
    EXPECT_EQ(out, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

TEST(FontRecord, BytesAfterTheNulSurviveUntilTheNameChanges) {
    auto bytes = Arial12Bold();
    bytes[40] = 0xCC;  // left over behind the name by the Windows program
    bytes[59] = 0x01;
    CFontRecord f;
    f.FromBytes(bytes);
    f.m_lf.lfWeight = 400;
    auto out = f.ToBytes();
    EXPECT_EQ(out[16], 0x90);
    EXPECT_TRUE(std::equal(out.begin() + 28, out.end(), bytes.begin() + 28));

    f.SetFaceName(u"Caf\u00e9 Sans");
    out = f.ToBytes();
    const uint8_t expected[] = {'C', 'a', 'f', 0xE9, ' ', 'S', 'a', 'n', 's'};
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), out.begin() + 28));
    EXPECT_TRUE(std::all_of(out.begin() + 37, out.end(), [](uint8_t b) { return b == 0; }));
}

TEST(FontRecord, FaceNamesFillingTheFieldKeepRoomForTheNul) {
    std::array<uint8_t, 60> bytes{};
    std::fill(bytes.begin() + 28, bytes.end(), uint8_t('W'));  // no NUL at all
    CFontRecord f;
    f.FromBytes(bytes);
    EXPECT_EQ(f.GetFaceName(), WString(31, u'W'));
    EXPECT_EQ(f.ToBytes(), bytes);  // unchanged name: written back as read

    CFontRecord g;
    g.SetFaceName(WString(40, u'x'));
    EXPECT_EQ(g.GetFaceName().size(), 31u);
    auto out = g.ToBytes();
    EXPECT_EQ(out[58], 'x');
    EXPECT_EQ(out[59], 0);
}

TEST(FontRecord, ShortInputThrows) {
    auto bytes = Arial12Bold();
    CArchive in(bytes.data(), 59);
    CFontRecord f;
    EXPECT_THROW(f.Serialize(in), CArchiveException);
}
