// The smaller keyed stores that a flock's document keeps beside its animals: list column layouts and
// their captions, the year colours of ear tags, the address book and the Signet class averages; and
// the ear-tag number template.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "document/page_setup.h"
#include "platform/archive.h"
#include "platform/oledate.h"
#include "platform/text.h"
#include "records/address.h"
#include "records/criteria.h"
#include "records/signet.h"

class IFlockDocument;

// The name of breed flag 0..7, as the document's breed plug-in gives it.
using BreedFlagNamer = std::function<WString(int32_t flag)>;

// The ear-tag number made from a template: the year of date ("%04d", -1 when the date is not set)
// replaces "{yyyy}", its last two characters "{yy}" and its last "{y}"; number ("%04d") replaces
// "{nnnn}", that text from its second character "{nnn}", from its third "{nn}" and its last
// character "{n}"; in that order. Other characters stay.
WString FormatEartagNumber(WStringView templ, const COleDateTime& date, int number);

class CDocumentStores {
public:
    // doc is told of changes (modified flag); it may be null.
    explicit CDocumentStores(IFlockDocument* doc = nullptr);
    ~CDocumentStores();
    CDocumentStores(const CDocumentStores&) = delete;
    CDocumentStores& operator=(const CDocumentStores&) = delete;

    // Empties the column layouts, year colours, addresses and averages (detaching addresses and
    // averages that clients still hold); the page setups stay.
    void RemoveAll();

    // ---- column layouts and captions ---------------------------------------------------------
    // A new array with the default fields of a selection kind.
    static CRefPtr<CDWordArray> MakeDefaultColumns(int kind);
    // The layout of a kind, created from the defaults and stored when absent.
    const CDWordArray& GetColumnLayout(int kind);
    // For each field of the kind's layout that has a caption, insertColumn(caption, field), in
    // order. Returns the number of fields - 1.
    int GetColumns(int kind, const BreedFlagNamer& flagName,
                   const std::function<void(const WString& caption, uint32_t field)>& insertColumn);
    // Stores a copy of columns as the kind's layout; null stores the defaults. The caller tells the
    // views (hint 2).
    void SetColumns(int kind, const CDWordArray* columns);
    // The caption of a field identifier: fixed texts for 1..30, the breed flag names for 31..38.
    // FALSE when the caption is empty.
    static bool GetFieldCaption(int field, WString& caption, const BreedFlagNamer& flagName);
    // Every stored layout by kind (the data file reads and writes them).
    std::map<uint16_t, CRefPtr<CDWordArray>>& ColumnLayouts() { return m_columns; }

    // ---- year colours ------------------------------------------------------------------------
    // Copies every entry into the year colours (entries not given stay) and marks the document
    // modified.
    void SetEartagColourMap(const std::map<WString, WString>& colours);
    std::map<WString, WString>& YearColours() { return m_yearColours; }
    const std::map<WString, WString>& YearColours() const { return m_yearColours; }

    // ---- addresses ---------------------------------------------------------------------------
    CAddress* LookupAddress(const WString& name) const;
    // Stores address under name. When the name is taken, question 123 decides: No returns FALSE
    // and changes nothing (the caller keeps the new address); Yes drops the old one. Marks the
    // document modified.
    bool ReplaceAddress(const WString& name, CRefPtr<CAddress> address);
    // Moves the address filed under oldName to newName; FALSE when oldName holds no address.
    bool RenameAddress(const WString& oldName, const WString& newName);
    // Removes and releases the address filed under name; FALSE when there is none.
    bool DeleteAddress(const WString& name);
    const std::map<WString, CRefPtr<CAddress>>& Addresses() const { return m_addresses; }
    // For the data file's loading: files an address without asking.
    void SetAddressAt(const WString& name, CRefPtr<CAddress> address);

    // ---- Signet class averages ---------------------------------------------------------------
    // The key of a birth year and sex: "2003R" for rams (sex 1), "2003E" otherwise.
    static WString SignetKey(int year, int32_t sex);
    // The averages for an animal of that class; null unless it was born on the farm and its date
    // of birth is set.
    CSignetData* GetSignetAverages(bool bornOnFarm, const COleDateTime& dateOfBirth, int32_t sex) const;
    // Replaces (releasing the old) or adds the averages of a year and sex.
    void SetSignetAverages(int year, int32_t sex, CRefPtr<CSignetData> averages);
    std::map<WString, CRefPtr<CSignetData>>& SignetAverages() { return m_signet; }

    // ---- page setups -------------------------------------------------------------------------
    // One per view kind; kinds 0 to 4 exist from the start and are kept when the stores are emptied.
    // The page setup of a kind, made with its defaults when there is none there; a kind below 0
    // (a view of no known kind) throws std::invalid_argument.
    CPageSetup* GetPageSetup(int kind);
    std::vector<CRefPtr<CPageSetup>>& PageSetups() { return m_pageSetups; }

private:
    void SetModified();

    IFlockDocument* m_pDoc;
    std::map<uint16_t, CRefPtr<CDWordArray>> m_columns;
    std::map<WString, WString> m_yearColours;
    std::map<WString, CRefPtr<CAddress>> m_addresses;
    std::map<WString, CRefPtr<CSignetData>> m_signet;
    std::vector<CRefPtr<CPageSetup>> m_pageSetups;
};

// The text of a failed XML parse: 194 with the file name ("Application Data" when there is none),
// then, when the parser gave a reason, 69 with the error's URL, code, reason, line and column.
struct CXmlParseErrorInfo {
    WString url;
    int32_t code = 0;
    WString reason;
    int32_t line = 0;
    int32_t column = 0;
};
WString FormatParseError(const WString* fileName, const CXmlParseErrorInfo& error);
