// The general sheep breed: what the breed knows, kept apart from the exported C functions so that
// every rule lives in one place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace general_breed {

using Text = std::u16string;
using TextView = std::u16string_view;

// Parameter types handed to the program.
enum ParameterType : int32_t {
    kText = 0,
    kWeight = 1,      // stored in the program's weight unit; shown converted for weighings
    kAddressKey = 2,  // the key of a trading partner's address
    kNumber = 3,
};

// The five event-code properties, and the deletion report.
enum TypeBits : uint32_t {
    kSystem = 0x01,     // sets a field of the animal (purchase, birth, departure, ear tag)
    kMovement = 0x02,   // changes whether the animal is on the holding
    kMedicine = 0x04,   // a veterinary medicine given: belongs in the medicine book
    kBreeding = 0x08,   // tupping, service, scanning, lambing
    kPerAnimal = 0x10,  // every animal gets its own values when recorded for many at once
    kReportDeletion = 0x20,
};

struct Parameter {
    const char16_t* caption;
    ParameterType type;
};

struct EventType {
    int32_t code;
    const char16_t* name;
    const char16_t* text;  // "%1".."%3" stand for the parameters
    uint32_t type;
    std::vector<Parameter> parameters;
};

const std::vector<EventType>& Events();
const EventType* FindEvent(int32_t code);
// Names match without regard to case (ASCII letters); -1 for an unknown name.
int32_t CodeFromName(TextView name);

// Tattoos. A tattoo is 1 to 20 characters of ASCII letters, digits, blanks, '-', '/' and '.', begins
// and ends with a letter or digit and never has two separators in a row. A lamb numbered on the farm
// gets "NNN/YY": its number within the lambing year, at least three digits, and the year's last two
// digits.
constexpr size_t kMaxTattooLength = 20;
bool IsTattooValid(TextView tattoo);
// The year (full) of a day number (the whole part of a date: days since 30 December 1899).
int YearOfDay(int32_t dayNumber);
// The lamb tattoo for a number and a lambing day; empty for a number below 1.
Text BuildLambTattoo(int32_t number, int32_t lambingDay);
// The number of a lamb tattoo; 0 for any other tattoo.
int32_t LambIndex(TextView tattoo);
// The year (two digits) of a lamb tattoo; nullopt for any other tattoo.
std::optional<int> LambYear(TextView tattoo);
// The next free lamb number of the lambing year of `lambingDay`, among the flock's tattoos.
int32_t NextLambIndex(const std::vector<Text>& flockTattoos, int32_t lambingDay);

constexpr int32_t kGestationDays = 147;

// Whether an animal was born on the farm: it has a date of birth and was never bought in.
bool BornOnFarm(std::optional<double> dateOfBirth, std::optional<double> dateOfPurchase);

// Flags 4 to 7 (0 to 3 are the program's).
const char16_t* FlagName(int32_t flag);

// Reports: identifiers 0 to 3 are the report view's types.
struct Report {
    int32_t id;
    const char16_t* name;        // at most 31 characters: the menu and the Reporting bar
    const char16_t* definition;  // the prompt shown for the report
    bool usesYear;
    bool usesSelection;  // the Reporting bar's third list ("Rams"/"Ewes", or the address)
};
const std::vector<Report>& Reports();
const Report* FindReport(int32_t id);
Text ReportTitle(int32_t id, TextView selection, int32_t year);
// The Reporting bar's years: 1991 to the current year, the current one last.
std::vector<Text> ReportYears();
// The Reporting bar's third list for a report: the tupping report "Rams" and "Ewes", the address
// report the addresses' keys, the others none.
std::vector<Text> ReportSelections(int32_t id, std::vector<Text> addressKeys);

struct ReportColumn {
    const char16_t* title;
    int32_t kind;  // below 100 an animal field, from 100 the report's own
};
// The columns of a report; for the tupping report `selection` chooses the rams' or the ewes' list.
std::vector<ReportColumn> ReportColumns(int32_t id, TextView selection);

// Text results of the exports: the length of `text`; with a buffer, at most `room` characters and a
// terminating NUL are written.
int32_t CopyText(TextView text, char16_t* buffer, int32_t room);

}  // namespace general_breed
