#include "automation_support.h"

namespace {
// The settings folders and time zone come from the record tests' environment (records_env.cpp).
const bool kApplicationRegistered = (TestApplication(), true);
}  // namespace

CTestApplication& TestApplication() {
    static CTestApplication* app = new CTestApplication();  // lives for the whole program
    return *app;
}

DISPID IdOf(IDispatch* p, const char16_t* name) {
    WString text(name);
    LPOLESTR names[1] = {text.data()};
    DISPID id = 12345;
    p->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

void ExpectDispIds(IDispatch* p, const std::vector<std::pair<const char16_t*, DISPID>>& table) {
    for (const auto& [name, id] : table) EXPECT_EQ(IdOf(p, name), id) << WToUtf8(name);
}

namespace {
InvokeResult Run(IDispatch* p, DISPID id, WORD flags, std::vector<COleVariant>& args, bool put) {
    InvokeResult r;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), put ? &named : nullptr, static_cast<UINT>(reversed.size()),
                      put ? 1u : 0u};
    EXCEPINFO info{};
    UINT argErr = 0;
    VARIANT result;
    VariantInit(&result);
    r.hr = p->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &info, &argErr);
    r.value.Attach(result);
    if (r.hr == DISP_E_EXCEPTION) {
        r.wCode = info.wCode;
        r.scode = info.scode;
        r.description = BstrToW(info.bstrDescription);
        r.helpContext = info.dwHelpContext;
        ClearExcepInfo(&info);
    }
    return r;
}
}  // namespace

InvokeResult InvokeGet(IDispatch* p, DISPID id, std::vector<COleVariant> args, WORD flags) {
    return Run(p, id, flags, args, false);
}

InvokeResult InvokePut(IDispatch* p, DISPID id, const COleVariant& value) {
    std::vector<COleVariant> args{value};
    return Run(p, id, DISPATCH_PROPERTYPUT, args, true);
}

InvokeResult InvokeByName(IDispatch* p, const char16_t* name, std::vector<COleVariant> args) {
    return InvokeGet(p, IdOf(p, name), std::move(args));
}

ErrorInfoSeen TakeErrorInfo() {
    ErrorInfoSeen seen;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK) return seen;
    seen.present = true;
    info->GetGUID(&seen.guid);
    CComBSTR description;
    info->GetDescription(&description);
    info->GetHelpContext(&seen.helpContext);
    seen.description = description.ToW();
    info->Release();
    return seen;
}

IUnknown* IdentityOf(IUnknown* p) {
    if (p == nullptr) return nullptr;
    IUnknown* unk = QueryInterfaceAs<IUnknown>(p, IID_IUnknown);
    unk->Release();
    return unk;
}

IUnknown* IdentityOf(const VARIANT& v) {
    if (v.vt != VT_DISPATCH && v.vt != VT_UNKNOWN) return nullptr;
    return IdentityOf(static_cast<IUnknown*>(v.punkVal));
}

void ExpectSupportsErrorInfo(IUnknown* p, const IID& own) {
    auto* support = QueryInterfaceAs<ISupportErrorInfo>(p, IID_ISupportErrorInfo);
    ASSERT_NE(support, nullptr);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(own), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    support->Release();
}
