// Automation collections that are their own enumerators: _NewEnum hands out the collection object,
// whose IEnumVARIANT shares one position with every client of that object.
#pragma once

#include "platform/automation/cmdtarget.h"

class CAutoCollection : public CCmdTarget {
public:
    CAutoCollection() = default;
    CAutoCollection(const CAutoCollection& other) : CCmdTarget(other), m_nPosition(other.m_nPosition) {}

    IUnknown* GetInterface(REFIID iid) override;

    // The collection object itself, for _NewEnum (dispatch: VT_UNKNOWN; dual: its IUnknown).
    IUnknown* GetNewEnum();

    // The Item/Delete index rule: the index converted to a 16-bit integer (a variant that does not
    // convert raises the conversion's error as COleException) and checked against EnumCount()
    // (out of range: dispatch error 5, "The bounds of a collection have been exceeded", string 110).
    SHORT GetItemIndex(const VARIANT& index);
    void CheckItemIndex(LONG index);

    LONG GetPosition() const { return m_nPosition; }

protected:
    // The number of elements, and one element as Next hands it out (as a rule a VT_DISPATCH with a
    // new reference). index is in 0..EnumCount()-1.
    virtual LONG EnumCount() = 0;
    virtual void EnumItem(LONG index, VARIANT* pItem) = 0;
    // A new collection object of the same class over the same owner (one reference for the caller);
    // the base copies the position. Null when it cannot be made (E_OUTOFMEMORY). The base refuses
    // with E_NOTIMPL: only the classes that allow Clone override it.
    virtual CAutoCollection* EnumClone();

    LONG m_nPosition = 0;

    class XEnumVARIANT final : public IEnumVARIANT {
    public:
        explicit XEnumVARIANT(CAutoCollection* owner) : m_pOwner(owner) {}
        HRESULT QueryInterface(REFIID riid, void** ppv) override;
        ULONG AddRef() override;
        ULONG Release() override;
        HRESULT Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) override;
        HRESULT Skip(ULONG celt) override;
        HRESULT Reset() override;
        HRESULT Clone(IEnumVARIANT** ppEnum) override;
        CAutoCollection* m_pOwner;
    };
    XEnumVARIANT m_xEnumVARIANT{this};

private:
    HRESULT DoNext(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched);
    HRESULT DoSkip(ULONG celt);
    HRESULT DoClone(IEnumVARIANT** ppEnum);
};

// The index string and code of a collection's bounds error.
constexpr WORD AFX_COLLECTION_BOUNDS_CODE = 5;
constexpr UINT AFX_COLLECTION_BOUNDS_STRING = 110;
