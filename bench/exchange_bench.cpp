// The exchange file of the generated flock, each figure against a baseline timed in the same run:
//   export: writing the file (File Export) against the document's save of the same flock;
//   check:  the import's checking pass (namespace and schema, no breed validator) against a pass of
//           libxml2's event-driven parser with empty callbacks over the same file;
//   import: the reading pass into an empty flock against the same empty pass, with the peak heap
//           (ours and libxml2's) against the heap of the flock opened from its data file;
//   validator: the shipped breed's style sheet, which needs the file as a tree, against the same
//           empty pass, with its peak heap.
// Times are taken with the heap counter off; each peak heap comes from a pass of its own.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/xmlmemory.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <stdexcept>

#include "bench/bench_flock.h"
#include "document/file_exchange.h"
#include "document/xml_exchange.h"
#include "document/xml_reader.h"
#include "platform/host.h"
#include "platform/settings.h"
#include "records/criteria.h"

namespace {

std::atomic<int64_t> g_live{0};
std::atomic<int64_t> g_peak{0};
// The counting costs a size look-up and two atomic operations per block: the timed passes run
// without it, and the peak is taken in a pass of its own.
std::atomic<bool> g_counting{true};

bool Counting() {
    return g_counting.load(std::memory_order_relaxed);
}

void Count(int64_t bytes) {
    const int64_t now = g_live.fetch_add(bytes, std::memory_order_relaxed) + bytes;
    int64_t peak = g_peak.load(std::memory_order_relaxed);
    while (now > peak && !g_peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
}

void* Allocate(size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    if (Counting()) Count(int64_t(malloc_usable_size(p)));
    return p;
}

void Free(void* p) {
    if (!p) return;
    if (Counting()) Count(-int64_t(malloc_usable_size(p)));
    std::free(p);
}

// libxml2's own allocations are counted with ours.
void* XmlMalloc(size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (p && Counting()) Count(int64_t(malloc_usable_size(p)));
    return p;
}
void* XmlRealloc(void* p, size_t n) {
    const bool counting = Counting();
    const int64_t before = counting && p ? int64_t(malloc_usable_size(p)) : 0;
    void* q = std::realloc(p, n);
    if (q && counting) Count(int64_t(malloc_usable_size(q)) - before);
    return q;
}
void XmlFree(void* p) {
    Free(p);
}
char* XmlStrdup(const char* s) {
    const size_t n = std::strlen(s) + 1;
    auto* p = static_cast<char*>(XmlMalloc(n));
    if (p) std::memcpy(p, s, n);
    return p;
}

}  // namespace

void* operator new(size_t n) {
    return Allocate(n);
}
void* operator new[](size_t n) {
    return Allocate(n);
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

namespace {

class CQuietHost : public CCvlHost {
public:
    int DoMessageBox(const CvlMessage& msg) override { return CvlDefaultButton(msg.type); }
};

std::string WorkFile(const char* name) {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "cvl_bench_files";
        std::filesystem::create_directories(d);
        return d;
    }();
    return (dir / name).string();
}

struct Fixture {
    CQuietHost host;
    CCvlHostScope scope{host};
    std::unique_ptr<CSheepDoc> doc;
    std::string xml = WorkFile("flock.xml");
    std::string cvl = WorkFile("exchange.cvl");
    CXmlSchema schema;
    int64_t openHeap = 0;
    Fixture() {
        xmlMemSetup(&XmlFree, &XmlMalloc, &XmlRealloc, &XmlStrdup);
        const std::filesystem::path settings = std::filesystem::path(WorkFile("exchange-settings"));
        std::filesystem::create_directories(settings / "machine");
        std::filesystem::create_directories(settings / "user");
        setenv("CVL_MACHINE_CONFIG_DIR", (settings / "machine").c_str(), 1);
        setenv("CVL_USER_CONFIG_DIR", (settings / "user").c_str(), 1);
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"General Sheep", Utf8ToW(CVL_GENERAL_BREED));
        doc = bench::MakeOpenFlock();
        doc->LoadBreedPlugIn(u"General Sheep", true);
        doc->SetAttribute(FARM_BREED, u"General Sheep");
        doc->GetExtractionCriteria().m_nType = CRITERIA_ALL;
        if (!doc->OnSaveDocument(cvl)) throw std::runtime_error("cannot save " + cvl);
        doc->GetFile().m_lock.Unlock();
        if (ExportXMLFile(*doc, xml, false) != doc->GetSheepCount()) throw std::runtime_error("export");
        if (!schema.Load(CVL_XML_SCHEMA_FILE, nullptr)) throw std::runtime_error("schema");
        // The heap of the same flock opened from its data file.
        const int64_t before = g_live.load();
        CSheepDoc opened;
        if (!opened.OnOpenDocument(cvl)) throw std::runtime_error("open");
        openHeap = g_live.load() - before;
        opened.OnCloseDocument();
    }
};

Fixture& Files() {
    static Fixture f;
    return f;
}

// libxml2's event-driven pass over the file with empty callbacks (for the events the reader takes),
// in the reader's blocks.
void EmptyStart(void*, const xmlChar*, const xmlChar*, const xmlChar*, int, const xmlChar**, int, int,
                const xmlChar**) {}
void EmptyEnd(void*, const xmlChar*, const xmlChar*, const xmlChar*) {}
void EmptyText(void*, const xmlChar*, int) {}

double EmptyPass(const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    xmlSAXHandler sax{};
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = &EmptyStart;
    sax.endElementNs = &EmptyEnd;
    sax.characters = &EmptyText;
    sax.cdataBlock = &EmptyText;
    sax.ignorableWhitespace = &EmptyText;
    xmlParserCtxtPtr ctxt = xmlCreatePushParserCtxt(&sax, nullptr, nullptr, 0, path.c_str());
    xmlCtxtUseOptions(ctxt, XML_PARSE_NONET);
    std::ifstream in(path, std::ios::binary);
    std::vector<char> block(64 * 1024);
    while (in.read(block.data(), std::streamsize(block.size())) || in.gcount() > 0)
        xmlParseChunk(ctxt, block.data(), int(in.gcount()), 0);
    xmlParseChunk(ctxt, nullptr, 0, 1);
    xmlFreeParserCtxt(ctxt);
    return bench::Seconds(start);
}

void Describe(benchmark::State& state, const Fixture& f) {
    state.counters["animals"] = f.doc->GetSheepCount();
    state.counters["file_MB"] = double(std::filesystem::file_size(f.xml)) / 1e6;
}

void BM_Export(benchmark::State& state) {
    Fixture& f = Files();
    double save = 0, exported = 0;
    g_counting = false;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        if (!f.doc->OnSaveDocument(f.cvl)) state.SkipWithError("save failed");
        f.doc->GetFile().m_lock.Unlock();
        save += bench::Seconds(start);
        start = std::chrono::steady_clock::now();
        if (ExportXMLFile(*f.doc, f.xml, false) < 0) state.SkipWithError("export failed");
        const double e = bench::Seconds(start);
        exported += e;
        state.SetIterationTime(e);
    }
    g_counting = true;
    Describe(state, f);
    state.counters["save_ms"] = save / double(state.iterations()) * 1e3;
    state.counters["export_ms"] = exported / double(state.iterations()) * 1e3;
    state.counters["ratio"] = exported / save;
    state.counters["goal"] = 3;
}

void BM_CheckPass(benchmark::State& state) {
    Fixture& f = Files();
    double empty = 0, check = 0;
    g_counting = false;
    for (auto _ : state) {
        empty += EmptyPass(f.xml);
        const auto start = std::chrono::steady_clock::now();
        if (CheckXmlFile(f.xml, &f.schema).kind != CXmlCheckResult::Ok) state.SkipWithError("the export is refused");
        const double c = bench::Seconds(start);
        check += c;
        state.SetIterationTime(c);
    }
    g_counting = true;
    Describe(state, f);
    state.counters["empty_ms"] = empty / double(state.iterations()) * 1e3;
    state.counters["check_ms"] = check / double(state.iterations()) * 1e3;
    state.counters["ratio"] = check / empty;
    state.counters["goal"] = 4;
}

// Reads the exchange file into an empty flock; false when the flock did not come back whole.
bool ImportInto(const Fixture& f, CSheepDoc& doc) {
    CXmlReader reader(1, &doc, &doc);
    return reader.ParseFile(f.xml) && doc.GetSheepCount() == f.doc->GetSheepCount();
}

void PrepareImport(CSheepDoc& doc) {
    doc.LoadBreedPlugIn(u"General Sheep", true);
    doc.SetAttribute(FARM_BREED, u"General Sheep");
}

void BM_ImportPass(benchmark::State& state) {
    Fixture& f = Files();
    // The peak heap of a first import, counted from its start: ours and libxml2's blocks.
    int64_t peak = 0;
    {
        CSheepDoc doc;
        PrepareImport(doc);
        const int64_t base = g_live.load();
        g_peak.store(base);
        if (!ImportInto(f, doc)) state.SkipWithError("the flock did not come back");
        peak = g_peak.load() - base;
    }
    double empty = 0, import = 0;
    g_counting = false;
    for (auto _ : state) {
        empty += EmptyPass(f.xml);
        CSheepDoc doc;
        PrepareImport(doc);
        const auto start = std::chrono::steady_clock::now();
        if (!ImportInto(f, doc)) state.SkipWithError("the flock did not come back");
        const double i = bench::Seconds(start);
        import += i;
        state.SetIterationTime(i);
    }
    g_counting = true;
    Describe(state, f);
    state.counters["empty_ms"] = empty / double(state.iterations()) * 1e3;
    state.counters["import_ms"] = import / double(state.iterations()) * 1e3;
    state.counters["ratio"] = import / empty;
    state.counters["goal"] = 3;
    state.counters["peak_MB"] = double(peak) / 1e6;
    state.counters["open_heap_MB"] = double(f.openHeap) / 1e6;
    state.counters["heap_ratio"] = double(peak) / double(f.openHeap);
    state.counters["heap_goal"] = 2;
}

void BM_BreedValidator(benchmark::State& state) {
    Fixture& f = Files();
    std::string xsl;
    if (!f.doc->GetBreedPlugIn().GetXMLValidator(xsl)) {
        state.SkipWithError("the shipped breed has no validator");
        return;
    }
    double empty = 0, validate = 0;
    int64_t peak = 0;
    for (auto _ : state) {
        empty += EmptyPass(f.xml);
        const int64_t base = g_live.load();
        g_peak.store(base);
        const auto start = std::chrono::steady_clock::now();
        WString reason;
        bool badStyle = false;
        if (!RunXmlValidator(xsl, f.xml, &reason, &badStyle)) state.SkipWithError("the validator refused");
        const double v = bench::Seconds(start);
        peak = std::max(peak, g_peak.load() - base);
        validate += v;
        state.SetIterationTime(v);
    }
    Describe(state, f);
    state.counters["validate_ms"] = validate / double(state.iterations()) * 1e3;
    state.counters["ratio"] = validate / empty;
    state.counters["peak_MB"] = double(peak) / 1e6;
    state.counters["heap_ratio"] = double(peak) / double(f.openHeap);
}

}  // namespace

BENCHMARK(BM_Export)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CheckPass)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportPass)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_BreedValidator)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
