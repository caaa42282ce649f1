// The record view as an automation object: the dual interface IWindow (caption, geometry,
// visibility and state of the view's window, activation, the application and the page setup) and
// the view's dispatch interface ISheepView. The object is reference-counted apart from the window:
// a client may hold it after the window has gone, and its calls then fail.
#pragma once

#include "platform/automation/automation.h"

class CPageSetup;

inline constexpr IID IID_IWindow = {0x6b1f3f20, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
inline constexpr IID IID_ISheepView = {
    0x6b1f3f21, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};

// Slots 7-27 after those of IDispatch.
struct IWindow : public IDispatch {
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IDispatch** ppParent) = 0;
    virtual HRESULT put_Caption(BSTR caption) = 0;
    virtual HRESULT get_Caption(BSTR* pCaption) = 0;
    virtual HRESULT put_Height(LONG height) = 0;
    virtual HRESULT get_Height(LONG* pHeight) = 0;
    virtual HRESULT get_Index(LONG* pIndex) = 0;
    virtual HRESULT put_Left(LONG left) = 0;
    virtual HRESULT get_Left(LONG* pLeft) = 0;
    virtual HRESULT put_Top(LONG top) = 0;
    virtual HRESULT get_Top(LONG* pTop) = 0;
    virtual HRESULT put_Visible(VARIANT_BOOL visible) = 0;
    virtual HRESULT get_Visible(VARIANT_BOOL* pVisible) = 0;
    virtual HRESULT put_Width(LONG width) = 0;
    virtual HRESULT get_Width(LONG* pWidth) = 0;
    virtual HRESULT put_WindowState(LONG state) = 0;
    virtual HRESULT get_WindowState(LONG* pState) = 0;
    virtual HRESULT Activate() = 0;
    virtual HRESULT get_PageSetup(IDispatch** ppPageSetup) = 0;
    // Kept for its place in the table; always E_NOTIMPL.
    virtual HRESULT Reserved(VARIANT first, VARIANT second, VARIANT third) = 0;
    virtual HRESULT get_View(VARIANT* pView) = 0;

protected:
    ~IWindow() = default;
};

// Window states of WindowState.
constexpr LONG WINDOW_STATE_NORMAL = 1;
constexpr LONG WINDOW_STATE_MAXIMIZED = 2;
constexpr LONG WINDOW_STATE_MINIMIZED = 3;

// Where a window sits: its state, the position it takes when minimized, and its normal rectangle.
struct CWindowGeometry {
    LONG state = WINDOW_STATE_NORMAL;
    bool minPositionSet = false;
    LONG minX = 0, minY = 0;
    LONG left = 0, top = 0, right = 0, bottom = 0;
};

// The window behind the object. The record view implements it with its tab; tests with a double.
class IAutomationWindow {
public:
    virtual WString GetWindowText() = 0;
    virtual void SetWindowText(const WString& text) = 0;
    virtual CWindowGeometry GetGeometry() = 0;
    // False when the window cannot take that geometry (a tab cannot leave its maximized state).
    virtual bool SetGeometry(const CWindowGeometry& geometry) = 0;
    virtual bool IsVisible() = 0;
    virtual void Show(bool show) = 0;
    // 1-based place among the main window's document windows, the active one first; 0 when none.
    virtual LONG GetIndex() = 0;
    virtual void ActivateWindow() = 0;
    // The document's page setup for this window (null when none).
    virtual CPageSetup* GetPageSetup() = 0;

protected:
    ~IAutomationWindow() = default;
};

class CWindowAutomation : public CCmdTarget {
public:
    // Holds one reference for the window, given up with DetachView and ExternalRelease.
    explicit CWindowAutomation(IAutomationWindow* window);
    ~CWindowAutomation() override;

    // The window has gone: every later call fails.
    void DetachView();
    IWindow* GetWindowInterface() { return &m_xWindow; }

    IUnknown* GetInterface(REFIID iid) override;

private:
    IAutomationWindow& Window() const;
    CWindowGeometry NormalGeometry() const;
    void ApplyGeometry(const CWindowGeometry& geometry);

    IAutomationWindow* m_pWindow;

    class XWindow : public CDualImpl<CWindowAutomation, IWindow, IID_IWindow> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IDispatch** ppParent) override;
        HRESULT put_Caption(BSTR caption) override;
        HRESULT get_Caption(BSTR* pCaption) override;
        HRESULT put_Height(LONG height) override;
        HRESULT get_Height(LONG* pHeight) override;
        HRESULT get_Index(LONG* pIndex) override;
        HRESULT put_Left(LONG left) override;
        HRESULT get_Left(LONG* pLeft) override;
        HRESULT put_Top(LONG top) override;
        HRESULT get_Top(LONG* pTop) override;
        HRESULT put_Visible(VARIANT_BOOL visible) override;
        HRESULT get_Visible(VARIANT_BOOL* pVisible) override;
        HRESULT put_Width(LONG width) override;
        HRESULT get_Width(LONG* pWidth) override;
        HRESULT put_WindowState(LONG state) override;
        HRESULT get_WindowState(LONG* pState) override;
        HRESULT Activate() override;
        HRESULT get_PageSetup(IDispatch** ppPageSetup) override;
        HRESULT Reserved(VARIANT first, VARIANT second, VARIANT third) override;
        HRESULT get_View(VARIANT* pView) override;
    } m_xWindow{this};

    // Error information for both of the view's own interfaces.
    class XSupportErrorInfo final : public ISupportErrorInfo {
    public:
        explicit XSupportErrorInfo(CWindowAutomation* owner) : m_pOwner(owner) {}
        HRESULT QueryInterface(REFIID riid, void** ppv) override;
        ULONG AddRef() override;
        ULONG Release() override;
        HRESULT InterfaceSupportsErrorInfo(REFIID riid) override;

    private:
        CWindowAutomation* m_pOwner;
    } m_xSupportErrorInfo{this};
};
