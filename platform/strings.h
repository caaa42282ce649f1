// The string tables: texts by number, one table per deliverable (their numbers overlap).
#pragma once

#include <span>
#include <vector>

#include "platform/text.h"

enum class CvlStringTable {
    Dedov,      // the program and everything it links (records, document, shell, views, breed plug-in)
    Wyndrace,   // the reader plug-in library
    Quillmere,  // the reconciler library and its host program
};

struct CvlStringEntry {
    unsigned id;
    WString text;
};

// The text of string `id` in Dedov's table; empty when there is no such string.
WString LoadCvlString(unsigned id);
// The text of string `id` in the given table; empty when there is no such string.
WString LoadCvlString(CvlStringTable table, unsigned id);
bool CvlStringExists(CvlStringTable table, unsigned id);
// Every entry of a table in ascending number order (a number given twice is listed twice).
std::span<const CvlStringEntry> CvlStringTableEntries(CvlStringTable table);

// The framework's AfxFormatString: string `id` with "%1".."%9" replaced by args.
WString FormatCvlString(unsigned id, const std::vector<WString>& args,
                        CvlStringTable table = CvlStringTable::Dedov);

// Help contexts: a message box's is the prompt base plus its string number,
// a dialog control's is the control base plus the control id.
constexpr unsigned HID_BASE_PROMPT = 0x30000u;
constexpr unsigned HID_BASE_CONTROL = 0x50000u;
constexpr unsigned CvlPromptHelpId(unsigned stringId) {
    return HID_BASE_PROMPT + stringId;
}
constexpr unsigned CvlControlHelpId(unsigned controlId) {
    return HID_BASE_CONTROL + controlId;
}
