#include "document/window_placement.h"

#include <cstdio>

#include "platform/settings.h"

std::optional<CWindowPlacement> ParseWindowPlacement(WStringView text) {
    if (text.empty()) return std::nullopt;
    const std::string utf8 = WToUtf8(text);
    CWindowPlacement p;
    const int n = std::sscanf(utf8.c_str(), "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", &p.flags, &p.showCmd, &p.minX,
                              &p.minY, &p.maxX, &p.maxY, &p.left, &p.top, &p.right, &p.bottom);
    if (n != 10) return std::nullopt;
    return p;
}

WString FormatWindowPlacement(const CWindowPlacement& p) {
    return FormatW("%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showCmd, p.minX, p.minY, p.maxX, p.maxY,
                   p.left, p.top, p.right, p.bottom);
}

std::optional<CWindowPlacement> LoadWindowPlacement() {
    return ParseWindowPlacement(
        CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"WindowPos", u""));
}

void SaveWindowPlacement(const CWindowPlacement& placement) {
    CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"WindowPos",
                                 FormatWindowPlacement(placement));
}
