#include "document/window_automation.h"

#include <gtest/gtest.h>

#include "document/page_setup.h"
#include "platform/automation/slot_call.h"
#include "records/record_interfaces.h"
#include "support/scripted_host_fixture.h"

namespace {

// A window whose geometry a test sets: a tab (maximized, as the program's are) or a free window.
class CFakeWindow : public IAutomationWindow {
public:
    WString GetWindowText() override { return text; }
    void SetWindowText(const WString& t) override { text = t; }
    CWindowGeometry GetGeometry() override { return geometry; }
    bool SetGeometry(const CWindowGeometry& g) override {
        if (tab && g.state != WINDOW_STATE_MAXIMIZED) return false;
        geometry = g;
        return true;
    }
    bool IsVisible() override { return visible; }
    void Show(bool show) override { visible = show; }
    LONG GetIndex() override { return 1; }
    void ActivateWindow() override { ++activations; }
    CPageSetup* GetPageSetup() override { return setup.Get(); }

    WString text;
    CWindowGeometry geometry;
    bool tab = false;
    bool visible = true;
    int activations = 0;
    CRefPtr<CPageSetup> setup = CRefPtr<CPageSetup>::Adopt(new CPageSetup);
};

class WindowAutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.geometry = {WINDOW_STATE_NORMAL, false, 0, 0, 10, 20, 110, 220};
        object = new CWindowAutomation(&window);
        dual = object->GetWindowInterface();
    }
    void TearDown() override {
        object->DetachView();
        object->ExternalRelease();
    }
    LONG Get(size_t slot) {
        LONG value = -12345;
        last = CallSlot(dual, slot, &value);
        return value;
    }

    CScopedScriptedHost host;
    CFakeWindow window;
    CWindowAutomation* object = nullptr;
    IWindow* dual = nullptr;
    HRESULT last = S_OK;
};

}  // namespace

TEST_F(WindowAutomationTest, SlotOrderIsFrozen) {
    EXPECT_TRUE(IsSlotSafeInterface<IWindow>());
    const std::pair<size_t, size_t> slots[] = {
        {SlotIndexOf(&IWindow::get_Application), 7}, {SlotIndexOf(&IWindow::get_Parent), 8},
        {SlotIndexOf(&IWindow::put_Caption), 9},     {SlotIndexOf(&IWindow::get_Caption), 10},
        {SlotIndexOf(&IWindow::put_Height), 11},     {SlotIndexOf(&IWindow::get_Height), 12},
        {SlotIndexOf(&IWindow::get_Index), 13},      {SlotIndexOf(&IWindow::put_Left), 14},
        {SlotIndexOf(&IWindow::get_Left), 15},       {SlotIndexOf(&IWindow::put_Top), 16},
        {SlotIndexOf(&IWindow::get_Top), 17},        {SlotIndexOf(&IWindow::put_Visible), 18},
        {SlotIndexOf(&IWindow::get_Visible), 19},    {SlotIndexOf(&IWindow::put_Width), 20},
        {SlotIndexOf(&IWindow::get_Width), 21},      {SlotIndexOf(&IWindow::put_WindowState), 22},
        {SlotIndexOf(&IWindow::get_WindowState), 23}, {SlotIndexOf(&IWindow::Activate), 24},
        {SlotIndexOf(&IWindow::get_PageSetup), 25},  {SlotIndexOf(&IWindow::Reserved), 26},
        {SlotIndexOf(&IWindow::get_View), 27},
    };
    for (const auto& [actual, expected] : slots) EXPECT_EQ(actual, expected);
}

TEST_F(WindowAutomationTest, EverySlotThroughTheRawTable) {
    CComBSTR caption(u"Ewes 2026");
    EXPECT_EQ(CallSlot(dual, 9, static_cast<BSTR>(caption)), S_OK);
    BSTR read = nullptr;
    ASSERT_EQ(CallSlot(dual, 10, &read), S_OK);
    EXPECT_EQ(BstrToW(read), u"Ewes 2026");
    SysFreeString(read);

    EXPECT_EQ(CallSlot(dual, 11, LONG(50)), S_OK);
    EXPECT_EQ(Get(12), 50);
    EXPECT_EQ(Get(13), 1);
    EXPECT_EQ(CallSlot(dual, 14, LONG(5)), S_OK);
    EXPECT_EQ(Get(15), 5);
    EXPECT_EQ(window.geometry.right, 110);  // the right edge stays
    EXPECT_EQ(CallSlot(dual, 16, LONG(7)), S_OK);
    EXPECT_EQ(Get(17), 7);
    EXPECT_EQ(CallSlot(dual, 20, LONG(300)), S_OK);
    EXPECT_EQ(Get(21), 300);

    EXPECT_EQ(CallSlot(dual, 18, VARIANT_BOOL(0)), S_OK);
    VARIANT_BOOL visible = 5;
    EXPECT_EQ(CallSlot(dual, 19, &visible), S_OK);
    EXPECT_EQ(visible, 0);
    EXPECT_EQ(CallSlot(dual, 18, VARIANT_TRUE), S_OK);
    EXPECT_EQ(CallSlot(dual, 19, &visible), S_OK);
    EXPECT_EQ(visible, 1);

    EXPECT_EQ(CallSlot(dual, 22, LONG(2)), S_OK);
    EXPECT_EQ(Get(23), 2);
    EXPECT_EQ(CallSlot(dual, 24), S_OK);
    EXPECT_EQ(window.activations, 1);

    IDispatch* setup = nullptr;
    ASSERT_EQ(CallSlot(dual, 25, &setup), S_OK);
    EXPECT_EQ(static_cast<void*>(setup), static_cast<void*>(QueryInterfaceAs<IPageSetup>(
                                             window.setup->GetControllingUnknown(), IID_IPageSetup)));
    setup->Release();
    setup->Release();  // the comparison's own reference

    VARIANT a{}, b{}, c{};
    EXPECT_EQ(CallSlot(dual, 26, static_cast<const VARIANT&>(a), static_cast<const VARIANT&>(b),
                       static_cast<const VARIANT&>(c)),
              E_NOTIMPL);

    // No application registered: Application and Parent say so rather than hand out nothing.
    IDispatch* app = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(CallSlot(dual, 7, &app), E_NOINTERFACE);
    EXPECT_EQ(app, nullptr);
    EXPECT_EQ(CallSlot(dual, 8, &app), E_NOINTERFACE);
}

TEST_F(WindowAutomationTest, ViewGoesThroughTheCallersReference) {
    IDispatch* target = nullptr;
    VARIANT byRef{};
    byRef.vt = VARTYPE(VT_DISPATCH | VT_BYREF);
    byRef.ppdispVal = &target;
    ASSERT_EQ(CallSlot(dual, 27, &byRef), S_OK);
    EXPECT_EQ(byRef.vt, VARTYPE(VT_DISPATCH | VT_BYREF));
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(CCmdTarget::FromIDispatch(target), object);
    target->Release();

    // A variant that holds no reference is refused, with error information for the interface.
    VARIANT plain{};
    plain.vt = VT_I4;
    EXPECT_EQ(CallSlot(dual, 27, &plain), E_INVALIDARG);
    EXPECT_EQ(plain.vt, VT_I4);
    ISupportErrorInfo* support = QueryInterfaceAs<ISupportErrorInfo>(dual, IID_ISupportErrorInfo);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IWindow), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_ISheepView), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IPageSetup), S_FALSE);
    support->Release();
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    ASSERT_NE(info, nullptr);
    info->Release();
}

// A tab answers as a maximized window: the normal-state members fail, and none writes nothing.
TEST_F(WindowAutomationTest, ATabAnswersAsAMaximizedWindow) {
    window.tab = true;
    window.geometry.state = WINDOW_STATE_MAXIMIZED;
    EXPECT_EQ(Get(23), 2);
    for (size_t slot : {15u, 17u, 21u}) {
        EXPECT_EQ(Get(slot), -12345) << slot;
        EXPECT_EQ(last, E_FAIL) << slot;
    }
    EXPECT_EQ(CallSlot(dual, 16, LONG(3)), E_FAIL);
    EXPECT_EQ(CallSlot(dual, 20, LONG(3)), E_FAIL);
    // Left on a maximized window leaves the placement as it was.
    EXPECT_EQ(CallSlot(dual, 14, LONG(3)), S_OK);
    EXPECT_EQ(window.geometry.left, 10);
    EXPECT_EQ(Get(12), 200);
    // A tab cannot be restored or minimized; maximizing it again is nothing new.
    EXPECT_EQ(CallSlot(dual, 22, LONG(1)), E_FAIL);
    EXPECT_EQ(CallSlot(dual, 22, LONG(3)), E_FAIL);
    EXPECT_EQ(CallSlot(dual, 22, LONG(2)), S_OK);
    EXPECT_EQ(CallSlot(dual, 22, LONG(9)), S_OK);
    EXPECT_EQ(Get(23), 2);
}

TEST_F(WindowAutomationTest, LeftOfAMinimizedWindowIsItsMinimizedPosition) {
    window.geometry.state = WINDOW_STATE_MINIMIZED;
    EXPECT_EQ(Get(15), -12345);
    EXPECT_EQ(last, E_FAIL);
    window.geometry.minPositionSet = true;
    window.geometry.minX = 40;
    EXPECT_EQ(Get(15), 40);
    EXPECT_EQ(CallSlot(dual, 14, LONG(60)), S_OK);
    EXPECT_EQ(window.geometry.minX, 60);
    EXPECT_EQ(window.geometry.left, 10);
    EXPECT_EQ(Get(23), 3);
}

TEST_F(WindowAutomationTest, AGoneWindowRefusesEveryCall) {
    object->ExternalAddRef();  // a client's reference
    object->DetachView();
    EXPECT_EQ(Get(12), -12345);
    EXPECT_NE(last, S_OK);
    EXPECT_NE(CallSlot(dual, 24), S_OK);
    EXPECT_EQ(window.activations, 0);
    object->ExternalRelease();
}
