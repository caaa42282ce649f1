// Reading numbers out of stored text the way the C library's scans do.
#pragma once

#include "platform/text.h"

// "%d": leading blanks, an optional sign, then digits; false (value untouched) when no digit
// follows. Values beyond 10^9 in size are cut there (no record needs more).
inline bool ScanDecimalInt(WStringView s, long& value) {
    size_t i = 0;
    while (i < s.size() && (s[i] == u' ' || (s[i] >= u'\t' && s[i] <= u'\r'))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
    if (i >= s.size() || s[i] < u'0' || s[i] > u'9') return false;
    long v = 0;
    for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
        if (v < 1000000000L) v = v * 10 + (s[i] - u'0');
    }
    value = negative ? -v : v;
    return true;
}
