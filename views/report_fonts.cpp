#include "views/report_fonts.h"

#include <wx/settings.h>

#include <cmath>
#include <cstdlib>

#include "document/ui/wx_strings.h"

wxFont FontFromRecord(const CFontRecord& font) {
    wxFont shown = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    const double points = std::abs(font.m_lf.lfHeight) / 10.0;
    if (points >= kSmallestReadablePoints) shown.SetFractionalPointSize(points);
    if (font.m_lf.lfWeight > 0) shown.SetNumericWeight(std::clamp(int(font.m_lf.lfWeight), 1, 1000));
    shown.SetStyle(font.m_lf.lfItalic ? wxFONTSTYLE_ITALIC : wxFONTSTYLE_NORMAL);
    shown.SetUnderlined(font.m_lf.lfUnderline != 0);
    shown.SetStrikethrough(font.m_lf.lfStrikeOut != 0);
    // A face the system does not have leaves the interface's face.
    const WString face = font.GetFaceName();
    if (!face.empty()) {
        wxFont named = shown;
        if (named.SetFaceName(ToWx(face))) shown = named;
    }
    return shown;
}

wxColour ColourFromRef(uint32_t colour) {
    return wxColour(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

uint32_t RefFromColour(const wxColour& colour) {
    return uint32_t(colour.Red()) | (uint32_t(colour.Green()) << 8) | (uint32_t(colour.Blue()) << 16);
}

CFontRecord ReportFontFromInterface() {
    const wxFont gui = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    CFontRecord font;
    font.m_lf.lfHeight = int32_t(std::lround(gui.GetFractionalPointSize() * 10));
    font.m_lf.lfWeight = 400;
    font.SetFaceName(FromWx(gui.GetFaceName()));
    return font;
}
