#include "platform/automation/variant.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "platform/automation/errors.h"
#include "platform/oledate.h"

// ---- BSTR -----------------------------------------------------------------------------------
// Layout: a 32-bit byte length, the characters, a terminating 0; the BSTR points at the characters.

namespace {

BSTR AllocBytes(const void* src, UINT byteLen) {
    if (byteLen > std::numeric_limits<UINT>::max() - 8) return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(sizeof(std::uint32_t) + byteLen + sizeof(OLECHAR)));
    if (block == nullptr) return nullptr;
    std::uint32_t len = byteLen;
    std::memcpy(block, &len, sizeof len);
    unsigned char* text = block + sizeof len;
    if (src != nullptr)
        std::memcpy(text, src, byteLen);
    else
        std::memset(text, 0, byteLen);
    text[byteLen] = 0;
    text[byteLen + 1] = 0;
    return reinterpret_cast<BSTR>(text);
}

unsigned char* BlockOf(BSTR s) {
    return reinterpret_cast<unsigned char*>(s) - sizeof(std::uint32_t);
}

}  // namespace

BSTR SysAllocString(const OLECHAR* psz) {
    if (psz == nullptr) return nullptr;
    std::size_t n = std::char_traits<OLECHAR>::length(psz);
    if (n > std::numeric_limits<UINT>::max() / 2 - 8) return nullptr;
    return AllocBytes(psz, static_cast<UINT>(n * sizeof(OLECHAR)));
}

BSTR SysAllocStringLen(const OLECHAR* pch, UINT cch) {
    if (cch > std::numeric_limits<UINT>::max() / 2 - 8) return nullptr;
    return AllocBytes(pch, cch * static_cast<UINT>(sizeof(OLECHAR)));
}

BSTR SysAllocStringByteLen(const char* psz, UINT len) {
    return AllocBytes(psz, len);
}

int SysReAllocString(BSTR* pbstr, const OLECHAR* psz) {
    if (pbstr == nullptr) return FALSE;
    BSTR fresh = SysAllocString(psz);
    if (fresh == nullptr && psz != nullptr) return FALSE;
    SysFreeString(*pbstr);
    *pbstr = fresh;
    return TRUE;
}

void SysFreeString(BSTR bstr) {
    if (bstr != nullptr) std::free(BlockOf(bstr));
}

UINT SysStringByteLen(BSTR bstr) {
    if (bstr == nullptr) return 0;
    std::uint32_t len;
    std::memcpy(&len, BlockOf(bstr), sizeof len);
    return len;
}

UINT SysStringLen(BSTR bstr) {
    return SysStringByteLen(bstr) / static_cast<UINT>(sizeof(OLECHAR));
}

BSTR SysAllocStringW(WStringView s) {
    if (s.size() > std::numeric_limits<UINT>::max() / 4) return nullptr;
    return SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
}

WString BstrToW(BSTR bstr) {
    return bstr == nullptr ? WString() : WString(bstr, SysStringLen(bstr));
}

CComBSTR::CComBSTR(WStringView s) : m_str(SysAllocStringW(s)) {
    if (m_str == nullptr) throw std::bad_alloc();
}
CComBSTR::CComBSTR(const OLECHAR* psz) : m_str(SysAllocString(psz)) {
    if (m_str == nullptr && psz != nullptr) throw std::bad_alloc();
}
CComBSTR::CComBSTR(const CComBSTR& other) : m_str(other.Copy()) {
    if (m_str == nullptr && other.m_str != nullptr) throw std::bad_alloc();
}
CComBSTR& CComBSTR::operator=(const CComBSTR& other) {
    if (this != &other) {
        CComBSTR tmp(other);
        std::swap(m_str, tmp.m_str);
    }
    return *this;
}
CComBSTR& CComBSTR::operator=(CComBSTR&& other) noexcept {
    std::swap(m_str, other.m_str);
    return *this;
}
void CComBSTR::Attach(BSTR s) {
    if (s != m_str) SysFreeString(m_str);
    m_str = s;
}
BSTR CComBSTR::Detach() {
    return std::exchange(m_str, nullptr);
}
BSTR CComBSTR::Copy() const {
    return m_str == nullptr ? nullptr : SysAllocStringLen(m_str, SysStringLen(m_str));
}
void CComBSTR::Empty() {
    SysFreeString(m_str);
    m_str = nullptr;
}

// ---- SAFEARRAY --------------------------------------------------------------------------------
// The element type sits in a 16-byte prefix before the descriptor.

namespace {

constexpr std::size_t kPrefix = 16;

UINT ElementSize(VARTYPE vt) {
    switch (vt) {
        case VT_I1:
        case VT_UI1:
            return 1;
        case VT_I2:
        case VT_UI2:
        case VT_BOOL:
            return 2;
        case VT_I4:
        case VT_UI4:
        case VT_R4:
        case VT_ERROR:
            return 4;
        case VT_R8:
        case VT_DATE:
        case VT_I8:
        case VT_UI8:
            return 8;
        case VT_BSTR:
            return sizeof(BSTR);
        case VT_DISPATCH:
        case VT_UNKNOWN:
            return sizeof(void*);
        case VT_VARIANT:
            return sizeof(VARIANT);
        default:
            return 0;
    }
}

VARTYPE& VartypeOf(SAFEARRAY* psa) {
    return *reinterpret_cast<VARTYPE*>(reinterpret_cast<unsigned char*>(psa) - kPrefix);
}

bool ElementCount(SAFEARRAY* psa, std::size_t& count) {
    count = 1;
    for (UINT d = 0; d < psa->cDims; ++d) {
        std::size_t n = psa->rgsabound[d].cElements;
        if (n != 0 && count > std::numeric_limits<std::size_t>::max() / n) return false;
        count *= n;
    }
    return true;
}

// The element's address, or null when an index is out of bounds.
void* ElementAt(SAFEARRAY* psa, const LONG* rgIndices) {
    std::size_t offset = 0;
    std::size_t stride = 1;
    for (UINT d = 0; d < psa->cDims; ++d) {
        const SAFEARRAYBOUND& b = psa->rgsabound[d];
        long long rel = static_cast<long long>(rgIndices[d]) - b.lLbound;
        if (rel < 0 || rel >= static_cast<long long>(b.cElements)) return nullptr;
        offset += static_cast<std::size_t>(rel) * stride;
        stride *= b.cElements;
    }
    return static_cast<unsigned char*>(psa->pvData) + offset * psa->cbElements;
}

void ReleaseElement(VARTYPE vt, void* p) {
    switch (vt) {
        case VT_BSTR:
            SysFreeString(*static_cast<BSTR*>(p));
            break;
        case VT_DISPATCH:
        case VT_UNKNOWN:
            if (auto* unk = *static_cast<IUnknown**>(p)) unk->Release();
            break;
        case VT_VARIANT:
            VariantClear(static_cast<VARIANT*>(p));
            break;
        default:
            break;
    }
}

// Copies one element from src into the initialised element dst (which is released first).
HRESULT CopyElement(VARTYPE vt, UINT size, void* dst, const void* src) {
    switch (vt) {
        case VT_BSTR: {
            BSTR from = *static_cast<BSTR const*>(src);
            BSTR copy = from == nullptr ? nullptr : SysAllocStringLen(from, SysStringLen(from));
            if (from != nullptr && copy == nullptr) return E_OUTOFMEMORY;
            SysFreeString(*static_cast<BSTR*>(dst));
            *static_cast<BSTR*>(dst) = copy;
            return S_OK;
        }
        case VT_DISPATCH:
        case VT_UNKNOWN: {
            IUnknown* from = *static_cast<IUnknown* const*>(src);
            if (from != nullptr) from->AddRef();
            if (auto* old = *static_cast<IUnknown**>(dst)) old->Release();
            *static_cast<IUnknown**>(dst) = from;
            return S_OK;
        }
        case VT_VARIANT:
            return VariantCopy(static_cast<VARIANT*>(dst), static_cast<const VARIANT*>(src));
        default:
            std::memcpy(dst, src, size);
            return S_OK;
    }
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, const SAFEARRAYBOUND* rgsabound) {
    UINT size = ElementSize(vt);
    if (size == 0 || cDims == 0 || cDims > 64 || rgsabound == nullptr) return nullptr;
    std::size_t header = kPrefix + sizeof(SAFEARRAY) + (cDims - 1) * sizeof(SAFEARRAYBOUND);
    auto* block = static_cast<unsigned char*>(std::calloc(1, header));
    if (block == nullptr) return nullptr;
    auto* psa = reinterpret_cast<SAFEARRAY*>(block + kPrefix);
    VartypeOf(psa) = vt;
    psa->cDims = static_cast<USHORT>(cDims);
    psa->cbElements = size;
    psa->fFeatures = FADF_HAVEVARTYPE | (vt == VT_BSTR       ? FADF_BSTR
                                         : vt == VT_VARIANT  ? FADF_VARIANT
                                         : vt == VT_DISPATCH ? FADF_DISPATCH
                                         : vt == VT_UNKNOWN  ? FADF_UNKNOWN
                                                             : 0);
    for (UINT d = 0; d < cDims; ++d) psa->rgsabound[d] = rgsabound[d];
    std::size_t count;
    if (!ElementCount(psa, count) || count > (std::size_t(1) << 31) / size) {
        std::free(block);
        return nullptr;
    }
    if (count > 0) {
        psa->pvData = std::calloc(count, size);  // all-zero bits: empty texts, null pointers, VT_EMPTY
        if (psa->pvData == nullptr) {
            std::free(block);
            return nullptr;
        }
    }
    return psa;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
    SAFEARRAYBOUND bound{cElements, lLbound};
    return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
    if (psa == nullptr) return S_OK;
    if (psa->cLocks > 0) return DISP_E_ARRAYISLOCKED;
    std::size_t count;
    ElementCount(psa, count);
    VARTYPE vt = VartypeOf(psa);
    auto* data = static_cast<unsigned char*>(psa->pvData);
    if (data != nullptr)
        for (std::size_t i = 0; i < count; ++i) ReleaseElement(vt, data + i * psa->cbElements);
    std::free(psa->pvData);
    std::free(reinterpret_cast<unsigned char*>(psa) - kPrefix);
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
    if (ppsaOut == nullptr) return E_POINTER;
    *ppsaOut = nullptr;
    if (psa == nullptr) return S_OK;
    VARTYPE vt = VartypeOf(psa);
    SAFEARRAY* copy = SafeArrayCreate(vt, psa->cDims, psa->rgsabound);
    if (copy == nullptr) return E_OUTOFMEMORY;
    std::size_t count;
    ElementCount(psa, count);
    for (std::size_t i = 0; i < count; ++i) {
        HRESULT hr =
            CopyElement(vt, psa->cbElements, static_cast<unsigned char*>(copy->pvData) + i * psa->cbElements,
                        static_cast<unsigned char*>(psa->pvData) + i * psa->cbElements);
        if (FAILED(hr)) {
            SafeArrayDestroy(copy);
            return hr;
        }
    }
    *ppsaOut = copy;
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa) {
    return psa == nullptr ? 0 : psa->cDims;
}
UINT SafeArrayGetElemsize(SAFEARRAY* psa) {
    return psa == nullptr ? 0 : psa->cbElements;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
    if (psa == nullptr || pvt == nullptr) return E_INVALIDARG;
    *pvt = VartypeOf(psa);
    return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
    if (psa == nullptr || plLbound == nullptr) return E_INVALIDARG;
    if (nDim < 1 || nDim > psa->cDims) return DISP_E_BADINDEX;
    *plLbound = psa->rgsabound[nDim - 1].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
    if (psa == nullptr || plUbound == nullptr) return E_INVALIDARG;
    if (nDim < 1 || nDim > psa->cDims) return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& b = psa->rgsabound[nDim - 1];
    *plUbound = static_cast<LONG>(static_cast<long long>(b.lLbound) + b.cElements - 1);
    return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, const LONG* rgIndices, void* pv) {
    if (psa == nullptr || rgIndices == nullptr || pv == nullptr) return E_INVALIDARG;
    void* at = ElementAt(psa, rgIndices);
    if (at == nullptr) return DISP_E_BADINDEX;
    VARTYPE vt = VartypeOf(psa);
    // The destination is the caller's uninitialised storage.
    if (vt == VT_VARIANT) VariantInit(static_cast<VARIANT*>(pv));
    if (vt == VT_BSTR || vt == VT_DISPATCH || vt == VT_UNKNOWN) *static_cast<void**>(pv) = nullptr;
    return CopyElement(vt, psa->cbElements, pv, at);
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, const LONG* rgIndices, const void* pv) {
    if (psa == nullptr || rgIndices == nullptr) return E_INVALIDARG;
    VARTYPE vt = VartypeOf(psa);
    if (pv == nullptr && vt != VT_BSTR && vt != VT_DISPATCH && vt != VT_UNKNOWN) return E_INVALIDARG;
    void* at = ElementAt(psa, rgIndices);
    if (at == nullptr) return DISP_E_BADINDEX;
    if (vt == VT_BSTR) {  // the value is the text itself
        BSTR text = static_cast<BSTR>(const_cast<void*>(pv));
        return CopyElement(vt, psa->cbElements, at, &text);
    }
    if (vt == VT_DISPATCH || vt == VT_UNKNOWN) {  // the value is the interface pointer itself
        void* itf = const_cast<void*>(pv);
        return CopyElement(vt, psa->cbElements, at, &itf);
    }
    return CopyElement(vt, psa->cbElements, at, pv);
}

HRESULT SafeArrayLock(SAFEARRAY* psa) {
    if (psa == nullptr) return E_INVALIDARG;
    ++psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa) {
    if (psa == nullptr) return E_INVALIDARG;
    if (psa->cLocks == 0) return E_UNEXPECTED;
    --psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
    if (psa == nullptr || ppvData == nullptr) return E_INVALIDARG;
    SafeArrayLock(psa);
    *ppvData = psa->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) {
    return SafeArrayUnlock(psa);
}

SAFEARRAY* SafeArrayFromStrings(const std::vector<WString>& items) {
    SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(items.size()));
    if (psa == nullptr) return nullptr;
    auto* data = static_cast<BSTR*>(psa->pvData);
    for (std::size_t i = 0; i < items.size(); ++i) {
        data[i] = SysAllocStringW(items[i]);
        if (data[i] == nullptr) {
            SafeArrayDestroy(psa);
            return nullptr;
        }
    }
    return psa;
}

StringArrayCheck ReadStringArray(const VARIANT& value, std::vector<WString>& out) {
    const VARIANT& v = VariantDeref(value);
    SAFEARRAY* psa = nullptr;
    VARTYPE vt = v.vt;
    if (vt & VT_ARRAY) psa = (vt & VT_BYREF) ? (v.pparray ? *v.pparray : nullptr) : v.parray;
    if (!(vt & VT_ARRAY) || psa == nullptr) return StringArrayCheck::NotAnArray;
    if ((vt & VT_TYPEMASK) != VT_BSTR) return StringArrayCheck::NotStrings;
    if (psa->cDims != 1) return StringArrayCheck::NotOneDimension;
    std::vector<WString> items;
    const auto* data = static_cast<const BSTR*>(psa->pvData);
    for (ULONG i = 0; i < psa->rgsabound[0].cElements; ++i) items.push_back(BstrToW(data[i]));
    out = std::move(items);
    return StringArrayCheck::Ok;
}

// ---- VARIANT ----------------------------------------------------------------------------------

namespace {

bool IsKnownType(VARTYPE vt) {
    switch (vt & VT_TYPEMASK) {
        case VT_EMPTY:
        case VT_NULL:
            return (vt & (VT_ARRAY | VT_BYREF)) == 0;
        case VT_VARIANT:
            return (vt & (VT_ARRAY | VT_BYREF)) != 0;
        default:
            return ElementSize(vt & VT_TYPEMASK) != 0 || (vt & VT_TYPEMASK) == VT_INT ||
                   (vt & VT_TYPEMASK) == VT_UINT;
    }
}

}  // namespace

void VariantInit(VARIANT* pvarg) {
    if (pvarg == nullptr) return;
    std::memset(pvarg, 0, sizeof *pvarg);
    pvarg->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* pvarg) {
    if (pvarg == nullptr) return E_INVALIDARG;
    VARTYPE vt = pvarg->vt;
    if (!IsKnownType(vt)) return DISP_E_BADVARTYPE;
    if (!(vt & VT_BYREF)) {
        if (vt & VT_ARRAY) {
            HRESULT hr = SafeArrayDestroy(pvarg->parray);
            if (FAILED(hr)) return hr;
        } else if (vt == VT_BSTR) {
            SysFreeString(pvarg->bstrVal);
        } else if ((vt == VT_DISPATCH || vt == VT_UNKNOWN) && pvarg->punkVal != nullptr) {
            pvarg->punkVal->Release();
        }
    }
    VariantInit(pvarg);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* pvargDest, const VARIANT* pvargSrc) {
    if (pvargDest == nullptr || pvargSrc == nullptr) return E_INVALIDARG;
    if (pvargDest == pvargSrc) return S_OK;
    VARTYPE vt = pvargSrc->vt;
    if (!IsKnownType(vt)) return DISP_E_BADVARTYPE;
    VARIANT copy = *pvargSrc;
    if (!(vt & VT_BYREF)) {
        if (vt & VT_ARRAY) {
            HRESULT hr = SafeArrayCopy(pvargSrc->parray, &copy.parray);
            if (FAILED(hr)) return hr;
        } else if (vt == VT_BSTR && pvargSrc->bstrVal != nullptr) {
            copy.bstrVal = SysAllocStringLen(pvargSrc->bstrVal, SysStringLen(pvargSrc->bstrVal));
            if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
        } else if ((vt == VT_DISPATCH || vt == VT_UNKNOWN) && pvargSrc->punkVal != nullptr) {
            pvargSrc->punkVal->AddRef();
        }
    }
    HRESULT hr = VariantClear(pvargDest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *pvargDest = copy;
    return S_OK;
}

namespace {

// A by-reference variant seen as its value (nothing owned): the caller must not clear it.
bool DerefView(const VARIANT& src, VARIANT& view) {
    if (!(src.vt & VT_BYREF)) {
        view = src;
        return true;
    }
    VARTYPE base = src.vt & ~VT_BYREF;
    VariantInit(&view);
    if (src.byref == nullptr) return false;
    if (base == VT_VARIANT) {
        if (src.pvarVal->vt & VT_BYREF) return DerefView(*src.pvarVal, view);
        view = *src.pvarVal;
        return true;
    }
    view.vt = base;
    if (base & VT_ARRAY) {
        view.parray = *src.pparray;
        return true;
    }
    UINT size = ElementSize(base);
    if (base == VT_INT || base == VT_UINT) size = sizeof(INT);
    if (size == 0) return false;
    std::memcpy(&view.llVal, src.byref, size);
    return true;
}

}  // namespace

HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANT* pvargSrc) {
    if (pvarDest == nullptr || pvargSrc == nullptr) return E_INVALIDARG;
    VARIANT view;
    if (!DerefView(*pvargSrc, view)) return E_INVALIDARG;
    VARIANT copy;
    VariantInit(&copy);
    HRESULT hr = VariantCopy(&copy, &view);
    if (FAILED(hr)) return hr;
    VariantClear(pvarDest);
    *pvarDest = copy;
    return S_OK;
}

bool IsMissingArgument(const VARIANT& v) {
    const VARIANT& d = VariantDeref(v);
    return d.vt == VT_ERROR && d.scode == DISP_E_PARAMNOTFOUND;
}

const VARIANT& VariantDeref(const VARIANT& v) {
    if (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal != nullptr) return *v.pvarVal;
    return v;
}

// ---- VariantChangeType -------------------------------------------------------------------------

namespace {

// A scalar source reduced to a number.
struct Number {
    enum Kind { Int, UInt, Real } kind = Int;
    long long i = 0;
    unsigned long long u = 0;
    double d = 0;

    double AsDouble() const { return kind == Int ? double(i) : kind == UInt ? double(u) : d; }
    bool IsZero() const { return kind == Int ? i == 0 : kind == UInt ? u == 0 : d == 0; }
};

bool IsNumeric(VARTYPE vt) {
    switch (vt) {
        case VT_I1:
        case VT_UI1:
        case VT_I2:
        case VT_UI2:
        case VT_I4:
        case VT_UI4:
        case VT_INT:
        case VT_UINT:
        case VT_I8:
        case VT_UI8:
        case VT_R4:
        case VT_R8:
        case VT_DATE:
        case VT_BOOL:
        case VT_EMPTY:
            return true;
        default:
            return false;
    }
}

Number NumberOf(const VARIANT& v) {
    Number n;
    switch (v.vt) {
        case VT_I1:
            n.i = v.cVal;
            break;
        case VT_UI1:
            n.i = v.bVal;
            break;
        case VT_I2:
            n.i = v.iVal;
            break;
        case VT_BOOL:
            n.i = v.boolVal;
            break;
        case VT_UI2:
            n.i = v.uiVal;
            break;
        case VT_I4:
            n.i = v.lVal;
            break;
        case VT_INT:
            n.i = v.intVal;
            break;
        case VT_UI4:
            n.i = v.ulVal;
            break;
        case VT_UINT:
            n.i = v.uintVal;
            break;
        case VT_I8:
            n.i = v.llVal;
            break;
        case VT_UI8:
            n.kind = Number::UInt;
            n.u = v.ullVal;
            break;
        case VT_R4:
            n.kind = Number::Real;
            n.d = v.fltVal;
            break;
        case VT_R8:
        case VT_DATE:
            n.kind = Number::Real;
            n.d = v.dblVal;
            break;
        default:
            break;  // VT_EMPTY: 0
    }
    return n;
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// A number in the C locale's form: blanks around, a sign, digits with an optional '.' and exponent.
HRESULT ParseNumber(BSTR text, Number& out) {
    WString s = BstrToW(text);
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    std::string ascii;
    for (std::size_t i = b; i < e; ++i) {
        if (s[i] > 0x7F) return DISP_E_TYPEMISMATCH;
        ascii += static_cast<char>(s[i]);
    }
    if (!ascii.empty() && ascii[0] == '+') ascii.erase(0, 1);
    if (ascii.empty() || ascii[0] == '+') return DISP_E_TYPEMISMATCH;
    const char* first = ascii.data();
    const char* last = first + ascii.size();
    long long i;
    if (auto r = std::from_chars(first, last, i); r.ec == std::errc() && r.ptr == last) {
        out.kind = Number::Int;
        out.i = i;
        return S_OK;
    }
    unsigned long long u;
    if (auto r = std::from_chars(first, last, u); r.ec == std::errc() && r.ptr == last) {
        out.kind = Number::UInt;
        out.u = u;
        return S_OK;
    }
    double d;
    auto r = std::from_chars(first, last, d, std::chars_format::general);
    if (r.ptr != last || ascii == "." || ascii == "-.") return DISP_E_TYPEMISMATCH;
    if (r.ec == std::errc::result_out_of_range) return DISP_E_OVERFLOW;
    if (r.ec != std::errc() || !std::isfinite(d)) return DISP_E_TYPEMISMATCH;
    out.kind = Number::Real;
    out.d = d;
    return S_OK;
}

HRESULT ToInteger(const Number& n, long long lo, unsigned long long hi, VARIANT& out, VARTYPE vt) {
    long long si = 0;
    unsigned long long ui = 0;
    bool negative = false;
    if (n.kind == Number::Real) {
        if (!std::isfinite(n.d)) return DISP_E_OVERFLOW;
        double r = std::nearbyint(n.d);  // half to even in the default rounding mode
        if (r < double(lo) || r >= double(hi) + 1.0) return DISP_E_OVERFLOW;
        if (r < 0) {
            negative = true;
            si = static_cast<long long>(r);
        } else {
            ui = static_cast<unsigned long long>(r);
        }
    } else if (n.kind == Number::UInt) {
        ui = n.u;
    } else if (n.i < 0) {
        negative = true;
        si = n.i;
    } else {
        ui = static_cast<unsigned long long>(n.i);
    }
    if (negative ? si < lo : ui > hi) return DISP_E_OVERFLOW;
    long long value = negative ? si : static_cast<long long>(ui);
    out.vt = vt;
    switch (vt) {
        case VT_I1:
            out.cVal = static_cast<signed char>(value);
            break;
        case VT_UI1:
            out.bVal = static_cast<BYTE>(value);
            break;
        case VT_I2:
            out.iVal = static_cast<SHORT>(value);
            break;
        case VT_UI2:
            out.uiVal = static_cast<USHORT>(value);
            break;
        case VT_I4:
            out.lVal = static_cast<LONG>(value);
            break;
        case VT_INT:
            out.intVal = static_cast<INT>(value);
            break;
        case VT_UI4:
            out.ulVal = static_cast<ULONG>(value);
            break;
        case VT_UINT:
            out.uintVal = static_cast<UINT>(value);
            break;
        case VT_I8:
            out.llVal = value;
            break;
        case VT_UI8:
            out.ullVal = ui;
            break;
        case VT_ERROR:
            out.scode = static_cast<SCODE>(value);
            break;
        default:
            return DISP_E_BADVARTYPE;
    }
    return S_OK;
}

WString NumberText(const Number& n, VARTYPE from) {
    char buf[64];
    std::to_chars_result r{};
    if (n.kind == Number::Int)
        r = std::to_chars(buf, buf + sizeof buf, n.i);
    else if (n.kind == Number::UInt)
        r = std::to_chars(buf, buf + sizeof buf, n.u);
    else if (from == VT_R4)
        r = std::to_chars(buf, buf + sizeof buf, static_cast<float>(n.d), std::chars_format::general, 7);
    else
        r = std::to_chars(buf, buf + sizeof buf, n.d, std::chars_format::general, 15);
    std::string s(buf, r.ptr);
    for (char& c : s)
        if (c == 'e') c = 'E';
    if (s == "-0") s = "0";
    return Utf8ToW(s);
}

WString DateText(DATE d) {
    COleDateTime dt(d);
    double whole = std::trunc(d);
    bool hasTime = d != whole;
    if (!hasTime) return dt.Format("%x");
    if (whole == 0) return dt.Format("%X");
    return dt.Format("%x %X");
}

constexpr double kMinDate = -657434.0;         // 1 January 100
constexpr double kMaxDate = 2958465.99999999;  // 31 December 9999, 23:59:59

HRESULT StoreBstrValue(VARIANT& out, WStringView s) {
    out.bstrVal = SysAllocStringW(s);
    if (out.bstrVal == nullptr) return E_OUTOFMEMORY;
    out.vt = VT_BSTR;
    return S_OK;
}

HRESULT Coerce(VARIANT& out, const VARIANT& src, LCID lcid, USHORT flags, VARTYPE vt);

HRESULT CoerceObject(VARIANT& out, const VARIANT& src, LCID lcid, USHORT flags, VARTYPE vt) {
    IUnknown* unk = src.punkVal;
    if (vt == VT_DISPATCH || vt == VT_UNKNOWN) {
        if (unk == nullptr) {
            out.vt = vt;
            out.punkVal = nullptr;
            return S_OK;
        }
        void* p = nullptr;
        HRESULT hr = unk->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, &p);
        if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
        out.vt = vt;
        out.punkVal = static_cast<IUnknown*>(p);
        return S_OK;
    }
    if (src.vt != VT_DISPATCH || unk == nullptr || (flags & VARIANT_NOVALUEPROP)) return DISP_E_TYPEMISMATCH;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT value;
    VariantInit(&value);
    EXCEPINFO info{};
    HRESULT hr = src.pdispVal->Invoke(DISPID_VALUE, IID_NULL, lcid, DISPATCH_PROPERTYGET, &none, &value,
                                      &info, nullptr);
    ClearExcepInfo(&info);
    if (FAILED(hr)) {
        VariantClear(&value);
        return DISP_E_TYPEMISMATCH;
    }
    hr = Coerce(out, value, lcid, flags | VARIANT_NOVALUEPROP, vt);
    VariantClear(&value);
    return hr;
}

HRESULT Coerce(VARIANT& out, const VARIANT& src, LCID lcid, USHORT flags, VARTYPE vt) {
    VARTYPE from = src.vt;
    if (from == vt) return VariantCopy(&out, &src);
    if ((from & VT_ARRAY) || (vt & VT_ARRAY)) return DISP_E_TYPEMISMATCH;
    if (vt == VT_EMPTY) {
        out.vt = VT_EMPTY;
        return S_OK;
    }
    if (from == VT_DISPATCH || from == VT_UNKNOWN || vt == VT_DISPATCH || vt == VT_UNKNOWN) {
        if (from != VT_DISPATCH && from != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
        return CoerceObject(out, src, lcid, flags, vt);
    }
    if (from == VT_NULL || vt == VT_NULL) return DISP_E_TYPEMISMATCH;
    if (from == VT_ERROR) {
        if (vt != VT_I4) return DISP_E_TYPEMISMATCH;
        out.vt = VT_I4;
        out.lVal = src.scode;
        return S_OK;
    }

    // Text targets.
    if (vt == VT_BSTR) {
        if (from == VT_EMPTY) return StoreBstrValue(out, u"");
        if (from == VT_BOOL) {
            bool t = src.boolVal != 0;
            if (flags & VARIANT_ALPHABOOL) return StoreBstrValue(out, t ? u"True" : u"False");
            return StoreBstrValue(out, t ? u"-1" : u"0");
        }
        if (from == VT_DATE) return StoreBstrValue(out, DateText(src.date));
        if (!IsNumeric(from)) return DISP_E_BADVARTYPE;
        return StoreBstrValue(out, NumberText(NumberOf(src), from));
    }

    // Number targets: read the source as a number first.
    Number n;
    if (from == VT_BSTR) {
        if (vt == VT_DATE) {
            COleDateTime dt;
            if (!dt.ParseDateTime(BstrToW(src.bstrVal)) || dt.GetStatus() != COleDateTime::valid)
                return DISP_E_TYPEMISMATCH;
            out.vt = VT_DATE;
            out.date = dt.m_dt;
            return S_OK;
        }
        if (vt == VT_BOOL) {
            WString t = Trim(BstrToW(src.bstrVal));
            if (EqualsNoCase(t, u"True") || EqualsNoCase(t, u"#TRUE#")) {
                out.vt = VT_BOOL;
                out.boolVal = VARIANT_TRUE;
                return S_OK;
            }
            if (EqualsNoCase(t, u"False") || EqualsNoCase(t, u"#FALSE#")) {
                out.vt = VT_BOOL;
                out.boolVal = VARIANT_FALSE;
                return S_OK;
            }
        }
        HRESULT hr = ParseNumber(src.bstrVal, n);
        if (FAILED(hr)) return hr;
    } else if (IsNumeric(from)) {
        n = NumberOf(src);
    } else {
        return DISP_E_BADVARTYPE;
    }

    switch (vt) {
        case VT_BOOL:
            out.vt = VT_BOOL;
            out.boolVal = n.IsZero() ? VARIANT_FALSE : VARIANT_TRUE;
            return S_OK;
        case VT_R8:
            out.vt = VT_R8;
            out.dblVal = n.AsDouble();
            return S_OK;
        case VT_R4: {
            double d = n.AsDouble();
            if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()) return DISP_E_OVERFLOW;
            out.vt = VT_R4;
            out.fltVal = static_cast<float>(d);
            return S_OK;
        }
        case VT_DATE: {
            double d = n.AsDouble();
            if (!(d >= kMinDate && d <= kMaxDate)) return DISP_E_OVERFLOW;
            out.vt = VT_DATE;
            out.date = d;
            return S_OK;
        }
        case VT_I1:
            return ToInteger(n, -128, 127, out, vt);
        case VT_UI1:
            return ToInteger(n, 0, 255, out, vt);
        case VT_I2:
            return ToInteger(n, -32768, 32767, out, vt);
        case VT_UI2:
            return ToInteger(n, 0, 65535, out, vt);
        case VT_I4:
        case VT_INT:
        case VT_ERROR:
            return ToInteger(n, INT32_MIN, INT32_MAX, out, vt);
        case VT_UI4:
        case VT_UINT:
            return ToInteger(n, 0, UINT32_MAX, out, vt);
        case VT_I8:
            return ToInteger(n, INT64_MIN, INT64_MAX, out, vt);
        case VT_UI8:
            return ToInteger(n, 0, UINT64_MAX, out, vt);
        default:
            return DISP_E_BADVARTYPE;
    }
}

}  // namespace

HRESULT VariantChangeTypeEx(VARIANT* pvargDest, const VARIANT* pvarSrc, LCID lcid, USHORT wFlags,
                            VARTYPE vt) {
    if (pvargDest == nullptr || pvarSrc == nullptr) return E_INVALIDARG;
    if ((vt & VT_BYREF) || !IsKnownType(vt) || !IsKnownType(pvarSrc->vt)) return DISP_E_BADVARTYPE;
    VARIANT view;
    if (!DerefView(*pvarSrc, view)) return DISP_E_TYPEMISMATCH;
    VARIANT out;
    VariantInit(&out);
    HRESULT hr = Coerce(out, view, lcid, wFlags, vt);
    if (FAILED(hr)) {
        VariantClear(&out);
        return hr;
    }
    VariantClear(pvargDest);
    *pvargDest = out;
    return S_OK;
}

HRESULT VariantChangeType(VARIANT* pvargDest, const VARIANT* pvarSrc, USHORT wFlags, VARTYPE vt) {
    return VariantChangeTypeEx(pvargDest, pvarSrc, LOCALE_USER_DEFAULT, wFlags, vt);
}

// ---- COleVariant ---------------------------------------------------------------------------------

namespace {
void CheckCopy(HRESULT hr) {
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
    if (FAILED(hr)) AfxThrowOleException(hr);
}
}  // namespace

COleVariant::COleVariant(const VARIANT& src) {
    VariantInit(this);
    CheckCopy(VariantCopy(this, &src));
}
COleVariant::COleVariant(const COleVariant& src) : COleVariant(static_cast<const VARIANT&>(src)) {}
COleVariant::COleVariant(COleVariant&& src) noexcept : tagVARIANT(src) {
    VariantInit(&src);
}
COleVariant& COleVariant::operator=(const VARIANT& src) {
    CheckCopy(VariantCopy(this, &src));
    return *this;
}
COleVariant& COleVariant::operator=(const COleVariant& src) {
    return *this = static_cast<const VARIANT&>(src);
}
COleVariant& COleVariant::operator=(COleVariant&& src) noexcept {
    if (this != &src) {
        VariantClear(this);
        static_cast<tagVARIANT&>(*this) = src;
        VariantInit(&src);
    }
    return *this;
}

COleVariant::COleVariant(SHORT nSrc, VARTYPE vtSrc) {
    VariantInit(this);
    vt = vtSrc == VT_BOOL ? VT_BOOL : VT_I2;
    iVal = vt == VT_BOOL ? (nSrc ? VARIANT_TRUE : VARIANT_FALSE) : nSrc;
}
COleVariant::COleVariant(LONG lSrc, VARTYPE vtSrc) {
    VariantInit(this);
    if (vtSrc == VT_BOOL) {
        vt = VT_BOOL;
        boolVal = lSrc ? VARIANT_TRUE : VARIANT_FALSE;
    } else {
        vt = vtSrc == VT_ERROR ? VT_ERROR : VT_I4;
        lVal = lSrc;
    }
}
COleVariant::COleVariant(double dblSrc, VARTYPE vtSrc) {
    VariantInit(this);
    vt = vtSrc == VT_DATE ? VT_DATE : VT_R8;
    dblVal = dblSrc;
}
COleVariant::COleVariant(ULONGLONG ullSrc) {
    VariantInit(this);
    vt = VT_UI8;
    ullVal = ullSrc;
}
COleVariant::COleVariant(WStringView s) {
    VariantInit(this);
    bstrVal = SysAllocStringW(s);
    if (bstrVal == nullptr) throw std::bad_alloc();
    vt = VT_BSTR;
}
COleVariant::COleVariant(const char16_t* psz) : COleVariant(WStringView(psz ? psz : u"")) {}
COleVariant::COleVariant(IDispatch* pdisp, bool bAddRef) {
    VariantInit(this);
    vt = VT_DISPATCH;
    pdispVal = pdisp;
    if (bAddRef && pdisp != nullptr) pdisp->AddRef();
}

COleVariant COleVariant::FromSafeArray(SAFEARRAY* psa, VARTYPE vtElement) {
    COleVariant v;
    v.vt = VT_ARRAY | vtElement;
    v.parray = psa;
    return v;
}

COleVariant COleVariant::Missing() {
    return COleVariant(static_cast<LONG>(DISP_E_PARAMNOTFOUND), VT_ERROR);
}

COleVariant COleVariant::Null() {
    COleVariant v;
    v.vt = VT_NULL;
    return v;
}

void COleVariant::Attach(VARIANT& src) {
    VariantClear(this);
    static_cast<tagVARIANT&>(*this) = src;
    VariantInit(&src);
}

VARIANT COleVariant::Detach() {
    VARIANT out = *this;
    VariantInit(this);
    return out;
}

void COleVariant::ChangeType(VARTYPE vtNew, const VARIANT* pSrc) {
    HRESULT hr = VariantChangeType(this, pSrc ? pSrc : this, 0, vtNew);
    if (FAILED(hr)) AfxThrowOleException(hr);
}
