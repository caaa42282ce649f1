#include "document/lambing_wizard.h"

#include "breeding_fixture.h"
#include "platform/settings.h"

namespace {

struct LambingRun {
    explicit LambingRun(CSheepDoc& doc)
        : wiz(&doc),
          pa(&wiz),
          p0(&wiz),
          p1(&wiz, DISPLAY_TATTOO),
          p2(&wiz),
          p3(&wiz),
          p4(&wiz),
          p5(&wiz),
          p6(&wiz) {
        flow.AddPage(&pa);
        if (NeedsColourPage(doc)) flow.AddPage(&p0);
        for (CSheetPage* page : std::initializer_list<CSheetPage*>{&p1, &p2, &p3, &p4, &p5, &p6})
            flow.AddPage(page);
        p0.Initialise();
        p1.Initialise();
        p5.Initialise();
        flow.Start();
    }
    unsigned Page() const { return flow.GetActivePage()->GetTemplateId(); }
    void PickEwe(const WString& tattoo) {
        for (size_t i = 0; i < p1.m_items.size(); ++i)
            if (p1.m_items[i].tattoo == tattoo) return p1.SelectItem(int(i));
        FAIL() << "not listed: " << WToUtf8(tattoo);
    }
    // Welcome, the ewe, how she lambed and when.
    void Lambed(const WString& ewe, int how, const COleDateTime& date) {
        ASSERT_TRUE(flow.Next());
        ASSERT_EQ(Page(), IDD_LAMBING_WIZ1);
        PickEwe(ewe);
        ASSERT_TRUE(flow.Next());
        ASSERT_EQ(Page(), IDD_LAMBING_WIZ2);
        p2.SetHowBorn(how);
        p2.m_date = date;
    }
    // The lamb page's fields, then Next.
    void Describe(int sex, const WString& weight, const WString& name = u"") {
        ASSERT_EQ(Page(), IDD_LAMBING_WIZ5);
        p5.m_nSex = sex;
        p5.m_strWeight = weight;
        p5.m_strName = name;
        ASSERT_TRUE(flow.Next());
    }
    void Finish(CSheepDoc& doc) {
        ASSERT_EQ(Page(), IDD_LAMBING_WIZ6);
        ASSERT_TRUE(flow.Finish());
        ApplyLambingWizard(doc, wiz);
    }

    CLambingWizard wiz;
    CLambingWizardAModel pa;
    CLambingWizard0Model p0;
    CLambingWizard1Model p1;
    CLambingWizard2Model p2;
    CLambingWizard3Model p3;
    CLambingWizard4Model p4;
    CLambingWizard5Model p5;
    CLambingWizard6Model p6;
    CSheetFlow flow{true};
};

class LambingWizard : public BreedingTest {
protected:
    void SetUp() override {
        BreedingTest::SetUp();
        CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u"lb");
        CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Show All", 0);
        doc.SetAttribute(FARM_EARTAG_TEMPLATE, u"UK{yy}{nnn}");
        // The year already has its colour: the colour page is left out.
        doc.GetStores().YearColours()[CurrentLambingYear()] = u"Blue";
        Tup(u"R1", {u"E1", u"E2"}, tupped);
        doc.SetModifiedFlag(false);
    }
    COleDateTime Due(int days = 0) const { return tupped + COleDateTimeSpan(147 + days, 0, 0, 0); }
    // "nnn/yy" of a lambing in the due year.
    WString LambTattoo(int n) const { return FormatW("%03d/%02d", n, Due().GetYear() % 100); }

    // Two live lambs (the next number, then a custom one) and a dead one, born normally when due.
    void TwoLiveAndOneDead() {
        LambingRun run(doc);
        run.Lambed(u"E1", LAMBING_NORMAL, Due());
        ASSERT_TRUE(run.flow.Next());
        run.p3.m_nLambs = 3;
        ASSERT_TRUE(run.flow.Next());
        ASSERT_EQ(run.Page(), IDD_LAMBING_WIZ4);
        EXPECT_EQ(run.p4.m_strNextNumber, u"001");
        ASSERT_TRUE(run.flow.Next());
        run.Describe(0, u"4.5");
        run.p4.SetCustomNumber(7);
        ASSERT_TRUE(run.flow.Next());
        run.Describe(1, u"5", u"Hector");
        run.p4.Choose(CLambingWizard4Model::DEAD);
        ASSERT_TRUE(run.flow.Next());
        run.Describe(0, u"2");
        run.Finish(doc);
    }

    const COleDateTime tupped = Day(2025, 10, 1);
};

TEST_F(LambingWizard, TwoLiveLambsAndOneDeadBecomeTwoAnimalsWithTheirEvents) {
    TwoLiveAndOneDead();
    const CEweLambingData& record = *Animal(u"E1").GetLambingAt(0);
    EXPECT_EQ(record.GetMethod(), LAMBING_NORMAL);
    EXPECT_EQ(record.GetDate(), Due());
    ASSERT_EQ(record.GetLambCount(), 3);
    EXPECT_EQ(record.GetLambAt(0)->GetTattoo(), LambTattoo(1));
    EXPECT_EQ(record.GetLambAt(1)->GetTattoo(), LambTattoo(7));
    EXPECT_EQ(record.GetLambAt(2)->GetTattoo(), u"Dead");
    ASSERT_EQ(Events(u"E1", EVENT_LAMBED).size(), 1u);
    EXPECT_EQ(Events(u"E1", EVENT_LAMBED)[0]->GetDate(), Due());

    struct Lamb {
        int number;
        int32_t sex;
        const char16_t* name;
        const char16_t* stored;  // the birth weight as stored: entered in lb, times 2.12
    };
    const WString year = FormatW("%02d", Due().GetYear() % 100);
    for (const Lamb& l : {Lamb{1, 0, u"", u"9.54"}, Lamb{7, 1, u"Hector", u"10.6"}}) {
        SCOPED_TRACE(l.number);
        CSheep* lamb = doc.FindSheep(LambTattoo(l.number));
        ASSERT_NE(lamb, nullptr);
        EXPECT_EQ(lamb->GetSex(), l.sex);
        EXPECT_EQ(lamb->GetSire(), u"R1");
        EXPECT_EQ(lamb->GetDam(), u"E1");
        EXPECT_EQ(lamb->GetName(), l.name);
        EXPECT_EQ(lamb->GetOneOf(), 3);
        EXPECT_EQ(lamb->GetDateofBirth(), Due());
        const auto born = Events(LambTattoo(l.number), EVENT_BORN);
        ASSERT_EQ(born.size(), 1u);
        EXPECT_EQ(born[0]->GetParameters(), std::vector<WString>{u"Normal"});
        const auto weighed = Events(LambTattoo(l.number), EVENT_WEIGHED);
        ASSERT_EQ(weighed.size(), 1u);
        EXPECT_EQ(weighed[0]->GetParameters(), std::vector<WString>{l.stored});
        // The year's colour from the document, the number from the farm's template.
        const auto tagged = Events(LambTattoo(l.number), EVENT_RETAG);
        ASSERT_EQ(tagged.size(), 1u);
        const WString number = u"UK" + year + FormatW("%03d", l.number);
        EXPECT_EQ(tagged[0]->GetParameters(), (std::vector<WString>{u"Blue", number}));
        EXPECT_EQ(lamb->GetEartagColour(), u"Blue");
        EXPECT_EQ(lamb->GetEartagNumber(), number);
    }
    EXPECT_EQ(doc.GetSheepCount(), 8);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(LambingWizard, DidNotLambGoesToTheEndAndAddsNoEvents) {
    LambingRun run(doc);
    run.Lambed(u"E2", LAMBING_FAILED, Due());
    ASSERT_TRUE(run.flow.Next());
    EXPECT_EQ(run.Page(), IDD_LAMBING_WIZ6);
    EXPECT_EQ(run.p6.OnWizardBack(), int(IDD_LAMBING_WIZ2));
    run.Finish(doc);
    EXPECT_EQ(Animal(u"E2").GetLambingAt(0)->GetMethod(), LAMBING_FAILED);
    EXPECT_EQ(Animal(u"E2").GetLambingAt(0)->GetLambCount(), 0);
    EXPECT_TRUE(Events(u"E2", EVENT_LAMBED).empty());
    EXPECT_EQ(doc.GetSheepCount(), 6);
}

// The lambing date against the tupping date and 147 days: three days either way pass, four ask.
TEST_F(LambingWizard, TheGestationCheckAsksBeyondThreeDays) {
    struct Case {
        int days;
        bool asks;
    };
    for (const Case& c : {Case{0, false}, Case{3, false}, Case{-3, false}, Case{4, true}, Case{-4, true}}) {
        SCOPED_TRACE(c.days);
        LambingRun run(doc);
        run.Lambed(u"E1", LAMBING_CESARIAN, Due(c.days));
        if (c.asks) {
            host.Reply(57, IDNO);
            EXPECT_FALSE(run.flow.Next());
            EXPECT_EQ(run.p2.m_nFocus, IDC_LAMB_DATE);
            host.Reply(57, IDYES);
        }
        EXPECT_TRUE(run.flow.Next());
        EXPECT_EQ(run.Page(), IDD_LAMBING_WIZ3);
        ASSERT_TRUE(run.flow.Cancel());
    }
    // Cancel changed nothing.
    EXPECT_EQ(Animal(u"E1").GetLambingAt(0)->GetMethod(), LAMBING_TUPPED);
    EXPECT_FALSE(doc.IsModified());
}

// A number already given to a lamb of this run, or one whose tattoo an animal has, is refused.
TEST_F(LambingWizard, NumbersInUseAreRefused) {
    TwoLiveAndOneDead();
    LambingRun run(doc);
    run.Lambed(u"E2", LAMBING_NORMAL, Due());
    ASSERT_TRUE(run.flow.Next());
    run.p3.m_nLambs = 2;
    ASSERT_TRUE(run.flow.Next());
    // E1's lambs are 1 and 7: the next free number follows the highest.
    EXPECT_EQ(run.p4.m_strNextNumber, u"008");
    struct Case {
        int number;
        bool refused;
    };
    for (const Case& c : {Case{7, true}, Case{1, true}, Case{2, false}}) {
        SCOPED_TRACE(c.number);
        host.Clear();
        run.p4.SetCustomNumber(c.number);
        EXPECT_EQ(run.flow.Next(), !c.refused);
        if (c.refused) {
            ASSERT_EQ(host.MessageIds(), std::vector<unsigned>{108});
            EXPECT_EQ(host.Messages()[0].text, FormatW("The code %d is already in use", c.number));
        }
    }
    // Lamb 002 of this run now holds 2.
    run.Describe(0, u"3");
    host.Clear();
    run.p4.SetCustomNumber(2);
    EXPECT_FALSE(run.flow.Next());
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{108});
    // A custom number below 1 gives no Next.
    run.p4.SetCustomNumber(0);
    EXPECT_EQ(run.flow.GetWizardButtons(), PSWIZB_BACK);
}

// A second run over a lambed ewe: the lambing event and the lambs' births move to the new date; a
// deleted lamb's animal goes at Finish and both lamb counts drop.
TEST_F(LambingWizard, ASecondRunMovesTheEventsAndDeletesALamb) {
    TwoLiveAndOneDead();
    // Edited stamps are whole seconds: the first run is made to lie in the past.
    Animal(u"E1").GetLambingAt(0)->SetEdited(Day(2025, 1, 1));
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Show All", 1);
    LambingRun run(doc);
    run.Lambed(u"E1", LAMBING_NORMAL, Due(1));
    ASSERT_TRUE(run.flow.Next());
    EXPECT_EQ(run.wiz.m_nLambsExisting, 3);
    EXPECT_EQ(run.p3.m_nLambs, 3);
    ASSERT_TRUE(run.flow.Next());
    // Existing lambs go straight to their details.
    ASSERT_EQ(run.Page(), IDD_LAMBING_WIZ5);
    EXPECT_EQ(run.p5.m_strLamb, LambTattoo(1));
    EXPECT_TRUE(run.p5.m_bDeleteShown);
    EXPECT_EQ(run.p5.m_strWeight, u"4.50");
    host.Reply(1, IDYES);
    run.p5.DeleteLamb();
    EXPECT_EQ(run.wiz.m_nLambsWanted, 2);
    EXPECT_EQ(run.wiz.m_nLambsExisting, 2);
    // Back from the first lamb leads to the number page.
    EXPECT_EQ(run.Page(), IDD_LAMBING_WIZ3);
    ASSERT_TRUE(run.flow.Next());
    EXPECT_EQ(run.p5.m_strLamb, LambTattoo(7));
    EXPECT_EQ(run.p5.m_strName, u"Hector");
    // The next existing lamb is loaded on the same page.
    EXPECT_FALSE(run.flow.Next());
    EXPECT_EQ(run.p5.m_strLamb, u"Dead");
    ASSERT_TRUE(run.flow.Next());
    run.Finish(doc);

    EXPECT_EQ(doc.FindSheep(LambTattoo(1)), nullptr);
    const CEweLambingData& record = *Animal(u"E1").GetLambingAt(0);
    ASSERT_EQ(record.GetLambCount(), 2);
    ASSERT_EQ(Events(u"E1", EVENT_LAMBED).size(), 1u);
    EXPECT_EQ(Events(u"E1", EVENT_LAMBED)[0]->GetDate(), Due(1));
    CSheep& hector = Animal(LambTattoo(7));
    EXPECT_EQ(hector.GetOneOf(), 2);
    EXPECT_EQ(hector.GetDateofBirth(), Due(1));
    ASSERT_EQ(Events(LambTattoo(7), EVENT_BORN).size(), 1u);
    EXPECT_EQ(Events(LambTattoo(7), EVENT_BORN)[0]->GetDate(), Due(1));
    EXPECT_EQ(hector.GetName(), u"Hector");
}

// A ram lamb needs a name, every lamb a sex and a weight; the unit radios re-express the weight.
TEST_F(LambingWizard, TheLambPageChecksItsFieldsInOrder) {
    LambingRun run(doc);
    run.Lambed(u"E2", LAMBING_NORMAL, Due());
    ASSERT_TRUE(run.flow.Next());
    run.p3.m_nLambs = 1;
    ASSERT_TRUE(run.flow.Next());
    ASSERT_TRUE(run.flow.Next());
    struct Case {
        int sex;
        const char16_t* weight;
        const char16_t* name;
        unsigned message;
        int focus;
    };
    for (const Case& c :
         {Case{-1, u"3", u"", 1051, IDC_LAMB_SEX}, Case{0, u"", u"", 122, IDC_LAMB_WEIGHT},
          Case{0, u"x", u"", 122, IDC_LAMB_WEIGHT}, Case{1, u"3", u"", 1052, IDC_LAMB_NAME}}) {
        host.Clear();
        run.p5.m_nSex = c.sex;
        run.p5.m_strWeight = c.weight;
        run.p5.m_strName = c.name;
        EXPECT_FALSE(run.flow.Next());
        EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{c.message});
        EXPECT_EQ(run.p5.m_nFocus, c.focus);
    }
    run.p5.m_strWeight = u"2.12";
    run.p5.ClickUnit(false);
    EXPECT_EQ(run.p5.m_strWeight, u"4.49");
    run.p5.ClickUnit(true);
    EXPECT_EQ(run.p5.m_strWeight, u"2.12");
    ASSERT_TRUE(run.flow.Cancel());
}

// With Show All off a ewe that has lambed is not listed; with it on she is, marked as lambed.
TEST_F(LambingWizard, LambedEwesAreListedOnlyWithShowAll) {
    TwoLiveAndOneDead();
    LambingRun run(doc);
    ASSERT_TRUE(run.flow.Next());
    std::vector<WString> listed;
    for (const auto& item : run.p1.m_items) listed.push_back(item.tattoo);
    EXPECT_EQ(listed, std::vector<WString>{u"E2"});
    EXPECT_EQ(run.flow.GetWizardButtons(), PSWIZB_BACK);
    run.p1.SetShowAll(true);
    ASSERT_EQ(run.p1.m_items.size(), 2u);
    EXPECT_TRUE(run.p1.m_items[0].lambed);
    EXPECT_FALSE(run.p1.m_items[1].lambed);
    run.p1.SelectItem(1);
    EXPECT_EQ(run.p1.m_strRanWith, u"R1");
}

// A year without a colour shows the colour page; the colour typed there reaches the document only
// with Finish.
TEST_F(LambingWizard, TheColourPageShowsForAYearWithoutAColourAndCancelKeepsNone) {
    doc.GetStores().YearColours().clear();
    {
        LambingRun run(doc);
        ASSERT_TRUE(run.flow.Next());
        ASSERT_EQ(run.Page(), IDD_LAMBING_WIZ0);
        run.p0.m_strColour = u"Green";
        run.p0.ColourLeft();
        ASSERT_TRUE(run.flow.Next());
        EXPECT_EQ(run.wiz.m_strColour, u"Green");
        ASSERT_TRUE(run.flow.Cancel());
    }
    EXPECT_TRUE(doc.GetStores().YearColours().empty());
    EXPECT_FALSE(doc.IsModified());
}

}  // namespace
