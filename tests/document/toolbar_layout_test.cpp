#include "document/toolbar_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "document/bar_rules.h"

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
        {{500, 100}, 10, 90, 30, 110},  // level, leftwards
        {{40, 600}, 30, 10, 50, 30},    // straight up
        {{0, 0}, 300, 200, 301, 201},   // a one-pixel target
        {{0, 0}, 300, 200, 300, 200},   // an empty one: the walk still ends
        {{400, 5}, 30, 40, 10, 20},     // corners given the wrong way round
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

}  // namespace
