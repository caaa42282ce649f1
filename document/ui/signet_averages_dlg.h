// The Signet Averages dialog and the window side of optional-number fields.
#pragma once

#include <wx/dialog.h>

class wxStaticText;

// Exchanges an optional number with the text control `controlId` of `dialog` (see the records'
// DDX_OptionalDouble). A refused text keeps the focus on the control; false then.
bool DDX_OptionalDouble(wxWindow* dialog, bool saveAndValidate, int controlId, double& value);

constexpr int IDC_SIGNET_AWT = 1363;
constexpr int IDC_SIGNET_EIGHT_WEEK_WEIGHT = 1362;
constexpr int IDC_SIGNET_FAT_DEPTH = 1396;
constexpr int IDC_SIGNET_LEAN_INDEX = 1398;
constexpr int IDC_SIGNET_LITTER = 1388;
constexpr int IDC_SIGNET_MATERNAL = 1389;
constexpr int IDC_SIGNET_MATURE = 1386;
constexpr int IDC_SIGNET_MUSCLE_DEPTH = 1394;
constexpr int IDC_SIGNET_SCAN_WEIGHT = 1391;
constexpr int IDC_SIGNET_LINK = 1360;

class CSignetAveragesDlg : public wxDialog {
public:
    explicit CSignetAveragesDlg(wxWindow* parent);

    // Not entered (NaN) until the caller fills them; read after OK.
    double m_dblAWT;
    double m_dblEightWeekWeightEBV;
    double m_dblFatDepthEBV;
    double m_dblLeanIndex;
    double m_dblLitterEBV;
    double m_dblMaternalEBV;
    double m_dblMatureEBV;
    double m_dblMuscleDepthEBV;
    double m_dblScanWeightEBV;

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;
    // The link's click: the machine-wide SignetURL opened in the default browser; false when unset.
    bool OpenSignetUrl();

private:
    bool Exchange(bool save);
    wxStaticText* m_pLink = nullptr;
};
