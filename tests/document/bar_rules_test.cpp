#include "document/bar_rules.h"

#include <gtest/gtest.h>

#include "document/doc_commands.h"
#include "records/criteria.h"

namespace {

CCriteria CriteriaOn(int year, int month, int day) {
    CCriteria criteria;
    criteria.m_dtDate.SetDateTime(year, month, day, 10, 30, 0);
    return criteria;
}

}  // namespace

TEST(BarRules, ZoomText) {
    struct Case {
        const char16_t* text;
        int percent;
    } cases[] = {
        {u"150%", 150}, {u"150", 150}, {u"1", 1},    {u"399", 399},  {u"400", -1}, {u"0", -1},
        {u"", -1},      {u"%", -1},    {u"12a", -1}, {u"150%%", -1}, {u" 50", -1}, {u"99999999999", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseZoomText(c.text), c.percent) << WToUtf8(c.text);
    EXPECT_EQ(FormatZoomText(75), u"75%");
    EXPECT_EQ(FormatZoomText(-1), u"");
}

TEST(BarRules, EachKindShowsItsDateControl) {
    EXPECT_EQ(GetDateControl(CRITERIA_ON_FARM), CDateControl::Date);
    for (int kind : {CRITERIA_BORN, CRITERIA_SOLD, CRITERIA_PURCHASED, CRITERIA_DIED})
        EXPECT_EQ(GetDateControl(kind), CDateControl::Year);
    EXPECT_EQ(GetDateControl(CRITERIA_ALL), CDateControl::None);
    EXPECT_EQ(FormatCriteriaYear(CriteriaOn(2003, 6, 1)), u"2003");
}

TEST(BarRules, YearEditKeepsMonthAndDayAndRefusesDatesThatDoNotExist) {
    struct Case {
        int year, month, day;
        long typed;
        CYearResult result;
        int newYear;
    } cases[] = {
        {2003, 6, 15, 2005, CYearResult::Changed, 2005},
        {2003, 6, 15, 99, CYearResult::NoCentury, 2003},
        {2003, 6, 15, 0, CYearResult::NoCentury, 2003},
        {2003, 6, 15, 100, CYearResult::Changed, 100},
        {2003, 6, 15, 9999, CYearResult::Changed, 9999},
        {2003, 6, 15, 10000, CYearResult::NoSuchDate, 2003},
        {2024, 2, 29, 2023, CYearResult::NoSuchDate, 2024},
        {2024, 2, 29, 2028, CYearResult::Changed, 2028},
    };
    for (const Case& c : cases) {
        CCriteria criteria = CriteriaOn(c.year, c.month, c.day);
        EXPECT_EQ(SetCriteriaYear(criteria, c.typed), c.result) << c.typed;
        EXPECT_EQ(criteria.m_dtDate.GetStatus(), COleDateTime::valid);
        EXPECT_EQ(criteria.m_dtDate.GetYear(), c.newYear) << c.typed;
        EXPECT_EQ(criteria.m_dtDate.GetMonth(), c.month);
        EXPECT_EQ(criteria.m_dtDate.GetDay(), c.day);
        EXPECT_EQ(criteria.m_dtDate.GetHour(), 10);
    }
}

TEST(BarRules, SpinStaysInsideItsRange) {
    const int last = GetLastSpinYear();
    CCriteria criteria = CriteriaOn(1992, 3, 1);
    EXPECT_TRUE(SpinCriteriaYear(criteria, 1992, -1));
    EXPECT_EQ(criteria.m_dtDate.GetYear(), 1991);
    EXPECT_FALSE(SpinCriteriaYear(criteria, 1991, -1));
    EXPECT_EQ(criteria.m_dtDate.GetYear(), 1991);
    EXPECT_FALSE(SpinCriteriaYear(criteria, last, 1));
    EXPECT_TRUE(SpinCriteriaYear(criteria, last - 1, 1));
    EXPECT_EQ(criteria.m_dtDate.GetYear(), last);
    // From 29 February only to another leap year.
    CCriteria leap = CriteriaOn(2000, 2, 29);
    EXPECT_FALSE(SpinCriteriaYear(leap, 2000, 1));
    EXPECT_EQ(leap.m_dtDate.GetYear(), 2000);
    EXPECT_TRUE(SpinCriteriaYear(leap, 2000, 4));
    EXPECT_EQ(leap.m_dtDate.GetDay(), 29);
}

TEST(BarRules, FilterPromptSaysWhetherTheClassIsIncluded) {
    CCriteria criteria;
    criteria.m_bShearlings = FALSE;
    EXPECT_EQ(GetFilterPrompt(criteria, ID_FILTER_RAMS), u"Rams are currently included.");
    EXPECT_EQ(GetFilterPrompt(criteria, ID_FILTER_SHEARLINGS), u"Shearlings are currently excluded.");
    EXPECT_EQ(GetFilterPrompt(criteria, ID_FILTER_LAMBS), u"Lambs are currently included.");
    EXPECT_EQ(GetFilterPrompt(criteria, ID_SHEEP_ADD), u"");
}

TEST(BarRules, ReportingBarHintsAndLastYear) {
    EXPECT_EQ(GetReportHint(REPORT_PART_YEAR), 1u);
    for (int parts :
         {REPORT_PART_TYPE, REPORT_PART_SEX, REPORT_PART_ALL, REPORT_PART_TYPE | REPORT_PART_YEAR})
        EXPECT_EQ(GetReportHint(parts), 3u) << parts;
    EXPECT_EQ(GetLastReportYear({}), -1);
    EXPECT_EQ(GetLastReportYear({u"2001", u"2002", u"2003"}), 2003);
}
