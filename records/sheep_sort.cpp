#include "records/sheep_sort.h"

#include <algorithm>

#include "records/sheep.h"

namespace {

const CSheep* SheepOf(const CRefPtr<CObject>& row) {
    return static_cast<const CSheep*>(row.Get());
}

int Sign(long long v) {
    return (v > 0) - (v < 0);
}

// Sorts by keys taken from the animals once, so that the comparisons run over a compact array
// rather than reaching into every animal each time. `compare` gives the animal's own comparison of
// the field (CSheep::CompareField); the tests hold the two to the same order.
template <class Key, class Extract, class Compare>
void SortByKeys(std::vector<CRefPtr<CObject>>& rows, bool ascending, Extract extract, Compare compare) {
    struct Item {
        Key key;
        size_t row;
    };
    std::vector<Item> items;
    items.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) items.push_back({extract(*SheepOf(rows[i])), i});
    std::stable_sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        const int c = compare(a.key, b.key);
        return ascending ? c < 0 : c > 0;
    });
    std::vector<CRefPtr<CObject>> sorted;
    sorted.reserve(rows.size());
    for (const Item& item : items) sorted.push_back(std::move(rows[item.row]));
    rows = std::move(sorted);
}

template <class Get>
void SortByText(std::vector<CRefPtr<CObject>>& rows, bool ascending, Get get) {
    // Collation keys made once per row: collating every comparison afresh would be far slower.
    SortByKeys<std::string>(
        rows, ascending, [&](const CSheep& s) { return CollationKey(get(s)); },
        [](const std::string& a, const std::string& b) { return Sign(a.compare(b)); });
}

template <class Get>
void SortByDate(std::vector<CRefPtr<CObject>>& rows, bool ascending, Get get) {
    SortByKeys<COleDateTime>(rows, ascending, get,
                             [](const COleDateTime& a, const COleDateTime& b) { return CompareDates(a, b); });
}

template <class Get>
void SortByNumber(std::vector<CRefPtr<CObject>>& rows, bool ascending, Get get) {
    SortByKeys<long long>(
        rows, ascending, [&](const CSheep& s) { return static_cast<long long>(get(s)); },
        [](long long a, long long b) { return Sign(a - b); });
}

}  // namespace

void SortSheepRows(std::vector<CRefPtr<CObject>>& rows, unsigned sortWord) {
    const unsigned kind = sortWord & ~SORT_ASCENDING;
    const bool ascending = (sortWord & SORT_ASCENDING) != 0;
    switch (kind) {
        case SF_KEY:
        case SF_TATTOO:
            return SortByText(rows, ascending,
                              [](const CSheep& s) -> const WString& { return s.GetTattoo(); });
        case SF_EARTAG_NUMBER:
            return SortByText(rows, ascending,
                              [](const CSheep& s) -> const WString& { return s.GetEartagNumber(); });
        case SF_EARTAG_COLOUR:
            return SortByText(rows, ascending,
                              [](const CSheep& s) -> const WString& { return s.GetEartagColour(); });
        case SF_SIRE:
            return SortByText(rows, ascending, [](const CSheep& s) -> const WString& { return s.GetSire(); });
        case SF_DAM:
            return SortByText(rows, ascending, [](const CSheep& s) -> const WString& { return s.GetDam(); });
        case SF_NAME:
            return SortByText(rows, ascending, [](const CSheep& s) -> const WString& { return s.GetName(); });
        case SF_COMMENTS:
            return SortByText(rows, ascending,
                              [](const CSheep& s) -> const WString& { return s.GetComments(); });
        case SF_DATE_OF_BIRTH:
            return SortByDate(rows, ascending, [](const CSheep& s) { return s.GetDateofBirth(); });
        case SF_DATE_OF_PURCHASE:
            return SortByDate(rows, ascending, [](const CSheep& s) { return s.GetDateofPurchase(); });
        case SF_DATE_OF_DEPART:
            return SortByDate(rows, ascending, [](const CSheep& s) { return s.GetDateofDepart(); });
        case SF_DEPART_REASON:
            return SortByNumber(rows, ascending, [](const CSheep& s) { return s.GetDepartReason(); });
        case SF_SEX:
            return SortByNumber(rows, ascending, [](const CSheep& s) { return s.GetSex(); });
        case SF_ONE_OF:
            return SortByNumber(rows, ascending, [](const CSheep& s) { return s.GetOneOf(); });
        case SF_ELECTRONIC_ID:
            return SortByKeys<uint64_t>(
                rows, ascending, [](const CSheep& s) { return s.GetElectronicID(); },
                [](uint64_t a, uint64_t b) { return a == b ? 0 : (a < b ? -1 : 1); });
        default:
            // Figures, genotype and flags: the animal's own comparison.
            std::stable_sort(rows.begin(), rows.end(),
                             [kind, ascending](const CRefPtr<CObject>& a, const CRefPtr<CObject>& b) {
                                 return SheepOf(a)->CompareField(SheepOf(b), kind, ascending) < 0;
                             });
    }
}
