// The History page's event list without its window: order, edits, the write back into the animal,
// and the clipboard forms.
#include "document/event_history.h"

#include <gtest/gtest.h>

#include <string>

#include "document/sheep_doc.h"
#include "platform/settings.h"
#include "records/event.h"
#include "records/sheep.h"
#include "support/scripted_host_fixture.h"

namespace {

COleDateTime March(int day) {
    return COleDateTime(2024, 3, day, 0, 0, 0);
}

class EventHistory : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(doc.GetBreedPlugIn().LoadFile(std::string(CVL_TEST_PLUGIN_DIR) + "/breed_full.so", true),
                  BREED_LOADED);
        for (const char16_t* key : {u"A101", u"B202"})
            ASSERT_GE(doc.AddSheep(new CSheep(key, SEX_EWE, &doc), false), 0);
        ewe = doc.FindSheep(u"A101");
        WriteEventSortOrder(EVENT_SORT_DESCENDING);
        log = reinterpret_cast<const char* (*)()>(doc.GetBreedProc("TestBreedLog"));
        clear = reinterpret_cast<void (*)()>(doc.GetBreedProc("TestBreedClearLog"));
    }
    CEvent* Give(CSheep* sheep, int day, uint32_t code, const char16_t* p1 = u"1") {
        auto* event = new CEvent(March(day), code, p1);
        sheep->AddEvent(event, false);
        return event;
    }
    static std::vector<int> Days(const CEventHistoryList& list) {
        std::vector<int> days;
        for (int i = 0; i < list.GetCount(); ++i) days.push_back(list.GetAt(i)->GetDate().GetDay());
        return days;
    }
    static std::vector<int> Days(const CSheep* sheep) {
        std::vector<int> days;
        for (int i = 0; i < sheep->GetEventCount(); ++i)
            days.push_back(sheep->GetEventAt(i)->GetDate().GetDay());
        return days;
    }

    CScopedScriptedHost host;
    CSheepDoc doc;
    CSheep* ewe = nullptr;
    const char* (*log)() = nullptr;
    void (*clear)() = nullptr;
};

TEST_F(EventHistory, NewestFirstUntilSortFlipsTheOrderAndTheSetting) {
    Give(ewe, 1, 4);
    Give(ewe, 5, 4);
    Give(ewe, 2, 4);
    CEventHistoryList list;
    list.Load(ewe);
    EXPECT_EQ(Days(list), (std::vector<int>{5, 2, 1}));
    list.ToggleSortOrder();
    EXPECT_EQ(Days(list), (std::vector<int>{1, 2, 5}));
    EXPECT_EQ(ReadEventSortOrder(), EVENT_SORT_ASCENDING);
    EXPECT_EQ(MirrorSelection(3, {0}), std::vector<int>{2});
    EXPECT_EQ(MirrorSelection(4, {0, 3, 1}), (std::vector<int>{0, 2, 3}));
    CEventHistoryList again;  // the order is remembered
    again.Load(ewe);
    EXPECT_EQ(Days(again), (std::vector<int>{1, 2, 5}));
}

TEST_F(EventHistory, EventsOnOneDayAreOrderedByTheirTexts) {
    // Shown as 2.00, 3.00 and 1.00 lb.
    for (const char16_t* weight : {u"4.24", u"6.36", u"2.12"}) Give(ewe, 3, 4, weight);
    Give(ewe, 2, 4, u"9");
    CEventHistoryList list;
    list.Load(ewe);
    std::vector<WString> buyers;
    for (int i = 0; i < list.GetCount(); ++i) buyers.push_back(list.GetAt(i)->GetParameter(0));
    EXPECT_EQ(buyers, (std::vector<WString>{u"6.36", u"4.24", u"2.12", u"9"}));
}

TEST_F(EventHistory, SavingWritesTheListBackInAscendingOrderTellingThePlugInOfEachStep) {
    for (int order : {EVENT_SORT_DESCENDING, EVENT_SORT_ASCENDING}) {
        SCOPED_TRACE(order);
        while (ewe->GetEventCount() > 0) ewe->RemoveEventAt(0, true);
        WriteEventSortOrder(order);
        Give(ewe, 1, 30);
        Give(ewe, 5, 4);
        CEventHistoryList list;
        list.Load(ewe);
        EXPECT_TRUE(list.IsChanged());
        EXPECT_FALSE(list.IsEdited());
        list.Add(CRefPtr<CEvent>::Adopt(new CEvent(March(3), 4, u"2")));
        EXPECT_TRUE(list.IsEdited());
        clear();
        list.Save(&doc, nullptr);
        EXPECT_EQ(Days(ewe), (std::vector<int>{1, 3, 5}));
        // Code 30 asks to hear of deletions.
        EXPECT_EQ(std::string(log()), "OnDeleteBreedEvent;OnAddBreedEvent;OnAddBreedEvent;OnAddBreedEvent;");
        EXPECT_FALSE(list.IsChanged());
        EXPECT_FALSE(list.IsEdited());
        for (int i = 0; i < ewe->GetEventCount(); ++i) EXPECT_EQ(ewe->GetEventAt(i)->GetOwner(), ewe);
    }
}

TEST_F(EventHistory, SavingGoesIntoTheAnimalLoadedAndKeepsWhatOtherRoutesDid) {
    CEvent* kept = Give(ewe, 1, 4);
    CEvent* deletedByUser = Give(ewe, 2, 4);
    CEvent* removedElsewhere = Give(ewe, 3, 4);
    CEventHistoryList list;
    list.Load(ewe);
    // Another animal becomes current; a script adds one event to the ewe and removes another.
    doc.SelectSheep(u"B202", false, false, nullptr);
    Give(ewe, 4, 4);
    for (int i = 0; i < ewe->GetEventCount(); ++i)
        if (ewe->GetEventAt(i) == removedElsewhere) ewe->RemoveEventAt(i, true);
    list.RemoveAt(list.IndexOf(deletedByUser));
    list.Add(CRefPtr<CEvent>::Adopt(new CEvent(March(6), 4, u"9")));
    list.Save(&doc, nullptr);
    EXPECT_EQ(Days(ewe), (std::vector<int>{1, 4, 6}));
    EXPECT_EQ(ewe->GetEventAt(0), kept);
    EXPECT_EQ(doc.FindSheep(u"B202")->GetEventCount(), 0);
    // A second save changes nothing: the script's event is still not the list's to drop.
    list.Save(&doc, nullptr);
    EXPECT_EQ(Days(ewe), (std::vector<int>{1, 4, 6}));
}

TEST_F(EventHistory, NothingIsSavedIntoAnAnimalThatLeftTheDocument) {
    Give(ewe, 1, 4);
    CRefPtr<CSheep> held(ewe);
    CEventHistoryList list;
    list.Load(ewe);
    list.RemoveAt(0);
    int index = -1;
    ASSERT_TRUE(doc.FindSheepIndex(u"A101", &index));
    doc.DeleteSheep(index);
    list.Save(&doc, nullptr);
    EXPECT_EQ(held->GetEventCount(), 1);
}

TEST_F(EventHistory, EditReplacesTheItemKeepingOwnerAndCreated) {
    CEvent* old = Give(ewe, 1, 4, u"10");
    old->SetCreated(COleDateTime(2020, 1, 1, 0, 0, 0));
    CEventHistoryList list;
    list.Load(ewe);
    const COleDateTime before = COleDateTime::GetCurrentTime();
    const int at = list.Replace(0, CRefPtr<CEvent>::Adopt(new CEvent(March(2), 4, u"11")));
    ASSERT_EQ(at, 0);
    CEvent* replaced = list.GetAt(0);
    EXPECT_NE(replaced, old);
    EXPECT_EQ(replaced->GetOwner(), ewe);
    EXPECT_EQ(replaced->GetCreated(), COleDateTime(2020, 1, 1, 0, 0, 0));
    EXPECT_GE(replaced->GetEdited().m_dt, before.m_dt - 1.0 / 86400);
    list.Save(&doc, nullptr);
    ASSERT_EQ(ewe->GetEventCount(), 1);
    EXPECT_EQ(ewe->GetEventAt(0)->GetParameters(), std::vector<WString>{u"11"});
}

TEST_F(EventHistory, CopiedEventsAsTextAndAsTheirPrivateArchive) {
    CEvent* a = Give(ewe, 1, 4, u"10");
    CEvent* b = Give(ewe, 2, 31, u"Hill");
    const std::vector<uint8_t> text = BuildEventText({a, b});
    WString expected = a->FormatText(true) + u"\r\n" + b->FormatText(true) + u"\r\n";
    expected.push_back(u'\0');
    ASSERT_EQ(text.size(), 2 + expected.size() * 2);
    EXPECT_EQ(text[0], 0xFF);
    EXPECT_EQ(text[1], 0xFE);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(text[2 + 2 * i], uint8_t(expected[i] & 0xFF));
        EXPECT_EQ(text[3 + 2 * i], uint8_t(expected[i] >> 8));
    }

    a->SetCreated(COleDateTime(2020, 1, 2, 3, 4, 5));
    std::vector<CRefPtr<CEvent>> pasted;
    ASSERT_TRUE(ReadEventArchive(BuildEventArchive({a, b}), pasted));
    ASSERT_EQ(pasted.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const CEvent* original = i == 0 ? a : b;
        EXPECT_EQ(pasted[i]->GetDate(), original->GetDate());
        EXPECT_EQ(pasted[i]->GetCode(), original->GetCode());
        EXPECT_EQ(pasted[i]->GetParameters(), original->GetParameters());
        EXPECT_EQ(pasted[i]->GetCreated(), original->GetCreated());
        EXPECT_EQ(pasted[i]->GetEdited(), original->GetEdited());
        EXPECT_EQ(pasted[i]->GetOwner(), nullptr);
    }
    std::vector<uint8_t> damaged = BuildEventArchive({a, b});
    damaged.resize(damaged.size() / 2);
    EXPECT_FALSE(ReadEventArchive(damaged, pasted));
    EXPECT_TRUE(pasted.empty());
}

TEST_F(EventHistory, ContextMenuEnablingBySelectionAndClipboard) {
    struct Case {
        int selected;
        bool offers;
        bool edit, selection, paste, editDefault;
    };
    const Case cases[] = {
        {0, false, false, false, false, false},
        {0, true, false, false, true, false},
        {1, false, true, true, false, true},
        {2, true, false, true, true, true},
    };
    for (const Case& c : cases) {
        const CEventMenuState state = GetEventMenuState(c.selected, c.offers, EVENT_SORT_DESCENDING);
        EXPECT_EQ(state.editEnabled, c.edit);
        EXPECT_EQ(state.selectionCommands, c.selection);
        EXPECT_EQ(state.pasteEnabled, c.paste);
        EXPECT_EQ(state.editIsDefault, c.editDefault);
    }
    EXPECT_EQ(GetEventMenuState(0, false, EVENT_SORT_DESCENDING).sortTextId, IDS_SORT_DESCENDING);
    EXPECT_EQ(GetEventMenuState(0, false, EVENT_SORT_ASCENDING).sortTextId, IDS_SORT_ASCENDING);
}

}  // namespace
