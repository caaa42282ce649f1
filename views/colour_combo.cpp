#include "views/colour_combo.h"

#include <wx/dc.h>
#include <wx/settings.h>

#include "views/report_fonts.h"

namespace {

uint32_t Red(uint32_t c) {
    return c & 0xFF;
}
uint32_t Green(uint32_t c) {
    return (c >> 8) & 0xFF;
}
uint32_t Blue(uint32_t c) {
    return (c >> 16) & 0xFF;
}

constexpr wxCoord kItemHeight = 20;

}  // namespace

int CompareColours(uint32_t a, uint32_t b) {
    if (a == b) return 0;
    const uint32_t sa = Red(a) + Green(a) + Blue(a), sb = Red(b) + Green(b) + Blue(b);
    if (sa != sb) return sa < sb ? -1 : 1;
    if (Blue(a) != Blue(b)) return Blue(a) > Blue(b) ? -1 : 1;
    if (Green(a) != Green(b)) return Green(a) > Green(b) ? -1 : 1;
    return Red(a) > Red(b) ? -1 : 1;
}

CColourCombo::CColourCombo(wxWindow* parent, wxWindowID id)
    : wxOwnerDrawnComboBox(parent, id, wxEmptyString, wxDefaultPosition, wxSize(120, -1), 0, nullptr,
                           wxCB_READONLY) {}

int CColourCombo::AddColour(uint32_t colour) {
    unsigned at = 0;
    while (at < GetCount() && CompareColours(GetColour(int(at)), colour) <= 0) ++at;
    return Insert(wxEmptyString, at, reinterpret_cast<void*>(uintptr_t(colour)));
}

uint32_t CColourCombo::GetColour(int index) const {
    if (index < 0 || unsigned(index) >= GetCount()) return 0;
    return uint32_t(reinterpret_cast<uintptr_t>(GetClientData(unsigned(index))));
}

bool CColourCombo::SelectColour(uint32_t colour) {
    for (unsigned i = 0; i < GetCount(); ++i)
        if (GetColour(int(i)) == colour) {
            SetSelection(int(i));
            return true;
        }
    return false;
}

void CColourCombo::OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const {
    if (item == wxNOT_FOUND) return;
    const uint32_t colour = GetColour(item);
    wxRect swatch = rect;
    swatch.Deflate(2, 1);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)));
    dc.DrawRectangle(rect);
    dc.SetBrush(wxBrush(ColourFromRef(colour)));
    // Selected: framed in the complementary colour; otherwise in black.
    const bool selected = (flags & wxODCB_PAINTING_SELECTED) != 0;
    const uint32_t frame = selected ? (0xFFFFFFu & ~colour) : 0;
    dc.SetPen(wxPen(ColourFromRef(frame)));
    dc.DrawRectangle(swatch);
}

wxCoord CColourCombo::OnMeasureItem(size_t) const {
    return kItemHeight;
}
