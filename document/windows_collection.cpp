#include "document/windows_collection.h"

CWindows::CWindows(IOpenWindows* list, const IID& windowDualIid)
    : m_pList(list), m_windowDualIid(windowDualIid) {
    EnableAutomation();
}

CWindows::~CWindows() = default;

CCmdTarget* CWindows::GetWindow(const VARIANT& index) {
    COleVariant number;
    const HRESULT hr = VariantChangeType(&number, &VariantDeref(index), 0, VT_I4);
    if (FAILED(hr)) AfxThrowOleException(hr);
    if (number.lVal <= 0) AfxThrowInvalidArgException();
    CheckItemIndex(number.lVal - 1);
    CCmdTarget* window = m_pList->GetWindowAt(number.lVal - 1);
    if (!window) AfxThrowOleException(E_UNEXPECTED);
    return window;
}

LONG CWindows::GetCount() {
    return m_pList->GetWindowCount();
}

IDispatch* CWindows::GetApplication() {
    return AfxOleGetApplicationDispatch();
}

IDispatch* CWindows::Item(const VARIANT& index) {
    return GetWindow(index)->GetIDispatch(true);
}

LONG CWindows::EnumCount() {
    return m_pList->GetWindowCount();
}

void CWindows::EnumItem(LONG index, VARIANT* pItem) {
    CCmdTarget* window = m_pList->GetWindowAt(index);
    if (!window) AfxThrowOleException(E_UNEXPECTED);
    pItem->vt = VT_DISPATCH;
    pItem->pdispVal = window->GetIDispatch(true);
}

CAutoCollection* CWindows::EnumClone() {
    return new CWindows(m_pList, m_windowDualIid);
}

const CDispatchTable* CWindows::GetDispatchMap() const {
    static const CDispatchTable table{
        DispProperty<VT_I4, &CWindows::GetCount>(u"Count"),
        DispProperty<VT_DISPATCH, &CWindows::GetApplication>(u"Parent"),
        DispProperty<VT_DISPATCH, &CWindows::GetApplication>(u"Application"),
        DispMethod<VT_DISPATCH, &CWindows::Item, VT_VARIANT>(u"Item"),
        DispDefValue(u"Item"),
        DispProperty<VT_UNKNOWN, &CWindows::GetNewEnum>(u"_NewEnum", DISPID_NEWENUM),
    };
    return &table;
}

IUnknown* CWindows::GetInterface(REFIID iid) {
    if (iid == IID_IWindowsDisp) return &m_xDispatch;
    if (iid == IID_IWindows) return &m_xWindows;
    if (iid == IID_ISupportErrorInfo) return &m_xSupportErrorInfo;
    return CAutoCollection::GetInterface(iid);
}

HRESULT CWindows::XWindows::get_Application(IDispatch** ppApplication) {
    if (!ppApplication) return E_POINTER;
    *ppApplication = nullptr;
    return Dual([&] { return AfxOleGetApplicationDual(reinterpret_cast<void**>(ppApplication)); });
}

HRESULT CWindows::XWindows::get_Parent(IUnknown** ppParent) {
    if (!ppParent) return E_POINTER;
    *ppParent = nullptr;
    return Dual([&] {
        IUnknown* self = This()->GetControllingUnknown();
        self->AddRef();
        *ppParent = self;
    });
}

HRESULT CWindows::XWindows::get_Count(LONG* pCount) {
    if (!pCount) return E_POINTER;
    return Dual([&] { *pCount = This()->GetCount(); });
}

HRESULT CWindows::XWindows::Item(VARIANT index, IDispatch** ppWindow) {
    if (!ppWindow) return E_POINTER;
    *ppWindow = nullptr;
    return Dual([&]() -> HRESULT {
        return This()->GetWindow(index)->ExternalQueryInterface(This()->m_windowDualIid,
                                                               reinterpret_cast<void**>(ppWindow));
    });
}
