#include "shell/about_dlg.h"

#include <sys/sysinfo.h>
#include <wx/button.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/module.h"
#include "platform/settings.h"
#include "platform/strings.h"

namespace {
constexpr unsigned IDS_UNKNOWN = 38;
constexpr unsigned IDS_FREE_ON = 151;
constexpr unsigned IDS_UNAVAILABLE = 152;

WString FormatWithString(unsigned id, const std::string& first, const std::string& second) {
    const std::string format = WToUtf8(LoadCvlString(id));
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    return FormatW(format.c_str(), first.c_str(), second.c_str());
#pragma GCC diagnostic pop
}
}  // namespace

WString FormatDiskSize(double bytes) {
    if (bytes < 1024.0) return FormatW("%.0f bytes", bytes);
    if (bytes < 1048576.0) return FormatW("%.1f KB", bytes / 1024.0);
    if (bytes < 1073741824.0) return FormatW("%.1f MB", bytes / 1048576.0);
    return FormatW("%.1f GB", bytes / 1073741824.0);
}

WString FormatFreeSpace(std::optional<double> bytes, WStringView where) {
    if (!bytes) return LoadCvlString(IDS_UNAVAILABLE);
    return FormatWithString(IDS_FREE_ON, WToUtf8(FormatDiskSize(*bytes)), WToUtf8(where));
}

std::vector<CBreedPlugInRow> ListBreedPlugIns() {
    std::vector<CBreedPlugInRow> rows;
    auto app = CRegistrySettings::OpenAppKey(HKEY_LOCAL_MACHINE);
    auto breeds = app ? app->OpenSubkey(u"Breeds") : std::nullopt;
    if (!breeds) return rows;
    for (const auto& [name, value] : breeds->Values()) {
        CBreedPlugInRow row{name, {}, {}};
        CModuleVersion version;
        // Each row starts empty: what one library declared never shows for the next.
        if (value.type == REG_SZ && ReadModuleVersion(WToUtf8(value.text), version)) {
            row.version =
                version.productVersion.empty() ? LoadCvlString(IDS_UNKNOWN) : version.productVersion;
            row.location = value.text;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

CAboutDlg::CAboutDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, "About Corvalen") {
    CCvlWaitCursor wait;
    WString memory = LoadCvlString(IDS_UNAVAILABLE);
    struct sysinfo info {};
    if (sysinfo(&info) == 0)
        memory =
            FromWx(wxFileName::GetHumanReadableSize(wxULongLong(uint64_t(info.totalram) * info.mem_unit)));

    const wxString folder = wxGetCwd();
    wxLongLong free;
    std::optional<double> freeBytes;
    if (wxGetDiskSpace(folder, nullptr, &free)) freeBytes = free.ToDouble();

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(new wxStaticText(this, wxID_ANY, "The Corvalen"), 0, wxALL, 8);
    auto* grid = new wxFlexGridSizer(2, 4, 12);
    grid->Add(new wxStaticText(this, wxID_ANY, "Physical Memory:"));
    grid->Add(new wxStaticText(this, 101, ToWx(memory)));
    grid->Add(new wxStaticText(this, wxID_ANY, "Disk Space:"));
    grid->Add(new wxStaticText(this, 107, ToWx(FormatFreeSpace(freeBytes, FromWx(folder)))));
    top->Add(grid, 0, wxLEFT | wxRIGHT, 8);

    m_plugIns =
        new wxListCtrl(this, 1294, wxDefaultPosition, wxSize(460, 120), wxLC_REPORT | wxBORDER_SIMPLE);
    m_plugIns->AppendColumn("Plug-in");
    m_plugIns->AppendColumn("Version");
    m_plugIns->AppendColumn("Location");
    for (const CBreedPlugInRow& row : ListBreedPlugIns()) {
        const long item = m_plugIns->InsertItem(m_plugIns->GetItemCount(), ToWx(row.name));
        m_plugIns->SetItem(item, 1, ToWx(row.version));
        m_plugIns->SetItem(item, 2, ToWx(row.location));
    }
    for (int column = 0; column < 3; ++column) m_plugIns->SetColumnWidth(column, wxLIST_AUTOSIZE_USEHEADER);
    top->Add(m_plugIns, 1, wxEXPAND | wxALL, 8);
    top->Add(new wxButton(this, wxID_OK, "OK"), 0, wxALIGN_RIGHT | wxALL, 8);
    SetSizerAndFit(top);
}
