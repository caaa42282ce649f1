// The multiple-event wizard without its windows: the state its pages share, each page's decisions
// (the animals checked, the event chosen, the shared values, the grid of values per animal) and the
// step that adds the events to the animals when the wizard ends with Finish. The wx pages derive
// from these page models.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "document/event_entry.h"
#include "document/sheet_flow.h"
#include "platform/object.h"
#include "platform/oledate.h"
#include "platform/text.h"

class CEvent;
class CSheep;
class CSheepDoc;
class CMultiEventWizard;

// Page templates (the page ids of the flow).
constexpr unsigned IDD_MULTI_EVENT_WIZ0 = 284;
constexpr unsigned IDD_MULTI_EVENT_WIZ1 = 268;
constexpr unsigned IDD_MULTI_EVENT_WIZ2 = 269;
constexpr unsigned IDD_MULTI_EVENT_WIZ3 = 270;
constexpr unsigned IDD_MULTI_EVENT_WIZ4 = 271;
constexpr unsigned IDD_MULTI_EVENT_WIZ5 = 272;

// Controls.
constexpr int IDC_MULTI_SHEEP_LIST = 1107;
constexpr int IDC_MULTI_COUNT = 1073;
constexpr int IDC_MULTI_BY_EARTAG = 1040;
constexpr int IDC_MULTI_BY_TATTOO = 1074;
constexpr int IDC_MULTI_BY_EID = 1076;
constexpr int IDC_MULTI_GRID = 1356;
constexpr int IDC_MULTI_TITLE = 1404;

constexpr unsigned IDS_MULTI_EVENT_WIZARD = 20;
constexpr unsigned IDS_RECORDS_SELECTED = 12;
constexpr unsigned IDS_UPDATING_RECORDS = 1021;

// The grid's identifying columns; the parameters start after them.
constexpr int kGridFirstParameterColumn = 3;

class CMultiEventWizard0 : public CSheetPage {
public:
    CMultiEventWizard0();
    void OnSetActive() override;
};

// Select animals: the animals handed to the wizard as a check list.
class CMultiEventWizard1 : public CSheetPage {
public:
    explicit CMultiEventWizard1(CMultiEventWizard& wizard);

    struct Row {
        WString name;
        WString colour;
        WString number;
        WString eid;  // "%016" digits, empty for none
        bool checked = true;
    };
    // First display: the search mode from the settings and one checked row per animal found.
    void OnSetActive() override;
    int OnWizardNext() override;

    const std::vector<Row>& GetRows() const { return m_rows; }
    void SetChecked(int row, bool checked);
    int GetCheckedCount() const { return m_nChecked; }
    WString GetCountText() const;
    // A search-mode button (for this run only).
    void SetSearchMode(int mode);
    int GetSearchMode() const;
    // Whether a list column (0 tattoo, 1 colour, 2 number, 3 EID) shows in the current search mode.
    bool IsColumnShown(int column) const;

private:
    CMultiEventWizard& m_wizard;
    bool m_bFilled = false;
    std::vector<Row> m_rows;
    int m_nChecked = 0;
};

// Choose the event and its date.
class CMultiEventWizard2 : public CSheetPage {
public:
    explicit CMultiEventWizard2(CMultiEventWizard& wizard);
    // First display: the plug-in's events (by the wizard's filter) after one empty entry.
    void OnSetActive() override;
    int OnWizardNext() override;

    // The combo box's items, the empty one first.
    const std::vector<std::pair<WString, uint32_t>>& GetItems() const { return m_items; }
    int m_nSelected = 0;
    COleDateTime m_dtDate;

private:
    CMultiEventWizard& m_wizard;
    bool m_bFilled = false;
    std::vector<std::pair<WString, uint32_t>> m_items;
};

// One set of values for every animal.
class CMultiEventWizard3 : public CSheetPage {
public:
    explicit CMultiEventWizard3(CMultiEventWizard& wizard);
    void OnSetActive() override;
    // A weight that is not a number is refused here.
    int OnWizardNext() override;

    int GetShownRows() const { return m_nRows; }
    const WString& GetLabel(int row) const { return m_labels[size_t(row)]; }
    bool IsUnitsShown() const;
    bool IsBrowseShown() const;
    // A unit button: the typed weight is converted when the events are made.
    void SetWeightInPounds(bool pounds);
    bool IsWeightInPounds() const;

    WString m_strParameter[kShownParameters];

private:
    CMultiEventWizard& m_wizard;
    int m_nRows = 0;
    WString m_labels[kShownParameters];
};

// A grid with one row of values per animal.
class CMultiEventWizard4 : public CSheetPage {
public:
    explicit CMultiEventWizard4(CMultiEventWizard& wizard);
    // Rebuilds the grid from the selection (what was typed before is gone).
    void OnSetActive() override;
    int OnWizardBack() override;
    int OnWizardNext() override;

    // Columns: the three identifying ones, then one per shown parameter.
    const std::vector<WString>& GetHeaders() const { return m_headers; }
    int GetRowCount() const { return int(m_cells.size()); }
    int GetColumnCount() const { return int(m_headers.size()); }
    const WString& GetCell(int row, int column) const { return m_cells[size_t(row)][size_t(column)]; }
    // Only parameter cells take text.
    bool SetCell(int row, int column, const WString& text);
    bool IsColumnShown(int column) const;
    bool IsUnitsShown() const;
    bool IsBrowseShown() const;
    bool IsWeightInPounds() const;

    // Browse: the address key into parameter 1 of each of the rows.
    void FillAddress(const std::vector<int>& rows, const WString& key);
    // A unit button: every weight converted (two decimals), or none when one is not a number; then
    // false with that row in *badRow, the message shown and the unit left at kg.
    bool SetWeightInPounds(bool pounds, int* badRow);
    // The row whose weight failed the last check, or -1.
    int GetBadRow() const { return m_nBadRow; }

private:
    bool CheckWeight(int row, bool emptyFails);

    CMultiEventWizard& m_wizard;
    std::vector<WString> m_headers;
    std::vector<std::vector<WString>> m_cells;
    int m_nBadRow = -1;
};

class CMultiEventWizard5 : public CSheetPage {
public:
    explicit CMultiEventWizard5(CMultiEventWizard& wizard);
    void OnSetActive() override;
    int OnWizardBack() override;

private:
    CMultiEventWizard& m_wizard;
};

// Makes the wizard's pages: the models themselves, or window pages derived from them.
class CMultiEventPageFactory {
public:
    virtual ~CMultiEventPageFactory() = default;
    virtual CMultiEventWizard0* CreateWelcomePage();
    virtual CMultiEventWizard1* CreateSelectPage(CMultiEventWizard& wizard);
    virtual CMultiEventWizard2* CreateEventPage(CMultiEventWizard& wizard);
    virtual CMultiEventWizard3* CreateDetailsPage(CMultiEventWizard& wizard);
    virtual CMultiEventWizard4* CreateGridPage(CMultiEventWizard& wizard);
    virtual CMultiEventWizard5* CreateCompletionPage(CMultiEventWizard& wizard);
};

// The state the pages share, and the pages.
class CMultiEventWizard {
public:
    CMultiEventWizard(CSheepDoc* doc, std::vector<WString> names, int32_t typeFilter);
    CMultiEventWizard(CSheepDoc* doc, std::vector<WString> names, int32_t typeFilter,
                      CMultiEventPageFactory& pages);
    ~CMultiEventWizard();
    CMultiEventWizard(const CMultiEventWizard&) = delete;
    CMultiEventWizard& operator=(const CMultiEventWizard&) = delete;

    // The pages in order, for a sheet to show.
    std::vector<CSheetPage*> GetPages();
    CMultiEventWizard1& GetSelectPage() { return *m_page1; }
    CMultiEventWizard2& GetEventPage() { return *m_page2; }
    CMultiEventWizard3& GetDetailsPage() { return *m_page3; }
    CMultiEventWizard4& GetGridPage() { return *m_page4; }

    CSheepDoc* GetDocument() const { return m_pDoc; }
    const std::vector<WString>& GetNames() const { return m_names; }
    int32_t GetTypeFilter() const { return m_nTypeFilter; }

    // After Finish: adds the events to the animals, tells the views (the set shown) and marks the
    // document modified. Events an animal must not take are left out and reported.
    void Apply();
    // After Cancel: the events built for the animals are dropped; the document is unchanged.
    void Discard() { m_perAnimalEvents.clear(); }
    // Apply on Finish (ID_WIZFINISH), else Discard.
    void End(int sheetResult);

    // Whether the values come from the grid: per-animal events that have parameters to enter.
    bool UsesGrid() const { return m_bPerAnimal && ShownParameterRows(m_nParameterCount) > 0; }
    // The page after Choose Event, and before Completion.
    unsigned GetValuesPage() const;

    uint32_t m_nEventCode = 0;
    bool m_bPerAnimal = false;
    uint32_t m_nParameterCount = 0;
    COleDateTime m_dtEvent;
    std::vector<std::pair<WString, CRefPtr<CSheep>>> m_selection;
    std::vector<std::pair<WString, CRefPtr<CEvent>>> m_perAnimalEvents;
    int m_nSearchMode = 0;
    // The unit of the weights typed on the page that was left for Completion.
    bool m_bWeightInPounds = true;

private:
    // The stored text of a typed weight: converted from pounds as the New Event dialog does.
    WString StoredWeight(const WString& typed) const;

    CSheepDoc* m_pDoc;
    std::vector<WString> m_names;
    int32_t m_nTypeFilter;
    std::unique_ptr<CMultiEventWizard0> m_page0;
    std::unique_ptr<CMultiEventWizard1> m_page1;
    std::unique_ptr<CMultiEventWizard2> m_page2;
    std::unique_ptr<CMultiEventWizard3> m_page3;
    std::unique_ptr<CMultiEventWizard4> m_page4;
    std::unique_ptr<CMultiEventWizard5> m_page5;
};
