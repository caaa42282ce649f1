#include "shell/application_site.h"

#include <wx/filename.h>
#include <wx/html/helpctrl.h>

#include "document/ui/wx_strings.h"
#include "document/windows_collection.h"
#include "shell/main_frame.h"
#include "shell/sheep_app.h"
#include "views/record_view.h"
#include "views/sheep_document.h"

CApplicationSite::CApplicationSite(CSheepApp& app) : m_app(app) {}

CApplicationSite::~CApplicationSite() = default;

WString CApplicationSite::GetCaption() {
    CMainFrame* frame = m_app.GetMainFrame();
    return frame ? FromWx(frame->GetTitle()) : WString();
}

void CApplicationSite::SetCaption(const WString& caption) {
    if (CMainFrame* frame = m_app.GetMainFrame()) frame->SetTitle(ToWx(caption));
}

bool CApplicationSite::IsVisible() {
    CMainFrame* frame = m_app.GetMainFrame();
    return frame && frame->IsShown();
}

void CApplicationSite::SetVisible(bool visible) {
    CMainFrame* frame = m_app.GetMainFrame();
    if (!frame) return;
    if (visible) m_bShown = true;
    frame->Show(visible);
    if (visible) frame->Raise();
}

CCmdTarget* CApplicationSite::GetActiveDocument() {
    wxDocManager* manager = m_app.GetDocManager();
    auto* doc = manager ? dynamic_cast<CSheepDocument*>(manager->GetCurrentDocument()) : nullptr;
    return doc ? &doc->GetCore() : nullptr;
}

CCmdTarget* CApplicationSite::GetActiveWindow() {
    // The record views are the document windows that are automation objects; the active one
    // comes first when it is one of them.
    CMainFrame* frame = m_app.GetMainFrame();
    const std::vector<CSheepView*> views = GetRecordViewsInWindowOrder();
    if (!frame || views.empty() || views.front()->GetFrame() != frame->GetActiveChild()) return nullptr;
    return views.front()->GetAutomation();
}

IOpenDocuments& CApplicationSite::GetOpenDocuments() {
    return m_app.GetOpenDocuments();
}

IDispatch* CApplicationSite::CreateWindows() {
    return (new CWindows(&GetRecordWindowList(), IID_IWindow))->GetIDispatch(false);
}

std::vector<WString> CApplicationSite::GetImageSearchPath() {
    return m_app.GetImageSearchPath();
}

void CApplicationSite::SetImageSearchPath(const std::vector<WString>& folders) {
    m_app.SetImageSearchPath(folders);
}

void CApplicationSite::PostQuit() {
    // Later: a script's call returns before any question the close may ask.
    m_app.CallAfter([this] { m_app.CloseForAutomation(); });
}

void CApplicationSite::ShowHelp(const WString& helpFile, UINT command, DWORD context, const WString& topic) {
    const wxString file = ToWx(helpFile);
    if (file.empty() || !wxFileName::FileExists(file)) return;
    if (!m_help) m_help = std::make_unique<wxHtmlHelpController>();
    if (!m_help->AddBook(wxFileName(file))) return;
    switch (command) {
        case HH_HELP_CONTEXT:
            m_help->Display(int(context));
            break;
        case HH_DISPLAY_TOPIC:
            m_help->Display(ToWx(topic));
            break;
        default:
            m_help->DisplayIndex();
            break;
    }
}
