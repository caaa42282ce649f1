// Opening and saving a data file of the generated flock, each against the plain file operation on the
// same bytes, timed in the same run:
//   open: the document's open (compound-file read + archive decode + attaching the flock with its
//         indexes + the breed plug-in), against reading the file's bytes from the page cache (the
//         file is read once before timing); the three parts are timed apart as well;
//   save: the document's save (archive encode + compound file + safe save, streamed in one pass),
//         against writing and fsyncing as many bytes.
// The file is written by the document's own save; the breed is registered in settings of the
// benchmark's own.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_flock.h"
#include "document/data_file.h"
#include "document/summary_info.h"
#include "platform/archive.h"
#include "platform/compound_file.h"
#include "platform/settings.h"
#include "records/sheep.h"

namespace {

// The files live in the build folder, on a real disk (a tmpfs would make fsync free).
std::string WorkFile(const char* name) {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "cvl_bench_files";
        std::filesystem::create_directories(d);
        return d;
    }();
    return (dir / name).string();
}

// ---- the document's archive ------------------------------------------------------------------

// Counts what it is given and keeps none of it.
struct CountingSink : CArchiveSink, ICompoundFileTarget {
    void Put(const uint8_t*, size_t size) override { bytes += size; }
    void Append(std::span<const uint8_t> b) override { bytes += b.size(); }
    void Overwrite(uint64_t, std::span<const uint8_t>) override {}
    size_t bytes = 0;
};

// The archive as the save makes it; its size.
size_t EncodeArchive(CSheepDoc& doc) {
    CountingSink sink;
    CArchive ar(sink);
    doc.Serialize(ar);
    ar.Flush();
    return sink.bytes;
}

// The archive inside the compound file, as the save makes them, into no file; the file's size.
size_t BuildFile(CSheepDoc& doc) {
    CountingSink sink;
    WriteDataFile(
        sink, [&](CArchive& ar) { doc.Serialize(ar); }, &doc.GetSummaryInfo());
    return sink.bytes;
}

// ---- plain file operations -------------------------------------------------------------------

std::vector<uint8_t> ReadPlain(const std::string& path) {
    std::vector<uint8_t> bytes(std::filesystem::file_size(path));
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + path);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += size_t(n);
    }
    close(fd);
    return bytes;
}

// Seconds to read the file's bytes.
double TimedPlainRead(const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<uint8_t> raw = ReadPlain(path);
    benchmark::DoNotOptimize(raw.data());
    return bench::Seconds(start);
}

void WritePlain(const std::string& path, const std::vector<uint8_t>& bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create " + path);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += size_t(n);
    }
    fsync(fd);
    close(fd);
}

// ---- the flock on disk -----------------------------------------------------------------------

struct Fixture {
    std::unique_ptr<CSheepDoc> doc = bench::MakeOpenFlock();
    std::string path = WorkFile("flock.cvl");
    size_t contentsBytes = 0;
    bool canOpen = false;
    size_t fileBytes = 0;
    int64_t events = 0;
    Fixture() {
        const std::filesystem::path settings = std::filesystem::path(WorkFile("settings"));
        std::filesystem::create_directories(settings / "machine");
        std::filesystem::create_directories(settings / "user");
        setenv("CVL_MACHINE_CONFIG_DIR", (settings / "machine").c_str(), 1);
        setenv("CVL_USER_CONFIG_DIR", (settings / "user").c_str(), 1);
#ifdef CVL_GENERAL_BREED
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"General Sheep",
                                     Utf8ToW(CVL_GENERAL_BREED));
        canOpen = doc->LoadBreedPlugIn(u"General Sheep", true) == BREED_LOADED;
#endif
        contentsBytes = EncodeArchive(*doc);
        if (!doc->OnSaveDocument(path)) throw std::runtime_error("cannot save " + path);
        // The save holds the file's lock; the benchmark opens it again in other documents.
        doc->GetFile().m_lock.Unlock();
        fileBytes = std::filesystem::file_size(path);
        for (int i = 0; i < doc->GetSheepCount(); ++i) events += doc->GetSheepAt(i)->GetEventCount();
    }
};

Fixture& Files() {
    static Fixture f;
    return f;
}

void Describe(benchmark::State& state, const Fixture& f) {
    state.counters["animals"] = f.doc->GetSheepCount();
    state.counters["events"] = double(f.events);
    state.counters["file_MB"] = double(f.fileBytes) / 1e6;
}

void BM_OpenFlock(benchmark::State& state) {
    Fixture& f = Files();
    if (!f.canOpen) {
        state.SkipWithError("the shipped breed plug-in is not part of this build");
        return;
    }
    ReadPlain(f.path);  // into the page cache
    double plain = 0, open = 0;
    for (auto _ : state) {
        plain += TimedPlainRead(f.path);

        CSheepDoc doc;
        auto start = std::chrono::steady_clock::now();
        const bool opened = doc.OnOpenDocument(f.path);
        const double o = bench::Seconds(start);
        if (!opened || doc.GetSheepCount() != f.doc->GetSheepCount())
            state.SkipWithError("the flock did not come back");
        open += o;
        state.SetIterationTime(o);
        doc.OnCloseDocument();
    }
    const double n = double(state.iterations());
    Describe(state, f);
    state.counters["read_ms"] = plain / n * 1e3;
    state.counters["open_ms"] = open / n * 1e3;
    state.counters["ratio"] = open / plain;
    state.counters["goal"] = 10;
}

// The open's parts, each against the same plain read.
void BM_OpenFlockParts(benchmark::State& state) {
    Fixture& f = Files();
    ReadPlain(f.path);
    double plain = 0, container = 0, decode = 0, index = 0;
    for (auto _ : state) {
        plain += TimedPlainRead(f.path);

        auto start = std::chrono::steady_clock::now();
        CSummaryInfo summary;
        std::vector<uint8_t> contents = ReadDataFile(f.path, &summary);
        const double c = bench::Seconds(start);

        start = std::chrono::steady_clock::now();
        CDocumentArchive loaded;
        CArchive ar{std::span<const uint8_t>(contents)};
        loaded.Read(ar);
        const double a = bench::Seconds(start);

        CSheepDoc doc;
        start = std::chrono::steady_clock::now();
        doc.AttachLoadedFlock(std::move(loaded.flock), std::move(loaded.earTags), loaded.currentIndex);
        const double x = bench::Seconds(start);
        if (doc.GetSheepCount() != f.doc->GetSheepCount()) state.SkipWithError("the flock did not come back");

        container += c;
        decode += a;
        index += x;
        state.SetIterationTime(c + a + x);
    }
    const double n = double(state.iterations());
    Describe(state, f);
    state.counters["read_ms"] = plain / n * 1e3;
    state.counters["cfb_ms"] = container / n * 1e3;
    state.counters["decode_ms"] = decode / n * 1e3;
    state.counters["index_ms"] = index / n * 1e3;
    state.counters["cfb_ratio"] = container / plain;
    state.counters["decode_ratio"] = decode / plain;
    state.counters["index_ratio"] = index / plain;
    state.counters["ratio"] = (container + decode + index) / plain;
    state.counters["goal"] = 10;
}

// A stored ear-tag index out of order: the open files every animal again.
void BM_RebuildEarTagIndex(benchmark::State& state) {
    Fixture& f = Files();
    double plain = 0, rebuild = 0;
    for (auto _ : state) {
        plain += TimedPlainRead(f.path);

        const auto start = std::chrono::steady_clock::now();
        f.doc->RebuildEarTagIndex();
        const double r = bench::Seconds(start);
        rebuild += r;
        state.SetIterationTime(r);
    }
    const double n = double(state.iterations());
    Describe(state, f);
    state.counters["read_ms"] = plain / n * 1e3;
    state.counters["rebuild_ms"] = rebuild / n * 1e3;
    state.counters["ratio"] = rebuild / plain;
}

// The save against writing and fsyncing as many bytes; its parts are timed apart outside the timed
// save: the archive alone, the archive inside the compound file (the container's part is the
// difference), and the rest of the save (writing and flushing the file).
void BM_SaveFlock(benchmark::State& state) {
    Fixture& f = Files();
    const std::string plainPath = WorkFile("plain.bin");
    const std::string savePath = WorkFile("saved.cvl");
    const std::vector<uint8_t> sameSize(f.fileBytes, 0x5A);
    double plain = 0, save = 0, encode = 0, build = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        WritePlain(plainPath, sameSize);
        plain += bench::Seconds(start);

        start = std::chrono::steady_clock::now();
        const bool saved = f.doc->OnSaveDocument(savePath);
        const double s = bench::Seconds(start);
        if (!saved) state.SkipWithError("the save failed");
        save += s;
        state.SetIterationTime(s);

        start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(EncodeArchive(*f.doc));
        encode += bench::Seconds(start);

        start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(BuildFile(*f.doc));
        build += bench::Seconds(start);
    }
    f.doc->GetFile().m_lock.Unlock();
    const double n = double(state.iterations());
    Describe(state, f);
    state.counters["write_fsync_ms"] = plain / n * 1e3;
    state.counters["save_ms"] = save / n * 1e3;
    state.counters["encode_ms"] = encode / n * 1e3;
    state.counters["container_ms"] = (build - encode) / n * 1e3;
    state.counters["file_ms"] = (save - build) / n * 1e3;
    state.counters["ratio"] = save / plain;
    state.counters["goal"] = 4;
    std::filesystem::remove(plainPath);
    std::filesystem::remove(savePath);
}

BENCHMARK(BM_OpenFlock)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_OpenFlockParts)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RebuildEarTagIndex)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SaveFlock)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
