// One transfer with the reader on a worker thread, and what the transfer page hands it: the animals
// to upload, collected on the user-interface thread from the window that shows them.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "abi/reader_abi.h"
#include "platform/text.h"
#include "wyndrace/exchanges.h"

struct IDocument;

// The transfer a wizard runs.
constexpr int EID_TRANSFER_UPLOAD = 0;
constexpr int EID_TRANSFER_EQUIVALENCE = 1;  // download of the equivalence table
constexpr int EID_TRANSFER_CONTROL = 2;      // download of the control table

// What the worker reports to its page (the WM_EIDNOTIFY codes of a transfer).
constexpr uint32_t TRANSFER_SUCCEEDED = 1;
constexpr uint32_t TRANSFER_UNSUCCESSFUL = 2;  // stopped, or a download without its OK record
constexpr uint32_t TRANSFER_SHEEP_SENT = 3;    // text: the tattoo
constexpr uint32_t TRANSFER_FAILED = 4;        // result: the result code
constexpr uint32_t TRANSFER_RECEIVED = 5;      // text: the record

struct CTransferReport {
    uint32_t code = 0;
    uint32_t result = 0;
    WString text;
};

struct CTransferContext {
    int mode = EID_TRANSFER_UPLOAD;
    bool erase = false;  // control download: clear the reader afterwards
    std::string port;
    COMMCONFIG config = EIDEmptyCommConfig();
    std::vector<CEquivalenceItem> items;  // upload: the animals, in order
};

// Runs one transfer on a thread of its own. The reports are handed to `report` on that thread,
// which must only queue them for the user-interface thread; the worker never waits for them.
class CTransferWorker {
public:
    using Report = std::function<void(const CTransferReport&)>;

    CTransferWorker() = default;
    // Stops a running transfer and waits for it.
    ~CTransferWorker();
    CTransferWorker(const CTransferWorker&) = delete;
    CTransferWorker& operator=(const CTransferWorker&) = delete;

    void Start(CTransferContext context, Report report);
    // Seen between animals (upload) or between blocks (downloads), and at once in a read's wait.
    void RequestStop();
    bool IsRunning() const { return m_running.load(); }
    // Until the thread has ended; `serve` runs between looks (the user-interface thread's queued
    // calls, so that a worker waiting on one of them can finish).
    void Wait(const std::function<void()>& serve = {});

    // Animals sent or records received; read once the worker has reported.
    int Count() const { return m_count.load(); }
    bool Succeeded() const { return m_success.load(); }
    EraseResult GetEraseResult() const { return m_erase; }

private:
    void Run(CTransferContext context, Report report);

    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_count{0};
    std::atomic<bool> m_success{false};
    EraseResult m_erase = EraseResult::NotAsked;
    std::mutex m_lock;
    std::condition_variable m_ended;
};

// Until `done` gives true, serving the user-interface thread's queued calls between looks.
void WaitServing(const std::function<bool()>& done, const std::function<void()>& serve);

// A tattoo that would split its equivalence record.
bool IsUploadableTattoo(WStringView tattoo);

// The animals of the source window's universe, walked with WM_EIDSOURCE on the user-interface
// thread, each looked up by its tattoo; tattoos no animal has are passed over.
using TattooLookup = std::function<bool(const WString& tattoo, uint64_t& eid)>;
std::vector<CEquivalenceItem> CollectUploadItems(const EIDSourceWindow& source, int32_t universe,
                                                 const TattooLookup& lookup);
// WM_EIDSOURCE count.
int CountSourceItems(const EIDSourceWindow& source, int32_t universe);

// Looks tattoos up in the document's records collection (as text, never as a position).
class CDocumentTattoos {
public:
    explicit CDocumentTattoos(IDocument* doc);
    ~CDocumentTattoos();
    CDocumentTattoos(const CDocumentTattoos&) = delete;
    CDocumentTattoos& operator=(const CDocumentTattoos&) = delete;
    bool Find(const WString& tattoo, uint64_t& eid) const;

private:
    void* m_records = nullptr;
};
