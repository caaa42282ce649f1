#include "document/xml_exchange.h"

#include <cstdio>

#include "document/sheep_doc.h"
#include "platform/host.h"
#include "platform/settings.h"
#include "records/address.h"
#include "records/sheep.h"
#include "records/xml_object.h"

const char kCvlXmlNamespace[] = CVL_XML_NAMESPACE;

WString CvlXmlNamespace() {
    return Utf8ToW(kCvlXmlNamespace);
}

uint64_t CvlProgramFileVersion() {
    const uint64_t ms = (uint64_t(CVL_VERSION_MAJOR) << 16) | uint64_t(CVL_VERSION_MINOR);
    const uint64_t ls = (uint64_t(CVL_VERSION_PATCH) << 16) | uint64_t(CVL_VERSION_TWEAK);
    return (ms << 32) | ls;
}

namespace {

constexpr size_t kFlushSize = 1 << 20;

// Keys 4..1024 are the program's own; the plug-in's are 1025..32767 (compared as a signed 16-bit
// number, so nothing above).
bool IsPlugInDetail(uint16_t key) {
    return static_cast<int16_t>(key) >= 1025;
}

}  // namespace

std::string WriteXMLHeader(const WString* stylesheet) {
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    if (stylesheet)
        s += "<?xml-stylesheet type=\"text/xsl\" href=\"" + CXMLObject::EncodeUTF8(*stylesheet, false) +
             "\"?>\r\n";
    s += std::string("<Corvalen xmlns=\"") + kCvlXmlNamespace + "\">";
    return s;
}

const std::string& GetXMLFooter() {
    static const std::string footer = "</Corvalen>\r\n";
    return footer;
}

std::string WriteDefinitionXML(const CSheepDoc& doc) {
    auto escaped = [](WStringView text) { return CXMLObject::EncodeUTF8(text, false); };
    std::string s = "<Definition>\r\n";
    if (WString v = doc.GetDocString(FARM_BREED); !v.empty()) s += "<Breed>" + escaped(v) + "</Breed>\r\n";
    if (WString v = doc.GetDocString(FARM_ADDRESS); !v.empty())
        s += "<Post>" + CXMLObject::MakeCDATA(escaped(v)) + "</Post>\r\n";
    if (WString v = doc.GetDocString(FARM_TELEPHONE); !v.empty())
        s += "<Telephone>" + escaped(v) + "</Telephone>\r\n";
    if (WString v = doc.GetDocString(FARM_FAX); !v.empty()) s += "<Fax>" + escaped(v) + "</Fax>\r\n";
    s += "<AppVersion>" + std::to_string(static_cast<int64_t>(CvlProgramFileVersion())) + "</AppVersion>\r\n";
    s += "<DllVersion>" + std::to_string(static_cast<int64_t>(doc.GetBreedPlugIn().GetVersion())) +
         "</DllVersion>\r\n";
    const WString unit = CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u"lb");
    s += "<DisplayWeightUnit>" + escaped(unit) + "</DisplayWeightUnit>\r\n";
    for (const auto& [key, value] : doc.GetFarmDetails()) {
        if (!IsPlugInDetail(key) || value.empty()) continue;
        s += "<Attribute ID=\"" + std::to_string(key) + "\">" + escaped(value) + "</Attribute>\r\n";
    }
    s += "</Definition>\r\n";
    return s;
}

CXmlFlockWriter::CXmlFlockWriter(const CSheepDoc& doc, Sink sink, std::map<WString, WString>* pictures)
    : m_doc(doc), m_sink(std::move(sink)), m_pPictures(pictures) {
    GetExcludedXMLEvents(m_excluded);
    m_buffer.reserve(kFlushSize + kFlushSize / 4);
}

CXmlFlockWriter::~CXmlFlockWriter() = default;

void CXmlFlockWriter::Put(std::string_view text) {
    m_buffer.append(text);
    if (m_buffer.size() >= kFlushSize) Flush();
}

void CXmlFlockWriter::Flush() {
    if (m_buffer.empty()) return;
    m_sink(m_buffer);
    m_buffer.clear();
}

void CXmlFlockWriter::Begin(const WString* stylesheet) {
    Put(WriteXMLHeader(stylesheet));
    Put(WriteDefinitionXML(m_doc));
}

void CXmlFlockWriter::WriteSheep(CSheep& sheep) {
    sheep.AppendXML(m_buffer, m_excluded, m_addressKeys, m_pPictures, &m_names);
    if (m_buffer.size() >= kFlushSize) Flush();
    ++m_nSheep;
}

void CXmlFlockWriter::End() {
    for (const auto& [key, unused] : m_addressKeys) {
        if (CAddress* address = m_doc.LookupAddress(key)) Put(address->WriteXML());
    }
    Put(GetXMLFooter());
    Flush();
}

std::string WriteFlockXML(CSheepDoc& doc, bool progress) {
    std::string text;
    CXmlFlockWriter writer(doc, [&](std::string_view block) { text.append(block); });
    writer.Begin();
    const CCriteria& criteria = *doc.GetCriteria();
    CCvlHost& host = CvlGetHost();
    for (int i = 0; i < doc.GetSheepCount(); ++i) {
        CSheep* sheep = doc.GetSheepAt(i);
        if (progress) host.StepProgress();
        if (sheep->MatchesCriteria(criteria)) writer.WriteSheep(*sheep);
    }
    writer.End();
    return text;
}
