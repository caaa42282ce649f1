#include "views/sheep_document.h"

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/mdi.h>
#include <wx/msgdlg.h>

#include "document/data_file.h"
#include "document/ui/multi_event_pages.h"
#include "document/ui/new_event_dlg.h"
#include "document/ui/address_dialogs.h"
#include "document/ui/window_handles.h"
#include "document/reader_manager.h"
#include "document/ui/wx_strings.h"
#include "document/windows_collection.h"
#include "platform/host.h"
#include "views/frame_site.h"
#include "views/record_view.h"

wxIMPLEMENT_DYNAMIC_CLASS(CSheepDocument, wxDocument);

namespace {

CSheepDocument::NewDocumentHook& NewHook() {
    static CSheepDocument::NewDocumentHook hook;
    return hook;
}

bool g_bSkipWizard = false;

const char16_t kSaveChanges[] = u"Save changes to %1?";

}  // namespace

CSheepDocument::CSheepDocument() : m_core(CRefPtr<CSheepDoc>::Adopt(new CSheepDoc)) {
    m_core->SetShell(this);
    m_core->SetFrame(this);
}

CSheepDocument::~CSheepDocument() {
    // An automation client may hold the core longer than the window lives: from now on its calls
    // that need a window fail instead of reaching this object.
    m_core->SetFrame(nullptr);
    m_core->SetShell(nullptr);
    m_core->DeleteContents();
}

void CSheepDocument::SetNewDocumentHook(NewDocumentHook hook) {
    NewHook() = std::move(hook);
}

void CSheepDocument::SkipNewDatabaseWizard(bool skip) {
    g_bSkipWizard = skip;
}

bool CSheepDocument::OnNewDocument() {
    if (!wxDocument::OnNewDocument()) return false;
    m_core->SetTitle(FromWx(GetUserReadableName()));
    if (!g_bSkipWizard && NewHook() && !NewHook()(*this)) return false;
    RefreshViews();
    if (auto* reader = CvlGetReaderManager()) reader->OnDocumentOpened();
    return true;
}

bool CSheepDocument::OnOpenDocument(const wxString& file) {
    if (!DoOpenDocument(file)) return false;
    SetFilename(file, true);
    SetDocumentSaved(true);
    Modify(false);
    RefreshViews();
    if (auto* reader = CvlGetReaderManager()) reader->OnDocumentOpened();
    return true;
}

bool CSheepDocument::DoOpenDocument(const wxString& file) {
    return m_core->OnOpenDocument(WToUtf8(FromWx(file)));
}

bool CSheepDocument::DoSaveDocument(const wxString& file) {
    // The core writes beside the file and replaces it only once the new one is complete.
    return m_core->OnSaveDocument(WToUtf8(FromWx(file)));
}

bool CSheepDocument::OnCloseDocument() {
    if (auto* reader = CvlGetReaderManager())
        reader->OnDocumentClosing(GetDocumentManager() ? int(GetDocumentManager()->GetDocumentsVector().size()) : 1);
    NotifyClosing();
    m_core->OnCloseDocument();
    m_core->UpdateAllViews(nullptr, HINT_SHEEP_SET);
    // The emptied views have just shown a total of 0: no record set is left to count.
    ClearRecordPane();
    wxDocument::Modify(false);
    return true;
}

bool CSheepDocument::DeleteContents() {
    m_core->DeleteContents();
    return true;
}

bool CSheepDocument::IsModified() const {
    return m_core->IsModified();
}

void CSheepDocument::Modify(bool modified) {
    m_core->SetModifiedFlag(modified);
    wxDocument::Modify(modified);
}

void CSheepDocument::OnChangeFilename(bool notifyViews) {
    wxDocument::OnChangeFilename(notifyViews);
    m_core->SetTitle(FromWx(GetUserReadableName()));
}

bool CSheepDocument::OnSaveModified() {
    if (!IsModified()) return true;
    const int answer = CvlMessageBoxText(FormatPlaceholders(kSaveChanges, {FromWx(GetUserReadableName())}),
                                         MB_YESNOCANCEL | MB_ICONEXCLAMATION);
    if (answer == IDCANCEL) return false;
    if (answer == IDNO) {
        Modify(false);
        return true;
    }
    return Save();
}

bool CSheepDocument::Save() {
    if (m_core->IsReadOnly()) return SaveAs();
    return wxDocument::Save();
}

void CSheepDocument::RefreshViews() {
    m_core->UpdateAllViews(nullptr, HINT_COLUMNS | HINT_SHEEP_SET);
}

// ---- the core's shell ---------------------------------------------------------------------------

int CSheepDocument::GetOpenDocumentCount() const {
    const wxDocManager* manager = GetDocumentManager();
    return manager ? int(manager->GetDocumentsVector().size()) : 1;
}

void CSheepDocument::ClearRecordPane() {
    if (IViewFrameSite* site = GetViewFrameSite()) site->SetRecordTotal(-1);
}

void CSheepDocument::EnableExtractionMenu(bool grey) {
    if (IViewFrameSite* site = GetViewFrameSite()) site->EnableExtractionMenu(grey);
}

// ---- the core's automation frame ----------------------------------------------------------------

WString CSheepDocument::GetPathName() const {
    return Utf8ToW(m_core->GetPathName());
}

bool CSheepDocument::IsFirstViewVisible() const {
    const wxView* view = GetFirstView();
    return view && view->GetFrame() && view->GetFrame()->IsShown();
}

void CSheepDocument::ShowFirstView(bool show) {
    if (wxView* view = GetFirstView(); view && view->GetFrame()) view->GetFrame()->Show(show);
}

void CSheepDocument::ActivateFirstView() {
    wxView* view = GetFirstView();
    if (!view) return;
    if (auto* child = wxDynamicCast(view->GetFrame(), wxMDIChildFrame)) child->Activate();
    view->Activate(true);
}

bool CSheepDocument::SaveDocument(const WString& path) {
    const wxString file = ToWx(path);
    if (!OnSaveDocument(file)) return false;
    if (wxDocManager* manager = GetDocumentManager()) manager->AddFileToHistory(file);
    return true;
}

bool CSheepDocument::SaveAs() {
    wxDocTemplate* docTemplate = GetDocumentTemplate();
    if (!docTemplate) return false;
    wxString folder = wxPathOnly(GetFilename());
    if (folder.empty() && GetDocumentManager()) folder = GetDocumentManager()->GetLastDirectory();
    const wxString chosen = wxFileSelector(
        "Save As", folder, wxFileNameFromPath(GetFilename()), docTemplate->GetDefaultExtension(),
        docTemplate->GetDescription() + " (*.cvl)|" + docTemplate->GetFileFilter(),
        wxFD_SAVE | wxFD_OVERWRITE_PROMPT, GetDocumentWindow());
    if (chosen.empty()) return false;
    const wxString path = wxString::FromUTF8(WithDataFileExtension(chosen.ToStdString(wxConvUTF8)));
    if (!SaveDocument(FromWx(path))) return false;
    SetTitle(wxFileNameFromPath(path));
    SetFilename(path, true);
    return true;
}

void CSheepDocument::CloseDocument() {
    Modify(false);
    if (wxDocManager* manager = GetDocumentManager()) {
        manager->CloseDocument(this, true);
    } else {
        OnCloseDocument();
        DeleteAllViews();
    }
}

IDispatch* CSheepDocument::CreateWindows() {
    return (new CWindows(&GetRecordWindowList(), IID_IWindow))->GetIDispatch(false);
}

bool CSheepDocument::RunAddressBrowser(long windowHandle, WString* name) {
    CAddressBrowserDlg dialog(m_core.Get(), CvlWindowFromHandle(windowHandle));
    dialog.m_strName = *name;
    if (dialog.DoModal() != IDOK) return false;
    *name = dialog.m_strName;
    return true;
}

bool CSheepDocument::RunNewEventDialog(CNewEventModel& model) {
    return ::RunNewEventDialog(wxTheApp ? wxTheApp->GetTopWindow() : nullptr, *m_core, model);
}

void CSheepDocument::RunMultiEventWizard(CSheepDoc& doc, const std::vector<WString>& names,
                                         int32_t typeFilter) {
    ::RunMultiEventWizard(wxTheApp ? wxTheApp->GetTopWindow() : nullptr, doc, names, typeFilter);
}
