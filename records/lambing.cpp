#include "records/lambing.h"

#include <stdexcept>

#include "platform/archive.h"
#include "platform/strings.h"
#include "records/record_xml.h"

using namespace record_xml;

IMPLEMENT_SERIAL(CLambData, CXMLObject, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CEweLambingData, CXMLObject, VERSIONABLE_SCHEMA | 1)

namespace {
constexpr unsigned IDS_TREE_DATE_FORMAT = 34;
constexpr unsigned IDS_TUPPED_BY = 1019;

constexpr const char* kMethodWords[] = {"Tupped", "Normal", "Cesarian", "Failed"};

// Null equals null; an invalid date never equals anything.
bool SameDate(const COleDateTime& a, const COleDateTime& b) {
    if (a.GetStatus() != b.GetStatus()) return false;
    if (a.GetStatus() == COleDateTime::null) return true;
    if (a.GetStatus() != COleDateTime::valid) return false;
    return a.m_dt == b.m_dt;
}
}  // namespace

const char* LambingMethodWord(int32_t method) {
    if (method < 0 || method > 3) return "";
    return kMethodWords[method];
}

int32_t LambingMethodFromWord(WStringView word) {
    for (int32_t i = 0; i < 4; ++i)
        if (EqualsNoCase(word, Utf8ToW(kMethodWords[i]))) return i;
    return -1;
}

// ---- CLambData ---------------------------------------------------------------------------------

CLambData::CLambData() : m_dtCreated(COleDateTime::GetCurrentTime()) {
    EnableAutomation();
}

CLambData::CLambData(const WString& tattoo) : CLambData() {
    m_strTattoo = tattoo;
}

CLambData::CLambData(const CLambData& other)
    : CLambDataAutomation(),
      m_strTattoo(other.m_strTattoo),
      m_strBirthWeight(other.m_strBirthWeight),
      m_strComments(other.m_strComments),
      m_nSex(other.m_nSex),
      m_dtEdited(other.m_dtEdited),
      m_dtCreated(other.m_dtCreated) {
    EnableAutomation();
}

CLambData::CLambData(CXMLContentHandler* handler, const WString& elementName,
                     const CXMLAttributes& attributes, bool* ok)
    : CLambDataAutomation(handler, elementName, attributes, ok), m_dtCreated(COleDateTime::GetCurrentTime()) {
    EnableAutomation();
    for (const auto& [name, value] : attributes) {
        if (Is(name, u"Weight")) {
            m_strBirthWeight = value;
        } else if (Is(name, u"Sex")) {
            m_nSex = EqualsNoCase(value, u"Ram") ? 1 : 0;
        } else if (Is(name, u"Created")) {
            if (!ParseXMLDate(handler, name, value, &m_dtCreated)) *ok = false;
        } else if (Is(name, u"Edited")) {
            if (!ParseXMLDate(handler, name, value, &m_dtEdited)) *ok = false;
        } else {
            ReportUnknownAttribute(handler, name, elementName);
            *ok = false;
        }
    }
}

CLambData::~CLambData() = default;

void CLambData::StampEdited() {
    m_dtEdited = COleDateTime::GetCurrentTime();
}

void CLambData::SetTattoo(const WString& tattoo) {
    StampEdited();
    m_strTattoo = tattoo;
}

void CLambData::SetAll(const WString& tattoo, int32_t sex, const WString& comments,
                       const WString& birthWeight) {
    StampEdited();
    m_strTattoo = tattoo;
    m_nSex = sex;
    m_strComments = comments;
    m_strBirthWeight = birthWeight;
}

void CLambData::SetComments(const WString& comments) {
    StampEdited();
    m_strComments = comments;
}

void CLambData::SetBirthWeight(const WString& birthWeight) {
    StampEdited();
    m_strBirthWeight = birthWeight;
}

void CLambData::SetSex(int32_t sex) {
    StampEdited();
    m_nSex = sex;
}

std::string CLambData::WriteXml() const {
    // Two blanks before Created: readers of the format have always seen it so.
    std::string s = std::string("<Lamb Sex=\"") + (m_nSex == 1 ? "Ram" : "Ewe") + "\"  Created=\"" +
                    FormatXMLDateUTC(m_dtCreated) + "\"";
    if (m_dtEdited.GetStatus() != COleDateTime::null) s += " Edited=\"" + FormatXMLDateUTC(m_dtEdited) + "\"";
    if (!m_strBirthWeight.empty()) s += " Weight=\"" + EncodeUTF8(m_strBirthWeight, false) + "\"";
    s += ">\r\n";
    if (!m_strTattoo.empty()) s += EscapedLine("LambTattoo", m_strTattoo);
    if (!m_strComments.empty()) s += CDataLine("Comment", m_strComments);
    s += "</Lamb>\r\n";
    return s;
}

void CLambData::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_dtEdited << m_dtCreated << m_strTattoo << m_strBirthWeight << m_strComments << m_nSex;
    } else {
        ar >> m_dtEdited >> m_dtCreated >> m_strTattoo >> m_strBirthWeight >> m_strComments >> m_nSex;
    }
}

bool CLambData::OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) {
    if (Is(name, u"LambTattoo")) {
        m_strTattoo = text;
        return true;
    }
    if (Is(name, u"Comment")) {
        m_strComments = text;
        return true;
    }
    return FinishOrIgnore(*this, handler, name, text);
}

// ---- CEweLambingData ---------------------------------------------------------------------------

CEweLambingData::CEweLambingData() : m_dtCreated(COleDateTime::GetCurrentTimeUtc()) {
    EnableAutomation();
}

CEweLambingData::CEweLambingData(const CEweLambingData& other) : CEweLambingData() {
    *this = other;
}

CEweLambingData::CEweLambingData(CXMLContentHandler* handler, const WString& elementName,
                                 const CXMLAttributes& attributes, bool* ok)
    : CEweLambingDataAutomation(handler, elementName, attributes, ok), m_dtEdited(0.0), m_dtCreated(0.0) {
    EnableAutomation();
    for (const auto& [name, value] : attributes) {
        if (Is(name, u"Method")) {
            const int32_t method = LambingMethodFromWord(value);
            if (method < 0) {
                ReportBadValue(handler, name, value);
                *ok = false;
            } else {
                m_nMethod = method;
            }
        } else if (Is(name, u"Created")) {
            if (!ParseXMLDate(handler, name, value, &m_dtCreated)) *ok = false;
        } else if (Is(name, u"Edited")) {
            if (!ParseXMLDate(handler, name, value, &m_dtEdited)) *ok = false;
        } else {
            ReportUnknownAttribute(handler, name, elementName);
            *ok = false;
        }
    }
}

CEweLambingData& CEweLambingData::operator=(const CEweLambingData& other) {
    if (this == &other) return *this;
    m_strComments = other.m_strComments;
    m_strTup = other.m_strTup;
    m_nMethod = other.m_nMethod;
    m_dtDate = other.m_dtDate;
    m_dtCreated = other.m_dtCreated;
    m_dtEdited = other.m_dtEdited;
    RemoveAllLambs();
    for (const auto& lamb : other.m_lambs) m_lambs.push_back(MakeRef<CLambData>(*lamb));
    return *this;
}

CEweLambingData::~CEweLambingData() {
    RemoveAllLambs();
}

void CEweLambingData::StampEdited() {
    SetEditedNow();
}

bool CEweLambingData::SetEditedNow() {
    m_dtEdited = COleDateTime::GetCurrentTimeUtc();
    return m_dtEdited.GetStatus() == COleDateTime::valid;
}

bool CEweLambingData::SetDate(const COleDateTime& date) {
    if (SameDate(m_dtDate, date)) return false;
    m_dtDate = date;
    StampEdited();
    return true;
}

bool CEweLambingData::SetComments(const WString& comments) {
    if (m_strComments == comments) return false;
    m_strComments = comments;
    StampEdited();
    return true;
}

bool CEweLambingData::SetMethod(int32_t method) {
    if (m_nMethod == method) return false;
    m_nMethod = method;
    StampEdited();
    return true;
}

bool CEweLambingData::SetTup(const WString& tup) {
    if (m_strTup == tup) return false;
    m_strTup = tup;
    StampEdited();
    return true;
}

CLambData* CEweLambingData::GetLambAt(int index) const {
    if (index < 0 || index >= GetLambCount()) throw std::out_of_range("lamb index");
    return m_lambs[static_cast<size_t>(index)].Get();
}

void CEweLambingData::AddLamb(CRefPtr<CLambData> lamb) {
    if (lamb) m_lambs.push_back(std::move(lamb));
}

void CEweLambingData::SetLambAt(int index, CRefPtr<CLambData> lamb) {
    if (!lamb || index < 0) return;
    if (index >= GetLambCount()) {
        m_lambs.push_back(std::move(lamb));
        return;
    }
    m_lambs[size_t(index)]->MarkDetached();
    m_lambs[size_t(index)] = std::move(lamb);
}

void CEweLambingData::RemoveLambAt(int index) {
    CLambData* lamb = GetLambAt(index);
    lamb->MarkDetached();
    m_lambs.erase(m_lambs.begin() + index);
}

void CEweLambingData::RemoveAllLambs() {
    for (auto& lamb : m_lambs) lamb->MarkDetached();
    m_lambs.clear();
}

void CEweLambingData::AddToTree(CLambingTreeSink& tree) {
    WString text;
    const bool lambed = m_dtDate.GetStatus() != COleDateTime::null;
    if (lambed)
        text = m_dtDate.Format(WToUtf8(LoadCvlString(IDS_TREE_DATE_FORMAT)).c_str()) + u": " + m_strTup;
    else
        text = FormatCvlString(IDS_TUPPED_BY, {m_strTup});
    void* root = tree.InsertItem(nullptr, text, 0, 0, this);
    if (!lambed) return;
    for (const auto& lamb : m_lambs) {
        const int image = lamb->GetSex() == 1 ? 1 : 2;
        tree.InsertItem(root, lamb->GetTattoo(), image, image, this);
    }
}

WString CEweLambingData::DescribeTreeItem(bool isRoot, int lambIndex) const {
    const std::string dateFormat = WToUtf8(LoadCvlString(IDS_TREE_DATE_FORMAT));
    const std::string date =
        m_dtDate.GetStatus() == COleDateTime::valid ? WToUtf8(m_dtDate.Format(dateFormat.c_str())) : "";
    const std::string tup = WToUtf8(m_strTup);
    if (!isRoot) {
        if (lambIndex < 0 || lambIndex >= GetLambCount()) return WString();
        const CLambData& lamb = *m_lambs[size_t(lambIndex)];
        const char* sex = lamb.GetSex() == 1 ? "Ram" : lamb.GetSex() == 0 ? "Ewe" : "";
        return FormatW("Tattoo: %s\r\nSex: %s\r\nBirth Weight: %s\r\nComment: %s",
                       WToUtf8(lamb.GetTattoo()).c_str(), sex, WToUtf8(lamb.GetBirthWeight()).c_str(),
                       WToUtf8(lamb.GetComments()).c_str());
    }
    WString text;
    switch (m_nMethod) {
        case LAMBING_TUPPED:
            return FormatW("Tupped by %s", tup.c_str());
        case LAMBING_NORMAL:
            text = FormatW("Lambed normally on %s\r\nTupped by %s\r\n", date.c_str(), tup.c_str());
            break;
        case LAMBING_CESARIAN:
            text = FormatW("Lambed by cesarian on %s\r\nTupped by %s\r\n", date.c_str(), tup.c_str());
            break;
        case LAMBING_FAILED:
            return u"Failed to lamb";
        default:
            return u"Corrupted Data";
    }
    if (!m_strComments.empty()) text += FormatW("Comment: %s", WToUtf8(m_strComments).c_str());
    return text;
}

std::string CEweLambingData::WriteXML() const {
    std::string s = std::string("<LambingData Method=\"") + LambingMethodWord(m_nMethod) + "\" Created=\"" +
                    FormatXMLDateUTC(m_dtCreated) + "\" Edited=\"" + FormatXMLDateUTC(m_dtEdited) + "\">\r\n";
    if (m_dtDate.GetStatus() == COleDateTime::valid) s += "<Date>" + FormatXMLDate(m_dtDate) + "</Date>\r\n";
    if (!m_strTup.empty()) s += EscapedLine("Tup", m_strTup);
    if (!m_strComments.empty()) s += CDataLine("Comment", m_strComments);
    for (const auto& lamb : m_lambs) s += lamb->WriteXml();
    s += "</LambingData>\r\n";
    return s;
}

void CEweLambingData::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_dtEdited << m_dtCreated << m_strComments << m_strTup << m_nMethod << m_dtDate;
    } else {
        ar >> m_dtEdited >> m_dtCreated >> m_strComments >> m_strTup >> m_nMethod >> m_dtDate;
        RemoveAllLambs();
    }
    SerializeObjectArray(ar, m_lambs);
}

void CEweLambingData::PrefetchForStoring(int depth) const {
    switch (depth) {
        case 0:
            __builtin_prefetch(m_lambs.data());
            __builtin_prefetch(m_strComments.data());
            __builtin_prefetch(m_strTup.data());
            break;
        case 1:
            for (const auto& lamb : m_lambs) PrefetchMemory(lamb.Get(), sizeof(CLambData));
            break;
        case 2:
            for (const auto& lamb : m_lambs)
                if (lamb) lamb->PrefetchForStoring(0);
            break;
        default:
            break;
    }
}

bool CEweLambingData::OnStartChildElement(CXMLContentHandler* handler, const WString& name,
                                          const CXMLAttributes& attributes) {
    if (!Is(name, u"Lamb")) return true;
    bool ok = true;
    auto lamb = MakeRef<CLambData>(handler, name, attributes, &ok);
    // A lamb that was refused must stop the reading: its end tag would otherwise take this
    // record off the reader's stack in its place.
    if (!ok) return false;
    return PushChild(handler, std::move(lamb));
}

bool CEweLambingData::OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) {
    if (Is(name, u"Tup")) {
        m_strTup = text;
        return true;
    }
    if (Is(name, u"Comment")) {
        m_strComments = text;
        return true;
    }
    if (Is(name, u"Date")) return ParseDateOnly(text, m_dtDate);
    if (Is(name, u"Lamb")) {
        CRefPtr<CLambData> lamb = TakeFinished<CLambData>(handler);
        if (!lamb) return false;
        m_lambs.push_back(std::move(lamb));
        return true;
    }
    return FinishOrIgnore(*this, handler, name, text);
}
