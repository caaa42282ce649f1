// The binary search of the document's sorted arrays: midpoint (low + high) / 2, stopping on equality
// or when low passes high. Callers need the last midpoint and comparison, not only found or not.
#pragma once

struct CMidpointResult {
    bool found = false;
    int mid = 0;  // the last midpoint (0 for an empty array)
    int cmp = 0;  // the wanted key compared with the key at mid
};

// compare(i): the wanted key compared with the key at position i (<0, 0, >0).
template <typename Compare>
CMidpointResult MidpointSearch(int count, Compare compare) {
    CMidpointResult r;
    int low = 0, high = count - 1;
    while (low <= high) {
        r.mid = low + (high - low) / 2;
        r.cmp = compare(r.mid);
        if (r.cmp == 0) {
            r.found = true;
            return r;
        }
        if (r.cmp < 0)
            high = r.mid - 1;
        else
            low = r.mid + 1;
    }
    return r;
}
