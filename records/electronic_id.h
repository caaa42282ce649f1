// Electronic IDs as text: every place that shows an EID or reads one typed, imported or downloaded
// goes through these two, so a bad text can never become a different animal's number.
#pragma once

#include <cstdint>

#include "platform/text.h"

// A whole EID: decimal digits only (blanks around them are allowed), no sign, no other base, and
// a value that fits in 64 bits. Returns false and leaves `eid` as it was on anything else,
// including an empty text; callers that take an empty text as "no EID" check for it themselves.
bool ParseElectronicID(WStringView text, uint64_t& eid);

// The decimal value, zero-padded to at least 16 digits.
WString FormatElectronicID(uint64_t eid);
