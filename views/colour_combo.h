// A drop-down list of colour swatches, kept in the order of CompareColours.
#pragma once

#include <wx/odcombo.h>

#include <cstdint>

// Equal colours are equal; else the smaller R + G + B first; on equal sums the greater blue, then
// the greater green, then the greater red first. Colours are 0x00BBGGRR.
int CompareColours(uint32_t a, uint32_t b);

class CColourCombo : public wxOwnerDrawnComboBox {
public:
    CColourCombo(wxWindow* parent, wxWindowID id);

    // Adds an item for the colour at its place in the order; its index.
    int AddColour(uint32_t colour);
    uint32_t GetColour(int index) const;
    // Selects the item of that colour; false when there is none.
    bool SelectColour(uint32_t colour);

protected:
    void OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const override;
    wxCoord OnMeasureItem(size_t item) const override;
};
