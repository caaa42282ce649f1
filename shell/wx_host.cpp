#include "shell/wx_host.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "shell/help_book.h"
#include "shell/main_frame.h"
#include "shell/progress_status_bar.h"
#include "views/wx_text.h"

namespace {

long MessageStyle(unsigned type) {
    long style = 0;
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            style = wxOK | wxCANCEL;
            break;
        case MB_YESNO:
            style = wxYES_NO;
            break;
        case MB_YESNOCANCEL:
            style = wxYES_NO | wxCANCEL;
            break;
        default:
            style = wxOK;
            break;
    }
    switch (type & MB_ICONMASK) {
        case MB_ICONERROR:
            style |= wxICON_ERROR;
            break;
        case MB_ICONQUESTION:
            style |= wxICON_QUESTION;
            break;
        case MB_ICONWARNING:
            style |= wxICON_WARNING;
            break;
        case MB_ICONINFORMATION:
            style |= wxICON_INFORMATION;
            break;
        default:
            break;
    }
    const int defaultButton = CvlDefaultButton(type);
    if (defaultButton == IDNO) style |= wxNO_DEFAULT;
    if (defaultButton == IDCANCEL) style |= wxCANCEL_DEFAULT;
    return style;
}

int ResultOf(int wxResult) {
    switch (wxResult) {
        case wxID_YES:
            return IDYES;
        case wxID_NO:
            return IDNO;
        case wxID_CANCEL:
            return IDCANCEL;
        default:
            return IDOK;
    }
}

}  // namespace

CMainFrame* CWxHost::GetMainFrame() {
    auto* frame = wxTheApp ? dynamic_cast<CMainFrame*>(wxTheApp->GetTopWindow()) : nullptr;
    return frame && !frame->IsBeingDeleted() ? frame : nullptr;
}

int CWxHost::DoMessageBox(const CvlMessage& msg) {
    if (m_answerer) return m_answerer(msg);
    wxWindow* parent = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    const wxString caption = msg.caption.empty() ? wxString("Corvalen") : ToWx(msg.caption);
    long style = MessageStyle(msg.type);
    if ((msg.type & MB_HELP) && m_pHelpBook) style |= wxHELP;
    for (;;) {
        wxMessageDialog dialog(parent, ToWx(msg.text), caption, style);
        const int result = dialog.ShowModal();
        if (result != wxID_HELP) return ResultOf(result);
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
