#include "document/sheep_doc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>

#include "records/event.h"
#include "records/record_interfaces.h"
#include "records/sheep.h"
#include "support/scripted_host_fixture.h"

namespace {

CSheep* NewSheep(const char16_t* tattoo, const char16_t* colour = u"", const char16_t* number = u"",
                 uint64_t eid = 0) {
    auto* sheep = new CSheep(tattoo, 0, nullptr);
    sheep->StoreEarTag(colour, number);
    if (eid) sheep->SetElectronicID(eid);
    return sheep;
}

struct Hint {
    CDocView* sender;
    uint32_t hint;
    CObject* object;
    bool operator==(const Hint&) const = default;
};

class RecordingView : public CDocView {
public:
    std::vector<Hint> hints;
    void OnUpdate(CDocView* sender, uint32_t hint, CObject* object) override {
        hints.push_back({sender, hint, object});
    }
};

class SheepDocTest : public ::testing::Test {
protected:
    SheepDocTest() {
        doc.SetTitle(u"Home Flock");
        doc.AddView(&view);
    }

    // Adds animals (not current) and forgets the hints that made them.
    void Fill(std::initializer_list<const char16_t*> keys) {
        for (const char16_t* key : keys) ASSERT_GE(doc.AddSheep(NewSheep(key), false), 0);
        view.hints.clear();
    }

    std::vector<WString> Keys() const {
        std::vector<WString> keys;
        for (int i = 0; i < doc.GetSheepCount(); ++i) keys.push_back(doc.GetSheepAt(i)->GetTattoo());
        return keys;
    }

    std::vector<int> RunOffsets() const {
        std::vector<int> out;
        for (const auto& e : doc.GetEarTagIndex().Entries()) out.push_back(e.m_nRunOffset);
        return out;
    }

    CScopedScriptedHost host;
    CSheepDoc doc;
    RecordingView view;
};

}  // namespace

TEST_F(SheepDocTest, BinarySearchGivesTheIndexOrTheInsertionPoint) {
    int index = -1;
    EXPECT_FALSE(doc.FindSheepIndex(u"A", &index));
    EXPECT_EQ(index, 0);
    Fill({u"D", u"b", u"F"});
    EXPECT_EQ(Keys(), (std::vector<WString>{u"b", u"D", u"F"}));
    struct Case {
        const char16_t* key;
        bool found;
        int index;
    } cases[] = {{u"a", false, 0}, {u"B", true, 0}, {u"C", false, 1}, {u"d", true, 1},
                 {u"E", false, 2}, {u"f", true, 2}, {u"G", false, 3}};
    for (const Case& c : cases) {
        EXPECT_EQ(doc.FindSheepIndex(c.key, &index), c.found) << WToUtf8(c.key);
        EXPECT_EQ(index, c.index) << WToUtf8(c.key);
    }
    EXPECT_EQ(doc.FindSheep(u"d"), doc.GetSheepAt(1));
    EXPECT_EQ(doc.FindSheep(u"C"), nullptr);
    EXPECT_EQ(doc.GetSheepAt(-1), nullptr);
    EXPECT_THROW(doc.GetSheepAt(3), std::invalid_argument);
    EXPECT_THROW(doc.GetSheepAt(-2), std::invalid_argument);
}

TEST_F(SheepDocTest, AddingFilesTheEarTagAndTheEID) {
    CSheep* sheep = NewSheep(u"UK01", u"Red", u"12", 826000000000123);
    EXPECT_EQ(doc.AddSheep(sheep, false), 0);
    EXPECT_EQ(sheep->GetDocument(), &doc);
    EXPECT_TRUE(doc.IsModified());
    std::vector<WString> names;
    EXPECT_TRUE(doc.GetEarTagNames(u"Red", u"12", &names));
    EXPECT_EQ(names, std::vector<WString>{u"UK01"});
    WString tattoo;
    EXPECT_TRUE(doc.LookupTattooByEID(826000000000123, &tattoo));
    EXPECT_EQ(tattoo, u"UK01");
    // Not current: no hint and no current animal.
    EXPECT_TRUE(view.hints.empty());
    EXPECT_EQ(doc.GetCurrentIndex(), -1);

    // Without an ear tag or an EID there is nothing to file.
    doc.AddSheep(NewSheep(u"UK02"), false);
    EXPECT_EQ(doc.GetEarTagIndex().GetCount(), 1);
    EXPECT_EQ(doc.GetEIDMap().size(), 1u);
    EXPECT_FALSE(doc.LookupTattooByEID(0, &tattoo));
}

TEST_F(SheepDocTest, AnEqualKeyInAnotherCaseAsksBeforeOverwriting) {
    doc.AddSheep(NewSheep(u"AB12", u"Red", u"1", 11), false);
    doc.SetModifiedFlag(false);

    CSheep* rejected = NewSheep(u"ab12", u"Blue", u"2", 22);
    host.Reply(1040, IDNO);
    EXPECT_EQ(doc.AddSheep(rejected, false), -1);
    ASSERT_EQ(host.Messages().size(), 1u);
    const CvlMessage& q = host.Messages()[0];
    EXPECT_EQ(q.args, (std::vector<WString>{u"ab12", u"Home Flock"}));
    EXPECT_EQ(q.text, u"The sheep ab12 already exists in Home Flock. Overwrite?");
    EXPECT_EQ(q.type, MB_YESNO | MB_ICONQUESTION | MB_HELP);
    EXPECT_EQ(q.helpId, 0x30000u + 1040);
    // Nothing changed, and the caller still owns the animal.
    EXPECT_EQ(Keys(), std::vector<WString>{u"AB12"});
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(rejected->GetDocument(), nullptr);
    EXPECT_EQ(rejected->GetRefCount(), 1u);
    rejected->Release();

    host.Reply(1040, IDYES);
    CSheep* replacement = NewSheep(u"ab12", u"Blue", u"2", 22);
    EXPECT_EQ(doc.AddSheep(replacement, true), 0);
    EXPECT_EQ(doc.GetSheepAt(0), replacement);
    WString tattoo;
    EXPECT_FALSE(doc.LookupTattooByEID(11, &tattoo));
    EXPECT_TRUE(doc.LookupTattooByEID(22, &tattoo));
    int first = 0, count = 0;
    EXPECT_FALSE(doc.FindEarTagRange(u"Red", u"1", &first, &count));
    EXPECT_TRUE(doc.FindEarTagRange(u"Blue", u"2", &first, &count));
    EXPECT_EQ(doc.GetEarTagIndex().GetCount(), 1);
    // The deletion and then the new current animal.
    EXPECT_EQ(view.hints,
              (std::vector<Hint>{{nullptr, HINT_SHEEP, nullptr}, {nullptr, HINT_SHEEP, replacement}}));
}

TEST_F(SheepDocTest, DecliningTheOverwriteLeavesTheEIDMapAsItWas) {
    doc.AddSheep(NewSheep(u"AB12", u"", u"", 0), false);
    doc.AddSheep(NewSheep(u"CD34", u"", u"", 55), false);
    auto before = doc.GetEIDMap();

    // A new animal given its EID while being made files it under its key at once.
    auto* made = new CSheep(u"ab12", 0, &doc);
    made->SetElectronicID(777);
    WString tattoo;
    ASSERT_TRUE(doc.LookupTattooByEID(777, &tattoo));
    host.Reply(1040, IDNO);
    EXPECT_EQ(doc.AddSheep(made, false), -1);
    EXPECT_EQ(doc.GetEIDMap(), before);
    made->Release();

    // The same EID as the existing animal's stays filed.
    auto* twin = new CSheep(u"cd34", 0, &doc);
    twin->SetElectronicID(55);
    host.Reply(1040, IDNO);
    EXPECT_EQ(doc.AddSheep(twin, false), -1);
    EXPECT_EQ(doc.GetEIDMap(), before);
    twin->Release();
}

TEST_F(SheepDocTest, SharedEarTagRunsThroughTheDocument) {
    doc.AddSheep(NewSheep(u"A", u"Red", u"12"), false);
    doc.AddSheep(NewSheep(u"B", u"Red", u"12"), false);
    doc.AddSheep(NewSheep(u"C", u"Red", u"12"), false);
    EXPECT_EQ(RunOffsets(), (std::vector<int>{0, 1, 2}));
    int first = 0, count = 0;
    EXPECT_TRUE(doc.FindEarTagRange(u"Red", u"12", &first, &count));
    EXPECT_EQ(count, 3);

    doc.DeleteSheep(1);
    EXPECT_EQ(RunOffsets(), (std::vector<int>{0, 1}));
    // Re-tagging through the animal's own setter re-files it.
    doc.SetModifiedFlag(false);
    doc.FindSheep(u"C")->SetEartagNumber(u"13");
    EXPECT_EQ(doc.FindSheep(u"C")->GetEartagNumber(), u"13");
    EXPECT_EQ(RunOffsets(), (std::vector<int>{-1, -1}));
    EXPECT_TRUE(doc.IsModified());
    std::vector<WString> names;
    EXPECT_TRUE(doc.GetEarTagNames(u"Red", u"13", &names));
    EXPECT_EQ(names, std::vector<WString>{u"C"});
    // The same tag again changes nothing.
    doc.SetModifiedFlag(false);
    doc.UpdateEarTagIndex(doc.FindSheep(u"C"), u"Red", u"13");
    EXPECT_FALSE(doc.IsModified());
    // Joining a run behind its last entry.
    doc.UpdateEarTagIndex(doc.FindSheep(u"C"), u"Red", u"12");
    EXPECT_EQ(RunOffsets(), (std::vector<int>{0, 1}));
    EXPECT_EQ(doc.GetEarTagIndex().Entries()[1].m_strTattoo, u"C");
    // Losing the tag takes the animal out of the index.
    doc.UpdateEarTagIndex(doc.FindSheep(u"A"), u"", u"");
    EXPECT_EQ(RunOffsets(), (std::vector<int>{-1}));

    // An animal outside the flock only stores its tag.
    CSheep* loose = NewSheep(u"Z");
    doc.UpdateEarTagIndex(loose, u"Red", u"12");
    EXPECT_EQ(loose->GetEartagColour(), u"Red");
    EXPECT_EQ(doc.GetEarTagIndex().GetCount(), 1);
    loose->Release();
}

TEST_F(SheepDocTest, DeletingMovesTheCurrentAnimalAndUnfilesIt) {
    doc.AddSheep(NewSheep(u"A", u"Red", u"1", 1), false);
    doc.AddSheep(NewSheep(u"B", u"Red", u"2", 2), false);
    doc.AddSheep(NewSheep(u"C", u"Red", u"3", 3), false);
    doc.SelectSheep(u"C", false, false, nullptr);
    view.hints.clear();

    doc.DeleteSheep(1);  // B: the current animal becomes the one before, A
    EXPECT_EQ(Keys(), (std::vector<WString>{u"A", u"C"}));
    EXPECT_EQ(doc.GetCurrentIndex(), 0);
    EXPECT_EQ(doc.GetCurrentKey(), u"A");
    // C was current: the history names it at its new index.
    EXPECT_EQ(doc.GetHistory().Entries(), std::vector<int>{1});
    WString tattoo;
    EXPECT_FALSE(doc.LookupTattooByEID(2, &tattoo));
    EXPECT_EQ(doc.GetEarTagIndex().GetCount(), 2);
    EXPECT_EQ(view.hints, (std::vector<Hint>{{nullptr, HINT_SHEEP, nullptr}}));

    doc.DeleteSheep(0);  // the first: index 0 stays current while others remain
    EXPECT_EQ(doc.GetCurrentIndex(), 0);
    EXPECT_EQ(doc.GetCurrentKey(), u"C");
    // The deleted current animal is never recorded; the history still names C.
    EXPECT_EQ(doc.GetHistory().Entries(), std::vector<int>{0});

    doc.DeleteSheep(0);  // the only one
    EXPECT_EQ(doc.GetSheepCount(), 0);
    EXPECT_EQ(doc.GetCurrentIndex(), -1);
    EXPECT_EQ(doc.GetCurrentKey(), u"");
    EXPECT_TRUE(doc.GetHistory().IsEmpty());
    EXPECT_TRUE(doc.GetEIDMap().empty());
    EXPECT_EQ(doc.GetEarTagIndex().GetCount(), 0);
    EXPECT_EQ(view.hints.back(), (Hint{nullptr, HINT_SHEEP, nullptr}));
    EXPECT_THROW(doc.DeleteSheep(0), std::invalid_argument);
}

TEST_F(SheepDocTest, DeletingKeepsAnEIDThatAnotherAnimalFiledSince) {
    doc.AddSheep(NewSheep(u"A", u"", u"", 9), false);
    doc.AddSheep(NewSheep(u"B"), false);
    doc.SetEIDTattoo(9, u"B");
    doc.DeleteSheep(0);
    WString tattoo;
    EXPECT_TRUE(doc.LookupTattooByEID(9, &tattoo));
    EXPECT_EQ(tattoo, u"B");
}

TEST_F(SheepDocTest, AnAnimalComingInWithAHeldEIDIsFiledWithoutItAndTheUserTold) {
    doc.AddSheep(NewSheep(u"A", u"", u"", 9), false);
    // As pasted or imported: made apart from the flock.
    CSheep* pasted = NewSheep(u"B", u"", u"", 9);
    ASSERT_GE(doc.AddSheep(pasted, false), 0);
    // As made by a dialog or a reader: in the document while its fields are set.
    auto* made = new CSheep(u"C", 0, &doc);
    made->SetElectronicID(9);
    ASSERT_GE(doc.AddSheep(made, false), 0);

    EXPECT_EQ(pasted->GetElectronicID(), 0u);
    EXPECT_EQ(made->GetElectronicID(), 0u);
    EXPECT_EQ(doc.GetEIDMap(), (std::unordered_map<uint64_t, WString>{{9, u"A"}}));
    ASSERT_EQ(host.Messages().size(), 2u);
    EXPECT_NE(host.Messages()[0].text.find(u"B: 0000000000000009 (A)"), WString::npos);
    EXPECT_NE(host.Messages()[1].text.find(u"C: 0000000000000009 (A)"), WString::npos);

    // Deleting the holder leaves nobody holding it; the others never did.
    doc.DeleteSheep(0);
    EXPECT_TRUE(doc.GetEIDMap().empty());
}

TEST_F(SheepDocTest, DroppedEIDsOfABatchAreToldOnce) {
    doc.AddSheep(NewSheep(u"A", u"", u"", 1), false);
    doc.AddSheep(NewSheep(u"B", u"", u"", 2), false);
    {
        CDroppedEIDReport report(doc);
        doc.AddSheep(NewSheep(u"C", u"", u"", 1), false);
        doc.AddSheep(NewSheep(u"D", u"", u"", 3), false);
        doc.AddSheep(NewSheep(u"E", u"", u"", 2), false);
        // The same EID twice in the batch: the first one in keeps it.
        doc.AddSheep(NewSheep(u"F", u"", u"", 3), false);
        EXPECT_TRUE(host.Messages().empty());
    }
    ASSERT_EQ(host.Messages().size(), 1u);
    const WString& text = host.Messages()[0].text;
    for (const char16_t* line :
         {u"C: 0000000000000001 (A)", u"E: 0000000000000002 (B)", u"F: 0000000000000003 (D)"})
        EXPECT_NE(text.find(line), WString::npos) << WToUtf8(line);
    EXPECT_EQ(doc.GetEIDMap(), (std::unordered_map<uint64_t, WString>{{1, u"A"}, {2, u"B"}, {3, u"D"}}));
    // Nothing is told again.
    { CDroppedEIDReport report(doc); }
    EXPECT_EQ(host.Messages().size(), 1u);
}

TEST_F(SheepDocTest, DeletingOneOfTwoLoadedAnimalsWithOneEIDFilesTheOther) {
    // A file written before one EID was kept to one animal.
    std::vector<CRefPtr<CSheep>> flock;
    for (const char16_t* key : {u"A", u"B", u"C"})
        flock.push_back(CRefPtr<CSheep>::Adopt(NewSheep(key, u"", u"", 5)));
    doc.AttachLoadedFlock(std::move(flock), {}, -1);
    for (int i = 0; i < 2; ++i) {
        WString holder;
        ASSERT_TRUE(doc.LookupTattooByEID(5, &holder));
        int index = 0;
        ASSERT_TRUE(doc.FindSheepIndex(holder, &index));
        doc.DeleteSheep(index);
        ASSERT_TRUE(doc.LookupTattooByEID(5, &holder));
        EXPECT_EQ(doc.FindSheep(holder)->GetElectronicID(), 5u);
    }
    doc.DeleteSheep(0);
    EXPECT_TRUE(doc.GetEIDMap().empty());
}

TEST_F(SheepDocTest, InsertingInFrontKeepsTheCurrentAnimalAndHistory) {
    Fill({u"C", u"E"});
    doc.SelectSheep(u"C", false, true, nullptr);
    doc.SelectSheep(u"E", false, true, nullptr);  // history: C
    doc.AddSheep(NewSheep(u"A"), false);
    EXPECT_EQ(doc.GetCurrentIndex(), 2);
    EXPECT_EQ(doc.GetCurrentSheep()->GetTattoo(), u"E");
    EXPECT_EQ(doc.GetHistory().Entries(), std::vector<int>{1});
    EXPECT_EQ(doc.GetSheepAt(1)->GetTattoo(), u"C");
    doc.SelectSheep(u"A", false, true, nullptr);  // history: C, E
    doc.OnGoBack();
    EXPECT_EQ(doc.GetCurrentKey(), u"E");
    EXPECT_FALSE(doc.CanGoBack());
    doc.OnGoForward();
    EXPECT_EQ(doc.GetCurrentKey(), u"C");
    EXPECT_EQ(doc.GetCurrentIndex(), 1);

    // Adding as current records the old current animal at its shifted index.
    CSheep* b = NewSheep(u"B");
    view.hints.clear();
    EXPECT_EQ(doc.AddSheep(b, true), 1);
    EXPECT_EQ(doc.GetCurrentIndex(), 1);
    EXPECT_EQ(doc.GetHistory().Entries(), (std::vector<int>{2, 3, 2}));  // C, E, then C again
    EXPECT_EQ(view.hints, (std::vector<Hint>{{nullptr, HINT_SHEEP, b}}));
}

TEST_F(SheepDocTest, BackAndForwardFollowTheHistory) {
    Fill({u"A", u"B", u"C"});
    RecordingView other;
    doc.AddView(&other);
    doc.SelectSheep(u"A", true, true, &view);
    doc.SelectSheep(u"B", true, true, &view);
    doc.SelectSheep(u"C", true, true, &view);
    EXPECT_EQ(doc.GetHistory().Entries(), (std::vector<int>{0, 1}));
    EXPECT_EQ(doc.GetHistory().CursorPosition(), 1);
    // The sender is not told of its own change.
    EXPECT_TRUE(view.hints.empty());
    ASSERT_EQ(other.hints.size(), 3u);
    EXPECT_EQ(other.hints[2], (Hint{&view, HINT_CURRENT, doc.GetSheepAt(2)}));

    EXPECT_TRUE(doc.CanGoBack());
    EXPECT_FALSE(doc.CanGoForward());
    doc.OnGoBack();
    EXPECT_EQ(doc.GetCurrentKey(), u"B");
    EXPECT_EQ(doc.GetHistory().CursorPosition(), 0);
    EXPECT_FALSE(doc.CanGoBack());
    EXPECT_EQ(view.hints.back(), (Hint{nullptr, HINT_CURRENT, doc.GetSheepAt(1)}));
    doc.OnGoBack();  // disabled: nothing happens
    EXPECT_EQ(doc.GetCurrentKey(), u"B");
    doc.OnGoForward();
    EXPECT_EQ(doc.GetCurrentKey(), u"A");
    EXPECT_EQ(doc.GetHistory().CursorPosition(), 1);
    EXPECT_EQ(doc.GetHistory().Entries(), (std::vector<int>{0, 1}));  // nothing added
    doc.RemoveView(&other);
}

TEST_F(SheepDocTest, HistorySkipsAnimalsThatAreGone) {
    Fill({u"A", u"B", u"C", u"D"});
    doc.SelectSheep(u"A", false, true, nullptr);
    doc.SelectSheep(u"B", false, true, nullptr);
    doc.SelectSheep(u"D", false, true, nullptr);  // history: A, B; current D
    doc.DeleteSheep(1);                           // B goes; current becomes A, D recorded
    EXPECT_EQ(doc.GetCurrentKey(), u"A");
    for (int i : doc.GetHistory().Entries()) {
        ASSERT_GE(i, 0);
        ASSERT_LT(i, doc.GetSheepCount());
    }
    // Every step back or forward lands on an animal of the flock.
    while (doc.CanGoBack()) {
        doc.OnGoBack();
        ASSERT_NE(doc.GetCurrentSheep(), nullptr);
    }
    while (doc.CanGoForward()) {
        doc.OnGoForward();
        ASSERT_NE(doc.GetCurrentSheep(), nullptr);
    }
}

TEST_F(SheepDocTest, SelectingUnknownKeysOrIndexesOutsideTheFlock) {
    Fill({u"A", u"B"});
    doc.SelectSheep(u"B", true, true, nullptr);
    view.hints.clear();
    EXPECT_FALSE(doc.SelectSheep(u"Q", true, true, nullptr));
    EXPECT_EQ(doc.GetCurrentKey(), u"B");
    EXPECT_TRUE(view.hints.empty());

    EXPECT_TRUE(doc.SelectSheepAt(7, true, true, nullptr));
    EXPECT_EQ(doc.GetCurrentIndex(), -1);
    EXPECT_EQ(doc.GetCurrentKey(), u"");
    EXPECT_EQ(view.hints, (std::vector<Hint>{{nullptr, HINT_CURRENT, nullptr}}));
    EXPECT_EQ(doc.GetHistory().Entries(), std::vector<int>{1});
    // From no current animal nothing is recorded.
    doc.SelectSheepAt(0, false, true, nullptr);
    EXPECT_EQ(doc.GetHistory().Entries(), std::vector<int>{1});
}

TEST_F(SheepDocTest, FirstAndLastEnabling) {
    EXPECT_FALSE(doc.CanGoFirst());
    EXPECT_FALSE(doc.CanGoLast());
    Fill({u"A", u"B", u"C"});
    EXPECT_TRUE(doc.CanGoFirst());  // no current animal
    EXPECT_TRUE(doc.CanGoLast());
    doc.SelectSheepAt(0, false, false, nullptr);
    EXPECT_FALSE(doc.CanGoFirst());
    EXPECT_TRUE(doc.CanGoLast());
    doc.SelectSheepAt(2, false, false, nullptr);
    EXPECT_TRUE(doc.CanGoFirst());
    EXPECT_FALSE(doc.CanGoLast());
}

TEST_F(SheepDocTest, ReplacingParameterValuesByTypeAndPosition) {
    ASSERT_EQ(doc.GetBreedPlugIn().LoadFile(std::string(CVL_TEST_PLUGIN_DIR) + "/breed_full.so", true),
              BREED_LOADED);
    CSheep* sheep = NewSheep(u"A");
    doc.AddSheep(sheep, false);
    CSheep* other = NewSheep(u"B");
    doc.AddSheep(other, false);
    COleDateTime day(2003, 4, 5, 0, 0, 0);
    auto* sold = new CEvent(day, 31, u"Old Farm");                         // one address
    auto* moved = new CEvent(day, 33, u"Old Farm", u"Old Farm");           // two addresses
    auto* shown = new CEvent(day, 30, u"Old Farm", u"Keep", u"Old Farm");  // a list of addresses
    auto* scanned = new CEvent(day, 32, u"Old Farm", u"Old Farm");         // weights
    sheep->AddEvent(sold, false);
    sheep->AddEvent(moved, false);
    sheep->AddEvent(shown, false);
    other->AddEvent(scanned, false);
    std::map<WString, WString> renames{{u"Old Farm", u"New Farm"}, {u"Gone", u"Here"}};
    COleDateTime stamp = sold->GetEdited();
    doc.SetModifiedFlag(false);
    host.Clear();

    EXPECT_EQ(doc.ReplaceParameterValues(renames, 2, 0), 2);
    EXPECT_EQ(sold->GetParameters(), std::vector<WString>{u"New Farm"});
    EXPECT_EQ(moved->GetParameters(), (std::vector<WString>{u"New Farm", u"Old Farm"}));
    EXPECT_EQ(shown->GetParameters(), (std::vector<WString>{u"Old Farm", u"Keep", u"Old Farm"}));
    EXPECT_EQ(scanned->GetParameters(), (std::vector<WString>{u"Old Farm", u"Old Farm"}));
    EXPECT_NE(sold->GetEdited().m_dt, stamp.m_dt);
    EXPECT_TRUE(doc.IsModified());
    ASSERT_FALSE(host.Progress().empty());
    EXPECT_EQ(host.Progress().front().title, u"Updating event parameters");
    EXPECT_EQ(host.Progress().front().value, 2);
    EXPECT_EQ(host.Progress().back().kind, CScriptedHost::ProgressEvent::End);

    EXPECT_EQ(doc.ReplaceParameterValues(renames, 2, -1), 2);
    EXPECT_EQ(shown->GetParameters(), (std::vector<WString>{u"New Farm", u"Keep", u"New Farm"}));
    EXPECT_EQ(moved->GetParameters(), (std::vector<WString>{u"New Farm", u"Old Farm"}));
    EXPECT_EQ(doc.ReplaceParameterValues(renames, 2, 1), 1);
    EXPECT_EQ(moved->GetParameters(), (std::vector<WString>{u"New Farm", u"New Farm"}));
    EXPECT_EQ(doc.ReplaceParameterValues(renames, 1, 0), 1);  // weights
    EXPECT_EQ(scanned->GetParameters(), (std::vector<WString>{u"New Farm", u"Old Farm"}));
    EXPECT_EQ(doc.ReplaceParameterValues(renames, 2, 5), 0);

    // Inside someone else's progress: that one is neither stepped nor ended.
    ASSERT_TRUE(host.BeginProgressText(u"Loading", 10));
    host.SetProgressPos(3);
    doc.ReplaceParameterValues(renames, 2, 0);
    EXPECT_TRUE(host.IsProgressShown());
    EXPECT_EQ(host.GetProgressPos(), 3);
    host.EndProgress();
}

TEST_F(SheepDocTest, DeleteContentsEmptiesTheDocumentAndUnloadsThePlugIn) {
    ASSERT_EQ(doc.GetBreedPlugIn().LoadFile(std::string(CVL_TEST_PLUGIN_DIR) + "/breed_full.so", true),
              BREED_LOADED);
    doc.AddSheep(NewSheep(u"A", u"Red", u"1", 5), true);
    doc.AddSheep(NewSheep(u"B"), true);
    doc.SetAttribute(FARM_EARTAG_TEMPLATE, u"{yy}-{nnn}");
    doc.SetAttribute(FARM_BREED, u"Texel");
    EXPECT_EQ(doc.GetDocString(FARM_BREED), u"Texel");
    doc.DeleteContents();
    EXPECT_EQ(doc.GetSheepCount(), 0);
    EXPECT_EQ(doc.GetCurrentIndex(), -1);
    EXPECT_TRUE(doc.GetHistory().IsEmpty());
    EXPECT_TRUE(doc.GetEIDMap().empty());
    EXPECT_EQ(doc.GetEarTagIndex().GetCount(), 0);
    EXPECT_EQ(doc.GetDocString(FARM_EARTAG_TEMPLATE), u"{nnn}");
    EXPECT_FALSE(doc.GetBreedPlugIn().IsLoaded());
    doc.SetAttribute(FARM_BREED, u"");
    EXPECT_EQ(doc.GetDocString(FARM_BREED), u"");
}

TEST_F(SheepDocTest, LoadedFlockIsFiledAndKeptInKeyOrder) {
    std::vector<CRefPtr<CSheep>> flock;
    for (auto [key, eid] :
         std::vector<std::pair<const char16_t*, uint64_t>>{{u"a1", 7}, {u"B2", 0}, {u"c3", 9}})
        flock.push_back(CRefPtr<CSheep>::Adopt(NewSheep(key, u"Red", u"5", eid)));
    auto stored =
        std::vector<CEarTagHashEntry>{{u"Red5", u"a1", 0}, {u"Red5", u"B2", 1}, {u"Red5", u"c3", 2}};
    doc.AttachLoadedFlock(flock, stored, 1);
    EXPECT_EQ(doc.GetCurrentKey(), u"B2");
    EXPECT_EQ(doc.GetHistory().Entries(), std::vector<int>{1});
    EXPECT_EQ(doc.GetEarTagIndex().Entries(), stored);
    EXPECT_EQ(doc.GetSheepAt(0)->GetDocument(), &doc);
    WString tattoo;
    EXPECT_TRUE(doc.LookupTattooByEID(9, &tattoo));
    EXPECT_EQ(tattoo, u"c3");

    // A stored current index outside the flock means none.
    doc.AttachLoadedFlock(flock, stored, 5);
    EXPECT_EQ(doc.GetCurrentIndex(), -1);
    EXPECT_TRUE(doc.GetHistory().IsEmpty());

    // Another program's order: re-sorted, the index rebuilt, the current animal kept.
    std::vector<CRefPtr<CSheep>> unsorted{flock[2], flock[0], flock[1]};
    doc.AttachLoadedFlock(unsorted, {{u"Red5", u"c3", 0}}, 0);
    EXPECT_EQ(Keys(), (std::vector<WString>{u"a1", u"B2", u"c3"}));
    EXPECT_EQ(doc.GetCurrentKey(), u"c3");
    EXPECT_EQ(doc.GetCurrentIndex(), 2);
    EXPECT_EQ(RunOffsets(), (std::vector<int>{0, 1, 2}));
}

TEST_F(SheepDocTest, ShuffledStoredIndexRebuildsAsTheDocumentFilesIt) {
    // Shared tags, tags differing only in case, keys that are prefixes of others, a number without
    // a colour and animals without a tag, filed one by one in key order.
    const char16_t* colours[] = {u"Red", u"red", u"Blue", u""};
    for (int i = 0; i < 60; ++i) {
        const WString key = u"k" + Utf8ToW(std::to_string(100 + i));
        const WString number = i % 9 == 0 ? WString() : Utf8ToW(std::to_string(1 + i * 7 % 12));
        ASSERT_GE(doc.AddSheep(NewSheep(key.c_str(), colours[i % 4], number.c_str()), false), 0);
    }
    const std::vector<CEarTagHashEntry> filed = doc.GetEarTagIndex().Entries();
    ASSERT_TRUE(doc.GetEarTagIndex().IsConsistent());

    std::vector<CRefPtr<CSheep>> flock;
    for (int i = 0; i < doc.GetSheepCount(); ++i) flock.emplace_back(doc.GetSheepAt(i));
    std::vector<CEarTagHashEntry> shuffled = filed;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    ASSERT_NE(shuffled, filed);

    CSheepDoc loaded;
    loaded.AttachLoadedFlock(flock, shuffled, -1);
    EXPECT_EQ(loaded.GetEarTagIndex().Entries(), filed);
    loaded.RebuildEarTagIndex();
    EXPECT_EQ(loaded.GetEarTagIndex().Entries(), filed);
}

TEST_F(SheepDocTest, PlugInCallsThroughTheDocument) {
    ASSERT_EQ(doc.GetBreedPlugIn().LoadFile(std::string(CVL_TEST_PLUGIN_DIR) + "/breed_full.so", true),
              BREED_LOADED);
    auto log = reinterpret_cast<const char* (*)()>(doc.GetBreedProc("TestBreedLog"));
    auto clear = reinterpret_cast<void (*)()>(doc.GetBreedProc("TestBreedClearLog"));
    ASSERT_TRUE(log && clear);
    Fill({u"RAM1", u"EWE7"});
    // Whether an animal offers its dual interface is the animal's affair; the plug-in gets what it has.
    CRecordInterface<ISheep> probe(doc.FindSheep(u"RAM1"), IID_ISheep);
    std::string a = probe ? "A" : "null", b = probe ? "B" : "null";
    clear();
    EXPECT_EQ(doc.BuildTattoo(3, 9, u"ram1", u"EWE7"), u"LAMB3-9");
    EXPECT_EQ(std::string(log()), "BuildTattoo(" + a + "," + b + ",9,3,doc,null,0);BuildTattoo(" + a + "," +
                                      b + ",9,3,doc,buf,8);");
    // A parent that is not in the flock is passed as none.
    clear();
    EXPECT_EQ(doc.BuildTattoo(1, 2, u"NOBODY", u"EWE7"), u"LAMB1-2");
    EXPECT_EQ(std::string(log()).rfind("BuildTattoo(null," + b + ",2,1,", 0), 0u);

    // A plug-in that counts the terminator in the size it is given still gives whole names, which
    // the exchange file's event types are written with.
    EXPECT_EQ(GetEventNameFromPlugIn(&doc, 4), u"Weighing");
    EXPECT_EQ(GetEventNameFromPlugIn(&doc, 1), u"Purchase");

    clear();
    EXPECT_EQ(doc.GetNextIndex(4), 5);
    EXPECT_EQ(doc.GetBreedFlag(2, nullptr), u"");
    EXPECT_EQ(doc.GetBreedFlag(7, nullptr), u"Flag 7");
    EXPECT_EQ(std::string(log()), "GetNextIndex(doc,4);GetBreedFlag(7);");

    doc.UnloadBreedPlugIn();
    EXPECT_EQ(doc.GetBreedProc("TestBreedLog"), nullptr);
    EXPECT_EQ(doc.GetBreedFlag(7, nullptr), u"");
}

// Overwriting an animal in its place leaves the document as deleting it and adding the new one
// would: flock, current animal, history, EID map, ear-tag runs and the views' hints.
TEST(SheepDocReplace, InPlaceLeavesWhatDeletingAndAddingLeave) {
    struct Case {
        const char* name;
        std::vector<const char16_t*> keys;
        std::vector<const char16_t*> visited;  // selected in turn, with history
        int index;
        const char16_t* newKey;
        uint64_t newEid;
        bool eidNotShared;
    };
    const std::vector<Case> cases = {
        {"first, current after it", {u"A", u"B", u"C"}, {u"A", u"C", u"B"}, 0, u"a", 1, true},
        {"middle and current", {u"A", u"B", u"C", u"D"}, {u"D", u"B"}, 1, u"B", 2, true},
        {"last, nothing current", {u"A", u"B", u"C"}, {}, 2, u"C", 9, false},
        {"the only animal", {u"A"}, {u"A"}, 0, u"A", 0, true},
        {"an EID another holds", {u"A", u"B", u"C"}, {u"C"}, 1, u"B", 1, false},
        {"the shared EID of a loaded flock", {u"P", u"Q", u"R"}, {u"R"}, 0, u"P", 5, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScopedScriptedHost host;
        auto fill = [&](CSheepDoc& doc, RecordingView& view) {
            const bool shared = c.keys[0] == std::u16string_view(u"P");
            std::vector<CRefPtr<CSheep>> flock;
            for (size_t i = 0; i < c.keys.size(); ++i) {
                // Each animal its own ear tag in one run, and EIDs 1, 2...; a loaded flock shares 5.
                CSheep* sheep = NewSheep(c.keys[i], u"R", u"7", shared ? 5 : i + 1);
                flock.push_back(CRefPtr<CSheep>::Adopt(sheep));
            }
            doc.AttachLoadedFlock(std::move(flock), {}, -1);
            for (const char16_t* key : c.visited) doc.SelectSheep(key, false, true, nullptr);
            doc.AddView(&view);
        };
        auto replacement = [&] { return NewSheep(c.newKey, u"R", u"7", c.newEid); };
        CSheepDoc expected, replaced;
        RecordingView expectedView, replacedView;
        fill(expected, expectedView);
        fill(replaced, replacedView);
        expected.DeleteSheep(c.index);
        ASSERT_GE(expected.AddSheep(replacement(), false), 0);
        replaced.ReplaceSheep(c.index, replacement(), c.eidNotShared);

        std::vector<WString> keys, keysReplaced;
        for (int i = 0; i < expected.GetSheepCount(); ++i)
            keys.push_back(expected.GetSheepAt(i)->GetTattoo());
        for (int i = 0; i < replaced.GetSheepCount(); ++i)
            keysReplaced.push_back(replaced.GetSheepAt(i)->GetTattoo());
        EXPECT_EQ(keysReplaced, keys);
        EXPECT_EQ(replaced.GetCurrentIndex(), expected.GetCurrentIndex());
        EXPECT_EQ(replaced.GetCurrentKey(), expected.GetCurrentKey());
        EXPECT_EQ(replaced.GetHistory().Entries(), expected.GetHistory().Entries());
        EXPECT_EQ(replaced.GetHistory().CursorPosition(), expected.GetHistory().CursorPosition());
        EXPECT_EQ(replaced.GetEIDMap(), expected.GetEIDMap());
        EXPECT_EQ(replaced.GetSheepAt(c.index)->GetElectronicID(),
                  expected.GetSheepAt(c.index)->GetElectronicID());
        const auto& tags = expected.GetEarTagIndex().Entries();
        const auto& tagsReplaced = replaced.GetEarTagIndex().Entries();
        ASSERT_EQ(tagsReplaced.size(), tags.size());
        for (size_t i = 0; i < tags.size(); ++i) {
            EXPECT_EQ(tagsReplaced[i].m_strTattoo, tags[i].m_strTattoo);
            EXPECT_EQ(tagsReplaced[i].m_nRunOffset, tags[i].m_nRunOffset);
        }
        EXPECT_EQ(replacedView.hints, expectedView.hints);
        EXPECT_EQ(replaced.IsModified(), expected.IsModified());
        replaced.RemoveView(&replacedView);
        expected.RemoveView(&expectedView);
    }
    // Another key does not take the place.
    CScopedScriptedHost host;
    CSheepDoc doc;
    doc.AddSheep(NewSheep(u"A"), false);
    CRefPtr<CSheep> other = CRefPtr<CSheep>::Adopt(NewSheep(u"B"));
    EXPECT_THROW(doc.ReplaceSheep(0, other.Get()), std::invalid_argument);
}
