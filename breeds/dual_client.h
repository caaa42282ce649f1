// The plug-in as a client of the program's dual interfaces: calls by slot through the interface's
// function table, with the value types of the calls laid out as the automation layer passes them
// (HRESULT as a 32-bit status, "long" as 32 bits, text as a length-prefixed UTF-16 BSTR, VARIANT as
// the 16-byte tagged union).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace dual_client {

using HRESULT = int32_t;
using BSTR = char16_t*;
using DATE = double;

inline bool Succeeded(HRESULT hr) {
    return hr >= 0;
}

enum : uint16_t { VT_EMPTY = 0, VT_I2 = 2, VT_I4 = 3, VT_DATE = 7, VT_BSTR = 8 };

struct VARIANT {
    uint16_t vt;
    uint16_t reserved1, reserved2, reserved3;
    union {
        int16_t iVal;
        int32_t lVal;
        DATE date;
        BSTR bstrVal;
        int64_t llVal;
        void* byref;
    };
};
// Passed by value in two registers: the size and the trivial copy are part of the contract.
static_assert(sizeof(VARIANT) == 16, "VARIANT must keep its 16-byte layout");

// A BSTR: a 32-bit byte count before the characters, a NUL after them.
inline BSTR AllocText(const char16_t* s, size_t n) {
    auto* block = static_cast<char*>(std::malloc(sizeof(uint32_t) + (n + 1) * sizeof(char16_t)));
    if (!block) return nullptr;
    uint32_t bytes = uint32_t(n * sizeof(char16_t));
    std::memcpy(block, &bytes, sizeof bytes);
    auto* text = reinterpret_cast<char16_t*>(block + sizeof(uint32_t));
    if (n) std::memcpy(text, s, n * sizeof(char16_t));
    text[n] = u'\0';
    return text;
}
inline BSTR AllocText(std::u16string_view s) {
    return AllocText(s.data(), s.size());
}
inline void FreeText(BSTR s) {
    if (s) std::free(reinterpret_cast<char*>(s) - sizeof(uint32_t));
}
inline size_t TextLength(BSTR s) {
    if (!s) return 0;
    uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<char*>(s) - sizeof(uint32_t), sizeof bytes);
    return bytes / sizeof(char16_t);
}
inline void ClearVariant(VARIANT& v) {
    if (v.vt == VT_BSTR) FreeText(v.bstrVal);
    v = VARIANT{};
}

// Calls slot `slot` of interface `itf`: the interface pointer is the call's first argument.
template <typename R = HRESULT, typename... A>
R CallSlot(void* itf, int slot, A... args) {
    using Fn = R (*)(void*, A...);
    void** table = *static_cast<void***>(itf);
    return reinterpret_cast<Fn>(table[slot])(itf, args...);
}

inline void Release(void* itf) {
    if (itf) CallSlot<uint32_t>(itf, 2);
}

// Reads a text property; nullopt when the call fails.
std::optional<std::u16string> GetText(void* itf, int slot);
// Reads a date property handed out as a VARIANT; nullopt when it is not a date or the call fails.
std::optional<DATE> GetDate(void* itf, int slot);

}  // namespace dual_client
