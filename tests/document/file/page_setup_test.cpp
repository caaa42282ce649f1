#include "document/page_setup.h"

#include <gtest/gtest.h>

#include "platform/automation/slot_call.h"

namespace {

struct Bytes {
    std::vector<uint8_t> b;
    Bytes& u8(uint8_t v) {
        b.push_back(v);
        return *this;
    }
    Bytes& u16(uint16_t v) { return u8(uint8_t(v)).u8(uint8_t(v >> 8)); }
    Bytes& u32(uint32_t v) { return u16(uint16_t(v)).u16(uint16_t(v >> 16)); }
    Bytes& ascii(const char* s) {
        while (*s) u8(uint8_t(*s++));
        return *this;
    }
    Bytes& text(std::u16string_view s) {  // the framework's Unicode string form, short length
        u8(0xFF).u16(0xFFFE).u8(uint8_t(s.size()));
        for (char16_t c : s) u16(c);
        return *this;
    }
    Bytes& block(const std::vector<uint8_t>& v) {
        b.insert(b.end(), v.begin(), v.end());
        return *this;
    }
};

std::vector<uint8_t> DevMode(size_t blockSize, uint16_t dmSize, uint16_t dmExtra) {
    std::vector<uint8_t> dm(blockSize);
    for (size_t i = 0; i < blockSize; ++i) dm[i] = uint8_t(i * 3 + 1);
    dm[68] = uint8_t(dmSize), dm[69] = uint8_t(dmSize >> 8);
    dm[70] = uint8_t(dmExtra), dm[71] = uint8_t(dmExtra >> 8);
    return dm;
}

std::vector<uint8_t> Store(const CObject* p) {
    std::vector<uint8_t> out;
    CArchive ar(out, CArchive::store);
    ar.WriteObject(p);
    return out;
}

}  // namespace

TEST(PageSetup, DefaultRecordStoredWithItsClass) {
    auto ps = MakeRef<CPageSetup>();
    Bytes x;
    x.u16(0xFFFF).u16(1).u16(10).ascii("CPageSetup");  // new class tag, schema 1
    x.u32(0).u32(0);                                   // no printer blocks
    x.u16(100).u16(100).u16(75).u16(75).u16(75).u16(75).u16(0).u16(0);
    x.text(u"&F\t&T\t&D").text(u"\tPage &P\t");
    EXPECT_EQ(Store(ps.Get()), x.b);

    CArchive in(x.b);
    auto back = in.ReadObjectAs<CPageSetup>();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->m_strFooter, u"\tPage &P\t");
    EXPECT_EQ(back->m_nTopMargin, 100);
    EXPECT_EQ(back->m_nLeftMargin, 75);
}

TEST(PageSetup, PrinterBlocksAndFieldsInStoredOrder) {
    CPageSetup ps;
    ps.m_devMode = DevMode(100, 76, 4);  // the block is larger than the DEVMODE it holds
    ps.m_devNames = {8, 0, 16, 0, 24, 0, 1, 0, 'L', 0, 'P', 0, 0, 0};
    ASSERT_TRUE(ps.SetDistances(1, 2, 3, 65535, 5, 6));
    ps.m_bCenterVertically = 1;
    ps.m_bCenterHorizontally = 0;
    ps.m_strHeader = u"Flock";
    ps.m_strFooter = u"";
    std::vector<uint8_t> out;
    {
        CArchive ar(out, CArchive::store);
        ps.Serialize(ar);
    }
    Bytes x;
    x.u32(80).block(std::vector<uint8_t>(ps.m_devMode.begin(), ps.m_devMode.begin() + 80));
    x.u32(14).block(ps.m_devNames);
    x.u16(1).u16(65535).u16(2).u16(3).u16(5).u16(6).u16(1).u16(0);  // centring before the texts
    x.text(u"Flock").text(u"");
    EXPECT_EQ(out, x.b);

    CPageSetup back;
    CArchive in(out);
    back.Serialize(in);
    EXPECT_EQ(back.m_devMode.size(), 80u);
    EXPECT_EQ(back.m_devNames, ps.m_devNames);
    EXPECT_EQ(back.m_nBottomMargin, 65535);  // 16 bits read unsigned
    EXPECT_EQ(back.m_nRightMargin, 3);
    EXPECT_EQ(back.m_bCenterVertically, 1);
    EXPECT_EQ(back.m_strHeader, u"Flock");
    EXPECT_EQ(in.GetRemaining(), 0u);
}

TEST(PageSetup, DevModeClaimingMoreThanItsBlockIsWrittenWhole) {
    CPageSetup ps;
    ps.m_devMode = DevMode(72, 200, 50);
    auto out = Store(&ps);
    // class tag (16 bytes), then the length
    EXPECT_EQ(out[16], 72);
    ps.m_devMode = {1, 2, 3};  // too short to hold the size fields
    out = Store(&ps);
    EXPECT_EQ(out[16], 3);
}

TEST(PageSetup, LoadingZeroLengthKeepsBlocksAndDamageThrows) {
    Bytes x;
    x.u32(0).u32(0).u16(1).u16(2).u16(3).u16(4).u16(5).u16(6).u16(7).u16(8).text(u"h").text(u"f");
    CPageSetup ps;
    ps.m_devMode = {9, 9};
    ps.m_devNames = {7};
    {
        CArchive in(x.b);
        ps.Serialize(in);
    }
    EXPECT_EQ(ps.m_devMode, (std::vector<uint8_t>{9, 9}));
    EXPECT_EQ(ps.m_devNames, std::vector<uint8_t>{7});
    EXPECT_EQ(ps.m_nFooterDistance, 6);
    EXPECT_EQ(ps.m_bCenterHorizontally, 8);

    for (size_t len = 0; len < x.b.size(); ++len) {
        CArchive in(std::span(x.b.data(), len));
        CPageSetup p;
        EXPECT_THROW(p.Serialize(in), CArchiveException) << len;
    }
    Bytes huge;
    huge.u32(0xFFFFFFF0).u32(0);
    CArchive in(huge.b);
    try {
        ps.Serialize(in);
        ADD_FAILURE();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
    EXPECT_EQ(ps.m_devMode, (std::vector<uint8_t>{9, 9}));
}

TEST(PageSetup, DistancesBeyondSixteenBitsAreRefusedNotCut) {
    CPageSetup ps;
    EXPECT_FALSE(ps.SetDistances(100, 75, 75, 65536, 75, 75));
    EXPECT_FALSE(ps.SetDistances(-1, 75, 75, 100, 75, 75));
    EXPECT_EQ(ps.m_nBottomMargin, 100);
    EXPECT_EQ(ps.m_nTopMargin, 100);
    ps.m_nLeftMargin = 70000;  // set directly, past the entry check
    std::vector<uint8_t> out;
    CArchive ar(out, CArchive::store);
    EXPECT_THROW(ps.Serialize(ar), CArchiveException);
    // A flag that does not fit is still true.
    CPageSetup flags;
    flags.m_bCenterHorizontally = -1;
    EXPECT_NO_THROW(flags.Serialize(ar));
}

TEST(PageSetup, TemplateParts) {
    struct Case {
        const char16_t *text, *left, *centre, *right;
    };
    const Case cases[] = {
        {u"&F\t&T\t&D", u"&F", u"&T", u"&D"},   {u"\tPage &P\t", u"", u"Page &P", u""},
        {u"all right", u"", u"", u"all right"}, {u"a\tb", u"a", u"", u"b"},
        {u"a\tb\tc\td", u"a", u"b\tc", u"d"},   {u"", u"", u"", u""},
    };
    for (const auto& c : cases) {
        WString l = u"x", m = u"x", r = u"x";
        CPageSetup::SplitTemplate(c.text, l, m, r);
        EXPECT_EQ(l, c.left);
        EXPECT_EQ(m, c.centre);
        EXPECT_EQ(r, c.right);
    }
}

TEST(PageSetup, CopiesAreIndependent) {
    CPageSetup a;
    a.m_devMode = DevMode(80, 76, 4);
    a.m_nSavedOriginX = 12;
    CPageSetup b(a);
    b.m_devMode[0] = 0xEE;
    EXPECT_NE(a.m_devMode[0], 0xEE);
    EXPECT_EQ(b.m_nSavedOriginX, 12);
    EXPECT_EQ(b.GetRefCount(), 1u);
}

TEST(PageSetup, AutomationIdentity) {
    auto ps = MakeRef<CPageSetup>();
    static_assert(IsSlotSafeInterface<IPageSetup>());
    EXPECT_EQ(SlotIndexOf(&IPageSetup::get_Application), 7u);
    IPageSetup* itf = nullptr;
    ASSERT_EQ(ps->ExternalQueryInterface(IID_IPageSetup, reinterpret_cast<void**>(&itf)), S_OK);
    IDispatch* app = reinterpret_cast<IDispatch*>(0x1);
    EXPECT_EQ(CallSlot(itf, 7, &app), S_OK);  // no application registered: nothing to hand out
    EXPECT_EQ(app, nullptr);
    EXPECT_EQ(CallSlot(itf, 7, static_cast<IDispatch**>(nullptr)), E_POINTER);

    auto application = MakeRef<CCmdTarget>();
    application->EnableAutomation();
    AfxOleRegisterApplication(application.Get(), IID_IDispatch);
    EXPECT_EQ(CallSlot(itf, 7, &app), S_OK);
    EXPECT_EQ(app, application->GetIDispatch(false));
    if (app) app->Release();
    AfxOleRevokeApplication(application.Get());

    ISupportErrorInfo* sei = nullptr;
    ASSERT_EQ(ps->ExternalQueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&sei)), S_OK);
    EXPECT_EQ(sei->InterfaceSupportsErrorInfo(IID_IPageSetup), S_OK);
    EXPECT_EQ(sei->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    sei->Release();
    itf->Release();
    EXPECT_EQ(ps->GetRefCount(), 1u);

    // A copy answers for itself, not for the record it came from.
    CPageSetup copy(*ps);
    IPageSetup* copyItf = nullptr;
    ASSERT_EQ(copy.ExternalQueryInterface(IID_IPageSetup, reinterpret_cast<void**>(&copyItf)), S_OK);
    EXPECT_NE(static_cast<void*>(copyItf), static_cast<void*>(itf));
    copyItf->Release();
    EXPECT_EQ(ps->GetRefCount(), 1u);
}
