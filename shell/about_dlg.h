// The About box: memory, free disk space and the registered breed plug-ins with their versions.
#pragma once

#include <wx/dialog.h>

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

class CAboutDlg : public wxDialog {
public:
    explicit CAboutDlg(wxWindow* parent);
    wxListCtrl* GetPlugInList() const { return m_plugIns; }

private:
    wxListCtrl* m_plugIns = nullptr;
};
