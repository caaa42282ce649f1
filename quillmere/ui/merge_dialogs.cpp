#include "quillmere/ui/merge_dialogs.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/filename.h>
#include <wx/html/helpctrl.h>
#include <wx/menu.h>
#include <wx/module.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/stdpaths.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "document/ui/sheet.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"

namespace {

constexpr int kDocumentListId = 1001;
constexpr int kRecordListId = 1002;
constexpr int kImageWidth = 20;
constexpr int kImageHeight = 16;
constexpr int kGap = 6;
constexpr int kMenuEntries = 8;
constexpr int kKindWidth = 16;
constexpr int32_t kActionStates[] = {2, 9, 17, 27, 36};

// The merge dialog open now: a Show Me dialog opens over it.
wxDialog* g_openDialog = nullptr;
// Set by CancelMergeDialogs until the outermost dialog has closed.
bool g_cancelAll = false;

const char* PromptOf(int command) {
    switch (command) {
        case CMergeCommands::cmdReplaceFromThis:
            return "Update the sheep in the file from the briefcase";
        case CMergeCommands::cmdReplaceFromOther:
            return "Update the sheep in the briefcase from the file";
        case CMergeCommands::cmdSkip:
            return "Skip this sheep";
        default:
            return "";
    }
}

// Lines of text no wider than width, broken at spaces and at line breaks.
std::vector<wxString> Wrap(const wxDC& dc, const wxString& text, int width) {
    std::vector<wxString> lines;
    wxString plain = text;
    plain.Replace("\r", "");
    for (const wxString& paragraph : wxSplit(plain, '\n', '\0')) {
        wxString line;
        for (const wxString& word : wxSplit(paragraph, ' ', '\0')) {
            const wxString tried = line.empty() ? word : line + " " + word;
            if (!line.empty() && dc.GetTextExtent(tried).x > width) {
                lines.push_back(line);
                line = word;
            } else {
                line = tried;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

int WrappedHeight(const wxDC& dc, const wxString& text, int width) {
    return int(Wrap(dc, text, width).size()) * dc.GetCharHeight();
}

void DrawWrapped(wxDC& dc, const wxString& text, const wxRect& rect) {
    const auto lines = Wrap(dc, text, rect.width);
    int y = rect.y + (rect.height - int(lines.size()) * dc.GetCharHeight()) / 2;
    wxDCClipper clip(dc, rect);
    for (const wxString& line : lines) {
        dc.DrawText(line, rect.x, y);
        y += dc.GetCharHeight();
    }
}

}  // namespace

// ---- the list ------------------------------------------------------------------------------------

CReconcilerListBox::CReconcilerListBox(wxWindow* parent, int id, IMergeList& list)
    : wxVListBox(parent, id, wxDefaultPosition, wxSize(640, 300), wxBORDER_THEME), m_list(list) {
    SetItemCount(size_t(std::max(0, m_list.GetCount())));
    Bind(wxEVT_CONTEXT_MENU, &CReconcilerListBox::OnContextMenu, this);
    Bind(wxEVT_MOTION, &CReconcilerListBox::OnMotion, this);
    // Row heights follow the width the descriptions wrap in.
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        RefreshAll();
        event.Skip();
    });
}

wxBitmap CReconcilerListBox::ActionImage(int index) {
    wxBitmap bitmap(kImageWidth, kImageHeight);
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(wxBrush(wxColour(255, 0, 255)));
        dc.Clear();
        const wxColour ink(0, 90, 160);
        dc.SetPen(wxPen(ink, 2));
        dc.SetBrush(wxBrush(ink));
        const int mid = kImageHeight / 2;
        auto arrow = [&](bool right, int y) {
            dc.DrawLine(3, y, kImageWidth - 4, y);
            const int tip = right ? kImageWidth - 2 : 1;
            const int back = right ? tip - 6 : tip + 6;
            const wxPoint head[] = {{tip, y}, {back, y - 4}, {back, y + 4}};
            dc.DrawPolygon(3, head);
        };
        switch (index) {
            case 0:  // toward the other copy (left to right)
                arrow(true, mid);
                break;
            case 1:  // toward this copy
                arrow(false, mid);
                break;
            case 2:  // skip
                dc.SetPen(wxPen(wxColour(120, 120, 120), 2));
                dc.DrawLine(5, mid - 3, kImageWidth - 5, mid - 3);
                dc.DrawLine(5, mid + 3, kImageWidth - 5, mid + 3);
                break;
            case 3:  // merge: both ways
                arrow(true, mid - 4);
                arrow(false, mid + 4);
                break;
            default: {  // undecided
                dc.SetTextForeground(wxColour(200, 0, 0));
                dc.SetFont(wxFont(wxFontInfo(10).Bold()));
                const wxSize size = dc.GetTextExtent("?");
                dc.DrawText("?", (kImageWidth - size.x) / 2, (kImageHeight - size.y) / 2);
                break;
            }
        }
    }
    bitmap.SetMask(new wxMask(bitmap, wxColour(255, 0, 255)));
    return bitmap;
}

wxBitmap CReconcilerListBox::KindImage(int kind) {
    if (kind < 5 || kind > 11) return wxNullBitmap;
    wxBitmap bitmap(kKindWidth, kKindWidth);
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(wxBrush(wxColour(255, 0, 255)));
        dc.Clear();
        const wxColour dark(60, 60, 60);
        dc.SetPen(wxPen(dark));
        auto sheep = [&](const wxColour& fleece, int x, int y, int w, int h) {
            dc.SetBrush(wxBrush(fleece));
            dc.DrawEllipse(x, y, w, h);
            dc.SetBrush(wxBrush(dark));
            dc.DrawEllipse(x + w - 3, y - 1, 4, 4);
        };
        switch (kind) {
            case 5:  // an animal
                sheep(*wxWHITE, 1, 5, 12, 8);
                dc.DrawLine(4, 13, 4, 15);
                dc.DrawLine(10, 13, 10, 15);
                break;
            case 6:  // one of its fields
                dc.SetBrush(*wxWHITE_BRUSH);
                dc.DrawRectangle(2, 2, 12, 12);
                for (int y = 5; y <= 11; y += 3) dc.DrawLine(4, y, 12, y);
                break;
            case 7:  // an event: a calendar leaf
                dc.SetBrush(*wxWHITE_BRUSH);
                dc.DrawRectangle(1, 2, 14, 13);
                dc.SetBrush(wxBrush(wxColour(200, 40, 40)));
                dc.DrawRectangle(1, 2, 14, 4);
                break;
            case 8:  // a ewe's lambing: ewe and lamb
                sheep(*wxWHITE, 0, 3, 11, 7);
                sheep(wxColour(250, 230, 180), 8, 10, 7, 5);
                break;
            case 9:  // a ram's tupping
                sheep(wxColour(220, 220, 220), 1, 5, 12, 8);
                dc.SetBrush(*wxTRANSPARENT_BRUSH);
                dc.SetPen(wxPen(wxColour(150, 100, 40), 2));
                dc.DrawCircle(13, 5, 2);
                break;
            case 10:  // an address: an envelope
                dc.SetBrush(wxBrush(wxColour(250, 240, 200)));
                dc.DrawRectangle(1, 3, 14, 10);
                dc.DrawLine(1, 3, 8, 9);
                dc.DrawLine(8, 9, 15, 3);
                break;
            default: {  // a Signet entry: a rosette
                dc.SetBrush(wxBrush(wxColour(40, 90, 190)));
                dc.DrawCircle(8, 6, 5);
                const wxPoint tails[] = {{5, 10}, {3, 15}, {8, 12}, {13, 15}, {11, 10}};
                dc.DrawPolygon(5, tails);
                break;
            }
        }
    }
    bitmap.SetMask(new wxMask(bitmap, wxColour(255, 0, 255)));
    return bitmap;
}

wxBitmap CReconcilerListBox::Blend(const wxBitmap& image, int percent, const wxColour& colour) {
    if (!image.IsOk() || percent <= 0) return image;
    wxImage pixels = image.ConvertToImage();
    const bool masked = pixels.HasMask();
    const unsigned char mr = pixels.GetMaskRed(), mg = pixels.GetMaskGreen(), mb = pixels.GetMaskBlue();
    auto mix = [percent](int from, int to) { return (unsigned char)(from + (to - from) * percent / 100); };
    for (int y = 0; y < pixels.GetHeight(); ++y) {
        for (int x = 0; x < pixels.GetWidth(); ++x) {
            const unsigned char r = pixels.GetRed(x, y), g = pixels.GetGreen(x, y), b = pixels.GetBlue(x, y);
            if (masked && r == mr && g == mg && b == mb) continue;
            unsigned char nr = mix(r, colour.Red()), ng = mix(g, colour.Green()), nb = mix(b, colour.Blue());
            // A mixed pixel that happens to land on the mask colour would turn transparent.
            if (masked && nr == mr && ng == mg && nb == mb) nb = nb > 0 ? nb - 1 : 1;
            pixels.SetRGB(x, y, nr, ng, nb);
        }
    }
    return wxBitmap(pixels);
}

int CReconcilerListBox::MiddleWidth() const {
    int width = kImageWidth;
    for (int32_t state : kActionStates)
        width = std::max(width, GetTextExtent(ToWx(m_list.GetActionName(state))).x);
    return width;
}

CReconcilerListBox::CColumns CReconcilerListBox::Columns(const wxRect& item) const {
    wxRect row = item;
    row.width -= item.width / 7;
    const int middle = MiddleWidth();
    CColumns c;
    c.middle = wxRect(row.x + (row.width - middle) / 2 - kGap, row.y, middle + 2 * kGap, row.height);
    const int leftStart = row.x + kGap + kKindWidth + kGap;
    c.left = wxRect(leftStart, row.y, std::max(1, c.middle.x - kGap - leftStart), row.height);
    const int rightStart = c.middle.GetRight() + 1 + kGap;
    c.right = wxRect(rightStart, row.y, std::max(1, row.GetRight() + 1 - rightStart), row.height);
    return c;
}

wxCoord CReconcilerListBox::OnMeasureItem(size_t n) const {
    wxClientDC dc(const_cast<CReconcilerListBox*>(this));
    dc.SetFont(GetFont());
    const CColumns c = Columns(wxRect(0, 0, GetClientSize().x, 1));
    const int row = int(n);
    return std::max({WrappedHeight(dc, ToWx(m_list.GetText(row, IMergeList::textThis)), c.left.width),
                     WrappedHeight(dc, ToWx(m_list.GetText(row, IMergeList::textOther)), c.right.width),
                     int(dc.GetCharHeight()) + 20}) +
           kGap;
}

void CReconcilerListBox::OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const {
    const int row = int(n);
    dc.SetFont(GetFont());
    dc.SetTextForeground(IsSelected(n) ? wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT)
                                       : GetForegroundColour());
    const CColumns c = Columns(rect);
    wxBitmap kind = KindImage(m_list.GetKind(row));
    if (kind.IsOk()) {
        const wxColour highlight = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
        if (IsSelected(n))
            kind = Blend(kind, 50, highlight);
        else if (IsCurrent(n) && HasFocus())
            kind = Blend(kind, 25, highlight);
        dc.DrawBitmap(kind, rect.x + kGap, rect.y + (rect.height - kKindWidth) / 2, true);
    }
    // The left column is this copy's record (side 1), the right one the other copy's (side 0).
    DrawWrapped(dc, ToWx(m_list.GetText(row, IMergeList::textThis)), c.left);
    DrawWrapped(dc, ToWx(m_list.GetText(row, IMergeList::textOther)), c.right);
    const wxString action = ToWx(m_list.GetText(row, IMergeList::textAction));
    const wxSize text = dc.GetTextExtent(action);
    const int top = c.middle.y + (c.middle.height - kImageHeight - text.y) / 2;
    dc.DrawBitmap(ActionImage(int(m_list.GetState(row) & 7)), c.middle.x + (c.middle.width - kImageWidth) / 2,
                  top, true);
    dc.DrawText(action, c.middle.x + (c.middle.width - text.x) / 2, top + kImageHeight);
    // Rows of several lines each read apart more easily with a rule between them.
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_3DLIGHT)));
    dc.DrawLine(rect.x, rect.GetBottom(), rect.GetRight(), rect.GetBottom());
}

void CReconcilerListBox::Changed(int row) {
    RefreshRow(size_t(row));
    if (auto* dialog = dynamic_cast<CMergeDialog*>(wxGetTopLevelParent(this))) dialog->UpdateButtons();
}

void CReconcilerListBox::RunCommand(int row, int command) {
    IMergeList::MenuEntry entries[kMenuEntries];
    const int count = std::min(m_list.GetMenu(row, entries, kMenuEntries), kMenuEntries);
    for (int i = 0; i < count; ++i) {
        if (int(entries[i].id) != command || !entries[i].enabled) continue;
        if (command == IMergeList::cmdShowMe) {
            if (m_list.ShowMe(row) == IDOK) Changed(row);
        } else if (command == IMergeList::cmdWhatsThis) {
            ShowHostHelp(wxGetTopLevelParent(this), kHostHelpTopic + GetId());
        } else {
            m_list.Choose(row, entries[i].state);
            Changed(row);
        }
        return;
    }
}

void CReconcilerListBox::OnContextMenu(wxContextMenuEvent& event) {
    // From the keyboard the menu belongs to the selected row.
    const bool keyboard = event.GetPosition() == wxDefaultPosition;
    const wxPoint point = keyboard ? wxPoint(0, 0) : ScreenToClient(event.GetPosition());
    const int row = keyboard ? GetSelection() : VirtualHitTest(point.y);
    if (row == wxNOT_FOUND) return;
    SetSelection(row);
    IMergeList::MenuEntry entries[kMenuEntries];
    const int count = std::min(m_list.GetMenu(row, entries, kMenuEntries), kMenuEntries);
    wxMenu menu;
    for (int i = 0; i < count; ++i) {
        const int id = int(entries[i].id);
        wxString label;
        if (id == IMergeList::cmdShowMe)
            label = "Show Me...";
        else if (id == IMergeList::cmdWhatsThis)
            label = "What's This?";
        else
            label = ToWx(m_list.GetActionName(entries[i].state));
        auto* item = new wxMenuItem(&menu, id, label, PromptOf(id));
        if (id < IMergeList::cmdShowMe) item->SetBitmap(ActionImage(int(entries[i].state & 7)));
        menu.Append(item);
        item->Enable(entries[i].enabled != 0);
    }
    if (menu.GetMenuItemCount() == 0) return;
    const int chosen =
        GetPopupMenuSelectionFromUser(menu, keyboard ? GetItemRect(size_t(row)).GetLeftTop() : point);
    if (chosen != wxID_NONE) RunCommand(row, chosen);
}

wxString CReconcilerListBox::TooltipAt(const wxPoint& point) const {
    const int row = VirtualHitTest(point.y);
    if (row == wxNOT_FOUND) return {};
    const int top = int(GetVisibleRowsBegin());
    unsigned tool = unsigned(row - top + 1);
    if (point.x >= GetClientSize().x / 2) tool |= 0x80000000u;
    return ToWx(m_list.GetTooltip(tool, top));
}

void CReconcilerListBox::OnMotion(wxMouseEvent& event) {
    const wxString tip = TooltipAt(event.GetPosition());
    if (tip != m_tip) {
        m_tip = tip;
        if (tip.empty())
            UnsetToolTip();
        else
            SetToolTip(tip);
    }
    event.Skip();
}

// ---- the dialogs ---------------------------------------------------------------------------------

CMergeDialog::CMergeDialog(wxWindow* parent, IMergeList& list)
    : wxDialog(parent, wxID_ANY,
               list.GetDialog() == IMergeList::documentDialog ? "Update Corvalen" : "Merge Tattoo",
               wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_list(list) {
    const bool document = list.GetDialog() == IMergeList::documentDialog;
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* head = new wxBoxSizer(wxHORIZONTAL);
    if (document)
        head->Add(new wxStaticBitmap(this, wxID_ANY, wxArtProvider::GetBitmap(wxART_COPY, wxART_MESSAGE_BOX)),
                  0, wxRIGHT, 10);
    auto* text = new wxStaticText(
        this, wxID_ANY,
        document ? "The following sheep need to be updated. To change the update action, use the right "
                   "mouse button to click the sheep you want to change."
                 : "The following pieces of data are different. Please select the appropriate update action");
    text->Wrap(560);
    head->Add(text, 1, wxALIGN_CENTER_VERTICAL);
    top->Add(head, 0, wxEXPAND | wxALL, 10);
    m_pList = new CReconcilerListBox(this, document ? kDocumentListId : kRecordListId, list);
    top->Add(m_pList, 1, wxEXPAND | wxLEFT | wxRIGHT, 10);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    m_pUpdate = new wxButton(this, wxID_OK, "Update");
    buttons->Add(m_pUpdate, 0, wxRIGHT, 6);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));
    top->Add(buttons, 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(top);
    m_pUpdate->SetDefault();
    UpdateButtons();
}

void CMergeDialog::UpdateButtons() {
    m_pUpdate->Enable(m_list.CanUpdate() != 0);
}

int ShowMergeDialog(IMergeList& list, wxWindow* parent) {
    if (g_cancelAll) return IDCANCEL;
    CMergeDialog dialog(g_openDialog ? g_openDialog : parent, list);
    wxDialog* const outer = std::exchange(g_openDialog, &dialog);
    const int result = CvlRunModal(dialog);
    g_openDialog = outer;
    if (g_cancelAll) {
        // Only the innermost modal loop can be left: each dialog ends the one below it in turn.
        if (outer && outer->IsModal())
            outer->EndModal(wxID_CANCEL);
        else if (!outer)
            g_cancelAll = false;
        return IDCANCEL;
    }
    // Update counts only while it may be pressed.
    return result == wxID_OK && list.CanUpdate() ? IDOK : IDCANCEL;
}

void CancelMergeDialogs() {
    if (!g_openDialog) return;
    g_cancelAll = true;
    if (g_openDialog->IsModal()) g_openDialog->EndModal(wxID_CANCEL);
}

// ---- help ----------------------------------------------------------------------------------------

wxString MergeHelpBook() {
    const wxFileName program(wxStandardPaths::Get().GetExecutablePath());
    wxFileName installed(program.GetPath() + "/../" CVL_QUILLMERE_HELP_INSTALL "/quillmere.hhp");
    installed.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    if (installed.FileExists()) return installed.GetFullPath();
    return CVL_QUILLMERE_HELP_SOURCE "/quillmere.hhp";
}

namespace {

std::unique_ptr<wxHtmlHelpController> g_help;

// The help window goes with the toolkit, not after it.
class CMergeHelpModule : public wxModule {
public:
    bool OnInit() override { return true; }
    void OnExit() override { g_help.reset(); }

private:
    wxDECLARE_DYNAMIC_CLASS(CMergeHelpModule);
};
wxIMPLEMENT_DYNAMIC_CLASS(CMergeHelpModule, wxModule);

}  // namespace

wxHtmlHelpController* MergeHelpController() {
    return g_help.get();
}

void ShowHostHelp(wxWindow* over, int topic) {
    auto& help = g_help;
    if (!help) {
        help = std::make_unique<wxHtmlHelpController>(wxHF_DEFAULT_STYLE, over);
        if (!help->AddBook(wxFileName(MergeHelpBook()))) {
            help.reset();
            return;
        }
    }
    help->Display(topic);
}
