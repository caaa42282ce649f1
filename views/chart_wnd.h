// The record view's chart: values against dates as a line, a filled area or bars, with the date axis
// below and the value axis to the left. What goes where is worked out by CChartModel.
#pragma once

#include <wx/font.h>
#include <wx/window.h>

#include "document/chart_model.h"

class wxDC;

class CChartWnd : public wxWindow {
public:
    CChartWnd() = default;
    // A bordered child named "Dedov Chart" over rect.
    bool Create(wxWindow* parent, const wxRect& rect, int id, long style = 0);

    // Starts again with one point per date and no series; the window shows the change only when a
    // series is added.
    void SetPoints(int kind, const std::vector<COleDateTime>& dates);
    // One value per point; ignored while there are no points.
    void AddSeries(const std::vector<double>& values, uint32_t colour, int32_t hatch);

    const CChartModel& GetModel() const { return m_model; }
    // Lays the chart out for a client of that size and draws it, as painting does.
    void Draw(wxDC& dc, const wxSize& client);

private:
    void RecalcLayout(const wxSize& client);
    void OnPaint(wxPaintEvent& event);
    void DrawLines(wxDC& dc);
    void DrawBars(wxDC& dc);
    void DrawLabels(wxDC& dc);
    wxBrush SeriesBrush(int series) const;

    CChartModel m_model;
};
