// The common base of the lists of a flock document (the flock list and the report list): a virtual
// list whose columns each show one field id (or a report's own kind), sorted by any column, with
// selection that follows the records, delete with a question, export and copy.
#pragma once

#include <wx/docview.h>
#include <wx/listctrl.h>

#include <iosfwd>
#include <vector>

#include "document/doc_views.h"
#include "document/page_setup.h"
#include "platform/object.h"
#include "platform/text.h"
#include "records/sheep_sort.h"

class CSheepDocument;
class CSheepDoc;
class CBaseListView;
class wxDataObjectComposite;
class wxDataObject;

// Column kinds that are not fields of the animal.
constexpr unsigned KIND_RECORD = 13;  // the animal's place in the document
constexpr unsigned KIND_ROW = 14;     // the row's place in the list

// The list control: rows are drawn from the view's records through the text callback.
class CListViewCtrl : public wxListCtrl {
public:
    CListViewCtrl(wxWindow* parent, CBaseListView* view);
    wxString OnGetItemText(long item, long column) const override;

private:
    CBaseListView* m_view;
};

class CBaseListView : public wxView, public CDocView {
    wxDECLARE_ABSTRACT_CLASS(CBaseListView);

public:
    CBaseListView();
    ~CBaseListView() override;

    CSheepDocument* GetSheepDocument() const;
    CSheepDoc* GetCore() const;
    CListViewCtrl* GetListCtrl() const { return m_list; }
    // The print layout the document keeps for this kind of view (a default one outside a document).
    CPageSetup* GetPageSetup();

    // ---- the list's own operations --------------------------------------------------------------
    virtual void OnColumnsChanged(CObject* hint);
    virtual void DeleteAllColumns();
    // Appends with position -1; gives the new column count.
    virtual int InsertColumn(const WString& title, unsigned kind, int position);
    virtual void DeleteColumn(int index);
    virtual void SwapColumns(int first, int second);
    virtual void FillList() {}
    virtual void OnRecordChanged(CObject* /*hint*/) {}
    virtual void ShowContextMenu(wxWindow* /*window*/, const wxPoint& /*screen*/) {}
    virtual void AutoSizeColumn(int index);
    virtual void SortItems(unsigned /*sortWord*/) {}
    virtual WString GetCellText(long row, unsigned kind) const;
    virtual WString GetTitle() const { return {}; }
    virtual void OnAddressesReloaded() {}
    virtual void CopyToDataSource(wxDataObjectComposite& /*source*/) {}
    virtual void PasteFromDataObject(wxDataObject& /*data*/) {}
    virtual bool CanPaste() const { return false; }
    virtual void DeleteRow(long /*row*/) {}
    // 0 XML (refused), 1 comma-separated, 2 tab-separated. The caller opens and closes the file.
    virtual void Export(int mode, std::ostream& out);
    virtual bool ConfirmDelete() { return true; }
    virtual void OpenRow(long /*row*/) {}
    virtual void RecreateFonts();

    // ---- rows and columns -----------------------------------------------------------------------
    long GetRowCount() const { return long(m_rows.size()); }
    CObject* GetRowObject(long row) const { return m_rows[size_t(row)].Get(); }
    int GetColumnCount() const { return int(m_kinds.size()); }
    unsigned GetColumnKind(int column) const { return m_kinds[size_t(column)]; }
    WString GetColumnTitle(int column) const;
    // The text shown in a cell, as the control asks for it.
    WString GetItemText(long row, int column) const;
    // The row showing that record, or -1.
    long FindRow(const CObject* record) const;
    std::vector<long> GetSelectedRows() const;
    long GetFocusedRow() const;
    void SelectOnly(long row);

    // ---- sorting --------------------------------------------------------------------------------
    // -1 re-sorts in the current kind and order; the same kind again reverses the order.
    void SortByKind(int kind);
    int GetSortKind() const { return m_nSortKind; }
    bool IsSortAscending() const { return m_bSortAscending; }
    // The column whose right edge is first reached at x (client x, scrolling not counted), or -1.
    int ColumnAtX(int x) const;

    // ---- commands (public so that they can be driven directly) ----------------------------------
    void OnDeleteRecords();
    void OnColumnClick(int column);
    void OnColumnHeadSort();
    void SetContextPoint(const wxPoint& client) { m_ptContext = client; }
    void OnRowClicked(long row);
    void OnKey(int keyCode);
    void OnEditCopy();
    void OnEditSelectAll();
    void OnBeginDrag();
    // File|Page Setup: the page setup sheet for this kind of view.
    void OnPageSetup();

    // ---- document hints -------------------------------------------------------------------------
    using wxView::OnUpdate;
    void OnUpdate(CDocView* sender, uint32_t hint, CObject* hintObject) override;

protected:
    // Creates the list control in the view's frame and connects its events.
    void CreateListCtrl(wxWindow* parent);
    // Replaces every row; the control learns the new count.
    void SetRows(std::vector<CRefPtr<CObject>> rows);
    std::vector<CRefPtr<CObject>>& Rows() { return m_rows; }
    // Re-applies selection and focus by record after the rows moved.
    void RestoreSelection(const std::vector<CObject*>& selected, CObject* focused);
    std::vector<CObject*> SelectedRecords() const;
    // Takes a sort kind and order without sorting.
    void SetSortState(int kind, bool ascending) {
        m_nSortKind = kind;
        m_bSortAscending = ascending;
    }
    void TellFrameCurrent(long row) const;
    // The record pane: the rows shown and the focused one's place.
    void UpdateRecordPane() const;

    bool OnCreate(wxDocument* doc, long flags) override;
    void OnDraw(wxDC*) override {}
    void OnInitialUpdate();

    CListViewCtrl* m_list = nullptr;
    bool m_bDeleting = false;

private:
    void BindCommands();

    CRefPtr<CPageSetup> m_defaultPageSetup;

    std::vector<CRefPtr<CObject>> m_rows;
    std::vector<unsigned> m_kinds;
    std::vector<WString> m_titles;
    wxPoint m_ptContext{0, 0};
    bool m_bSortAscending = true;
    int m_nSortKind = -1;
};
