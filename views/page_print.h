// A printed page's frame from a page setup: the header and footer texts at their distances from the
// paper's edges, and the body inside the margins.
#pragma once

#include <wx/dc.h>

#include "document/page_setup.h"
#include "document/page_text.h"

// Draws the header and footer (12-point Times New Roman; the left part at the left margin, the centre
// part centred, the right part ending at the right margin) and gives the body's rectangle. Distances
// convert from hundredths of an inch through ppi.
wxRect PrintPageFrame(wxDC& dc, const CPageSetup& setup, const CPageTextContext& context, const wxSize& ppi,
                      const wxRect& paper);
