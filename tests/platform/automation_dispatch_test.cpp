#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "automation_sample.h"
#include "platform/automation/slot_call.h"
#include "support/scripted_host_fixture.h"

namespace {

// A sample as a client holds it: one reference, released at the end.
struct Held {
    CSample* obj = new CSample();
    ~Held() { obj->Release(); }
    ISample* Dual() { return &obj->m_xSample; }
    IDispatch* Disp() { return obj->GetIDispatch(false); }
};

DISPID IdOf(IDispatch* p, const char16_t* name, HRESULT* hr = nullptr) {
    WString text(name);
    LPOLESTR names[1] = {text.data()};
    DISPID id = 12345;
    HRESULT r = p->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (hr != nullptr) *hr = r;
    return id;
}

struct ErrorInfoSeen {
    bool present = false;
    GUID guid{};
    WString description, source;
    DWORD helpContext = 0;
};

ErrorInfoSeen TakeErrorInfo() {
    ErrorInfoSeen seen;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK) return seen;
    seen.present = true;
    info->GetGUID(&seen.guid);
    CComBSTR description, source;
    info->GetDescription(&description);
    info->GetSource(&source);
    info->GetHelpContext(&seen.helpContext);
    seen.description = description.ToW();
    seen.source = source.ToW();
    info->Release();
    return seen;
}

}  // namespace

// The raw table: every slot of the dual interface, called as the reader plug-in calls it.
TEST(AutomationSlots, EverySlotOfTheDualInterfaceByNumber) {
    Held h;
    void* itf = h.Dual();

    void* unk = nullptr;
    ASSERT_EQ(CallSlot(itf, 0, &IID_IUnknown, &unk), S_OK);  // QueryInterface
    EXPECT_EQ(unk, h.obj->GetControllingUnknown());
    EXPECT_EQ(CallSlot<ULONG>(itf, 1), 3u);  // AddRef: ours, the query's, this one
    EXPECT_EQ(CallSlot<ULONG>(itf, 2), 2u);  // Release
    EXPECT_EQ(CallSlot<ULONG>(itf, 2), 1u);
    UINT count = 99;
    EXPECT_EQ(CallSlot(itf, 3, &count), S_OK);  // GetTypeInfoCount
    EXPECT_EQ(count, 0u);
    ITypeInfo* ti = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_EQ(CallSlot(itf, 4, UINT(0), LCID(0), &ti), E_NOTIMPL);  // GetTypeInfo
    EXPECT_EQ(ti, nullptr);
    WString name = u"count";
    LPOLESTR names[1] = {name.data()};
    DISPID id = 0;
    EXPECT_EQ(CallSlot(itf, 5, &IID_NULL, names, UINT(1), LCID(0), &id), S_OK);  // GetIDsOfNames
    EXPECT_EQ(id, 2);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    COleVariant result;
    EXPECT_EQ(CallSlot(itf, 6, id, &IID_NULL, LCID(0), WORD(DISPATCH_PROPERTYGET), &none,
                       static_cast<VARIANT*>(&result), static_cast<EXCEPINFO*>(nullptr),
                       static_cast<UINT*>(nullptr)),
              S_OK);  // Invoke
    EXPECT_EQ(result.lVal, 3);

    CComBSTR got;
    EXPECT_EQ(CallSlot(itf, 7, &got.m_str), S_OK);  // get Name
    EXPECT_EQ(got.ToW(), u"Ewe");
    CComBSTR ram(u"Ram");
    EXPECT_EQ(CallSlot(itf, 8, ram.m_str), S_OK);  // put Name
    EXPECT_EQ(h.obj->m_name, u"Ram");
    LONG n = 0;
    EXPECT_EQ(CallSlot(itf, 9, &n), S_OK);  // get Count
    EXPECT_EQ(n, 3);
    EXPECT_EQ(CallSlot(itf, 11, VARIANT_BOOL(-1)), S_OK);  // put Flag
    VARIANT_BOOL flag = 0;
    EXPECT_EQ(CallSlot(itf, 10, &flag), S_OK);  // get Flag
    EXPECT_EQ(flag, VARIANT_TRUE);
    CComBSTR text;
    VARIANT missing = COleVariant::Missing().Detach();
    EXPECT_EQ(CallSlot(itf, 12, SHORT(2), missing, &text.m_str), S_OK);  // Describe
    EXPECT_EQ(text.ToW(), u"Ram x2");
    EXPECT_EQ(CallSlot(itf, 13, LONG(kFailOleNotImpl)), E_NOTIMPL);  // Fail

    static_assert(IsSlotSafeInterface<ISample>() && IsSlotSafeInterface<IEnumVARIANT>() &&
                  IsSlotSafeInterface<IErrorInfo>() && IsSlotSafeInterface<ISupportErrorInfo>());
    EXPECT_EQ(SlotIndexOf(&IUnknown::QueryInterface), 0u);
    EXPECT_EQ(SlotIndexOf(&IDispatch::Invoke), 6u);
    EXPECT_EQ(SlotIndexOf(&ISample::get_Name), 7u);
    EXPECT_EQ(SlotIndexOf(&ISample::Fail), 13u);
    EXPECT_EQ(SlotIndexOf(&IEnumVARIANT::Clone), 6u);
    EXPECT_EQ(SlotIndexOf(&IErrorInfo::GetHelpContext), 7u);
    EXPECT_EQ(SlotIndexOf(&ISupportErrorInfo::InterfaceSupportsErrorInfo), 3u);
}

TEST(AutomationObject, InterfacesShareOneCountAndOneIdentity) {
    Held h;
    void* p = nullptr;
    ASSERT_EQ(h.Dual()->QueryInterface(IID_ISupportErrorInfo, &p), S_OK);
    auto* support = static_cast<ISupportErrorInfo*>(p);
    EXPECT_EQ(h.obj->GetRefCount(), 2u);
    void* a = nullptr;
    void* b = nullptr;
    support->QueryInterface(IID_IUnknown, &a);
    h.Disp()->QueryInterface(IID_IUnknown, &b);
    EXPECT_EQ(a, b);
    EXPECT_EQ(h.obj->GetRefCount(), 4u);
    static_cast<IUnknown*>(a)->Release();
    static_cast<IUnknown*>(b)->Release();

    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_ISample), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_ISampleDisp), S_FALSE);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    support->Release();

    void* disp = nullptr;
    EXPECT_EQ(h.obj->ExternalQueryInterface(IID_ISampleDisp, &disp), S_OK);
    EXPECT_EQ(disp, h.Disp());
    static_cast<IUnknown*>(disp)->Release();
    void* none = &p;
    EXPECT_EQ(h.Dual()->QueryInterface(IID_IEnumVARIANT, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(h.obj->GetRefCount(), 1u);
    EXPECT_EQ(CCmdTarget::FromIDispatch(h.Disp()), h.obj);
    EXPECT_EQ(CCmdTarget::FromIDispatch(h.Dual()), h.obj);

    // Without automation there is no IDispatch.
    auto* plain = new CCmdTarget();
    void* q = nullptr;
    EXPECT_EQ(plain->ExternalQueryInterface(IID_IDispatch, &q), E_NOINTERFACE);
    EXPECT_EQ(plain->GetIDispatch(false), nullptr);
    plain->Release();
}

// The nested interfaces keep no pointer back: each must still reach its own object.
TEST(AutomationObject, EachObjectsInterfacesReachThatObject) {
    Held first, second;
    EXPECT_EQ(CCmdTarget::FromIDispatch(first.Dual()), first.obj);
    EXPECT_EQ(CCmdTarget::FromIDispatch(second.Dual()), second.obj);
    EXPECT_EQ(CCmdTarget::FromIDispatch(second.Disp()), second.obj);
    second.Dual()->AddRef();
    EXPECT_EQ(second.obj->GetRefCount(), 2u);
    EXPECT_EQ(first.obj->GetRefCount(), 1u);
    second.Dual()->Release();
}

// Two classes may answer for one interface id, each with the interface at its own offset.
TEST(AutomationObject, ClassesSharingAnInterfaceIdEachReachTheirOwnObject) {
    static constexpr IID kIid = {
        0x9a4e2c11, 0x51b0, 0x4c7e, {0x8f, 0x12, 0x6d, 0x3a, 0x90, 0x1b, 0x44, 0x7f}};
    struct Near : CCmdTarget {
        CSupportErrorInfoImpl<Near, kIid> support{this};
    };
    struct Far : CCmdTarget {
        char gap[64] = {};
        CSupportErrorInfoImpl<Far, kIid> support{this};
    };
    Near n;
    Far f;
    for (ISupportErrorInfo* support :
         {static_cast<ISupportErrorInfo*>(&n.support), static_cast<ISupportErrorInfo*>(&f.support)}) {
        EXPECT_EQ(support->InterfaceSupportsErrorInfo(kIid), S_OK);
        EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    }
    n.support.AddRef();
    EXPECT_EQ(n.GetRefCount(), 2u);
    EXPECT_EQ(f.GetRefCount(), 1u);
    f.support.AddRef();
    EXPECT_EQ(f.GetRefCount(), 2u);
    EXPECT_EQ(n.GetRefCount(), 2u);
    n.support.Release();
    f.support.Release();
}

TEST(AutomationDispatch, NamesAreFoundWithoutRegardToCaseAtTheirPositions) {
    Held h;
    struct Case {
        const char16_t* name;
        DISPID id;
    };
    for (Case c :
         {Case{u"Name", 1}, Case{u"COUNT", 2}, Case{u"flag", 3}, Case{u"Describe", 4}, Case{u"fail", 5}}) {
        HRESULT hr;
        EXPECT_EQ(IdOf(h.Disp(), c.name, &hr), c.id) << WToUtf8(c.name);
        EXPECT_EQ(hr, S_OK);
    }
    HRESULT hr;
    EXPECT_EQ(IdOf(h.Disp(), u"Weight", &hr), DISPID_UNKNOWN);
    EXPECT_EQ(hr, DISP_E_UNKNOWNNAME);

    // A member and one named parameter: the parameter is unknown.
    WString member = u"Describe", param = u"n";
    LPOLESTR names[2] = {member.data(), param.data()};
    DISPID ids[2];
    EXPECT_EQ(h.Disp()->GetIDsOfNames(IID_NULL, names, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], 4);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
    EXPECT_EQ(h.Disp()->GetIDsOfNames(IID_ISample, names, 1, 0, ids), DISP_E_UNKNOWNINTERFACE);
}

TEST(AutomationDispatch, InvokeGetsPutsAndCallsWithConvertedArguments) {
    Held h;
    COleDispatchDriver d(h.Disp(), false);

    // The default member answers DISPID_VALUE, both ways.
    EXPECT_EQ(BstrToW(d.GetProperty(DISPID_VALUE).bstrVal), u"Ewe");
    d.SetProperty(DISPID_VALUE, COleVariant(u"Hogg"));
    EXPECT_EQ(h.obj->m_name, u"Hogg");
    // A number put to a text property is converted.
    d.Put(u"name", COleVariant(LONG(7)));
    EXPECT_EQ(h.obj->m_name, u"7");

    // Booleans: the property converts to VT_BOOL (non-zero is -1), so 1 as a number is TRUE...
    d.Put(u"Flag", COleVariant(LONG(1)));
    EXPECT_EQ(h.obj->m_flag, TRUE);
    COleVariant flag = d.Get(u"Flag");
    EXPECT_EQ(flag.vt, VT_BOOL);
    EXPECT_EQ(flag.boolVal, VARIANT_TRUE);
    // ...while a raw boolean other than -1 through the dual interface stores FALSE.
    EXPECT_EQ(h.Dual()->put_Flag(1), S_OK);
    EXPECT_EQ(h.obj->m_flag, FALSE);

    // A method with a 16-bit argument converted from text and an optional variant.
    EXPECT_EQ(BstrToW(d.Call(u"Describe", {COleVariant(u"3")}).bstrVal), u"7 x3");
    EXPECT_EQ(BstrToW(d.Call(u"Describe", {COleVariant(SHORT(1)), COleVariant(2.5)}).bstrVal), u"7 x1 2.5");

    COleVariant result;
    EXCEPINFO info{};
    UINT argErr = 99;
    EXPECT_EQ(d.TryInvoke(4, DISPATCH_METHOD, {COleVariant(u"x")}, &result, &info, &argErr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    EXPECT_EQ(d.TryInvoke(4, DISPATCH_METHOD, {COleVariant(LONG(40000))}, &result, &info, &argErr),
              DISP_E_OVERFLOW);
    EXPECT_EQ(d.TryInvoke(4, DISPATCH_METHOD, {}, &result, &info), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(d.TryInvoke(4, DISPATCH_METHOD, {COleVariant(SHORT(1)), COleVariant(), COleVariant()}, &result,
                          &info),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(d.TryInvoke(2, DISPATCH_PROPERTYGET, {COleVariant(SHORT(1))}, &result, &info),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(d.TryInvoke(4, DISPATCH_PROPERTYPUT, {COleVariant(SHORT(1))}, &result, &info),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(d.TryInvoke(77, DISPATCH_PROPERTYGET, {}, &result, &info), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(d.TryInvoke(DISPID_NEWENUM, DISPATCH_PROPERTYGET, {}, &result, &info), DISP_E_MEMBERNOTFOUND);
}

TEST(AutomationDispatch, AnObjectConvertsThroughItsDefaultMember) {
    Held h;
    COleVariant object(h.Disp(), true);
    COleVariant text;
    EXPECT_EQ(VariantChangeType(&text, &object, 0, VT_BSTR), S_OK);
    EXPECT_EQ(BstrToW(text.bstrVal), u"Ewe");
    EXPECT_EQ(VariantChangeType(&text, &object, VARIANT_NOVALUEPROP, VT_BSTR), DISP_E_TYPEMISMATCH);
    h.obj->m_name = u"12";
    COleVariant number;
    EXPECT_EQ(VariantChangeType(&number, &object, 0, VT_I2), S_OK);
    EXPECT_EQ(number.iVal, 12);
    COleVariant unknown;
    EXPECT_EQ(VariantChangeType(&unknown, &object, 0, VT_UNKNOWN), S_OK);
    EXPECT_EQ(unknown.punkVal, h.obj->GetControllingUnknown());
}

TEST(AutomationDispatch, APutNeedsItsNamedValueArgument) {
    Held h;
    COleVariant value(u"x");
    DISPPARAMS params{&value, nullptr, 1, 0};
    EXPECT_EQ(h.Disp()->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr),
              DISP_E_PARAMNOTFOUND);
    DISPID put = DISPID_PROPERTYPUT;
    params.rgdispidNamedArgs = &put;
    params.cNamedArgs = 1;
    EXPECT_EQ(h.Disp()->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(h.obj->m_name, u"x");
    // A named argument on a call is refused.
    EXPECT_EQ(h.Disp()->Invoke(4, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              DISP_E_NONAMEDARGS);
}

TEST(AutomationDispatch, PropertyWithAParameter) {
    Held h;
    COleDispatchDriver d(h.Disp(), false);
    DISPID tag = d.GetIDOfName(u"TAG");
    EXPECT_EQ(tag, 6);
    d.InvokeHelper(tag, DISPATCH_PROPERTYPUT, {COleVariant(u"1"), COleVariant(u"Blue 12")});
    EXPECT_EQ(h.obj->m_tags[1], u"Blue 12");
    EXPECT_EQ(BstrToW(d.InvokeHelper(tag, DISPATCH_PROPERTYGET, {COleVariant(SHORT(1))}).bstrVal),
              u"Blue 12");

    COleVariant result;
    EXCEPINFO info{};
    EXPECT_EQ(d.TryInvoke(tag, DISPATCH_PROPERTYGET, {}, &result, &info), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(d.TryInvoke(tag, DISPATCH_PROPERTYPUT, {COleVariant(u"x")}, &result, &info),
              DISP_E_BADPARAMCOUNT);
    UINT argErr = 9;
    EXPECT_EQ(d.TryInvoke(tag, DISPATCH_PROPERTYPUT, {COleVariant(u"one"), COleVariant(u"x")}, &result, &info,
                          &argErr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 1u);  // the index, which the driver passes before the value
    EXPECT_EQ(d.TryInvoke(tag, DISPATCH_PROPERTYGET, {COleVariant(SHORT(2))}, &result, &info),
              DISP_E_EXCEPTION);
    EXPECT_EQ(info.wCode, 5);
    ClearExcepInfo(&info);
}

TEST(AutomationDispatch, ReadOnlyPropertyRefusesPutWithSetNotSupported) {
    Held h;
    COleDispatchDriver d(h.Disp(), false);
    COleVariant result;
    EXCEPINFO info{};
    EXPECT_EQ(d.TryInvoke(2, DISPATCH_PROPERTYPUT, {COleVariant(LONG(9))}, &result, &info), DISP_E_EXCEPTION);
    EXPECT_EQ(info.wCode, 383);
    EXPECT_EQ(BstrToW(info.bstrDescription), u"Set not supported.");
    ClearExcepInfo(&info);
    EXPECT_EQ(h.obj->m_count, 3);
    EXPECT_EQ(d.Get(u"Count").lVal, 3);
}

// Failures inside dual methods: the result and the thread's error information.
TEST(AutomationErrors, DualMethodsMapEveryKindOfFailure) {
    Held h;
    AfxSetAutomationAppInfo(u"Dedov", u"Dedov.chm");
    struct Case {
        LONG how;
        HRESULT hr;
        bool errorInfo;
        const char16_t* description;
        DWORD helpContext;
    };
    const Case cases[] = {
        {kFailBounds, HRESULT(0x80040205u), true, u"The bounds of a collection have been exceeded", 0x3006E},
        {kFailCode160, HRESULT(0x800402A0u), true, u"Invalid Argument", 0x300A0},
        {kFailOwnStatus, E_INVALIDARG, true, u"Bad parameters", 0},
        {kFailOleNotImpl, E_NOTIMPL, false, u"", 0},
        {kFailMemory, E_OUTOFMEMORY, true, nullptr, 0},
        {kFailOther, E_UNEXPECTED, true, nullptr, 0},
    };
    for (const Case& c : cases) {
        // Left over from an earlier failure: replaced, or cleared by an OLE exception.
        IErrorInfo* stale = CreateErrorInfoObject(IID_NULL, u"stale", u"", u"", 0);
        SetErrorInfo(0, stale);
        stale->Release();

        EXPECT_EQ(h.Dual()->Fail(c.how), c.hr) << "failure kind " << c.how;
        ErrorInfoSeen seen = TakeErrorInfo();
        EXPECT_EQ(seen.present, c.errorInfo) << "failure kind " << c.how;
        if (!c.errorInfo) continue;
        EXPECT_EQ(seen.guid, IID_ISample);
        EXPECT_EQ(seen.source, u"Dedov");
        EXPECT_EQ(seen.helpContext, c.helpContext);
        if (c.description != nullptr)
            EXPECT_EQ(seen.description, c.description);
        else
            EXPECT_FALSE(seen.description.empty());
    }
    AfxSetAutomationAppInfo(u"", u"");
    EXPECT_EQ(GetErrorInfo(0, nullptr), E_INVALIDARG);
    IErrorInfo* none = nullptr;
    EXPECT_EQ(GetErrorInfo(0, &none), S_FALSE);  // taken by the last read
}

TEST(AutomationErrors, InvokeReportsFailuresInExcepInfoAndTheDriverRethrowsThem) {
    Held h;
    COleDispatchDriver d(h.Disp(), false);
    COleVariant result;
    EXCEPINFO info{};
    EXPECT_EQ(d.TryInvoke(5, DISPATCH_METHOD, {COleVariant(LONG(kFailBounds))}, &result, &info),
              DISP_E_EXCEPTION);
    EXPECT_EQ(info.wCode, 5);
    EXPECT_EQ(info.scode, S_OK);
    EXPECT_EQ(info.dwHelpContext, 0x3006Eu);
    ClearExcepInfo(&info);
    EXPECT_EQ(d.TryInvoke(5, DISPATCH_METHOD, {COleVariant(LONG(kFailOleNotImpl))}, &result, &info),
              DISP_E_EXCEPTION);
    EXPECT_EQ(info.wCode, 0);
    EXPECT_EQ(info.scode, E_NOTIMPL);
    ClearExcepInfo(&info);

    try {
        d.Call(u"Fail", {COleVariant(LONG(kFailBounds))});
        FAIL() << "no exception";
    } catch (const COleDispatchException& e) {
        EXPECT_EQ(e.m_wCode, 5);
        EXPECT_EQ(DispatchExceptionToHResult(e), HRESULT(0x80040205u));
        EXPECT_EQ(e.m_strDescription, u"The bounds of a collection have been exceeded");
    }
    try {
        d.Call(u"Fail", {COleVariant(LONG(kFailOwnStatus))});
        FAIL() << "no exception";
    } catch (const COleDispatchException& e) {
        EXPECT_EQ(DispatchExceptionToHResult(e), E_INVALIDARG);
    }
    EXPECT_THROW(d.Get(u"Nothing"), COleException);
}

TEST(AutomationErrors, ShowErrorInfoShowsTheDescriptionOnlyForTheSupportedInterface) {
    CScopedScriptedHost host;
    Held h;
    ISupportErrorInfo* support = &h.obj->m_xSupportErrorInfo;

    h.Dual()->Fail(kFailBounds);
    ShowErrorInfo(IID_ISampleDisp, support);  // not the dual interface: nothing, and the info stays
    EXPECT_TRUE(host.Messages().empty());
    ShowErrorInfo(IID_ISample, support);
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.Messages()[0].text, u"The bounds of a collection have been exceeded");
    EXPECT_EQ(host.Messages()[0].type & MB_TYPEMASK, MB_OK);
    ShowErrorInfo(IID_ISample, support);  // taken: nothing more to show
    EXPECT_EQ(host.Messages().size(), 1u);
}

// A record let go by its owner stays valid memory for a client that still holds it, and refuses calls.
TEST(AutomationLifetime, DetachedObjectRefusesCallsButStaysAlive) {
    auto* obj = new CSample();  // the owner's reference
    IDispatch* client = obj->GetIDispatch(true);
    void* p = nullptr;
    client->QueryInterface(IID_ISample, &p);
    auto* dual = static_cast<ISample*>(p);

    obj->MarkDetached();  // the owner removes it...
    obj->Release();       // ...and lets go

    CComBSTR name;
    EXPECT_EQ(dual->get_Name(&name), RPC_E_DISCONNECTED);
    EXPECT_EQ(name.m_str, nullptr);
    ErrorInfoSeen seen = TakeErrorInfo();
    EXPECT_TRUE(seen.present);
    EXPECT_EQ(seen.description, u"This object has been removed and can no longer be used.");

    COleDispatchDriver d(client, false);
    COleVariant result;
    EXCEPINFO info{};
    EXPECT_EQ(d.TryInvoke(1, DISPATCH_PROPERTYGET, {}, &result, &info), DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, RPC_E_DISCONNECTED);
    ClearExcepInfo(&info);
    EXPECT_EQ(IdOf(client, u"Name"), 1);  // names still answer

    EXPECT_EQ(dual->Release(), 1u);
    EXPECT_EQ(client->Release(), 0u);  // the last reference frees it
}

TEST(AutomationApplication, LockCountAndRegisteredApplicationObject) {
    LONG before = AfxOleGetLockCount();
    static int released = 0;
    released = 0;
    AfxOleSetReleaseAllObjectsHandler([] { ++released; });
    {
        Held a;
        Held b;
        EXPECT_EQ(AfxOleGetLockCount(), before + 2);
    }
    EXPECT_EQ(AfxOleGetLockCount(), before);
    EXPECT_EQ(released, before == 0 ? 1 : 0);
    AfxOleSetReleaseAllObjectsHandler(nullptr);

    EXPECT_EQ(AfxOleGetApplicationDispatch(), nullptr);
    void* dual = &dual;
    EXPECT_EQ(AfxOleGetApplicationDual(&dual), E_NOINTERFACE);
    EXPECT_EQ(dual, nullptr);
    Held app;
    AfxOleRegisterApplication(app.obj, IID_ISample);
    IDispatch* disp = AfxOleGetApplicationDispatch();
    EXPECT_EQ(disp, app.Disp());
    disp->Release();
    ASSERT_EQ(AfxOleGetApplicationDual(&dual), S_OK);
    EXPECT_EQ(dual, app.Dual());
    static_cast<ISample*>(dual)->Release();
    AfxOleRevokeApplication(app.obj);
    EXPECT_EQ(AfxOleGetApplication(), nullptr);
}

namespace {

// A UI loop on its own thread, as the program's dispatcher runs calls on its UI thread.
class CThreadDispatcher : public CUiDispatcher {
public:
    CThreadDispatcher() : m_thread([this] { Loop(); }) {}
    ~CThreadDispatcher() override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }
    bool IsUiThread() const override { return std::this_thread::get_id() == m_thread.get_id(); }
    void RunOnUiThread(const std::function<void()>& fn) override {
        bool done = false;
        std::unique_lock<std::mutex> lock(m_mutex);
        m_tasks.push_back([&] {
            ranOn = std::this_thread::get_id();
            fn();
            std::lock_guard<std::mutex> l(m_mutex);
            done = true;
            m_cv.notify_all();
        });
        m_cv.notify_all();
        m_cv.wait(lock, [&] { return done; });
    }
    std::thread::id UiThreadId() const { return m_thread.get_id(); }
    std::thread::id ranOn;

private:
    void Loop() {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_cv.wait(lock, [&] { return m_stop || !m_tasks.empty(); });
            if (m_tasks.empty()) return;
            auto task = std::move(m_tasks.front());
            m_tasks.pop_front();
            lock.unlock();
            task();
            lock.lock();
        }
    }
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<std::function<void()>> m_tasks;
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace

TEST(AutomationThreads, DualCallsFromAWorkerRunOnTheUiThreadAndBringTheirErrorInfoBack) {
    Held h;
    CThreadDispatcher ui;
    CUiDispatcher* previous = AfxSetUiDispatcher(&ui);

    HRESULT okHr = E_FAIL, failHr = S_OK;
    ErrorInfoSeen seen;
    std::thread::id worker;
    std::thread([&] {
        worker = std::this_thread::get_id();
        okHr = h.Dual()->put_Name(CComBSTR(u"Tag").m_str);
        failHr = h.Dual()->Fail(kFailBounds);
        seen = TakeErrorInfo();  // on the worker, where the call was made
    }).join();
    AfxSetUiDispatcher(previous);

    EXPECT_EQ(okHr, S_OK);
    EXPECT_EQ(h.obj->m_name, u"Tag");
    EXPECT_EQ(ui.ranOn, ui.UiThreadId());
    EXPECT_NE(ui.ranOn, worker);
    EXPECT_EQ(failHr, HRESULT(0x80040205u));
    EXPECT_TRUE(seen.present);
    EXPECT_EQ(seen.guid, IID_ISample);
}

TEST(AutomationThreads, WithoutADispatcherCallsRunOnTheCallingThread) {
    ASSERT_EQ(AfxGetUiDispatcher(), nullptr);
    std::thread::id ranOn;
    std::thread::id worker;
    std::thread([&] {
        worker = std::this_thread::get_id();
        RunOnUiThread([&] { ranOn = std::this_thread::get_id(); });
    }).join();
    EXPECT_EQ(ranOn, worker);
    EXPECT_THROW(RunOnUiThread([] { AfxThrowOleException(E_FAIL); }), COleException);
}
