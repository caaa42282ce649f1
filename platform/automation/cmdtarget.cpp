#include "platform/automation/cmdtarget.h"

#include <mutex>
#include <new>

#include "platform/automation/marshal.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

CCmdTarget::CCmdTarget() = default;
CCmdTarget::CCmdTarget(const CCmdTarget& other) : CObject(other), m_bAutomation(other.m_bAutomation) {}
CCmdTarget::~CCmdTarget() = default;

IDispatch* CCmdTarget::GetIDispatch(bool bAddRef) {
    if (!m_bAutomation) return nullptr;
    if (bAddRef) ExternalAddRef();
    return &m_xDispatch;
}

CCmdTarget* CCmdTarget::FromIDispatch(IDispatch* pDispatch) {
    if (pDispatch == nullptr) return nullptr;
    if (auto* x = dynamic_cast<XDispatch*>(pDispatch)) return x->Owner();
    // A dual interface of one of our objects: its IDispatch is the object's own.
    IDispatch* own = QueryInterfaceAs<IDispatch>(pDispatch, IID_IDispatch);
    if (own == nullptr) return nullptr;
    auto* x = dynamic_cast<XDispatch*>(own);
    CCmdTarget* owner = x != nullptr ? x->Owner() : nullptr;
    own->Release();
    return owner;
}

HRESULT CCmdTarget::ExternalQueryInterface(REFIID iid, void** ppvObj) {
    if (ppvObj == nullptr) return E_POINTER;
    IUnknown* p = GetInterface(iid);
    if (p == nullptr) {
        *ppvObj = nullptr;
        return E_NOINTERFACE;
    }
    ExternalAddRef();
    *ppvObj = p;
    return S_OK;
}

IUnknown* CCmdTarget::GetInterface(REFIID iid) {
    if (iid == IID_IUnknown) return &m_xDispatch;
    if (iid == IID_IDispatch && m_bAutomation) return &m_xDispatch;
    return nullptr;
}

const CDispatchTable* CCmdTarget::GetDispatchMap() const {
    return nullptr;
}

void CCmdTarget::ThrowIfDetached() const {
    if (IsDetached())
        AfxThrowOleDispatchExceptionSc(RPC_E_DISCONNECTED,
                                       u"This object has been removed and can no longer be used.");
}

void CCmdTarget::SetNotSupported() {
    AfxThrowOleDispatchException(383, WStringView(u"Set not supported."));
}
void CCmdTarget::GetNotSupported() {
    AfxThrowOleDispatchException(394, WStringView(u"Get not supported."));
}

HRESULT CCmdTarget::DispGetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (rgszNames == nullptr || rgDispId == nullptr || cNames == 0) return E_INVALIDARG;
    const CDispatchTable* table = GetDispatchMap();
    // Only the member's own name is known; parameter names are not.
    for (UINT i = 0; i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
    if (table != nullptr && rgszNames[0] != nullptr) rgDispId[0] = table->FindName(rgszNames[0]);
    return rgDispId[0] == DISPID_UNKNOWN || cNames > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

HRESULT CCmdTarget::DispInvoke(DISPID dispid, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                               VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (pDispParams == nullptr || (pDispParams->cArgs > 0 && pDispParams->rgvarg == nullptr) ||
        (pDispParams->cNamedArgs > 0 && pDispParams->rgdispidNamedArgs == nullptr))
        return E_INVALIDARG;
    const CDispatchTable* table = GetDispatchMap();
    const DispEntry* entry = table != nullptr ? table->FindById(dispid) : nullptr;
    if (entry == nullptr) return DISP_E_MEMBERNOTFOUND;
    HRESULT hr = S_OK;
    RunOnUiThread([&] {
        try {
            ThrowIfDetached();
            hr = InvokeEntry(*entry, wFlags, pDispParams, pVarResult, puArgErr);
        } catch (...) {
            FillExcepInfo(pExcepInfo, std::current_exception());
            hr = DISP_E_EXCEPTION;
        }
    });
    return hr;
}

namespace {

// The positional arguments rgvarg[first..] (reversed: the last one first) converted to the entry's
// parameter types. A trailing VT_VARIANT parameter may be left out (it arrives as "missing").
HRESULT ConvertArgs(const DispEntry& entry, const DISPPARAMS& params, UINT first,
                    std::vector<COleVariant>& out, UINT* puArgErr) {
    const UINT given = params.cArgs - first;
    if (given > entry.cParams) return DISP_E_BADPARAMCOUNT;
    out.resize(entry.cParams);
    for (UINT i = 0; i < entry.cParams; ++i) {
        VARTYPE vt = entry.params[i];
        if (i >= given) {
            if (vt != VT_VARIANT) return DISP_E_BADPARAMCOUNT;
            out[i] = COleVariant::Missing();
            continue;
        }
        UINT at = params.cArgs - 1 - i;
        const VARIANT& arg = params.rgvarg[at];
        HRESULT hr = vt == VT_VARIANT ? VariantCopy(&out[i], &arg) : VariantChangeType(&out[i], &arg, 0, vt);
        if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
        if (FAILED(hr)) {
            if (puArgErr != nullptr) *puArgErr = at;
            return hr;
        }
    }
    return S_OK;
}

}  // namespace

HRESULT CCmdTarget::InvokeEntry(const DispEntry& entry, WORD wFlags, DISPPARAMS* pDispParams,
                                VARIANT* pVarResult, UINT* puArgErr) {
    const DISPPARAMS& params = *pDispParams;
    std::vector<COleVariant> args;
    COleVariant result;

    if (entry.kind == DispKind::Property && (wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))) {
        // The value is the one named argument, rgvarg[0]; the property's parameters follow it.
        if (params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_PARAMNOTFOUND;
        if (params.cArgs != entry.cParams + 1) return DISP_E_BADPARAMCOUNT;
        if (entry.put == nullptr) SetNotSupported();
        HRESULT hr = ConvertArgs(entry, params, 1, args, puArgErr);
        if (FAILED(hr)) return hr;
        const VARIANT& given = params.rgvarg[0];
        if (entry.vt == VT_VARIANT) {
            entry.put(this, args.data(), given);
        } else {
            COleVariant value;
            hr = VariantChangeType(&value, &given, 0, entry.vt);
            if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
            if (FAILED(hr)) {
                if (puArgErr != nullptr) *puArgErr = 0;
                return hr;
            }
            entry.put(this, args.data(), value);
        }
        return S_OK;
    }
    if (!(wFlags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
    if (params.cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    HRESULT hr = ConvertArgs(entry, params, 0, args, puArgErr);
    if (FAILED(hr)) return hr;
    if (entry.kind == DispKind::Property) {
        if (entry.get == nullptr) GetNotSupported();
        entry.get(this, args.data(), &result);
    } else {
        entry.call(this, args.data(), &result);
    }
    if (pVarResult != nullptr) {
        VariantClear(pVarResult);
        *pVarResult = result.Detach();
    }
    return S_OK;
}

// ---- the nested IDispatch -----------------------------------------------------------------------

HRESULT CCmdTarget::XDispatch::QueryInterface(REFIID riid, void** ppv) {
    return Owner()->ExternalQueryInterface(riid, ppv);
}
ULONG CCmdTarget::XDispatch::AddRef() {
    return Owner()->ExternalAddRef();
}
ULONG CCmdTarget::XDispatch::Release() {
    return Owner()->ExternalRelease();
}
HRESULT CCmdTarget::XDispatch::GetTypeInfoCount(UINT* pctinfo) {
    if (pctinfo == nullptr) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}
HRESULT CCmdTarget::XDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
    if (ppTInfo != nullptr) *ppTInfo = nullptr;
    return E_NOTIMPL;
}
HRESULT CCmdTarget::XDispatch::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                             DISPID* rgDispId) {
    return Owner()->DispGetIDsOfNames(riid, rgszNames, cNames, lcid, rgDispId);
}
HRESULT CCmdTarget::XDispatch::Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                      DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                      UINT* puArgErr) {
    return Owner()->DispInvoke(dispIdMember, riid, lcid, wFlags, pDispParams, pVarResult, pExcepInfo,
                                puArgErr);
}

BSTR AllocBstrOrThrow(WStringView s) {
    BSTR b = SysAllocStringW(s);
    if (b == nullptr) throw std::bad_alloc();
    return b;
}

// ---- the application --------------------------------------------------------------------------

namespace {
std::atomic<LONG> g_lockCount{0};
std::atomic<void (*)()> g_releaseAllHandler{nullptr};

std::mutex g_appMutex;
CCmdTarget* g_app = nullptr;
const IID* g_appDualIid = nullptr;
}  // namespace

void AfxOleLockApp() {
    g_lockCount.fetch_add(1);
}

void AfxOleUnlockApp() {
    if (g_lockCount.fetch_sub(1) == 1)
        if (auto handler = g_releaseAllHandler.load()) handler();
}

LONG AfxOleGetLockCount() {
    return g_lockCount.load();
}
bool AfxOleCanExitApp() {
    return g_lockCount.load() == 0;
}
void AfxOleSetReleaseAllObjectsHandler(void (*handler)()) {
    g_releaseAllHandler.store(handler);
}

void AfxOleRegisterApplication(CCmdTarget* pApp, const IID& dualIid) {
    std::lock_guard<std::mutex> lock(g_appMutex);
    g_app = pApp;
    g_appDualIid = &dualIid;
}

void AfxOleRevokeApplication(CCmdTarget* pApp) {
    std::lock_guard<std::mutex> lock(g_appMutex);
    if (g_app == pApp) {
        g_app = nullptr;
        g_appDualIid = nullptr;
    }
}

CCmdTarget* AfxOleGetApplication() {
    std::lock_guard<std::mutex> lock(g_appMutex);
    return g_app;
}

IDispatch* AfxOleGetApplicationDispatch() {
    std::lock_guard<std::mutex> lock(g_appMutex);
    return g_app != nullptr ? g_app->GetIDispatch(true) : nullptr;
}

HRESULT AfxOleGetApplicationDual(void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> lock(g_appMutex);
    if (g_app == nullptr) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    return g_app->ExternalQueryInterface(*g_appDualIid, ppv);
}
