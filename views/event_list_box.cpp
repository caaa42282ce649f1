#include "views/event_list_box.h"

#include <wx/clipbrd.h>
#include <wx/cshelp.h>
#include <wx/dataobj.h>
#include <wx/dc.h>
#include <wx/menu.h>
#include <wx/settings.h>

#include <algorithm>

#include "document/event_entry.h"
#include "document/sheep_doc.h"
#include "document/ui/new_event_dlg.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/message_help.h"
#include "platform/strings.h"
#include "records/event.h"
#include "records/sheep.h"
#include "views/record_paste.h"

namespace {

CVL_MESSAGE_HELP(IDS_DELETE_SYSTEM_EVENT, IDS_DELETE_EVENT, IDS_CLIPBOARD_UNAVAILABLE);

// The text of a line with its tabs expanded to stops every two average character widths.
void DrawTabbedText(wxDC& dc, const wxString& text, const wxRect& rect) {
    const int stop = std::max(1, 2 * dc.GetCharWidth());
    const int y = rect.y + (rect.height - dc.GetCharHeight()) / 2;
    int x = rect.x;
    wxString piece;
    const auto flush = [&] {
        if (piece.empty()) return;
        dc.DrawText(piece, x, y);
        x += dc.GetTextExtent(piece).x;
        piece.clear();
    };
    for (wxUniChar c : text) {
        if (c == '\t') {
            flush();
            x = rect.x + ((x - rect.x) / stop + 1) * stop;
        } else if (c != '\r' && c != '\n') {
            piece += c;
        }
    }
    flush();
}

}  // namespace

const wxDataFormat& GetEventClipboardFormat() {
    static const wxDataFormat format(ToWx(LoadCvlString(IDS_EVENT_CLIPBOARD_FORMAT)));
    return format;
}

CEventListBox::CEventListBox(wxWindow* parent, int id)
    : wxVListBox(parent, id, wxDefaultPosition, wxSize(-1, 200), wxLB_MULTIPLE | wxBORDER_SUNKEN) {
    Bind(wxEVT_KEY_DOWN, &CEventListBox::OnKeyDown, this);
    Bind(wxEVT_CONTEXT_MENU, &CEventListBox::OnContextMenu, this);
    Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent& event) {
        event.Skip();
        OnEdit();
    });
    Bind(wxEVT_LISTBOX, [this](wxCommandEvent& event) {
        event.Skip();
        UpdateButtons();
    });
}

void CEventListBox::OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const {
    if (n >= size_t(m_list.GetCount())) return;
    const CEvent* event = m_list.GetAt(int(n));
    if (!event) return;
    dc.SetTextForeground(
        wxSystemSettings::GetColour(IsSelected(n) ? wxSYS_COLOUR_HIGHLIGHTTEXT : wxSYS_COLOUR_WINDOWTEXT));
    DrawTabbedText(dc, ToWx(event->FormatText(true)), rect);
}

wxCoord CEventListBox::OnMeasureItem(size_t) const {
    return GetCharHeight() + 4;
}

void CEventListBox::Load(CSheep* sheep) {
    m_list.Load(sheep);
    SyncItems();
    DeselectAll();
    UpdateButtons();
}

void CEventListBox::SyncItems() {
    SetItemCount(size_t(m_list.GetCount()));
    RefreshAll();
}

std::vector<int> CEventListBox::GetSelectedItems() const {
    std::vector<int> items;
    unsigned long cookie = 0;
    for (int item = GetFirstSelected(cookie); item != wxNOT_FOUND; item = GetNextSelected(cookie))
        items.push_back(item);
    return items;
}

int CEventListBox::GetCaret() const {
    for (size_t item = 0; item < GetItemCount(); ++item)
        if (IsCurrent(item)) return int(item);
    return -1;
}

void CEventListBox::SelectOnly(int item) {
    DeselectAll();
    if (item < 0 || item >= int(GetItemCount())) return;
    Select(size_t(item));
    DoSetCurrent(item);
}

bool CEventListBox::DoButton(unsigned key) {
    SetFocus();
    switch (key) {
        case EVENT_BUTTON_ADD:
            OnAdd();
            return true;
        case EVENT_BUTTON_EDIT:
            OnEdit();
            return true;
        case EVENT_BUTTON_DELETE:
            OnDelete();
            return true;
        default:
            return false;
    }
}

void CEventListBox::UpdateButtons() {
    const bool selected = GetSelectedCount() > 0;
    for (unsigned key : {EVENT_BUTTON_EDIT, EVENT_BUTTON_DELETE})
        if (auto it = m_buttons.find(key); it != m_buttons.end() && it->second) it->second->Enable(selected);
}

void CEventListBox::Edited() {
    if (CSheep* sheep = m_list.GetSheep()) sheep->SetEditedNow();
    if (m_pDoc) m_pDoc->SetModifiedFlag();
    SyncItems();
    UpdateButtons();
    if (m_onEdited) m_onEdited();
}

void CEventListBox::OnAdd() {
    CSheep* sheep = m_list.GetSheep();
    if (!m_pDoc || !sheep) return;
    CRefPtr<CEvent> event = m_pDoc->AddEventWithDialog(sheep, nullptr, nullptr, nullptr, -1);
    if (!event) return;
    const int at = m_list.Add(std::move(event));
    Edited();
    SelectOnly(at);
    UpdateButtons();
}

void CEventListBox::OnEdit() {
    const int current = GetCaret();
    if (!m_pDoc || current == wxNOT_FOUND || current >= m_list.GetCount()) return;
    CNewEventModel model(m_pDoc, false, m_list.GetAt(current));
    model.Init();
    if (!RunNewEventDialog(wxGetTopLevelParent(this), *m_pDoc, model)) return;
    const int at = m_list.Replace(current, model.BuildEvent());
    Edited();
    SelectOnly(at);
    UpdateButtons();
}

void CEventListBox::OnDelete() {
    const int current = GetCaret();
    if (current == wxNOT_FOUND || current >= m_list.GetCount()) return;
    const unsigned question =
        m_list.GetAt(current)->IsSystemEvent() ? IDS_DELETE_SYSTEM_EVENT : IDS_DELETE_EVENT;
    if (CvlMessageBox(question, MB_YESNO | MB_ICONQUESTION | MB_HELP) != IDYES) return;
    m_list.RemoveAt(current);
    DeselectAll();
    Edited();
}

void CEventListBox::OnCopy() {
    std::vector<CEvent*> events;
    for (int item : GetSelectedItems()) events.push_back(m_list.GetAt(item));
    WString text;
    for (CEvent* event : events) text += event->FormatText(true) + u"\r\n";
    if (!CopyBlockToClipboard(LoadCvlString(IDS_EVENT_CLIPBOARD_FORMAT), BuildEventArchive(events), text))
        CvlMessageBox(IDS_CLIPBOARD_UNAVAILABLE, MB_OK | MB_ICONERROR | MB_HELP);
}

void CEventListBox::OnCut() {
    OnCopy();
    OnDelete();
}

bool CEventListBox::ClipboardOffersEvents() const {
    if (!wxTheClipboard->Open()) return false;
    const bool offers = wxTheClipboard->IsSupported(GetEventClipboardFormat()) ||
                        wxTheClipboard->IsSupported(wxDF_UNICODETEXT) ||
                        wxTheClipboard->IsSupported(wxDF_TEXT);
    wxTheClipboard->Close();
    return offers;
}

void CEventListBox::OnPaste() {
    CSheep* sheep = m_list.GetSheep();
    if (!sheep) return;
    if (!wxTheClipboard->Open()) {
        CvlMessageBox(IDS_CLIPBOARD_UNAVAILABLE, MB_OK | MB_ICONERROR | MB_HELP);
        return;
    }
    std::vector<uint8_t> block;
    if (wxTheClipboard->IsSupported(GetEventClipboardFormat())) {
        wxCustomDataObject data(GetEventClipboardFormat());
        if (wxTheClipboard->GetData(data)) {
            const auto* bytes = static_cast<const uint8_t*>(data.GetData());
            block.assign(bytes, bytes + data.GetSize());
        }
    }
    wxTheClipboard->Close();
    if (block.empty()) return;
    std::vector<CRefPtr<CEvent>> events;
    if (!ReadEventArchive(block, events)) {
        CvlMessageBoxText(u"The events on the clipboard could not be read.", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (events.empty()) return;
    for (auto& event : events) {
        event->SetOwner(sheep);
        m_list.Add(std::move(event));
    }
    Edited();
}

void CEventListBox::OnSelectAll() {
    SelectAll();
    UpdateButtons();
}

void CEventListBox::OnSort() {
    const std::vector<int> selected = GetSelectedItems();
    m_list.ToggleSortOrder();
    SyncItems();
    DeselectAll();
    for (int item : MirrorSelection(m_list.GetCount(), selected)) Select(size_t(item));
    UpdateButtons();
}

void CEventListBox::FillContextMenu(wxMenu& menu) {
    const CEventMenuState state =
        GetEventMenuState(int(GetSelectedCount()), ClipboardOffersEvents(), m_list.GetSortOrder());
    menu.Append(WxCommandId(ID_EVENT_ADD), "&Add...");
    menu.Append(WxCommandId(ID_EVENT_EDIT), "&Edit...");
    menu.Append(WxCommandId(ID_EDIT_DELETE_RECORDS), "&Delete");
    menu.AppendSeparator();
    menu.Append(WxCommandId(ID_EDIT_COPY), "&Copy");
    menu.Append(WxCommandId(ID_EDIT_CUT), "Cu&t");
    menu.Append(WxCommandId(ID_EDIT_PASTE), "&Paste");
    menu.AppendSeparator();
    menu.Append(WxCommandId(ID_EDIT_SELECT_ALL), "Select &All");
    menu.Append(WxCommandId(ID_EVENT_FILTER), "Filter..", "Filter the Displayed Events");
    menu.Append(WxCommandId(ID_EVENT_SORT), ToWx(LoadCvlString(state.sortTextId)));
    menu.AppendSeparator();
    menu.Append(WxCommandId(ID_WHATS_THIS), "What's This?");
    menu.Enable(WxCommandId(ID_EVENT_EDIT), state.editEnabled);
    for (int id : {WxCommandId(ID_EDIT_COPY), WxCommandId(ID_EDIT_CUT), WxCommandId(ID_EDIT_DELETE_RECORDS),
                   WxCommandId(ID_EVENT_FILTER), WxCommandId(ID_EDIT_SELECT_ALL)})
        menu.Enable(id, state.selectionCommands);
    menu.Enable(WxCommandId(ID_EDIT_PASTE), state.pasteEnabled);
}

void CEventListBox::OnContextMenu(wxContextMenuEvent& event) {
    SetFocus();
    wxMenu menu;
    FillContextMenu(menu);
    wxPoint point = event.GetPosition();
    point = point == wxDefaultPosition ? wxPoint(0, 0) : ScreenToClient(point);
    const int id = GetPopupMenuSelectionFromUser(menu, point);
    if (id != wxID_NONE) RunCommand(id);
}

void CEventListBox::RunCommand(int id) {
    switch (id) {
        case WxCommandId(ID_EVENT_ADD):
            OnAdd();
            break;
        case WxCommandId(ID_EVENT_EDIT):
            OnEdit();
            break;
        case WxCommandId(ID_EDIT_DELETE_RECORDS):
            OnDelete();
            break;
        case WxCommandId(ID_EDIT_COPY):
            OnCopy();
            break;
        case WxCommandId(ID_EDIT_CUT):
            OnCut();
            break;
        case WxCommandId(ID_EDIT_PASTE):
            OnPaste();
            break;
        case WxCommandId(ID_EDIT_SELECT_ALL):
            OnSelectAll();
            break;
        case WxCommandId(ID_EVENT_SORT):
            OnSort();
            break;
        case WxCommandId(ID_WHATS_THIS):
            if (wxHelpProvider* provider = wxHelpProvider::Get())
                provider->ShowHelpAtPoint(this, wxDefaultPosition, wxHelpEvent::Origin_HelpButton);
            break;
        default:
            break;  // Filter.. does nothing
    }
}

void CEventListBox::OnKeyDown(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
            OnEdit();
            return;
        case WXK_INSERT:
        case WXK_NUMPAD_INSERT:
            OnAdd();
            return;
        case WXK_DELETE:
        case WXK_NUMPAD_DELETE:
            OnDelete();
            return;
        default:
            event.Skip();
    }
}
