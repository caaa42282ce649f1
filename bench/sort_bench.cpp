// Sorting the flock list by a column: through CSheep::CompareField on the animals, against sorting
// keys taken out of the animals beforehand with the same comparison, in a plain vector.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "bench/bench_flock.h"
#include "records/sheep.h"

namespace {

CSheepDoc& Flock() {
    static auto flock = bench::MakeOpenFlock();
    return *flock;
}

std::vector<CSheep*> Rows() {
    std::vector<CSheep*> rows;
    const CSheepDoc& doc = Flock();
    for (int i = 0; i < doc.GetSheepCount(); ++i) rows.push_back(doc.GetSheepAt(i));
    return rows;
}

// The animal's own comparison of a figure: missing figures after entered ones.
int CompareFigure(double a, double b) {
    const bool na = std::isnan(a), nb = std::isnan(b);
    if (na || nb) return na == nb ? 0 : (na ? 1 : -1);
    return a == b ? 0 : (a < b ? -1 : 1);
}

template <class Key, class Extract, class Compare>
void SortBench(benchmark::State& state, unsigned field, Extract extract, Compare compare) {
    const std::vector<CSheep*> rows = Rows();
    std::vector<std::pair<Key, CSheep*>> keys;
    keys.reserve(rows.size());
    for (CSheep* s : rows) keys.emplace_back(extract(*s), s);

    double fieldSeconds = 0, keySeconds = 0;
    for (auto _ : state) {
        std::vector<CSheep*> byField = rows;
        auto start = std::chrono::steady_clock::now();
        std::stable_sort(byField.begin(), byField.end(), [field](const CSheep* a, const CSheep* b) {
            return a->CompareField(b, field, true) < 0;
        });
        const double f = bench::Seconds(start);

        std::vector<std::pair<Key, CSheep*>> byKey = keys;
        start = std::chrono::steady_clock::now();
        std::stable_sort(byKey.begin(), byKey.end(),
                         [&](const auto& a, const auto& b) { return compare(a.first, b.first) < 0; });
        const double k = bench::Seconds(start);

        benchmark::DoNotOptimize(byField.data());
        benchmark::DoNotOptimize(byKey.data());
        if (byField.front() != byKey.front().second) state.SkipWithError("the two sorts disagree");
        fieldSeconds += f;
        keySeconds += k;
        state.SetIterationTime(f);
    }
    const double n = double(state.iterations());
    state.counters["animals"] = double(rows.size());
    state.counters["field_ms"] = fieldSeconds / n * 1e3;
    state.counters["keys_ms"] = keySeconds / n * 1e3;
    state.counters["ratio"] = fieldSeconds / keySeconds;
    state.counters["goal"] = 3;
}

void BM_SortByText(benchmark::State& state) {
    SortBench<WString>(
        state, SF_EARTAG_NUMBER, [](const CSheep& s) { return s.GetEartagNumber(); },
        [](const WString& a, const WString& b) { return CompareNoCase(a, b); });
}
void BM_SortByDate(benchmark::State& state) {
    SortBench<COleDateTime>(
        state, SF_DATE_OF_BIRTH, [](const CSheep& s) { return s.GetDateofBirth(); },
        [](const COleDateTime& a, const COleDateTime& b) { return CompareDates(a, b); });
}
// A Signet figure: most animals have none.
void BM_SortByFigure(benchmark::State& state) {
    SortBench<double>(
        state, SF_LEAN_INDEX, [](const CSheep& s) { return s.GetFigure(FIG_LEAN_INDEX); }, CompareFigure);
}
// The EID: nearly every animal has its own.
void BM_SortByNumber(benchmark::State& state) {
    SortBench<uint64_t>(
        state, SF_ELECTRONIC_ID, [](const CSheep& s) { return s.GetElectronicID(); },
        [](uint64_t a, uint64_t b) { return a == b ? 0 : (a < b ? -1 : 1); });
}

BENCHMARK(BM_SortByText)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_SortByDate)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_SortByFigure)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_SortByNumber)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
