// The main window's stored placement ("WindowPos"): the ten numbers of a window placement record.
#pragma once

#include <optional>

#include "platform/text.h"

constexpr unsigned WPF_RESTORETOMAXIMIZED = 2;
constexpr unsigned SW_SHOWNORMAL = 1;
constexpr unsigned SW_SHOWMAXIMIZED = 3;

struct CWindowPlacement {
    unsigned flags = 0;
    unsigned showCmd = SW_SHOWNORMAL;
    int minX = -1, minY = -1;
    int maxX = -1, maxY = -1;
    int left = 0, top = 0, right = 0, bottom = 0;  // the normal (restored) rectangle

    bool IsMaximized() const { return flags == WPF_RESTORETOMAXIMIZED; }
};

// Nothing unless the text holds exactly ten numbers in the stored form.
std::optional<CWindowPlacement> ParseWindowPlacement(WStringView text);
WString FormatWindowPlacement(const CWindowPlacement& placement);

// The stored placement of the main window (per-user Settings\WindowPos), if any.
std::optional<CWindowPlacement> LoadWindowPlacement();
void SaveWindowPlacement(const CWindowPlacement& placement);
