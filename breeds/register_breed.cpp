// Registers a breed plug-in in the machine-wide Breeds list, as the installer does:
//   cvl-register-breed NAME LIBRARY     adds NAME (or replaces its library)
//   cvl-register-breed --remove NAME    takes NAME out of the list
// The machine-wide store is the one the program reads (CVL_MACHINE_CONFIG_DIR overrides it).
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "platform/settings.h"
#include "platform/text.h"

namespace {

constexpr const char16_t* kBreedsKey = u"Breeds";

int Usage() {
    std::fprintf(stderr, "usage: cvl-register-breed NAME LIBRARY\n       cvl-register-breed --remove NAME\n");
    return 2;
}

int Failed() {
    std::fprintf(stderr, "cvl-register-breed: cannot write %s\n",
                 SettingsFilePath(HKEY_LOCAL_MACHINE).c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || *argv[1] == '\0') return Usage();
    WString key = WString(CRegistrySettings::AppKeyPath) + kBreedsKey;
    if (std::string_view(argv[1]) == "--remove") {
        auto breeds = CSettingsKey::Open(HKEY_LOCAL_MACHINE, key);
        if (breeds && breeds->QueryValue(Utf8ToW(argv[2])) && !breeds->DeleteValue(Utf8ToW(argv[2])))
            return Failed();
        return 0;
    }
    // The list holds full paths; a staged install registers the path the library will have.
    std::error_code error;
    std::filesystem::path library = std::filesystem::absolute(argv[2], error);
    if (error || *argv[2] == '\0') return Usage();
    if (!CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, kBreedsKey, Utf8ToW(argv[1]),
                                      Utf8ToW(library.lexically_normal().string())))
        return Failed();
    return 0;
}
