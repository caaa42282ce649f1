#include "views/record_chart_page.h"

#include <wx/choice.h>
#include <wx/sizer.h>

#include "document/chart_model.h"
#include "document/event_entry.h"
#include "document/ui/context_help.h"
#include "platform/host.h"
#include "platform/message_help.h"
#include "records/sheep.h"
#include "views/chart_wnd.h"

namespace {

constexpr uint32_t kChartColour = 255;  // red
constexpr int32_t kChartHatch = 5;      // diagonal cross

using ChartHelp = CvlControlHelp<IDC_HEADER_TATTOO, IDC_HEADER_SEX, IDC_HEADER_NAME, IDC_HEADER_ONE_OF,
                                 IDC_CHART_KIND, IDC_CHART>;
CVL_HELP_TABLE(ChartHelp::table);
CVL_MESSAGE_HELP(IDS_WEIGHT_NOT_CONVERTED);

}  // namespace

int CSheepViewChartTab::s_nChartKind = CHART_NONE;

CSheepViewChartTab::CSheepViewChartTab(wxWindow* sheet, CSheepView* view)
    : CSheepViewPage(sheet, view, PAGE_CHARTS, "Charts") {
    s_nChartKind = CHART_NONE;
    auto* top = new wxBoxSizer(wxVERTICAL);
    CreateHeader(top, false);
    m_pKind = new wxChoice(this, IDC_CHART_KIND);
    m_pKind->Append("Lambing");
    m_pKind->Append("Weight");
    top->Add(m_pKind, 0, wxLEFT | wxRIGHT | wxBOTTOM, 6);
    m_pChart = new CChartWnd;
    m_pChart->Create(this, wxRect(0, 0, 320, 200), IDC_CHART);
    top->Add(m_pChart, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);
    SetSizer(top);
    m_pKind->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnKindChanged(); });
    CvlAttachContextHelp(this, ChartHelp::table);
}

void CSheepViewChartTab::ShowSheep(CSheep* sheep) {
    CSheepViewPage::ShowSheep(sheep);
    m_pKind->Show(sheep != nullptr);
    Layout();
    if (!sheep) return;
    m_pKind->SetSelection(s_nChartKind >= 0 && s_nChartKind < int(m_pKind->GetCount()) ? s_nChartKind
                                                                                         : wxNOT_FOUND);
    DrawChart(sheep);
}

void CSheepViewChartTab::OnKindChanged() {
    s_nChartKind = m_pKind->GetSelection();
    DrawChart(GetCurrentSheep());
}

void CSheepViewChartTab::DrawChart(CSheep* sheep) {
    if (!sheep) return;
    if (s_nChartKind == CHART_LAMBING)
        DrawLambingChart(*sheep);
    else if (s_nChartKind == CHART_WEIGHT)
        DrawWeightChart(*sheep);
    else
        return;
    // Points without a series repaint nothing by themselves; the old animal's chart must go.
    m_pChart->Refresh();
}

void CSheepViewChartTab::DrawLambingChart(const CSheep& sheep) {
    CCvlWaitCursor wait;
    const CChartSeriesData data = BuildLambingChart(sheep);
    m_pChart->SetPoints(CHART_BARS, data.dates);
    m_pChart->AddSeries(data.values, kChartColour, kChartHatch);
}

void CSheepViewChartTab::DrawWeightChart(const CSheep& sheep) {
    CCvlWaitCursor wait;
    const CChartSeriesData data = BuildWeightChart(sheep, IsUnitPounds() ? 1 : 0);
    if (data.failed) CvlMessageBox(IDS_WEIGHT_NOT_CONVERTED, MB_OK | MB_ICONEXCLAMATION | MB_HELP);
    m_pChart->SetPoints(CHART_LINE, data.dates);
    m_pChart->AddSeries(data.values, kChartColour, kChartHatch);
}
