// The document of one flock without any GUI: the animals sorted by key with their ear-tag index and
// EID map, the current animal and its Back/Forward history, the breed plug-in, and the hints that
// tell the views what changed. The program's wx document wraps it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "document/breed_plugin.h"
#include "document/doc_views.h"
#include "document/document_automation.h"
#include "document/document_file.h"
#include "document/document_stores.h"
#include "document/ear_tag_index.h"
#include "document/selection_history.h"
#include "document/xml_doc_objects.h"
#include "document/xml_reader.h"
#include "platform/object.h"
#include "platform/text.h"
#include "records/flock_document.h"

class CEvent;
class CSheep;
class CHttpConnection;
class CWebXMLResponse;
struct CHttpReply;
struct CWebReplyOutcome;
class CXMLSheepDocHeader;

// Farm details (GetDocString keys).
constexpr uint16_t FARM_BREED = 0;
constexpr uint16_t FARM_ADDRESS = 1;
constexpr uint16_t FARM_TELEPHONE = 2;
constexpr uint16_t FARM_FAX = 3;
constexpr uint16_t FARM_EARTAG_TEMPLATE = 4;

// The document is its own automation object: the owner holds the first reference.
class CSheepDoc : public CDocumentAutomation, public IXmlImportOwner {
public:
    CSheepDoc();
    virtual ~CSheepDoc();
    CSheepDoc(const CSheepDoc&) = delete;
    CSheepDoc& operator=(const CSheepDoc&) = delete;

    // ---- views ---------------------------------------------------------------------------------
    void AddView(CDocView* view);
    void RemoveView(CDocView* view);
    const std::vector<CDocView*>& GetViews() const { return m_views; }
    // Every view but the sender is told of the change.
    void UpdateAllViews(CDocView* sender, uint32_t hint = HINT_REFRESH_ALL, CObject* hintObject = nullptr);

    const WString& GetTitle() const override { return m_strTitle; }
    void SetTitle(const WString& title) { m_strTitle = title; }
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) override { m_bModified = modified; }

    // ---- queries -------------------------------------------------------------------------------
    int GetSheepCount() const override { return int(m_flock.size()); }
    // Null for -1; any other index outside the flock throws std::invalid_argument.
    CSheep* GetSheepAt(int index) const override;
    // Binary search by key without regard to case: TRUE with the index, else FALSE with the index
    // where the key would be inserted.
    bool FindSheepIndex(const WString& key, int* index) const override;
    CSheep* FindSheep(const WString& key, int* index) const;
    CSheep* FindSheep(const WString& key) const override;
    bool FindEarTagRange(const WString& colour, const WString& number, int* first, int* count) const;
    // The keys of the animals wearing that ear tag (the list is emptied first).
    bool GetEarTagNames(const WString& colour, const WString& number, std::vector<WString>* names) const;
    bool LookupTattooByEID(uint64_t eid, WString* tattoo) const override;
    const CEarTagIndex& GetEarTagIndex() const { return m_earTags; }
    const std::unordered_map<uint64_t, WString>& GetEIDMap() const { return m_eidMap; }

    // An EID names one animal: true, with the holder's key, when an animal of the flock other than
    // the one filed under key holds eid.
    bool IsEIDHeldByOther(uint64_t eid, const WString& key, WString* holder = nullptr) const;

    // ---- changes -------------------------------------------------------------------------------
    // Takes over the caller's reference to a new animal and files it; an equal key asks 1040 first.
    // Gives its index, or -1 when the user kept the existing animal (the caller keeps the new one).
    // A new animal whose EID another animal holds is filed without it and the user is told: at
    // once, or once for them all while a CDroppedEIDReport is open.
    int AddSheep(CSheep* sheep, bool makeCurrent) override;
    // Removes the animal at index from the flock and its indexes and releases it.
    void DeleteSheep(int index) override;
    // The animal at index gives way to sheep, whose tattoo matches its own without regard to case:
    // the same as DeleteSheep(index) and then AddSheep(sheep, false), without moving the flock.
    // Takes over the caller's reference. eidNotShared: the caller knows that no other animal holds
    // the EID of the one at index, which spares a search of the flock.
    void ReplaceSheep(int index, CSheep* sheep, bool eidNotShared = false);
    void UpdateEarTagIndex(CSheep* sheep, const WString& colour, const WString& number) override;
    void SetEIDTattoo(uint64_t eid, const WString& tattoo) override;
    void RemoveEID(uint64_t eid) override;

    // ---- selection and navigation --------------------------------------------------------------
    bool SelectSheep(const WString& key, bool update, bool recordHistory, CDocView* sender);
    // An index outside the flock leaves no animal current.
    bool SelectSheepAt(int index, bool update, bool recordHistory, CDocView* sender);
    void OnGoBack();
    void OnGoForward();
    bool CanGoBack() const { return m_history.CanGoBack(); }
    bool CanGoForward() const { return m_history.CanGoForward(); }
    // Dedov First/Previous and Next/Last.
    bool CanGoFirst() const { return !m_flock.empty() && m_nCurrent != 0; }
    bool CanGoLast() const { return !m_flock.empty() && m_nCurrent != GetSheepCount() - 1; }
    int GetCurrentIndex() const { return m_nCurrent; }
    const WString& GetCurrentKey() const { return m_strCurrent; }
    CSheep* GetCurrentSheep() const { return m_nCurrent < 0 ? nullptr : GetSheepAt(m_nCurrent); }
    const CSelectionHistory& GetHistory() const { return m_history; }

    // ---- farm details --------------------------------------------------------------------------
    // Empty when the detail is absent.
    WString GetDocString(uint16_t key) const;
    // Stores the text; an empty text removes the detail.
    void SetAttribute(uint16_t key, const WString& text);
    const std::map<uint16_t, WString>& GetFarmDetails() const { return m_farmDetails; }

    // ---- stores: column layouts, year colours, addresses, Signet averages ----------------------
    CDocumentStores& GetStores() { return m_stores; }
    const CDocumentStores& GetStores() const { return m_stores; }
    // A field identifier's caption; 31..38 are the breed plug-in's flag names. FALSE when empty.
    bool GetFieldCaption(int field, WString& caption) const;
    // The column layout of the extraction criteria's kind: insertColumn(caption, field) for each
    // captioned field; returns the number of fields - 1.
    int GetColumns(const std::function<void(const WString& caption, uint32_t field)>& insertColumn);
    // Stores a copy of columns (null: the defaults) as the layout of the extraction criteria's kind
    // and tells the views (hint 2).
    void SetColumns(const CDWordArray* columns);
    // The animals that meet the extraction criteria.
    int CountMatchingSheep() const;
    // Greys (TRUE) or enables the main window's criteria commands and the filter bar's controls.
    void EnableExtractionMenu(BOOL grey);
    void SetEartagColourMap(const std::map<WString, WString>& colours) {
        m_stores.SetEartagColourMap(colours);
    }
    CAddress* LookupAddress(const WString& name) const { return m_stores.LookupAddress(name); }
    bool ReplaceAddress(const WString& name, CRefPtr<CAddress> address) override {
        return m_stores.ReplaceAddress(name, std::move(address));
    }
    // The Signet class averages of the animal's birth year and sex; null unless the breed plug-in
    // has it born on the farm and its date of birth is set.
    CSignetData* GetSignetAverages(const CSheep* sheep) const;
    void SetSignetAverages(int year, int32_t sex, CRefPtr<CSignetData> averages) {
        m_stores.SetSignetAverages(year, sex, std::move(averages));
    }
    // The page setup of the view's kind (a print preview counts as the view it previews); a view of
    // no known kind throws std::invalid_argument.
    CPageSetup* GetPageSetup(const CDocView* view) {
        return m_stores.GetPageSetup(view ? view->GetViewKind() : VIEW_KIND_OTHER);
    }
    // A new lamb's ear-tag number from the template in farm detail 4.
    WString FormatEartagNumber(const COleDateTime& date, int number) const {
        return ::FormatEartagNumber(GetDocString(FARM_EARTAG_TEMPLATE), date, number);
    }

    // ---- breed plug-in -------------------------------------------------------------------------
    int LoadBreedPlugIn(const WString& breedName, bool takeVersion);
    void UnloadBreedPlugIn();
    CBreedPlugIn& GetBreedPlugIn() { return m_plugIn; }
    const CBreedPlugIn& GetBreedPlugIn() const { return m_plugIn; }
    void* GetBreedProc(const char* exportName) override { return m_plugIn.GetProc(exportName); }

    int32_t IsTattooValid(const WString& tattoo) const { return m_plugIn.IsTattooValid(tattoo); }
    int32_t GetGestationPeriod() const { return m_plugIn.GetGestationPeriod(); }
    int32_t GetLambIndex(const WString& tattoo) const { return m_plugIn.GetLambIndex(tattoo); }
    int32_t UpdateReportToolbar(int32_t reportType, int32_t flag) const {
        return m_plugIn.UpdateReportToolbar(reportType, flag);
    }
    void BuildReportColumns(IDispatch* columns, int32_t reportType, const WString& ramsOrEwes) const {
        m_plugIn.BuildReportColumns(columns, reportType, ramsOrEwes);
    }
    bool GetReportDefinition(int32_t reportId, WString& definition) const {
        return m_plugIn.GetReportDefinition(reportId, definition);
    }
    bool GetReportTitle(int32_t reportType, const WString& selection, int32_t year, WString& title) const {
        return m_plugIn.GetReportTitle(reportType, selection, year, title);
    }
    WString GetBreedFlag(int32_t flag, int32_t* readOnly) const {
        return m_plugIn.GetBreedFlag(flag, readOnly);
    }
    int32_t GetNextIndex(int32_t value) { return m_plugIn.GetNextIndex(GetDocumentDual(), value); }
    // The tattoo the plug-in makes for a lamb of the two parents (found by key).
    WString BuildTattoo(int32_t first, int32_t second, const WString& parentA, const WString& parentB);
    void PrepareReportToolbar(int32_t reportType, void* firstWindow, void* secondWindow) {
        m_plugIn.PrepareReportToolbar(GetDocumentDual(), reportType, firstWindow, secondWindow);
    }
    // Rebuilds the main frame's Reports menu (and the Reporting toolbar's list) from the plug-in.
    virtual void BuildReportsMenu(bool alsoToolbar);
    void SetReportsMenuSite(IReportsMenuSite* site) { m_pReportsSite = site; }

    // In every event, replaces parameter values found in oldToNew: at parameterIndex for codes with
    // more parameters than that, or with -1 every parameter of codes that take a list; only where
    // the plug-in gives the parameter parameterType. Gives the number of replacements.
    int ReplaceParameterValues(const std::map<WString, WString>& oldToNew, int32_t parameterType,
                               int32_t parameterIndex);

    // The display name of the address filed under name.
    bool LookupAddress(const WString& name, WString* displayName) const override;

    // ---- events by hand (event_entry.cpp, multi_event.cpp) --------------------------------------
    // The New Event dialog for the animal, preset with each text that is not null and the event of
    // code unless -1. On OK a new event owned by the animal (not yet among its events: the caller
    // adds it), the animal stamped Edited and the document modified; null when cancelled.
    CRefPtr<CEvent> AddEventWithDialog(CSheep* sheep, const char16_t* p1, const char16_t* p2,
                                       const char16_t* p3, int code);
    // The multiple-event wizard for the named animals, listing the events whose first parameter has
    // the type (-1: every event); on Finish the events are added to the animals.
    void RunMultiEventWizard(const std::vector<WString>& names, int32_t typeFilter);

    // ---- addresses edited by the user (sheep_doc_addresses.cpp) --------------------------------
    // Parents are window handles of the program. The key under which the address object is filed
    // (its display name may differ after a rename that was not carried over); false when none.
    bool FindAddressKey(const CAddress* address, WString* key) const;
    // A new address: its kind asked when an address book is installed, edited, filed under its
    // display name (question 123 before replacing one) and hint 40 sent. Null when cancelled or
    // when the user kept the address already filed there.
    CAddress* NewAddress(long parentHandle, CDocView* sender);
    // The same for a local address whose display name starts as name, without asking the kind.
    CAddress* NewLocalAddress(long parentHandle, const WString& name, CDocView* sender);
    CAddress* NewLocalAddress(long windowHandle, const WString& name) override {
        return NewLocalAddress(windowHandle, name, nullptr);
    }
    // The address's own edit; on OK, when askRename and its display name changed, question 55
    // decides whether the address moves to its new name and the events follow (56 tells how many
    // changed); then hint 32 with the address. False unless the edit ended with OK.
    bool EditAddress(CAddress* address, long parentHandle, CDocView* sender, bool askRename);
    // Removes the address object from the map, whatever its display name; false when not filed.
    bool DeleteAddressObject(const CAddress* address);
    // After the address book changed: every address-book address whose entry now has another name
    // moves to it (not onto another address's name) and the events' first parameters follow; the
    // document is marked modified when anything moved; the views are told (hint 96).
    void RefreshMAPIAddresses();

    // ---- XML exchange (sheep_doc_xml.cpp) --------------------------------------------------------
    // The whole exchange file of the animals that pass the criteria (the XML property's get).
    std::string GetXMLText();
    // File Import of an exchange file: checked completely (namespace, schema, the breed plug-in's
    // validator) before anything is read; true when the whole file was read in. Failures are shown.
    bool ImportXML(const std::string& path);
    // Reads exchange text or a web reply (mode 2); false, with the failure shown, when the parse
    // failed. The XML property's put adds "Failed to import file".
    bool ReadXMLText(std::string_view utf8);
    void PutXMLText(const WString& xml);
    // The web service's last reply, or null.
    CWebXMLResponse* GetLastWebResponse() const { return m_lastResponse.Get(); }

    // ---- web upload (web_upload.cpp) ---------------------------------------------------------------
    // Posts a form and reads the reply: the reply when it was read and its Status is 0, else null with
    // the reason shown.
    CWebXMLResponse* PostForm(CHttpConnection& connection, const std::string& url, const std::string& body);
    // What a transfer came to, with a failure shown; a reply that was read becomes the last one.
    CWebReplyOutcome TakeWebReply(const std::string& url, const CHttpReply& reply);
    // The login to the SheepSyncURL service: TRUE with the session key and the animals' address.
    BOOL WebSync(CHttpConnection& connection, const WString& user, const WString& password, int service,
                 WString& sessionKey, WString& redirect);

    bool OnResponseElement(CXmlReader& reader, const WString& name,
                           const CXMLAttributes& attributes) override;
    bool OnImportElement(CXmlReader& reader, const WString& name) override;
    // The hooks of the reading, one per finished top-level element; false stops it.
    bool ImportSheepElement(CXmlReader& reader, CRefPtr<CSheep> sheep);
    bool ImportFarmDetailElement(int32_t key, const WString& value);
    bool ImportAddressElement(CRefPtr<CAddress> address);
    bool ImportHeaderElement(CXmlReader& reader, const CXMLSheepDocHeader& header);
    // The views learn of the animals a reading brought in, and the last of them becomes current.
    void ShowLastImported();

    // ---- lifecycle -----------------------------------------------------------------------------
    // Empties the document before a new or opened flock fills it.
    virtual void DeleteContents();
    // Takes a flock read from a file with its stored ear-tag index and current index: the animals
    // become this document's, their EIDs are filed, a flock out of key order is re-sorted (stable)
    // and an index that does not match is rebuilt from the animals; a current index outside the
    // flock means none, any other becomes the only history entry.
    void AttachLoadedFlock(std::vector<CRefPtr<CSheep>> flock, std::vector<CEarTagHashEntry> earTags,
                           int currentIndex);
    // Files every animal's ear tag again, in flock order.
    void RebuildEarTagIndex();

    // ---- data file (sheep_doc_file.cpp) ---------------------------------------------------------
    // Writes the document's archive, or reads one into the emptied document: all of it, or nothing
    // when it is damaged (CArchiveException).
    void Serialize(CArchive& ar) override;
    // Opens a data file: false, with the reason shown and the document left empty, when the file
    // cannot be read or its breed plug-in is refused.
    bool OnOpenDocument(const std::string& path);
    // Stamps the summary information and saves safely; false, with the reason shown, when the file
    // on disk was kept as it was.
    bool OnSaveDocument(const std::string& path);
    void OnCloseDocument();
    const std::string& GetPathName() const { return m_file.m_path; }
    // Another program holds the file's lock: the document may be saved only under another name.
    bool IsReadOnly() const { return m_file.m_bReadOnly; }
    CDocumentFile& GetFile() { return m_file; }
    void SetShell(IDocumentShell* shell) { m_file.m_pShell = shell; }
    // The save's system calls (tests make them fail); null for the system's.
    void SetFileOps(IFileOps* ops) { m_file.m_pFileOps = ops; }

private:
    friend class CDroppedEIDReport;
    struct DroppedEID {
        WString tattoo;
        uint64_t eid;
        WString holder;
    };
    void TellDroppedEIDs();

    void InsertAt(int index, CSheep* sheep);
    void FileSheep(CSheep* sheep);
    // Out of the EID map and the ear-tag index; searchOthers: another animal holding the same EID
    // takes the map's entry.
    void UnfileSheep(const CSheep& sheep, bool searchOthers = true);
    void SetCurrent(int index);
    void RecordCurrent();
    void TakeArchive(CDocumentArchive&& loaded);
    void VerifyAddresses();

    std::vector<CDocView*> m_views;
    WString m_strTitle;
    bool m_bModified = false;

    std::vector<CRefPtr<CSheep>> m_flock;  // sorted by key without regard to case
    CEarTagIndex m_earTags;
    std::unordered_map<uint64_t, WString> m_eidMap;
    CSelectionHistory m_history;
    int m_nCurrent = -1;
    WString m_strCurrent;

    std::map<uint16_t, WString> m_farmDetails;
    CDocumentStores m_stores{this};
    CBreedPlugIn m_plugIn;
    IReportsMenuSite* m_pReportsSite = nullptr;
    CDocumentFile m_file;
    std::set<WString> m_importedAddresses;  // names taken in the current XML reading
    WString m_strLastImported;              // the key of the reading's last animal
    CRefPtr<CWebXMLResponse> m_lastResponse;
    std::vector<DroppedEID> m_droppedEIDs;
    int m_nEIDReports = 0;
};

// Animals filed while it is open that lose their EID are told of in one message when it closes:
// for paste, import and downloads, which file many animals at a time.
class CDroppedEIDReport {
public:
    explicit CDroppedEIDReport(CSheepDoc& doc) : m_doc(doc) { ++doc.m_nEIDReports; }
    ~CDroppedEIDReport();
    CDroppedEIDReport(const CDroppedEIDReport&) = delete;
    CDroppedEIDReport& operator=(const CDroppedEIDReport&) = delete;

private:
    CSheepDoc& m_doc;
};
