// What the printers offer: their names, the default one, and each one's papers, paper sources and
// resolutions. The program asks CUPS; tests read a PPD file or use a double.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/text.h"

struct CPaperChoice {
    WString name;         // the printer's keyword ("A4", "Letter", "Custom")
    WString displayName;  // as the user reads it
    int widthMm10 = 0;    // tenths of a millimetre
    int heightMm10 = 0;
};

struct CPrinterChoice {
    WString name;
    WString displayName;
};

struct CPrinterCapabilities {
    std::vector<CPaperChoice> papers;
    std::vector<CPrinterChoice> sources;  // paper sources (input slots)
    std::vector<int> resolutions;         // dots per inch, horizontal
    WString defaultPaper;
    WString defaultSource;
    int defaultResolution = 0;
};

class IPrinterLister {
public:
    virtual ~IPrinterLister() = default;
    virtual std::vector<WString> GetPrinters() = 0;
    // Empty when there is no default printer.
    virtual WString GetDefaultPrinter() = 0;
    // False when the printer is unknown or its description cannot be read.
    virtual bool GetCapabilities(const WString& printer, CPrinterCapabilities& caps) = 0;
};

// Reads a printer description (PPD) file; false when it cannot be read.
bool ReadPpdCapabilities(const std::string& ppdPath, CPrinterCapabilities& caps);

// Printers described by PPD files: name to file.
class CPpdPrinterLister : public IPrinterLister {
public:
    void AddPrinter(const WString& name, const std::string& ppdPath, bool isDefault = false);
    std::vector<WString> GetPrinters() override;
    WString GetDefaultPrinter() override { return m_default; }
    bool GetCapabilities(const WString& printer, CPrinterCapabilities& caps) override;

private:
    std::vector<std::pair<WString, std::string>> m_printers;
    WString m_default;
};

// The CUPS destinations of this machine.
std::unique_ptr<IPrinterLister> CreateCupsPrinterLister();

// The lister the program uses (CUPS unless one was installed); tests install their own.
IPrinterLister& CvlGetPrinterLister();
// Installs a lister (null: back to CUPS); the caller keeps it alive while installed.
void CvlSetPrinterLister(IPrinterLister* lister);
