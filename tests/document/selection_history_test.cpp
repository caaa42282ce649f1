#include "document/selection_history.h"

#include <gtest/gtest.h>

TEST(SelectionHistory, BackThenForwardWalkTheRecordedEntries) {
    CSelectionHistory h;
    EXPECT_FALSE(h.CanGoBack());
    EXPECT_FALSE(h.CanGoForward());
    h.Record(0);  // A was current when B was selected
    h.Record(1);  // B was current when C was selected
    EXPECT_EQ(h.Entries(), (std::vector<int>{0, 1}));
    EXPECT_EQ(h.CursorPosition(), 1);
    EXPECT_TRUE(h.CanGoBack());
    EXPECT_FALSE(h.CanGoForward());
    EXPECT_EQ(h.GoBack(), 1);
    EXPECT_EQ(h.CursorPosition(), 0);
    EXPECT_FALSE(h.CanGoBack());
    EXPECT_EQ(h.GoBack(), -1);
    EXPECT_TRUE(h.CanGoForward());
    EXPECT_EQ(h.GoForward(), 0);
    EXPECT_EQ(h.CursorPosition(), 1);
}

TEST(SelectionHistory, EntriesFollowInsertedAndRemovedAnimals) {
    CSelectionHistory h;
    for (int i : {2, 5, 3, 5}) h.Record(i);
    h.OnInserted(3);  // in front of 3 and 5
    EXPECT_EQ(h.Entries(), (std::vector<int>{2, 6, 4, 6}));
    h.OnRemoved(6);  // both entries of that animal go; the cursor moves to the entry before
    EXPECT_EQ(h.Entries(), (std::vector<int>{2, 4}));
    EXPECT_EQ(h.CursorPosition(), 1);
    h.OnRemoved(0);
    EXPECT_EQ(h.Entries(), (std::vector<int>{1, 3}));
    h.OnRemoved(1);
    h.OnRemoved(2);
    EXPECT_TRUE(h.IsEmpty());
    EXPECT_EQ(h.CursorPosition(), -1);
    EXPECT_FALSE(h.CanGoBack());
    EXPECT_FALSE(h.CanGoForward());
}

TEST(SelectionHistory, RemovingTheHeadUnderTheCursorMovesItForward) {
    CSelectionHistory h;
    h.Record(4);
    h.Record(7);
    h.GoBack();  // cursor on 4, the head
    h.OnRemoved(4);
    EXPECT_EQ(h.Entries(), (std::vector<int>{6}));
    EXPECT_EQ(h.CursorPosition(), 0);
}
