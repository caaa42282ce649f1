// Reading exchange files and web replies over libxml2's event-driven parser, safely: no network,
// no document type declaration at all (so no external entities and no entity expansion), and the
// parser's own limits on depth and sizes. Nothing is ever held as a whole tree, except where a breed
// plug-in's validator style sheet needs one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/object.h"
#include "records/record_xml.h"
#include "records/xml_object.h"

class CXmlReader;

// Keeps libxml2's and libxslt's global error output away from the terminal for the length of a
// scope, collecting the messages instead. UI thread only: the handlers are global.
class CQuietErrors {
public:
    CQuietErrors();
    ~CQuietErrors();
    CQuietErrors(const CQuietErrors&) = delete;
    CQuietErrors& operator=(const CQuietErrors&) = delete;
    std::string text;

private:
    static void OnGeneric(void* ctx, const char* format, ...);
};

// Receives the elements that start and end while the reader's object stack is empty.
class IXmlImportOwner {
public:
    // Pushes an object for a top-level element (or nothing); false stops the parse.
    virtual bool OnResponseElement(CXmlReader& reader, const WString& name, const CXMLAttributes& attributes) = 0;
    // Takes the finished top-level object off the stack (if any) and hands it over; false stops.
    virtual bool OnImportElement(CXmlReader& reader, const WString& name) = 0;

protected:
    ~IXmlImportOwner() = default;
};

// Where and why a parse failed.
struct CXmlFailure {
    bool failed = false;
    WString text;          // what the user is shown
    unsigned helpId = 0;   // 0x30000 + the string number of a record's refusal, else 0
    int line = 0;
    int column = 0;
};

// The content handler of one reading: a stack of the records under construction, the text and
// attributes of the element being read, and the error a record reported.
class CXmlReader : public CXMLContentHandler, public CXMLObjectStack {
public:
    // mode: 1 a file import, 2 the XML property or a web reply.
    CXmlReader(int mode, IXmlImportOwner* owner, IFlockDocument* document);
    ~CXmlReader();
    CXmlReader(const CXmlReader&) = delete;
    CXmlReader& operator=(const CXmlReader&) = delete;

    // True when the whole input was read and every object was taken. The failure is kept.
    bool Parse(std::string_view utf8);
    bool ParseFile(const std::string& path);
    const CXmlFailure& GetFailure() const { return m_failure; }
    // The owner showed its own message for the refusal: the failure is not shown again.
    void SetReported() { m_bReported = true; }
    bool WasReported() const { return m_bReported; }
    // Shows the failure, unless the owner already did.
    void ShowFailure() const;

    // ---- CXMLContentHandler / CXMLObjectStack --------------------------------------------------
    void SetError(const WString& text, unsigned number) override;
    bool PopObject(const WString& elementName, const WString& text) override;
    IFlockDocument* GetDocument() override { return m_pDocument; }
    void PushObject(CRefPtr<CXMLObject> object) override;
    CRefPtr<CXMLObject> TakeLastObject() override;
    int GetMode() const override { return m_nMode; }
    CXMLObjectStack* GetObjectStack() override { return this; }

    // The attributes of the element being started (local name -> value, as read).
    const CXMLAttributes& GetAttributes() const { return *m_pAttributes; }
    size_t GetStackDepth() const { return m_stack.size(); }

private:
    struct Callbacks;
    bool Run(std::string_view first, const std::string* path);
    void Fail(const WString& text, unsigned helpId);
    // A name of the parser as handed on; valid until the next call.
    const WString& Name(const unsigned char* utf8);

    int m_nMode;
    IXmlImportOwner* m_pOwner;
    IFlockDocument* m_pDocument;
    // The attribute lists by their length (the last for any longer), each kept with its strings'
    // storage for the next element with as many: an element's list is read in place.
    std::array<CXMLAttributes, 6> m_attributeLists;
    const CXMLAttributes* m_pAttributes = &m_attributeLists[0];
    struct NameSlot {
        const void* address = nullptr;
        bool owned = false;  // the parser's dictionary holds the name for the whole parse
        std::string utf8;
        WString wide;
    };
    static constexpr size_t kNameProbes = 8;
    std::array<NameSlot, 128> m_names;
    std::string m_text;  // as read; its line ends are made CR LF when it is handed on
    WString m_wideText;  // the text handed on
    std::vector<CRefPtr<CXMLObject>> m_stack;
    WString m_strErrorText;
    unsigned m_nErrorCode = 0;
    CXmlFailure m_failure;
    bool m_bReported = false;
    void* m_pContext = nullptr;  // the libxml2 parser context while a parse runs
};

// The checks of an exchange file before anything is read from it: well-formed, no document type
// declaration, only the program's namespace, valid against the schema. The outcome of a check.
struct CXmlCheckResult {
    enum Kind { Ok, CannotRead, Malformed, WrongNamespace, Invalid } kind = Ok;
    WString reason;  // the parser's or the schema's message
    int code = 0;    // the parser's error number
    int line = 0;
    int column = 0;
    int topLevelRecords = 0;  // Dedov and Address elements under the root
};

// The compiled schema of the exchange file, loaded from a path.
class CXmlSchema {
public:
    CXmlSchema() = default;
    ~CXmlSchema();
    CXmlSchema(const CXmlSchema&) = delete;
    CXmlSchema& operator=(const CXmlSchema&) = delete;
    // False with the reason when the schema file cannot be read or compiled.
    bool Load(const std::string& path, WString* reason);
    void* Get() const { return m_pSchema; }

private:
    void* m_pSchema = nullptr;
};

// One streaming pass over the file: the checks above (the schema when one is given).
CXmlCheckResult CheckXmlFile(const std::string& path, const CXmlSchema* schema);
CXmlCheckResult CheckXmlText(std::string_view text, const CXmlSchema* schema);

// Applies a compiled style sheet (xsltStylesheetPtr) to a parsed document (xmlDocPtr) under a security
// policy that allows no file writes and no network, and file reads only when asked. The result
// document (the caller frees it), or null with libxslt's messages added.
void* ApplyXslSafely(void* style, void* doc, bool readFiles, std::string* messages);

// Applies a breed plug-in's validator style sheet to the file, under a security policy that allows
// no file writes and no network. False with the reason (the style sheet's message) when it refuses.
// badStyle is set when the style sheet itself cannot be read.
bool RunXmlValidator(const std::string& xsl, const std::string& path, WString* reason, bool* badStyle);
