#include "document/ui/small_controls.h"

#include <wx/image.h>
#include <wx/utils.h>

#include "document/ui/wx_strings.h"
#include "platform/strings.h"

namespace {

CStaticLink::Opener& LinkOpener() {
    static CStaticLink::Opener opener;
    return opener;
}

bool Open(const WString& link) {
    if (link.empty()) return false;
    if (LinkOpener()) return LinkOpener()(link);
    const wxString target = ToWx(link);
    if (target.Contains("://") || target.StartsWith("mailto:")) return wxLaunchDefaultBrowser(target);
    return wxLaunchDefaultApplication(target);
}

}  // namespace

CStaticLink::CStaticLink(wxWindow* parent, int id, const wxString& label, const WString& link)
    : wxStaticText(parent, id, label), m_strLink(link) {
    ShowState();
    Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent&) { Click(); });
}

void CStaticLink::SetOpener(Opener opener) {
    LinkOpener() = std::move(opener);
}

void CStaticLink::ShowState() {
    if (m_bFailed) {
        SetCursor(wxNullCursor);
        SetForegroundColour(wxNullColour);
        SetFont(GetParent() ? GetParent()->GetFont() : wxNullFont);
        return;
    }
    SetCursor(wxCursor(wxCURSOR_HAND));
    SetForegroundColour(m_colour);
    wxFont font = GetFont();
    font.SetUnderlined(true);
    SetFont(font);
    Refresh();
}

bool CStaticLink::Navigate() {
    if (!Open(m_strLink)) return false;
    m_colour = wxColour(128, 0, 128);
    ShowState();
    return true;
}

void CStaticLink::Click() {
    if (m_bFailed) return;
    if (Navigate()) return;
    const WString candidates[] = {FromWx(GetLabel()),
                                  GetId() > 0 ? LoadCvlString(unsigned(GetId())) : WString()};
    for (const WString& candidate : candidates) {
        if (candidate.empty()) continue;
        const WString previous = std::exchange(m_strLink, candidate);
        if (Navigate()) return;
        m_strLink = previous;
    }
    wxBell();
    m_bFailed = true;
    ShowState();
}

CHoverBitmapButton::CHoverBitmapButton(wxWindow* parent, int id, const wxBitmap& image)
    : wxBitmapButton(parent, id, MakeTransparent(image), wxDefaultPosition, wxDefaultSize, wxBORDER_NONE) {
    Bind(wxEVT_ENTER_WINDOW, [this](wxMouseEvent& e) {
        e.Skip();
        if (!m_bHover) {
            m_bHover = true;
            Refresh();
        }
    });
    Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& e) {
        e.Skip();
        m_bHover = false;
        Refresh();
    });
}

wxBitmap CHoverBitmapButton::MakeTransparent(const wxBitmap& image) {
    if (!image.IsOk()) return image;
    wxImage pixels = image.ConvertToImage();
    if (!pixels.IsOk() || pixels.GetWidth() < 1 || pixels.GetHeight() < 1) return image;
    const unsigned char r = pixels.GetRed(0, 0), g = pixels.GetGreen(0, 0), b = pixels.GetBlue(0, 0);
    if (pixels.HasAlpha()) pixels.ClearAlpha();
    pixels.SetMaskColour(r, g, b);
    return wxBitmap(pixels);
}
