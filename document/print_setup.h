// The Linux print setup of a page setup: the CUPS printer, orientation, paper, paper source and
// resolution. The data file's printer blocks stay as they came; this setup is kept beside them, in
// the user's settings by the file's path and the kind of view, and seeded from the stored DEVMODE.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/text.h"

class CPageSetup;

struct CPrintSetup {
    WString printer;      // empty: the default printer
    int orientation = 1;  // 1 portrait, 2 landscape
    int paperId = 0;      // the DEVMODE paper number it was seeded from, 0 when none
    WString paper;        // the printer's paper keyword, empty: the printer's default
    WString source;       // paper source keyword, empty: the default
    int resolution = 0;   // dots per inch, 0: the default

    bool operator==(const CPrintSetup&) const = default;
    WString ToText() const;
    static bool FromText(WStringView text, CPrintSetup& out);
};

// DEVMODE fields, read when the block is long enough to hold them (0 otherwise).
int DevModeOrientation(const std::vector<uint8_t>& devMode);
int DevModePaperSize(const std::vector<uint8_t>& devMode);
// The paper keyword of a DEVMODE paper number ("A4" for 9); empty when unknown.
WString PaperKeywordFromId(int paperId);

// The setup of a record: the one chosen in this run, else the stored one for that file and kind,
// else one seeded from the record's DEVMODE (orientation and paper size).
CPrintSetup GetPrintSetup(const CPageSetup& record, const std::string& docPath, int viewKind);
// Keeps the setup with the record and, for a file that has a path, in the user's settings.
void SetPrintSetup(CPageSetup& record, const std::string& docPath, int viewKind, const CPrintSetup& setup);
