// The shipped breed plug-in against the program's own interfaces: it reads animals, the document
// and its records collection only by slot number, so these tests hand it real ones.
#include "shipped_breed.h"

#include "abi/dual_slots.h"
#include "platform/automation/slot_call.h"
#include "records/history_collections.h"
#include "records/records_collection.h"
#include "records/signet.h"

namespace {

TEST(ShippedBreedSlots, AgreeWithTheProgramsInterfaces) {
    namespace slots = dual_slots;
    EXPECT_EQ(SlotIndexOf(&IUnknown::Release), size_t(slots::kRelease));
    EXPECT_EQ(SlotIndexOf(&ISheep::get_Tattoo), size_t(slots::sheep::kGetTattoo));
    EXPECT_EQ(SlotIndexOf(&ISheep::get_DateofBirth), size_t(slots::sheep::kGetDateofBirth));
    EXPECT_EQ(SlotIndexOf(&ISheep::get_DateofPurchase), size_t(slots::sheep::kGetDateofPurchase));
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Records), size_t(slots::document::kGetRecords));
    EXPECT_EQ(SlotIndexOf(&IRecords::Item), size_t(slots::records::kItem));
    EXPECT_EQ(SlotIndexOf(&IRecords::get_Count), size_t(slots::records::kCount));
}

TEST_F(ShippedBreedInADocument, BornOnTheFarmDecidesTheOnFarmSelection) {
    const COleDateTime spring2025(2025, 4, 1, 0, 0, 0);
    CSheep* born = Add(u"B1");
    AddEvent(born, COleDateTime(2026, 3, 1, 0, 0, 0), EVENT_BORN, u"Normal");
    // Bought in: its birth event does not put it on the farm.
    CSheep* boughtIn = Add(u"X1");
    const COleDateTime bought(2026, 2, 1, 0, 0, 0);
    boughtIn->SetFieldValue(SF_DATE_OF_PURCHASE, &bought);
    AddEvent(boughtIn, spring2025, EVENT_BORN, u"Normal");
    // Its purchase puts it on the farm whatever the plug-in says of its birth.
    CSheep* purchased = Add(u"P1");
    AddEvent(purchased, spring2025, EVENT_BORN, u"Normal");
    AddEvent(purchased, COleDateTime(2026, 1, 10, 0, 0, 0), EVENT_PURCHASED, u"K1", u"AML 1");
    CSheep* undated = Add(u"N1");
    AddEvent(undated, spring2025, EVENT_WEIGHED, u"40");
    CSheep* sold = Add(u"S1", SEX_RAM);
    AddEvent(sold, COleDateTime(2026, 3, 2, 0, 0, 0), EVENT_BORN, u"Normal");
    AddEvent(sold, COleDateTime(2026, 5, 1, 0, 0, 0), EVENT_SOLD, u"K2", u"AML 2");

    const uint32_t refs = born->GetRefCount();
    EXPECT_TRUE(born->IsBornOnFarm());
    EXPECT_TRUE(sold->IsBornOnFarm());
    EXPECT_FALSE(boughtIn->IsBornOnFarm());
    EXPECT_FALSE(purchased->IsBornOnFarm());
    EXPECT_FALSE(undated->IsBornOnFarm());
    EXPECT_EQ(born->GetRefCount(), refs);  // the interface handed to the plug-in was released

    CCriteria& criteria = doc.GetExtractionCriteria();
    struct Case {
        int32_t kind;
        COleDateTime date;
        bool ramsOnly;
        int count;
    };
    const Case cases[] = {
        {CRITERIA_ON_FARM, COleDateTime(2026, 6, 1, 0, 0, 0), false, 2},  // B1, P1
        {CRITERIA_ON_FARM, COleDateTime(2026, 4, 1, 0, 0, 0), false, 3},  // and S1 before its sale
        {CRITERIA_ON_FARM, COleDateTime(2026, 4, 1, 0, 0, 0), true, 1},
        {CRITERIA_BORN, COleDateTime(2026, 7, 1, 0, 0, 0), false, 2},
        {CRITERIA_SOLD, COleDateTime(2026, 7, 1, 0, 0, 0), false, 1},
        {CRITERIA_ALL, COleDateTime(2026, 7, 1, 0, 0, 0), false, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        criteria.m_nType = c.kind;
        criteria.m_dtDate = c.date;
        criteria.m_bEwes = !c.ramsOnly;
        EXPECT_EQ(doc.CountMatchingSheep(), c.count);
    }

    // The Signet averages of a class go to animals born on the farm only.
    doc.SetSignetAverages(2026, SEX_EWE, MakeRef<CSignetData>());
    doc.SetSignetAverages(2025, SEX_EWE, MakeRef<CSignetData>());
    EXPECT_NE(doc.GetSignetAverages(born), nullptr);
    EXPECT_EQ(doc.GetSignetAverages(boughtIn), nullptr);

    // Without the plug-in's answer a birth puts no animal on the farm.
    criteria = CCriteria();
    criteria.m_dtDate = COleDateTime(2026, 6, 1, 0, 0, 0);
    doc.UnloadBreedPlugIn();
    EXPECT_FALSE(born->IsBornOnFarm());
    EXPECT_EQ(doc.CountMatchingSheep(), 1);
}

TEST_F(ShippedBreedInADocument, LambNumbersFromTheFlockThroughItsRecordsCollection) {
    for (const char16_t* t : {u"001/26", u"007/26", u"012/25", u"A12", u"UK 100/26"}) Add(t);
    CSheep* ram = Add(u"R1", SEX_RAM);
    CSheep* ewe = doc.FindSheep(u"001/26");
    ASSERT_NE(ewe, nullptr);

    CRecords* records = doc.GetRecordsObject();
    const uint32_t docRefs = doc.GetRefCount(), recordsRefs = records->GetRefCount();
    const uint32_t ramRefs = ram->GetRefCount(), eweRefs = ewe->GetRefCount();

    const int32_t lambing = Day(2026, 3, 15);
    EXPECT_EQ(doc.GetNextIndex(Day(2025, 12, 31)), 13);
    EXPECT_EQ(doc.GetNextIndex(Day(2027, 1, 1)), 1);
    const int32_t next = doc.GetNextIndex(lambing);
    EXPECT_EQ(next, 8);

    // The lambing step: the lamb's number first, the lambing day second, then ram and ewe.
    const WString lamb = doc.BuildTattoo(next, lambing, u"R1", u"001/26");
    EXPECT_EQ(lamb, u"008/26");
    EXPECT_EQ(doc.BuildTattoo(next, lambing, u"NOBODY", u"001/26"), lamb);
    EXPECT_NE(doc.IsTattooValid(lamb), 0);
    EXPECT_EQ(doc.GetLambIndex(lamb), next);
    EXPECT_EQ(doc.FindSheep(lamb), nullptr);

    // Every interface the plug-in was handed or fetched was released.
    EXPECT_EQ(doc.GetRefCount(), docRefs);
    EXPECT_EQ(records->GetRefCount(), recordsRefs);
    EXPECT_EQ(ram->GetRefCount(), ramRefs);
    EXPECT_EQ(ewe->GetRefCount(), eweRefs);

    Add(lamb.c_str());
    EXPECT_EQ(doc.GetNextIndex(lambing), 9);
}

TEST_F(ShippedBreedInADocument, EventHooksReceiveTheAnimalAndItsEvent) {
    CSheep* sheep = Add(u"B1");
    const uint32_t refs = sheep->GetRefCount();
    const COleDateTime day(2026, 3, 15, 0, 0, 0);
    AddEvent(sheep, day, 11, u"Lameness", u"Oxytetracycline", u"5 ml");
    AddEvent(sheep, day, 14);

    // A script adds and deletes through the animal's collections.
    CRecordInterface<ISheep> dual(sheep, IID_ISheep);
    ASSERT_TRUE(dual);
    IEvents* events = nullptr;
    ASSERT_EQ(dual.Get()->get_Events(&events), S_OK);
    VARIANT none;
    VariantInit(&none);
    IEvent* dosed = nullptr;
    ASSERT_EQ(events->Add(day.m_dt, CComBSTR(u"Shorn"), none, &dosed), S_OK);
    dosed->Release();

    ASSERT_EQ(HookCalls().size(), 3u);
    const char16_t* added[] = {u"Treated", u"Shorn", u"Shorn"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(HookCalls()[i].hook, "add");
        EXPECT_EQ(HookCalls()[i].tattoo, u"B1");
        EXPECT_EQ(HookCalls()[i].eventName, added[i]);
        EXPECT_TRUE(HookCalls()[i].eventOfThatAnimal);
    }

    // Only an event whose type reports deletions is reported before it goes.
    HookCalls().clear();
    auto indexOf = [&](uint32_t code) {
        for (int i = 0; i < sheep->GetEventCount(); ++i)
            if (sheep->GetEventAt(i)->GetCode() == code) return i;
        return -1;
    };
    sheep->RemoveEventAt(indexOf(14), true);
    EXPECT_TRUE(HookCalls().empty());
    VARIANT index;
    VariantInit(&index);
    index.vt = VT_I2;
    index.iVal = SHORT(indexOf(11));
    ASSERT_EQ(events->Delete(index), S_OK);
    ASSERT_EQ(HookCalls().size(), 1u);
    EXPECT_EQ(HookCalls()[0].hook, "delete");
    EXPECT_EQ(HookCalls()[0].tattoo, u"B1");
    EXPECT_EQ(HookCalls()[0].eventName, u"Treated");
    EXPECT_TRUE(HookCalls()[0].eventOfThatAnimal);
    EXPECT_EQ(indexOf(11), -1);
    events->Release();
    EXPECT_EQ(sheep->GetRefCount(), refs + 1);  // the test's own ISheep
}

}  // namespace
