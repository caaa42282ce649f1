#include "document/ui/sheet.h"

#include <wx/button.h>
#include <wx/cshelp.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/simplebook.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>

#include <algorithm>
#include <utility>

#include "document/ui/wx_strings.h"
#include "platform/host.h"

namespace {

CvlModalDriver& ModalDriver() {
    static CvlModalDriver driver;
    return driver;
}

constexpr int kHeaderTextWidth = 400;

}  // namespace

void CvlSetModalDriver(CvlModalDriver driver) {
    ModalDriver() = std::move(driver);
}

int CvlRunModal(wxDialog& dialog) {
    if (ModalDriver()) {
        dialog.Show();
        return ModalDriver()(dialog);
    }
    return dialog.ShowModal();
}

// ---- message boxes -------------------------------------------------------------------------------

long CvlMessageStyle(unsigned type) {
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

int CvlMessageResult(int wxResult) {
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

// ---- page windows --------------------------------------------------------------------------------

CCvlPageWindow::~CCvlPageWindow() {
    DestroyPageWindow();
}

void CCvlPageWindow::DestroyPageWindow() {
    if (wxPanel* wnd = std::exchange(m_pWnd, nullptr)) wnd->Destroy();
}

wxPanel* CCvlPageWindow::CreatePageWindow(wxWindow* parent) {
    if (m_pWnd) return m_pWnd;
    m_pWnd = new wxPanel(parent);
    // The sheet may go first; the page object lives on without a window.
    m_pWnd->Bind(wxEVT_DESTROY, [this, wnd = m_pWnd](wxWindowDestroyEvent& event) {
        if (event.GetEventObject() == wnd) m_pWnd = nullptr;
        event.Skip();
    });
    OnCreateControls(m_pWnd);
    CvlAttachContextHelp(m_pWnd, GetHelpTable());
    return m_pWnd;
}

// ---- the sheet -----------------------------------------------------------------------------------

CCvlPropertySheet::CCvlPropertySheet(wxWindow* parent, const WString& caption, bool wizard)
    : wxDialog(parent, wxID_ANY, ToWx(caption), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_flow(wizard) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    if (wizard) {
        m_pHeader = new wxPanel(this);
        m_pHeader->SetBackgroundColour(*wxWHITE);
        auto* headerSizer = new wxBoxSizer(wxVERTICAL);
        m_pTitle = new wxStaticText(m_pHeader, wxID_ANY, "");
        m_pTitle->SetFont(m_pTitle->GetFont().Bold());
        m_pSubTitle = new wxStaticText(m_pHeader, wxID_ANY, "");
        headerSizer->Add(m_pTitle, 0, wxLEFT | wxRIGHT | wxTOP, 12);
        headerSizer->Add(m_pSubTitle, 0, wxLEFT | wxRIGHT | wxBOTTOM, 24);
        m_pHeader->SetSizer(headerSizer);
        top->Add(m_pHeader, 0, wxEXPAND);
        top->Add(new wxStaticLine(this), 0, wxEXPAND);
        m_pBook = new wxSimplebook(this);
    } else {
        m_pBook = new wxNotebook(this, wxID_ANY);
        m_pBook->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, [this](wxBookCtrlEvent& event) {
            if (event.GetEventObject() != m_pBook) return event.Skip();
            const int wanted = event.GetSelection();
            if (wanted == m_flow.GetActiveIndex() || m_flow.SetActivePage(wanted)) return;
            // The active page would not be left: its tab comes back once the toolkit is done.
            CallAfter([this, alive = m_pAlive] {
                if (*alive && m_flow.GetActiveIndex() >= 0)
                    m_pBook->ChangeSelection(size_t(m_flow.GetActiveIndex()));
            });
        });
    }
    top->Add(m_pBook, 1, wxEXPAND | wxALL, wizard ? 0 : 8);
    if (wizard) top->Add(new wxStaticLine(this), 0, wxEXPAND);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    m_pHelp = new wxButton(this, wxID_HELP);
    buttons->Add(m_pHelp, 0, wxALL, 6);
    buttons->AddStretchSpacer();
    if (wizard) {
        m_pBack = new wxButton(this, wxID_BACKWARD, "< &Back");
        m_pNext = new wxButton(this, wxID_FORWARD, "&Next >");
        m_pFinish = new wxButton(this, ID_WIZFINISH, "Finish");
        buttons->Add(m_pBack, 0, wxTOP | wxBOTTOM, 6);
        buttons->Add(m_pNext, 0, wxTOP | wxBOTTOM, 6);
        buttons->Add(m_pFinish, 0, wxTOP | wxBOTTOM, 6);
        m_pBack->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressBack(); });
        m_pNext->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressNext(); });
        m_pFinish->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressFinish(); });
    } else {
        m_pOk = new wxButton(this, wxID_OK);
        buttons->Add(m_pOk, 0, wxALL, 6);
        m_pOk->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressOk(); });
    }
    auto* cancel = new wxButton(this, wxID_CANCEL);
    buttons->Add(cancel, 0, wxALL, 6);
    cancel->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PressCancel(); });
    m_pHelp->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        auto* page = dynamic_cast<CCvlPageWindow*>(m_flow.GetActivePage());
        if (wxHelpProvider* provider = wxHelpProvider::Get(); provider && page && page->GetWindow())
            provider->ShowHelp(page->GetWindow());
    });
    top->Add(buttons, 0, wxEXPAND);
    SetSizer(top);
    SetEscapeId(wxID_NONE);
    Bind(wxEVT_CLOSE_WINDOW, &CCvlPropertySheet::OnClose, this);
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        if (event.GetKeyCode() == WXK_ESCAPE)
            PressCancel();
        else
            event.Skip();
    });
    m_flow.SetView(this);
    OnButtonsChanged(m_flow.GetWizardButtons());
}

CCvlPropertySheet::~CCvlPropertySheet() {
    *m_pAlive = false;
    m_flow.SetView(nullptr);
    while (m_pBook->GetPageCount() > 0) m_pBook->RemovePage(0);
    for (int i = 0; i < m_flow.GetPageCount(); ++i)
        if (auto* page = dynamic_cast<CCvlPageWindow*>(m_flow.GetPage(i))) page->DestroyPageWindow();
}

int CCvlPropertySheet::DoModal(int firstPage) {
    m_flow.Start(firstPage);
    Layout();
    Fit();
    SetMinSize(GetSize());
    const int result = CvlRunModal(*this);
    return m_flow.IsEnded() ? m_flow.GetResult() : result;
}

void CCvlPropertySheet::PressBack() {
    m_flow.Back();
}
void CCvlPropertySheet::PressNext() {
    m_flow.Next();
}
void CCvlPropertySheet::PressFinish() {
    m_flow.Finish();
}
void CCvlPropertySheet::PressOk() {
    m_flow.Ok();
}
void CCvlPropertySheet::PressCancel() {
    m_flow.Cancel();
}

void CCvlPropertySheet::OnClose(wxCloseEvent& event) {
    if (!m_flow.IsEnded() && !m_flow.Cancel() && event.CanVeto()) event.Veto();
}

bool CCvlPropertySheet::IsHeaderShown() const {
    return m_pHeader && m_pHeader->IsShown();
}

WString CCvlPropertySheet::GetShownHeaderTitle() const {
    return IsHeaderShown() ? FromWx(m_pTitle->GetLabel()) : WString();
}

wxWindow* CCvlPropertySheet::ShowPageWindow(CSheetPage* page) {
    auto* pageWindow = dynamic_cast<CCvlPageWindow*>(page);
    if (!pageWindow) return nullptr;
    wxWindow* wnd = pageWindow->CreatePageWindow(m_pBook);
    if (m_pBook->FindPage(wnd) == wxNOT_FOUND) {
        // Ordinary sheets keep the flow's order of tabs; a wizard's book only holds what was shown.
        const int index = m_flow.IsWizard() ? int(m_pBook->GetPageCount()) : m_flow.GetPageIndex(page);
        m_pBook->InsertPage(size_t(index), wnd, ToWx(page->GetCaption()));
        // A page deleted while the sheet runs takes its window out of the book first.
        wnd->Bind(wxEVT_DESTROY, [this, wnd, alive = m_pAlive](wxWindowDestroyEvent& event) {
            event.Skip();
            if (!*alive || event.GetEventObject() != wnd) return;
            if (int at = m_pBook->FindPage(wnd); at != wxNOT_FOUND) m_pBook->RemovePage(size_t(at));
        });
    }
    return wnd;
}

void CCvlPropertySheet::OnPageInserted(int, CSheetPage* page) {
    // Tabs exist from the start; their windows hold controls that load when shown.
    if (!m_flow.IsWizard()) ShowPageWindow(page);
}

void CCvlPropertySheet::OnPageRemoved(int, CSheetPage* page) {
    auto* pageWindow = dynamic_cast<CCvlPageWindow*>(page);
    if (!pageWindow || !pageWindow->GetWindow()) return;
    const int at = m_pBook->FindPage(pageWindow->GetWindow());
    if (at != wxNOT_FOUND) m_pBook->RemovePage(size_t(at));
    pageWindow->GetWindow()->Hide();
}

void CCvlPropertySheet::OnActivePageChanged(int, CSheetPage* page) {
    if (!page) return;
    if (wxWindow* wnd = ShowPageWindow(page)) m_pBook->ChangeSelection(size_t(m_pBook->FindPage(wnd)));
    if (m_pHeader) {
        m_pTitle->SetLabel(ToWx(page->GetHeaderTitle()));
        m_pSubTitle->SetLabel(ToWx(page->GetHeaderSubTitle()));
        m_pSubTitle->Wrap(kHeaderTextWidth);
        m_pHeader->Show(!page->IsHeaderHidden());
    }
    m_pHelp->Show(page->HasHelp());
    Layout();
    // A page larger than the sheet makes it grow; it never shrinks while it runs.
    const wxSize best = GetBestSize(), now = GetSize();
    if (IsShown() && (best.x > now.x || best.y > now.y))
        SetSize(wxSize(std::max(best.x, now.x), std::max(best.y, now.y)));
}

void CCvlPropertySheet::OnButtonsChanged(unsigned buttons) {
    if (!m_flow.IsWizard()) return;
    const bool finish = buttons & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH);
    m_pBack->Enable(buttons & PSWIZB_BACK);
    m_pNext->Show(!finish);
    m_pNext->Enable(buttons & PSWIZB_NEXT);
    m_pFinish->Show(finish);
    m_pFinish->Enable(buttons & PSWIZB_FINISH);
    SetDefaultItem(finish ? m_pFinish : m_pNext);
    Layout();
}

void CCvlPropertySheet::OnSheetEnded(int result) {
    if (IsModal())
        EndModal(result);
    else
        Hide();
}
