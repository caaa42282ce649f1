#include "quillmere/replica_host.h"

#include <fcntl.h>
#include <glib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "platform/file_lock.h"
#include "platform/install.h"
#include "platform/text.h"
#include "quillmere/com_object.h"
#include "quillmere/storage.h"

namespace fs = std::filesystem;

namespace {

constexpr DWORD kReconcileFlags =
    RECONCILEF_MAYBOTHERUSER | RECONCILEF_FEEDBACKWINDOWVALID | RECONCILEF_YOUMAYDOTHEUPDATES;

std::string Quote(const std::string& path) {
    return "\"" + path + "\"";
}

// Reads the whole file through one descriptor, so the bytes and the status belong to the same file
// even when a save replaces it meanwhile. 0, or the errno.
int ReadWhole(const std::string& path, std::vector<uint8_t>& bytes, struct stat& st) {
    bytes.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    int err = 0;
    if (fstat(fd, &st) != 0) {
        err = errno;
    } else if (!S_ISREG(st.st_mode)) {
        err = EISDIR;
    } else {
        bytes.reserve(size_t(st.st_size));
        uint8_t buffer[65536];
        for (;;) {
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                err = errno;
                break;
            }
            if (n == 0) break;
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
    }
    close(fd);
    return err;
}

std::string ErrnoText(int err) {
    return std::strerror(err);
}

// What the user reads for a storage that could not be opened.
std::string StorageErrorText(HRESULT hr, const std::string& path) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", unsigned(hr));
    switch (hr) {
        case STG_E_ACCESSDENIED:
            return "Access Denied: " + Quote(path) +
                   " is open in Corvalen or in another update, or may not be written by you.";
        case STG_E_FILENOTFOUND:
            return "The file " + Quote(path) + " could not be found.";
        case STG_E_FILEFORMAT:
            return "The file " + Quote(path) + " is not a Corvalen flock, or it is damaged.";
        case STG_E_READFAULT:
            return "The file " + Quote(path) + " could not be read.";
        default:
            return "The file " + Quote(path) + " could not be opened (error " + code + ").";
    }
}

// A moniker of the host's that remembers why its last bind failed, so that the box the reconciler
// shows for an error it has no text for can say something.
class CHostMoniker : public CSingleInterfaceObject<IMoniker> {
public:
    explicit CHostMoniker(std::string path)
        : m_path(std::move(path)), m_inner(CComPtr<IMoniker>::Adopt(NewFileMoniker(m_path))) {}
    HRESULT BindToStorage(const BIND_OPTS* opts, REFIID riid, void** ppv) override {
        m_lastError = m_inner->BindToStorage(opts, riid, ppv);
        return m_lastError;
    }
    ULONG GetDisplayName(OLECHAR* name, ULONG cch) override { return m_inner->GetDisplayName(name, cch); }
    HRESULT LastError() const { return m_lastError; }
    const std::string& GetPath() const { return m_path; }

protected:
    const IID& InterfaceId() const override { return IID_IMoniker; }

private:
    std::string m_path;
    CComPtr<IMoniker> m_inner;
    HRESULT m_lastError = S_OK;
};

class COwner : public IReconcileOwner {
public:
    COwner(IReplicaHostUI& ui, const CHostMoniker& other) : m_ui(ui), m_other(other) {}
    int ShowMessage(LPCOLESTR caption, LPCOLESTR text, UINT type) override {
        std::string shown = text ? WToUtf8(text) : std::string();
        if (shown.empty() && FAILED(m_other.LastError()))
            shown = StorageErrorText(m_other.LastError(), m_other.GetPath());
        return m_ui.ShowMessage(caption ? WToUtf8(caption) : std::string(), shown, type);
    }
    UINT GetDecisions() override { return m_ui.Decisions(); }
    int RunMergeDialog(IMergeList* list) override { return list ? m_ui.RunMergeDialog(*list) : IDCANCEL; }

private:
    IReplicaHostUI& m_ui;
    const CHostMoniker& m_other;
};

class CInitiator : public CSingleInterfaceObject<IReconcileInitiator> {
public:
    explicit CInitiator(IReplicaHostUI& ui) : m_ui(ui) {}
    HRESULT SetAbortCallback(IUnknown*) override { return S_OK; }
    HRESULT SetProgressFeedback(ULONG n, ULONG max) override {
        m_ui.Progress(n, max);
        return S_OK;
    }

protected:
    const IID& InterfaceId() const override { return IID_IReconcileInitiator; }

private:
    IReplicaHostUI& m_ui;
};

class CProgressLine : public IProgressText {
public:
    explicit CProgressLine(IReplicaHostUI& ui) : m_ui(ui) {}
    void SetText(LPCOLESTR text) override { m_ui.ProgressText(text ? WToUtf8(text) : std::string()); }

private:
    IReplicaHostUI& m_ui;
};

std::string AbsolutePath(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(path, ec);
    return (ec ? fs::path(path) : p).lexically_normal().string();
}

}  // namespace

// ---- fingerprints --------------------------------------------------------------------------------

CFingerprint CFingerprint::OfBytes(std::span<const uint8_t> bytes, const struct stat& st) {
    CFingerprint print;
    print.exists = true;
    print.size = bytes.size();
    print.mtime = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    gchar* hex = g_compute_checksum_for_data(G_CHECKSUM_SHA256, bytes.data(), bytes.size());
    print.sha256 = hex;
    g_free(hex);
    return print;
}

bool CFingerprint::OfFile(const std::string& path, CFingerprint& print, std::string& error) {
    std::vector<uint8_t> bytes;
    struct stat st {};
    print = CFingerprint();
    if (const int err = ReadWhole(path, bytes, st)) {
        if (err == ENOENT) return true;
        error = "The file " + Quote(path) + " could not be read: " + ErrnoText(err) + ".";
        return false;
    }
    print = OfBytes(bytes, st);
    return true;
}

// ---- the record ----------------------------------------------------------------------------------

bool CSyncRecord::Load(std::string& error) {
    pairs.clear();
    std::ifstream in(Path(), std::ios::binary);
    if (!in) {
        if (errno == ENOENT || !fs::exists(Path())) return true;
        error = "The briefcase record " + Quote(Path()) + " could not be read.";
        return false;
    }
    std::string line;
    int number = 0;
    auto damaged = [&] {
        error = "The briefcase record " + Quote(Path()) + " is damaged at line " + std::to_string(number) +
                "; it was left as it is.";
        pairs.clear();
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        if (line == "[pair]") {
            pairs.emplace_back();
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos || pairs.empty()) return damaged();
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        CSyncPair& pair = pairs.back();
        CFingerprint* print = key.starts_with("original.")  ? &pair.originalPrint
                              : key.starts_with("replica.") ? &pair.replicaPrint
                                                            : nullptr;
        const std::string field = print ? key.substr(key.find('.') + 1) : key;
        try {
            if (!print && field == "original")
                pair.original = value;
            else if (!print && field == "replica")
                pair.replica = value;
            else if (print && field == "size")
                print->size = std::stoull(value), print->exists = true;
            else if (print && field == "mtime")
                print->mtime = std::stoll(value);
            else if (print && field == "sha256")
                print->sha256 = value;
            else
                return damaged();
        } catch (const std::exception&) {
            return damaged();
        }
    }
    for (const CSyncPair& pair : pairs)
        if (pair.original.empty() || pair.replica.empty() || pair.replica.find('/') != std::string::npos) {
            number = 0;
            return damaged();
        }
    return true;
}

void CSyncRecord::Save(IFileOps& ops) const {
    std::ostringstream out;
    out << "# Corvalen briefcase: each data file and its copy (replica) in this folder, with what both\n"
           "# held when they were last in step.\n";
    for (const CSyncPair& pair : pairs) {
        out << "\n[pair]\noriginal=" << pair.original << "\nreplica=" << pair.replica << "\n";
        for (auto [name, print] :
             {std::pair{"original", &pair.originalPrint}, {"replica", &pair.replicaPrint}}) {
            if (!print->exists) continue;
            out << name << ".size=" << print->size << "\n"
                << name << ".mtime=" << print->mtime << "\n"
                << name << ".sha256=" << print->sha256 << "\n";
        }
    }
    const std::string text = out.str();
    SafeSaveFile(Path(), std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), ops);
}

CSyncPair* CSyncRecord::Find(const std::string& replicaName) {
    for (CSyncPair& pair : pairs)
        if (pair.replica == replicaName) return &pair;
    return nullptr;
}

// ---- the host ------------------------------------------------------------------------------------

CReplicaHost::CReplicaHost(std::string libraryPath, IReplicaHostUI& ui, IFileOps& ops)
    : m_library(std::move(libraryPath)), m_ui(ui), m_ops(ops) {
    SetStorageFileOps(&ops == &SystemFileOps() ? nullptr : &ops);
}

CReplicaHost::~CReplicaHost() {
    SetStorageFileOps(nullptr);
}

std::string CReplicaHost::DefaultLibraryPath() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const fs::path beside = self.parent_path() / "libquillmere.so";
        if (fs::exists(beside, ec)) return beside.string();
    }
    return (fs::path(CvlInstallPrefix()) / CVL_QUILLMERE_LIBDIR / "libquillmere.so").string();
}

bool CReplicaHost::LoadLibrary() {
    if (m_module.IsLoaded()) return true;
    if (!m_module.Load(m_library) || !m_module.GetProc("DllGetClassObject")) {
        m_module.Free();
        m_ui.Report(IReplicaHostUI::error,
                    "The reconciler library " + Quote(m_library) + " cannot be loaded.");
        return false;
    }
    return true;
}

HRESULT CReplicaHost::CreateObject(REFCLSID clsid, REFIID riid, void** ppv) {
    *ppv = nullptr;
    if (!LoadLibrary()) return E_FAIL;
    auto getClassObject = m_module.Get<PFN_DllGetClassObject>("DllGetClassObject");
    IClassFactory* factory = nullptr;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr) || !factory) return FAILED(hr) ? hr : E_FAIL;
    hr = factory->CreateInstance(nullptr, riid, ppv);
    factory->Release();
    return hr;
}

bool CReplicaHost::MakeReplica(const std::string& originalArg, const std::string& replicaArg) {
    const std::string original = AbsolutePath(originalArg), replica = AbsolutePath(replicaArg);
    const std::string folder = fs::path(replica).parent_path().string();
    const std::string name = fs::path(replica).filename().string();
    auto fail = [&](const std::string& text) {
        m_ui.Report(IReplicaHostUI::error, text);
        return false;
    };
    if (original.find('\n') != std::string::npos || replica.find('\n') != std::string::npos)
        return fail("A file name with a line break cannot be recorded in a briefcase.");
    if (name.empty() || name == CSyncRecord::kFileName)
        return fail(Quote(replicaArg) + " is not a file name.");
    std::error_code ec;
    if (fs::exists(fs::symlink_status(replica, ec)))
        return fail("The replica " + Quote(replica) + " already exists; choose a name that is not taken.");
    if (!fs::is_directory(folder, ec)) return fail("The folder " + Quote(folder) + " does not exist.");

    CSyncRecord record(folder);
    CFileLock recordLock;
    if (recordLock.Lock(record.Path()) != CFileLock::acquired)
        return fail("Another update of the briefcase in " + Quote(folder) + " is running.");
    std::string error;
    if (!record.Load(error)) return fail(error);

    std::vector<uint8_t> bytes;
    struct stat st {};
    if (const int err = ReadWhole(original, bytes, st))
        return fail("The file " + Quote(original) + " could not be read: " + ErrnoText(err) + ".");
    const CFingerprint originalPrint = CFingerprint::OfBytes(bytes, st);
    try {
        SafeSaveFile(replica, bytes, m_ops);
    } catch (const CFileException& e) {
        if (!e.NewFileInPlace()) return fail("The replica could not be written: " + std::string(e.what()));
    }

    // From here on a failure takes the new replica away again.
    auto undo = [&](const std::string& text) {
        unlink(replica.c_str());
        return fail(text + " No replica was made.");
    };
    {
        void* raw = nullptr;
        HRESULT hr = CreateObject(CLSID_FlockReplicaNotify, IID_INotifyReplica, &raw);
        if (FAILED(hr)) return undo("The reconciler could not be started.");
        auto notify = CComPtr<INotifyReplica>::Adopt(static_cast<INotifyReplica*>(raw));
        auto persist = CComPtr<IPersistStorage>::Adopt(
            QueryInterfaceAs<IPersistStorage>(notify.Get(), IID_IPersistStorage));
        CComPtr<IStorage> stg;
        hr = OpenDataFileStorage(replica, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, stg.Out());
        if (FAILED(hr)) return undo(StorageErrorText(hr, replica));
        if (!persist || FAILED(persist->Load(stg.Get())))
            return undo("The file " + Quote(original) + " holds no flock.");
        auto moniker = CComPtr<IMoniker>::Adopt(NewFileMoniker(original));
        IMoniker* others[1] = {moniker.Get()};
        if (FAILED(notify->YouAreAReplica(1, others)) || FAILED(stg->Commit(STGC_DEFAULT)))
            return undo("The replica " + Quote(replica) + " could not be stamped.");
    }
    CSyncPair pair;
    pair.original = original;
    pair.replica = name;
    pair.originalPrint = originalPrint;
    if (!CFingerprint::OfFile(replica, pair.replicaPrint, error)) return undo(error);
    // A pair whose replica was deleted by hand gives way to the new one.
    if (CSyncPair* stale = record.Find(name))
        *stale = pair;
    else
        record.pairs.push_back(pair);
    try {
        record.Save(m_ops);
    } catch (const CFileException& e) {
        if (!e.NewFileInPlace())
            return undo("The briefcase record could not be saved: " + std::string(e.what()));
    }
    m_ui.Report(IReplicaHostUI::info, "Made " + Quote(replica) + " a replica of " + Quote(original) + ".");
    return true;
}

bool CReplicaHost::TakePrints(const CSyncRecord& record, CSyncPair& pair) {
    std::string error;
    if (CFingerprint::OfFile(pair.original, pair.originalPrint, error) &&
        CFingerprint::OfFile(record.ReplicaPath(pair), pair.replicaPrint, error))
        return true;
    m_ui.Report(IReplicaHostUI::error, error);
    return false;
}

CReplicaHost::Outcome CReplicaHost::Copy(const std::string& from, const std::string& to,
                                         std::span<const uint8_t> bytes, CFingerprint& toPrint) {
    try {
        SafeSaveFile(to, bytes, m_ops);
    } catch (const CFileException& e) {
        if (!e.NewFileInPlace()) {
            m_ui.Report(IReplicaHostUI::error, "Could not copy " + Quote(from) + " over " + Quote(to) + ": " +
                                                   e.what() + ". " + Quote(to) + " is unchanged.");
            return failed;
        }
    }
    struct stat st {};
    if (stat(to.c_str(), &st) != 0) st = {};
    toPrint = CFingerprint::OfBytes(bytes, st);
    return upToDate;
}

CReplicaHost::PairState CReplicaHost::JudgePair(const CSyncRecord& record, const CSyncPair& pair,
                                                std::string& error) {
    CFingerprint original, replica;
    const std::string replicaPath = record.ReplicaPath(pair);
    if (!CFingerprint::OfFile(pair.original, original, error) ||
        !CFingerprint::OfFile(replicaPath, replica, error))
        return unreadable;
    for (auto [print, path] : {std::pair{&original, &pair.original}, {&replica, &replicaPath}})
        if (!print->exists) {
            error = "The copy " + Quote(*path) + " is missing.";
            return copyMissing;
        }
    return ComparePrints(pair, original, replica);
}

CReplicaHost::PairState CReplicaHost::ComparePrints(const CSyncPair& pair, const CFingerprint& original,
                                                    const CFingerprint& replica) {
    const bool originalMoved = !original.SameContent(pair.originalPrint);
    const bool replicaMoved = !replica.SameContent(pair.replicaPrint);
    if (original.SameContent(replica) || (!originalMoved && !replicaMoved)) return inStep;
    return originalMoved && replicaMoved ? bothChanged : originalMoved ? originalChanged : replicaChanged;
}

CReplicaHost::Outcome CReplicaHost::UpdatePair(const CSyncRecord& record, CSyncPair& pair) {
    const std::string replica = record.ReplicaPath(pair);
    auto fail = [&](const std::string& text) {
        m_ui.Report(IReplicaHostUI::error, text);
        return failed;
    };
    std::vector<uint8_t> originalBytes, replicaBytes;
    CFingerprint originalNow, replicaNow;
    {
        // Both copies are judged, and a copy made, while the program and other updates keep away.
        CFileLock originalLock, replicaLock;
        using Locked = std::pair<const std::string*, CFileLock*>;
        for (auto [path, lock] : {Locked{&pair.original, &originalLock}, Locked{&replica, &replicaLock}}) {
            std::error_code ec;
            if (!fs::exists(*path, ec))
                return fail("The copy " + Quote(*path) + " is missing; the pair was not updated.");
            int err = 0;
            switch (lock->Lock(*path, nullptr, &err)) {
                case CFileLock::acquired:
                    break;
                case CFileLock::heldByOther:
                    return fail(StorageErrorText(STG_E_ACCESSDENIED, *path));
                case CFileLock::unavailable:
                    return fail("The file " + Quote(*path) + " cannot be locked: " + ErrnoText(err) + ".");
            }
        }
        struct stat st {};
        using Read = std::tuple<const std::string*, std::vector<uint8_t>*, CFingerprint*>;
        for (auto [path, bytes, print] : {Read{&pair.original, &originalBytes, &originalNow},
                                          Read{&replica, &replicaBytes, &replicaNow}}) {
            if (const int err = ReadWhole(*path, *bytes, st))
                return fail("The file " + Quote(*path) + " could not be read: " + ErrnoText(err) + ".");
            *print = CFingerprint::OfBytes(*bytes, st);
        }
        switch (ComparePrints(pair, originalNow, replicaNow)) {
            case inStep:
                pair.originalPrint = originalNow;
                pair.replicaPrint = replicaNow;
                return upToDate;
            case replicaChanged:
                if (Copy(replica, pair.original, replicaBytes, pair.originalPrint) == failed) return failed;
                pair.replicaPrint = replicaNow;
                return copiedToOriginal;
            case originalChanged:
                if (Copy(pair.original, replica, originalBytes, pair.replicaPrint) == failed) return failed;
                pair.originalPrint = originalNow;
                return copiedToReplica;
            default:
                break;
        }
    }
    CSyncPair before = pair;
    before.originalPrint = originalNow;
    before.replicaPrint = replicaNow;
    return Reconcile(record, pair, before);
}

CReplicaHost::Outcome CReplicaHost::Reconcile(const CSyncRecord& record, CSyncPair& pair,
                                              const CSyncPair& before) {
    const std::string replica = record.ReplicaPath(pair);

    HRESULT hr = E_FAIL;
    {
        void* raw = nullptr;
        hr = CreateObject(CLSID_FlockReconciler, IID_IPersistStorage, &raw);
        if (FAILED(hr)) {
            m_ui.Report(IReplicaHostUI::error, "The reconciler could not be started.");
            return failed;
        }
        auto persist = CComPtr<IPersistStorage>::Adopt(static_cast<IPersistStorage*>(raw));
        {
            CComPtr<IStorage> stg;
            hr = OpenDataFileStorage(replica, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, stg.Out());
            if (FAILED(hr)) {
                m_ui.Report(IReplicaHostUI::error, StorageErrorText(hr, replica));
                return failed;
            }
            if (FAILED(persist->Load(stg.Get()))) {
                m_ui.Report(IReplicaHostUI::error, "The replica " + Quote(replica) + " holds no flock.");
                return failed;
            }
        }
        auto recon = CComPtr<IReconcilableObject>::Adopt(
            QueryInterfaceAs<IReconcilableObject>(persist.Get(), IID_IReconcilableObject));
        auto moniker = CComPtr<CHostMoniker>::Adopt(new CHostMoniker(pair.original));
        auto initiator = CComPtr<CInitiator>::Adopt(new CInitiator(m_ui));
        COwner owner(m_ui, *moniker.Get());
        CProgressLine progress(m_ui);
        IMoniker* others[1] = {moniker.Get()};
        LONG index = 0;
        hr = recon ? recon->Reconcile(initiator.Get(), kReconcileFlags, &owner, &progress, 1, others, &index,
                                      nullptr, nullptr)
                   : E_NOINTERFACE;
    }

    // A failed call may still have written a copy: what is on disk decides, not the code.
    CSyncPair after = pair;
    if (!TakePrints(record, after)) return failed;
    if (hr == REC_S_IDIDTHEUPDATES || hr == REC_S_NOTCOMPLETE) {
        pair.originalPrint = after.originalPrint;
        pair.replicaPrint = after.replicaPrint;
        if (hr == REC_S_NOTCOMPLETE) {
            m_ui.Report(IReplicaHostUI::warning,
                        "Some differences between " + Quote(replica) + " and " + Quote(pair.original) +
                            " were left undecided; each copy keeps its own version of them.");
            return reconciledIncomplete;
        }
        return reconciled;
    }
    const bool originalWritten = !after.originalPrint.SameContent(before.originalPrint);
    const bool replicaWritten = !after.replicaPrint.SameContent(before.replicaPrint);
    if (hr == REC_E_ABORTED && !originalWritten && !replicaWritten) {
        if (m_ui.Decisions() == IReconcileOwner::decideInDialogs) {
            m_ui.Report(IReplicaHostUI::warning, "The update of " + Quote(replica) + " and " +
                                                     Quote(pair.original) + " was cancelled; neither was written.");
            return stopped;
        }
        m_ui.Report(IReplicaHostUI::warning,
                    "Both " + Quote(replica) + " and " + Quote(pair.original) +
                        " have changed in ways that need your decision; neither was written.");
        return stopped;
    }
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", unsigned(hr));
    std::string text =
        "Reconciling " + Quote(replica) + " and " + Quote(pair.original) + " failed (" + code + "). ";
    if (originalWritten && replicaWritten)
        text += "Both copies were written.";
    else if (originalWritten || replicaWritten)
        text += Quote(originalWritten ? pair.original : replica) + " was written, " +
                Quote(originalWritten ? replica : pair.original) + " was not.";
    else
        text += "Neither copy was written.";
    // The record keeps the prints from before, so the next update reconciles the two again.
    m_ui.Report(IReplicaHostUI::error, text + " The next update tries again.");
    return failed;
}

bool CReplicaHost::UpdateFolder(const std::string& folderArg, const std::vector<std::string>& replicaNames) {
    const std::string folder = AbsolutePath(folderArg);
    CSyncRecord record(folder);
    CFileLock recordLock;
    if (!fs::exists(record.Path())) {
        m_ui.Report(IReplicaHostUI::error, "There is no briefcase in " + Quote(folder) + ".");
        return false;
    }
    if (recordLock.Lock(record.Path()) != CFileLock::acquired) {
        m_ui.Report(IReplicaHostUI::error,
                    "Another update of the briefcase in " + Quote(folder) + " is running.");
        return false;
    }
    std::string error;
    if (!record.Load(error)) {
        m_ui.Report(IReplicaHostUI::error, error);
        return false;
    }
    bool allInStep = true;
    for (const std::string& name : replicaNames)
        if (!record.Find(name)) {
            m_ui.Report(IReplicaHostUI::error, Quote(name) + " is not a replica of this briefcase.");
            allInStep = false;
        }
    bool changed = false;
    for (CSyncPair& pair : record.pairs) {
        if (!replicaNames.empty() &&
            std::find(replicaNames.begin(), replicaNames.end(), pair.replica) == replicaNames.end())
            continue;
        const CSyncPair was = pair;
        const Outcome outcome = UpdatePair(record, pair);
        changed |= !pair.originalPrint.SameContent(was.originalPrint) ||
                   !pair.replicaPrint.SameContent(was.replicaPrint) ||
                   pair.originalPrint.mtime != was.originalPrint.mtime ||
                   pair.replicaPrint.mtime != was.replicaPrint.mtime;
        const std::string replica = Quote(record.ReplicaPath(pair)), original = Quote(pair.original);
        switch (outcome) {
            case upToDate:
                m_ui.Report(IReplicaHostUI::info, replica + " and " + original + " are in step.");
                break;
            case copiedToReplica:
                m_ui.Report(IReplicaHostUI::info, "Copied " + original + " over " + replica + ".");
                break;
            case copiedToOriginal:
                m_ui.Report(IReplicaHostUI::info, "Copied " + replica + " over " + original + ".");
                break;
            case reconciled:
                m_ui.Report(IReplicaHostUI::info, "Reconciled " + replica + " and " + original + ".");
                break;
            case reconciledIncomplete:
            case stopped:
            case failed:
                allInStep = false;
                break;
        }
    }
    if (changed) {
        try {
            record.Save(m_ops);
        } catch (const CFileException& e) {
            if (!e.NewFileInPlace()) {
                m_ui.Report(IReplicaHostUI::error,
                            "The briefcase record could not be saved: " + std::string(e.what()) +
                                ". The next update compares the copies again.");
                return false;
            }
        }
    }
    return allInStep;
}
