#include "platform/compound_file.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <stdexcept>

namespace {

std::vector<uint8_t> Bytes(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(seed + i * 7 + (i >> 8));
    return v;
}

// A small compound file laid out by hand: sector 0 the sector table, 1 the directory, 2..9 "Contents"
// (4096 bytes), 10 the small sector table, 11 the mini stream holding "\005SummaryInformation"
// (100 bytes in small sectors 0 and 1).
struct Image {
    std::vector<uint8_t> b;
    Image() : b(512 + 12 * 512, 0) {
        const uint8_t sig[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
        std::copy(sig, sig + 8, b.begin());
        Put16(0x18, 0x3E);
        Put16(0x1A, 3);
        Put16(0x1C, 0xFFFE);
        Put16(0x1E, 9);
        Put16(0x20, 6);
        Put32(0x2C, 1);     // one sector-table sector
        Put32(0x30, 1);     // directory
        Put32(0x38, 4096);  // mini stream cutoff
        Put32(0x3C, 10);    // small sector table
        Put32(0x40, 1);
        Put32(0x44, 0xFFFFFFFE);  // no index sectors
        Put32(0x48, 0);
        for (int i = 0; i < 109; ++i) Put32(0x4C + 4 * i, 0xFFFFFFFF);
        Put32(0x4C, 0);
        for (int i = 0; i < 128; ++i) Fat(i, 0xFFFFFFFF);
        Fat(0, 0xFFFFFFFD);
        Fat(1, 0xFFFFFFFE);
        for (int i = 2; i < 9; ++i) Fat(i, i + 1);
        Fat(9, 0xFFFFFFFE);
        Fat(10, 0xFFFFFFFE);
        Fat(11, 0xFFFFFFFE);
        for (int i = 0; i < 128; ++i) MiniFat(i, 0xFFFFFFFF);
        MiniFat(0, 1);
        MiniFat(1, 0xFFFFFFFE);
        Entry(0, u"Root Entry", 5, 0xFFFFFFFF, 0xFFFFFFFF, 1, 11, 128);
        Entry(1, u"Contents", 2, 0xFFFFFFFF, 2, 0xFFFFFFFF, 2, 4096);
        Entry(2, u"\005SummaryInformation", 2, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0, 100);
        auto contents = Bytes(4096, 1);
        std::copy(contents.begin(), contents.end(), b.begin() + Sector(2));
        auto summary = Bytes(100, 9);
        std::copy(summary.begin(), summary.end(), b.begin() + Sector(11));
    }
    static size_t Sector(size_t n) { return 512 + n * 512; }
    // Entries 4 to 7 live in sector 12 once the directory is extended (ExtendDirectory).
    static size_t EntryAt(size_t i) { return i < 4 ? Sector(1) + i * 128 : Sector(12) + (i - 4) * 128; }
    void ExtendDirectory() {
        b.resize(b.size() + 512, 0);
        Fat(1, 12);
        Fat(12, 0xFFFFFFFE);
    }
    void Put16(size_t at, uint32_t v) {
        b[at] = uint8_t(v);
        b[at + 1] = uint8_t(v >> 8);
    }
    void Put32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
    }
    void Fat(size_t i, uint32_t v) { Put32(Sector(0) + 4 * i, v); }
    void MiniFat(size_t i, uint32_t v) { Put32(Sector(10) + 4 * i, v); }
    void Entry(size_t i, std::u16string name, uint8_t type, uint32_t left, uint32_t right, uint32_t child,
               uint32_t start, uint32_t size) {
        size_t at = EntryAt(i);
        for (size_t k = 0; k < name.size(); ++k) Put16(at + 2 * k, name[k]);
        Put16(at + 0x40, uint32_t(2 * (name.size() + 1)));
        b[at + 0x42] = type;
        b[at + 0x43] = 1;  // black
        Put32(at + 0x44, left);
        Put32(at + 0x48, right);
        Put32(at + 0x4C, child);
        Put32(at + 0x74, start);
        Put32(at + 0x78, size);
    }
};

uint32_t Le32(const std::vector<uint8_t>& b, uint64_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// Offsets of the directory's entries of type 0 (unused), found through the sector table.
std::vector<uint64_t> UnusedEntries(const std::vector<uint8_t>& file) {
    const uint64_t sectorSize = uint64_t(1) << (file[0x1E] | file[0x1F] << 8);
    std::vector<uint64_t> fatSectors;  // offsets of the sector table's entries, the header's then the index's
    for (uint64_t i = 0; i < 109; ++i) fatSectors.push_back(0x4C + 4 * i);
    for (uint32_t s = Le32(file, 0x44); s < 0xFFFFFFFC; s = Le32(file, (s + 2) * sectorSize - 4))
        for (uint64_t k = 0; k + 1 < sectorSize / 4; ++k) fatSectors.push_back((s + 1) * sectorSize + 4 * k);
    std::vector<uint32_t> fat;
    for (uint64_t at : fatSectors) {
        const uint32_t s = Le32(file, at);
        if (s >= 0xFFFFFFFC) break;
        for (uint64_t k = 0; k < sectorSize / 4; ++k) fat.push_back(Le32(file, (s + 1) * sectorSize + 4 * k));
    }
    std::vector<uint64_t> out;
    for (uint32_t s = Le32(file, 0x30); s < 0xFFFFFFFC && s < fat.size(); s = fat[s])
        for (uint64_t e = 0; e < sectorSize / 128; ++e) {
            const uint64_t at = (s + 1) * sectorSize + e * 128;
            if (at + 128 <= file.size() && file[at + 0x42] == 0) out.push_back(at);
        }
    return out;
}

// libgsf's own file in memory, each stream written whole, its unused directory entries linked nowhere:
// what the streamed writer must match.
std::vector<uint8_t> LibgsfFile(std::span<const CompoundStream> streams) {
    GsfOutput* sink = gsf_output_memory_new();
    GsfOutfile* root = gsf_outfile_msole_new(sink);
    for (const auto& s : streams) {
        GsfOutput* child = gsf_outfile_new_child(root, s.name.c_str(), FALSE);
        gsf_output_write(child, s.data.size(), s.data.data());
        gsf_output_close(child);
        g_object_unref(child);
    }
    gsf_output_close(GSF_OUTPUT(root));
    g_object_unref(root);
    const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink));
    std::vector<uint8_t> bytes(data, data + gsf_output_size(sink));
    g_object_unref(sink);
    for (uint64_t at : UnusedEntries(bytes)) std::fill_n(bytes.begin() + ptrdiff_t(at + 0x44), 12, 0xFF);
    return bytes;
}

// Keeps what is written, as a file would; Append fails once `failAfter` bytes would be passed.
struct RecordingTarget : ICompoundFileTarget {
    void Append(std::span<const uint8_t> b) override {
        if (bytes.size() + b.size() > failAfter) throw std::runtime_error("disk full");
        bytes.insert(bytes.end(), b.begin(), b.end());
        ++appends;
    }
    void Overwrite(uint64_t offset, std::span<const uint8_t> b) override {
        ASSERT_LE(offset + b.size(), bytes.size());
        std::copy(b.begin(), b.end(), bytes.begin() + ptrdiff_t(offset));
        ++overwrites;
    }
    std::vector<uint8_t> bytes;
    size_t failAfter = SIZE_MAX;
    int appends = 0, overwrites = 0;
};

CCompoundFileException::Cause OpenFailure(std::vector<uint8_t> bytes) {
    try {
        auto r = CCompoundFileReader::OpenMemory(std::move(bytes));
        std::vector<uint8_t> out;
        for (const auto& name : r.StreamNames()) r.ReadStream(name, out);
    } catch (const CCompoundFileException& e) {
        return e.GetCause();
    }
    ADD_FAILURE() << "opened";
    return CCompoundFileException::ioError;
}

}  // namespace

TEST(CompoundFile, HandBuiltFileReadsBothStreams) {
    Image img;
    auto r = CCompoundFileReader::OpenMemory(img.b);
    std::vector<uint8_t> out;
    ASSERT_TRUE(r.ReadStream(kContentsStream, out));
    EXPECT_EQ(out, Bytes(4096, 1));
    ASSERT_TRUE(r.ReadStream(kSummaryInformationStream, out));
    EXPECT_EQ(out, Bytes(100, 9));
    EXPECT_FALSE(r.ReadStream("contents", out));  // names are matched exactly
    EXPECT_FALSE(r.HasStream("Other"));
}

TEST(CompoundFile, StoragesAndTheirStreamsAreNotRootStreams) {
    Image img;
    img.ExtendDirectory();
    img.Put32(Image::EntryAt(2) + 0x48, 3);
    img.Entry(3, u"ObjectPool", 1, 0xFFFFFFFF, 0xFFFFFFFF, 4, 0, 0);
    img.Entry(4, u"\001Ole", 2, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFE, 0);
    auto r = CCompoundFileReader::OpenMemory(img.b);
    EXPECT_EQ(r.StreamNames(), (std::vector<std::string>{"Contents", "\005SummaryInformation"}));
    std::vector<uint8_t> out;
    EXPECT_FALSE(r.ReadStream("ObjectPool", out));
    EXPECT_FALSE(r.ReadStream("\001Ole", out));
    ASSERT_TRUE(r.ReadStream(kContentsStream, out));
    EXPECT_EQ(out, Bytes(4096, 1));

    img.Put32(Image::EntryAt(4) + 0x4C, 3);  // a stream whose child is its own storage
    EXPECT_EQ(OpenFailure(img.b), CCompoundFileException::damaged);
}

TEST(CompoundFile, WrittenFileReadsBack) {
    for (size_t contentsSize :
         {size_t(0), size_t(1), size_t(4095), size_t(4096), size_t(70000), size_t(9) << 20}) {
        auto contents = Bytes(contentsSize, 3);
        auto summary = Bytes(180, 5);
        CompoundStream streams[] = {{std::string(kContentsStream), contents},
                                    {std::string(kSummaryInformationStream), summary}};
        auto file = BuildCompoundFile(streams);
        if (contentsSize > (8u << 20)) {
            EXPECT_GT(file[0x48], 0) << "expected sector-table index sectors";
        }
        std::string path = testing::TempDir() + "/" + std::to_string(getpid()) + "_cf_roundtrip.cvl";
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
        auto r = CCompoundFileReader::OpenFile(path);
        std::vector<uint8_t> out{1, 2};
        ASSERT_TRUE(r.ReadStream(kContentsStream, out)) << contentsSize;
        EXPECT_EQ(out, contents);
        ASSERT_TRUE(r.ReadStream(kSummaryInformationStream, out));
        EXPECT_EQ(out, summary);
        unlink(path.c_str());
    }
}

TEST(CompoundFile, StreamedFileHasLibgsfsBytesWhateverThePieces) {
    // Sizes around the small-stream cutoff, the writer's buffer (256 KiB) and past the 109 sector-table
    // sectors the header lists; pieces from single bytes to larger than the buffer.
    const size_t sizes[] = {0, 1, 4095, 4096, 4097, 262143, 262144, 262145, 600000, (size_t(7) << 20) + 3};
    const size_t pieces[] = {1, 4093, 65536, 262144, 300001};
    for (size_t size : sizes) {
        const auto contents = Bytes(size, 11);
        const auto summary = Bytes(180, 5);
        const CompoundStream streams[] = {{std::string(kContentsStream), contents},
                                          {std::string(kSummaryInformationStream), summary}};
        const std::vector<uint8_t> expected = LibgsfFile(streams);
        EXPECT_EQ(BuildCompoundFile(streams), expected) << size;
        for (size_t piece : pieces) {
            if (piece == 1 && size > 300000) continue;  // slow, and nothing new
            RecordingTarget target;
            CCompoundFileStreamWriter writer(target);
            writer.BeginStream(kContentsStream);
            for (size_t at = 0; at < size; at += piece)
                writer.Write(std::span(contents).subspan(at, std::min(piece, size - at)));
            writer.BeginStream(kSummaryInformationStream);
            writer.Write(summary);
            writer.Finish();
            ASSERT_EQ(target.bytes, expected) << size << " in pieces of " << piece;
            EXPECT_LE(target.overwrites, 1) << "only the header is written again";
        }
    }
}

// A zero link names the root: stricter readers refuse a directory whose free entries hold one.
TEST(CompoundFile, UnusedDirectoryEntriesLinkNowhere) {
    for (size_t count : {1, 2, 3, 4, 5, 8, 9}) {
        std::vector<std::vector<uint8_t>> data;
        std::vector<CompoundStream> streams;
        for (size_t i = 0; i < count; ++i) data.push_back(Bytes(i % 2 ? 100 : 5000, uint8_t(i)));
        for (size_t i = 0; i < count; ++i) streams.push_back({"S" + std::to_string(i), data[i]});
        const std::vector<uint8_t> file = BuildCompoundFile(streams);
        const std::vector<uint64_t> unused = UnusedEntries(file);
        EXPECT_EQ(unused.size(), (4 - (count + 1) % 4) % 4) << count << " streams";
        for (uint64_t at : unused)
            for (uint64_t link : {0x44, 0x48, 0x4C})
                EXPECT_EQ(Le32(file, at + link), 0xFFFFFFFFu) << count << " streams, entry at " << at;
        auto r = CCompoundFileReader::OpenMemory(file);
        EXPECT_EQ(r.StreamNames().size(), count);
    }
}

TEST(CompoundFile, StreamedFileStopsAtTheTargetsFailure) {
    const auto contents = Bytes(1 << 20, 2);
    for (size_t failAfter : {size_t(0), size_t(512), size_t(300000), size_t(1 << 20)}) {
        RecordingTarget target;
        target.failAfter = failAfter;
        bool thrown = false;
        {
            CCompoundFileStreamWriter writer(target);
            try {
                writer.BeginStream(kContentsStream);
                for (size_t at = 0; at < contents.size(); at += 70000)
                    writer.Write(
                        std::span(contents).subspan(at, std::min<size_t>(70000, contents.size() - at)));
                writer.Finish();
            } catch (const std::runtime_error& e) {
                thrown = std::string(e.what()) == "disk full";
            }
        }  // released unfinished: nothing more is written
        EXPECT_TRUE(thrown) << failAfter;
        EXPECT_LE(target.bytes.size(), failAfter);
    }
    // Abandoned half-way without a failure: what was passed stays, nothing is added.
    RecordingTarget target;
    {
        CCompoundFileStreamWriter writer(target);
        writer.BeginStream(kContentsStream);
        writer.Write(contents);
    }
    EXPECT_EQ(target.overwrites, 0);
    EXPECT_LE(target.bytes.size(), 512 + contents.size());
}

TEST(CompoundFile, EmptyShortAndForeignFilesAreNotCompoundFiles) {
    Image img;
    using C = CCompoundFileException;
    EXPECT_EQ(OpenFailure({}), C::notCompoundFile);
    EXPECT_EQ(OpenFailure(std::vector<uint8_t>(img.b.begin(), img.b.begin() + 100)), C::notCompoundFile);
    std::string text = "Tattoo,Name\nA1,Ewe\n";
    EXPECT_EQ(OpenFailure(std::vector<uint8_t>(text.begin(), text.end())), C::notCompoundFile);
    EXPECT_EQ(OpenFailure(std::vector<uint8_t>(4096, 0)), C::notCompoundFile);
    EXPECT_THROW(CCompoundFileReader::OpenFile(testing::TempDir() + "/no such file.cvl"),
                 CCompoundFileException);
}

TEST(CompoundFile, TruncatedFilesAreRefusedAtEveryLength) {
    Image img;
    for (size_t len = 512; len < img.b.size(); len += 64)
        EXPECT_EQ(OpenFailure(std::vector<uint8_t>(img.b.begin(), img.b.begin() + len)),
                  CCompoundFileException::damaged)
            << len;
}

TEST(CompoundFile, DamagedStructuresAreRefusedWithoutHanging) {
    struct Case {
        const char* what;
        std::function<void(Image&)> damage;
    };
    const Case cases[] = {
        {"stream chain loops", [](Image& i) { i.Fat(9, 2); }},
        {"stream chain loops on itself", [](Image& i) { i.Fat(2, 2); }},
        {"sector past the end", [](Image& i) { i.Fat(5, 100); }},
        {"link beyond the table", [](Image& i) { i.Fat(5, 5000); }},
        {"chain ends in a free sector", [](Image& i) { i.Fat(9, 0xFFFFFFFF); }},
        {"chain shorter than the size", [](Image& i) { i.Fat(4, 0xFFFFFFFE); }},
        {"stream larger than the file", [](Image& i) { i.Put32(Image::EntryAt(1) + 0x78, 0x7FFFFFFF); }},
        {"directory chain loops", [](Image& i) { i.Fat(1, 1); }},
        {"directory tree loops", [](Image& i) { i.Put32(Image::EntryAt(2) + 0x44, 1); }},
        {"entry points at itself", [](Image& i) { i.Put32(Image::EntryAt(1) + 0x48, 1); }},
        {"root with a sibling", [](Image& i) { i.Put32(Image::EntryAt(0) + 0x48, 1); }},
        {"entry out of range", [](Image& i) { i.Put32(Image::EntryAt(1) + 0x48, 0x02000001); }},
        {"unused entry in the tree", [](Image& i) { i.Put32(Image::EntryAt(2) + 0x48, 3); }},
        {"name without terminator", [](Image& i) { i.Put16(Image::EntryAt(1) + 0x40, 16); }},
        {"name longer than its field", [](Image& i) { i.Put16(Image::EntryAt(1) + 0x40, 66); }},
        {"sector table count huge", [](Image& i) { i.Put32(0x2C, 0xFFFFFFFF); }},
        {"sector table sector past the end", [](Image& i) { i.Put32(0x4C, 50); }},
        {"index sector count without need", [](Image& i) { i.Put32(0x48, 3); }},
        {"small chain loops", [](Image& i) { i.MiniFat(1, 0); }},
        {"small sector past the mini stream", [](Image& i) { i.MiniFat(1, 5); }},
        {"mini stream larger than its chain", [](Image& i) { i.Put32(Image::EntryAt(0) + 0x78, 1024); }},
        {"small stream larger than its chain", [](Image& i) { i.Put32(Image::EntryAt(2) + 0x78, 200); }},
        {"small sector table loops", [](Image& i) { i.Fat(10, 10); }},
        {"foreign sector size", [](Image& i) { i.Put16(0x1E, 12); }},
    };
    for (const auto& c : cases) {
        Image img;
        c.damage(img);
        EXPECT_EQ(OpenFailure(img.b), CCompoundFileException::damaged) << c.what;
    }
}

TEST(CompoundFile, DamagedIndexSectorsAreRefused) {
    auto contents = Bytes(size_t(9) << 20, 1);
    CompoundStream streams[] = {{std::string(kContentsStream), contents}};
    const auto good = BuildCompoundFile(streams);
    auto put32 = [](std::vector<uint8_t>& b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
    };
    const uint32_t first = uint32_t(good[0x44] | good[0x45] << 8 | good[0x46] << 16 | good[0x47] << 24);
    const size_t firstAt = 512 + size_t(first) * 512;
    const struct {
        const char* what;
        size_t at;
        uint32_t value;
    } cases[] = {
        {"index sector past the end", 0x44, 0x00FFFFFF},
        {"index sector count too high", 0x48, 2},
        {"sector table sector listed in an index sector past the end", firstAt, 0x00FFFFFF},
        {"index entry holding no sector", firstAt, 0xFFFFFFFF},
    };
    for (const auto& c : cases) {
        auto bad = good;
        put32(bad, c.at, c.value);
        EXPECT_EQ(OpenFailure(bad), CCompoundFileException::damaged) << c.what;
    }
}
