// What the document knows of its views: their kinds and the hints through which it tells them what
// changed. The views (wx) implement CDocView; the document core never includes a GUI header.
#pragma once

#include <cstdint>

class CObject;

// Hint bits of UpdateAllViews; they combine (5 = the shown set and one animal).
constexpr uint32_t HINT_REFRESH_ALL = 0;    // options and embedding changes
constexpr uint32_t HINT_SHEEP_SET = 1;      // the set of animals shown changed
constexpr uint32_t HINT_COLUMNS = 2;        // the column layout changed
constexpr uint32_t HINT_SHEEP = 4;          // one animal added, changed or deleted (object: it, or null)
constexpr uint32_t HINT_CURRENT = 8;        // the current animal changed (object: it, or null)
constexpr uint32_t HINT_FONTS = 16;         // the report fonts changed
constexpr uint32_t HINT_ADDRESS = 32;       // an address changed (object: the address)
constexpr uint32_t HINT_ADDRESS_BOOK = 64;  // with 32: the address book was reloaded
constexpr uint32_t HINT_ADDRESS_ADDED = HINT_ADDRESS | HINT_CURRENT;          // 40
constexpr uint32_t HINT_ADDRESS_RELOADED = HINT_ADDRESS | HINT_ADDRESS_BOOK;  // 96

// The document's numbering of view kinds (page setups are kept per kind).
constexpr int VIEW_KIND_OTHER = -1;
constexpr int VIEW_KIND_SHEEP = 0;        // the record view of one animal
constexpr int VIEW_KIND_FLOCK = 1;        // the flock list
constexpr int VIEW_KIND_REPORT = 2;       // the report list
constexpr int VIEW_KIND_ANTECEDANTS = 3;  // the pedigree

class CDocView {
public:
    // VIEW_KIND_ of the view; a print preview answers for the view it previews.
    virtual int GetViewKind() const { return VIEW_KIND_OTHER; }
    // True for the list views (flock and report lists), which export their rows.
    virtual bool IsListView() const { return false; }
    // A change made by sender (null when no view made it).
    virtual void OnUpdate(CDocView* sender, uint32_t hint, CObject* hintObject) = 0;

protected:
    ~CDocView() = default;
};
