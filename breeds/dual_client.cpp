#include "breeds/dual_client.h"

namespace dual_client {

std::optional<WString> GetText(void* itf, size_t slot) {
    if (!itf) return std::nullopt;
    CComBSTR text;
    if (FAILED(CallSlot(itf, slot, &text))) return std::nullopt;
    return BstrToW(text);
}

std::optional<DATE> GetDate(void* itf, size_t slot) {
    if (!itf) return std::nullopt;
    VARIANT v;
    VariantInit(&v);
    HRESULT hr = CallSlot(itf, slot, &v);
    std::optional<DATE> result;
    if (SUCCEEDED(hr) && v.vt == VT_DATE) result = v.date;
    VariantClear(&v);
    return result;
}

}  // namespace dual_client
