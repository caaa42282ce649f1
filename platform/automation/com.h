// The component object model as the automation objects, their clients and the reader plug-in see it:
// result codes, interface identifiers and the basic interfaces in their Windows slot order.
//
// Interfaces are abstract classes whose virtual-function order is the slot order. They never get a
// virtual destructor (it takes two slots under the Itanium ABI) nor overloads (they reorder slots);
// their destructor is protected so nobody deletes through them: objects go with Release().
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/wintypes.h"

// ---- result codes ----------------------------------------------------------------------------

using HRESULT = std::int32_t;
using SCODE = HRESULT;

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}
constexpr HRESULT MAKE_HRESULT(unsigned sev, unsigned fac, unsigned code) {
    return static_cast<HRESULT>((sev << 31) | (fac << 16) | (code & 0xFFFFu));
}
constexpr unsigned SCODE_CODE(HRESULT hr) {
    return static_cast<unsigned>(hr) & 0xFFFFu;
}
constexpr unsigned SCODE_FACILITY(HRESULT hr) {
    return (static_cast<unsigned>(hr) >> 16) & 0x1FFFu;
}

constexpr unsigned FACILITY_NULL = 0;
constexpr unsigned FACILITY_RPC = 1;
constexpr unsigned FACILITY_DISPATCH = 2;
constexpr unsigned FACILITY_ITF = 4;
constexpr unsigned FACILITY_WIN32 = 7;
constexpr HRESULT HRESULT_FROM_WIN32(unsigned err) {
    return err == 0 ? 0 : MAKE_HRESULT(1, FACILITY_WIN32, err);
}

#define CVL_HR(x) static_cast<HRESULT>(x##u)
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = CVL_HR(0x80004001);
constexpr HRESULT E_NOINTERFACE = CVL_HR(0x80004002);
constexpr HRESULT E_POINTER = CVL_HR(0x80004003);
constexpr HRESULT E_ABORT = CVL_HR(0x80004004);
constexpr HRESULT E_FAIL = CVL_HR(0x80004005);
constexpr HRESULT E_UNEXPECTED = CVL_HR(0x8000FFFF);
constexpr HRESULT E_ACCESSDENIED = CVL_HR(0x80070005);
constexpr HRESULT E_HANDLE = CVL_HR(0x80070006);
constexpr HRESULT E_OUTOFMEMORY = CVL_HR(0x8007000E);
constexpr HRESULT E_INVALIDARG = CVL_HR(0x80070057);

constexpr HRESULT DISP_E_UNKNOWNINTERFACE = CVL_HR(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = CVL_HR(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = CVL_HR(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = CVL_HR(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = CVL_HR(0x80020006);
constexpr HRESULT DISP_E_NONAMEDARGS = CVL_HR(0x80020007);
constexpr HRESULT DISP_E_BADVARTYPE = CVL_HR(0x80020008);
constexpr HRESULT DISP_E_EXCEPTION = CVL_HR(0x80020009);
constexpr HRESULT DISP_E_OVERFLOW = CVL_HR(0x8002000A);
constexpr HRESULT DISP_E_BADINDEX = CVL_HR(0x8002000B);
constexpr HRESULT DISP_E_UNKNOWNLCID = CVL_HR(0x8002000C);
constexpr HRESULT DISP_E_ARRAYISLOCKED = CVL_HR(0x8002000D);
constexpr HRESULT DISP_E_BADPARAMCOUNT = CVL_HR(0x8002000E);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = CVL_HR(0x8002000F);
constexpr HRESULT DISP_E_NOTACOLLECTION = CVL_HR(0x80020011);
constexpr HRESULT DISP_E_DIVBYZERO = CVL_HR(0x80020012);
constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = CVL_HR(0x8002802B);
constexpr HRESULT CLASS_E_NOAGGREGATION = CVL_HR(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = CVL_HR(0x80040111);
// The object's owner let it go (a removed record): every further call is refused.
constexpr HRESULT RPC_E_DISCONNECTED = CVL_HR(0x80010108);
constexpr HRESULT RPC_E_WRONG_THREAD = CVL_HR(0x8001010E);
#undef CVL_HR

// ---- identifiers -----------------------------------------------------------------------------

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

constexpr bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}
constexpr bool IsEqualGUID(REFGUID a, REFGUID b) {
    return a == b;
}
constexpr bool IsEqualIID(REFIID a, REFIID b) {
    return a == b;
}
// Total order, so identifiers can key a map.
bool operator<(const GUID& a, const GUID& b);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, as the registry writes them.
std::string GuidToString(REFGUID g);
// Accepts the form above with or without braces, any case. False on anything else.
bool GuidFromString(const std::string& s, GUID& out);

inline constexpr IID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_IUnknown = {
    0x58c8899d, 0x7a76, 0x45a1, {0xb6, 0xa4, 0x04, 0x81, 0x6c, 0x9c, 0xb9, 0x87}};
inline constexpr IID IID_IDispatch = {
    0x40d29efb, 0xee86, 0x4c56, {0xb1, 0x8e, 0x1f, 0x86, 0x77, 0xb2, 0x09, 0x70}};
inline constexpr IID IID_ISupportErrorInfo = {
    0x213d6a7d, 0xab54, 0x4ec4, {0xaf, 0x3c, 0x17, 0x31, 0x2e, 0x8e, 0x20, 0x99}};
inline constexpr IID IID_IErrorInfo = {
    0x3fcd5936, 0xbb5a, 0x4341, {0x94, 0x76, 0x2e, 0x6e, 0xe8, 0x02, 0xe7, 0x6f}};
inline constexpr IID IID_IEnumVARIANT = {
    0x5490db6c, 0x9646, 0x45ca, {0xbe, 0x0f, 0x2e, 0x97, 0x3b, 0x00, 0xcc, 0xbc}};

// ---- automation scalar types -----------------------------------------------------------------

using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;  // length-prefixed, see variant.h
using DISPID = LONG;
using MEMBERID = DISPID;
using LCID = DWORD;
using VARTYPE = USHORT;
using VARIANT_BOOL = SHORT;
using DATE = double;  // days since 30 December 1899, as COleDateTime::m_dt

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr DISPID DISPID_NEWENUM = -4;
constexpr DISPID DISPID_EVALUATE = -5;

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

struct tagVARIANT;
using VARIANT = tagVARIANT;
using VARIANTARG = tagVARIANT;

struct DISPPARAMS {
    VARIANTARG* rgvarg;  // arguments in reverse order: the last argument first
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;  // the dispatch error's code; either it or scode is set, never both
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

// ---- the interfaces --------------------------------------------------------------------------

class ITypeInfo;  // type libraries are not provided: GetTypeInfo answers E_NOTIMPL

// Slots 0-2.
class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

// Slots 3-6.
class IDispatch : public IUnknown {
public:
    virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                  DISPID* rgDispId) = 0;
    virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                           VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) = 0;

protected:
    ~IDispatch() = default;
};

// Slot 3.
class ISupportErrorInfo : public IUnknown {
public:
    virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;

protected:
    ~ISupportErrorInfo() = default;
};

// Slots 3-7.
class IErrorInfo : public IUnknown {
public:
    virtual HRESULT GetGUID(GUID* pGUID) = 0;
    virtual HRESULT GetSource(BSTR* pBstrSource) = 0;
    virtual HRESULT GetDescription(BSTR* pBstrDescription) = 0;
    virtual HRESULT GetHelpFile(BSTR* pBstrHelpFile) = 0;
    virtual HRESULT GetHelpContext(DWORD* pdwHelpContext) = 0;

protected:
    ~IErrorInfo() = default;
};

// Slots 3-6.
class IEnumVARIANT : public IUnknown {
public:
    virtual HRESULT Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) = 0;
    virtual HRESULT Skip(ULONG celt) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumVARIANT** ppEnum) = 0;

protected:
    ~IEnumVARIANT() = default;
};

// QueryInterface with the result typed; the caller owns the reference. Null when not supported.
template <class I>
I* QueryInterfaceAs(IUnknown* p, REFIID iid) {
    void* out = nullptr;
    if (p == nullptr || FAILED(p->QueryInterface(iid, &out))) return nullptr;
    return static_cast<I*>(out);
}
