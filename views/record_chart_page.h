// The record view's Charts page: the lambings of the animal as bars or its weights as a line.
#pragma once

#include "views/record_page.h"

class CChartWnd;
class wxChoice;

constexpr int IDC_CHART_KIND = 1287;
constexpr int IDC_CHART = 1293;

class CSheepViewChartTab : public CSheepViewPage {
public:
    enum Kind { CHART_NONE = -1, CHART_LAMBING = 0, CHART_WEIGHT = 1 };

    CSheepViewChartTab(wxWindow* sheet, CSheepView* view);
    void ShowSheep(CSheep* sheep) override;

    // The kind every Charts page shows; each new page starts it again with none.
    static int GetChartKind() { return s_nChartKind; }
    CChartWnd* GetChart() const { return m_pChart; }
    wxChoice* GetKindCombo() const { return m_pKind; }
    // The user picked a kind in the combo.
    void OnKindChanged();

private:
    void DrawChart(CSheep* sheep);
    void DrawLambingChart(const CSheep& sheep);
    void DrawWeightChart(const CSheep& sheep);

    static int s_nChartKind;
    wxChoice* m_pKind;
    CChartWnd* m_pChart;
};
