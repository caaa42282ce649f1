// The host that stands in for a briefcase: it pairs a data file (the original) with a copy of it (the
// replica, "the briefcase" copy), remembers what both looked like when they were last in step, and
// brings them back into step: a copy changed alone is copied over the other, copies changed on both
// sides go to the reconciler library.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/module.h"
#include "platform/safe_save.h"
#include "quillmere/reconciler_abi.h"

// What a copy looked like: size, modification time and a hash of its bytes.
struct CFingerprint {
    bool exists = false;
    uint64_t size = 0;
    int64_t mtime = 0;   // nanoseconds
    std::string sha256;  // lower-case hex

    static CFingerprint OfBytes(std::span<const uint8_t> bytes, const struct stat& st);
    // The file at path now; a missing file has exists false. False (error set) when it cannot be read.
    static bool OfFile(const std::string& path, CFingerprint& print, std::string& error);
    bool SameContent(const CFingerprint& other) const {
        return exists && other.exists && size == other.size && sha256 == other.sha256;
    }
};

struct CSyncPair {
    std::string original;                      // absolute path
    std::string replica;                       // file name in the record's folder
    CFingerprint originalPrint, replicaPrint;  // when the two were last in step
};

// The pairs whose replicas lie in one folder, kept in a small text file there, so that the folder
// (a memory stick) still knows its pairs wherever it is mounted.
class CSyncRecord {
public:
    static constexpr const char* kFileName = ".corvalen-briefcase";

    explicit CSyncRecord(std::string folder) : m_folder(std::move(folder)) {}
    // A missing file is an empty record. False (error set) when the file cannot be read or is damaged.
    bool Load(std::string& error);
    // Throws CFileException; the record on disk is the old one then.
    void Save(IFileOps& ops = SystemFileOps()) const;

    const std::string& Folder() const { return m_folder; }
    std::string Path() const { return m_folder + "/" + kFileName; }
    std::string ReplicaPath(const CSyncPair& pair) const { return m_folder + "/" + pair.replica; }
    CSyncPair* Find(const std::string& replicaName);

    std::vector<CSyncPair> pairs;

private:
    std::string m_folder;
};

// What the host tells the user, and how merge decisions are taken.
class IReplicaHostUI {
public:
    enum Severity { info, warning, error };
    virtual ~IReplicaHostUI() = default;
    virtual void Report(Severity severity, const std::string& text) = 0;
    // A box the reconciler shows (MB_ styles); the button chosen.
    virtual int ShowMessage(const std::string& caption, const std::string& text, UINT type) = 0;
    // IReconcileOwner::Decisions.
    virtual UINT Decisions() = 0;
    // With decideInDialogs: the list's merge dialog, modal; IDOK or IDCANCEL.
    virtual int RunMergeDialog(IMergeList& /*list*/) { return IDCANCEL; }
    virtual void Progress(unsigned long /*done*/, unsigned long /*total*/) {}
    virtual void ProgressText(const std::string& /*text*/) {}
};

class CReplicaHost {
public:
    enum Outcome {
        upToDate,
        copiedToReplica,       // the original alone had changed
        copiedToOriginal,      // the replica alone had changed
        reconciled,            // both had changed; both written
        reconciledIncomplete,  // both written, undecided differences left in each copy
        stopped,               // a decision was needed and nobody could take it; nothing written
        failed,                // reported; the pair stays as it was recorded
    };

    CReplicaHost(std::string libraryPath, IReplicaHostUI& ui, IFileOps& ops = SystemFileOps());
    ~CReplicaHost();

    // The reconciler library beside the running program (a build tree), else under the install prefix.
    static std::string DefaultLibraryPath();

    // Copies original to replica (which must not exist yet), tells the copy it is a replica and
    // records the pair in the replica's folder. False (reported) when anything fails; no replica is
    // left behind then.
    bool MakeReplica(const std::string& original, const std::string& replica);

    // Updates the pairs recorded in folder: those whose replica is named in replicaNames, or all of
    // them. True when every pair named ended in step.
    bool UpdateFolder(const std::string& folder, const std::vector<std::string>& replicaNames = {});

    enum PairState { inStep, originalChanged, replicaChanged, bothChanged, copyMissing, unreadable };
    // What an update of the pair would find now; nothing is written or reported (error says why
    // for copyMissing and unreadable).
    static PairState JudgePair(const CSyncRecord& record, const CSyncPair& pair, std::string& error);

    // One pair (the record is saved by the caller); what happened.
    Outcome UpdatePair(const CSyncRecord& record, CSyncPair& pair);

private:
    static PairState ComparePrints(const CSyncPair& pair, const CFingerprint& original,
                                   const CFingerprint& replica);
    bool LoadLibrary();
    Outcome Copy(const std::string& from, const std::string& to, std::span<const uint8_t> bytes,
                 CFingerprint& toPrint);
    // before: the copies' prints as they were judged.
    Outcome Reconcile(const CSyncRecord& record, CSyncPair& pair, const CSyncPair& before);
    HRESULT CreateObject(REFCLSID clsid, REFIID riid, void** ppv);
    // The files' current prints into pair; false (reported) when one cannot be read.
    bool TakePrints(const CSyncRecord& record, CSyncPair& pair);

    std::string m_library;
    IReplicaHostUI& m_ui;
    IFileOps& m_ops;
    CModule m_module;
};
