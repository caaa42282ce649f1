// The library's two exports.
#include "quillmere/flock_reconciler.h"
#include "quillmere/reconciler_abi.h"

#define CVL_EXPORT __attribute__((visibility("default")))

extern "C" CVL_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    return GetReconcilerClassObject(rclsid, riid, ppv);
}

extern "C" CVL_EXPORT HRESULT DllCanUnloadNow() {
    return CanUnloadReconciler();
}
