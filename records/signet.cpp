#include "records/signet.h"

#include <locale.h>

#include <bit>
#include <clocale>
#include <cstdlib>

#include "platform/host.h"

IMPLEMENT_SERIAL(CSignetData, CCmdTarget, VERSIONABLE_SCHEMA | 1)

namespace {
constexpr unsigned IDS_ENTER_NUMBER_OR_BLANK = 156;
constexpr size_t kFieldChars = 31;

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

}  // namespace

double StrToDoubleC(const char* s, char** end) {
    static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    return strtod_l(s, end, c);
}

double NotEnteredDouble() {
    return std::bit_cast<double>(uint64_t{0xFFF8000000000000u});
}

bool ReadOptionalDouble(WStringView text, double* value) {
    // The field's text ends at its first NUL, as a C string would.
    if (size_t nul = text.find(u'\0'); nul != WStringView::npos) text = text.substr(0, nul);
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i == text.size()) {
        *value = NotEnteredDouble();
        return true;
    }
    // Only a decimal number is taken ("nan", "inf" and hex are not figures a user types).
    auto decimalChar = [](char16_t c) {
        return (c >= u'0' && c <= u'9') || c == u'.' || c == u'+' || c == u'-' || c == u'e' || c == u'E';
    };
    std::string narrow;
    for (size_t j = i; j < text.size() && decimalChar(text[j]); ++j) narrow.push_back(static_cast<char>(text[j]));
    char* end = nullptr;
    const double v = StrToDoubleC(narrow.c_str(), &end);
    if (v == 0.0 && text[i] != u'0') return false;
    size_t k = i + static_cast<size_t>(end - narrow.c_str());
    while (k < text.size() && IsBlank(text[k])) ++k;
    if (k != text.size()) return false;
    *value = StoredFigure(v);
    return true;
}

WString FormatOptionalDouble(double value) {
    if (IsNotEntered(value)) return WString();
    return DoubleToW(value, "%0.2f");
}

bool DDX_OptionalDouble(bool saveAndValidate, WString& text, double& value) {
    if (!saveAndValidate) {
        text = FormatOptionalDouble(value);
        return true;
    }
    double read = 0.0;
    if (!ReadOptionalDouble(WStringView(text).substr(0, kFieldChars), &read)) {
        CvlMessageBox(IDS_ENTER_NUMBER_OR_BLANK, MB_OK);
        return false;
    }
    value = read;
    return true;
}

CSignetData::CSignetData()
    : m_dblAWT(NotEnteredDouble()),
      m_dblEightWeekWeightEBV(NotEnteredDouble()),
      m_dblLitterEBV(NotEnteredDouble()),
      m_dblMatureEBV(NotEnteredDouble()),
      m_dblMaternalEBV(NotEnteredDouble()),
      m_dblMuscleDepthEBV(NotEnteredDouble()),
      m_dblScanWeightEBV(NotEnteredDouble()),
      m_dblFatDepthEBV(NotEnteredDouble()),
      m_dblLeanIndex(NotEnteredDouble()),
      m_dtCreated(COleDateTime::GetCurrentTime()),
      m_dtEdited(m_dtCreated) {
    EnableAutomation();
}

CSignetData::~CSignetData() = default;

void CSignetData::Serialize(CArchive& ar) {
    double* const figures[] = {&m_dblLeanIndex,      &m_dblEightWeekWeightEBV, &m_dblFatDepthEBV,
                               &m_dblLitterEBV,      &m_dblMaternalEBV,        &m_dblMatureEBV,
                               &m_dblMuscleDepthEBV, &m_dblScanWeightEBV,      &m_dblAWT};
    if (ar.IsStoring()) {
        for (double* f : figures) ar << *f;
        ar << m_dtCreated << m_dtEdited;
    } else {
        for (double* f : figures) ar >> *f;
        ar >> m_dtCreated >> m_dtEdited;
    }
}
