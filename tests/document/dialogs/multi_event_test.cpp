// The multiple-event wizard without its windows: the page flow, the shared and the per-animal
// values, and what Finish adds to the animals.
#include "document/multi_event.h"

#include <gtest/gtest.h>

#include <string>

#include "document/sheep_doc.h"
#include "platform/settings.h"
#include "records/event.h"
#include "records/sheep.h"
#include "support/scripted_host_fixture.h"

namespace {

class MultiEvent : public ::testing::Test {
protected:
    void Load(const char* plugIn) {
        ASSERT_EQ(docRef().GetBreedPlugIn().LoadFile(std::string(CVL_TEST_PLUGIN_DIR) + "/" + plugIn, true),
                  BREED_LOADED);
        for (const char16_t* key : {u"A101", u"B202", u"C303"}) {
            auto* sheep = new CSheep(key, SEX_EWE, &docRef());
            ASSERT_GE(docRef().AddSheep(sheep, false), 0);
            sheep->SetEartagColour(u"Red");
            sheep->SetEartagNumber(WString(key).substr(1));
        }
        docRef().FindSheep(u"A101")->SetElectronicID(1);
        docRef().SetModifiedFlag(false);
        CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u"lb");
        CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Search Mode", 0);
    }
    void Start(std::vector<WString> names = {u"A101", u"B202", u"C303"}, int32_t filter = -1) {
        wizard = std::make_unique<CMultiEventWizard>(&docRef(), std::move(names), filter);
        for (CSheetPage* page : wizard->GetPages()) flowRef().AddPage(page);
        flowRef().Start();
    }
    unsigned Page() const { return flowRef().GetActivePage()->GetTemplateId(); }
    // From the welcome page to Choose Event with that event picked.
    void ChooseEvent(uint32_t code) {
        ASSERT_TRUE(flowRef().Next());
        ASSERT_TRUE(flowRef().Next());
        ASSERT_EQ(Page(), IDD_MULTI_EVENT_WIZ2);
        const auto& items = wizard->GetEventPage().GetItems();
        for (size_t i = 0; i < items.size(); ++i)
            if (i > 0 && items[i].second == code) wizard->GetEventPage().m_nSelected = int(i);
        ASSERT_GT(wizard->GetEventPage().m_nSelected, 0);
        wizard->GetEventPage().m_dtDate = COleDateTime(2024, 5, 6, 0, 0, 0);
    }
    std::vector<std::vector<WString>> EventsOf(const char16_t* key) {
        std::vector<std::vector<WString>> events;
        CSheep* sheep = docRef().FindSheep(key);
        for (int i = 0; i < sheep->GetEventCount(); ++i) {
            EXPECT_EQ(sheep->GetEventAt(i)->GetDate(), COleDateTime(2024, 5, 6, 0, 0, 0));
            std::vector<WString> e = sheep->GetEventAt(i)->GetParameters();
            e.insert(e.begin(), IntToW(sheep->GetEventAt(i)->GetCode()));
            events.push_back(e);
        }
        return events;
    }

    CSheepDoc& docRef() { return *docHolder; }
    CSheetFlow& flowRef() const { return *flowHolder; }
    // A fresh document and wizard.
    void Reset() {
        wizard.reset();
        flowHolder = std::make_unique<CSheetFlow>(true);
        docHolder = std::make_unique<CSheepDoc>();
        host.Clear();
    }

    CScopedScriptedHost host;
    std::unique_ptr<CSheepDoc> docHolder = std::make_unique<CSheepDoc>();
    std::unique_ptr<CSheetFlow> flowHolder = std::make_unique<CSheetFlow>(true);
    std::unique_ptr<CMultiEventWizard> wizard;
};

TEST_F(MultiEvent, PageFlowAndBothApplyPathsByEventType) {
    struct Case {
        const char* plugIn;
        uint32_t code;
        unsigned valuesPage;          // after Choose Event, and Back from Completion
        std::vector<WString> typed;   // page 3's boxes, or each grid row's cells
        std::vector<WString> stored;  // the event of each animal: code, then parameters
    };
    const Case cases[] = {
        // No parameters: straight to Completion; per animal too, applied as one shared event.
        {"breed_full.so", 9, IDD_MULTI_EVENT_WIZ5, {}, {u"9", u"", u"", u""}},
        {"breed_entry.so", 14, IDD_MULTI_EVENT_WIZ5, {}, {u"14", u"", u"", u""}},
        // Shared values always give three parameters.
        {"breed_full.so", 31, IDD_MULTI_EVENT_WIZ3, {u"HILL"}, {u"31", u"HILL", u"", u""}},
        {"breed_entry.so",
         11,
         IDD_MULTI_EVENT_WIZ3,
         {u"Lice", u"Dip", u"5ml"},
         {u"11", u"Lice", u"Dip", u"5ml"}},
        {"breed_full.so", 30, IDD_MULTI_EVENT_WIZ3, {u"X", u"Y", u"Z"}, {u"30", u"X", u"Y", u"Z"}},
        // A weight typed in pounds is stored as the New Event dialog stores it.
        {"breed_full.so", 4, IDD_MULTI_EVENT_WIZ3, {u"10"}, {u"4", u"21.2", u"", u""}},
        // Per animal: only the cells that hold text, in column order.
        {"breed_full.so", 32, IDD_MULTI_EVENT_WIZ4, {u"", u"2"}, {u"32", u"2"}},
        {"breed_entry.so", 34, IDD_MULTI_EVENT_WIZ4, {u"a", u"b", u"c"}, {u"34", u"a", u"b", u"c"}},
        {"breed_entry.so", 4, IDD_MULTI_EVENT_WIZ4, {u"10"}, {u"4", u"21.2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.plugIn) + " " + std::to_string(c.code));
        Reset();
        Load(c.plugIn);
        Start();
        ChooseEvent(c.code);
        ASSERT_TRUE(flowRef().Next());
        ASSERT_EQ(Page(), c.valuesPage);
        if (c.valuesPage == IDD_MULTI_EVENT_WIZ3) {
            for (size_t i = 0; i < c.typed.size(); ++i)
                wizard->GetDetailsPage().m_strParameter[i] = c.typed[i];
            ASSERT_TRUE(flowRef().Next());
        } else if (c.valuesPage == IDD_MULTI_EVENT_WIZ4) {
            CMultiEventWizard4& grid = wizard->GetGridPage();
            ASSERT_EQ(grid.GetRowCount(), 3);
            // A list of any length shows three parameter columns, never one per possible parameter.
            ASSERT_LE(grid.GetColumnCount(), kGridFirstParameterColumn + 3);
            for (int row = 0; row < 3; ++row)
                for (size_t i = 0; i < c.typed.size(); ++i)
                    ASSERT_TRUE(grid.SetCell(row, kGridFirstParameterColumn + int(i), c.typed[i]));
            ASSERT_TRUE(flowRef().Next());
        }
        ASSERT_EQ(Page(), IDD_MULTI_EVENT_WIZ5);
        // Back from Completion returns to the page the values came from, and on again.
        ASSERT_TRUE(flowRef().Back());
        EXPECT_EQ(Page(), c.valuesPage == IDD_MULTI_EVENT_WIZ5 ? IDD_MULTI_EVENT_WIZ2 : c.valuesPage);
        if (c.valuesPage == IDD_MULTI_EVENT_WIZ4) {
            for (int row = 0; row < 3; ++row)  // the grid was rebuilt
                for (size_t i = 0; i < c.typed.size(); ++i)
                    wizard->GetGridPage().SetCell(row, kGridFirstParameterColumn + int(i), c.typed[i]);
        }
        ASSERT_TRUE(flowRef().Next());
        ASSERT_EQ(Page(), IDD_MULTI_EVENT_WIZ5);
        ASSERT_TRUE(flowRef().Finish());
        wizard->Apply();
        for (const char16_t* key : {u"A101", u"B202", u"C303"})
            EXPECT_EQ(EventsOf(key), std::vector<std::vector<WString>>{c.stored}) << WToUtf8(key);
        EXPECT_TRUE(docRef().IsModified());
        EXPECT_TRUE(host.Messages().empty());
    }
}

TEST_F(MultiEvent, NoEventChosenStaysOnChooseEvent) {
    Load("breed_full.so");
    Start();
    ASSERT_TRUE(flowRef().Next());
    ASSERT_TRUE(flowRef().Next());
    EXPECT_EQ(wizard->GetEventPage().GetItems().front().first, u"");
    EXPECT_FALSE(flowRef().Next());
    EXPECT_EQ(Page(), IDD_MULTI_EVENT_WIZ2);
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.Messages()[0].text, u"Please select an event");
}

TEST_F(MultiEvent, AFilterListsOnlyEventsWhoseFirstParameterHasThatType) {
    Load("breed_full.so");
    Start({u"A101"}, 2);
    ASSERT_TRUE(flowRef().Next());
    ASSERT_TRUE(flowRef().Next());
    std::vector<uint32_t> codes;
    for (const auto& item : wizard->GetEventPage().GetItems()) codes.push_back(item.second);
    EXPECT_EQ(codes, (std::vector<uint32_t>{0, 1, 30, 31, 33}));  // the empty entry first
}

TEST_F(MultiEvent, TheCheckListFollowsTheSearchModeAndDecidesWhoGetsTheEvent) {
    Load("breed_full.so");
    Start({u"A101", u"B202", u"C303", u"NOBODY"});
    ASSERT_TRUE(flowRef().Next());
    CMultiEventWizard1& select = wizard->GetSelectPage();
    ASSERT_EQ(select.GetRows().size(), 3u);
    EXPECT_EQ(select.GetRows()[0].eid, u"0000000000000001");
    EXPECT_EQ(select.GetRows()[1].eid, u"");
    EXPECT_EQ(select.GetCountText(), u"(3 records selected)");
    const bool eartag[] = {true, true, true, false}, tattoo[] = {true, false, false, false},
               eid[] = {true, false, false, true};
    for (int column = 0; column < 4; ++column) EXPECT_EQ(select.IsColumnShown(column), eartag[column]);
    select.SetSearchMode(1);
    for (int column = 0; column < 4; ++column) EXPECT_EQ(select.IsColumnShown(column), tattoo[column]);
    select.SetSearchMode(2);
    for (int column = 0; column < 4; ++column) EXPECT_EQ(select.IsColumnShown(column), eid[column]);

    // Back from the grid to the list, one animal unchecked: it leaves the grid and the events.
    ASSERT_TRUE(flowRef().Next());
    wizard->GetEventPage().m_dtDate = COleDateTime(2024, 5, 6, 0, 0, 0);
    for (size_t i = 0; i < wizard->GetEventPage().GetItems().size(); ++i)
        if (wizard->GetEventPage().GetItems()[i].second == 32) wizard->GetEventPage().m_nSelected = int(i);
    ASSERT_TRUE(flowRef().Next());
    ASSERT_EQ(wizard->GetGridPage().GetRowCount(), 3);
    ASSERT_TRUE(flowRef().Back());
    ASSERT_EQ(Page(), IDD_MULTI_EVENT_WIZ2);
    ASSERT_TRUE(flowRef().Back());
    select.SetChecked(1, false);
    select.SetChecked(1, false);
    EXPECT_EQ(select.GetCountText(), u"(2 records selected)");
    ASSERT_TRUE(flowRef().Next());
    ASSERT_TRUE(flowRef().Next());
    ASSERT_EQ(wizard->GetGridPage().GetRowCount(), 2);
    EXPECT_EQ(wizard->GetGridPage().GetCell(1, 0), u"C303");
    EXPECT_FALSE(wizard->GetGridPage().SetCell(0, 2, u"x"));  // the identifying columns take nothing
    for (int row = 0; row < 2; ++row) wizard->GetGridPage().SetCell(row, 3, u"7");
    ASSERT_TRUE(flowRef().Next());
    ASSERT_TRUE(flowRef().Finish());
    wizard->Apply();
    EXPECT_EQ(docRef().FindSheep(u"A101")->GetEventCount(), 1);
    EXPECT_EQ(docRef().FindSheep(u"B202")->GetEventCount(), 0);
    EXPECT_EQ(docRef().FindSheep(u"C303")->GetEventCount(), 1);
}

TEST_F(MultiEvent, NoAnimalCheckedAddsNothingButStillMarksTheDocument) {
    Load("breed_full.so");
    Start();
    ASSERT_TRUE(flowRef().Next());
    for (int row = 0; row < 3; ++row) wizard->GetSelectPage().SetChecked(row, false);
    EXPECT_EQ(wizard->GetSelectPage().GetCountText(), u"(0 records selected)");
    ASSERT_TRUE(flowRef().Next());
    wizard->GetEventPage().m_nSelected = 1;
    ASSERT_TRUE(flowRef().Next());
    ASSERT_TRUE(flowRef().Next());
    ASSERT_TRUE(flowRef().Finish());
    wizard->Apply();
    for (const char16_t* key : {u"A101", u"B202", u"C303"})
        EXPECT_EQ(docRef().FindSheep(key)->GetEventCount(), 0);
    EXPECT_TRUE(docRef().IsModified());
}

TEST_F(MultiEvent, GridWeightsConvertBetweenUnitsAndAWeightThatIsNotANumberStopsTheClickAndNext) {
    Load("breed_entry.so");
    Start();
    ChooseEvent(4);
    ASSERT_TRUE(flowRef().Next());
    CMultiEventWizard4& grid = wizard->GetGridPage();
    ASSERT_TRUE(grid.IsUnitsShown());
    ASSERT_TRUE(grid.IsWeightInPounds());
    grid.SetCell(0, 3, u"10");
    int bad = -1;
    ASSERT_TRUE(grid.SetWeightInPounds(false, &bad));
    EXPECT_EQ(grid.GetCell(0, 3), u"21.20");
    EXPECT_EQ(grid.GetCell(1, 3), u"");  // empty cells stay empty
    ASSERT_TRUE(grid.SetWeightInPounds(true, &bad));
    EXPECT_EQ(grid.GetCell(0, 3), u"10.00");

    grid.SetCell(1, 3, u"abc");
    EXPECT_FALSE(grid.SetWeightInPounds(false, &bad));
    EXPECT_EQ(bad, 1);
    EXPECT_FALSE(grid.IsWeightInPounds());  // left at kg
    EXPECT_EQ(grid.GetCell(0, 3), u"10.00");
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{IDS_WEIGHT_NOT_CONVERTED});

    // Next also refuses an empty weight.
    grid.SetCell(1, 3, u"12");
    host.Clear();
    EXPECT_FALSE(flowRef().Next());
    EXPECT_EQ(grid.GetBadRow(), 2);
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{IDS_WEIGHT_NOT_CONVERTED});
    grid.SetCell(2, 3, u"8");
    ASSERT_TRUE(flowRef().Next());
    ASSERT_TRUE(flowRef().Finish());
    wizard->Apply();
    // Typed in kg now: stored as typed.
    EXPECT_EQ(docRef().FindSheep(u"A101")->GetEventAt(0)->GetParameters(), std::vector<WString>{u"10"});
    EXPECT_EQ(docRef().FindSheep(u"B202")->GetEventAt(0)->GetParameters(), std::vector<WString>{u"12"});
}

TEST_F(MultiEvent, ASharedWeightThatIsNotANumberIsRefused) {
    Load("breed_full.so");
    Start();
    ChooseEvent(4);
    ASSERT_TRUE(flowRef().Next());
    ASSERT_EQ(Page(), IDD_MULTI_EVENT_WIZ3);
    EXPECT_TRUE(wizard->GetDetailsPage().IsUnitsShown());
    wizard->GetDetailsPage().m_strParameter[0] = u"ten";
    EXPECT_FALSE(flowRef().Next());
    EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{IDS_WEIGHT_NOT_CONVERTED});
    wizard->GetDetailsPage().SetWeightInPounds(false);
    wizard->GetDetailsPage().m_strParameter[0] = u"10";
    ASSERT_TRUE(flowRef().Next());
    ASSERT_TRUE(flowRef().Finish());
    wizard->Apply();
    EXPECT_EQ(docRef().FindSheep(u"A101")->GetEventAt(0)->GetParameters()[0], u"10");
}

TEST_F(MultiEvent, CancelLeavesTheDocumentAlone) {
    Load("breed_full.so");
    Start();
    ChooseEvent(32);
    ASSERT_TRUE(flowRef().Next());
    for (int row = 0; row < 3; ++row) wizard->GetGridPage().SetCell(row, 3, u"1");
    ASSERT_TRUE(flowRef().Next());
    ASSERT_TRUE(flowRef().Cancel());
    wizard->Discard();
    for (const char16_t* key : {u"A101", u"B202", u"C303"})
        EXPECT_EQ(docRef().FindSheep(key)->GetEventCount(), 0);
    EXPECT_FALSE(docRef().IsModified());
}

}  // namespace
