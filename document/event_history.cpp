#include "document/event_history.h"

#include <algorithm>

#include "document/sheep_doc.h"
#include "platform/archive.h"
#include "platform/host.h"
#include "platform/settings.h"
#include "records/event.h"
#include "records/sheep.h"

int ReadEventSortOrder() {
    return int(
        CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Sort Order", EVENT_SORT_DESCENDING));
}

void WriteEventSortOrder(int order) {
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Sort Order", uint32_t(order));
}

int CompareListedEvents(const CEvent& a, const CEvent& b, int sortOrder) {
    const int c = a.Compare(b);
    return sortOrder == EVENT_SORT_DESCENDING ? -c : c;
}

std::vector<uint8_t> BuildEventArchive(const std::vector<CEvent*>& events) {
    std::vector<CRefPtr<CEvent>> items;
    for (CEvent* event : events) items.emplace_back(event);
    std::vector<uint8_t> bytes;
    {
        CArchive ar(bytes, CArchive::store);
        SerializeObjectArray(ar, items);
        ar.Flush();
    }
    return bytes;
}

bool ReadEventArchive(const std::vector<uint8_t>& bytes, std::vector<CRefPtr<CEvent>>& events) {
    try {
        CArchive ar(std::span<const uint8_t>(bytes.data(), bytes.size()));
        std::vector<CRefPtr<CEvent>> loaded;
        SerializeObjectArray(ar, loaded);
        events = std::move(loaded);
        return true;
    } catch (const CArchiveException&) {
        events.clear();
        return false;
    }
}

std::vector<uint8_t> BuildEventText(const std::vector<CEvent*>& events) {
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    const auto put = [&bytes](WStringView text) {
        for (char16_t c : text) {
            bytes.push_back(uint8_t(c & 0xFF));
            bytes.push_back(uint8_t(c >> 8));
        }
    };
    for (CEvent* event : events) {
        put(event->FormatText(true));
        put(u"\r\n");
    }
    put(WStringView(u"\0", 1));
    return bytes;
}

CEventMenuState GetEventMenuState(int selectedCount, bool clipboardOffersEventsOrText, int sortOrder) {
    return {selectedCount == 1, selectedCount > 0, clipboardOffersEventsOrText, selectedCount > 0,
            sortOrder == EVENT_SORT_DESCENDING ? IDS_SORT_DESCENDING : IDS_SORT_ASCENDING};
}

std::vector<int> MirrorSelection(int count, const std::vector<int>& selected) {
    std::vector<int> mirrored;
    for (int index : selected) mirrored.push_back(count - 1 - index);
    std::sort(mirrored.begin(), mirrored.end());
    return mirrored;
}

// ---- the list ------------------------------------------------------------------------------------

CEventHistoryList::CEventHistoryList() : m_nSortOrder(ReadEventSortOrder()) {}

void CEventHistoryList::ToggleSortOrder() {
    m_nSortOrder = m_nSortOrder == EVENT_SORT_DESCENDING ? EVENT_SORT_ASCENDING : EVENT_SORT_DESCENDING;
    WriteEventSortOrder(m_nSortOrder);
    CCvlWaitCursor wait;
    std::vector<CRefPtr<CEvent>> items = std::move(m_items);
    m_items.clear();
    for (auto& item : items) Insert(std::move(item));
}

void CEventHistoryList::Load(CSheep* sheep) {
    m_sheep = CRefPtr<CSheep>(sheep);
    m_items.clear();
    m_loaded.clear();
    if (sheep)
        for (int i = 0; i < sheep->GetEventCount(); ++i) {
            CRefPtr<CEvent> event(sheep->GetEventAt(i));
            m_loaded.push_back(event);
            Insert(event);
        }
    m_bChanged = true;
    m_bEdited = false;
}

int CEventHistoryList::IndexOf(const CEvent* event) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].Get() == event) return int(i);
    return -1;
}

int CEventHistoryList::Insert(CRefPtr<CEvent> event) {
    // After the items it equals: the order in which equal ones came stays.
    size_t at = 0;
    while (at < m_items.size() && CompareListedEvents(*event, *m_items[at], m_nSortOrder) != -1) ++at;
    m_items.insert(m_items.begin() + ptrdiff_t(at), std::move(event));
    return int(at);
}

int CEventHistoryList::Add(CRefPtr<CEvent> event) {
    m_bChanged = m_bEdited = true;
    return Insert(std::move(event));
}

void CEventHistoryList::RemoveAt(int index) {
    if (index < 0 || index >= GetCount()) return;
    m_items.erase(m_items.begin() + index);
    m_bChanged = m_bEdited = true;
}

int CEventHistoryList::Replace(int index, CRefPtr<CEvent> replacement) {
    if (index < 0 || index >= GetCount()) return -1;
    const CEvent& old = *m_items[size_t(index)];
    replacement->SetOwner(old.GetOwner());
    replacement->SetCreated(old.GetCreated());
    replacement->SetEditedNow();
    RemoveAt(index);
    return Add(std::move(replacement));
}

void CEventHistoryList::Save(CSheepDoc* doc, CDocView* sender) {
    CSheep* sheep = m_sheep.Get();
    if (!sheep || !doc || sheep->GetDocument() != doc) return;
    const auto contains = [](const std::vector<CRefPtr<CEvent>>& list, const CEvent* event) {
        return std::any_of(list.begin(), list.end(),
                           [event](const CRefPtr<CEvent>& e) { return e.Get() == event; });
    };
    CCvlWaitCursor wait;
    std::vector<CRefPtr<CEvent>> taken;
    while (sheep->GetEventCount() > 0) {
        CEvent* event = sheep->GetEventAt(0);
        sheep->RemoveEventAt(0, false);
        taken.push_back(CRefPtr<CEvent>::Adopt(event));
    }
    // What the animal holds now, less what the user took out of the list, plus what the user put in.
    std::vector<CRefPtr<CEvent>> result;
    const auto place = [&result](CRefPtr<CEvent> event) {
        size_t at = 0;
        while (at < result.size() && event->Compare(*result[at]) != -1) ++at;
        result.insert(result.begin() + ptrdiff_t(at), std::move(event));
    };
    for (auto& event : taken)
        if (!contains(m_loaded, event.Get()) || contains(m_items, event.Get())) place(event);
    for (auto& event : m_items)
        if (!contains(m_loaded, event.Get()) && !contains(result, event.Get())) place(event);
    for (auto& event : result) {
        if (!CSheep::CanTakeEvent(*event)) continue;
        sheep->InsertEventAt(-1, CRefPtr<CEvent>(event).Detach(), false);
    }
    // From now on what the list shows is its starting point; events it never showed stay out of it.
    m_loaded = m_items;
    m_bChanged = m_bEdited = false;
    doc->UpdateAllViews(sender, HINT_SHEEP, sheep);
}
