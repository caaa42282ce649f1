// The flock, its ear-tag index and its EID map are kept by the animals' keys, so nothing may give an
// animal of a document another key behind the document's back.
#include "platform/automation/driver.h"
#include "records/records_collection.h"
#include "shipped_breed.h"

namespace {

class AnimalKeyInADocument : public ::testing::Test {
protected:
    void SetUp() override {
        first = new CSheep(u"A1", SEX_EWE, nullptr);
        ASSERT_GE(doc.AddSheep(first, false), 0);
        const uint64_t eid = 5;
        first->SetFieldValue(SF_ELECTRONIC_ID, &eid);
        const WString colour = u"Red", number = u"17";
        first->SetFieldValue(SF_EARTAG_COLOUR, &colour);
        first->SetFieldValue(SF_EARTAG_NUMBER, &number);
        second = new CSheep(u"B2", SEX_RAM, nullptr);
        ASSERT_GE(doc.AddSheep(second, false), 0);
    }

    WString HolderOf(uint64_t eid) {
        WString tattoo;
        return doc.LookupTattooByEID(eid, &tattoo) ? tattoo : u"(none)";
    }

    CScopedScriptedHost host;
    CSheepDoc doc;
    CSheep* first = nullptr;
    CSheep* second = nullptr;
};

TEST_F(AnimalKeyInADocument, AnotherKeyIsRefusedEveryWay) {
    const WString other = u"C3";
    EXPECT_FALSE(first->SetTattoo(other));
    EXPECT_FALSE(first->SetFieldValue(SF_TATTOO, &other));
    // A script has no put of the tattoo.
    COleDispatchDriver script(first->GetIDispatch(true));
    EXPECT_ANY_THROW(script.Put(u"Tattoo", COleVariant(WStringView(u"C3"))));

    EXPECT_EQ(first->GetTattoo(), u"A1");
    EXPECT_EQ(doc.FindSheep(u"A1"), first);
    EXPECT_EQ(doc.FindSheep(u"C3"), nullptr);
    EXPECT_EQ(HolderOf(5), u"A1");
    std::vector<WString> names;
    EXPECT_TRUE(doc.GetEarTagNames(u"Red", u"17", &names));
    EXPECT_EQ(names, std::vector<WString>{u"A1"});

    // Out of any document the key is the caller's to choose.
    CSheep loose(u"L1", SEX_EWE, nullptr);
    EXPECT_TRUE(loose.SetTattoo(other));
    EXPECT_EQ(loose.GetTattoo(), u"C3");
}

TEST_F(AnimalKeyInADocument, ACaseChangeCarriesTheEidMapAlong) {
    const WString lower = u"a1";
    EXPECT_TRUE(first->SetFieldValue(SF_TATTOO, &lower));
    EXPECT_EQ(first->GetTattoo(), u"a1");
    EXPECT_EQ(doc.FindSheep(u"A1"), first);
    EXPECT_EQ(HolderOf(5), u"a1");

    // A script moves the EID: the old number no longer finds the animal.
    CRecordInterface<ISheep> dual(first, IID_ISheep);
    ASSERT_TRUE(dual);
    ASSERT_EQ(dual.Get()->put__ElectronicID(7), S_OK);
    EXPECT_EQ(HolderOf(5), u"(none)");
    EXPECT_EQ(HolderOf(7), u"a1");

    // Another animal may not take the number the renamed one holds.
    const uint64_t taken = 7;
    EXPECT_FALSE(second->SetFieldValue(SF_ELECTRONIC_ID, &taken));
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{40});
    EXPECT_EQ(HolderOf(7), u"a1");
}

}  // namespace
