// The History page's list of an animal's events: one line per event in the remembered order, with
// Add, Edit, Delete, Copy, Cut, Paste, Select All and Sort from keys, buttons and a context menu.
#pragma once

#include <wx/dataobj.h>
#include <wx/vlbox.h>

#include <functional>
#include <map>
#include <vector>

#include "document/command_ids.h"
#include "document/event_history.h"

class CDocView;
class CSheepDoc;
class wxMenu;

// Button keys.
constexpr unsigned EVENT_BUTTON_ADD = 0;
constexpr unsigned EVENT_BUTTON_EDIT = 1;
constexpr unsigned EVENT_BUTTON_DELETE = 2;

// The clipboard format of copied events.
const wxDataFormat& GetEventClipboardFormat();

class CEventListBox : public wxVListBox {
public:
    CEventListBox(wxWindow* parent, int id);

    // The document and the view that edits come from; edited runs after each edit of the user's.
    void SetDocument(CSheepDoc* doc, CDocView* view) {
        m_pDoc = doc;
        m_pView = view;
    }
    void SetEditedHandler(std::function<void()> edited) { m_onEdited = std::move(edited); }
    // A sibling button that the list enables: key 0 Add, 1 Edit, 2 Delete.
    void RegisterButton(unsigned key, wxWindow* button) { m_buttons[key] = button; }

    CEventHistoryList& GetList() { return m_list; }
    // Loads the animal's events (null: none) and enables the buttons.
    void Load(CSheep* sheep);
    // Refreshes the lines after the list changed.
    void SyncItems();

    // Focus to the list, then Add, Edit or Delete; false for another key.
    bool DoButton(unsigned key);
    // Edit and Delete enabled exactly when something is selected.
    void UpdateButtons();

    void OnAdd();
    void OnEdit();
    void OnDelete();
    void OnCopy();
    void OnCut();
    void OnPaste();
    void OnSelectAll();
    void OnSort();
    // The selected items in list order.
    std::vector<int> GetSelectedItems() const;
    void SelectOnly(int item);
    // The item with the caret, or -1.
    int GetCaret() const;
    // The context menu as it is shown now (for the right-click and for tests).
    void FillContextMenu(wxMenu& menu);

protected:
    void OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const override;
    wxCoord OnMeasureItem(size_t n) const override;

private:
    void OnKeyDown(wxKeyEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    void RunCommand(int id);
    // After an edit of the user's: the animal stamped, the document modified, the page told.
    void Edited();
    bool ClipboardOffersEvents() const;

    CEventHistoryList m_list;
    CSheepDoc* m_pDoc = nullptr;
    CDocView* m_pView = nullptr;
    std::function<void()> m_onEdited;
    std::map<unsigned, wxWindow*> m_buttons;
};
