// Memory held by an open flock, against the size of the records' own data: every field at its own
// width (a date as its double and status, a text as its UTF-16 characters), nothing for pointers,
// containers or the objects' machinery. Live heap bytes are counted by replacing the global
// allocation functions; the resident set is shown beside them.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "bench/bench_flock.h"
#include "document/document_file.h"
#include "platform/archive.h"
#include "records/address.h"
#include "records/event.h"
#include "records/lambing.h"
#include "records/sheep.h"
#include "records/signet.h"
#include "records/tupping.h"

namespace {

std::atomic<int64_t> g_live{0};

void* Allocate(size_t size, size_t align = 0) {
    void* p = align > alignof(std::max_align_t)
                  ? std::aligned_alloc(align, (size + align - 1) / align * align)
                  : std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    g_live.fetch_add(int64_t(malloc_usable_size(p)), std::memory_order_relaxed);
    return p;
}

void Free(void* p) {
    if (!p) return;
    g_live.fetch_sub(int64_t(malloc_usable_size(p)), std::memory_order_relaxed);
    std::free(p);
}

}  // namespace

void* operator new(size_t n) {
    return Allocate(n);
}
void* operator new[](size_t n) {
    return Allocate(n);
}
void* operator new(size_t n, std::align_val_t a) {
    return Allocate(n, size_t(a));
}
void* operator new[](size_t n, std::align_val_t a) {
    return Allocate(n, size_t(a));
}
void* operator new(size_t n, const std::nothrow_t&) noexcept {
    try {
        return Allocate(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t n, const std::nothrow_t&) noexcept {
    try {
        return Allocate(n);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    Free(p);
}
void operator delete[](void* p) noexcept {
    Free(p);
}
void operator delete(void* p, size_t) noexcept {
    Free(p);
}
void operator delete[](void* p, size_t) noexcept {
    Free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    Free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    Free(p);
}
void operator delete(void* p, size_t, std::align_val_t) noexcept {
    Free(p);
}
void operator delete[](void* p, size_t, std::align_val_t) noexcept {
    Free(p);
}

namespace {

constexpr int64_t kDate = 8 + 4;  // the double and the status
int64_t Text(const WString& s) {
    return int64_t(s.size()) * 2;
}

// The records' own data, and the events' part of it.
struct OwnBytes {
    int64_t total = 0;
    int64_t events = 0;
};
OwnBytes RecordBytes(CSheepDoc& doc) {
    CDocumentStores& stores = doc.GetStores();
    int64_t bytes = 0, eventBytes = 0;
    for (int i = 0; i < doc.GetSheepCount(); ++i) {
        const CSheep& s = *doc.GetSheepAt(i);
        bytes += Text(s.GetTattoo()) + Text(s.GetSire()) + Text(s.GetDam()) + Text(s.GetName()) +
                 Text(s.GetComments()) + Text(s.GetEartagColour()) + Text(s.GetEartagNumber());
        bytes += 8 + 4 * kDate + 5 * 4 + FIG_COUNT * 8;  // EID, dates, numbers, flags, figures
        for (int e = 0; e < s.GetEventCount(); ++e) {
            const CEvent& ev = *s.GetEventAt(e);
            eventBytes += 3 * kDate + 4;
            for (const WString& p : ev.GetParameters()) eventBytes += Text(p);
        }
        for (int r = 0; r < s.GetLambingCount(); ++r) {
            const CEweLambingData& l = *s.GetLambingAt(r);
            bytes += Text(l.GetComments()) + Text(l.GetTup()) + 4 + 3 * kDate;
            for (int k = 0; k < l.GetLambCount(); ++k) {
                const CLambData& lamb = *l.GetLambAt(k);
                bytes += Text(lamb.GetTattoo()) + Text(lamb.GetBirthWeight()) + Text(lamb.GetComments()) + 4 +
                         2 * kDate;
            }
        }
        for (int r = 0; r < s.GetTuppingCount(); ++r) {
            const CRamLambingData& t = *s.GetTuppingAt(r);
            for (const WString& e : t.GetEwes()) bytes += Text(e);
            bytes += 4 + 4 * kDate;
        }
    }
    for (const auto& [name, a] : stores.Addresses())
        bytes += Text(name) + Text(a->GetAddress()) + Text(a->GetTelephone()) + Text(a->GetFax()) +
                 Text(a->GetEmail()) + Text(a->GetPostCode()) + 2 * kDate;
    bytes += int64_t(stores.SignetAverages().size()) * (9 * 8 + 2 * kDate + 10);
    return {bytes + eventBytes, eventBytes};
}

int64_t ResidentBytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return int64_t(resident) * 4096;
}

// The counters for a flock held in doc, whose loading took live heap bytes and rss resident bytes.
void Report(benchmark::State& state, CSheepDoc& doc, int64_t live, int64_t rss) {
    const OwnBytes own = RecordBytes(doc);
    int64_t events = 0;
    for (int i = 0; i < doc.GetSheepCount(); ++i) events += doc.GetSheepAt(i)->GetEventCount();
    // What the events alone hold: the heap that copies of them take.
    int64_t eventHeap = 0;
    {
        std::vector<CRefPtr<CEvent>> copies;
        copies.reserve(size_t(events));
        const int64_t before = g_live.load();
        for (int i = 0; i < doc.GetSheepCount(); ++i) {
            const CSheep* sheep = doc.GetSheepAt(i);
            for (int e = 0; e < sheep->GetEventCount(); ++e)
                copies.push_back(CRefPtr<CEvent>::Adopt(new CEvent(*sheep->GetEventAt(e))));
        }
        eventHeap = g_live.load() - before;
    }
    state.counters["animals"] = doc.GetSheepCount();
    state.counters["events"] = double(events);
    state.counters["records_MB"] = double(own.total) / 1e6;
    state.counters["heap_MB"] = double(live) / 1e6;
    state.counters["rss_MB"] = double(rss) / 1e6;
    state.counters["ratio"] = double(live) / double(own.total);
    state.counters["event_records_MB"] = double(own.events) / 1e6;
    state.counters["event_heap_MB"] = double(eventHeap) / 1e6;
    state.counters["goal"] = 3;
    state.counters["sheep_object"] = sizeof(CSheep);
    state.counters["event_object"] = sizeof(CEvent);
}

// The flock as an open leaves it: read back from its archive and attached with its indexes.
void BM_OpenFlockMemory(benchmark::State& state) {
    std::vector<uint8_t> contents;
    {
        auto generated = std::make_unique<CSheepDoc>();
        LoadGeneratedFlock(GenerateFlock(bench::FlockOptions()), *generated);
        CArchive ar(contents, CArchive::store);
        generated->Serialize(ar);
    }
    for (auto _ : state) {
        malloc_trim(0);
        const int64_t liveBefore = g_live.load();
        const int64_t rssBefore = ResidentBytes();
        auto doc = std::make_unique<CSheepDoc>();
        {
            CDocumentArchive loaded;
            CArchive ar{std::span<const uint8_t>(contents)};
            loaded.Read(ar);
            doc->AttachLoadedFlock(std::move(loaded.flock), std::move(loaded.earTags), loaded.currentIndex);
        }
        malloc_trim(0);
        Report(state, *doc, g_live.load() - liveBefore, ResidentBytes() - rssBefore);
    }
}

// The same flock straight from the generator.
void BM_GeneratedFlockMemory(benchmark::State& state) {
    for (auto _ : state) {
        malloc_trim(0);
        const int64_t liveBefore = g_live.load();
        const int64_t rssBefore = ResidentBytes();
        auto doc = std::make_unique<CSheepDoc>();
        LoadGeneratedFlock(GenerateFlock(bench::FlockOptions()), *doc);
        malloc_trim(0);
        Report(state, *doc, g_live.load() - liveBefore, ResidentBytes() - rssBefore);
    }
}

BENCHMARK(BM_OpenFlockMemory)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_GeneratedFlockMemory)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
