#include "records/eid_text.h"

#include <cinttypes>
#include <cstdio>
#include <limits>

WString FormatElectronicIdText(uint64_t eid) {
    if (eid == 0) return {};
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%016" PRIu64, eid);
    return Utf8ToW(buffer);
}

bool ParseElectronicIdText(WStringView text, uint64_t* eid) {
    uint64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return false;
        const unsigned digit = unsigned(c - u'0');
        if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10) return false;
        value = value * 10 + digit;
    }
    *eid = value;
    return true;
}
