// One animal of the flock: its identifiers, parentage, dates, figures, flags, genotype, its events
// in date order and its pictures. The document owns every animal.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/automation/automation.h"
#include "platform/object.h"
#include "records/event.h"
#include "records/lambing.h"
#include "records/sheep_automation.h"
#include "records/sheep_storage.h"
#include "records/tupping.h"
#include "records/xml_object.h"

class IFlockDocument;
class CEweLambingData;
class CRamLambingData;
class CCriteria;

// Field identifiers of GetFieldText, CompareField and SetFieldValue.
enum SheepField : unsigned {
    SF_KEY = 0,
    SF_TATTOO = 1,
    SF_EARTAG_NUMBER = 2,
    SF_EARTAG_COLOUR = 3,
    SF_DATE_OF_BIRTH = 4,
    SF_DATE_OF_PURCHASE = 5,
    SF_DATE_OF_DEPART = 6,
    SF_DEPART_REASON = 7,
    SF_SEX = 8,
    SF_ONE_OF = 9,
    SF_SIRE = 10,
    SF_DAM = 11,
    SF_NAME = 12,
    SF_COMMENTS = 15,
    SF_LEAN_INDEX = 16,
    SF_AWT = 28,
    SF_ELECTRONIC_ID = 29,
    SF_GENETIC_SCRAPIE = 30,
    SF_FLAG_FIRST = 31,
    SF_FLAG_LAST = 38,
};

constexpr int32_t DEPART_NONE = -1;
constexpr int32_t DEPART_SOLD = 0;
constexpr int32_t DEPART_DIED = 1;
constexpr int32_t DEPART_KILLED = 2;
constexpr int32_t SEX_EWE = 0;
constexpr int32_t SEX_RAM = 1;
constexpr int32_t SCRAPIE_UNKNOWN = 127;

// The 13 Signet figures in the order the record declares them.
enum SignetFigure : int {
    FIG_LEAN_INDEX,
    FIG_EIGHT_WEEK_WEIGHT_EBV,
    FIG_LITTER_EBV,
    FIG_MATURE_EBV,
    FIG_MATERNAL_EBV,
    FIG_MUSCLE_DEPTH_EBV,
    FIG_SCAN_WEIGHT_EBV,
    FIG_FAT_DEPTH_EBV,
    FIG_MATERNAL_ACTUAL,
    FIG_MUSCLE_DEPTH_ACTUAL,
    FIG_SCAN_WEIGHT_ACTUAL,
    FIG_FAT_DEPTH_ACTUAL,
    FIG_AWT,
    FIG_COUNT
};

// A scrapie allele's text (1 "ARR" .. 5 "VRQ"); false for any other number.
bool ScrapieAlleleToText(int allele, WString& text);
// The allele of a text, without regard to case; 0 for any other text.
int ScrapieAlleleFromText(WStringView text);
// A genotype's place in the sort order (ARR/ARR first, unknown last); codes outside the table
// go after unknown, in code order.
int ScrapieRank(int32_t code);

class CSheep : public CSheepAutomation {
    DECLARE_SERIAL(CSheep)
public:
    CSheep();
    CSheep(const char16_t* tattoo, int32_t sex, IFlockDocument* doc);
    ~CSheep() override;
    CSheep(const CSheep&) = delete;
    CSheep& operator=(const CSheep&) = delete;

    // The owner; also made the owner of every event.
    void SetDocument(IFlockDocument* doc);
    IFlockDocument* GetDocument() const { return m_pDocument; }

    // ---- fields -------------------------------------------------------------------------------
    const WString& GetTattoo() const { return m_strTattoo; }
    // The key. The document keeps its flock, ear-tag index and EID map by key, so an animal in a
    // document refuses a tattoo naming another key (false); a change of case only is taken and the
    // EID map follows it.
    bool SetTattoo(const WString& tattoo);
    uint64_t GetElectronicID() const { return m_nElectronicID; }
    const WString& GetSire() const { return m_strSire; }
    const WString& GetDam() const { return m_strDam; }
    const WString& GetName() const { return m_strName; }
    const WString& GetComments() const { return m_strComments; }
    const COleDateTime& GetDateofBirth() const { return m_dtDateofBirth; }
    const COleDateTime& GetDateofPurchase() const { return m_dtDateofPurchase; }
    const COleDateTime& GetDateofDepart() const { return m_dtDateofDepart; }
    int32_t GetDepartReason() const { return m_nDepartReason; }
    int32_t GetSex() const { return m_nSex; }
    int32_t GetOneOf() const { return m_nOneOf; }
    int32_t GetGeneticScrapie() const { return m_nGeneticScrapie; }
    const WString& GetEartagColour() const { return m_strEartagColour; }
    const WString& GetEartagNumber() const { return m_strEartagNumber; }
    double GetFigure(SignetFigure figure) const { return m_figures[figure]; }
    uint32_t GetFlags() const { return m_nFlags; }
    const COleDateTime& GetEdited() const { return m_dtEdited; }

    // Setters stamp Edited (local time) first and then store, all but SetFlags.
    void SetName(const WString& v);
    void SetSex(int32_t v);
    void SetOneOf(int32_t v);
    // In a document, the ear tag is stored by re-filing the animal in its ear-tag index.
    void SetEartagColour(const WString& v);
    void SetEartagNumber(const WString& v);
    void SetSire(const WString& v);
    void SetDam(const WString& v);
    void SetComments(const WString& v);
    void SetFigure(SignetFigure figure, double v);
    void SetGeneticScrapie(int32_t v);
    // In a document, the EID map follows (the old EID's entry goes when it names this animal); an
    // EID that another animal of the flock holds stays filed under that animal.
    void SetElectronicID(uint64_t v);
    void SetFlags(uint32_t v) { m_nFlags = v; }
    // Stores without stamping or re-filing: for the document's ear-tag index and the readers.
    void StoreEarTag(const WString& colour, const WString& number);
    void StoreElectronicID(uint64_t v) { m_nElectronicID = v; }
    void StoreDateofBirth(const COleDateTime& date) { m_dtDateofBirth = date; }
    void SetEditedNow();
    void SetEdited(const COleDateTime& edited) { m_dtEdited = edited; }

    bool TestFlag(unsigned bit) const;
    void SetFlag(unsigned bit, bool on);

    // ---- field identifiers --------------------------------------------------------------------
    WString GetFieldText(const unsigned& id) const;
    int CompareField(const CSheep* other, unsigned id, bool ascending) const;
    // value points to the id's type: WString, COleDateTime, int32_t, double or uint64_t.
    bool SetFieldValue(const unsigned& id, const void* value);
    // Stores source's value of the field through SetFieldValue; false when nothing changed.
    bool CopyFieldFrom(const CSheep& source, unsigned id);

    // ---- events -------------------------------------------------------------------------------
    int GetEventCount() const { return static_cast<int>(m_events.size()); }
    // Outside the list: the invalid-argument exception (COleException E_INVALIDARG).
    CEvent* GetEventAt(int index) const;
    // The sorted insert; TRUE when the event was a system event. An event CanTakeEvent refuses is
    // refused with a dispatch error (E_INVALIDARG and the reason) before anything changes, and the
    // caller keeps its reference; otherwise the animal takes the caller's reference over.
    bool AddEvent(CEvent* event, bool stamp);
    bool InsertEventAt(int index, CEvent* event, bool stamp);
    // With deleteEvent false the caller takes over the animal's reference.
    void RemoveEventAt(int index, bool deleteEvent);
    void ReplaceEventAt(int index, CEvent* newEvent);
    CEvent* FindEvent(int& pos, uint32_t code, const COleDateTime* on, const COleDateTime* to) const;
    CEvent* FindFirstEvent(uint32_t code, const COleDateTime* on, const COleDateTime* to) const;
    CEvent* FindEventOnDate(uint32_t code, const COleDateTime& day, int& index) const;
    // False (with the reason in *why) for an event that the animal must not take: a re-tag
    // without its colour and number.
    static bool CanTakeEvent(const CEvent& event, WString* why = nullptr);

    // ---- genotype -----------------------------------------------------------------------------
    WString FormatScrapie() const;
    bool ParseScrapie(WStringView text);

    WString GetTagDescription() const;
    // FALSE without the plug-in's answer (no plug-in, or one without the export).
    bool IsBornOnFarm() const;
    // Whether the animal belongs to the selection (records/criteria.cpp).
    BOOL MatchesCriteria(const CCriteria& criteria) const;

    // ---- pictures -----------------------------------------------------------------------------
    const std::vector<WString>& FindImages();
    WString MakeImageName();
    // A picture just taken: appended to the list (which is filled first when it was not yet).
    void AddImage(const WString& path);
    // False for a tattoo that could name a file outside the image folders.
    bool HasSafeImageName() const;

    // ---- lambing and tupping records (records/sheep_storage.cpp) --------------------------------
    // A ewe's lambings and a ram's tuppings, in the order added; the animal holds one reference each.
    int GetLambingCount() const { return static_cast<int>(m_lambingRecords.size()); }
    int GetTuppingCount() const { return static_cast<int>(m_tuppingRecords.size()); }
    // Throw std::out_of_range outside the list.
    CEweLambingData* GetLambingAt(int index) const;
    CRamLambingData* GetTuppingAt(int index) const;
    void AddLambingRecord(CRefPtr<CEweLambingData> record);
    void AddTuppingRecord(CRefPtr<CRamLambingData> record);
    // At index (clamped to the list).
    void InsertLambingRecord(int index, CRefPtr<CEweLambingData> record);
    void InsertTuppingRecord(int index, CRefPtr<CRamLambingData> record);
    // Release the record and detach it from clients still holding it.
    void RemoveLambingAt(int index);
    void RemoveTuppingAt(int index);
    // The last lambing record whose date falls in year; null when none.
    CEweLambingData* FindLambingByYear(const int& year) const;
    // The lambing record created on the day of day (index set); a second one shows a message and
    // gives null with -1; none gives null with -1; without records index is left alone.
    CEweLambingData* FindLambingByCreatedDay(const COleDateTime& day, int& index) const;
    // The first tupping record whose DateIn falls in year (its index in *index when given).
    CRamLambingData* FindTuppingByYear(const int& year, int* index) const;

    // ---- stored forms (records/sheep_storage.cpp) ---------------------------------------------
    // The XML element form: the defaults, the handler's document, then Edited, Sex and Flags.
    CSheep(CXMLContentHandler* handler, const WString& elementName, const CXMLAttributes& attributes,
           bool* ok);
    void Serialize(CArchive& ar) override;
    // Its texts and record lists, their records, and what the records keep apart from themselves
    // (see PrefetchForStoring in archive.h).
    void PrefetchForStoring(int depth) const;
    // The Dedov element, UTF-8. Events whose code is excluded are left out; the address keys that
    // the events name are entered in addresses; with pictures, each picture's path is mapped to its
    // reference in an export's image folder.
    std::string WriteXML(const CExcludedCodes& excluded, CAddressKeySet& addresses,
                         std::map<WString, WString>* pictures);
    // The same appended to out, the events' names taken from names when given.
    void AppendXML(std::string& out, const CExcludedCodes& excluded, CAddressKeySet& addresses,
                   std::map<WString, WString>* pictures, CEventXmlNames* names);
    // The automation Xml text: the element with the setting's exclusions and no picture map.
    WString GetXml();
    bool OnStartChildElement(CXMLContentHandler* handler, const WString& name,
                             const CXMLAttributes& attributes) override;
    bool OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) override;

protected:
    void StampEdited();
    void ApplySystemEvent(const CEvent& event);
    void OnSystemEventRemoved(int index, const CEvent& event);
    void CallBreedEventHook(const char* exportName, CEvent* event);
    // A finished Event element: checked against the plug-in's parameter count, then added.
    bool AcceptReadEvent(CXMLContentHandler* handler, CRefPtr<CEvent> event);

    WString m_strTattoo;
    uint64_t m_nElectronicID = 0;
    WString m_strSire;
    WString m_strDam;
    WString m_strName;
    WString m_strComments;
    COleDateTime m_dtDateofBirth;
    COleDateTime m_dtDateofPurchase;
    COleDateTime m_dtDateofDepart;
    int32_t m_nDepartReason = DEPART_NONE;
    int32_t m_nSex = SEX_EWE;
    int32_t m_nOneOf = 0;
    int32_t m_nGeneticScrapie = SCRAPIE_UNKNOWN;
    WString m_strEartagColour;
    WString m_strEartagNumber;
    double m_figures[FIG_COUNT];
    uint32_t m_nFlags = 0;
    std::vector<CRefPtr<CEvent>> m_events;
    COwnedRecords<CRamLambingData> m_tuppingRecords;
    COwnedRecords<CEweLambingData> m_lambingRecords;
    COleDateTime m_dtEdited;
    IFlockDocument* m_pDocument = nullptr;
    std::vector<WString> m_images;
    bool m_bImagesLoaded = false;
    COleAppLock m_appLock;
};
