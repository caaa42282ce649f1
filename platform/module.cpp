#include "platform/module.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kShtNote = 7;
constexpr uint32_t kNoteType = 1;
constexpr char kNoteOwner[] = "Corvalen";
constexpr char kNoteSection[] = ".note.cvl.version";
// A note section larger than this is not ours; never allocate from an unchecked size.
constexpr uint64_t kMaxNoteSection = 1 << 20;
constexpr uint64_t kMaxSectionName = 4096;

// Reads the file through pread with every offset and length checked against its size.
class ElfFile {
public:
    explicit ElfFile(const std::string& path) {
        m_fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st;
        if (m_fd >= 0 && fstat(m_fd, &st) == 0 && S_ISREG(st.st_mode)) m_size = uint64_t(st.st_size);
    }
    ~ElfFile() {
        if (m_fd >= 0) close(m_fd);
    }
    ElfFile(const ElfFile&) = delete;
    ElfFile& operator=(const ElfFile&) = delete;

    bool Read(uint64_t offset, void* out, uint64_t length) const {
        if (m_fd < 0 || offset > m_size || length > m_size - offset) return false;
        auto* p = static_cast<unsigned char*>(out);
        while (length > 0) {
            ssize_t n = pread(m_fd, p, length, off_t(offset));
            if (n <= 0) return false;
            p += n;
            offset += uint64_t(n);
            length -= uint64_t(n);
        }
        return true;
    }

    bool bigEndian = false;
    bool wide = false;  // 64-bit class

    uint64_t Value(const unsigned char* p, int bytes) const {
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i) {
            int shift = bigEndian ? 8 * (bytes - 1 - i) : 8 * i;
            v |= uint64_t(p[i]) << shift;
        }
        return v;
    }

private:
    int m_fd = -1;
    uint64_t m_size = 0;
};

struct Section {
    uint32_t name = 0;
    uint32_t type = 0;
    uint64_t offset = 0;
    uint64_t size = 0;
    uint64_t align = 0;
    uint32_t link = 0;
};

bool ReadSection(const ElfFile& f, uint64_t shoff, uint64_t entsize, uint64_t index, Section& s) {
    unsigned char h[64];
    uint64_t need = f.wide ? 64 : 40;
    if (entsize < need || index > (UINT64_MAX - shoff) / entsize) return false;
    if (!f.Read(shoff + index * entsize, h, need)) return false;
    s.name = uint32_t(f.Value(h, 4));
    s.type = uint32_t(f.Value(h + 4, 4));
    if (f.wide) {
        s.offset = f.Value(h + 24, 8);
        s.size = f.Value(h + 32, 8);
        s.link = uint32_t(f.Value(h + 40, 4));
        s.align = f.Value(h + 48, 8);
    } else {
        s.offset = f.Value(h + 16, 4);
        s.size = f.Value(h + 20, 4);
        s.link = uint32_t(f.Value(h + 24, 4));
        s.align = f.Value(h + 32, 4);
    }
    return true;
}

bool SectionNameIs(const ElfFile& f, const Section& names, uint32_t at, const char* wanted) {
    uint64_t len = std::strlen(wanted) + 1;
    if (at > names.size || len > names.size - at || len > kMaxSectionName) return false;
    std::vector<char> buf(len);
    if (!f.Read(names.offset + at, buf.data(), len)) return false;
    return std::memcmp(buf.data(), wanted, len) == 0;
}

uint64_t AlignUp(uint64_t v, uint64_t a) {
    return (v + a - 1) / a * a;
}

bool FindNote(const ElfFile& f, const Section& s, CModuleVersion& version) {
    if (s.size == 0 || s.size > kMaxNoteSection) return false;
    std::vector<unsigned char> data(s.size);
    if (!f.Read(s.offset, data.data(), s.size)) return false;
    uint64_t align = s.align == 8 ? 8 : 4;
    uint64_t pos = 0;
    while (s.size - pos >= 12) {
        uint64_t namesz = f.Value(&data[pos], 4);
        uint64_t descsz = f.Value(&data[pos + 4], 4);
        uint64_t type = f.Value(&data[pos + 8], 4);
        uint64_t nameAt = pos + 12;
        if (AlignUp(namesz, align) > s.size - nameAt) return false;
        uint64_t descAt = nameAt + AlignUp(namesz, align);
        if (AlignUp(descsz, align) > s.size - descAt) return false;
        if (type == kNoteType && namesz == sizeof(kNoteOwner) &&
            std::memcmp(&data[nameAt], kNoteOwner, sizeof(kNoteOwner)) == 0 && descsz >= 8) {
            for (int i = 0; i < 4; ++i) version.parts[i] = uint16_t(f.Value(&data[descAt + 2 * i], 2));
            const char* text = reinterpret_cast<const char*>(&data[descAt + 8]);
            version.productVersion = Utf8ToW(std::string_view(text, strnlen(text, descsz - 8)));
            return true;
        }
        pos = descAt + AlignUp(descsz, align);
    }
    return false;
}

}  // namespace

bool ReadModuleVersion(const std::string& path, CModuleVersion& version) {
    ElfFile f(path);
    unsigned char ident[64];
    if (!f.Read(0, ident, 16) || std::memcmp(ident,
                                             "\x7f"
                                             "ELF",
                                             4) != 0)
        return false;
    if ((ident[4] != 1 && ident[4] != 2) || (ident[5] != 1 && ident[5] != 2)) return false;
    f.wide = ident[4] == 2;
    f.bigEndian = ident[5] == 2;
    if (!f.Read(0, ident, f.wide ? 64 : 52)) return false;
    uint64_t shoff = f.wide ? f.Value(ident + 0x28, 8) : f.Value(ident + 0x20, 4);
    uint64_t entsize = f.Value(ident + (f.wide ? 0x3A : 0x2E), 2);
    uint64_t shnum = f.Value(ident + (f.wide ? 0x3C : 0x30), 2);
    uint64_t shstrndx = f.Value(ident + (f.wide ? 0x3E : 0x32), 2);
    if (shoff == 0) return false;
    // Large section counts and name-table indexes live in section 0.
    Section first;
    if (!ReadSection(f, shoff, entsize, 0, first)) return false;
    if (shnum == 0) shnum = first.size;
    if (shstrndx == 0xFFFF) shstrndx = first.link;
    if (shnum > 0x100000) return false;

    Section names;
    bool haveNames = shstrndx < shnum && ReadSection(f, shoff, entsize, shstrndx, names);
    for (uint64_t i = 1; i < shnum; ++i) {
        Section s;
        if (!ReadSection(f, shoff, entsize, i, s)) return false;
        bool candidate = s.type == kShtNote || (haveNames && SectionNameIs(f, names, s.name, kNoteSection));
        if (candidate && FindNote(f, s, version)) return true;
    }
    return false;
}

bool CModule::Load(const std::string& path) {
    Free();
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return m_handle != nullptr;
}

void CModule::Free() {
    if (m_handle) dlclose(m_handle);
    m_handle = nullptr;
}

void* CModule::GetProc(const char* name) const {
    return m_handle ? dlsym(m_handle, name) : nullptr;
}
