#include "document/print_setup.h"

#include <cstdlib>

#include "document/page_setup.h"
#include "platform/settings.h"

namespace {

// DEVMODEW: dmFields at 72, then dmOrientation and dmPaperSize.
constexpr size_t kOrientationAt = 76;
constexpr size_t kPaperSizeAt = 78;
constexpr uint32_t DM_ORIENTATION = 0x1;
constexpr uint32_t DM_PAPERSIZE = 0x2;
constexpr size_t kFieldsAt = 72;

const char16_t* const kSubkey = u"Page Setups";

uint32_t Word(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at] | b[at + 1] << 8);
}

bool HasField(const std::vector<uint8_t>& dm, uint32_t field, size_t at) {
    if (dm.size() < at + 2 || dm.size() < kFieldsAt + 4) return false;
    const uint32_t fields = Word(dm, kFieldsAt) | Word(dm, kFieldsAt + 2) << 16;
    return (fields & field) != 0;
}

WString ValueName(const std::string& docPath, int viewKind) {
    return Utf8ToW(docPath) + FormatW("|%d", viewKind);
}

}  // namespace

WString CPrintSetup::ToText() const {
    return printer + u'\t' + FormatW("%d\t%d\t", orientation, paperId) + paper + u'\t' + source +
           FormatW("\t%d", resolution);
}

bool CPrintSetup::FromText(WStringView text, CPrintSetup& out) {
    const std::vector<WString> parts = Split(text, u'\t');
    if (parts.size() != 6) return false;
    const auto number = [](const WString& t) { return std::atoi(WToUtf8(t).c_str()); };
    CPrintSetup setup;
    setup.printer = parts[0];
    setup.orientation = number(parts[1]) == 2 ? 2 : 1;
    setup.paperId = number(parts[2]);
    setup.paper = parts[3];
    setup.source = parts[4];
    setup.resolution = number(parts[5]);
    out = std::move(setup);
    return true;
}

int DevModeOrientation(const std::vector<uint8_t>& dm) {
    return HasField(dm, DM_ORIENTATION, kOrientationAt) ? int(Word(dm, kOrientationAt)) : 0;
}

int DevModePaperSize(const std::vector<uint8_t>& dm) {
    return HasField(dm, DM_PAPERSIZE, kPaperSizeAt) ? int(Word(dm, kPaperSizeAt)) : 0;
}

WString PaperKeywordFromId(int paperId) {
    switch (paperId) {
        case 1:
            return u"Letter";
        case 3:
            return u"Tabloid";
        case 5:
            return u"Legal";
        case 7:
            return u"Executive";
        case 8:
            return u"A3";
        case 9:
            return u"A4";
        case 11:
            return u"A5";
        case 13:
            return u"B5";
        case 20:
            return u"Env10";
        case 27:
            return u"EnvDL";
        default:
            return {};
    }
}

CPrintSetup GetPrintSetup(const CPageSetup& record, const std::string& docPath, int viewKind) {
    CPrintSetup setup;
    if (!record.m_strPrintSetup.empty() && CPrintSetup::FromText(record.m_strPrintSetup, setup)) return setup;
    if (!docPath.empty()) {
        const WString stored =
            CRegistrySettings::GetString(HKEY_CURRENT_USER, kSubkey, ValueName(docPath, viewKind), u"");
        if (!stored.empty() && CPrintSetup::FromText(stored, setup)) return setup;
    }
    setup = {};
    setup.orientation = DevModeOrientation(record.m_devMode) == 2 ? 2 : 1;
    setup.paperId = DevModePaperSize(record.m_devMode);
    setup.paper = PaperKeywordFromId(setup.paperId);
    return setup;
}

void SetPrintSetup(CPageSetup& record, const std::string& docPath, int viewKind, const CPrintSetup& setup) {
    record.m_strPrintSetup = setup.ToText();
    if (!docPath.empty())
        CRegistrySettings::SetString(HKEY_CURRENT_USER, kSubkey, ValueName(docPath, viewKind),
                                     setup.ToText());
}
