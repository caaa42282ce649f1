#include "document/chart_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "records/app_services.h"
#include "records/event.h"
#include "records/lambing.h"
#include "records/sheep.h"

namespace {

bool HasValue(double value) {
    return std::isfinite(value);
}

int Truncate(double value) {
    if (std::isnan(value)) return 0;
    // Far outside any window: kept in range so that a wild value cannot overflow.
    constexpr double kLimit = 1e9;
    return static_cast<int>(std::clamp(value, -kLimit, kLimit));
}

}  // namespace

void CChartModel::SetPoints(int kind, const std::vector<COleDateTime>& dates) {
    m_nKind = kind;
    m_points.clear();
    m_colours.clear();
    m_hatches.clear();
    m_dMaximum = 0;
    m_nSeries = 0;
    m_points.reserve(dates.size());
    for (const COleDateTime& date : dates) m_points.push_back({date, {}});
}

bool CChartModel::AddSeries(const std::vector<double>& values, uint32_t colour, int32_t hatch) {
    if (m_points.empty()) return false;
    m_colours.push_back(colour);
    m_hatches.push_back(hatch);
    m_dMaximum = 0;
    for (size_t i = 0; i < m_points.size(); ++i) {
        const double value = i < values.size() ? values[i] : std::numeric_limits<double>::quiet_NaN();
        m_points[i].values.resize(size_t(m_nSeries) + 1, std::numeric_limits<double>::quiet_NaN());
        m_points[i].values[size_t(m_nSeries)] = value;
        // An infinite value is no value: it would leave the axis without a scale.
        if (HasValue(value) && value > m_dMaximum) m_dMaximum = value;
    }
    ++m_nSeries;
    return true;
}

double CChartModel::GetValue(size_t point, int series) const {
    const std::vector<double>& values = m_points[point].values;
    return size_t(series) < values.size() ? values[size_t(series)] : std::numeric_limits<double>::quiet_NaN();
}

void CChartModel::RecalcLayout(int clientWidth, int clientHeight, int insetX, int insetY) {
    const CChartRect inner{insetX, insetY, clientWidth - insetX, clientHeight - insetY};
    const int bandHeight = static_cast<int>(static_cast<float>(inner.Height()) * 0.1f);
    m_dateBand = {inner.left, inner.bottom - bandHeight, inner.right, inner.bottom};
    const int plotBottom = m_dateBand.top - 1;
    const int bandWidth = static_cast<int>(inner.Width() * 0.15);
    m_valueBand = {inner.left, inner.top, inner.left + bandWidth, plotBottom};
    m_plot = {m_valueBand.right + 1, inner.top, inner.right, plotBottom};

    if (m_points.empty()) {
        m_dXScale = m_dYScale = 0;
        m_bValueScale = false;
        return;
    }
    const int days = WholeDays(m_points.size() - 1);
    m_dXScale = days == 0 ? 1.0 : double(m_plot.Width()) / days;
    // Without a positive maximum, or with one the plot cannot scale to, the axis has no scale.
    const double scale = m_dMaximum > 0 ? double(m_plot.Height()) / m_dMaximum : 0.0;
    m_bValueScale = scale > 0 && std::isfinite(scale);
    m_dYScale = m_bValueScale ? scale : 1.0;
}

int CChartModel::WholeDays(size_t point) const {
    const double from = COleDateTime::DoubleFromDate(m_points.front().date.m_dt);
    const double to = COleDateTime::DoubleFromDate(m_points[point].date.m_dt);
    return Truncate(std::trunc(to - from));
}

int CChartModel::PointX(size_t point) const {
    return Truncate(m_plot.left + WholeDays(point) * m_dXScale);
}

int CChartModel::ValueY(double value) const {
    return Truncate(m_plot.bottom - value * m_dYScale);
}

double CChartModel::BarWidth() const {
    return m_points.empty() ? 0.0 : double(m_plot.Width()) / double(m_points.size());
}

int CChartModel::SlotLeft(size_t point) const {
    return Truncate(m_plot.left + double(point) * BarWidth());
}

int CChartModel::SlotRight(size_t point) const {
    return Truncate(m_plot.left + double(point + 1) * BarWidth());
}

CChartRect CChartModel::BarRect(size_t point, int series) const {
    const double value = GetValue(point, series);
    if (!HasValue(value)) return {};
    CChartRect bar{SlotLeft(point), ValueY(value), SlotRight(point), m_plot.bottom};
    // A bar with no height or width is nothing to fill.
    if (bar.IsEmpty()) return {};
    return bar;
}

int CChartModel::DateLabelX(size_t point, int textWidth) const {
    if (m_nKind == CHART_BARS) return Truncate(SlotLeft(point) + (BarWidth() - textWidth) * 0.5);
    return Truncate(PointX(point) - textWidth * 0.5);
}

int CChartModel::DateTickX(size_t point) const {
    return m_nKind == CHART_BARS ? SlotRight(point) : PointX(point);
}

bool CChartModel::HasValueLabels() const {
    return m_bValueScale;
}

int CChartModel::GetValueDecimals() const {
    if (!(m_dMaximum > 0)) return 0;
    const int e = static_cast<int>(std::trunc(std::log10(m_dMaximum))) - 1;
    return e < 0 ? -e : 0;
}

double CChartModel::GetValueStep() const {
    if (!(m_dMaximum > 0)) return 0;
    const int e = static_cast<int>(std::trunc(std::log10(m_dMaximum))) - 1;
    return std::pow(10.0, e);
}

std::string CChartModel::FormatValue(double value) const {
    const int decimals = GetValueDecimals();
    const int size = std::snprintf(nullptr, 0, "%.*f", decimals, value);
    if (size <= 0) return {};
    std::string text(size_t(size) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
    text.resize(size_t(size));
    return text;
}

std::string CChartModel::TopValueLabel() const {
    if (!HasValueLabels()) return {};
    return FormatValue(m_plot.Height() / m_dYScale);
}

std::vector<CChartLabel> CChartModel::ValueLabels(int labelHeight) const {
    std::vector<CChartLabel> labels;
    if (!HasValueLabels()) return labels;
    double pixelStep = GetValueStep() * m_dYScale;
    // A step too small to count (a denormal maximum) would never climb the axis.
    if (!(pixelStep > 0) || !std::isfinite(pixelStep)) return labels;
    while (pixelStep < labelHeight) pixelStep *= 2;
    for (double y = m_plot.bottom; m_plot.top < y;) {
        y -= pixelStep;
        labels.push_back({Truncate(y), FormatValue((m_plot.bottom - y) / m_dYScale)});
    }
    return labels;
}

// ---- the animal's charts ---------------------------------------------------------------------------

CChartSeriesData BuildLambingChart(const CSheep& sheep) {
    CChartSeriesData data;
    for (int i = 0; i < sheep.GetLambingCount(); ++i) {
        const CEweLambingData* record = sheep.GetLambingAt(i);
        if (record->GetDate().GetStatus() == COleDateTime::null) continue;
        data.dates.push_back(record->GetDate());
        data.values.push_back(double(record->GetLambCount()));
    }
    return data;
}

CChartSeriesData BuildWeightChart(const CSheep& sheep, int32_t unitFlag) {
    struct Weighing {
        COleDateTime date;
        double value;
    };
    std::vector<Weighing> weighings;
    CChartSeriesData data;
    int next = 0;
    for (CEvent* event = sheep.FindEvent(next, EVENT_WEIGHED, nullptr, nullptr); event;
         event = sheep.FindEvent(next, EVENT_WEIGHED, nullptr, nullptr)) {
        // A weighing without a date has no place on the date axis.
        if (event->GetDate().GetStatus() != COleDateTime::valid) continue;
        const WString shown = CSheepAppServices::Get().FormatMeasurement(&unitFlag, event->GetParameter(0));
        double value = 0;
        if (std::sscanf(WToUtf8(shown).c_str(), "%lf", &value) != 1) {
            value = std::numeric_limits<double>::quiet_NaN();
            data.failed = true;
        }
        weighings.push_back({event->GetDate(), value});
    }
    // Oldest on the left, as the lambing bars beside it, whatever order the animal keeps them in.
    std::stable_sort(weighings.begin(), weighings.end(),
                     [](const Weighing& a, const Weighing& b) {
                         return COleDateTime::DoubleFromDate(a.date.m_dt) < COleDateTime::DoubleFromDate(b.date.m_dt);
                     });
    for (const Weighing& weighing : weighings) {
        data.dates.push_back(weighing.date);
        data.values.push_back(weighing.value);
    }
    return data;
}
