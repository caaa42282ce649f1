// Calls slot N of an interface through its raw function table, as a client that only knows the slot
// numbers (the reader plug-in) does. Tests use it to freeze each interface's order.
//
//   BSTR name = nullptr;
//   EXPECT_EQ(CallSlot(pEvent, 7, &name), S_OK);   // slot 7 of IEvent: get Value
//   EXPECT_EQ(SlotIndexOf(&IEvent::put_Value), 8u);
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/automation/com.h"

// The pointer stored in slot `slot` of the object's table.
inline void* VtableEntry(const void* pInterface, std::size_t slot) {
    void* const* vtbl = *static_cast<void* const* const*>(pInterface);
    return vtbl[slot];
}

// Calls slot `slot` with `this` = pInterface and the given arguments; R is the slot's result type.
// A reference parameter (REFIID) is a pointer at this level: pass &iid.
template <class R = HRESULT, class... Args>
#if defined(__clang__)
__attribute__((no_sanitize("function")))
#endif
R CallSlot(void* pInterface, std::size_t slot, Args... args) {
    using Fn = R (*)(void*, Args...);
    Fn fn = reinterpret_cast<Fn>(VtableEntry(pInterface, slot));
    return fn(pInterface, args...);
}

// The slot that a virtual member function of an interface occupies (Itanium C++ ABI: a pointer to a
// virtual member holds 1 + the byte offset of its slot).
template <class PM>
std::size_t SlotIndexOf(PM pm) {
    static_assert(sizeof(PM) == 2 * sizeof(std::uintptr_t), "Itanium member-function pointer expected");
    std::uintptr_t raw[2];
    std::memcpy(raw, &pm, sizeof(raw));
    return (raw[0] - 1) / sizeof(void*);
}

// What every interface must be for its slots to hold: abstract, polymorphic, no virtual destructor
// (two hidden slots under the Itanium ABI), derived from IUnknown.
template <class I>
constexpr bool IsSlotSafeInterface() {
    return std::is_abstract_v<I> && !std::has_virtual_destructor_v<I> && std::is_base_of_v<IUnknown, I>;
}
