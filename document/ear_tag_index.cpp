#include "document/ear_tag_index.h"

#include <algorithm>
#include <iterator>

#include "document/midpoint_search.h"

WString CEarTagIndex::MakeKey(WStringView colour, WStringView number) {
    WString key(colour);
    key.append(number);
    return key;
}

bool CEarTagIndex::FindRange(WStringView key, int* first, int* count) const {
    FilePending();
    CMidpointResult r = MidpointSearch(
        GetCount(), [&](int i) { return CompareOrdinal(key, m_entries[size_t(i)].m_strEarTag); });
    *first = r.mid;
    *count = 0;
    if (!r.found) return false;
    const CEarTagHashEntry& found = m_entries[size_t(r.mid)];
    if (found.m_nRunOffset == -1) {
        *count = 1;
        return true;
    }
    // The offset is stored data; never step outside the index on a bad one.
    int start = r.mid - found.m_nRunOffset;
    if (start < 0 || start > r.mid) start = r.mid;
    while (start > 0 && m_entries[size_t(start - 1)].m_strEarTag == key) --start;
    int n = 0;
    while (start + n < GetCount() && m_entries[size_t(start + n)].m_strEarTag == key) ++n;
    *first = start;
    *count = n;
    return true;
}

void CEarTagIndex::Insert(WStringView key, WStringView tattoo) {
    if (key.empty()) return;
    if (m_bConsistent)
        m_pending.push_back({WString(key), WString(tattoo), -1});
    else
        InsertNow(key, tattoo);
}

void CEarTagIndex::FilePending() const {
    if (m_pending.empty()) return;
    auto& self = const_cast<CEarTagIndex&>(*this);
    std::vector<CEarTagHashEntry> pending = std::move(m_pending);
    m_pending.clear();
    if (pending.size() == 1) {
        self.InsertNow(pending[0].m_strEarTag, pending[0].m_strTattoo);
        return;
    }
    const auto before = [](const CEarTagHashEntry& a, const CEarTagHashEntry& b) {
        return CompareOrdinal(a.m_strEarTag, b.m_strEarTag) < 0;
    };
    // Stable both ways: equal keys keep the order they were inserted in, behind the entries filed.
    std::stable_sort(pending.begin(), pending.end(), before);
    std::vector<CEarTagHashEntry> merged;
    merged.reserve(m_entries.size() + pending.size());
    std::merge(std::make_move_iterator(m_entries.begin()), std::make_move_iterator(m_entries.end()),
               std::make_move_iterator(pending.begin()), std::make_move_iterator(pending.end()),
               std::back_inserter(merged), before);
    m_entries = std::move(merged);
    self.RenumberRuns();
}

void CEarTagIndex::InsertNow(WStringView key, WStringView tattoo) {
    CEarTagHashEntry entry{WString(key), WString(tattoo), -1};
    int first = 0, count = 0;
    if (FindRange(key, &first, &count)) {
        CEarTagHashEntry& head = m_entries[size_t(first)];
        if (head.m_nRunOffset == -1) head.m_nRunOffset = 0;
        entry.m_nRunOffset = m_entries[size_t(first + count - 1)].m_nRunOffset + 1;
        m_entries.insert(m_entries.begin() + first + count, std::move(entry));
        return;
    }
    int at = 0;
    if (!m_entries.empty())
        at = CompareOrdinal(key, m_entries[size_t(first)].m_strEarTag) < 0 ? first : first + 1;
    m_entries.insert(m_entries.begin() + at, std::move(entry));
}

bool CEarTagIndex::Remove(WStringView tattoo) {
    FilePending();
    bool removed = false;
    for (int i = int(m_entries.size()) - 1; i >= 0; --i) {
        if (!EqualsNoCase(m_entries[size_t(i)].m_strTattoo, tattoo)) continue;
        EraseAt(i);
        removed = true;
    }
    return removed;
}

bool CEarTagIndex::Remove(WStringView key, WStringView tattoo) {
    int first = 0, count = 0;
    bool removed = false;
    if (!key.empty() && FindRange(key, &first, &count)) {
        for (int i = first + count - 1; i >= first; --i) {
            if (!EqualsNoCase(m_entries[size_t(i)].m_strTattoo, tattoo)) continue;
            EraseAt(i);
            removed = true;
        }
    }
    return removed || Remove(tattoo);
}

void CEarTagIndex::EraseAt(int position) {
    m_entries.erase(m_entries.begin() + position);
    // What is left of the run sits at position (after) or at position - 1 (before).
    if (position < int(m_entries.size())) RenumberRunAt(position);
    if (position > 0) RenumberRunAt(position - 1);
}

void CEarTagIndex::RenumberRunAt(int position) {
    const WString& key = m_entries[size_t(position)].m_strEarTag;
    int start = position, end = position + 1;
    while (start > 0 && m_entries[size_t(start - 1)].m_strEarTag == key) --start;
    while (end < int(m_entries.size()) && m_entries[size_t(end)].m_strEarTag == key) ++end;
    if (end - start == 1) {
        m_entries[size_t(start)].m_nRunOffset = -1;
        return;
    }
    for (int i = start; i < end; ++i) m_entries[size_t(i)].m_nRunOffset = i - start;
}

bool CEarTagIndex::IsConsistent() const {
    FilePending();
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const CEarTagHashEntry& e = m_entries[i];
        bool sameAsPrevious = i > 0 && m_entries[i - 1].m_strEarTag == e.m_strEarTag;
        bool sameAsNext = i + 1 < m_entries.size() && m_entries[i + 1].m_strEarTag == e.m_strEarTag;
        if (i > 0 && CompareOrdinal(m_entries[i - 1].m_strEarTag, e.m_strEarTag) > 0) return false;
        if (!sameAsPrevious && !sameAsNext && e.m_nRunOffset != -1) return false;
        if (!sameAsPrevious && sameAsNext && e.m_nRunOffset != 0) return false;
        if (sameAsPrevious && e.m_nRunOffset != m_entries[i - 1].m_nRunOffset + 1) return false;
    }
    m_bConsistent = true;
    return true;
}

void CEarTagIndex::Normalize() {
    FilePending();
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](const CEarTagHashEntry& a, const CEarTagHashEntry& b) {
                         return CompareOrdinal(a.m_strEarTag, b.m_strEarTag) < 0;
                     });
    RenumberRuns();
}

void CEarTagIndex::RenumberRuns() {
    for (size_t i = 0; i < m_entries.size();) {
        size_t end = i + 1;
        while (end < m_entries.size() && m_entries[end].m_strEarTag == m_entries[i].m_strEarTag) ++end;
        for (size_t j = i; j < end; ++j) m_entries[j].m_nRunOffset = end - i == 1 ? -1 : int32_t(j - i);
        i = end;
    }
    m_bConsistent = true;
}
