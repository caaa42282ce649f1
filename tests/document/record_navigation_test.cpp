#include "document/record_navigation.h"

#include <gtest/gtest.h>

#include "document/doc_commands.h"
#include "document/sheep_doc.h"
#include "records/sheep.h"
#include "support/scripted_host_fixture.h"

namespace {

std::vector<RecordPageId> Fixed() {
    return {std::begin(kFixedRecordPages), std::end(kFixedRecordPages)};
}

std::vector<RecordPageId> With(std::initializer_list<RecordPageId> extra) {
    std::vector<RecordPageId> tabs = Fixed();
    tabs.insert(tabs.end(), extra);
    return tabs;
}

}  // namespace

TEST(RecordPageSet, FixedPagesInTheirOrder) {
    EXPECT_EQ(Fixed(), (std::vector<RecordPageId>{PAGE_GENERAL, PAGE_CHARTS, PAGE_HISTORY, PAGE_PICTURE, PAGE_SIGNET,
                                                  PAGE_GENETICS}));
}

// Each step moves from the tabs of one animal to those of the next.
TEST(RecordPageSet, LambingAndTuppingComeAndGoAtTheEnd) {
    const struct {
        std::vector<RecordPageId> before;
        bool lambing, tupping;
        std::vector<RecordPageId> after;
    } steps[] = {
        {Fixed(), true, false, With({PAGE_LAMBING})},
        {With({PAGE_LAMBING}), false, false, Fixed()},
        {Fixed(), true, true, With({PAGE_LAMBING, PAGE_TUPPING})},
        {With({PAGE_LAMBING, PAGE_TUPPING}), true, true, With({PAGE_LAMBING, PAGE_TUPPING})},
        {With({PAGE_LAMBING, PAGE_TUPPING}), false, true, With({PAGE_TUPPING})},
        // Lambing coming back goes behind Tupping: pages are appended, never re-ordered.
        {With({PAGE_TUPPING}), true, true, With({PAGE_TUPPING, PAGE_LAMBING})},
        {With({PAGE_TUPPING}), true, false, With({PAGE_LAMBING})},
        {With({PAGE_TUPPING, PAGE_LAMBING}), false, false, Fixed()},
    };
    for (const auto& step : steps) {
        std::vector<RecordPageId> tabs = step.before;
        ApplyPageSetChanges(tabs, PlanAttachedPages(tabs, step.lambing, step.tupping));
        EXPECT_EQ(tabs, step.after) << step.lambing << step.tupping << " from " << step.before.size() << " tabs";
    }
}

TEST(RecordPageSet, NoChangeWhenInStep) {
    EXPECT_TRUE(PlanAttachedPages(Fixed(), false, false).empty());
    EXPECT_TRUE(PlanAttachedPages(With({PAGE_LAMBING}), true, false).empty());
}

TEST(Genotype, DecisionTable) {
    const struct {
        bool leavingFirst;
        int first, second;
        GenotypeOutcome::Kind kind;
        int32_t genotype;
    } cases[] = {
        {true, 1, 4, GenotypeOutcome::Store, 0x0C},  // ARR/ARQ
        {false, 5, 5, GenotypeOutcome::Store, 45},
        {true, 0, 0, GenotypeOutcome::Store, SCRAPIE_UNKNOWN},
        {false, 0, 0, GenotypeOutcome::Store, SCRAPIE_UNKNOWN},
        {true, 2, 0, GenotypeOutcome::FocusSecond, 0},
        {true, 0, 3, GenotypeOutcome::Refuse, 0},
        {false, 2, 0, GenotypeOutcome::Refuse, 0},
        {false, 0, 3, GenotypeOutcome::Refuse, 0},
    };
    for (const auto& c : cases) {
        const GenotypeOutcome outcome = DecideGenotype(c.leavingFirst, c.first, c.second);
        EXPECT_EQ(outcome.kind, c.kind) << c.leavingFirst << c.first << c.second;
        if (c.kind == GenotypeOutcome::Store) {
            EXPECT_EQ(outcome.genotype, c.genotype);
        }
    }
}

TEST(Genotype, SplitsIntoListItems) {
    const struct {
        int32_t genotype;
        int first, second;
    } cases[] = {{0x0C, 1, 4}, {SCRAPIE_UNKNOWN, 0, 0}, {0x2D, 5, 5}, {0x37, 0, 0}};
    for (const auto& c : cases) {
        int first = -1, second = -1;
        SplitGenotype(c.genotype, &first, &second);
        EXPECT_EQ(first, c.first) << c.genotype;
        EXPECT_EQ(second, c.second) << c.genotype;
    }
}

namespace {

// The window side: counts commits and refreshes; a commit can refuse the pending edit.
class CFakePort : public IRecordViewPort {
public:
    void CommitPendingEdit() override {
        ++commits;
        if (refuseNextCommit) {
            refuseNextCommit = false;
            navigator->SetVeto();
        }
    }
    void RefreshPages() override { ++refreshes; }

    CRecordNavigator* navigator = nullptr;
    int commits = 0;
    int refreshes = 0;
    bool refuseNextCommit = false;
};

class NavigatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char16_t* tattoo : {u"A1", u"B2", u"C3", u"D4"})
            ASSERT_GE(doc->AddSheep(new CSheep(tattoo, SEX_EWE, doc.Get()), false), 0);
        nav.SetDocument(doc.Get());
        port.navigator = &nav;
    }

    CScopedScriptedHost host;
    CRefPtr<CSheepDoc> doc = CRefPtr<CSheepDoc>::Adopt(new CSheepDoc);
    CFakePort port;
    CRecordNavigator nav{port, nullptr};
};

}  // namespace

TEST_F(NavigatorTest, CommandsMoveAndPushTheHistory) {
    const struct {
        int command;
        int from, to;
    } cases[] = {
        {ID_SHEEP_PREVIOUS, -1, 3}, {ID_SHEEP_FIRST, 2, 0}, {ID_SHEEP_LAST, 0, 3},
        {ID_SHEEP_NEXT, 1, 2},      {ID_SHEEP_PREVIOUS, 2, 1},
    };
    for (const auto& c : cases) {
        doc->SelectSheepAt(c.from, false, false, nullptr);
        const int commits = port.commits;
        EXPECT_TRUE(nav.MoveByCommand(c.command)) << c.command;
        EXPECT_EQ(doc->GetCurrentIndex(), c.to) << c.command;
        EXPECT_EQ(port.commits, commits + 1);
        if (c.from >= 0) {
            EXPECT_EQ(doc->GetHistory().Entries().back(), c.from) << c.command;
        }
    }
    // Past the ends nothing moves.
    doc->SelectSheepAt(3, false, false, nullptr);
    EXPECT_FALSE(nav.MoveByCommand(ID_SHEEP_NEXT));
    doc->SelectSheepAt(0, false, false, nullptr);
    EXPECT_FALSE(nav.MoveByCommand(ID_SHEEP_PREVIOUS));

    nav.MoveToSheep(1);
    nav.MoveToSheep(2);
    nav.MoveToSheep(3);
    ASSERT_TRUE(nav.GoBack());
    EXPECT_EQ(doc->GetCurrentIndex(), 2);
}

// A refused edit stops one move, by any route; the next move goes.
TEST_F(NavigatorTest, ARefusalStopsOneMoveOnly) {
    const std::function<bool()> routes[] = {
        [&] { return nav.MoveByCommand(ID_SHEEP_NEXT); },
        [&] { return nav.MoveToSheep(3); },
        [&] { return nav.GoBack(); },
        [&] { return nav.GoToSheep(u"D4", SEX_EWE); },
    };
    for (const auto& route : routes) {
        doc->SelectSheepAt(0, false, false, nullptr);
        nav.MoveToSheep(1);  // something to go back to
        port.refuseNextCommit = true;
        EXPECT_FALSE(route());
        EXPECT_EQ(doc->GetCurrentIndex(), 1);
        EXPECT_FALSE(nav.IsVetoed());
        EXPECT_TRUE(route());
        EXPECT_NE(doc->GetCurrentIndex(), 1);
    }
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(NavigatorTest, GotoAnExistingAnimalAsksNothing) {
    doc->SelectSheepAt(0, false, false, nullptr);
    EXPECT_TRUE(nav.GoToSheep(u"c3", SEX_RAM));
    EXPECT_EQ(doc->GetCurrentIndex(), 2);
    EXPECT_EQ(doc->GetSheepCount(), 4);
    EXPECT_EQ(doc->GetHistory().Entries().back(), 0);
}

TEST_F(NavigatorTest, GotoAnUnknownTattooOffersToCreateIt) {
    // No: nothing is made.
    host.Reply(1017, IDNO);
    EXPECT_FALSE(nav.GoToSheep(u"E5", SEX_RAM));
    // Yes, then the breed's format refused and not kept: nothing is made.
    host.Reply(1017, IDYES);
    host.Reply(114, IDNO);
    EXPECT_FALSE(nav.GoToSheep(u"E5", SEX_RAM));
    EXPECT_EQ(doc->GetSheepCount(), 4);

    // Yes and keep it: the animal is made with that sex, becomes current and is shown.
    doc->SelectSheepAt(0, false, false, nullptr);
    const int refreshes = port.refreshes;
    host.Reply(1017, IDYES);
    host.Reply(114, IDYES);
    EXPECT_TRUE(nav.GoToSheep(u"E5", SEX_RAM));
    ASSERT_EQ(doc->GetSheepCount(), 5);
    CSheep* made = doc->GetCurrentSheep();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetTattoo(), u"E5");
    EXPECT_EQ(made->GetSex(), SEX_RAM);
    EXPECT_EQ(port.refreshes, refreshes + 1);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->GetHistory().Entries().back(), 0);
}

TEST_F(NavigatorTest, ARefusalAfterTheCreateQuestionMakesNothing) {
    host.Reply(1017, IDYES);
    // The first commit passes; the edit is refused at the commit made once the user said Yes.
    struct CRefuseSecond : IRecordViewPort {
        CRecordNavigator* nav = nullptr;
        int commits = 0;
        void CommitPendingEdit() override {
            if (++commits == 2) nav->SetVeto();
        }
        void RefreshPages() override {}
    } port2;
    CRecordNavigator nav2(port2, nullptr);
    nav2.SetDocument(doc.Get());
    port2.nav = &nav2;
    EXPECT_FALSE(nav2.GoToSheep(u"F6", SEX_EWE));
    EXPECT_EQ(doc->GetSheepCount(), 4);
    EXPECT_FALSE(nav2.IsVetoed());
}
