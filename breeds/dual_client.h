// The plug-in as a client of the program's dual interfaces: it knows only their slot numbers
// (dual_slots.h) and calls through the interfaces' function tables with the automation layer's
// value types, freeing what it is handed as the owner rules say.
#pragma once

#include <optional>

#include "abi/dual_slots.h"
#include "platform/automation/slot_call.h"
#include "platform/automation/variant.h"
#include "platform/text.h"

namespace dual_client {

inline void Release(void* itf) {
    if (itf) CallSlot<ULONG>(itf, dual_slots::kRelease);
}

// A text property; nullopt when the call fails.
std::optional<WString> GetText(void* itf, size_t slot);
// A date property handed out as a VARIANT; nullopt when it is no date or the call fails.
std::optional<DATE> GetDate(void* itf, size_t slot);

}  // namespace dual_client
