#include "platform/automation/collection.h"

IUnknown* CAutoCollection::GetInterface(REFIID iid) {
    if (iid == IID_IEnumVARIANT) return &m_xEnumVARIANT;
    return CCmdTarget::GetInterface(iid);
}

IUnknown* CAutoCollection::GetNewEnum() {
    IUnknown* p = GetControllingUnknown();
    p->AddRef();
    return p;
}

SHORT CAutoCollection::GetItemIndex(const VARIANT& index) {
    COleVariant v;
    HRESULT hr = VariantChangeType(&v, &index, 0, VT_I2);
    if (FAILED(hr)) AfxThrowOleException(hr);
    CheckItemIndex(v.iVal);
    return v.iVal;
}

void CAutoCollection::CheckItemIndex(LONG index) {
    if (index < 0 || index >= EnumCount())
        AfxThrowOleDispatchException(AFX_COLLECTION_BOUNDS_CODE, AFX_COLLECTION_BOUNDS_STRING);
}

CAutoCollection* CAutoCollection::EnumClone() {
    AfxThrowOleException(E_NOTIMPL);
}

HRESULT CAutoCollection::DoNext(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) {
    if (celt > 1 && pCeltFetched == nullptr) return E_INVALIDARG;
    if (pCeltFetched != nullptr) *pCeltFetched = 0;
    if (celt > 0 && rgVar == nullptr) return E_POINTER;
    for (ULONG i = 0; i < celt; ++i) VariantInit(&rgVar[i]);
    ULONG fetched = 0;
    try {
        while (fetched < celt && m_nPosition < EnumCount()) {
            EnumItem(m_nPosition, &rgVar[fetched]);
            ++m_nPosition;
            ++fetched;
        }
    } catch (...) {
        // Nothing handed out on failure.
        for (ULONG i = 0; i < fetched; ++i) VariantClear(&rgVar[i]);
        m_nPosition -= static_cast<LONG>(fetched);
        throw;
    }
    if (pCeltFetched != nullptr) *pCeltFetched = fetched;
    return fetched == celt ? S_OK : S_FALSE;
}

HRESULT CAutoCollection::DoSkip(ULONG celt) {
    LONG count = EnumCount();
    ULONG left = m_nPosition < count ? static_cast<ULONG>(count - m_nPosition) : 0;
    ULONG n = celt < left ? celt : left;
    m_nPosition += static_cast<LONG>(n);
    return n == celt ? S_OK : S_FALSE;
}

HRESULT CAutoCollection::DoClone(IEnumVARIANT** ppEnum) {
    if (ppEnum == nullptr) return E_POINTER;
    *ppEnum = nullptr;
    CAutoCollection* clone = EnumClone();
    if (clone == nullptr) return E_OUTOFMEMORY;
    clone->m_nPosition = m_nPosition;
    *ppEnum = &clone->m_xEnumVARIANT;  // the clone's first reference goes to the caller
    return S_OK;
}

HRESULT CAutoCollection::XEnumVARIANT::QueryInterface(REFIID riid, void** ppv) {
    return m_pOwner->ExternalQueryInterface(riid, ppv);
}
ULONG CAutoCollection::XEnumVARIANT::AddRef() {
    return m_pOwner->ExternalAddRef();
}
ULONG CAutoCollection::XEnumVARIANT::Release() {
    return m_pOwner->ExternalRelease();
}

HRESULT CAutoCollection::XEnumVARIANT::Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) {
    return DualCall(m_pOwner, IID_IEnumVARIANT, [&] { return m_pOwner->DoNext(celt, rgVar, pCeltFetched); });
}
HRESULT CAutoCollection::XEnumVARIANT::Skip(ULONG celt) {
    return DualCall(m_pOwner, IID_IEnumVARIANT, [&] { return m_pOwner->DoSkip(celt); });
}
HRESULT CAutoCollection::XEnumVARIANT::Reset() {
    return DualCall(m_pOwner, IID_IEnumVARIANT, [&] { m_pOwner->m_nPosition = 0; });
}
HRESULT CAutoCollection::XEnumVARIANT::Clone(IEnumVARIANT** ppEnum) {
    return DualCall(m_pOwner, IID_IEnumVARIANT, [&] { return m_pOwner->DoClone(ppEnum); });
}
