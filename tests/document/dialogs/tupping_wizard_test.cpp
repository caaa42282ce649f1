#include "breeding_fixture.h"

namespace {

using TuppingWizard = BreedingTest;

TEST_F(TuppingWizard, ANewRecordGivesTheRamAndEachEweTheirEventsAndAWaitingLambingRecord) {
    struct Case {
        int32_t method;
        const char16_t* ramWord;
        uint32_t eweCode;
    };
    for (const Case& c : {Case{TUPPING_NATURAL, u"Normal", 7}, Case{TUPPING_AI, u"A.I.", 6}}) {
        SCOPED_TRACE(WToUtf8(c.ramWord));
        const WString ram = c.method == TUPPING_AI ? u"R2" : u"R1";
        const COleDateTime in = Day(2025, 10, 1);
        Tup(ram, {u"E1", u"E3"}, in, c.method);
        EXPECT_TRUE(doc.IsModified());

        ASSERT_EQ(Animal(ram).GetTuppingCount(), 1);
        const CRamLambingData& record = *Animal(ram).GetTuppingAt(0);
        EXPECT_EQ(record.GetEwes(), (std::vector<WString>{u"E1", u"E3"}));
        EXPECT_EQ(record.GetDateIn(), in);
        EXPECT_EQ(record.GetMethod(), c.method);
        const auto ramEvents = Events(ram, EVENT_TUPPING);
        ASSERT_EQ(ramEvents.size(), 1u);
        EXPECT_EQ(ramEvents[0]->GetDate(), in);
        EXPECT_EQ(ramEvents[0]->GetParameters(), std::vector<WString>{c.ramWord});
        EXPECT_TRUE(SameDayUtc(ramEvents[0]->GetCreated(), record.GetCreated()));

        for (const char16_t* ewe : {u"E1", u"E3"}) {
            const auto events = Events(ewe, c.eweCode);
            ASSERT_EQ(events.size(), 1u);
            EXPECT_EQ(events[0]->GetDate(), in);
            EXPECT_EQ(events[0]->GetParameters(), std::vector<WString>{ram});
            ASSERT_EQ(Animal(ewe).GetLambingCount(), 1);
            const CEweLambingData& lambing = *Animal(ewe).GetLambingAt(0);
            EXPECT_EQ(lambing.GetMethod(), LAMBING_TUPPED);
            EXPECT_EQ(lambing.GetTup(), ram);
            EXPECT_EQ(lambing.GetDate().GetStatus(), COleDateTime::null);
            EXPECT_TRUE(SameDayUtc(lambing.GetCreated(), record.GetCreated()));
        }
        for (const char16_t* ewe : {u"E2", u"E4"}) EXPECT_EQ(Animal(ewe).GetLambingCount(), 0);
        for (const char16_t* ewe : {u"E1", u"E3"}) Animal(ewe).RemoveLambingAt(0);
    }
}

// A ram without records goes from the ram page straight to how and when, and back again.
TEST_F(TuppingWizard, ARamWithoutRecordsSkipsTheRecordPageBothWays) {
    TuppingRun run(doc);
    ASSERT_TRUE(run.flow.Next());
    EXPECT_EQ(run.flow.GetWizardButtons(), PSWIZB_BACK | PSWIZB_NEXT);
    // The placeholder is no ram.
    ASSERT_FALSE(run.flow.Next());
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{181});
    run.PickRam(u"R1");
    EXPECT_EQ(run.p1.m_strRamName, u"");
    ASSERT_TRUE(run.flow.Next());
    EXPECT_EQ(run.Page(), IDD_TUPPING_WIZ3);
    EXPECT_EQ(run.flow.GetWizardButtons(), PSWIZB_NEXT);
    EXPECT_EQ(run.p3.m_strSelectedRam, u"R1");
    EXPECT_EQ(run.p3.OnWizardBack(), int(IDD_TUPPING_WIZ1));
}

TEST_F(TuppingWizard, NoEweChosenAsksBeforeGoingOn) {
    TuppingRun run(doc);
    run.To4(u"R1", -1, TUPPING_NATURAL, Day(2025, 10, 1));
    EXPECT_EQ(run.p4.GetCountText(), u"0 ewe(s) selected");
    host.Reply(117, IDNO);
    EXPECT_FALSE(run.flow.Next());
    run.Check(u"E2", true);
    EXPECT_EQ(run.p4.GetCountText(), u"1 ewe(s) selected");
    run.Check(u"E2", false);
    host.Reply(117, IDYES);
    EXPECT_TRUE(run.flow.Next());
}

// A ewe put to another ram that has not lambed yet cannot be put to this one: she is shown, disabled,
// only with Show All.
TEST_F(TuppingWizard, AEweWithAnotherRamIsLockedAndShownOnlyWithShowAll) {
    Tup(u"R2", {u"E2"}, Day(2025, 9, 1));
    TuppingRun run(doc);
    run.To4(u"R1", -1, TUPPING_NATURAL, Day(2025, 10, 1));
    EXPECT_EQ(run.Ewe(u"E2"), -1);
    EXPECT_GE(run.Ewe(u"E1"), 0);
    run.p4.SetShowAll(true);
    const int e2 = run.Ewe(u"E2");
    ASSERT_GE(e2, 0);
    EXPECT_FALSE(run.p4.m_items[size_t(e2)].enabled);
    run.p4.CheckItem(e2, true);
    EXPECT_FALSE(run.p4.m_items[size_t(e2)].checked);
    // The ear-tag mode names her by tag, tabs made blanks; the EID mode by tattoo and EID.
    EXPECT_EQ(run.p4.m_items[size_t(e2)].text, u"White E2 (E2)");
    run.p4.SetDisplayMode(DISPLAY_EID);
    EXPECT_EQ(run.p4.m_items[size_t(e2)].text, u"E2 (0000000000000000)");
}

// Editing a record made on an earlier day (at 23:30 local time, the next day in UTC): a kept ewe's
// event moves, a removed ewe loses her event and waiting record, an added one gets both, on the
// record's day so that a later edit finds them again.
TEST_F(TuppingWizard, EditingAnUnlockedRecordMovesAddsAndRemovesEwes) {
    Tup(u"R1", {u"E1", u"E2"}, Day(2025, 10, 1));
    // 23:30 in the tests' time zone, three hours west of UTC, is 02:30 UTC on the next day.
    const COleDateTime made = Day(2025, 10, 2, 2) + COleDateTimeSpan(0, 0, 30, 0);
    MakeRecordAt(u"R1", 0, made);

    {
        TuppingRun run(doc);
        run.To4(u"R1", 0, TUPPING_NATURAL, Day(2025, 10, 5));
        EXPECT_TRUE(run.wiz.m_bEditing);
        EXPECT_EQ(run.wiz.m_nLocked, 0);
        run.Check(u"E1", false);
        run.Check(u"E3", true);
        run.Finish(doc);
    }
    const CRamLambingData& record = *Animal(u"R1").GetTuppingAt(0);
    EXPECT_EQ(Animal(u"R1").GetTuppingCount(), 1);
    EXPECT_EQ(record.GetEwes(), (std::vector<WString>{u"E2", u"E3"}));
    EXPECT_EQ(record.GetDateIn(), Day(2025, 10, 5));
    ASSERT_EQ(Events(u"R1", EVENT_TUPPING).size(), 1u);
    EXPECT_EQ(Events(u"R1", EVENT_TUPPING)[0]->GetDate(), Day(2025, 10, 5));

    EXPECT_TRUE(Events(u"E1", EVENT_TUPPED).empty());
    EXPECT_EQ(Animal(u"E1").GetLambingCount(), 0);
    for (const char16_t* ewe : {u"E2", u"E3"}) {
        ASSERT_EQ(Events(ewe, EVENT_TUPPED).size(), 1u) << WToUtf8(ewe);
        EXPECT_EQ(Events(ewe, EVENT_TUPPED)[0]->GetDate(), Day(2025, 10, 5));
        ASSERT_EQ(Animal(ewe).GetLambingCount(), 1);
        EXPECT_TRUE(SameDayUtc(Animal(ewe).GetLambingAt(0)->GetCreated(), made));
    }

    // A second edit finds the ewe added by the first and takes her out again; A.I. now.
    {
        TuppingRun run(doc);
        run.To4(u"R1", 0, TUPPING_AI, Day(2025, 10, 6));
        run.Check(u"E3", false);
        run.Finish(doc);
    }
    EXPECT_EQ(record.GetEwes(), std::vector<WString>{u"E2"});
    EXPECT_EQ(Animal(u"E3").GetLambingCount(), 0);
    EXPECT_TRUE(Events(u"E3", EVENT_TUPPED).empty());
    EXPECT_TRUE(Events(u"E2", EVENT_TUPPED).empty());
    ASSERT_EQ(Events(u"E2", EVENT_INSEMINATED).size(), 1u);
    EXPECT_EQ(Events(u"E2", EVENT_INSEMINATED)[0]->GetDate(), Day(2025, 10, 6));
    EXPECT_EQ(Events(u"R1", EVENT_TUPPING)[0]->GetParameters(), std::vector<WString>{u"A.I."});
    EXPECT_EQ(host.Messages().size(), 0u);
}

// Once a ewe of the record has lambed the record is only shown: nothing can be changed, and
// Finish changes nothing.
TEST_F(TuppingWizard, ALockedRecordIsShownButNotChanged) {
    Tup(u"R1", {u"E1", u"E2"}, Day(2025, 10, 1));
    Animal(u"E1").GetLambingAt(0)->SetMethod(LAMBING_NORMAL);
    TuppingRun run(doc);
    run.To4(u"R1", 0, TUPPING_NATURAL, Day(2025, 10, 1));
    EXPECT_EQ(run.wiz.m_nLocked, 1);
    EXPECT_FALSE(run.p3.m_bEnabled);
    for (const auto& item : run.p4.m_items) EXPECT_FALSE(item.enabled) << WToUtf8(item.tattoo);
    run.p4.CheckItem(run.Ewe(u"E1"), false);
    run.Finish(doc);
    EXPECT_EQ(Animal(u"R1").GetTuppingAt(0)->GetEwes(), (std::vector<WString>{u"E1", u"E2"}));
    EXPECT_EQ(Events(u"E1", EVENT_TUPPED).size(), 1u);
    EXPECT_EQ(Animal(u"E1").GetLambingCount(), 1);
}

// The same ewe in two records of one ram made on one day: neither record can be told apart by its
// day, so an edit touches neither ewe's events.
TEST_F(TuppingWizard, AEweInTwoRecordsOfOneDayKeepsEachRecordsOwnEvent) {
    Tup(u"R1", {u"E1"}, Day(2025, 10, 1));
    Tup(u"R1", {u"E1"}, Day(2025, 11, 1));
    ASSERT_EQ(Animal(u"E1").GetLambingCount(), 2);
    TuppingRun run(doc);
    run.To4(u"R1", 1, TUPPING_NATURAL, Day(2025, 11, 9));
    EXPECT_EQ(run.wiz.m_nLocked, 1);
    run.Finish(doc);
    const auto events = Events(u"E1", EVENT_TUPPED);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0]->GetDate(), Day(2025, 10, 1));
    EXPECT_EQ(events[1]->GetDate(), Day(2025, 11, 1));
    EXPECT_EQ(Animal(u"R1").GetTuppingAt(1)->GetDateIn(), Day(2025, 11, 1));
}

// A ram set up in the wizard goes again when the wizard is cancelled; nothing else changes.
TEST_F(TuppingWizard, CancelAfterSettingUpANewRamDeletesHim) {
    TuppingRun run(doc);
    run.wiz.m_newRam = [&](WString* tattoo) {
        auto* ram = new CSheep(u"R9", SEX_RAM, &doc);
        if (doc.AddSheep(ram, false) < 0) return false;
        *tattoo = u"R9";
        return true;
    };
    ASSERT_TRUE(run.flow.Next());
    run.p1.ClickNew();
    EXPECT_EQ(run.flow.GetWizardButtons(), PSWIZB_NEXT);
    ASSERT_TRUE(run.flow.Next());
    EXPECT_EQ(run.Page(), IDD_TUPPING_WIZ3);
    EXPECT_EQ(run.p3.m_strSelectedRam, u"R9");
    ASSERT_NE(doc.FindSheep(u"R9"), nullptr);
    ASSERT_TRUE(run.flow.Cancel());
    ApplyTuppingWizard(doc, run.wiz, run.flow.GetResult());
    EXPECT_EQ(doc.FindSheep(u"R9"), nullptr);
    EXPECT_EQ(doc.GetSheepCount(), 6);
    for (const char16_t* ewe : {u"E1", u"E2", u"E3", u"E4"}) EXPECT_EQ(Animal(ewe).GetLambingCount(), 0);
}

TEST_F(TuppingWizard, FinishWithoutTheRamReportsAndChangesNothing) {
    TuppingRun run(doc);
    run.To4(u"R1", -1, TUPPING_NATURAL, Day(2025, 10, 1));
    run.Check(u"E1", true);
    doc.DeleteSheep([&] {
        int i = -1;
        doc.FindSheepIndex(u"R1", &i);
        return i;
    }());
    run.Finish(doc);
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.Messages()[0].text, u"Could not find ram!");
    EXPECT_EQ(Animal(u"E1").GetLambingCount(), 0);
}

}  // namespace
