// What the main window's bars decide, without their windows: the zoom text, the extraction kinds
// and which date control each shows, the year and spin changes of the criteria date, the status
// prompt of the filter switches, the Reporting bar's hints and the Standard bar's buttons.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/oledate.h"
#include "platform/text.h"

class CCriteria;

// Strings.
constexpr unsigned IDS_INVALID_ZOOM = 142;
constexpr unsigned IDS_YEAR_CENTURY = 183;
constexpr unsigned IDS_FILTER_PROMPT = 121;

// The kinds of extraction in the order of the type list.
constexpr std::array<const char16_t*, 6> kExtractionKinds = {u"On Farm On",   u"Born In", u"Sold In",
                                                             u"Purchased In", u"Died In", u"All"};

// The zoom box: the text shown for a percent (empty for -1).
WString FormatZoomText(int percent);
// The percent typed (one trailing per-cent sign allowed), or -1 when it is refused.
int ParseZoomText(const WString& text);

// Which date control the Record Filter bar shows for a kind.
enum class CDateControl { Date, Year, None };
CDateControl GetDateControl(int kind);
// The year text shown for the criteria date ("%Y").
WString FormatCriteriaYear(const CCriteria& criteria);

enum class CYearResult {
    Changed,     // hint 1
    NoCentury,   // message 183, nothing changed
    NoSuchDate,  // the date does not exist (29 February, years past 9999); nothing changed
};
// The year edit: the criteria date takes the year, keeping its month and day.
CYearResult SetCriteriaYear(CCriteria& criteria, long year);
// The year spin moved by delta from position: allowed only inside 1991 to the current year and
// onto a date that exists.
bool SpinCriteriaYear(CCriteria& criteria, int position, int delta);
constexpr int kFirstSpinYear = 1991;
int GetLastSpinYear();
// The text of a refused date's message.
WString GetNoSuchDateText(long year);

// Status prompt of the filter switches: "Rams are currently included." and the like.
WString GetFilterPrompt(const CCriteria& criteria, int command);

// The Reporting bar: parts of a change (1 type, 2 sex, 4 year) and the hint the document sends.
constexpr int REPORT_PART_TYPE = 1;
constexpr int REPORT_PART_SEX = 2;
constexpr int REPORT_PART_YEAR = 4;
constexpr int REPORT_PART_ALL = 7;
uint32_t GetReportHint(int parts);
// The last entry of the year list as a number, -1 when the list is empty.
int GetLastReportYear(const std::vector<WString>& years);

// The Standard bar's buttons: a command, and its image (standard images by index, own images from
// the program's bitmap).
struct CBarButton {
    int command;
    bool standardImage;
    int image;
};
extern const std::array<CBarButton, 12> kStandardCatalogue;
// The bar's positions; -1 is a separator.
extern const std::array<int, 16> kStandardLayout;
