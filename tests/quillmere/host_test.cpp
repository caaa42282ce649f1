#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "briefcase_support.h"
#include "platform/file_lock.h"
#include "platform/settings.h"
#include "quillmere/replica_host.h"
#include "records/lambing.h"

namespace {

constexpr double kMinute = 1.0 / 24 / 60;

void Base(CSheepDoc& d) {
    AddAnimal(d, u"A1", kBefore, u"Ann");
    AddAnimal(d, u"A2", kBefore, u"Bea");
}

void Delete(CSheepDoc& d, const char16_t* tattoo) {
    int index = -1;
    ASSERT_TRUE(d.FindSheepIndex(tattoo, &index));
    d.DeleteSheep(index);
}

std::vector<WString> EventTexts(const CSheepDoc& d, const char16_t* tattoo) {
    std::vector<WString> texts;
    if (CSheep* s = d.FindSheep(tattoo))
        for (int i = 0; i < s->GetEventCount(); ++i) texts.push_back(s->GetEventAt(i)->GetParameter(0));
    std::sort(texts.begin(), texts.end());
    return texts;
}

// A ewe and her lamb as the lambing wizard leaves them: three events made in the same second.
void LambedEwe(CSheepDoc& d) {
    Base(d);
    CSheep* lamb = AddAnimal(d, u"L1");
    for (auto [code, text] : {std::pair{EVENT_BORN, u"born"}, {EVENT_WEIGHED, u"weighed"}, {7u, u"tagged"}})
        AddEvent(*lamb, code, kBefore, kBefore, text);
    CSheep* ewe = AddAnimal(d, u"E1");
    auto lambing = MakeRef<CEweLambingData>();
    lambing->StoreMethod(LAMBING_TUPPED);
    lambing->SetCreated(COleDateTime(kBefore));
    lambing->SetEdited(COleDateTime(kBefore));
    ewe->AddLambingRecord(lambing);
    ewe->SetEdited(COleDateTime(kBefore));
    AddAddress(d, u"MART", kBefore);
}

// An event entered after the replica was made: the animal is stamped with it.
void NewEvent(CSheepDoc& d, const char16_t* tattoo, uint32_t code, double stamp, const char16_t* text) {
    CSheep* s = d.FindSheep(tattoo);
    ASSERT_NE(s, nullptr);
    AddEvent(*s, code, stamp, stamp, text);
    s->SetEdited(COleDateTime(stamp));
}

void EditEvent(CSheepDoc& d, const char16_t* tattoo, uint32_t code, const char16_t* text, double edited) {
    CSheep* s = d.FindSheep(tattoo);
    ASSERT_NE(s, nullptr);
    for (int i = 0; i < s->GetEventCount(); ++i)
        if (CEvent* e = s->GetEventAt(i); e->GetCode() == code) {
            e->SetParameters({text});
            e->SetEdited(COleDateTime(edited));
        }
    s->SetEdited(COleDateTime(edited));
}

}  // namespace

// Each case changes the replica ("mine") and the original ("theirs") after pairing, updates once
// headless and checks both files; a second update then finds them in step and writes nothing.
TEST(ReplicaHost, ChangeCases) {
    using Check = std::function<void(const CSheepDoc& mine, const CSheepDoc& theirs)>;
    struct Case {
        const char* name;
        Fill base;
        Edit mine, theirs;
        CReplicaHost::Outcome outcome;
        Check check;
    };
    const Case cases[] = {
        {"neither changed", Base, nullptr, nullptr, CReplicaHost::upToDate,
         [](const CSheepDoc& m, const CSheepDoc&) { EXPECT_EQ(NameOf(m, u"A1"), u"Ann"); }},
        {"added on the replica", Base, [](CSheepDoc& d, double ref) { AddAnimal(d, u"NEW", ref + kMinute); },
         nullptr, CReplicaHost::copiedToOriginal,
         [](const CSheepDoc&, const CSheepDoc& t) { EXPECT_NE(t.FindSheep(u"NEW"), nullptr); }},
        {"added on the original", Base, nullptr,
         [](CSheepDoc& d, double ref) { AddAnimal(d, u"NEW", ref + kMinute); }, CReplicaHost::copiedToReplica,
         [](const CSheepDoc& m, const CSheepDoc&) { EXPECT_NE(m.FindSheep(u"NEW"), nullptr); }},
        {"deleted on the replica alone", Base, [](CSheepDoc& d, double) { Delete(d, u"A2"); }, nullptr,
         CReplicaHost::copiedToOriginal,
         [](const CSheepDoc&, const CSheepDoc& t) { EXPECT_EQ(t.FindSheep(u"A2"), nullptr); }},
        {"added on both", Base, [](CSheepDoc& d, double ref) { AddAnimal(d, u"MINE", ref + kMinute); },
         [](CSheepDoc& d, double ref) { AddAnimal(d, u"THEIRS", ref + kMinute); }, CReplicaHost::reconciled,
         [](const CSheepDoc& m, const CSheepDoc&) {
             EXPECT_EQ(Tattoos(m), (std::vector<WString>{u"A1", u"A2", u"MINE", u"THEIRS"}));
         }},
        {"changed on both, each side later for its own animal", Base,
         [](CSheepDoc& d, double ref) { Rename(d, u"A1", u"Ada", ref + kMinute); },
         [](CSheepDoc& d, double ref) { Rename(d, u"A2", u"Bel", ref + 2 * kMinute); },
         CReplicaHost::reconciled,
         [](const CSheepDoc& m, const CSheepDoc&) {
             EXPECT_EQ(NameOf(m, u"A1"), u"Ada");
             EXPECT_EQ(NameOf(m, u"A2"), u"Bel");
         }},
        {"deleted on one side, the other changed: the animal comes back", Base,
         [](CSheepDoc& d, double) { Delete(d, u"A2"); },
         [](CSheepDoc& d, double ref) { Rename(d, u"A1", u"Ada", ref + kMinute); }, CReplicaHost::reconciled,
         [](const CSheepDoc& m, const CSheepDoc&) {
             EXPECT_EQ(NameOf(m, u"A1"), u"Ada");
             EXPECT_EQ(NameOf(m, u"A2"), u"Bea");
         }},
        {"an event added on both", LambedEwe,
         [](CSheepDoc& d, double ref) { NewEvent(d, u"L1", EVENT_WEIGHED, ref + kMinute, u"mine"); },
         [](CSheepDoc& d, double ref) { NewEvent(d, u"L1", EVENT_WEIGHED, ref + 2 * kMinute, u"theirs"); },
         CReplicaHost::reconciled,
         [](const CSheepDoc& m, const CSheepDoc&) {
             EXPECT_EQ(EventTexts(m, u"L1"),
                       (std::vector<WString>{u"born", u"mine", u"tagged", u"theirs", u"weighed"}));
         }},
        {"the lamb's wizard events edited on both sides", LambedEwe,
         [](CSheepDoc& d, double ref) { EditEvent(d, u"L1", EVENT_BORN, u"born twin", ref + kMinute); },
         [](CSheepDoc& d, double ref) { EditEvent(d, u"L1", 7, u"tagged 2", ref + 2 * kMinute); },
         CReplicaHost::reconciled,
         [](const CSheepDoc& m, const CSheepDoc&) {
             EXPECT_EQ(EventTexts(m, u"L1"), (std::vector<WString>{u"born twin", u"tagged 2", u"weighed"}));
         }},
        {"a lambing changed on one side", LambedEwe,
         [](CSheepDoc& d, double ref) {
             CSheep* ewe = d.FindSheep(u"E1");
             ewe->GetLambingAt(0)->StoreMethod(LAMBING_NORMAL);
             ewe->GetLambingAt(0)->SetEdited(COleDateTime(ref + kMinute));
             ewe->SetEdited(COleDateTime(ref + kMinute));
         },
         [](CSheepDoc& d, double ref) { Rename(d, u"A1", u"Ada", ref + kMinute); }, CReplicaHost::reconciled,
         [](const CSheepDoc& m, const CSheepDoc&) {
             ASSERT_EQ(m.FindSheep(u"E1")->GetLambingCount(), 1);
             EXPECT_EQ(m.FindSheep(u"E1")->GetLambingAt(0)->GetMethod(), LAMBING_NORMAL);
             EXPECT_EQ(NameOf(m, u"A1"), u"Ada");
         }},
        {"an address renamed", LambedEwe,
         [](CSheepDoc& d, double ref) {
             CAddress* a = d.GetStores().LookupAddress(u"MART");
             a->SetAddress(u"New Market Road");
             a->SetEdited(COleDateTime(ref + kMinute));
             AddAddress(d, u"MART 2", ref + kMinute);
         },
         [](CSheepDoc& d, double ref) { Rename(d, u"A1", u"Ada", ref + kMinute); }, CReplicaHost::reconciled,
         [](const CSheepDoc& m, const CSheepDoc&) {
             CAddress* a = m.GetStores().LookupAddress(u"MART");
             ASSERT_NE(a, nullptr);
             EXPECT_EQ(a->GetAddress(), u"New Market Road");
             EXPECT_NE(m.GetStores().LookupAddress(u"MART 2"), nullptr);
         }},
        // A stamp kept in UTC on a machine east of UTC falls before a reference taken in local time.
        {"an edit stamped within the UTC offset before the last reconcile", Base,
         [](CSheepDoc& d, double ref) { Rename(d, u"A1", u"Ada", ref - 30 * kMinute); },
         [](CSheepDoc& d, double ref) { AddAnimal(d, u"THEIRS", ref + kMinute); }, CReplicaHost::reconciled,
         [](const CSheepDoc& m, const CSheepDoc&) {
             EXPECT_EQ(NameOf(m, u"A1"), u"Ada");
             EXPECT_NE(m.FindSheep(u"THEIRS"), nullptr);
         }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        CBriefcase b(k.base);
        const double ref = b.Reference();
        b.Change(b.replica, k.mine);
        b.Change(b.original, k.theirs);
        CSyncRecord record(b.stick);
        std::string error;
        ASSERT_TRUE(record.Load(error)) << error;
        ASSERT_EQ(record.pairs.size(), 1u);
        EXPECT_EQ(b.host.UpdatePair(record, record.pairs[0]), k.outcome) << b.Problems();
        record.Save();
        EXPECT_EQ(b.Problems(), "");

        auto mine = ReadFlock(b.replica), theirs = ReadFlock(b.original);
        k.check(*mine, *theirs);
        k.check(*theirs, *mine);
        EXPECT_EQ(Tattoos(*mine), Tattoos(*theirs));
        if (k.outcome == CReplicaHost::reconciled) {
            EXPECT_GE(mine->GetFile().m_date.m_dt, ref);
            EXPECT_EQ(mine->GetFile().m_date.m_dt, theirs->GetFile().m_date.m_dt);
        }
        const auto mineBytes = FileBytes(b.replica), theirBytes = FileBytes(b.original);
        EXPECT_TRUE(b.Update()) << b.Problems();
        EXPECT_EQ(FileBytes(b.replica), mineBytes);
        EXPECT_EQ(FileBytes(b.original), theirBytes);
    }
}

TEST(ReplicaHost, ConflictStopsOrIsLeftInEachCopy) {
    auto conflict = [](CBriefcase& b) {
        b.Change(b.replica, [](CSheepDoc& d, double ref) { Rename(d, u"A1", u"Ada", ref + kMinute); });
        b.Change(b.original, [](CSheepDoc& d, double ref) {
            Rename(d, u"A1", u"Amy", ref + 2 * kMinute);
            AddAnimal(d, u"THEIRS", ref + kMinute);
        });
    };
    {
        CBriefcase b(Base);
        conflict(b);
        const auto mine = FileBytes(b.replica), theirs = FileBytes(b.original);
        EXPECT_FALSE(b.Update());
        EXPECT_EQ(FileBytes(b.replica), mine);
        EXPECT_EQ(FileBytes(b.original), theirs);
        ASSERT_EQ(b.ui.problems.size(), 1u);
        EXPECT_NE(b.ui.problems[0].find("need your decision"), std::string::npos);
        // Still both changed: the next update asks again.
        EXPECT_FALSE(b.Update());
    }
    {
        CBriefcase b(Base, IReconcileOwner::acceptAssessed);
        conflict(b);
        EXPECT_FALSE(b.Update());
        ASSERT_EQ(b.ui.problems.size(), 1u);
        EXPECT_NE(b.ui.problems[0].find("undecided"), std::string::npos);
        auto mine = ReadFlock(b.replica), theirs = ReadFlock(b.original);
        EXPECT_EQ(NameOf(*mine, u"A1"), u"Ada");
        EXPECT_EQ(NameOf(*theirs, u"A1"), u"Amy");
        EXPECT_NE(mine->FindSheep(u"THEIRS"), nullptr);
    }
}

TEST(ReplicaHost, MakingAReplica) {
    CBriefcase b(Base);
    auto replica = ReadFlock(b.replica);
    EXPECT_EQ(Tattoos(*replica), (std::vector<WString>{u"A1", u"A2"}));
    EXPECT_GT(replica->GetFile().m_date.m_dt, kReference);  // stamped as a replica
    EXPECT_EQ(ReadFlock(b.original)->GetFile().m_date.m_dt, kReference);
    EXPECT_TRUE(b.Update());

    // Refusals leave no file behind and change no record.
    const auto record = FileBytes(b.stick + "/" + CSyncRecord::kFileName);
    EXPECT_FALSE(b.host.MakeReplica(b.original, b.replica));  // taken
    std::filesystem::create_directories(b.dir.Path("other"));
    const std::string notAFlock = b.dir.Path("notes.txt");
    std::ofstream(notAFlock) << "not a flock";
    EXPECT_FALSE(b.host.MakeReplica(notAFlock, b.stick + "/notes.cvl"));
    EXPECT_FALSE(std::filesystem::exists(b.stick + "/notes.cvl"));
    EXPECT_FALSE(b.host.MakeReplica(b.dir.Path("missing.cvl"), b.stick + "/missing.cvl"));
    EXPECT_FALSE(std::filesystem::exists(b.stick + "/missing.cvl"));
    EXPECT_EQ(FileBytes(b.stick + "/" + CSyncRecord::kFileName), record);
    EXPECT_EQ(b.ui.problems.size(), 3u);
}

TEST(ReplicaHost, ACopyOpenInTheProgramIsNotTouched) {
    for (bool lockReplica : {false, true}) {
        CBriefcase b(Base);
        b.Change(b.replica, [](CSheepDoc& d, double ref) { AddAnimal(d, u"MINE", ref + kMinute); });
        b.Change(b.original, [](CSheepDoc& d, double ref) { AddAnimal(d, u"THEIRS", ref + kMinute); });
        const auto mine = FileBytes(b.replica), theirs = FileBytes(b.original);
        {
            CFileLock lock;
            ASSERT_EQ(lock.Lock(lockReplica ? b.replica : b.original), CFileLock::acquired);
            EXPECT_FALSE(b.Update());
        }
        EXPECT_EQ(FileBytes(b.replica), mine);
        EXPECT_EQ(FileBytes(b.original), theirs);
        ASSERT_EQ(b.ui.problems.size(), 1u);
        EXPECT_NE(b.ui.problems[0].find("Access Denied"), std::string::npos);
        EXPECT_TRUE(b.Update()) << b.Problems();  // once the program lets go
        EXPECT_EQ(Tattoos(*ReadFlock(b.original)), (std::vector<WString>{u"A1", u"A2", u"MINE", u"THEIRS"}));
    }
}

TEST(ReplicaHost, MissingCopiesAndDamagedRecordsAreReported) {
    {
        CBriefcase b(Base);
        std::filesystem::remove(b.original);
        const auto replica = FileBytes(b.replica);
        EXPECT_FALSE(b.Update());
        ASSERT_EQ(b.ui.problems.size(), 1u);
        EXPECT_NE(b.ui.problems[0].find("missing"), std::string::npos);
        EXPECT_EQ(FileBytes(b.replica), replica);
    }
    {
        CBriefcase b(Base);
        const std::string path = b.stick + "/" + CSyncRecord::kFileName;
        std::ofstream(path, std::ios::app) << "garbage line\n";
        const auto record = FileBytes(path);
        EXPECT_FALSE(b.Update());
        EXPECT_EQ(FileBytes(path), record);
        ASSERT_EQ(b.ui.problems.size(), 1u);
        EXPECT_NE(b.ui.problems[0].find("damaged"), std::string::npos);
    }
}

// What the window lists for a pair before an update: judged like the update judges it, nothing written.
TEST(ReplicaHost, ThePairsStateBeforeAnUpdate) {
    using S = CReplicaHost;
    const Edit renameA1 = [](CSheepDoc& d, double ref) { Rename(d, u"A1", u"Ada", ref + kMinute); };
    struct Case {
        const char* what;
        Edit mine, theirs;
        bool removeOriginal;
        CReplicaHost::PairState state;
    } cases[] = {
        {"neither changed", {}, {}, false, S::inStep},
        {"the briefcase copy changed", renameA1, {}, false, S::replicaChanged},
        {"the file changed", {}, renameA1, false, S::originalChanged},
        {"both changed", renameA1, [](CSheepDoc& d, double ref) { Rename(d, u"A2", u"Bo", ref + kMinute); },
         false, S::bothChanged},
        {"the file is gone", {}, {}, true, S::copyMissing},
    };
    for (const Case& k : cases) {
        CBriefcase b(Base);
        b.Change(b.replica, k.mine);
        b.Change(b.original, k.theirs);
        if (k.removeOriginal) std::filesystem::remove(b.original);
        const auto mine = FileBytes(b.replica);
        CSyncRecord record(b.stick);
        std::string error;
        ASSERT_TRUE(record.Load(error));
        ASSERT_EQ(record.pairs.size(), 1u);
        EXPECT_EQ(CReplicaHost::JudgePair(record, record.pairs[0], error), k.state) << k.what;
        EXPECT_EQ(error.empty(), k.state != S::copyMissing) << k.what << ": " << error;
        EXPECT_EQ(FileBytes(b.replica), mine) << k.what;
    }
}

// The update dies at each system call of its saves in turn (the process ends there, as in a power
// cut): every file is then the old one or a whole new one, and the next update brings both in step.
TEST(ReplicaHost, ACrashAtAnyPointLeavesNoTornCopy) {
    struct CCrashingOps : IFileOps {
        int crashAt, calls = 0;
        explicit CCrashingOps(int n) : crashAt(n) {}
        void Step() {
            if (calls++ == crashAt) _exit(77);
        }
        int Open(const char* p, int f, mode_t m) override { return Step(), IFileOps::Open(p, f, m); }
        ssize_t Write(int fd, const void* d, size_t n) override { return Step(), IFileOps::Write(fd, d, n); }
        ssize_t PWrite(int fd, const void* d, size_t n, off_t o) override {
            return Step(), IFileOps::PWrite(fd, d, n, o);
        }
        int Fsync(int fd) override { return Step(), IFileOps::Fsync(fd); }
        int Close(int fd) override { return Step(), IFileOps::Close(fd); }
        int Rename(const char* a, const char* b) override { return Step(), IFileOps::Rename(a, b); }
    };
    const std::vector<WString> merged = {u"A1", u"A2", u"MINE", u"THEIRS"};
    bool ranThrough = false;
    for (int crashAt = 0; !ranThrough && crashAt < 200; ++crashAt) {
        SCOPED_TRACE(crashAt);
        CBriefcase b(Base);
        b.Change(b.replica, [](CSheepDoc& d, double ref) { AddAnimal(d, u"MINE", ref + kMinute); });
        b.Change(b.original, [](CSheepDoc& d, double ref) { AddAnimal(d, u"THEIRS", ref + kMinute); });
        const auto mine = FileBytes(b.replica), theirs = FileBytes(b.original);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CCrashingOps ops(crashAt);
            CTestUI ui;
            CReplicaHost host(CVL_QUILLMERE_LIBRARY, ui, ops);
            _exit(host.UpdateFolder(b.stick) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        ranThrough = WEXITSTATUS(status) != 77;
        if (ranThrough) {
            EXPECT_EQ(WEXITSTATUS(status), 0);
        }
        for (auto [path, before] : {std::pair{&b.replica, &mine}, {&b.original, &theirs}}) {
            if (FileBytes(*path) == *before) continue;
            EXPECT_EQ(Tattoos(*ReadFlock(*path)), merged) << *path;
        }
        EXPECT_TRUE(b.Update()) << b.Problems();
        EXPECT_EQ(Tattoos(*ReadFlock(b.replica)), merged);
        EXPECT_EQ(Tattoos(*ReadFlock(b.original)), merged);
        EXPECT_TRUE(b.Update());
    }
    EXPECT_TRUE(ranThrough);
}

// A breed whose plug-in is not registered, or cannot be loaded, does not stop a merge.
TEST(ReplicaHost, ABreedThatCannotBeLoadedDoesNotStopTheMerge) {
    const std::string broken = std::string(CVL_BINARY_DIR) + "/no-such-breed.so";
    ASSERT_TRUE(
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"Broken Breed", Utf8ToW(broken)));
    for (const char16_t* breed : {u"Broken Breed", u"Unregistered Breed"}) {
        CBriefcase b([breed](CSheepDoc& d) {
            d.SetAttribute(FARM_BREED, breed);
            CSheep* s = AddAnimal(d, u"A1");
            AddEvent(*s, 7, kBefore, kBefore, u"old");
        });
        b.Change(b.replica, [](CSheepDoc& d, double ref) { NewEvent(d, u"A1", 7, ref + kMinute, u"mine"); });
        b.Change(b.original,
                 [](CSheepDoc& d, double ref) { NewEvent(d, u"A1", 8, ref + 2 * kMinute, u"theirs"); });
        EXPECT_TRUE(b.Update()) << b.Problems();
        for (const std::string& path : {b.replica, b.original}) {
            auto doc = ReadFlock(path);
            EXPECT_EQ(doc->GetDocString(FARM_BREED), breed);
            EXPECT_EQ(EventTexts(*doc, u"A1"), (std::vector<WString>{u"mine", u"old", u"theirs"}));
        }
    }
}
