#include "document/ui/sync_wizard.h"

#include <wx/checkbox.h>
#include <wx/gauge.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <chrono>

#include "document/sheep_doc.h"
#include "document/ui/wx_strings.h"
#include "platform/host.h"
#include "platform/strings.h"

namespace {

constexpr unsigned IDS_SYNC_COMPLETE = 187;

const char16_t kEnterUser[] = u"Please enter your username";
const char16_t kEnterPassword[] = u"Please enter your password";
const char kConnecting[] = "Connecting to server...";
const char kAborted[] = "Aborted upload. Please press Cancel again to close the dialog";

long long NowSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

// ---- login -----------------------------------------------------------------------------------------

CSyncWizard1::CSyncWizard1(CSyncState& state) : CSheetPage(IDD_SYNC_LOGIN), m_state(state) {
    SetHeader(u"Login", u"Enter the user name and password that the breed society gave you.");
}

void CSyncWizard1::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* grid = new wxFlexGridSizer(2, 8, 8);
    grid->AddGrowableCol(1);
    m_pUser = new wxTextCtrl(panel, IDC_SYNC_USER, "", wxDefaultPosition, wxSize(220, -1));
    m_pPassword =
        new wxTextCtrl(panel, IDC_SYNC_PASSWORD, "", wxDefaultPosition, wxSize(220, -1), wxTE_PASSWORD);
    grid->Add(new wxStaticText(panel, wxID_ANY, "User name:"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pUser, 1, wxEXPAND);
    grid->Add(new wxStaticText(panel, wxID_ANY, "Password:"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pPassword, 1, wxEXPAND);
    sizer->Add(grid, 0, wxEXPAND | wxALL, 12);
    m_pRemember = new wxCheckBox(panel, IDC_SYNC_REMEMBER, "Remember my password");
    sizer->Add(m_pRemember, 0, wxLEFT | wxRIGHT | wxBOTTOM, 12);
    panel->SetSizer(sizer);
}

void CSyncWizard1::OnSetActive() {
    if (CSheetFlow* sheet = GetSheet()) sheet->SetWizardButtons(PSWIZB_NEXT);
}

int CSyncWizard1::OnWizardNext() {
    const WString user = m_pUser ? FromWx(m_pUser->GetValue()) : WString();
    const WString password = m_pPassword ? FromWx(m_pPassword->GetValue()) : WString();
    if (user.empty()) {
        CvlMessageBoxText(kEnterUser, MB_OK | MB_ICONEXCLAMATION);
        return WIZ_STAY;
    }
    if (password.empty()) {
        CvlMessageBoxText(kEnterPassword, MB_OK | MB_ICONEXCLAMATION);
        return WIZ_STAY;
    }
    // A connection of its own: the upload's starts fresh with the session.
    CHttpConnection login;
    WString key, redirect;
    if (!m_state.doc.WebSync(login, user, password, 0, key, redirect)) return WIZ_STAY;
    m_state.sessionKey = key;
    m_state.redirect = redirect;
    return WIZ_NEXT;
}

// ---- upload ----------------------------------------------------------------------------------------

CSyncWizard2::CSyncWizard2(CSyncState& state)
    : CSheetPage(IDD_SYNC_UPLOAD), m_state(state), m_job(state.doc) {
    SetHeader(u"Synchronising Data", u"Your animals are being sent to the breed society.");
    m_timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { StartUpload(); });
}

CSyncWizard2::~CSyncWizard2() {
    StopUpload();
}

void CSyncWizard2::OnCreateControls(wxPanel* panel) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_pStatus = new wxStaticText(panel, wxID_STATIC, kConnecting);
    sizer->Add(m_pStatus, 0, wxEXPAND | wxALL, 12);
    m_pProgress = new wxGauge(panel, IDC_SYNC_PROGRESS, 1, wxDefaultPosition, wxSize(360, -1));
    sizer->Add(m_pProgress, 0, wxEXPAND | wxLEFT | wxRIGHT, 12);
    m_pLines = new wxTextCtrl(panel, IDC_SYNC_LINES, "", wxDefaultPosition, wxSize(360, 160),
                              wxTE_MULTILINE | wxTE_READONLY);
    sizer->Add(m_pLines, 1, wxEXPAND | wxALL, 12);
    panel->SetSizer(sizer);
}

void CSyncWizard2::OnSetActive() {
    StopUpload();
    m_url = BuildSheepPostUrl(m_state.redirect, m_state.sessionKey);
    m_pProgress->SetRange(std::max(1, m_job.GetCount()));
    m_pProgress->SetValue(0);
    m_pProgress->Show();
    m_pLines->Clear();
    m_pStatus->SetLabel(kConnecting);
    m_timer.StartOnce(100);
}

void CSyncWizard2::StartUpload() {
    if (CSheetFlow* sheet = GetSheet()) sheet->SetWizardButtons(0);
    m_bRunning = true;
    m_startTime = NowSeconds();
    wxPanel* window = GetWindow();
    CWebUploadWorker::Callbacks callbacks;
    callbacks.post = [window](std::function<void()> fn) { window->CallAfter(std::move(fn)); };
    callbacks.build = [this](int index) { return m_job.BuildBody(index); };
    callbacks.reply = [this](int index, const CHttpReply& reply) {
        const WString line = m_job.TakeReply(index, m_url, reply);
        if (!line.empty()) OnProgress(index, line);
    };
    callbacks.finished = [this](bool completed) { OnFinished(completed); };
    m_worker = std::make_unique<CWebUploadWorker>(m_state.connection, m_url, m_job.GetCount(), callbacks);
    m_worker->Start();
}

void CSyncWizard2::OnProgress(int index, const WString& line) {
    if (index > 0)
        m_pStatus->SetLabel(
            ToWx(FormatUploadEstimate(NowSeconds() - m_startTime, m_pProgress->GetRange(), index)));
    m_pLines->AppendText(ToWx(line));
    m_pLines->ShowPosition(m_pLines->GetLastPosition());
    m_pProgress->SetValue(std::min(index, m_pProgress->GetRange()));
}

void CSyncWizard2::OnFinished(bool completed) {
    m_bRunning = false;
    CSheetFlow* sheet = GetSheet();
    if (completed) {
        if (sheet) sheet->SetWizardButtons(PSWIZB_FINISH);
        m_pProgress->Hide();
        m_pStatus->SetLabel(ToWx(LoadCvlString(IDS_SYNC_COMPLETE)));
    } else {
        if (sheet) sheet->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
        m_pStatus->SetLabel(kAborted);
    }
    if (wxWindow* window = GetWindow()) window->Layout();
}

bool CSyncWizard2::OnQueryCancel() {
    if (!m_bRunning) return true;
    if (m_worker) m_worker->Cancel();
    return false;
}

void CSyncWizard2::StopUpload() {
    m_timer.Stop();
    if (m_worker) m_worker->Stop();
    m_worker.reset();
    m_bRunning = false;
}

int RunSyncWizard(wxWindow* parent, CSheepDoc& doc) {
    CSyncState state(doc);
    CSyncWizard1 login(state);
    CSyncWizard2 upload(state);
    CCvlPropertySheet sheet(parent, u"Dedov Wizard", true);
    sheet.AddPage(&login);
    sheet.AddPage(&upload);
    const int result = sheet.DoModal();
    upload.StopUpload();
    return result;
}
