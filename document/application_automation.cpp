#include "document/application_automation.h"

#include <unistd.h>

#include <climits>

#include "document/documents_collection.h"
#include "platform/settings.h"
#include "records/app_services.h"
#include "records/breeds.h"

namespace {

constexpr int kMaxDecimalPlaces = 3;

// A text argument of Help: a string, a reference to one, or (when allowed) nothing.
bool ReadHelpText(const VARIANT& arg, WString& out) {
    const VARIANT& v = VariantDeref(arg);
    if (v.vt == VT_EMPTY || IsMissingArgument(v)) {
        out.clear();
        return true;
    }
    if (v.vt == VT_BSTR) {
        out = BstrToW(v.bstrVal);
        return true;
    }
    if (v.vt == (VT_BSTR | VT_BYREF) && v.pbstrVal != nullptr) {
        out = BstrToW(*v.pbstrVal);
        return true;
    }
    return false;
}

bool ReadHelpContext(const VARIANT& arg, LONG& out) {
    const VARIANT& v = VariantDeref(arg);
    out = 0;
    if (v.vt == VT_EMPTY || IsMissingArgument(v)) return true;
    if (v.vt == VT_I4) {
        out = v.lVal;
        return true;
    }
    if (v.vt == (VT_I4 | VT_BYREF) && v.plVal != nullptr) {
        out = *v.plVal;
        return true;
    }
    return false;
}

}  // namespace

CApplicationAutomation::CApplicationAutomation(IApplicationSite* site) : m_pSite(site) {
    EnableAutomation();
}

CApplicationAutomation::~CApplicationAutomation() {
    for (IDispatch* cached : {m_pDocuments, m_pWindows, m_pBreeds})
        if (cached != nullptr) cached->Release();
}

void CApplicationAutomation::DetachSite() {
    m_pSite = nullptr;
    MarkDetached();
}

IApplicationSite& CApplicationAutomation::Site() {
    ThrowIfDetached();
    return *m_pSite;
}

IDispatch* CApplicationAutomation::Cached(IDispatch*& cache, IDispatch* (*make)(CApplicationAutomation*)) {
    ThrowIfDetached();
    if (cache == nullptr) {
        cache = make(this);
        if (cache == nullptr) AfxThrowOleException(E_OUTOFMEMORY);
    }
    cache->AddRef();
    return cache;
}

namespace {

IDispatch* MakeBreeds(CApplicationAutomation*) {
    auto breeds = CRefPtr<CBreeds>::Adopt(new CBreeds());
    return breeds->GetIDispatch(true);
}

}  // namespace

// ---- dispatch members ----------------------------------------------------------------------------

WString CApplicationAutomation::GetCaption() {
    return Site().GetCaption();
}

void CApplicationAutomation::SetCaption(const WString& caption) {
    Site().SetCaption(caption);
}

IDispatch* CApplicationAutomation::GetApplication() {
    return GetIDispatch(true);
}

IDispatch* CApplicationAutomation::GetActiveDocument() {
    CCmdTarget* doc = Site().GetActiveDocument();
    return doc != nullptr ? doc->GetIDispatch(true) : nullptr;
}

IDispatch* CApplicationAutomation::GetBreeds() {
    return Cached(m_pBreeds, &MakeBreeds);
}

IDispatch* CApplicationAutomation::GetDocuments() {
    return Cached(m_pDocuments, [](CApplicationAutomation* self) -> IDispatch* {
        auto documents = CRefPtr<CDocuments>::Adopt(new CDocuments(&self->Site().GetOpenDocuments()));
        return documents->GetIDispatch(true);
    });
}

IDispatch* CApplicationAutomation::GetWindows() {
    return Cached(m_pWindows, [](CApplicationAutomation* self) { return self->Site().CreateWindows(); });
}

WString CApplicationAutomation::GetFullName() {
    ThrowIfDetached();
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    return n > 0 ? Utf8ToW(std::string(path, size_t(n))) : WString();
}

WString CApplicationAutomation::GetName() {
    ThrowIfDetached();
    return AfxGetAutomationSource();
}

BOOL CApplicationAutomation::GetVisible() {
    return Site().IsVisible() ? TRUE : FALSE;
}

void CApplicationAutomation::SetVisible(BOOL visible) {
    IApplicationSite& site = Site();
    const bool show = visible == VARIANT_TRUE;
    // The user's window is not taken away from them.
    if (!show && site.GetUserControl()) return;
    site.SetVisible(show);
}

WString CApplicationAutomation::GetDefaultFilePath() {
    ThrowIfDetached();
    return CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"Default Path", u"");
}

void CApplicationAutomation::SetDefaultFilePath(const WString& path) {
    ThrowIfDetached();
    CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"Default Path", path);
}

IDispatch* CApplicationAutomation::GetActiveWindow() {
    CCmdTarget* window = Site().GetActiveWindow();
    return window != nullptr ? window->GetIDispatch(true) : nullptr;
}

BOOL CApplicationAutomation::GetUserControl() {
    return Site().GetUserControl() ? TRUE : FALSE;
}

void CApplicationAutomation::SetUserControl(BOOL userControl) {
    Site().SetUserControl(userControl == VARIANT_TRUE);
}

COleVariant CApplicationAutomation::GetImageSearchPath() {
    SAFEARRAY* psa = SafeArrayFromStrings(Site().GetImageSearchPath());
    if (psa == nullptr) AfxThrowOleException(E_OUTOFMEMORY);
    return COleVariant::FromSafeArray(psa, VT_BSTR);
}

void CApplicationAutomation::SetImageSearchPath(const VARIANT& folders) {
    IApplicationSite& site = Site();
    std::vector<WString> list;
    if (ReadStringArray(folders, list) != StringArrayCheck::Ok) AfxThrowOleException(E_INVALIDARG);
    site.SetImageSearchPath(list);
}

SHORT CApplicationAutomation::GetDecimalPrecision() {
    ThrowIfDetached();
    return static_cast<SHORT>(CSheepAppServices::Get().GetDecimalPlaces());
}

void CApplicationAutomation::SetDecimalPrecision(SHORT places) {
    ThrowIfDetached();
    // Every measurement's format is built from it: a value the formats cannot take is never stored.
    if (places < 0 || places > kMaxDecimalPlaces) AfxThrowOleException(E_INVALIDARG);
    CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Decimal Places", DWORD(places));
    CSheepAppServices::Get().SetDecimalPlaces(places);
}

void CApplicationAutomation::Quit() {
    Site().PostQuit();
}

void CApplicationAutomation::Help(const VARIANT& helpFile, const VARIANT& helpContextId,
                                  const VARIANT& helpString) {
    IApplicationSite& site = Site();
    WString file;
    if (!ReadHelpText(helpFile, file)) AfxThrowOleException(E_INVALIDARG);
    if (file.empty()) file = AfxGetAutomationHelpFile();
    LONG context = 0;
    if (!ReadHelpContext(helpContextId, context)) AfxThrowOleException(E_INVALIDARG);
    if (context != 0) {
        site.ShowHelp(file, HH_HELP_CONTEXT, DWORD(context), {});
        return;
    }
    WString topic;
    if (!ReadHelpText(helpString, topic)) AfxThrowOleException(E_INVALIDARG);
    if (topic.empty())
        site.ShowHelp(file, HH_DISPLAY_INDEX, 0, {});
    else
        site.ShowHelp(file, HH_DISPLAY_TOPIC, 0, topic);
}

const CDispatchTable* CApplicationAutomation::GetDispatchMap() const {
    using C = CApplicationAutomation;
    static const CDispatchTable table{
        DispProperty<VT_BSTR, &C::GetCaption, &C::SetCaption>(u"Caption"),
        DispProperty<VT_DISPATCH, &C::GetApplication>(u"Application"),
        DispProperty<VT_DISPATCH, &C::GetApplication>(u"Parent"),
        DispProperty<VT_DISPATCH, &C::GetActiveDocument>(u"ActiveDocument"),
        DispProperty<VT_DISPATCH, &C::GetBreeds>(u"Breeds"),
        DispProperty<VT_DISPATCH, &C::GetDocuments>(u"Documents"),
        DispProperty<VT_BSTR, &C::GetFullName>(u"FullName"),
        DispProperty<VT_BSTR, &C::GetName>(u"Name"),
        DispProperty<VT_BOOL, &C::GetVisible, &C::SetVisible>(u"Visible"),
        DispProperty<VT_DISPATCH, &C::GetWindows>(u"Windows"),
        DispProperty<VT_BSTR, &C::GetDefaultFilePath, &C::SetDefaultFilePath>(u"DefaultFilePath"),
        DispProperty<VT_DISPATCH, &C::GetActiveWindow>(u"ActiveWindow"),
        DispProperty<VT_BOOL, &C::GetUserControl, &C::SetUserControl>(u"UserControl"),
        DispProperty<VT_VARIANT, &C::GetImageSearchPath, &C::SetImageSearchPath>(u"ImageSearchPath"),
        DispProperty<VT_I2, &C::GetDecimalPrecision, &C::SetDecimalPrecision>(u"DecimalPrecision"),
        DispMethod<VT_EMPTY, &C::Quit>(u"Quit"),
        DispMethod<VT_EMPTY, &C::Help, VT_VARIANT, VT_VARIANT, VT_VARIANT>(u"Help"),
        DispDefValue(u"Name"),
    };
    return &table;
}

IUnknown* CApplicationAutomation::GetInterface(REFIID iid) {
    if (iid == IID_IApplicationDisp) return &m_xDispatch;
    if (iid == IID_IApplication) return &m_xApplication;
    if (iid == IID_ISupportErrorInfo) return &m_xSupportErrorInfo;
    return CCmdTarget::GetInterface(iid);
}

// ---- the dual interface --------------------------------------------------------------------------

namespace {

// The dual form of an object-valued property: the same object, or S_OK with null.
template <class F>
HRESULT DualObject(IDispatch** out, F&& get) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return std::forward<F>(get)();
}

}  // namespace

HRESULT CApplicationAutomation::XApplication::get_Name(BSTR* pName) {
    if (pName == nullptr) return E_POINTER;
    *pName = nullptr;
    return Dual([&] { *pName = AllocBstrOrThrow(This()->GetName()); });
}

HRESULT CApplicationAutomation::XApplication::put_Caption(BSTR caption) {
    return Dual([&] { This()->SetCaption(BstrToW(caption)); });
}

HRESULT CApplicationAutomation::XApplication::get_Caption(BSTR* pCaption) {
    if (pCaption == nullptr) return E_POINTER;
    *pCaption = nullptr;
    return Dual([&] { *pCaption = AllocBstrOrThrow(This()->GetCaption()); });
}

HRESULT CApplicationAutomation::XApplication::get_Application(IDispatch** ppApplication) {
    return DualObject(ppApplication, [&] {
        return Dual([&] {
            This()->ThrowIfDetached();
            AddRef();
            *ppApplication = this;
        });
    });
}

HRESULT CApplicationAutomation::XApplication::get_Parent(IDispatch** ppParent) {
    return get_Application(ppParent);
}

HRESULT CApplicationAutomation::XApplication::get_ActiveDocument(IDispatch** ppDocument) {
    return DualObject(ppDocument, [&] { return Dual([&] { *ppDocument = This()->GetActiveDocument(); }); });
}

HRESULT CApplicationAutomation::XApplication::get_Documents(IDispatch** ppDocuments) {
    return DualObject(ppDocuments, [&] { return Dual([&] { *ppDocuments = This()->GetDocuments(); }); });
}

HRESULT CApplicationAutomation::XApplication::get_FullName(BSTR* pFullName) {
    if (pFullName == nullptr) return E_POINTER;
    *pFullName = nullptr;
    return Dual([&] { *pFullName = AllocBstrOrThrow(This()->GetFullName()); });
}

HRESULT CApplicationAutomation::XApplication::put_Visible(VARIANT_BOOL visible) {
    return Dual([&] { This()->SetVisible(visible); });
}

HRESULT CApplicationAutomation::XApplication::get_Visible(VARIANT_BOOL* pVisible) {
    if (pVisible == nullptr) return E_POINTER;
    *pVisible = VARIANT_FALSE;
    return Dual([&] { *pVisible = ToVariantBool(This()->GetVisible() != FALSE); });
}

HRESULT CApplicationAutomation::XApplication::get_Windows(IDispatch** ppWindows) {
    return DualObject(ppWindows, [&] { return Dual([&] { *ppWindows = This()->GetWindows(); }); });
}

HRESULT CApplicationAutomation::XApplication::put_DefaultFilePath(BSTR path) {
    return Dual([&] { This()->SetDefaultFilePath(BstrToW(path)); });
}

HRESULT CApplicationAutomation::XApplication::get_DefaultFilePath(BSTR* pPath) {
    if (pPath == nullptr) return E_POINTER;
    *pPath = nullptr;
    return Dual([&] { *pPath = AllocBstrOrThrow(This()->GetDefaultFilePath()); });
}

HRESULT CApplicationAutomation::XApplication::get_ActiveWindow(IDispatch** ppWindow) {
    return DualObject(ppWindow, [&] { return Dual([&] { *ppWindow = This()->GetActiveWindow(); }); });
}

HRESULT CApplicationAutomation::XApplication::put_UserControl(VARIANT_BOOL userControl) {
    return Dual([&] { This()->SetUserControl(userControl); });
}

HRESULT CApplicationAutomation::XApplication::get_UserControl(VARIANT_BOOL* pUserControl) {
    if (pUserControl == nullptr) return E_POINTER;
    *pUserControl = VARIANT_FALSE;
    return Dual([&] { *pUserControl = ToVariantBool(This()->GetUserControl() != FALSE); });
}

HRESULT CApplicationAutomation::XApplication::get_Breeds(IDispatch** ppBreeds) {
    return DualObject(ppBreeds, [&] { return Dual([&] { *ppBreeds = This()->GetBreeds(); }); });
}

HRESULT CApplicationAutomation::XApplication::put_ImageSearchPath(VARIANT folders) {
    return Dual([&] { This()->SetImageSearchPath(folders); });
}

HRESULT CApplicationAutomation::XApplication::get_ImageSearchPath(VARIANT* pFolders) {
    if (pFolders == nullptr) return E_POINTER;
    VariantInit(pFolders);
    return Dual([&] {
        COleVariant folders = This()->GetImageSearchPath();
        *pFolders = folders.Detach();
    });
}

HRESULT CApplicationAutomation::XApplication::put_DecimalPrecision(SHORT places) {
    return Dual([&] { This()->SetDecimalPrecision(places); });
}

HRESULT CApplicationAutomation::XApplication::get_DecimalPrecision(SHORT* pPlaces) {
    if (pPlaces == nullptr) return E_POINTER;
    *pPlaces = 0;
    return Dual([&] { *pPlaces = This()->GetDecimalPrecision(); });
}

HRESULT CApplicationAutomation::XApplication::Quit() {
    return Dual([&] { This()->Quit(); });
}

HRESULT CApplicationAutomation::XApplication::Help(VARIANT, VARIANT, VARIANT) {
    return E_NOTIMPL;
}
