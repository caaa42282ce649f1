// The print layout of one kind of view, kept in the data file: the chosen printer's settings, the page
// distances, centring and the header and footer templates.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/archive.h"
#include "platform/automation/cmdtarget.h"
#include "platform/automation/com.h"
#include "platform/text.h"

// What the header and footer codes expand to on one printed page.
struct CHeaderFooterContext {
    WString path;       // &F: the active document's full path
    WString address;    // &K, &O: the active document's flock detail 1
    WString title;      // &T
    WString date;       // &D: today's date
    int pageCount = 0;  // &N
    int page = 0;       // &P
};

// One part of a header or footer placed on the paper: x and y of its top-left corner in hundredths
// of an inch from the paper's top-left corner.
struct CHeaderFooterText {
    WString text;
    int x = 0;
    int y = 0;
};

inline constexpr IID IID_IPageSetup = {
    0x6b1f3e10, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};

// Slot 7 after those of IDispatch.
struct IPageSetup : public IDispatch {
    // The application object's dual interface, with a reference for the caller (null when the
    // program has none registered). Always S_OK for a valid out pointer.
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;

protected:
    ~IPageSetup() = default;
};

class CPageSetup : public CCmdTarget {
    DECLARE_SERIAL(CPageSetup)
    DECLARE_INTERFACE_MAP()
public:
    CPageSetup();
    // Copies take every field (the printer blocks as their own copies) but keep their own identity.
    CPageSetup(const CPageSetup& other);
    CPageSetup& operator=(const CPageSetup& other);

    // The Windows printer blocks (DEVMODE, DEVNAMES) exactly as a file brought them; empty when there
    // is none. Print settings made here never go into them.
    std::vector<uint8_t> m_devMode;
    std::vector<uint8_t> m_devNames;

    // Distances in hundredths of an inch. The file holds each in 16 bits: see SetDistances.
    int32_t m_nTopMargin = 100;
    int32_t m_nLeftMargin = 75;
    int32_t m_nRightMargin = 75;
    int32_t m_nBottomMargin = 100;
    int32_t m_nHeaderDistance = 75;
    int32_t m_nFooterDistance = 75;

    // Templates: left, centre and right parts separated by tabs (see SplitTemplate).
    WString m_strHeader;
    WString m_strFooter;

    int32_t m_bCenterVertically = 0;
    int32_t m_bCenterHorizontally = 0;

    // The Linux print setup chosen in this run (CPrintSetup's text form); never stored in the file.
    WString m_strPrintSetup;

    // The viewport origin replaced while a page body is drawn; not stored.
    int32_t m_nSavedOriginX = 0;
    int32_t m_nSavedOriginY = 0;

    // Sets the six distances when each fits the stored form (0..65535); otherwise changes nothing
    // and returns false.
    bool SetDistances(int32_t top, int32_t left, int32_t right, int32_t bottom, int32_t header,
                      int32_t footer);
    static bool IsStorableDistance(int32_t value) { return value >= 0 && value <= 0xFFFF; }

    // Splits a template: the text before the first tab is the left part, between the first and the
    // last tab the centre, after the last tab the right part; without a tab all is the right part.
    static void SplitTemplate(WStringView text, WString& left, WString& centre, WString& right);

    // The expansion of the code letter after an ampersand; a derived page setup may add codes.
    virtual WString ExpandCode(char16_t code, const CHeaderFooterContext& context) const;
    // A template part with every code expanded.
    WString ExpandTemplate(WStringView part, const CHeaderFooterContext& context) const;
    // The six parts of the header and the footer, expanded and placed on paper of that size;
    // textWidth measures a text in hundredths of an inch. Empty parts are placed too.
    std::vector<CHeaderFooterText> LayoutHeaderFooter(
        int paperWidth, int paperHeight, const CHeaderFooterContext& context,
        const std::function<int(const WString&)>& textWidth) const;

    // Storing throws CArchiveException(genericException) when a distance does not fit 16 bits
    // rather than cutting it.
    void Serialize(CArchive& ar) override;

private:
    void CopyFields(const CPageSetup& other);

    class XPageSetup final : public CDualImpl<CPageSetup, IPageSetup, IID_IPageSetup> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get_Application(IDispatch** ppApplication) override;
    } m_xPageSetup{this};
    CSupportErrorInfoImpl<CPageSetup, IID_IPageSetup> m_xSupportErrorInfo{this};
};
