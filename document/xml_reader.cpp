#include "document/xml_reader.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlschemas.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xsltutils.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <type_traits>

#include "document/xml_exchange.h"
#include "platform/host.h"
#include "platform/strings.h"
#include "records/event.h"

namespace {

constexpr size_t kChunk = 64 * 1024;
// Never XML_PARSE_NOENT, DTDLOAD, DTDATTR or HUGE: no entity is ever substituted or fetched and the
// parser keeps its limits on depth and sizes.
constexpr int kParseOptions = XML_PARSE_NONET;
constexpr uint32_t kEFail = 0x80004005u;

const char16_t kNoDoctype[] = u"A document type declaration is not allowed in this file";

// Appends text with each line end as CR LF (a CR LF that the parser kept, as it does inside CDATA
// sections, stays one line end).
template <class Text>
void AppendWithCrLf(WString& s, const Text& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = text[i];
        if (c == '\r' || c == '\n') {
            s += u"\r\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            s.push_back(static_cast<char16_t>(static_cast<std::make_unsigned_t<decltype(c)>>(c)));
        }
    }
}

// Every name and text handed on has its line ends as CR LF. s is overwritten, its storage reused.
void AssignMadeXMLString(WString& s, std::string_view utf8) {
    s.clear();
    // ASCII (the text around child elements, most of all) needs no decoding first.
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        AppendWithCrLf(s, utf8);
    else
        AppendWithCrLf(s, Utf8ToW(utf8));
}

// The same, faster: almost every name, value and text of an exchange file is ASCII on one line,
// which is copied in one pass; anything else is made again.
void AssignXMLString(WString& out, std::string_view utf8) {
    if (out.size() != utf8.size()) out.resize(utf8.size());
    char16_t* to = out.data();
    const auto* from = reinterpret_cast<const unsigned char*>(utf8.data());
    unsigned other = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = from[i];
        to[i] = c;
        other |= unsigned(c >= 0x80) | unsigned(c == '\r') | unsigned(c == '\n');
    }
    if (other) AssignMadeXMLString(out, utf8);
}

// Without entity substitution the parser hands an ampersand in an attribute value on as "&#38;";
// nothing else can make that sequence.
void AssignAttributeValue(WString& out, const xmlChar* begin, const xmlChar* end) {
    const std::string_view raw(reinterpret_cast<const char*>(begin), static_cast<size_t>(end - begin));
    if (raw.find('&') == std::string_view::npos) {
        AssignXMLString(out, raw);
        return;
    }
    std::string value;
    value.reserve(raw.size());
    for (size_t at = 0;;) {
        const size_t reference = raw.find("&#38;", at);
        value.append(
            raw.substr(at, reference == std::string_view::npos ? std::string_view::npos : reference - at));
        if (reference == std::string_view::npos) break;
        value += '&';
        at = reference + 5;
    }
    AssignMadeXMLString(out, value);
}

std::string_view View(const xmlChar* s, int len) {
    return {reinterpret_cast<const char*>(s), static_cast<size_t>(len)};
}

WString TrimmedMessage(const char* message) {
    WString text = message ? Utf8ToW(message) : WString();
    while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' ')) text.pop_back();
    return text;
}

int Line(void* ctxt) {
    return ctxt ? xmlSAX2GetLineNumber(ctxt) : 0;
}
int Column(void* ctxt) {
    return ctxt ? xmlSAX2GetColumnNumber(ctxt) : 0;
}

// Feeds the input to a push parser in blocks; false when the file cannot be opened.
bool Pump(xmlSAXHandler* sax, void* user, std::string_view text, const std::string* path, void** slot,
          bool* wellFormed = nullptr) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(nullptr, &fclose);
    if (path) {
        file.reset(std::fopen(path->c_str(), "rb"));
        if (!file) return false;
    }
    xmlParserCtxtPtr ctxt = xmlCreatePushParserCtxt(sax, user, nullptr, 0, path ? path->c_str() : nullptr);
    if (!ctxt) return false;
    xmlCtxtUseOptions(ctxt, kParseOptions);
    *slot = ctxt;
    auto stopped = [&] { return ctxt->disableSAX || ctxt->instate == XML_PARSER_EOF; };
    if (file) {
        std::unique_ptr<char[]> block(new char[kChunk]);
        size_t n = 0;
        while (!stopped() && (n = std::fread(block.get(), 1, kChunk, file.get())) > 0)
            xmlParseChunk(ctxt, block.get(), static_cast<int>(n), 0);
    } else {
        for (size_t at = 0; at < text.size() && !stopped(); at += kChunk) {
            const size_t n = std::min(kChunk, text.size() - at);
            xmlParseChunk(ctxt, text.data() + at, static_cast<int>(n), 0);
        }
    }
    if (!stopped()) xmlParseChunk(ctxt, nullptr, 0, 1);
    if (wellFormed) *wellFormed = ctxt->wellFormed != 0;
    *slot = nullptr;
    xmlFreeParserCtxt(ctxt);
    return true;
}

}  // namespace

CQuietErrors::CQuietErrors() {
    xmlSetGenericErrorFunc(this, &OnGeneric);
    xsltSetGenericErrorFunc(this, &OnGeneric);
}

CQuietErrors::~CQuietErrors() {
    xmlSetGenericErrorFunc(nullptr, nullptr);
    xsltSetGenericErrorFunc(nullptr, nullptr);
}

void CQuietErrors::OnGeneric(void* ctx, const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    static_cast<CQuietErrors*>(ctx)->text += buffer;
}

// ---- the reader --------------------------------------------------------------------------------

struct CXmlReader::Callbacks {
    static CXmlReader& Self(void* ctx) { return *static_cast<CXmlReader*>(ctx); }

    static void Stop(CXmlReader& self) {
        if (self.m_pContext) xmlStopParser(static_cast<xmlParserCtxtPtr>(self.m_pContext));
    }

    static void Refused(CXmlReader& self, const WString& name) {
        if (self.m_nErrorCode != 0) {
            self.Fail(FormatW("'%s' reported at line %d column %d", WToUtf8(self.m_strErrorText).c_str(),
                              Line(self.m_pContext), Column(self.m_pContext)),
                      CvlPromptHelpId(self.m_nErrorCode));
        } else {
            self.Fail(FormatW("(%#.8lx) The content of the element '%s' was refused at line %d column %d",
                              static_cast<unsigned long>(kEFail), WToUtf8(name).c_str(), Line(self.m_pContext),
                              Column(self.m_pContext)),
                      0);
        }
        Stop(self);
    }

    static void OnStart(void* ctx, const xmlChar* localname, const xmlChar*, const xmlChar*, int, const xmlChar**,
                        int nAttributes, int, const xmlChar** attributes) {
        CXmlReader& self = Self(ctx);
        if (self.m_failure.failed) return;
        self.m_text.clear();
        const size_t count = static_cast<size_t>(std::max(nAttributes, 0));
        CXMLAttributes& list = self.m_attributeLists[std::min(count, self.m_attributeLists.size() - 1)];
        // Only the last list, for elements with more attributes than the others take, changes length.
        if (list.size() != count) list.resize(count);
        for (size_t i = 0; i < count; ++i) {
            const xmlChar** a = attributes + 5 * i;
            list[i].first = self.Name(a[0]);
            AssignAttributeValue(list[i].second, a[3], a[4]);
        }
        self.m_pAttributes = &list;
        const WString& name = self.Name(localname);
        bool ok = true;
        if (!self.m_stack.empty()) {
            // Held by the stack throughout: a start only ever pushes.
            CXMLObject* top = self.m_stack.back().Get();
            ok = top->OnStartChildElement(&self, name, list);
        } else if (self.m_pOwner) {
            ok = self.m_pOwner->OnResponseElement(self, name, list);
        }
        if (!ok) Refused(self, name);
    }

    static void OnEnd(void* ctx, const xmlChar* localname, const xmlChar*, const xmlChar*) {
        CXmlReader& self = Self(ctx);
        if (self.m_failure.failed) return;
        const WString& name = self.Name(localname);
        bool ok = true;
        if (self.m_stack.empty()) {
            if (self.m_pOwner) ok = self.m_pOwner->OnImportElement(self, name);
        } else {
            CXMLObject* top = self.m_stack.back().Get();
            // Its own end hands the record to its parent, which may drop it: it is held until its
            // hook returns. A child's end leaves it on the stack.
            CRefPtr<CXMLObject> held;
            if (EqualsNoCase(name, top->GetElementName())) held = self.m_stack.back();
            AssignXMLString(self.m_wideText, self.m_text);
            ok = top->OnEndElement(&self, name, self.m_wideText);
        }
        if (!ok) Refused(self, name);
    }

    static void OnCharacters(void* ctx, const xmlChar* ch, int len) {
        Self(ctx).m_text.append(View(ch, len));
    }

    static void OnDoctype(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
        CXmlReader& self = Self(ctx);
        self.Fail(FormatW("(%#.8lx) %s at line %d column %d", static_cast<unsigned long>(kEFail),
                          WToUtf8(kNoDoctype).c_str(), Line(self.m_pContext), Column(self.m_pContext)),
                  0);
        Stop(self);
    }

    static void OnError(void* ctx, xmlErrorPtr error) {
        CXmlReader& self = Self(ctx);
        if (!error || error->level < XML_ERR_ERROR || self.m_failure.failed) return;
        const int line = error->line > 0 ? error->line : Line(self.m_pContext);
        const int column = error->int2 > 0 ? error->int2 : Column(self.m_pContext);
        self.Fail(FormatW("(%#.8lx) %s at line %d column %d", static_cast<unsigned long>(error->code),
                          WToUtf8(TrimmedMessage(error->message)).c_str(), line, column),
                  0);
        Stop(self);
    }
};

CXmlReader::CXmlReader(int mode, IXmlImportOwner* owner, IFlockDocument* document)
    : m_nMode(mode), m_pOwner(owner), m_pDocument(document) {}

CXmlReader::~CXmlReader() = default;

const WString& CXmlReader::Name(const unsigned char* utf8) {
    // The parser hands each name on from its dictionary, which keeps every name at one address until
    // the parse ends: a dictionary name found at its address is that name. Any other name is compared
    // by its bytes too, so a name at a reused address is never mistaken. When every probed slot is
    // taken the first is overwritten: the name returned last stays valid until the next call.
    const char* bytes = reinterpret_cast<const char*>(utf8);
    const auto address = reinterpret_cast<uintptr_t>(utf8);
    const size_t home = (address >> 3) ^ (address >> 11);
    NameSlot* empty = nullptr;
    for (size_t probe = 0; probe < kNameProbes; ++probe) {
        NameSlot& slot = m_names[(home + probe) % m_names.size()];
        if (slot.address == utf8 && (slot.owned || std::strcmp(slot.utf8.c_str(), bytes) == 0)) return slot.wide;
        if (!slot.address) {
            empty = &slot;
            break;
        }
    }
    NameSlot& slot = empty ? *empty : m_names[home % m_names.size()];
    auto* ctxt = static_cast<xmlParserCtxtPtr>(m_pContext);
    slot.address = utf8;
    slot.owned = ctxt && ctxt->dict && xmlDictOwns(ctxt->dict, utf8) == 1;
    slot.utf8 = bytes;
    AssignMadeXMLString(slot.wide, bytes);
    return slot.wide;
}

void CXmlReader::Fail(const WString& text, unsigned helpId) {
    if (m_failure.failed) return;
    m_failure.failed = true;
    m_failure.text = text;
    m_failure.helpId = helpId;
    m_failure.line = Line(m_pContext);
    m_failure.column = Column(m_pContext);
}

bool CXmlReader::Parse(std::string_view utf8) {
    return Run(utf8, nullptr);
}

bool CXmlReader::ParseFile(const std::string& path) {
    return Run({}, &path);
}

bool CXmlReader::Run(std::string_view text, const std::string* path) {
    xmlSAXHandler sax{};
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = &Callbacks::OnStart;
    sax.endElementNs = &Callbacks::OnEnd;
    sax.characters = &Callbacks::OnCharacters;
    // White space between elements is text like any other: the parser need not tell it apart.
    sax.ignorableWhitespace = &Callbacks::OnCharacters;
    sax.cdataBlock = &Callbacks::OnCharacters;
    sax.internalSubset = &Callbacks::OnDoctype;
    sax.serror = &Callbacks::OnError;
    m_failure = CXmlFailure();
    m_names.fill(NameSlot());
    m_bReported = false;
    m_nErrorCode = 0;
    m_strErrorText.clear();
    bool wellFormed = true;
    {
        CQuietErrors quiet;
        // The plug-in's names and texts and the weight unit are asked once for the whole reading.
        CEventTextScope eventTexts;
        if (!Pump(&sax, this, text, path, &m_pContext, &wellFormed)) {
            Fail(FormatW("(%#.8lx) %s", static_cast<unsigned long>(kEFail),
                         path ? ("Cannot open " + *path).c_str() : "Cannot read the text"),
                 0);
            wellFormed = false;
        } else if (!wellFormed && !m_failure.failed) {
            Fail(FormatW("(%#.8lx) %s", static_cast<unsigned long>(kEFail),
                         quiet.text.empty() ? "The text is not well-formed" : quiet.text.c_str()),
                 0);
        }
    }
    // Records that a stopped parse left behind are this reader's to release.
    m_stack.clear();
    return wellFormed && !m_failure.failed;
}

void CXmlReader::ShowFailure() const {
    if (!m_failure.failed || m_bReported) return;
    CvlMessageBoxText(m_failure.text, MB_OK | MB_ICONERROR | (m_failure.helpId ? MB_HELP : 0), m_failure.helpId);
}

void CXmlReader::SetError(const WString& text, unsigned number) {
    m_strErrorText = text;
    m_nErrorCode = number;
}

bool CXmlReader::PopObject(const WString& elementName, const WString& text) {
    if (m_stack.size() > 1) {
        CRefPtr<CXMLObject> parent = m_stack[m_stack.size() - 2];
        return parent->OnEndElement(this, elementName, text);
    }
    if (m_pOwner) return m_pOwner->OnImportElement(*this, elementName);
    m_stack.clear();
    return true;
}

void CXmlReader::PushObject(CRefPtr<CXMLObject> object) {
    m_stack.push_back(std::move(object));
}

CRefPtr<CXMLObject> CXmlReader::TakeLastObject() {
    if (m_stack.empty()) return nullptr;
    CRefPtr<CXMLObject> last = std::move(m_stack.back());
    m_stack.pop_back();
    return last;
}

// ---- the checking pass -------------------------------------------------------------------------

CXmlSchema::~CXmlSchema() {
    if (m_pSchema) xmlSchemaFree(static_cast<xmlSchemaPtr>(m_pSchema));
}

bool CXmlSchema::Load(const std::string& path, WString* reason) {
    CQuietErrors quiet;
    xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(path.c_str());
    if (parser) {
        m_pSchema = xmlSchemaParse(parser);
        xmlSchemaFreeParserCtxt(parser);
    }
    if (!m_pSchema && reason) *reason = Utf8ToW(quiet.text.empty() ? "Cannot read " + path : quiet.text);
    return m_pSchema != nullptr;
}

namespace {

struct CChecker {
    CXmlCheckResult result;
    const std::string ns = kCvlXmlNamespace;
    // The parser hands the namespace on from its dictionary, at one address for the whole parse:
    // once that address has been seen to hold ns, it is not compared again.
    const xmlChar* nsSeen = nullptr;
    void* ctxt = nullptr;
    int depth = 0;
    bool invalid = false;  // the schema refused something; reported once the namespace is checked
    CXmlCheckResult firstError;
    std::vector<const xmlChar*> path;   // local names of the open elements (the parser's dictionary)
    const char* dateElement = nullptr;  // the date element whose text is being collected
    bool dateMayBeEmpty = false;
    std::string text;
};

// The writer's forms of dates and stamps, which the schema types only as xs:date and xs:dateTime.
// Together with those types this accepts exactly what the patterns "\d{4}-\d{2}-\d{2}" and
// "\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}" would: the types already refuse any other digits, and an
// empty value is the types' (or the Empty member's) to judge.
constexpr char kDateForm[] = "dddd-dd-dd";
constexpr char kStampForm[] = "dddd-dd-ddTdd:dd:dd";

bool HasForm(std::string_view value, std::string_view form) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!value.empty() && blank(value.front())) value.remove_prefix(1);
    while (!value.empty() && blank(value.back())) value.remove_suffix(1);
    if (value.empty()) return true;
    if (value.size() != form.size()) return false;
    for (size_t i = 0; i < form.size(); ++i) {
        const bool ok = form[i] == 'd' ? (value[i] >= '0' && value[i] <= '9') : value[i] == form[i];
        if (!ok) return false;
    }
    return true;
}

// The elements typed Date (or OptionalDate, Event's Date), by local name; null for any other.
const char* DateElement(const xmlChar* localname) {
    static const char* const names[] = {"Date", "BirthDate", "PurchaseDate", "DepartDate", "DateIn", "DateOut"};
    if (localname[0] != 'D' && localname[0] != 'B' && localname[0] != 'P') return nullptr;
    for (const char* name : names)
        if (std::strcmp(reinterpret_cast<const char*>(localname), name) == 0) return name;
    return nullptr;
}

// The schema plug-in hands some callbacks its own data: the pass in progress is found here.
thread_local CChecker* t_checker = nullptr;

void CheckerStop(CChecker& c) {
    if (c.ctxt) xmlStopParser(static_cast<xmlParserCtxtPtr>(c.ctxt));
}

void CheckerRecord(CChecker& c, CXmlCheckResult::Kind kind, const WString& reason, int code, int line, int column) {
    if (c.firstError.kind != CXmlCheckResult::Ok) return;
    c.firstError.kind = kind;
    c.firstError.reason = reason;
    c.firstError.code = code;
    c.firstError.line = line > 0 ? line : Line(c.ctxt);
    c.firstError.column = column > 0 ? column : Column(c.ctxt);
}

// Refuses a date or stamp outside the writer's forms as the schema's pattern would have.
void CheckerRefuseForm(CChecker& c, const std::string& where, std::string_view value, const char* type) {
    const std::string text = where + ": '" + std::string(value) + "' is not a valid value of the type '{" + c.ns +
                             "}" + type + "'.";
    CheckerRecord(c, CXmlCheckResult::Invalid, Utf8ToW(text), XML_SCHEMAV_CVC_PATTERN_VALID, 0, 0);
    c.invalid = true;
}

bool IsOurNamespace(CChecker& c, const xmlChar* uri) {
    if (!uri) return false;
    if (uri == c.nsSeen) return true;
    if (c.ns != reinterpret_cast<const char*>(uri)) return false;
    auto* parser = static_cast<xmlParserCtxtPtr>(c.ctxt);
    if (parser && parser->dict && xmlDictOwns(parser->dict, uri) == 1) c.nsSeen = uri;
    return true;
}

void CheckerStart(void*, const xmlChar* localname, const xmlChar*, const xmlChar* uri, int nNamespaces,
                  const xmlChar** namespaces, int nAttributes, int, const xmlChar** attributes) {
    CChecker& c = *t_checker;
    ++c.depth;
    c.path.push_back(localname);
    bool ours = IsOurNamespace(c, uri);
    for (int i = 0; i < nNamespaces; ++i)
        if (!IsOurNamespace(c, namespaces[2 * i + 1])) ours = false;
    if (!ours) {
        c.result.kind = CXmlCheckResult::WrongNamespace;
        c.result.line = Line(c.ctxt);
        c.result.column = Column(c.ctxt);
        CheckerStop(c);
        return;
    }
    if (c.invalid) {
        CheckerStop(c);
        return;
    }
    if (c.depth == 2) {
        const std::string name = reinterpret_cast<const char*>(localname);
        if (name == "Dedov" || name == "Address") ++c.result.topLevelRecords;
    }
    // Every Created and Edited attribute of the file is typed OptionalStamp.
    for (int i = 0; i < nAttributes; ++i) {
        const xmlChar** a = attributes + 5 * i;
        const char* name = reinterpret_cast<const char*>(a[0]);
        if (a[2] || (name[0] != 'C' && name[0] != 'E') ||
            (std::strcmp(name, "Created") != 0 && std::strcmp(name, "Edited") != 0))
            continue;
        const std::string_view value(reinterpret_cast<const char*>(a[3]), size_t(a[4] - a[3]));
        if (!HasForm(value, kStampForm)) {
            CheckerRefuseForm(c, "Element '{" + c.ns + "}" + reinterpret_cast<const char*>(localname) +
                                     "', attribute '" + name + "'",
                              value, "OptionalStamp");
            return;
        }
    }
    c.dateElement = DateElement(localname);
    // Only an event's Date may be empty (OptionalDate).
    c.dateMayBeEmpty = c.dateElement && c.path.size() >= 2 &&
                       std::strcmp(reinterpret_cast<const char*>(c.path[c.path.size() - 2]), "Event") == 0;
    c.text.clear();
}

void CheckerText(void*, const xmlChar* text, int length) {
    CChecker& c = *t_checker;
    if (c.dateElement) c.text.append(reinterpret_cast<const char*>(text), size_t(length));
}

void CheckerEnd(void*, const xmlChar*, const xmlChar*, const xmlChar*) {
    CChecker& c = *t_checker;
    --c.depth;
    if (!c.path.empty()) c.path.pop_back();
    if (c.dateElement && !c.invalid && !HasForm(c.text, kDateForm))
        CheckerRefuseForm(c, "Element '{" + c.ns + "}" + c.dateElement + "'", c.text,
                          c.dateMayBeEmpty ? "OptionalDate" : "Date");
    c.dateElement = nullptr;
    if (c.invalid) CheckerStop(c);
}

void CheckerDoctype(void*, const xmlChar*, const xmlChar*, const xmlChar*) {
    CChecker& c = *t_checker;
    CheckerRecord(c, CXmlCheckResult::Malformed, kNoDoctype, XML_ERR_USER_STOP, 0, 0);
    CheckerStop(c);
}

void CheckerParserError(void*, xmlErrorPtr error) {
    CChecker& c = *t_checker;
    if (!error || error->level < XML_ERR_ERROR) return;
    CheckerRecord(c, CXmlCheckResult::Malformed, TrimmedMessage(error->message), error->code, error->line,
                  error->int2);
    CheckerStop(c);
}

void CheckerSchemaError(void*, xmlErrorPtr error) {
    CChecker& c = *t_checker;
    if (!error || error->level < XML_ERR_ERROR) return;
    CheckerRecord(c, CXmlCheckResult::Invalid, TrimmedMessage(error->message), error->code, error->line,
                  error->int2);
    c.invalid = true;
}

CXmlCheckResult Check(std::string_view text, const std::string* path, const CXmlSchema* schema) {
    CChecker checker;
    t_checker = &checker;
    xmlSAXHandler sax{};
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = &CheckerStart;
    sax.endElementNs = &CheckerEnd;
    sax.characters = &CheckerText;
    sax.cdataBlock = &CheckerText;
    sax.internalSubset = &CheckerDoctype;
    sax.serror = &CheckerParserError;
    xmlSAXHandlerPtr handler = &sax;
    void* user = &checker;
    xmlSchemaValidCtxtPtr valid = nullptr;
    xmlSchemaSAXPlugPtr plug = nullptr;
    if (schema && schema->Get()) {
        valid = xmlSchemaNewValidCtxt(static_cast<xmlSchemaPtr>(schema->Get()));
        xmlSchemaSetValidStructuredErrors(valid, &CheckerSchemaError, &checker);
        plug = xmlSchemaSAXPlug(valid, &handler, &user);
    }
    bool opened = false;
    bool wellFormed = true;
    CQuietErrors quiet;
    opened = Pump(handler, user, text, path, &checker.ctxt, &wellFormed);
    if (opened && !wellFormed && checker.result.kind == CXmlCheckResult::Ok)
        CheckerRecord(checker, CXmlCheckResult::Malformed,
                      TrimmedMessage(quiet.text.empty() ? "The file is not well-formed" : quiet.text.c_str()),
                      XML_ERR_INTERNAL_ERROR, 0, 0);
    if (plug) xmlSchemaSAXUnplug(plug);
    if (valid) xmlSchemaFreeValidCtxt(valid);
    t_checker = nullptr;

    CXmlCheckResult result = checker.result;
    if (!opened) {
        result.kind = CXmlCheckResult::CannotRead;
        result.reason = Utf8ToW("Cannot open " + (path ? *path : std::string()));
    } else if (result.kind == CXmlCheckResult::Ok && checker.firstError.kind != CXmlCheckResult::Ok) {
        const int count = result.topLevelRecords;
        result = checker.firstError;
        result.topLevelRecords = count;
    }
    return result;
}

}  // namespace

CXmlCheckResult CheckXmlFile(const std::string& path, const CXmlSchema* schema) {
    return Check({}, &path, schema);
}

CXmlCheckResult CheckXmlText(std::string_view text, const CXmlSchema* schema) {
    return Check(text, nullptr, schema);
}

// ---- the breed validator -----------------------------------------------------------------------

namespace {

void OnTransformError(void* ctx, const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    *static_cast<std::string*>(ctx) += buffer;
}

}  // namespace

void* ApplyXslSafely(void* compiled, void* input, bool readFiles, std::string* messages) {
    auto style = static_cast<xsltStylesheetPtr>(compiled);
    auto doc = static_cast<xmlDocPtr>(input);
    xsltSecurityPrefsPtr security = xsltNewSecurityPrefs();
    for (xsltSecurityOption option : {XSLT_SECPREF_WRITE_FILE, XSLT_SECPREF_CREATE_DIRECTORY,
                                      XSLT_SECPREF_WRITE_NETWORK, XSLT_SECPREF_READ_NETWORK})
        xsltSetSecurityPrefs(security, option, xsltSecurityForbid);
    if (!readFiles) xsltSetSecurityPrefs(security, XSLT_SECPREF_READ_FILE, xsltSecurityForbid);
    xsltTransformContextPtr transform = xsltNewTransformContext(style, doc);
    xmlDocPtr result = nullptr;
    if (transform) {
        xsltSetCtxtSecurityPrefs(security, transform);
        xsltSetTransformErrorFunc(transform, messages, &OnTransformError);
        result = xsltApplyStylesheetUser(style, doc, nullptr, nullptr, nullptr, transform);
        if (result && transform->state != XSLT_STATE_OK) {
            xmlFreeDoc(result);
            result = nullptr;
        }
        xsltFreeTransformContext(transform);
    }
    xsltFreeSecurityPrefs(security);
    return result;
}

bool RunXmlValidator(const std::string& xsl, const std::string& path, WString* reason, bool* badStyle) {
    *badStyle = false;
    CQuietErrors quiet;
    xmlDocPtr styleDoc = xmlReadMemory(xsl.data(), static_cast<int>(xsl.size()), "validator.xsl", nullptr,
                                       kParseOptions);
    xsltStylesheetPtr style = styleDoc ? xsltParseStylesheetDoc(styleDoc) : nullptr;
    if (!style) {
        if (styleDoc) xmlFreeDoc(styleDoc);
        *badStyle = true;
        *reason = TrimmedMessage(quiet.text.c_str());
        return false;
    }
    xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr, kParseOptions);
    if (!doc) {
        xsltFreeStylesheet(style);
        *reason = TrimmedMessage(quiet.text.c_str());
        return false;
    }
    std::string messages;
    xmlDocPtr result = static_cast<xmlDocPtr>(ApplyXslSafely(style, doc, false, &messages));
    const bool ok = result != nullptr;
    if (result) xmlFreeDoc(result);
    xmlFreeDoc(doc);
    xsltFreeStylesheet(style);
    if (!ok) *reason = TrimmedMessage((messages.empty() ? quiet.text : messages).c_str());
    return ok;
}
