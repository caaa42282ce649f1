// Points the machine-wide "Report XSL" and "Report CSS" settings at the installed style sheets, as
// the installer does:   cvl-register-report XSL CSS
// The machine-wide store is the one the program reads (CVL_MACHINE_CONFIG_DIR overrides it).
#include <cstdio>
#include <filesystem>

#include "platform/settings.h"
#include "platform/text.h"

int main(int argc, char** argv) {
    if (argc != 3 || *argv[1] == '\0') {
        std::fprintf(stderr, "usage: cvl-register-report XSL CSS\n");
        return 2;
    }
    const std::pair<const char16_t*, const char*> values[] = {{u"Report XSL", argv[1]},
                                                              {u"Report CSS", argv[2]}};
    for (const auto& [name, path] : values) {
        const std::string full =
            *path ? std::filesystem::absolute(path).lexically_normal().string() : std::string();
        if (!CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Settings", name, Utf8ToW(full))) {
            std::fprintf(stderr, "cvl-register-report: cannot write %s\n",
                         SettingsFilePath(HKEY_LOCAL_MACHINE).c_str());
            return 1;
        }
    }
    return 0;
}
