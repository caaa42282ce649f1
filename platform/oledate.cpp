#include "platform/oledate.h"

#include <langinfo.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr long long kSecondsPerDay = 86400;
constexpr long long kEpochFromUnix = 25569;  // 30 December 1899 counted from 1 January 1970

// Proleptic Gregorian calendar <-> days since 1 January 1970.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2));
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

long long SerialFromCivil(int y, int m, int d) {
    return DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) + kEpochFromUnix;
}

const long long kMinSerial = SerialFromCivil(100, 1, 1);
const long long kMaxSerial = SerialFromCivil(9999, 12, 31);

bool FieldsValid(int y, int mo, int d, int h, int mi, int s) {
    return y >= 100 && y <= 9999 && mo >= 1 && mo <= 12 && d >= 1 && d <= DaysInMonth(y, mo) && h >= 0 &&
           h <= 23 && mi >= 0 && mi <= 59 && s >= 0 && s <= 59;
}

// The stored encoding of a day and a time of day, computed as the framework does.
double Encode(long long serial, long long secondOfDay) {
    const double t = static_cast<double>(secondOfDay) / 86400.0;
    return static_cast<double>(serial) + (serial >= 0 ? t : -t);
}

// Whole seconds since the epoch (chronological), rounded to the nearest second; nothing when the
// value is not a date of the years 100..9999.
std::optional<long long> SecondsOf(double dt) {
    if (!std::isfinite(dt)) return std::nullopt;
    const double c = COleDateTime::DoubleFromDate(dt);
    if (c < static_cast<double>(kMinSerial - 1) || c > static_cast<double>(kMaxSerial + 2))
        return std::nullopt;
    const long long secs = std::llround(c * 86400.0);
    const long long day =
        secs >= 0 ? secs / kSecondsPerDay : -((-secs + kSecondsPerDay - 1) / kSecondsPerDay);
    if (day < kMinSerial || day > kMaxSerial) return std::nullopt;
    return secs;
}

std::optional<double> EncodeSeconds(long long secs) {
    const long long day =
        secs >= 0 ? secs / kSecondsPerDay : -((-secs + kSecondsPerDay - 1) / kSecondsPerDay);
    if (day < kMinSerial || day > kMaxSerial) return std::nullopt;
    return Encode(day, secs - day * kSecondsPerDay);
}

struct Broken {
    int year, month, day, hour, minute, second;
    long long serial;
};

std::optional<Broken> BreakDown(const COleDateTime& date) {
    if (date.GetStatus() != COleDateTime::valid) return std::nullopt;
    const auto secs = SecondsOf(date.m_dt);
    if (!secs) return std::nullopt;
    Broken b{};
    b.serial = *secs >= 0 ? *secs / kSecondsPerDay : -((-*secs + kSecondsPerDay - 1) / kSecondsPerDay);
    const long long sod = *secs - b.serial * kSecondsPerDay;
    CivilFromDays(b.serial - kEpochFromUnix, b.year, b.month, b.day);
    b.hour = static_cast<int>(sod / 3600);
    b.minute = static_cast<int>(sod / 60 % 60);
    b.second = static_cast<int>(sod % 60);
    return b;
}

// The zone's offset now. An export converts millions of stamps: the offset is kept for the second it
// was asked in and the zone it was asked for (TZ, and what tzset made of it).
long CurrentUtcOffsetSeconds() {
    struct Cache {
        time_t now = -1;
        std::string tz;
        bool hasTz = false;
        const char* names[2] = {nullptr, nullptr};
        long standard = 0;
        int daylight = 0;
        long offset = 0;
    };
    thread_local Cache cache;
    const time_t now = time(nullptr);
    const char* tz = getenv("TZ");
    if (now == cache.now && (tz != nullptr) == cache.hasTz && (!tz || cache.tz == tz) &&
        tzname[0] == cache.names[0] && tzname[1] == cache.names[1] && timezone == cache.standard &&
        daylight == cache.daylight)
        return cache.offset;
    struct tm local {};
    localtime_r(&now, &local);
    cache.now = now;
    cache.hasTz = tz != nullptr;
    cache.tz = tz ? tz : "";
    cache.names[0] = tzname[0];
    cache.names[1] = tzname[1];
    cache.standard = timezone;
    cache.daylight = daylight;
    cache.offset = local.tm_gmtoff;
    return local.tm_gmtoff;
}

COleDateTime FromTm(const struct tm& t) {
    return COleDateTime(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min,
                        t.tm_sec > 59 ? 59 : t.tm_sec);
}

COleDateTime Shifted(const COleDateTime& date, long long seconds) {
    if (date.GetStatus() != COleDateTime::valid) return date;
    COleDateTime result = date;
    const auto secs = SecondsOf(date.m_dt);
    const auto dt = secs ? EncodeSeconds(*secs + seconds) : std::nullopt;
    if (dt)
        result.m_dt = *dt;
    else
        result.SetStatus(COleDateTime::invalid);
    return result;
}

// ---- Formatting ----

std::string StrFTime(const std::string& format, const struct tm& t) {
    if (format.empty()) return {};
    for (size_t size = 256; size <= 16384; size *= 4) {
        std::string buf(size, '\0');
        const size_t n = strftime(buf.data(), buf.size(), format.c_str(), &t);
        if (n > 0) {
            buf.resize(n);
            return buf;
        }
    }
    return {};  // the conversion really is empty (an empty AM/PM text, say)
}

// One conversion of a strftime format starting at format[i] == '%': its flags, modifiers and
// conversion character. Returns the length (0 when the format ends).
size_t DirectiveLength(const std::string& format, size_t i) {
    size_t j = i + 1;
    while (j < format.size() &&
           (format[j] == '#' || format[j] == '-' || format[j] == '_' || format[j] == '0' ||
            format[j] == '^' || (format[j] >= '1' && format[j] <= '9')))
        ++j;
    if (j < format.size() && (format[j] == 'E' || format[j] == 'O')) ++j;
    return j < format.size() ? j - i + 1 : 0;
}

// The locale's short date with the year always in four digits.
std::string LocaleDateFormat() {
    const char* raw = nl_langinfo(D_FMT);
    const std::string f = raw && *raw ? raw : "%m/%d/%y";
    std::string out;
    for (size_t i = 0; i < f.size();) {
        if (f[i] != '%') {
            out += f[i++];
            continue;
        }
        const size_t len = DirectiveLength(f, i);
        if (len == 0) {
            out += f.substr(i);
            break;
        }
        const char conv = f[i + len - 1];
        if (conv == 'y')
            out += "%Y";
        else if (conv == 'D')
            out += "%m/%d/%Y";
        else
            out += f.substr(i, len);
        i += len;
    }
    return out;
}

// ---- Parsing ----

struct Token {
    bool number;
    long long value;  // numbers
    int digits;
    bool colonAfter;
    WString word;  // words
};

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool IsSeparator(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\u00A0' || c == u'\u202F' ||
           (c < 0x80 && c > 0x20 &&
            !((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')));
}

std::vector<Token> Tokenise(WStringView s) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < s.size()) {
        const char16_t c = s[i];
        if (IsDigit(c)) {
            Token t{true, 0, 0, false, {}};
            while (i < s.size() && IsDigit(s[i])) {
                if (t.digits < 9) t.value = t.value * 10 + (s[i] - u'0');
                ++t.digits;
                ++i;
            }
            size_t k = i;
            while (k < s.size() && (s[k] == u' ' || s[k] == u'\t')) ++k;
            t.colonAfter = k < s.size() && s[k] == u':';
            tokens.push_back(t);
        } else if (IsSeparator(c)) {
            ++i;
        } else {
            Token t{false, 0, 0, false, {}};
            while (i < s.size() && !IsDigit(s[i]) && !IsSeparator(s[i])) t.word += s[i++];
            tokens.push_back(t);
        }
    }
    return tokens;
}

// The words of a text, as the tokeniser sees them.
std::vector<WString> WordsOf(const char* text) {
    std::vector<WString> words;
    if (!text) return words;
    for (auto& t : Tokenise(Utf8ToW(text)))
        if (!t.number) words.push_back(t.word);
    return words;
}

// Literal words of a strftime format (outside its conversions).
std::vector<WString> LiteralWordsOf(const char* format) {
    std::string literal;
    const std::string f = format ? format : "";
    for (size_t i = 0; i < f.size();) {
        if (f[i] == '%') {
            const size_t len = DirectiveLength(f, i);
            literal += ' ';
            i += len ? len : f.size();
        } else {
            literal += f[i++];
        }
    }
    return WordsOf(literal.c_str());
}

int MonthOfWord(const WString& word) {
    static const char* const english[] = {"January",   "February", "March",    "April",
                                          "May",       "June",     "July",     "August",
                                          "September", "October",  "November", "December"};
    static const nl_item full[] = {MON_1, MON_2, MON_3, MON_4,  MON_5,  MON_6,
                                   MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
    static const nl_item abbr[] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4,  ABMON_5,  ABMON_6,
                                   ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
#ifdef ALTMON_1
    static const nl_item alt[] = {ALTMON_1, ALTMON_2, ALTMON_3, ALTMON_4,  ALTMON_5,  ALTMON_6,
                                  ALTMON_7, ALTMON_8, ALTMON_9, ALTMON_10, ALTMON_11, ALTMON_12};
#endif
    auto matches = [&](const char* name) {
        const auto words = WordsOf(name);
        return !words.empty() && EqualsNoCase(words.front(), word);
    };
    for (int m = 0; m < 12; ++m) {
        const std::string en = english[m];
        if (matches(en.c_str()) || matches(en.substr(0, 3).c_str()) || matches(nl_langinfo(full[m])) ||
            matches(nl_langinfo(abbr[m])))
            return m + 1;
#ifdef ALTMON_1
        if (matches(nl_langinfo(alt[m]))) return m + 1;
#endif
    }
    return 0;
}

// Positions of day, month and year in the locale's short date, as "DMY", "MDY", "YMD"...
std::string LocaleDateOrder() {
    const char* raw = nl_langinfo(D_FMT);
    const std::string f = raw ? raw : "";
    std::string order;
    auto add = [&](char part) {
        if (order.find(part) == std::string::npos) order += part;
    };
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '%') continue;
        const size_t len = DirectiveLength(f, i);
        if (len == 0) break;
        const char conv = f[i + len - 1];
        if (conv == 'd' || conv == 'e') add('D');
        if (conv == 'm' || conv == 'b' || conv == 'B' || conv == 'h') add('M');
        if (conv == 'y' || conv == 'Y') add('Y');
        if (conv == 'D') order += "MDY";
        if (conv == 'F') order += "YMD";
        i += len - 1;
    }
    if (order.size() != 3 || order.find('D') == std::string::npos || order.find('M') == std::string::npos ||
        order.find('Y') == std::string::npos)
        return "MDY";
    return order;
}

int FullYear(const Token& t) {
    if (t.digits > 2) return t.digits > 4 ? -1 : static_cast<int>(t.value);
    return static_cast<int>(t.value < 30 ? 2000 + t.value : 1900 + t.value);
}

int Small(const Token& t) {
    return t.digits > 2 ? -1 : static_cast<int>(t.value);
}

}  // namespace

// ---- COleDateTime ----

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second) {
    SetDateTime(year, month, day, hour, minute, second);
}

COleDateTime COleDateTime::Null() {
    COleDateTime d;
    d.m_status = null;
    return d;
}

COleDateTime COleDateTime::GetCurrentTime() {
    const time_t now = time(nullptr);
    struct tm t {};
    localtime_r(&now, &t);
    return FromTm(t);
}

COleDateTime COleDateTime::GetCurrentTimeUtc() {
    const time_t now = time(nullptr);
    struct tm t {};
    gmtime_r(&now, &t);
    return FromTm(t);
}

int COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second) {
    if (!FieldsValid(year, month, day, hour, minute, second)) {
        m_status = invalid;
        return 1;
    }
    m_dt = Encode(SerialFromCivil(year, month, day), hour * 3600LL + minute * 60LL + second);
    m_status = valid;
    return 0;
}

int COleDateTime::GetYear() const {
    const auto b = BreakDown(*this);
    return b ? b->year : error;
}
int COleDateTime::GetMonth() const {
    const auto b = BreakDown(*this);
    return b ? b->month : error;
}
int COleDateTime::GetDay() const {
    const auto b = BreakDown(*this);
    return b ? b->day : error;
}
int COleDateTime::GetHour() const {
    const auto b = BreakDown(*this);
    return b ? b->hour : error;
}
int COleDateTime::GetMinute() const {
    const auto b = BreakDown(*this);
    return b ? b->minute : error;
}
int COleDateTime::GetSecond() const {
    const auto b = BreakDown(*this);
    return b ? b->second : error;
}
int COleDateTime::GetDayOfWeek() const {
    const auto b = BreakDown(*this);
    if (!b) return error;
    // Day 0 was a Saturday.
    return static_cast<int>(((b->serial % 7) + 7 + 6) % 7) + 1;
}
int COleDateTime::GetDayOfYear() const {
    const auto b = BreakDown(*this);
    return b ? static_cast<int>(b->serial - SerialFromCivil(b->year, 1, 1)) + 1 : error;
}

bool COleDateTime::GetAsTm(struct tm& out) const {
    const auto b = BreakDown(*this);
    if (!b) return false;
    out = tm{};
    out.tm_year = b->year - 1900;
    out.tm_mon = b->month - 1;
    out.tm_mday = b->day;
    out.tm_hour = b->hour;
    out.tm_min = b->minute;
    out.tm_sec = b->second;
    out.tm_wday = GetDayOfWeek() - 1;
    out.tm_yday = GetDayOfYear() - 1;
    out.tm_isdst = -1;  // no zone: "%Z" stays empty
    return true;
}

COleDateTime COleDateTime::LocalToUtc() const {
    return Shifted(*this, -CurrentUtcOffsetSeconds());
}
COleDateTime COleDateTime::UtcToLocal() const {
    return Shifted(*this, CurrentUtcOffsetSeconds());
}
COleDateTime COleDateTime::UtcToLocal(long offsetSeconds) const {
    return Shifted(*this, offsetSeconds);
}
long COleDateTime::UtcOffsetNow() {
    return CurrentUtcOffsetSeconds();
}

bool COleDateTime::AppendIso(std::string& out, bool withTime) const {
    const auto b = BreakDown(*this);
    // strftime writes a year below 1000 without leading zeros: those go through Format.
    if (!b || b->year < 1000) return false;
    char text[20];
    const auto two = [&](int at, int value) {
        text[at] = char('0' + value / 10);
        text[at + 1] = char('0' + value % 10);
    };
    two(0, b->year / 100);
    two(2, b->year % 100);
    text[4] = '-';
    two(5, b->month);
    text[7] = '-';
    two(8, b->day);
    if (withTime) {
        text[10] = 'T';
        two(11, b->hour);
        text[13] = ':';
        two(14, b->minute);
        text[16] = ':';
        two(17, b->second);
    }
    out.append(text, withTime ? 19 : 10);
    return true;
}

WString COleDateTime::Format(const char* format) const {
    if (m_status == null) return {};
    struct tm t {};
    if (m_status != valid || !GetAsTm(t)) return u"Invalid DateTime";
    const std::string f = format ? format : "";
    std::string out;
    for (size_t i = 0; i < f.size();) {
        if (f[i] != '%') {
            out += f[i++];
            continue;
        }
        const size_t len = DirectiveLength(f, i);
        if (len == 0) {
            out += f.substr(i);
            break;
        }
        std::string directive = f.substr(i, len);
        i += len;
        const char conv = directive.back();
        if (conv == 'x') {
            out += StrFTime(LocaleDateFormat(), t);
        } else if (conv == 'c') {
            out += StrFTime(LocaleDateFormat() + " %X", t);
        } else {
            // The '#' flag (no leading zeros) is spelt '-' here.
            for (char& ch : directive)
                if (ch == '#') ch = '-';
            out += StrFTime(directive, t);
        }
    }
    return Utf8ToW(out);
}

namespace {

// "YYYY-MM-DD" or that with " hh:mm:ss" or "Thh:mm:ss", exactly: the fields, as the general parser
// reads them (a four-digit year is taken as it is); false for any other text.
bool IsoFields(WStringView text, int f[6]) {
    static constexpr char kForm[] = "dddd-dd-dd?dd:dd:dd";
    if (text.size() != 10 && text.size() != 19) return false;
    int at = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (kForm[i] == 'd') {
            if (c < u'0' || c > u'9') return false;
            continue;
        }
        if (kForm[i] == '?' ? (c != u' ' && c != u'T') : c != char16_t(kForm[i])) return false;
    }
    const auto number = [&](size_t from, size_t digits) {
        int n = 0;
        for (size_t i = from; i < from + digits; ++i) n = n * 10 + (text[i] - u'0');
        return n;
    };
    f[at++] = number(0, 4);
    f[at++] = number(5, 2);
    f[at++] = number(8, 2);
    const bool time = text.size() == 19;
    f[at++] = time ? number(11, 2) : 0;
    f[at++] = time ? number(14, 2) : 0;
    f[at++] = time ? number(17, 2) : 0;
    return true;
}

}  // namespace

bool COleDateTime::ParseIsoDateTime(WStringView text, long shiftSeconds) {
    int f[6];
    if (!IsoFields(text, f) || !FieldsValid(f[0], f[1], f[2], f[3], f[4], f[5])) return false;
    // In whole seconds, encoded once: the value SetDateTime and then Shifted would give.
    const long long seconds =
        SerialFromCivil(f[0], f[1], f[2]) * kSecondsPerDay + f[3] * 3600LL + f[4] * 60LL + f[5] + shiftSeconds;
    const auto dt = EncodeSeconds(seconds);
    if (!dt) return false;
    m_dt = *dt;
    m_status = valid;
    return true;
}

bool COleDateTime::ParseDateTime(WStringView text, uint32_t flags) {
    auto fail = [this] {
        m_dt = 0.0;
        m_status = invalid;
        return false;
    };
    // The exchange file's own forms skip the locale's parser, read a million times in an import.
    if (int f[6]; IsoFields(text, f)) {
        if (flags & VAR_DATEVALUEONLY) f[3] = f[4] = f[5] = 0;
        if (flags & VAR_TIMEVALUEONLY) {
            f[0] = 1899;
            f[1] = 12;
            f[2] = 30;
        }
        if (SetDateTime(f[0], f[1], f[2], f[3], f[4], f[5]) != 0) return fail();
        return true;
    }
    const auto tokens = Tokenise(text);
    std::vector<Token> numbers;
    int monthWord = 0;
    int ampm = 0;  // 1 AM, 2 PM
    std::vector<WString> ignorable = LiteralWordsOf(nl_langinfo(D_FMT));
    for (auto& w : LiteralWordsOf(nl_langinfo(T_FMT))) ignorable.push_back(w);
    const auto amWords = WordsOf(nl_langinfo(AM_STR));
    const auto pmWords = WordsOf(nl_langinfo(PM_STR));
    for (const auto& t : tokens) {
        if (t.number) {
            numbers.push_back(t);
            continue;
        }
        const bool am = EqualsNoCase(t.word, u"AM") || (!amWords.empty() && EqualsNoCase(t.word, amWords[0]));
        const bool pm = EqualsNoCase(t.word, u"PM") || (!pmWords.empty() && EqualsNoCase(t.word, pmWords[0]));
        if ((am || pm) && ampm == 0) {
            ampm = am ? 1 : 2;
            continue;
        }
        if (EqualsNoCase(t.word, u"T")) continue;
        bool literal = false;
        for (const auto& w : ignorable) literal = literal || EqualsNoCase(w, t.word);
        if (literal) continue;
        const int m = MonthOfWord(t.word);
        if (m == 0 || monthWord != 0) return fail();
        monthWord = m;
    }
    if (numbers.empty()) return fail();

    int year = 1899, month = 12, day = 30;
    size_t timeStart = 0;
    if (numbers[0].colonAfter && monthWord == 0) {
        timeStart = 0;  // a time alone
    } else {
        const size_t dateCount = monthWord ? 2 : 3;
        if (numbers.size() < dateCount) return fail();
        timeStart = dateCount;
        if (monthWord) {
            month = monthWord;
            const Token& a = numbers[0];
            const Token& b = numbers[1];
            bool dayFirst;
            if (a.digits > 2)
                dayFirst = false;
            else if (b.digits > 2)
                dayFirst = true;
            else {
                const std::string order = LocaleDateOrder();
                dayFirst = order.find('D') < order.find('Y');
            }
            day = Small(dayFirst ? a : b);
            year = FullYear(dayFirst ? b : a);
        } else {
            const std::string order = numbers[0].digits > 2 ? std::string("YMD") : LocaleDateOrder();
            for (size_t k = 0; k < 3; ++k) {
                const Token& n = numbers[k];
                if (order[k] == 'Y') year = FullYear(n);
                if (order[k] == 'M') month = Small(n);
                if (order[k] == 'D') day = Small(n);
            }
        }
    }
    const size_t timeCount = numbers.size() - timeStart;
    int hour = 0, minute = 0, second = 0;
    if (timeCount == 1 && ampm != 0) {
        hour = Small(numbers[timeStart]);
    } else if (timeCount == 2 || timeCount == 3) {
        hour = Small(numbers[timeStart]);
        minute = Small(numbers[timeStart + 1]);
        second = timeCount == 3 ? Small(numbers[timeStart + 2]) : 0;
    } else if (timeCount != 0) {
        return fail();
    }
    if (ampm != 0) {
        if (timeCount == 0 || hour < 1 || hour > 12) return fail();
        if (ampm == 1 && hour == 12) hour = 0;
        if (ampm == 2 && hour < 12) hour += 12;
    }
    if (flags & VAR_DATEVALUEONLY) hour = minute = second = 0;
    if (flags & VAR_TIMEVALUEONLY) {
        year = 1899;
        month = 12;
        day = 30;
    }
    if (SetDateTime(year, month, day, hour, minute, second) != 0) return fail();
    return true;
}

double COleDateTime::DoubleFromDate(double dt) {
    if (dt >= 0 || !std::isfinite(dt)) return dt;
    const double whole = std::ceil(dt);
    return whole - (dt - whole);
}

double COleDateTime::DateFromDouble(double days) {
    if (days >= 0 || !std::isfinite(days)) return days;
    const double whole = std::floor(days);
    return whole + (whole - days);
}

COleDateTime COleDateTime::operator+(const COleDateTimeSpan& span) const {
    COleDateTime result;
    if (m_status == null || span.GetStatus() == COleDateTimeSpan::null) {
        result.m_status = null;
        return result;
    }
    if (m_status != valid || span.GetStatus() != COleDateTimeSpan::valid) {
        result.m_status = invalid;
        return result;
    }
    result.m_dt = DateFromDouble(DoubleFromDate(m_dt) + span.m_span);
    if (!SecondsOf(result.m_dt)) result.m_status = invalid;
    return result;
}

COleDateTime COleDateTime::operator-(const COleDateTimeSpan& span) const {
    return *this + (-span);
}

COleDateTime& COleDateTime::operator+=(const COleDateTimeSpan& span) {
    return *this = *this + span;
}
COleDateTime& COleDateTime::operator-=(const COleDateTimeSpan& span) {
    return *this = *this - span;
}

COleDateTimeSpan COleDateTime::operator-(const COleDateTime& other) const {
    COleDateTimeSpan span;
    if (m_status == null || other.m_status == null)
        span.SetStatus(COleDateTimeSpan::null);
    else if (m_status != valid || other.m_status != valid)
        span.SetStatus(COleDateTimeSpan::invalid);
    else
        span.m_span = DoubleFromDate(m_dt) - DoubleFromDate(other.m_dt);
    return span;
}

bool COleDateTime::operator==(const COleDateTime& other) const {
    return m_status == other.m_status && (m_status == null || m_dt == other.m_dt);
}

bool COleDateTime::operator<(const COleDateTime& other) const {
    return m_status == valid && other.m_status == valid && DoubleFromDate(m_dt) < DoubleFromDate(other.m_dt);
}

bool COleDateTime::operator<=(const COleDateTime& other) const {
    return m_status == valid && other.m_status == valid && DoubleFromDate(m_dt) <= DoubleFromDate(other.m_dt);
}

// ---- COleDateTimeSpan ----

COleDateTimeSpan::COleDateTimeSpan(long days, int hours, int minutes, int seconds) {
    SetDateTimeSpan(days, hours, minutes, seconds);
}

void COleDateTimeSpan::SetDateTimeSpan(long days, int hours, int minutes, int seconds) {
    m_span =
        static_cast<double>(days) + hours / 24.0 + minutes / (24.0 * 60.0) + seconds / (24.0 * 60.0 * 60.0);
    m_status = valid;
}

namespace {
long long SpanSeconds(double span) {
    return std::isfinite(span) ? std::llround(span * 86400.0) : 0;
}
}  // namespace

long COleDateTimeSpan::GetDays() const {
    return static_cast<long>(SpanSeconds(m_span) / kSecondsPerDay);
}
long COleDateTimeSpan::GetHours() const {
    return static_cast<long>(SpanSeconds(m_span) % kSecondsPerDay / 3600);
}
long COleDateTimeSpan::GetMinutes() const {
    return static_cast<long>(SpanSeconds(m_span) % 3600 / 60);
}
long COleDateTimeSpan::GetSeconds() const {
    return static_cast<long>(SpanSeconds(m_span) % 60);
}

COleDateTimeSpan COleDateTimeSpan::operator+(const COleDateTimeSpan& other) const {
    COleDateTimeSpan result;
    if (m_status == null || other.m_status == null)
        result.m_status = null;
    else if (m_status != valid || other.m_status != valid)
        result.m_status = invalid;
    else
        result.m_span = m_span + other.m_span;
    return result;
}

COleDateTimeSpan COleDateTimeSpan::operator-(const COleDateTimeSpan& other) const {
    return *this + (-other);
}

COleDateTimeSpan COleDateTimeSpan::operator-() const {
    COleDateTimeSpan result = *this;
    result.m_span = -m_span;
    return result;
}

bool COleDateTimeSpan::operator==(const COleDateTimeSpan& other) const {
    return m_status == other.m_status && (m_status == null || m_span == other.m_span);
}

bool COleDateTimeSpan::operator<(const COleDateTimeSpan& other) const {
    return m_status == valid && other.m_status == valid && m_span < other.m_span;
}

int CompareDates(const COleDateTime& a, const COleDateTime& b) {
    const bool aNull = a.GetStatus() == COleDateTime::null;
    const bool bNull = b.GetStatus() == COleDateTime::null;
    if (aNull || bNull) return aNull == bNull ? 0 : (aNull ? -1 : 1);
    const double x = COleDateTime::DoubleFromDate(a.m_dt);
    const double y = COleDateTime::DoubleFromDate(b.m_dt);
    // A NaN read from a damaged file sorts after every date, so the order stays total.
    if (std::isnan(x) || std::isnan(y)) return std::isnan(x) == std::isnan(y) ? 0 : (std::isnan(x) ? 1 : -1);
    return x == y ? 0 : (x < y ? -1 : 1);
}
