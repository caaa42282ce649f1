#include <gtest/gtest.h>

#include "fake_document.h"
#include "platform/automation/automation.h"
#include "platform/automation/slot_call.h"
#include "platform/settings.h"
#include "platform/testing/scripted_host.h"
#include "records/event.h"
#include "records/sheep.h"

namespace {

const COleDateTime kDay(2003, 7, 15, 0, 0, 0);

COleVariant Strings(std::vector<WString> items) {
    return COleVariant::FromSafeArray(SafeArrayFromStrings(items), VT_BSTR);
}

std::vector<WString> ReadStrings(const VARIANT& v) {
    std::vector<WString> out;
    EXPECT_EQ(ReadStringArray(v, out), StringArrayCheck::Ok);
    return out;
}

class EventAutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(RecordsTestBreed(), nullptr) << dlerror();
        CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u"kg");
        sheep_ = new CSheep(u"A1", SEX_EWE, &doc_);
        event_ = new CEvent(kDay, EVENT_WEIGHED, u"10");
        sheep_->AddEvent(event_, false);
        disp_.AttachDispatch(event_->GetIDispatch(true));
    }
    void TearDown() override {
        disp_.ReleaseDispatch();
        sheep_->Release();
    }

    CFakeDocument doc_;
    CScriptedHost host_;
    CCvlHostScope scope_{host_};
    CSheep* sheep_ = nullptr;
    CEvent* event_ = nullptr;
    COleDispatchDriver disp_;
};

TEST_F(EventAutomationTest, DispatchIdsArePositions) {
    const std::pair<const char16_t*, DISPID> members[] = {{u"Date", 1},  {u"Application", 2}, {u"Parent", 3},
                                                          {u"Value", 4}, {u"Parameters", 5},  {u"Text", 6}};
    for (const auto& [name, id] : members) EXPECT_EQ(disp_.GetIDOfName(name), id) << WToUtf8(name);
    EXPECT_EQ(BstrToW(disp_.GetProperty(DISPID_VALUE).bstrVal), u"Weighed");
}

TEST_F(EventAutomationTest, PropertiesByName) {
    EXPECT_EQ(BstrToW(disp_.Get(u"Value").bstrVal), u"Weighed");
    EXPECT_EQ(disp_.Get(u"Date").dblVal, kDay.m_dt);
    EXPECT_EQ(BstrToW(disp_.Call(u"Text", {}).bstrVal), kDay.Format("%x") + u"\tWeighed 10.00 kg today");
    EXPECT_EQ(BstrToW(disp_.Call(u"Text", {COleVariant(SHORT(0), VT_BOOL)}).bstrVal),
              u"Weighed 10.00 kg today");
    EXPECT_EQ(BstrToW(disp_.Call(u"Text", {COleVariant(LONG(0))}).bstrVal), u"Weighed 10.00 kg today");

    COleVariant parent = disp_.Get(u"Parent");
    ASSERT_EQ(parent.vt, VT_DISPATCH);
    EXPECT_EQ(CCmdTarget::FromIDispatch(parent.pdispVal), sheep_);
    EXPECT_THROW(disp_.Put(u"Parent", parent), COleDispatchException);
}

TEST_F(EventAutomationTest, PutsStampEditedInLocalTime) {
    const COleDateTime later(2004, 1, 2, 0, 0, 0);
    const COleDateTime before = COleDateTime::GetCurrentTime();
    disp_.Put(u"Date", COleVariant(later.m_dt, VT_DATE));
    EXPECT_EQ(event_->GetDate(), later);
    EXPECT_TRUE(before <= event_->GetEdited() && event_->GetEdited() <= COleDateTime::GetCurrentTime());

    event_->SetEdited(COleDateTime::Null());
    disp_.Put(u"Value", COleVariant(u"Born"));
    EXPECT_EQ(event_->GetCode(), EVENT_BORN);
    EXPECT_EQ(event_->GetEdited().GetStatus(), COleDateTime::valid);

    disp_.Put(u"Parameters", Strings({u"a", u"b", u"c"}));
    EXPECT_EQ(event_->GetParameters(), (std::vector<WString>{u"a", u"b", u"c"}));
    COleVariant back = disp_.Get(u"Parameters");
    EXPECT_EQ(back.vt, VT_ARRAY | VT_BSTR);
    LONG lower = -1;
    SafeArrayGetLBound(back.parray, 1, &lower);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(ReadStrings(back), (std::vector<WString>{u"a", u"b", u"c"}));
}

TEST_F(EventAutomationTest, ParametersPutRefusesAnythingButOneRowOfStrings) {
    event_->SetEdited(COleDateTime::Null());
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    COleVariant twoDims = COleVariant::FromSafeArray(SafeArrayCreate(VT_BSTR, 2, bounds), VT_BSTR);
    COleVariant numbers = COleVariant::FromSafeArray(SafeArrayCreateVector(VT_I4, 0, 2), VT_I4);
    for (const COleVariant& bad : {twoDims, numbers, COleVariant(u"x"), COleVariant()}) {
        try {
            disp_.Put(u"Parameters", bad);
            ADD_FAILURE() << "accepted a variant of type " << bad.vt;
        } catch (const COleDispatchException& e) {
            EXPECT_EQ(e.m_scError, E_INVALIDARG);
        }
        EXPECT_EQ(event_->GetParameters(), std::vector<WString>{u"10"});
        EXPECT_EQ(event_->GetEdited().GetStatus(), COleDateTime::null);
    }
}

TEST_F(EventAutomationTest, AutomationConstructor) {
    CRefPtr<CEvent> plain = CRefPtr<CEvent>::Adopt(CEvent::CreateForAutomation(kDay.m_dt, 4, COleVariant()));
    EXPECT_TRUE(plain->GetParameters().empty());
    EXPECT_EQ(plain->GetEdited(), COleDateTime(0.0));  // the valid zero date
    EXPECT_EQ(plain->GetDate(), kDay);

    CRefPtr<CEvent> texts =
        CRefPtr<CEvent>::Adopt(CEvent::CreateForAutomation(kDay.m_dt, 4, Strings({u"1", u"2"})));
    EXPECT_EQ(texts->GetParameters(), (std::vector<WString>{u"1", u"2"}));

    SAFEARRAYBOUND bounds[2] = {{1, 0}, {1, 0}};
    COleVariant twoDims = COleVariant::FromSafeArray(SafeArrayCreate(VT_BSTR, 2, bounds), VT_BSTR);
    try {
        CEvent::CreateForAutomation(kDay.m_dt, 4, twoDims);
        ADD_FAILURE();
    } catch (const COleException& e) {
        EXPECT_EQ(e.m_sc, E_INVALIDARG);
    }
    try {
        CEvent::CreateForAutomation(kDay.m_dt, 4, COleVariant(LONG(3)));
        ADD_FAILURE();
    } catch (const COleException& e) {
        EXPECT_EQ(e.m_sc, DISP_E_TYPEMISMATCH);
    }
}

TEST_F(EventAutomationTest, DualSlotsInTheirFixedOrder) {
    EXPECT_EQ(SlotIndexOf(&IEvent::get_Value), 7u);
    EXPECT_EQ(SlotIndexOf(&IEvent::put_Value), 8u);
    EXPECT_EQ(SlotIndexOf(&IEvent::get_Date), 9u);
    EXPECT_EQ(SlotIndexOf(&IEvent::put_Date), 10u);
    EXPECT_EQ(SlotIndexOf(&IEvent::get_Application), 11u);
    EXPECT_EQ(SlotIndexOf(&IEvent::get_Parent), 12u);
    EXPECT_EQ(SlotIndexOf(&IEvent::get_Parameters), 13u);
    EXPECT_EQ(SlotIndexOf(&IEvent::put_Parameters), 14u);
    EXPECT_EQ(SlotIndexOf(&IEvent::Text), 15u);

    void* dual = nullptr;
    ASSERT_EQ(disp_.m_lpDispatch->QueryInterface(IID_IEvent, &dual), S_OK);

    BSTR name = nullptr;
    EXPECT_EQ(CallSlot(dual, 7, &name), S_OK);
    EXPECT_EQ(BstrToW(name), u"Weighed");
    SysFreeString(name);

    CComBSTR born(u"Born");
    EXPECT_EQ(CallSlot(dual, 8, static_cast<BSTR>(born)), S_OK);
    EXPECT_EQ(event_->GetCode(), EVENT_BORN);
    event_->SetCode(EVENT_WEIGHED);

    DATE date = 0;
    EXPECT_EQ(CallSlot(dual, 9, &date), S_OK);
    EXPECT_EQ(date, kDay.m_dt);
    const DATE later = COleDateTime(2004, 1, 1, 0, 0, 0).m_dt;
    EXPECT_EQ(CallSlot(dual, 10, later), S_OK);
    EXPECT_EQ(event_->GetDate().m_dt, later);

    IDispatch* app = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(CallSlot(dual, 11, &app), E_NOINTERFACE);  // no Application object in the tests
    EXPECT_EQ(app, nullptr);

    // The animal's own dual interface.
    ISheep* parent = nullptr;
    EXPECT_EQ(CallSlot(dual, 12, &parent), S_OK);
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(CCmdTarget::FromIDispatch(reinterpret_cast<IDispatch*>(parent)), sheep_);
    CallSlot<ULONG>(parent, 2);  // Release

    VARIANT params;
    VariantInit(&params);
    EXPECT_EQ(CallSlot(dual, 13, &params), S_OK);
    EXPECT_EQ(ReadStrings(params), std::vector<WString>{u"10"});
    VariantClear(&params);

    COleVariant three = Strings({u"x", u"y", u"z"});
    EXPECT_EQ(CallSlot(dual, 14, static_cast<VARIANT>(three)), S_OK);
    EXPECT_EQ(event_->GetParameters(), (std::vector<WString>{u"x", u"y", u"z"}));
    // A failure comes back as the error's status code with error information for IEvent.
    EXPECT_EQ(CallSlot(dual, 14, static_cast<VARIANT>(COleVariant(u"x"))), E_INVALIDARG);
    IErrorInfo* info = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &info), S_OK);
    ASSERT_NE(info, nullptr);
    info->Release();

    event_->SetParameters({u"10"});
    BSTR text = nullptr;
    EXPECT_EQ(CallSlot(dual, 15, static_cast<VARIANT>(COleVariant(SHORT(0), VT_BOOL)), &text), S_OK);
    EXPECT_EQ(BstrToW(text), u"Weighed 10.00 kg today");
    SysFreeString(text);

    static_cast<IUnknown*>(dual)->Release();
}

TEST_F(EventAutomationTest, ErrorInformationOnlyForTheEventInterface) {
    void* support = nullptr;
    ASSERT_EQ(disp_.m_lpDispatch->QueryInterface(IID_ISupportErrorInfo, &support), S_OK);
    auto* s = static_cast<ISupportErrorInfo*>(support);
    EXPECT_EQ(s->InterfaceSupportsErrorInfo(IID_IEvent), S_OK);
    EXPECT_EQ(s->InterfaceSupportsErrorInfo(IID_IEventDisp), S_FALSE);
    EXPECT_EQ(s->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    s->Release();
    void* disp = nullptr;
    EXPECT_EQ(disp_.m_lpDispatch->QueryInterface(IID_IEventDisp, &disp), S_OK);
    static_cast<IUnknown*>(disp)->Release();
}

TEST_F(EventAutomationTest, RemovedEventRefusesFurtherCalls) {
    void* dual = nullptr;
    ASSERT_EQ(disp_.m_lpDispatch->QueryInterface(IID_IEvent, &dual), S_OK);
    sheep_->RemoveEventAt(0, true);
    BSTR name = nullptr;
    EXPECT_EQ(CallSlot(dual, 7, &name), RPC_E_DISCONNECTED);
    EXPECT_EQ(name, nullptr);
    EXPECT_THROW(disp_.Get(u"Value"), COleDispatchException);
    static_cast<IUnknown*>(dual)->Release();
}

}  // namespace
