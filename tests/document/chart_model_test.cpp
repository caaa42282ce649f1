#include "document/chart_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "records/app_services.h"
#include "records/event.h"
#include "records/lambing.h"
#include "records/sheep.h"
#include "support/scripted_host_fixture.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

COleDateTime Day(int month, int day, int hour = 0) {
    return COleDateTime(2024, month, day, hour, 0, 0);
}

// A 400 x 300 client with a 6-pixel inset: the plot is 65..394 across and 6..265 down.
CChartModel Chart(int kind, std::vector<COleDateTime> dates, std::vector<double> values) {
    CChartModel chart;
    chart.SetPoints(kind, dates);
    chart.AddSeries(values, 255, 5);
    chart.RecalcLayout(400, 300, 6, 6);
    return chart;
}

TEST(ChartModel, LayoutSplitsTheClientIntoPlotAndAxisBands) {
    struct Case {
        int width, height, inset;
        CChartRect plot, dateBand, valueBand;
    };
    const Case cases[] = {
        // Date band: a tenth of 288 is 28; value band: 15% of 388 is 58.
        {400, 300, 6, {65, 6, 394, 265}, {6, 266, 394, 294}, {6, 6, 64, 265}},
        {200, 120, 7, {35, 7, 193, 102}, {7, 103, 193, 113}, {7, 7, 34, 102}},
    };
    for (const Case& c : cases) {
        CChartModel chart;
        chart.RecalcLayout(c.width, c.height, c.inset, c.inset);
        EXPECT_EQ(chart.GetPlot(), c.plot) << c.width;
        EXPECT_EQ(chart.GetDateBand(), c.dateBand) << c.width;
        EXPECT_EQ(chart.GetValueBand(), c.valueBand) << c.width;
        // No points: no scales.
        EXPECT_EQ(chart.GetXScale(), 0.0);
        EXPECT_EQ(chart.GetYScale(), 0.0);
    }
}

TEST(ChartModel, PointsSitAtWholeDaysFromTheFirstDate) {
    // Ten days and a half from first to last: ten whole days across 329 pixels.
    const CChartModel chart = Chart(CHART_LINE, {Day(3, 1), Day(3, 6, 18), Day(3, 11, 12)}, {10, 20, 37});
    EXPECT_DOUBLE_EQ(chart.GetXScale(), 32.9);
    EXPECT_EQ(chart.PointX(0), 65);
    EXPECT_EQ(chart.PointX(1), 65 + 164);  // 5 days
    EXPECT_EQ(chart.PointX(2), 394);
    EXPECT_DOUBLE_EQ(chart.GetYScale(), 7.0);
    EXPECT_EQ(chart.ValueY(37), 6);
    EXPECT_EQ(chart.ValueY(10), 195);

    // Two points on one day: no span to divide, both at the left.
    const CChartModel same = Chart(CHART_LINE, {Day(3, 1), Day(3, 1, 20)}, {1, 2});
    EXPECT_EQ(same.GetXScale(), 1.0);
    EXPECT_EQ(same.PointX(0), 65);
    EXPECT_EQ(same.PointX(1), 65);
    // Date labels centre on the point, their ticks on it.
    EXPECT_EQ(same.DateLabelX(1, 40), 45);
    EXPECT_EQ(same.DateTickX(1), 65);
}

TEST(ChartModel, ValueAxisStepsAndDecimalsFollowTheMaximum) {
    struct Case {
        double maximum;
        int decimals;
        double step;
        const char* top;
    };
    const Case cases[] = {
        {45, 0, 1, "45"},        {3, 1, 0.1, "3.0"},    {0.5, 1, 0.1, "0.5"},
        {0.05, 2, 0.01, "0.05"}, {10, 0, 1, "10"},      {1000, 0, 100, "1000"},
        {99.9, 0, 1, "100"},    {1, 1, 0.1, "1.0"},
    };
    for (const Case& c : cases) {
        const CChartModel chart = Chart(CHART_LINE, {Day(1, 1), Day(2, 1)}, {c.maximum / 2, c.maximum});
        EXPECT_EQ(chart.GetMaximum(), c.maximum);
        EXPECT_EQ(chart.GetValueDecimals(), c.decimals) << c.maximum;
        EXPECT_DOUBLE_EQ(chart.GetValueStep(), c.step) << c.maximum;
        EXPECT_EQ(chart.TopValueLabel(), c.top) << c.maximum;
    }
}

TEST(ChartModel, ValueLabelsClimbByADoubledStepUntilOneReachesTheTop) {
    // 45 over 259 pixels: a step of 1 is 5.76 pixels, doubled twice to clear a 13-pixel label.
    const CChartModel whole = Chart(CHART_BARS, {Day(1, 1), Day(2, 1)}, {45, 12});
    const std::vector<CChartLabel> labels = whole.ValueLabels(13);
    ASSERT_EQ(labels.size(), 12u);
    for (size_t i = 0; i < labels.size(); ++i) {
        EXPECT_EQ(labels[i].text, std::to_string(4 * (i + 1)));
        EXPECT_NEAR(labels[i].y, 265 - 4 * double(i + 1) * 259 / 45, 1.0);
    }
    // Every label but the last lies in the plot; the last is the first at or above its top.
    EXPECT_GT(labels[10].y, 6);
    EXPECT_LE(labels[11].y, 6);

    // 3 over 259 pixels: steps of 0.1 (8.6 pixels) doubled once, printed with one decimal.
    const std::vector<CChartLabel> tenths = Chart(CHART_LINE, {Day(1, 1)}, {3}).ValueLabels(13);
    ASSERT_GE(tenths.size(), 3u);
    EXPECT_EQ(tenths[0].text, "0.2");
    EXPECT_EQ(tenths[1].text, "0.4");
    EXPECT_EQ(tenths[2].text, "0.6");
}

TEST(ChartModel, WithoutAPositiveValueTheAxisHasNoScaleAndNoLabels) {
    // A ewe whose lambings have no lambs, weights that were never read, and values that are not
    // numbers at all: nothing to scale the axis by.
    const std::vector<std::vector<double>> cases = {
        {0, 0, 0}, {kNaN, kNaN, kNaN}, {kInf, 0, kNaN}, {-kInf, -3, 0}, {0, kNaN, -1},
    };
    for (const std::vector<double>& values : cases) {
        const CChartModel chart = Chart(CHART_BARS, {Day(1, 1), Day(2, 1), Day(3, 1)}, values);
        EXPECT_EQ(chart.GetMaximum(), 0.0);
        EXPECT_FALSE(chart.HasValueLabels());
        EXPECT_EQ(chart.GetYScale(), 1.0);
        EXPECT_TRUE(chart.TopValueLabel().empty());
        EXPECT_TRUE(chart.ValueLabels(13).empty());
    }
    // An infinite value beside real ones is no value: the others scale the axis.
    EXPECT_EQ(Chart(CHART_LINE, {Day(1, 1), Day(2, 1)}, {kInf, 5}).GetMaximum(), 5.0);
}

TEST(ChartModel, ValueLabelsEndWhateverTheScale) {
    // A maximum so small that its step underflows, one so large that its pixels vanish, and a
    // window too small to hold a plot: each gives a finite list.
    const double tiny = std::numeric_limits<double>::denorm_min();
    for (double maximum : {tiny, 1e-300, 1e300, std::numeric_limits<double>::max()}) {
        const CChartModel chart = Chart(CHART_LINE, {Day(1, 1)}, {maximum});
        const std::vector<CChartLabel> labels = chart.ValueLabels(13);
        EXPECT_LT(labels.size(), 300u) << maximum;
    }
    for (int labelHeight : {0, -5, 1000}) EXPECT_LT(Chart(CHART_LINE, {Day(1, 1)}, {7}).ValueLabels(labelHeight).size(), 300u);
    CChartModel cramped;
    cramped.SetPoints(CHART_BARS, {Day(1, 1), Day(1, 2)});
    cramped.AddSeries({3, 4}, 255, 5);
    cramped.RecalcLayout(8, 8, 6, 6);
    EXPECT_TRUE(cramped.ValueLabels(13).empty());
    EXPECT_TRUE(cramped.BarRect(0, 0).IsEmpty());
}

TEST(ChartModel, BarsFillTheirSlotsAndEmptyOnesAreNothing) {
    const CChartModel chart = Chart(CHART_BARS, {Day(1, 1), Day(2, 1), Day(3, 1), Day(4, 1)}, {2, 0, kNaN, 4});
    EXPECT_DOUBLE_EQ(chart.BarWidth(), 329.0 / 4);
    // The slots tile the plot.
    EXPECT_EQ(chart.SlotLeft(0), 65);
    for (size_t i = 0; i + 1 < 4; ++i) EXPECT_EQ(chart.SlotRight(i), chart.SlotLeft(i + 1));
    EXPECT_EQ(chart.SlotRight(3), 394);
    EXPECT_EQ(chart.BarRect(0, 0), (CChartRect{65, 135, 147, 265}));
    EXPECT_EQ(chart.BarRect(3, 0), (CChartRect{311, 6, 394, 265}));
    // No lambs, or no value: no bar at all, so nothing can spill over the plot.
    EXPECT_TRUE(chart.BarRect(1, 0).IsEmpty());
    EXPECT_TRUE(chart.BarRect(2, 0).IsEmpty());
    // Bar labels centre in the slot; the tick marks the slot's right edge.
    EXPECT_EQ(chart.DateLabelX(0, 40), 65 + 21);
    EXPECT_EQ(chart.DateTickX(0), 147);

    // More points than pixels: every bar stays inside its slot.
    std::vector<COleDateTime> dates(1000, Day(1, 1));
    const CChartModel crowded = Chart(CHART_BARS, dates, std::vector<double>(1000, 1));
    for (size_t i = 0; i < dates.size(); ++i) {
        const CChartRect bar = crowded.BarRect(i, 0);
        if (bar.IsEmpty()) continue;
        EXPECT_GE(bar.left, crowded.SlotLeft(i));
        EXPECT_LE(bar.right, crowded.SlotRight(i));
    }
}

TEST(ChartModel, SeriesNeedPointsAndTheMaximumIsTheLastSeries) {
    CChartModel chart;
    chart.SetPoints(CHART_LINE, {});
    EXPECT_FALSE(chart.AddSeries({}, 255, 5));
    EXPECT_EQ(chart.GetSeriesCount(), 0);

    chart.SetPoints(CHART_LINE, {Day(1, 1), Day(1, 2)});
    EXPECT_TRUE(chart.AddSeries({40, 50}, 255, 5));
    EXPECT_TRUE(chart.AddSeries({3}, 0xff0000, -1));
    EXPECT_EQ(chart.GetSeriesCount(), 2);
    EXPECT_EQ(chart.GetMaximum(), 3.0);
    EXPECT_EQ(chart.GetValue(1, 0), 50.0);
    EXPECT_TRUE(std::isnan(chart.GetValue(1, 1)));  // a short series leaves the rest without values
    EXPECT_EQ(chart.GetHatch(1), -1);

    // New points forget the series.
    chart.SetPoints(CHART_BARS, {Day(1, 1)});
    EXPECT_EQ(chart.GetSeriesCount(), 0);
    EXPECT_EQ(chart.GetMaximum(), 0.0);
    EXPECT_EQ(chart.GetKind(), CHART_BARS);
}

// ---- the animal's charts ---------------------------------------------------------------------------

class AnimalChartTest : public ::testing::Test {
protected:
    void SetUp() override { CSheepAppServices::Get().SetDecimalPlaces(2); }
    void TearDown() override { CSheepAppServices::Get().SetDecimalPlaces(2); }
    CScopedScriptedHost host;
    CRefPtr<CSheep> ewe = CRefPtr<CSheep>::Adopt(new CSheep(u"E1", SEX_EWE, nullptr));
};

TEST_F(AnimalChartTest, LambingBarsAreTheDatedRecordsInRecordOrder) {
    const auto lambing = [&](const COleDateTime* date, int lambs) {
        auto record = CRefPtr<CEweLambingData>::Adopt(new CEweLambingData);
        if (date) record->SetDate(*date);
        for (int i = 0; i < lambs; ++i) record->AddLamb(CRefPtr<CLambData>::Adopt(new CLambData(u"L")));
        ewe->AddLambingRecord(record);
    };
    const COleDateTime y2023 = Day(4, 2), y2022 = Day(3, 20);
    lambing(&y2023, 2);
    lambing(nullptr, 3);
    lambing(&y2022, 0);
    const CChartSeriesData data = BuildLambingChart(*ewe);
    ASSERT_EQ(data.dates.size(), 2u);
    EXPECT_EQ(data.dates[0].m_dt, y2023.m_dt);
    EXPECT_EQ(data.dates[1].m_dt, y2022.m_dt);
    EXPECT_EQ(data.values, (std::vector<double>{2, 0}));
}

TEST_F(AnimalChartTest, WeightsRunOldestFirstWhateverTheAnimalsOrder) {
    // Put in newest first, past the sorted insert, with another event and a weight without a figure.
    ewe->InsertEventAt(-1, new CEvent(Day(6, 1), EVENT_WEIGHED, u"84.8"), false);
    ewe->InsertEventAt(-1, new CEvent(Day(5, 1), 12, u"Wormer"), false);
    ewe->InsertEventAt(-1, new CEvent(Day(4, 1), EVENT_WEIGHED, u""), false);
    ewe->InsertEventAt(-1, new CEvent(Day(3, 1), EVENT_WEIGHED, u"42.4"), false);
    ewe->InsertEventAt(-1, new CEvent(Day(3, 1), EVENT_WEIGHED, u"63.6"), false);

    const CChartSeriesData shown = BuildWeightChart(*ewe, 0);
    ASSERT_EQ(shown.dates.size(), 4u);
    for (size_t i = 1; i < shown.dates.size(); ++i) EXPECT_LE(shown.dates[i - 1].m_dt, shown.dates[i].m_dt);
    EXPECT_EQ(shown.dates.back().m_dt, Day(6, 1).m_dt);
    // Weighings of one day keep the animal's order.
    EXPECT_EQ(shown.values[0], 42.4);
    EXPECT_EQ(shown.values[1], 63.6);
    EXPECT_TRUE(std::isnan(shown.values[2]));
    EXPECT_EQ(shown.values[3], 84.8);
    EXPECT_TRUE(shown.failed);

    // The other unit divides by 2.12 and keeps the shown decimal places.
    CSheepAppServices::Get().SetDecimalPlaces(0);
    const CChartSeriesData other = BuildWeightChart(*ewe, 1);
    EXPECT_EQ(other.values[0], 20.0);
    EXPECT_EQ(other.values[3], 40.0);

    // Every figure readable: nothing to report.
    ewe->RemoveEventAt(2, true);
    EXPECT_FALSE(BuildWeightChart(*ewe, 0).failed);
}

}  // namespace
