#include "platform/automation/com.h"

#include <cstdio>
#include <tuple>

bool operator<(const GUID& a, const GUID& b) {
    auto key = [](const GUID& g) {
        return std::tie(g.Data1, g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                        g.Data4[5], g.Data4[6], g.Data4[7]);
    };
    return key(a) < key(b);
}

std::string GuidToString(REFGUID g) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2,
                  g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                  g.Data4[7]);
    return buf;
}

bool GuidFromString(const std::string& text, GUID& out) {
    std::string s = text;
    if (s.size() == 38 && s.front() == '{' && s.back() == '}') s = s.substr(1, 36);
    if (s.size() != 36) return false;
    std::string hex;
    for (std::size_t i = 0; i < s.size(); ++i) {
        bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash != (s[i] == '-')) return false;
        if (dash) continue;
        char c = s[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
        hex += c;
    }
    auto take = [&](std::size_t pos, std::size_t n) { return std::stoull(hex.substr(pos, n), nullptr, 16); };
    GUID g{};
    g.Data1 = static_cast<std::uint32_t>(take(0, 8));
    g.Data2 = static_cast<std::uint16_t>(take(8, 4));
    g.Data3 = static_cast<std::uint16_t>(take(12, 4));
    for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<std::uint8_t>(take(16 + 2 * i, 2));
    out = g;
    return true;
}
