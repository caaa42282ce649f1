#include "quillmere/flock_reconciler.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "document/document_automation.h"
#include "document/sheep_doc.h"
#include "platform/archive.h"
#include "platform/host.h"
#include "platform/strings.h"
#include "quillmere/merge_list.h"

namespace {

std::atomic<long> g_nLiveObjects{0};

constexpr unsigned IDS_LOADING = 15;
constexpr char16_t kContents[] = u"Contents";

// While a call runs, what the document code asks goes to the owner the host gave that call.
class COwnerHost : public CCvlHost {
public:
    explicit COwnerHost(IReconcileOwner* owner) : m_owner(owner), m_previous(CvlSetHost(this)) {}
    ~COwnerHost() override { CvlSetHost(m_previous); }
    int DoMessageBox(const CvlMessage& msg) override {
        if (!m_owner) return CvlDefaultButton(msg.type);
        return m_owner->ShowMessage(msg.caption.c_str(), msg.text.c_str(), msg.type);
    }

protected:
    // The reconciler has no status bar.
    bool OnBeginProgress(const WString&, int) override { return false; }

private:
    IReconcileOwner* m_owner;
    CCvlHost* m_previous;
};

}  // namespace

// ---- decisions -----------------------------------------------------------------------------------

int CScriptedDecisionRunner::RunMergeDialog(CStateInfo& node) {
    return m_bStop && node.GetOpenItems() > 0 ? IDCANCEL : IDOK;
}

namespace {

class COwnerDialogRunner : public IMergeDialogRunner {
public:
    explicit COwnerDialogRunner(IReconcileOwner* owner) : m_owner(owner) {}
    int RunMergeDialog(CStateInfo& node) override { return CMergeList(node, m_owner).Run(); }

private:
    IReconcileOwner* m_owner;
};

}  // namespace

std::unique_ptr<IMergeDialogRunner> CreateMergeDialogRunner(IReconcileOwner* owner) {
    const UINT decisions = owner ? owner->GetDecisions() : IReconcileOwner::stopWhenUndecided;
    if (decisions == IReconcileOwner::acceptAssessed) return std::make_unique<CScriptedDecisionRunner>(false);
    if (decisions == IReconcileOwner::decideInDialogs) return std::make_unique<COwnerDialogRunner>(owner);
    // Nobody to ask: stop rather than guess.
    return std::make_unique<CScriptedDecisionRunner>(true);
}

// ---- object --------------------------------------------------------------------------------------

CFlockReconciler::CFlockReconciler() : m_pDoc(CRefPtr<CSheepDoc>::Adopt(new CSheepDoc)) {
    m_xSupportErrorInfo.m_pOuter = this;
    m_xReconcilableObject.m_pOuter = this;
    m_xPersistStorage.m_pOuter = this;
    m_xNotifyReplica.m_pOuter = this;
    m_root.SetDocument(SIDE_THIS, m_pDoc.Get());
    ++g_nLiveObjects;
}

CFlockReconciler::~CFlockReconciler() {
    m_root.RemoveAllChildren();
    m_pDoc->DeleteContents();
    m_stm.Reset();
    m_stg.Reset();
    m_handsOffStg.Reset();
    --g_nLiveObjects;
}

HRESULT CFlockReconciler::Create(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    auto* object = new CFlockReconciler;
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

HRESULT CFlockReconciler::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_ISupportErrorInfo)
        *ppv = static_cast<ISupportErrorInfo*>(&m_xSupportErrorInfo);
    else if (riid == IID_IReconcilableObject)
        *ppv = static_cast<IReconcilableObject*>(&m_xReconcilableObject);
    else if (riid == IID_IPersistStorage || riid == IID_IPersist)
        *ppv = static_cast<IPersistStorage*>(&m_xPersistStorage);
    else if (riid == IID_INotifyReplica)
        *ppv = static_cast<INotifyReplica*>(&m_xNotifyReplica);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG CFlockReconciler::AddRef() {
    return m_ref.fetch_add(1) + 1;
}

ULONG CFlockReconciler::Release() {
    const ULONG left = m_ref.fetch_sub(1) - 1;
    if (left == 0) delete this;
    return left;
}

HRESULT CFlockReconciler::InterfaceSupportsErrorInfo(REFIID riid) {
    return std::memcmp(&riid, &IID_IReconcilableObject, sizeof(IID)) == 0 ? S_OK : S_FALSE;
}

HRESULT CFlockReconciler::GetProgressFeedbackMaxEstimate(ULONG* pulProgressMax) {
    if (!pulProgressMax) return E_POINTER;
    *pulProgressMax = 10;
    return S_OK;
}

// ---- persistence ---------------------------------------------------------------------------------

HRESULT CFlockReconciler::GetClassID(CLSID* pClassID) {
    if (m_nState == stateUninitialized) return E_UNEXPECTED;
    if (!pClassID) return E_POINTER;
    *pClassID = CLSID_Document;
    return S_OK;
}

HRESULT CFlockReconciler::IsDirty() {
    if (m_nState == stateUninitialized) return E_UNEXPECTED;
    return m_pDoc->IsModified() ? S_OK : S_FALSE;
}

HRESULT CFlockReconciler::InitNew(IStorage* pStg) {
    if (m_nState != stateUninitialized) return E_UNEXPECTED;
    if (!pStg) return E_POINTER;
    if (m_stg) return CO_E_ALREADYINITIALIZED;
    m_stg.Set(pStg);
    if (FAILED(
            pStg->CreateStream(kContents, STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, m_stm.Out())))
        return E_FAIL;
    m_nState = stateNormal;
    return S_OK;
}

HRESULT CFlockReconciler::Load(IStorage* pStg) {
    if (m_nState != stateUninitialized) return E_UNEXPECTED;
    if (!pStg) return E_POINTER;
    if (m_stg) return CO_E_ALREADYINITIALIZED;
    m_stg.Set(pStg);
    if (FAILED(pStg->OpenStream(kContents, STGM_SHARE_EXCLUSIVE | STGM_READWRITE, m_stm.Out()))) {
        m_stg.Reset();
        return E_FAIL;
    }
    COwnerHost host(nullptr);
    LoadDocument(*m_pDoc, m_stm.Get());
    m_nState = stateNormal;
    return S_OK;
}

HRESULT CFlockReconciler::Save(IStorage* pStgSave, BOOL fSameAsLoad) {
    if (m_nState != stateNormal) return E_UNEXPECTED;
    if (!pStgSave && !fSameAsLoad) return E_POINTER;
    if (pStgSave && !fSameAsLoad) {
        // The old storage is kept until the new one has its stream.
        CComPtr<IStream> stream;
        const HRESULT hr = pStgSave->CreateStream(kContents, STGM_SHARE_EXCLUSIVE | STGM_WRITE, stream.Out());
        if (FAILED(hr)) return hr;
        m_stm = stream;
        m_stg.Set(pStgSave);
    }
    if (!m_stm) return E_UNEXPECTED;
    SaveDocument(*m_pDoc, m_stm.Get());
    m_nState = stateNoScribble;
    return S_OK;
}

HRESULT CFlockReconciler::SaveCompleted(IStorage* pStgNew) {
    if (m_nState != stateNoScribble && m_nState != stateHandsOff && m_nState != stateHandsOffAfterSave)
        return E_INVALIDARG;
    if (pStgNew) {
        m_stm.Reset();
        m_stg.Reset();
        m_handsOffStg.Reset();
        m_stg.Set(pStgNew);
        pStgNew->OpenStream(kContents, STGM_SHARE_EXCLUSIVE | STGM_READWRITE, m_stm.Out());
    } else if (m_nState == stateHandsOff) {
        return E_UNEXPECTED;
    } else if (m_nState == stateHandsOffAfterSave) {
        m_stg = m_handsOffStg;
        m_handsOffStg.Reset();
        m_stg->OpenStream(kContents, STGM_SHARE_EXCLUSIVE | STGM_READWRITE, m_stm.Out());
    }
    m_nState = stateNormal;
    return S_OK;
}

HRESULT CFlockReconciler::HandsOffStorage() {
    if (m_nState != stateNormal && m_nState != stateNoScribble) return E_UNEXPECTED;
    m_stm.Reset();
    if (m_nState == stateNoScribble) {
        m_handsOffStg = m_stg;
        m_nState = stateHandsOffAfterSave;
    } else {
        m_nState = stateHandsOff;
    }
    m_stg.Reset();
    return S_OK;
}

namespace {

// The stream's length, the stream left at its start; false when it cannot seek.
bool StreamSize(IStream* stream, uint64_t& size) {
    return SUCCEEDED(stream->Seek(0, STREAM_SEEK_END, &size)) &&
           SUCCEEDED(stream->Seek(0, STREAM_SEEK_SET, nullptr));
}

// The stream from its start into bytes; a stream that holds more than its length is read on.
bool ReadStream(IStream* stream, uint64_t size, std::vector<uint8_t>& bytes) {
    bytes.resize(size_t(size));
    size_t done = 0;
    while (done < bytes.size()) {
        ULONG n = 0;
        const ULONG want = ULONG(std::min<size_t>(bytes.size() - done, 1u << 30));
        if (FAILED(stream->Read(bytes.data() + done, want, &n))) return false;
        if (n == 0) break;
        done += n;
    }
    bytes.resize(done);
    for (;;) {
        uint8_t more[4096];
        ULONG n = 0;
        if (FAILED(stream->Read(more, sizeof more, &n))) return false;
        if (n == 0) return true;
        bytes.insert(bytes.end(), more, more + n);
    }
}

// Where the archive goes: into the stream as it is made, or into bytes for one write.
class CStreamSink : public CArchiveSink {
public:
    CStreamSink(IStream* stream, std::vector<uint8_t>& bytes) : m_stream(stream), m_bytes(bytes) {}
    void Put(const uint8_t* data, size_t size) override {
        if (!m_stream) {
            m_bytes.insert(m_bytes.end(), data, data + size);
            return;
        }
        ULONG written = 0;
        if (FAILED(m_stream->Write(data, ULONG(size), &written)) || written != size)
            throw std::runtime_error("the stream refused the flock");
    }

private:
    IStream* m_stream;
    std::vector<uint8_t>& m_bytes;
};

}  // namespace

int CFlockReconciler::LoadDocument(CSheepDoc& doc, IStream* stream) {
    if (!stream) return 1;
    std::vector<uint8_t> bytes;
    try {
        // A stream that shows its bytes is read where they are; another is read once into a buffer
        // sized from its length.
        std::span<const uint8_t> contents;
        const uint8_t* shown = nullptr;
        uint64_t size = 0;
        auto view = CComPtr<IStreamBytes>::Adopt(QueryInterfaceAs<IStreamBytes>(stream, IID_IStreamBytes));
        if (view && SUCCEEDED(view->GetBytes(&shown, &size))) {
            contents = {shown, size_t(size)};
        } else {
            if (!StreamSize(stream, size) || !ReadStream(stream, size, bytes)) return 1;
            contents = bytes;
        }
        CArchive ar{contents};
        doc.Serialize(ar);
    } catch (const CArchiveException& e) {
        return e.m_cause ? e.m_cause : 1;
    } catch (...) {
        return 1;
    }
    // Without its plug-in the flock still merges; only event names and texts are empty.
    doc.LoadBreedPlugIn(doc.GetDocString(FARM_BREED), false);
    return 0;
}

int CFlockReconciler::SaveDocument(CSheepDoc& doc, IStream* stream, bool straightIn) {
    if (!stream) return 1;
    std::vector<uint8_t> bytes;
    uint64_t length = 0;
    try {
        uint64_t size = 0;
        if (!StreamSize(stream, size)) return 1;
        // The old flock's length is a close guess of the new one's.
        if (!straightIn) bytes.reserve(size_t(size + size / 16));
        CStreamSink sink(straightIn ? stream : nullptr, bytes);
        CArchive ar(sink);
        doc.Serialize(ar);
        ar.Flush();
        length = ar.GetPosition();
    } catch (const CArchiveException& e) {
        return e.m_cause ? e.m_cause : 1;
    } catch (...) {
        return 1;
    }
    // From the start, cut to the new length: loading always reads from the start.
    ULONG written = 0;
    if (!straightIn &&
        (FAILED(stream->Write(bytes.data(), ULONG(bytes.size()), &written)) || written != bytes.size()))
        return 1;
    if (FAILED(stream->SetSize(length))) return 1;
    doc.SetModifiedFlag(false);
    return 0;
}

// ---- reconciliation ------------------------------------------------------------------------------

void CFlockReconciler::ShowBindError(IReconcileOwner* owner, HRESULT hr) {
    const char16_t* text = u"";
    switch (hr) {
        case MK_E_NOSTORAGE:
            text = u"The object identified by this moniker does not have its own storage.";
            break;
        case MK_E_EXCEEDEDDEADLINE:
            text = u"The operation could not be completed within the time limit specified";
            break;
        case MK_E_CONNECTMANUALLY:
            text =
                u"The operation was unable to connect to the storage, possibly because a network device "
                u"could "
                u"not be connected to.";
            break;
        case MK_E_INTERMEDIATEINTERFACENOTSUPPORTED:
            text =
                u"An intermediate object was found but it did not support an interface required for an "
                u"operation.";
            break;
        case STG_E_ACCESSDENIED:
            text = u"Access Denied";
            break;
        default:
            break;
    }
    if (owner) owner->ShowMessage(u"Error", text, MB_OK | MB_ICONEXCLAMATION);
}

CMergeContext CFlockReconciler::MakeContext(IReconcileInitiator* initiator, IProgressText* progress) const {
    CMergeContext ctx;
    ctx.initiator = initiator;
    ctx.progress = progress;
    ctx.window = m_window;
    return ctx;
}

HRESULT CFlockReconciler::ApplyReconciliation(CMergeContext& ctx) {
    m_root.ApplyChanges(ctx);
    return m_root.GetOpenItems() > 0 ? REC_S_NOTCOMPLETE : REC_S_IDIDTHEUPDATES;
}

HRESULT CFlockReconciler::Reconcile(IReconcileInitiator* initiator, DWORD flags, IReconcileOwner* owner,
                                    IProgressText* progress, ULONG ulcInput, IMoniker** rgpmkOtherInput,
                                    LONG* plOutIndex, IStorage* pstgNewResidues, void*) {
    if (!(flags & RECONCILEF_NORESIDUESOK) && pstgNewResidues) return REC_E_NORESIDUES;
    if (!(flags & RECONCILEF_YOUMAYDOTHEUPDATES)) return REC_E_INEEDTODOTHEUPDATES;
    if (flags & RECONCILEF_ONLYYOUWERECHANGED) return S_FALSE;
    // Every copy is merged into this object's own; more than one other copy would share one tree
    // whose changes reach only the copy loaded last.
    if (ulcInput > 1) return E_INVALIDARG;
    if (ulcInput && (!rgpmkOtherInput || !rgpmkOtherInput[0])) return E_POINTER;
    if (m_nState != stateNormal || !m_stg) return E_UNEXPECTED;

    COwnerHost host(owner);
    if (!(flags & RECONCILEF_FEEDBACKWINDOWVALID)) progress = nullptr;
    CMergeContext ctx = MakeContext(initiator, progress);
    const BIND_OPTS bindOpts = {sizeof(BIND_OPTS), BIND_MAYBOTHERUSER, STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                0};

    std::vector<CRefPtr<CSheepDoc>> docs(ulcInput);
    // Each other copy stays bound from its load to its save: read once, and locked against the
    // program meanwhile, whose save would otherwise be written over.
    std::vector<CComPtr<IStorage>> stgs(ulcInput);
    auto endCall = [&](HRESULT hr) {
        m_root.RemoveAllChildren();
        m_root.SetDocument(SIDE_OTHER, nullptr);
        for (auto& doc : docs)
            if (doc) {
                doc->UnloadBreedPlugIn();
                doc->DeleteContents();
            }
        return hr;
    };

    for (ULONG i = 0; i < ulcInput; ++i) {
        CComPtr<IStorage>& stg = stgs[i];
        const HRESULT hr =
            rgpmkOtherInput[i]->BindToStorage(&bindOpts, IID_IStorage, reinterpret_cast<void**>(stg.Out()));
        if (FAILED(hr) || !stg) {
            ShowBindError(owner, hr);
            return endCall(E_UNEXPECTED);
        }
        docs[i] = CRefPtr<CSheepDoc>::Adopt(new CSheepDoc);
        CComPtr<IStream> stm;
        if (FAILED(stg->OpenStream(kContents, STGM_SHARE_EXCLUSIVE | STGM_READ, stm.Out())))
            return endCall(E_UNEXPECTED);
        ctx.SetText(
            FormatPlaceholders(LoadCvlString(CvlStringTable::Quillmere, IDS_LOADING), {docs[i]->GetTitle()}));
        // A copy whose flock cannot be read is not merged: its data would be lost when it is written.
        if (LoadDocument(*docs[i], stm.Get()) != 0) return endCall(E_UNEXPECTED);
        m_root.SetDocument(SIDE_OTHER, docs[i].Get());
        m_root.DetermineMergeState(ctx);
    }

    if (!m_root.GetChildren().empty()) {
        std::unique_ptr<IMergeDialogRunner> own;
        IMergeDialogRunner* runner = m_pRunner;
        if (!runner) runner = (own = CreateMergeDialogRunner(owner)).get();
        if (runner->RunMergeDialog(m_root) != IDOK) return endCall(REC_E_ABORTED);
    }

    HRESULT result = ApplyReconciliation(ctx);
    const COleDateTime now = COleDateTime::GetCurrentTime();

    for (ULONG i = 0; i < ulcInput; ++i) {
        IStorage* stg = stgs[i].Get();
        CComPtr<IStream> stm;
        if (FAILED(stg->OpenStream(kContents, STGM_SHARE_EXCLUSIVE | STGM_READWRITE, stm.Out()))) {
            result = REC_E_ABORTED;
            break;
        }
        docs[i]->GetFile().m_date = now;
        if (SaveDocument(*docs[i], stm.Get(), true) != 0 || FAILED(stm->Commit(STGC_DEFAULT)) ||
            FAILED(stg->Commit(STGC_DEFAULT))) {
            // Reported, not taken for done: the copy on disk is the old one.
            result = E_FAIL;
            // The stream goes first: a storage with an open stream cannot revert, and would write
            // what it holds when it goes.
            stm.Reset();
            stg->Revert();
            break;
        }
    }

    m_stm.Reset();
    if (FAILED(m_stg->CreateStream(kContents, STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_WRITE, m_stm.Out())))
        return endCall(E_FAIL);
    m_pDoc->GetFile().m_date = now;
    const bool saved = SaveDocument(*m_pDoc, m_stm.Get(), true) == 0;
    m_pDoc->UnloadBreedPlugIn();
    if (!saved || FAILED(m_stm->Commit(STGC_DEFAULT)) || FAILED(m_stg->Commit(STGC_DEFAULT))) {
        m_stm.Reset();
        m_stg->Revert();
        m_stg->OpenStream(kContents, STGM_SHARE_EXCLUSIVE | STGM_READWRITE, m_stm.Out());
        result = E_FAIL;
    }
    if (plOutIndex) *plOutIndex = -1;
    return endCall(result);
}

HRESULT CFlockReconciler::YouAreAReplica(ULONG, IMoniker**) {
    m_pDoc->GetFile().m_date = COleDateTime::GetCurrentTime();
    m_pDoc->SetModifiedFlag();
    if (const HRESULT hr = Save(nullptr, TRUE); FAILED(hr)) return hr;
    SaveCompleted(nullptr);
    SaveDocument(*m_pDoc, m_stm.Get());
    return S_OK;
}

// ---- class factory -------------------------------------------------------------------------------

namespace {

std::atomic<long> g_nServerLocks{0};

class CReconcilerFactory : public IClassFactory {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    // The factories are the library's own and live as long as it.
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return CFlockReconciler::Create(riid, ppv);
    }
    HRESULT LockServer(BOOL lock) override {
        lock ? ++g_nServerLocks : --g_nServerLocks;
        return S_OK;
    }
};

CReconcilerFactory g_reconcilerFactory;
CReconcilerFactory g_notifyFactory;

}  // namespace

HRESULT GetReconcilerClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    IClassFactory* factory = rclsid == CLSID_FlockReconciler      ? &g_reconcilerFactory
                             : rclsid == CLSID_FlockReplicaNotify ? &g_notifyFactory
                                                                  : nullptr;
    if (!factory) return CLASS_E_CLASSNOTAVAILABLE;
    return factory->QueryInterface(riid, ppv);
}

HRESULT CanUnloadReconciler() {
    return g_nLiveObjects.load() == 0 && g_nServerLocks.load() == 0 ? S_OK : S_FALSE;
}
