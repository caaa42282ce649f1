// Cell editing in a report list: where each key takes the edit, and what a finished edit writes.
#include "document/ui/edit_list_ctrl.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>

#include <optional>

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i) {
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
    }
}

TEST(CellNavigation, EachKeyGoesToItsCellOrNowhere) {
    // Four rows, two per page; columns 3 to 5 editable.
    const CellGrid grid{4, 2, 3, 5};
    struct Case {
        CellKey key;
        int row, column;
        std::optional<std::pair<int, int>> to;
    };
    const Case cases[] = {
        {CellKey::CtrlHome, 2, 4, {{0, 4}}}, {CellKey::CtrlEnd, 0, 4, {{3, 4}}},
        {CellKey::Up, 1, 3, {{0, 3}}},       {CellKey::Up, 0, 3, std::nullopt},
        {CellKey::Down, 3, 3, {{4, 3}}},  // no such row: the list refuses it and the edit stays
        {CellKey::PageUp, 3, 4, {{1, 4}}},   {CellKey::PageUp, 2, 4, {{0, 4}}},
        {CellKey::PageUp, 1, 4, {{0, 4}}},   {CellKey::PageDown, 1, 4, {{3, 4}}},
        {CellKey::PageDown, 2, 4, {{3, 4}}}, {CellKey::Tab, 1, 4, {{1, 5}}},
        {CellKey::Tab, 1, 5, {{2, 3}}},      {CellKey::ShiftTab, 1, 4, {{1, 3}}},
        {CellKey::ShiftTab, 1, 3, {{0, 5}}}, {CellKey::ShiftTab, 0, 3, std::nullopt},
        {CellKey::Enter, 1, 5, {{2, 3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.key) * 100 + c.row * 10 + c.column);
        int row = -1, column = -1;
        const bool moves = NextCell(c.key, c.row, c.column, grid, &row, &column);
        ASSERT_EQ(moves, c.to.has_value());
        if (moves) {
            EXPECT_EQ(std::make_pair(row, column), *c.to);
        }
    }
}

class EditListTest : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, "grid", wxDefaultPosition, wxSize(600, 300));
        list = new CEditListCtrl(frame, 1356);
        for (const char* header : {"Tattoo", "Tag Colour", "Tag Number", "Weight", "Note"})
            list->AppendColumn(header, wxLIST_FORMAT_LEFT, 80);
        for (int row = 0; row < 3; ++row) list->InsertItem(row, wxString::Format("A%d", row));
        frame->Bind(CVL_EVT_CELL_EDITED, [this](CCellEditEvent& event) {
            results.push_back(event.IsCancelled() ? wxString("<cancelled>") : event.GetText());
        });
        frame->Show();
        Pump();
    }
    void TearDown() override {
        frame->Destroy();
        Pump();
    }
    // The edit's cell, or (-1, -1) without one.
    std::pair<int, int> EditCell() const {
        CInPlaceEdit* edit = list->GetActiveEdit();
        return edit ? std::make_pair(edit->GetRow(), edit->GetColumn()) : std::make_pair(-1, -1);
    }
    void Key(wxEventType type, int code, bool shift = false) {
        CInPlaceEdit* edit = list->GetActiveEdit();
        ASSERT_NE(edit, nullptr);
        wxKeyEvent event(type);
        event.m_keyCode = code;
        event.m_shiftDown = shift;
        event.SetEventObject(edit);
        edit->GetEventHandler()->ProcessEvent(event);
        Pump();
    }

    wxFrame* frame = nullptr;
    CEditListCtrl* list = nullptr;
    std::vector<wxString> results;
};

TEST_F(EditListTest, EnterStoresAndMovesDownEscapeLeavesTheCell) {
    ASSERT_NE(list->BeginCellEdit(0, 3), nullptr);
    list->GetActiveEdit()->SetValue("10");
    Key(wxEVT_CHAR, WXK_RETURN);
    EXPECT_EQ(list->GetItemText(0, 3), "10");
    EXPECT_EQ(EditCell(), std::make_pair(1, 3));
    list->GetActiveEdit()->SetValue("99");
    Key(wxEVT_CHAR, WXK_ESCAPE);
    EXPECT_EQ(list->GetItemText(1, 3), "");
    EXPECT_EQ(list->GetActiveEdit(), nullptr);
    EXPECT_EQ(results, (std::vector<wxString>{"10", "<cancelled>"}));
}

TEST_F(EditListTest, KeysMoveTheEditAndAMoveThatCannotHappenKeepsIt) {
    ASSERT_NE(list->BeginCellEdit(0, 3), nullptr);
    Key(wxEVT_CHAR, WXK_TAB);
    EXPECT_EQ(EditCell(), std::make_pair(0, 4));
    Key(wxEVT_CHAR, WXK_TAB);  // past the last column: the next row's first editable one
    EXPECT_EQ(EditCell(), std::make_pair(1, 3));
    Key(wxEVT_CHAR, WXK_TAB, true);
    EXPECT_EQ(EditCell(), std::make_pair(0, 4));
    Key(wxEVT_KEY_DOWN, WXK_DOWN);
    Key(wxEVT_KEY_DOWN, WXK_DOWN);
    EXPECT_EQ(EditCell(), std::make_pair(2, 4));
    list->GetActiveEdit()->SetValue("kept");
    Key(wxEVT_KEY_DOWN, WXK_DOWN);  // the last row: the edit stays, its text too
    EXPECT_EQ(EditCell(), std::make_pair(2, 4));
    Key(wxEVT_CHAR, WXK_TAB);  // the last cell of all: nowhere to go
    EXPECT_EQ(EditCell(), std::make_pair(2, 4));
    EXPECT_EQ(list->GetActiveEdit()->GetValue(), "kept");
    Key(wxEVT_KEY_UP, WXK_PAGEUP);
    EXPECT_EQ(EditCell().first, 0);
    EXPECT_EQ(list->GetItemText(2, 4), "kept");
}

TEST_F(EditListTest, HiddenColumnsAndMissingRowsAreNeverEdited) {
    list->SetColumnWidth(4, 0);
    EXPECT_EQ(list->BeginCellEdit(0, 4), nullptr);
    EXPECT_EQ(list->BeginCellEdit(3, 3), nullptr);
    EXPECT_EQ(list->BeginCellEdit(0, 5), nullptr);
    ASSERT_NE(list->BeginCellEdit(0, 3), nullptr);
    Key(wxEVT_CHAR, WXK_TAB);  // into the hidden column: refused, the edit stays
    EXPECT_EQ(EditCell(), std::make_pair(0, 3));
}

TEST_F(EditListTest, OpeningAnotherCellStoresTheOpenOne) {
    ASSERT_NE(list->BeginCellEdit(1, 3), nullptr);
    list->GetActiveEdit()->SetValue("12");
    ASSERT_NE(list->BeginCellEdit(2, 4), nullptr);
    Pump();
    EXPECT_EQ(list->GetItemText(1, 3), "12");
    EXPECT_EQ(EditCell(), std::make_pair(2, 4));
}

}  // namespace
