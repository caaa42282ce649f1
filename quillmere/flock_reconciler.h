// The reconciler object: it holds one copy of a flock (its own document, loaded from the storage the
// host hands it), and brings the other copy and its own into step through the merge tree.
#pragma once

#include <atomic>
#include <memory>

#include "platform/object.h"
#include "quillmere/com_object.h"
#include "quillmere/merge_tree.h"
#include "quillmere/reconciler_abi.h"

class CSheepDoc;

// Shows a node's merge dialog, or decides in its place; IDOK or IDCANCEL.
class IMergeDialogRunner {
public:
    virtual ~IMergeDialogRunner() = default;
    virtual int RunMergeDialog(CStateInfo& node) = 0;
};

// Decides without a dialog: the assessed actions stand; with stopWhenUndecided, anything left
// undecided cancels.
class CScriptedDecisionRunner : public IMergeDialogRunner {
public:
    explicit CScriptedDecisionRunner(bool stopWhenUndecided) : m_bStop(stopWhenUndecided) {}
    int RunMergeDialog(CStateInfo& node) override;

private:
    bool m_bStop;
};

// The runner for what the owner asks (IReconcileOwner::Decisions): with decideInDialogs the owner
// shows the dialogs (IReconcileOwner::RunMergeDialog).
std::unique_ptr<IMergeDialogRunner> CreateMergeDialogRunner(IReconcileOwner* owner);

// What the library's exports answer.
HRESULT GetReconcilerClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
HRESULT CanUnloadReconciler();

class CFlockReconciler {
public:
    enum PersistState {
        stateUninitialized,
        stateNormal,
        stateNoScribble,
        stateHandsOff,
        stateHandsOffAfterSave
    };

    // A new object with one reference, answering riid.
    static HRESULT Create(REFIID riid, void** ppv);

    HRESULT QueryInterface(REFIID riid, void** ppv);
    ULONG AddRef();
    ULONG Release();

    // ISupportErrorInfo
    HRESULT InterfaceSupportsErrorInfo(REFIID riid);
    // IReconcilableObject
    HRESULT Reconcile(IReconcileInitiator* initiator, DWORD flags, IReconcileOwner* owner,
                      IProgressText* progress, ULONG ulcInput, IMoniker** rgpmkOtherInput, LONG* plOutIndex,
                      IStorage* pstgNewResidues, void* pvReserved);
    HRESULT GetProgressFeedbackMaxEstimate(ULONG* pulProgressMax);
    // IPersistStorage
    HRESULT GetClassID(CLSID* pClassID);
    HRESULT IsDirty();
    HRESULT InitNew(IStorage* pStg);
    HRESULT Load(IStorage* pStg);
    HRESULT Save(IStorage* pStgSave, BOOL fSameAsLoad);
    HRESULT SaveCompleted(IStorage* pStgNew);
    HRESULT HandsOffStorage();
    // INotifyReplica
    HRESULT YouAreAReplica(ULONG ulcOtherReplicas, IMoniker** rgpmkOtherReplicas);

    // For tests: the runner Reconcile uses instead of the owner's choice; the UTC window of the
    // assessments (negative: the machine's).
    void SetDialogRunner(IMergeDialogRunner* runner) { m_pRunner = runner; }
    void SetStampWindow(double days) { m_window = days; }
    CSheepDoc& GetDocument() { return *m_pDoc; }
    int GetPersistState() const { return m_nState; }

    // The document's archive from the start of the stream, then its breed plug-in (a plug-in that
    // cannot be loaded leaves event names empty, nothing more). 0, or the failure's code.
    static int LoadDocument(CSheepDoc& doc, IStream* stream);
    // The document's archive from the start of the stream, which is cut to it; the document is clean.
    // The archive is made whole before the stream is written, unless straightIn: then it goes into
    // the stream as it is made, and a failure leaves the stream part written (for a caller that
    // reverts the storage then).
    static int SaveDocument(CSheepDoc& doc, IStream* stream, bool straightIn = false);

private:
    template <class I>
    struct CPart : I {
        CFlockReconciler* Outer() const { return m_pOuter; }
        HRESULT QueryInterface(REFIID riid, void** ppv) override {
            return Outer()->QueryInterface(riid, ppv);
        }
        ULONG AddRef() override { return Outer()->AddRef(); }
        ULONG Release() override { return Outer()->Release(); }
        CFlockReconciler* m_pOuter = nullptr;
    };
    struct XSupportErrorInfo : CPart<ISupportErrorInfo> {
        HRESULT InterfaceSupportsErrorInfo(REFIID riid) override {
            return Outer()->InterfaceSupportsErrorInfo(riid);
        }
    };
    struct XReconcilableObject : CPart<IReconcilableObject> {
        HRESULT Reconcile(IReconcileInitiator* a, DWORD b, IReconcileOwner* c, IProgressText* d, ULONG e,
                          IMoniker** f, LONG* g, IStorage* h, void* i) override {
            return Outer()->Reconcile(a, b, c, d, e, f, g, h, i);
        }
        HRESULT GetProgressFeedbackMaxEstimate(ULONG* p) override {
            return Outer()->GetProgressFeedbackMaxEstimate(p);
        }
    };
    struct XPersistStorage : CPart<IPersistStorage> {
        HRESULT GetClassID(CLSID* p) override { return Outer()->GetClassID(p); }
        HRESULT IsDirty() override { return Outer()->IsDirty(); }
        HRESULT InitNew(IStorage* p) override { return Outer()->InitNew(p); }
        HRESULT Load(IStorage* p) override { return Outer()->Load(p); }
        HRESULT Save(IStorage* p, BOOL same) override { return Outer()->Save(p, same); }
        HRESULT SaveCompleted(IStorage* p) override { return Outer()->SaveCompleted(p); }
        HRESULT HandsOffStorage() override { return Outer()->HandsOffStorage(); }
    };
    struct XNotifyReplica : CPart<INotifyReplica> {
        HRESULT YouAreAReplica(ULONG n, IMoniker** m) override { return Outer()->YouAreAReplica(n, m); }
    };

    CFlockReconciler();
    ~CFlockReconciler();

    void ShowBindError(IReconcileOwner* owner, HRESULT hr);
    CMergeContext MakeContext(IReconcileInitiator* initiator, IProgressText* progress) const;
    HRESULT ApplyReconciliation(CMergeContext& ctx);

    std::atomic<ULONG> m_ref{1};
    int m_nState = stateUninitialized;
    CRefPtr<CSheepDoc> m_pDoc;
    CComPtr<IStorage> m_stg;
    CComPtr<IStream> m_stm;
    CComPtr<IStorage> m_handsOffStg;  // what hands-off after a save gave up, to take up again
    CDocumentStateInfo m_root;
    IMergeDialogRunner* m_pRunner = nullptr;
    double m_window = -1.0;

    XSupportErrorInfo m_xSupportErrorInfo;
    XReconcilableObject m_xReconcilableObject;
    XPersistStorage m_xPersistStorage;
    XNotifyReplica m_xNotifyReplica;
};
