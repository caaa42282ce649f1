#include "document/new_database_wizard.h"

#include <utility>

#include "document/breed_plugin.h"
#include "document/document_automation.h"
#include "document/sheep_doc.h"
#include "platform/host.h"
#include "platform/message_help.h"
#include "platform/settings.h"

// A breed that does not load, shown here with the stop icon.
CVL_MESSAGE_HELP(112);

std::vector<WString> ListRegisteredBreeds() {
    std::vector<WString> names;
    auto app = CRegistrySettings::OpenAppKey(HKEY_LOCAL_MACHINE);
    if (!app) return names;
    auto breeds = app->OpenSubkey(u"Breeds");
    if (!breeds) return names;
    for (const auto& [name, value] : breeds->Values()) names.push_back(name);
    return names;
}

// ---- welcome -------------------------------------------------------------------------------------

CFileNewWiz0Model::CFileNewWiz0Model() : CSheetPage(IDD_FILENEW_WIZ0) {
    SetHeaderHidden(true);
    SetHasHelp(false);
}

void CFileNewWiz0Model::OnSetActive() {
    GetSheet()->SetWizardButtons(PSWIZB_NEXT);
}

// ---- personal information ------------------------------------------------------------------------

CFileNewWiz3Model::CFileNewWiz3Model() : CSheetPage(IDD_FILENEW_WIZ3) {
    SetHeaderIds(1032, 1035);
    SetHasHelp(false);
}

// ---- finish --------------------------------------------------------------------------------------

CFileNewWiz4Model::CFileNewWiz4Model() : CSheetPage(IDD_FILENEW_WIZ4) {
    SetHeaderHidden(true);
    SetHasHelp(false);
}

void CFileNewWiz4Model::OnSetActive() {
    if (m_nChecked >= 0) {
        m_nChecked = CHOICE_MANUAL;
        OnRadiosChanged();
    }
    UpdateButtons();
}

void CFileNewWiz4Model::CheckRadio(int which) {
    m_nChecked = which;
    OnRadiosChanged();
    UpdateButtons();
}

void CFileNewWiz4Model::UpdateButtons() {
    GetSheet()->SetWizardButtons(PSWIZB_BACK | (m_nChecked >= 0 ? PSWIZB_FINISH : PSWIZB_DISABLEDFINISH));
}

bool CFileNewWiz4Model::OnWizardFinish() {
    m_nChoice = m_nChecked == CHOICE_LOAD_FILE ? CHOICE_LOAD_FILE : CHOICE_MANUAL;
    return true;
}

// ---- breed ---------------------------------------------------------------------------------------

CFileNewWiz1Model::CFileNewWiz1Model(CSheepDoc* doc, INewDatabasePages* pages)
    : CSheetPage(IDD_FILENEW_WIZ1), m_pDoc(doc), m_pPages(pages) {
    SetHeaderIds(289, 290);
}

CFileNewWiz1Model::~CFileNewWiz1Model() {
    RemovePluginPages();
}

void CFileNewWiz1Model::LoadBreedNames() {
    m_breeds = ListRegisteredBreeds();
}

void CFileNewWiz1Model::SelectBreed(const WString& breed) {
    m_strBreed = breed;
    UpdateButtons();
}

void CFileNewWiz1Model::UpdateButtons() {
    if (CSheetFlow* sheet = GetSheet(); sheet && sheet->GetActivePage() == this)
        sheet->SetWizardButtons(m_strBreed.empty() ? PSWIZB_BACK : PSWIZB_BACK | PSWIZB_NEXT);
}

void CFileNewWiz1Model::OnSetActive() {
    UpdateButtons();
}

bool CFileNewWiz1Model::OnKillActive() {
    return !m_strBreed.empty();
}

int CFileNewWiz1Model::OnWizardNext() {
    if (m_strBreed == m_strLoadedBreed) return WIZ_NEXT;

    if (m_pDoc->GetBreedPlugIn().IsLoaded()) {
        RemovePluginPages();
        m_pDoc->UnloadBreedPlugIn();
    }
    m_strLoadedBreed.clear();

    const int result = m_pDoc->LoadBreedPlugIn(m_strBreed, true);
    if (result != BREED_LOADED) {
        if (result == BREED_NOT_REGISTERED)
            CvlMessageBox(112, {m_strBreed}, MB_OK | MB_ICONSTOP | MB_HELP);
        else
            ReportBreedPlugInResult(result, m_strBreed);
        // The loader has let the plug-in go: the farmer may choose another breed here.
        return WIZ_STAY;
    }
    // Remembered only once loaded, so that Next on a breed that failed tries it again.
    m_strLoadedBreed = m_strBreed;

    // The plug-in's pages may call the document through it for as long as they exist.
    m_pDocDual = m_pDoc->GetDocumentDual();
    if (m_pDocDual) m_pDocDual->AddRef();
    CSheetFlow* sheet = GetSheet();
    if (m_pDoc->GetBreedProc("CVLLoadNewDocWizardSheets")) {
        for (int index = 0;; ++index) {
            CSheetPage* page = m_pPages->LoadPlugInPage(*m_pDoc, index, m_pDocDual);
            if (!page) break;
            page->SetHasHelp(false);
            m_plugInPages.push_back(page);
            sheet->AddPage(page);
        }
    }
    m_pPage3 = m_pPages->CreatePersonalPage();
    sheet->AddPage(m_pPage3);
    m_pPage4 = m_pPages->CreateFinishPage();
    sheet->AddPage(m_pPage4);
    return WIZ_NEXT;
}

void CFileNewWiz1Model::RemovePluginPages() {
    delete m_pPage3;
    m_pPage3 = nullptr;
    delete m_pPage4;
    m_pPage4 = nullptr;
    // Deleting a page takes it out of its sheet.
    for (CSheetPage* page : m_plugInPages) delete page;
    m_plugInPages.clear();
    if (IDocument* dual = std::exchange(m_pDocDual, nullptr)) dual->Release();
}

// ---- the new document ----------------------------------------------------------------------------

NewDatabaseOutcome CompleteNewDatabaseWizard(CSheepDoc& doc, CFileNewWiz1Model& breedPage, int sheetResult,
                                             const CNewDocumentServices& services) {
    if (sheetResult != ID_WIZFINISH) {
        breedPage.RemovePluginPages();
        doc.UnloadBreedPlugIn();
        return NewDatabaseOutcome::Cancelled;
    }

    if (CRegistrySettings::GetDWord(HKEY_LOCAL_MACHINE, u"Settings", u"EID Autoscan", 0) != 0 &&
        services.isScanning && !services.isScanning() && services.startScanning)
        services.startScanning();

    doc.SetAttribute(FARM_BREED, breedPage.GetLoadedBreed());
    int choice = CFileNewWiz4Model::CHOICE_MANUAL;
    if (const CFileNewWiz3Model* personal = breedPage.GetPersonalPage()) {
        doc.SetAttribute(FARM_FAX, personal->m_strFax);
        doc.SetAttribute(FARM_TELEPHONE, personal->m_strTelephone);
        doc.SetAttribute(FARM_ADDRESS, personal->m_strAddress);
    }
    if (const CFileNewWiz4Model* finish = breedPage.GetFinishPage()) choice = finish->GetChoice();
    breedPage.RemovePluginPages();

    // The flock made by the wizard stays whatever the import that follows does.
    if (choice == CFileNewWiz4Model::CHOICE_LOAD_FILE) {
        const bool imported = services.runImport && services.runImport();
        return imported ? NewDatabaseOutcome::Created : NewDatabaseOutcome::ImportFailed;
    }
    if (services.postAddCommand) services.postAddCommand();
    return NewDatabaseOutcome::Created;
}
