#include <dlfcn.h>
#include <gtest/gtest.h>

#include "document/document_automation.h"
#include "document/summary_info.h"
#include "platform/automation/slot_call.h"
#include "platform/compound_file.h"
#include "platform/file_lock.h"
#include "quillmere/flock_reconciler.h"
#include "quillmere/storage.h"
#include "quillmere_support.h"

namespace {

template <class I>
CComPtr<I> Query(IUnknown* p, REFIID iid) {
    return CComPtr<I>::Adopt(QueryInterfaceAs<I>(p, iid));
}

CComPtr<IPersistStorage> NewReconciler() {
    void* p = nullptr;
    EXPECT_EQ(CFlockReconciler::Create(IID_IPersistStorage, &p), S_OK);
    return CComPtr<IPersistStorage>::Adopt(static_cast<IPersistStorage*>(p));
}

CComPtr<IStorage> OpenStorage(const std::string& path, DWORD mode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE) {
    CComPtr<IStorage> stg;
    EXPECT_EQ(OpenDataFileStorage(path, mode, stg.Out()), S_OK) << path;
    return stg;
}

// A compound file holding only a summary-information stream.
void WriteBareFile(const std::string& path) {
    CSummaryInfo summary;
    summary.m_title = "not a flock";
    CCompoundFileWriter streams;
    summary.WriteToStorage(&streams);
    SafeSaveFile(path, streams.Build());
}

std::vector<uint8_t> Stream(const std::string& path, std::string_view name) {
    std::vector<uint8_t> out;
    CCompoundFileReader::OpenFile(path).ReadStream(name, out);
    return out;
}

}  // namespace

TEST(ReconcilerObject, InterfacesKeepTheirSlots) {
    static_assert(IsSlotSafeInterface<IClassFactory>() && IsSlotSafeInterface<IStream>() &&
                  IsSlotSafeInterface<IStorage>() && IsSlotSafeInterface<IMoniker>() &&
                  IsSlotSafeInterface<IPersistStorage>() && IsSlotSafeInterface<IReconcileInitiator>() &&
                  IsSlotSafeInterface<IReconcilableObject>() && IsSlotSafeInterface<INotifyReplica>());
    EXPECT_EQ(SlotIndexOf(&ISupportErrorInfo::InterfaceSupportsErrorInfo), 3u);
    EXPECT_EQ(SlotIndexOf(&IReconcilableObject::Reconcile), 3u);
    EXPECT_EQ(SlotIndexOf(&IReconcilableObject::GetProgressFeedbackMaxEstimate), 4u);
    EXPECT_EQ(SlotIndexOf(&IPersistStorage::GetClassID), 3u);
    EXPECT_EQ(SlotIndexOf(&IPersistStorage::IsDirty), 4u);
    EXPECT_EQ(SlotIndexOf(&IPersistStorage::InitNew), 5u);
    EXPECT_EQ(SlotIndexOf(&IPersistStorage::Load), 6u);
    EXPECT_EQ(SlotIndexOf(&IPersistStorage::Save), 7u);
    EXPECT_EQ(SlotIndexOf(&IPersistStorage::SaveCompleted), 8u);
    EXPECT_EQ(SlotIndexOf(&IPersistStorage::HandsOffStorage), 9u);
    EXPECT_EQ(SlotIndexOf(&INotifyReplica::YouAreAReplica), 3u);
    EXPECT_EQ(SlotIndexOf(&IClassFactory::CreateInstance), 3u);
    EXPECT_EQ(SlotIndexOf(&IClassFactory::LockServer), 4u);
    EXPECT_EQ(SlotIndexOf(&IStream::Commit), 7u);
    EXPECT_EQ(SlotIndexOf(&IStorage::Revert), 6u);
    EXPECT_EQ(SlotIndexOf(&IMoniker::GetDisplayName), 4u);
    EXPECT_EQ(SlotIndexOf(&IReconcileInitiator::SetProgressFeedback), 4u);

    // Every part answers through its raw table.
    auto persist = NewReconciler();
    EXPECT_EQ(CallSlot(persist.Get(), 4), E_UNEXPECTED);  // IsDirty before a load
    auto recon = Query<IReconcilableObject>(persist.Get(), IID_IReconcilableObject);
    ULONG max = 0;
    EXPECT_EQ(CallSlot(recon.Get(), 4, &max), S_OK);
    EXPECT_EQ(max, 10u);
    auto errors = Query<ISupportErrorInfo>(persist.Get(), IID_ISupportErrorInfo);
    EXPECT_EQ(CallSlot(errors.Get(), 3, &IID_IReconcilableObject), S_OK);
    EXPECT_EQ(CallSlot(errors.Get(), 3, &IID_IPersistStorage), S_FALSE);
    auto notify = Query<INotifyReplica>(persist.Get(), IID_INotifyReplica);
    ASSERT_TRUE(notify);
    EXPECT_TRUE(Query<IPersist>(notify.Get(), IID_IPersist));
    EXPECT_FALSE(Query<IStorage>(notify.Get(), IID_IStorage));
}

TEST(ReconcilerObject, PersistStateMachine) {
    enum Op { InitNew, Load, Save, SaveSame, SaveCompleted, HandsOff, IsDirty };
    enum Arg { none, good, bare, other, blank };
    struct Step {
        Op op;
        Arg arg;
        HRESULT hr;
    };
    const std::vector<std::vector<Step>> scripts = {
        {{Save, none, E_UNEXPECTED},
         {SaveSame, none, E_UNEXPECTED},
         {HandsOff, none, E_UNEXPECTED},
         {SaveCompleted, none, E_INVALIDARG},
         {IsDirty, none, E_UNEXPECTED}},
        {{Load, none, E_POINTER},
         {Load, bare, E_FAIL},
         {Load, good, S_OK},
         {Load, good, E_UNEXPECTED},
         {InitNew, good, E_UNEXPECTED}},
        {{Load, good, S_OK},
         {Save, none, E_POINTER},
         {SaveCompleted, none, E_INVALIDARG},
         {SaveSame, none, S_OK},
         {SaveSame, none, E_UNEXPECTED},
         {SaveCompleted, none, S_OK},
         {IsDirty, none, S_FALSE}},
        // Hands off from the normal state: the former storage is not taken up again.
        {{Load, good, S_OK},
         {HandsOff, none, S_OK},
         {HandsOff, none, E_UNEXPECTED},
         {SaveCompleted, none, E_UNEXPECTED},
         {SaveCompleted, good, S_OK},
         {SaveSame, none, S_OK}},
        // Hands off after a save: the former storage comes back.
        {{Load, good, S_OK},
         {SaveSame, none, S_OK},
         {HandsOff, none, S_OK},
         {SaveSame, none, E_UNEXPECTED},
         {SaveCompleted, none, S_OK},
         {SaveSame, none, S_OK}},
        // Saving into another storage that already holds "Contents" fails with its own code and keeps
        // the current one; one without it takes the document.
        {{Load, good, S_OK},
         {Save, other, STG_E_FILEALREADYEXISTS},
         {SaveSame, none, S_OK},
         {SaveCompleted, none, S_OK},
         {Save, blank, S_OK},
         {SaveCompleted, none, S_OK}},
        {{InitNew, none, E_POINTER}, {InitNew, blank, S_OK}, {InitNew, blank, E_UNEXPECTED}},
    };
    for (size_t n = 0; n < scripts.size(); ++n) {
        SCOPED_TRACE(testing::Message() << "script " << n);
        CTempFolder dir;
        SaveFlock(dir.Path("good.cvl"), [](CSheepDoc& d) { AddAnimal(d, u"A1"); });
        SaveFlock(dir.Path("other.cvl"), [](CSheepDoc&) {});
        WriteBareFile(dir.Path("bare.cvl"));
        WriteBareFile(dir.Path("blank.cvl"));
        CComPtr<IStorage> stgs[] = {{},
                                    OpenStorage(dir.Path("good.cvl")),
                                    OpenStorage(dir.Path("bare.cvl")),
                                    OpenStorage(dir.Path("other.cvl")),
                                    OpenStorage(dir.Path("blank.cvl"))};
        auto p = NewReconciler();
        for (size_t i = 0; i < scripts[n].size(); ++i) {
            const Step& s = scripts[n][i];
            IStorage* stg = stgs[s.arg].Get();
            HRESULT hr = S_OK;
            switch (s.op) {
                case InitNew:
                    hr = p->InitNew(stg);
                    break;
                case Load:
                    hr = p->Load(stg);
                    break;
                case Save:
                    hr = p->Save(stg, FALSE);
                    break;
                case SaveSame:
                    hr = p->Save(stg, TRUE);
                    break;
                case SaveCompleted:
                    hr = p->SaveCompleted(stg);
                    break;
                case HandsOff:
                    hr = p->HandsOffStorage();
                    break;
                case IsDirty:
                    hr = p->IsDirty();
                    break;
            }
            EXPECT_EQ(hr, s.hr) << "step " << i;
        }
    }
}

TEST(ReconcilerObject, SaveRewritesTheStreamFromItsStart) {
    CTempFolder dir;
    const std::string path = dir.Path("flock.cvl");
    SaveFlock(path, [](CSheepDoc& d) {
        AddAnimal(d, u"A1");
        d.GetSummaryInfo().m_title = "Home flock";
    });
    const std::vector<uint8_t> summaryBefore = Stream(path, kSummaryInformationStream);
    ASSERT_FALSE(summaryBefore.empty());
    EXPECT_EQ(CCompoundFileReader::OpenFile(path).ClassId(), DocumentClassId());
    {
        void* raw = nullptr;
        ASSERT_EQ(CFlockReconciler::Create(IID_IPersistStorage, &raw), S_OK);
        auto p = CComPtr<IPersistStorage>::Adopt(static_cast<IPersistStorage*>(raw));
        ASSERT_EQ(p->Load(OpenStorage(path).Get()), S_OK);
        CLSID clsid{};
        EXPECT_EQ(p->GetClassID(&clsid), S_OK);
        EXPECT_EQ(clsid, CLSID_Document);
        auto notify = Query<INotifyReplica>(p.Get(), IID_INotifyReplica);
        EXPECT_EQ(notify->YouAreAReplica(0, nullptr), S_OK);
        EXPECT_EQ(p->IsDirty(), S_FALSE);
    }
    // The storage went with the object: what it wrote is on disk, and only "Contents" changed.
    auto back = ReadFlock(path);
    EXPECT_EQ(Tattoos(*back), std::vector<WString>{u"A1"});
    EXPECT_EQ(back->GetFile().m_date.GetStatus(), COleDateTime::valid);
    EXPECT_GT(back->GetFile().m_date.m_dt, kReference);
    EXPECT_EQ(Stream(path, kSummaryInformationStream), summaryBefore);
    EXPECT_EQ(CCompoundFileReader::OpenFile(path).ClassId(), DocumentClassId());
    // Exactly one archive: storing the flock again gives the stream's bytes.
    std::vector<uint8_t> again;
    {
        CArchive ar(again, CArchive::store);
        back->Serialize(ar);
    }
    EXPECT_EQ(Stream(path, kContentsStream), again);
}

TEST(ReconcilerObject, StoragesHonourTheWriterLock) {
    CTempFolder dir;
    const std::string path = dir.Path("flock.cvl");
    SaveFlock(path, [](CSheepDoc& d) { AddAnimal(d, u"A1"); });
    {
        // The program holds the file open.
        auto doc = NewFlock();
        CFileLock lock;
        ASSERT_EQ(lock.Lock(path), CFileLock::acquired);
        CComPtr<IStorage> stg;
        EXPECT_EQ(OpenDataFileStorage(path, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, stg.Out()),
                  STG_E_ACCESSDENIED);
        EXPECT_FALSE(stg);
    }
    CComPtr<IStorage> stg;
    EXPECT_EQ(OpenDataFileStorage(dir.Path("missing.cvl"), STGM_READWRITE, stg.Out()), STG_E_FILENOTFOUND);
    SafeSaveFile(dir.Path("text.cvl"), std::vector<uint8_t>{'h', 'i'});
    EXPECT_EQ(OpenDataFileStorage(dir.Path("text.cvl"), STGM_READWRITE, stg.Out()), STG_E_FILEFORMAT);

    auto held = OpenStorage(path);
    EXPECT_EQ(OpenDataFileStorage(path, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, stg.Out()),
              STG_E_ACCESSDENIED);
    CComPtr<IStream> a, b;
    EXPECT_EQ(held->OpenStream(u"Contents", STGM_READ | STGM_SHARE_EXCLUSIVE, a.Out()), S_OK);
    EXPECT_EQ(held->OpenStream(u"Contents", STGM_READ | STGM_SHARE_EXCLUSIVE, b.Out()), STG_E_ACCESSDENIED);
    EXPECT_EQ(held->CreateStream(u"Contents", STGM_WRITE | STGM_SHARE_EXCLUSIVE, b.Out()),
              STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(held->OpenStream(u"Nothing", STGM_READ | STGM_SHARE_EXCLUSIVE, b.Out()), STG_E_FILENOTFOUND);
}

TEST(ReconcilerObject, LibraryExportsAndFactories) {
    void* lib = dlopen(CVL_QUILLMERE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    auto getClassObject = reinterpret_cast<PFN_DllGetClassObject>(dlsym(lib, "DllGetClassObject"));
    auto canUnload = reinterpret_cast<PFN_DllCanUnloadNow>(dlsym(lib, "DllCanUnloadNow"));
    ASSERT_TRUE(getClassObject && canUnload);
    void* p = nullptr;
    EXPECT_EQ(getClassObject(CLSID_Document, IID_IClassFactory, &p), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(p, nullptr);
    for (const CLSID& clsid : {CLSID_FlockReconciler, CLSID_FlockReplicaNotify}) {
        ASSERT_EQ(getClassObject(clsid, IID_IClassFactory, &p), S_OK);
        auto* factory = static_cast<IClassFactory*>(p);
        void* obj = nullptr;
        IUnknown* outer = factory;
        EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &obj), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_INotifyReplica, &obj), S_OK);
        EXPECT_EQ(canUnload(), S_FALSE);
        static_cast<IUnknown*>(obj)->Release();
        EXPECT_EQ(canUnload(), S_OK);
        factory->LockServer(TRUE);
        EXPECT_EQ(canUnload(), S_FALSE);
        factory->LockServer(FALSE);
        factory->Release();
    }
    EXPECT_EQ(canUnload(), S_OK);
    dlclose(lib);
}
