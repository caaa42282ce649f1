#include "platform/archive.h"


#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<uint8_t> DateBytes(uint32_t status, std::initializer_list<uint8_t> dbl) {
    std::vector<uint8_t> b{uint8_t(status), uint8_t(status >> 8), uint8_t(status >> 16),
                           uint8_t(status >> 24)};
    b.insert(b.end(), dbl);
    return b;
}

TEST(ArchiveDate, StatusThenDoubleAndBackUnchanged) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        COleDateTime::DateTimeStatus status;
        double dt;
    } cases[] = {
        {"valid 2.5", DateBytes(0, {0, 0, 0, 0, 0, 0, 0x04, 0x40}), COleDateTime::valid, 2.5},
        {"null as written here", DateBytes(2, {0, 0, 0, 0, 0, 0, 0, 0}), COleDateTime::null, 0.0},
        {"null keeping a stored value", DateBytes(2, {0, 0, 0, 0, 0, 0, 0xF0, 0xBF}), COleDateTime::null,
         -1.0},
        {"invalid keeping a stored value", DateBytes(1, {0, 0, 0, 0, 0, 0x40, 0x8F, 0x40}),
         COleDateTime::invalid, 1000.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CArchive in(c.bytes.data(), c.bytes.size());
        COleDateTime d;
        in >> d;
        EXPECT_EQ(in.GetRemaining(), 0u);
        EXPECT_EQ(d.GetStatus(), c.status);
        EXPECT_EQ(d.m_dt, c.dt);
        std::vector<uint8_t> out;
        CArchive st(out, CArchive::store);
        st << d;
        EXPECT_EQ(out, c.bytes);
    }
}

TEST(ArchiveDate, NullMadeHereIsStatusTwoAndZero) {
    std::vector<uint8_t> out;
    CArchive st(out, CArchive::store);
    st << COleDateTime::Null();
    EXPECT_EQ(out, DateBytes(2, {0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(ArchiveDate, UnknownStatusReadsAsInvalidAndShortInputFails) {
    auto b = DateBytes(7, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F});
    CArchive in(b.data(), b.size());
    COleDateTime d;
    in >> d;
    EXPECT_EQ(d.GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(d.m_dt, 1.0);
    for (size_t cut = 0; cut < b.size(); ++cut) {
        CArchive part(b.data(), cut);
        EXPECT_THROW(part >> d, CArchiveException);
    }
}

}  // namespace


