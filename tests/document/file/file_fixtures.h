// Data-file fixtures written byte by byte from the stored-form tables, with no help from the archive
// code under test, and a scratch folder with its own settings and registered breeds.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/settings.h"

namespace serial {

// Little-endian bytes in the framework's archive forms.
class Bytes {
public:
    Bytes& U8(uint8_t v) {
        m_b.push_back(v);
        return *this;
    }
    Bytes& U16(uint16_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)); }
    Bytes& U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }
    Bytes& I32(int32_t v) { return U32(uint32_t(v)); }
    Bytes& U64(uint64_t v) { return U32(uint32_t(v)).U32(uint32_t(v >> 32)); }
    Bytes& Double(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        return U64(bits);
    }
    Bytes& Raw(const std::vector<uint8_t>& v) {
        m_b.insert(m_b.end(), v.begin(), v.end());
        return *this;
    }
    // A count: 16-bit, or FFFF and 32-bit from FFFF on.
    Bytes& Count(uint32_t n) { return n < 0xFFFF ? U16(uint16_t(n)) : U16(0xFFFF).U32(n); }
    // A text: FF FE FF, the length (a byte below FF, else FF and a word), UTF-16LE characters.
    Bytes& Text(const std::u16string& s) {
        U8(0xFF).U16(0xFFFE);
        if (s.size() < 0xFF)
            U8(uint8_t(s.size()));
        else
            U8(0xFF).U16(uint16_t(s.size()));
        for (char16_t c : s) U16(c);
        return *this;
    }
    // A date: 32-bit status (0 valid, 2 null), then the double.
    Bytes& Date(double dt) { return I32(0).Double(dt); }
    Bytes& NullDate() { return I32(2).Double(0.0); }
    // "Not entered": the bits FFF8000000000000.
    Bytes& NotEntered() { return U64(0xFFF8000000000000ull); }

    // An object with its class: the first object of a class brings FFFF, the schema, the name's
    // length and the name, and takes the next index for its class and the one after for itself;
    // later objects of the class write 8000 | the class's index, or from index 7FFF on 7FFF and
    // 80000000 | the index. Indexes start at 1.
    Bytes& Object(const std::string& className, uint16_t schema = 1) {
        auto it = m_classes.find(className);
        if (it == m_classes.end()) {
            U16(0xFFFF).U16(schema).U16(uint16_t(className.size()));
            for (char c : className) U8(uint8_t(c));
            m_classes[className] = m_next++;
        } else if (it->second < 0x7FFF) {
            U16(uint16_t(0x8000 | it->second));
        } else {
            U16(0x7FFF).U32(0x80000000u | it->second);
        }
        ++m_next;
        return *this;
    }

    const std::vector<uint8_t>& Get() const { return m_b; }
    operator const std::vector<uint8_t>&() const { return m_b; }

private:
    std::vector<uint8_t> m_b;
    std::map<std::string, uint32_t> m_classes;
    uint32_t m_next = 1;
};

// A 60-byte font record: the LOGFONT's first 28 bytes and 32 face bytes (given, then zeros).
inline void Font(Bytes& b, int32_t height, int32_t width, int32_t weight, uint8_t italic, uint8_t charSet,
                 uint8_t pitchAndFamily, const std::vector<uint8_t>& face) {
    b.I32(height).I32(width).I32(0).I32(0).I32(weight);
    b.U8(italic).U8(0).U8(0).U8(charSet).U8(0).U8(0).U8(0).U8(pitchAndFamily);
    std::vector<uint8_t> f = face;
    f.resize(32, 0);
    b.Raw(f);
}

// A page setup's body with the given printer blocks and otherwise its defaults.
inline void PageSetupBody(Bytes& b, const std::vector<uint8_t>& devMode = {},
                          const std::vector<uint8_t>& devNames = {}) {
    b.U32(uint32_t(devMode.size())).Raw(devMode).U32(uint32_t(devNames.size())).Raw(devNames);
    b.U32(100 | (100u << 16)).U32(75 | (75u << 16)).U32(75 | (75u << 16)).U32(0);
    b.Text(u"&F\t&T\t&D").Text(u"\tPage &P\t");
}

inline constexpr uint32_t kBreedMS = 0x00020000;  // the test breed's version 2.0.0.0
inline constexpr uint32_t kBreedLS = 0;

// The archive of a document with no animals: what a new document writes, plus the breed when given.
inline std::vector<uint8_t> EmptyFlock(const std::u16string& breed = u"", uint32_t ms = 0, uint32_t ls = 0) {
    Bytes b;
    b.U32(0);  // embedded items
    b.Count(breed.empty() ? 1 : 2);
    if (!breed.empty()) b.U16(0).Text(breed);
    b.U16(4).Text(u"{nnn}");
    b.U32(1).U32(ls).U32(ms);
    b.Count(0);  // flock
    b.Count(0);  // ear-tag index
    b.Count(0);  // year colours
    b.Count(0);  // column layouts
    b.Count(5);  // page setups
    for (int i = 0; i < 5; ++i) {
        b.Object("CPageSetup");
        PageSetupBody(b);
    }
    b.Count(0).Count(0);  // addresses, Signet averages
    b.I32(-1).U32(0).U32(0);
    for (int i = 0; i < 2; ++i) Font(b, -16, 7, 700, 0, 0, 0x22, {'S', 'y', 's', 't', 'e', 'm'});
    b.NullDate();
    return b;
}

struct SmallFlockOptions {
    bool reversedMaps = false;  // map entries written against our order
    uint32_t ms = kBreedMS, ls = kBreedLS;
    int32_t current = 1;
    std::u16string breed = u"Texel";
};

// Two animals: a ram AB1 (EID, two events, the second naming two addresses, a tupping) and a ewe AB2 (an
// event, a lambing with two lambs); a year colour pair, a column layout, two page setups (one with printer
// blocks), a local and an address-book address, Signet averages; fonts with a non-ASCII face and bytes after
// its NUL.
inline std::vector<uint8_t> SmallFlock(const SmallFlockOptions& o = {}) {
    Bytes b;
    b.U32(0);
    // farm details: 0 breed, 1 address, 4 template
    std::vector<std::pair<uint16_t, std::u16string>> farm = {
        {0, o.breed}, {1, u"Hill Farm\r\nDale"}, {4, u"{yy}-{nnn}"}};
    if (o.reversedMaps) std::reverse(farm.begin(), farm.end());
    b.Count(uint32_t(farm.size()));
    for (auto& [k, v] : farm) b.U16(k).Text(v);
    b.U32(1).U32(o.ls).U32(o.ms);

    b.Count(2);
    // ---- AB1, a ram
    b.Object("CSheep");
    b.Text(u"AB1").I32(0).I32(1).Text(u"SIRE9").Text(u"DAM4").Text(u"Samson");
    b.Text(u"Red").Text(u"001").I32(2).Date(38000.25).Date(37700.0).NullDate().NullDate();
    b.Text(u"Good feet");
    b.Double(1.5);  // LeanIndex
    for (int i = 0; i < 12; ++i) b.NotEntered();
    b.U64(826000000000123ull).I32(127).U32(5);
    b.Count(2);  // events
    b.Object("CEvent").Date(37750.0).Count(1).Text(u"21.5").I32(4).Date(37750.5).NullDate();
    b.Object("CEvent").Date(37800.0).Count(2).Text(u"Smith").Text(u"Brown").I32(30).Date(37800.5).Date(
        37801.0);
    b.Count(1);  // tuppings
    b.Object("CRamLambingData").Date(37900.0).Date(37900.0).Text(u"Normal").Date(37910.0).Date(37950.0);
    b.Count(2).Text(u"AB2").Text(u"ZZ9");
    b.Count(0);  // lambings
    // ---- AB2, a ewe
    b.Object("CSheep");
    b.Text(u"AB2").I32(-1).I32(0).Text(u"").Text(u"").Text(u"");
    b.Text(u"Blue").Text(u"7").I32(1).NullDate().Date(37000.0).NullDate().NullDate();
    b.Text(u"");
    for (int i = 0; i < 13; ++i) b.NotEntered();
    b.U64(0).I32(127).U32(0);
    b.Count(1);
    b.Object("CEvent").Date(38100.0).Count(0).I32(9).Date(38100.5).NullDate();
    b.Count(0);  // tuppings
    b.Count(1);  // lambings
    b.Object("CEweLambingData").Date(38101.0).Date(38100.0).Text(u"Easy").Text(u"AB1").I32(1).Date(38100.0);
    b.Count(2);
    b.Object("CLambData").Date(38100.0).Date(38100.0).Text(u"AB3").Text(u"4.5").Text(u"").I32(1);
    b.Object("CLambData").Date(38100.0).Date(38100.0).Text(u"AB4").Text(u"4.1").Text(u"small").I32(0);

    // ear-tag index: "Blue7" sorts before "Red001"
    b.Count(2).Text(u"Blue7").Text(u"AB2").I32(-1).Text(u"Red001").Text(u"AB1").I32(-1);

    std::vector<std::pair<std::u16string, std::u16string>> colours = {{u"2003", u"Red"}, {u"2004", u"Blue"}};
    if (o.reversedMaps) std::reverse(colours.begin(), colours.end());
    b.Count(2);
    for (auto& [y, c] : colours) b.Text(y).Text(c);

    b.Count(1).U16(1).Object("CDWordArray", 0).Count(8);
    for (uint32_t f : {1, 2, 3, 8, 12, 10, 11, 4}) b.U32(f);

    b.Count(2);
    b.Object("CPageSetup");
    PageSetupBody(b, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60}, {1, 2, 3});
    b.Object("CPageSetup");
    PageSetupBody(b);

    // addresses: "Brown" local, "Smith" from the address book
    auto brown = [&] {
        b.Text(u"Brown").Object("CLocalAddress").Text(u"Brown").Date(37000.0).Date(37001.0);
        b.Text(u"1 Lane\r\nTown").Text(u"").Text(u"01234 567").Text(u"TN1 1AA").Text(u"b@example.org");
    };
    auto smith = [&] {
        b.Text(u"Smith").Object("CMAPIAddress").Text(u"Smith").Date(37002.0).NullDate();
        b.U32(4).Raw({0xDE, 0xAD, 0xBE, 0xEF});
    };
    b.Count(2);
    if (o.reversedMaps) {
        smith();
        brown();
    } else {
        brown();
        smith();
    }

    b.Count(1).Text(u"2003E").Object("CSignetData");
    b.Double(101.5).Double(1.25);
    for (int i = 0; i < 6; ++i) b.NotEntered();
    b.Double(2.5).Date(38000.0).NullDate();

    b.I32(o.current).U32(0x000000FF).U32(0x00FF0000);
    Font(b, -13, 0, 400, 1, 0, 0x12, {'A', 'r', 'i', 'a', 'l'});
    Font(b, -11, 0, 700, 0, 0, 0x22, {'C', 'a', 'f', 0xE9, 0, 'x', 'y'});
    b.Date(38200.75);
    return b;
}

// The key of animal i of KeysOnly: K0 ... K9 in flocks of up to ten, else K00000, K00001 ...
inline std::u16string Key(int i, int animals) {
    if (animals <= 10) return std::u16string(u"K") + char16_t(u'0' + i);
    std::u16string k = u"K";
    for (int d = 10000; d > 0; d /= 10) k += char16_t(u'0' + (i / d) % 10);
    return k;
}

// Animals with only their keys (and nothing attached), for the current-index cases and large
// flocks; descending writes them from the last key to the first.
inline std::vector<uint8_t> KeysOnly(int animals, int32_t current, bool descending = false,
                                     uint32_t pageSetups = 0) {
    Bytes b;
    b.U32(0).Count(1).U16(4).Text(u"{nnn}").U32(1).U32(0).U32(0);
    b.Count(uint32_t(animals));
    for (int i = 0; i < animals; ++i) {
        int k = descending ? animals - 1 - i : i;
        b.Object("CSheep").Text(Key(k, animals)).I32(-1).I32(0);
        b.Text(u"")
            .Text(u"")
            .Text(u"")
            .Text(u"")
            .Text(u"")
            .I32(1)
            .NullDate()
            .NullDate()
            .NullDate()
            .NullDate();
        b.Text(u"");
        for (int f = 0; f < 13; ++f) b.NotEntered();
        b.U64(0).I32(127).U32(0).Count(0).Count(0).Count(0);
    }
    b.Count(0).Count(0).Count(0);  // ear tags, year colours, column layouts
    b.Count(pageSetups);
    for (uint32_t i = 0; i < pageSetups; ++i) {
        b.Object("CPageSetup");
        PageSetupBody(b);
    }
    b.Count(0).Count(0);
    b.I32(current).U32(0).U32(0);
    for (int i = 0; i < 2; ++i) Font(b, -16, 7, 700, 0, 0, 0x22, {'S', 'y', 's', 't', 'e', 'm'});
    b.NullDate();
    return b;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A scratch folder for one test; both settings stores point into it, with the test breeds and the
// shipped breed registered machine-wide.
class ScratchFolder {
public:
    ScratchFolder() {
        char tmpl[] = "/tmp/cvl-serial-XXXXXX";
        if (!mkdtemp(tmpl)) ADD_FAILURE() << "no temporary folder";
        root = tmpl;
        for (const char* name : {"CVL_MACHINE_CONFIG_DIR", "CVL_USER_CONFIG_DIR"}) {
            const char* v = getenv(name);
            m_saved.push_back({name, v ? std::optional<std::string>(v) : std::nullopt});
        }
        setenv("CVL_MACHINE_CONFIG_DIR", (root + "/machine").c_str(), 1);
        setenv("CVL_USER_CONFIG_DIR", (root + "/user").c_str(), 1);
        Register(u"Texel", CVL_BREED_FULL);
        Register(u"Newer", CVL_BREED_NEWER);
        Register(u"Broken", CVL_BREED_NO_UNICODE);
        Register(u"General Sheep", CVL_BREED_GENERAL);
    }
    ~ScratchFolder() {
        for (auto& [name, value] : m_saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        std::filesystem::remove_all(root);
    }
    static void Register(const std::u16string& breed, const char* library) {
        EXPECT_TRUE(CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", breed, Utf8ToW(library)));
    }
    std::string Path(const std::string& name) const { return root + "/" + name; }
    // Names in the folder, lock files and temporary files included.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(root))
            if (e.path().filename() != "machine" && e.path().filename() != "user")
                names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string root;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

}  // namespace serial
