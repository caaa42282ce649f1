// The animal's archive record, its Dedov element and the lookups over its lambing and tupping
// records.
#include <algorithm>
#include <stdexcept>

#include "platform/archive.h"
#include "platform/host.h"
#include "platform/message_help.h"
#include "platform/settings.h"
#include "platform/strings.h"
#include "records/electronic_id.h"
#include "records/record_xml.h"
#include "records/scan.h"
#include "records/sheep.h"
#include "records/signet.h"

using namespace record_xml;

namespace {
constexpr unsigned IDS_IMAGES = 177;
constexpr unsigned HELP_TOO_FEW_FIELDS = 127;
constexpr unsigned HELP_TWO_LAMBINGS_ON_A_DAY = 153;
CVL_MESSAGE_HELP(HELP_TOO_FEW_FIELDS, HELP_TWO_LAMBINGS_ON_A_DAY);

// The figures in the archive's order.
constexpr SignetFigure kArchiveFigures[] = {
    FIG_LEAN_INDEX,
    FIG_EIGHT_WEEK_WEIGHT_EBV,
    FIG_FAT_DEPTH_EBV,
    FIG_LITTER_EBV,
    FIG_MATERNAL_EBV,
    FIG_MATURE_EBV,
    FIG_MUSCLE_DEPTH_EBV,
    FIG_SCAN_WEIGHT_EBV,
    FIG_MATERNAL_ACTUAL,
    FIG_MUSCLE_DEPTH_ACTUAL,
    FIG_SCAN_WEIGHT_ACTUAL,
    FIG_FAT_DEPTH_ACTUAL,
    FIG_AWT,
};

// The figures of the Signet element, in its order, with their element names.
struct FigureElement {
    const char* name;
    SignetFigure figure;
};
constexpr FigureElement kXmlFigures[] = {
    {"AWT", FIG_AWT},
    {"LeanIndex", FIG_LEAN_INDEX},
    {"EightWeekWeightEBV", FIG_EIGHT_WEEK_WEIGHT_EBV},
    {"FatDepthEBV", FIG_FAT_DEPTH_EBV},
    {"LitterEBV", FIG_LITTER_EBV},
    {"MaternalEBV", FIG_MATERNAL_EBV},
    {"MatureEBV", FIG_MATURE_EBV},
    {"MuscleDepthEBV", FIG_MUSCLE_DEPTH_EBV},
    {"ScanWeightEBV", FIG_SCAN_WEIGHT_EBV},
    {"Maternal", FIG_MATERNAL_ACTUAL},
    {"MuscleDepth", FIG_MUSCLE_DEPTH_ACTUAL},
    {"ScanWeight", FIG_SCAN_WEIGHT_ACTUAL},
    {"FatDepth", FIG_FAT_DEPTH_ACTUAL},
};

const char* const kDepartWords[] = {"Sold", "Died", "Killed"};

// The scanf reading of a leading decimal number in the C locale; a decimal comma from a machine
// that wrote one is read as the point.
bool ScanDouble(WStringView text, double& out) {
    std::string narrow;
    for (char16_t c : text) {
        if (c >= 0x80) break;
        narrow.push_back(static_cast<char>(c));
    }
    if (narrow.find('.') == std::string::npos) {
        if (size_t comma = narrow.find(','); comma != std::string::npos) narrow[comma] = '.';
    }
    char* end = nullptr;
    const double v = StrToDoubleC(narrow.c_str(), &end);
    if (end == narrow.c_str()) return false;
    out = StoredFigure(v);
    return true;
}

int ReadMode(CXMLContentHandler* handler) {
    CXMLObjectStack* stack = ObjectStack(handler);
    return stack ? stack->GetMode() : 0;
}

void ReplaceAll(WString& s, char16_t from, char16_t to) {
    for (char16_t& c : s)
        if (c == from) c = to;
}

template <class T>
T* At(const std::vector<CRefPtr<T>>& records, int index) {
    if (index < 0 || index >= static_cast<int>(records.size())) throw std::out_of_range("record index");
    return records[static_cast<size_t>(index)].Get();
}
}  // namespace

int ParseExcludedXMLEvents(WStringView text, CExcludedCodes& codes) {
    codes.clear();
    if (text.empty()) return 0;
    const std::vector<WString> pieces = Split(text, u',');
    for (const WString& piece : pieces) codes[static_cast<uint32_t>(WToLongLenient(piece))] = 0;
    return static_cast<int>(pieces.size());
}

int GetExcludedXMLEvents(CExcludedCodes& codes) {
    return ParseExcludedXMLEvents(
        CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"XML Excluded Events", u""), codes);
}

// ---- lambing and tupping records ---------------------------------------------------------------

CEweLambingData* CSheep::GetLambingAt(int index) const {
    return At(m_lambingRecords, index);
}
CRamLambingData* CSheep::GetTuppingAt(int index) const {
    return At(m_tuppingRecords, index);
}

void CSheep::AddLambingRecord(CRefPtr<CEweLambingData> record) {
    if (record) m_lambingRecords.push_back(std::move(record));
}

void CSheep::AddTuppingRecord(CRefPtr<CRamLambingData> record) {
    if (record) m_tuppingRecords.push_back(std::move(record));
}

void CSheep::InsertLambingRecord(int index, CRefPtr<CEweLambingData> record) {
    if (!record) return;
    index = std::clamp(index, 0, GetLambingCount());
    m_lambingRecords.insert(m_lambingRecords.begin() + index, std::move(record));
}

void CSheep::InsertTuppingRecord(int index, CRefPtr<CRamLambingData> record) {
    if (!record) return;
    index = std::clamp(index, 0, GetTuppingCount());
    m_tuppingRecords.insert(m_tuppingRecords.begin() + index, std::move(record));
}

void CSheep::RemoveLambingAt(int index) {
    GetLambingAt(index);
    m_lambingRecords.RemoveAt(static_cast<size_t>(index));
}

void CSheep::RemoveTuppingAt(int index) {
    GetTuppingAt(index);
    m_tuppingRecords.RemoveAt(static_cast<size_t>(index));
}

CEweLambingData* CSheep::FindLambingByYear(const int& year) const {
    for (auto it = m_lambingRecords.rbegin(); it != m_lambingRecords.rend(); ++it)
        if (DayOf((*it)->GetDate()).y == year) return it->Get();
    return nullptr;
}

CRamLambingData* CSheep::FindTuppingByYear(const int& year, int* index) const {
    for (size_t i = 0; i < m_tuppingRecords.size(); ++i) {
        if (DayOf(m_tuppingRecords[i]->GetDateIn()).y == year) {
            if (index) *index = static_cast<int>(i);
            return m_tuppingRecords[i].Get();
        }
    }
    if (index) *index = -1;
    return nullptr;
}

CEweLambingData* CSheep::FindLambingByCreatedDay(const COleDateTime& day, int& index) const {
    if (m_lambingRecords.empty()) return nullptr;
    CEweLambingData* found = nullptr;
    int foundIndex = -1;
    for (size_t i = 0; i < m_lambingRecords.size(); ++i) {
        if (!SameDay(m_lambingRecords[i]->GetCreated(), day)) continue;
        if (found) {
            CvlMessageBoxText(
                FormatPlaceholders(u"More than one lambing record was created for %1 on the same day. "
                                   u"The Corvalen was unable to retrieve the correct one.",
                                   {m_strTattoo}),
                MB_OK | MB_ICONEXCLAMATION | MB_HELP, CvlPromptHelpId(HELP_TWO_LAMBINGS_ON_A_DAY));
            index = -1;
            return nullptr;
        }
        found = m_lambingRecords[i].Get();
        foundIndex = static_cast<int>(i);
    }
    index = foundIndex;
    return found;
}

// ---- archive -----------------------------------------------------------------------------------

void CSheep::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_strTattoo << m_nDepartReason << m_nSex << m_strSire << m_strDam << m_strName
           << m_strEartagColour << m_strEartagNumber << m_nOneOf << m_dtEdited << m_dtDateofBirth
           << m_dtDateofPurchase << m_dtDateofDepart << m_strComments;
        for (SignetFigure f : kArchiveFigures) ar << m_figures[f];
        ar << m_nElectronicID << m_nGeneticScrapie << m_nFlags;
    } else {
        ar >> m_strTattoo >> m_nDepartReason >> m_nSex >> m_strSire >> m_strDam >> m_strName >>
            m_strEartagColour >> m_strEartagNumber >> m_nOneOf >> m_dtEdited >> m_dtDateofBirth >>
            m_dtDateofPurchase >> m_dtDateofDepart >> m_strComments;
        for (SignetFigure f : kArchiveFigures) ar >> m_figures[f];
        ar >> m_nElectronicID >> m_nGeneticScrapie >> m_nFlags;
        for (auto& event : m_events) event->MarkDetached();
        m_tuppingRecords.RemoveAll();
        m_lambingRecords.RemoveAll();
    }
    SerializeObjectArray(ar, m_events);
    SerializeObjectArray(ar, m_tuppingRecords);
    SerializeObjectArray(ar, m_lambingRecords);
    if (ar.IsLoading()) {
        for (auto& event : m_events) event->SetOwner(this);
    }
}

void CSheep::PrefetchForStoring(int depth) const {
    // The first events: later ones are fetched while the first are written.
    const size_t events = std::min<size_t>(m_events.size(), 24);
    switch (depth) {
        case 0:
            for (const WString* s : {&m_strTattoo, &m_strSire, &m_strDam, &m_strName, &m_strEartagColour,
                                     &m_strEartagNumber, &m_strComments})
                __builtin_prefetch(s->data());
            __builtin_prefetch(m_events.data());
            __builtin_prefetch(m_tuppingRecords.data());
            __builtin_prefetch(m_lambingRecords.data());
            break;
        case 1:
            for (size_t i = 0; i < events; ++i) PrefetchMemory(m_events[i].Get(), sizeof(CEvent));
            for (const auto& r : m_lambingRecords) PrefetchMemory(r.Get(), sizeof(CEweLambingData));
            for (const auto& r : m_tuppingRecords) PrefetchMemory(r.Get(), sizeof(CRamLambingData));
            break;
        default:
            for (size_t i = 0; i < events; ++i)
                if (m_events[i]) m_events[i]->PrefetchForStoring(depth - 2);
            for (const auto& r : m_lambingRecords)
                if (r) r->PrefetchForStoring(depth - 2);
            break;
    }
}

// ---- XML ---------------------------------------------------------------------------------------

std::string CSheep::WriteXML(const CExcludedCodes& excluded, CAddressKeySet& addresses,
                             std::map<WString, WString>* pictures) {
    std::string s;
    AppendXML(s, excluded, addresses, pictures, nullptr);
    return s;
}

void CSheep::AppendXML(std::string& s, const CExcludedCodes& excluded, CAddressKeySet& addresses,
                       std::map<WString, WString>* pictures, CEventXmlNames* names) {
    s += m_nSex == SEX_RAM ? "<Dedov Sex=\"Ram\" Edited=\"" : "<Dedov Sex=\"Ewe\" Edited=\"";
    AppendXMLDateUTC(s, m_dtEdited);
    s += "\" Flags=\"" + std::to_string(static_cast<int32_t>(m_nFlags)) + "\">\r\n";
    s += EscapedLine("Tattoo", m_strTattoo);
    if (m_nElectronicID != 0)
        s += "<EID>" + WToUtf8(FormatElectronicID(m_nElectronicID)) + "</EID>\r\n";
    if (!m_strSire.empty()) s += EscapedLine("Sire", m_strSire);
    if (!m_strDam.empty()) s += EscapedLine("Dam", m_strDam);
    s += "<OneOf>" + std::to_string(m_nOneOf) + "</OneOf>\r\n";
    if (!m_strComments.empty()) s += CDataLine("Comment", m_strComments);
    // A number without a colour has never been exported.
    if (!m_strEartagColour.empty()) {
        s += "<Eartag>\r\n";
        s += EscapedLine("Colour", m_strEartagColour);
        if (!m_strEartagNumber.empty()) s += EscapedLine("Number", m_strEartagNumber);
        s += "</Eartag>\r\n";
    }
    const std::pair<const char*, const COleDateTime*> dates[] = {{"BirthDate", &m_dtDateofBirth},
                                                                 {"PurchaseDate", &m_dtDateofPurchase},
                                                                 {"DepartDate", &m_dtDateofDepart}};
    // An invalid date has no form the reader takes: it is left out and reads back as not set.
    for (const auto& [name, date] : dates) {
        if (date->GetStatus() == COleDateTime::valid)
            s += std::string("<") + name + ">" + FormatXMLDate(*date) + "</" + name + ">\r\n";
    }
    if (m_nDepartReason >= DEPART_SOLD && m_nDepartReason <= DEPART_KILLED)
        s += std::string("<DepartReason>") + kDepartWords[m_nDepartReason] + "</DepartReason>\r\n";
    std::string signet;
    for (const FigureElement& f : kXmlFigures) {
        const double v = m_figures[f.figure];
        if (v != v) continue;
        signet += std::string("<") + f.name + ">" + WToUtf8(DoubleToW(v, "%0.2f")) + "</" + f.name + ">\r\n";
    }
    if (!signet.empty()) s += "<Signet>\r\n" + signet + "</Signet>\r\n";
    // A code outside the allele table would be written as "/ARR", which no reader takes.
    if (WString first, second; m_nGeneticScrapie != SCRAPIE_UNKNOWN &&
                               ScrapieAlleleToText(m_nGeneticScrapie >> 3, first) &&
                               ScrapieAlleleToText(m_nGeneticScrapie & 7, second))
        s += "<Genetics>\r\n<Scrapie>" + EncodeUTF8(FormatScrapie(), false) + "</Scrapie>\r\n</Genetics>\r\n";
    for (const auto& event : m_events) {
        auto it = excluded.find(event->GetCode());
        if (it != excluded.end() && it->second != 1) continue;
        event->AppendXML(s, addresses, names);
    }
    if (m_nSex == SEX_RAM) {
        for (const auto& record : m_tuppingRecords) s += record->WriteXml();
    } else {
        for (const auto& record : m_lambingRecords) s += record->WriteXML();
    }
    int id = 0;
    for (const WString& path : FindImages()) {
        WString reference;
        if (pictures) {
            const size_t slash = path.find_last_of(u"\\/");
            reference =
                LoadCvlString(IDS_IMAGES) + u"\\" + path.substr(slash == WString::npos ? 0 : slash + 1);
            (*pictures)[path] = reference;
        } else {
            reference = u"//" + path;
        }
        ReplaceAll(reference, u'\\', u'/');
        s += "<Image ID=\"" + std::to_string(id++) + "\">" + MakeCDATA(EncodeUTF8(reference, true)) +
             "</Image>\r\n";
    }
    s += "</Dedov>\r\n";
}

WString CSheep::GetXml() {
    CExcludedCodes excluded;
    GetExcludedXMLEvents(excluded);
    CAddressKeySet addresses;
    // The element is UTF-8: read as such, non-ASCII text survives the property.
    return Utf8ToW(WriteXML(excluded, addresses, nullptr));
}

CSheep::CSheep(CXMLContentHandler* handler, const WString& elementName, const CXMLAttributes& attributes,
               bool* ok)
    : CSheep() {
    SetElementName(elementName);
    m_pDocument = handler ? handler->GetDocument() : nullptr;
    for (const auto& [name, value] : attributes) {
        if (Is(name, u"Edited")) {
            if (!ParseXMLDate(handler, name, value, &m_dtEdited)) *ok = false;
        } else if (Is(name, u"Sex")) {
            if (EqualsNoCase(value, u"Ram")) {
                m_nSex = SEX_RAM;
            } else if (EqualsNoCase(value, u"Ewe")) {
                m_nSex = SEX_EWE;
            } else {
                ReportBadValue(handler, name, value);
                *ok = false;
            }
        } else if (Is(name, u"Flags")) {
            long flags = 0;
            if (ScanDecimalInt(value, flags)) m_nFlags = static_cast<uint32_t>(static_cast<int32_t>(flags));
        } else {
            ReportUnknownAttribute(handler, name, elementName);
            *ok = false;
        }
    }
}

bool CSheep::OnStartChildElement(CXMLContentHandler* handler, const WString& name,
                                 const CXMLAttributes& attributes) {
    bool ok = true;
    CRefPtr<CXMLObject> child;
    if (Is(name, u"Event"))
        child = MakeRef<CEvent>(handler, name, attributes, &ok);
    else if (Is(name, u"TuppingData"))
        child = MakeRef<CRamLambingData>(handler, name, attributes, &ok);
    else if (Is(name, u"LambingData"))
        child = MakeRef<CEweLambingData>(handler, name, attributes, &ok);
    else
        return true;
    if (!ok) return false;
    return PushChild(handler, std::move(child));
}

bool CSheep::OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) {
    // Most elements of an animal are its events: their end is looked for first.
    if (Is(name, u"Event")) {
        CRefPtr<CEvent> event = TakeFinished<CEvent>(handler);
        return event && AcceptReadEvent(handler, std::move(event));
    }
    const std::pair<const char16_t*, WString*> texts[] = {
        {u"Tattoo", &m_strTattoo},    {u"Sire", &m_strSire},           {u"Dam", &m_strDam},
        {u"Comment", &m_strComments}, {u"Colour", &m_strEartagColour}, {u"Number", &m_strEartagNumber},
    };
    for (const auto& [element, field] : texts) {
        if (Is(name, element)) {
            *field = text;
            return true;
        }
    }
    if (Is(name, u"EID")) return ParseElectronicID(text, m_nElectronicID);
    if (Is(name, u"OneOf")) {
        long oneOf = 0;
        if (!ScanDecimalInt(text, oneOf)) return false;
        m_nOneOf = static_cast<int32_t>(oneOf);
        return true;
    }
    const std::pair<const char16_t*, COleDateTime*> dates[] = {{u"BirthDate", &m_dtDateofBirth},
                                                               {u"PurchaseDate", &m_dtDateofPurchase},
                                                               {u"DepartDate", &m_dtDateofDepart}};
    for (const auto& [element, field] : dates)
        if (Is(name, element)) return ParseDateOnly(text, *field);
    static const std::vector<WString> figureNames = [] {
        std::vector<WString> names;
        for (const FigureElement& f : kXmlFigures) names.push_back(Utf8ToW(f.name));
        return names;
    }();
    for (size_t i = 0; i < figureNames.size(); ++i)
        if (EqualsNoCase(name, figureNames[i])) return ScanDouble(text, m_figures[kXmlFigures[i].figure]);
    if (Is(name, u"TuppingData")) {
        CRefPtr<CRamLambingData> record = TakeFinished<CRamLambingData>(handler);
        if (!record) return false;
        m_tuppingRecords.push_back(std::move(record));
        return true;
    }
    if (Is(name, u"LambingData")) {
        CRefPtr<CEweLambingData> record = TakeFinished<CEweLambingData>(handler);
        if (!record) return false;
        m_lambingRecords.push_back(std::move(record));
        return true;
    }
    if (Is(name, u"Eartag") || Is(name, u"Signet") || Is(name, u"Genetics")) return true;
    if (Is(name, u"DepartReason")) {
        for (int32_t i = 0; i < 3; ++i) {
            if (EqualsNoCase(text, Utf8ToW(kDepartWords[i]))) {
                m_nDepartReason = i;
                return true;
            }
        }
        return false;
    }
    if (Is(name, u"Scrapie")) return ParseScrapie(text);
    return FinishOrIgnore(*this, handler, name, text);
}

bool CSheep::AcceptReadEvent(CXMLContentHandler* handler, CRefPtr<CEvent> event) {
    event->SetOwner(this);
    const int expected = event->GetParameterCount();
    const size_t read = event->GetParameterTexts().size();
    // A code that takes a list (-1) takes any number of parameters.
    if (expected != -1 && static_cast<size_t>(expected) != read && ReadMode(handler) == 2) {
        const WString question =
            FormatPlaceholders(u"Failed to import enough fields for Dedov %1's %2 Event. Continue?",
                               {m_strTattoo, event->GetEventName()});
        const int answer =
            CvlMessageBoxText(question, MB_YESNO | MB_HELP, CvlPromptHelpId(HELP_TOO_FEW_FIELDS));
        event->SetOwner(nullptr);
        return answer == IDYES;
    }
    WString why;
    if (!CanTakeEvent(*event, &why)) {
        event->SetOwner(nullptr);
        ReportError(handler, why, 7);
        return false;
    }
    AddEvent(event.Detach(), false);
    return true;
}
