// The Back/Forward history: indexes of earlier current animals, oldest first, with a cursor.
// Indexes follow the flock as animals are inserted and removed, so an entry never names another
// animal than the one it was made for; entries of removed animals leave the history.
#pragma once

#include <list>
#include <vector>

class CSelectionHistory {
public:
    CSelectionHistory() = default;
    CSelectionHistory(const CSelectionHistory&) = delete;
    CSelectionHistory& operator=(const CSelectionHistory&) = delete;

    // Appends an index and puts the cursor on it.
    void Record(int index);
    void Clear();
    bool IsEmpty() const { return m_entries.empty(); }

    bool CanGoBack() const { return !m_entries.empty() && m_cursor != m_entries.begin(); }
    bool CanGoForward() const { return !m_entries.empty() && m_cursor != std::prev(m_entries.end()); }
    // The index at the cursor, then the cursor moves one entry towards the head (Back) or the tail
    // (Forward). -1 when the move is not possible.
    int GoBack();
    int GoForward();

    // An animal was inserted at index: entries at or behind it move up by one.
    void OnInserted(int index);
    // The animal at index was removed: its entries leave the history (the cursor moves to the entry
    // before, else the one after), entries behind it move down by one.
    void OnRemoved(int index);

    std::vector<int> Entries() const { return {m_entries.begin(), m_entries.end()}; }
    // Position of the cursor in Entries(), -1 when empty.
    int CursorPosition() const;

private:
    std::list<int> m_entries;
    std::list<int>::iterator m_cursor = m_entries.end();
};
