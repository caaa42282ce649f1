// Dates as the framework keeps them: a double of days since 30 December 1899 plus a status.
//
// Days before the epoch keep the framework's encoding: the integer part counts days back and the
// fraction is the time of day taken positive, so -1.25 is 29 December 1899 06:00 (chronologically
// -0.75). Valid dates lie in the years 100 to 9999.
#pragma once

#include <cstdint>
#include <ctime>

#include "platform/text.h"

// ParseDateTime flags (the automation date parser's values).
inline constexpr uint32_t VAR_TIMEVALUEONLY = 0x1;
inline constexpr uint32_t VAR_DATEVALUEONLY = 0x2;

class COleDateTimeSpan;

// Packed (nine bytes, no alignment) because a flock keeps millions of dates in its records.
class [[gnu::packed]] COleDateTime {
public:
    enum DateTimeStatus : int8_t { error = -1, valid = 0, invalid = 1, null = 2 };

    double m_dt = 0.0;
    DateTimeStatus m_status = valid;

    // The framework's default: a valid date holding 0.0 (30 December 1899 00:00).
    COleDateTime() = default;
    COleDateTime(double dt) : m_dt(dt), m_status(valid) {}
    COleDateTime(int year, int month, int day, int hour, int minute, int second);

    // A null date as this program writes it: status null and 0.0.
    static COleDateTime Null();
    static COleDateTime GetCurrentTime();     // local time, whole seconds
    static COleDateTime GetCurrentTimeUtc();  // UTC, whole seconds

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }

    // 0 on success; otherwise the date becomes invalid (its stored value is kept) and 1 is returned.
    int SetDateTime(int year, int month, int day, int hour, int minute, int second);
    int SetDate(int year, int month, int day) { return SetDateTime(year, month, day, 0, 0, 0); }
    int SetTime(int hour, int minute, int second) { return SetDateTime(1899, 12, 30, hour, minute, second); }

    // -1 (error) unless the date is valid and in range. Times are rounded to the nearest second.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;  // 1 = Sunday .. 7 = Saturday
    int GetDayOfYear() const;  // 1 = 1 January
    // Broken-down form (tm_year is year - 1900); false unless valid and in range.
    bool GetAsTm(struct tm& out) const;

    // Conversion with the offset in force now (not the one in force on the date itself), as the
    // Windows file-time conversions do. Null and invalid dates come back unchanged; a result
    // outside the years 100..9999 is invalid.
    COleDateTime LocalToUtc() const;
    COleDateTime UtcToLocal() const;
    // The same with an offset the caller took once from UtcOffsetNow (a reading of many stamps).
    COleDateTime UtcToLocal(long offsetSeconds) const;
    static long UtcOffsetNow();

    // strftime-like: "%x" is the locale's short date with a four-digit year, "%c" is "%x %X",
    // "%X" the locale's time; the other conversions are the C library's. A null date gives an
    // empty text, an invalid one (or one out of range) "Invalid DateTime".
    WString Format(const char* format) const;
    WString Format(WStringView format) const { return Format(WToUtf8(format).c_str()); }
    // Appends what Format("%Y-%m-%d") (withTime: "%Y-%m-%dT%H:%M:%S") gives, without its cost; false,
    // appending nothing, unless the date is valid with a four-digit year.
    bool AppendIso(std::string& out, bool withTime) const;

    // Parses a date, a date with a time, or a time, in the order of the current LC_TIME locale
    // (day, month and year as its short date has them; month names allowed), and the ISO forms
    // "2003-07-15", "2003-07-15 09:30:00" and "2003-07-15T09:30:00" in every locale. Two-digit
    // years fall in 1930..2029. VAR_DATEVALUEONLY drops the time, VAR_TIMEVALUEONLY the date. On
    // failure the date becomes invalid with 0.0 and false is returned.
    bool ParseDateTime(WStringView text, uint32_t flags = 0);
    // Only "YYYY-MM-DD" or that with " hh:mm:ss" or "Thh:mm:ss", read as ParseDateTime reads them
    // and moved by shiftSeconds (as UtcToLocal moves a stamp); false, the value unchanged, for any
    // other text or a date that does not exist or falls outside the years 100..9999 once moved.
    bool ParseIsoDateTime(WStringView text, long shiftSeconds = 0);

    // Days since the epoch in the plain (chronological) scale and back to the stored encoding.
    static double DoubleFromDate(double dt);
    static double DateFromDouble(double days);

    COleDateTime& operator=(double dt) {
        m_dt = dt;
        m_status = valid;
        return *this;
    }

    // Null or invalid operands give a null or invalid result; a result out of range is invalid.
    COleDateTime operator+(const COleDateTimeSpan& span) const;
    COleDateTime operator-(const COleDateTimeSpan& span) const;
    COleDateTime& operator+=(const COleDateTimeSpan& span);
    COleDateTime& operator-=(const COleDateTimeSpan& span);
    COleDateTimeSpan operator-(const COleDateTime& other) const;

    // Equal when the status is the same and, unless both are null, the stored value too.
    bool operator==(const COleDateTime& other) const;
    bool operator!=(const COleDateTime& other) const { return !(*this == other); }
    // Chronological; false unless both are valid. Use CompareDates for a sort order.
    bool operator<(const COleDateTime& other) const;
    bool operator>(const COleDateTime& other) const { return other < *this; }
    bool operator<=(const COleDateTime& other) const;
    bool operator>=(const COleDateTime& other) const { return other <= *this; }
};

class COleDateTimeSpan {
public:
    enum DateTimeSpanStatus { valid = 0, invalid = 1, null = 2 };

    double m_span = 0.0;  // days
    DateTimeSpanStatus m_status = valid;

    COleDateTimeSpan() = default;
    COleDateTimeSpan(double days) : m_span(days), m_status(valid) {}
    COleDateTimeSpan(long days, int hours, int minutes, int seconds);

    DateTimeSpanStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeSpanStatus status) { m_status = status; }
    void SetDateTimeSpan(long days, int hours, int minutes, int seconds);

    double GetTotalDays() const { return m_span; }
    double GetTotalHours() const { return m_span * 24.0; }
    double GetTotalMinutes() const { return m_span * 24.0 * 60.0; }
    double GetTotalSeconds() const { return m_span * 24.0 * 60.0 * 60.0; }
    // Parts of the span rounded to the nearest second; they carry the span's sign.
    long GetDays() const;
    long GetHours() const;
    long GetMinutes() const;
    long GetSeconds() const;

    COleDateTimeSpan operator+(const COleDateTimeSpan& other) const;
    COleDateTimeSpan operator-(const COleDateTimeSpan& other) const;
    COleDateTimeSpan operator-() const;
    bool operator==(const COleDateTimeSpan& other) const;
    bool operator!=(const COleDateTimeSpan& other) const { return !(*this == other); }
    bool operator<(const COleDateTimeSpan& other) const;
    bool operator>(const COleDateTimeSpan& other) const { return other < *this; }
};

// The order of every date column: null dates first (two nulls equal), then by date; invalid
// dates are ordered by their stored values. Returns -1, 0 or 1.
int CompareDates(const COleDateTime& a, const COleDateTime& b);
