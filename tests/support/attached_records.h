// Shared by the tests of the attached records: hex fixtures, archive helpers and a small XML
// reader that drives the records' reading hooks the way the document's reader does.
#pragma once

#include <libxml/parser.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/archive.h"
#include "records/record_xml.h"
#include "records/xml_object.h"

namespace r2 {

// "FF FE 0a" -> bytes; blanks, line breaks and "|" separators are ignored.
inline std::vector<uint8_t> Hex(std::string_view text) {
    std::vector<uint8_t> out;
    std::string digits;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c))) digits.push_back(c);
    }
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::strtoul(digits.substr(i, 2).c_str(), nullptr, 16)));
    return out;
}

inline std::string ToHex(const std::vector<uint8_t>& bytes) {
    static const char* d = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i) s += ' ';
        s += d[bytes[i] >> 4];
        s += d[bytes[i] & 15];
    }
    return s;
}

// The bytes an object's own Serialize writes (no class tag).
template <class T>
std::vector<uint8_t> Store(T& object) {
    std::vector<uint8_t> buf;
    CArchive ar(buf, CArchive::store);
    object.Serialize(ar);
    return buf;
}

// Loads an object's own Serialize from bytes; all of them must be used.
template <class T>
void Load(T& object, const std::vector<uint8_t>& bytes) {
    CArchive ar(bytes);
    object.Serialize(ar);
    if (ar.GetRemaining() != 0) throw CArchiveException(CArchiveException::genericException);
}

inline bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A reader over libxml2's SAX interface with the reading rules of the document's reader: each
// element start clears the text and goes to the innermost object (or to the factory at the top);
// character data and CDATA collect; each end goes to the innermost object.
class TestXmlReader : public CXMLContentHandler, public CXMLObjectStack {
public:
    using Factory = std::function<CRefPtr<CXMLObject>(CXMLContentHandler*, const WString& name,
                                                      const CXMLAttributes& attributes, bool* ok)>;
    explicit TestXmlReader(Factory factory) : m_factory(std::move(factory)) {}

    // True when the whole text was read without a refusal.
    bool Parse(const std::string& xml) {
        xmlSAXHandler sax{};
        sax.initialized = XML_SAX2_MAGIC;
        sax.startElementNs = &OnStart;
        sax.endElementNs = &OnEnd;
        sax.characters = &OnChars;
        sax.cdataBlock = &OnChars;
        m_failed = false;
        // Entities in attribute values are replaced, as every reader of the format does.
        xmlParserCtxtPtr ctxt = xmlCreatePushParserCtxt(&sax, this, nullptr, 0, nullptr);
        xmlCtxtUseOptions(ctxt, XML_PARSE_NOENT | XML_PARSE_NONET);
        const int rc = xmlParseChunk(ctxt, xml.data(), static_cast<int>(xml.size()), 1);
        const bool wellFormed = ctxt->wellFormed != 0;
        xmlFreeParserCtxt(ctxt);
        return rc == 0 && wellFormed && !m_failed;
    }

    void SetError(const WString& text, unsigned number) override {
        m_errorText = text;
        m_errorNumber = number;
    }
    bool PopObject(const WString& elementName, const WString& text) override {
        if (m_stack.size() > 1) return m_stack[m_stack.size() - 2]->OnEndElement(this, elementName, text);
        m_finished.push_back(m_stack.back());
        m_stack.pop_back();
        return true;
    }
    IFlockDocument* GetDocument() override { return m_document; }
    void PushObject(CRefPtr<CXMLObject> object) override { m_stack.push_back(std::move(object)); }
    CRefPtr<CXMLObject> TakeLastObject() override {
        if (m_stack.empty()) return nullptr;
        CRefPtr<CXMLObject> last = m_stack.back();
        m_stack.pop_back();
        return last;
    }

    int GetMode() const override { return m_mode; }
    void SetMode(int mode) { m_mode = mode; }
    void SetDocument(IFlockDocument* doc) { m_document = doc; }
    const std::vector<CRefPtr<CXMLObject>>& Finished() const { return m_finished; }
    template <class T>
    T* FinishedAs(size_t i = 0) const {
        return i < m_finished.size() ? dynamic_cast<T*>(m_finished[i].Get()) : nullptr;
    }
    const WString& ErrorText() const { return m_errorText; }
    unsigned ErrorNumber() const { return m_errorNumber; }

private:
    static TestXmlReader* Self(void* ctx) { return static_cast<TestXmlReader*>(ctx); }
    static WString U(const xmlChar* s) { return Utf8ToW(reinterpret_cast<const char*>(s)); }
    static WString U(const xmlChar* b, const xmlChar* e) {
        return Utf8ToW(std::string_view(reinterpret_cast<const char*>(b), static_cast<size_t>(e - b)));
    }
    // Later events are ignored once a hook has refused.
    void Fail() { m_failed = true; }
    static void OnStart(void* ctx, const xmlChar* localname, const xmlChar*, const xmlChar*, int,
                        const xmlChar**, int nAttributes, int, const xmlChar** attributes) {
        TestXmlReader* self = Self(ctx);
        if (self->m_failed) return;
        const WString name = U(localname);
        CXMLAttributes attrs;
        for (int i = 0; i < nAttributes; ++i)
            attrs.emplace_back(U(attributes[i * 5]), U(attributes[i * 5 + 3], attributes[i * 5 + 4]));
        self->m_text.clear();
        bool ok = true;
        if (!self->m_stack.empty()) {
            ok = self->m_stack.back()->OnStartChildElement(self, name, attrs);
        } else {
            CRefPtr<CXMLObject> top = self->m_factory(self, name, attrs, &ok);
            if (ok && top) self->m_stack.push_back(std::move(top));
        }
        if (!ok) self->Fail();
    }
    static void OnEnd(void* ctx, const xmlChar* localname, const xmlChar*, const xmlChar*) {
        TestXmlReader* self = Self(ctx);
        if (self->m_failed || self->m_stack.empty()) return;
        const WString text = self->m_text;
        if (!self->m_stack.back()->OnEndElement(self, U(localname), text)) self->Fail();
    }
    static void OnChars(void* ctx, const xmlChar* ch, int len) { Self(ctx)->m_text += U(ch, ch + len); }

    Factory m_factory;
    std::vector<CRefPtr<CXMLObject>> m_stack;
    std::vector<CRefPtr<CXMLObject>> m_finished;
    WString m_text;
    WString m_errorText;
    unsigned m_errorNumber = 0;
    bool m_failed = false;
    IFlockDocument* m_document = nullptr;
    int m_mode = 1;
};

// A factory that makes one T for the top element.
template <class T>
TestXmlReader::Factory MakeTop() {
    return [](CXMLContentHandler* h, const WString& name, const CXMLAttributes& a, bool* ok) {
        return CRefPtr<CXMLObject>(MakeRef<T>(h, name, a, ok));
    };
}

// Runs a test body in a fixed time zone (the XML stamps convert between local time and UTC).
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* tz) {
        if (const char* old = std::getenv("TZ")) m_old = old, m_had = true;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::string m_old;
    bool m_had = false;
};

}  // namespace r2
