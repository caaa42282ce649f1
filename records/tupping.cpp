#include "records/tupping.h"

#include "records/record_xml.h"

using namespace record_xml;

IMPLEMENT_SERIAL(CRamLambingData, CXMLObject, VERSIONABLE_SCHEMA | 1)

CRamLambingData::CRamLambingData() : m_dtCreated(COleDateTime::GetCurrentTimeUtc()) {
    EnableAutomation();
}

CRamLambingData::CRamLambingData(const CRamLambingData& other)
    : CRamLambingDataAutomation(), m_dtDateIn(0.0), m_dtDateOut(0.0), m_dtEdited(0.0), m_dtCreated(0.0) {
    EnableAutomation();
    *this = other;
}

CRamLambingData::CRamLambingData(CXMLContentHandler* handler, const WString& elementName,
                                 const CXMLAttributes& attributes, bool* ok)
    : CRamLambingDataAutomation(handler, elementName, attributes, ok), m_dtCreated(COleDateTime::GetCurrentTimeUtc()) {
    EnableAutomation();
    for (const auto& [name, value] : attributes) {
        if (Is(name, u"Method")) {
            m_nMethod = EqualsNoCase(value, u"Normal") ? TUPPING_NATURAL : TUPPING_AI;
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

CRamLambingData& CRamLambingData::operator=(const CRamLambingData& other) {
    m_dtDateIn = other.m_dtDateIn;
    m_dtDateOut = other.m_dtDateOut;
    m_dtCreated = other.m_dtCreated;
    m_dtEdited = other.m_dtEdited;
    m_nMethod = other.m_nMethod;
    m_ewes = other.m_ewes;
    return *this;
}

CRamLambingData::~CRamLambingData() = default;

bool CRamLambingData::SetDateIn(const COleDateTime& date) {
    if (m_dtDateIn.GetStatus() == COleDateTime::valid && m_dtDateIn == date) return false;
    m_dtDateIn = date;
    SetEditedNow();
    return true;
}

bool CRamLambingData::SetMethod(int32_t method) {
    if (m_nMethod == method) return false;
    m_nMethod = method;
    SetEditedNow();
    return true;
}

WString CRamLambingData::GetEventText() const {
    const char* suffix = m_nMethod == TUPPING_NATURAL ? ": Tup in"
                         : m_nMethod == TUPPING_AI    ? ": Inseminated"
                                                      : nullptr;
    if (!suffix) return WString();
    return m_dtDateIn.Format("%x") + Utf8ToW(suffix);
}

std::string CRamLambingData::WriteXml() const {
    std::string s = std::string("<TuppingData Method=\"") + (m_nMethod == TUPPING_NATURAL ? "Normal" : "AI") +
                    "\" Created=\"" + FormatXMLDateUTC(m_dtCreated) + "\" Edited=\"" +
                    FormatXMLDateUTC(m_dtEdited) + "\">\r\n";
    if (m_dtDateIn.GetStatus() == COleDateTime::valid)
        s += "<DateIn>" + FormatXMLDate(m_dtDateIn) + "</DateIn>\r\n";
    if (m_dtDateOut.GetStatus() == COleDateTime::valid)
        s += "<DateOut>" + FormatXMLDate(m_dtDateOut) + "</DateOut>\r\n";
    for (const WString& ewe : m_ewes) s += EscapedLine("Ewe", ewe);
    s += "</TuppingData>\r\n";
    return s;
}

void CRamLambingData::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        const char16_t* word = m_nMethod == TUPPING_NATURAL ? u"Normal"
                               : m_nMethod == TUPPING_AI    ? u"A.I."
                                                            : u"";
        ar << m_dtEdited << m_dtCreated << WStringView(word) << m_dtDateIn << m_dtDateOut;
    } else {
        WString word;
        ar >> m_dtEdited >> m_dtCreated >> word >> m_dtDateIn >> m_dtDateOut;
        m_nMethod = EqualsNoCase(word, u"Normal") ? TUPPING_NATURAL : TUPPING_AI;
    }
    SerializeStringArray(ar, m_ewes);
}

bool CRamLambingData::OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) {
    if (Is(name, u"DateIn")) return ParseDateOnly(text, m_dtDateIn);
    if (Is(name, u"DateOut")) return ParseDateOnly(text, m_dtDateOut);
    if (Is(name, u"Ewe")) {
        m_ewes.push_back(text);
        return true;
    }
    return FinishOrIgnore(*this, handler, name, text);
}
