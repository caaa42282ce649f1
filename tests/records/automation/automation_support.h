// What the automation tests share: a registered Application object, calls by name through
// IDispatch, and the error information a failed dual call leaves behind.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/automation/automation.h"
#include "platform/automation/slot_call.h"

inline constexpr IID IID_ITestApplication = {
    0x1d0c5e90, 0x0a4b, 0x4c3d, {0x8e, 0x5f, 0x10, 0x21, 0x32, 0x43, 0x54, 0x65}};

// The program's Application object as far as the records see it: something to hand out.
class CTestApplication : public CCmdTarget {
public:
    CTestApplication() {
        EnableAutomation();
        AfxOleRegisterApplication(this, IID_IDispatch);
    }
    ~CTestApplication() override { AfxOleRevokeApplication(this); }
    IDispatch* Dispatch() { return GetIDispatch(false); }
};

// One Application for the whole test program.
CTestApplication& TestApplication();

DISPID IdOf(IDispatch* p, const char16_t* name);

// Every name of a dispatch table with its dispid, checked by GetIDsOfNames.
void ExpectDispIds(IDispatch* p, const std::vector<std::pair<const char16_t*, DISPID>>& table);

// Invoke by dispid: the raw result, with the EXCEPINFO filled on DISP_E_EXCEPTION.
struct InvokeResult {
    HRESULT hr = S_OK;
    COleVariant value;
    WORD wCode = 0;
    SCODE scode = 0;
    WString description;
    DWORD helpContext = 0;
};
InvokeResult InvokeGet(IDispatch* p, DISPID id, std::vector<COleVariant> args = {},
                       WORD flags = DISPATCH_PROPERTYGET | DISPATCH_METHOD);
InvokeResult InvokePut(IDispatch* p, DISPID id, const COleVariant& value);
InvokeResult InvokeByName(IDispatch* p, const char16_t* name, std::vector<COleVariant> args = {});

// The thread's error information, taken (and cleared).
struct ErrorInfoSeen {
    bool present = false;
    GUID guid{};
    WString description;
    DWORD helpContext = 0;
};
ErrorInfoSeen TakeErrorInfo();

// The dual result of a dispatch error with code n.
constexpr HRESULT DualErrorOf(unsigned code) {
    return static_cast<HRESULT>(0x80040000u | (0x200u + code));
}

// The object behind a dispatch result (for identity checks); releases the variant's reference.
IUnknown* IdentityOf(const VARIANT& v);
IUnknown* IdentityOf(IUnknown* p);

// Checks that an interface answers ISupportErrorInfo for its own iid only.
void ExpectSupportsErrorInfo(IUnknown* p, const IID& own);
