#include "platform/compound_file.h"

#include <fcntl.h>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>

namespace {

constexpr size_t kHeaderSize = 512;
constexpr unsigned kSectorShift = 9;
constexpr size_t kSectorSize = 512;
constexpr unsigned kMiniSectorShift = 6;
constexpr size_t kMiniSectorSize = 64;
constexpr uint32_t kMiniStreamCutoff = 4096;
constexpr size_t kEntrySize = 128;
constexpr size_t kEntriesPerSector = kSectorSize / kEntrySize;
constexpr size_t kIdsPerSector = kSectorSize / 4;
constexpr size_t kHeaderDifatCount = 109;

constexpr uint32_t kDifSect = 0xFFFFFFFC;  // lowest of the special sector values
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kNoStream = 0xFFFFFFFF;

// Zero bytes kept after the file's end.
constexpr size_t kTailPadding = 8;
// A tree deeper than this is refused: libgsf walks it recursively.
constexpr unsigned kMaxTreeDepth = 1000;
// Files beyond this cannot be addressed with 32-bit sector numbers of 512 bytes.
constexpr uint64_t kMaxFileSize = (uint64_t(1) << 32) * kSectorSize;

enum EntryType : uint8_t { typeStorage = 1, typeStream = 2, typeRoot = 5 };

uint16_t Get16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

[[noreturn]] void Damaged(const std::string& what) {
    throw CCompoundFileException(CCompoundFileException::damaged, "Damaged compound file: " + what);
}

template <class T>
struct GObjectDeleter {
    void operator()(T* p) const {
        if (p) g_object_unref(p);
    }
};
template <class T>
using GPtr = std::unique_ptr<T, GObjectDeleter<T>>;

struct Entry {
    std::string name;  // UTF-8
    uint8_t type = 0;
    uint32_t left = kNoStream, right = kNoStream, child = kNoStream;
    uint32_t start = 0;
    uint32_t size = 0;
};

// The structure of a file, checked the way libgsf will use it.
class Checker {
public:
    Checker(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    CompoundClassId m_rootClassId{};

    std::vector<std::string> Run() {
        ReadHeader();
        ReadFat();
        auto dirChain = Chain(m_fat, m_firstDirSector, "directory");
        if (dirChain.empty()) Damaged("no directory");
        m_dirSectors = std::move(dirChain);
        m_entryCount = m_dirSectors.size() * kEntriesPerSector;

        Entry root = ReadEntry(0);
        if (root.type != typeRoot) Damaged("no root entry");
        if (root.left != kNoStream || root.right != kNoStream) Damaged("root with siblings");
        if (root.size > m_size) Damaged("root size beyond the file");
        std::memcpy(m_rootClassId.data(), EntryBytes(0) + 0x50, m_rootClassId.size());
        m_visited.assign(m_entryCount, false);
        m_visited[0] = true;
        std::vector<uint32_t> rootChildren;
        Walk(root.child, 1, &rootChildren);

        std::vector<std::string> streams;
        bool needMini = false;
        for (uint32_t i : rootChildren) {
            Entry e = ReadEntry(i);
            if (e.type != typeStream) continue;
            if (e.size > m_size) Damaged("stream size beyond the file");
            // libgsf sets up the mini stream for any small stream, even an empty one.
            if (e.size < kMiniStreamCutoff)
                needMini = true;
            else
                CheckLength(Chain(m_fat, e.start, "stream").size(), e.size, kSectorSize);
            streams.push_back(e.name);
        }
        if (needMini) {
            auto rootChain = Chain(m_fat, root.start, "mini stream");
            CheckLength(rootChain.size(), root.size, kSectorSize);
            ReadMiniFat();
            for (uint32_t i : rootChildren) {
                Entry e = ReadEntry(i);
                if (e.type != typeStream || e.size >= kMiniStreamCutoff) continue;
                auto chain = Chain(m_miniFat, e.start, "small stream");
                CheckLength(chain.size(), e.size, kMiniSectorSize);
                if (chain.size() > kMiniStreamCutoff / kMiniSectorSize)
                    Damaged("small stream chain too long");
                for (uint32_t s : chain)
                    if ((uint64_t(s) + 1) * kMiniSectorSize > root.size)
                        Damaged("small sector past the mini stream");
            }
        }
        return streams;
    }

private:
    const uint8_t* Sector(uint32_t n) const { return m_data + kHeaderSize + size_t(n) * kSectorSize; }

    void ReadHeader() {
        static const uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
        if (m_size < kHeaderSize || memcmp(m_data, kSignature, 8) != 0)
            throw CCompoundFileException(CCompoundFileException::notCompoundFile, "Not a compound file");
        const uint8_t* h = m_data;
        if (Get16(h + 0x1C) != 0xFFFE) Damaged("byte order mark");
        if (Get16(h + 0x1E) != kSectorShift || Get16(h + 0x20) != kMiniSectorShift)
            Damaged("unsupported sector size");
        if (Get32(h + 0x38) != kMiniStreamCutoff) Damaged("unsupported mini stream cutoff");
        m_sectorCount = (m_size - kHeaderSize) / kSectorSize;
        m_fatSectorCount = Get32(h + 0x2C);
        m_firstDirSector = Get32(h + 0x30);
        m_firstMiniFatSector = Get32(h + 0x3C);
        m_firstDifatSector = Get32(h + 0x44);
        m_difatSectorCount = Get32(h + 0x48);
        if (m_fatSectorCount == 0 || m_fatSectorCount >= m_sectorCount) Damaged("sector table size");
        uint64_t extra = m_fatSectorCount > kHeaderDifatCount ? m_fatSectorCount - kHeaderDifatCount : 0;
        uint64_t needed = (extra + kIdsPerSector - 2) / (kIdsPerSector - 1);
        if (m_difatSectorCount != needed) Damaged("sector table index size");
    }

    void ReadFat() {
        std::vector<uint32_t> fatSectors;
        fatSectors.reserve(m_fatSectorCount);
        for (size_t i = 0; i < kHeaderDifatCount && fatSectors.size() < m_fatSectorCount; ++i)
            fatSectors.push_back(Get32(m_data + 0x4C + 4 * i));
        std::vector<bool> seen(m_sectorCount, false);
        uint32_t next = m_firstDifatSector;
        for (uint32_t n = 0; n < m_difatSectorCount; ++n) {
            if (next >= m_sectorCount || seen[next]) Damaged("sector table index chain");
            seen[next] = true;
            const uint8_t* s = Sector(next);
            for (size_t i = 0; i + 1 < kIdsPerSector && fatSectors.size() < m_fatSectorCount; ++i)
                fatSectors.push_back(Get32(s + 4 * i));
            next = Get32(s + 4 * (kIdsPerSector - 1));
        }
        if (fatSectors.size() != m_fatSectorCount) Damaged("sector table index short");
        m_fat.resize(size_t(m_fatSectorCount) * kIdsPerSector);
        size_t k = 0;
        for (uint32_t sector : fatSectors) {
            if (sector >= m_sectorCount) Damaged("sector table past the end");
            const uint8_t* s = Sector(sector);
            for (size_t i = 0; i < kIdsPerSector; ++i) m_fat[k++] = Get32(s + 4 * i);
        }
        for (uint32_t v : m_fat)
            if (v >= m_fat.size() && v < kDifSect) Damaged("sector table entry out of range");
    }

    void ReadMiniFat() {
        auto chain = Chain(m_fat, m_firstMiniFatSector, "small sector table");
        m_miniFat.resize(chain.size() * kIdsPerSector);
        size_t k = 0;
        for (uint32_t sector : chain) {
            const uint8_t* s = Sector(sector);
            for (size_t i = 0; i < kIdsPerSector; ++i) m_miniFat[k++] = Get32(s + 4 * i);
        }
        for (uint32_t v : m_miniFat)
            if (v >= m_miniFat.size() && v < kDifSect) Damaged("small sector table entry out of range");
    }

    // The sectors of a chain; loops, links past the table and missing ends are damage. For the main
    // table every sector must also lie inside the file.
    std::vector<uint32_t> Chain(const std::vector<uint32_t>& table, uint32_t start, const char* what) const {
        std::vector<uint32_t> chain;
        std::vector<bool> seen(table.size(), false);
        uint32_t s = start;
        while (s < table.size()) {
            if (seen[s]) Damaged(std::string(what) + " chain loops");
            seen[s] = true;
            if (&table == &m_fat && s >= m_sectorCount) Damaged(std::string(what) + " sector past the end");
            chain.push_back(s);
            s = table[s];
        }
        if (s != kEndOfChain) Damaged(std::string(what) + " chain broken");
        return chain;
    }

    static void CheckLength(size_t sectors, uint64_t size, size_t sectorSize) {
        if (uint64_t(sectors) * sectorSize < size) Damaged("stream shorter than its size");
    }

    const uint8_t* EntryBytes(uint32_t index) const {
        if (index >= m_entryCount) Damaged("directory entry out of range");
        return Sector(m_dirSectors[index / kEntriesPerSector]) + (index % kEntriesPerSector) * kEntrySize;
    }

    Entry ReadEntry(uint32_t index) const {
        const uint8_t* p = EntryBytes(index);
        Entry e;
        e.type = p[0x42];
        uint16_t nameLen = Get16(p + 0x40);
        // libgsf decodes the name up to a NUL it assumes is there.
        if (nameLen < 2 || nameLen > 64 || nameLen % 2 != 0 || Get16(p + nameLen - 2) != 0)
            Damaged("entry name");
        std::u16string name;
        for (unsigned i = 0; i + 2 < nameLen; i += 2) name.push_back(char16_t(Get16(p + i)));
        e.name = Utf16ToUtf8(name);
        e.left = Get32(p + 0x44);
        e.right = Get32(p + 0x48);
        e.child = Get32(p + 0x4C);
        e.start = Get32(p + 0x74);
        e.size = Get32(p + 0x78);
        return e;
    }

    // Visits a sibling tree; every entry once, depth bounded. Collects the entries of this storage.
    void Walk(uint32_t index, unsigned depth, std::vector<uint32_t>* members) {
        if (index == kNoStream) return;
        if (depth > kMaxTreeDepth) Damaged("directory too deep");
        if (index >= m_entryCount) Damaged("directory entry out of range");
        if (m_visited[index]) Damaged("directory tree loops");
        m_visited[index] = true;
        Entry e = ReadEntry(index);
        if (e.type != typeStorage && e.type != typeStream) Damaged("directory entry type");
        if (e.type == typeStream && e.size > m_size) Damaged("stream size beyond the file");
        if (members) members->push_back(index);
        Walk(e.left, depth + 1, members);
        Walk(e.right, depth + 1, members);
        if (e.type == typeStorage)
            Walk(e.child, depth + 1, nullptr);
        else if (e.child != kNoStream)
            Damaged("stream with children");
    }

    static std::string Utf16ToUtf8(const std::u16string& s) {
        gchar* utf8 = g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(s.data()), glong(s.size()), nullptr,
                                      nullptr, nullptr);
        if (!utf8) Damaged("entry name");
        std::string out(utf8);
        g_free(utf8);
        return out;
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_sectorCount = 0;
    uint32_t m_fatSectorCount = 0, m_firstDirSector = 0, m_firstMiniFatSector = 0;
    uint32_t m_firstDifatSector = 0, m_difatSectorCount = 0;
    std::vector<uint32_t> m_fat, m_miniFat, m_dirSectors;
    size_t m_entryCount = 0;
    std::vector<bool> m_visited;
};

[[noreturn]] void IoError(const std::string& what, const std::string& path) {
    throw CCompoundFileException(CCompoundFileException::ioError, what + " " + path + ": " + strerror(errno));
}

GPtr<GsfInfile> OpenWithGsf(const std::vector<uint8_t>& bytes, size_t size) {
    GPtr<GsfInput> input(gsf_input_memory_new(bytes.data(), gsf_off_t(size), FALSE));
    GError* err = nullptr;
    GPtr<GsfInfile> infile(gsf_infile_msole_new(input.get(), &err));
    if (!infile) {
        std::string msg = err ? err->message : "unknown error";
        if (err) g_error_free(err);
        Damaged(msg);
    }
    return infile;
}

}  // namespace

CCompoundFileReader CCompoundFileReader::OpenFile(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) IoError("Cannot open", path);
    struct Closer {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};
    struct stat st {};
    if (fstat(fd, &st) != 0) IoError("Cannot read", path);
    if (!S_ISREG(st.st_mode)) {
        errno = EINVAL;
        IoError("Not a regular file:", path);
    }
    if (uint64_t(st.st_size) > kMaxFileSize)
        throw CCompoundFileException(CCompoundFileException::notCompoundFile, "File too large: " + path);
    // Room for the zero bytes Check puts after the end, so that they cost no copy of the file.
    std::vector<uint8_t> bytes;
    bytes.reserve(size_t(st.st_size) + kTailPadding);
    bytes.resize(size_t(st.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) IoError("Cannot read", path);
        if (n == 0) break;  // shrank while reading
        done += size_t(n);
    }
    bytes.resize(done);
    return OpenMemory(std::move(bytes));
}

CCompoundFileReader CCompoundFileReader::OpenMemory(std::vector<uint8_t> bytes) {
    CCompoundFileReader r;
    r.m_size = bytes.size();
    r.m_bytes = std::move(bytes);
    r.Check();
    return r;
}

void CCompoundFileReader::Check() {
    Checker checker(m_bytes.data(), m_size);
    m_streams = checker.Run();
    m_classId = checker.m_rootClassId;
    // Zero bytes after the end, so that no scan for a terminator can run off the buffer.
    m_bytes.resize(m_size + kTailPadding, 0);
    OpenWithGsf(m_bytes, m_size);  // libgsf's own checks agree before anyone relies on it
}

bool CCompoundFileReader::HasStream(std::string_view name) const {
    for (const auto& s : m_streams)
        if (s == name) return true;
    return false;
}

std::vector<std::string> CCompoundFileReader::StreamNames() const {
    return m_streams;
}

bool CCompoundFileReader::ReadStream(std::string_view name, std::vector<uint8_t>& out) const {
    if (!HasStream(name)) return false;
    auto infile = OpenWithGsf(m_bytes, m_size);
    GPtr<GsfInput> child(gsf_infile_child_by_name(infile.get(), std::string(name).c_str()));
    if (!child || gsf_infile_num_children(GSF_INFILE(child.get())) >= 0) Damaged("cannot open stream");
    gsf_off_t size = gsf_input_size(child.get());
    if (size < 0 || uint64_t(size) > m_size) Damaged("stream size beyond the file");
    out.resize(size_t(size));
    if (size > 0 && !gsf_input_read(child.get(), size_t(size), out.data())) Damaged("cannot read stream");
    return true;
}

// ---- writing ----

namespace {

// The end of a libgsf output that libgsf writes the compound file into: the bytes go on to the
// target in order, gathered in a buffer; the header (written first and filled in last) is kept
// apart so that filling it in costs one write. libgsf sees a failure as a false return; the
// exception is kept for the writer to throw once libgsf has returned.
class CTargetOutput {
public:
    static constexpr size_t kBufferSize = 256 * 1024;
    static constexpr size_t kHeadSize = kHeaderSize;

    explicit CTargetOutput(ICompoundFileTarget& target) : m_target(target) { m_buf.reserve(kBufferSize); }

    bool Write(uint64_t pos, const uint8_t* data, size_t n) {
        if (m_error || m_bAbandoned) return false;
        try {
            const uint64_t end = m_nFlushed + m_buf.size();
            if (pos > end) return false;  // libgsf writes no holes
            if (pos < kHeadSize)
                std::memcpy(m_head + pos, data, size_t(std::min<uint64_t>(n, kHeadSize - pos)));
            // Over bytes written before: in the target (the header's through the kept copy), or
            // still in the buffer.
            if (pos < m_nFlushed && n > 0) {
                const size_t k = size_t(std::min<uint64_t>(n, m_nFlushed - pos));
                if (pos < kHeadSize) m_bHeadChanged = true;
                if (pos + k > kHeadSize) {
                    const uint64_t from = std::max<uint64_t>(pos, kHeadSize);
                    m_target.Overwrite(from, {data + (from - pos), size_t(pos + k - from)});
                }
                pos += k;
                data += k;
                n -= k;
            }
            if (pos < end && n > 0) {
                const size_t k = size_t(std::min<uint64_t>(n, end - pos));
                std::memcpy(m_buf.data() + (pos - m_nFlushed), data, k);
                pos += k;
                data += k;
                n -= k;
            }
            if (n == 0) return true;
            // Appended: gathered in the buffer, or passed straight on when that is as large.
            if (m_buf.size() + n > kBufferSize) FlushBuffer();
            if (n >= kBufferSize) {
                m_target.Append({data, n});
                m_nFlushed += n;
            } else {
                m_buf.insert(m_buf.end(), data, data + n);
            }
            return true;
        } catch (...) {
            m_error = std::current_exception();
            return false;
        }
    }

    bool Close() {
        if (m_error || m_bAbandoned) return false;
        try {
            LinkUnusedEntriesNowhere();
            FlushBuffer();
            if (m_bHeadChanged)
                m_target.Overwrite(0, {m_head, size_t(std::min<uint64_t>(m_nFlushed, kHeadSize))});
            m_bHeadChanged = false;
            return true;
        } catch (...) {
            m_error = std::current_exception();
            return false;
        }
    }

    // The directory entries libgsf will write: the root and each stream.
    void SetEntriesUsed(uint32_t n) { m_nEntriesUsed = n; }

    // After a libgsf call: its failure as the target's exception, or as `what`.
    void Check(bool ok, const std::string& what) {
        if (m_error) std::rethrow_exception(m_error);
        if (!ok) throw CCompoundFileException(CCompoundFileException::ioError, what);
    }
    // Nothing more reaches the target.
    void Abandon() { m_bAbandoned = true; }

private:
    // libgsf pads the directory's last sector with zeros, and a zero link points at the root:
    // stricter readers refuse that. Its entries lie in a row from the directory's first sector.
    void LinkUnusedEntriesNowhere() {
        if (m_nEntriesUsed == 0) return;
        const unsigned shift = unsigned(m_head[0x1E] | m_head[0x1F] << 8);
        if (shift < 7 || shift > 16) return;
        const uint64_t sectorSize = uint64_t(1) << shift;
        const uint64_t dirStart = uint64_t(m_head[0x30]) | uint64_t(m_head[0x31]) << 8 |
                                  uint64_t(m_head[0x32]) << 16 | uint64_t(m_head[0x33]) << 24;
        const uint64_t perSector = sectorSize / kEntrySize;
        const uint64_t slots = (m_nEntriesUsed + perSector - 1) / perSector * perSector;
        static const uint8_t kNowhere[12] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                             0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        for (uint64_t i = m_nEntriesUsed; i < slots; ++i) {
            const uint64_t at = (dirStart + 1) * sectorSize + i * kEntrySize + 0x44;
            if (at + sizeof kNowhere > m_nFlushed + m_buf.size()) return;
            if (at >= m_nFlushed)
                std::memcpy(m_buf.data() + (at - m_nFlushed), kNowhere, sizeof kNowhere);
            else
                m_target.Overwrite(at, kNowhere);  // a directory written before a large sector table
        }
    }

    void FlushBuffer() {
        if (m_buf.empty()) return;
        m_target.Append(m_buf);
        m_nFlushed += m_buf.size();
        m_buf.clear();
    }

    ICompoundFileTarget& m_target;
    std::vector<uint8_t> m_buf;
    uint64_t m_nFlushed = 0;  // bytes appended to the target
    uint8_t m_head[kHeadSize] = {};
    bool m_bHeadChanged = false;  // m_head differs from what the target holds
    bool m_bAbandoned = false;
    uint32_t m_nEntriesUsed = 0;
    std::exception_ptr m_error;
};

// The GObject that carries a CTargetOutput into libgsf.
struct CvlTargetOutput {
    GsfOutput base;
    CTargetOutput* out;
};
struct CvlTargetOutputClass {
    GsfOutputClass base;
};

G_DEFINE_TYPE(CvlTargetOutput, cvl_target_output, GSF_OUTPUT_TYPE)

CTargetOutput* Of(GsfOutput* output) {
    return reinterpret_cast<CvlTargetOutput*>(output)->out;
}

gboolean TargetWrite(GsfOutput* output, size_t n, const guint8* data) {
    return Of(output)->Write(uint64_t(output->cur_offset), data, n);
}

// libgsf keeps the position; writing takes it from there.
gboolean TargetSeek(GsfOutput* output, gsf_off_t offset, GSeekType whence) {
    gsf_off_t pos = offset;
    if (whence == G_SEEK_CUR) pos += output->cur_offset;
    if (whence == G_SEEK_END) pos += output->cur_size;
    return pos >= 0 && pos <= output->cur_size;
}

gboolean TargetClose(GsfOutput* output) {
    return Of(output)->Close();
}

void cvl_target_output_class_init(CvlTargetOutputClass* cls) {
    cls->base.Write = TargetWrite;
    cls->base.Seek = TargetSeek;
    cls->base.Close = TargetClose;
}

void cvl_target_output_init(CvlTargetOutput* self) {
    self->out = nullptr;
}

}  // namespace

struct CCompoundFileStreamWriter::Impl {
    explicit Impl(ICompoundFileTarget& target) : out(target) {
        sink.reset(GSF_OUTPUT(g_object_new(cvl_target_output_get_type(), nullptr)));
        reinterpret_cast<CvlTargetOutput*>(sink.get())->out = &out;
        root.reset(gsf_outfile_msole_new(sink.get()));
        out.Check(root != nullptr, "Cannot create compound file");
    }
    ~Impl() {
        // libgsf finishes an unclosed file when it is released: none of that reaches the target.
        out.Abandon();
    }
    void EndStream() {
        if (!stream) return;
        ++streams;
        const bool ok = gsf_output_close(stream.get());
        stream.reset();
        out.Check(ok, "Cannot write stream " + name);
    }

    // Released in the reverse order: the stream, the file, the output.
    CTargetOutput out;
    GPtr<GsfOutput> sink;
    GPtr<GsfOutfile> root;
    GPtr<GsfOutput> stream;
    std::string name;
    uint32_t streams = 0;
};

CCompoundFileStreamWriter::CCompoundFileStreamWriter(ICompoundFileTarget& target)
    : m_impl(std::make_unique<Impl>(target)) {}

CCompoundFileStreamWriter::~CCompoundFileStreamWriter() = default;

void CCompoundFileStreamWriter::SetClassId(const CompoundClassId& classId) {
    const bool ok = gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(m_impl->root.get()), classId.data());
    m_impl->out.Check(ok, "Cannot set the class id");
}

void CCompoundFileStreamWriter::BeginStream(std::string_view name) {
    m_impl->EndStream();
    m_impl->name = std::string(name);
    m_impl->stream.reset(gsf_outfile_new_child(m_impl->root.get(), m_impl->name.c_str(), FALSE));
    m_impl->out.Check(m_impl->stream != nullptr, "Cannot create stream " + m_impl->name);
}

void CCompoundFileStreamWriter::Write(std::span<const uint8_t> bytes) {
    if (!m_impl->stream) throw std::logic_error("compound file: no stream begun");
    if (bytes.empty()) return;
    const bool ok = gsf_output_write(m_impl->stream.get(), bytes.size(), bytes.data());
    m_impl->out.Check(ok, "Cannot write stream " + m_impl->name);
}

void CCompoundFileStreamWriter::Finish() {
    m_impl->EndStream();
    m_impl->out.SetEntriesUsed(m_impl->streams + 1);
    const bool ok = gsf_output_close(GSF_OUTPUT(m_impl->root.get()));
    m_impl->out.Check(ok, "Cannot finish compound file");
}

namespace {

class CVectorTarget : public ICompoundFileTarget {
public:
    void Append(std::span<const uint8_t> b) override { bytes.insert(bytes.end(), b.begin(), b.end()); }
    void Overwrite(uint64_t offset, std::span<const uint8_t> b) override {
        std::copy(b.begin(), b.end(), bytes.begin() + ptrdiff_t(offset));
    }
    std::vector<uint8_t> bytes;
};

}  // namespace

std::vector<uint8_t> BuildCompoundFile(const std::function<void(CCompoundFileStreamWriter&)>& write) {
    CVectorTarget target;
    CCompoundFileStreamWriter writer(target);
    write(writer);
    writer.Finish();
    return std::move(target.bytes);
}

std::vector<uint8_t> BuildCompoundFile(std::span<const CompoundStream> streams) {
    return BuildCompoundFile([&](CCompoundFileStreamWriter& writer) {
        for (const auto& s : streams) {
            writer.BeginStream(s.name);
            writer.Write(s.data);
        }
    });
}

void CCompoundFileWriter::SetStream(std::string_view name, std::vector<uint8_t> data) {
    for (auto& [n, d] : m_streams)
        if (n == name) {
            d = std::move(data);
            return;
        }
    m_streams.emplace_back(std::string(name), std::move(data));
}

const std::vector<uint8_t>* CCompoundFileWriter::FindStream(std::string_view name) const {
    for (const auto& [n, d] : m_streams)
        if (n == name) return &d;
    return nullptr;
}

void CCompoundFileWriter::WriteTo(CCompoundFileStreamWriter& out) const {
    for (const auto& [n, d] : m_streams) {
        out.BeginStream(n);
        out.Write(d);
    }
}

std::vector<uint8_t> CCompoundFileWriter::Build() const {
    return BuildCompoundFile([this](CCompoundFileStreamWriter& writer) { WriteTo(writer); });
}
