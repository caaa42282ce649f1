#include "views/chart_wnd.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

#include <cmath>

#include "document/ui/wx_strings.h"

namespace {

constexpr int kTick = 3;
constexpr int kLabelGap = 5;

wxColour FromColorref(uint32_t colour) {
    return wxColour(colour & 0xff, (colour >> 8) & 0xff, (colour >> 16) & 0xff);
}

// The stored hatch numbers are the Windows ones.
wxBrushStyle HatchStyle(int32_t hatch) {
    switch (hatch) {
        case 0: return wxBRUSHSTYLE_HORIZONTAL_HATCH;
        case 1: return wxBRUSHSTYLE_VERTICAL_HATCH;
        case 2: return wxBRUSHSTYLE_FDIAGONAL_HATCH;
        case 3: return wxBRUSHSTYLE_BDIAGONAL_HATCH;
        case 4: return wxBRUSHSTYLE_CROSS_HATCH;
        case 5: return wxBRUSHSTYLE_CROSSDIAG_HATCH;
        default: return wxBRUSHSTYLE_SOLID;
    }
}

int Inset(wxSystemMetric metric) {
    return std::max(wxSystemSettings::GetMetric(metric), 0) + 5;
}

}  // namespace

bool CChartWnd::Create(wxWindow* parent, const wxRect& rect, int id, long style) {
    if (!wxWindow::Create(parent, id, rect.GetPosition(), rect.GetSize(), style | wxBORDER_SIMPLE, "Dedov Chart"))
        return false;
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
    Bind(wxEVT_PAINT, &CChartWnd::OnPaint, this);
    // The layout follows the client: a new size is a new picture.
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        Refresh();
        event.Skip();
    });
    return true;
}

void CChartWnd::SetPoints(int kind, const std::vector<COleDateTime>& dates) {
    m_model.SetPoints(kind, dates);
}

void CChartWnd::AddSeries(const std::vector<double>& values, uint32_t colour, int32_t hatch) {
    if (!m_model.AddSeries(values, colour, hatch)) return;
    RecalcLayout(GetClientSize());
    Refresh(true);
}

void CChartWnd::RecalcLayout(const wxSize& client) {
    m_model.RecalcLayout(client.x, client.y, Inset(wxSYS_BORDER_X), Inset(wxSYS_BORDER_Y));
}

void CChartWnd::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    Draw(dc, GetClientSize());
}

void CChartWnd::Draw(wxDC& dc, const wxSize& client) {
    RecalcLayout(client);
    if (m_model.GetSeriesCount() == 0) {
        // Nothing to plot: the page shows through.
        const wxColour page = GetParent() ? GetParent()->GetBackgroundColour()
                                          : wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
        dc.SetBackground(wxBrush(page));
        dc.Clear();
        return;
    }
    dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)));
    dc.Clear();
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    if (m_model.GetKind() == CHART_BARS)
        DrawBars(dc);
    else
        DrawLines(dc);

    // A sunken edge round the client.
    const wxRect all(client);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_3DSHADOW)));
    dc.DrawLine(all.GetLeft(), all.GetBottom(), all.GetLeft(), all.GetTop());
    dc.DrawLine(all.GetLeft(), all.GetTop(), all.GetRight(), all.GetTop());
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_3DHIGHLIGHT)));
    dc.DrawLine(all.GetRight(), all.GetTop(), all.GetRight(), all.GetBottom());
    dc.DrawLine(all.GetRight(), all.GetBottom(), all.GetLeft() - 1, all.GetBottom());

    const CChartRect& plot = m_model.GetPlot();
    dc.SetPen(*wxBLACK_PEN);
    dc.DrawLine(plot.left, plot.bottom, plot.right, plot.bottom);
    dc.DrawLine(plot.left, plot.bottom, plot.left, plot.top);
    DrawLabels(dc);
}

wxBrush CChartWnd::SeriesBrush(int series) const {
    return wxBrush(FromColorref(m_model.GetColour(series)), HatchStyle(m_model.GetHatch(series)));
}

void CChartWnd::DrawLines(wxDC& dc) {
    const CChartRect& plot = m_model.GetPlot();
    const std::vector<CChartPoint>& points = m_model.GetPoints();
    for (int s = 0; s < m_model.GetSeriesCount(); ++s) {
        // The line starts at the origin, runs through every point with a value and comes back
        // along the axis from under the last point.
        std::vector<wxPoint> path{{plot.left, plot.bottom}};
        for (size_t i = 0; i < points.size(); ++i) {
            const double value = m_model.GetValue(i, s);
            if (std::isfinite(value)) path.emplace_back(m_model.PointX(i), m_model.ValueY(value));
        }
        path.emplace_back(m_model.PointX(points.size() - 1), plot.bottom);
        path.emplace_back(plot.left, plot.bottom);
        if (m_model.GetKind() == CHART_AREA) {
            // Filled as the outline's own polygon: a fill can never leak out of it.
            dc.SetPen(*wxTRANSPARENT_PEN);
            if (m_model.GetHatch(s) >= 0) {
                dc.SetBrush(*wxWHITE_BRUSH);
                dc.DrawPolygon(int(path.size()), path.data());
            }
            dc.SetBrush(SeriesBrush(s));
            dc.DrawPolygon(int(path.size()), path.data());
            dc.SetBrush(*wxTRANSPARENT_BRUSH);
            dc.SetPen(*wxBLACK_PEN);
        }
        dc.DrawLines(int(path.size()), path.data());
    }
}

void CChartWnd::DrawBars(wxDC& dc) {
    const size_t count = m_model.GetPoints().size();
    for (int s = 0; s < m_model.GetSeriesCount(); ++s) {
        const wxBrush brush = SeriesBrush(s);
        for (size_t i = 0; i < count; ++i) {
            const CChartRect bar = m_model.BarRect(i, s);
            if (bar.IsEmpty()) continue;
            // Hatching lies on white, the outline in the current pen.
            wxRect rect(bar.left, bar.top, bar.Width() + 1, bar.Height() + 1);
            dc.SetPen(*wxBLACK_PEN);
            dc.SetBrush(*wxWHITE_BRUSH);
            dc.DrawRectangle(rect);
            dc.SetPen(*wxTRANSPARENT_PEN);
            dc.SetBrush(brush);
            dc.DrawRectangle(rect.Deflate(1));
        }
    }
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
}

void CChartWnd::DrawLabels(wxDC& dc) {
    dc.SetFont(GetFont());
    dc.SetTextForeground(*wxBLACK);
    dc.SetPen(*wxBLACK_PEN);
    const int line = m_model.GetDateBand().top;
    const std::vector<CChartPoint>& points = m_model.GetPoints();
    for (size_t i = 0; i < points.size(); ++i) {
        const wxString text = ToWx(points[i].date.Format("%x"));
        const int x = m_model.DateLabelX(i, dc.GetTextExtent(text).x);
        dc.DrawText(text, x, line);
        const int tick = m_model.DateTickX(i);
        dc.DrawLine(tick, line - kTick, tick, line + kTick);
    }

    const int edge = m_model.GetValueBand().right;
    const int labelHeight = dc.GetTextExtent(wxString::FromUTF8(m_model.TopValueLabel())).y;
    for (const CChartLabel& label : m_model.ValueLabels(labelHeight)) {
        const wxString text = wxString::FromUTF8(label.text);
        const wxSize size = dc.GetTextExtent(text);
        dc.DrawLine(edge - kTick, label.y, edge + kTick, label.y);
        dc.DrawText(text, edge - kLabelGap - size.x, label.y - size.y / 2);
    }
}
