// What the animal's stored forms (its archive record and its Dedov element) need besides the
// animal itself: the set of event codes left out of XML, and the arrays that own an animal's
// lambing and tupping records.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "platform/object.h"
#include "platform/oledate.h"
#include "platform/text.h"

// Year, month and day of a date; -1s for a date that is not valid (so such dates fall on one "day").
struct CCalendarDay {
    int y, m, d;
};
inline CCalendarDay DayOf(const COleDateTime& date) {
    if (date.GetStatus() != COleDateTime::valid) return {-1, -1, -1};
    return {date.GetYear(), date.GetMonth(), date.GetDay()};
}
inline bool SameDay(const COleDateTime& a, const COleDateTime& b) {
    const CCalendarDay x = DayOf(a), y = DayOf(b);
    return x.y == y.y && x.m == y.m && x.d == y.d;
}

// Event codes left out of the XML form: code -> 0 (a code whose value is not 1 is left out).
using CExcludedCodes = std::map<uint32_t, int>;

// The per-user `XML Excluded Events` text cut at every comma; each piece read as a decimal number
// (0 when it is none). Returns the number of pieces (0 for an empty text).
int ParseExcludedXMLEvents(WStringView text, CExcludedCodes& codes);
// The same from the per-user setting.
int GetExcludedXMLEvents(CExcludedCodes& codes);

// An animal's owning array of records: dropping a record (or the whole array) detaches it, so that
// an automation client still holding it gets an error rather than a record that is no longer there.
template <class T>
class COwnedRecords : public std::vector<CRefPtr<T>> {
public:
    COwnedRecords() = default;
    COwnedRecords(const COwnedRecords&) = delete;
    COwnedRecords& operator=(const COwnedRecords&) = delete;
    ~COwnedRecords() { DetachAll(); }

    // Detaches every record and empties the array.
    void RemoveAll() {
        DetachAll();
        this->clear();
    }
    void RemoveAt(size_t index) {
        if (index >= this->size()) return;
        if ((*this)[index]) (*this)[index]->MarkDetached();
        this->erase(this->begin() + static_cast<std::ptrdiff_t>(index));
    }

private:
    void DetachAll() {
        for (auto& p : *this)
            if (p) p->MarkDetached();
    }
};
