#include "records/criteria.h"

#include <gtest/gtest.h>

#include "collection_document.h"
#include "platform/testing/scripted_host.h"

namespace {

const COleDateTime kDay(2003, 7, 15, 0, 0, 0);

COleDateTime DaysFrom(const COleDateTime& day, double days) {
    return COleDateTime(day.m_dt + days);
}

class CriteriaTest : public ::testing::Test {
protected:
    void TearDown() override { BornOnFarmAnswers().clear(); }

    CSheep* Animal(const char16_t* tattoo, std::initializer_list<std::pair<double, uint32_t>> events,
                   int32_t sex = SEX_EWE) {
        CSheep* s = doc_.Add(tattoo, sex);
        for (const auto& [offset, code] : events) {
            auto* e = code == EVENT_SOLD || code == EVENT_PURCHASED || code == 21 || code == 19 || code == 20
                          ? new CEvent(DaysFrom(kDay, offset), code, u"Market")
                          : new CEvent(DaysFrom(kDay, offset), code);
            s->AddEvent(e, false);
        }
        return s;
    }
    CSheep* Born(const char16_t* tattoo, double daysBeforeDate, int32_t sex = SEX_EWE) {
        CSheep* s = doc_.Add(tattoo, sex);
        COleDateTime dob = DaysFrom(criteria_.m_dtDate, -daysBeforeDate);
        s->SetFieldValue(SF_DATE_OF_BIRTH, &dob);
        return s;
    }

    CScriptedHost host_;
    CCvlHostScope scope_{host_};
    CFakeAutomationDocument doc_;
    CCriteria criteria_;
};

TEST_F(CriteriaTest, DefaultIsEverythingOnTheFarmNow) {
    const COleDateTime before = COleDateTime::GetCurrentTime();
    CCriteria c;
    EXPECT_EQ(c.m_nType, CRITERIA_ON_FARM);
    EXPECT_EQ(c.m_dtDate.GetStatus(), COleDateTime::valid);
    EXPECT_TRUE(before <= c.m_dtDate && c.m_dtDate <= COleDateTime::GetCurrentTime());
    EXPECT_TRUE(c.m_bRams && c.m_bEwes && c.m_bAdults && c.m_bShearlings && c.m_bLambs);
    CObject* made = RUNTIME_CLASS(CCriteria)->CreateObject();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CCriteria)));
    made->Release();
}

TEST_F(CriteriaTest, OnTheFarmFollowsMovementsUpToAndIncludingTheDate) {
    criteria_.m_nType = CRITERIA_ON_FARM;
    criteria_.m_dtDate = kDay;
    BornOnFarmAnswers()[u"BRED"] = 1;
    BornOnFarmAnswers()[u"BREDSOLD"] = 1;
    const struct {
        const char16_t* tattoo;
        std::initializer_list<std::pair<double, uint32_t>> events;
        bool in;
    } cases[] = {
        {u"BOUGHTONDAY", {{0, EVENT_PURCHASED}}, true},
        {u"BOUGHTNEXTDAY", {{1, EVENT_PURCHASED}}, false},
        {u"ARRIVED", {{-9, 19}}, true},
        {u"SOLDONDAY", {{-9, EVENT_PURCHASED}, {0, EVENT_SOLD}}, false},
        {u"SOLDNEXTDAY", {{-9, EVENT_PURCHASED}, {1, EVENT_SOLD}}, true},
        {u"DIED", {{-9, EVENT_PURCHASED}, {-1, EVENT_DIED}}, false},
        {u"LEFT", {{-9, EVENT_PURCHASED}, {-1, 20}}, false},
        {u"KILLED", {{-9, EVENT_PURCHASED}, {-1, 21}}, false},
        {u"BOUGHTBACK", {{-9, EVENT_PURCHASED}, {-5, EVENT_SOLD}, {-2, EVENT_PURCHASED}}, true},
        {u"WEIGHEDONLY", {{-9, EVENT_WEIGHED}}, false},
        {u"BRED", {{-9, EVENT_BORN}}, true},
        {u"BOUGHTIN", {{-9, EVENT_BORN}}, false},  // the plug-in says born elsewhere
        {u"BOUGHTINLATER", {{-9, EVENT_BORN}, {-3, EVENT_PURCHASED}}, true},
        {u"BREDSOLD", {{-9, EVENT_BORN}, {-3, EVENT_SOLD}}, false},
        {u"NOEVENTS", {}, false},
    };
    for (const auto& c : cases) {
        CSheep* s = Animal(c.tattoo, c.events);
        EXPECT_EQ(s->MatchesCriteria(criteria_), c.in) << WToUtf8(c.tattoo);
    }
    // No events, whatever its dates say.
    CSheep* dated = doc_.Add(u"DATED");
    const COleDateTime bought = DaysFrom(kDay, -5);
    dated->SetFieldValue(SF_DATE_OF_PURCHASE, &bought);
    EXPECT_FALSE(dated->MatchesCriteria(criteria_));
}

TEST_F(CriteriaTest, ABirthWithoutThePlugInsAnswerIsNotOnTheFarm) {
    criteria_.m_dtDate = kDay;
    BornOnFarmAnswers()[u"BRED"] = 1;
    CSheep* s = Animal(u"BRED", {{-9, EVENT_BORN}});
    EXPECT_TRUE(s->MatchesCriteria(criteria_));
    doc_.withBornOnFarm = false;
    EXPECT_FALSE(s->MatchesCriteria(criteria_));
    EXPECT_FALSE(s->IsBornOnFarm());
}

TEST_F(CriteriaTest, EventDatesThatAreNotValidAreNeverLater) {
    criteria_.m_dtDate = kDay;
    CSheep* s = Animal(u"ODD", {{-9, EVENT_PURCHASED}});
    COleDateTime bad = DaysFrom(kDay, 30);
    bad.SetStatus(COleDateTime::invalid);
    s->AddEvent(new CEvent(bad, EVENT_SOLD, u"Market"), false);
    EXPECT_FALSE(s->MatchesCriteria(criteria_));  // the sale counts
    criteria_.m_dtDate.SetStatus(COleDateTime::invalid);
    CSheep* later = Animal(u"LATER", {{40, EVENT_PURCHASED}});
    EXPECT_TRUE(later->MatchesCriteria(criteria_));
}

TEST_F(CriteriaTest, SexSwitches) {
    criteria_.m_nType = CRITERIA_ALL;
    CSheep* ram = doc_.Add(u"R", SEX_RAM);
    CSheep* ewe = doc_.Add(u"E", SEX_EWE);
    const struct {
        BOOL rams, ewes;
        bool ramIn, eweIn;
    } cases[] = {{TRUE, FALSE, true, false},
                 {FALSE, TRUE, false, true},
                 {TRUE, TRUE, true, true},
                 {FALSE, FALSE, true, true}};
    for (const auto& c : cases) {
        criteria_.m_bRams = c.rams;
        criteria_.m_bEwes = c.ewes;
        EXPECT_EQ(ram->MatchesCriteria(criteria_), c.ramIn) << c.rams << c.ewes;
        EXPECT_EQ(ewe->MatchesCriteria(criteria_), c.eweIn) << c.rams << c.ewes;
    }
}

TEST_F(CriteriaTest, AgeClassEdges) {
    criteria_.m_nType = CRITERIA_ALL;
    criteria_.m_dtDate = COleDateTime(2003, 7, 15, 13, 30, 0);  // the time of day is not a day
    const struct {
        const char16_t* tattoo;
        std::optional<double> age;
        bool adult, shearling, lamb;
    } cases[] = {
        {u"A0", 0, false, false, false},
        {u"A1", 1, false, false, true},
        {u"A365", 365, false, false, true},
        {u"A366", 366, false, true, false},
        {u"A730", 730, false, true, false},
        {u"A731", 731, true, false, false},
        {u"NODOB", std::nullopt, false, false, false},
        {u"M1", -1, false, false, false},  // born after the date: not a lamb for this kind
    };
    for (const auto& c : cases) {
        CSheep* s = c.age ? Born(c.tattoo, *c.age) : doc_.Add(c.tattoo);
        const auto with = [&](BOOL a, BOOL sh, BOOL l) {
            criteria_.m_bAdults = a;
            criteria_.m_bShearlings = sh;
            criteria_.m_bLambs = l;
            return s->MatchesCriteria(criteria_) != FALSE;
        };
        EXPECT_EQ(with(TRUE, FALSE, FALSE), c.adult) << WToUtf8(c.tattoo);
        EXPECT_EQ(with(FALSE, TRUE, FALSE), c.shearling) << WToUtf8(c.tattoo);
        EXPECT_EQ(with(FALSE, FALSE, TRUE), c.lamb) << WToUtf8(c.tattoo);
        EXPECT_FALSE(with(FALSE, FALSE, FALSE)) << WToUtf8(c.tattoo);
        EXPECT_TRUE(with(TRUE, TRUE, TRUE)) << WToUtf8(c.tattoo);
    }
}

TEST_F(CriteriaTest, BornInTheYearTakesLambsBornUpToAYearAfterTheDate) {
    criteria_.m_nType = CRITERIA_BORN;
    criteria_.m_dtDate = COleDateTime(2004, 1, 1, 0, 0, 0);  // a leap year: 365 days later is still 2004
    criteria_.m_bAdults = criteria_.m_bShearlings = FALSE;
    CSheep* lastDay = Born(u"L365", -365);
    CSheep* nextDay = Born(u"L1", -1);
    CSheep* onDay = Born(u"L0", 0);
    EXPECT_TRUE(lastDay->MatchesCriteria(criteria_));
    EXPECT_TRUE(nextDay->MatchesCriteria(criteria_));
    EXPECT_FALSE(onDay->MatchesCriteria(criteria_));  // age 0 is in no class
    criteria_.m_nType = CRITERIA_ALL;
    EXPECT_FALSE(lastDay->MatchesCriteria(criteria_));
    EXPECT_FALSE(nextDay->MatchesCriteria(criteria_));
}

TEST_F(CriteriaTest, YearKinds) {
    criteria_.m_dtDate = kDay;
    const auto make = [&](const char16_t* tattoo, int birthYear, int purchaseYear, int departYear,
                          int32_t reason) {
        CSheep* s = doc_.Add(tattoo);
        COleDateTime b(birthYear, 3, 1, 0, 0, 0), p(purchaseYear, 4, 1, 0, 0, 0),
            d(departYear, 5, 1, 0, 0, 0);
        s->SetFieldValue(SF_DATE_OF_BIRTH, &b);
        s->SetFieldValue(SF_DATE_OF_PURCHASE, &p);
        s->SetFieldValue(SF_DATE_OF_DEPART, &d);
        s->SetFieldValue(SF_DEPART_REASON, &reason);
        return s;
    };
    CSheep* sold = make(u"SOLD", 2003, 2002, 2003, DEPART_SOLD);
    CSheep* died = make(u"DIED", 2002, 2003, 2003, DEPART_DIED);
    CSheep* killed = make(u"KILLED", 2001, 2001, 2003, DEPART_KILLED);
    CSheep* lastYear = make(u"OLD", 2002, 2002, 2002, DEPART_SOLD);
    const struct {
        int32_t type;
        bool sold, died, killed, lastYear;
    } cases[] = {
        {CRITERIA_BORN, true, false, false, false},      {CRITERIA_SOLD, true, false, false, false},
        {CRITERIA_PURCHASED, false, true, false, false}, {CRITERIA_DIED, false, true, true, false},
        {CRITERIA_ALL, true, true, true, true},          {7, true, true, true, true},
    };
    for (const auto& c : cases) {
        criteria_.m_nType = c.type;
        EXPECT_EQ(sold->MatchesCriteria(criteria_), c.sold) << c.type;
        EXPECT_EQ(died->MatchesCriteria(criteria_), c.died) << c.type;
        EXPECT_EQ(killed->MatchesCriteria(criteria_), c.killed) << c.type;
        EXPECT_EQ(lastYear->MatchesCriteria(criteria_), c.lastYear) << c.type;
    }
}

TEST_F(CriteriaTest, DatesThatAreNotValidShareTheYear) {
    criteria_.m_nType = CRITERIA_BORN;
    criteria_.m_dtDate = COleDateTime::Null();
    CSheep* unknown = doc_.Add(u"UNKNOWN");
    CSheep* dated = Born(u"DATED", 100);
    EXPECT_TRUE(unknown->MatchesCriteria(criteria_));
    EXPECT_FALSE(dated->MatchesCriteria(criteria_));
}

TEST(CriteriaDescription, PhraseAndKind) {
    CScriptedHost host;
    CCvlHostScope scope(host);
    const COleDateTime day(2003, 7, 15, 0, 0, 0);
    const struct {
        BOOL rams, ewes, adults, shearlings, lambs;
        int32_t type;
        WString text;
    } cases[] = {
        {TRUE, TRUE, TRUE, TRUE, TRUE, 0, u"All Dedov On Farm As At " + day.Format("%x")},
        {TRUE, TRUE, TRUE, TRUE, FALSE, 2, u"Adults and Shearlings Sold in 2003"},
        {TRUE, FALSE, FALSE, FALSE, TRUE, 1, u"Lamb Rams Born in 2003"},
        {FALSE, FALSE, FALSE, FALSE, FALSE, 3, u" Purchased in 2003"},
        {FALSE, TRUE, TRUE, TRUE, TRUE, 0, u"All Ewes On Farm As At " + day.Format("%x")},
        {FALSE, FALSE, TRUE, FALSE, TRUE, 4, u"Adult and Lamb Which Died in 2003"},
        {TRUE, TRUE, FALSE, TRUE, TRUE, 1, u"Shearlings and Lambs Born in 2003"},
        {TRUE, FALSE, TRUE, TRUE, TRUE, 5, u"All Dedov in Database"},
        {TRUE, TRUE, TRUE, TRUE, TRUE, 7, u""},
        {TRUE, TRUE, TRUE, TRUE, TRUE, -1, u""},
    };
    for (const auto& c : cases) {
        CCriteria criteria;
        criteria.m_bRams = c.rams;
        criteria.m_bEwes = c.ewes;
        criteria.m_bAdults = c.adults;
        criteria.m_bShearlings = c.shearlings;
        criteria.m_bLambs = c.lambs;
        criteria.m_nType = c.type;
        criteria.m_dtDate = day;
        EXPECT_EQ(WToUtf8(criteria.GetDescription()), WToUtf8(c.text));
    }
}

}  // namespace
