// File Import and File Export without the dialogs: a tab-separated text file of animals from an
// older program or a spreadsheet, and the exchange file of the flock or of one animal with the
// pictures copied beside it.
#pragma once

#include <string>

#include "platform/text.h"

class CSheepDoc;

// Export modes by the file's extension (the list views' own numbers).
constexpr int EXPORT_XML = 0;
constexpr int EXPORT_CSV = 1;
constexpr int EXPORT_TEXT = 2;
// "TXT" or none: text; "CSV": comma-separated; "XML": the exchange file; -1 for any other.
int ExportModeOfPath(const std::string& path);

// Reads the text file into the document: the first line is a header; each further line one animal
// of twelve TAB-separated fields. Gives the number of data lines read; the status bar says it.
// A line with fewer than 8 fields ends the import there; one with 8 to 11 is reported and ends it.
int ImportTextFile(CSheepDoc& doc, const std::string& path);

// File Import of one file: text for "TXT" and "CSV" (without regard to case), else the exchange
// file. True when something was imported.
bool ImportFile(CSheepDoc& doc, const std::string& path);

// Writes the exchange file: every animal that passes the criteria, or with currentOnly the current
// animal (none when there is none); then copies the animals' pictures into the "Images" folder
// beside it. Gives the animals written, or -1 when the file could not be written (reported).
int ExportXMLFile(CSheepDoc& doc, const std::string& path, bool currentOnly);
