#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include <limits>

#include "document/sheep_doc.h"
#include "document/ui/context_help.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/strings.h"
#include "records/electronic_id.h"
#include "records/sheep.h"
#include "views/record_pages.h"
#include "views/record_view.h"

namespace {

constexpr unsigned IDS_SOLD = 136;
constexpr unsigned IDS_DIED = 138;
constexpr unsigned IDS_KILLED = 179;
const char16_t kPositiveInteger[] = u"Please enter a positive integer.";

using GeneralHelp = CvlControlHelp<IDC_HEADER_TATTOO, IDC_HEADER_SEX, IDC_HEADER_NAME, IDC_HEADER_ONE_OF,
                                   IDC_GENERAL_DEPART, IDC_GENERAL_PURCHASE, IDC_GENERAL_BIRTH,
                                   IDC_GENERAL_SIRE_GOTO, IDC_GENERAL_DAM_GOTO, IDC_GENERAL_SIRE, IDC_GENERAL_DAM,
                                   IDC_GENERAL_EARTAG_COLOUR, IDC_GENERAL_EARTAG_NUMBER, IDC_GENERAL_EID,
                                   IDC_GENERAL_COMMENTS, 1433, 1434, 1435, 1436>;
CVL_HELP_TABLE(GeneralHelp::table);

// The EID edit: empty for none (0), else the sixteen-digit form.
wxString ShowEid(uint64_t eid) {
    return eid == 0 ? wxString() : ToWx(FormatElectronicID(eid));
}

// A whole number that fits; an empty text is 0.
template <class T>
bool ParseWhole(const wxString& text, T* value) {
    uint64_t number = 0;
    if (!wxString(text).Trim().Trim(false).empty() &&
        (!ParseElectronicID(FromWx(text), number) || number > uint64_t(std::numeric_limits<T>::max())))
        return false;
    *value = T(number);
    return true;
}

}  // namespace

CSheepViewGeneralTab::CSheepViewGeneralTab(wxWindow* sheet, CSheepView* view)
    : CSheepViewPage(sheet, view, PAGE_GENERAL, "General") {
    auto* top = new wxBoxSizer(wxVERTICAL);
    CreateHeader(top, true);
    auto* grid = new wxFlexGridSizer(4, wxSize(6, 4));
    grid->AddGrowableCol(1);
    grid->AddGrowableCol(3);
    const auto label = [this](int id, const char* text) { return new wxStaticText(this, id, text); };
    const auto readOnly = [this](int id) { return new wxTextCtrl(this, id, wxEmptyString, wxDefaultPosition,
                                                                 wxDefaultSize, wxTE_READONLY); };
    const auto digits = [](wxTextCtrl* edit) { edit->SetValidator(wxTextValidator(wxFILTER_DIGITS)); };

    m_pSire = new wxTextCtrl(this, IDC_GENERAL_SIRE);
    m_pSireGoto = new wxButton(this, IDC_GENERAL_SIRE_GOTO, "Goto", wxDefaultPosition, wxDefaultSize,
                               wxBU_EXACTFIT);
    m_pDam = new wxTextCtrl(this, IDC_GENERAL_DAM);
    m_pDamGoto = new wxButton(this, IDC_GENERAL_DAM_GOTO, "Goto", wxDefaultPosition, wxDefaultSize,
                              wxBU_EXACTFIT);
    const auto withGoto = [this](wxTextCtrl* edit, wxButton* button) {
        auto* row = new wxBoxSizer(wxHORIZONTAL);
        row->Add(edit, 1, wxALIGN_CENTER_VERTICAL);
        row->Add(button, 0, wxLEFT, 4);
        return row;
    };
    grid->Add(label(wxID_ANY, "Sire:"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(withGoto(m_pSire, m_pSireGoto), 1, wxEXPAND);
    grid->Add(label(wxID_ANY, "Dam:"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(withGoto(m_pDam, m_pDamGoto), 1, wxEXPAND);

    m_pEartagColour = readOnly(IDC_GENERAL_EARTAG_COLOUR);
    m_pEartagNumber = readOnly(IDC_GENERAL_EARTAG_NUMBER);
    grid->Add(label(wxID_ANY, "Ear tag colour:"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pEartagColour, 1, wxEXPAND);
    grid->Add(label(wxID_ANY, "Ear tag number:"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pEartagNumber, 1, wxEXPAND);

    // The page shows the dates; they are changed by the events that set them.
    m_pBirthLabel = label(IDC_GENERAL_BIRTH_LABEL, "Born:");
    m_pBirth = readOnly(IDC_GENERAL_BIRTH);
    m_pPurchaseLabel = label(IDC_GENERAL_PURCHASE_LABEL, "Purchased:");
    m_pPurchase = readOnly(IDC_GENERAL_PURCHASE);
    m_pDepartLabel = label(IDC_GENERAL_DEPART_LABEL, ":");
    m_pDepart = readOnly(IDC_GENERAL_DEPART);
    grid->Add(m_pBirthLabel, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pBirth, 1, wxEXPAND);
    grid->Add(m_pPurchaseLabel, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pPurchase, 1, wxEXPAND);
    grid->Add(m_pDepartLabel, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pDepart, 1, wxEXPAND);

    m_pEid = new wxTextCtrl(this, IDC_GENERAL_EID);
    digits(m_pEid);
    grid->Add(label(wxID_ANY, "Electronic ID:"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pEid, 1, wxEXPAND);
    top->Add(grid, 0, wxEXPAND | wxALL, 6);

    auto* flags = new wxBoxSizer(wxHORIZONTAL);
    for (int box = 0; box < 4; ++box) {
        m_pFlags[box] = new wxCheckBox(this, IDC_GENERAL_FLAG_FIRST + box, wxEmptyString);
        m_pFlags[box]->Hide();
        m_pFlags[box]->Bind(wxEVT_CHECKBOX, [this, box](wxCommandEvent&) { OnFlagClicked(box); });
        flags->Add(m_pFlags[box], 0, wxRIGHT, 10);
    }
    top->Add(flags, 0, wxLEFT | wxRIGHT, 6);

    top->Add(label(wxID_ANY, "Comments:"), 0, wxLEFT | wxTOP, 6);
    m_pComments = new wxTextCtrl(this, IDC_GENERAL_COMMENTS, wxEmptyString, wxDefaultPosition, wxSize(-1, 80),
                                 wxTE_MULTILINE);
    top->Add(m_pComments, 1, wxEXPAND | wxALL, 6);
    SetSizer(top);
    digits(GetOneOfEdit());

    WatchEdit(GetNameEdit(), [this] { return WriteText(GetNameEdit(), SF_NAME); });
    WatchEdit(GetOneOfEdit(), [this] { return WriteOneOf(); });
    WatchEdit(GetSexCombo(), [this] { return WriteSex(); });
    WatchEdit(m_pSire, [this] { return WriteText(m_pSire, SF_SIRE); });
    WatchEdit(m_pDam, [this] { return WriteText(m_pDam, SF_DAM); });
    WatchEdit(m_pComments, [this] { return WriteText(m_pComments, SF_COMMENTS); });
    WatchEdit(m_pEid, [this] { return WriteElectronicId(); });
    for (wxTextCtrl* edit : {m_pSire, m_pDam})
        edit->Bind(wxEVT_TEXT, [this](wxCommandEvent& event) {
            event.Skip();
            UpdateGotoButtons();
        });
    m_pSireGoto->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnGotoSire(); });
    m_pDamGoto->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnGotoDam(); });
    CvlAttachContextHelp(this, GeneralHelp::table);
}

void CSheepViewGeneralTab::ShowDate(wxTextCtrl* edit, wxStaticText* label, const COleDateTime* date) {
    const bool shown = date && date->GetStatus() == COleDateTime::valid;
    edit->ChangeValue(shown ? ToWx(date->Format("%x")) : wxString());
    edit->Show(shown);
    label->Show(shown);
}

void CSheepViewGeneralTab::ShowSheep(CSheep* sheep) {
    CSheepViewPage::ShowSheep(sheep);
    const bool any = sheep != nullptr;
    for (wxWindow* control : std::initializer_list<wxWindow*>{m_pDam, m_pEid, m_pSire, GetNameEdit(), GetOneOfEdit(),
                                                              GetSexCombo(), m_pComments})
        control->Enable(any);
    m_pSire->ChangeValue(any ? ToWx(sheep->GetSire()) : wxString());
    m_pDam->ChangeValue(any ? ToWx(sheep->GetDam()) : wxString());
    m_pEartagColour->ChangeValue(any ? ToWx(sheep->GetEartagColour()) : wxString());
    m_pEartagNumber->ChangeValue(any ? ToWx(sheep->GetEartagNumber()) : wxString());
    m_pComments->ChangeValue(any ? ToWx(sheep->GetComments()) : wxString());
    m_nShownEid = any ? sheep->GetElectronicID() : 0;
    m_pEid->ChangeValue(ShowEid(m_nShownEid));

    const int32_t reason = any ? sheep->GetDepartReason() : DEPART_NONE;
    WString departText;
    if (reason == DEPART_SOLD) departText = LoadCvlString(IDS_SOLD);
    if (reason == DEPART_DIED) departText = LoadCvlString(IDS_DIED);
    if (reason == DEPART_KILLED) departText = LoadCvlString(IDS_KILLED);
    m_pDepartLabel->SetLabel(ToWx(departText + u":"));
    ShowDate(m_pBirth, m_pBirthLabel, any ? &sheep->GetDateofBirth() : nullptr);
    ShowDate(m_pPurchase, m_pPurchaseLabel, any ? &sheep->GetDateofPurchase() : nullptr);
    // The depart date shows whenever the animal has left, dated or not.
    m_pDepart->ChangeValue(any && sheep->GetDateofDepart().GetStatus() == COleDateTime::valid
                               ? ToWx(sheep->GetDateofDepart().Format("%x"))
                               : wxString());
    m_pDepart->Show(reason != DEPART_NONE);
    m_pDepartLabel->Show(reason != DEPART_NONE);

    UpdateGotoButtons();
    GetTattooEdit()->SetEditable(!any || sheep->GetTattoo().empty());

    CSheepDoc* core = GetCore();
    for (int box = 0; box < 4; ++box) {
        int32_t readOnly = 0;
        const WString name = core ? core->GetBreedFlag(int32_t(kFlagOfBox[box]), &readOnly) : WString();
        m_pFlags[box]->SetValue(any && sheep->TestFlag(kFlagOfBox[box]));
        m_pFlags[box]->Show(!name.empty());
        if (!name.empty()) {
            m_pFlags[box]->SetLabel(ToWx(name));
            m_pFlags[box]->Enable(any && !readOnly);
        }
    }
    if (!any && IsShownOnScreen()) GetTattooEdit()->SetFocus();
    Layout();
}

void CSheepViewGeneralTab::UpdateGotoButtons() {
    m_pDamGoto->Enable(!m_pDam->GetValue().empty());
    m_pSireGoto->Enable(!m_pSire->GetValue().empty());
}

bool CSheepViewGeneralTab::WriteText(wxTextCtrl* edit, unsigned field) {
    const WString text = FromWx(edit->GetValue());
    if (m_shown->SetFieldValue(field, &text)) AnimalChanged(m_shown.Get());
    return true;
}

bool CSheepViewGeneralTab::WriteOneOf() {
    int32_t count = 0;
    if (!ParseWhole(GetOneOfEdit()->GetValue(), &count)) {
        CvlMessageBoxText(kPositiveInteger, MB_OK | MB_ICONEXCLAMATION);
        GetOneOfEdit()->ChangeValue(wxString::Format("%d", m_shown->GetOneOf()));
        Veto();
        return true;
    }
    if (m_shown->SetFieldValue(SF_ONE_OF, &count)) AnimalChanged(m_shown.Get());
    return true;
}

bool CSheepViewGeneralTab::WriteSex() {
    const int selection = GetSexCombo()->GetSelection();
    if (selection == wxNOT_FOUND) return true;
    const int32_t sex = selection;
    if (m_shown->SetFieldValue(SF_SEX, &sex)) AnimalChanged(m_shown.Get());
    return true;
}

bool CSheepViewGeneralTab::WriteElectronicId() {
    uint64_t eid = 0;
    const uint64_t old = m_shown->GetElectronicID();
    if (!ParseWhole(m_pEid->GetValue(), &eid)) {
        CvlMessageBoxText(kPositiveInteger, MB_OK | MB_ICONEXCLAMATION);
        m_pEid->ChangeValue(ShowEid(old));
        Veto();
        return true;
    }
    // Another animal wearing the EID refuses it (the animal has said so): the old one comes back.
    if (!m_shown->SetFieldValue(SF_ELECTRONIC_ID, &eid)) {
        Veto();
        m_pEid->ChangeValue(ShowEid(old));
        return true;
    }
    if (eid != old) AnimalChanged(m_shown.Get());
    m_pEid->ChangeValue(ShowEid(eid));
    return true;
}

void CSheepViewGeneralTab::OnFlagClicked(int box) {
    if (!m_shown) return;
    const int32_t on = m_pFlags[box]->GetValue() ? 1 : 0;
    const unsigned field = SF_FLAG_FIRST + kFlagOfBox[box];
    if (m_shown->SetFieldValue(field, &on)) AnimalChanged(m_shown.Get());
}

void CSheepViewGeneralTab::OnGotoSire() {
    GetView()->GoToSheep(FromWx(m_pSire->GetValue()), SEX_RAM);
}

void CSheepViewGeneralTab::OnGotoDam() {
    GetView()->GoToSheep(FromWx(m_pDam->GetValue()), SEX_EWE);
}
