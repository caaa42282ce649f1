// The sheet both reader wizards run in, with what their pages hand on to each other, and the page
// that talks to the reader: it runs one transfer on a worker, shows its progress and lets the user
// stop it; a lock of the session or the removal of the reader's port stops it too.
//
// A wizard builds the sheet, then its pages (each holding the sheet), adds them in order and runs
// the sheet modally:
//
//   CUploadWizard sheet(parentWindow, caption);
//   sheet.mode = EID_TRANSFER_CONTROL;                 // or set by a page before the transfer page
//   CUploadWizard10 transfer(sheet, source, port, config, doc);
//   transfer.SetHeaderIds(32, 33);
//   sheet.AddPage(&welcome); ... sheet.AddPage(&transfer); ...
//   return sheet.DoModal() == ID_WIZFINISH;
//
// The transfer page goes on by itself: Next after a transfer that succeeded (to the page of
// kReviewPageId or kEventTypePageId for a download, kEmptyDownloadPageId when only the reader's OK
// record came), Back after one that was stopped or failed.
#pragma once

#include <wx/timer.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "abi/reader_abi.h"
#include "document/ui/sheet.h"
#include "platform/session_lock.h"
#include "wyndrace/protocol.h"
#include "wyndrace/transfer.h"

class wxActivityIndicator;
class wxGauge;
class wxStaticText;

// Ids (dialog numbers) of the download pages the transfer page jumps to.
constexpr unsigned kTransferPageId = 107;
constexpr unsigned kEmptyDownloadPageId = 2010;
constexpr unsigned kReviewPageId = 113;
constexpr unsigned kEventTypePageId = 2006;

// An animal the download sets up.
struct CSheepToCreate {
    uint64_t eid = 0;
    int sex = 0;
};

class CUploadWizard : public CCvlPropertySheet {
public:
    CUploadWizard(wxWindow* parent, const WString& caption);

    int mode = EID_TRANSFER_UPLOAD;
    int universe = EIDSOURCE_ALL;
    int transferred = 0;                      // count of the last finished transfer
    std::vector<WString> receivedRecords;     // every record the reader sent, in order
    std::map<int32_t, int32_t> rowDecisions;  // review-list row to decision
    std::map<WString, uint64_t> eidsToSet;    // tattoo to EID
    std::map<WString, CSheepToCreate> sheepToCreate;
    WString eventCode;
    std::vector<int32_t> fieldMapping;  // control-record field per event parameter
    std::vector<CControlRecord> controlEvents;
    bool eraseAfterDownload = false;

    // Back or Next as the program presses them, whether the button is enabled or not. False when
    // the wizard stayed where it was (the buttons are then as they were).
    bool PressButtonForProgram(bool back);
    // The Cancel button reads Close (finish pages) or Cancel.
    void SetCancelToClose(bool close);
};

class CUploadWizard10 : public CCvlPropertyPage {
public:
    // source: the window that supplies the animals; it must outlive the page.
    CUploadWizard10(CUploadWizard& sheet, const EIDSourceWindow& source, const WString& port,
                    const COMMCONFIG* config, IDocument* doc);
    ~CUploadWizard10() override;

    void OnSetActive() override;
    int OnWizardBack() override;
    int OnWizardNext() override;
    bool OnQueryCancel() override;
    void OnReset() override;

    bool IsTransferring() const { return m_worker != nullptr; }
    // The reader's port went away (the program tells the page through WM_EIDTRANSFERPAGE's record).
    void OnDeviceRemoved();
    // The session was locked.
    void OnSessionLock();

    // Tests: what the page shows.
    wxGauge* GetProgress() const { return m_pProgress; }
    wxStaticText* GetStatus() const { return m_pStatus; }
    wxStaticText* GetPercent() const { return m_pPercent; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    void StartTransfer();
    void OnReport(const CTransferReport& report);
    // Stops the worker and waits for it, serving queued calls; its reports that are still queued
    // are dropped.
    void StopWorker();
    void ForgetWorker();
    void Leave();
    void SendTransferPage(bool present);

    CUploadWizard& m_sheet;
    EIDSourceWindow m_source;
    std::string m_port;
    COMMCONFIG m_config = EIDEmptyCommConfig();
    IDocument* m_doc;
    std::unique_ptr<CTransferWorker> m_worker;
    std::shared_ptr<int> m_generation = std::make_shared<int>(0);  // bumped when a worker is forgotten
    std::unique_ptr<ISessionLockWatcher> m_lock;
    EIDTransferPage m_pageRecord{};
    bool m_pageSent = false;
    wxTimer m_timer;
    wxGauge* m_pProgress = nullptr;
    wxStaticText* m_pStatus = nullptr;
    wxStaticText* m_pPercent = nullptr;
    wxActivityIndicator* m_pAnimation = nullptr;
};

// The wizard pages' message boxes, texts from the plug-in's string table.
WString WyndraceString(unsigned id);
// The two names of an animal that the download's pages and dialogs label.
constexpr unsigned IDS_ELECTRONIC_ID = 52;
constexpr unsigned IDS_TATTOO = 53;
// The text with its first "%s" replaced by the value.
WString ReplacePercentS(WString text, const WString& value);
