// A control that shows one picture at its natural size in its top-left corner, clipped (never
// scaled) by the control; outside the picture it shows the button face.
#pragma once

#include <wx/bitmap.h>
#include <wx/window.h>

#include <cstddef>
#include <cstdint>

#include "platform/text.h"

// Makes wx able to decode every picture format it has (once; UI thread).
void CvlEnsureImageHandlers();

class CPictureCtrl : public wxWindow {
public:
    // With loadResourceById, the picture registered under the control's id (at least 1) is shown.
    CPictureCtrl(wxWindow* parent, int id, bool loadResourceById = false);

    // False when the file cannot be opened: the old picture stays. Otherwise true, also when the
    // bytes are no picture (the control then shows none).
    bool LoadFromFile(const WString& path);
    // False when no picture is registered under that id.
    bool LoadFromResource(int id);
    // Pictures built into the program, by id.
    static void RegisterResource(int id, const uint8_t* data, size_t size);

    bool HasPicture() const { return m_picture.IsOk(); }
    // (0, 0) without a picture.
    wxSize GetPictureSize() const;
    // Draws the picture into the rectangle (its natural size for an empty one).
    void Render(wxDC& dc, wxRect rect) const;
    // Drops the picture.
    void Clear();

private:
    void LoadFromBytes(const void* data, size_t size);
    void OnPaint(wxPaintEvent& event);

    wxBitmap m_picture;
};
