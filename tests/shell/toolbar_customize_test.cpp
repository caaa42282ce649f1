// The Standard bar's Customize dialog and the show-me pointer: their rules, and both in the running
// program.
#include <wx/aui/auibar.h>
#include <wx/combobox.h>
#include <wx/listbox.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "document/command_ids.h"
#include "document/doc_commands.h"
#include "document/sheep_doc.h"
#include "records/sheep.h"
#include "shell/bar_rules.h"
#include "shell/customize_toolbar_dlg.h"
#include "shell/frame_bars.h"
#include "shell/main_frame.h"
#include "shell/show_me.h"
#include "shell/toolbar_layout.h"
#include "support/modal_script.h"
#include "support/shell_fixture.h"
#include "views/flock_view.h"
#include "views/record_view.h"
#include "views/sheep_document.h"

namespace {

std::vector<int> Standard() {
    return {kStandardLayout.begin(), kStandardLayout.end()};
}

TEST(ToolbarLayout, EditsMoveButtonsBetweenTheBarAndTheAvailableList) {
    CToolbarLayout layout(Standard());
    // Only Add Dedov is off the bar at first; a separator is always there to take.
    EXPECT_EQ(layout.GetAvailable(), (std::vector<int>{-1, 40014}));

    struct Step {
        const char* what;
        std::function<bool(CToolbarLayout&)> edit;
        bool done;
    };
    const Step steps[] = {
        {"a button already on the bar", [](CToolbarLayout& l) { return l.Add(57600, 0); }, false},
        {"past the end", [](CToolbarLayout& l) { return l.Add(40014, 17); }, false},
        {"Add Dedov at the end", [](CToolbarLayout& l) { return l.Add(40014, 16); }, true},
        {"a second separator first", [](CToolbarLayout& l) { return l.Add(-1, 0); }, true},
        {"Open off the bar", [](CToolbarLayout& l) { return l.Remove(2); }, true},
        {"nothing to remove", [](CToolbarLayout& l) { return l.Remove(17); }, false},
        {"the first cannot go up", [](CToolbarLayout& l) { return l.MoveUp(0); }, false},
        {"the last cannot go down", [](CToolbarLayout& l) { return l.MoveDown(16); }, false},
        {"New up over the separator", [](CToolbarLayout& l) { return l.MoveUp(1); }, true},
    };
    for (const Step& step : steps) EXPECT_EQ(step.edit(layout), step.done) << step.what;
    std::vector<int> expected = Standard();
    expected.erase(expected.begin() + 1);  // Open
    expected.insert(expected.begin() + 1, -1);
    expected.push_back(40014);
    EXPECT_EQ(layout.GetCurrent(), expected);
    // What left the bar is available again, in the catalogue's order.
    EXPECT_EQ(layout.GetAvailable(), (std::vector<int>{-1, 57601}));
    EXPECT_TRUE(layout.IsChanged());
    layout.Reset();
    EXPECT_EQ(layout.GetCurrent(), Standard());
    EXPECT_FALSE(layout.IsChanged());
}

TEST(ShowMePointer, ThePathStepsFivePixelsTowardsTheCentre) {
    // Start inside: no move at all.
    EXPECT_TRUE(SmoothPointerPath({15, 15}, 10, 10, 20, 20).empty());

    // A 3-4-5 slope: three across and four down per step, until inside.
    const auto slope = SmoothPointerPath({0, 0}, 20, 30, 41, 51);
    ASSERT_FALSE(slope.empty());
    EXPECT_EQ(slope.front(), (CPointerPoint{3, 4}));
    EXPECT_EQ(slope.back(), (CPointerPoint{24, 32}));

    struct Case {
        CPointerPoint start;
        int left, top, right, bottom;
    };
    const Case cases[] = {
        {{500, 100}, 10, 90, 30, 110},   // level, leftwards
        {{40, 600}, 30, 10, 50, 30},     // straight up
        {{0, 0}, 300, 200, 301, 201},    // a one-pixel target
        {{0, 0}, 300, 200, 300, 200},    // an empty one: the walk still ends
        {{400, 5}, 30, 40, 10, 20},      // corners given the wrong way round
    };
    for (const Case& c : cases) {
        const auto path = SmoothPointerPath(c.start, c.left, c.top, c.right, c.bottom);
        ASSERT_FALSE(path.empty());
        CPointerPoint previous = c.start;
        for (size_t i = 0; i + 1 < path.size(); ++i) {
            EXPECT_LE(std::hypot(path[i].x - previous.x, path[i].y - previous.y), 6.0);
            previous = path[i];
        }
        const int l = std::min(c.left, c.right), r = std::max(c.left, c.right);
        const int t = std::min(c.top, c.bottom), b = std::max(c.top, c.bottom);
        const CPointerPoint last = path.back();
        const bool inside = last.x >= l && last.x < r && last.y >= t && last.y < b;
        EXPECT_TRUE(inside || last == (CPointerPoint{(l + r) / 2, (t + b) / 2})) << c.start.x;
    }
}

TEST(ShowMePointer, MenuPathsAndTheViewToSwitchToFirst) {
    const std::vector<CMenuNode> menus = {
        {0, {{57600, {}}, {57601, {}}, {0, {}}, {57603, {}}}},
        {0, {{40001, {}}, {0, {{40025, {}}, {40120, {}}}}}},
    };
    EXPECT_EQ(FindMenuPath(menus, 57603), (std::vector<int>{0, 3}));
    EXPECT_EQ(FindMenuPath(menus, 40120), (std::vector<int>{1, 1, 1}));
    EXPECT_TRUE(FindMenuPath(menus, 40002).empty());

    struct Case {
        int active, mask, command, expected;
    };
    const Case cases[] = {
        {SHOWME_FLOCK_LIST, SHOWME_FLOCK_LIST, 40124, 0},
        {SHOWME_FLOCK_LIST, SHOWME_RECORD_VIEW | SHOWME_FLOCK_LIST, 40124, 0},
        {SHOWME_FLOCK_LIST, SHOWME_RECORD_VIEW, 40015, 40002},
        {SHOWME_RECORD_VIEW, SHOWME_FLOCK_LIST | SHOWME_PEDIGREE, 40124, 40001},
        {SHOWME_RECORD_VIEW, SHOWME_PEDIGREE, 40095, 40090},
        {SHOWME_RECORD_VIEW, SHOWME_REPORT_VIEW, 40103, 40103},
        {0, SHOWME_RECORD_VIEW, 40015, 40002},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShowMeSwitchCommand(c.active, c.mask, c.command), c.expected) << c.mask << " " << c.command;
}

// ---- in the running program ----------------------------------------------------------------------

class ToolbarCustomizeTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(Start());
    }
    void TearDown() override {
        ForgetChanges();
        ShellTest::TearDown();
    }
    wxAuiToolBar* Bar() { return Frame()->GetBars()->GetShowMeBar(0); }
    std::vector<int> Tools() {
        std::vector<int> tools;
        for (size_t i = 0; i < Bar()->GetToolCount(); ++i) {
            wxAuiToolBarItem* item = Bar()->FindToolByIndex(int(i));
            tools.push_back(item->GetKind() == wxITEM_SEPARATOR ? -1 : item->GetId());
        }
        return tools;
    }
    static std::vector<int> WxIds(std::vector<int> commands) {
        for (int& c : commands)
            if (c != -1) c = WxCommandId(c);
        return commands;
    }
    bool WaitForPointer() {
        // The walk's length depends on where other tests on the shared display left the pointer.
        for (int i = 0; i < 3000 && Frame()->GetShowMe()->IsRunning(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            Pump();
        }
        Pump();
        return !Frame()->GetShowMe()->IsRunning();
    }
};

TEST_F(ToolbarCustomizeTest, TheDialogRearrangesTheBarAndResetPutsItBack) {
    ASSERT_EQ(Tools(), WxIds(Standard()));
    ModalScript script({[&](wxDialog& dialog) {
        auto& customize = dynamic_cast<CCustomizeToolbarDlg&>(dialog);
        EXPECT_EQ(customize.GetAvailableList()->GetString(1), "Add Dedov");
        // Add Dedov before New.
        customize.GetAvailableList()->SetSelection(1);
        customize.GetCurrentList()->SetSelection(0);
        customize.OnAdd();
        EXPECT_EQ(Tools().front(), WxCommandId(40014));
        EXPECT_EQ(customize.GetCurrentList()->GetString(0), "Add Dedov");
        // The zoom box off the bar: it hides, and comes back whole.
        const auto& current = customize.GetLayout().GetCurrent();
        const int zoomAt = int(std::find(current.begin(), current.end(), ID_ZOOM_BOX) - current.begin());
        customize.GetCurrentList()->SetSelection(zoomAt);
        customize.OnRemove();
        EXPECT_EQ(Bar()->FindTool(WxCommandId(ID_ZOOM_BOX)), nullptr);
        EXPECT_FALSE(Frame()->GetBars()->GetZoomBox()->IsShown());
        // The end of the bar takes a separator.
        customize.GetAvailableList()->SetSelection(0);
        customize.GetCurrentList()->SetSelection(int(customize.GetCurrentList()->GetCount()) - 1);
        customize.OnAdd();
        EXPECT_EQ(Tools().back(), -1);
        customize.GetCurrentList()->SetSelection(1);
        customize.OnMoveDown();
        EXPECT_EQ(Tools()[2], WxCommandId(57600));
        EXPECT_EQ(Frame()->GetBars()->GetStandardLayout(), customize.GetLayout().GetCurrent());

        customize.OnReset();
        EXPECT_EQ(Tools(), WxIds(Standard()));
        EXPECT_TRUE(Frame()->GetBars()->GetZoomBox()->IsShown());
        return int(wxID_CLOSE);
    }});
    wxCommandEvent command(wxEVT_MENU, WxCommandId(ID_TOOLBAR_CUSTOMIZE));
    Frame()->GetEventHandler()->ProcessEvent(command);
    // The zoom box still works after its trip off the bar.
    Frame()->GetBars()->SetZoomText(75);
    EXPECT_EQ(Frame()->GetBars()->GetZoomBox()->GetValue(), "75%");
}

TEST_F(ToolbarCustomizeTest, ShowMeButtonTravelsToTheButtonOrSaysWhyNot) {
    CShowMe& showMe = *Frame()->GetShowMe();
    EXPECT_TRUE(showMe.ShowMeButton(3, 0x10000 + 57600));
    EXPECT_TRUE(showMe.ShowMeButton(0, 0x10000 + 40014));  // Add Dedov is not on the Standard bar
    EXPECT_EQ(host.MessageIds(), (std::vector<unsigned>{1037, 1038}));
    EXPECT_FALSE(showMe.IsRunning());

    Frame()->Show();
    Frame()->Raise();
    Pump();
    const int save = WxCommandId(57603);
    const wxRect tool = Bar()->GetToolRect(save);
    if (tool.IsEmpty() || !Bar()->IsShownOnScreen()) GTEST_SKIP() << "the bar is not laid out on this display";
    const wxRect target(Bar()->ClientToScreen(tool.GetTopLeft()), tool.GetSize());
    showMe.ShowMeButton(0, 0x10000 + 57603);
    ASSERT_TRUE(WaitForPointer());
    // Other tests on the shared display move the pointer too: the walk's last stop is what counts.
    EXPECT_TRUE(target.Contains(wxPoint(showMe.GetLastStop().x, showMe.GetLastStop().y)))
        << target.x << "," << target.y;
    EXPECT_EQ(host.MessageIds().size(), 2u);
}

TEST_F(ToolbarCustomizeTest, ShowMeMenuSwitchesTheViewThenRunsTheCommand) {
    CShowMe& showMe = *Frame()->GetShowMe();
    // No flock open: only the message.
    showMe.ShowMeMenu(SHOWME_RECORD_VIEW, 40015);
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_FALSE(showMe.IsRunning());

    auto* doc = dynamic_cast<CSheepDocument*>(App().CreateUntitledDocument(true));
    ASSERT_NE(doc, nullptr);
    for (const char16_t* tattoo : {u"A100", u"B200"})
        ASSERT_GE(doc->GetCore().AddSheep(new CSheep(tattoo, SEX_EWE, &doc->GetCore()), false), 0);
    doc->GetCore().SelectSheepAt(0, true, false, nullptr);
    ASSERT_TRUE(Frame()->SwitchView(wxCLASSINFO(CFlockView)));
    Pump();
    ASSERT_EQ(showMe.GetActiveKind(), SHOWME_FLOCK_LIST);

    // Next belongs to the record view: the way to Individual Records first, then Next.
    showMe.ShowMeMenu(SHOWME_RECORD_VIEW, ID_SHEEP_NEXT);
    for (int round = 0; round < 4; ++round) ASSERT_TRUE(WaitForPointer());
    EXPECT_EQ(showMe.GetActiveKind(), SHOWME_RECORD_VIEW);
    EXPECT_EQ(doc->GetCore().GetCurrentIndex(), 1);
    EXPECT_EQ(host.Messages().size(), 1u);
}

}  // namespace
