// The settings pages of the "Database Options" and "System Administration" sheets without a GUI:
// what each page reads, what it writes on OK, and the rules between.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/text.h"

class CSheepDoc;

// ---- General -----------------------------------------------------------------------------------------

struct CGeneralOptions {
    uint32_t searchMode = 0;  // 0 ear tag, 1 tattoo, 2 electronic ID; other values are kept
    bool kilograms = false;
    WString view = u"Record";
    WString defaultPath;
    int decimalPlaces = 2;
    bool tooltips = true;

    // The stored values; the decimal places are the application's.
    static CGeneralOptions Load(int decimalPlaces);
    static bool IsValidDecimalPlaces(int places) { return places >= 0 && places <= 3; }
    // Writes "Search Mode", "View", "Default Path", "Decimal Places", "Tooltips" and "Unit".
    void Store() const;
};

// ---- XML ---------------------------------------------------------------------------------------------

struct CXmlEventItem {
    WString name;
    int32_t id = 0;
    bool checked = true;  // exported
};

// The breed's event types with their ids; nothing when the breed cannot enumerate them.
std::optional<std::vector<std::pair<WString, int32_t>>> EnumerateBreedEvents(CSheepDoc& doc);
// The ids of a stored exclusion list ("3,17").
std::vector<int32_t> ParseExcludedEvents(WStringView stored);
// The list as the page shows it: every event checked unless excluded.
std::vector<CXmlEventItem> BuildXmlEventItems(WStringView stored,
                                              const std::vector<std::pair<WString, int32_t>>& events);
// The exclusion list to store: the unchecked ids in list order, then the stored ids the list does
// not show (a breed may not list them now), comma-separated.
WString ComposeExcludedEvents(const std::vector<CXmlEventItem>& items, WStringView stored);

// ---- Flock Details -----------------------------------------------------------------------------------

struct CFarmDetails {
    WString breed;      // detail 0
    WString address;    // detail 1
    WString telephone;  // detail 2
    WString fax;        // detail 3

    static CFarmDetails Load(const CSheepDoc& doc);
    // The breeds of the machine-wide Breeds list, every name in full.
    static std::vector<WString> InstalledBreeds();
    // A flock that holds animals keeps its breed: its events were made by that breed's codes.
    static bool CanChangeBreed(const CSheepDoc& doc, WStringView breed);
    // Stores details 0, 3, 2 and 1, tells the views (hint 0) and marks the document modified.
    void Store(CSheepDoc& doc) const;
};

// ---- Eartags -----------------------------------------------------------------------------------------

class CEartagOptions {
public:
    // The document's mask and colours; the year shown is the current one.
    void Load(const CSheepDoc& doc, const WString& currentYear);

    // "year\tcolour" for a year with a colour, the bare year for one without.
    const std::vector<WString>& Entries() const { return m_entries; }
    const WString& GetYear() const { return m_strYear; }
    const WString& GetColour() const { return m_strColour; }
    // Whether the colour edit takes typing (a year without its colour yet).
    bool IsColourEditable() const { return m_bColourEditable; }
    int GetSelection() const { return m_nSelection; }
    WString m_strMask;

    // The user picked an entry; year and colour are the edits' texts at that moment.
    void SelectEntry(int index, const WString& year, const WString& colour);
    // The year edit lost the focus: a year not listed is added bare. True when added.
    bool YearEntered(const WString& year);
    // The colour edit lost the focus with that colour for the shown year.
    void ColourEntered(const WString& year, const WString& colour);
    // OK: the shown year takes a non-empty colour, then every colour and the mask go to the document.
    void Store(CSheepDoc& doc, const WString& year, const WString& colour);

    const std::map<WString, WString>& Colours() const { return m_colours; }

private:
    int FindEntry(const WString& year) const;

    std::vector<WString> m_entries;
    std::map<WString, WString> m_colours;
    WString m_strEditing;
    WString m_strYear;
    WString m_strColour;
    bool m_bColourEditable = true;
    int m_nSelection = -1;
};

// ---- System Administration ---------------------------------------------------------------------------

// Rebuilds the ear-tag index from the animals; the document is marked modified only when the index
// changed. True when it changed.
bool RebuildEartagList(CSheepDoc& doc);
