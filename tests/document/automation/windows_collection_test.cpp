#include "document/windows_collection.h"

#include <gtest/gtest.h>

#include "platform/automation/slot_call.h"
#include "records/record_interfaces.h"
#include "support/scripted_host_fixture.h"

namespace {

inline constexpr IID IID_ITestWindow = {0x6b1f3fee, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};

// A window object that answers its own dual interface with its IDispatch.
class CTestWindow : public CCmdTarget {
public:
    explicit CTestWindow(int number) : number(number) { EnableAutomation(); }
    IUnknown* GetInterface(REFIID iid) override {
        if (iid == IID_ITestWindow) return &m_xDispatch;
        return CCmdTarget::GetInterface(iid);
    }
    int number;
};

// The program's windows, the active one first.
class CWindowList : public IOpenWindows {
public:
    LONG GetWindowCount() override { return LONG(windows.size()); }
    CCmdTarget* GetWindowAt(LONG index) override {
        return index >= 0 && size_t(index) < windows.size() ? windows[size_t(index)].Get() : nullptr;
    }
    std::vector<CRefPtr<CTestWindow>> windows;
};

class WindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 1; i <= 3; ++i) list_.windows.push_back(CRefPtr<CTestWindow>::Adopt(new CTestWindow(i)));
        windows_ = CRefPtr<CWindows>::Adopt(new CWindows(&list_, IID_ITestWindow));
        disp_.AttachDispatch(windows_->GetIDispatch(true));
    }
    static int NumberOf(IDispatch* p) {
        auto* window = dynamic_cast<CTestWindow*>(CCmdTarget::FromIDispatch(p));
        return window ? window->number : -1;
    }

    CScopedScriptedHost host_;
    CWindowList list_;
    CRefPtr<CWindows> windows_;
    COleDispatchDriver disp_;
};

}  // namespace

// Count, Item and the enumerator number the same windows: the active one is Item(1) and comes first.
TEST_F(WindowsTest, CountItemAndEnumeratorAgree) {
    ASSERT_EQ(disp_.Get(u"Count").lVal, 3);
    std::vector<int> byItem, byEnum;
    for (LONG i = 1; i <= 3; ++i) byItem.push_back(NumberOf(disp_.Call(u"Item", {COleVariant(i)}).pdispVal));
    IEnumVARIANT* e = QueryInterfaceAs<IEnumVARIANT>(windows_->GetControllingUnknown(), IID_IEnumVARIANT);
    VARIANT v[4];
    ULONG got = 0;
    EXPECT_EQ(e->Next(4, v, &got), S_FALSE);
    for (ULONG i = 0; i < got; ++i) {
        byEnum.push_back(NumberOf(v[i].pdispVal));
        VariantClear(&v[i]);
    }
    EXPECT_EQ(byItem, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(byEnum, byItem);

    // A clone taken after one Next goes on from there.
    ASSERT_EQ(e->Reset(), S_OK);
    ASSERT_EQ(e->Next(1, v, nullptr), S_OK);
    VariantClear(&v[0]);
    IEnumVARIANT* clone = nullptr;
    ASSERT_EQ(e->Clone(&clone), S_OK);
    ASSERT_EQ(clone->Next(1, v, nullptr), S_OK);
    EXPECT_EQ(NumberOf(v[0].pdispVal), 2);
    VariantClear(&v[0]);
    clone->Release();
    e->Release();
}

TEST_F(WindowsTest, ItemRefusesZeroNegativeAndPastTheEnd) {
    const struct {
        LONG index;
        SCODE error;
    } cases[] = {{0, E_INVALIDARG}, {-1, E_INVALIDARG}, {4, HRESULT(0x80040205)}};
    IWindows* dual = CRecordInterface<IWindows>(windows_.Get(), IID_IWindows).Detach();
    for (const auto& c : cases) {
        const COleVariant index(c.index);
        IDispatch* window = reinterpret_cast<IDispatch*>(1);
        EXPECT_EQ(CallSlot(dual, 10, static_cast<const VARIANT&>(index), &window), c.error) << c.index;
        EXPECT_EQ(window, nullptr);
    }
    dual->Release();
}

TEST_F(WindowsTest, NoWindowsCountsZero) {
    list_.windows.clear();
    EXPECT_EQ(disp_.Get(u"Count").lVal, 0);
    IEnumVARIANT* e = QueryInterfaceAs<IEnumVARIANT>(windows_->GetControllingUnknown(), IID_IEnumVARIANT);
    VARIANT v;
    EXPECT_EQ(e->Next(1, &v, nullptr), S_FALSE);
    e->Release();
}

TEST_F(WindowsTest, DualSlots) {
    EXPECT_TRUE(IsSlotSafeInterface<IWindows>());
    EXPECT_EQ(SlotIndexOf(&IWindows::get_Application), 7u);
    EXPECT_EQ(SlotIndexOf(&IWindows::get_Parent), 8u);
    EXPECT_EQ(SlotIndexOf(&IWindows::get_Count), 9u);
    EXPECT_EQ(SlotIndexOf(&IWindows::Item), 10u);

    IWindows* dual = CRecordInterface<IWindows>(windows_.Get(), IID_IWindows).Detach();
    IUnknown* parent = nullptr;
    ASSERT_EQ(CallSlot(dual, 8, &parent), S_OK);
    EXPECT_EQ(parent, windows_->GetControllingUnknown());
    parent->Release();
    LONG count = 0;
    EXPECT_EQ(CallSlot(dual, 9, &count), S_OK);
    EXPECT_EQ(count, 3);
    const COleVariant two(LONG(2));
    IDispatch* window = nullptr;
    ASSERT_EQ(CallSlot(dual, 10, static_cast<const VARIANT&>(two), &window), S_OK);
    EXPECT_EQ(NumberOf(window), 2);
    window->Release();
    ISupportErrorInfo* support = QueryInterfaceAs<ISupportErrorInfo>(dual, IID_ISupportErrorInfo);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IWindows), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IWindowsDisp), S_FALSE);
    support->Release();
    dual->Release();
}
