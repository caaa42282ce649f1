#include "document/breed_plugin.h"
#include "records/breeds.h"

int CBreedPlugIn::Load(const WString& breedName, bool takeVersion) {
    std::string path;
    if (!GetBreedLibraryPath(breedName, &path)) return BREED_NOT_REGISTERED;
    return LoadFile(path, takeVersion);
}
