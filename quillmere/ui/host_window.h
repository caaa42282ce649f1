// The host's window: the pairs of one briefcase folder and their state, Update with its progress,
// the reconciler's boxes and the merge dialogs, so that nobody needs a terminal. The update runs on a
// worker thread; everything it shows is handed to the GUI thread.
#pragma once

#include <wx/frame.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "quillmere/replica_host.h"

class wxButton;
class wxGauge;
class wxListCtrl;
class wxStaticText;
class wxTextCtrl;

class CHostFrame : public wxFrame, public IReplicaHostUI {
public:
    CHostFrame(std::string folder, std::string library = CReplicaHost::DefaultLibraryPath());
    ~CHostFrame() override;

    // Reads the folder's record and judges each pair again.
    void RefreshPairs();
    // Starts an update of every pair of the folder; false when one is running already.
    bool StartUpdate();
    bool IsUpdating() const { return m_worker.joinable(); }
    void SetFolder(const std::string& folder);

    // For tests: what the window shows.
    wxListCtrl& GetPairs() const { return *m_pPairs; }
    wxTextCtrl& GetLog() const { return *m_pLog; }
    wxButton& GetUpdateButton() const { return *m_pUpdate; }
    wxGauge& GetGauge() const { return *m_pGauge; }
    // Called on the GUI thread when an update has ended (tests wait for it).
    std::function<void(bool allInStep)> onUpdateDone;

    // The state of a pair as the list shows it.
    static wxString StateText(CReplicaHost::PairState state);

    // IReplicaHostUI, called on the worker.
    void Report(Severity severity, const std::string& text) override;
    int ShowMessage(const std::string& caption, const std::string& text, UINT type) override;
    UINT Decisions() override { return IReconcileOwner::decideInDialogs; }
    int RunMergeDialog(IMergeList& list) override;
    void Progress(unsigned long done, unsigned long total) override;
    void ProgressText(const std::string& text) override;

private:
    void UpdateDone(bool allInStep);
    void OnClose(wxCloseEvent& event);

    std::string m_folder, m_library;
    wxStaticText* m_pFolder = nullptr;
    wxListCtrl* m_pPairs = nullptr;
    wxButton* m_pUpdate = nullptr;
    wxButton* m_pChoose = nullptr;
    wxGauge* m_pGauge = nullptr;
    wxStaticText* m_pStatus = nullptr;
    wxTextCtrl* m_pLog = nullptr;
    std::thread m_worker;
    std::atomic<unsigned> m_lastPercent{~0u};
    // Forced shut during an update: every dialog the update asks for is answered with Cancel, and
    // the window goes when the update has ended.
    std::atomic<bool> m_closing{false};
};

// The window over folder until it is closed; the program's exit code.
int RunHostWindow(int argc, char** argv, const std::string& folder);
