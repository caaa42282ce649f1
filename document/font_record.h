// Fonts as a data file stores them: the first 28 bytes of a LOGFONT and a 32-byte face name in the
// ANSI code page.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/text.h"

class CArchive;

inline constexpr int LF_FACESIZE = 32;

struct LOGFONTW {
    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char16_t lfFaceName[LF_FACESIZE] = {};  // NUL-terminated
};

class CFontRecord {
public:
    static constexpr size_t kStoredSize = 60;
    static constexpr size_t kFaceBytes = 32;

    LOGFONTW m_lf;

    // The face name up to its NUL; setting keeps at most LF_FACESIZE - 1 characters.
    WString GetFaceName() const;
    void SetFaceName(WStringView name);

    // The 60 stored bytes. While the face name is the one read, the 32 face bytes read (including
    // whatever followed their NUL) are written back as they were.
    std::array<uint8_t, kStoredSize> ToBytes() const;
    void FromBytes(std::span<const uint8_t, kStoredSize> bytes);

    void Serialize(CArchive& ar);

private:
    std::array<uint8_t, kFaceBytes> m_faceRead{};
    WString m_faceNameRead;
    bool m_hasRead = false;
};
