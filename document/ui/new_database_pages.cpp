#include "document/ui/new_database_pages.h"

#include <wx/combobox.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "abi/breed_abi.h"
#include "document/sheep_doc.h"
#include "document/ui/wizard_text.h"
#include "document/ui/wx_strings.h"
#include "platform/strings.h"

void CFileNewWiz0::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    CvlAddWizardTitle(panel, sizer, "Welcome to the Corvalen");
    CvlAddWizardText(
        panel, sizer,
        "To create your database please use this wizard to guide you through the process. You will:\n\n"
        "Select a breed.\n\nSetup your personal details.\n\nEnter your first sheep or import a data "
        "file.\n\n\nPlease press Next to start.");
    panel->SetSizer(sizer);
}

void CFileNewWiz1::OnCreateControls(wxPanel* panel) {
    LoadBreedNames();
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(panel, wxID_ANY, "Breed:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    m_pCombo = new wxComboBox(panel, IDC_BREED_COMBO, "", wxDefaultPosition, wxSize(240, -1), 0, nullptr,
                              wxCB_READONLY);
    for (const WString& breed : GetBreedNames()) m_pCombo->Append(ToWx(breed));
    m_pCombo->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent&) { SelectBreed(FromWx(m_pCombo->GetValue())); });
    row->Add(m_pCombo, 1);
    sizer->Add(row, 0, wxEXPAND | wxALL, 12);
    CvlAddWizardText(panel, sizer,
                     "The Corvalen has been designed as a fully extensible flock management system.");
    CvlAddWizardText(panel, sizer,
                     "If your breed is not listed, please ask for it by e-mail at breeds@corvalen.example.");
    panel->SetSizer(sizer);
}

using FileNewWiz1Help = CvlControlHelp<IDC_BREED_COMBO>;
CVL_HELP_TABLE(FileNewWiz1Help::table);

const CvlHelpPair* CFileNewWiz1::GetHelpTable() const {
    return FileNewWiz1Help::table;
}

void CFileNewWiz3::OnCreateControls(wxPanel* panel) {
    auto* grid = new wxFlexGridSizer(2, 8, 8);
    grid->AddGrowableCol(1);
    grid->Add(new wxStaticText(panel, wxID_ANY, "Address"));
    m_pAddress =
        new wxTextCtrl(panel, IDC_PERSONAL_ADDRESS, "", wxDefaultPosition, wxSize(300, 80), wxTE_MULTILINE);
    grid->Add(m_pAddress, 1, wxEXPAND);
    grid->Add(new wxStaticText(panel, wxID_ANY, "Telephone"));
    m_pTelephone = new wxTextCtrl(panel, IDC_PERSONAL_TELEPHONE);
    grid->Add(m_pTelephone, 1, wxEXPAND);
    grid->Add(new wxStaticText(panel, wxID_ANY, "Fax"));
    m_pFax = new wxTextCtrl(panel, IDC_PERSONAL_FAX);
    grid->Add(m_pFax, 1, wxEXPAND);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 1, wxEXPAND | wxALL, 12);
    panel->SetSizer(sizer);
}

using FileNewWiz3Help = CvlControlHelp<IDC_PERSONAL_ADDRESS, IDC_PERSONAL_TELEPHONE, IDC_PERSONAL_FAX>;
CVL_HELP_TABLE(FileNewWiz3Help::table);

const CvlHelpPair* CFileNewWiz3::GetHelpTable() const {
    return FileNewWiz3Help::table;
}

bool CFileNewWiz3::OnKillActive() {
    if (m_pAddress) {
        // Lines are stored with CR LF, as every address is.
        wxString address = m_pAddress->GetValue();
        address.Replace("\r\n", "\n");
        address.Replace("\n", "\r\n");
        m_strAddress = FromWx(address);
        m_strTelephone = FromWx(m_pTelephone->GetValue());
        m_strFax = FromWx(m_pFax->GetValue());
    }
    return true;
}

void CFileNewWiz4::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    CvlAddWizardTitle(panel, sizer, "Completing the New Database Wizard");
    CvlAddWizardText(
        panel, sizer,
        "Congratulations! You have successfully entered all the mandatory data for your database.\n"
        "You may now choose to load a data file or enter a record by hand.");
    CvlAddWizardText(panel, sizer, "What do you want to do?");
    m_pNone = new wxRadioButton(panel, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pNone->Hide();
    m_pLoad = new wxRadioButton(panel, IDC_LOAD_DATA_FILE, "Load A Data File");
    m_pManual = new wxRadioButton(panel, IDC_MANUAL_ENTRY, "Manually Enter a record");
    sizer->Add(m_pLoad, 0, wxLEFT | wxBOTTOM, 24);
    sizer->Add(m_pManual, 0, wxLEFT | wxBOTTOM, 24);
    m_pLoad->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { CheckRadio(CHOICE_LOAD_FILE); });
    m_pManual->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { CheckRadio(CHOICE_MANUAL); });
    panel->SetSizer(sizer);
    OnRadiosChanged();
}

using FileNewWiz4Help = CvlControlHelp<IDC_LOAD_DATA_FILE, IDC_MANUAL_ENTRY>;
CVL_HELP_TABLE(FileNewWiz4Help::table);

const CvlHelpPair* CFileNewWiz4::GetHelpTable() const {
    return FileNewWiz4Help::table;
}

void CFileNewWiz4::OnRadiosChanged() {
    if (!m_pNone) return;
    switch (GetChecked()) {
        case CHOICE_LOAD_FILE:
            m_pLoad->SetValue(true);
            break;
        case CHOICE_MANUAL:
            m_pManual->SetValue(true);
            break;
        default:
            m_pNone->SetValue(true);
            break;
    }
}

CSheetPage* CNewDatabaseWxPages::LoadPlugInPage(CSheepDoc& doc, int index, IDocument* docDual) {
    auto load = doc.GetBreedPlugIn().Get<PFN_CVLLoadNewDocWizardSheets>("CVLLoadNewDocWizardSheets");
    return load ? load(index, docDual) : nullptr;
}

NewDatabaseOutcome RunNewDatabaseWizard(wxWindow* parent, CSheepDoc& doc,
                                        const CNewDocumentServices& services) {
    CNewDatabaseWxPages pages;
    CFileNewWiz0 welcome;
    CFileNewWiz1 breed(&doc, &pages);
    CCvlPropertySheet sheet(parent, LoadCvlString(IDS_NEW_DATABASE_WIZARD), true);
    sheet.AddPage(&welcome);
    sheet.AddPage(&breed);
    return CompleteNewDatabaseWizard(doc, breed, sheet.DoModal(), services);
}
