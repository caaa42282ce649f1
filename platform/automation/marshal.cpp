#include "platform/automation/marshal.h"

#include <atomic>

#include "platform/automation/errors.h"

namespace {
std::atomic<CUiDispatcher*> g_dispatcher{nullptr};
}

CUiDispatcher* AfxSetUiDispatcher(CUiDispatcher* dispatcher) {
    return g_dispatcher.exchange(dispatcher);
}

CUiDispatcher* AfxGetUiDispatcher() {
    return g_dispatcher.load();
}

void RunOnUiThread(const std::function<void()>& fn) {
    CUiDispatcher* dispatcher = g_dispatcher.load();
    if (dispatcher == nullptr || dispatcher->IsUiThread()) {
        fn();
        return;
    }
    std::exception_ptr error;
    IErrorInfo* info = nullptr;
    dispatcher->RunOnUiThread([&] {
        // The UI thread's own error information is kept aside while the call runs.
        IErrorInfo* saved = nullptr;
        GetErrorInfo(0, &saved);
        try {
            fn();
        } catch (...) {
            error = std::current_exception();
        }
        GetErrorInfo(0, &info);
        SetErrorInfo(0, saved);
        if (saved != nullptr) saved->Release();
    });
    if (info != nullptr) {
        SetErrorInfo(0, info);
        info->Release();
    }
    if (error) std::rethrow_exception(error);
}
