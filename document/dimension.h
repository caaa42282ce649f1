// Lengths typed with a unit: hundredths of an inch held, inches, centimetres or points shown.
#pragma once

#include <cstdint>

#include "platform/text.h"

enum CvlLengthUnit { UNIT_INCH = 0, UNIT_CM = 1, UNIT_POINT = 2 };

// The value converted from the source unit to the target unit, with single-precision factors.
double ConvertDimension(float value, int targetUnit, int sourceUnit);
// The unit's suffix: the inch sign, " cm" or " pt".
const char16_t* DimensionSuffix(int unit);
// The text of a length in the unit with the fewest decimals that read back unchanged,
// with the locale's decimal point, and the unit's suffix.
WString FormatDimensionText(int32_t hundredths, int unit);
// Reads a typed length (its first 18 characters): a number in the field's unit, or followed by the
// inch sign, "cm" or "pt". Blank text gives 0. False, with value unchanged, for any other suffix.
bool ParseDimensionText(WStringView text, int unit, int32_t& hundredths);
