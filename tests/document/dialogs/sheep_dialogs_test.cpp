// Add Dedov and Goto Dedov without their windows.
#include "document/sheep_dialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/sheep_doc.h"
#include "platform/settings.h"
#include "records/event.h"
#include "records/sheep.h"
#include "support/scripted_host_fixture.h"

namespace {

class SheepDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(doc.GetBreedPlugIn().LoadFile(std::string(CVL_TEST_PLUGIN_DIR) + "/breed_full.so", true),
                  BREED_LOADED);
        Add(u"A101", u"Red", u"12", 1000);
        Add(u"A102", u"Red", u"12", 0);
        Add(u"B201", u"Blue", u"7", 2000);
        Add(u"C301", u"", u"", 0);
    }
    void Add(const char16_t* key, const char16_t* colour, const char16_t* number, uint64_t eid) {
        CSheep* sheep = new CSheep(key, SEX_EWE, &doc);
        ASSERT_GE(doc.AddSheep(sheep, false), 0);
        sheep->SetEartagColour(colour);
        sheep->SetEartagNumber(number);
        sheep->SetElectronicID(eid);
    }

    CScopedScriptedHost host;
    CSheepDoc doc;
};

TEST_F(SheepDialogs, GotoFindsByEarTagTattooOrElectronicId) {
    struct Case {
        int mode;
        const char16_t* key;
        const char16_t* number;
        std::vector<WString> found;
    };
    const Case cases[] = {
        {CGotoSheepModel::MODE_EARTAG, u"Red", u"12", {u"A101", u"A102"}},
        {CGotoSheepModel::MODE_EARTAG, u"Red  ", u"12 ", {u"A101", u"A102"}},  // trailing blanks cut
        {CGotoSheepModel::MODE_EARTAG, u"red", u"12", {}},                     // ear tags keep their case
        {CGotoSheepModel::MODE_EARTAG, u"Blue", u"7", {u"B201"}},
        {CGotoSheepModel::MODE_EARTAG, u"Blue", u"12", {}},
        {CGotoSheepModel::MODE_TATTOO, u"b201", u"", {u"B201"}},  // the flock's keys ignore case
        {CGotoSheepModel::MODE_TATTOO, u"C301 ", u"", {u"C301"}},
        {CGotoSheepModel::MODE_TATTOO, u"Z999", u"", {}},
        {CGotoSheepModel::MODE_EID, u"2000", u"", {u"B201"}},
        {CGotoSheepModel::MODE_EID, u"0001000", u"", {u"A101"}},
        {CGotoSheepModel::MODE_EID, u"999", u"", {}},
        {CGotoSheepModel::MODE_EID, u"abc", u"", {}},
        {5, u"A101", u"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WToUtf8(c.key));
        CGotoSheepModel goto_(&doc);
        goto_.SetMode(c.mode);
        goto_.SetKey(c.key);
        goto_.SetNumber(c.number);
        EXPECT_EQ(goto_.Search(), c.found);
        EXPECT_EQ(goto_.GetState(), c.found.empty() ? CGotoSheepModel::Idle : CGotoSheepModel::ResultsShown);
    }
}

TEST_F(SheepDialogs, GotoEnablesFindOnlyWithEverythingItNeeds) {
    CGotoSheepModel goto_(&doc);
    goto_.SetMode(CGotoSheepModel::MODE_EARTAG);
    EXPECT_FALSE(goto_.IsFindEnabled());
    goto_.SetKey(u"Red");
    EXPECT_FALSE(goto_.IsFindEnabled());
    EXPECT_TRUE(goto_.IsNumberShown());
    goto_.SetNumber(u"12");
    EXPECT_TRUE(goto_.IsFindEnabled());
    goto_.SetNumber(u"");
    goto_.SetMode(CGotoSheepModel::MODE_TATTOO);
    EXPECT_TRUE(goto_.IsFindEnabled());
    EXPECT_FALSE(goto_.IsNumberShown());
    EXPECT_EQ(goto_.GetKeyLabel(), u"Tattoo:");
    goto_.SetMode(CGotoSheepModel::MODE_EID);
    EXPECT_EQ(goto_.GetKeyLabel(), u"Electronic ID:");
    goto_.SetKey(u"");
    EXPECT_FALSE(goto_.IsFindEnabled());
}

TEST_F(SheepDialogs, GotoTakesItsModeFromTheSettingsAndKeepsAnUnknownOne) {
    for (uint32_t stored : {0u, 1u, 2u, 7u}) {
        CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Search Mode", stored);
        CGotoSheepModel goto_(&doc);
        goto_.Init();
        EXPECT_EQ(goto_.GetMode(), int(stored));
    }
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Search Mode", 0);
}

TEST_F(SheepDialogs, GotoMakesTheChosenRowCurrentAndAnEditStartsOver) {
    CGotoSheepModel goto_(&doc);
    goto_.SetKey(u"Red");
    goto_.SetNumber(u"12");
    goto_.Search();
    EXPECT_TRUE(goto_.GotoRow(1));
    EXPECT_EQ(doc.GetCurrentKey(), u"A102");
    EXPECT_FALSE(goto_.GotoRow(2));
    goto_.SetNumber(u"13");
    EXPECT_EQ(goto_.GetState(), CGotoSheepModel::Idle);
}

TEST_F(SheepDialogs, AddRemembersThePurchaseBox) {
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Purchase", 0);
    CAddSheepModel add(&doc);
    add.Init();
    EXPECT_FALSE(add.ArePurchaseControlsEnabled());
    EXPECT_FALSE(add.IsOkEnabled());
    add.SetPurchased(true);
    EXPECT_TRUE(add.ArePurchaseControlsEnabled());
    CAddSheepModel next(&doc);
    next.Init();
    EXPECT_TRUE(next.m_bPurchased);
    next.SetPurchased(false);
    EXPECT_EQ(CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Purchase", 9), 0u);
}

TEST_F(SheepDialogs, AddAsksBeforeKeepingATattooThePlugInRefuses) {
    CAddSheepModel add(&doc);
    add.m_strTattoo = u"D401";  // the test breed takes four characters or more
    EXPECT_TRUE(add.IsOkEnabled());
    EXPECT_TRUE(add.OnOK());
    add.m_strTattoo = u"D4";
    host.Reply(IDS_KEEP_ODD_TATTOO, IDNO);
    EXPECT_FALSE(add.OnOK());
    host.Reply(IDS_KEEP_ODD_TATTOO, IDYES);
    EXPECT_TRUE(add.OnOK());
    EXPECT_EQ(host.Messages().back().type, MB_YESNO | MB_ICONEXCLAMATION | MB_HELP);
}

TEST_F(SheepDialogs, AddMakesTheAnimalWithItsPurchaseAndElectronicId) {
    CAddSheepModel add(&doc);
    add.m_strTattoo = u"D401";
    add.m_bPurchased = true;
    add.m_dtDate = COleDateTime(2026, 3, 4, 0, 0, 0);
    add.m_strPrice = u"120";
    add.m_strSeller = u"J. Price";
    WString key;
    ASSERT_TRUE(AddSheepFromDialog(doc, add, SEX_RAM, 3000, &key));
    EXPECT_EQ(key, u"D401");
    EXPECT_EQ(doc.GetCurrentKey(), u"D401");
    EXPECT_TRUE(doc.IsModified());
    CSheep* sheep = doc.FindSheep(u"D401");
    ASSERT_NE(sheep, nullptr);
    EXPECT_EQ(sheep->GetSex(), SEX_RAM);
    WString holder;
    EXPECT_TRUE(doc.LookupTattooByEID(3000, &holder));
    EXPECT_EQ(holder, u"D401");
    ASSERT_EQ(sheep->GetEventCount(), 1);
    const CEvent* purchase = sheep->GetEventAt(0);
    EXPECT_EQ(purchase->GetCode(), 1u);
    EXPECT_EQ(purchase->GetParameters(), (std::vector<WString>{u"J. Price", u"120", u""}));
}

TEST_F(SheepDialogs, AddWithoutPurchaseMakesNoEventAndAnExistingKeyCanBeKept) {
    CAddSheepModel add(&doc);
    add.m_strTattoo = u"a101";
    host.Reply(1040, IDNO);
    EXPECT_FALSE(AddSheepFromDialog(doc, add, -1, 4000, nullptr));
    EXPECT_EQ(doc.GetSheepCount(), 4);
    WString holder;
    EXPECT_FALSE(doc.LookupTattooByEID(4000, &holder));
    EXPECT_TRUE(doc.LookupTattooByEID(1000, &holder));
    EXPECT_EQ(holder, u"A101");
    add.m_strTattoo = u"E501";
    ASSERT_TRUE(AddSheepFromDialog(doc, add, -1, 0, nullptr));
    EXPECT_EQ(doc.FindSheep(u"E501")->GetEventCount(), 0);
}

}  // namespace
