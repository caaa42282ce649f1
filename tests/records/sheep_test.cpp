#include "records/sheep.h"
#include "records/signet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "fake_document.h"
#include "platform/testing/scripted_host.h"
#include "records/app_services.h"

namespace {

const COleDateTime kDay(2003, 7, 15, 0, 0, 0);

uint64_t Bits(double d) {
    uint64_t b;
    std::memcpy(&b, &d, 8);
    return b;
}

class SheepTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(RecordsTestBreed(), nullptr) << dlerror(); }
    void TearDown() override {
        for (CSheep* s : made_) s->Release();
    }
    CSheep* New(const char16_t* tattoo, IFlockDocument* doc = nullptr) {
        made_.push_back(new CSheep(tattoo, SEX_EWE, doc));
        return made_.back();
    }
    // Adds an event made here; the animal takes it over.
    bool Add(CSheep* s, uint32_t code, COleDateTime date, std::vector<WString> params = {}) {
        auto* event = new CEvent(date, code);
        event->SetParameters(std::move(params));
        return s->AddEvent(event, true);
    }
    std::vector<WString> Texts(const CSheep* s) {
        std::vector<WString> out;
        for (int i = 0; i < s->GetEventCount(); ++i) out.push_back(s->GetEventAt(i)->FormatText(false));
        return out;
    }

    CFakeDocument doc_;
    CScriptedHost host_;
    CCvlHostScope scope_{host_};
    std::vector<CSheep*> made_;
};

TEST_F(SheepTest, NewAnimalDefaults) {
    const COleDateTime before = COleDateTime::GetCurrentTime();
    CSheep* s = New(u"A1");
    EXPECT_EQ(s->GetTattoo(), u"A1");
    EXPECT_EQ(s->GetDepartReason(), DEPART_NONE);
    EXPECT_EQ(s->GetGeneticScrapie(), SCRAPIE_UNKNOWN);
    EXPECT_EQ(s->GetSex(), SEX_EWE);
    EXPECT_EQ(s->GetFlags(), 0u);
    EXPECT_EQ(s->GetOneOf(), 0);
    EXPECT_EQ(s->GetElectronicID(), 0u);
    for (int f = 0; f < FIG_COUNT; ++f) {
        EXPECT_TRUE(std::isnan(s->GetFigure(SignetFigure(f))));
        EXPECT_EQ(Bits(s->GetFigure(SignetFigure(f))), 0xFFF8000000000000ull);  // what files hold
    }
    EXPECT_EQ(s->GetDateofBirth().GetStatus(), COleDateTime::null);
    EXPECT_EQ(s->GetDateofPurchase().GetStatus(), COleDateTime::null);
    EXPECT_EQ(s->GetDateofDepart().GetStatus(), COleDateTime::null);
    EXPECT_TRUE(before <= s->GetEdited() && s->GetEdited() <= COleDateTime::GetCurrentTime());
}

TEST_F(SheepTest, SettersStampLocalTimeButFlagsDoNot) {
    CSheep* s = New(u"A1");
    const COleDateTime old(2000, 1, 1, 0, 0, 0);
    const std::function<void()> setters[] = {
        [&] { s->SetName(u"n"); },         [&] { s->SetSex(SEX_RAM); },
        [&] { s->SetOneOf(2); },           [&] { s->SetEartagColour(u"Red"); },
        [&] { s->SetEartagNumber(u"1"); }, [&] { s->SetSire(u"S"); },
        [&] { s->SetDam(u"D"); },          [&] { s->SetComments(u"c"); },
        [&] { s->SetFigure(FIG_AWT, 1); }, [&] { s->SetGeneticScrapie(9); },
        [&] { s->SetElectronicID(5); },
    };
    for (const auto& set : setters) {
        s->SetEdited(old);
        const COleDateTime before = COleDateTime::GetCurrentTime();
        set();
        EXPECT_TRUE(before <= s->GetEdited() && s->GetEdited() <= COleDateTime::GetCurrentTime());
    }
    s->SetEdited(old);
    s->SetFlags(3);
    EXPECT_EQ(s->GetEdited(), old);
    // The event stamps are UTC, three hours after local time here.
    s->SetEditedNow();
    EXPECT_NEAR((s->GetEdited() - COleDateTime::GetCurrentTime()).GetTotalHours(), 3.0, 0.01);
}

TEST_F(SheepTest, EarTagAndEidSettersRefileInTheDocument) {
    CSheep* s = New(u"A1", &doc_);
    s->SetEartagColour(u"Red");
    s->SetEartagNumber(u"12");
    EXPECT_EQ(doc_.refiled, (std::vector<WString>{u"Red|", u"Red|12"}));
    EXPECT_EQ(s->GetEartagColour(), u"Red");
    EXPECT_EQ(s->GetEartagNumber(), u"12");
    s->SetElectronicID(7);
    s->SetElectronicID(8);
    EXPECT_EQ(doc_.eids, (std::map<uint64_t, WString>{{8, u"A1"}}));
}

TEST_F(SheepTest, FieldTextOfEveryId) {
    CSheep* s = New(u"A1");
    s->SetEartagNumber(u"12");
    s->SetEartagColour(u"Red");
    s->SetSire(u"S1");
    s->SetDam(u"D1");
    s->SetName(u"Dolly");
    s->SetComments(u"quiet");
    s->SetOneOf(2);
    s->SetGeneticScrapie(12);
    s->SetElectronicID(982000123456789ull);
    s->SetFlag(2, true);
    const COleDateTime dob = kDay;
    s->SetFieldValue(SF_DATE_OF_BIRTH, &dob);
    COleDateTime bad = kDay;
    bad.SetStatus(COleDateTime::invalid);
    s->SetFieldValue(SF_DATE_OF_DEPART, &bad);
    const int32_t sold = DEPART_SOLD;
    s->SetFieldValue(SF_DEPART_REASON, &sold);
    for (int f = 0; f < FIG_COUNT; ++f) s->SetFigure(SignetFigure(f), f + 0.125);
    s->SetFigure(FIG_MATURE_EBV, NotEnteredDouble());

    const std::pair<unsigned, WString> expected[] = {
        {0, u""},
        {1, u"A1"},
        {2, u"12"},
        {3, u"Red"},
        {4, kDay.Format("%x")},
        {5, u""},
        {6, u"Invalid DateTime"},
        {7, u"Sold"},
        {8, u"Ewe"},
        {9, u"2"},
        {10, u"S1"},
        {11, u"D1"},
        {12, u"Dolly"},
        {13, u""},
        {14, u""},
        {15, u"quiet"},
        {16, u"0.12"},
        {17, u"1.12"},
        {18, u"7.12"},  // FatDepthEBV
        {19, u"2.12"},
        {20, u"4.12"},
        {21, u""},
        {22, u"5.12"},
        {23, u"6.12"},
        {24, u"8.12"},
        {25, u"10.12"},
        {26, u"9.12"},
        {27, u"11.12"},
        {28, u"12.12"},
        {29, u"0982000123456789"},
        {30, u"ARR/ARQ"},
        {31, u"No"},
        {32, u"No"},
        {33, u"Yes"},
        {38, u"No"},
        {39, u""},
        {1000, u""},
    };
    for (const auto& [id, text] : expected) EXPECT_EQ(WToUtf8(s->GetFieldText(id)), WToUtf8(text)) << id;

    s->SetSex(SEX_RAM);
    EXPECT_EQ(s->GetFieldText(SF_SEX), u"Ram");
    s->SetSex(7);
    EXPECT_EQ(s->GetFieldText(SF_SEX), u"");
    s->SetElectronicID(5);
    EXPECT_EQ(s->GetFieldText(SF_ELECTRONIC_ID), u"0000000000000005");
    s->SetElectronicID(0);
    EXPECT_EQ(s->GetFieldText(SF_ELECTRONIC_ID), u"");
    s->SetOneOf(0);
    EXPECT_EQ(s->GetFieldText(SF_ONE_OF), u"");
    const int32_t odd = 9;
    s->SetFieldValue(SF_DEPART_REASON, &odd);
    EXPECT_EQ(s->GetFieldText(SF_DEPART_REASON), u"");
}

TEST_F(SheepTest, CompareFieldByKind) {
    CSheep* a = New(u"apple");
    CSheep* b = New(u"Banana");
    a->SetName(u"zed");
    b->SetName(u"Zed");
    a->SetSex(SEX_RAM);
    a->SetElectronicID(2);
    b->SetElectronicID(~0ull);
    const COleDateTime dob = kDay;
    b->SetFieldValue(SF_DATE_OF_BIRTH, &dob);  // a's stays null
    a->SetFigure(FIG_LEAN_INDEX, 3.0);
    b->SetFigure(FIG_LEAN_INDEX, -1.0);
    b->SetFigure(FIG_AWT, 1.0);  // a's AWT is missing
    a->SetFlag(0, true);
    const struct {
        unsigned id;
        int expected;
    } cases[] = {
        {0, -1},                     // the key, without regard to case
        {1, -1}, {12, 0},            // names equal but for case
        {4, -1},                     // a null date first
        {5, 0},                      // two null dates
        {8, 1},  {9, 0},  {29, -1},  // EIDs as unsigned numbers
        {16, 1}, {28, 1},            // a missing figure after an entered one
        {17, 0},                     // two missing figures
        {13, 0}, {14, 0}, {31, 1},   // a set flag after a clear one
        {32, 0}, {39, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(a->CompareField(b, c.id, true), c.expected) << c.id;
        EXPECT_EQ(a->CompareField(b, c.id, false), -c.expected) << c.id;
        EXPECT_EQ(b->CompareField(a, c.id, true), -c.expected) << c.id;  // the order is consistent
    }
}

TEST_F(SheepTest, SortingByGenotype) {
    CSheep* arr = New(u"1");
    CSheep* vrq = New(u"2");
    CSheep* unknown = New(u"3");
    CSheep* same = New(u"4");
    CSheep* odd = New(u"5");
    arr->ParseScrapie(u"ARR/ARR");
    vrq->ParseScrapie(u"VRQ/VRQ");
    same->ParseScrapie(u"arr/arr");
    odd->SetGeneticScrapie(1);  // not a genotype of the table: after unknown
    EXPECT_EQ(arr->CompareField(vrq, SF_GENETIC_SCRAPIE, true), -1);
    EXPECT_EQ(vrq->CompareField(unknown, SF_GENETIC_SCRAPIE, true), -1);
    EXPECT_EQ(arr->CompareField(same, SF_GENETIC_SCRAPIE, true), 0);
    EXPECT_EQ(unknown->CompareField(odd, SF_GENETIC_SCRAPIE, true), -1);
    EXPECT_EQ(arr->CompareField(unknown, SF_GENETIC_SCRAPIE, false), 1);
    EXPECT_EQ(ScrapieRank(35), 4);
    EXPECT_EQ(ScrapieRank(34), 5);
}

TEST_F(SheepTest, ScrapieTextForms) {
    const struct {
        const char16_t* text;
        bool accepted;
        int32_t code;  // after the parse, starting from 9
    } cases[] = {
        {u"arr/arq", true, 12}, {u"ARQ/ARH", true, 35}, {u"XYZ/ABC", true, 127}, {u"", true, 127},
        {u"ARR/XYZ", false, 9}, {u"ARRARQ", false, 9},  {u"AR/ARQ", false, 9},   {u"VRQ/AHQ/x", true, 42},
    };
    for (const auto& c : cases) {
        CSheep* s = New(u"A");
        s->SetGeneticScrapie(9);
        EXPECT_EQ(s->ParseScrapie(c.text), c.accepted) << WToUtf8(c.text);
        EXPECT_EQ(s->GetGeneticScrapie(), c.code) << WToUtf8(c.text);
    }
    CSheep* s = New(u"A");
    s->SetGeneticScrapie(12);
    EXPECT_EQ(s->FormatScrapie(), u"ARR/ARQ");
    s->SetGeneticScrapie((1 << 3) | 6);  // an allele outside 1..5 gives an empty half
    EXPECT_EQ(s->FormatScrapie(), u"ARR/");
    s->SetGeneticScrapie(127);
    EXPECT_EQ(s->FormatScrapie(), u"");
    WString text;
    EXPECT_FALSE(ScrapieAlleleToText(6, text));
    EXPECT_EQ(ScrapieAlleleFromText(u"vrq"), 5);
    EXPECT_EQ(ScrapieAlleleFromText(u"VR"), 0);
}

TEST_F(SheepTest, SetFieldValueChangesOnlyRealChanges) {
    CSheep* s = New(u"A1");
    const COleDateTime old(2000, 1, 1, 0, 0, 0);
    const WString name = u"Dolly", name2 = u"dolly";
    const COleDateTime date = kDay, null = COleDateTime::Null();
    COleDateTime invalid = kDay;
    invalid.SetStatus(COleDateTime::invalid);
    const double nan = NotEnteredDouble(), one = 1.0;
    const int32_t two = 2, zero = 0, on = 5;
    struct Case {
        const char* what;
        unsigned id;
        const void* value;
        bool changed;
    } cases[] = {
        {"new name", SF_NAME, &name, true},
        {"same name", SF_NAME, &name, false},
        {"name differing in case", SF_NAME, &name2, true},
        {"two null dates", SF_DATE_OF_BIRTH, &null, false},
        {"null to a date", SF_DATE_OF_BIRTH, &date, true},
        {"same date", SF_DATE_OF_BIRTH, &date, false},
        {"invalid date", SF_DATE_OF_PURCHASE, &invalid, true},
        {"two invalid dates always differ", SF_DATE_OF_PURCHASE, &invalid, true},
        {"NaN on NaN", SF_AWT, &nan, false},
        {"1.0 on NaN", SF_AWT, &one, true},
        {"1.0 on 1.0", SF_AWT, &one, false},
        {"OneOf", SF_ONE_OF, &two, true},
        {"OneOf again", SF_ONE_OF, &two, false},
        {"genotype", SF_GENETIC_SCRAPIE, &two, true},
        {"flag bit 2 set", 33, &on, true},
        {"flag bit 2 set again", 33, &on, false},
        {"flag bit 3 clear", 34, &zero, false},
        {"key only id", SF_KEY, &name, false},
        {"id 13", 13, &name, false},
        {"id 14", 14, &name, false},
        {"id 39", 39, &two, false},
    };
    for (const Case& c : cases) {
        s->SetEdited(old);
        EXPECT_EQ(s->SetFieldValue(c.id, c.value), c.changed) << c.what;
        EXPECT_EQ(s->GetEdited() != old, c.changed) << c.what;
    }
    EXPECT_EQ(s->GetFlags(), 4u);  // only bit 2
    EXPECT_EQ(s->GetName(), u"dolly");
    EXPECT_EQ(s->GetFigure(FIG_AWT), 1.0);
    EXPECT_EQ(s->GetGeneticScrapie(), 2);
}

TEST_F(SheepTest, SetFieldValueKeepsTheEidMapInStep) {
    CSheep* s = New(u"A1", &doc_);
    const COleDateTime old(2000, 1, 1, 0, 0, 0);
    const uint64_t first = 11, second = 12, taken = 99, none = 0;
    doc_.eids[taken] = u"B7";

    EXPECT_TRUE(s->SetFieldValue(SF_ELECTRONIC_ID, &first));
    EXPECT_EQ(doc_.eids[first], u"A1");

    s->SetEdited(old);
    EXPECT_TRUE(s->SetFieldValue(SF_ELECTRONIC_ID, &first));  // the same EID: TRUE, no stamp
    EXPECT_EQ(s->GetEdited(), old);

    EXPECT_TRUE(s->SetFieldValue(SF_ELECTRONIC_ID, &second));
    EXPECT_EQ(doc_.eids, (std::map<uint64_t, WString>{{second, u"A1"}, {taken, u"B7"}}));

    s->SetEdited(old);
    EXPECT_FALSE(s->SetFieldValue(SF_ELECTRONIC_ID, &taken));
    EXPECT_EQ(s->GetElectronicID(), second);
    EXPECT_EQ(s->GetEdited(), old);
    EXPECT_EQ(doc_.eids[taken], u"B7");
    ASSERT_EQ(host_.Messages().size(), 1u);
    const CvlMessage& m = host_.Messages()[0];
    EXPECT_EQ(m.text, u"This electronic ID is already in use by B7");
    EXPECT_EQ(m.type, MB_OK);
    EXPECT_EQ(m.helpId, 0x30028u);

    EXPECT_TRUE(s->SetFieldValue(SF_ELECTRONIC_ID, &none));
    EXPECT_EQ(doc_.eids, (std::map<uint64_t, WString>{{taken, u"B7"}}));
}

TEST_F(SheepTest, SetFieldValueRefilesTheEarTag) {
    CSheep* s = New(u"A1", &doc_);
    const WString red = u"Red", twelve = u"12";
    EXPECT_TRUE(s->SetFieldValue(SF_EARTAG_COLOUR, &red));
    EXPECT_TRUE(s->SetFieldValue(SF_EARTAG_NUMBER, &twelve));
    EXPECT_FALSE(s->SetFieldValue(SF_EARTAG_NUMBER, &twelve));
    EXPECT_EQ(doc_.refiled, (std::vector<WString>{u"Red|", u"Red|12"}));
    EXPECT_EQ(s->GetTagDescription(), u"Red\t12\t(A1)");
    EXPECT_EQ(New(u"B2")->GetTagDescription(), u"-\t-\t(B2)");
}

TEST_F(SheepTest, TattooOfAnAnimalInADocumentKeepsItsKey) {
    CSheep* inDoc = New(u"A1", &doc_);
    const WString other = u"B7", sameKey = u"a1";
    EXPECT_FALSE(inDoc->SetFieldValue(SF_TATTOO, &other));
    EXPECT_EQ(inDoc->GetTattoo(), u"A1");
    EXPECT_TRUE(inDoc->SetFieldValue(SF_TATTOO, &sameKey));  // same key, other case
    CSheep* loose = New(u"A1");
    EXPECT_TRUE(loose->SetFieldValue(SF_TATTOO, &other));
    EXPECT_EQ(loose->GetTattoo(), u"B7");
}

TEST_F(SheepTest, EventsKeepDateThenTextOrder) {
    CSheep* s = New(u"A1", &doc_);
    const COleDateTime d1(2003, 1, 1, 0, 0, 0), d2(2003, 2, 1, 0, 0, 0);
    auto* first = new CEvent(d2, 30, u"b", u"x");
    s->AddEvent(first, true);
    Add(s, 30, d1, {u"z", u"x"});
    Add(s, 30, d2, {u"a", u"x"});                    // same date: by text
    Add(s, 30, d2, {u"b", u"x"});                    // equal to one there: after it
    Add(s, 30, COleDateTime::Null(), {u"n", u"x"});  // compares 1 with every dated event
    EXPECT_EQ(Texts(s),
              (std::vector<WString>{u"Treated with z for x", u"Treated with a for x", u"Treated with b for x",
                                    u"Treated with b for x", u"Treated with n for x"}));
    EXPECT_EQ(s->GetEventAt(2), first);  // the later equal event went after it
    // Behind an undated last event, an earlier dated one still goes before the dated events.
    Add(s, 30, COleDateTime(2002, 6, 1, 0, 0, 0), {u"e", u"x"});
    EXPECT_EQ(Texts(s), (std::vector<WString>{u"Treated with e for x", u"Treated with z for x", u"Treated with a for x",
                                              u"Treated with b for x", u"Treated with b for x", u"Treated with n for x"}));
    for (int i = 0; i < s->GetEventCount(); ++i) EXPECT_EQ(s->GetEventAt(i)->GetOwner(), s);
    EXPECT_THROW(s->GetEventAt(6), COleException);
    EXPECT_THROW(s->GetEventAt(-1), COleException);
}

TEST_F(SheepTest, SystemEventsSetAndUndoTheDates) {
    CSheep* s = New(u"A1", &doc_);
    const COleDateTime born(2003, 3, 1, 0, 0, 0), bought(2003, 5, 1, 0, 0, 0), gone(2004, 5, 1, 0, 0, 0);
    EXPECT_TRUE(Add(s, EVENT_BORN, born));
    EXPECT_TRUE(Add(s, EVENT_PURCHASED, bought, {u"K1"}));
    EXPECT_FALSE(Add(s, 30, bought, {u"a", u"b"}));
    EXPECT_EQ(s->GetDateofBirth(), born);
    EXPECT_EQ(s->GetDateofPurchase(), bought);

    const struct {
        uint32_t code;
        int32_t reason;
    } departures[] = {{EVENT_SOLD, DEPART_SOLD}, {EVENT_DIED, DEPART_DIED}, {EVENT_KILLED, DEPART_KILLED}};
    for (const auto& d : departures) {
        EXPECT_TRUE(Add(s, d.code, gone, {u"K1"}));
        EXPECT_EQ(s->GetDateofDepart(), gone);
        EXPECT_EQ(s->GetDepartReason(), d.reason);
        s->RemoveEventAt(s->GetEventCount() - 1, true);
        EXPECT_EQ(s->GetDateofDepart().GetStatus(), COleDateTime::null);
        EXPECT_EQ(s->GetDepartReason(), DEPART_NONE);
    }
    s->RemoveEventAt(0, true);  // the birth
    EXPECT_EQ(s->GetDateofBirth().GetStatus(), COleDateTime::null);
    int pos = 0;
    s->RemoveEventAt(s->FindEvent(pos, EVENT_PURCHASED, nullptr, nullptr) ? pos - 1 : 0, true);
    EXPECT_EQ(s->GetDateofPurchase().GetStatus(), COleDateTime::null);
    EXPECT_EQ(s->GetEventCount(), 1);
}

TEST_F(SheepTest, RetagEventsRefileAndUndo) {
    CSheep* s = New(u"A1", &doc_);
    const COleDateTime d1(2003, 1, 1, 0, 0, 0), d2(2004, 1, 1, 0, 0, 0), d3(2005, 1, 1, 0, 0, 0);
    Add(s, EVENT_RETAG, d1, {u"Red", u"1"});
    Add(s, EVENT_RETAG, d2, {u"Blue", u"2"});
    EXPECT_EQ(s->GetEartagColour(), u"Blue");
    EXPECT_EQ(doc_.refiled.back(), u"Blue|2");

    // A re-tag that did not give the current tag changes nothing when it goes.
    Add(s, EVENT_RETAG, d3, {u"Green", u"3"});
    s->StoreEarTag(u"White", u"9");
    s->RemoveEventAt(2, true);
    EXPECT_EQ(s->GetEartagColour(), u"White");
    s->StoreEarTag(u"Blue", u"2");

    // Removing the current tag's re-tag goes back to the previous one, then to no tag.
    s->RemoveEventAt(1, true);
    EXPECT_EQ(s->GetEartagColour(), u"Red");
    EXPECT_EQ(s->GetEartagNumber(), u"1");
    s->RemoveEventAt(0, true);
    EXPECT_EQ(s->GetEartagColour(), u"");
    EXPECT_EQ(s->GetEartagNumber(), u"");
    EXPECT_EQ(doc_.refiled.back(), u"|");
}

TEST_F(SheepTest, RetagWithoutColourAndNumberIsRefusedBeforeItReachesTheAnimal) {
    CSheep* s = New(u"A1", &doc_);
    s->StoreEarTag(u"Red", u"1");
    const COleDateTime old(2000, 1, 1, 0, 0, 0);
    s->SetEdited(old);
    CRefPtr<CEvent> shortTag = MakeRef<CEvent>(kDay, EVENT_RETAG, u"Blue");
    WString why;
    EXPECT_FALSE(CSheep::CanTakeEvent(*shortTag, &why));
    EXPECT_FALSE(why.empty());
    try {
        s->AddEvent(shortTag.Get(), true);
        ADD_FAILURE() << "a re-tag without its number was taken";
    } catch (const COleDispatchException& e) {
        EXPECT_EQ(e.m_scError, E_INVALIDARG);
        EXPECT_EQ(e.m_strDescription, why);
    }
    EXPECT_THROW(s->InsertEventAt(0, shortTag.Get(), true), COleDispatchException);
    EXPECT_EQ(s->GetEventCount(), 0);
    EXPECT_EQ(s->GetEartagColour(), u"Red");
    EXPECT_EQ(s->GetEdited(), old);
    EXPECT_TRUE(doc_.refiled.empty());

    // Replacing with such an event keeps the old one.
    Add(s, EVENT_BORN, kDay);
    EXPECT_THROW(s->ReplaceEventAt(0, shortTag.Get()), COleDispatchException);
    EXPECT_EQ(s->GetEventCount(), 1);
    EXPECT_EQ(s->GetEventAt(0)->GetCode(), EVENT_BORN);
}

TEST_F(SheepTest, ShortRetagAlreadyInTheListIsPassedOverWhenUndoing) {
    CSheep* s = New(u"A1", &doc_);
    Add(s, EVENT_RETAG, COleDateTime(2003, 1, 1, 0, 0, 0), {u"Red", u"1"});
    Add(s, EVENT_RETAG, COleDateTime(2004, 1, 1, 0, 0, 0), {u"Blue", u"2"});
    // As an old file may hold it: cut the first re-tag's parameters behind the animal's back.
    s->GetEventAt(0)->SetParameters({u"Red"});
    s->RemoveEventAt(1, true);
    EXPECT_EQ(s->GetEartagColour(), u"");
    s->StoreEarTag(u"Red", u"");
    s->RemoveEventAt(0, true);  // does not match a tag it never gave
    EXPECT_EQ(s->GetEartagColour(), u"Red");
}

TEST_F(SheepTest, ReplaceAndRemoveReleaseTheOldEvent) {
    CSheep* s = New(u"A1", &doc_);
    Add(s, EVENT_BORN, kDay);
    CRefPtr<CEvent> held(s->GetEventAt(0));  // a client still holding the event
    auto* replacement = new CEvent(COleDateTime(2003, 1, 1, 0, 0, 0), EVENT_BORN);
    s->ReplaceEventAt(0, replacement);
    EXPECT_EQ(s->GetEventAt(0), replacement);
    EXPECT_EQ(s->GetDateofBirth(), COleDateTime(2003, 1, 1, 0, 0, 0));
    EXPECT_EQ(held->GetOwner(), nullptr);
    EXPECT_TRUE(held->IsDetached());
    EXPECT_EQ(held->GetRefCount(), 1u);

    // Replacing an event with itself puts it back in order.
    replacement->SetDate(COleDateTime(2002, 1, 1, 0, 0, 0));
    s->ReplaceEventAt(0, replacement);
    EXPECT_EQ(s->GetEventAt(0), replacement);
    EXPECT_FALSE(replacement->IsDetached());

    // Removing without deleting hands the animal's reference over.
    s->RemoveEventAt(0, false);
    EXPECT_EQ(replacement->GetRefCount(), 1u);
    replacement->Release();
    EXPECT_THROW(s->RemoveEventAt(0, true), COleException);
}

TEST_F(SheepTest, FindEventByCodeAndDates) {
    CSheep* s = New(u"A1", &doc_);
    const COleDateTime d1(2003, 1, 1, 0, 0, 0), d2(2003, 6, 1, 0, 0, 0), d3(2004, 1, 1, 0, 0, 0);
    Add(s, EVENT_WEIGHED, d1, {u"1"});
    Add(s, EVENT_BORN, d1);
    Add(s, EVENT_WEIGHED, d2, {u"2"});
    Add(s, EVENT_WEIGHED, COleDateTime::Null(), {u"3"});
    Add(s, EVENT_WEIGHED, d3, {u"4"});
    // Order: d1 Born, d1 Weighed (by text), d2, then the null-dated one and d3 as the search met them.
    int pos = 0;
    std::vector<WString> all;
    while (CEvent* e = s->FindEvent(pos, EVENT_WEIGHED, nullptr, nullptr)) all.push_back(e->GetParameter(0));
    EXPECT_EQ(all, (std::vector<WString>{u"1", u"2", u"3", u"4"}));
    EXPECT_EQ(pos, 5);  // the last match was the last event: the next call stops at once
    pos = 1;
    EXPECT_EQ(s->FindEvent(pos, EVENT_BORN, nullptr, nullptr), nullptr);  // a scan that runs out
    EXPECT_EQ(pos, -1);
    const COleDateTime null = COleDateTime::Null();
    EXPECT_EQ(s->FindFirstEvent(EVENT_WEIGHED, &d2, nullptr)->GetParameter(0), u"2");
    EXPECT_EQ(s->FindFirstEvent(EVENT_WEIGHED, &null, nullptr)->GetParameter(0), u"3");
    COleDateTime invalid = d2;
    invalid.SetStatus(COleDateTime::invalid);
    EXPECT_EQ(s->FindFirstEvent(EVENT_WEIGHED, &invalid, nullptr), nullptr);
    pos = 0;
    std::vector<WString> range;
    while (CEvent* e = s->FindEvent(pos, EVENT_WEIGHED, &d1, &d2)) range.push_back(e->GetParameter(0));
    EXPECT_EQ(range, (std::vector<WString>{u"1", u"2"}));
}

TEST_F(SheepTest, FindEventOnCreatedDay) {
    CSheep* s = New(u"A1", &doc_);
    int index = 42;
    EXPECT_EQ(s->FindEventOnDate(7, kDay, index), nullptr);
    EXPECT_EQ(index, 42);  // no events: untouched

    Add(s, EVENT_BORN, kDay);
    auto* tupped = new CEvent(kDay, 31, u"R1", u"x");
    tupped->SetCreated(COleDateTime(2003, 7, 15, 8, 0, 0));
    s->AddEvent(tupped, true);
    EXPECT_EQ(s->FindEventOnDate(31, COleDateTime(2003, 7, 15, 23, 0, 0), index), tupped);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(s->FindEventOnDate(31, COleDateTime(2003, 7, 16, 0, 0, 0), index), nullptr);
    EXPECT_EQ(index, -1);

    auto* twin = new CEvent(kDay, 31, u"R2", u"x");
    twin->SetCreated(COleDateTime(2003, 7, 15, 9, 0, 0));
    s->AddEvent(twin, true);
    EXPECT_EQ(s->FindEventOnDate(31, kDay, index), nullptr);
    EXPECT_EQ(index, -1);
    ASSERT_EQ(host_.Messages().size(), 1u);
    EXPECT_EQ(host_.Messages()[0].text, u"Found more than one event of this type created on this day");
}

TEST_F(SheepTest, SetDocumentOwnsTheEvents) {
    CSheep* s = New(u"A1");
    Add(s, EVENT_BORN, kDay);
    EXPECT_EQ(s->GetEventAt(0)->GetDocument(), nullptr);
    s->SetDocument(&doc_);
    EXPECT_EQ(s->GetEventAt(0)->GetDocument(), &doc_);
    EXPECT_EQ(s->GetEventAt(0)->GetEventName(), u"Born");
}

class PictureTest : public SheepTest {
protected:
    void SetUp() override {
        SheepTest::SetUp();
        dir_ = std::filesystem::temp_directory_path() / ("cvl_pictures_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_ / "A1dir.jpg");
        for (const char* name : {"A1.jpg", "A1.jpeg", "A10.JPG", "a1_2.bmp", "A1", "B1.jpg", "A1_x.gif"})
            std::ofstream(dir_ / name) << "x";
        saved_ = CSheepAppServices::Get().GetImageSearchPath();
        CSheepAppServices::Get().SetImageSearchPath({u"/nonexistent/folder", Utf8ToW(dir_.string())});
    }
    void TearDown() override {
        CSheepAppServices::Get().SetImageSearchPath(saved_);
        std::filesystem::remove_all(dir_);
        SheepTest::TearDown();
    }
    std::vector<std::string> Names(const std::vector<WString>& paths) {
        std::vector<std::string> names;
        for (const WString& p : paths) names.push_back(std::filesystem::path(WToUtf8(p)).filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::filesystem::path dir_;
    std::vector<WString> saved_;
};

TEST_F(PictureTest, FindsPicturesByNameAndExtension) {
    CSheep* s = New(u"A1");
    EXPECT_EQ(Names(s->FindImages()),
              (std::vector<std::string>{"A1", "A1.jpg", "A10.JPG", "A1_x.gif", "a1_2.bmp"}));
    EXPECT_EQ(WToUtf8(s->FindImages()[0]).rfind(dir_.string() + "/", 0), 0u);
    std::ofstream(dir_ / "A1_7.tif") << "x";
    EXPECT_EQ(s->FindImages().size(), 5u);  // filled once
    EXPECT_EQ(host_.WaitCursorShows(), 1);
}

TEST_F(PictureTest, NewPictureNameFollowsTheHighestNumber) {
    CSheep* s = New(u"A1");
    const WString name = s->MakeImageName();
    EXPECT_EQ(WToUtf8(name), (dir_ / "A1_3").string());
    EXPECT_FALSE(std::filesystem::exists(WToUtf8(name)));
}

TEST_F(PictureTest, APictureTakenIsListedOnce) {
    // Added before the list was ever filled: the search already finds the file.
    CSheep* fresh = New(u"B1");
    const WString taken = Utf8ToW((dir_ / "B1_0.jpg").string());
    std::ofstream(WToUtf8(taken)) << "x";
    fresh->AddImage(taken);
    EXPECT_EQ(Names(fresh->FindImages()), (std::vector<std::string>{"B1.jpg", "B1_0.jpg"}));
    // Added to a list filled before the file was there.
    CSheep* filled = New(u"A1");
    ASSERT_EQ(filled->FindImages().size(), 5u);
    const WString next = Utf8ToW((dir_ / "A1_3.jpg").string());
    std::ofstream(WToUtf8(next)) << "x";
    filled->AddImage(next);
    EXPECT_EQ(filled->FindImages().size(), 6u);
    EXPECT_EQ(filled->FindImages().back(), next);
}

TEST_F(PictureTest, TattooNeverLeadsOutOfTheImageFolders) {
    std::filesystem::create_directories(dir_ / "sub");
    std::ofstream(dir_ / "sub" / "x.jpg") << "x";
    const auto entries = [this] {
        std::error_code ec;
        return std::distance(std::filesystem::directory_iterator(dir_, ec), {});
    };
    const auto before = entries();
    // An empty tattoo would take every picture of every folder, and a new one named "_0".
    for (const char16_t* tattoo : {u"../A1", u"sub/x", u"..", u"A1/../../etc", u"/etc/passwd", u""}) {
        CSheep* s = New(tattoo);
        EXPECT_FALSE(s->HasSafeImageName()) << WToUtf8(tattoo);
        EXPECT_TRUE(s->FindImages().empty()) << WToUtf8(tattoo);
        EXPECT_TRUE(s->MakeImageName().empty()) << WToUtf8(tattoo);
    }
    EXPECT_TRUE(New(u"A.1")->HasSafeImageName());
    // Wildcards and format marks are plain characters of a name.
    for (const char16_t* tattoo : {u"A*", u"A?", u"%s%n", u"A[1]"}) {
        CSheep* s = New(tattoo);
        EXPECT_TRUE(s->FindImages().empty()) << WToUtf8(tattoo);
        EXPECT_EQ(WToUtf8(s->MakeImageName()), (dir_ / (WToUtf8(tattoo) + "_0")).string());
    }
    // A name too long for the file system is made in no folder.
    EXPECT_TRUE(New(WString(300, u'x').c_str())->MakeImageName().empty());
    EXPECT_EQ(entries(), before);  // no name probe is left behind
}

}  // namespace

namespace {

// An animal answering for its dual interface (the animal's own automation stands in later), so
// that the plug-in's hooks can be seen.
class CHookedSheep : public CSheep {
public:
    CHookedSheep(IFlockDocument* doc) : CSheep(u"H1", SEX_EWE, doc) {}
    DECLARE_INTERFACE_MAP()
};

BEGIN_INTERFACE_MAP(CHookedSheep, CSheep)
INTERFACE_PART(IID_ISheep, m_xDispatch)
END_INTERFACE_MAP()

TEST(SheepPlugInHooks, AddAndDeleteHooksAndBornOnFarm) {
    ASSERT_NE(RecordsTestBreed(), nullptr) << dlerror();
    CFakeDocument doc;
    CScriptedHost host;
    CCvlHostScope scope(host);
    CRefPtr<CHookedSheep> s = MakeRef<CHookedSheep>(&doc);
    const int added = TestHookCount(false), deleted = TestHookCount(true);
    s->AddEvent(new CEvent(kDay, EVENT_BORN), true);
    s->AddEvent(new CEvent(kDay, 30, u"a", u"b"), true);  // its code asks to hear of deletions
    EXPECT_EQ(TestHookCount(false), added + 2);           // every insert, system event or not
    s->RemoveEventAt(0, true);                            // Born: no deletion report
    EXPECT_EQ(TestHookCount(true), deleted);
    s->RemoveEventAt(0, true);
    EXPECT_EQ(TestHookCount(true), deleted + 1);
    EXPECT_TRUE(s->IsBornOnFarm());

    doc.withPlugIn = false;
    s->AddEvent(new CEvent(kDay, EVENT_BORN), true);
    EXPECT_EQ(TestHookCount(false), added + 2);
    EXPECT_FALSE(s->IsBornOnFarm());
    EXPECT_TRUE(host.Messages().empty());
}

}  // namespace
