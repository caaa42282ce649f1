#include "document/sheep_report.h"

#include <libxml/parser.h>
#include <libxml/uri.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <fstream>
#include <optional>
#include <sstream>

#include "document/web_upload.h"
#include "document/xml_reader.h"
#include "platform/install.h"
#include "platform/settings.h"
#include "platform/strings.h"

namespace {

constexpr unsigned IDS_PARSE_ERROR_HTML = 37;
constexpr unsigned IDS_FAILED_TO_LOAD_HTML = 180;
constexpr int kParseOptions = XML_PARSE_NONET;
// What the page shows for a failure that carries no number of its own (a refused transform).
constexpr uint32_t kEFail = 0x80004005u;

WString TrimmedText(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return Utf8ToW(text);
}

// The text of line number line (from 1) of a document, without its line end.
WString SourceLine(std::string_view text, int line) {
    if (line <= 0) return {};
    size_t at = 0;
    for (int n = 1; n < line; ++n) {
        at = text.find('\n', at);
        if (at == std::string_view::npos) return {};
        ++at;
    }
    size_t end = text.find('\n', at);
    std::string_view source = text.substr(at, end == std::string_view::npos ? text.size() - at : end - at);
    if (!source.empty() && source.back() == '\r') source.remove_suffix(1);
    return Utf8ToW(source);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The file a "Report XSL" value names: a plain path, or the path of a file: URL; nothing for any
// other address.
std::optional<std::string> StyleSheetPath(const std::string& value) {
    const size_t colon = value.find(':');
    const size_t slash = value.find('/');
    const bool hasScheme =
        colon != std::string::npos && colon > 1 && (slash == std::string::npos || colon < slash);
    if (!hasScheme) return value;
    std::string scheme = value.substr(0, colon);
    for (char& c : scheme) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (scheme != "file") return std::nullopt;
    std::string rest = value.substr(colon + 1);
    if (rest.rfind("//", 0) == 0) {
        // file://host/path: only the local host.
        const size_t pathAt = rest.find('/', 2);
        const std::string host = rest.substr(2, pathAt == std::string::npos ? std::string::npos : pathAt - 2);
        if (!host.empty() && host != "localhost") return std::nullopt;
        rest = pathAt == std::string::npos ? std::string() : rest.substr(pathAt);
    }
    char* unescaped = xmlURIUnescapeString(rest.c_str(), 0, nullptr);
    if (!unescaped) return std::nullopt;
    std::string path = unescaped;
    xmlFree(unescaped);
    return path;
}

CReportParseError FromXmlError(const xmlError* error, std::string_view text) {
    CReportParseError e;
    if (!error) return e;
    e.code = uint32_t(error->code);
    e.reason = TrimmedText(error->message ? error->message : "");
    e.line = error->line;
    e.column = error->int2;
    e.source = SourceLine(text, error->line);
    return e;
}

// The first error a parse reports; a warning only stands in when nothing could be read at all (a
// file that is not there is a warning to libxml2).
struct FirstError {
    std::optional<CReportParseError> error;
    std::string_view text;
    std::optional<CReportParseError> warning;
    static void On(void* ctx, xmlErrorPtr error) {
        auto* self = static_cast<FirstError*>(ctx);
        if (!error) return;
        if (error->level >= XML_ERR_ERROR) {
            if (!self->error) self->error = FromXmlError(error, self->text);
        } else if (!self->warning) {
            self->warning = FromXmlError(error, self->text);
        }
    }
    std::optional<CReportParseError> ErrorOrWarning() const { return error ? error : warning; }
};

// The report's text checked against the schema: no error, or the first one.
std::optional<CReportParseError> CheckReport(const std::string& xml, xmlSchemaPtr schema, xmlDocPtr* out) {
    FirstError first{std::nullopt, xml, std::nullopt};
    xmlParserCtxtPtr parser = xmlNewParserCtxt();
    if (!parser) return CReportParseError{kEFail, u"Out of Memory", {}, 0, 0};
    xmlSetStructuredErrorFunc(&first, &FirstError::On);
    xmlDocPtr doc =
        xmlCtxtReadMemory(parser, xml.data(), int(xml.size()), "report.xml", nullptr, kParseOptions);
    xmlFreeParserCtxt(parser);
    if (doc && !first.error && doc->intSubset) {
        first.error =
            CReportParseError{kEFail, u"A document type declaration is not allowed in the report", {}, 0, 0};
    }
    if (doc && !first.error) {
        xmlSchemaValidCtxtPtr valid = xmlSchemaNewValidCtxt(schema);
        if (valid) {
            xmlSchemaSetValidStructuredErrors(valid, &FirstError::On, &first);
            if (xmlSchemaValidateDoc(valid, doc) != 0 && !first.error)
                first.error = CReportParseError{kEFail, u"The report does not match the schema", {}, 0, 0};
            xmlSchemaFreeValidCtxt(valid);
        }
    }
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    if (!doc && !first.error)
        first.error = CReportParseError{kEFail, u"The report could not be read", {}, 0, 0};
    if (first.error) {
        if (doc) xmlFreeDoc(doc);
        return first.error;
    }
    *out = doc;
    return std::nullopt;
}

}  // namespace

std::string BuildSheepReportXML(const CSheepDoc& doc, CSheep* sheep) {
    return WriteSheepXML(doc, sheep);
}

WString EscapeHtml(WStringView text) {
    WString out;
    out.reserve(text.size());
    for (char16_t c : text) {
        switch (c) {
            case u'&':
                out += u"&amp;";
                break;
            case u'<':
                out += u"&lt;";
                break;
            case u'>':
                out += u"&gt;";
                break;
            case u'"':
                out += u"&quot;";
                break;
            case u'\'':
                out += u"&#39;";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

WString FormatReportParseError(const WString* name, const CReportParseError& error) {
    WString html =
        FormatCvlString(IDS_FAILED_TO_LOAD_HTML, {name ? EscapeHtml(*name) : WString(u"Application Data")});
    if (error.code != 0) {
        html += FormatW(WToUtf8(LoadCvlString(IDS_PARSE_ERROR_HTML)).c_str(),
                        WToUtf8(EscapeHtml(error.reason)).c_str(), error.code,
                        WToUtf8(EscapeHtml(error.source)).c_str(), error.line, error.column);
    }
    return html;
}

CReportRendering RenderSheepReport(const std::string& reportXml) {
    CReportRendering rendering;
    rendering.css = CRegistrySettings::GetString(HKEY_LOCAL_MACHINE, u"Settings", u"Report CSS", u"");
    const WString xslValue =
        CRegistrySettings::GetString(HKEY_LOCAL_MACHINE, u"Settings", u"Report XSL", u"");
    const std::optional<std::string> schemaPath = CvlGetComponentPath("Schema");
    if (!schemaPath) {
        rendering.outcome = CReportRendering::NoSchema;
        return rendering;
    }
    CXmlSchema schema;
    WString reason;
    if (!schema.Load(*schemaPath, &reason)) {
        rendering.outcome = CReportRendering::SchemaFailed;
        rendering.message = reason;
        return rendering;
    }

    CQuietErrors quiet;
    xmlDocPtr report = nullptr;
    if (auto error = CheckReport(reportXml, static_cast<xmlSchemaPtr>(schema.Get()), &report)) {
        rendering.html = FormatReportParseError(nullptr, *error);
        return rendering;
    }

    // The style sheet: read from a file only, parsed without network, entities or a DTD.
    const std::optional<std::string> xslPath = StyleSheetPath(WToUtf8(xslValue));
    xsltStylesheetPtr style = nullptr;
    if (!xslPath || xslPath->empty()) {
        xmlFreeDoc(report);
        rendering.html = FormatReportParseError(&xslValue, {});
        return rendering;
    }
    {
        const std::string xslText = ReadFile(*xslPath);
        FirstError first{std::nullopt, xslText, std::nullopt};
        xmlSetStructuredErrorFunc(&first, &FirstError::On);
        xmlDocPtr styleDoc = xmlReadFile(xslPath->c_str(), nullptr, kParseOptions);
        xmlSetStructuredErrorFunc(nullptr, nullptr);
        if (styleDoc && styleDoc->intSubset && !first.error)
            first.error = CReportParseError{
                kEFail, u"A document type declaration is not allowed in the style sheet", {}, 0, 0};
        if (styleDoc && !first.error) {
            quiet.text.clear();
            style = xsltParseStylesheetDoc(styleDoc);
            if (!style) first.error = CReportParseError{kEFail, TrimmedText(quiet.text), {}, 0, 0};
        }
        if (styleDoc && !style) xmlFreeDoc(styleDoc);
        if (!style) {
            xmlFreeDoc(report);
            rendering.html =
                FormatReportParseError(&xslValue, first.ErrorOrWarning().value_or(CReportParseError{}));
            return rendering;
        }
    }

    std::string messages;
    xmlDocPtr result = static_cast<xmlDocPtr>(ApplyXslSafely(style, report, true, &messages));
    if (result) {
        xmlChar* bytes = nullptr;
        int size = 0;
        if (xsltSaveResultToString(&bytes, &size, result, style) == 0) {
            rendering.html =
                Utf8ToW(std::string_view(reinterpret_cast<const char*>(bytes), size_t(size > 0 ? size : 0)));
        }
        xmlFree(bytes);
        xmlFreeDoc(result);
    } else {
        // libxslt says why; its text stands in for the parser's reason.
        CReportParseError error;
        error.code = kEFail;
        error.reason = TrimmedText(messages.empty() ? quiet.text : messages);
        rendering.html = FormatReportParseError(nullptr, error);
    }
    xsltFreeStylesheet(style);
    xmlFreeDoc(report);
    return rendering;
}
