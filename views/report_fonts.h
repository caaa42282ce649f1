// The document's report fonts and colours as the lists show them: stored fonts (height in tenths of a
// point, Windows face names) become wx fonts matched by face name through the system's font
// configuration; colours are stored as 0x00BBGGRR.
#pragma once

#include <wx/colour.h>
#include <wx/font.h>

#include "document/font_record.h"

class CSheepDoc;

// A stored height too small to read (old files hold the system font's pixel height negated, about
// one point) shows at the interface's own size; the stored value is not changed.
constexpr double kSmallestReadablePoints = 6.0;

wxFont FontFromRecord(const CFontRecord& font);
wxColour ColourFromRef(uint32_t colour);
uint32_t RefFromColour(const wxColour& colour);
// The report font of a new document: the interface's font at its size, in tenths of a point.
CFontRecord ReportFontFromInterface();
