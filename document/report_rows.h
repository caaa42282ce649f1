// The rows of the four reports of a flock for one year (tupping, lambing, movement book, the events
// of one address), their cell texts, orderings and the copy block: everything of the report list
// that needs no window, so that it is tested headless.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/object.h"
#include "platform/oledate.h"
#include "platform/text.h"

class CSheep;
class CSheepDoc;
class CEweLambingData;

// Report types.
constexpr int REPORT_TUPPING = 0;
constexpr int REPORT_LAMBING = 1;
constexpr int REPORT_MOVEMENTS = 2;
constexpr int REPORT_ADDRESS_EVENTS = 3;

// Report column kinds start here; smaller kinds are fields of the animal.
constexpr unsigned KIND_REPORT_FIRST = 100;

// Kinds of movement ("Purchased" .. "Transferred"); -1 none, shown empty.
enum CMovementKind : int32_t {
    MOVE_NONE = -1,
    MOVE_PURCHASED = 0,
    MOVE_SOLD = 1,
    MOVE_DIED = 2,
    MOVE_KILLED = 3,
    MOVE_BORN = 4,
    MOVE_MOVED_ON = 5,
    MOVE_MOVED_OFF = 6,
    MOVE_TRANSFERRED = 7,
};
// Classes of a movement row; -1 none, shown empty.
enum CMovementClass : int32_t {
    CLASS_NONE = -1,
    CLASS_LAMB = 0,
    CLASS_EWE = 1,
    CLASS_EWE_LAMB = 2,
    CLASS_OTHERS = 3,
};
// The three counts of the book: ewes, ewe lambs, rams and lambs.
constexpr int COUNT_EWES = 0;
constexpr int COUNT_EWE_LAMBS = 1;
constexpr int COUNT_RAMS_AND_LAMBS = 2;

const char16_t* GetMovementKindLabel(int32_t kind);
const char16_t* GetMovementClassLabel(int32_t cls);

// One row of the movement book; the opening row has no kind, no class and signed count 0.
class CMovementRow : public CObject {
public:
    COleDateTime m_dtDate;
    int32_t m_nKind = MOVE_NONE;
    WString m_strFirst;  // the animal's tattoo
    int32_t m_nSigned = 0;
    int32_t m_nClass = CLASS_NONE;
    WString m_strSecond;  // the address the event names
    // The stock in each count after this row's movement.
    std::array<int32_t, 3> m_counts{0, 0, 0};
};

// One event that names an address: the animal and the event's place in its date-sorted events.
class CEventRow : public CObject {
public:
    CEventRow(CSheep* sheep, int index);
    CSheep* GetSheep() const { return m_sheep.Get(); }
    int GetIndex() const { return m_nIndex; }

private:
    CRefPtr<CSheep> m_sheep;
    int m_nIndex;
};

// Whether an animal was born on the farm (the breed plug-in's answer); asked at most once per animal.
using CBornOnFarm = std::function<bool(const CSheep&)>;
// The display name of an address key, or the key itself when no address is filed under it.
using CAddressName = std::function<WString(const WString&)>;

// The movement book of a year: the opening row first, then the movements sorted by date, kind and
// tattoo, each with the stock after it. Every animal present is in one count by one rule (see the
// source); rows move an animal only out of the count it is in.
std::vector<CRefPtr<CMovementRow>> BuildMovementBook(const CSheepDoc& doc, int year,
                                                     const CBornOnFarm& bornOnFarm,
                                                     const CAddressName& addressName);
// The same with the document's plug-in and addresses.
std::vector<CRefPtr<CMovementRow>> BuildMovementBook(const CSheepDoc& doc, int year);

// The rams with a tupping record in the year, in document order.
std::vector<CSheep*> FindTuppingRams(const CSheepDoc& doc, int year);
// The ewes those rams served, each once, with the place of the last ram of the list that served
// her; tattoos that name no animal give no row.
struct CTuppedEwe {
    CSheep* ewe;
    int32_t ram;
};
std::vector<CTuppedEwe> FindTuppedEwes(const CSheepDoc& doc, int year);
// The ewes with a lambing record in the year, in document order.
std::vector<CSheep*> FindLambingEwes(const CSheepDoc& doc, int year);
// The events naming the address (codes 0, 1, 19, 20, 21, first parameter equal without regard to
// case), in document order and date order.
std::vector<CRefPtr<CEventRow>> FindAddressEvents(const CSheepDoc& doc, const WString& address);

// Cell texts of the report kinds (100 and up). Kinds the report does not define give an empty text.
// unitFlag: the weight unit flag handed to the measurement format.
WString GetLambingCellText(const CSheep& ewe, int year, unsigned kind, const int32_t* unitFlag);
WString GetMovementCellText(const CMovementRow& row, unsigned kind);
WString GetEventCellText(const CEventRow& row, unsigned kind);

// Orderings of two rows of a report for a sort kind (ascending; the caller reverses). 0 when the
// kind gives no order.
int CompareLambingRows(const CSheep& a, const CSheep& b, int year, unsigned kind, const int32_t* unitFlag);
int CompareEventRows(const CEventRow& a, const CEventRow& b, unsigned kind);
int CompareMovementDates(const CMovementRow& a, const CMovementRow& b);

// The plain-text copy block: each cell (at most 500 characters) in the 8-bit code page and a tab,
// CR LF after each row, one closing NUL.
std::string BuildReportCopyText(const std::vector<std::vector<WString>>& rows);
constexpr size_t kReportCopyCellLimit = 500;
