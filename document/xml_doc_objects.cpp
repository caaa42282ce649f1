#include "document/xml_doc_objects.h"

#include <limits>

#include "records/record_xml.h"
#include "records/scan.h"

using record_xml::FinishOrIgnore;
using record_xml::Is;

bool ScanInt64(WStringView text, int64_t& value) {
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    if (i >= text.size() || text[i] < u'0' || text[i] > u'9') return false;
    uint64_t v = 0;
    const uint64_t limit = negative ? uint64_t(std::numeric_limits<int64_t>::max()) + 1
                                    : uint64_t(std::numeric_limits<int64_t>::max());
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        const unsigned digit = text[i] - u'0';
        if (v > (limit - digit) / 10) return false;
        v = v * 10 + digit;
    }
    value = negative ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
    return true;
}

namespace {

// The ID attribute of a farm detail: a decimal number, else message 7.
bool ReadID(CXMLContentHandler* handler, const WString& name, const WString& value, int32_t& id) {
    long parsed = 0;
    if (!ScanDecimalInt(value, parsed)) {
        CXMLObject::ReportBadValue(handler, name, value);
        return false;
    }
    id = static_cast<int32_t>(parsed);
    return true;
}

}  // namespace

// ---- Definition --------------------------------------------------------------------------------

CXMLSheepDocHeader::CXMLSheepDocHeader(CXMLContentHandler* handler, const WString& elementName,
                                       const CXMLAttributes& attributes, bool* ok) {
    SetElementName(elementName);
    for (const auto& [name, value] : attributes) {
        if (Is(name, u"FlockID")) {
            m_strFlockID = value;
        } else {
            ReportUnknownAttribute(handler, name, elementName);
            *ok = false;
            return;
        }
    }
}

bool CXMLSheepDocHeader::OnStartChildElement(CXMLContentHandler* handler, const WString& name,
                                             const CXMLAttributes& attributes) {
    if (!Is(name, u"Attribute")) return true;
    if (attributes.empty() || !Is(attributes.front().first, u"ID")) {
        ReportBadValue(handler, attributes.empty() ? WString(u"ID") : attributes.front().first,
                       attributes.empty() ? WString() : attributes.front().second);
        return false;
    }
    return ReadID(handler, attributes.front().first, attributes.front().second, m_nPendingID);
}

bool CXMLSheepDocHeader::OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) {
    const std::pair<const char16_t*, WString*> texts[] = {{u"Breed", &m_strBreed},
                                                          {u"DisplayWeightUnit", &m_strDisplayWeightUnit},
                                                          {u"Telephone", &m_strTelephone},
                                                          {u"Fax", &m_strFax}};
    for (const auto& [element, field] : texts) {
        if (Is(name, element)) {
            *field = text;
            return true;
        }
    }
    if (Is(name, u"AppVersion")) return ScanInt64(text, m_nAppVersion);
    if (Is(name, u"DllVersion")) return ScanInt64(text, m_nDllVersion);
    if (Is(name, u"Attribute")) {
        m_attributes[m_nPendingID] = text;
        return true;
    }
    return FinishOrIgnore(*this, handler, name, text);
}

// ---- Attribute ---------------------------------------------------------------------------------

CXMLDocAttribute::CXMLDocAttribute(CXMLContentHandler* handler, const WString& elementName,
                                   const CXMLAttributes& attributes, bool* ok) {
    SetElementName(elementName);
    for (const auto& [name, value] : attributes) {
        if (!Is(name, u"ID")) {
            ReportUnknownAttribute(handler, name, elementName);
            *ok = false;
            return;
        }
        if (!ReadID(handler, name, value, m_nID)) {
            *ok = false;
            return;
        }
    }
}

bool CXMLDocAttribute::OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) {
    return FinishOrIgnore(*this, handler, name, text);
}

void CXMLDocAttribute::OnElementComplete(CXMLContentHandler*, const WString& text) {
    m_strValue = text;
}

// ---- SheepResponse -----------------------------------------------------------------------------

CWebXMLResponse::CWebXMLResponse(CXMLContentHandler*, const WString& elementName, const CXMLAttributes&,
                                 bool*) {
    SetElementName(elementName);
}

bool CWebXMLResponse::OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) {
    const std::pair<const char16_t*, WString*> texts[] = {
        {u"Message", &m_strMessage}, {u"Redirect", &m_strRedirect}, {u"SessionKey", &m_strSessionKey}};
    for (const auto& [element, field] : texts) {
        if (Is(name, element)) {
            *field = text;
            return true;
        }
    }
    const std::pair<const char16_t*, int32_t*> numbers[] = {{u"Status", &m_nStatus},
                                                            {u"MsgBoxFlags", &m_nMsgBoxFlags}};
    for (const auto& [element, field] : numbers) {
        if (Is(name, element)) {
            long value = 0;
            if (!ScanDecimalInt(text, value)) return false;
            *field = static_cast<int32_t>(value);
            return true;
        }
    }
    return FinishOrIgnore(*this, handler, name, text);
}
