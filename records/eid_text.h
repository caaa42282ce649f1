// The electronic ID as the user types and reads it: sixteen digits with leading zeros, and an empty
// field for "none" (0).
#pragma once

#include <cstdint>

#include "platform/text.h"

// Empty for 0, else the sixteen-digit form ("%016" of the unsigned value).
WString FormatElectronicIdText(uint64_t eid);
// Digits only: no sign, no blanks, nothing after the number and nothing beyond 64 bits. An empty
// text is 0. False (value untouched) for anything else.
bool ParseElectronicIdText(WStringView text, uint64_t* eid);
