// Registers a reader plug-in under the machine-wide Readers key, as the installer does:
//   cvl-register-reader MAKER MODEL LIBRARY MODES   Readers\MAKER\MODEL = LIBRARY, "Supported Modes" = MODES
//   cvl-register-reader --remove MAKER MODEL        takes the model out (and the maker when it has none left)
// The machine-wide store is the one the program reads (CVL_MACHINE_CONFIG_DIR overrides it).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "platform/settings.h"
#include "platform/text.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: cvl-register-reader MAKER MODEL LIBRARY MODES\n"
                 "       cvl-register-reader --remove MAKER MODEL\n");
    return 2;
}

int Failed() {
    std::fprintf(stderr, "cvl-register-reader: cannot write %s\n", SettingsFilePath(HKEY_LOCAL_MACHINE).c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const WString readers = WString(CRegistrySettings::AppKeyPath) + u"Readers";
    if (argc == 4 && std::string_view(argv[1]) == "--remove") {
        auto maker = CSettingsKey::Open(HKEY_LOCAL_MACHINE, readers + u"\\" + Utf8ToW(argv[2]));
        if (!maker) return 0;
        if (maker->OpenSubkey(Utf8ToW(argv[3])) && !maker->DeleteSubkey(Utf8ToW(argv[3]))) return Failed();
        if (maker->SubkeyNames().empty()) {
            auto all = CSettingsKey::Open(HKEY_LOCAL_MACHINE, readers);
            if (all && !all->DeleteSubkey(Utf8ToW(argv[2]))) return Failed();
        }
        return 0;
    }
    if (argc != 5 || *argv[1] == '\0' || *argv[2] == '\0' || *argv[3] == '\0') return Usage();
    char* end = nullptr;
    unsigned long modes = std::strtoul(argv[4], &end, 0);
    if (!end || *end != '\0') return Usage();
    // The entry holds the full path the library will have, also for a staged install.
    std::error_code error;
    std::filesystem::path library = std::filesystem::absolute(argv[3], error);
    if (error) return Usage();
    auto key = CSettingsKey::Create(HKEY_LOCAL_MACHINE,
                                    readers + u"\\" + Utf8ToW(argv[1]) + u"\\" + Utf8ToW(argv[2]));
    if (!key || !key->SetString(u"", Utf8ToW(library.lexically_normal().string())) ||
        !key->SetDWord(u"Supported Modes", uint32_t(modes)))
        return Failed();
    return 0;
}
