#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "tests/breeds/breed_plugin.h"

namespace {

struct VersionNote {
    uint16_t parts[4];
    std::string product;
};

template <typename T>
bool ReadAt(const std::string& file, uint64_t offset, T& out) {
    if (offset > file.size() || file.size() - offset < sizeof(T)) return false;
    std::memcpy(&out, file.data() + offset, sizeof(T));
    return true;
}

uint64_t Align4(uint64_t n) {
    return (n + 3) & ~uint64_t(3);
}

// Finds the version note in the note sections of a 64-bit little-endian ELF file, without trusting
// any offset or size it reads.
std::optional<VersionNote> ReadVersionNote(const std::string& file) {
    Elf64_Ehdr eh;
    if (!ReadAt(file, 0, eh) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 ||
        eh.e_ident[EI_CLASS] != ELFCLASS64 || eh.e_ident[EI_DATA] != ELFDATA2LSB ||
        eh.e_shentsize != sizeof(Elf64_Shdr))
        return std::nullopt;
    for (uint16_t i = 0; i < eh.e_shnum; ++i) {
        Elf64_Shdr sh;
        if (eh.e_shoff > file.size() || !ReadAt(file, eh.e_shoff + uint64_t(i) * sizeof(Elf64_Shdr), sh))
            return std::nullopt;
        if (sh.sh_type != SHT_NOTE || sh.sh_offset > file.size() || sh.sh_size > file.size() - sh.sh_offset)
            continue;
        uint64_t at = sh.sh_offset, end = sh.sh_offset + sh.sh_size;
        while (end - at >= sizeof(Elf64_Nhdr)) {
            Elf64_Nhdr nh;
            ReadAt(file, at, nh);
            uint64_t name = at + sizeof nh, desc = name + Align4(nh.n_namesz);
            if (nh.n_namesz > end - name || Align4(nh.n_namesz) > end - name || nh.n_descsz > end - desc)
                break;
            if (nh.n_type == CVL_VERSION_NOTE_TYPE && nh.n_namesz == sizeof(CVL_VERSION_NOTE_OWNER) &&
                std::memcmp(file.data() + name, CVL_VERSION_NOTE_OWNER, sizeof(CVL_VERSION_NOTE_OWNER)) ==
                    0 &&
                nh.n_descsz >= 8) {
                VersionNote note;
                std::memcpy(note.parts, file.data() + desc, 8);
                const char* text = file.data() + desc + 8;
                note.product.assign(text, strnlen(text, nh.n_descsz - 8));
                return note;
            }
            if (Align4(nh.n_descsz) > end - desc) break;
            at = desc + Align4(nh.n_descsz);
        }
    }
    return std::nullopt;
}

std::string ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(BreedVersionNote, TheLibraryFileCarriesItsVersion) {
    std::string file = ReadFile(BreedPlugin::Path());
    ASSERT_FALSE(file.empty());
    auto note = ReadVersionNote(file);
    ASSERT_TRUE(note.has_value());
    EXPECT_EQ(note->parts[0], 1);
    EXPECT_EQ(note->parts[1], 0);
    EXPECT_EQ(note->parts[2], 0);
    EXPECT_EQ(note->parts[3], 0);
    EXPECT_EQ(note->product, "1.0.0.0");

    // Cut short anywhere, the file yields the note or nothing, never a read past its end.
    for (size_t cut : {size_t(0), size_t(16), size_t(64), file.size() / 2, file.size() - 1}) {
        auto partial = ReadVersionNote(file.substr(0, cut));
        if (partial) {
            EXPECT_EQ(partial->product, "1.0.0.0");
        }
    }
}

}  // namespace
