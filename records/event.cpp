#include "records/event.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <unordered_map>
#include <utility>

#include "abi/breed_abi.h"
#include "platform/archive.h"
#include "platform/archive_date.h"
#include "platform/host.h"
#include "platform/message_help.h"
#include "platform/settings.h"
#include "platform/strings.h"
#include "records/app_services.h"
#include "records/flock_document.h"
#include "records/scan.h"
#include "records/sheep.h"

IMPLEMENT_SERIAL(CEvent, CXMLObject, VERSIONABLE_SCHEMA | 1)

namespace {

constexpr unsigned IDS_EVENT_FLAGS_NOT_SET = 1034;
CVL_MESSAGE_HELP(IDS_EVENT_FLAGS_NOT_SET);

// The highest Parameter ID an element may name; more would only be a damaged or hostile file.
constexpr long kMaxParameterId = 255;

template <class PFN>
PFN GetProc(IFlockDocument* doc, const char* name) {
    return reinterpret_cast<PFN>(GetScopedBreedProc(doc, name));
}

// The template text of a code (two-call fetch); false when the plug-in gives none.
bool GetTemplate(PFN_CVLGetText getText, uint32_t code, WString& text) {
    if (!getText) return false;
    const int32_t len = getText(static_cast<int32_t>(code), nullptr, 0);
    if (len < 0) return false;
    std::u16string buffer(static_cast<size_t>(len) + 1, u'\0');
    // The size counts the terminator, as the length did not.
    if (getText(static_cast<int32_t>(code), buffer.data(), len + 1) == 0) return false;
    buffer.resize(std::char_traits<char16_t>::length(buffer.c_str()));
    text = std::move(buffer);
    return true;
}

COleDateTime NowUtc() {
    return COleDateTime::GetCurrentTimeUtc();
}

// What the plug-in says of a code for its display text.
struct CodeText {
    int count = 0;  // the parameter count (-1: a list of any length)
    WString templ;
    // Where "%1", "%2", ... first stand in templ (npos: nowhere), for the first counts.
    std::vector<size_t> placeholders;
};

WString Placeholder(int k) {
    WString placeholder(1, u'%');
    for (const char digit : std::to_string(k)) placeholder.push_back(char16_t(digit));
    return placeholder;
}

CodeText GetCodeText(IFlockDocument* doc, uint32_t code) {
    auto getText = GetProc<PFN_CVLGetText>(doc, "CVLGetText");
    auto getCount = GetProc<PFN_CVLGetParameterCount>(doc, "CVLGetParameterCount");
    CodeText text;
    // A count of 0xFFFFFFFF (a list of any length) runs no placeholder.
    text.count = getCount ? static_cast<int>(static_cast<int32_t>(getCount(static_cast<int32_t>(code)))) : 0;
    if (!GetTemplate(getText, code, text.templ))
        text.templ = FormatW("Failed to retrieve message for Event %d", static_cast<int>(code));
    for (int k = 1; k <= std::min(text.count, 64); ++k) text.placeholders.push_back(text.templ.find(Placeholder(k)));
    return text;
}

int32_t ReadWeightInPounds() {
    const WString unit = CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u"lb");
    return EqualsNoCase(unit, u"lb") ? 1 : 0;
}

thread_local CEventTextScope* t_textScope = nullptr;

}  // namespace

struct CEventTextScope::Cache {
    std::map<std::pair<IFlockDocument*, uint32_t>, CodeText> codes;
    // The codes met last, in front of the map (whose entries stay where they are).
    struct Recent {
        IFlockDocument* doc = nullptr;
        uint32_t code = 0;
        const CodeText* text = nullptr;
    };
    std::array<Recent, 64> recent;
    IFlockDocument* namesDocument = nullptr;
    std::unordered_map<WString, uint32_t> codesByName;  // namesDocument's
    // Weights shown last: the stored text and what it showed as, with the settings it showed under.
    struct Weight {
        WString stored;
        int32_t pounds = 0;
        int decimals = 0;
        WString shown;
        bool used = false;
    };
    std::array<Weight, 64> weights;
    // namesDocument's names met last, in front of the map (whose entries stay where they are).
    std::array<const std::pair<const WString, uint32_t>*, 64> recentNames{};
    std::optional<int32_t> pounds;
    std::optional<long> utcOffset;
    struct Proc {
        IFlockDocument* doc;
        std::string name;
        void* proc;
    };
    std::vector<Proc> procs;  // a handful
};

CEventTextScope::CEventTextScope() : m_pCache(std::make_unique<Cache>()), m_pOuter(t_textScope) {
    t_textScope = this;
}

CEventTextScope::~CEventTextScope() {
    t_textScope = m_pOuter;
}

namespace {

// Where a text lies in one of the scope's small tables of texts met last.
size_t RecentSlot(WStringView text, size_t slots) {
    size_t hash = text.size();
    for (const char16_t c : text) hash = hash * 31 + c;
    return hash % slots;
}

// The code's text, from the scope's cache when one is open.
const CodeText& LookupCodeText(IFlockDocument* doc, uint32_t code, CodeText& local) {
    if (CEventTextScope* scope = CEventTextScope::Current()) {
        CEventTextScope::Cache& cache = scope->GetCache();
        auto& recent = cache.recent[code % cache.recent.size()];
        if (recent.text && recent.doc == doc && recent.code == code) return *recent.text;
        auto& codes = cache.codes;
        auto it = codes.find({doc, code});
        if (it == codes.end()) it = codes.emplace(std::make_pair(doc, code), GetCodeText(doc, code)).first;
        recent = {doc, code, &it->second};
        return it->second;
    }
    local = GetCodeText(doc, code);
    return local;
}

// A stored weight as shown in the unit the user reads; formatting it costs more than the rest of a
// weighing's text, so a reading keeps the last ones.
void AppendWeight(WString& result, int32_t pounds, WStringView stored) {
    const CSheepAppServices& services = CSheepAppServices::Get();
    CEventTextScope* scope = CEventTextScope::Current();
    if (!scope) {
        result += services.FormatMeasurement(&pounds, WString(stored));
        return;
    }
    const int decimals = services.GetDecimalPlaces();
    auto& weights = scope->GetCache().weights;
    auto& weight = weights[RecentSlot(stored, weights.size())];
    if (!weight.used || weight.pounds != pounds || weight.decimals != decimals || weight.stored != stored) {
        weight.stored.assign(stored);
        weight.pounds = pounds;
        weight.decimals = decimals;
        weight.shown = services.FormatMeasurement(&pounds, stored);
        weight.used = true;
    }
    result += weight.shown;
}

int32_t WeightInPounds() {
    CEventTextScope* scope = CEventTextScope::Current();
    if (!scope) return ReadWeightInPounds();
    auto& pounds = scope->GetCache().pounds;
    if (!pounds) pounds = ReadWeightInPounds();
    return *pounds;
}

}  // namespace

CEventTextScope* CEventTextScope::Current() {
    return t_textScope;
}

void* CEventTextScope::BreedProc(IFlockDocument* doc, const char* name) {
    for (const Cache::Proc& p : m_pCache->procs)
        if (p.doc == doc && p.name == name) return p.proc;
    void* proc = doc->GetBreedProc(name);
    m_pCache->procs.push_back({doc, name, proc});
    return proc;
}

void* GetScopedBreedProc(IFlockDocument* doc, const char* name) {
    if (!doc) return nullptr;
    CEventTextScope* scope = CEventTextScope::Current();
    return scope ? scope->BreedProc(doc, name) : doc->GetBreedProc(name);
}

long CEventTextScope::UtcOffsetSeconds() {
    auto& offset = m_pCache->utcOffset;
    if (!offset) offset = COleDateTime::UtcOffsetNow();
    return *offset;
}

WString GetEventNameFromPlugIn(IFlockDocument* doc, uint32_t code) {
    auto getNames = GetProc<PFN_CVLGetNamesFromIDs>(doc, "CVLGetNamesFromIDs");
    if (!getNames) return WString();
    const int32_t len = getNames(static_cast<int32_t>(code), nullptr, 0);
    if (len <= 0) return WString();
    std::u16string buffer(static_cast<size_t>(len) + 1, u'\0');
    // The size counts the terminator, as the length did not.
    getNames(static_cast<int32_t>(code), buffer.data(), len + 1);
    buffer.resize(std::char_traits<char16_t>::length(buffer.c_str()));
    return buffer;
}

uint32_t GetEventCodeFromPlugIn(IFlockDocument* doc, const WString& name) {
    const auto ask = [&] {
        auto getIds = GetProc<PFN_CVLGetIDsFromNames>(doc, "CVLGetIDsFromNames");
        return getIds ? static_cast<uint32_t>(getIds(name.c_str())) : EVENT_CODE_NONE;
    };
    CEventTextScope* scope = CEventTextScope::Current();
    if (!scope) return ask();
    CEventTextScope::Cache& cache = scope->GetCache();
    if (cache.namesDocument != doc) {
        cache.codesByName.clear();
        cache.recentNames.fill(nullptr);
        cache.namesDocument = doc;
    }
    auto& recent = cache.recentNames[RecentSlot(name, cache.recentNames.size())];
    if (recent && recent->first == name) return recent->second;
    auto it = cache.codesByName.find(name);
    if (it == cache.codesByName.end()) it = cache.codesByName.emplace(name, ask()).first;
    recent = &*it;
    return it->second;
}

CEvent::CEvent() : m_dtDate(COleDateTime::Null()), m_dtCreated(NowUtc()), m_dtEdited(COleDateTime::Null()) {
    EnableAutomation();
}

CEvent::CEvent(const COleDateTime& date, uint32_t code, const char16_t* text1, const char16_t* text2,
               const char16_t* text3)
    : m_nCode(code), m_dtDate(date), m_dtCreated(NowUtc()), m_dtEdited(COleDateTime::Null()) {
    EnableAutomation();
    std::vector<WString> texts;
    for (const char16_t* text : {text1, text2, text3}) {
        if (text) texts.emplace_back(text);
    }
    m_arrParameters.Assign(texts);
}

CEvent::CEvent(const CEvent& other)
    : CXMLObject(other),
      m_arrParameters(other.m_arrParameters),
      m_pOwner(other.m_pOwner),
      m_nCode(other.m_nCode),
      m_dtDate(other.m_dtDate),
      m_dtCreated(other.m_dtCreated),
      m_dtEdited(other.m_dtEdited) {
    EnableAutomation();
}

CEvent::CEvent(CXMLContentHandler* handler, const WString& elementName, const CXMLAttributes& attributes,
               bool* ok)
    : CXMLObject(handler, elementName, attributes, ok),
      m_dtDate(COleDateTime::Null()),
      m_dtEdited(COleDateTime::Null()) {
    EnableAutomation();
    IFlockDocument* doc = handler ? handler->GetDocument() : nullptr;
    if (handler) handler->PendingParameters().Clear();
    const WString* created = nullptr;
    for (const auto& [name, value] : attributes) {
        if (EqualsNoCase(name, u"Type")) {
            m_nCode = GetEventCodeFromPlugIn(doc, value);
        } else if (name == u"Created") {
            if (!ParseXMLDate(handler, name, value, &m_dtCreated)) {
                if (ok) *ok = false;
                return;
            }
            created = &value;
        } else if (name == u"Edited") {
            // An event not edited since it was made has both stamps alike.
            if (created && value == *created) {
                m_dtEdited = m_dtCreated;
            } else if (!ParseXMLDate(handler, name, value, &m_dtEdited)) {
                if (ok) *ok = false;
                return;
            }
        } else {
            ReportUnknownAttribute(handler, name, elementName);
            if (ok) *ok = false;
            return;
        }
    }
    // The clock is read only for an element without its stamp: a file has one on every event.
    if (!created) m_dtCreated = NowUtc();
}

CEvent::~CEvent() = default;

void CEvent::SetEditedNow() {
    m_dtEdited = NowUtc();
}

IFlockDocument* CEvent::GetDocument() const {
    return m_pOwner ? m_pOwner->GetDocument() : nullptr;
}

WString CEvent::GetEventName() const {
    return GetEventNameFromPlugIn(GetDocument(), m_nCode);
}

uint32_t CEvent::HasFlag(uint32_t mask) const {
    const WString name = GetEventName();
    auto getType = GetProc<PFN_CVLGetType>(GetDocument(), "CVLGetType");
    if (!getType) return 0;
    const uint32_t flags = getType(static_cast<int32_t>(m_nCode));
    if (flags == 0xFFFFFFFFu) {
        CvlMessageBox(IDS_EVENT_FLAGS_NOT_SET, {name}, MB_OK | MB_ICONINFORMATION | MB_HELP);
        return 0;
    }
    return flags & mask;
}

int CEvent::GetParameterCount() const {
    if (CEventTextScope::Current()) {
        CodeText local;
        return LookupCodeText(GetDocument(), m_nCode, local).count;
    }
    auto getCount = GetProc<PFN_CVLGetParameterCount>(GetDocument(), "CVLGetParameterCount");
    return getCount ? static_cast<int>(static_cast<int32_t>(getCount(static_cast<int32_t>(m_nCode)))) : 0;
}

bool CEvent::IsSystemEvent() const {
    switch (m_nCode) {
        case EVENT_SOLD:
        case EVENT_PURCHASED:
        case EVENT_DIED:
        case EVENT_RETAG:
        case EVENT_BORN:
        case EVENT_KILLED:
            return true;
        default:
            return false;
    }
}

bool CEvent::IsAddressCode(uint32_t code) {
    return code == 0 || code == 1 || code == 19 || code == 20 || code == 21;
}

WString CEvent::FormatText(bool includeDate) const {
    WString result;
    if (includeDate) result = m_dtDate.Format("%x") + u'\t';
    AppendText(result);
    return result;
}

void CEvent::AppendText(WString& result) const {
    IFlockDocument* doc = GetDocument();
    CodeText local;
    const CodeText& code = LookupCodeText(doc, m_nCode, local);
    const int n = code.count;
    const WString& templ = code.templ;

    if (n == 0) {
        result += templ;
        return;
    }

    if (m_nCode == EVENT_WEIGHED) {
        const int32_t pounds = WeightInPounds();
        const size_t p = templ.find(u"%1");
        // A template without "%1" is shown whole, with the weight after it.
        const size_t head = p == WString::npos ? templ.size() : p;
        result.append(templ, 0, head);
        if (!m_arrParameters.empty()) {
            AppendWeight(result, pounds, m_arrParameters[0]);
            result += pounds ? u" lb" : u" kg";
        }
        if (p != WString::npos) result.append(templ, p + 2, WString::npos);
        return;
    }

    size_t last = 0;
    for (int k = 1; k <= n; ++k) {
        const size_t known = static_cast<size_t>(k - 1);
        size_t placeholderSize = 2;
        for (int rest = k / 10; rest > 0; rest /= 10) ++placeholderSize;
        const size_t p = known < code.placeholders.size() ? code.placeholders[known] : templ.find(Placeholder(k));
        if (p == WString::npos) {
            result = FormatW("ERROR: Require %d placeholders", n);
            continue;
        }
        if (p > last) result.append(templ, last, p - last);
        const size_t index = static_cast<size_t>(k - 1);
        if (index < m_arrParameters.size()) {
            WString displayName;
            if (k == 1 && IsAddressCode(m_nCode) && doc &&
                doc->LookupAddress(WString(m_arrParameters[0]), &displayName))
                result += displayName;
            else
                result += m_arrParameters[index];
        }
        last = p + placeholderSize;
    }
    if (last < templ.size()) result.append(templ, last, WString::npos);
}

int CEvent::Compare(const CEvent& other) const {
    SortText text;
    return Compare(other, text);
}

int CEvent::Compare(const CEvent& other, SortText& text) const {
    const COleDateTime& a = m_dtDate;
    const COleDateTime& b = other.m_dtDate;
    const bool sameDay =
        a.GetStatus() == b.GetStatus() &&
        ((a.GetStatus() == COleDateTime::valid && a.m_dt == b.m_dt) || a.GetStatus() == COleDateTime::null);
    if (sameDay) {
        if (!text.made) {
            text.text.clear();
            AppendText(text.text);
            text.made = true;
        }
        // A sorted insert compares with several events: their texts are made in one buffer.
        thread_local WString otherText;
        otherText.clear();
        other.AppendText(otherText);
        const int c = CompareOrdinal(text.text, otherText);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if (a.GetStatus() == COleDateTime::valid && b.GetStatus() == COleDateTime::valid && a.m_dt < b.m_dt)
        return -1;
    return 1;
}

void CEvent::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_dtDate;
        ar.WriteCount(uint32_t(m_arrParameters.size()));
        for (size_t i = 0; i < m_arrParameters.size(); ++i) ar.WriteString(m_arrParameters[i]);
        ar << m_nCode;
        ar << m_dtCreated;
        ar << m_dtEdited;
    } else {
        ar >> m_dtDate;
        std::vector<WString> parameters;
        SerializeStringArray(ar, parameters);
        m_arrParameters.Assign(parameters);
        ar >> m_nCode;
        ar >> m_dtCreated;
        ar >> m_dtEdited;
    }
}

const std::string& CEventXmlNames::Get(IFlockDocument* doc, uint32_t code) {
    if (doc != m_pDocument) {
        m_names.clear();
        m_pDocument = doc;
    }
    auto it = m_names.find(code);
    if (it == m_names.end())
        it = m_names.emplace(code, CXMLObject::EncodeUTF8(GetEventNameFromPlugIn(doc, code), false)).first;
    return it->second;
}

std::string CEvent::WriteXML(CAddressKeySet& addressKeys) const {
    std::string xml;
    AppendXML(xml, addressKeys, nullptr);
    return xml;
}

void CEvent::AppendXML(std::string& out, CAddressKeySet& addressKeys, CEventXmlNames* names) const {
    out += "<Event Type=\"";
    if (names)
        out += names->Get(GetDocument(), m_nCode);
    else
        out += EncodeUTF8(GetEventName(), false);
    out += "\" Created=\"";
    AppendXMLDateUTC(out, m_dtCreated);
    out += '"';
    if (m_dtEdited.GetStatus() == COleDateTime::valid) {
        out += " Edited=\"";
        AppendXMLDateUTC(out, m_dtEdited);
        out += '"';
    }
    out += ">\r\n<Date>";
    AppendXMLDate(out, m_dtDate);
    out += "</Date>\r\n";
    for (size_t i = 0; i < m_arrParameters.size(); ++i) {
        if (m_arrParameters[i].empty()) continue;
        out += "<Parameter ID=\"";
        out += std::to_string(i);
        out += "\">";
        AppendCDATA(out, m_arrParameters[i]);
        out += "</Parameter>\r\n";
    }
    if (IsAddressCode(m_nCode) && !m_arrParameters.empty()) addressKeys[WString(m_arrParameters[0])] = 1;
    out += "</Event>\r\n";
}

bool CEvent::OnStartChildElement(CXMLContentHandler* handler, const WString& name,
                                 const CXMLAttributes& attributes) {
    if (handler && EqualsNoCase(name, u"Parameter") && !attributes.empty()) {
        long id = 0;
        if (ScanDecimalInt(attributes.front().second, id)) {
            if (id < 0 || id > kMaxParameterId) {
                ReportBadValue(handler, attributes.front().first, attributes.front().second);
                return false;
            }
            handler->ParameterIndex() = static_cast<int>(id);
        }
    }
    return true;
}

bool CEvent::OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) {
    if (EqualsNoCase(name, u"Date")) {
        // An event without a date is written with an empty Date element: it reads back undated.
        if (IsBlankText(text)) {
            m_dtDate = COleDateTime::Null();
            return true;
        }
        COleDateTime date;
        const bool parsed = date.ParseDateTime(text, VAR_DATEVALUEONLY);
        m_dtDate = date;
        return parsed;
    }
    if (EqualsNoCase(name, u"Parameter")) {
        const int index = handler ? handler->ParameterIndex() : 0;
        if (index < 0 || index > kMaxParameterId) return false;
        if (handler)
            handler->PendingParameters().Set(static_cast<size_t>(index), text);
        else
            m_arrParameters.Set(static_cast<size_t>(index), text);
        return true;
    }
    if (EqualsNoCase(name, GetElementName())) {
        if (handler) handler->PendingParameters().MoveTo(m_arrParameters);
        OnElementComplete(handler, text);
        return handler ? handler->PopObject(name, text) : true;
    }
    if (!CXMLObject::OnEndElement(handler, name, text)) {
        ReportBadChild(handler, name, GetElementName());
        return false;
    }
    return true;
}
