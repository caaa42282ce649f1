// The application object of Dedov: start-up, document templates, the recent-file list and the
// application-level File commands.
#pragma once

#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/docview.h>

#include <memory>
#include <vector>

#include "document/application_automation.h"
#include "document/documents_collection.h"
#include "document/reader_manager.h"
#include "document/ui/address_dialogs.h"
#include "platform/automation/dbus_server.h"
#include "platform/text.h"
#include "records/address_book.h"
#include "shell/help_book.h"
#include "shell/wx_host.h"

class CApplicationSite;
class CMainFrame;
class CSheepDocument;

// The document templates' ids, one for each kind of view.
constexpr int IDR_SHEEPTYPE = 158;  // record view
constexpr int IDR_FLOCKTYPE = 159;  // flock list
constexpr int IDR_REPORTTYPE = 157;
constexpr int IDR_ANTECEDANTS = 154;
constexpr int IDR_ADDRESSES = 160;

// The "View" setting decides which view a document opens in first: the record view when it equals
// "Record" without regard to case, else the flock list. A missing value counts as "Record".
bool IsRecordViewSetting(WStringView view);
// The record and flock-list template ids in the order they are registered for that setting.
std::vector<int> PrimaryTemplateOrder(WStringView view);

class CSheepDocManager : public wxDocManager {
public:
    // Initialised by the caller, so that the recent-file list is ours.
    CSheepDocManager() : wxDocManager(0, false) {}
    static constexpr int kRecentFiles = 4;
    wxFileHistory* OnCreateFileHistory() override;
    // The recent-file list is kept under the application title, as "File1".."File4".
    void LoadRecentFiles();
    void SaveRecentFiles();
};

// The program's open flock documents as the automation Documents collection sees them.
class CShellDocuments : public IOpenDocuments {
public:
    int GetDocumentCount() override;
    CSheepDoc* GetDocumentAt(int index) override;
    CSheepDoc* CreateDocument() override;
    CSheepDoc* OpenDocument(const WString& path) override;
    void CloseDocument(CSheepDoc* doc) override;
    void CloseAllDocuments() override;

    // The window-side document of a core, or null.
    static CSheepDocument* FindDocument(const CSheepDoc* doc);
};

class CSheepApp : public wxApp {
public:
    CSheepApp();
    ~CSheepApp() override;

    bool OnInit() override;
    int OnExit() override;
    // Every event passes the splash first: a key or click closes it.
    int FilterEvent(wxEvent& event) override;

    // The start-up sequence with the program's arguments (without the program name).
    bool InitInstance(const wxArrayString& args);
    int ExitInstance();

    CMainFrame* GetMainFrame() const;
    CSheepDocManager* GetDocManager() const { return m_docManager; }
    CWxHost& GetHost() { return m_host; }
    // The shipped help book; null before start and after the end.
    CHelpBook* GetHelpBook() const { return m_helpBook.get(); }
    CEIDReaderManager& GetReaderManager() { return m_readerManager; }
    // Re-read from the settings at start-up.
    const WString& GetViewSetting() const { return m_strView; }
    bool IsRecordViewFirst() const { return IsRecordViewSetting(m_strView); }
    bool WasStartedWithoutFile() const { return m_bStartedWithoutFile; }
    bool IsAutomationStart() const { return m_bAutomation || m_bEmbedding; }

    // The recent-file list's capacity, and an entry as the start-up chooser shows it: the file name
    // alone when the file lies in currentDir, else its path. False for an empty entry.
    size_t GetRecentFileCount() const { return CSheepDocManager::kRecentFiles; }
    bool GetRecentFileDisplayName(WString& name, size_t index, const wxString& currentDir) const;

    // The splash and, when it closes, the start-up dialog (at once when the splash cannot be shown).
    // Scripted starts (the tests) turn both off.
    static void EnableStartupScreens(bool enable);
    void ShowStartupScreens(const wxBitmap& picture);
    // Only after a start without a file, once: a new flock, a recent one or another file.
    void ShowStartupDialog();

    // The folders searched for pictures: the stored list, else the user's pictures folder. Setting
    // them gives each a trailing separator and stores them joined by ';'.
    const std::vector<WString>& GetImageSearchPath();
    void SetImageSearchPath(const std::vector<WString>& folders);

    // File New with the first template (the New Database wizard); the new document, or null.
    wxDocument* CreateNewDocument();
    // A new empty document of the first template without the wizard, its window shown or hidden.
    wxDocument* CreateUntitledDocument(bool show);
    // The open documents for the automation Documents collection.
    IOpenDocuments& GetOpenDocuments() { return m_openDocuments; }
    // Opens a data file; null when it cannot be opened (the reason has been shown).
    wxDocument* OpenDocumentFile(const wxString& path);
    // Opens the recent file of that index (0..3); a file that fails to open leaves the list.
    wxDocument* OpenRecentFile(size_t index);

    // The automation Application object, registered while the main window exists.
    CApplicationAutomation* GetApplicationObject() const { return m_automation.Get(); }
    CApplicationSite* GetApplicationSite() const { return m_site.get(); }
    // Serves the Application object to scripts on the session bus, when this program got the name.
    const CDBusAutomationServer& GetBusServer() const { return m_bus; }
    // Ends the program for a script (Quit, or the last script letting go): documents the user has
    // seen get the ordinary save question; those of a hidden automation start are discarded.
    void CloseForAutomation();
    // The main window is going: the Application object stops answering.
    void RevokeApplicationObject();
    // The last script let go: an automation start that the user never took over ends.
    void OnLastClientGone();

private:
    void LoadApplicationServices();
    void StartReaderManager();
    void RegisterTemplates();
    void RegisterTemplate(int id);
    void AfterOpen();
    void ShutDown();
    void OnFileNew(wxCommandEvent& event);
    void OnFileOpen(wxCommandEvent& event);
    void OnRecentFile(wxCommandEvent& event);
    void OnAppAbout(wxCommandEvent& event);
    void OnHelpDetectAndRepair(wxCommandEvent& event);
    void OnHelpFinder(wxCommandEvent& event);
    // What a new document runs: the New Database wizard and what its last page chose.
    bool RunNewDatabase(CSheepDocument& doc);

    void RegisterApplicationObject();

    CWxHost m_host;
    CEIDReaderManager m_readerManager;
    CShellDocuments m_openDocuments;
    std::unique_ptr<CApplicationSite> m_site;
    CRefPtr<CApplicationAutomation> m_automation;
    CDBusAutomationServer m_bus;
    CCvlHost* m_previousHost = nullptr;
    std::unique_ptr<CWxAddressDialogs> m_addressDialogs;
    std::unique_ptr<CAddressBookBinding> m_addressBook;
    std::unique_ptr<CHelpBook> m_helpBook;
    CSheepDocManager* m_docManager = nullptr;
    WString m_strView;
    bool m_bStartedWithoutFile = false;
    bool m_bAutomation = false;
    bool m_bEmbedding = false;
    bool m_bInitialised = false;
};

wxDECLARE_APP(CSheepApp);
