#include "records/criteria.h"

#include "platform/strings.h"
#include "records/sheep.h"

IMPLEMENT_DYNCREATE(CCriteria, CObject)

namespace {

constexpr unsigned IDS_BORN_IN = 1065;
constexpr unsigned IDS_SOLD_IN = 1066;
constexpr unsigned IDS_DIED_IN = 1067;
constexpr unsigned IDS_PURCHASED_IN = 1068;
constexpr unsigned IDS_ON_FARM_AT = 1069;
constexpr unsigned IDS_ALL_IN_DATABASE = 1070;

// Movement codes that only the selection test reads.
constexpr uint32_t EVENT_ARRIVED = 19;
constexpr uint32_t EVENT_GONE = 20;

constexpr long kLambDays = 365;
constexpr long kShearlingDays = 730;

// The year of a date that is not valid is -1, so two such dates share a year.
int YearOf(const COleDateTime& date) {
    return date.GetStatus() == COleDateTime::valid ? date.GetYear() : -1;
}

}  // namespace

CCriteria::CCriteria() : m_dtDate(COleDateTime::GetCurrentTime()) {}

CCriteria::~CCriteria() = default;

WString CCriteria::GetDescription() const {
    const bool both = m_bRams && m_bEwes;
    WString phrase;
    bool sexWord = !both;
    if (m_bAdults && m_bShearlings && m_bLambs) {
        phrase = u"All";
        if (both) phrase += u" Dedov";
    } else {
        const auto add = [&](BOOL on, const char16_t* word) {
            if (!on) return;
            if (!phrase.empty()) phrase += u" and ";
            phrase += word;
            if (both) phrase += u"s";
        };
        add(m_bAdults, u"Adult");
        add(m_bShearlings, u"Shearling");
        add(m_bLambs, u"Lamb");
    }
    if (sexWord) {
        if (m_bRams)
            phrase += u" Rams";
        else if (m_bEwes)
            phrase += u" Ewes";
    }

    unsigned id = 0;
    WString date;
    switch (m_nType) {
        case CRITERIA_ON_FARM:
            id = IDS_ON_FARM_AT;
            date = m_dtDate.Format("%x");
            break;
        case CRITERIA_BORN:
            id = IDS_BORN_IN;
            break;
        case CRITERIA_SOLD:
            id = IDS_SOLD_IN;
            break;
        case CRITERIA_PURCHASED:
            id = IDS_PURCHASED_IN;
            break;
        case CRITERIA_DIED:
            id = IDS_DIED_IN;
            break;
        case CRITERIA_ALL:
            id = IDS_ALL_IN_DATABASE;
            break;
        default:
            return WString();
    }
    if (m_nType != CRITERIA_ON_FARM) date = m_dtDate.Format("%Y");
    return FormatPlaceholders(LoadCvlString(id), {phrase, date});
}

bool CCriteria::MatchesAge(const COleDateTime& dateOfBirth) const {
    if (m_bAdults && m_bShearlings && m_bLambs) return true;
    long age = 0;
    if (dateOfBirth.GetStatus() == COleDateTime::valid && m_dtDate.GetStatus() == COleDateTime::valid)
        age = (m_dtDate - dateOfBirth).GetDays();
    if (m_bAdults && age > kShearlingDays) return true;
    if (m_bShearlings && age > kLambDays && age <= kShearlingDays) return true;
    if (m_bLambs && age >= 1 && age <= kLambDays) return true;
    // Born within a year after the date: a lamb of that year's crop.
    if (m_bLambs && m_nType == CRITERIA_BORN && age >= -kLambDays && age <= -1) return true;
    return false;
}

BOOL CSheep::MatchesCriteria(const CCriteria& criteria) const {
    if (criteria.m_bRams && !criteria.m_bEwes && m_nSex != SEX_RAM) return FALSE;
    if (criteria.m_bEwes && !criteria.m_bRams && m_nSex != SEX_EWE) return FALSE;

    const int year = YearOf(criteria.m_dtDate);
    switch (criteria.m_nType) {
        case CRITERIA_ON_FARM: {
            if (m_events.empty()) return FALSE;
            const bool dateValid = criteria.m_dtDate.GetStatus() == COleDateTime::valid;
            bool present = false;
            for (const auto& event : m_events) {
                const COleDateTime& when = event->GetDate();
                if (dateValid && when.GetStatus() == COleDateTime::valid && when > criteria.m_dtDate) break;
                switch (event->GetCode()) {
                    case EVENT_PURCHASED:
                    case EVENT_ARRIVED:
                        present = true;
                        break;
                    case EVENT_SOLD:
                    case EVENT_DIED:
                    case EVENT_GONE:
                    case EVENT_KILLED:
                        present = false;
                        break;
                    case EVENT_BORN:
                        // Without the plug-in's answer the animal counts as not born here.
                        present = IsBornOnFarm();
                        break;
                    default:
                        break;
                }
            }
            if (!present) return FALSE;
            break;
        }
        case CRITERIA_BORN:
            if (YearOf(m_dtDateofBirth) != year) return FALSE;
            break;
        case CRITERIA_SOLD:
            if (YearOf(m_dtDateofDepart) != year || m_nDepartReason != DEPART_SOLD) return FALSE;
            break;
        case CRITERIA_PURCHASED:
            if (YearOf(m_dtDateofPurchase) != year) return FALSE;
            break;
        case CRITERIA_DIED:
            if (YearOf(m_dtDateofDepart) != year ||
                (m_nDepartReason != DEPART_DIED && m_nDepartReason != DEPART_KILLED))
                return FALSE;
            break;
        default:
            break;
    }
    return criteria.MatchesAge(m_dtDateofBirth) ? TRUE : FALSE;
}
