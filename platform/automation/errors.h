// Failures of automation calls: the dispatch exception (a code or status with a message), the OLE
// exception (a status code), the thread's error information, and the rule that turns a failure
// inside a dual-interface method into its result.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <type_traits>

#include "platform/automation/com.h"
#include "platform/automation/variant.h"

// A failure reported with a status code (E_INVALIDARG, E_OUTOFMEMORY, a conversion's error...).
class COleException : public std::exception {
public:
    explicit COleException(SCODE sc) : m_sc(sc) {}
    const char* what() const noexcept override;
    SCODE m_sc;

private:
    mutable std::string m_what;
};

// A failure reported with an error code (or a status code) and a description for the user.
class COleDispatchException : public std::exception {
public:
    // helpId: a string number whose prompt help context (0x30000 + helpId) the error carries; 0 for
    // none. With wCode 0 the status is E_UNEXPECTED until set.
    COleDispatchException(WString description, UINT helpId, WORD wCode);
    const char* what() const noexcept override;

    WORD m_wCode = 0;     // the error code, 0 when m_scError says it all
    SCODE m_scError = 0;  // the error's own status code, 0 (S_OK) when none
    WString m_strSource;  // the application name unless set
    WString m_strDescription;
    WString m_strHelpFile;  // the application's help file unless set
    DWORD m_dwHelpContext = 0;

private:
    mutable std::string m_what;
};

constexpr UINT AFX_HELP_FROM_DESCRIPTION = static_cast<UINT>(-1);

// The description is string nDescriptionID of the string table (LoadCvlString); the help context is
// that of nHelpID, or of the string's own number when left out (string 110: 0x3006E).
[[noreturn]] void AfxThrowOleDispatchException(WORD wCode, UINT nDescriptionID,
                                               UINT nHelpID = AFX_HELP_FROM_DESCRIPTION);
[[noreturn]] void AfxThrowOleDispatchException(WORD wCode, WStringView description, UINT nHelpID = 0);
// A dispatch exception carrying its own status code (wCode 0).
[[noreturn]] void AfxThrowOleDispatchExceptionSc(SCODE sc, WStringView description, UINT nHelpID = 0);
[[noreturn]] void AfxThrowOleException(SCODE sc);
[[noreturn]] void AfxThrowMemoryException();      // std::bad_alloc
[[noreturn]] void AfxThrowInvalidArgException();  // COleException(E_INVALIDARG)

// The source and help file that dispatch exceptions carry unless they set their own.
void AfxSetAutomationAppInfo(WStringView source, WStringView helpFile);
WString AfxGetAutomationSource();
WString AfxGetAutomationHelpFile();

// ---- error information of the calling thread -------------------------------------------------

// Replaces the thread's error information (pErrInfo may be null: clears it). dwReserved must be 0.
HRESULT SetErrorInfo(DWORD dwReserved, IErrorInfo* pErrInfo);
// Hands the thread's error information to the caller (who releases it) and clears it;
// S_FALSE with a null pointer when there is none.
HRESULT GetErrorInfo(DWORD dwReserved, IErrorInfo** ppErrInfo);
// A new error object (reference count 1, owned by the caller).
IErrorInfo* CreateErrorInfoObject(REFGUID guid, WStringView description, WStringView source,
                                  WStringView helpFile, DWORD helpContext);

// Turns the exception being handled (call it only inside a catch block) into error information for
// the interface iid on this thread and returns the result the dual method gives:
//   dispatch exception: its own status code if set, else 0x80040000 | (0x200 + code);
//   OLE exception: its status code;  std::bad_alloc: E_OUTOFMEMORY;  anything else: E_UNEXPECTED.
HRESULT SetDualErrorInfo(REFIID iid);
// The same mapping for one exception object.
HRESULT SetDualErrorInfo(REFIID iid, const std::exception_ptr& e);
// The HRESULT a dispatch exception maps to.
HRESULT DispatchExceptionToHResult(const COleDispatchException& e);

// Fills an EXCEPINFO (an out-parameter: overwritten, not freed) from the exception, as
// IDispatch::Invoke reports failures (the caller then returns DISP_E_EXCEPTION). pInfo may be null.
void FillExcepInfo(EXCEPINFO* pInfo, const std::exception_ptr& e);
// Frees the texts of an EXCEPINFO and zeroes it.
void ClearExcepInfo(EXCEPINFO* pInfo);
// Throws what an EXCEPINFO describes (COleDispatchException; an scode alone: with that scode).
[[noreturn]] void ThrowFromExcepInfo(const EXCEPINFO& info);

class CCmdTarget;

// Runs one dual-interface method body: refuses a detached object, runs the body on the user-interface
// thread (see marshal.h), and maps any exception through SetDualErrorInfo(iid). The body returns
// void (success is S_OK) or an HRESULT of its own.
HRESULT DualCallImpl(CCmdTarget* pThis, REFIID iid, const std::function<HRESULT()>& body);

template <class F>
HRESULT DualCall(CCmdTarget* pThis, REFIID iid, F&& body) {
    if constexpr (std::is_void_v<std::invoke_result_t<F&>>) {
        return DualCallImpl(pThis, iid, [&]() -> HRESULT {
            body();
            return S_OK;
        });
    } else {
        return DualCallImpl(pThis, iid, [&]() -> HRESULT { return body(); });
    }
}

// Shows the description of the thread's error information in a plain message box on the host
// (platform/host.h) when pSupport answers S_OK for iid; otherwise shows nothing.
void ShowErrorInfo(REFIID iid, ISupportErrorInfo* pSupport);
