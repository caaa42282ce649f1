// Automation values: length-prefixed UTF-16 text (BSTR), safe arrays and the VARIANT, with the
// conversions that the automation objects rely on.
//
// Owner rules, as on Windows: a BSTR or VARIANT handed out through an out-parameter belongs to the
// caller, who frees it (SysFreeString / VariantClear); an [in] argument stays the caller's and the
// callee copies what it keeps. A null BSTR is a valid empty text.
#pragma once

#include <vector>

#include "platform/automation/com.h"
#include "platform/text.h"

// ---- BSTR -----------------------------------------------------------------------------------

BSTR SysAllocString(const OLECHAR* psz);
BSTR SysAllocStringLen(const OLECHAR* pch, UINT cch);  // pch may be null: cch characters, zeroed
BSTR SysAllocStringByteLen(const char* psz, UINT len);
int SysReAllocString(BSTR* pbstr, const OLECHAR* psz);
void SysFreeString(BSTR bstr);
UINT SysStringLen(BSTR bstr);  // in characters; 0 for null
UINT SysStringByteLen(BSTR bstr);

// Project text <-> BSTR. The result of SysAllocStringW belongs to the caller; null when memory ran out.
BSTR SysAllocStringW(WStringView s);
WString BstrToW(BSTR bstr);  // a null BSTR reads as empty

// Owns one BSTR (the ATL spelling).
class CComBSTR {
public:
    BSTR m_str = nullptr;

    CComBSTR() = default;
    explicit CComBSTR(WStringView s);
    explicit CComBSTR(const OLECHAR* psz);
    CComBSTR(const CComBSTR& other);
    CComBSTR(CComBSTR&& other) noexcept : m_str(other.m_str) { other.m_str = nullptr; }
    CComBSTR& operator=(const CComBSTR& other);
    CComBSTR& operator=(CComBSTR&& other) noexcept;
    ~CComBSTR() { SysFreeString(m_str); }

    operator BSTR() const { return m_str; }
    BSTR* operator&() { return &m_str; }  // for out-parameters; the old text must already be gone
    UINT Length() const { return SysStringLen(m_str); }
    WString ToW() const { return BstrToW(m_str); }
    void Attach(BSTR s);
    BSTR Detach();
    BSTR Copy() const;
    void Empty();
};

// ---- SAFEARRAY --------------------------------------------------------------------------------

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

// rgsabound holds the dimensions in the order they were given to SafeArrayCreate (dimension 1 first).
struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
};

constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
constexpr USHORT FADF_BSTR = 0x0100;
constexpr USHORT FADF_UNKNOWN = 0x0200;
constexpr USHORT FADF_DISPATCH = 0x0400;
constexpr USHORT FADF_VARIANT = 0x0800;

// Element types: VT_I2, VT_I4, VT_R4, VT_R8, VT_DATE, VT_BSTR, VT_DISPATCH, VT_ERROR, VT_BOOL,
// VT_VARIANT, VT_UNKNOWN, VT_I1, VT_UI1, VT_UI2, VT_UI4, VT_I8, VT_UI8. Null for any other.
SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, const SAFEARRAYBOUND* rgsabound);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
HRESULT SafeArrayDestroy(SAFEARRAY* psa);  // DISP_E_ARRAYISLOCKED while locked
HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut);
UINT SafeArrayGetDim(SAFEARRAY* psa);
UINT SafeArrayGetElemsize(SAFEARRAY* psa);
HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt);
HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);  // nDim from 1
HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);
// Copies in and out: a BSTR is duplicated, an interface AddRef'd, a VARIANT copied.
HRESULT SafeArrayGetElement(SAFEARRAY* psa, const LONG* rgIndices, void* pv);
HRESULT SafeArrayPutElement(SAFEARRAY* psa, const LONG* rgIndices, const void* pv);
HRESULT SafeArrayLock(SAFEARRAY* psa);
HRESULT SafeArrayUnlock(SAFEARRAY* psa);
HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);

// ---- VARIANT ----------------------------------------------------------------------------------

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

struct tagVARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        signed char cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        LONGLONG* pllVal;
        FLOAT* pfltVal;
        DOUBLE* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        DATE* pdate;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        SAFEARRAY** pparray;
        VARIANT* pvarVal;
        void* byref;
        ULONG* pulVal;
        ULONGLONG* pullVal;
    };
};

// VariantChangeType flags.
constexpr USHORT VARIANT_NOVALUEPROP = 0x01;  // an object does not convert through its default member
constexpr USHORT VARIANT_ALPHABOOL = 0x02;    // booleans to text as "True" / "False" (else "-1" / "0")

void VariantInit(VARIANT* pvarg);
HRESULT VariantClear(VARIANT* pvarg);
HRESULT VariantCopy(VARIANT* pvargDest, const VARIANT* pvargSrc);    // frees pvargDest first
HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANT* pvargSrc);  // follows VT_BYREF
// Conversions to VT_EMPTY, VT_NULL, VT_I2, VT_I4, VT_R4, VT_R8, VT_DATE, VT_BSTR, VT_BOOL, VT_ERROR,
// VT_DISPATCH, VT_UNKNOWN, VT_I1, VT_UI1, VT_UI2, VT_UI4, VT_I8, VT_UI8, VT_INT, VT_UINT; an array
// only to its own type. By-reference sources are followed. pvargDest may equal pvarSrc.
// Errors: DISP_E_TYPEMISMATCH (no such conversion, text that is no number, VT_NULL to a value),
// DISP_E_OVERFLOW (out of the target's range), DISP_E_BADVARTYPE (unknown type).
// Numbers round half to even; text is read and written in the C locale whatever LC_NUMERIC says;
// an object converts through its default member (DISPID_VALUE) unless VARIANT_NOVALUEPROP.
HRESULT VariantChangeType(VARIANT* pvargDest, const VARIANT* pvarSrc, USHORT wFlags, VARTYPE vt);
HRESULT VariantChangeTypeEx(VARIANT* pvargDest, const VARIANT* pvarSrc, LCID lcid, USHORT wFlags, VARTYPE vt);

// The variant that a missing optional argument arrives as.
bool IsMissingArgument(const VARIANT& v);  // VT_ERROR holding DISP_E_PARAMNOTFOUND
// Follows one VT_BYREF|VT_VARIANT level; any other variant is returned as it is.
const VARIANT& VariantDeref(const VARIANT& v);

// Owns one VARIANT (the framework's spelling). Errors of ChangeType are thrown as COleException.
class COleVariant : public tagVARIANT {
public:
    COleVariant() { VariantInit(this); }
    COleVariant(const VARIANT& src);  // NOLINT: copies
    COleVariant(const COleVariant& src);
    COleVariant(COleVariant&& src) noexcept;
    COleVariant& operator=(const VARIANT& src);
    COleVariant& operator=(const COleVariant& src);
    COleVariant& operator=(COleVariant&& src) noexcept;
    ~COleVariant() { VariantClear(this); }

    // vtSrc may be VT_I2 or VT_BOOL (any non-zero value becomes VARIANT_TRUE).
    COleVariant(SHORT nSrc, VARTYPE vtSrc = VT_I2);
    // vtSrc may be VT_I4, VT_ERROR or VT_BOOL.
    COleVariant(LONG lSrc, VARTYPE vtSrc = VT_I4);
    // vtSrc may be VT_R8 or VT_DATE.
    COleVariant(double dblSrc, VARTYPE vtSrc = VT_R8);
    COleVariant(ULONGLONG ullSrc);
    COleVariant(WStringView s);
    COleVariant(const char16_t* psz);
    // The interface is AddRef'd when bAddRef (the variant then owns a reference).
    COleVariant(IDispatch* pdisp, bool bAddRef);
    // Takes over a safe array of the given element type (vt without VT_ARRAY).
    static COleVariant FromSafeArray(SAFEARRAY* psa, VARTYPE vtElement);
    static COleVariant Missing();  // VT_ERROR / DISP_E_PARAMNOTFOUND
    static COleVariant Null();

    void Clear() { VariantClear(this); }
    void Attach(VARIANT& src);                                   // takes over src, which is left empty
    VARIANT Detach();                                            // hands the value over; this is left empty
    void ChangeType(VARTYPE vt, const VARIANT* pSrc = nullptr);  // throws COleException
};

// One-dimensional arrays of text, as the Parameters-style properties pass them.
// The result belongs to the caller; null when memory ran out.
SAFEARRAY* SafeArrayFromStrings(const std::vector<WString>& items);
// Reads a VT_ARRAY|VT_BSTR variant (by reference too) with exactly one dimension, lower bound to
// upper bound. E_INVALIDARG for any other variant, DISP_E_TYPEMISMATCH... is the caller's choice:
// the answer names which test failed.
enum class StringArrayCheck { Ok, NotAnArray, NotStrings, NotOneDimension };
StringArrayCheck ReadStringArray(const VARIANT& v, std::vector<WString>& out);

// The automation boolean rule: TRUE goes out as -1; a put stores TRUE only for -1.
constexpr VARIANT_BOOL ToVariantBool(bool b) {
    return b ? VARIANT_TRUE : VARIANT_FALSE;
}
constexpr BOOL FromVariantBool(long v) {
    return v == VARIANT_TRUE ? TRUE : FALSE;
}
