#include "platform/automation/errors.h"

#include <atomic>
#include <mutex>
#include <new>
#include <utility>

#include "platform/automation/cmdtarget.h"
#include "platform/automation/marshal.h"
#include "platform/host.h"
#include "platform/strings.h"

// ---- exceptions ---------------------------------------------------------------------------------

const char* COleException::what() const noexcept {
    try {
        m_what = WToUtf8(FormatW("OLE exception 0x%08X", unsigned(m_sc)));
        return m_what.c_str();
    } catch (...) {
        return "OLE exception";
    }
}

COleDispatchException::COleDispatchException(WString description, UINT helpId, WORD wCode)
    : m_wCode(wCode),
      m_scError(wCode != 0 ? S_OK : E_UNEXPECTED),
      m_strSource(AfxGetAutomationSource()),
      m_strDescription(std::move(description)),
      m_strHelpFile(AfxGetAutomationHelpFile()),
      m_dwHelpContext(helpId != 0 ? CvlPromptHelpId(helpId) : 0) {}

const char* COleDispatchException::what() const noexcept {
    try {
        m_what = WToUtf8(m_strDescription);
        return m_what.c_str();
    } catch (...) {
        return "dispatch exception";
    }
}

void AfxThrowOleDispatchException(WORD wCode, UINT nDescriptionID, UINT nHelpID) {
    if (nHelpID == AFX_HELP_FROM_DESCRIPTION) nHelpID = nDescriptionID;
    throw COleDispatchException(LoadCvlString(nDescriptionID), nHelpID, wCode);
}

void AfxThrowOleDispatchException(WORD wCode, WStringView description, UINT nHelpID) {
    throw COleDispatchException(WString(description), nHelpID, wCode);
}

void AfxThrowOleDispatchExceptionSc(SCODE sc, WStringView description, UINT nHelpID) {
    COleDispatchException e(WString(description), nHelpID, 0);
    e.m_scError = sc;
    throw e;
}

void AfxThrowOleException(SCODE sc) {
    throw COleException(sc);
}
void AfxThrowMemoryException() {
    throw std::bad_alloc();
}
void AfxThrowInvalidArgException() {
    throw COleException(E_INVALIDARG);
}

namespace {
std::mutex g_appInfoMutex;
WString g_source;
WString g_helpFile;
}  // namespace

void AfxSetAutomationAppInfo(WStringView source, WStringView helpFile) {
    std::lock_guard<std::mutex> lock(g_appInfoMutex);
    g_source = source;
    g_helpFile = helpFile;
}

WString AfxGetAutomationSource() {
    std::lock_guard<std::mutex> lock(g_appInfoMutex);
    return g_source;
}

WString AfxGetAutomationHelpFile() {
    std::lock_guard<std::mutex> lock(g_appInfoMutex);
    return g_helpFile;
}

// ---- error information ----------------------------------------------------------------------------

namespace {

class CErrorInfo final : public IErrorInfo {
public:
    CErrorInfo(REFGUID guid, WStringView description, WStringView source, WStringView helpFile,
               DWORD helpContext)
        : m_guid(guid),
          m_description(description),
          m_source(source),
          m_helpFile(helpFile),
          m_helpContext(helpContext) {}

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IErrorInfo) {
            *ppv = static_cast<IErrorInfo*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return m_refs.fetch_add(1) + 1; }
    ULONG Release() override {
        ULONG n = m_refs.fetch_sub(1) - 1;
        if (n == 0) delete this;
        return n;
    }
    HRESULT GetGUID(GUID* pGUID) override {
        if (pGUID == nullptr) return E_INVALIDARG;
        *pGUID = m_guid;
        return S_OK;
    }
    HRESULT GetSource(BSTR* p) override { return Text(m_source, p); }
    HRESULT GetDescription(BSTR* p) override { return Text(m_description, p); }
    HRESULT GetHelpFile(BSTR* p) override { return Text(m_helpFile, p); }
    HRESULT GetHelpContext(DWORD* p) override {
        if (p == nullptr) return E_INVALIDARG;
        *p = m_helpContext;
        return S_OK;
    }

private:
    ~CErrorInfo() = default;
    static HRESULT Text(const WString& s, BSTR* p) {
        if (p == nullptr) return E_INVALIDARG;
        *p = SysAllocStringW(s);
        return *p == nullptr ? E_OUTOFMEMORY : S_OK;
    }

    std::atomic<ULONG> m_refs{1};
    GUID m_guid;
    WString m_description, m_source, m_helpFile;
    DWORD m_helpContext;
};

struct ThreadErrorInfo {
    IErrorInfo* p = nullptr;
    ~ThreadErrorInfo() {
        if (p != nullptr) p->Release();
    }
};
thread_local ThreadErrorInfo t_errorInfo;

// A short text for a status code reported without a description of its own.
WString StatusText(HRESULT hr) {
    switch (hr) {
        case E_INVALIDARG:
            return u"One or more arguments are invalid.";
        case E_OUTOFMEMORY:
            return u"Out of memory.";
        case E_NOTIMPL:
            return u"Not implemented.";
        case E_UNEXPECTED:
            return u"An unexpected error occurred.";
        default:
            return FormatW("Error 0x%08X.", unsigned(hr));
    }
}

}  // namespace

HRESULT SetErrorInfo(DWORD, IErrorInfo* pErrInfo) {
    if (pErrInfo != nullptr) pErrInfo->AddRef();
    IErrorInfo* old = std::exchange(t_errorInfo.p, pErrInfo);
    if (old != nullptr) old->Release();
    return S_OK;
}

HRESULT GetErrorInfo(DWORD, IErrorInfo** ppErrInfo) {
    if (ppErrInfo == nullptr) return E_INVALIDARG;
    *ppErrInfo = std::exchange(t_errorInfo.p, nullptr);
    return *ppErrInfo != nullptr ? S_OK : S_FALSE;
}

IErrorInfo* CreateErrorInfoObject(REFGUID guid, WStringView description, WStringView source,
                                  WStringView helpFile, DWORD helpContext) {
    return new CErrorInfo(guid, description, source, helpFile, helpContext);
}

HRESULT DispatchExceptionToHResult(const COleDispatchException& e) {
    if (e.m_scError != S_OK) return e.m_scError;
    return MAKE_HRESULT(1, FACILITY_ITF, 0x200u + e.m_wCode);
}

HRESULT SetDualErrorInfo(REFIID iid, const std::exception_ptr& error) {
    HRESULT hr = E_UNEXPECTED;
    WString description, source, helpFile;
    DWORD helpContext = 0;
    try {
        std::rethrow_exception(error);
    } catch (const COleDispatchException& e) {
        hr = DispatchExceptionToHResult(e);
        description = e.m_strDescription;
        source = e.m_strSource;
        helpFile = e.m_strHelpFile;
        helpContext = e.m_dwHelpContext;
    } catch (const COleException& e) {
        // A status code says it all: no error object, and none left over from an earlier call.
        SetErrorInfo(0, nullptr);
        return e.m_sc;
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
        description = StatusText(hr);
        source = AfxGetAutomationSource();
    } catch (...) {
        hr = E_UNEXPECTED;
        description = StatusText(hr);
        source = AfxGetAutomationSource();
    }
    try {
        IErrorInfo* info = CreateErrorInfoObject(iid, description, source, helpFile, helpContext);
        SetErrorInfo(0, info);
        info->Release();
    } catch (...) {
        SetErrorInfo(0, nullptr);  // the result still tells the failure
    }
    return hr;
}

HRESULT SetDualErrorInfo(REFIID iid) {
    return SetDualErrorInfo(iid, std::current_exception());
}

void ClearExcepInfo(EXCEPINFO* pInfo) {
    if (pInfo == nullptr) return;
    SysFreeString(pInfo->bstrSource);
    SysFreeString(pInfo->bstrDescription);
    SysFreeString(pInfo->bstrHelpFile);
    *pInfo = EXCEPINFO{};
}

void FillExcepInfo(EXCEPINFO* pInfo, const std::exception_ptr& error) {
    if (pInfo == nullptr) return;
    *pInfo = EXCEPINFO{};  // an out-parameter: whatever it held is not ours to free
    WString description, source, helpFile;
    try {
        std::rethrow_exception(error);
    } catch (const COleDispatchException& e) {
        pInfo->wCode = e.m_wCode;
        pInfo->scode = e.m_wCode != 0 ? S_OK : e.m_scError;
        pInfo->dwHelpContext = e.m_dwHelpContext;
        description = e.m_strDescription;
        source = e.m_strSource;
        helpFile = e.m_strHelpFile;
    } catch (const COleException& e) {
        pInfo->scode = e.m_sc;
        description = StatusText(e.m_sc);
        source = AfxGetAutomationSource();
    } catch (const std::bad_alloc&) {
        pInfo->scode = E_OUTOFMEMORY;
        description = StatusText(E_OUTOFMEMORY);
        source = AfxGetAutomationSource();
    } catch (...) {
        pInfo->scode = E_UNEXPECTED;
        description = StatusText(E_UNEXPECTED);
        source = AfxGetAutomationSource();
    }
    // Texts that cannot be made stay null: the code still tells the failure.
    pInfo->bstrDescription = SysAllocStringW(description);
    pInfo->bstrSource = SysAllocStringW(source);
    pInfo->bstrHelpFile = helpFile.empty() ? nullptr : SysAllocStringW(helpFile);
}

void ThrowFromExcepInfo(const EXCEPINFO& info) {
    if (info.pfnDeferredFillIn != nullptr) {
        EXCEPINFO filled = info;
        filled.pfnDeferredFillIn(&filled);
        filled.pfnDeferredFillIn = nullptr;
        ThrowFromExcepInfo(filled);
    }
    COleDispatchException e(BstrToW(info.bstrDescription), 0, info.wCode);
    e.m_scError = info.wCode != 0 ? S_OK : info.scode;
    e.m_strSource = BstrToW(info.bstrSource);
    e.m_strHelpFile = BstrToW(info.bstrHelpFile);
    e.m_dwHelpContext = info.dwHelpContext;
    throw e;
}

HRESULT DualCallImpl(CCmdTarget* pThis, REFIID iid, const std::function<HRESULT()>& body) {
    HRESULT hr = S_OK;
    RunOnUiThread([&] {
        try {
            if (pThis != nullptr) pThis->ThrowIfDetached();
            hr = body();
        } catch (...) {
            hr = SetDualErrorInfo(iid);
        }
    });
    return hr;
}

void ShowErrorInfo(REFIID iid, ISupportErrorInfo* pSupport) {
    if (pSupport == nullptr || pSupport->InterfaceSupportsErrorInfo(iid) != S_OK) return;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || info == nullptr) return;
    BSTR description = nullptr;
    if (SUCCEEDED(info->GetDescription(&description))) CvlMessageBoxText(BstrToW(description), MB_OK, 0);
    SysFreeString(description);
    info->Release();
}
