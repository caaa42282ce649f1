#include "wyndrace/dual_flock.h"

#include <gtest/gtest.h>

#include "abi/dual_slots.h"
#include "document/sheep_doc.h"
#include "platform/automation/slot_call.h"
#include "records/addresses_collection.h"
#include "records/breeds.h"
#include "records/event.h"
#include "records/event_codes.h"
#include "records/history_collections.h"
#include "records/records_collection.h"
#include "records/record_interfaces.h"
#include "records/sheep.h"
#include "support/scripted_host_fixture.h"

namespace {

class DualFlockTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(doc_.GetBreedPlugIn().LoadFile(CVL_DOWNLOAD_BREED, true), BREED_LOADED);
        // Digits that are also positions in the flock: "3" is no animal, but there is a fourth one.
        for (const char16_t* t : {u"1", u"10", u"2", u"AB", u"CD"}) ASSERT_GE(doc_.AddSheep(new CSheep(t, SEX_EWE, nullptr), false), 0);
        dual_ = CRecordInterface<IDocument>(&doc_, IID_IDocument).Detach();
        flock_ = std::make_unique<CDualDownloadDocument>(dual_);
    }
    void TearDown() override {
        flock_.reset();
        dual_->Release();
        doc_.UnloadBreedPlugIn();
    }
    CScopedScriptedHost host_;
    CSheepDoc doc_;
    IDocument* dual_ = nullptr;
    std::unique_ptr<CDualDownloadDocument> flock_;
};

TEST_F(DualFlockTest, ANumericTattooIsATattooNeverAPosition) {
    ASSERT_GE(doc_.GetSheepCount(), 4);
    EXPECT_EQ(flock_->FindByTattoo(u"3"), std::nullopt);
    EXPECT_FALSE(flock_->SetEid(u"3", 33));
    EXPECT_FALSE(flock_->AddEvent(u"3", 40000, u"Weighing", {u"1"}));
    for (int i = 0; i < doc_.GetSheepCount(); ++i) EXPECT_EQ(doc_.GetSheepAt(i)->GetElectronicID(), 0u);

    EXPECT_TRUE(flock_->SetEid(u"10", 1010));
    EXPECT_EQ(doc_.FindSheep(u"10")->GetElectronicID(), 1010u);
    EXPECT_EQ(flock_->FindByTattoo(u"10"), 1010u);
    EXPECT_EQ(flock_->FindByTattoo(u"ab"), 0u);
    EXPECT_EQ(flock_->FindByEid(1010), WString(u"10"));
    EXPECT_EQ(flock_->FindByEid(999), std::nullopt);
    // One EID, one animal.
    EXPECT_FALSE(flock_->SetEid(u"AB", 1010));
    EXPECT_EQ(flock_->TattoosWithoutEid(), (std::vector<WString>{u"1", u"2", u"AB", u"CD"}));
}

TEST_F(DualFlockTest, NewAnimalsAndEventsReachTheDocument) {
    EXPECT_TRUE(flock_->AddSheep(u"NEW1", 1));
    ASSERT_NE(doc_.FindSheep(u"NEW1"), nullptr);
    EXPECT_EQ(doc_.FindSheep(u"NEW1")->GetSex(), SEX_RAM);
    // Never over an animal the flock has (no replace question is asked either).
    EXPECT_FALSE(flock_->AddSheep(u"AB", 1));
    EXPECT_EQ(doc_.FindSheep(u"AB")->GetSex(), SEX_EWE);

    const double when = COleDateTime(2024, 5, 6, 7, 8, 9).m_dt;
    EXPECT_TRUE(flock_->AddEvent(u"AB", when, u"Weighing", {u"106"}));
    CSheep* ab = doc_.FindSheep(u"AB");
    ASSERT_EQ(ab->GetEventCount(), 1);
    EXPECT_EQ(ab->GetEventAt(0)->GetParameters(), (std::vector<WString>{u"106"}));
    EXPECT_EQ(ab->GetEventAt(0)->GetDate().m_dt, when);

    EXPECT_FALSE(flock_->AddressExists(u"NOWHERE"));
}

TEST(DualFlockSlots, TheSlotNumbersHold) {
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Application), size_t(dual_slots::document::kGetApplication));
    EXPECT_EQ(SlotIndexOf(&IDocument::get_Breed), size_t(dual_slots::document::kGetBreed));
    EXPECT_EQ(SlotIndexOf(&IRecords::GetByEID), size_t(dual_slots::records::kGetByEID));
    EXPECT_EQ(SlotIndexOf(&IRecords::Add), size_t(dual_slots::records::kAdd));
    EXPECT_EQ(SlotIndexOf(&ISheep::get_Events), size_t(dual_slots::sheep::kGetEvents));
    EXPECT_EQ(SlotIndexOf(&ISheep::get__ElectronicID), size_t(dual_slots::sheep::kGetEidNumber));
    EXPECT_EQ(SlotIndexOf(&ISheep::put__ElectronicID), size_t(dual_slots::sheep::kPutEidNumber));
    EXPECT_EQ(SlotIndexOf(&IEvents::Add), size_t(dual_slots::events::kAdd));
    EXPECT_EQ(SlotIndexOf(&IBreed::get_Name), size_t(dual_slots::breed::kGetName));
    EXPECT_EQ(SlotIndexOf(&IBreed::get_EventCodes), size_t(dual_slots::breed::kGetEventCodes));
    EXPECT_EQ(SlotIndexOf(&IBreed::ValidateTattoo), size_t(dual_slots::breed::kValidateTattoo));
    EXPECT_EQ(SlotIndexOf(&IEventCodes::Item), size_t(dual_slots::event_codes::kItem));
    EXPECT_EQ(SlotIndexOf(&IEventCodes::get_Count), size_t(dual_slots::event_codes::kCount));
    EXPECT_EQ(SlotIndexOf(&IEventCodeProperties::Item), size_t(dual_slots::event_codes::kItem));
    EXPECT_EQ(SlotIndexOf(&IEventCodeProperties::get_Count), size_t(dual_slots::event_codes::kCount));
    EXPECT_EQ(SlotIndexOf(&IEventCode::get_Value), size_t(dual_slots::event_code::kGetValue));
    EXPECT_EQ(SlotIndexOf(&IEventCode::get_EventCodeProperties), size_t(dual_slots::event_code::kGetProperties));
    EXPECT_EQ(SlotIndexOf(&IEventCode::get_TypeBit0), size_t(dual_slots::event_code::kGetTypeBit0));
    EXPECT_EQ(SlotIndexOf(&IEventCodeProperty::get_Value), size_t(dual_slots::event_code_property::kGetValue));
    EXPECT_EQ(SlotIndexOf(&IEventCodeProperty::get_DataType), size_t(dual_slots::event_code_property::kGetDataType));
    EXPECT_EQ(SlotIndexOf(&IAddresses::Exists), size_t(dual_slots::addresses::kExists));
    EXPECT_EQ(SlotIndexOf(&IAddresses::AddDialog), size_t(dual_slots::addresses::kAddDialog));
}

}  // namespace
