#include "document/document_file.h"

#include <optional>

#include "platform/host.h"

namespace {

constexpr unsigned IDS_LOADING = 1029;

// An object that must be there: a map or flock entry without one is a damaged archive.
template <class T>
CRefPtr<T> ReadRequired(CArchive& ar) {
    CRefPtr<T> object = ar.ReadObjectAs<T>();
    if (!object) throw CArchiveException(CArchiveException::badIndex);
    return object;
}

}  // namespace

CDocumentFile::CDocumentFile() : m_headerFont(DefaultReportFont()), m_bodyFont(DefaultReportFont()) {
    m_date.m_dt = 0.0;
    m_date.SetStatus(COleDateTime::null);
}

namespace {
std::optional<CFontRecord>& ProgramReportFont() {
    static std::optional<CFontRecord> font;
    return font;
}
}  // namespace

void CDocumentFile::SetDefaultReportFont(const CFontRecord& font) {
    ProgramReportFont() = font;
}

CFontRecord CDocumentFile::DefaultReportFont() {
    if (ProgramReportFont()) return *ProgramReportFont();
    // The stock system font's description as Windows gives it, height negated.
    CFontRecord font;
    font.m_lf.lfHeight = -16;
    font.m_lf.lfWidth = 7;
    font.m_lf.lfWeight = 700;
    font.m_lf.lfPitchAndFamily = 0x22;  // variable pitch, swiss
    font.SetFaceName(u"System");
    return font;
}

void CDocumentArchive::Read(CArchive& ar) {
    // Embedded items cannot be kept here; the container refuses them before this point.
    uint32_t items = 0;
    ar >> items;
    if (items != 0) throw CArchiveException(CArchiveException::badClass);

    uint32_t n = ar.ReadCountChecked(3);
    for (uint32_t i = 0; i < n; ++i) {
        uint16_t key = 0;
        ar >> key;
        farmDetails[key] = ar.ReadString();
    }
    ar >> format >> versionLS >> versionMS;

    n = ar.ReadCountChecked(2);
    flock.reserve(n);
    {
        CProgressScope progress(IDS_LOADING, int(n));
        for (uint32_t i = 0; i < n; ++i) {
            flock.push_back(ReadRequired<CSheep>(ar));
            progress.Step();
        }
    }

    n = ar.ReadCountChecked(6);
    earTags.resize(n);
    for (CEarTagHashEntry& entry : earTags)
        ar >> entry.m_strEarTag >> entry.m_strTattoo >> entry.m_nRunOffset;

    n = ar.ReadCountChecked(2);
    for (uint32_t i = 0; i < n; ++i) {
        WString year = ar.ReadString();
        yearColours[year] = ar.ReadString();
    }

    n = ar.ReadCountChecked(4);
    for (uint32_t i = 0; i < n; ++i) {
        uint16_t kind = 0;
        ar >> kind;
        columns[kind] = ReadRequired<CDWordArray>(ar);
    }

    SerializeObjectArray(ar, pageSetups, true);

    n = ar.ReadCountChecked(3);
    for (uint32_t i = 0; i < n; ++i) {
        WString name = ar.ReadString();
        addresses[name] = ReadRequired<CAddress>(ar);
    }

    n = ar.ReadCountChecked(3);
    for (uint32_t i = 0; i < n; ++i) {
        WString key = ar.ReadString();
        signet[key] = ReadRequired<CSignetData>(ar);
    }

    ar >> currentIndex >> headerColour >> bodyColour;
    headerFont.Serialize(ar);
    bodyFont.Serialize(ar);
    ar >> date;
}
