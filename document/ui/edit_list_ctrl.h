// A report list whose cells are edited in place as in a spreadsheet: a click on a cell of an editable
// column opens an edit box over it, and the keys move the edit from cell to cell. Each finished edit
// writes the cell and tells the list's parent with a CCellEditEvent.
#pragma once

#include <wx/event.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include "document/cell_navigation.h"

class CEditListCtrl;

constexpr int IDC_IN_PLACE_EDIT = 1001;

// The result of an edit: the cell, the text, and whether it was cancelled (Escape: the cell unchanged).
class CCellEditEvent : public wxCommandEvent {
public:
    CCellEditEvent(wxEventType type, int id, int row, int column, const wxString& text, bool cancelled)
        : wxCommandEvent(type, id), m_row(row), m_column(column), m_text(text), m_bCancelled(cancelled) {}
    wxEvent* Clone() const override { return new CCellEditEvent(*this); }
    int GetRow() const { return m_row; }
    int GetColumn() const { return m_column; }
    const wxString& GetText() const { return m_text; }
    bool IsCancelled() const { return m_bCancelled; }

private:
    int m_row;
    int m_column;
    wxString m_text;
    bool m_bCancelled;
};
wxDECLARE_EVENT(CVL_EVT_CELL_EDITED, CCellEditEvent);

class CInPlaceEdit : public wxTextCtrl {
public:
    CInPlaceEdit(CEditListCtrl* list, int row, int column, const wxString& initialText, const wxRect& rect,
                 long alignment);

    int GetRow() const { return m_row; }
    int GetColumn() const { return m_column; }
    bool IsCancelled() const { return m_bCancelled; }
    bool IsEnded() const { return m_bEnded; }

    // Sends the result (once) and lets the window go.
    void EndEdit();
    // A key as the keyboard gives it: true when the edit used it.
    bool HandleKey(CellKey key);
    void Cancel();

private:
    void OnKeyDown(wxKeyEvent& event);
    void OnKeyUp(wxKeyEvent& event);
    void OnChar(wxKeyEvent& event);
    void OnKillFocus(wxFocusEvent& event);
    void Widen();
    bool MoveTo(CellKey key);

    CEditListCtrl* m_pList;
    int m_row;
    int m_column;
    wxString m_strInitial;
    bool m_bCancelled = false;
    bool m_bEnded = false;
};

class CEditListCtrl : public wxListCtrl {
public:
    // Columns before firstEditable are never edited.
    CEditListCtrl(wxWindow* parent, int id, int firstEditable = 3,
                  long style = wxLC_REPORT | wxLC_EDIT_LABELS | wxLC_HRULES | wxLC_VRULES);
    ~CEditListCtrl() override;

    int GetFirstEditableColumn() const { return m_nFirstEditable; }
    int GetLastEditableColumn() const { return GetColumnCount() - 1; }
    // A new edit over the cell, or null when the row does not exist or the column is out of range or
    // hidden (narrower than 5 pixels). An edit already open is finished first.
    CInPlaceEdit* BeginCellEdit(int row, int column);
    // The row under a point of the client area and its column, or -1.
    int HitTestCell(const wxPoint& point, int* column) const;
    CInPlaceEdit* GetActiveEdit() const { return m_pEdit; }

    // Called by the edit: writes the cell unless cancelled and tells the parent.
    void OnEditEnded(CInPlaceEdit* edit, const wxString& text, bool cancelled);

private:
    void OnLeftDown(wxMouseEvent& event);
    void OnScroll(wxScrollWinEvent& event);

    int m_nFirstEditable;
    CInPlaceEdit* m_pEdit = nullptr;
};
