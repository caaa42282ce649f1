#include "document/report_rows.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "document/sheep_doc.h"
#include "records/app_services.h"
#include "records/event.h"
#include "records/lambing.h"
#include "records/sheep.h"
#include "records/tupping.h"

namespace {

constexpr uint32_t EVENT_WEANED_A = 3;
constexpr uint32_t EVENT_WEANED_B = 6;
constexpr uint32_t EVENT_LAMBED = 10;
constexpr uint32_t EVENT_MOVED_ON = 19;
constexpr uint32_t EVENT_MOVED_OFF = 20;
constexpr int kYoungDays = 365;

// Chronological day count of a stored date; events without a valid date come before every year.
double Chrono(const COleDateTime& date) {
    if (date.GetStatus() != COleDateTime::valid) return -std::numeric_limits<double>::infinity();
    return COleDateTime::DoubleFromDate(date.m_dt);
}

COleDateTime DateOfDay(double day) {
    return COleDateTime(COleDateTime::DateFromDouble(day));
}

double YearStart(int year) {
    return Chrono(COleDateTime(year, 1, 1, 0, 0, 0));
}

// Where an animal stands in its life. A ram is always in the rams' count; any other animal starts
// as a lamb (rams' and lambs' count), may become a ewe lamb (weaned, or moved on while young), and
// is a ewe from its first lambing or its 365th day on. An animal without a date of birth is adult.
enum class CStage { Lamb, EweLamb, Adult };

int CountOf(bool ram, CStage stage) {
    if (ram) return COUNT_RAMS_AND_LAMBS;
    switch (stage) {
        case CStage::Lamb:
            return COUNT_RAMS_AND_LAMBS;
        case CStage::EweLamb:
            return COUNT_EWE_LAMBS;
        case CStage::Adult:
            break;
    }
    return COUNT_EWES;
}

int32_t MovementKindOf(uint32_t code) {
    switch (code) {
        case EVENT_PURCHASED:
            return MOVE_PURCHASED;
        case EVENT_SOLD:
            return MOVE_SOLD;
        case EVENT_DIED:
            return MOVE_DIED;
        case EVENT_KILLED:
            return MOVE_KILLED;
        case EVENT_BORN:
            return MOVE_BORN;
        case EVENT_MOVED_ON:
            return MOVE_MOVED_ON;
        case EVENT_MOVED_OFF:
            return MOVE_MOVED_OFF;
        case EVENT_WEANED_A:
        case EVENT_WEANED_B:
        case EVENT_LAMBED:
            return MOVE_TRANSFERRED;
        default:
            return MOVE_NONE;
    }
}

bool IsArrival(int32_t kind) {
    return kind == MOVE_PURCHASED || kind == MOVE_BORN || kind == MOVE_MOVED_ON;
}

// A point of an animal's life that may change its presence or its count.
struct CLifePoint {
    double when;
    int32_t kind;
    const CEvent* event;  // null for the 365th day
};

struct CBookBuilder {
    double start;
    double end;
    const CBornOnFarm& bornOnFarm;
    const CAddressName& addressName;
    std::array<int32_t, 3> opening{0, 0, 0};
    std::vector<CRefPtr<CMovementRow>> rows;
    std::vector<CLifePoint> points;

    void AddRow(const COleDateTime& date, int32_t kind, const CSheep& sheep, int32_t sign, int32_t cls,
                const CEvent* event, int from, int to) {
        auto row = CRefPtr<CMovementRow>::Adopt(new CMovementRow);
        row->m_dtDate = date;
        row->m_nKind = kind;
        row->m_strFirst = sheep.GetTattoo();
        row->m_nSigned = sign;
        row->m_nClass = cls;
        if (event && event->GetParameterTexts().size() > 0)
            row->m_strSecond = addressName(event->GetParameter(0));
        // Until the running totals, the counts hold the row's change.
        if (from >= 0) row->m_counts[size_t(from)] -= 1;
        if (to >= 0) row->m_counts[size_t(to)] += 1;
        rows.push_back(std::move(row));
    }

    void Walk(const CSheep& sheep) {
        const bool ram = sheep.GetSex() == SEX_RAM;
        const bool female = sheep.GetSex() == SEX_EWE;
        const COleDateTime& dob = sheep.GetDateofBirth();
        const bool hasBirth = dob.GetStatus() == COleDateTime::valid;
        const double birthDay = hasBirth ? std::floor(Chrono(dob)) : 0;
        auto young = [&](double when) { return hasBirth && std::floor(when) - birthDay < kYoungDays; };

        points.clear();
        for (int i = 0; i < sheep.GetEventCount(); ++i) {
            const CEvent* event = sheep.GetEventAt(i);
            const double when = Chrono(event->GetDate());
            if (when >= end) break;
            const int32_t kind = MovementKindOf(event->GetCode());
            if (kind != MOVE_NONE) points.push_back({when, kind, event});
        }
        if (points.empty()) return;
        if (!ram && hasBirth) points.push_back({birthDay + kYoungDays, MOVE_TRANSFERRED, nullptr});
        std::stable_sort(points.begin(), points.end(), [](const CLifePoint& a, const CLifePoint& b) {
            return a.when != b.when ? a.when < b.when : a.kind < b.kind;
        });

        bool present = false;
        bool openingCounted = false;
        int askedBorn = -1;
        CStage stage = hasBirth ? CStage::Lamb : CStage::Adult;
        for (const CLifePoint& p : points) {
            if (p.when >= end) break;
            const bool inYear = p.when >= start;
            if (inYear && !openingCounted) {
                openingCounted = true;
                if (present) ++opening[size_t(CountOf(ram, stage))];
            }
            if (p.kind == MOVE_TRANSFERRED) {
                CStage next = stage;
                if (!p.event) {
                    next = CStage::Adult;
                } else if (female && young(p.when)) {
                    const uint32_t code = p.event->GetCode();
                    if (code == EVENT_LAMBED)
                        next = CStage::Adult;
                    else if (stage == CStage::Lamb)
                        next = CStage::EweLamb;
                }
                const int from = CountOf(ram, stage);
                stage = next;
                const int to = CountOf(ram, stage);
                if (present && inYear && from != to)
                    AddRow(p.event ? p.event->GetDate() : DateOfDay(p.when), MOVE_TRANSFERRED, sheep, -1,
                           CLASS_EWE, nullptr, from, to);
                continue;
            }
            if (IsArrival(p.kind)) {
                if (present) continue;
                if (p.kind == MOVE_BORN) {
                    if (askedBorn < 0) askedBorn = bornOnFarm(sheep) ? 1 : 0;
                    if (!askedBorn) continue;
                }
                const bool isYoung = young(p.when);
                if (p.kind == MOVE_MOVED_ON && !ram && isYoung && stage == CStage::Lamb)
                    stage = CStage::EweLamb;
                present = true;
                if (!inYear) continue;
                int32_t cls = CLASS_EWE;
                if (ram)
                    cls = isYoung ? CLASS_LAMB : CLASS_OTHERS;
                else if (isYoung)
                    cls = p.kind == MOVE_MOVED_ON ? CLASS_NONE : CLASS_LAMB;
                AddRow(p.event->GetDate(), p.kind, sheep, +1, cls, p.event, -1, CountOf(ram, stage));
            } else {
                if (!present) continue;
                present = false;
                if (!inYear) continue;
                const int32_t cls = ram ? CLASS_OTHERS : young(p.when) ? CLASS_LAMB : CLASS_EWE;
                AddRow(p.event->GetDate(), p.kind, sheep, -1, cls, p.event, CountOf(ram, stage), -1);
            }
        }
        if (!openingCounted && present) ++opening[size_t(CountOf(ram, stage))];
    }
};

}  // namespace

const char16_t* GetMovementKindLabel(int32_t kind) {
    static constexpr const char16_t* kLabels[] = {u"Purchased", u"Sold",     u"Died",      u"Killed",
                                                  u"Born",      u"Moved On", u"Moved Off", u"Transferred"};
    return kind >= 0 && kind < 8 ? kLabels[kind] : u"";
}

const char16_t* GetMovementClassLabel(int32_t cls) {
    static constexpr const char16_t* kLabels[] = {u"Lamb", u"Ewe", u"Ewe Lamb", u"Others"};
    return cls >= 0 && cls < 4 ? kLabels[cls] : u"";
}

CEventRow::CEventRow(CSheep* sheep, int index) : m_sheep(sheep), m_nIndex(index) {}

std::vector<CRefPtr<CMovementRow>> BuildMovementBook(const CSheepDoc& doc, int year,
                                                     const CBornOnFarm& bornOnFarm,
                                                     const CAddressName& addressName) {
    CBookBuilder builder{YearStart(year), YearStart(year + 1), bornOnFarm, addressName, {}, {}, {}};
    auto opening = CRefPtr<CMovementRow>::Adopt(new CMovementRow);
    opening->m_dtDate = COleDateTime(year, 1, 1, 0, 0, 0);
    builder.rows.push_back(opening);
    for (int i = 0; i < doc.GetSheepCount(); ++i) builder.Walk(*doc.GetSheepAt(i));
    opening->m_counts = builder.opening;

    auto& rows = builder.rows;
    std::stable_sort(rows.begin() + 1, rows.end(),
                     [](const CRefPtr<CMovementRow>& a, const CRefPtr<CMovementRow>& b) {
                         const double da = Chrono(a->m_dtDate), db = Chrono(b->m_dtDate);
                         if (da != db) return da < db;
                         if (a->m_nKind != b->m_nKind) return a->m_nKind < b->m_nKind;
                         return CompareOrdinal(a->m_strFirst, b->m_strFirst) < 0;
                     });
    for (size_t i = 1; i < rows.size(); ++i)
        for (size_t c = 0; c < 3; ++c) rows[i]->m_counts[c] += rows[i - 1]->m_counts[c];
    return rows;
}

std::vector<CRefPtr<CMovementRow>> BuildMovementBook(const CSheepDoc& doc, int year) {
    return BuildMovementBook(
        doc, year, [](const CSheep& sheep) { return sheep.IsBornOnFarm(); },
        [&doc](const WString& key) {
            WString name;
            return doc.LookupAddress(key, &name) ? name : key;
        });
}

std::vector<CSheep*> FindTuppingRams(const CSheepDoc& doc, int year) {
    std::vector<CSheep*> rams;
    for (int i = 0; i < doc.GetSheepCount(); ++i) {
        CSheep* sheep = doc.GetSheepAt(i);
        if (sheep->GetSex() == SEX_RAM && sheep->FindTuppingByYear(year, nullptr)) rams.push_back(sheep);
    }
    return rams;
}

std::vector<CTuppedEwe> FindTuppedEwes(const CSheepDoc& doc, int year) {
    const std::vector<CSheep*> rams = FindTuppingRams(doc, year);
    // Keyed without regard to case, as the flock finds tattoos.
    struct NoCase {
        bool operator()(const WString& a, const WString& b) const { return CompareNoCase(a, b) < 0; }
    };
    std::map<WString, int32_t, NoCase> served;
    for (size_t i = 0; i < rams.size(); ++i) {
        const CRamLambingData* record = rams[i]->FindTuppingByYear(year, nullptr);
        for (const WString& ewe : record->GetEwes()) served[ewe] = int32_t(i);
    }
    std::vector<CTuppedEwe> ewes;
    for (const auto& [tattoo, ram] : served)
        if (CSheep* ewe = doc.FindSheep(tattoo)) ewes.push_back({ewe, ram});
    return ewes;
}

std::vector<CSheep*> FindLambingEwes(const CSheepDoc& doc, int year) {
    std::vector<CSheep*> ewes;
    for (int i = 0; i < doc.GetSheepCount(); ++i) {
        CSheep* sheep = doc.GetSheepAt(i);
        if (sheep->FindLambingByYear(year)) ewes.push_back(sheep);
    }
    return ewes;
}

std::vector<CRefPtr<CEventRow>> FindAddressEvents(const CSheepDoc& doc, const WString& address) {
    std::vector<CRefPtr<CEventRow>> rows;
    for (int i = 0; i < doc.GetSheepCount(); ++i) {
        CSheep* sheep = doc.GetSheepAt(i);
        for (int e = 0; e < sheep->GetEventCount(); ++e) {
            const CEvent* event = sheep->GetEventAt(e);
            switch (event->GetCode()) {
                case EVENT_SOLD:
                case EVENT_PURCHASED:
                case EVENT_MOVED_ON:
                case EVENT_MOVED_OFF:
                case EVENT_KILLED:
                    break;
                default:
                    continue;
            }
            const CPackedTexts& parameters = event->GetParameterTexts();
            if (parameters.size() > 0 && EqualsNoCase(parameters[0], address))
                rows.push_back(CRefPtr<CEventRow>::Adopt(new CEventRow(sheep, e)));
        }
    }
    return rows;
}

namespace {

const CLambData* LambOf(const CEweLambingData* record, unsigned kind) {
    const int index = int(kind - 103) / 3;
    return record && index < record->GetLambCount() ? record->GetLambAt(index) : nullptr;
}

}  // namespace

WString GetLambingCellText(const CSheep& ewe, int year, unsigned kind, const int32_t* unitFlag) {
    const CEweLambingData* record = ewe.FindLambingByYear(year);
    if (!record) return {};
    switch (kind) {
        case 100:
            return record->GetTup();
        case 101:
            return record->GetDate().Format("%x");
        case 112:
            return IntToW(record->GetLambCount() + 1);
        default:
            break;
    }
    if (kind < 103 || kind > 111) return {};
    const CLambData* lamb = LambOf(record, kind);
    if (!lamb) return {};
    switch ((kind - 103) % 3) {
        case 0:
            return lamb->GetSex() == 1 ? u"M" : u"F";
        case 1:
            return CSheepAppServices::Get().FormatMeasurement(unitFlag, lamb->GetBirthWeight());
        default:
            return lamb->GetTattoo();
    }
}

WString GetMovementCellText(const CMovementRow& row, unsigned kind) {
    switch (kind) {
        case 100:
            return row.m_dtDate.Format("%x");
        case 101:
            return GetMovementKindLabel(row.m_nKind);
        case 102:
            return IntToW(std::abs(row.m_nSigned));
        case 103:
            return GetMovementClassLabel(row.m_nClass);
        case 104:
            return row.m_strFirst;
        case 105:
            return row.m_strSecond;
        case 106:
        case 107:
        case 108:
            return IntToW(row.m_counts[kind - 106]);
        case 109:
            return IntToW(row.m_counts[0] + row.m_counts[1] + row.m_counts[2]);
        default:
            return {};
    }
}

WString GetEventCellText(const CEventRow& row, unsigned kind) {
    const CSheep* sheep = row.GetSheep();
    if (!sheep || row.GetIndex() >= sheep->GetEventCount()) return {};
    const CEvent* event = sheep->GetEventAt(row.GetIndex());
    switch (kind) {
        case 100:
            return event->GetDate().Format("%x");
        case 101:
            return sheep->GetTattoo();
        case 102:
            return event->GetEventName();
        case 103:
            return event->GetParameter(1);
        default:
            return sheep->GetFieldText(kind);
    }
}

int CompareLambingRows(const CSheep& a, const CSheep& b, int year, unsigned kind, const int32_t* unitFlag) {
    if (kind == 100 || (kind >= 103 && kind <= 111))
        return CompareNoCase(GetLambingCellText(a, year, kind, unitFlag),
                             GetLambingCellText(b, year, kind, unitFlag));
    const CEweLambingData* ra = a.FindLambingByYear(year);
    const CEweLambingData* rb = b.FindLambingByYear(year);
    if (kind == 101)
        return CompareDates(ra ? ra->GetDate() : COleDateTime::Null(),
                            rb ? rb->GetDate() : COleDateTime::Null());
    if (kind == 112) {
        const int na = ra ? ra->GetLambCount() : -1, nb = rb ? rb->GetLambCount() : -1;
        return na < nb ? -1 : na > nb ? 1 : 0;
    }
    if (kind == 102) return 0;
    return a.CompareField(&b, kind, true);
}

int CompareEventRows(const CEventRow& a, const CEventRow& b, unsigned kind) {
    switch (kind) {
        case 100: {
            const CSheep* sa = a.GetSheep();
            const CSheep* sb = b.GetSheep();
            return CompareDates(sa->GetEventAt(a.GetIndex())->GetDate(),
                                sb->GetEventAt(b.GetIndex())->GetDate());
        }
        case 101:
        case 102:
        case 103:
            return CompareNoCase(GetEventCellText(a, kind), GetEventCellText(b, kind));
        default:
            return a.GetSheep()->CompareField(b.GetSheep(), kind, true);
    }
}

int CompareMovementDates(const CMovementRow& a, const CMovementRow& b) {
    return CompareDates(a.m_dtDate, b.m_dtDate);
}

std::string BuildReportCopyText(const std::vector<std::vector<WString>>& rows) {
    std::string out;
    for (const auto& row : rows) {
        for (const WString& cell : row) {
            out += WToAnsi(WStringView(cell).substr(0, kReportCopyCellLimit));
            out += '\t';
        }
        out += "\r\n";
    }
    out += '\0';
    return out;
}
