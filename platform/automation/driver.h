// Late-bound calls through any IDispatch, by dispid or by name (the framework's COleDispatchDriver):
// for tests, plug-ins and the program's own callers of automation objects.
#pragma once

#include <vector>

#include "platform/automation/errors.h"
#include "platform/automation/variant.h"

class COleDispatchDriver {
public:
    IDispatch* m_lpDispatch = nullptr;
    bool m_bAutoRelease = true;

    COleDispatchDriver() = default;
    // Takes over the reference of p (released when bAutoRelease).
    explicit COleDispatchDriver(IDispatch* p, bool bAutoRelease = true);
    COleDispatchDriver(const COleDispatchDriver& other);  // adds its own reference
    COleDispatchDriver& operator=(const COleDispatchDriver& other);
    ~COleDispatchDriver() { ReleaseDispatch(); }

    void AttachDispatch(IDispatch* p, bool bAutoRelease = true);
    IDispatch* DetachDispatch();
    void ReleaseDispatch();

    // The dispid of a member; throws COleException(DISP_E_UNKNOWNNAME) when there is none.
    DISPID GetIDOfName(WStringView name) const;

    // The call's raw answer: args in their natural order (the driver reverses them); a put passes
    // the value as its one argument. pResult and pInfo may be null; pInfo is filled on
    // DISP_E_EXCEPTION and must then be cleared by the caller (ClearExcepInfo).
    HRESULT TryInvoke(DISPID id, WORD wFlags, const std::vector<COleVariant>& args, VARIANT* pResult,
                      EXCEPINFO* pInfo, UINT* puArgErr = nullptr) const;

    // Throwing forms: DISP_E_EXCEPTION becomes the COleDispatchException that the EXCEPINFO
    // describes, any other failure COleException(hr).
    COleVariant InvokeHelper(DISPID id, WORD wFlags, const std::vector<COleVariant>& args = {}) const;
    COleVariant GetProperty(DISPID id) const;
    void SetProperty(DISPID id, const VARIANT& value) const;

    // By name.
    COleVariant Get(WStringView name) const;
    void Put(WStringView name, const VARIANT& value) const;
    COleVariant Call(WStringView name, const std::vector<COleVariant>& args = {}) const;
};
