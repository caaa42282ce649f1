#include "document/page_setup.h"

#include <algorithm>

IMPLEMENT_SERIAL(CPageSetup, CCmdTarget, VERSIONABLE_SCHEMA | 1)

BEGIN_INTERFACE_MAP(CPageSetup, CCmdTarget)
INTERFACE_PART(IID_IPageSetup, m_xPageSetup)
INTERFACE_PART(IID_ISupportErrorInfo, m_xSupportErrorInfo)
END_INTERFACE_MAP()

namespace {

// DEVMODEW: dmSize and dmDriverExtra follow the 32-character device name and two version words.
constexpr size_t kDevModeSizeAt = 68;
constexpr size_t kDevModeExtraAt = 70;

uint32_t DevModeLength(const std::vector<uint8_t>& dm) {
    if (dm.size() < kDevModeExtraAt + 2) return uint32_t(dm.size());
    uint32_t n = uint32_t(dm[kDevModeSizeAt] | dm[kDevModeSizeAt + 1] << 8) +
                 uint32_t(dm[kDevModeExtraAt] | dm[kDevModeExtraAt + 1] << 8);
    // Size fields that claim more than the block holds would send bytes from beyond it.
    return n <= dm.size() ? n : uint32_t(dm.size());
}

void StoreBlock(CArchive& ar, const std::vector<uint8_t>& block, uint32_t n) {
    ar << n;
    if (n) ar.Write(block.data(), n);
}

void LoadBlock(CArchive& ar, std::vector<uint8_t>& block) {
    uint32_t n;
    ar >> n;
    if (n == 0) return;  // keeps what the record holds
    ar.CheckAvailable(n);
    std::vector<uint8_t> loaded(n);
    ar.Read(loaded.data(), n);
    block = std::move(loaded);
}

void StorePair(CArchive& ar, int32_t low, int32_t high) {
    if (!CPageSetup::IsStorableDistance(low) || !CPageSetup::IsStorableDistance(high))
        throw CArchiveException(CArchiveException::genericException);
    ar << uint16_t(low) << uint16_t(high);
}

// A flag read from a file goes back as it came; any other true value as 1.
int32_t FlagToStore(int32_t flag) {
    return CPageSetup::IsStorableDistance(flag) ? flag : 1;
}

void LoadPair(CArchive& ar, int32_t& low, int32_t& high) {
    uint16_t lo, hi;
    ar >> lo >> hi;
    low = lo;
    high = hi;
}

}  // namespace

CPageSetup::CPageSetup() : m_strHeader(u"&F\t&T\t&D"), m_strFooter(u"\tPage &P\t") {
    EnableAutomation();
}

CPageSetup::CPageSetup(const CPageSetup& other) : CCmdTarget(other) {
    EnableAutomation();
    CopyFields(other);
}

CPageSetup& CPageSetup::operator=(const CPageSetup& other) {
    if (this != &other) CopyFields(other);
    return *this;
}

void CPageSetup::CopyFields(const CPageSetup& other) {
    m_devMode = other.m_devMode;
    m_devNames = other.m_devNames;
    m_nTopMargin = other.m_nTopMargin;
    m_nLeftMargin = other.m_nLeftMargin;
    m_nRightMargin = other.m_nRightMargin;
    m_nBottomMargin = other.m_nBottomMargin;
    m_nHeaderDistance = other.m_nHeaderDistance;
    m_nFooterDistance = other.m_nFooterDistance;
    m_strHeader = other.m_strHeader;
    m_strFooter = other.m_strFooter;
    m_bCenterVertically = other.m_bCenterVertically;
    m_bCenterHorizontally = other.m_bCenterHorizontally;
    m_strPrintSetup = other.m_strPrintSetup;
    m_nSavedOriginX = other.m_nSavedOriginX;
    m_nSavedOriginY = other.m_nSavedOriginY;
}

HRESULT CPageSetup::XPageSetup::get_Application(IDispatch** ppApplication) {
    if (ppApplication == nullptr) return E_POINTER;
    *ppApplication = nullptr;
    return Dual([&] { AfxOleGetApplicationDual(reinterpret_cast<void**>(ppApplication)); });
}

bool CPageSetup::SetDistances(int32_t top, int32_t left, int32_t right, int32_t bottom, int32_t header,
                              int32_t footer) {
    for (int32_t v : {top, left, right, bottom, header, footer})
        if (!IsStorableDistance(v)) return false;
    m_nTopMargin = top;
    m_nLeftMargin = left;
    m_nRightMargin = right;
    m_nBottomMargin = bottom;
    m_nHeaderDistance = header;
    m_nFooterDistance = footer;
    return true;
}

void CPageSetup::SplitTemplate(WStringView text, WString& left, WString& centre, WString& right) {
    size_t first = text.find(u'\t');
    if (first == WStringView::npos) {
        left.clear();
        centre.clear();
        right = WString(text);
        return;
    }
    size_t last = text.rfind(u'\t');
    left = WString(text.substr(0, first));
    centre = WString(text.substr(first + 1, last > first ? last - first - 1 : 0));
    right = WString(text.substr(last + 1));
}

WString CPageSetup::ExpandCode(char16_t code, const CHeaderFooterContext& context) const {
    switch (code) {
        case u'&':
            return u"&";
        case u'D':
            return context.date;
        case u'F':
            return context.path;
        case u'K': {
            const size_t cr = context.address.find(u'\r');
            return cr == WString::npos ? context.address : context.address.substr(0, cr);
        }
        case u'N':
            return FormatW("%d", context.pageCount);
        case u'O': {
            const size_t lf = context.address.find(u'\n');
            if (lf == WString::npos) return context.address;
            // The carriage return before the line feed goes with it; a bare line feed cuts there.
            const size_t end = lf > 0 && context.address[lf - 1] == u'\r' ? lf - 1 : lf;
            return context.address.substr(0, end);
        }
        case u'P':
            return FormatW("%d", context.page);
        case u'T':
            return context.title;
        default:
            return {};
    }
}

WString CPageSetup::ExpandTemplate(WStringView part, const CHeaderFooterContext& context) const {
    WString out;
    size_t at = 0;
    while (at < part.size()) {
        const size_t amp = part.find(u'&', at);
        if (amp == WStringView::npos) {
            out += part.substr(at);
            break;
        }
        out += part.substr(at, amp - at);
        if (amp + 1 >= part.size()) break;  // a last ampersand expands to nothing
        out += ExpandCode(part[amp + 1], context);
        at = amp + 2;
    }
    return out;
}

std::vector<CHeaderFooterText> CPageSetup::LayoutHeaderFooter(
    int paperWidth, int paperHeight, const CHeaderFooterContext& context,
    const std::function<int(const WString&)>& textWidth) const {
    std::vector<CHeaderFooterText> texts;
    const struct {
        const WString* text;
        int y;
    } lines[] = {{&m_strHeader, m_nHeaderDistance}, {&m_strFooter, paperHeight - m_nFooterDistance}};
    for (const auto& line : lines) {
        WString left, centre, right;
        SplitTemplate(*line.text, left, centre, right);
        left = ExpandTemplate(left, context);
        centre = ExpandTemplate(centre, context);
        right = ExpandTemplate(right, context);
        const int centreX = (paperWidth - textWidth(centre)) / 2;
        const int rightX = paperWidth - m_nRightMargin - textWidth(right);
        texts.push_back({std::move(left), m_nLeftMargin, line.y});
        texts.push_back({std::move(centre), centreX, line.y});
        texts.push_back({std::move(right), rightX, line.y});
    }
    return texts;
}

void CPageSetup::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        StoreBlock(ar, m_devMode, DevModeLength(m_devMode));
        StoreBlock(ar, m_devNames, uint32_t(m_devNames.size()));
        StorePair(ar, m_nTopMargin, m_nBottomMargin);
        StorePair(ar, m_nLeftMargin, m_nRightMargin);
        StorePair(ar, m_nHeaderDistance, m_nFooterDistance);
        StorePair(ar, FlagToStore(m_bCenterVertically), FlagToStore(m_bCenterHorizontally));
        ar << m_strHeader << m_strFooter;
    } else {
        LoadBlock(ar, m_devMode);
        LoadBlock(ar, m_devNames);
        LoadPair(ar, m_nTopMargin, m_nBottomMargin);
        LoadPair(ar, m_nLeftMargin, m_nRightMargin);
        LoadPair(ar, m_nHeaderDistance, m_nFooterDistance);
        LoadPair(ar, m_bCenterVertically, m_bCenterHorizontally);
        ar >> m_strHeader >> m_strFooter;
    }
}
