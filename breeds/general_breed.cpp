#include "breeds/general_breed.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace general_breed {

namespace {

constexpr uint32_t kAddressEvent = kMovement | kReportDeletion;

// The codes 0, 1, 2, 4, 5, 9, 19, 20 and 21 keep the meanings the program gives them; 3, 6, 7, 8
// and 10 are the records the tupping and lambing wizards write (3 and 6 date a service for the
// gestation check). Every movement names the other holding first and its movement document second,
// which the address report shows.
const std::vector<EventType> kEvents = {
    {0,
     u"Sold",
     u"Sold to %1 (movement document %2)",
     kSystem | kAddressEvent,
     {{u"Buyer", kAddressKey}, {u"Movement Document", kText}}},
    {1,
     u"Purchased",
     u"Purchased from %1 (movement document %2)",
     kSystem | kAddressEvent,
     {{u"Seller", kAddressKey}, {u"Movement Document", kText}}},
    {2, u"Died", u"Died: %1", kSystem | kMovement | kReportDeletion, {{u"Cause", kText}}},
    {3, u"Served", u"Served by %1", kBreeding, {{u"Ram", kText}}},
    {4, u"Weighed", u"Weighed %1", kPerAnimal, {{u"Weight", kWeight}}},
    {5, u"Tagged", u"Ear tag %1 %2", kSystem, {{u"Tag Colour", kText}, {u"Tag Number", kText}}},
    {6, u"Inseminated", u"Inseminated with %1", kBreeding, {{u"Sire", kText}}},
    {7, u"Tupped", u"Put to the ram %1", kBreeding, {{u"Ram", kText}}},
    {8, u"Tupping", u"Used for tupping (%1)", kBreeding, {{u"Method", kText}}},
    {9, u"Born", u"Born (%1)", kSystem, {{u"Birth", kText}}},
    {10, u"Lambed", u"Lambed", kBreeding, {}},
    {11,
     u"Treated",
     u"Treated for %1 with %2, dose %3",
     kMedicine | kReportDeletion,
     {{u"Condition", kText}, {u"Product", kText}, {u"Dose", kText}}},
    {12,
     u"Dosed",
     u"Dosed with %1, dose %2",
     kMedicine | kReportDeletion,
     {{u"Product", kText}, {u"Dose", kText}}},
    {13,
     u"Vaccinated",
     u"Vaccinated with %1, dose %2",
     kMedicine | kReportDeletion,
     {{u"Vaccine", kText}, {u"Dose", kText}}},
    {14, u"Shorn", u"Shorn", 0, {}},
    {15, u"Scanned", u"Scanned carrying %1", kBreeding | kPerAnimal, {{u"Lambs Carried", kNumber}}},
    {16, u"Condition Scored", u"Condition score %1", kPerAnimal, {{u"Score", kNumber}}},
    {17, u"Foot Care", u"Feet: %1 %2", 0, {{u"Treatment", kText}, {u"Product", kText}}},
    {18, u"Note", u"%1", kPerAnimal, {{u"Note", kText}}},
    {19,
     u"Moved On",
     u"Moved on from %1 (movement document %2)",
     kAddressEvent,
     {{u"From Holding", kAddressKey}, {u"Movement Document", kText}}},
    {20,
     u"Moved Off",
     u"Moved off to %1 (movement document %2)",
     kAddressEvent,
     {{u"To Holding", kAddressKey}, {u"Movement Document", kText}}},
    {21,
     u"Killed",
     u"Killed at %1 (movement document %2)",
     kSystem | kAddressEvent,
     {{u"Slaughterhouse", kAddressKey}, {u"Movement Document", kText}}},
    {22, u"Weaned", u"Weaned", 0, {}},
};

const std::vector<Report> kReports = {
    {0, u"Tupping", u"Shows the rams used in a year, or the ewes they were put to", true, true},
    {1, u"Lambing", u"Shows the ewes that lambed in a year with their lambs", true, false},
    {2, u"Movement Book", u"Shows the flock's movements in a year with the stock after each", true, false},
    {3, u"Address Events", u"Shows the movements to and from one address in a year", true, true},
};

char16_t UpperAscii(char16_t c) {
    return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c;
}

bool EqualsNoCaseAscii(TextView a, TextView b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

bool IsLetterOrDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}
bool IsSeparator(char16_t c) {
    return c == u' ' || c == u'-' || c == u'/' || c == u'.';
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

Text Ascii(const char* s) {
    return Text(s, s + std::char_traits<char>::length(s));
}

// The lamb form: a number of at least three digits, '/', two digits.
bool SplitLambTattoo(TextView t, int32_t& number, int& year) {
    size_t slash = t.find(u'/');
    if (slash == TextView::npos || slash < 3 || slash > 10 || t.size() != slash + 3) return false;
    int64_t n = 0;
    for (size_t i = 0; i < slash; ++i) {
        if (!IsDigit(t[i])) return false;
        n = n * 10 + (t[i] - u'0');
    }
    if (!IsDigit(t[slash + 1]) || !IsDigit(t[slash + 2])) return false;
    if (n < 1 || n > INT32_MAX) return false;
    number = int32_t(n);
    year = (t[slash + 1] - u'0') * 10 + (t[slash + 2] - u'0');
    return true;
}

}  // namespace

const std::vector<EventType>& Events() {
    return kEvents;
}

const EventType* FindEvent(int32_t code) {
    for (const EventType& e : kEvents)
        if (e.code == code) return &e;
    return nullptr;
}

int32_t CodeFromName(TextView name) {
    for (const EventType& e : kEvents)
        if (EqualsNoCaseAscii(name, e.name)) return e.code;
    return -1;
}

bool IsTattooValid(TextView t) {
    if (t.empty() || t.size() > kMaxTattooLength) return false;
    if (!IsLetterOrDigit(t.front()) || !IsLetterOrDigit(t.back())) return false;
    for (size_t i = 0; i < t.size(); ++i) {
        if (IsLetterOrDigit(t[i])) continue;
        if (!IsSeparator(t[i])) return false;
        if (IsSeparator(t[i - 1])) return false;  // i > 0: the first character is a letter or digit
    }
    return true;
}

int YearOfDay(int32_t dayNumber) {
    // Civil-from-days (proleptic Gregorian); day 0 is 30 December 1899, 25569 days before 1970.
    int64_t z = int64_t(dayNumber) - 25569 + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int64_t month = mp < 10 ? mp + 3 : mp - 9;
    return int(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

Text BuildLambTattoo(int32_t number, int32_t lambingDay) {
    if (number < 1) return Text();
    int year = YearOfDay(lambingDay) % 100;
    if (year < 0) year += 100;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%03d/%02d", int(number), year);
    return Ascii(buf);
}

int32_t LambIndex(TextView tattoo) {
    int32_t number = 0;
    int year = 0;
    return SplitLambTattoo(tattoo, number, year) ? number : 0;
}

std::optional<int> LambYear(TextView tattoo) {
    int32_t number = 0;
    int year = 0;
    if (!SplitLambTattoo(tattoo, number, year)) return std::nullopt;
    return year;
}

int32_t NextLambIndex(const std::vector<Text>& flockTattoos, int32_t lambingDay) {
    int year = YearOfDay(lambingDay) % 100;
    if (year < 0) year += 100;
    int32_t highest = 0;
    for (const Text& t : flockTattoos) {
        int32_t number = 0;
        int y = 0;
        if (SplitLambTattoo(t, number, y) && y == year) highest = std::max(highest, number);
    }
    return highest + 1;
}

bool BornOnFarm(std::optional<double> dateOfBirth, std::optional<double> dateOfPurchase) {
    return dateOfBirth.has_value() && !dateOfPurchase.has_value();
}

const char16_t* FlagName(int32_t flag) {
    switch (flag) {
        case 4:
            return u"Pedigree Registered";
        case 5:
            return u"Kept for Breeding";
        case 6:
            return u"Organic";
        case 7:
            return u"To Be Culled";
        default:
            return u"";
    }
}

const std::vector<Report>& Reports() {
    return kReports;
}

const Report* FindReport(int32_t id) {
    for (const Report& r : kReports)
        if (r.id == id) return &r;
    return nullptr;
}

Text ReportTitle(int32_t id, TextView selection, int32_t year) {
    const Report* r = FindReport(id);
    if (!r) return Text();
    Text title;
    switch (id) {
        case 0:
            title = EqualsNoCaseAscii(selection, u"Rams") ? u"Tupping Report: Rams" : u"Tupping Report: Ewes";
            break;
        case 1:
            title = u"Lambing Report";
            break;
        case 2:
            title = u"Movement Book";
            break;
        case 3:
            title = u"Events of ";
            title += selection.empty() ? TextView(u"(no address)") : selection;
            break;
    }
    if (year > 0) title += u" " + Ascii(std::to_string(year).c_str());
    return title;
}

std::vector<Text> ReportYears() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::vector<Text> years;
    for (int year = 1991; year <= local.tm_year + 1900; ++year)
        years.push_back(Ascii(std::to_string(year).c_str()));
    return years;
}

std::vector<Text> ReportSelections(int32_t id, std::vector<Text> addressKeys) {
    switch (id) {
        case 0:
            return {u"Rams", u"Ewes"};
        case 3:
            return addressKeys;
        default:
            return {};
    }
}

std::vector<ReportColumn> ReportColumns(int32_t id, TextView selection) {
    switch (id) {
        case 0:
            if (EqualsNoCaseAscii(selection, u"Rams"))
                return {{u"Tattoo", 1}, {u"Name", 12}, {u"Tag Colour", 3}, {u"Tag Number", 2}, {u"Born", 4}};
            return {{u"Tattoo", 1}, {u"Tag Colour", 3}, {u"Tag Number", 2}, {u"Ram No.", 100}};
        case 1:
            return {{u"Tattoo", 1},       {u"Ran With", 100},      {u"Lambing Date", 101},
                    {u"Lamb 1 Sex", 103}, {u"Lamb 1 Weight", 104}, {u"Lamb 1 Tattoo", 105},
                    {u"Lamb 2 Sex", 106}, {u"Lamb 2 Weight", 107}, {u"Lamb 2 Tattoo", 108},
                    {u"Lamb 3 Sex", 109}, {u"Lamb 3 Weight", 110}, {u"Lamb 3 Tattoo", 111}};
        case 2:
            return {{u"Date", 100},           {u"Movement", 101}, {u"Number", 102}, {u"Class", 103},
                    {u"Tattoo", 104},         {u"Address", 105},  {u"Ewes", 106},   {u"Ewe Lambs", 107},
                    {u"Rams and Lambs", 108}, {u"Total", 109}};
        case 3:
            return {{u"Date", 100}, {u"Tattoo", 101}, {u"Event", 102}, {u"Details", 103}};
        default:
            return {};
    }
}

int32_t CopyText(TextView text, char16_t* buffer, int32_t room) {
    if (buffer && room >= 0) {
        size_t n = std::min(text.size(), size_t(room));
        std::copy_n(text.data(), n, buffer);
        buffer[n] = u'\0';
    }
    return int32_t(text.size());
}

}  // namespace general_breed
