// The document's side of the exchange file: its text for the XML property, the file import with its
// checks, and the hooks that take each finished top-level element.
#include <algorithm>

#include "document/sheep_doc.h"
#include "document/xml_exchange.h"
#include "platform/install.h"
#include "platform/message_help.h"
#include "records/address.h"
#include "records/scan.h"
#include "records/sheep.h"

namespace {

constexpr unsigned IDS_BAD_NAMESPACE = 67;
constexpr unsigned IDS_NO_BREED_XSL = 68;
constexpr unsigned IDS_UPDATE_PLUGIN = 129;
constexpr unsigned IDS_INSTALL_BREED = 147;
constexpr unsigned IDS_IMPORTING = 1025;
CVL_MESSAGE_HELP(IDS_UPDATE_PLUGIN, IDS_INSTALL_BREED);

const char16_t kImportFailed[] = u"Failed to import file";
const char16_t kNoSchema[] =
    u"The XML schema of the program cannot be found, so the file cannot be checked. Please repair the "
    u"program's installation.";

// A farm detail from a file never replaces the breed (key 0): the flock's plug-in is bound to it.
bool TakesFarmDetail(int32_t key) {
    return key > 0 && key <= 0xFFFF;
}

void ShowParseError(const std::string& path, const CXmlCheckResult& check) {
    CXmlParseErrorInfo info;
    info.url = Utf8ToW(path);
    info.code = check.code;
    info.reason = check.reason;
    info.line = check.line;
    info.column = check.column;
    const WString file = Utf8ToW(path);
    CvlMessageBoxText(FormatParseError(&file, info), MB_OK | MB_ICONERROR);
}

}  // namespace

std::string CSheepDoc::GetXMLText() {
    return WriteFlockXML(*this, true);
}

bool CSheepDoc::ImportXML(const std::string& path) {
    CCvlWaitCursor wait;
    const std::optional<std::string> schemaPath = CvlGetComponentPath("Schema");
    if (!schemaPath) {
        CvlMessageBoxText(kNoSchema, MB_OK | MB_ICONERROR);
        return false;
    }
    CXmlSchema schema;
    WString reason;
    if (!schema.Load(*schemaPath, &reason)) {
        CvlMessageBoxText(reason, MB_OK | MB_ICONERROR);
        return false;
    }
    const CXmlCheckResult check = CheckXmlFile(path, &schema);
    switch (check.kind) {
        case CXmlCheckResult::Ok:
            break;
        case CXmlCheckResult::WrongNamespace:
            CvlMessageBox(IDS_BAD_NAMESPACE, {CvlXmlNamespace()}, MB_OK | MB_ICONERROR);
            return false;
        default:
            ShowParseError(path, check);
            return false;
    }
    if (GetBreedProc("CVLGetXMLValidator")) {
        std::string xsl;
        if (!m_plugIn.GetXMLValidator(xsl)) {
            CvlMessageBox(IDS_NO_BREED_XSL, MB_OK | MB_ICONERROR);
            return false;
        }
        bool badStyle = false;
        if (!RunXmlValidator(xsl, path, &reason, &badStyle)) {
            if (badStyle) {
                CXmlParseErrorInfo info;
                info.reason = reason;
                CvlMessageBoxText(FormatParseError(nullptr, info), MB_OK | MB_ICONERROR);
            } else {
                CvlMessageBoxText(reason, MB_OK | MB_ICONERROR);
            }
            return false;
        }
    }
    CDroppedEIDReport dropped(*this);
    CProgressScope progress(IDS_IMPORTING, check.topLevelRecords);
    CXmlReader reader(1, this, this);
    m_importedAddresses.clear();
    m_strLastImported.clear();
    const bool read = reader.ParseFile(path);
    ShowLastImported();
    if (!read) reader.ShowFailure();
    return read;
}

bool CSheepDoc::ReadXMLText(std::string_view utf8) {
    CDroppedEIDReport dropped(*this);
    CXmlReader reader(2, this, this);
    m_importedAddresses.clear();
    m_strLastImported.clear();
    const bool read = reader.Parse(utf8);
    ShowLastImported();
    if (!read) reader.ShowFailure();
    return read;
}

void CSheepDoc::PutXMLText(const WString& xml) {
    if (!ReadXMLText(WToUtf8(xml))) CvlMessageBoxText(kImportFailed, MB_OK | MB_ICONERROR);
}

bool CSheepDoc::OnResponseElement(CXmlReader& reader, const WString& name, const CXMLAttributes& attributes) {
    bool ok = true;
    CRefPtr<CXMLObject> object;
    if (EqualsNoCase(name, u"Dedov")) {
        object = MakeRef<CSheep>(&reader, name, attributes, &ok);
    } else if (EqualsNoCase(name, u"Address")) {
        auto type = std::find_if(attributes.begin(), attributes.end(),
                                 [](const auto& a) { return EqualsNoCase(a.first, u"Type"); });
        if (type == attributes.end()) return true;
        long kind = -1;
        if (!ScanDecimalInt(type->second, kind)) return false;
        if (kind == 0)
            object = MakeRef<CLocalAddress>(&reader, name, attributes, &ok);
        else if (kind == 1)
            object = MakeRef<CMAPIAddress>(&reader, name, attributes, &ok);
        else
            return false;
    } else if (EqualsNoCase(name, u"Definition")) {
        object = MakeRef<CXMLSheepDocHeader>(&reader, name, attributes, &ok);
    } else if (EqualsNoCase(name, u"Attribute")) {
        object = MakeRef<CXMLDocAttribute>(&reader, name, attributes, &ok);
    } else if (EqualsNoCase(name, u"SheepResponse")) {
        object = MakeRef<CWebXMLResponse>(&reader, name, attributes, &ok);
    } else {
        return true;
    }
    if (!ok) return false;
    reader.PushObject(std::move(object));
    return true;
}

bool CSheepDoc::OnImportElement(CXmlReader& reader, const WString&) {
    CRefPtr<CXMLObject> object = reader.TakeLastObject();
    if (!object) return true;
    if (auto* sheep = dynamic_cast<CSheep*>(object.Get())) return ImportSheepElement(reader, CRefPtr<CSheep>(sheep));
    if (auto* address = dynamic_cast<CAddress*>(object.Get()))
        return ImportAddressElement(CRefPtr<CAddress>(address));
    if (auto* header = dynamic_cast<CXMLSheepDocHeader*>(object.Get())) return ImportHeaderElement(reader, *header);
    if (auto* attribute = dynamic_cast<CXMLDocAttribute*>(object.Get()))
        return ImportFarmDetailElement(attribute->m_nID, attribute->m_strValue);
    if (auto* response = dynamic_cast<CWebXMLResponse*>(object.Get())) {
        m_lastResponse = CRefPtr<CWebXMLResponse>(response);
        return true;
    }
    return true;
}

void CSheepDoc::ShowLastImported() {
    if (m_strLastImported.empty()) return;
    UpdateAllViews(nullptr, HINT_SHEEP_SET);
    SelectSheep(m_strLastImported, true, true, nullptr);
    m_strLastImported.clear();
}

bool CSheepDoc::ImportSheepElement(CXmlReader& reader, CRefPtr<CSheep> sheep) {
    CvlGetHost().StepProgress();
    // Made current once the reading ends: a history entry per animal would make a large import
    // take quadratic time, every entry moving at each insertion.
    if (AddSheep(sheep.Get(), false) < 0) {
        // The farmer kept the animal already there and was asked: nothing more to say.
        reader.SetReported();
        return false;
    }
    m_strLastImported = sheep->GetTattoo();
    sheep.Detach();
    return true;
}

bool CSheepDoc::ImportFarmDetailElement(int32_t key, const WString& value) {
    if (TakesFarmDetail(key)) SetAttribute(static_cast<uint16_t>(key), value);
    return true;
}

bool CSheepDoc::ImportAddressElement(CRefPtr<CAddress> address) {
    const WString name = address->GetID();
    // Taken once per reading; a repeat is dropped with its reference.
    if (!m_importedAddresses.insert(name).second) return true;
    ReplaceAddress(name, std::move(address));
    return true;
}

bool CSheepDoc::ImportHeaderElement(CXmlReader& reader, const CXMLSheepDocHeader& header) {
    if (!EqualsNoCase(header.m_strBreed, GetDocString(FARM_BREED)) ||
        static_cast<uint64_t>(header.m_nAppVersion) > CvlProgramFileVersion()) {
        CvlMessageBox(IDS_INSTALL_BREED, {header.m_strBreed}, MB_OK | MB_ICONERROR | MB_HELP);
        reader.SetReported();
        return false;
    }
    if (static_cast<uint64_t>(header.m_nDllVersion) > m_plugIn.GetVersion()) {
        CvlMessageBox(IDS_UPDATE_PLUGIN, {header.m_strBreed}, MB_OK | MB_ICONERROR | MB_HELP);
        reader.SetReported();
        return false;
    }
    if (!header.m_strTelephone.empty()) SetAttribute(FARM_TELEPHONE, header.m_strTelephone);
    if (!header.m_strFax.empty()) SetAttribute(FARM_FAX, header.m_strFax);
    for (const auto& [key, value] : header.m_attributes)
        if (TakesFarmDetail(key)) SetAttribute(static_cast<uint16_t>(key), value);
    return true;
}
