#include "document/selection_history.h"

#include <iterator>

void CSelectionHistory::Record(int index) {
    m_entries.push_back(index);
    m_cursor = std::prev(m_entries.end());
}

void CSelectionHistory::Clear() {
    m_entries.clear();
    m_cursor = m_entries.end();
}

int CSelectionHistory::GoBack() {
    if (!CanGoBack()) return -1;
    int index = *m_cursor;
    --m_cursor;
    return index;
}

int CSelectionHistory::GoForward() {
    if (!CanGoForward()) return -1;
    int index = *m_cursor;
    ++m_cursor;
    return index;
}

void CSelectionHistory::OnInserted(int index) {
    for (int& entry : m_entries)
        if (entry >= index) ++entry;
}

void CSelectionHistory::OnRemoved(int index) {
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (*it == index) {
            if (it == m_cursor) m_cursor = it == m_entries.begin() ? std::next(it) : std::prev(it);
            it = m_entries.erase(it);
            continue;
        }
        if (*it > index) --*it;
        ++it;
    }
    if (m_entries.empty()) m_cursor = m_entries.end();
}

int CSelectionHistory::CursorPosition() const {
    if (m_entries.empty()) return -1;
    return int(std::distance(m_entries.begin(), std::list<int>::const_iterator(m_cursor)));
}
