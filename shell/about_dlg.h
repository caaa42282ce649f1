// The About box: memory, free disk space and the registered breed plug-ins with their versions.
#pragma once

#include <wx/bitmap.h>
#include <wx/dialog.h>
#include <wx/image.h>

#include <optional>
#include <vector>

#include "platform/text.h"

class wxListCtrl;

// "%.0f bytes", "%.1f KB", "%.1f MB" or "%.1f GB" by size.
WString FormatDiskSize(double bytes);
// The free space on a place, or "Unavailable" when it could not be read.
WString FormatFreeSpace(std::optional<double> bytes, WStringView where);

struct CBreedPlugInRow {
    WString name;
    WString version;   // the library's product version, "Unknown" without one
    WString location;  // the library's path
};
// One row per value of the machine-wide Breeds key. A library without version information keeps
// the version and location empty.
std::vector<CBreedPlugInRow> ListBreedPlugIns();

// Replaces the region of `from` pixels 4-connected to (x, y) with `to`; nothing when (x, y) is
// outside or not of that colour.
void FloodFillImage(wxImage& image, int x, int y, const wxColour& from, const wxColour& to);
// The About box's picture framed: 8 pixels larger than the picture, a black one-pixel frame, a
// dark-grey shadow 4 pixels wide along the right and bottom, the picture at (2, 2), and the red
// regions touching (2, 2) and (47, 47) filled with `fill`.
wxBitmap FrameAboutPicture(const wxBitmap& picture, const wxColour& background, const wxColour& fill);
// The program's own picture for the About box: a ewe on a hill against a red ground.
wxBitmap MakeAboutPicture();

// Control 1051 of the About box.
class CAboutPictureButton : public wxWindow {
public:
    CAboutPictureButton(wxWindow* parent, int id, const wxBitmap& picture);
    const wxBitmap& GetFramed() const { return m_framed; }

private:
    wxBitmap m_framed;
};

class CAboutDlg : public wxDialog {
public:
    explicit CAboutDlg(wxWindow* parent);
    wxListCtrl* GetPlugInList() const { return m_plugIns; }
    CAboutPictureButton* GetPicture() const { return m_picture; }

private:
    wxListCtrl* m_plugIns = nullptr;
    CAboutPictureButton* m_picture = nullptr;
};
