#include "quillmere/merge_list.h"

#include <gtest/gtest.h>

#include "quillmere/flock_reconciler.h"
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

namespace {

// An owner whose dialogs are scripted: each call takes the next step.
class CDialogOwner : public CRecordingOwner {
public:
    explicit CDialogOwner(std::vector<std::function<int(IMergeList&)>> steps)
        : CRecordingOwner(decideInDialogs), m_steps(std::move(steps)) {}
    int RunMergeDialog(IMergeList* list) override {
        EXPECT_LT(m_next, m_steps.size()) << "a dialog nobody expected";
        return m_next < m_steps.size() ? m_steps[m_next++](*list) : IDCANCEL;
    }
    bool AllShown() const { return m_next == m_steps.size(); }

private:
    std::vector<std::function<int(IMergeList&)>> m_steps;
    size_t m_next = 0;
};

int RowOf(IMergeList& list, const WString& text) {
    for (int i = 0; i < list.GetCount(); ++i)
        if (list.GetText(i, IMergeList::textThis).starts_with(text) ||
            list.GetText(i, IMergeList::textOther).starts_with(text))
            return i;
    ADD_FAILURE() << "no row " << WToUtf8(text);
    return 0;
}

}  // namespace

// The dialogs as the host sees them: Show Me runs the animal's dialog through the owner, a dialog
// that does not end with Update takes back what was chosen in it, down to the parents' counts.
TEST(MergeList, TheOwnersDialogsAndWhatCancelTakesBack) {
    CConflict c;
    int a1 = -1;
    CDialogOwner owner({
        [&](IMergeList& doc) {
            EXPECT_EQ(doc.GetDialog(), UINT(IMergeList::documentDialog));
            a1 = RowOf(doc, u"A1");
            EXPECT_EQ(doc.GetText(a1, IMergeList::textAction), CStateInfo::GetActionText(STATE_UNDECIDED));
            EXPECT_FALSE(doc.CanUpdate());
            // Cancelled animal dialog: its choices and the counts go back, the row stays undecided.
            EXPECT_EQ(doc.ShowMe(a1), IDCANCEL);
            EXPECT_EQ(doc.GetState(a1), STATE_UNDECIDED);
            EXPECT_EQ(c.root.GetOpenItems(), 2);
            // Accepted: the animal's state is folded from its fields.
            EXPECT_EQ(doc.ShowMe(a1), IDOK);
            EXPECT_EQ(doc.GetState(a1), STATE_MERGE);
            EXPECT_TRUE(doc.CanUpdate());
            // Rows without children have no dialog of their own.
            EXPECT_EQ(doc.ShowMe(RowOf(doc, u"B1")), IDCANCEL);
            return IDOK;
        },
        [&](IMergeList& animal) {
            EXPECT_EQ(animal.GetDialog(), UINT(IMergeList::recordDialog));
            animal.Choose(0, STATE_OVERWRITE_THERE);
            animal.Choose(1, STATE_OVERWRITE_HERE);
            EXPECT_TRUE(animal.CanUpdate());
            EXPECT_EQ(c.root.GetOpenItems(), 0);
            return IDCANCEL;
        },
        [&](IMergeList& animal) {
            animal.Choose(0, STATE_OVERWRITE_THERE);
            EXPECT_FALSE(animal.CanUpdate());
            animal.Choose(1, STATE_OVERWRITE_HERE);
            return IDOK;
        },
    });
    auto runner = CreateMergeDialogRunner(&owner);
    EXPECT_EQ(runner->RunMergeDialog(c.root), IDOK);
    EXPECT_TRUE(owner.AllShown());
    const auto& fields = c.Node(u"A1")->GetChildren();
    EXPECT_EQ(fields[0]->GetCurrentState(), STATE_OVERWRITE_THERE);
    EXPECT_EQ(fields[1]->GetCurrentState(), STATE_OVERWRITE_HERE);

    // The flock's dialog cancelled: every row as it was assessed.
    CDialogOwner cancelling({[&](IMergeList& doc) {
        doc.Choose(RowOf(doc, u"B1"), STATE_UP_TO_DATE);
        return IDCANCEL;
    }});
    CConflict fresh;
    EXPECT_EQ(CreateMergeDialogRunner(&cancelling)->RunMergeDialog(fresh.root), IDCANCEL);
    EXPECT_EQ(fresh.Node(u"B1")->GetCurrentState(), STATE_ADD_THERE);
}

// A choice the row's menu does not offer is refused: the apply would take an unknown state for Skip.
TEST(MergeList, OnlyTheMenusChoicesAreTaken) {
    CConflict c;
    CMergeList list(c.root, nullptr);
    const int b1 = RowOf(list, u"B1"), a1 = RowOf(list, u"A1");
    struct Case {
        int row;
        LONG state;
        LONG after;
    } cases[] = {
        {b1, STATE_OVERWRITE_HERE, STATE_ADD_THERE},  // nothing in the other copy to copy from
        {b1, STATE_MERGE, STATE_ADD_THERE},
        {a1, STATE_MERGE, STATE_UNDECIDED},  // both changed the same fields: no merge offered
        {a1, 99, STATE_UNDECIDED},
        {a1, 0, STATE_UNDECIDED},
        {a1, STATE_OVERWRITE_HERE, STATE_OVERWRITE_HERE},
        {b1, STATE_UP_TO_DATE, STATE_UP_TO_DATE},
    };
    for (const Case& k : cases) {
        list.Choose(k.row, k.state);
        EXPECT_EQ(list.GetState(k.row), k.after) << k.row << " " << k.state;
    }
    list.Choose(-1, STATE_UP_TO_DATE);
    list.Choose(list.GetCount(), STATE_UP_TO_DATE);
    EXPECT_EQ(list.GetText(list.GetCount(), IMergeList::textThis), u"");
    // Without an owner there is nobody to ask.
    EXPECT_EQ(list.ShowMe(a1), IDCANCEL);
    EXPECT_EQ(list.Run(), IDCANCEL);
}
