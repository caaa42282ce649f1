// The automation collection of the program's document windows that are automation objects (the
// Windows property of the application and of a document). The numbering starts at the active
// window: Item(1) and the enumerator's first item are the active window, then the windows after it
// in the main window's order, wrapping round; Count is the number of them all.
#pragma once

#include "platform/automation/automation.h"

// The window layer's list, in the collection's order (the active window first).
class IOpenWindows {
public:
    virtual LONG GetWindowCount() = 0;
    // The window's automation object (not AddRef'd); null for an index without a window.
    virtual CCmdTarget* GetWindowAt(LONG index) = 0;

protected:
    ~IOpenWindows() = default;
};

inline constexpr IID IID_IWindowsDisp = {
    0x6b1f3f22, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
inline constexpr IID IID_IWindows = {
    0x6b1f3f23, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};

// Slots 7-10 after those of IDispatch.
struct IWindows : public IDispatch {
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IUnknown** ppParent) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
    virtual HRESULT Item(VARIANT index, IDispatch** ppWindow) = 0;

protected:
    ~IWindows() = default;
};

class CWindows : public CAutoCollection {
public:
    // The list outlives every collection over it; windowDualIid is the interface Item's dual form
    // hands out.
    CWindows(IOpenWindows* list, const IID& windowDualIid);
    ~CWindows() override;

    // The window at a 1-based index (not AddRef'd): 0 and negative indexes raise E_INVALIDARG,
    // indexes past the end the collection's bounds error.
    CCmdTarget* GetWindow(const VARIANT& index);

    // ---- dispatch members ------------------------------------------------------------------
    LONG GetCount();
    IDispatch* GetApplication();
    IDispatch* Item(const VARIANT& index);

    const CDispatchTable* GetDispatchMap() const override;
    IUnknown* GetInterface(REFIID iid) override;

protected:
    LONG EnumCount() override;
    void EnumItem(LONG index, VARIANT* pItem) override;
    CAutoCollection* EnumClone() override;

    class XWindows : public CDualImpl<CWindows, IWindows, IID_IWindows> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IUnknown** ppParent) override;
        HRESULT get_Count(LONG* pCount) override;
        HRESULT Item(VARIANT index, IDispatch** ppWindow) override;
    } m_xWindows{this};
    CSupportErrorInfoImpl<CWindows, IID_IWindows> m_xSupportErrorInfo{this};
    COleAppLock m_appLock;

    IOpenWindows* m_pList;
    const IID& m_windowDualIid;
};
