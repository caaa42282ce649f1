#include "platform/automation/driver.h"

#include <algorithm>
#include <utility>

COleDispatchDriver::COleDispatchDriver(IDispatch* p, bool bAutoRelease)
    : m_lpDispatch(p), m_bAutoRelease(bAutoRelease) {}

COleDispatchDriver::COleDispatchDriver(const COleDispatchDriver& other) : m_lpDispatch(other.m_lpDispatch) {
    if (m_lpDispatch != nullptr) m_lpDispatch->AddRef();
}

COleDispatchDriver& COleDispatchDriver::operator=(const COleDispatchDriver& other) {
    if (this != &other) {
        if (other.m_lpDispatch != nullptr) other.m_lpDispatch->AddRef();
        ReleaseDispatch();
        m_lpDispatch = other.m_lpDispatch;
        m_bAutoRelease = true;
    }
    return *this;
}

void COleDispatchDriver::AttachDispatch(IDispatch* p, bool bAutoRelease) {
    ReleaseDispatch();
    m_lpDispatch = p;
    m_bAutoRelease = bAutoRelease;
}

IDispatch* COleDispatchDriver::DetachDispatch() {
    return std::exchange(m_lpDispatch, nullptr);
}

void COleDispatchDriver::ReleaseDispatch() {
    if (IDispatch* p = std::exchange(m_lpDispatch, nullptr); p != nullptr && m_bAutoRelease) p->Release();
}

DISPID COleDispatchDriver::GetIDOfName(WStringView name) const {
    if (m_lpDispatch == nullptr) AfxThrowOleException(E_POINTER);
    WString text(name);
    LPOLESTR names[1] = {text.data()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = m_lpDispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) AfxThrowOleException(hr);
    return id;
}

HRESULT COleDispatchDriver::TryInvoke(DISPID id, WORD wFlags, const std::vector<COleVariant>& args,
                                      VARIANT* pResult, EXCEPINFO* pInfo, UINT* puArgErr) const {
    if (m_lpDispatch == nullptr) return E_POINTER;
    // Arguments go in reverse order; the variants are the caller's, lent for the call.
    std::vector<VARIANT> reversed;
    reversed.reserve(args.size());
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(*it);
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    if (pResult != nullptr) VariantClear(pResult);
    if (pInfo != nullptr) *pInfo = EXCEPINFO{};
    UINT argErr = 0;
    return m_lpDispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params, pResult, pInfo,
                                puArgErr != nullptr ? puArgErr : &argErr);
}

COleVariant COleDispatchDriver::InvokeHelper(DISPID id, WORD wFlags,
                                             const std::vector<COleVariant>& args) const {
    COleVariant result;
    EXCEPINFO info{};
    HRESULT hr = TryInvoke(id, wFlags, args, &result, &info);
    if (hr == DISP_E_EXCEPTION) {
        EXCEPINFO copy = info;
        info = EXCEPINFO{};
        struct Cleanup {
            EXCEPINFO* p;
            ~Cleanup() { ClearExcepInfo(p); }
        } cleanup{&copy};
        ThrowFromExcepInfo(copy);
    }
    ClearExcepInfo(&info);
    if (FAILED(hr)) AfxThrowOleException(hr);
    return result;
}

COleVariant COleDispatchDriver::GetProperty(DISPID id) const {
    return InvokeHelper(id, DISPATCH_PROPERTYGET);
}

void COleDispatchDriver::SetProperty(DISPID id, const VARIANT& value) const {
    InvokeHelper(id, DISPATCH_PROPERTYPUT, {COleVariant(value)});
}

COleVariant COleDispatchDriver::Get(WStringView name) const {
    return GetProperty(GetIDOfName(name));
}

void COleDispatchDriver::Put(WStringView name, const VARIANT& value) const {
    SetProperty(GetIDOfName(name), value);
}

COleVariant COleDispatchDriver::Call(WStringView name, const std::vector<COleVariant>& args) const {
    return InvokeHelper(GetIDOfName(name), DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
}
