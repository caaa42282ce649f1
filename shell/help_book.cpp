#include "shell/help_book.h"

#include <wx/filename.h>
#include <wx/html/helpctrl.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "document/ui/context_help.h"
#include "platform/install.h"

CHelpBook::CHelpBook(wxString projectFile) : m_project(std::move(projectFile)) {}

CHelpBook::~CHelpBook() {
    if (m_provider && wxHelpProvider::Get() == m_provider) {
        wxHelpProvider::Set(m_previous);
        delete m_provider;
    }
    if (m_controller) m_controller->Quit();
}

wxString CHelpBook::FindInstalledBook() {
    const auto path = CvlGetComponentPath("Help");
    return path ? wxString::FromUTF8(*path) : wxString();
}

void CHelpBook::InstallProvider() {
    if (m_provider) return;
    CCvlHelpContext context;
    if (!m_project.empty()) {
        wxFileName table(m_project);
        table.SetFullName("context.txt");
        // A book without its table still shows its topics; the pop-ups stay silent.
        context.Load(table.GetFullPath().utf8_string());
    }
    m_provider = new CCvlHelpProvider(std::move(context));
    m_previous = wxHelpProvider::Set(m_provider);
}

wxHtmlHelpController* CHelpBook::GetController() {
    if (m_project.empty() || !wxFileName::FileExists(m_project)) return nullptr;
    if (!m_controller) {
        // No cache files in the user's folders: the book is small.
        m_controller = std::make_unique<wxHtmlHelpController>(wxHF_DEFAULT_STYLE);
        m_bLoaded = m_controller->AddBook(wxFileName(m_project));
    }
    return m_bLoaded ? m_controller.get() : nullptr;
}

bool CHelpBook::DisplayContents() {
    wxHtmlHelpController* controller = GetController();
    return controller && controller->DisplayContents();
}

bool CHelpBook::DisplayTopic(int id) {
    wxHtmlHelpController* controller = GetController();
    return controller && controller->Display(id);
}

bool CHelpBook::ShowPromptHelp(unsigned helpId, wxWindow* over) {
    // The question waits for its answer: the help comes modal over it, then the question again.
    if (const std::string* text = m_provider ? m_provider->GetContext().Find(helpId) : nullptr) {
        wxMessageDialog(over, wxString::FromUTF8(*text), "Corvalen Help", wxOK | wxICON_INFORMATION)
            .ShowModal();
        return true;
    }
    if (m_project.empty() || !wxFileName::FileExists(m_project)) return false;
    wxHtmlHelpController modal(wxHF_DEFAULT_STYLE | wxHF_DIALOG | wxHF_MODAL, over);
    return modal.AddBook(wxFileName(m_project)) && modal.Display(kHelpTopicMessages);
}
