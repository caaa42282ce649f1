#include "shell/sheep_app.h"

#include <wx/cmdline.h>
#include <wx/dnd.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include <clocale>
#include <cstdio>

#include "document/command_ids.h"
#include "document/ui/image_path_page.h"
#include "document/ui/new_database_pages.h"
#include "document/ui/options_pages.h"
#include "document/ui/reader_options_page.h"
#include "document/ui/wx_strings.h"
#include "platform/install.h"
#include "platform/settings.h"
#include "records/app_services.h"
#include "shell/about_dlg.h"
#include "shell/application_site.h"
#include "shell/main_frame.h"
#include "shell/main_menus.h"
#include "shell/splash_window.h"
#include "views/address_browser.h"
#include "views/antecedants_view.h"
#include "views/file_commands.h"
#include "views/flock_view.h"
#include "views/record_view.h"
#include "views/report_fonts.h"
#include "views/report_view.h"
#include "views/sheep_document.h"

bool IsRecordViewSetting(WStringView view) {
    return EqualsNoCase(view, u"Record");
}

std::vector<int> PrimaryTemplateOrder(WStringView view) {
    if (IsRecordViewSetting(view)) return {IDR_SHEEPTYPE, IDR_FLOCKTYPE};
    return {IDR_FLOCKTYPE, IDR_SHEEPTYPE};
}

wxFileHistory* CSheepDocManager::OnCreateFileHistory() {
    return new wxFileHistory(kRecentFiles, WxCommandId(ID_FILE_MRU_FILE1));
}

void CSheepDocManager::LoadRecentFiles() {
    wxFileHistory* history = GetFileHistory();
    if (!history) return;
    // The list is stored newest first; adding puts a file in front, so add the oldest first.
    for (int i = kRecentFiles; i >= 1; --i) {
        const WString path = GetProfileString(u"Recent File List", FormatW("File%d", i));
        if (!path.empty()) history->AddFileToHistory(ToWx(path));
    }
}

void CSheepDocManager::SaveRecentFiles() {
    wxFileHistory* history = GetFileHistory();
    if (!history) return;
    for (int i = 0; i < kRecentFiles; ++i) {
        const WString entry = FormatW("File%d", i + 1);
        if (static_cast<size_t>(i) < history->GetCount())
            WriteProfileString(u"Recent File List", entry, FromWx(history->GetHistoryFile(i)));
        else
            DeleteProfileEntry(u"Recent File List", entry);
    }
}

namespace {

// Files dropped on the main window are opened as data files.
class CFileDropTarget : public wxFileDropTarget {
public:
    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override {
        for (const wxString& file : files) wxGetApp().OpenDocumentFile(file);
        return true;
    }
};

std::vector<CSheepDocument*> OpenSheepDocuments() {
    std::vector<CSheepDocument*> docs;
    if (!wxTheApp) return docs;
    CSheepDocManager* manager = wxGetApp().GetDocManager();
    if (!manager) return docs;
    for (wxDocument* doc : manager->GetDocumentsVector())
        if (auto* sheepDoc = dynamic_cast<CSheepDocument*>(doc)) docs.push_back(sheepDoc);
    return docs;
}

}  // namespace

// ---- the open documents for automation ------------------------------------------------------------

int CShellDocuments::GetDocumentCount() {
    return int(OpenSheepDocuments().size());
}

CSheepDoc* CShellDocuments::GetDocumentAt(int index) {
    const auto docs = OpenSheepDocuments();
    return index >= 0 && size_t(index) < docs.size() ? &docs[size_t(index)]->GetCore() : nullptr;
}

CSheepDoc* CShellDocuments::CreateDocument() {
    auto* doc = dynamic_cast<CSheepDocument*>(wxGetApp().CreateUntitledDocument(false));
    return doc ? &doc->GetCore() : nullptr;
}

CSheepDoc* CShellDocuments::OpenDocument(const WString& path) {
    auto* doc = dynamic_cast<CSheepDocument*>(wxGetApp().OpenDocumentFile(ToWx(path)));
    if (!doc) return nullptr;
    wxTheApp->ProcessIdle();
    return &doc->GetCore();
}

CSheepDocument* CShellDocuments::FindDocument(const CSheepDoc* core) {
    for (CSheepDocument* doc : OpenSheepDocuments())
        if (&doc->GetCore() == core) return doc;
    return nullptr;
}

void CShellDocuments::CloseDocument(CSheepDoc* core) {
    if (CSheepDocument* doc = FindDocument(core)) doc->CloseDocument();
}

void CShellDocuments::CloseAllDocuments() {
    for (CSheepDocument* doc : OpenSheepDocuments()) doc->CloseDocument();
}

// ---- the application --------------------------------------------------------------------------------

CSheepApp::CSheepApp() {
    SetAppName("Corvalen");
    SetAppDisplayName("Corvalen");
    Bind(wxEVT_MENU, &CSheepApp::OnFileNew, this, WxCommandId(ID_FILE_NEW));
    Bind(wxEVT_MENU, &CSheepApp::OnFileOpen, this, WxCommandId(ID_FILE_OPEN));
    Bind(wxEVT_MENU, &CSheepApp::OnAppAbout, this, WxCommandId(ID_APP_ABOUT));
    Bind(wxEVT_MENU, &CSheepApp::OnHelpDetectAndRepair, this, WxCommandId(ID_HELP_DETECT_AND_REPAIR));
    Bind(wxEVT_MENU, &CSheepApp::OnHelpFinder, this, WxCommandId(ID_HELP_FINDER));
    Bind(wxEVT_MENU, &CSheepApp::OnRecentFile, this, WxCommandId(ID_FILE_MRU_FILE1),
         WxCommandId(ID_FILE_MRU_FILE1) + CSheepDocManager::kRecentFiles - 1);
}

CSheepApp::~CSheepApp() = default;

bool CSheepApp::OnInit() {
    wxArrayString args;
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    return InitInstance(args);
}

namespace {

constexpr unsigned IDS_NOT_INSTALLED = 115;

bool g_bStartupScreens = true;
}  // namespace

void CSheepApp::EnableStartupScreens(bool enable) {
    g_bStartupScreens = enable;
}

int CSheepApp::FilterEvent(wxEvent& event) {
    CSplashWindow::PreTranslateAppMessage(event);
    return wxApp::FilterEvent(event);
}

void CSheepApp::ShowStartupScreens(const wxBitmap& picture) {
    CSplashWindow::SetClosedHandler([this] { CallAfter([this] { ShowStartupDialog(); }); });
    // Without the splash the dialog must still come: nothing else would offer a file.
    if (!CSplashWindow::ShowSplashScreen(GetMainFrame(), picture)) CallAfter([this] { ShowStartupDialog(); });
}

void CSheepApp::ShowStartupDialog() {
    if (!m_bStartedWithoutFile || !m_docManager) return;
    m_bStartedWithoutFile = false;
    std::vector<WString> recent;
    const wxString here = wxGetCwd();
    for (size_t i = 0; i < GetRecentFileCount(); ++i)
        if (WString name; GetRecentFileDisplayName(name, i, here)) recent.push_back(name);
    CStartModeDlg dialog(GetMainFrame(), recent);
    if (CvlRunModal(dialog) != wxID_OK) return;
    AfterOpen();
    if (!dialog.IsOpenMode())
        CreateNewDocument();
    else if (dialog.GetRecentIndex() >= 0)
        OpenRecentFile(size_t(dialog.GetRecentIndex()));
    else
        OpenDocumentFile(ToWx(dialog.GetPathName()));
}

int CSheepApp::OnExit() {
    ExitInstance();
    return wxApp::OnExit();
}

CMainFrame* CSheepApp::GetMainFrame() const {
    return CWxHost::GetMainFrame();
}

bool CSheepApp::InitInstance(const wxArrayString& args) {
    m_previousHost = CvlSetHost(&m_host);
    m_addressDialogs = std::make_unique<CWxAddressDialogs>();
    // The system offers no address book here: the binding runs without a provider.
    m_addressBook = std::make_unique<CAddressBookBinding>(nullptr);
    m_addressBook->SetRefreshHandler([this] {
        if (!m_docManager) return;
        for (wxDocument* doc : m_docManager->GetDocumentsVector())
            if (auto* sheepDoc = dynamic_cast<CSheepDocument*>(doc))
                sheepDoc->GetCore().RefreshMAPIAddresses();
    });
    m_addressBook->Load();
    Bind(wxEVT_IDLE, [this](wxIdleEvent& event) {
        event.Skip();
        if (m_addressBook) m_addressBook->DispatchNotifications();
    });
    m_bInitialised = true;

    // The command line: a data file to open, or a start for automation.
    wxCmdLineParser parser;
    parser.AddSwitch(wxEmptyString, "automation", "started by an automation client");
    parser.AddSwitch(wxEmptyString, "embedding", "started for embedding");
    parser.AddParam("file", wxCMD_LINE_VAL_STRING, wxCMD_LINE_PARAM_OPTIONAL);
    // The parser wants a program name in front.
    std::vector<wxWCharBuffer> buffers{wxWCharBuffer(L"Dedov")};
    for (const wxString& arg : args) buffers.push_back(arg.wc_str());
    std::vector<wxChar*> argv;
    for (auto& buffer : buffers) argv.push_back(buffer.data());
    parser.SetCmdLine(int(argv.size()), argv.data());
    if (parser.Parse(false) != 0) {
        ShutDown();
        return false;
    }
    m_bAutomation = parser.Found("automation");
    m_bEmbedding = parser.Found("embedding");
    const wxString file = parser.GetParamCount() > 0 ? parser.GetParam(0) : wxString();

    if (!CvlIsInstalled()) {
        CvlMessageBox(IDS_NOT_INSTALLED, MB_OK);
        ShutDown();
        return false;
    }

    std::setlocale(LC_ALL, "");
    m_helpBook = std::make_unique<CHelpBook>(CHelpBook::FindInstalledBook());
    m_helpBook->InstallProvider();
    m_host.SetHelpBook(m_helpBook.get());
    LoadApplicationServices();
    StartReaderManager();
    m_bStartedWithoutFile = false;
    m_docManager = new CSheepDocManager;
    m_docManager->Initialize();
    m_docManager->SetMaxDocsOpen(1000);
    // New flocks show their lists in the interface's font.
    CDocumentFile::SetDefaultReportFont(ReportFontFromInterface());
    RegisterTemplates();
    CSheepDocument::SetNewDocumentHook([this](CSheepDocument& doc) { return RunNewDatabase(doc); });

    auto* frame = new CMainFrame(m_docManager, "Corvalen");
    SetTopWindow(frame);
    frame->SetDropTarget(new CFileDropTarget);
    if (wxMenuBar* bar = frame->GetMenuBar()) {
        // Each file loaded into the history is put on the menus it already uses.
        m_docManager->FileHistoryUseMenu(bar->GetMenu(MENU_FILE));
        m_docManager->LoadRecentFiles();
    }

    RegisterApplicationObject();

    // Started by an automation client: the frame stays hidden.
    CSplashWindow::EnableSplashScreen(!IsAutomationStart());
    if (IsAutomationStart()) return true;

    frame->ShowWithPlacement();
    if (g_bStartupScreens) ShowStartupScreens(CSplashWindow::MakePicture());
    m_site->NoteShown();
    const WString defaultPath =
        CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"Default Path", u"");
    if (!defaultPath.empty()) wxSetWorkingDirectory(ToWx(defaultPath));
    if (file.empty()) {
        // No file named: the start-up chooser offers one later.
        m_bStartedWithoutFile = true;
    } else if (!OpenDocumentFile(file)) {
        ShutDown();
        return false;
    }
    frame->Update();
    return true;
}

void CSheepApp::StartReaderManager() {
    UiPost post = [this](std::function<void()> fn) { CallAfter(std::move(fn)); };
    m_readerManager.SetPoster(post);
    m_readerManager.SetPortWatcher(CreateUdevPortWatcher(post));
    m_readerManager.LoadSettings();
    CvlSetReaderManager(&m_readerManager);
    CvlSetReaderOptionsPageFactory([this](CSheepDoc&) -> std::unique_ptr<CSheetPage> {
        return std::make_unique<CEIDReaderOptions>(m_readerManager);
    });
}

void CSheepApp::LoadApplicationServices() {
    CSheepAppServices& services = CSheepAppServices::Get();
    services.SetDecimalPlaces(
        int(int32_t(CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Decimal Places", 2))));
    const WString stored =
        CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"Image Search Path", u"");
    std::vector<WString> folders;
    if (stored.empty()) {
        wxString pictures = wxStandardPaths::Get().GetUserDir(wxStandardPaths::Dir_Pictures);
        if (!pictures.EndsWith("/")) pictures += "/";
        folders.push_back(FromWx(pictures));
    } else {
        folders = Split(stored, u';');
    }
    services.SetImageSearchPath(std::move(folders));
    // The Images page of "Database Options" edits these folders.
    CvlSetImagesOptionsPageFactory([this](CSheepDoc&) -> std::unique_ptr<CSheetPage> {
        return std::make_unique<CImagePathPage>(
            GetImageSearchPath(), [this](const std::vector<WString>& edited) { SetImageSearchPath(edited); });
    });
}

bool CSheepApp::GetRecentFileDisplayName(WString& name, size_t index, const wxString& currentDir) const {
    name.clear();
    if (!m_docManager || index >= m_docManager->GetHistoryFilesCount()) return false;
    const wxFileName file(m_docManager->GetHistoryFile(index));
    wxFileName folder = wxFileName::DirName(currentDir);
    folder.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    const bool here = file.GetPath() == folder.GetPath();
    name = FromWx(here ? file.GetFullName() : file.GetFullPath());
    return !name.empty();
}

const std::vector<WString>& CSheepApp::GetImageSearchPath() {
    return CSheepAppServices::Get().GetImageSearchPath();
}

void CSheepApp::SetImageSearchPath(const std::vector<WString>& folders) {
    std::vector<WString> withSeparators;
    WString joined;
    for (WString folder : folders) {
        if (folder.empty() || folder.back() != u'/') folder += u'/';
        if (!withSeparators.empty()) joined += u';';
        joined += folder;
        withSeparators.push_back(std::move(folder));
    }
    CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"Image Search Path", joined);
    CSheepAppServices::Get().SetImageSearchPath(std::move(withSeparators));
}

void CSheepApp::RegisterTemplates() {
    m_strView = CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"View", u"Record");
    for (int id : PrimaryTemplateOrder(m_strView)) RegisterTemplate(id);
    for (int id : {IDR_REPORTTYPE, IDR_ANTECEDANTS, IDR_ADDRESSES}) RegisterTemplate(id);
}

void CSheepApp::RegisterTemplate(int id) {
    // Files are opened through the first template; the other view of a flock is only switched to.
    const long flags = m_docManager->GetTemplatesVector().empty() ? wxTEMPLATE_VISIBLE : wxTEMPLATE_INVISIBLE;
    const struct {
        int id;
        const char* viewName;
        wxClassInfo* viewClass;
    } templates[] = {
        {IDR_FLOCKTYPE, "Flock View", wxCLASSINFO(CFlockView)},
        {IDR_SHEEPTYPE, "Record View", wxCLASSINFO(CSheepView)},
        {IDR_ANTECEDANTS, "Antecedants View", wxCLASSINFO(CAntecedantsView)},
        {IDR_ADDRESSES, "Address Browser View", wxCLASSINFO(CAddressBrowserView)},
        {IDR_REPORTTYPE, "Report View", wxCLASSINFO(CReportView)},
    };
    for (const auto& t : templates)
        if (t.id == id)
            new wxDocTemplate(m_docManager, "Corvalen Files", "*.cvl;*.CVL", wxEmptyString, "cvl",
                              "Sheep.Document.1", t.viewName, wxCLASSINFO(CSheepDocument), t.viewClass,
                              flags);
}

void CSheepApp::RegisterApplicationObject() {
    const auto help = CvlGetComponentPath("Help");
    AfxSetAutomationAppInfo(u"Corvalen", help ? Utf8ToW(*help) : WString());
    m_site = std::make_unique<CApplicationSite>(*this);
    // A program the user started is theirs: no script ends it by letting go.
    m_site->SetUserControl(!IsAutomationStart());
    m_automation = CRefPtr<CApplicationAutomation>::Adopt(new CApplicationAutomation(m_site.get()));
    AfxOleRegisterApplication(m_automation.Get(), IID_IApplication);

    // Scripts in other processes reach the same object through the bus; the first program keeps the
    // name, so they always meet the running one.
    IDispatch* root = m_automation->GetIDispatch(true);
    std::string why;
    if (!m_bus.Start(root, &why))
        std::fprintf(stderr, "Dedov: scripts cannot reach this program over D-Bus (%s)\n", why.c_str());
    root->Release();
    m_bus.SetLastClientGoneHandler([this] { CallAfter([this] { OnLastClientGone(); }); });
}

void CSheepApp::RevokeApplicationObject() {
    if (!m_automation) return;
    m_bus.Stop();
    AfxOleRevokeApplication(m_automation.Get());
    // Scripts and plug-ins that still hold it get a refusal from now on.
    m_automation->DetachSite();
    m_automation.Reset();
    m_site.reset();
}

void CSheepApp::CloseForAutomation() {
    CMainFrame* frame = GetMainFrame();
    if (!frame || frame->IsBeingDeleted()) return;
    const bool seen = frame->IsShown() || (m_site && (m_site->WasShown() || m_site->GetUserControl()));
    if (!seen)
        for (wxDocument* doc : m_docManager->GetDocumentsVector()) doc->Modify(false);
    frame->Close();
}

void CSheepApp::OnLastClientGone() {
    if (m_site && !m_site->GetUserControl() && IsAutomationStart()) CloseForAutomation();
}

void CSheepApp::ShutDown() {
    CSplashWindow::SetClosedHandler({});
    CSplashWindow::HideSplashScreen();
    RevokeApplicationObject();
    if (CMainFrame* frame = GetMainFrame()) {
        frame->Destroy();
        DeletePendingObjects();
    }
    SetTopWindow(nullptr);
    m_readerManager.StopScan();
    if (CvlGetReaderManager() == &m_readerManager) CvlSetReaderManager(nullptr);
    CSheepDocument::SetNewDocumentHook({});
    CvlSetImagesOptionsPageFactory({});
    CvlSetReaderOptionsPageFactory({});
    delete m_docManager;
    m_docManager = nullptr;
    if (m_addressBook) m_addressBook->Unload();
    m_addressBook.reset();
    m_addressDialogs.reset();
    m_host.SetHelpBook(nullptr);
    m_helpBook.reset();
    if (m_bInitialised) CvlSetHost(m_previousHost);
    m_previousHost = nullptr;
    m_bInitialised = false;
}

void CSheepApp::OnHelpFinder(wxCommandEvent&) {
    if (m_helpBook) m_helpBook->DisplayContents();
}

int CSheepApp::ExitInstance() {
    if (m_docManager) m_docManager->SaveRecentFiles();
    ShutDown();
    return 0;
}

wxDocument* CSheepApp::CreateNewDocument() {
    // Always the first template: never the framework's choice of template.
    const wxList& templates = m_docManager->GetTemplates();
    if (templates.empty()) return nullptr;
    auto* docTemplate = static_cast<wxDocTemplate*>(templates.GetFirst()->GetData());
    wxDocument* doc = docTemplate->CreateDocument(wxEmptyString, wxDOC_NEW);
    if (!doc) return nullptr;
    doc->SetDocumentName(docTemplate->GetDocumentName());
    if (!doc->OnNewDocument()) {
        doc->DeleteAllViews();
        return nullptr;
    }
    // The new document's window is the active one before anything posted by the wizard runs.
    if (wxView* view = doc->GetFirstView()) view->Activate(true);
    AfterOpen();
    return doc;
}

wxDocument* CSheepApp::CreateUntitledDocument(bool show) {
    CSheepDocument::SkipNewDatabaseWizard(true);
    wxDocument* doc = CreateNewDocument();
    CSheepDocument::SkipNewDatabaseWizard(false);
    if (auto* sheepDoc = dynamic_cast<CSheepDocument*>(doc); sheepDoc && !show)
        sheepDoc->ShowFirstView(false);
    return doc;
}

bool CSheepApp::RunNewDatabase(CSheepDocument& doc) {
    CSheepDoc& core = doc.GetCore();
    CSummaryInfo& summary = core.GetSummaryInfo();
    summary = CSummaryInfo();
    summary.StartEditTimeCount();
    summary.RecordCreateDate();
    summary.m_author = WToAnsi(FromWx(wxGetUserId()));
    summary.m_appName = "Corvalen";

    CNewDocumentServices services;
    services.runImport = [this, &core] { return RunFileImport(GetMainFrame(), core); };
    services.postAddCommand = [] {
        if (CMainFrame* frame = CWxHost::GetMainFrame())
            wxQueueEvent(frame->GetEventHandler(), new wxCommandEvent(wxEVT_MENU, WxCommandId(ID_SHEEP_ADD)));
    };
    return RunNewDatabaseWizard(GetMainFrame(), core, services) != NewDatabaseOutcome::Cancelled;
}

wxDocument* CSheepApp::OpenDocumentFile(const wxString& path) {
    wxDocument* doc = m_docManager->CreateDocument(wxFileName(path).GetAbsolutePath(), wxDOC_SILENT);
    if (doc) AfterOpen();
    return doc;
}

wxDocument* CSheepApp::OpenRecentFile(size_t index) {
    if (index >= m_docManager->GetHistoryFilesCount()) return nullptr;
    const wxString path = m_docManager->GetHistoryFile(index);
    wxDocument* doc = OpenDocumentFile(path);
    if (!doc) m_docManager->RemoveFileFromHistory(index);
    return doc;
}

void CSheepApp::AfterOpen() {
    if (CMainFrame* frame = GetMainFrame()) frame->Update();
}

void CSheepApp::OnFileNew(wxCommandEvent&) {
    CreateNewDocument();
}

void CSheepApp::OnFileOpen(wxCommandEvent&) {
    const wxString path =
        wxFileSelector("Open", wxEmptyString, wxEmptyString, "cvl", "Corvalen Files (*.cvl)|*.cvl;*.CVL",
                       wxFD_OPEN | wxFD_FILE_MUST_EXIST, GetMainFrame());
    if (!path.empty()) OpenDocumentFile(path);
}

void CSheepApp::OnHelpDetectAndRepair(wxCommandEvent&) {
    CInstallRepair repair;
    {
        CCvlWaitCursor wait;
        repair = CvlDetectAndRepair();
    }
    // A sound installation needs no word; what could not be put right must not pass as repaired.
    if (repair.Sound()) return;
    WString text = u"Detect and Repair could not put everything right:\n";
    if (!repair.installed) text += u"\nThe installed program files were not found.";
    for (const std::string& name : repair.missing) text += u"\n" + Utf8ToW(name) + u" is missing.";
    for (const std::string& name : repair.failed)
        text += u"\n" + Utf8ToW(name) + u" could not be registered in the machine-wide settings.";
    text += u"\n\nPlease reinstall Corvalen.";
    CvlMessageBoxText(text, MB_OK | MB_ICONEXCLAMATION);
}

void CSheepApp::OnAppAbout(wxCommandEvent&) {
    CAboutDlg about(GetMainFrame());
    about.ShowModal();
}

void CSheepApp::OnRecentFile(wxCommandEvent& event) {
    OpenRecentFile(static_cast<size_t>(event.GetId() - WxCommandId(ID_FILE_MRU_FILE1)));
}

// wxGetApp() for the library and its tests; the program's entry point is in entry/.
wxIMPLEMENT_APP_NO_MAIN(CSheepApp);
