// The objects that the document makes for top-level elements of an exchange file or a web reply:
// the file's Definition, a farm-detail Attribute and a web service's SheepResponse.
#pragma once

#include <cstdint>
#include <map>

#include "records/xml_object.h"

// Definition: breed, telephone, fax, weight unit, the versions that wrote the file and the farm
// details it carries.
class CXMLSheepDocHeader : public CXMLObject {
public:
    CXMLSheepDocHeader(CXMLContentHandler* handler, const WString& elementName, const CXMLAttributes& attributes,
                       bool* ok);
    bool OnStartChildElement(CXMLContentHandler* handler, const WString& name,
                             const CXMLAttributes& attributes) override;
    bool OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) override;

    WString m_strFlockID;
    WString m_strBreed;
    WString m_strTelephone;
    WString m_strFax;
    WString m_strDisplayWeightUnit;
    int64_t m_nAppVersion = 0;
    int64_t m_nDllVersion = 0;
    std::map<int32_t, WString> m_attributes;

private:
    int32_t m_nPendingID = 0;
};

// A farm detail: its key and text.
class CXMLDocAttribute : public CXMLObject {
public:
    CXMLDocAttribute(CXMLContentHandler* handler, const WString& elementName, const CXMLAttributes& attributes,
                     bool* ok);
    bool OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) override;
    void OnElementComplete(CXMLContentHandler* handler, const WString& text) override;

    int32_t m_nID = 0;
    WString m_strValue;
};

// The web service's answer to a post.
class CWebXMLResponse : public CXMLObject {
public:
    CWebXMLResponse(CXMLContentHandler* handler, const WString& elementName, const CXMLAttributes& attributes,
                    bool* ok);
    bool OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) override;

    WString m_strMessage;
    WString m_strRedirect;
    WString m_strSessionKey;
    int32_t m_nStatus = 0;
    int32_t m_nMsgBoxFlags = 0;
};

// "%I64d": leading blanks, an optional sign, digits; false when no digit follows or the number does
// not fit.
bool ScanInt64(WStringView text, int64_t& value);
