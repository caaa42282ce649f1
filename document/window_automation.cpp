#include "document/window_automation.h"

#include "document/page_setup.h"

namespace {

const char16_t kNotNormal[] = u"The window is not in its normal state.";
const char16_t kStateRefused[] = u"The window cannot take that state.";
const char16_t kNotReference[] = u"View needs a variant that refers to an object.";

template <class T>
void CheckOut(T* p) {
    if (p == nullptr) AfxThrowOleException(E_POINTER);
}

}  // namespace

CWindowAutomation::CWindowAutomation(IAutomationWindow* window) : m_pWindow(window) {
    EnableAutomation();
}

CWindowAutomation::~CWindowAutomation() = default;

void CWindowAutomation::DetachView() {
    m_pWindow = nullptr;
    MarkDetached();
}

IUnknown* CWindowAutomation::GetInterface(REFIID iid) {
    if (iid == IID_IWindow) return &m_xWindow;
    // The view's dispatch interface is the object's IDispatch.
    if (iid == IID_ISheepView) return &m_xDispatch;
    if (iid == IID_ISupportErrorInfo) return &m_xSupportErrorInfo;
    return CCmdTarget::GetInterface(iid);
}

IAutomationWindow& CWindowAutomation::Window() const {
    if (!m_pWindow) ThrowIfDetached();
    return *m_pWindow;
}

CWindowGeometry CWindowAutomation::NormalGeometry() const {
    CWindowGeometry geometry = Window().GetGeometry();
    if (geometry.state != WINDOW_STATE_NORMAL) AfxThrowOleDispatchExceptionSc(E_FAIL, kNotNormal);
    return geometry;
}

void CWindowAutomation::ApplyGeometry(const CWindowGeometry& geometry) {
    if (!Window().SetGeometry(geometry)) AfxThrowOleDispatchExceptionSc(E_FAIL, kStateRefused);
}

// ---- IWindow ------------------------------------------------------------------------------------

HRESULT CWindowAutomation::XWindow::get_Application(IDispatch** ppApplication) {
    return Dual([&]() -> HRESULT {
        CheckOut(ppApplication);
        return AfxOleGetApplicationDual(reinterpret_cast<void**>(ppApplication));
    });
}

HRESULT CWindowAutomation::XWindow::get_Parent(IDispatch** ppParent) {
    return get_Application(ppParent);
}

HRESULT CWindowAutomation::XWindow::put_Caption(BSTR caption) {
    return Dual([&] { This()->Window().SetWindowText(BstrToW(caption)); });
}

HRESULT CWindowAutomation::XWindow::get_Caption(BSTR* pCaption) {
    return Dual([&] {
        CheckOut(pCaption);
        *pCaption = AllocBstrOrThrow(This()->Window().GetWindowText());
    });
}

HRESULT CWindowAutomation::XWindow::put_Height(LONG height) {
    return Dual([&] {
        CWindowGeometry geometry = This()->Window().GetGeometry();
        geometry.bottom = geometry.top + height;
        This()->ApplyGeometry(geometry);
    });
}

HRESULT CWindowAutomation::XWindow::get_Height(LONG* pHeight) {
    return Dual([&] {
        CheckOut(pHeight);
        const CWindowGeometry geometry = This()->Window().GetGeometry();
        *pHeight = geometry.bottom - geometry.top;
    });
}

HRESULT CWindowAutomation::XWindow::get_Index(LONG* pIndex) {
    return Dual([&] {
        CheckOut(pIndex);
        *pIndex = This()->Window().GetIndex();
    });
}

HRESULT CWindowAutomation::XWindow::put_Left(LONG left) {
    return Dual([&] {
        CWindowGeometry geometry = This()->Window().GetGeometry();
        if (geometry.state == WINDOW_STATE_NORMAL)
            geometry.left = left;
        else if (geometry.state == WINDOW_STATE_MINIMIZED && geometry.minPositionSet)
            geometry.minX = left;
        This()->ApplyGeometry(geometry);
    });
}

HRESULT CWindowAutomation::XWindow::get_Left(LONG* pLeft) {
    return Dual([&] {
        CheckOut(pLeft);
        const CWindowGeometry geometry = This()->Window().GetGeometry();
        if (geometry.state == WINDOW_STATE_NORMAL)
            *pLeft = geometry.left;
        else if (geometry.state == WINDOW_STATE_MINIMIZED && geometry.minPositionSet)
            *pLeft = geometry.minX;
        else
            AfxThrowOleDispatchExceptionSc(E_FAIL, kNotNormal);
    });
}

HRESULT CWindowAutomation::XWindow::put_Top(LONG top) {
    return Dual([&] {
        CWindowGeometry geometry = This()->NormalGeometry();
        geometry.top = top;
        This()->ApplyGeometry(geometry);
    });
}

HRESULT CWindowAutomation::XWindow::get_Top(LONG* pTop) {
    return Dual([&] {
        CheckOut(pTop);
        *pTop = This()->NormalGeometry().top;
    });
}

HRESULT CWindowAutomation::XWindow::put_Visible(VARIANT_BOOL visible) {
    return Dual([&] { This()->Window().Show(visible != 0); });
}

HRESULT CWindowAutomation::XWindow::get_Visible(VARIANT_BOOL* pVisible) {
    return Dual([&] {
        CheckOut(pVisible);
        *pVisible = This()->Window().IsVisible() ? 1 : 0;
    });
}

HRESULT CWindowAutomation::XWindow::put_Width(LONG width) {
    return Dual([&] {
        CWindowGeometry geometry = This()->NormalGeometry();
        geometry.right = geometry.left + width;
        This()->ApplyGeometry(geometry);
    });
}

HRESULT CWindowAutomation::XWindow::get_Width(LONG* pWidth) {
    return Dual([&] {
        CheckOut(pWidth);
        const CWindowGeometry geometry = This()->NormalGeometry();
        *pWidth = geometry.right - geometry.left;
    });
}

HRESULT CWindowAutomation::XWindow::put_WindowState(LONG state) {
    return Dual([&] {
        CWindowGeometry geometry = This()->Window().GetGeometry();
        if (state >= WINDOW_STATE_NORMAL && state <= WINDOW_STATE_MINIMIZED) geometry.state = state;
        This()->ApplyGeometry(geometry);
    });
}

HRESULT CWindowAutomation::XWindow::get_WindowState(LONG* pState) {
    return Dual([&] {
        CheckOut(pState);
        const LONG state = This()->Window().GetGeometry().state;
        *pState = state == WINDOW_STATE_MAXIMIZED || state == WINDOW_STATE_MINIMIZED ? state : WINDOW_STATE_NORMAL;
    });
}

HRESULT CWindowAutomation::XWindow::Activate() {
    return Dual([&] { This()->Window().ActivateWindow(); });
}

HRESULT CWindowAutomation::XWindow::get_PageSetup(IDispatch** ppPageSetup) {
    return Dual([&]() -> HRESULT {
        CheckOut(ppPageSetup);
        *ppPageSetup = nullptr;
        CPageSetup* setup = This()->Window().GetPageSetup();
        if (!setup) AfxThrowOleDispatchExceptionSc(E_FAIL, u"The window has no page setup.");
        return setup->ExternalQueryInterface(IID_IPageSetup, reinterpret_cast<void**>(ppPageSetup));
    });
}

HRESULT CWindowAutomation::XWindow::Reserved(VARIANT, VARIANT, VARIANT) {
    return Dual([]() -> HRESULT { return E_NOTIMPL; });
}

HRESULT CWindowAutomation::XWindow::get_View(VARIANT* pView) {
    return Dual([&] {
        CheckOut(pView);
        // The caller's variant names where the interface goes.
        if (!(pView->vt & VT_BYREF) || pView->ppdispVal == nullptr)
            AfxThrowOleDispatchExceptionSc(E_INVALIDARG, kNotReference);
        IDispatch* view = nullptr;
        const HRESULT hr = This()->ExternalQueryInterface(IID_ISheepView, reinterpret_cast<void**>(&view));
        if (FAILED(hr)) AfxThrowOleException(hr);
        IDispatch* previous = *pView->ppdispVal;
        pView->vt = VARTYPE(VT_DISPATCH | VT_BYREF);
        *pView->ppdispVal = view;
        if (previous) previous->Release();
    });
}

// ---- ISupportErrorInfo --------------------------------------------------------------------------

HRESULT CWindowAutomation::XSupportErrorInfo::QueryInterface(REFIID riid, void** ppv) {
    return m_pOwner->ExternalQueryInterface(riid, ppv);
}

ULONG CWindowAutomation::XSupportErrorInfo::AddRef() {
    return m_pOwner->ExternalAddRef();
}

ULONG CWindowAutomation::XSupportErrorInfo::Release() {
    return m_pOwner->ExternalRelease();
}

HRESULT CWindowAutomation::XSupportErrorInfo::InterfaceSupportsErrorInfo(REFIID riid) {
    return riid == IID_IWindow || riid == IID_ISheepView ? S_OK : S_FALSE;
}
