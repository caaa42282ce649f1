#include "document/bar_rules.h"

#include <cstdlib>
#include <string>

#include "document/command_ids.h"
#include "document/doc_commands.h"
#include "platform/strings.h"
#include "records/criteria.h"

namespace {

constexpr unsigned IDS_INCLUDED = 119;
constexpr unsigned IDS_EXCLUDED = 120;

// The criteria date with another year, month and day kept; false when there is no such date.
bool ReplaceYear(COleDateTime& date, long year) {
    if (year < 100 || year > 9999) return false;
    COleDateTime changed;
    changed.SetDateTime(int(year), date.GetMonth(), date.GetDay(), date.GetHour(), date.GetMinute(),
                        date.GetSecond());
    if (changed.GetStatus() != COleDateTime::valid) return false;
    date = changed;
    return true;
}

}  // namespace

WString FormatZoomText(int percent) {
    return percent == -1 ? WString() : Utf8ToW(std::to_string(percent) + "%");
}

int ParseZoomText(const WString& text) {
    WString digits = text;
    if (!digits.empty() && digits.back() == u'%') digits.pop_back();
    int value = 0;
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') return -1;
        value = value * 10 + (c - u'0');
        if (value > 399) return -1;
    }
    return value >= 1 ? value : -1;
}

CDateControl GetDateControl(int kind) {
    if (kind == CRITERIA_ON_FARM) return CDateControl::Date;
    if (kind == CRITERIA_ALL) return CDateControl::None;
    return CDateControl::Year;
}

WString FormatCriteriaYear(const CCriteria& criteria) {
    return criteria.m_dtDate.Format("%Y");
}

CYearResult SetCriteriaYear(CCriteria& criteria, long year) {
    if (year < 100) return CYearResult::NoCentury;
    return ReplaceYear(criteria.m_dtDate, year) ? CYearResult::Changed : CYearResult::NoSuchDate;
}

int GetLastSpinYear() {
    return COleDateTime::GetCurrentTime().GetYear();
}

bool SpinCriteriaYear(CCriteria& criteria, int position, int delta) {
    const long year = long(position) + delta;
    if (year < kFirstSpinYear || year > GetLastSpinYear()) return false;
    return ReplaceYear(criteria.m_dtDate, year);
}

WString GetNoSuchDateText(long year) {
    return Utf8ToW("There is no such date in the year " + std::to_string(year) + ".");
}

WString GetFilterPrompt(const CCriteria& criteria, int command) {
    static constexpr unsigned kClassNames[] = {133, 134, 171, 172, 173};
    if (command < ID_FILTER_RAMS || command > ID_FILTER_LAMBS) return {};
    CCriteria copy = criteria;
    const bool included = *GetFilterSwitch(copy, command) != FALSE;
    return FormatCvlString(IDS_FILTER_PROMPT, {LoadCvlString(kClassNames[command - ID_FILTER_RAMS]),
                                               LoadCvlString(included ? IDS_INCLUDED : IDS_EXCLUDED)});
}

uint32_t GetReportHint(int parts) {
    return parts == REPORT_PART_YEAR ? 1u : 3u;
}

int GetLastReportYear(const std::vector<WString>& years) {
    if (years.empty()) return -1;
    return int(std::strtol(WToUtf8(years.back()).c_str(), nullptr, 10));
}

const std::array<CBarButton, 12> kStandardCatalogue = {{
    {ID_FILE_NEW, true, 6},
    {ID_FILE_OPEN, true, 7},
    {ID_FILE_SAVE, true, 8},
    {ID_FILE_PRINT, true, 14},
    {ID_FILE_PRINT_PREVIEW, true, 9},
    {ID_EDIT_CUT, true, 0},
    {ID_EDIT_COPY, true, 1},
    {ID_EDIT_PASTE, true, 2},
    {ID_SHEEP_GOTO, false, 1},
    {ID_ZOOM_BOX, false, 1},
    {ID_CONTEXT_HELP, true, 11},
    {ID_SHEEP_ADD, false, 0},
}};

const std::array<int, 16> kStandardLayout = {ID_FILE_NEW,
                                             ID_FILE_OPEN,
                                             ID_FILE_SAVE,
                                             -1,
                                             ID_FILE_PRINT,
                                             ID_FILE_PRINT_PREVIEW,
                                             -1,
                                             ID_EDIT_CUT,
                                             ID_EDIT_COPY,
                                             ID_EDIT_PASTE,
                                             -1,
                                             ID_SHEEP_GOTO,
                                             -1,
                                             ID_ZOOM_BOX,
                                             -1,
                                             ID_CONTEXT_HELP};
