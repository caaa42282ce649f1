#include "records/electronic_id.h"

#include <cstdio>

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

}  // namespace

bool ParseElectronicID(WStringView text, uint64_t& eid) {
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    if (first == last) return false;
    uint64_t value = 0;
    for (size_t i = first; i < last; ++i) {
        const char16_t c = text[i];
        if (c < u'0' || c > u'9') return false;
        const uint64_t digit = uint64_t(c - u'0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    eid = value;
    return true;
}

WString FormatElectronicID(uint64_t eid) {
    char text[24];
    std::snprintf(text, sizeof text, "%016llu", static_cast<unsigned long long>(eid));
    return Utf8ToW(text);
}
