// Opening and saving a data file of the generated flock, each against the plain file operation on the
// same bytes, timed in the same run:
//   open: compound-file read + archive decode + index rebuild, against reading the file's bytes
//         (from the page cache: the file is read once before timing);
//   save: archive encode + compound file + safe save, against writing and fsyncing as many bytes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_flock.h"
#include "document/data_file.h"
#include "platform/archive.h"
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
// Until the document stores its whole archive, the flock and its ear-tag index stand in for it:
// nearly all of a data file's bytes.

std::vector<uint8_t> EncodeArchive(CSheepDoc& doc) {
    std::vector<uint8_t> bytes;
    CArchive ar(bytes, CArchive::store);
    ar << uint32_t(0);  // no embedded items
    ar.WriteCount(uint32_t(doc.GetSheepCount()));
    for (int i = 0; i < doc.GetSheepCount(); ++i) ar.WriteObject(doc.GetSheepAt(i));
    const auto& entries = doc.GetEarTagIndex().Entries();
    ar.WriteCount(uint32_t(entries.size()));
    for (const CEarTagHashEntry& e : entries) ar << e.m_strEarTag << e.m_strTattoo << e.m_nRunOffset;
    ar << int32_t(doc.GetCurrentIndex());
    return bytes;
}

struct Decoded {
    std::vector<CRefPtr<CSheep>> flock;
    std::vector<CEarTagHashEntry> earTags;
    int32_t current = -1;
};

Decoded DecodeArchive(const std::vector<uint8_t>& bytes) {
    Decoded d;
    CArchive ar(bytes);
    uint32_t embedded = 0;
    ar >> embedded;
    const uint32_t animals = ar.ReadCountChecked(1);
    d.flock.reserve(animals);
    for (uint32_t i = 0; i < animals; ++i) d.flock.push_back(ar.ReadObjectAs<CSheep>());
    const uint32_t tags = ar.ReadCountChecked(9);
    d.earTags.resize(tags);
    for (CEarTagHashEntry& e : d.earTags) ar >> e.m_strEarTag >> e.m_strTattoo >> e.m_nRunOffset;
    ar >> d.current;
    return d;
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
    size_t fileBytes = 0;
    int64_t events = 0;
    Fixture() {
        const std::vector<uint8_t> contents = EncodeArchive(*doc);
        contentsBytes = contents.size();
        SaveDataFile(path, contents, nullptr);
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
    ReadPlain(f.path);  // into the page cache
    double plain = 0, container = 0, decode = 0, index = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        std::vector<uint8_t> raw = ReadPlain(f.path);
        benchmark::DoNotOptimize(raw.data());
        plain += bench::Seconds(start);

        start = std::chrono::steady_clock::now();
        std::vector<uint8_t> contents = ReadDataFile(f.path, nullptr);
        const double c = bench::Seconds(start);

        start = std::chrono::steady_clock::now();
        Decoded d = DecodeArchive(contents);
        const double a = bench::Seconds(start);

        start = std::chrono::steady_clock::now();
        CSheepDoc doc;
        doc.AttachLoadedFlock(std::move(d.flock), std::move(d.earTags), d.current);
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
    state.counters["ratio"] = (container + decode + index) / plain;
    state.counters["goal"] = 10;
}

void BM_SaveFlock(benchmark::State& state) {
    Fixture& f = Files();
    const std::string plainPath = WorkFile("plain.bin");
    const std::string savePath = WorkFile("saved.cvl");
    const std::vector<uint8_t> sameSize(f.fileBytes, 0x5A);
    double plain = 0, encode = 0, save = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        WritePlain(plainPath, sameSize);
        plain += bench::Seconds(start);

        start = std::chrono::steady_clock::now();
        const std::vector<uint8_t> contents = EncodeArchive(*f.doc);
        const double e = bench::Seconds(start);

        start = std::chrono::steady_clock::now();
        SaveDataFile(savePath, contents, nullptr);
        const double s = bench::Seconds(start);

        encode += e;
        save += s;
        state.SetIterationTime(e + s);
    }
    const double n = double(state.iterations());
    Describe(state, f);
    state.counters["write_fsync_ms"] = plain / n * 1e3;
    state.counters["encode_ms"] = encode / n * 1e3;
    state.counters["cfb_save_ms"] = save / n * 1e3;
    state.counters["ratio"] = (encode + save) / plain;
    state.counters["goal"] = 4;
    std::filesystem::remove(plainPath);
    std::filesystem::remove(savePath);
}

BENCHMARK(BM_OpenFlock)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_SaveFlock)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
