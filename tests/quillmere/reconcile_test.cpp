#include <gtest/gtest.h>

#include "platform/compound_file.h"
#include "platform/file_lock.h"
#include "quillmere/flock_reconciler.h"
#include "quillmere/storage.h"
#include "quillmere_support.h"

namespace {

constexpr DWORD kFlags =
    RECONCILEF_MAYBOTHERUSER | RECONCILEF_FEEDBACKWINDOWVALID | RECONCILEF_YOUMAYDOTHEUPDATES;

// The briefcase copy held by a reconciler, and the file copy named by a moniker.
struct CCopies {
    CTempFolder dir;
    std::string mine = dir.Path("briefcase.cvl");
    std::string theirs = dir.Path("file.cvl");
    CRecordingOwner owner{IReconcileOwner::acceptAssessed};
    CRecordingText text;

    CCopies(const std::function<void(CSheepDoc&)>& fillMine,
            const std::function<void(CSheepDoc&)>& fillTheirs) {
        SaveFlock(mine, fillMine);
        SaveFlock(theirs, fillTheirs);
    }

    HRESULT Reconcile(DWORD flags = kFlags, ULONG copies = 1, IStorage* residues = nullptr,
                      LONG* out = nullptr) {
        void* raw = nullptr;
        EXPECT_EQ(CFlockReconciler::Create(IID_IPersistStorage, &raw), S_OK);
        auto persist = CComPtr<IPersistStorage>::Adopt(static_cast<IPersistStorage*>(raw));
        CComPtr<IStorage> stg;
        EXPECT_EQ(OpenDataFileStorage(mine, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, stg.Out()), S_OK);
        EXPECT_EQ(persist->Load(stg.Get()), S_OK);
        stg.Reset();
        auto recon = CComPtr<IReconcilableObject>::Adopt(
            QueryInterfaceAs<IReconcilableObject>(persist.Get(), IID_IReconcilableObject));
        auto moniker = CComPtr<IMoniker>::Adopt(NewFileMoniker(theirs));
        IMoniker* monikers[2] = {moniker.Get(), moniker.Get()};
        LONG index = 0;
        return recon->Reconcile(nullptr, flags, &owner, &text, copies, monikers, out ? out : &index, residues,
                                nullptr);
    }
};

void TwoAnimalsApart(CSheepDoc& d, const char16_t* own) {
    AddAnimal(d, u"SHARED");
    AddAnimal(d, own, kAfter);
}

}  // namespace

TEST(Reconcile, RefusalsWriteNothing) {
    CCopies c([](CSheepDoc& d) { TwoAnimalsApart(d, u"MINE"); },
              [](CSheepDoc& d) { TwoAnimalsApart(d, u"THEIRS"); });
    const auto mineBefore = FileBytes(c.mine), theirsBefore = FileBytes(c.theirs);
    CTempFolder scratch;
    SaveFlock(scratch.Path("residue.cvl"), [](CSheepDoc&) {});
    CComPtr<IStorage> residues;
    ASSERT_EQ(OpenDataFileStorage(scratch.Path("residue.cvl"), STGM_READWRITE, residues.Out()), S_OK);
    struct Case {
        DWORD flags;
        ULONG copies;
        IStorage* residues;
        HRESULT hr;
    } cases[] = {
        {RECONCILEF_FEEDBACKWINDOWVALID, 1, residues.Get(), REC_E_NORESIDUES},
        {kFlags, 1, residues.Get(), REC_E_NORESIDUES},
        {RECONCILEF_FEEDBACKWINDOWVALID, 1, nullptr, REC_E_INEEDTODOTHEUPDATES},
        {kFlags | RECONCILEF_ONLYYOUWERECHANGED, 1, nullptr, S_FALSE},
        {kFlags, 2, nullptr, E_INVALIDARG},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(c.Reconcile(k.flags, k.copies, k.residues), k.hr) << std::hex << k.flags;
        EXPECT_EQ(FileBytes(c.mine), mineBefore);
        EXPECT_EQ(FileBytes(c.theirs), theirsBefore);
    }
    EXPECT_TRUE(c.owner.boxes.empty());
}

TEST(Reconcile, AnimalsAddedOnEachSideEndUpInBoth) {
    CCopies c(
        [](CSheepDoc& d) {
            TwoAnimalsApart(d, u"MINE");
            d.GetSummaryInfo().m_title = "Briefcase";
        },
        [](CSheepDoc& d) { TwoAnimalsApart(d, u"THEIRS"); });
    std::vector<uint8_t> summaryBefore;
    CCompoundFileReader::OpenFile(c.mine).ReadStream(kSummaryInformationStream, summaryBefore);
    LONG out = 0;
    EXPECT_EQ(c.Reconcile(kFlags, 1, nullptr, &out), REC_S_IDIDTHEUPDATES);
    EXPECT_EQ(out, -1);
    auto mine = ReadFlock(c.mine), theirs = ReadFlock(c.theirs);
    const std::vector<WString> all = {u"MINE", u"SHARED", u"THEIRS"};
    EXPECT_EQ(Tattoos(*mine), all);
    EXPECT_EQ(Tattoos(*theirs), all);
    EXPECT_EQ(mine->GetFile().m_date.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(mine->GetFile().m_date.m_dt, theirs->GetFile().m_date.m_dt);
    std::vector<uint8_t> summaryAfter;
    CCompoundFileReader::OpenFile(c.mine).ReadStream(kSummaryInformationStream, summaryAfter);
    EXPECT_EQ(summaryAfter, summaryBefore);
    EXPECT_EQ(CCompoundFileReader::OpenFile(c.theirs).ClassId(), DocumentClassId());
    EXPECT_FALSE(c.text.texts.empty());
}

TEST(Reconcile, SameDataOrNoOtherCopyRewritesTheDate) {
    for (ULONG copies : {0u, 1u}) {
        CCopies c([](CSheepDoc& d) { AddAnimal(d, u"A1"); }, [](CSheepDoc& d) { AddAnimal(d, u"A1"); });
        const auto theirsBefore = FileBytes(c.theirs);
        EXPECT_EQ(c.Reconcile(kFlags, copies), REC_S_IDIDTHEUPDATES);
        auto mine = ReadFlock(c.mine);
        EXPECT_GT(mine->GetFile().m_date.m_dt, kReference);
        if (copies == 0)
            EXPECT_EQ(FileBytes(c.theirs), theirsBefore);
        else
            EXPECT_EQ(ReadFlock(c.theirs)->GetFile().m_date.m_dt, mine->GetFile().m_date.m_dt);
    }
}

TEST(Reconcile, UndecidedItemsStopOrStayOpen) {
    // Renamed on both sides since the last reconciliation.
    auto named = [](const char16_t* name) {
        return [name](CSheepDoc& d) {
            CSheep* s = AddAnimal(d, u"A1", kBefore, name);
            s->SetEdited(COleDateTime(name[0] == u'D' ? kAfter : kAfter + 0.5));
        };
    };
    {
        CCopies c(named(u"Daisy"), named(u"Maisy"));
        c.owner = CRecordingOwner(IReconcileOwner::stopWhenUndecided);
        const auto mineBefore = FileBytes(c.mine), theirsBefore = FileBytes(c.theirs);
        EXPECT_EQ(c.Reconcile(), REC_E_ABORTED);
        EXPECT_EQ(FileBytes(c.mine), mineBefore);
        EXPECT_EQ(FileBytes(c.theirs), theirsBefore);
    }
    {
        CCopies c(named(u"Daisy"), named(u"Maisy"));
        EXPECT_EQ(c.Reconcile(), REC_S_NOTCOMPLETE);
        EXPECT_EQ(ReadFlock(c.mine)->FindSheep(u"A1")->GetName(), u"Daisy");
        EXPECT_EQ(ReadFlock(c.theirs)->FindSheep(u"A1")->GetName(), u"Maisy");
        EXPECT_GT(ReadFlock(c.theirs)->GetFile().m_date.m_dt, kReference);
    }
}

TEST(Reconcile, UnreachableOtherCopyShowsTheBindErrorAndWritesNothing) {
    CCopies c([](CSheepDoc& d) { TwoAnimalsApart(d, u"MINE"); },
              [](CSheepDoc& d) { TwoAnimalsApart(d, u"THEIRS"); });
    const auto mineBefore = FileBytes(c.mine);
    {
        CFileLock lock;  // the program has the file copy open
        ASSERT_EQ(lock.Lock(c.theirs), CFileLock::acquired);
        EXPECT_EQ(c.Reconcile(), E_UNEXPECTED);
    }
    ASSERT_EQ(c.owner.boxes.size(), 1u);
    EXPECT_EQ(c.owner.boxes[0], std::make_pair(WString(u"Error"), WString(u"Access Denied")));
    EXPECT_EQ(FileBytes(c.mine), mineBefore);

    std::filesystem::remove(c.theirs);
    EXPECT_EQ(c.Reconcile(), E_UNEXPECTED);
    ASSERT_EQ(c.owner.boxes.size(), 2u);
    EXPECT_EQ(c.owner.boxes[1].second, u"");
    EXPECT_EQ(FileBytes(c.mine), mineBefore);
}
