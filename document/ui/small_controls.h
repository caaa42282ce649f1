// Small controls used by dialogs across the program: a static text that opens a link, and a
// bitmap button drawn with a transparent background.
#pragma once

#include <wx/bmpbuttn.h>
#include <wx/stattext.h>

#include <functional>

#include "platform/text.h"

// A static text that behaves as a link: blue and underlined, a hand cursor, a click opens it. It
// tries its link, then its own text, then the string whose number is its id; the first that opens
// becomes its link and turns it purple. When none opens it beeps once and is a plain text from then on.
class CStaticLink : public wxStaticText {
public:
    CStaticLink(wxWindow* parent, int id, const wxString& label, const WString& link = {});

    bool Navigate();
    // A click, as the mouse makes it.
    void Click();
    const WString& GetLink() const { return m_strLink; }
    bool HasFailed() const { return m_bFailed; }
    const wxColour& GetLinkColour() const { return m_colour; }

    // How a link is opened (the desktop's handler unless a test says otherwise).
    using Opener = std::function<bool(const WString& link)>;
    static void SetOpener(Opener opener);

private:
    void ShowState();

    WString m_strLink;
    wxColour m_colour{0, 0, 255};
    bool m_bFailed = false;
};

// A bitmap button whose image's top-left colour is transparent; it notes while the mouse is over it.
class CHoverBitmapButton : public wxBitmapButton {
public:
    CHoverBitmapButton(wxWindow* parent, int id, const wxBitmap& image);
    bool IsHovering() const { return m_bHover; }
    // The image as drawn: the top-left colour masked out.
    static wxBitmap MakeTransparent(const wxBitmap& image);

private:
    bool m_bHover = false;
};
