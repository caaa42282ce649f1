// Window handles: the 32-bit numbers by which scripts and plug-ins name a window of the program
// (automation passes a window as a LONG, which cannot hold a pointer).
#pragma once

class wxWindow;

// The number of a window, the same for as long as the window lives; 0 for none.
long CvlWindowHandle(wxWindow* window);
// The window a number names; a number that names no live window of the program stands for the
// active top-level window (the program's top window when none is active; null without one).
wxWindow* CvlWindowFromHandle(long handle);
