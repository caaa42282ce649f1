// File|Upload: the wizard that logs in to the breed society's web service and sends it the flock,
// one animal at a time, on a worker thread while the page shows progress and the time left.
#pragma once

#include <wx/timer.h>

#include <memory>

#include "document/sheet_flow.h"
#include "document/ui/sheet.h"
#include "document/web_upload.h"

class wxCheckBox;
class wxGauge;
class wxStaticText;
class wxTextCtrl;
class CSheepDoc;

constexpr unsigned IDD_SYNC_LOGIN = 279;
constexpr unsigned IDD_SYNC_UPLOAD = 280;
constexpr int IDC_SYNC_USER = 1378;
constexpr int IDC_SYNC_PASSWORD = 1380;
constexpr int IDC_SYNC_REMEMBER = 1382;
constexpr int IDC_SYNC_PROGRESS = 1384;
constexpr int IDC_SYNC_LINES = 1387;

// What the wizard's pages share: the document, the upload's connection, and what the login gave.
struct CSyncState {
    explicit CSyncState(CSheepDoc& document) : doc(document) {}
    CSheepDoc& doc;
    CHttpConnection connection;
    WString sessionKey;
    WString redirect;
};

// The login page: user name, password and "Remember my password" (which is not stored).
class CSyncWizard1 : public CSheetPage, public CCvlPageWindow {
public:
    explicit CSyncWizard1(CSyncState& state);
    void OnSetActive() override;
    int OnWizardNext() override;

    wxTextCtrl* GetUserEdit() const { return m_pUser; }
    wxTextCtrl* GetPasswordEdit() const { return m_pPassword; }

protected:
    void OnCreateControls(wxPanel* panel) override;

private:
    CSyncState& m_state;
    wxTextCtrl* m_pUser = nullptr;
    wxTextCtrl* m_pPassword = nullptr;
    wxCheckBox* m_pRemember = nullptr;
};

// The upload page: starts the worker 100 ms after it shows, lists each animal's answer, and keeps
// the wizard open while it runs (Cancel then stops the upload instead).
class CSyncWizard2 : public CSheetPage, public CCvlPageWindow {
public:
    explicit CSyncWizard2(CSyncState& state);
    ~CSyncWizard2() override;
    void OnSetActive() override;
    bool OnQueryCancel() override;
    // Ends a running upload and waits for its thread.
    void StopUpload();

    bool IsRunning() const { return m_bRunning; }
    wxGauge* GetProgress() const { return m_pProgress; }
    wxTextCtrl* GetLines() const { return m_pLines; }
    wxStaticText* GetStatus() const { return m_pStatus; }

protected:
    void OnCreateControls(wxPanel* panel) override;

private:
    void StartUpload();
    void OnProgress(int index, const WString& line);
    void OnFinished(bool completed);

    CSyncState& m_state;
    CSheepUploadJob m_job;
    std::unique_ptr<CWebUploadWorker> m_worker;
    std::string m_url;
    bool m_bRunning = false;
    long long m_startTime = 0;  // seconds
    wxTimer m_timer;
    wxGauge* m_pProgress = nullptr;
    wxTextCtrl* m_pLines = nullptr;
    wxStaticText* m_pStatus = nullptr;
};

// Runs the wizard titled "Dedov Wizard" on the document.
int RunSyncWizard(wxWindow* parent, CSheepDoc& doc);
