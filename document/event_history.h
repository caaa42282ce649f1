// The History page's list of one animal's events without its window: the remembered sort order,
// the list's items, the edits made in it, and the write back into the animal it was loaded for.
// Also the clipboard forms of copied events and the enabling of the list's context menu.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/object.h"
#include "platform/text.h"

class CDocView;
class CEvent;
class CSheep;
class CSheepDoc;

constexpr unsigned IDS_EVENT_CLIPBOARD_FORMAT = 1013;  // "Corvalen Event"
constexpr unsigned IDS_CLIPBOARD_UNAVAILABLE = 1054;
constexpr unsigned IDS_DELETE_SYSTEM_EVENT = 1056;
constexpr unsigned IDS_DELETE_EVENT = 1057;
constexpr unsigned IDS_SORT_ASCENDING = 1072;
constexpr unsigned IDS_SORT_DESCENDING = 1073;

// Sort orders: 1 newest first, 0 oldest first (the "Sort Order" setting, default 1).
constexpr int EVENT_SORT_DESCENDING = 1;
constexpr int EVENT_SORT_ASCENDING = 0;
int ReadEventSortOrder();
void WriteEventSortOrder(int order);

// The list's order of two events: the animal's order, reversed when descending.
int CompareListedEvents(const CEvent& a, const CEvent& b, int sortOrder);

// The clipboard's private form: an archive of one object array of events.
std::vector<uint8_t> BuildEventArchive(const std::vector<CEvent*>& events);
// The events of such an archive; false (and nothing) for damaged bytes.
bool ReadEventArchive(const std::vector<uint8_t>& bytes, std::vector<CRefPtr<CEvent>>& events);
// The text form as UTF-16 little-endian bytes: FF FE, each event's text with its date and CR LF,
// then a NUL character.
std::vector<uint8_t> BuildEventText(const std::vector<CEvent*>& events);

// The context menu's state for a selection and what the clipboard offers.
struct CEventMenuState {
    bool editEnabled;
    bool selectionCommands;  // Copy, Cut, Delete, Filter.. and Select All
    bool pasteEnabled;
    bool editIsDefault;  // else Add is
    unsigned sortTextId;
};
CEventMenuState GetEventMenuState(int selectedCount, bool clipboardOffersEventsOrText, int sortOrder);

// The selection after Sort: each selected index mirrored (count - 1 - index).
std::vector<int> MirrorSelection(int count, const std::vector<int>& selected);

class CEventHistoryList {
public:
    CEventHistoryList();

    int GetSortOrder() const { return m_nSortOrder; }
    // Flips the order, writes the setting and re-sorts the items.
    void ToggleSortOrder();

    // Loads the animal's events (null: none); the fresh list counts as changed, not as edited.
    void Load(CSheep* sheep);
    CSheep* GetSheep() const { return m_sheep.Get(); }
    int GetCount() const { return int(m_items.size()); }
    CEvent* GetAt(int index) const { return m_items[size_t(index)].Get(); }
    int IndexOf(const CEvent* event) const;

    // The user's edits: each sets the changed and the edited flags. Add gives the item's index.
    int Add(CRefPtr<CEvent> event);
    void RemoveAt(int index);
    // The Edit command's new event for an item: the dialog's values (the caller builds it from
    // them), the old event's owner and Created, Edited now; it replaces the item. Gives its index.
    int Replace(int index, CRefPtr<CEvent> replacement);

    bool IsChanged() const { return m_bChanged; }
    bool IsEdited() const { return m_bEdited; }

    // Writes the list back into the animal it was loaded for: all its events are taken out and the
    // list's put back in ascending order (the breed plug-in is told of each). Events added to or
    // removed from the animal by another route since the load stay as that route left them.
    // Nothing happens for an animal that has left the document. Clears both flags and tells the views
    // other than sender.
    void Save(CSheepDoc* doc, CDocView* sender);

private:
    int Insert(CRefPtr<CEvent> event);

    int m_nSortOrder;
    CRefPtr<CSheep> m_sheep;
    std::vector<CRefPtr<CEvent>> m_items;
    std::vector<CRefPtr<CEvent>> m_loaded;
    bool m_bChanged = false;
    bool m_bEdited = false;
};
