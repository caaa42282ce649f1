#include "wyndrace/ui/download_dialogs.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "document/ui/sheet.h"
#include "wyndrace/transfer_sheet.h"

namespace {

wxString Wx(const WString& s) {
    return wxString::FromUTF8(WToUtf8(s));
}
WString FromWx(const wxString& s) {
    return Utf8ToW(s.utf8_string());
}

constexpr unsigned IDS_RAM = 44;
constexpr unsigned IDS_EWE = 45;
constexpr unsigned IDS_NOT_STANDARD = 47;

wxChoice* MakeSexChoice(wxWindow* parent, int sex) {
    auto* choice = new wxChoice(parent, IDC_DL_SEX);
    choice->Append(Wx(SexText(0)));
    choice->Append(Wx(SexText(1)));
    if (sex == 0 || sex == 1) choice->SetSelection(sex);
    return choice;
}

WString ChosenSex(const wxChoice* choice) {
    return choice->GetSelection() == wxNOT_FOUND ? WString() : FromWx(choice->GetStringSelection());
}

// A tattoo outside the breed's standard goes ahead only when the user says so.
bool AcceptTattoo(wxWindow* parent, IDownloadDocument& doc, const WString& tattoo) {
    if (doc.IsStandardTattoo(tattoo)) return true;
    return AskDownloadQuestion(
               parent, FormatPlaceholders(WyndraceString(IDS_NOT_STANDARD), {tattoo, doc.BreedName()}),
               wxYES_NO | wxICON_QUESTION) == wxID_YES;
}

// Modal, or shown by a test's modal driver, which reads the return code.
void Finish(wxDialog& dialog, int code) {
    if (dialog.IsModal())
        dialog.EndModal(code);
    else
        dialog.SetReturnCode(code), dialog.Hide();
}

// Wide enough for the whole of a 16-digit EID.
void FitEid(wxTextCtrl* edit) {
    const int width = edit->GetTextExtent(wxString('0', 16)).x;
    edit->SetMinSize(edit->GetSizeFromTextSize(width));
}

void AddRow(wxWindow* parent, wxFlexGridSizer* grid, const wxString& label, wxWindow* control) {
    grid->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(control, 1, wxEXPAND);
}

}  // namespace

int AskDownloadQuestion(wxWindow* parent, const WString& text, long style) {
    wxMessageDialog box(parent, Wx(text), wxTheApp ? wxTheApp->GetAppDisplayName() : wxString(), style);
    return CvlRunModal(box);
}

WString EidText(uint64_t eid) {
    return FormatW("%016llu", static_cast<unsigned long long>(eid));
}

WString SexText(int sex) {
    return sex == 0 || sex == 1 ? WyndraceString(sex == 0 ? IDS_EWE : IDS_RAM) : WString();
}

int SexFromText(const WString& text) {
    return text == WyndraceString(IDS_RAM) ? 1 : 0;
}

// ---- Add Dedov ------------------------------------------------------------------------------------

CAddSheep::CAddSheep(wxWindow* parent, IDownloadDocument& doc, uint64_t eid, const WString& tattoo, int sex)
    : wxDialog(parent, wxID_ANY, "Add Dedov"), m_doc(doc), m_sex(sex) {
    auto* grid = new wxFlexGridSizer(2, 5, 5);
    grid->AddGrowableCol(1);
    m_pTattoo = new wxTextCtrl(this, IDC_DL_TATTOO, Wx(tattoo));
    auto* eidEdit =
        new wxTextCtrl(this, IDC_DL_EID, Wx(EidText(eid)), wxDefaultPosition, wxDefaultSize, wxTE_READONLY);
    FitEid(eidEdit);
    m_pSex = MakeSexChoice(this, sex);
    AddRow(this, grid, Wx(WyndraceString(IDS_TATTOO)), m_pTattoo);
    AddRow(this, grid, Wx(WyndraceString(IDS_ELECTRONIC_ID)), eidEdit);
    AddRow(this, grid, "Sex", m_pSex);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    m_pCreate = new wxButton(this, IDC_ADDSHEEP_CREATE, "&Create");
    buttons->Add(m_pCreate);
    buttons->Add(new wxButton(this, IDC_ADDSHEEP_SKIP, "&Skip"), 0, wxLEFT, 5);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxLEFT, 5);
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(grid, 1, wxEXPAND | wxALL, 10);
    top->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 10);
    SetSizerAndFit(top);

    m_pTattoo->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { UpdateControls(); });
    m_pSex->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { UpdateControls(); });
    m_pCreate->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressCreate(); });
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { Finish(*this, IDC_ADDSHEEP_SKIP); }, IDC_ADDSHEEP_SKIP);
    UpdateControls();
}

WString CAddSheep::GetTattoo() const {
    return Trim(FromWx(m_pTattoo->GetValue()));
}

void CAddSheep::UpdateControls() {
    m_pCreate->Enable(!GetTattoo().empty() && !ChosenSex(m_pSex).empty());
}

void CAddSheep::PressCreate() {
    if (!m_pCreate->IsEnabled()) return;
    if (!AcceptTattoo(this, m_doc, GetTattoo())) return;
    m_sex = SexFromText(ChosenSex(m_pSex));
    Finish(*this, IDC_ADDSHEEP_CREATE);
}

// ---- Map Electronic ID ------------------------------------------------------------------------------

CMapSheep::CMapSheep(wxWindow* parent, IDownloadDocument& doc, const WString& eidText)
    : wxDialog(parent, wxID_ANY, "Map Electronic ID"), m_doc(doc) {
    wxBusyCursor wait;
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* eidEdit =
        new wxTextCtrl(this, IDC_DL_EID, Wx(eidText), wxDefaultPosition, wxDefaultSize, wxTE_READONLY);
    FitEid(eidEdit);
    auto* eidRow = new wxBoxSizer(wxHORIZONTAL);
    eidRow->Add(new wxStaticText(this, wxID_ANY, Wx(WyndraceString(IDS_ELECTRONIC_ID))), 0,
                wxALIGN_CENTER_VERTICAL | wxRIGHT, 5);
    eidRow->Add(eidEdit, 1);
    top->Add(eidRow, 0, wxEXPAND | wxALL, 10);

    m_pMap = new wxRadioButton(this, IDC_DL_MAP, "Yes, please map it to", wxDefaultPosition, wxDefaultSize,
                               wxRB_GROUP);
    m_pAnimals = new wxComboBox(this, IDC_DL_ANIMALS, wxString(), wxDefaultPosition, wxDefaultSize, 0,
                                nullptr, wxCB_READONLY | wxCB_SORT);
    for (const WString& tattoo : m_doc.TattoosWithoutEid()) m_pAnimals->Append(Wx(tattoo));
    m_pCreateRadio = new wxRadioButton(this, IDC_DL_CREATE, "No, please create it");
    m_pTattoo = new wxTextCtrl(this, IDC_DL_TATTOO);
    m_pSex = MakeSexChoice(this, -1);
    top->Add(m_pMap, 0, wxLEFT | wxRIGHT, 10);
    top->Add(m_pAnimals, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
    top->Add(m_pCreateRadio, 0, wxLEFT | wxRIGHT, 10);
    auto* grid = new wxFlexGridSizer(2, 5, 5);
    grid->AddGrowableCol(1);
    AddRow(this, grid, Wx(WyndraceString(IDS_TATTOO)), m_pTattoo);
    AddRow(this, grid, "Sex", m_pSex);
    top->Add(grid, 0, wxEXPAND | wxALL, 10);
    auto* buttons = CreateStdDialogButtonSizer(wxOK | wxCANCEL);
    m_pOk = static_cast<wxButton*>(FindWindow(wxID_OK));
    top->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 10);
    SetSizerAndFit(top);

    m_pMap->SetValue(true);
    auto update = [this](wxCommandEvent&) { UpdateControls(); };
    m_pMap->Bind(wxEVT_RADIOBUTTON, update);
    m_pCreateRadio->Bind(wxEVT_RADIOBUTTON, update);
    m_pAnimals->Bind(wxEVT_COMBOBOX, update);
    m_pTattoo->Bind(wxEVT_TEXT, update);
    m_pSex->Bind(wxEVT_CHOICE, update);
    m_pOk->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressOk(); });
    UpdateControls();
}

void CMapSheep::UpdateControls() {
    const bool create = m_pCreateRadio->GetValue();
    m_pAnimals->Enable(!create);
    m_pTattoo->Enable(create);
    m_pSex->Enable(create);
    const bool ready = create ? !Trim(FromWx(m_pTattoo->GetValue())).empty() && !ChosenSex(m_pSex).empty()
                              : m_pAnimals->GetSelection() != wxNOT_FOUND;
    m_pOk->Enable(ready);
}

void CMapSheep::PressOk() {
    if (!m_pOk->IsEnabled()) return;
    m_sex = SexFromText(ChosenSex(m_pSex));
    m_create = m_pCreateRadio->GetValue();
    if (!m_create) {
        m_tattoo = FromWx(m_pAnimals->GetStringSelection());
        Finish(*this, wxID_OK);
        return;
    }
    m_tattoo = Trim(FromWx(m_pTattoo->GetValue()));
    // An animal the flock has already is a mapping to it.
    if (m_doc.FindByTattoo(m_tattoo)) {
        m_create = false;
        Finish(*this, wxID_OK);
        return;
    }
    if (!AcceptTattoo(this, m_doc, m_tattoo)) return;
    Finish(*this, wxID_OK);
}
