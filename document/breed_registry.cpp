#include "document/breed_plugin.h"
#include "platform/settings.h"

bool LookupBreedLibrary(const WString& breedName, std::string* path) {
    auto app = CRegistrySettings::OpenAppKey(HKEY_LOCAL_MACHINE);
    if (!app) return false;
    auto breeds = app->OpenSubkey(u"Breeds");
    WString text;
    if (!breeds || !breeds->QueryString(breedName, text) || text.empty()) return false;
    *path = WToUtf8(text);
    return true;
}

int CBreedPlugIn::Load(const WString& breedName, bool takeVersion) {
    std::string path;
    if (!LookupBreedLibrary(breedName, &path)) return BREED_NOT_REGISTERED;
    return LoadFile(path, takeVersion);
}
