#include "platform/printers.h"

#include <cups/cups.h>
#include <cups/ppd.h>
#include <unistd.h>

#include <cmath>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

int PointsToMm10(float points) {
    return int(std::lround(double(points) * 254.0 / 72.0));
}

WString Text(const char* text) {
    return text ? Utf8ToW(text) : WString();
}

void ReadChoices(ppd_file_t* ppd, const char* keyword, std::vector<CPrinterChoice>& out, WString& chosen) {
    ppd_option_t* option = ppdFindOption(ppd, keyword);
    if (!option) return;
    for (int i = 0; i < option->num_choices; ++i)
        out.push_back({Text(option->choices[i].choice), Text(option->choices[i].text)});
    chosen = Text(option->defchoice);
}

int ParseDpi(const char* text) {
    return text ? std::atoi(text) : 0;
}

class CCupsPrinterLister : public IPrinterLister {
public:
    std::vector<WString> GetPrinters() override {
        std::vector<WString> names;
        cups_dest_t* dests = nullptr;
        const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
        for (int i = 0; i < count; ++i)
            if (!dests[i].instance) names.push_back(Text(dests[i].name));
        cupsFreeDests(count, dests);
        return names;
    }

    WString GetDefaultPrinter() override {
        cups_dest_t* dests = nullptr;
        const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
        WString name;
        if (cups_dest_t* dest = cupsGetDest(nullptr, nullptr, count, dests)) name = Text(dest->name);
        cupsFreeDests(count, dests);
        return name;
    }

    bool GetCapabilities(const WString& printer, CPrinterCapabilities& caps) override {
        const char* file = cupsGetPPD2(CUPS_HTTP_DEFAULT, WToUtf8(printer).c_str());
        if (!file) return false;
        const std::string path = file;
        const bool ok = ReadPpdCapabilities(path, caps);
        ::unlink(path.c_str());
        return ok;
    }
};

IPrinterLister* g_installed = nullptr;

}  // namespace

bool ReadPpdCapabilities(const std::string& ppdPath, CPrinterCapabilities& caps) {
    caps = {};
    ppd_file_t* ppd = ppdOpenFile(ppdPath.c_str());
    if (!ppd) return false;
    ppdMarkDefaults(ppd);
    ppd_option_t* pageSize = ppdFindOption(ppd, "PageSize");
    for (int i = 0; i < ppd->num_sizes; ++i) {
        const ppd_size_t& size = ppd->sizes[i];
        CPaperChoice paper{Text(size.name), Text(size.name), PointsToMm10(size.width),
                           PointsToMm10(size.length)};
        if (pageSize)
            if (ppd_choice_t* choice = ppdFindChoice(pageSize, size.name))
                paper.displayName = Text(choice->text);
        caps.papers.push_back(std::move(paper));
    }
    if (pageSize) caps.defaultPaper = Text(pageSize->defchoice);
    ReadChoices(ppd, "InputSlot", caps.sources, caps.defaultSource);
    if (ppd_option_t* resolution = ppdFindOption(ppd, "Resolution")) {
        for (int i = 0; i < resolution->num_choices; ++i)
            if (const int dpi = ParseDpi(resolution->choices[i].choice); dpi > 0)
                caps.resolutions.push_back(dpi);
        caps.defaultResolution = ParseDpi(resolution->defchoice);
    } else if (ppd_attr_t* attr = ppdFindAttr(ppd, "DefaultResolution", nullptr)) {
        if (const int dpi = ParseDpi(attr->value); dpi > 0) {
            caps.resolutions.push_back(dpi);
            caps.defaultResolution = dpi;
        }
    }
    ppdClose(ppd);
    return true;
}

void CPpdPrinterLister::AddPrinter(const WString& name, const std::string& ppdPath, bool isDefault) {
    m_printers.emplace_back(name, ppdPath);
    if (isDefault) m_default = name;
}

std::vector<WString> CPpdPrinterLister::GetPrinters() {
    std::vector<WString> names;
    for (const auto& [name, path] : m_printers) names.push_back(name);
    return names;
}

bool CPpdPrinterLister::GetCapabilities(const WString& printer, CPrinterCapabilities& caps) {
    for (const auto& [name, path] : m_printers)
        if (name == printer) return ReadPpdCapabilities(path, caps);
    return false;
}

std::unique_ptr<IPrinterLister> CreateCupsPrinterLister() {
    return std::make_unique<CCupsPrinterLister>();
}

IPrinterLister& CvlGetPrinterLister() {
    if (g_installed) return *g_installed;
    static const std::unique_ptr<IPrinterLister> cups = CreateCupsPrinterLister();
    return *cups;
}

void CvlSetPrinterLister(IPrinterLister* lister) {
    g_installed = lister;
}

#pragma GCC diagnostic pop
