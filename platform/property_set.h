// The OLE property-set stream (one section), limited to the value types a data file uses:
// 16-bit and 32-bit integers, narrow texts and file times.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/automation/variant.h"

using FMTID = std::array<uint8_t, 16>;  // as stored: the GUID's little-endian byte form

// {F29F85E0-4FF9-1068-AB91-08002B27B3D9}
inline constexpr FMTID FMTID_SummaryInformation = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                                   0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};

// VT_I2, VT_I4 and the type mask are the automation types'; the set's own types besides them:
enum : uint16_t { VT_LPSTR = 30, VT_FILETIME = 64 };
enum : uint32_t { PID_CODEPAGE = 1 };
inline constexpr uint16_t kCodePageWindows1252 = 1252;
inline constexpr uint16_t kCodePageUtf16 = 1200;

struct CProperty {
    uint32_t id = 0;
    uint16_t type = 0;
    int32_t i4 = 0;            // VT_I2 and VT_I4
    std::string text;          // VT_LPSTR: the bytes in the set's code page, without the NUL
    uint64_t filetime = 0;     // VT_FILETIME
    std::vector<uint8_t> raw;  // any other type: the value's bytes after the type word, as stored
};

// A property set with the code page (Windows-1252) as its first property, then `props` in the
// order given. Texts end at their first NUL.
std::vector<uint8_t> EncodePropertySet(const FMTID& fmtid, std::span<const CProperty> props);

// The properties of the section `fmtid`, in stored order, except the code page. A property of a type
// other than those above keeps its bytes in `raw`, unless they depend on a code page other than
// Windows-1252 (then it is skipped). Texts are converted from the set's code page to Windows-1252.
// False, with `out` empty, when the stream is not a sound property set or lacks that section.
bool DecodePropertySet(std::span<const uint8_t> stream, const FMTID& fmtid, std::vector<CProperty>& out);
