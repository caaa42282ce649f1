// What the download wizard decides before it touches the flock: the review of a downloaded
// equivalence table, the readings of a control table turned into events, the weight units, and
// the apply step. No windows here; the pages show what these give and the tests drive them alone.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/text.h"

// What the download needs of the flock. The program's document answers through its automation
// interfaces (wyndrace/dual_flock.h); tests use a small fake.
class IDownloadFlock {
public:
    virtual ~IDownloadFlock() = default;
    // The EID (0 when it has none) of the animal with exactly this tattoo.
    virtual std::optional<uint64_t> FindByTattoo(const WString& tattoo) = 0;
    // The tattoo of the animal carrying this EID.
    virtual std::optional<WString> FindByEid(uint64_t eid) = 0;
    virtual bool SetEid(const WString& tattoo, uint64_t eid) = 0;
    // A new animal (sex 0 ewe, 1 ram); false when none was made.
    virtual bool AddSheep(const WString& tattoo, int sex) = 0;
    // One event of the code on the animal; date as the automation DATE.
    virtual bool AddEvent(const WString& tattoo, double date, const WString& code,
                          const std::vector<WString>& parameters) = 0;
};

// One event code of the breed as the control-data pages offer it.
struct CEventCodeInfo {
    WString name;
    std::vector<WString> parameters;  // parameter names
    std::vector<long> types;          // per parameter: 1 a weight, 2 an address code, others plain
};
constexpr long kParameterWeight = 1;
constexpr long kParameterAddress = 2;

// What the download pages read of the document besides the flock.
class IDownloadDocument : public IDownloadFlock {
public:
    // The breed's codes that may take readings (type bit 0 clear); none without a breed.
    virtual std::vector<CEventCodeInfo> EventCodes() = 0;
    // Empty without a breed.
    virtual WString BreedName() = 0;
    // True when there is no breed to ask.
    virtual bool IsStandardTattoo(const WString& tattoo) = 0;
    // Tattoos of the animals without an EID, in the flock's order.
    virtual std::vector<WString> TattoosWithoutEid() = 0;
    virtual bool AddressExists(const WString& code) = 0;
    // The document's dialog for a new address with the code preset; the new code, or nothing.
    virtual std::optional<WString> AddAddress(long window, const WString& code) = 0;
    virtual int DecimalPrecision() = 0;
};

// ---- equivalence table ----------------------------------------------------------------------------

// "[EA", 22 digits, "|", a tattoo without "]" or "|", "]": the form the upload writes. False for
// anything else, an EID that does not fit in 64 bits, or an empty tattoo.
bool ParseEquivalenceRecord(WStringView record, uint64_t& eid, WString& tattoo);

enum ReviewKind { kReviewNothing = 0, kReviewNoEid = 1, kReviewOtherEid = 2, kReviewNoAnimal = 3 };
enum ReviewImage { kImageNothing = 0, kImageConfirmed = 1, kImageDeclined = 2, kImageQuestion = 3 };

struct CNewSheep {
    uint64_t eid = 0;
    int sex = 0;         // 0 ewe, 1 ram
    bool skip = false;   // the user chose not to create it
};

// Everything the pages decide; written to the flock only by ApplyDownload.
struct CDownloadDecisions {
    std::map<int, int> rowKinds;                   // received record index -> ReviewKind
    std::map<WString, uint64_t> eidsToSet;         // tattoo -> EID; 0 records a refusal
    std::map<WString, CNewSheep> sheepToCreate;    // tattoo -> new animal
    std::map<int, WString> decidedTattoo;          // record index -> tattoo its decision is kept under
};

struct CReviewRow {
    int record = 0;  // index in the received records
    uint64_t eid = 0;
    WString tattoo;  // the tattoo shown: the one the decision is kept under
    int kind = kReviewNothing;
    int image = kImageNothing;
};

class CReviewModel {
public:
    // Rebuilds the rows from the received records; the decisions made so far are kept.
    void Build(const std::vector<WString>& records, IDownloadFlock& flock, CDownloadDecisions& decisions,
               bool onlyErrors);

    const std::vector<CReviewRow>& Rows() const { return m_rows; }
    int OpenQuestions() const { return m_open; }
    // Received records that were not equivalence records, the reader's closing record aside.
    int Unreadable() const { return m_unreadable; }

    // Kinds 1 and 2: Yes (true) keeps the EID for the tattoo, No (false) a refusal.
    void AnswerEid(size_t row, bool yes, CDownloadDecisions& decisions);
    // Kind 3: a new animal under `tattoo` (the user may have changed it), or skipped (nullopt). A
    // tattoo the flock already has gives that animal the EID instead of replacing it.
    void AnswerNewSheep(size_t row, const std::optional<CNewSheep>& sheep, const WString& tattoo,
                        IDownloadFlock& flock, CDownloadDecisions& decisions);
    // The sex of an earlier decision to create the row's animal; -1 when there is none.
    int EarlierSex(size_t row, const CDownloadDecisions& decisions) const;

private:
    void Settle(size_t row, int image, const WString& tattoo, CDownloadDecisions& decisions);

    std::vector<CReviewRow> m_rows;
    int m_open = 0;
    int m_unreadable = 0;
};

// ---- control table --------------------------------------------------------------------------------

struct CControlEvent {
    WString tattoo;  // empty when the reading carries none and it is not resolved yet
    uint64_t eid = 0;
    double when = 0;        // automation DATE
    bool whenValid = false;  // false when the date or the time does not exist
    std::vector<WString> values;
    std::vector<WString> mapped;  // one per event parameter
};

// The received records that are readings ("A" after the bracket), in order; others make none.
std::vector<CControlEvent> BuildControlEvents(const std::vector<WString>& records);

// Entry k of the mapping is the index of the reading's value for parameter k, or -1 (set by hand).
void MapParameters(std::vector<CControlEvent>& events, const std::vector<int>& mapping);

// The user's answer for an EID that no animal has: a tattoo and whether to create it.
struct CEidDecision {
    WString tattoo;
    bool create = false;
    int sex = 0;
};
using EidDecider = std::function<std::optional<CEidDecision>(uint64_t eid)>;

// Readings without a tattoo take the tattoo of the animal with their EID; the others are decided by
// `decide`, once per EID. A decision that would give an animal a second EID (from the flock or from
// this download) is refused: `refused` is told and the EID is asked again. False when the user cancelled one (the rest are still asked).
bool ResolveTattoos(std::vector<CControlEvent>& events, IDownloadFlock& flock, CDownloadDecisions& decisions,
                    const EidDecider& decide,
                    const std::function<void(const WString& tattoo, uint64_t eid)>& refused = {});

// The other EID already bound to the tattoo by a decision of this download, if any.
std::optional<uint64_t> ConflictingEid(const CDownloadDecisions& decisions, const WString& tattoo, uint64_t eid);

// ---- weights --------------------------------------------------------------------------------------

enum class WeightUnit { None, Kg, Lb };
constexpr double kPoundsPerKilogram = 2.12;

double WeightFactor(WeightUnit from, WeightUnit to);

// Converts every cell by the factor with `decimals` decimals. All or nothing: the index of the first
// cell that is not a number, nothing changed; -1 when all were converted.
int ConvertWeights(std::vector<WString>& cells, double factor, int decimals);

// The weight as the flock keeps it (pounds, 2.12 to the kilogram) from a value shown in `unit`,
// "%.4g"; the text unchanged when it is no number or already in pounds.
WString WeightForFlock(const WString& shown, WeightUnit unit);

// The first reading whose date or time does not exist; -1 when all have one.
int FirstUndatedEvent(const std::vector<CControlEvent>& events);

// ---- apply ------------------------------------------------------------------------------------------

struct CApplyControl {
    WString eventCode;
    int weightParameter = -1;  // index of the weight among the parameters, -1 without one
    WeightUnit shownUnit = WeightUnit::None;
};

// Writes the decisions and the readings to the flock. `progress` is told each tattoo of the two maps;
// `stop` is asked after each one. False when stopped.
bool ApplyDownload(IDownloadFlock& flock, const CDownloadDecisions& decisions,
                   const std::vector<CControlEvent>& events, const CApplyControl& control,
                   const std::function<void(const WString& tattoo)>& progress = {},
                   const std::function<bool()>& stop = {});

// What the download wizard's pages hand on to each other.
struct CDownloadState {
    int mode = 1;  // 1 the equivalence table, 2 the control table
    std::vector<WString> received;
    // Where the records are when another page keeps them (the transfer page's sheet).
    const std::vector<WString>* source = nullptr;
    const std::vector<WString>& Received() const { return source ? *source : received; }
    CDownloadDecisions decisions;
    std::vector<int> mapping;
    std::vector<CControlEvent> events;
    std::vector<WString> parameterNames;
    std::vector<long> parameterTypes;
    CApplyControl control;
    // The reading lists' order, shared by the pages that show them: -1 the order received.
    int sortColumn = -1;
    bool sortAscending = true;
    bool applied = false;  // the flock was changed
};
