// The one-animal HTML report without a GUI: the report's XML checked against the program's schema,
// turned into HTML by the "Report XSL" style sheet with libxslt, and the page texts of each failure.
// The report view shows what this gives.
#pragma once

#include <string>

#include "platform/text.h"

class CSheep;
class CSheepDoc;

// The report XML of the animal shown (null: none), as UTF-8.
std::string BuildSheepReportXML(const CSheepDoc& doc, CSheep* sheep);

// A parse error as the page shows it: string 180 with the name ("Application Data" without one),
// then, for a nonzero code, string 37 with the reason, the code, the source text, the line and the
// column. Every text from outside is HTML-escaped.
struct CReportParseError {
    uint32_t code = 0;
    WString reason;
    WString source;
    int line = 0;
    int column = 0;
};
WString FormatReportParseError(const WString* name, const CReportParseError& error);

// HTML-escapes &, <, >, " and '.
WString EscapeHtml(WStringView text);

struct CReportRendering {
    enum Outcome {
        Html,         // html goes into the page's "Contents" element
        NoSchema,     // the schema's component is missing: the placeholder stays
        SchemaFailed  // the schema could not be loaded: message is shown in a box, the placeholder stays
    };
    Outcome outcome = Html;
    WString html;
    WString message;
    WString css;  // the "Report CSS" setting, added to the page when not empty
};

// Reads "Report CSS" and "Report XSL" (machine-wide) and renders the report's XML. "Report XSL" is a
// file path or a file: URL; any other address is refused without being fetched.
CReportRendering RenderSheepReport(const std::string& reportXml);
