// cvl-genflock: makes a sample flock.
//   cvl-genflock [--animals N] [--seed S] [--events E] [--last-year Y] OUTPUT.cvl
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "document/flock_generator.h"
#include "document/sheep_doc.h"

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
    CSheepDoc doc;
    LoadGeneratedFlock(std::move(generated), doc);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "Generated %d animals with %lld events in %.2f s\n", doc.GetSheepCount(),
                 static_cast<long long>(events), seconds);
    std::fprintf(stderr, "cvl-genflock: this build cannot write data files yet; %s not written\n",
                 output.c_str());
    return 1;
}
