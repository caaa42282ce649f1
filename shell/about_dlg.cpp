#include "shell/about_dlg.h"

#include <sys/sysinfo.h>
#include <wx/button.h>
#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/listctrl.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <utility>

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

void FloodFillImage(wxImage& image, int x, int y, const wxColour& from, const wxColour& to) {
    const int width = image.GetWidth(), height = image.GetHeight();
    const auto is = [&](int px, int py) {
        return image.GetRed(px, py) == from.Red() && image.GetGreen(px, py) == from.Green() &&
               image.GetBlue(px, py) == from.Blue();
    };
    if (x < 0 || y < 0 || x >= width || y >= height || !is(x, y) || from == to) return;
    std::vector<std::pair<int, int>> pending{{x, y}};
    while (!pending.empty()) {
        const auto [px, py] = pending.back();
        pending.pop_back();
        if (px < 0 || py < 0 || px >= width || py >= height || !is(px, py)) continue;
        image.SetRGB(px, py, to.Red(), to.Green(), to.Blue());
        pending.insert(pending.end(), {{px + 1, py}, {px - 1, py}, {px, py + 1}, {px, py - 1}});
    }
}

wxBitmap FrameAboutPicture(const wxBitmap& picture, const wxColour& background, const wxColour& fill) {
    const wxSize size = picture.GetSize() + wxSize(8, 8);
    wxBitmap framed(size, 24);
    {
        wxMemoryDC dc(framed);
        dc.SetBackground(wxBrush(background));
        dc.Clear();
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(wxColour(64, 64, 64)));
        dc.DrawRectangle(size.x - 4, 4, 4, size.y - 4);
        dc.DrawRectangle(4, size.y - 4, size.x - 4, 4);
        // The frame as four filled strips: a pen's line may fall between pixels.
        dc.SetBrush(*wxBLACK_BRUSH);
        const int w = size.x - 4, h = size.y - 4;
        for (const wxRect& edge :
             {wxRect(0, 0, w, 1), wxRect(0, h - 1, w, 1), wxRect(0, 0, 1, h), wxRect(w - 1, 0, 1, h)})
            dc.DrawRectangle(edge);
        dc.DrawBitmap(picture, 2, 2);
    }
    wxImage image = framed.ConvertToImage();
    for (const wxPoint& seed : {wxPoint(2, 2), wxPoint(47, 47)})
        FloodFillImage(image, seed.x, seed.y, *wxRED, fill);
    return wxBitmap(image, 24);
}

wxBitmap MakeAboutPicture() {
    wxBitmap picture(64, 64, 24);
    wxMemoryDC dc(picture);
    dc.SetBackground(*wxRED_BRUSH);
    dc.Clear();
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(wxColour(60, 130, 50)));
    dc.DrawEllipse(-20, 38, 104, 60);
    dc.SetBrush(wxBrush(wxColour(245, 245, 235)));
    dc.DrawEllipse(12, 22, 34, 22);
    dc.SetBrush(wxBrush(wxColour(40, 35, 30)));
    dc.DrawEllipse(40, 18, 14, 11);
    dc.DrawRectangle(18, 42, 4, 8);
    dc.DrawRectangle(36, 42, 4, 8);
    // A pond on the hill, cut out like the ground around the picture.
    dc.SetBrush(*wxRED_BRUSH);
    dc.DrawEllipse(38, 52, 16, 6);
    dc.SelectObject(wxNullBitmap);
    return picture;
}

CAboutPictureButton::CAboutPictureButton(wxWindow* parent, int id, const wxBitmap& picture)
    : wxWindow(parent, id, wxDefaultPosition, picture.GetSize() + wxSize(8, 8), wxBORDER_NONE) {
    // A DC's first brush is white: that is what the red regions become.
    m_framed = FrameAboutPicture(picture, parent->GetBackgroundColour(), *wxWHITE);
    SetMinSize(GetSize());
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
        wxAutoBufferedPaintDC dc(this);
        dc.DrawBitmap(m_framed, 0, 0);
    });
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
    auto* heading = new wxBoxSizer(wxHORIZONTAL);
    m_picture = new CAboutPictureButton(this, 1051, MakeAboutPicture());
    heading->Add(m_picture, 0, wxRIGHT, 12);
    heading->Add(new wxStaticText(this, wxID_ANY, "The Corvalen"), 0, wxALIGN_CENTER_VERTICAL);
    top->Add(heading, 0, wxALL, 8);
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
