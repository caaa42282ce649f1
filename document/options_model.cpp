#include "document/options_model.h"

#include <algorithm>
#include <cstdlib>

#include "abi/breed_abi.h"
#include "document/doc_views.h"
#include "document/sheep_doc.h"
#include "platform/settings.h"

namespace {

const char16_t* const kSettings = u"Settings";

WString UserString(const char16_t* name, const char16_t* fallback) {
    return CRegistrySettings::GetString(HKEY_CURRENT_USER, kSettings, name, fallback);
}

}  // namespace

// ---- General -----------------------------------------------------------------------------------------

CGeneralOptions CGeneralOptions::Load(int decimalPlaces) {
    CGeneralOptions o;
    o.searchMode = CRegistrySettings::GetDWord(HKEY_CURRENT_USER, kSettings, u"Search Mode", 0);
    o.kilograms = !EqualsNoCase(UserString(u"Unit", u"lb"), u"lb");
    o.view = UserString(u"View", u"Record");
    o.defaultPath = UserString(u"Default Path", u"");
    o.decimalPlaces = decimalPlaces;
    o.tooltips = CRegistrySettings::GetDWord(HKEY_CURRENT_USER, kSettings, u"Tooltips", 1) != 0;
    return o;
}

void CGeneralOptions::Store() const {
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, kSettings, u"Search Mode", searchMode);
    CRegistrySettings::SetString(HKEY_CURRENT_USER, kSettings, u"View", view);
    CRegistrySettings::SetString(HKEY_CURRENT_USER, kSettings, u"Default Path", defaultPath);
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, kSettings, u"Decimal Places", uint32_t(decimalPlaces));
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, kSettings, u"Tooltips", tooltips ? 1 : 0);
    CRegistrySettings::SetString(HKEY_CURRENT_USER, kSettings, u"Unit", kilograms ? u"kg" : u"lb");
}

// ---- XML ---------------------------------------------------------------------------------------------

std::optional<std::vector<std::pair<WString, int32_t>>> EnumerateBreedEvents(CSheepDoc& doc) {
    CBreedPlugIn& plugIn = doc.GetBreedPlugIn();
    auto init = plugIn.Get<PFN_CVLInitEnumEvents>("CVLInitEnumEvents");
    auto next = plugIn.Get<PFN_CVLEnumEvents>("CVLEnumEvents");
    auto ids = plugIn.Get<PFN_CVLGetIDsFromNames>("CVLGetIDsFromNames");
    if (!init || !next || !ids) return std::nullopt;
    std::vector<std::pair<WString, int32_t>> events;
    uint32_t handle = 0;
    init(&handle);
    char16_t name[64];
    for (;;) {
        std::fill(std::begin(name), std::end(name), u'\0');
        if (!next(&handle, -1, 0, name, 64)) break;
        name[63] = u'\0';
        events.emplace_back(WString(name), ids(name));
    }
    if (auto end = plugIn.Get<PFN_CVLEndEnumEvents>("CVLEndEnumEvents")) end(handle);
    return events;
}

std::vector<int32_t> ParseExcludedEvents(WStringView stored) {
    std::vector<int32_t> ids;
    if (stored.empty()) return ids;
    for (const WString& piece : Split(stored, u','))
        ids.push_back(int32_t(std::atoi(WToUtf8(piece).c_str())));
    return ids;
}

std::vector<CXmlEventItem> BuildXmlEventItems(WStringView stored,
                                              const std::vector<std::pair<WString, int32_t>>& events) {
    const std::vector<int32_t> excluded = ParseExcludedEvents(stored);
    std::vector<CXmlEventItem> items;
    for (const auto& [name, id] : events)
        items.push_back({name, id, std::find(excluded.begin(), excluded.end(), id) == excluded.end()});
    return items;
}

WString ComposeExcludedEvents(const std::vector<CXmlEventItem>& items, WStringView stored) {
    std::vector<int32_t> ids;
    for (const CXmlEventItem& item : items)
        if (!item.checked) ids.push_back(item.id);
    for (int32_t id : ParseExcludedEvents(stored)) {
        const bool listed =
            std::any_of(items.begin(), items.end(), [id](const auto& i) { return i.id == id; });
        if (!listed && std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
    }
    WString text;
    for (int32_t id : ids) {
        if (!text.empty()) text += u',';
        text += FormatW("%d", id);
    }
    return text;
}

// ---- Flock Details -----------------------------------------------------------------------------------

CFarmDetails CFarmDetails::Load(const CSheepDoc& doc) {
    return {doc.GetDocString(0), doc.GetDocString(1), doc.GetDocString(2), doc.GetDocString(3)};
}

std::vector<WString> CFarmDetails::InstalledBreeds() {
    std::vector<WString> names;
    auto app = CRegistrySettings::OpenAppKey(HKEY_LOCAL_MACHINE);
    auto breeds = app ? app->OpenSubkey(u"Breeds") : std::nullopt;
    if (!breeds) return names;
    for (const auto& [name, value] : breeds->Values()) names.push_back(name);
    return names;
}

bool CFarmDetails::CanChangeBreed(const CSheepDoc& doc, WStringView breed) {
    return doc.GetSheepCount() == 0 || WStringView(doc.GetDocString(0)) == breed;
}

void CFarmDetails::Store(CSheepDoc& doc) const {
    doc.SetAttribute(0, breed);
    doc.SetAttribute(3, fax);
    doc.SetAttribute(2, telephone);
    doc.SetAttribute(1, address);
    doc.UpdateAllViews(nullptr, 0);
    doc.SetModifiedFlag(true);
}

// ---- Eartags -----------------------------------------------------------------------------------------

void CEartagOptions::Load(const CSheepDoc& doc, const WString& currentYear) {
    m_strMask = doc.GetDocString(4);
    m_colours = const_cast<CSheepDoc&>(doc).GetStores().YearColours();
    m_entries.clear();
    for (const auto& [year, colour] : m_colours) m_entries.push_back(year + u'\t' + colour);
    m_strYear = currentYear;
    m_strColour.clear();
    m_strEditing.clear();
    m_bColourEditable = true;
    m_nSelection = -1;
    if (m_colours.empty()) return;
    if (auto it = m_colours.find(currentYear); it != m_colours.end()) {
        m_strColour = it->second;
        m_bColourEditable = false;
        m_nSelection = FindEntry(currentYear);
    } else {
        m_strEditing = currentYear;
        m_nSelection = 0;
    }
}

int CEartagOptions::FindEntry(const WString& year) const {
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (!year.empty() && m_entries[i].compare(0, year.size(), year) == 0) return int(i);
    return -1;
}

void CEartagOptions::SelectEntry(int index, const WString& year, const WString& colour) {
    if (index < 0 || size_t(index) >= m_entries.size()) return;
    m_strYear = year;
    // The colour typed for the year being edited is kept; an empty one adds nothing.
    if (!m_strEditing.empty() && !colour.empty()) m_colours[m_strEditing] = colour;
    m_nSelection = index;
    m_strYear = m_entries[size_t(index)].substr(0, 4);
    const auto it = m_colours.find(m_strYear);
    m_strColour = it == m_colours.end() ? WString() : it->second;
    m_strEditing = m_strYear;
}

bool CEartagOptions::YearEntered(const WString& year) {
    m_strYear = year;
    if (year.empty() || FindEntry(year) >= 0) return false;
    m_entries.push_back(year);
    std::sort(m_entries.begin(), m_entries.end());
    m_nSelection = FindEntry(year);
    m_bColourEditable = true;
    m_strColour.clear();
    return true;
}

void CEartagOptions::ColourEntered(const WString& year, const WString& colour) {
    m_strYear = year;
    m_strColour = colour;
    if (colour.empty() || year.empty()) return;
    if (const int at = FindEntry(year); at >= 0) m_entries.erase(m_entries.begin() + at);
    m_entries.push_back(year + u'\t' + colour);
    std::sort(m_entries.begin(), m_entries.end());
    m_nSelection = FindEntry(year);
    m_strEditing = year;
    m_colours[year] = colour;
    m_bColourEditable = false;
}

void CEartagOptions::Store(CSheepDoc& doc, const WString& year, const WString& colour) {
    if (!colour.empty() && !year.empty()) m_colours[year] = colour;
    doc.SetEartagColourMap(m_colours);
    doc.SetAttribute(4, m_strMask);
    doc.SetModifiedFlag(true);
}

// ---- System Administration ---------------------------------------------------------------------------

bool RebuildEartagList(CSheepDoc& doc) {
    const std::vector<CEarTagHashEntry> before = doc.GetEarTagIndex().Entries();
    doc.RebuildEarTagIndex();
    const bool changed = doc.GetEarTagIndex().Entries() != before;
    if (changed) doc.SetModifiedFlag(true);
    return changed;
}
