// The benchmarks' flock: generated once per process.
#pragma once

#include <chrono>
#include <cstdio>
#include <memory>

#include "tools/flock_generator.h"
#include "document/sheep_doc.h"

namespace bench {

constexpr int kAnimals = 100000;
constexpr int64_t kEvents = 1000000;
constexpr uint64_t kSeed = 2026;

inline CFlockGeneratorOptions FlockOptions() {
    CFlockGeneratorOptions o;
    o.animals = kAnimals;
    o.events = kEvents;
    o.seed = kSeed;
    return o;
}

// A document holding the generated flock.
inline std::unique_ptr<CSheepDoc> MakeOpenFlock() {
    const auto start = std::chrono::steady_clock::now();
    auto flock = std::make_unique<CSheepDoc>();
    LoadGeneratedFlock(GenerateFlock(FlockOptions()), *flock);
    std::fprintf(stderr, "generated %d animals in %.1f s\n", flock->GetSheepCount(),
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return flock;
}

inline double Seconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

}  // namespace bench
