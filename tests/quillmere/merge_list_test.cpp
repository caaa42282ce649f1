#include "quillmere/merge_list.h"

#include <gtest/gtest.h>

#include "quillmere_support.h"

namespace {

using Entry = CMergeListModel::CMenuEntry;
using M = CMergeListModel;

// Two copies under a root: A1 renamed and given a sire on both sides (two undecided fields), B1 only
// in this copy, C1 only in the other, D1 with a new event on each side.
struct CConflict : CPair {
    CConflict() {
        using Side = std::tuple<CSheepDoc*, const char16_t*, const char16_t*, double>;
        for (auto [doc, name, sire, edited] :
             {Side{mine.Get(), u"Ada", u"S1", kAfter}, Side{theirs.Get(), u"Amy", u"S2", kAfter + 0.5}}) {
            CSheep* a = AddAnimal(*doc, u"A1", edited, name);
            a->SetSire(sire);
            a->SetEdited(COleDateTime(edited));
            CSheep* d = AddAnimal(*doc, u"D1", edited);
            AddEvent(*d, 7, edited, edited, u"new");
        }
        AddAnimal(*mine, u"B1", kAfter);
        AddAnimal(*theirs, u"C1", kAfter);
        Assess();
    }
    int Row(const M& list, const WString& title) const {
        for (int i = 0; i < list.GetCount(); ++i)
            if (list.GetItem(i).GetTitle() == title) return i;
        ADD_FAILURE() << "no row";
        return 0;
    }
};

}  // namespace

TEST(MergeList, ContextMenuOffersWhatTheRowAllows) {
    CConflict c;
    M list(c.root);
    ASSERT_EQ(list.GetCount(), 4);
    struct Case {
        const char16_t* title;
        std::vector<Entry> menu;
    } cases[] = {
        {u"A1",
         {{M::cmdReplaceFromThis, STATE_OVERWRITE_THERE, true},
          {M::cmdReplaceFromOther, STATE_OVERWRITE_HERE, true},
          {M::cmdSkip, STATE_UP_TO_DATE, true},
          {M::cmdShowMe, 0, true},
          {M::cmdWhatsThis, 0, true}}},
        {u"B1",
         {{M::cmdReplaceFromThis, STATE_ADD_THERE, true},
          {M::cmdSkip, STATE_UP_TO_DATE, true},
          {M::cmdShowMe, 0, false},
          {M::cmdWhatsThis, 0, true}}},
        {u"C1",
         {{M::cmdReplaceFromOther, STATE_ADD_HERE, true},
          {M::cmdSkip, STATE_UP_TO_DATE, true},
          {M::cmdShowMe, 0, false},
          {M::cmdWhatsThis, 0, true}}},
        {u"D1",
         {{M::cmdReplaceFromThis, STATE_OVERWRITE_THERE, true},
          {M::cmdReplaceFromOther, STATE_OVERWRITE_HERE, true},
          {M::cmdSkip, STATE_UP_TO_DATE, true},
          {M::cmdMerge, STATE_MERGE, true},
          {M::cmdShowMe, 0, true},
          {M::cmdWhatsThis, 0, true}}},
    };
    for (const Case& k : cases) EXPECT_EQ(list.MenuFor(c.Row(list, k.title)), k.menu) << WToUtf8(k.title);
}

TEST(MergeList, UpdateFollowsTheChoicesAndCancelTakesThemBack) {
    CConflict c;
    M documentList(c.root);
    const int a1 = c.Row(documentList, u"A1");
    CStateInfo& animal = documentList.GetItem(a1);
    ASSERT_EQ(animal.GetCurrentState(), STATE_UNDECIDED);
    ASSERT_EQ(animal.GetOpenItems(), 2);
    ASSERT_EQ(c.root.GetOpenItems(), 2);
    EXPECT_FALSE(documentList.CanUpdate());

    // In the animal's own dialog: one field decided leaves the other open, both let Update go.
    M animalList(animal);
    ASSERT_EQ(animalList.GetCount(), 2);
    animalList.UpdateState(0, STATE_OVERWRITE_THERE);
    EXPECT_FALSE(animalList.CanUpdate());
    EXPECT_EQ(c.root.GetOpenItems(), 1);
    animalList.UpdateState(1, STATE_OVERWRITE_HERE);
    EXPECT_TRUE(animalList.CanUpdate());
    EXPECT_TRUE(documentList.CanUpdate());
    // Cancel there: every state and count as before.
    animalList.Revoke();
    EXPECT_EQ(animalList.GetItem(0).GetCurrentState(), STATE_UNDECIDED);
    EXPECT_EQ(animalList.GetItem(1).GetCurrentState(), STATE_UNDECIDED);
    EXPECT_EQ(animal.GetOpenItems(), 2);
    EXPECT_EQ(c.root.GetOpenItems(), 2);

    // Deciding the whole animal settles both of its undecided items at once.
    documentList.UpdateState(a1, STATE_OVERWRITE_HERE);
    EXPECT_EQ(c.root.GetOpenItems(), 0);
    EXPECT_TRUE(documentList.CanUpdate());
    documentList.UpdateState(c.Row(documentList, u"B1"), STATE_UP_TO_DATE);
    documentList.Revoke();
    EXPECT_EQ(animal.GetCurrentState(), STATE_UNDECIDED);
    EXPECT_EQ(documentList.GetItem(c.Row(documentList, u"B1")).GetCurrentState(), STATE_ADD_THERE);
    EXPECT_EQ(c.root.GetOpenItems(), 2);
}

TEST(MergeList, ShowMeTakesTheAnimalsStateFromItsChildren) {
    CConflict c;
    M documentList(c.root);
    const int a1 = c.Row(documentList, u"A1");
    M animalList(documentList.GetItem(a1));
    animalList.UpdateState(0, STATE_OVERWRITE_THERE);
    animalList.UpdateState(1, STATE_OVERWRITE_HERE);
    documentList.ShowMeAccepted(a1);
    EXPECT_EQ(documentList.GetItem(a1).GetCurrentState(), STATE_MERGE);
    EXPECT_TRUE(documentList.CanUpdate());

    // A merge chosen with a child still undecided keeps Update waiting for it.
    animalList.UpdateState(1, STATE_UNDECIDED);
    documentList.UpdateState(a1, STATE_MERGE);
    EXPECT_FALSE(documentList.CanUpdate());
}

TEST(MergeList, TooltipsOfARowsTwoHalves) {
    CConflict c;
    M list(c.root);
    const int b1 = c.Row(list, u"B1");
    const unsigned tool = unsigned(b1) + 1;
    EXPECT_EQ(list.TooltipText(tool, 0), u"Name: Unknown\r\nSex: Ewe");  // this copy's record, left
    EXPECT_EQ(list.TooltipText(tool | M::kRightHalf, 0), u"");           // no record in the other copy
    EXPECT_EQ(list.TooltipText(1, b1), list.TooltipText(tool, 0));       // scrolled: the top row counts
    EXPECT_EQ(list.TooltipText(unsigned(list.GetCount()) + 1, 0), u"");
    EXPECT_EQ(list.TooltipText(1, list.GetCount()), u"");
}
