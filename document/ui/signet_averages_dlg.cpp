#include "document/ui/signet_averages_dlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "document/ui/context_help.h"
#include "document/ui/wx_strings.h"
#include "platform/settings.h"
#include "platform/strings.h"
#include "records/signet.h"

namespace {

struct SignetField {
    int id;
    const char* label;
    double CSignetAveragesDlg::*value;
};

const SignetField kFields[] = {
    {IDC_SIGNET_AWT, "AWT:", &CSignetAveragesDlg::m_dblAWT},
    {IDC_SIGNET_EIGHT_WEEK_WEIGHT, "8 Week Weight:", &CSignetAveragesDlg::m_dblEightWeekWeightEBV},
    {IDC_SIGNET_FAT_DEPTH, "Fat Depth:", &CSignetAveragesDlg::m_dblFatDepthEBV},
    {IDC_SIGNET_LEAN_INDEX, "Lean Index:", &CSignetAveragesDlg::m_dblLeanIndex},
    {IDC_SIGNET_LITTER, "Litter:", &CSignetAveragesDlg::m_dblLitterEBV},
    {IDC_SIGNET_MATERNAL, "Maternal:", &CSignetAveragesDlg::m_dblMaternalEBV},
    {IDC_SIGNET_MATURE, "Mature:", &CSignetAveragesDlg::m_dblMatureEBV},
    {IDC_SIGNET_MUSCLE_DEPTH, "Muscle Depth:", &CSignetAveragesDlg::m_dblMuscleDepthEBV},
    {IDC_SIGNET_SCAN_WEIGHT, "Scan Weight:", &CSignetAveragesDlg::m_dblScanWeightEBV},
};

using SignetHelp =
    CvlControlHelp<IDC_SIGNET_AWT, IDC_SIGNET_EIGHT_WEEK_WEIGHT, IDC_SIGNET_FAT_DEPTH, IDC_SIGNET_LEAN_INDEX,
                   IDC_SIGNET_LITTER, IDC_SIGNET_MATERNAL, IDC_SIGNET_MATURE, IDC_SIGNET_MUSCLE_DEPTH,
                   IDC_SIGNET_SCAN_WEIGHT, IDC_SIGNET_LINK>;
CVL_HELP_TABLE(SignetHelp::table);

}  // namespace

bool DDX_OptionalDouble(wxWindow* dialog, bool saveAndValidate, int controlId, double& value) {
    auto* edit = dynamic_cast<wxTextCtrl*>(dialog->FindWindow(controlId));
    if (!edit) return false;
    WString text;
    if (!saveAndValidate) {
        DDX_OptionalDouble(false, text, value);
        edit->ChangeValue(ToWx(text));
        return true;
    }
    text = FromWx(edit->GetValue());
    if (DDX_OptionalDouble(true, text, value)) return true;
    edit->SetFocus();
    edit->SelectAll();
    return false;
}

CSignetAveragesDlg::CSignetAveragesDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Signet Averages"),
      m_dblAWT(NotEnteredDouble()),
      m_dblEightWeekWeightEBV(NotEnteredDouble()),
      m_dblFatDepthEBV(NotEnteredDouble()),
      m_dblLeanIndex(NotEnteredDouble()),
      m_dblLitterEBV(NotEnteredDouble()),
      m_dblMaternalEBV(NotEnteredDouble()),
      m_dblMatureEBV(NotEnteredDouble()),
      m_dblMuscleDepthEBV(NotEnteredDouble()),
      m_dblScanWeightEBV(NotEnteredDouble()) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* text =
        new wxStaticText(this, wxID_ANY,
                         "Please enter the averages from you signet data. Changes entered her will be "
                         "displayed for all sheep of this sex born this year.");
    text->Wrap(360);
    top->Add(text, 0, wxALL, 10);
    auto* grid = new wxFlexGridSizer(2, 6, 10);
    grid->AddGrowableCol(1);
    for (const SignetField& field : kFields) {
        grid->Add(new wxStaticText(this, wxID_ANY, field.label), 0, wxALIGN_CENTER_VERTICAL);
        grid->Add(new wxTextCtrl(this, field.id), 1, wxEXPAND);
    }
    top->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
    m_pLink = new wxStaticText(this, IDC_SIGNET_LINK, "Signet");
    m_pLink->SetFont(m_pLink->GetFont().Underlined());
    m_pLink->SetForegroundColour(*wxBLUE);
    m_pLink->SetCursor(wxCursor(wxCURSOR_HAND));
    m_pLink->Bind(wxEVT_LEFT_UP, [this](wxMouseEvent&) { OpenSignetUrl(); });
    top->Add(m_pLink, 0, wxALL, 10);
    top->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(top);
    CvlAttachContextHelp(this, SignetHelp::table);
}

bool CSignetAveragesDlg::Exchange(bool save) {
    for (const SignetField& field : kFields)
        if (!DDX_OptionalDouble(this, save, field.id, this->*field.value)) return false;
    return true;
}

bool CSignetAveragesDlg::TransferDataToWindow() {
    return Exchange(false);
}

bool CSignetAveragesDlg::TransferDataFromWindow() {
    return Exchange(true);
}

bool CSignetAveragesDlg::OpenSignetUrl() {
    const WString url = CRegistrySettings::GetString(HKEY_LOCAL_MACHINE, u"Settings", u"SignetURL", u"");
    if (url.empty()) return false;
    return wxLaunchDefaultBrowser(ToWx(url));
}
