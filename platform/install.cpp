#include "platform/install.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

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
