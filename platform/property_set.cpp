#include "platform/property_set.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"

namespace {

// Win32, version 6.0: what a set written by the Windows property-set implementation carries.
constexpr uint32_t kOsVersion = 0x00020006;
constexpr size_t kSetHeaderSize = 28;
constexpr size_t kSectionListEntrySize = 20;

void Put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
void Set32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
uint16_t Get16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutValue(std::vector<uint8_t>& b, const CProperty& p) {
    Put32(b, p.type);
    switch (p.type) {
        case VT_I2:
            Put16(b, uint16_t(p.i4));
            Put16(b, 0);
            break;
        case VT_I4:
            Put32(b, uint32_t(p.i4));
            break;
        case VT_LPSTR: {
            std::string s = p.text.substr(0, p.text.find('\0'));
            Put32(b, uint32_t(s.size() + 1));
            b.insert(b.end(), s.begin(), s.end());
            b.push_back(0);
            while (b.size() % 4) b.push_back(0);
            break;
        }
        case VT_FILETIME:
            Put32(b, uint32_t(p.filetime));
            Put32(b, uint32_t(p.filetime >> 32));
            break;
        default:
            b.insert(b.end(), p.raw.begin(), p.raw.end());
            while (b.size() % 4) b.push_back(0);
            break;
    }
}

// Reads one value at `at` inside the section [0, size); `end` is where the next value starts. False
// when it runs past the section, or is of a type not listed whose bytes depend on the code page.
bool GetValue(const uint8_t* sec, size_t size, size_t at, size_t end, uint16_t codePage, CProperty& p) {
    if (at > size || size - at < 8) return false;
    p.type = Get16(sec + at);
    const uint8_t* v = sec + at + 4;
    size_t room = size - at - 4;
    switch (p.type) {
        case VT_I2:
            p.i4 = int16_t(Get16(v));
            return true;
        case VT_I4:
            p.i4 = int32_t(Get32(v));
            return true;
        case VT_FILETIME:
            if (room < 8) return false;
            p.filetime = uint64_t(Get32(v)) | uint64_t(Get32(v + 4)) << 32;
            return true;
        case VT_LPSTR: {
            uint32_t n = Get32(v);
            if (n > room - 4) return false;
            const uint8_t* s = v + 4;
            if (codePage == kCodePageUtf16) {
                WString w;
                for (uint32_t i = 0; i + 1 < n; i += 2) {
                    char16_t c = char16_t(Get16(s + i));
                    if (c == 0) break;
                    w.push_back(c);
                }
                p.text = WToAnsi(w);
            } else {
                const uint8_t* nul = std::find(s, s + n, uint8_t(0));
                p.text = CodePageToAnsi({reinterpret_cast<const char*>(s), size_t(nul - s)}, codePage);
            }
            return true;
        }
        default: {
            // Kept as stored, for writing back; texts of another code page cannot be.
            const uint16_t base = p.type & VT_TYPEMASK;
            if ((base == VT_LPSTR || base == VT_VARIANT) && codePage != kCodePageWindows1252) return false;
            end = std::min(end, size);
            if (end < at + 4) return false;
            p.raw.assign(v, sec + end);
            return true;
        }
    }
}

}  // namespace

std::vector<uint8_t> EncodePropertySet(const FMTID& fmtid, std::span<const CProperty> props) {
    std::vector<uint8_t> b;
    Put16(b, 0xFFFE);  // byte order
    Put16(b, 0);       // format version
    Put32(b, kOsVersion);
    b.insert(b.end(), 16, 0);  // class id
    Put32(b, 1);               // one section
    b.insert(b.end(), fmtid.begin(), fmtid.end());
    Put32(b, uint32_t(kSetHeaderSize + kSectionListEntrySize));

    std::vector<CProperty> all;
    all.reserve(props.size() + 1);
    all.push_back({PID_CODEPAGE, VT_I2, int16_t(kCodePageWindows1252), {}, 0, {}});
    all.insert(all.end(), props.begin(), props.end());

    const size_t section = b.size();
    Put32(b, 0);  // section size, set below
    Put32(b, uint32_t(all.size()));
    const size_t table = b.size();
    b.resize(b.size() + 8 * all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        Set32(b, table + 8 * i, all[i].id);
        Set32(b, table + 8 * i + 4, uint32_t(b.size() - section));
        PutValue(b, all[i]);
    }
    Set32(b, section, uint32_t(b.size() - section));
    return b;
}

bool DecodePropertySet(std::span<const uint8_t> stream, const FMTID& fmtid, std::vector<CProperty>& out) {
    out.clear();
    const uint8_t* d = stream.data();
    const size_t size = stream.size();
    if (size < kSetHeaderSize || Get16(d) != 0xFFFE || Get16(d + 2) > 1) return false;
    const uint32_t sections = Get32(d + 24);
    if (sections > (size - kSetHeaderSize) / kSectionListEntrySize) return false;
    for (uint32_t s = 0; s < sections; ++s) {
        const uint8_t* entry = d + kSetHeaderSize + s * kSectionListEntrySize;
        if (memcmp(entry, fmtid.data(), fmtid.size()) != 0) continue;
        const uint32_t offset = Get32(entry + 16);
        if (offset > size || size - offset < 8) return false;
        const uint8_t* sec = d + offset;
        const size_t secSize = std::min<size_t>(Get32(sec), size - offset);
        const uint32_t count = Get32(sec + 4);
        if (secSize < 8 || count > (secSize - 8) / 8) return false;

        // A value ends where the next one starts, or with the section.
        std::vector<size_t> starts;
        for (uint32_t i = 0; i < count; ++i) starts.push_back(Get32(sec + 12 + 8 * i));
        std::sort(starts.begin(), starts.end());
        auto endOf = [&](size_t at) {
            auto next = std::upper_bound(starts.begin(), starts.end(), at);
            return next == starts.end() ? secSize : *next;
        };
        uint16_t codePage = kCodePageWindows1252;
        for (uint32_t i = 0; i < count; ++i) {
            if (Get32(sec + 8 + 8 * i) != PID_CODEPAGE) continue;
            CProperty p;
            const size_t at = Get32(sec + 12 + 8 * i);
            if (GetValue(sec, secSize, at, endOf(at), codePage, p) && p.type == VT_I2)
                codePage = uint16_t(p.i4);
        }
        for (uint32_t i = 0; i < count; ++i) {
            CProperty p;
            p.id = Get32(sec + 8 + 8 * i);
            if (p.id == PID_CODEPAGE) continue;
            const size_t at = Get32(sec + 12 + 8 * i);
            if (GetValue(sec, secSize, at, endOf(at), codePage, p)) out.push_back(std::move(p));
        }
        return true;
    }
    return false;
}
