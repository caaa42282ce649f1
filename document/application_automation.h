// The automation Application object (Dedov.Application.1): the root of the object model that every
// record's Application and Parent reach. It is GUI-free: what it needs of the main window and the
// program comes through IApplicationSite, which the shell implements.
#pragma once

#include <vector>

#include "platform/automation/automation.h"
#include "platform/text.h"

class IOpenDocuments;

inline constexpr IID IID_IApplicationDisp = {
    0x6b1f3b00, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
inline constexpr IID IID_IApplication = {
    0x6b1f3b01, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
inline constexpr CLSID CLSID_Application = {
    0x6b1f3b02, 0x2c4e, 0x4d1a, {0x9e, 0x21, 0x5a, 0x70, 0x13, 0xc4, 0x8b, 0x01}};
inline constexpr const char16_t kApplicationProgId[] = u"Dedov.Application.1";

// Slots 7-29 after those of IDispatch. The reader plug-in calls them by number: the order is fixed.
struct IApplication : public IDispatch {
    virtual HRESULT get_Name(BSTR* pName) = 0;
    virtual HRESULT put_Caption(BSTR caption) = 0;
    virtual HRESULT get_Caption(BSTR* pCaption) = 0;
    virtual HRESULT get_Application(IDispatch** ppApplication) = 0;
    virtual HRESULT get_Parent(IDispatch** ppParent) = 0;
    virtual HRESULT get_ActiveDocument(IDispatch** ppDocument) = 0;
    virtual HRESULT get_Documents(IDispatch** ppDocuments) = 0;
    virtual HRESULT get_FullName(BSTR* pFullName) = 0;
    virtual HRESULT put_Visible(VARIANT_BOOL visible) = 0;
    virtual HRESULT get_Visible(VARIANT_BOOL* pVisible) = 0;
    virtual HRESULT get_Windows(IDispatch** ppWindows) = 0;
    virtual HRESULT put_DefaultFilePath(BSTR path) = 0;
    virtual HRESULT get_DefaultFilePath(BSTR* pPath) = 0;
    virtual HRESULT get_ActiveWindow(IDispatch** ppWindow) = 0;
    virtual HRESULT put_UserControl(VARIANT_BOOL userControl) = 0;
    virtual HRESULT get_UserControl(VARIANT_BOOL* pUserControl) = 0;
    virtual HRESULT get_Breeds(IDispatch** ppBreeds) = 0;
    virtual HRESULT put_ImageSearchPath(VARIANT folders) = 0;
    virtual HRESULT get_ImageSearchPath(VARIANT* pFolders) = 0;
    virtual HRESULT put_DecimalPrecision(SHORT places) = 0;
    virtual HRESULT get_DecimalPrecision(SHORT* pPlaces) = 0;
    virtual HRESULT Quit() = 0;
    virtual HRESULT Help(VARIANT helpFile, VARIANT helpContextId, VARIANT helpString) = 0;

protected:
    ~IApplication() = default;
};

// Help commands the Application's Help method asks for.
constexpr UINT HH_DISPLAY_TOPIC = 0;
constexpr UINT HH_DISPLAY_INDEX = 2;
constexpr UINT HH_HELP_CONTEXT = 15;

// What the Application object asks of the program's main window and application.
class IApplicationSite {
public:
    // The main window's title.
    virtual WString GetCaption() = 0;
    virtual void SetCaption(const WString& caption) = 0;
    virtual bool IsVisible() = 0;
    virtual void SetVisible(bool visible) = 0;
    // The automation object of the active document window's document, or of that window; null
    // when there is none. Not AddRef'd.
    virtual CCmdTarget* GetActiveDocument() = 0;
    virtual CCmdTarget* GetActiveWindow() = 0;
    virtual IOpenDocuments& GetOpenDocuments() = 0;
    // A new Windows collection of the program's document windows, with a reference for the caller;
    // null when it cannot be made.
    virtual IDispatch* CreateWindows() = 0;
    // Set while the user controls the program (started by the user, or handed over by a script).
    virtual bool GetUserControl() = 0;
    virtual void SetUserControl(bool userControl) = 0;
    virtual std::vector<WString> GetImageSearchPath() = 0;
    virtual void SetImageSearchPath(const std::vector<WString>& folders) = 0;
    // Asks the program to end, later, through its main window's close.
    virtual void PostQuit() = 0;
    // Shows help: the help file, a command above and its data (a context number or a topic).
    virtual void ShowHelp(const WString& helpFile, UINT command, DWORD context, const WString& topic) = 0;

protected:
    ~IApplicationSite() = default;
};

class CApplicationAutomation : public CCmdTarget {
public:
    explicit CApplicationAutomation(IApplicationSite* site);
    ~CApplicationAutomation() override;

    // The program's window layer is going: every later call is refused.
    void DetachSite();
    // The dual interface, not AddRef'd.
    IApplication* GetApplicationDual() { return &m_xApplication; }

    // ---- dispatch members ------------------------------------------------------------------
    WString GetCaption();
    void SetCaption(const WString& caption);
    IDispatch* GetApplication();
    IDispatch* GetActiveDocument();
    IDispatch* GetBreeds();
    IDispatch* GetDocuments();
    WString GetFullName();
    WString GetName();
    BOOL GetVisible();
    void SetVisible(BOOL visible);
    IDispatch* GetWindows();
    WString GetDefaultFilePath();
    void SetDefaultFilePath(const WString& path);
    IDispatch* GetActiveWindow();
    BOOL GetUserControl();
    void SetUserControl(BOOL userControl);
    COleVariant GetImageSearchPath();
    void SetImageSearchPath(const VARIANT& folders);
    SHORT GetDecimalPrecision();
    void SetDecimalPrecision(SHORT places);
    void Quit();
    void Help(const VARIANT& helpFile, const VARIANT& helpContextId, const VARIANT& helpString);

    const CDispatchTable* GetDispatchMap() const override;
    IUnknown* GetInterface(REFIID iid) override;

private:
    IApplicationSite& Site();
    // A cached collection: made on first request, then the same object with a new reference.
    IDispatch* Cached(IDispatch*& cache, IDispatch* (*make)(CApplicationAutomation*));

    class XApplication : public CDualImpl<CApplicationAutomation, IApplication, IID_IApplication> {
    public:
        using CDualImpl::CDualImpl;
        HRESULT get_Name(BSTR* pName) override;
        HRESULT put_Caption(BSTR caption) override;
        HRESULT get_Caption(BSTR* pCaption) override;
        HRESULT get_Application(IDispatch** ppApplication) override;
        HRESULT get_Parent(IDispatch** ppParent) override;
        HRESULT get_ActiveDocument(IDispatch** ppDocument) override;
        HRESULT get_Documents(IDispatch** ppDocuments) override;
        HRESULT get_FullName(BSTR* pFullName) override;
        HRESULT put_Visible(VARIANT_BOOL visible) override;
        HRESULT get_Visible(VARIANT_BOOL* pVisible) override;
        HRESULT get_Windows(IDispatch** ppWindows) override;
        HRESULT put_DefaultFilePath(BSTR path) override;
        HRESULT get_DefaultFilePath(BSTR* pPath) override;
        HRESULT get_ActiveWindow(IDispatch** ppWindow) override;
        HRESULT put_UserControl(VARIANT_BOOL userControl) override;
        HRESULT get_UserControl(VARIANT_BOOL* pUserControl) override;
        HRESULT get_Breeds(IDispatch** ppBreeds) override;
        HRESULT put_ImageSearchPath(VARIANT folders) override;
        HRESULT get_ImageSearchPath(VARIANT* pFolders) override;
        HRESULT put_DecimalPrecision(SHORT places) override;
        HRESULT get_DecimalPrecision(SHORT* pPlaces) override;
        HRESULT Quit() override;
        HRESULT Help(VARIANT helpFile, VARIANT helpContextId, VARIANT helpString) override;
    } m_xApplication{this};
    CSupportErrorInfoImpl<CApplicationAutomation, IID_IApplication> m_xSupportErrorInfo{this};

    IApplicationSite* m_pSite;
    IDispatch* m_pDocuments = nullptr;
    IDispatch* m_pWindows = nullptr;
    IDispatch* m_pBreeds = nullptr;
};
