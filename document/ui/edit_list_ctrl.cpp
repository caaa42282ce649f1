#include "document/ui/edit_list_ctrl.h"

#include <algorithm>

wxDEFINE_EVENT(CVL_EVT_CELL_EDITED, CCellEditEvent);

namespace {

constexpr int kMinEditableWidth = 5;

}  // namespace

// ---- the edit ------------------------------------------------------------------------------------

CInPlaceEdit::CInPlaceEdit(CEditListCtrl* list, int row, int column, const wxString& initialText,
                           const wxRect& rect, long alignment)
    : wxTextCtrl(list, IDC_IN_PLACE_EDIT, initialText, rect.GetPosition(), rect.GetSize(),
                 alignment | wxTE_PROCESS_ENTER | wxTE_PROCESS_TAB | wxWANTS_CHARS | wxBORDER_SIMPLE),
      m_pList(list),
      m_row(row),
      m_column(column),
      m_strInitial(initialText) {
    SetFont(list->GetFont());
    Bind(wxEVT_KEY_DOWN, &CInPlaceEdit::OnKeyDown, this);
    Bind(wxEVT_KEY_UP, &CInPlaceEdit::OnKeyUp, this);
    Bind(wxEVT_CHAR, &CInPlaceEdit::OnChar, this);
    Bind(wxEVT_KILL_FOCUS, &CInPlaceEdit::OnKillFocus, this);
    SetFocus();
    SelectAll();
    ShowPosition(GetLastPosition());
}

void CInPlaceEdit::EndEdit() {
    if (m_bEnded) return;
    m_bEnded = true;
    m_pList->OnEditEnded(this, GetValue(), m_bCancelled);
    // Not now: the edit may be inside one of its own handlers.
    CallAfter([this] { Destroy(); });
}

void CInPlaceEdit::Cancel() {
    m_bCancelled = true;
    EndEdit();
    m_pList->SetFocus();
}

bool CInPlaceEdit::MoveTo(CellKey key) {
    CellGrid grid{m_pList->GetItemCount(), std::max(1, m_pList->GetCountPerPage()),
                  m_pList->GetFirstEditableColumn(), m_pList->GetLastEditableColumn()};
    int row = 0, column = 0;
    if (!NextCell(key, m_row, m_column, grid, &row, &column)) return false;
    // The new edit finishes this one; when it cannot open, this one stays.
    CInPlaceEdit* next = m_pList->BeginCellEdit(row, column);
    return next != nullptr;
}

bool CInPlaceEdit::HandleKey(CellKey key) {
    if (m_bEnded) return false;
    if (key == CellKey::Enter) {
        EndEdit();
        if (!MoveTo(CellKey::Enter)) m_pList->SetFocus();
        return true;
    }
    MoveTo(key);
    return true;
}

void CInPlaceEdit::OnKeyDown(wxKeyEvent& event) {
    const int code = event.GetKeyCode();
    const bool ctrl = event.ControlDown();
    if (ctrl && code == WXK_HOME) {
        HandleKey(CellKey::CtrlHome);
    } else if (ctrl && code == WXK_END) {
        HandleKey(CellKey::CtrlEnd);
    } else if (code == WXK_UP) {
        HandleKey(CellKey::Up);
    } else if (code == WXK_DOWN) {
        HandleKey(CellKey::Down);
    } else if (code == WXK_PAGEUP || code == WXK_PAGEDOWN) {
        // Page keys move when they come up.
    } else {
        event.Skip();
    }
}

void CInPlaceEdit::OnKeyUp(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_PAGEUP)
        HandleKey(CellKey::PageUp);
    else if (event.GetKeyCode() == WXK_PAGEDOWN)
        HandleKey(CellKey::PageDown);
    else
        event.Skip();
}

void CInPlaceEdit::OnChar(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_TAB:
            HandleKey(event.ShiftDown() ? CellKey::ShiftTab : CellKey::Tab);
            return;
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
            HandleKey(CellKey::Enter);
            return;
        case WXK_ESCAPE:
            Cancel();
            return;
        default:
            event.Skip();
            CallAfter([this] { Widen(); });
    }
}

void CInPlaceEdit::Widen() {
    if (m_bEnded) return;
    const int wanted = GetTextExtent(GetValue()).x + 5;
    const wxRect rect = GetRect();
    if (wanted <= rect.width) return;
    const int right = m_pList->GetClientSize().x;
    SetSize(rect.x, rect.y, std::min(wanted, std::max(rect.width, right - rect.x)), rect.height);
}

void CInPlaceEdit::OnKillFocus(wxFocusEvent& event) {
    event.Skip();
    EndEdit();
}

// ---- the list ------------------------------------------------------------------------------------

CEditListCtrl::CEditListCtrl(wxWindow* parent, int id, int firstEditable, long style)
    : wxListCtrl(parent, id, wxDefaultPosition, wxDefaultSize, style), m_nFirstEditable(firstEditable) {
    Bind(wxEVT_LEFT_DOWN, &CEditListCtrl::OnLeftDown, this);
    // The generic list takes the mouse in its inner window.
    for (wxWindow* child : GetChildren())
        if (static_cast<void*>(child) == static_cast<void*>(m_mainWin))
            child->Bind(wxEVT_LEFT_DOWN, &CEditListCtrl::OnLeftDown, this);
    Bind(wxEVT_SCROLLWIN_TOP, &CEditListCtrl::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_BOTTOM, &CEditListCtrl::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_LINEUP, &CEditListCtrl::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_LINEDOWN, &CEditListCtrl::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_PAGEUP, &CEditListCtrl::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_PAGEDOWN, &CEditListCtrl::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_THUMBTRACK, &CEditListCtrl::OnScroll, this);
}

CEditListCtrl::~CEditListCtrl() {
    m_pEdit = nullptr;
}

CInPlaceEdit* CEditListCtrl::BeginCellEdit(int row, int column) {
    if (row < 0 || row >= GetItemCount() || !EnsureVisible(row)) return nullptr;
    if (column < 0 || column >= GetColumnCount() || GetColumnWidth(column) < kMinEditableWidth)
        return nullptr;
    wxRect cell;
    if (!GetSubItemRect(row, column, cell)) return nullptr;
    const wxSize client = GetClientSize();
    if (cell.x < 0 || cell.x > client.x) {
        const int dx = cell.x < 0 ? cell.x : cell.x - client.x + GetColumnWidth(column);
        ScrollList(dx, 0);
        GetSubItemRect(row, column, cell);
    }
    wxListItem format;
    format.SetMask(wxLIST_MASK_FORMAT);
    long alignment = wxTE_LEFT;
    if (GetColumn(column, format)) {
        if (format.GetAlign() == wxLIST_FORMAT_RIGHT) alignment = wxTE_RIGHT;
        if (format.GetAlign() == wxLIST_FORMAT_CENTRE) alignment = wxTE_CENTRE;
    }
    wxRect rect(cell.x + 4, cell.y, GetColumnWidth(column) - 3, std::max(cell.height - 2, 1));
    rect.width = std::max(1, std::min(rect.width, client.x - rect.x));
    CInPlaceEdit* previous = m_pEdit;
    m_pEdit = nullptr;
    if (previous && !previous->IsEnded()) previous->EndEdit();
    m_pEdit = new CInPlaceEdit(this, row, column, GetItemText(row, column), rect, alignment);
    return m_pEdit;
}

int CEditListCtrl::HitTestCell(const wxPoint& point, int* column) const {
    int flags = 0;
    long sub = -1;
    const long row = HitTest(point, flags, &sub);
    if (!InReportView()) {
        if (column) *column = 0;
        return int(row);
    }
    if (row == wxNOT_FOUND) return -1;
    wxRect bounds;
    if (!GetItemRect(row, bounds)) return -1;
    int left = bounds.x;
    for (int c = 0; c < GetColumnCount(); ++c) {
        const int width = GetColumnWidth(c);
        if (point.x >= left && point.x <= left + width) {
            if (column) *column = c;
            return int(row);
        }
        left += width;
    }
    return -1;
}

void CEditListCtrl::OnEditEnded(CInPlaceEdit* edit, const wxString& text, bool cancelled) {
    if (m_pEdit == edit) m_pEdit = nullptr;
    if (!cancelled && edit->GetRow() < GetItemCount()) SetItem(edit->GetRow(), edit->GetColumn(), text);
    CCellEditEvent event(CVL_EVT_CELL_EDITED, GetId(), edit->GetRow(), edit->GetColumn(), text, cancelled);
    event.SetEventObject(this);
    if (wxWindow* parent = GetParent()) parent->GetEventHandler()->ProcessEvent(event);
}

void CEditListCtrl::OnLeftDown(wxMouseEvent& event) {
    event.Skip();
    // The generic list's hit test takes the item area's coordinates, as its inner window reports them.
    const wxPoint point = event.GetPosition();
    int column = -1;
    const int row = HitTestCell(point, &column);
    if (row < 0 || column < m_nFirstEditable || !HasFlag(wxLC_EDIT_LABELS)) return;
    CallAfter([this, row, column] { BeginCellEdit(row, column); });
}

void CEditListCtrl::OnScroll(wxScrollWinEvent& event) {
    if (m_pEdit) SetFocus();
    event.Skip();
}
