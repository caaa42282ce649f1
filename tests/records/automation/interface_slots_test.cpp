// The interfaces' shapes: slot-safe, and the last slot of each where its order puts it.
#include <gtest/gtest.h>

#include "platform/automation/slot_call.h"
#include "records/breeds.h"
#include "records/event_codes.h"
#include "records/history_collections.h"
#include "records/record_automation.h"
#include "records/sheep_automation.h"

static_assert(IsSlotSafeInterface<ISheep>() && IsSlotSafeInterface<IEvents>() &&
              IsSlotSafeInterface<ILambingHistory>() && IsSlotSafeInterface<ITuppingHistory>() &&
              IsSlotSafeInterface<ILambs>() && IsSlotSafeInterface<IEweLambingData>() &&
              IsSlotSafeInterface<ILambData>() && IsSlotSafeInterface<IRamLambingData>() &&
              IsSlotSafeInterface<ISignetData>() && IsSlotSafeInterface<IAddress>() &&
              IsSlotSafeInterface<IEventCodes>() && IsSlotSafeInterface<IEventCode>() &&
              IsSlotSafeInterface<IEventCodeProperties>() && IsSlotSafeInterface<IEventCodeProperty>() &&
              IsSlotSafeInterface<IBreeds>() && IsSlotSafeInterface<IBreed>());

TEST(InterfaceSlots, EachInterfaceEndsWhereItsOrderPutsIt) {
    EXPECT_EQ(SlotIndexOf(&ISheep::get_Tattoo), 7u);
    EXPECT_EQ(SlotIndexOf(&ISheep::get_TuppingHistory), 30u);
    EXPECT_EQ(SlotIndexOf(&ISheep::put_Flags), 69u);
    EXPECT_EQ(SlotIndexOf(&IEvents::Delete), 13u);
    EXPECT_EQ(SlotIndexOf(&ILambingHistory::Delete), 12u);
    EXPECT_EQ(SlotIndexOf(&ITuppingHistory::Delete), 12u);
    EXPECT_EQ(SlotIndexOf(&ILambs::Add), 13u);
    EXPECT_EQ(SlotIndexOf(&IEweLambingData::put_Tup), 17u);
    EXPECT_EQ(SlotIndexOf(&ILambData::get_BirthWeight), 14u);
    EXPECT_EQ(SlotIndexOf(&IRamLambingData::get_Ewes), 16u);
    EXPECT_EQ(SlotIndexOf(&ISignetData::put_LeanIndex), 24u);
    EXPECT_EQ(SlotIndexOf(&IAddress::get_Email), 19u);
    EXPECT_EQ(SlotIndexOf(&IEventCodes::get_Count), 11u);
    EXPECT_EQ(SlotIndexOf(&IEventCode::get_TypeBit4), 15u);
    EXPECT_EQ(SlotIndexOf(&IEventCodeProperties::get_Count), 11u);
    EXPECT_EQ(SlotIndexOf(&IEventCodeProperty::get_DataType), 10u);
    EXPECT_EQ(SlotIndexOf(&IBreeds::get_Count), 11u);
    EXPECT_EQ(SlotIndexOf(&IBreed::ValidateTattoo), 12u);
}
