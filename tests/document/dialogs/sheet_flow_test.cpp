// The sheet layer's flow: jumps, button states, refusals, and which pages are applied.
#include "document/sheet_flow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A page whose answers the test sets, and which logs what the sheet asks of it.
class ScriptPage : public CSheetPage {
public:
    ScriptPage(unsigned id, std::vector<std::string>* log) : CSheetPage(id), m_log(log) {}
    int next = WIZ_NEXT;
    int back = WIZ_NEXT;
    bool leave = true;
    bool apply = true;
    bool finish = true;
    bool cancel = true;

    void OnSetActive() override { Log("set"); }
    bool OnKillActive() override { return Log("kill"), leave; }
    int OnWizardBack() override { return Log("back"), back; }
    int OnWizardNext() override { return Log("next"), next; }
    bool OnWizardFinish() override { return Log("finish"), finish; }
    bool OnApply() override { return Log("apply"), apply; }
    void OnReset() override { Log("reset"); }
    bool OnQueryCancel() override { return Log("querycancel"), cancel; }

private:
    void Log(const char* what) { m_log->push_back(std::to_string(GetTemplateId()) + ":" + what); }
    std::vector<std::string>* m_log;
};

// Records what a view would be told.
class RecordingView : public ISheetView {
public:
    std::vector<std::string> events;
    void OnPageInserted(int index, CSheetPage* page) override {
        events.push_back("insert " + std::to_string(index) + " " + std::to_string(page->GetTemplateId()));
    }
    void OnPageRemoved(int index, CSheetPage*) override {
        events.push_back("remove " + std::to_string(index));
    }
    void OnActivePageChanged(int index, CSheetPage*) override {
        events.push_back("show " + std::to_string(index));
    }
    void OnButtonsChanged(unsigned buttons) override {
        events.push_back("buttons " + std::to_string(buttons));
    }
    void OnSheetEnded(int result) override { events.push_back("end " + std::to_string(result)); }
};

struct Fixture {
    std::vector<std::string> log;
    ScriptPage a{10, &log}, b{20, &log}, c{30, &log}, d{40, &log};
    CSheetFlow flow;
    explicit Fixture(bool wizard) : flow(wizard) {
        for (ScriptPage* p : {&a, &b, &c, &d}) flow.AddPage(p);
        flow.Start();
        log.clear();
    }
    unsigned Active() const { return flow.GetActivePage() ? flow.GetActivePage()->GetTemplateId() : 0; }
};

TEST(SheetFlow, NextAndBackFollowTheHandlers) {
    struct Case {
        const char* what;
        int fromIndex;
        bool next;  // else Back
        int answer;
        bool leave;
        unsigned buttons;
        bool moved;
        unsigned landsOn;
    };
    const Case cases[] = {
        {"next in order", 0, true, WIZ_NEXT, true, PSWIZB_BACK | PSWIZB_NEXT, true, 20},
        {"next jumps by id", 0, true, 40, true, PSWIZB_NEXT, true, 40},
        {"next jumps back by id", 3, true, 20, true, PSWIZB_NEXT, true, 20},
        {"next stays", 1, true, WIZ_STAY, true, PSWIZB_NEXT, false, 20},
        {"next to an unknown id stays", 1, true, 99, true, PSWIZB_NEXT, false, 20},
        {"next past the last page stays", 3, true, WIZ_NEXT, true, PSWIZB_NEXT, false, 40},
        {"next refused by the page", 1, true, WIZ_NEXT, false, PSWIZB_NEXT, false, 20},
        {"next while disabled", 1, true, WIZ_NEXT, true, PSWIZB_BACK, false, 20},
        {"next while Finish shows", 1, true, WIZ_NEXT, true, PSWIZB_NEXT | PSWIZB_FINISH, false, 20},
        {"next while Finish shows disabled", 1, true, WIZ_NEXT, true, PSWIZB_NEXT | PSWIZB_DISABLEDFINISH,
         false, 20},
        {"back in order", 2, false, WIZ_NEXT, true, PSWIZB_BACK, true, 20},
        {"back jumps by id", 3, false, 10, true, PSWIZB_BACK, true, 10},
        {"back stays", 2, false, WIZ_STAY, true, PSWIZB_BACK, false, 30},
        {"back before the first page stays", 0, false, WIZ_NEXT, true, PSWIZB_BACK, false, 10},
        {"back refused by the page", 2, false, WIZ_NEXT, false, PSWIZB_BACK, false, 30},
        {"back while disabled", 2, false, WIZ_NEXT, true, PSWIZB_NEXT, false, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f(true);
        ASSERT_TRUE(f.flow.SetActivePage(c.fromIndex));
        auto* page = static_cast<ScriptPage*>(f.flow.GetActivePage());
        (c.next ? page->next : page->back) = c.answer;
        page->leave = c.leave;
        f.flow.SetWizardButtons(c.buttons);
        EXPECT_EQ(c.next ? f.flow.Next() : f.flow.Back(), c.moved);
        EXPECT_EQ(f.Active(), c.landsOn);
        EXPECT_FALSE(f.flow.IsEnded());
    }
}

TEST(SheetFlow, ThePageIsAskedToLeaveBeforeItsHandlerRuns) {
    Fixture f(true);
    f.a.leave = false;
    EXPECT_FALSE(f.flow.Next());
    EXPECT_EQ(f.log, (std::vector<std::string>{"10:kill"}));
    f.a.leave = true;
    f.log.clear();
    EXPECT_TRUE(f.flow.Next());
    EXPECT_EQ(f.log, (std::vector<std::string>{"10:kill", "10:next", "20:set"}));
}

TEST(SheetFlow, FinishNeedsTheEnabledButtonAndThePagesConsent) {
    Fixture f(true);
    f.flow.SetWizardButtons(PSWIZB_BACK | PSWIZB_DISABLEDFINISH);
    EXPECT_FALSE(f.flow.Finish());
    f.flow.SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
    f.a.leave = false;
    EXPECT_FALSE(f.flow.Finish());
    f.a.leave = true;
    f.a.finish = false;
    EXPECT_FALSE(f.flow.Finish());
    EXPECT_FALSE(f.flow.IsEnded());
    f.a.finish = true;
    EXPECT_TRUE(f.flow.Finish());
    EXPECT_EQ(f.flow.GetResult(), ID_WIZFINISH);
    // A finished wizard takes no more buttons, and nothing was applied.
    EXPECT_FALSE(f.flow.Next());
    EXPECT_FALSE(f.flow.Cancel());
    for (const auto& line : f.log) EXPECT_EQ(line.find("apply"), std::string::npos);
}

TEST(SheetFlow, CancelResetsOnlyShownPagesAndCanBeRefused) {
    Fixture f(true);
    f.flow.Next();  // 10 -> 20
    f.b.cancel = false;
    f.log.clear();
    EXPECT_FALSE(f.flow.Cancel());
    f.b.cancel = true;
    f.log.clear();
    EXPECT_TRUE(f.flow.Cancel());
    EXPECT_EQ(f.log, (std::vector<std::string>{"20:querycancel", "10:reset", "20:reset"}));
    EXPECT_EQ(f.flow.GetResult(), SHEET_CANCEL);
}

TEST(SheetFlow, OkAppliesOnlyPagesThatWereShown) {
    Fixture f(false);
    ASSERT_TRUE(f.flow.SetActivePage(2));
    f.log.clear();
    EXPECT_TRUE(f.flow.Ok());
    EXPECT_EQ(f.log, (std::vector<std::string>{"30:kill", "10:apply", "30:apply"}));
    EXPECT_EQ(f.flow.GetResult(), SHEET_OK);
}

TEST(SheetFlow, ARefusedApplyKeepsTheSheetOpenOnThatPage) {
    Fixture f(false);
    ASSERT_TRUE(f.flow.SetActivePage(2));
    f.a.apply = false;
    EXPECT_FALSE(f.flow.Ok());
    EXPECT_EQ(f.Active(), 10u);
    EXPECT_FALSE(f.flow.IsEnded());
}

TEST(SheetFlow, ATabChangeNeedsTheActivePagesConsent) {
    Fixture f(false);
    f.a.leave = false;
    EXPECT_FALSE(f.flow.SetActivePage(1));
    EXPECT_EQ(f.Active(), 10u);
    EXPECT_FALSE(f.flow.Ok());
    // Wizard buttons do nothing on an ordinary sheet.
    f.a.leave = true;
    EXPECT_FALSE(f.flow.Next());
    EXPECT_FALSE(f.flow.Finish());
}

TEST(SheetFlow, PagesComeAndGoWhileTheSheetRuns) {
    std::vector<std::string> log;
    RecordingView view;
    CSheetFlow flow(true);
    flow.SetView(&view);
    ScriptPage a(10, &log), c(30, &log);
    flow.AddPage(&a);
    flow.AddPage(&c);
    flow.Start();
    {
        ScriptPage b(20, &log);
        flow.InsertPage(1, &b);
        EXPECT_EQ(flow.FindPageById(20), 1);
        EXPECT_TRUE(flow.Next());
        EXPECT_EQ(flow.GetActivePage(), &b);
        // A page added before the active one keeps the same page active.
        ScriptPage z(5, &log);
        flow.InsertPage(0, &z);
        EXPECT_EQ(flow.GetActivePage(), &b);
        flow.RemovePage(&z);
    }  // a deleted page leaves its sheet: none is active now
    EXPECT_EQ(flow.GetPageCount(), 2);
    EXPECT_EQ(flow.GetActiveIndex(), -1);
    EXPECT_FALSE(flow.Next());
    EXPECT_EQ(view.events, (std::vector<std::string>{"insert 0 10", "insert 1 30", "buttons 3", "show 0",
                                                     "insert 1 20", "buttons 3", "show 1", "insert 0 5",
                                                     "remove 0", "remove 1", "show -1"}));
}

}  // namespace
