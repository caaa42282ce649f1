// The address browser: the document's addresses as a list in their own child window, where the user
// adds, edits, deletes, copies and pastes them, opens the movements of one, and drops animals on one
// to record an event naming it.
#pragma once

#include <wx/dnd.h>
#include <wx/docmdi.h>

#include "document/address_commands.h"
#include "document/doc_views.h"

class CAddressBrowserView;
class CSheepDocument;
class wxButton;
class wxListCtrl;
class wxMenu;
class wxPanel;

class CAddressBrowserChildWnd : public wxDocMDIChildFrame {
public:
    CAddressBrowserChildWnd(wxDocument* doc, wxView* view, wxMDIParentFrame* parent);
    // "<document> : Address Browser View".
    static wxString MakeCaption(wxDocument* doc);
};

// Takes animals dragged from the flock list or the record view: the animal clipboard format only.
class CAddressDropTarget : public wxDropTarget {
public:
    explicit CAddressDropTarget(CAddressBrowserView* view);

    wxDragResult OnEnter(wxCoord x, wxCoord y, wxDragResult def) override;
    wxDragResult OnDragOver(wxCoord x, wxCoord y, wxDragResult def) override;
    void OnLeave() override;
    wxDragResult OnData(wxCoord x, wxCoord y, wxDragResult def) override;
    // The drop of the animal block a data object holds at a point of the list.
    wxDragResult DropDataObject(wxCoord x, wxCoord y, const wxCustomDataObject& data);

private:
    CAddressBrowserView* m_view;
};

class CAddressBrowserView : public wxView, public CDocView {
    wxDECLARE_DYNAMIC_CLASS(CAddressBrowserView);

public:
    CAddressBrowserView();
    ~CAddressBrowserView() override;

    using wxView::OnUpdate;
    void OnUpdate(CDocView* sender, uint32_t hint, CObject* hintObject) override;
    void OnDraw(wxDC*) override {}

    CSheepDoc* GetCore() const;
    wxListCtrl* GetList() const { return m_pList; }
    wxButton* GetPropertiesButton() const { return m_pProperties; }
    int GetSortColumn() const { return m_nSortColumn; }
    bool IsSortAscending() const { return m_bSortAscending; }

    // ---- commands, as the user gives them -------------------------------------------------------
    void OnNewAddress();
    // With exactly one row selected: that row.
    void OnProperties();
    // Edits the row's address; a changed display name may be carried into the events (55, 56).
    void EditRow(long row);
    // The same column again flips the direction; another sorts ascending by it.
    void OnHeaderClick(int column);
    void OnSelectAll();
    void OnDelete();
    void OnCopy();
    void OnPaste();
    // The movements report of the first selected row's address.
    void OnMovements();
    // The address popup with its items enabled for the selection.
    void BuildContextMenu(wxMenu& menu) const;

    // ---- dropping animals ----------------------------------------------------------------------
    CAddressDropTarget* GetDropTarget() const { return m_pDropTarget; }
    void SetDropActions(CAnimalDropActions actions) { m_dropActions = std::move(actions); }
    long GetDropRow() const { return m_nDropRow; }
    // The drop target's steps: the row highlighted under the point (-1: none), leaving, the drop.
    long DragOver(const wxPoint& point);
    void DragLeave();
    // The animals of the block on the row's address.
    void DropAnimals(long row, const std::vector<uint8_t>& block);

protected:
    bool OnCreate(wxDocument* doc, long flags) override;
    bool OnClose(bool deleteWindow) override;
    void OnChangeFilename() override;
    void OnActivateView(bool activate, wxView* activeView, wxView* deactiveView) override;

private:
    void BindCommands();
    void Refill();
    void Sort();
    void UpdateButtons();
    void SetDropHighlight(long row, bool on);
    // The row's address while it is still filed, with its key.
    CAddress* FiledAddress(long row, WString* key) const;

    int m_nColumnCount = -1;
    int m_nSortColumn = -1;
    bool m_bSortAscending = true;
    long m_nDropRow = -1;
    CAddressDropTarget* m_pDropTarget = nullptr;  // owned by the list
    wxPanel* m_pPanel = nullptr;
    wxListCtrl* m_pList = nullptr;
    wxButton* m_pNew = nullptr;
    wxButton* m_pProperties = nullptr;
    CAnimalDropActions m_dropActions;
};
