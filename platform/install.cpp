#include "platform/install.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>

#include "platform/settings.h"
#include "platform/text.h"

#ifndef CVL_INSTALL_PREFIX_DEFAULT
#define CVL_INSTALL_PREFIX_DEFAULT "/usr/local"
#endif

std::string CvlInstallPrefix() {
    if (const char* prefix = getenv("CVL_INSTALL_PREFIX"); prefix && *prefix) return prefix;
    return CVL_INSTALL_PREFIX_DEFAULT;
}

bool CvlIsInstalled() {
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(CvlInstallPrefix()) / kCvlComponentList,
                                            ec);
}

std::optional<std::string> CvlGetComponentPath(std::string_view component) {
    const std::filesystem::path prefix(CvlInstallPrefix());
    std::ifstream list(prefix / kCvlComponentList);
    std::string line;
    while (std::getline(list, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto eq = line.find('=');
        if (eq == std::string::npos || std::string_view(line).substr(0, eq) != component) continue;
        const std::filesystem::path path = prefix / line.substr(eq + 1);
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) return std::nullopt;
        return path.string();
    }
    return std::nullopt;
}

namespace {

std::vector<std::pair<std::string, std::string>> ReadComponentList() {
    std::vector<std::pair<std::string, std::string>> entries;
    std::ifstream list(std::filesystem::path(CvlInstallPrefix()) / kCvlComponentList);
    std::string line;
    while (std::getline(list, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto eq = line.find('=');
        if (eq == std::string::npos || eq == 0) continue;
        entries.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return entries;
}

bool NamesExistingFile(const std::optional<SettingsValue>& value) {
    std::error_code ec;
    return value && value->type == REG_SZ && !value->text.empty() &&
           std::filesystem::is_regular_file(WToUtf8(value->text), ec);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

// One registration: nothing when it stands, else written again.
void Register(CInstallRepair& result, const std::string& component, const WString& keyPath,
              const WString& valueName, const std::string& library, std::optional<uint32_t> modes) {
    const WString path = WString(CRegistrySettings::AppKeyPath) + keyPath;
    auto key = CSettingsKey::Open(HKEY_LOCAL_MACHINE, path);
    uint32_t storedModes = 0;
    const bool standing = key && NamesExistingFile(key->QueryValue(valueName)) &&
                          (!modes || key->QueryDWord(u"Supported Modes", storedModes));
    if (standing) return;
    key = CSettingsKey::Create(HKEY_LOCAL_MACHINE, path);
    const bool written = key && key->SetString(valueName, Utf8ToW(library)) &&
                         (!modes || key->SetDWord(u"Supported Modes", *modes));
    (written ? result.restored : result.failed).push_back(component);
}

}  // namespace

CInstallRepair CvlDetectAndRepair() {
    CInstallRepair result;
    result.installed = CvlIsInstalled();
    if (!result.installed) return result;
    const std::filesystem::path prefix(CvlInstallPrefix());
    for (const auto& [component, relative] : ReadComponentList()) {
        const std::string library = (prefix / relative).lexically_normal().string();
        std::error_code ec;
        if (!std::filesystem::exists(library, ec)) {
            result.missing.push_back(component);
            continue;
        }
        if (component.rfind("Breed:", 0) == 0) {
            Register(result, component, u"Breeds", Utf8ToW(component.substr(6)), library, std::nullopt);
        } else if (component.rfind("Reader:", 0) == 0) {
            const std::vector<std::string> parts = Split(component.substr(7), '|');
            char* end = nullptr;
            const unsigned long modes = parts.size() == 3 ? std::strtoul(parts[2].c_str(), &end, 0) : 0;
            if (parts.size() != 3 || parts[0].empty() || parts[1].empty() || !end || *end != '\0') continue;
            Register(result, component, u"Readers\\" + Utf8ToW(parts[0]) + u"\\" + Utf8ToW(parts[1]), u"",
                     library, uint32_t(modes));
        }
    }
    return result;
}
