#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

#include "platform/oledate.h"

namespace {

// Switches LC_TIME for one test and puts the old one back.
class TimeLocale {
public:
    explicit TimeLocale(const char* name) : m_old(setlocale(LC_TIME, nullptr)) {
        m_ok = setlocale(LC_TIME, name) != nullptr;
    }
    ~TimeLocale() { setlocale(LC_TIME, m_old.c_str()); }
    bool ok() const { return m_ok; }

private:
    std::string m_old;
    bool m_ok = false;
};

#define USE_LOCALE(name)      \
    TimeLocale locale_(name); \
    if (!locale_.ok()) GTEST_SKIP() << name << " is not installed (locales-all)";

// Sets TZ for one test and puts the old one back.
class TimeZone {
public:
    explicit TimeZone(const char* tz) {
        const char* old = getenv("TZ");
        m_had = old != nullptr;
        if (old) m_old = old;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~TimeZone() {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool m_had = false;
    std::string m_old;
};

struct Fields {
    int y, mo, d, h, mi, s;
};

void ExpectFields(const COleDateTime& dt, Fields f) {
    ASSERT_EQ(dt.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(dt.GetYear(), f.y);
    EXPECT_EQ(dt.GetMonth(), f.mo);
    EXPECT_EQ(dt.GetDay(), f.d);
    EXPECT_EQ(dt.GetHour(), f.h);
    EXPECT_EQ(dt.GetMinute(), f.mi);
    EXPECT_EQ(dt.GetSecond(), f.s);
}

}  // namespace

TEST(Dates, EncodingMatchesTheFrameworkIncludingDaysBeforeTheEpoch) {
    struct Case {
        Fields f;
        double dt;
        int dayOfWeek;
        int dayOfYear;
    } cases[] = {
        {{1899, 12, 30, 0, 0, 0}, 0.0, 7, 364},
        {{1899, 12, 31, 12, 0, 0}, 1.5, 1, 365},
        {{1900, 1, 1, 0, 0, 0}, 2.0, 2, 1},
        {{1899, 12, 29, 6, 0, 0}, -1.25, 6, 363},  // the fraction is the time, taken positive
        {{1899, 12, 29, 18, 0, 0}, -1.75, 6, 363},
        {{1800, 1, 1, 0, 0, 0}, -36522.0, 4, 1},
        {{2003, 7, 15, 9, 30, 0}, 37817.0 + 9.5 / 24.0, 3, 196},
        {{2004, 12, 31, 0, 0, 0}, 38352.0, 6, 366},
        {{100, 1, 1, 0, 0, 0}, -657434.0, 6, 1},
        {{9999, 12, 31, 23, 59, 59}, 2958465.0 + 86399.0 / 86400.0, 6, 365},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.f.y) + "-" + std::to_string(c.f.mo) + "-" + std::to_string(c.f.d));
        COleDateTime made(c.f.y, c.f.mo, c.f.d, c.f.h, c.f.mi, c.f.s);
        ASSERT_EQ(made.GetStatus(), COleDateTime::valid);
        EXPECT_DOUBLE_EQ(made.m_dt, c.dt);
        COleDateTime read(c.dt);
        ExpectFields(read, c.f);
        EXPECT_EQ(read.GetDayOfWeek(), c.dayOfWeek);
        EXPECT_EQ(read.GetDayOfYear(), c.dayOfYear);
    }
    // The default is the framework's: valid, 0.0.
    COleDateTime def;
    EXPECT_EQ(def.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(def.m_dt, 0.0);
    // Times are rounded to the nearest second, over midnight too.
    ExpectFields(COleDateTime(1.0 - 0.4 / 86400.0), {1899, 12, 31, 0, 0, 0});
    ExpectFields(COleDateTime(-1.0 - 0.4 / 86400.0), {1899, 12, 29, 0, 0, 0});
}

TEST(Dates, ArithmeticCrossesTheEpochChronologically) {
    EXPECT_DOUBLE_EQ(COleDateTime::DoubleFromDate(-1.25), -0.75);
    EXPECT_DOUBLE_EQ(COleDateTime::DateFromDouble(-0.75), -1.25);
    COleDateTime evening(1899, 12, 29, 18, 0, 0);
    COleDateTime morning = evening + COleDateTimeSpan(0, 12, 0, 0);
    EXPECT_DOUBLE_EQ(morning.m_dt, 0.25);
    COleDateTime back = morning - COleDateTimeSpan(1.0);
    EXPECT_DOUBLE_EQ(back.m_dt, -1.25);
    ExpectFields(back, {1899, 12, 29, 6, 0, 0});
    COleDateTimeSpan gap = morning - evening;
    EXPECT_DOUBLE_EQ(gap.GetTotalHours(), 12.0);
    EXPECT_EQ(gap.GetHours(), 12);
    EXPECT_TRUE(evening < morning);
    EXPECT_TRUE(COleDateTime(-1.25) < COleDateTime(-1.5));  // 06:00 before 12:00 on the same day

    // Null and invalid operands carry over; leaving the years 100..9999 gives an invalid date.
    EXPECT_EQ((COleDateTime::Null() + COleDateTimeSpan(1.0)).GetStatus(), COleDateTime::null);
    COleDateTime bad;
    bad.SetStatus(COleDateTime::invalid);
    EXPECT_EQ((bad + COleDateTimeSpan(1.0)).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ((COleDateTime(9999, 12, 31, 0, 0, 0) + COleDateTimeSpan(1.0)).GetStatus(),
              COleDateTime::invalid);
    EXPECT_EQ((COleDateTime(100, 1, 1, 0, 0, 0) - COleDateTimeSpan(0, 0, 0, 1)).GetStatus(),
              COleDateTime::invalid);
}

TEST(Dates, BadFieldsMakeAnInvalidDate) {
    const Fields bad[] = {{2023, 2, 29, 0, 0, 0}, {10000, 1, 1, 0, 0, 0}, {99, 12, 31, 0, 0, 0},
                          {2003, 13, 1, 0, 0, 0}, {2003, 4, 31, 0, 0, 0}, {2003, 1, 0, 0, 0, 0},
                          {2003, 1, 1, 24, 0, 0}, {2003, 1, 1, 0, 60, 0}, {2003, 1, 1, 0, 0, 60},
                          {1900, 2, 29, 0, 0, 0}};
    for (const auto& f : bad) {
        SCOPED_TRACE(std::to_string(f.y) + "-" + std::to_string(f.mo) + "-" + std::to_string(f.d));
        COleDateTime dt(2000, 1, 1, 0, 0, 0);
        EXPECT_NE(dt.SetDateTime(f.y, f.mo, f.d, f.h, f.mi, f.s), 0);
        EXPECT_EQ(dt.GetStatus(), COleDateTime::invalid);
        EXPECT_EQ(dt.GetYear(), -1);
        EXPECT_EQ(dt.GetDayOfWeek(), -1);
        EXPECT_EQ(dt.Format("%Y-%m-%d"), u"Invalid DateTime");
    }
    COleDateTime leap;
    EXPECT_EQ(leap.SetDate(2024, 2, 29), 0);
    EXPECT_EQ(leap.SetDate(2000, 2, 29), 0);
    EXPECT_EQ(leap.GetStatus(), COleDateTime::valid);

    // A valid status around an out-of-range or NaN value still formats as invalid.
    EXPECT_EQ(COleDateTime(3.0e6).Format("%x"), u"Invalid DateTime");
    EXPECT_EQ(COleDateTime(std::nan("")).GetYear(), -1);
    COleDateTime null = COleDateTime::Null();
    EXPECT_EQ(null.GetStatus(), COleDateTime::null);
    EXPECT_EQ(null.m_dt, 0.0);
    EXPECT_EQ(null.Format("%x"), u"");
}

TEST(Dates, FixedFormatsIgnoreTheLocale) {
    USE_LOCALE("de_DE.UTF-8");
    COleDateTime dt(2003, 7, 5, 9, 3, 7);
    EXPECT_EQ(dt.Format("%Y-%m-%d"), u"2003-07-05");
    EXPECT_EQ(dt.Format("%d/%m/%Y"), u"05/07/2003");
    EXPECT_EQ(dt.Format("%H:%M:%S"), u"09:03:07");
    EXPECT_EQ(dt.Format(u"%Y-%m-%dT%H:%M:%S"), u"2003-07-05T09:03:07");
    EXPECT_EQ(dt.Format("%#d.%#m. 100%%"), u"5.7. 100%");
    EXPECT_EQ(COleDateTime(-1.25).Format("%Y-%m-%dT%H:%M:%S"), u"1899-12-29T06:00:00");
}

TEST(Dates, ShortDateAlwaysHasFourDigitYears) {
    COleDateTime dt(2003, 7, 15, 21, 30, 5);
    struct Case {
        const char* locale;
        const char16_t* x;
        const char16_t* c;
    } cases[] = {
        {"C", u"07/15/2003", u"07/15/2003 21:30:05"},
        {"en_GB.UTF-8", u"15/07/2003", u"15/07/2003 21:30:05"},
        {"en_US.UTF-8", u"07/15/2003", u"07/15/2003 09:30:05 PM"},
        {"de_DE.UTF-8", u"15.07.2003", u"15.07.2003 21:30:05"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        TimeLocale locale(c.locale);
        if (!locale.ok()) {
            ADD_FAILURE() << c.locale << " is not installed (scripts/install-deps.sh installs locales-all)";
            continue;
        }
        EXPECT_EQ(dt.Format("%x"), c.x);
        EXPECT_EQ(dt.Format("%c"), c.c);
        // What is shown can be read back, with and without the time.
        COleDateTime back;
        ASSERT_TRUE(back.ParseDateTime(dt.Format("%c")));
        EXPECT_EQ(back, dt);
        ASSERT_TRUE(back.ParseDateTime(dt.Format("%x"), VAR_DATEVALUEONLY));
        EXPECT_EQ(back, COleDateTime(2003, 7, 15, 0, 0, 0));
    }
}

TEST(Dates, ParsesInTheLocalesOrderAndIsoEverywhere) {
    struct Case {
        const char* locale;
        const char16_t* text;
        bool ok;
        Fields f;
    } cases[] = {
        {"en_GB.UTF-8", u"15/07/2003", true, {2003, 7, 15, 0, 0, 0}},
        {"en_GB.UTF-8", u" 15/07/2003 09:30:05 ", true, {2003, 7, 15, 9, 30, 5}},
        {"en_GB.UTF-8", u"15/7/03 9:30", true, {2003, 7, 15, 9, 30, 0}},
        {"en_GB.UTF-8", u"1/2/29", true, {2029, 2, 1, 0, 0, 0}},
        {"en_GB.UTF-8", u"1/2/30", true, {1930, 2, 1, 0, 0, 0}},
        {"en_GB.UTF-8", u"15 July 2003", true, {2003, 7, 15, 0, 0, 0}},
        {"en_GB.UTF-8", u"15 jul 2003 10:00 pm", true, {2003, 7, 15, 22, 0, 0}},
        {"en_GB.UTF-8", u"07/15/2003", false, {}},
        {"en_GB.UTF-8", u"29/02/2023", false, {}},
        {"en_GB.UTF-8", u"15/07/10000", false, {}},
        {"en_GB.UTF-8", u"15/07", false, {}},
        {"en_GB.UTF-8", u"15/07/2003 25:00", false, {}},
        {"en_GB.UTF-8", u"15/07/2003 13:00 PM", false, {}},
        {"en_GB.UTF-8", u"15/07/2003 x", false, {}},
        {"en_GB.UTF-8", u"", false, {}},
        {"en_US.UTF-8", u"7/15/2003 12:15:00 AM", true, {2003, 7, 15, 0, 15, 0}},
        {"en_US.UTF-8", u"7/15/2003 12:15 PM", true, {2003, 7, 15, 12, 15, 0}},
        {"en_US.UTF-8", u"Jul 15, 2003", true, {2003, 7, 15, 0, 0, 0}},
        {"en_US.UTF-8", u"15/07/2003", false, {}},
        {"de_DE.UTF-8", u"15.07.2003 09:30:05", true, {2003, 7, 15, 9, 30, 5}},
        {"de_DE.UTF-8", u"15. Juli 2003", true, {2003, 7, 15, 0, 0, 0}},
        {"C", u"09:30", true, {1899, 12, 30, 9, 30, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + WToUtf8(c.text));
        TimeLocale locale(c.locale);
        if (!locale.ok()) {
            ADD_FAILURE() << c.locale << " is not installed (scripts/install-deps.sh installs locales-all)";
            continue;
        }
        COleDateTime dt(2000, 1, 1, 0, 0, 0);
        EXPECT_EQ(dt.ParseDateTime(c.text), c.ok);
        if (c.ok) {
            ExpectFields(dt, c.f);
        } else {
            EXPECT_EQ(dt.GetStatus(), COleDateTime::invalid);
            EXPECT_EQ(dt.m_dt, 0.0);
        }
    }
    for (const char* name : {"C", "en_GB.UTF-8", "en_US.UTF-8", "de_DE.UTF-8"}) {
        SCOPED_TRACE(name);
        TimeLocale locale(name);
        COleDateTime dt;
        ASSERT_TRUE(dt.ParseDateTime(u"2003-07-15"));
        ExpectFields(dt, {2003, 7, 15, 0, 0, 0});
        ASSERT_TRUE(dt.ParseDateTime(u"2003-07-15T09:30:05"));
        ExpectFields(dt, {2003, 7, 15, 9, 30, 5});
        ASSERT_TRUE(dt.ParseDateTime(u"2003-07-15 09:30:05"));
        ExpectFields(dt, {2003, 7, 15, 9, 30, 5});
        ASSERT_TRUE(dt.ParseDateTime(u"2003-07-15T09:30:05", VAR_DATEVALUEONLY));
        EXPECT_EQ(dt.m_dt, 37817.0);
        ASSERT_TRUE(dt.ParseDateTime(u"2003-07-15T09:30:05", VAR_TIMEVALUEONLY));
        ExpectFields(dt, {1899, 12, 30, 9, 30, 5});
        EXPECT_FALSE(dt.ParseDateTime(u"2003-02-29"));
    }
}

TEST(Dates, CompareDatesPutsNullFirstAndOrdersByStoredValue) {
    const COleDateTime null = COleDateTime::Null();
    COleDateTime nullOther = COleDateTime::Null();
    nullOther.m_dt = 5.0;  // a null read from a file keeps its value; it is still just null
    const COleDateTime jan1900(1900, 1, 1, 0, 0, 0);
    const COleDateTime later(2003, 7, 15, 0, 0, 0);
    COleDateTime invalidEarly(-10.0);
    invalidEarly.SetStatus(COleDateTime::invalid);
    COleDateTime invalidSame = later;
    invalidSame.SetStatus(COleDateTime::invalid);
    COleDateTime nan(std::numeric_limits<double>::quiet_NaN());
    nan.SetStatus(COleDateTime::invalid);
    struct Case {
        COleDateTime a, b;
        int expected;
    } cases[] = {
        {null, nullOther, 0},
        {null, jan1900, -1},
        {jan1900, null, 1},
        {null, invalidEarly, -1},
        {jan1900, jan1900, 0},
        {jan1900, later, -1},
        {later, jan1900, 1},
        {COleDateTime(-1.25), COleDateTime(-1.5), -1},  // 29 Dec 1899 06:00 before 12:00
        {invalidEarly, jan1900, -1},
        {later, invalidSame, 0},
        {nan, later, 1},
        {later, nan, -1},
        {nan, nan, 0},
        {null, nan, -1},
    };
    int i = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(i++);
        EXPECT_EQ(CompareDates(c.a, c.b), c.expected);
    }
}

TEST(Dates, LocalAndUtcUseTheOffsetInForceNow) {
    {
        TimeZone tz("<+05>-5");
        COleDateTime local(2003, 7, 15, 3, 30, 0);
        COleDateTime utc = local.LocalToUtc();
        ExpectFields(utc, {2003, 7, 14, 22, 30, 0});
        EXPECT_EQ(utc.UtcToLocal(), local);
        const double diff =
            (COleDateTime::GetCurrentTime() - COleDateTime::GetCurrentTimeUtc()).GetTotalSeconds();
        EXPECT_NEAR(diff, 5 * 3600, 2);
        EXPECT_EQ(COleDateTime::Null().LocalToUtc().GetStatus(), COleDateTime::null);
        EXPECT_EQ(COleDateTime(100, 1, 1, 1, 0, 0).LocalToUtc().GetStatus(), COleDateTime::invalid);
    }
    {
        // Winter and summer dates move by the same amount, whatever the season is today.
        TimeZone tz("CET-1CEST,M3.5.0,M10.5.0/3");
        const COleDateTime winter(2003, 1, 15, 12, 0, 0), summer(2003, 7, 15, 12, 0, 0);
        const double w = (winter - winter.LocalToUtc()).GetTotalSeconds();
        const double s = (summer - summer.LocalToUtc()).GetTotalSeconds();
        EXPECT_NEAR(w, s, 0.5);
        EXPECT_TRUE(std::fabs(w - 3600) < 0.5 || std::fabs(w - 7200) < 0.5) << w;
    }
}

// The writer's fast forms are what Format gives for the same formats.
TEST(Dates, IsoFormsAreFormatsOwnText) {
    const COleDateTime dates[] = {
        COleDateTime(1000, 1, 1, 0, 0, 0),  COleDateTime(9999, 12, 31, 23, 59, 59), COleDateTime(2026, 3, 29, 1, 59, 59),
        COleDateTime(2003, 7, 5, 9, 3, 7),  COleDateTime(-1.25),                    COleDateTime(45000.999994),
        COleDateTime(1899, 12, 30, 0, 0, 1),
    };
    for (const COleDateTime& date : dates) {
        SCOPED_TRACE(date.m_dt);
        for (bool withTime : {false, true}) {
            std::string text = "x";
            ASSERT_TRUE(date.AppendIso(text, withTime));
            EXPECT_EQ(Utf8ToW(text), u"x" + date.Format(withTime ? "%Y-%m-%dT%H:%M:%S" : "%Y-%m-%d"));
        }
    }
    // Years below 1000 (strftime writes them short), null and invalid dates are left to Format.
    COleDateTime invalid(2003, 2, 30, 0, 0, 0);
    for (const COleDateTime& date : {COleDateTime(999, 12, 31, 0, 0, 0), COleDateTime(100, 1, 1, 0, 0, 0),
                                     COleDateTime::Null(), invalid}) {
        std::string text;
        EXPECT_FALSE(date.AppendIso(text, true));
        EXPECT_TRUE(text.empty());
    }
}

// The conversion keeps no offset of a zone that has been changed since, even within one second,
// and even where the zones' names and standard offsets are the same.
TEST(Dates, TheOffsetFollowsEachChangeOfZone) {
    const char* zones[] = {
        "<+05>-5",
        "<+05>-6",
        "CET-1CEST,M3.5.0,M10.5.0/3",
        "CET-1CEST,J1/0,J365/25",  // summer time all year
        "UTC0",
        "<-03>3",
    };
    for (int round = 0; round < 2; ++round) {
        for (const char* zone : zones) {
            SCOPED_TRACE(zone);
            TimeZone tz(zone);
            const time_t now = time(nullptr);
            struct tm local {};
            localtime_r(&now, &local);
            const COleDateTime date(2003, 7, 15, 12, 0, 0);
            EXPECT_NEAR((date - date.LocalToUtc()).GetTotalSeconds(), double(local.tm_gmtoff), 0.5);
            EXPECT_NEAR((date.UtcToLocal() - date).GetTotalSeconds(), double(local.tm_gmtoff), 0.5);
        }
    }
}

// The ISO forms are read without the locale's parser; with a blank in front the same text goes the
// general way, and both must give the same date.
TEST(Dates, IsoFormsParseAsTheGeneralParserReadsThem) {
    const char16_t* texts[] = {
        u"2003-07-15",          u"2003-07-15T09:30:05", u"2003-07-15 09:30:05", u"2004-02-29",
        u"2003-02-29",          u"0099-01-01",          u"0100-01-01T00:00:00", u"9999-12-31T23:59:59",
        u"2003-07-15T24:00:00", u"2003-07-15T23:60:00", u"2003-07-15T23:59:60", u"2003-13-01",
        u"2003-00-10",          u"1899-12-29T06:00:00", u"0000-00-00T00:00:00",
    };
    for (const char* name : {"C", "de_DE.UTF-8"}) {
        TimeLocale locale(name);
        for (const char16_t* text : texts) {
            for (uint32_t flags : {0u, VAR_DATEVALUEONLY, VAR_TIMEVALUEONLY}) {
                SCOPED_TRACE(std::string(name) + " " + WToUtf8(text) + " " + std::to_string(flags));
                COleDateTime fast(2000, 1, 1, 0, 0, 0), general(2000, 1, 1, 0, 0, 0);
                EXPECT_EQ(fast.ParseDateTime(text, flags), general.ParseDateTime(u" " + WString(text), flags));
                EXPECT_EQ(fast.GetStatus(), general.GetStatus());
                EXPECT_EQ(fast.m_dt, general.m_dt);
            }
        }
    }
}

// The exchange file's stamps are read and moved to local time in one step: the same value as the
// general parser followed by UtcToLocal, and no value at all where either would fail.
TEST(Dates, IsoStampsReadAndMovedAsParseThenShift) {
    const char16_t* texts[] = {
        u"2003-07-15T09:30:05", u"2003-07-15 09:30:05", u"2003-07-15",          u"1899-12-29T06:00:00",
        u"1850-06-01T00:00:00", u"0100-01-01T00:00:30", u"9999-12-31T23:59:59", u"2003-02-29T10:00:00",
        u"2003-07-15T24:00:00", u"15/07/2003 09:30:05", u"2003-07-15T09:30",    u"",
    };
    for (const char16_t* text : texts) {
        for (long shift : {0L, 3600L, -3600L, 19800L, -43200L}) {
            SCOPED_TRACE(WToUtf8(text) + " " + std::to_string(shift));
            COleDateTime general;
            const bool parsed = general.ParseDateTime(text) && general.GetStatus() == COleDateTime::valid;
            const COleDateTime moved = general.UtcToLocal(shift);
            const size_t size = WStringView(text).size();
            const bool isoForm = (size == 10 || size == 19) && text[4] == u'-';
            const bool expected = isoForm && parsed && moved.GetStatus() == COleDateTime::valid;
            COleDateTime fast(2000, 1, 1, 0, 0, 0);
            const COleDateTime before = fast;
            ASSERT_EQ(fast.ParseIsoDateTime(text, shift), expected);
            if (expected) {
                EXPECT_EQ(fast.GetStatus(), COleDateTime::valid);
                EXPECT_EQ(fast.m_dt, moved.m_dt);
            } else {
                EXPECT_EQ(fast.m_dt, before.m_dt);
                EXPECT_EQ(fast.GetStatus(), before.GetStatus());
            }
        }
    }
}
