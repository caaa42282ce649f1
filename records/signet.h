// Signet class averages of one sex and birth year, and the optional numbers that every Signet
// field takes (blank means not entered).
#pragma once

#include <cstdint>

#include "platform/archive.h"
#include "platform/automation/cmdtarget.h"
#include "platform/oledate.h"
#include "platform/text.h"
#include "records/record_automation.h"

// The "not entered" figure: the quiet NaN with the bits FFF8000000000000 (what ln(-1) gives on
// the platform the files come from). Any NaN read counts as not entered.
double NotEnteredDouble();
inline bool IsNotEntered(double v) {
    return v != v;
}
// A figure as it is kept: a NaN from outside (another platform's NaN has other bits) becomes the
// file's "not entered"; a NaN read from a file is kept as it is and never passes through here.
inline double StoredFigure(double v) {
    return IsNotEntered(v) ? NotEnteredDouble() : v;
}

// The C library's strtod in the C locale, whatever LC_NUMERIC says.
double StrToDoubleC(const char* s, char** end);

// A typed optional number: blanks and tabs only means not entered (NaN); otherwise a decimal
// number (C locale) with nothing but blanks and tabs around it. A text that converts to 0 without
// starting with "0" is refused, so "-0", "+0" and ".0" are refused.
bool ReadOptionalDouble(WStringView text, double* value);
// How a field shows an optional number: empty when not entered, else "%0.2f".
WString FormatOptionalDouble(double value);

// The exchange behind a dialog's optional-number field. Loading fills text from value. Saving
// reads at most 31 characters of text; an accepted text is stored in value, a refused one shows
// message 156 and leaves value alone. False when the exchange failed.
bool DDX_OptionalDouble(bool saveAndValidate, WString& text, double& value);

class CSignetData : public CSignetDataAutomation {
    DECLARE_SERIAL(CSignetData)
public:
    // Every figure not entered; both stamps the local time now.
    CSignetData();
    ~CSignetData() override;

    double m_dblAWT;
    double m_dblEightWeekWeightEBV;
    double m_dblLitterEBV;
    double m_dblMatureEBV;
    double m_dblMaternalEBV;
    double m_dblMuscleDepthEBV;
    double m_dblScanWeightEBV;
    double m_dblFatDepthEBV;
    double m_dblLeanIndex;
    COleDateTime m_dtCreated;
    COleDateTime m_dtEdited;

    void Serialize(CArchive& ar) override;

private:
    COleAppLock m_appLock;  // holds the application alive while the record exists
};
