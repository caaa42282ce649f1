#include "records/sheep.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "abi/breed_abi.h"
#include "platform/host.h"
#include "platform/strings.h"
#include "records/app_services.h"
#include "records/electronic_id.h"
#include "records/flock_document.h"
#include "records/record_interfaces.h"
#include "records/scan.h"
#include "records/signet.h"

IMPLEMENT_SERIAL(CSheep, CXMLObject, VERSIONABLE_SCHEMA | 1)

namespace {

constexpr unsigned IDS_EID_IN_USE = 40;

const char16_t* const kAlleles[] = {u"ARR", u"AHQ", u"ARH", u"ARQ", u"VRQ"};

// Genotype order of the genotype column.
constexpr int32_t kScrapieOrder[] = {9, 10, 11, 12, 35, 34, 18, 27, 19, 36, 13, 21, 29, 37, 45, 127};
constexpr int kScrapieOrderSize = static_cast<int>(std::size(kScrapieOrder));

// Ids 16..28 -> the figure they show.
constexpr SignetFigure kFigureOfField[] = {FIG_LEAN_INDEX,
                                           FIG_EIGHT_WEEK_WEIGHT_EBV,
                                           FIG_FAT_DEPTH_EBV,
                                           FIG_LITTER_EBV,
                                           FIG_MATERNAL_EBV,
                                           FIG_MATURE_EBV,
                                           FIG_MUSCLE_DEPTH_EBV,
                                           FIG_SCAN_WEIGHT_EBV,
                                           FIG_MATERNAL_ACTUAL,
                                           FIG_SCAN_WEIGHT_ACTUAL,
                                           FIG_MUSCLE_DEPTH_ACTUAL,
                                           FIG_FAT_DEPTH_ACTUAL,
                                           FIG_AWT};

enum class FieldKind { None, Text, Date, Integer, Figure, Eid, Scrapie, Flag };

FieldKind KindOf(unsigned id) {
    switch (id) {
        case 1:
        case 2:
        case 3:
        case 10:
        case 11:
        case 12:
        case 15:
            return FieldKind::Text;
        case 4:
        case 5:
        case 6:
            return FieldKind::Date;
        case 7:
        case 8:
        case 9:
            return FieldKind::Integer;
        case 29:
            return FieldKind::Eid;
        case 30:
            return FieldKind::Scrapie;
        default:
            if (id >= 16 && id <= 28) return FieldKind::Figure;
            if (id >= SF_FLAG_FIRST && id <= SF_FLAG_LAST) return FieldKind::Flag;
            return FieldKind::None;
    }
}

int Sign(long long v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

// Missing figures sort after every entered one; two missing figures are equal.
int CompareFigures(double a, double b) {
    const bool na = std::isnan(a), nb = std::isnan(b);
    if (na || nb) return na == nb ? 0 : (na ? 1 : -1);
    return a == b ? 0 : (a < b ? -1 : 1);
}

// Dates that SetFieldValue counts as different: statuses differ, both invalid, or both valid apart.
bool DatesDiffer(const COleDateTime& a, const COleDateTime& b) {
    if (a.GetStatus() != b.GetStatus()) return true;
    if (a.GetStatus() == COleDateTime::invalid) return true;
    return a.GetStatus() == COleDateTime::valid && a.m_dt != b.m_dt;
}

WString FormatDate(const COleDateTime& date) {
    return date.Format("%x");
}

}  // namespace

bool ScrapieAlleleToText(int allele, WString& text) {
    if (allele < 1 || allele > 5) return false;
    text = kAlleles[allele - 1];
    return true;
}

int ScrapieAlleleFromText(WStringView text) {
    for (int i = 0; i < 5; ++i)
        if (EqualsNoCase(text, kAlleles[i])) return i + 1;
    return 0;
}

int ScrapieRank(int32_t code) {
    for (int i = 0; i < kScrapieOrderSize; ++i)
        if (kScrapieOrder[i] == code) return i;
    return kScrapieOrderSize;
}

// ---- construction ----------------------------------------------------------------------------

CSheep::CSheep()
    : m_dtDateofBirth(COleDateTime::Null()),
      m_dtDateofPurchase(COleDateTime::Null()),
      m_dtDateofDepart(COleDateTime::Null()),
      m_dtEdited(COleDateTime::GetCurrentTime()) {
    EnableAutomation();
    for (double& f : m_figures) f = NotEnteredDouble();
}

CSheep::CSheep(const char16_t* tattoo, int32_t sex, IFlockDocument* doc) : CSheep() {
    if (tattoo) m_strTattoo = tattoo;
    m_nSex = sex;
    m_pDocument = doc;
}

CSheep::~CSheep() {
    for (auto& event : m_events) {
        event->SetOwner(nullptr);
        event->MarkDetached();
    }
}

void CSheep::SetDocument(IFlockDocument* doc) {
    m_pDocument = doc;
    for (auto& event : m_events) event->SetOwner(this);
}

// ---- setters ---------------------------------------------------------------------------------

void CSheep::StampEdited() {
    m_dtEdited = COleDateTime::GetCurrentTime();
}

void CSheep::SetEditedNow() {
    m_dtEdited = COleDateTime::GetCurrentTimeUtc();
}

bool CSheep::SetTattoo(const WString& tattoo) {
    if (m_pDocument) {
        // A new key would leave the animal out of order and its entries under the old key.
        if (CompareNoCase(m_strTattoo, tattoo) != 0) return false;
        // The EID map names animals by their exact tattoo.
        WString holder;
        if (m_nElectronicID != 0 && m_pDocument->LookupTattooByEID(m_nElectronicID, &holder) &&
            EqualsNoCase(holder, m_strTattoo))
            m_pDocument->SetEIDTattoo(m_nElectronicID, tattoo);
    }
    m_strTattoo = tattoo;
    return true;
}

void CSheep::SetName(const WString& v) {
    StampEdited();
    m_strName = v;
}

void CSheep::SetSex(int32_t v) {
    StampEdited();
    m_nSex = v;
}

void CSheep::SetOneOf(int32_t v) {
    StampEdited();
    m_nOneOf = v;
}

void CSheep::StoreEarTag(const WString& colour, const WString& number) {
    m_strEartagColour = colour;
    m_strEartagNumber = number;
}

void CSheep::SetEartagColour(const WString& v) {
    StampEdited();
    if (m_pDocument)
        m_pDocument->UpdateEarTagIndex(this, v, m_strEartagNumber);
    else
        m_strEartagColour = v;
}

void CSheep::SetEartagNumber(const WString& v) {
    StampEdited();
    if (m_pDocument)
        m_pDocument->UpdateEarTagIndex(this, m_strEartagColour, v);
    else
        m_strEartagNumber = v;
}

void CSheep::SetSire(const WString& v) {
    StampEdited();
    m_strSire = v;
}

void CSheep::SetDam(const WString& v) {
    StampEdited();
    m_strDam = v;
}

void CSheep::SetComments(const WString& v) {
    StampEdited();
    m_strComments = v;
}

void CSheep::SetFigure(SignetFigure figure, double v) {
    StampEdited();
    m_figures[figure] = StoredFigure(v);
}

void CSheep::SetGeneticScrapie(int32_t v) {
    StampEdited();
    m_nGeneticScrapie = v;
}

void CSheep::SetElectronicID(uint64_t v) {
    StampEdited();
    if (m_pDocument && v != m_nElectronicID) {
        WString holder;
        if (m_nElectronicID != 0 && m_pDocument->LookupTattooByEID(m_nElectronicID, &holder) &&
            holder == m_strTattoo)
            m_pDocument->RemoveEID(m_nElectronicID);
        // An animal being made for the flock must not take the entry of one already in it: the
        // flock refuses the EID when the new animal is filed.
        const CSheep* other =
            v != 0 && m_pDocument->LookupTattooByEID(v, &holder) && !EqualsNoCase(holder, m_strTattoo)
                ? m_pDocument->FindSheep(holder)
                : nullptr;
        if (v != 0 && (other == nullptr || other->m_nElectronicID != v))
            m_pDocument->SetEIDTattoo(v, m_strTattoo);
    }
    m_nElectronicID = v;
}

bool CSheep::TestFlag(unsigned bit) const {
    return (m_nFlags >> (bit % 32)) & 1u;
}

void CSheep::SetFlag(unsigned bit, bool on) {
    const uint32_t mask = 1u << (bit % 32);
    m_nFlags = on ? (m_nFlags | mask) : (m_nFlags & ~mask);
}

// ---- field identifiers -----------------------------------------------------------------------

WString CSheep::GetFieldText(const unsigned& id) const {
    switch (id) {
        case 1:
            return m_strTattoo;
        case 2:
            return m_strEartagNumber;
        case 3:
            return m_strEartagColour;
        case 4:
            return FormatDate(m_dtDateofBirth);
        case 5:
            return FormatDate(m_dtDateofPurchase);
        case 6:
            return FormatDate(m_dtDateofDepart);
        case 7:
            switch (m_nDepartReason) {
                case DEPART_SOLD:
                    return u"Sold";
                case DEPART_DIED:
                    return u"Died";
                case DEPART_KILLED:
                    return u"Killed";
                default:
                    return WString();
            }
        case 8:
            switch (m_nSex) {
                case SEX_EWE:
                    return u"Ewe";
                case SEX_RAM:
                    return u"Ram";
                default:
                    return WString();
            }
        case 9:
            return m_nOneOf == 0 ? WString() : FormatW("%d", static_cast<int>(m_nOneOf));
        case 10:
            return m_strSire;
        case 11:
            return m_strDam;
        case 12:
            return m_strName;
        case 15:
            return m_strComments;
        case 29:
            return m_nElectronicID == 0 ? WString() : FormatElectronicID(m_nElectronicID);
        case 30:
            return FormatScrapie();
        default:
            if (id >= 16 && id <= 28) {
                const double v = m_figures[kFigureOfField[id - 16]];
                return std::isnan(v) ? WString() : DoubleToW(v, "%0.2f");
            }
            if (id >= SF_FLAG_FIRST && id <= SF_FLAG_LAST)
                return TestFlag(id - SF_FLAG_FIRST) ? u"Yes" : u"No";
            return WString();
    }
}

int CSheep::CompareField(const CSheep* other, unsigned id, bool ascending) const {
    int c = 0;
    const CSheep& b = *other;
    // Texts as the user reads them; the flock's own key order is not this one.
    switch (id) {
        case 0:
            c = CompareCollated(m_strTattoo, b.m_strTattoo);
            break;
        case 1:
            c = CompareCollated(m_strTattoo, b.m_strTattoo);
            break;
        case 2:
            c = CompareCollated(m_strEartagNumber, b.m_strEartagNumber);
            break;
        case 3:
            c = CompareCollated(m_strEartagColour, b.m_strEartagColour);
            break;
        case 4:
            c = CompareDates(m_dtDateofBirth, b.m_dtDateofBirth);
            break;
        case 5:
            c = CompareDates(m_dtDateofPurchase, b.m_dtDateofPurchase);
            break;
        case 6:
            c = CompareDates(m_dtDateofDepart, b.m_dtDateofDepart);
            break;
        case 7:
            c = Sign(static_cast<long long>(m_nDepartReason) - b.m_nDepartReason);
            break;
        case 8:
            c = Sign(static_cast<long long>(m_nSex) - b.m_nSex);
            break;
        case 9:
            c = Sign(static_cast<long long>(m_nOneOf) - b.m_nOneOf);
            break;
        case 10:
            c = CompareCollated(m_strSire, b.m_strSire);
            break;
        case 11:
            c = CompareCollated(m_strDam, b.m_strDam);
            break;
        case 12:
            c = CompareCollated(m_strName, b.m_strName);
            break;
        case 15:
            c = CompareCollated(m_strComments, b.m_strComments);
            break;
        case 29:
            c = m_nElectronicID == b.m_nElectronicID ? 0 : (m_nElectronicID < b.m_nElectronicID ? -1 : 1);
            break;
        case 30: {
            const int ra = ScrapieRank(m_nGeneticScrapie), rb = ScrapieRank(b.m_nGeneticScrapie);
            c = ra != rb ? (ra < rb ? -1 : 1)
                         : (ra == kScrapieOrderSize
                                ? Sign(static_cast<long long>(m_nGeneticScrapie) - b.m_nGeneticScrapie)
                                : 0);
            break;
        }
        default:
            if (id >= 16 && id <= 28) {
                const SignetFigure f = kFigureOfField[id - 16];
                c = CompareFigures(m_figures[f], b.m_figures[f]);
            } else if (id >= SF_FLAG_FIRST && id <= SF_FLAG_LAST) {
                c = Sign(static_cast<int>(TestFlag(id - SF_FLAG_FIRST)) -
                         static_cast<int>(b.TestFlag(id - SF_FLAG_FIRST)));
            }
            break;
    }
    return ascending ? c : -c;
}

bool CSheep::SetFieldValue(const unsigned& id, const void* value) {
    const unsigned field = id;
    switch (KindOf(field)) {
        case FieldKind::None:
            return false;
        case FieldKind::Text: {
            const WString& text = *static_cast<const WString*>(value);
            WString* target = nullptr;
            switch (field) {
                case 1:
                    target = &m_strTattoo;
                    break;
                case 2:
                    target = &m_strEartagNumber;
                    break;
                case 3:
                    target = &m_strEartagColour;
                    break;
                case 10:
                    target = &m_strSire;
                    break;
                case 11:
                    target = &m_strDam;
                    break;
                case 12:
                    target = &m_strName;
                    break;
                default:
                    target = &m_strComments;
                    break;
            }
            if (*target == text) return false;
            if (field == 1) {
                if (!SetTattoo(text)) return false;
            } else if (field == 2 && m_pDocument) {
                m_pDocument->UpdateEarTagIndex(this, m_strEartagColour, text);
            } else if (field == 3 && m_pDocument) {
                m_pDocument->UpdateEarTagIndex(this, text, m_strEartagNumber);
            } else {
                *target = text;
            }
            break;
        }
        case FieldKind::Date: {
            const COleDateTime& date = *static_cast<const COleDateTime*>(value);
            COleDateTime& target =
                field == 4 ? m_dtDateofBirth : (field == 5 ? m_dtDateofPurchase : m_dtDateofDepart);
            if (!DatesDiffer(target, date)) return false;
            target = date;
            break;
        }
        case FieldKind::Integer:
        case FieldKind::Scrapie: {
            const int32_t v = *static_cast<const int32_t*>(value);
            int32_t& target = field == 7   ? m_nDepartReason
                              : field == 8 ? m_nSex
                              : field == 9 ? m_nOneOf
                                           : m_nGeneticScrapie;
            if (target == v) return false;
            target = v;
            break;
        }
        case FieldKind::Figure: {
            const double v = *static_cast<const double*>(value);
            double& target = m_figures[kFigureOfField[field - 16]];
            if (v == target || (std::isnan(v) && std::isnan(target))) return false;
            target = StoredFigure(v);
            break;
        }
        case FieldKind::Flag: {
            const int32_t v = *static_cast<const int32_t*>(value);
            const unsigned bit = field - SF_FLAG_FIRST;
            if ((v != 0) == TestFlag(bit)) return false;
            SetFlag(bit, v != 0);
            break;
        }
        case FieldKind::Eid: {
            const uint64_t eid = *static_cast<const uint64_t*>(value);
            if (eid == m_nElectronicID) return true;
            if (m_pDocument) {
                WString holder;
                if (m_pDocument->LookupTattooByEID(eid, &holder) && holder != m_strTattoo) {
                    CvlMessage msg;
                    msg.stringId = IDS_EID_IN_USE;
                    msg.args = {holder};
                    WString text = LoadCvlString(IDS_EID_IN_USE);
                    if (const size_t p = text.find(u"%s"); p != WString::npos) text.replace(p, 2, holder);
                    msg.text = text;
                    msg.type = MB_OK;
                    msg.helpId = CvlPromptHelpId(IDS_EID_IN_USE);
                    CvlShowMessage(msg);
                    return false;
                }
                if (m_nElectronicID != 0) m_pDocument->RemoveEID(m_nElectronicID);
                if (eid != 0) m_pDocument->SetEIDTattoo(eid, m_strTattoo);
            }
            m_nElectronicID = eid;
            break;
        }
    }
    StampEdited();
    return true;
}

bool CSheep::CopyFieldFrom(const CSheep& source, unsigned id) {
    switch (KindOf(id)) {
        case FieldKind::None:
            return false;
        case FieldKind::Text: {
            const WString* v = id == 1    ? &source.m_strTattoo
                               : id == 2  ? &source.m_strEartagNumber
                               : id == 3  ? &source.m_strEartagColour
                               : id == 10 ? &source.m_strSire
                               : id == 11 ? &source.m_strDam
                               : id == 12 ? &source.m_strName
                                          : &source.m_strComments;
            return SetFieldValue(id, v);
        }
        case FieldKind::Date: {
            const COleDateTime& v =
                id == 4 ? source.m_dtDateofBirth : (id == 5 ? source.m_dtDateofPurchase : source.m_dtDateofDepart);
            return SetFieldValue(id, &v);
        }
        case FieldKind::Integer:
        case FieldKind::Scrapie: {
            const int32_t v = id == 7   ? source.m_nDepartReason
                              : id == 8 ? source.m_nSex
                              : id == 9 ? source.m_nOneOf
                                        : source.m_nGeneticScrapie;
            return SetFieldValue(id, &v);
        }
        case FieldKind::Figure: {
            const double v = source.m_figures[kFigureOfField[id - 16]];
            return SetFieldValue(id, &v);
        }
        case FieldKind::Flag: {
            const int32_t v = source.TestFlag(id - SF_FLAG_FIRST) ? 1 : 0;
            return SetFieldValue(id, &v);
        }
        case FieldKind::Eid: {
            const uint64_t v = source.m_nElectronicID;
            return v != m_nElectronicID && SetFieldValue(id, &v);
        }
    }
    return false;
}

// ---- genotype --------------------------------------------------------------------------------

WString CSheep::FormatScrapie() const {
    if (m_nGeneticScrapie == SCRAPIE_UNKNOWN) return WString();
    WString first, second;
    ScrapieAlleleToText((m_nGeneticScrapie >> 3), first);
    ScrapieAlleleToText(m_nGeneticScrapie & 7, second);
    return first + u"/" + second;
}

bool CSheep::ParseScrapie(WStringView text) {
    if (text.empty()) {
        m_nGeneticScrapie = SCRAPIE_UNKNOWN;
        return true;
    }
    if (text.find(u'/') != 3) return false;
    const int first = ScrapieAlleleFromText(text.substr(0, 3));
    const int second = ScrapieAlleleFromText(text.substr(4, 3));
    if (first && second) {
        m_nGeneticScrapie = (first << 3) | second;
        return true;
    }
    if (!first && !second) {
        m_nGeneticScrapie = SCRAPIE_UNKNOWN;
        return true;
    }
    return false;
}

WString CSheep::GetTagDescription() const {
    const WString colour = m_strEartagColour.empty() ? WString(u"-") : m_strEartagColour;
    const WString number = m_strEartagNumber.empty() ? WString(u"-") : m_strEartagNumber;
    return colour + u"\t" + number + u"\t(" + m_strTattoo + u")";
}

// ---- events ----------------------------------------------------------------------------------

CEvent* CSheep::GetEventAt(int index) const {
    if (index < 0 || index >= GetEventCount()) AfxThrowInvalidArgException();
    return m_events[static_cast<size_t>(index)].Get();
}

bool CSheep::CanTakeEvent(const CEvent& event, WString* why) {
    if (event.GetCode() == EVENT_RETAG && event.GetParameterTexts().size() < 2) {
        if (why) *why = u"An ear-tag event needs the ear-tag colour and number.";
        return false;
    }
    return true;
}

bool CSheep::AddEvent(CEvent* event, bool stamp) {
    WString why;
    if (!CanTakeEvent(*event, &why)) AfxThrowOleDispatchExceptionSc(E_INVALIDARG, why);
    event->SetOwner(this);
    int position = 0;
    if (!m_events.empty()) {
        // The search ends before the event is inserted (and any hook runs): one buffer serves all.
        thread_local CEvent::SortText text;
        text.made = false;
        // Events mostly come in their order (a file, a download, a new one today): one comparison
        // with the last settles those. Only between two dated or two undated events does the order
        // say where an event goes; an undated event compares after every dated one both ways.
        const CEvent& last = *m_events.back();
        if (event->GetDate().GetStatus() == last.GetDate().GetStatus() && event->Compare(last, text) != -1) {
            position = GetEventCount();
        } else {
            int low = 0, high = GetEventCount() - 1, middle = 0, c = 0;
            do {
                middle = (low + high) / 2;
                c = event->Compare(*m_events[static_cast<size_t>(middle)], text);
                if (c != -1) {
                    low = middle + 1;
                    if (c == 0) break;
                } else {
                    high = middle - 1;
                }
            } while (low <= high);
            position = c != -1 ? middle + 1 : middle;
        }
    }
    return InsertEventAt(position, event, stamp);
}

bool CSheep::InsertEventAt(int index, CEvent* event, bool stamp) {
    WString why;
    if (!CanTakeEvent(*event, &why)) AfxThrowOleDispatchExceptionSc(E_INVALIDARG, why);
    if (index < -1 || index > GetEventCount()) AfxThrowInvalidArgException();
    if (stamp) StampEdited();
    event->SetOwner(this);
    auto held = CRefPtr<CEvent>::Adopt(event);
    // An animal has a handful of events at least: fewer steps of growth for each.
    if (m_events.capacity() == 0) m_events.reserve(8);
    if (index == -1)
        m_events.push_back(std::move(held));
    else
        m_events.insert(m_events.begin() + index, std::move(held));
    CallBreedEventHook("CVLOnAddBreedEvent", event);
    if (!event->IsSystemEvent()) return false;
    ApplySystemEvent(*event);
    return true;
}

void CSheep::ApplySystemEvent(const CEvent& event) {
    switch (event.GetCode()) {
        case EVENT_PURCHASED:
            m_dtDateofPurchase = event.GetDate();
            break;
        case EVENT_BORN:
            m_dtDateofBirth = event.GetDate();
            break;
        case EVENT_SOLD:
            m_dtDateofDepart = event.GetDate();
            m_nDepartReason = DEPART_SOLD;
            break;
        case EVENT_DIED:
            m_dtDateofDepart = event.GetDate();
            m_nDepartReason = DEPART_DIED;
            break;
        case EVENT_KILLED:
            m_dtDateofDepart = event.GetDate();
            m_nDepartReason = DEPART_KILLED;
            break;
        case EVENT_RETAG:
            if (m_pDocument)
                m_pDocument->UpdateEarTagIndex(this, event.GetParameter(0), event.GetParameter(1));
            else
                StoreEarTag(event.GetParameter(0), event.GetParameter(1));
            break;
        default:
            break;
    }
}

void CSheep::OnSystemEventRemoved(int index, const CEvent& event) {
    StampEdited();
    switch (event.GetCode()) {
        case EVENT_PURCHASED:
            m_dtDateofPurchase = COleDateTime::Null();
            break;
        case EVENT_BORN:
            m_dtDateofBirth = COleDateTime::Null();
            break;
        case EVENT_SOLD:
        case EVENT_DIED:
        case EVENT_KILLED:
            m_dtDateofDepart = COleDateTime::Null();
            m_nDepartReason = DEPART_NONE;
            break;
        case EVENT_RETAG: {
            // Only the re-tag that gave the current tag is undone; a re-tag without its colour and
            // number never gave one.
            if (!CanTakeEvent(event) || event.GetParameter(0) != m_strEartagColour ||
                event.GetParameter(1) != m_strEartagNumber)
                break;
            WString colour, number;
            for (int i = index - 1; i >= 0; --i) {
                const CEvent& earlier = *m_events[static_cast<size_t>(i)];
                if (earlier.GetCode() == EVENT_RETAG && CanTakeEvent(earlier)) {
                    colour = earlier.GetParameter(0);
                    number = earlier.GetParameter(1);
                    break;
                }
            }
            if (m_pDocument)
                m_pDocument->UpdateEarTagIndex(this, colour, number);
            else
                StoreEarTag(colour, number);
            break;
        }
        default:
            break;
    }
}

void CSheep::RemoveEventAt(int index, bool deleteEvent) {
    CEvent* event = GetEventAt(index);
    if (event->IsSystemEvent()) OnSystemEventRemoved(index, *event);
    if (event->HasFlag(EVENT_FLAG_REPORT_DELETE)) CallBreedEventHook("CVLOnDeleteBreedEvent", event);
    CRefPtr<CEvent> held = std::move(m_events[static_cast<size_t>(index)]);
    m_events.erase(m_events.begin() + index);
    if (deleteEvent) {
        held->SetOwner(nullptr);
        held->MarkDetached();
        held.Reset();
    } else {
        held.Detach();  // the caller now holds the animal's reference
    }
}

void CSheep::ReplaceEventAt(int index, CEvent* newEvent) {
    CEvent* old = GetEventAt(index);
    WString why;
    if (!CanTakeEvent(*newEvent, &why)) AfxThrowOleDispatchExceptionSc(E_INVALIDARG, why);
    RemoveEventAt(index, false);
    if (old != newEvent) {
        old->SetOwner(nullptr);
        old->MarkDetached();
        old->Release();
    }
    AddEvent(newEvent, true);
}

CEvent* CSheep::FindEvent(int& pos, uint32_t code, const COleDateTime* on, const COleDateTime* to) const {
    if (pos < 0 || pos >= GetEventCount()) return nullptr;
    for (int i = pos; i < GetEventCount(); ++i) {
        CEvent* event = m_events[static_cast<size_t>(i)].Get();
        if (event->GetCode() != code) continue;
        const COleDateTime& date = event->GetDate();
        bool match = true;
        if (on && to) {
            match = *on <= date && date <= *to;
        } else if (on) {
            match = (on->GetStatus() == COleDateTime::valid && date.GetStatus() == COleDateTime::valid &&
                     on->m_dt == date.m_dt) ||
                    (on->GetStatus() == COleDateTime::null && date.GetStatus() == COleDateTime::null);
        }
        if (match) {
            pos = i + 1;
            return event;
        }
    }
    pos = -1;
    return nullptr;
}

CEvent* CSheep::FindFirstEvent(uint32_t code, const COleDateTime* on, const COleDateTime* to) const {
    int pos = 0;
    return FindEvent(pos, code, on, to);
}

CEvent* CSheep::FindEventOnDate(uint32_t code, const COleDateTime& day, int& index) const {
    if (m_events.empty()) return nullptr;
    CEvent* found = nullptr;
    index = -1;
    for (int i = 0; i < GetEventCount(); ++i) {
        CEvent* event = m_events[static_cast<size_t>(i)].Get();
        if (event->GetCode() != code || !SameDay(event->GetCreated(), day)) continue;
        if (found) {
            CvlMessageBoxText(u"Found more than one event of this type created on this day");
            index = -1;
            return nullptr;
        }
        found = event;
        index = i;
    }
    return found;
}

void CSheep::CallBreedEventHook(const char* exportName, CEvent* event) {
    if (!m_pDocument) return;
    auto hook = reinterpret_cast<PFN_CVLOnAddBreedEvent>(GetScopedBreedProc(m_pDocument, exportName));
    if (!hook) return;
    CRecordInterface<ISheep> sheep(this, IID_ISheep);
    CRecordInterface<IEvent> dual(event, IID_IEvent);
    if (sheep && dual) hook(sheep.Get(), dual.Get());
}

bool CSheep::IsBornOnFarm() const {
    if (!m_pDocument) return false;
    auto bornOnFarm = reinterpret_cast<PFN_CVLBornOnFarm>(m_pDocument->GetBreedProc("CVLBornOnFarm"));
    if (!bornOnFarm) return false;
    CRecordInterface<ISheep> sheep(const_cast<CSheep*>(this), IID_ISheep);
    if (!sheep) return false;
    return bornOnFarm(m_pDocument->GetDocumentDual(), sheep.Get()) != 0;
}

// ---- pictures --------------------------------------------------------------------------------

bool CSheep::HasSafeImageName() const {
    // An empty tattoo would begin every file's name.
    return !m_strTattoo.empty() && m_strTattoo.find(u'/') == WString::npos && m_strTattoo.find(u"..") == WString::npos &&
           m_strTattoo.find(u'\0') == WString::npos;
}

namespace {
std::string FolderWithSlash(const WString& folder) {
    std::string dir = WToUtf8(folder);
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}
}  // namespace

const std::vector<WString>& CSheep::FindImages() {
    if (m_bImagesLoaded) return m_images;
    CCvlWaitCursor wait;
    if (HasSafeImageName()) {
        const WString extensions = u".TIF|.GIF|.JPG|.BMP|.PCX";
        for (const WString& folder : CSheepAppServices::Get().GetImageSearchPath()) {
            const std::string dir = FolderWithSlash(folder);
            std::error_code ec;
            std::filesystem::directory_iterator it(dir, ec), end;
            for (; !ec && it != end; it.increment(ec)) {
                std::error_code typeError;
                if (it->is_directory(typeError)) continue;
                const WString name = Utf8ToW(it->path().filename().string());
                if (name.size() < m_strTattoo.size() ||
                    !EqualsNoCase(WStringView(name).substr(0, m_strTattoo.size()), m_strTattoo))
                    continue;
                const size_t dot = name.rfind(u'.');
                const WString extension = dot == WString::npos ? WString() : ToUpper(name.substr(dot));
                if (extensions.find(extension) == WString::npos) continue;
                m_images.push_back(Utf8ToW(dir) + name);
            }
        }
    }
    m_bImagesLoaded = true;
    return m_images;
}

void CSheep::AddImage(const WString& path) {
    // A list filled only now already holds the new file.
    const std::vector<WString>& images = FindImages();
    if (std::find(images.begin(), images.end(), path) == images.end()) m_images.push_back(path);
}

WString CSheep::MakeImageName() {
    if (!HasSafeImageName()) return WString();
    long largest = -1;
    for (const WString& path : FindImages()) {
        const size_t slash = path.rfind(u'/');
        const WString name = slash == WString::npos ? path : path.substr(slash + 1);
        if (name.size() <= m_strTattoo.size() + 1) continue;
        long n = 0;
        if (ScanDecimalInt(WStringView(name).substr(m_strTattoo.size() + 1), n))
            largest = std::max(largest, n);
    }
    const long next = largest + 1;
    for (const WString& folder : CSheepAppServices::Get().GetImageSearchPath()) {
        const std::string path = FolderWithSlash(folder) + WToUtf8(m_strTattoo) + "_" + std::to_string(next);
        const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0) continue;
        ::close(fd);
        ::unlink(path.c_str());
        return Utf8ToW(path);
    }
    return WString();
}
