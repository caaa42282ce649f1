// The reconciler library as its host sees it: the two exports, the class and interface
// identifiers, the result codes and flags, and the interfaces in their slot order.
//
// The host loads libquillmere.so with dlopen, asks DllGetClassObject for a class factory and creates
// the reconciler object through it. Storages and monikers are the host's objects handed in; the
// window handles of the original interfaces become the two small callback interfaces at the end.
// Text crossing this boundary is UTF-16 (OLECHAR).
#pragma once

#include <cstdint>

#include "platform/automation/com.h"
#include "platform/text.h"

// ---- identifiers -------------------------------------------------------------------------------

// The reconciler and the replica notice; both create the same object.
inline constexpr CLSID CLSID_FlockReconciler = {
    0x3d8c5e10, 0x71a2, 0x4b6f, {0x8e, 0x04, 0x29, 0xc1, 0x5a, 0x7d, 0x90, 0x31}};
inline constexpr CLSID CLSID_FlockReplicaNotify = {
    0x3d8c5e11, 0x71a2, 0x4b6f, {0x8e, 0x04, 0x29, 0xc1, 0x5a, 0x7d, 0x90, 0x31}};

inline constexpr IID IID_IClassFactory = {
    0x9a6c1f20, 0x4e3b, 0x4d0e, {0xa1, 0x7c, 0x62, 0x0b, 0x8f, 0x14, 0xd3, 0x55}};
inline constexpr IID IID_IStream = {
    0x9a6c1f21, 0x4e3b, 0x4d0e, {0xa1, 0x7c, 0x62, 0x0b, 0x8f, 0x14, 0xd3, 0x55}};
inline constexpr IID IID_IStorage = {
    0x9a6c1f22, 0x4e3b, 0x4d0e, {0xa1, 0x7c, 0x62, 0x0b, 0x8f, 0x14, 0xd3, 0x55}};
inline constexpr IID IID_IMoniker = {
    0x9a6c1f23, 0x4e3b, 0x4d0e, {0xa1, 0x7c, 0x62, 0x0b, 0x8f, 0x14, 0xd3, 0x55}};
inline constexpr IID IID_IPersist = {
    0x9a6c1f24, 0x4e3b, 0x4d0e, {0xa1, 0x7c, 0x62, 0x0b, 0x8f, 0x14, 0xd3, 0x55}};
inline constexpr IID IID_IPersistStorage = {
    0x9a6c1f25, 0x4e3b, 0x4d0e, {0xa1, 0x7c, 0x62, 0x0b, 0x8f, 0x14, 0xd3, 0x55}};
inline constexpr IID IID_IReconcileInitiator = {
    0x9a6c1f26, 0x4e3b, 0x4d0e, {0xa1, 0x7c, 0x62, 0x0b, 0x8f, 0x14, 0xd3, 0x55}};
inline constexpr IID IID_IReconcilableObject = {
    0x9a6c1f27, 0x4e3b, 0x4d0e, {0xa1, 0x7c, 0x62, 0x0b, 0x8f, 0x14, 0xd3, 0x55}};
inline constexpr IID IID_INotifyReplica = {
    0x9a6c1f28, 0x4e3b, 0x4d0e, {0xa1, 0x7c, 0x62, 0x0b, 0x8f, 0x14, 0xd3, 0x55}};
inline constexpr IID IID_IStreamBytes = {
    0x9a6c1f29, 0x4e3b, 0x4d0e, {0xa1, 0x7c, 0x62, 0x0b, 0x8f, 0x14, 0xd3, 0x55}};

// ---- result codes ------------------------------------------------------------------------------

#define CVL_REC_HR(x) static_cast<HRESULT>(x##u)
constexpr HRESULT REC_S_IDIDTHEUPDATES = 0x00041000;
constexpr HRESULT REC_S_NOTCOMPLETE = 0x00041001;
constexpr HRESULT REC_E_ABORTED = CVL_REC_HR(0x80041000);
constexpr HRESULT REC_E_NORESIDUES = CVL_REC_HR(0x80041002);
constexpr HRESULT REC_E_INEEDTODOTHEUPDATES = CVL_REC_HR(0x80041004);

constexpr HRESULT CO_E_ALREADYINITIALIZED = CVL_REC_HR(0x800401F1);
constexpr HRESULT MK_E_CONNECTMANUALLY = CVL_REC_HR(0x800401E0);
constexpr HRESULT MK_E_EXCEEDEDDEADLINE = CVL_REC_HR(0x800401E1);
constexpr HRESULT MK_E_INTERMEDIATEINTERFACENOTSUPPORTED = CVL_REC_HR(0x800401E7);
constexpr HRESULT MK_E_NOSTORAGE = CVL_REC_HR(0x800401ED);

constexpr HRESULT STG_E_INVALIDFUNCTION = CVL_REC_HR(0x80030001);
constexpr HRESULT STG_E_FILENOTFOUND = CVL_REC_HR(0x80030002);
constexpr HRESULT STG_E_ACCESSDENIED = CVL_REC_HR(0x80030005);
constexpr HRESULT STG_E_WRITEFAULT = CVL_REC_HR(0x8003001D);
constexpr HRESULT STG_E_READFAULT = CVL_REC_HR(0x8003001E);
constexpr HRESULT STG_E_FILEALREADYEXISTS = CVL_REC_HR(0x80030050);
constexpr HRESULT STG_E_MEDIUMFULL = CVL_REC_HR(0x80030070);
constexpr HRESULT STG_E_INVALIDNAME = CVL_REC_HR(0x800300FC);
constexpr HRESULT STG_E_INVALIDFLAG = CVL_REC_HR(0x800300FF);
constexpr HRESULT STG_E_REVERTED = CVL_REC_HR(0x80030102);
// Not a compound file, or a damaged one.
constexpr HRESULT STG_E_FILEFORMAT = CVL_REC_HR(0x800300FB);
#undef CVL_REC_HR

// ---- flags -------------------------------------------------------------------------------------

constexpr DWORD STGM_READ = 0x0;
constexpr DWORD STGM_WRITE = 0x1;
constexpr DWORD STGM_READWRITE = 0x2;
constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x10;
constexpr DWORD STGM_CREATE = 0x1000;
constexpr DWORD STGC_DEFAULT = 0;

constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

constexpr DWORD BIND_MAYBOTHERUSER = 1;

constexpr DWORD RECONCILEF_MAYBOTHERUSER = 0x0001;
constexpr DWORD RECONCILEF_FEEDBACKWINDOWVALID = 0x0002;
constexpr DWORD RECONCILEF_NORESIDUESOK = 0x0004;
constexpr DWORD RECONCILEF_YOUMAYDOTHEUPDATES = 0x0020;
constexpr DWORD RECONCILEF_ONLYYOUWERECHANGED = 0x0040;

// 16 bytes, as the bind options the reconciler sets for every other copy.
struct BIND_OPTS {
    DWORD cbStruct;
    DWORD grfFlags;
    DWORD grfMode;
    DWORD dwTickCountDeadline;
};
static_assert(sizeof(BIND_OPTS) == 16);

// ---- interfaces --------------------------------------------------------------------------------

// Slots 3-4.
class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
    virtual HRESULT LockServer(BOOL fLock) = 0;

protected:
    ~IClassFactory() = default;
};

// Slots 3-7. Seek takes a signed move; the new position may be null.
class IStream : public IUnknown {
public:
    virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
    virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;
    virtual HRESULT Seek(int64_t dlibMove, DWORD dwOrigin, uint64_t* plibNewPosition) = 0;
    virtual HRESULT SetSize(uint64_t libNewSize) = 0;
    virtual HRESULT Commit(DWORD grfCommitFlags) = 0;

protected:
    ~IStream() = default;
};

// Slot 3. What a stream that holds its bytes in memory may also answer, so that a flock is read
// from them without a copy: they stay as they are until the stream is written or released.
class IStreamBytes : public IUnknown {
public:
    virtual HRESULT GetBytes(const uint8_t** ppData, uint64_t* pcbSize) = 0;

protected:
    ~IStreamBytes() = default;
};

// Slots 3-6. Streams are named at the root only.
class IStorage : public IUnknown {
public:
    virtual HRESULT CreateStream(LPCOLESTR pwcsName, DWORD grfMode, IStream** ppstm) = 0;
    virtual HRESULT OpenStream(LPCOLESTR pwcsName, DWORD grfMode, IStream** ppstm) = 0;
    // Writes the whole file so that it is either the old one or the new one.
    virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
    virtual HRESULT Revert() = 0;

protected:
    ~IStorage() = default;
};

// Slots 3-4. A copy of a data file, by its path; binding opens its storage in the options' mode.
class IMoniker : public IUnknown {
public:
    virtual HRESULT BindToStorage(const BIND_OPTS* pBindOpts, REFIID riid, void** ppvObj) = 0;
    // The path, UTF-16, into the caller's buffer (cch characters with the terminator); the length.
    virtual ULONG GetDisplayName(OLECHAR* pszName, ULONG cch) = 0;

protected:
    ~IMoniker() = default;
};

// Slot 3.
class IPersist : public IUnknown {
public:
    virtual HRESULT GetClassID(CLSID* pClassID) = 0;

protected:
    ~IPersist() = default;
};

// Slots 4-9.
class IPersistStorage : public IPersist {
public:
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT InitNew(IStorage* pStg) = 0;
    virtual HRESULT Load(IStorage* pStg) = 0;
    virtual HRESULT Save(IStorage* pStgSave, BOOL fSameAsLoad) = 0;
    virtual HRESULT SaveCompleted(IStorage* pStgNew) = 0;
    virtual HRESULT HandsOffStorage() = 0;

protected:
    ~IPersistStorage() = default;
};

// Slots 3-4; the host's.
class IReconcileInitiator : public IUnknown {
public:
    virtual HRESULT SetAbortCallback(IUnknown* pUnkForAbort) = 0;
    virtual HRESULT SetProgressFeedback(ULONG ulProgress, ULONG ulProgressMax) = 0;

protected:
    ~IReconcileInitiator() = default;
};

// The commands of a merge list row's context menu.
struct CMergeCommands {
    enum Command {
        cmdReplaceFromThis = 40001,   // "Update the sheep in the file from the briefcase"
        cmdReplaceFromOther = 40002,  // "Update the sheep in the briefcase from the file"
        cmdSkip = 40003,              // "Skip this sheep"
        cmdMerge = 40004,
        cmdShowMe = 40005,
        cmdWhatsThis = 57669,
    };
};

// One merge dialog as the host shows it: its rows are the children of one node of the merge tree.
// The host reads and changes them only during its RunMergeDialog, while the Reconcile call waits.
class IMergeList : public CMergeCommands {
public:
    enum Dialog : UINT {
        documentDialog = 1,  // the animals, addresses and Signet entries of the flock
        recordDialog = 2,    // the differing data of one of them
    };
    enum Text : UINT {
        textThis = 1,   // the description of this copy's record (the briefcase)
        textOther = 0,  // the description of the other copy's record (the file)
        textAction = 2,
    };
    struct MenuEntry {
        UINT id;     // the command
        LONG state;  // the state it chooses; 0 for Show Me and What's This?
        BOOL enabled;
    };
    virtual UINT GetDialog() = 0;
    virtual int GetCount() = 0;
    virtual LONG GetState(int row) = 0;
    virtual int GetKind(int row) = 0;
    virtual WString GetText(int row, UINT text) = 0;
    // The name of the action of a state.
    virtual WString GetActionName(LONG state) = 0;
    // The row's context menu into entries (at most max); how many there are.
    virtual int GetMenu(int row, MenuEntry* entries, int max) = 0;
    virtual void Choose(int row, LONG state) = 0;
    // The row's own dialog, through the owner; IDOK when it ended with Update.
    virtual int ShowMe(int row) = 0;
    virtual BOOL CanUpdate() = 0;
    // The tip of one half of a row: toolId is the row + 1 counted from topIndex, with the top bit for
    // the right half.
    virtual WString GetTooltip(UINT toolId, int topIndex) = 0;

protected:
    ~IMergeList() = default;
};

// What stands in for the owner window: the host shows the reconciler's boxes and says how the
// merge decisions are taken.
class IReconcileOwner {
public:
    enum Decisions : UINT {
        decideInDialogs = 0,    // the merge dialogs
        acceptAssessed = 1,     // the assessed actions as they are; undecided items stay undecided
        stopWhenUndecided = 2,  // the assessed actions, or cancel when anything is undecided
    };
    // A message box (MB_ styles of platform/host.h); the button chosen.
    virtual int ShowMessage(LPCOLESTR pszCaption, LPCOLESTR pszText, UINT uType) = 0;
    virtual UINT GetDecisions() = 0;
    // With decideInDialogs: shows the dialog of list modally; IDOK (Update) or IDCANCEL. A list
    // whose dialog did not end with Update takes its choices back.
    virtual int RunMergeDialog(IMergeList* list) = 0;

protected:
    ~IReconcileOwner() = default;
};

// What stands in for the progress window: a line of text.
class IProgressText {
public:
    virtual void SetText(LPCOLESTR pszText) = 0;

protected:
    ~IProgressText() = default;
};

// Slots 3-4.
class IReconcilableObject : public IUnknown {
public:
    virtual HRESULT Reconcile(IReconcileInitiator* pInitiator, DWORD dwFlags, IReconcileOwner* pOwner,
                              IProgressText* pProgressFeedback, ULONG ulcInput, IMoniker** rgpmkOtherInput,
                              LONG* plOutIndex, IStorage* pstgNewResidues, void* pvReserved) = 0;
    virtual HRESULT GetProgressFeedbackMaxEstimate(ULONG* pulProgressMax) = 0;

protected:
    ~IReconcilableObject() = default;
};

// Slot 3.
class INotifyReplica : public IUnknown {
public:
    virtual HRESULT YouAreAReplica(ULONG ulcOtherReplicas, IMoniker** rgpmkOtherReplicas) = 0;

protected:
    ~INotifyReplica() = default;
};

// ---- exports -----------------------------------------------------------------------------------

extern "C" {
using PFN_DllGetClassObject = HRESULT (*)(REFCLSID rclsid, REFIID riid, void** ppv);
using PFN_DllCanUnloadNow = HRESULT (*)();
HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
HRESULT DllCanUnloadNow();
}
