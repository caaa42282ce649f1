#include "document/dimension.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Rows: source unit; columns: target unit.
constexpr float kFactors[3][3] = {
    {1.0f, 2.54f, 72.0f},
    {0.39370078f, 1.0f, 28.34645f},
    {0.013888889f, 0.035277778f, 1.0f},
};

int ValidUnit(int unit) {
    return unit >= UNIT_INCH && unit <= UNIT_POINT ? unit : UNIT_INCH;
}

char DecimalPoint() {
    const lconv* conv = std::localeconv();
    return conv && conv->decimal_point && conv->decimal_point[0] ? conv->decimal_point[0] : '.';
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

}  // namespace

double ConvertDimension(float value, int targetUnit, int sourceUnit) {
    return double(value * kFactors[ValidUnit(sourceUnit)][ValidUnit(targetUnit)]);
}

const char16_t* DimensionSuffix(int unit) {
    switch (ValidUnit(unit)) {
        case UNIT_CM:
            return u" cm";
        case UNIT_POINT:
            return u" pt";
        default:
            return u"\"";
    }
}

WString FormatDimensionText(int32_t hundredths, int unit) {
    const double value = ConvertDimension(float(hundredths) * 0.01f, unit, UNIT_INCH);
    const char point = DecimalPoint();
    // The fewest decimals that read back as the same length: the nearest text, else the one a last
    // digit above it (the reading truncates).
    WString first;
    for (int decimals = 0; decimals <= 6; ++decimals) {
        const double step = std::pow(10.0, -decimals);
        for (double candidate : {value, value + step}) {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.*f", decimals, candidate);
            std::string number = buffer;
            if (number.find(point) != std::string::npos) {
                while (!number.empty() && number.back() == '0') number.pop_back();
                if (!number.empty() && number.back() == point) number.pop_back();
            }
            WString text = Utf8ToW(number) + DimensionSuffix(unit);
            int32_t back = 0;
            if (ParseDimensionText(text, unit, back) && back == hundredths) return text;
            if (first.empty()) first = std::move(text);
        }
    }
    return first;
}

bool ParseDimensionText(WStringView whole, int unit, int32_t& hundredths) {
    const WStringView text = whole.substr(0, 18);
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) ++at;
    if (at == text.size()) {
        hundredths = 0;
        return true;
    }
    const char point = DecimalPoint();
    std::string number;
    while (at < text.size() && ((text[at] >= u'0' && text[at] <= u'9') || text[at] == char16_t(point))) {
        number += char(text[at]);
        ++at;
    }
    while (at < text.size() && IsBlank(text[at])) ++at;
    const WStringView rest = text.substr(at);
    int source = ValidUnit(unit);
    if (rest.empty())
        source = ValidUnit(unit);
    else if (rest == u"cm")
        source = UNIT_CM;
    else if (rest[0] == u'"')
        source = UNIT_INCH;
    else if (rest == u"pt")
        source = UNIT_POINT;
    else
        return false;
    // strtod reads the locale's decimal point, the one the run above collected.
    const float value = number.empty() ? 0.0f : std::strtof(number.c_str(), nullptr);
    hundredths = int32_t(ConvertDimension(value, UNIT_INCH, source) * 100.0);
    return true;
}
