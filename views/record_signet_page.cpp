#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "document/sheep_doc.h"
#include "document/ui/context_help.h"
#include "document/ui/signet_averages_dlg.h"
#include "document/ui/wx_strings.h"
#include "platform/settings.h"
#include "records/sheep.h"
#include "records/signet.h"
#include "views/record_pages.h"
#include "views/record_view.h"

namespace {

// One row: its label, the figure edit and its field, and the class average beside it (0: none).
struct SignetRow {
    const char* label;
    int edit;
    unsigned field;
    int average;
    double CSignetData::*value;
};
const SignetRow kRows[] = {
    {"Lean Index:", 1377, 16, IDC_SIGNET_LEAN_INDEX, &CSignetData::m_dblLeanIndex},
    {"8 week weight:", 1359, 17, IDC_SIGNET_EIGHT_WEEK_WEIGHT, &CSignetData::m_dblEightWeekWeightEBV},
    {"Fat Depth:", 1375, 18, IDC_SIGNET_FAT_DEPTH, &CSignetData::m_dblFatDepthEBV},
    {"Litter:", 1368, 19, IDC_SIGNET_LITTER, &CSignetData::m_dblLitterEBV},
    {"Maternal:", 1370, 20, IDC_SIGNET_MATERNAL, &CSignetData::m_dblMaternalEBV},
    {"Mature:", 1367, 21, IDC_SIGNET_MATURE, &CSignetData::m_dblMatureEBV},
    {"Muscle Depth:", 1373, 22, IDC_SIGNET_MUSCLE_DEPTH, &CSignetData::m_dblMuscleDepthEBV},
    {"Scan Weight:", 1371, 23, IDC_SIGNET_SCAN_WEIGHT, &CSignetData::m_dblScanWeightEBV},
    {"Maternal (kg):", 1379, 24, 0, nullptr},
    {"Scan Weight (kg):", 1381, 25, 0, nullptr},
    {"Muscle Depth (mm):", 1383, 26, 0, nullptr},
    {"Fat Depth (mm):", 1385, 27, 0, nullptr},
    {"AWT:", 1361, 28, IDC_SIGNET_AWT, &CSignetData::m_dblAWT},
};

using SignetHelp = CvlControlHelp<IDC_HEADER_TATTOO, IDC_HEADER_SEX, IDC_HEADER_NAME, IDC_HEADER_ONE_OF, 1377,
                                  1359, 1375, 1368, 1370, 1367, 1373, 1371, 1379, 1381, 1383, 1385, 1361,
                                  IDC_SIGNET_AWT, IDC_SIGNET_EIGHT_WEEK_WEIGHT, IDC_SIGNET_MATURE,
                                  IDC_SIGNET_LITTER, IDC_SIGNET_MATERNAL, IDC_SIGNET_SCAN_WEIGHT,
                                  IDC_SIGNET_MUSCLE_DEPTH, IDC_SIGNET_FAT_DEPTH, IDC_SIGNET_LEAN_INDEX,
                                  IDC_SIGNET_AVERAGE_LABEL, IDC_SIGNET_ENTER_AVERAGES, IDC_SIGNET_LINK>;
CVL_HELP_TABLE(SignetHelp::table);

}  // namespace

CSheepViewSignetTab::CSheepViewSignetTab(wxWindow* sheet, CSheepView* view)
    : CSheepViewPage(sheet, view, PAGE_SIGNET, "Signet") {
    auto* top = new wxBoxSizer(wxVERTICAL);
    CreateHeader(top, false);
    auto* grid = new wxFlexGridSizer(3, wxSize(8, 3));
    grid->Add(new wxStaticText(this, wxID_ANY, wxEmptyString));
    grid->Add(new wxStaticText(this, wxID_ANY, "EBV"));
    m_pAverageLabel = new wxStaticText(this, IDC_SIGNET_AVERAGE_LABEL, "Average");
    m_pAverageLabel->Hide();
    grid->Add(m_pAverageLabel);
    for (size_t i = 0; i < std::size(kRows); ++i) {
        const SignetRow& row = kRows[i];
        grid->Add(new wxStaticText(this, wxID_ANY, row.label), 0, wxALIGN_CENTER_VERTICAL);
        m_pFigures[i] = new wxTextCtrl(this, row.edit, wxEmptyString, wxDefaultPosition, wxSize(90, -1));
        grid->Add(m_pFigures[i]);
        if (row.average) {
            auto* average = new wxTextCtrl(this, row.average, wxEmptyString, wxDefaultPosition, wxSize(90, -1),
                                           wxTE_READONLY);
            m_averages.push_back(average);
            grid->Add(average);
        } else {
            grid->Add(new wxStaticText(this, wxID_ANY, wxEmptyString));
        }
        const unsigned field = row.field;
        WatchEdit(m_pFigures[i], [this, field] { return WriteFigure(field); });
    }
    top->Add(grid, 0, wxALL, 6);
    m_pEnterAverages = new wxButton(this, IDC_SIGNET_ENTER_AVERAGES, "Enter &Averages");
    m_pEnterAverages->Hide();
    m_pEnterAverages->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { GetView()->OnSignetAverages(); });
    top->Add(m_pEnterAverages, 0, wxLEFT, 6);
    auto* link = new wxStaticText(this, IDC_SIGNET_LINK, "Signet");
    link->SetCursor(wxCursor(wxCURSOR_HAND));
    link->Bind(wxEVT_LEFT_UP, [](wxMouseEvent&) {
        const WString url = CRegistrySettings::GetString(HKEY_LOCAL_MACHINE, u"Settings", u"SignetURL", u"");
        if (!url.empty()) wxLaunchDefaultBrowser(ToWx(url));
    });
    top->Add(link, 0, wxALL, 6);
    top->Add(new wxStaticText(this, wxID_ANY,
                              "The information in this tab should be entered from the information provided by "
                              "Signet's SheepBreeder service."),
             0, wxALL, 6);
    SetSizer(top);
    CvlAttachContextHelp(this, SignetHelp::table);
}

wxTextCtrl* CSheepViewSignetTab::GetAverageEdit(int controlId) const {
    for (wxTextCtrl* edit : m_averages)
        if (edit->GetId() == controlId) return edit;
    return nullptr;
}

void CSheepViewSignetTab::ShowSheep(CSheep* sheep) {
    CSheepViewPage::ShowSheep(sheep);
    for (size_t i = 0; i < std::size(kRows); ++i) {
        m_pFigures[i]->Enable(sheep != nullptr);
        m_pFigures[i]->ChangeValue(sheep ? ToWx(sheep->GetFieldText(kRows[i].field)) : wxString());
    }
    CSheepDoc* core = GetCore();
    CSignetData* averages = sheep && core ? core->GetSignetAverages(sheep) : nullptr;
    for (const SignetRow& row : kRows)
        if (row.average)
            GetAverageEdit(row.average)->ChangeValue(averages ? ToWx(FormatOptionalDouble(averages->*row.value))
                                                              : wxString());
    m_pAverageLabel->Show(averages != nullptr);
    m_pEnterAverages->Show(!averages && sheep && sheep->IsBornOnFarm() &&
                           sheep->GetDateofBirth().GetStatus() == COleDateTime::valid);
    Layout();
}

bool CSheepViewSignetTab::WriteFigure(unsigned field) {
    wxTextCtrl* edit = GetFigureEdit(field);
    WString text = FromWx(edit->GetValue());
    double value = 0;
    // A refused number has been reported; the stored figure comes back.
    if (!DDX_OptionalDouble(true, text, value)) {
        edit->ChangeValue(ToWx(m_shown->GetFieldText(field)));
        Veto();
        return true;
    }
    if (m_shown->SetFieldValue(field, &value)) AnimalChanged(m_shown.Get());
    return true;
}
