// The New Database wizard without its windows: the welcome page, the breed page (which loads the
// breed's plug-in and puts the plug-in's pages, the personal page and the finish page after itself),
// the personal page and the finish page; and what a new document does with them when the wizard
// ends. The wx pages derive from these models.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "document/sheet_flow.h"
#include "platform/text.h"

class CSheepDoc;
struct IDocument;

// Page templates.
constexpr unsigned IDD_FILENEW_WIZ0 = 283;
constexpr unsigned IDD_FILENEW_WIZ1 = 102;
constexpr unsigned IDD_FILENEW_WIZ3 = 245;
constexpr unsigned IDD_FILENEW_WIZ4 = 246;

// Controls.
constexpr int IDC_BREED_COMBO = 1030;
constexpr int IDC_PERSONAL_ADDRESS = 1029;
constexpr int IDC_PERSONAL_TELEPHONE = 1034;
constexpr int IDC_PERSONAL_FAX = 1031;
constexpr int IDC_LOAD_DATA_FILE = 1298;
constexpr int IDC_MANUAL_ENTRY = 1299;
constexpr int IDC_TITLE_FONT = 1404;

constexpr unsigned IDS_NEW_DATABASE_WIZARD = 19;

// The names of the breeds registered on this machine (the value names of the machine-wide Breeds key).
std::vector<WString> ListRegisteredBreeds();

class CFileNewWiz0Model : public CSheetPage {
public:
    CFileNewWiz0Model();
    void OnSetActive() override;
};

class CFileNewWiz3Model : public CSheetPage {
public:
    CFileNewWiz3Model();
    WString m_strAddress;
    WString m_strTelephone;
    WString m_strFax;
};

class CFileNewWiz4Model : public CSheetPage {
public:
    static constexpr int CHOICE_LOAD_FILE = 0;
    static constexpr int CHOICE_MANUAL = 1;

    CFileNewWiz4Model();
    void OnSetActive() override;
    bool OnWizardFinish() override;
    // A radio click: CHOICE_LOAD_FILE or CHOICE_MANUAL.
    void CheckRadio(int which);
    // The radio checked, -1 for none.
    int GetChecked() const { return m_nChecked; }
    // What the user chose (after Finish).
    int GetChoice() const { return m_nChoice; }

protected:
    // The wx page shows the radios' new state.
    virtual void OnRadiosChanged() {}

private:
    void UpdateButtons();
    int m_nChecked = -1;
    int m_nChoice = CHOICE_MANUAL;
};

class CFileNewWiz1Model;

// Makes the pages that the breed page adds: the wx pages in the program, the plain models in tests.
class INewDatabasePages {
public:
    virtual CFileNewWiz3Model* CreatePersonalPage() = 0;
    virtual CFileNewWiz4Model* CreateFinishPage() = 0;
    // The plug-in's page of that index through its CVLLoadNewDocWizardSheets export, null when there
    // are no more.
    virtual CSheetPage* LoadPlugInPage(CSheepDoc& doc, int index, IDocument* docDual) = 0;

protected:
    ~INewDatabasePages() = default;
};

class CFileNewWiz1Model : public CSheetPage {
public:
    CFileNewWiz1Model(CSheepDoc* doc, INewDatabasePages* pages);
    ~CFileNewWiz1Model() override;

    // Init: the registered breeds.
    void LoadBreedNames();
    const std::vector<WString>& GetBreedNames() const { return m_breeds; }
    // A selection in the combo (an empty name: none).
    void SelectBreed(const WString& breed);
    const WString& GetSelectedBreed() const { return m_strBreed; }
    const WString& GetLoadedBreed() const { return m_strLoadedBreed; }

    void OnSetActive() override;
    bool OnKillActive() override;
    int OnWizardNext() override;

    // Takes the plug-in's pages, the personal page and the finish page out of the sheet and deletes
    // them, and lets the document's interface go.
    void RemovePluginPages();
    int GetPlugInPageCount() const { return int(m_plugInPages.size()); }
    CSheetPage* GetPlugInPage(int index) const { return m_plugInPages[size_t(index)]; }
    CFileNewWiz3Model* GetPersonalPage() const { return m_pPage3; }
    CFileNewWiz4Model* GetFinishPage() const { return m_pPage4; }

private:
    void UpdateButtons();

    CSheepDoc* m_pDoc;
    INewDatabasePages* m_pPages;
    std::vector<WString> m_breeds;
    WString m_strBreed;
    WString m_strLoadedBreed;
    IDocument* m_pDocDual = nullptr;
    std::vector<CSheetPage*> m_plugInPages;
    CFileNewWiz3Model* m_pPage3 = nullptr;
    CFileNewWiz4Model* m_pPage4 = nullptr;
};

// What the new document needs of the program around it.
struct CNewDocumentServices {
    std::function<bool()> isScanning;     // the reader manager is scanning
    std::function<void()> startScanning;  // start the tag scan
    // File Import: false when the user cancelled it or it failed (it has reported why).
    std::function<bool()> runImport;
    // Posts Dedov|Add to the main window.
    std::function<void()> postAddCommand;
};

enum class NewDatabaseOutcome {
    Cancelled,     // no document: the plug-in was unloaded
    Created,       // the flock exists; Add was posted or the import ran
    ImportFailed,  // the flock exists, but the import that followed did not bring anything in
};

// What the new document does once the wizard ended with sheetResult (ID_WIZFINISH or Cancel).
NewDatabaseOutcome CompleteNewDatabaseWizard(CSheepDoc& doc, CFileNewWiz1Model& breedPage, int sheetResult,
                                             const CNewDocumentServices& services);
