// cvl-genflock: makes a sample flock and saves it as a data file, through the document's own save.
//   cvl-genflock [--animals N] [--seed S] [--events E] [--last-year Y] OUTPUT.cvl
// The flock's breed must be registered in the Breeds list (CVL_MACHINE_CONFIG_DIR names the settings
// when they are not the installation's).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "document/breed_plugin.h"
#include "tools/flock_generator.h"
#include "document/sheep_doc.h"
#include "records/breeds.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: cvl-genflock [--animals N] [--seed S] [--events E] [--last-year Y] OUTPUT.cvl\n"
                 "  --animals N    animals in the flock, departed ones included (default 2000)\n"
                 "  --seed S       the same seed gives the same flock (default 1)\n"
                 "  --events E     events over the whole flock (default ten per animal)\n"
                 "  --last-year Y  the last lambing season (default 2025)\n");
    return 2;
}

bool ParseNumber(const char* text, long long min, long long max, long long* value) {
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < min || v > max) return false;
    *value = v;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    CFlockGeneratorOptions options;
    std::string output;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        long long v = 0;
        auto value = [&](long long min, long long max) {
            return i + 1 < argc && ParseNumber(argv[++i], min, max, &v);
        };
        if (!std::strcmp(arg, "--animals")) {
            if (!value(0, 2000000)) return Usage();
            options.animals = int(v);
        } else if (!std::strcmp(arg, "--seed")) {
            if (!value(0, INT64_MAX)) return Usage();
            options.seed = uint64_t(v);
        } else if (!std::strcmp(arg, "--events")) {
            if (!value(0, INT64_MAX)) return Usage();
            options.events = v;
        } else if (!std::strcmp(arg, "--last-year")) {
            if (!value(1950, 2100)) return Usage();
            options.lastYear = int(v);
        } else if (arg[0] == '-' || !output.empty()) {
            return Usage();
        } else {
            output = arg;
        }
    }
    if (output.empty()) return Usage();

    const auto start = std::chrono::steady_clock::now();
    CGeneratedFlock generated = GenerateFlock(options);
    const int64_t events = generated.eventCount;
    CRefPtr<CSheepDoc> doc = MakeRef<CSheepDoc>();
    LoadGeneratedFlock(std::move(generated), *doc);

    // The file records the version of the breed's plug-in, as a new flock of that breed would.
    const WString breed = doc->GetDocString(FARM_BREED);
    std::string library;
    if (!GetBreedLibraryPath(breed, &library)) {
        std::fprintf(stderr,
                     "cvl-genflock: the breed \"%s\" is not registered in the Breeds list (set "
                     "CVL_MACHINE_CONFIG_DIR to the settings that register it); %s not written\n",
                     WToUtf8(breed).c_str(), output.c_str());
        return 1;
    }
    if (const int result = doc->LoadBreedPlugIn(breed, true); result != BREED_LOADED) {
        std::fprintf(stderr, "cvl-genflock: the breed plug-in %s could not be loaded (%d); %s not written\n",
                     library.c_str(), result, output.c_str());
        return 1;
    }
    if (!doc->OnSaveDocument(output)) {
        std::fprintf(stderr, "cvl-genflock: %s could not be saved\n", output.c_str());
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "Wrote %s: %d animals with %lld events in %.2f s\n", output.c_str(),
                 doc->GetSheepCount(), static_cast<long long>(events), seconds);
    doc->OnCloseDocument();
    return 0;
}
