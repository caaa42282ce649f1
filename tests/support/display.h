// A GUI test program without a display stops at once with a failure. Reporting its tests as
// skipped would let the test command pass without running them.
#pragma once

#include <cstdio>
#include <cstdlib>

inline bool HasDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

// Call with whether the toolkit started; returns only when it did.
inline void RequireDisplay(bool started) {
    if (started && HasDisplay()) return;
    std::fputs("no display: run the GUI tests under xvfb-run\n", stderr);
    std::fflush(nullptr);
    std::_Exit(1);
}
