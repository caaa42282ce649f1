// What the record view's chart plots and where: the points and their series, the layout of plot and
// axis bands in a client rectangle, the scales and the axis labels, without any drawing. The chart
// window draws from it; the Charts page fills it from an animal's lambings or weights.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/oledate.h"

class CSheep;

enum ChartKind : int { CHART_LINE = 0, CHART_BARS = 1, CHART_AREA = 2 };

struct CChartPoint {
    COleDateTime date;
    // One per series; NaN or infinite is "no value".
    std::vector<double> values;
};

// Right and bottom are outside the rectangle.
struct CChartRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return Width() <= 0 || Height() <= 0; }
    bool operator==(const CChartRect&) const = default;
};

struct CChartLabel {
    int y;
    std::string text;
};

class CChartModel {
public:
    // Starts again with one point per date, in the order given, and no series.
    void SetPoints(int kind, const std::vector<COleDateTime>& dates);
    // One value per point; false (nothing kept) while there are no points. The maximum becomes
    // that of this series.
    bool AddSeries(const std::vector<double>& values, uint32_t colour, int32_t hatch);
    // The client rectangle less insetX at the sides and insetY at top and bottom.
    void RecalcLayout(int clientWidth, int clientHeight, int insetX, int insetY);

    int GetKind() const { return m_nKind; }
    const std::vector<CChartPoint>& GetPoints() const { return m_points; }
    int GetSeriesCount() const { return m_nSeries; }
    uint32_t GetColour(int series) const { return m_colours[size_t(series)]; }
    int32_t GetHatch(int series) const { return m_hatches[size_t(series)]; }
    double GetValue(size_t point, int series) const;
    // Largest finite value of the last series, 0 when none is positive.
    double GetMaximum() const { return m_dMaximum; }

    const CChartRect& GetPlot() const { return m_plot; }
    const CChartRect& GetDateBand() const { return m_dateBand; }
    const CChartRect& GetValueBand() const { return m_valueBand; }
    double GetXScale() const { return m_dXScale; }
    double GetYScale() const { return m_dYScale; }

    int PointX(size_t point) const;
    int ValueY(double value) const;

    // Bars: each point's slot across the plot, and the bar of a value (empty without one).
    double BarWidth() const;
    int SlotLeft(size_t point) const;
    int SlotRight(size_t point) const;
    CChartRect BarRect(size_t point, int series) const;

    // Date labels: the left end of a label of that width, and the x of its tick.
    int DateLabelX(size_t point, int textWidth) const;
    int DateTickX(size_t point) const;

    // Value labels exist only for a positive maximum that the laid-out plot can scale to.
    bool HasValueLabels() const;
    int GetValueDecimals() const;
    double GetValueStep() const;
    std::string FormatValue(double value) const;
    // The label of the value at the plot's top, whose height spaces the labels.
    std::string TopValueLabel() const;
    // From the bottom up, each at least labelHeight pixels above the one before.
    std::vector<CChartLabel> ValueLabels(int labelHeight) const;

private:
    int WholeDays(size_t point) const;

    int m_nKind = CHART_LINE;
    std::vector<CChartPoint> m_points;
    std::vector<uint32_t> m_colours;
    std::vector<int32_t> m_hatches;
    double m_dMaximum = 0;
    int m_nSeries = 0;
    CChartRect m_plot, m_dateBand, m_valueBand;
    double m_dXScale = 0, m_dYScale = 0;
    bool m_bValueScale = false;
};

// An animal's chart data, dates and values in step.
struct CChartSeriesData {
    std::vector<COleDateTime> dates;
    std::vector<double> values;
    // A weight that could not be read as a number (its value is NaN).
    bool failed = false;
};

// Each dated lambing record, in record order, with its number of lambs.
CChartSeriesData BuildLambingChart(const CSheep& sheep);
// Each dated weighing, oldest first, as shown in the unit of unitFlag.
CChartSeriesData BuildWeightChart(const CSheep& sheep, int32_t unitFlag);
