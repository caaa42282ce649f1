#include "shell/wx_host.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "document/ui/sheet.h"
#include "document/ui/wx_strings.h"
#include "shell/help_book.h"
#include "shell/main_frame.h"
#include "shell/progress_status_bar.h"

CMainFrame* CWxHost::GetMainFrame() {
    auto* frame = wxTheApp ? dynamic_cast<CMainFrame*>(wxTheApp->GetTopWindow()) : nullptr;
    return frame && !frame->IsBeingDeleted() ? frame : nullptr;
}

int CWxHost::DoMessageBox(const CvlMessage& msg) {
    if (m_answerer) return m_answerer(msg);
    wxWindow* parent = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    const wxString caption = msg.caption.empty() ? wxString("Corvalen") : ToWx(msg.caption);
    long style = CvlMessageStyle(msg.type);
    if ((msg.type & MB_HELP) && m_pHelpBook) style |= wxHELP;
    for (;;) {
        wxMessageDialog dialog(parent, ToWx(msg.text), caption, style);
        const int result = dialog.ShowModal();
        if (result != wxID_HELP) return CvlMessageResult(result);
        // Help answers nothing: the question comes back once the help is closed.
        m_pHelpBook->ShowPromptHelp(msg.helpId, parent);
    }
}

void CWxHost::SetMessageText(const WString& text) {
    if (CMainFrame* frame = GetMainFrame()) frame->SetMessageText(text);
}

bool CWxHost::OnBeginProgress(const WString& title, int range) {
    CMainFrame* frame = GetMainFrame();
    return frame && frame->GetProgressBar()->BeginProgress(title, static_cast<unsigned>(range));
}

void CWxHost::OnProgressPos(int pos) {
    if (CMainFrame* frame = GetMainFrame()) frame->GetProgressBar()->SetPos(pos);
}

void CWxHost::OnEndProgress() {
    if (CMainFrame* frame = GetMainFrame()) frame->GetProgressBar()->EndProgress();
}

void CWxHost::OnWaitCursor(bool show) {
    if (show)
        wxBeginBusyCursor();
    else
        wxEndBusyCursor();
}
