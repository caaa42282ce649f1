#include "document/font_record.h"

#include <algorithm>

#include "platform/archive.h"

namespace {

void Put32(uint8_t* p, int32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(uint32_t(v) >> (8 * i));
}
int32_t Get32(const uint8_t* p) {
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

}  // namespace

WString CFontRecord::GetFaceName() const {
    const char16_t* end = std::find(m_lf.lfFaceName, m_lf.lfFaceName + LF_FACESIZE, u'\0');
    return WString(m_lf.lfFaceName, end);
}

void CFontRecord::SetFaceName(WStringView name) {
    std::fill(std::begin(m_lf.lfFaceName), std::end(m_lf.lfFaceName), u'\0');
    std::copy_n(name.begin(), std::min<size_t>(name.size(), LF_FACESIZE - 1), m_lf.lfFaceName);
}

std::array<uint8_t, CFontRecord::kStoredSize> CFontRecord::ToBytes() const {
    std::array<uint8_t, kStoredSize> b{};
    Put32(&b[0], m_lf.lfHeight);
    Put32(&b[4], m_lf.lfWidth);
    Put32(&b[8], m_lf.lfEscapement);
    Put32(&b[12], m_lf.lfOrientation);
    Put32(&b[16], m_lf.lfWeight);
    const uint8_t flags[] = {m_lf.lfItalic,  m_lf.lfUnderline,     m_lf.lfStrikeOut,
                             m_lf.lfCharSet, m_lf.lfOutPrecision,  m_lf.lfClipPrecision,
                             m_lf.lfQuality, m_lf.lfPitchAndFamily};
    std::copy(std::begin(flags), std::end(flags), &b[20]);
    WString face = GetFaceName();
    if (m_hasRead && face == m_faceNameRead) {
        std::copy(m_faceRead.begin(), m_faceRead.end(), &b[28]);
    } else {
        std::string ansi = WToAnsi(face);
        ansi.resize(std::min(ansi.size(), kFaceBytes - 1));
        std::copy(ansi.begin(), ansi.end(), &b[28]);  // the rest stays zero
    }
    return b;
}

void CFontRecord::FromBytes(std::span<const uint8_t, kStoredSize> b) {
    m_lf.lfHeight = Get32(&b[0]);
    m_lf.lfWidth = Get32(&b[4]);
    m_lf.lfEscapement = Get32(&b[8]);
    m_lf.lfOrientation = Get32(&b[12]);
    m_lf.lfWeight = Get32(&b[16]);
    m_lf.lfItalic = b[20];
    m_lf.lfUnderline = b[21];
    m_lf.lfStrikeOut = b[22];
    m_lf.lfCharSet = b[23];
    m_lf.lfOutPrecision = b[24];
    m_lf.lfClipPrecision = b[25];
    m_lf.lfQuality = b[26];
    m_lf.lfPitchAndFamily = b[27];
    std::copy(b.begin() + 28, b.end(), m_faceRead.begin());
    // A name that fills all 32 bytes has no room for its NUL: its last byte is dropped.
    auto end = std::find(m_faceRead.begin(), m_faceRead.end() - 1, uint8_t(0));
    SetFaceName(AnsiToW(std::string(m_faceRead.begin(), end)));
    m_faceNameRead = GetFaceName();
    m_hasRead = true;
}

void CFontRecord::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        auto b = ToBytes();
        ar.Write(b.data(), b.size());
    } else {
        std::array<uint8_t, kStoredSize> b;
        ar.Read(b.data(), b.size());
        FromBytes(b);
    }
}
