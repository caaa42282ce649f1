// The chart window drawn into a memory bitmap, and the record view's Charts page in the running program.
#include <wx/choice.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/notebook.h>
#include <wx/settings.h>

#include <cmath>
#include <limits>

#include "document/sheep_doc.h"
#include "platform/settings.h"
#include "records/event.h"
#include "records/lambing.h"
#include "records/sheep.h"
#include "support/shell_fixture.h"
#include "views/chart_wnd.h"
#include "views/record_chart_page.h"
#include "views/record_view.h"
#include "views/sheep_document.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

COleDateTime Day(int month, int day) {
    return COleDateTime(2024, month, day, 0, 0, 0);
}

// The chart's picture, pixel by pixel.
class Picture {
public:
    Picture(CChartWnd& chart, wxSize size) : m_image(Render(chart, size)) {}
    wxColour At(int x, int y) const {
        return wxColour(m_image.GetRed(x, y), m_image.GetGreen(x, y), m_image.GetBlue(x, y));
    }
    // How many pixels of the rectangle (right and bottom outside) pass the test.
    template <class Test>
    int Count(int left, int top, int right, int bottom, Test test) const {
        int count = 0;
        for (int y = std::max(top, 0); y < std::min(bottom, m_image.GetHeight()); ++y)
            for (int x = std::max(left, 0); x < std::min(right, m_image.GetWidth()); ++x)
                if (test(At(x, y))) ++count;
        return count;
    }
    int Count(const CChartRect& r, bool (*test)(const wxColour&)) const {
        return Count(r.left, r.top, r.right, r.bottom, test);
    }

private:
    static wxImage Render(CChartWnd& chart, wxSize size) {
        wxBitmap bitmap(size);
        {
            wxMemoryDC dc(bitmap);
            chart.Draw(dc, size);
        }
        return bitmap.ConvertToImage();
    }
    wxImage m_image;
};

bool IsRed(const wxColour& c) {
    return c.Red() > c.Green() + 60 && c.Red() > c.Blue() + 60;
}
bool IsDark(const wxColour& c) {
    return c.Red() < 128 && c.Green() < 128 && c.Blue() < 128;
}
bool IsInk(const wxColour& c) {
    return c != wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW);
}

class ChartTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(Start());
        page = new wxPanel(Frame());
        page->SetBackgroundColour(wxColour(10, 200, 30));
        chart = new CChartWnd;
        ASSERT_TRUE(chart->Create(page, wxRect(0, 0, 400, 300), 1293));
    }
    void TearDown() override {
        page->Destroy();
        ShellTest::TearDown();
    }
    const wxSize size{400, 300};
    wxPanel* page = nullptr;
    CChartWnd* chart = nullptr;
};

TEST_F(ChartTest, BarsFillOnlyTheirOwnRectanglesUnderTheAxesAndLabels) {
    chart->SetPoints(CHART_BARS, {Day(1, 1), Day(2, 1), Day(3, 1), Day(4, 1)});
    chart->AddSeries({4, 0, kNaN, 2}, 255, 5);
    const Picture picture(*chart, size);
    const CChartModel& model = chart->GetModel();
    const CChartRect& plot = model.GetPlot();

    // The tallest bar is hatched in red over its height, the short one only below its top.
    const CChartRect tall = model.BarRect(0, 0), shorter = model.BarRect(3, 0);
    EXPECT_GT(picture.Count(tall, IsRed), tall.Width() * tall.Height() / 10);
    EXPECT_GT(picture.Count(shorter, IsRed), 0);
    EXPECT_EQ(picture.Count(shorter.left, plot.top, shorter.right, shorter.top - 1, IsRed), 0);
    // No lambs and no value: the slots stay empty, nothing spills into the rest of the plot.
    // (The date ticks rise 3 pixels into the plot.)
    EXPECT_EQ(picture.Count(model.SlotLeft(1) + 2, plot.top, model.SlotRight(2) - 2, plot.bottom - 3, IsInk), 0);

    // The axes are drawn over the bars, and the value ticks over the tallest bar.
    EXPECT_TRUE(IsDark(picture.At(plot.left + 10, plot.bottom)));
    EXPECT_TRUE(IsDark(picture.At(plot.left, (plot.top + plot.bottom) / 2)));
    wxMemoryDC measure;
    measure.SetFont(chart->GetFont());
    const std::vector<CChartLabel> labels =
        model.ValueLabels(measure.GetTextExtent(wxString::FromUTF8(model.TopValueLabel())).y);
    ASSERT_FALSE(labels.empty());
    EXPECT_TRUE(IsDark(picture.At(plot.left + 2, labels.front().y)));
    // Value labels sit in the band left of the plot, date labels under it.
    EXPECT_GT(picture.Count(model.GetValueBand().left, plot.top, model.GetValueBand().right - 4,
                            plot.bottom, IsDark),
              0);
    EXPECT_GT(picture.Count(model.GetDateBand(), IsDark), 0);
}

TEST_F(ChartTest, WithoutAPositiveValueOnlyTheAxesAndDatesAreDrawn) {
    // A ewe whose records hold no lambs.
    chart->SetPoints(CHART_BARS, {Day(1, 1), Day(2, 1)});
    chart->AddSeries({0, 0}, 255, 5);
    const Picture picture(*chart, size);
    const CChartModel& model = chart->GetModel();
    const CChartRect& plot = model.GetPlot();
    EXPECT_EQ(picture.Count(0, 0, size.x, size.y, IsRed), 0);
    EXPECT_EQ(picture.Count(plot.left + 1, plot.top, plot.right - 1, plot.bottom - 3, IsInk), 0);
    EXPECT_TRUE(IsDark(picture.At(plot.left + 10, plot.bottom)));
    EXPECT_EQ(picture.Count(model.GetValueBand().left, plot.top, model.GetValueBand().right - 4, plot.bottom + 1,
                            IsDark),
              0);
    EXPECT_GT(picture.Count(model.GetDateBand(), IsDark), 0);
}

TEST_F(ChartTest, TheLineRunsThroughThePointsWithValues) {
    chart->SetPoints(CHART_LINE, {Day(1, 1), Day(1, 11), Day(1, 21)});
    chart->AddSeries({10, kNaN, 30}, 255, 5);
    const Picture picture(*chart, size);
    const CChartModel& model = chart->GetModel();
    const auto near = [&](int x, int y) { return picture.Count(x - 1, y - 1, x + 2, y + 2, IsDark) > 0; };
    EXPECT_TRUE(near(model.PointX(0), model.ValueY(10)));
    EXPECT_TRUE(near(model.PointX(2), model.ValueY(30)));
    // The point without a value is passed over: the line goes straight on.
    EXPECT_TRUE(near(model.PointX(1), model.ValueY(20)));
    EXPECT_FALSE(near(model.PointX(1), model.ValueY(10)));
    // Down from the last point to the axis.
    EXPECT_TRUE(near(model.PointX(2), (model.ValueY(30) + model.GetPlot().bottom) / 2));
}

TEST_F(ChartTest, WithoutASeriesThePageShowsThrough) {
    chart->SetPoints(CHART_LINE, {});
    chart->AddSeries({}, 255, 5);
    const Picture picture(*chart, size);
    const wxColour green(10, 200, 30);
    EXPECT_EQ(picture.Count(0, 0, size.x, size.y, [](const wxColour& c) { return c != wxColour(10, 200, 30); }),
              0);
    EXPECT_EQ(picture.At(200, 150), green);
}

// ---- the Charts page ----------------------------------------------------------------------------

class ChartsPageTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(Start());
        CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u"lb");
        doc = dynamic_cast<CSheepDocument*>(App().CreateUntitledDocument(true));
        ASSERT_NE(doc, nullptr);
        view = dynamic_cast<CSheepView*>(doc->GetFirstView());
        ASSERT_NE(view, nullptr);
        for (const char16_t* tattoo : {u"A100", u"B200", u"C300"})
            ASSERT_GE(core().AddSheep(new CSheep(tattoo, SEX_EWE, &core()), false), 0);
        core().SelectSheepAt(0, true, false, nullptr);
        Pump();
        ASSERT_TRUE(view->ActivatePage(PAGE_CHARTS));
        page()->OnPageActivated();
        Pump();
    }
    void TearDown() override {
        ForgetChanges();
        ShellTest::TearDown();
    }
    CSheepDoc& core() { return doc->GetCore(); }
    CSheepViewChartTab* page() { return static_cast<CSheepViewChartTab*>(view->GetPage(PAGE_CHARTS)); }
    void Choose(int kind) {
        wxChoice* combo = page()->GetKindCombo();
        combo->SetSelection(kind);
        wxCommandEvent event(wxEVT_CHOICE, combo->GetId());
        event.SetEventObject(combo);
        event.SetInt(kind);
        combo->GetEventHandler()->ProcessEvent(event);
        Pump();
    }
    void Lambing(CSheep* ewe, int month, int lambs) {
        auto record = CRefPtr<CEweLambingData>::Adopt(new CEweLambingData);
        record->SetDate(Day(month, 1));
        for (int i = 0; i < lambs; ++i) record->AddLamb(CRefPtr<CLambData>::Adopt(new CLambData(u"L")));
        ewe->AddLambingRecord(record);
    }
    void Show(int index) {
        core().SelectSheepAt(index, true, true, nullptr);
        Pump();
    }
    std::vector<double> Dates() {
        std::vector<double> dates;
        for (const CChartPoint& point : page()->GetChart()->GetModel().GetPoints()) dates.push_back(point.date.m_dt);
        return dates;
    }

    CSheepDocument* doc = nullptr;
    CSheepView* view = nullptr;
};

TEST_F(ChartsPageTest, ThePageStandsSecondAndStartsWithNoChart) {
    const std::vector<RecordPageId> tabs = view->GetTabs();
    ASSERT_GE(tabs.size(), 2u);
    EXPECT_EQ(tabs[1], PAGE_CHARTS);
    EXPECT_EQ(view->GetSheet()->GetPageText(1), "Charts");
    EXPECT_EQ(CSheepViewChartTab::GetChartKind(), CSheepViewChartTab::CHART_NONE);
    EXPECT_EQ(page()->GetKindCombo()->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(page()->GetChart()->GetModel().GetSeriesCount(), 0);

    // The kind is one for every view, and a new view starts it again.
    Choose(CSheepViewChartTab::CHART_LAMBING);
    EXPECT_EQ(CSheepViewChartTab::GetChartKind(), CSheepViewChartTab::CHART_LAMBING);
    auto* second = dynamic_cast<CSheepDocument*>(App().CreateUntitledDocument(true));
    ASSERT_NE(second, nullptr);
    Pump();
    EXPECT_EQ(CSheepViewChartTab::GetChartKind(), CSheepViewChartTab::CHART_NONE);
}

TEST_F(ChartsPageTest, LambingBarsFollowTheAnimal) {
    CSheep* first = core().GetSheepAt(0);
    Lambing(first, 3, 2);
    Lambing(first, 4, 3);
    Lambing(core().GetSheepAt(1), 3, 0);  // a ewe whose lambing gave no lambs
    Choose(CSheepViewChartTab::CHART_LAMBING);
    const CChartModel& model = page()->GetChart()->GetModel();
    EXPECT_EQ(model.GetKind(), CHART_BARS);
    ASSERT_EQ(model.GetPoints().size(), 2u);
    EXPECT_EQ(model.GetMaximum(), 3.0);
    EXPECT_EQ(model.GetColour(0), 255u);
    EXPECT_EQ(model.GetHatch(0), 5);

    Show(1);
    ASSERT_EQ(model.GetPoints().size(), 1u);
    EXPECT_EQ(model.GetMaximum(), 0.0);
    // It paints without a scale.
    page()->GetChart()->Update();
    wxBitmap bitmap(300, 200);
    {
        wxMemoryDC dc(bitmap);
        page()->GetChart()->Draw(dc, bitmap.GetSize());
    }
    EXPECT_FALSE(model.HasValueLabels());

    // No lambings at all: no points, no series.
    Show(2);
    EXPECT_TRUE(model.GetPoints().empty());
    EXPECT_EQ(model.GetSeriesCount(), 0);
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ChartsPageTest, WeightsAreDrawnOldestFirstAndAnUnreadableOneIsReportedOnce) {
    CSheep* ewe = core().GetSheepAt(0);
    // Newest first, and two weighings without a figure.
    ewe->InsertEventAt(-1, new CEvent(Day(6, 1), EVENT_WEIGHED, u"84.8"), false);
    ewe->InsertEventAt(-1, new CEvent(Day(5, 1), EVENT_WEIGHED, u""), false);
    ewe->InsertEventAt(-1, new CEvent(Day(4, 1), EVENT_WEIGHED, u""), false);
    ewe->InsertEventAt(-1, new CEvent(Day(3, 1), EVENT_WEIGHED, u"42.4"), false);
    Choose(CSheepViewChartTab::CHART_WEIGHT);

    const CChartModel& model = page()->GetChart()->GetModel();
    EXPECT_EQ(model.GetKind(), CHART_LINE);
    EXPECT_EQ(Dates(), (std::vector<double>{Day(3, 1).m_dt, Day(4, 1).m_dt, Day(5, 1).m_dt, Day(6, 1).m_dt}));
    // The figures as the History page shows them in the chosen unit.
    EXPECT_NEAR(model.GetValue(0, 0), 20.0, 1e-9);
    EXPECT_NEAR(model.GetValue(3, 0), 40.0, 1e-9);
    EXPECT_TRUE(std::isnan(model.GetValue(1, 0)));
    // The oldest sits at the left of the plot, the newest at the right.
    EXPECT_EQ(model.PointX(0), model.GetPlot().left);
    EXPECT_EQ(model.PointX(3), model.GetPlot().right);
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.MessageIds(), (std::vector<unsigned>{146}));

    // Another animal without weighings: an empty chart, no message.
    Show(1);
    EXPECT_TRUE(model.GetPoints().empty());
    EXPECT_EQ(host.Messages().size(), 1u);
}

TEST_F(ChartsPageTest, WithoutAnAnimalTheKindListHidesAndTheChartStays) {
    Lambing(core().GetSheepAt(0), 3, 2);
    Choose(CSheepViewChartTab::CHART_LAMBING);
    page()->ShowSheep(nullptr);
    EXPECT_FALSE(page()->GetKindCombo()->IsShown());
    EXPECT_EQ(page()->GetChart()->GetModel().GetPoints().size(), 1u);
    page()->ShowSheep(core().GetSheepAt(0));
    EXPECT_TRUE(page()->GetKindCombo()->IsShown());
    EXPECT_EQ(page()->GetKindCombo()->GetSelection(), CSheepViewChartTab::CHART_LAMBING);
}

}  // namespace
