// The ear-tag index: one entry per animal that has an ear tag, sorted by ear-tag key (with regard to
// case); entries of equal key form a run that knows its own start.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/text.h"

struct CEarTagHashEntry {
    WString m_strEarTag;        // colour text followed directly by number text
    WString m_strTattoo;        // the animal's key
    int32_t m_nRunOffset = -1;  // -1 alone, else the distance from the first entry of the run

    bool operator==(const CEarTagHashEntry&) const = default;
};

class CEarTagIndex {
public:
    static WString MakeKey(WStringView colour, WStringView number);

    // The run of entries with key: TRUE with its first position and length; FALSE with first = the
    // last midpoint of the search (0 when empty) and count 0.
    bool FindRange(WStringView key, int* first, int* count) const;
    // Files the animal under key behind the run of that key, or alone at its sorted place. An empty
    // key files nothing. Inserts in a row are filed together at the next look at the index, so that
    // an import does not move the whole index once per animal.
    void Insert(WStringView key, WStringView tattoo);
    // Takes every entry of the animal (its key compared without regard to case) out of the index and
    // renumbers what is left of their runs. True when there was one.
    bool Remove(WStringView tattoo);
    // The same for an animal filed under key: its run is found by the binary search, and the whole
    // index is walked only when the run does not hold the animal (a stored index may not match).
    bool Remove(WStringView key, WStringView tattoo);

    const std::vector<CEarTagHashEntry>& Entries() const {
        FilePending();
        return m_entries;
    }
    // Stored entries as read; Normalize makes them sorted with consistent runs.
    void Assign(std::vector<CEarTagHashEntry> entries) {
        m_pending.clear();
        m_entries = std::move(entries);
        m_bConsistent = false;
    }
    // True when the entries are sorted and every run counts from 0 (or is -1 alone).
    bool IsConsistent() const;
    // Sorts (stable) and renumbers every run.
    void Normalize();
    void Clear() {
        m_entries.clear();
        m_pending.clear();
        m_bConsistent = true;
    }
    int GetCount() const {
        FilePending();
        return int(m_entries.size());
    }

private:
    void InsertNow(WStringView key, WStringView tattoo);
    void FilePending() const;
    void RenumberRunAt(int position);
    void RenumberRuns();
    void EraseAt(int position);

    mutable std::vector<CEarTagHashEntry> m_entries;
    // Inserted but not yet filed; only while the entries are known to be consistent, where filing
    // them together gives the same index as filing them one by one.
    mutable std::vector<CEarTagHashEntry> m_pending;
    mutable bool m_bConsistent = true;
};
