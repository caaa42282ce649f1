// Drawing the pedigree's tree on a DC: the boxes with their two lines, the stem, the connectors and
// the selection marks, and the tracker about the selected box.
#pragma once

#include <wx/dc.h>
#include <wx/font.h>

#include "document/antecedants.h"

// How the tree's logical units (0.01 inch, y upwards) reach a DC: at a resolution, zoomed, and moved
// by an origin in device units.
struct CPedigreeMapping {
    double unitX = 0.96, unitY = 0.96;  // device units per logical unit at 100 %
    int zoom = 100;
    wxPoint origin;
    wxPoint ToDevice(int x, int y) const;
    int ToLogicalX(int deviceX) const;
    int ToLogicalY(int deviceY) const;
};

// A box's rectangle on the device.
wxRect ToDeviceRect(const CPedigreeMapping& mapping, const CBoxRect& rect);

// Draws the tree's boxes, texts, stem and connectors, and unless printing the selection marks.
void DrawPedigree(wxDC& dc, CAntecedantTree& tree, const CPedigreeMapping& mapping, const wxFont& font,
                  bool printing, const wxRect* deviceClip = nullptr);

// The tracker about the selected box: its handles (0-7 clockwise from top-left) and inside (8).
constexpr int TRACK_NONE = -1;
constexpr int TRACK_INSIDE = 8;
int HitTestTracker(const wxRect& box, const wxPoint& point);
wxRect TrackerRect(const wxRect& box);
