// Base of every record written as an element of the XML exchange format and read back through the
// event-driven reader: the element name, the reader's hooks and the text routines of the format.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/automation/cmdtarget.h"
#include "platform/oledate.h"
#include "platform/packed_texts.h"
#include "platform/text.h"

class IFlockDocument;
class CXMLObjectStack;

// An element's attributes in document order: (name, value).
using CXMLAttributes = std::vector<std::pair<WString, WString>>;

// What a record's reading hooks see of the XML reader. The document's reader implements it.
class CXMLContentHandler {
public:
    // Keeps the message text and its string number; the reader shows them when the parse stops.
    virtual void SetError(const WString& text, unsigned number) = 0;
    // Pops the object on top of the reader's stack and passes the end of its element on to its
    // parent; the parent's answer.
    virtual bool PopObject(const WString& elementName, const WString& text) = 0;
    // The document being read (its breed plug-in names the event codes); may be null.
    virtual IFlockDocument* GetDocument() = 0;
    // The position that the next Parameter element's text goes to; one for the whole reader.
    int& ParameterIndex() { return m_nParameterIndex; }
    // The Parameter texts of the event being read, put on it when its element ends.
    CPackedTextsBuilder& PendingParameters() { return m_pendingParameters; }
    // The reader's stack of records under construction; null when it keeps none.
    virtual CXMLObjectStack* GetObjectStack();

protected:
    ~CXMLContentHandler() = default;

private:
    int m_nParameterIndex = 0;
    CPackedTextsBuilder m_pendingParameters;
};

class CXMLObject : public CCmdTarget {
    DECLARE_DYNCREATE(CXMLObject)
public:
    CXMLObject();
    // The element form: keeps the element name; the subclass reads the attributes and clears *ok
    // on a bad one.
    CXMLObject(CXMLContentHandler* handler, const WString& elementName, const CXMLAttributes& attributes,
               bool* ok);
    CXMLObject(const CXMLObject& other);
    CXMLObject& operator=(const CXMLObject& other);
    ~CXMLObject() override;

    // Reading hooks. A false answer stops the parse.
    virtual bool OnStartChildElement(CXMLContentHandler* handler, const WString& name,
                                     const CXMLAttributes& attributes);
    virtual bool OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text);
    virtual void OnElementComplete(CXMLContentHandler* handler, const WString& text);

    // Empty for a record that did not come from an element.
    const WString& GetElementName() const;

    // UTF-8, XML-escaped unless raw (raw text goes into CDATA sections).
    static std::string EncodeUTF8(WStringView text, bool raw);
    // Text in the Windows-1252 code page, re-encoded as UTF-8, escaped unless raw.
    static std::string AnsiToUTF8(std::string_view text, bool raw);
    static void EscapeXML(std::string& text);
    // A CDATA section holding text; a "]]>" inside is split across two sections.
    static std::string MakeCDATA(std::string_view utf8);

    // EncodeUTF8 and MakeCDATA appending to out, for writers that build a whole file.
    static void AppendEncodedUTF8(std::string& out, WStringView text, bool raw);
    static void AppendCDATA(std::string& out, WStringView text);

    // Date-time attribute: local time to UTC with the current offset, "%Y-%m-%dT%H:%M:%S".
    static std::string FormatXMLDateUTC(const COleDateTime& date);
    // Date element: "%Y-%m-%d", empty for a null or invalid date.
    static std::string FormatXMLDate(const COleDateTime& date);
    static void AppendXMLDateUTC(std::string& out, const COleDateTime& date);
    static void AppendXMLDate(std::string& out, const COleDateTime& date);
    // Date-time attribute back to local time; reports message 7 and gives false on a bad value.
    static bool ParseXMLDate(CXMLContentHandler* handler, const WString& attributeName, const WString& value,
                             COleDateTime* date);
    static void ReportError(CXMLContentHandler* handler, const WString& text, unsigned number);
    // Messages 6, 7 and 8 with their arguments, reported through ReportError.
    static void ReportUnknownAttribute(CXMLContentHandler* handler, const WString& attribute,
                                       const WString& element);
    static void ReportBadValue(CXMLContentHandler* handler, const WString& attribute, const WString& value);
    static void ReportBadChild(CXMLContentHandler* handler, const WString& child, const WString& element);

protected:
    void SetElementName(const WString& name);

private:
    // The names every file repeats are shared, not copied into each record.
    struct ElementNameDeleter {
        void operator()(const WString* name) const;
    };
    // Only records read from XML have one, so the others do not pay for it.
    std::unique_ptr<const WString, ElementNameDeleter> m_pElementName;
};
