#include "breeds/dual_client.h"

namespace dual_client {

std::optional<std::u16string> GetText(void* itf, int slot) {
    if (!itf) return std::nullopt;
    BSTR text = nullptr;
    if (!Succeeded(CallSlot(itf, slot, &text))) {
        FreeText(text);
        return std::nullopt;
    }
    std::u16string result(text ? text : u"", TextLength(text));
    FreeText(text);
    return result;
}

std::optional<DATE> GetDate(void* itf, int slot) {
    if (!itf) return std::nullopt;
    VARIANT v{};
    HRESULT hr = CallSlot(itf, slot, &v);
    std::optional<DATE> result;
    if (Succeeded(hr) && v.vt == VT_DATE) result = v.date;
    ClearVariant(v);
    return result;
}

}  // namespace dual_client
