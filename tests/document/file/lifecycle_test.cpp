// Opening, saving and closing data files: the same "Contents" after a round trip, the breed plug-in's
// refusals, unreadable files, the lock, a save that fails half-way, and the reader's tag scan.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "document/data_file.h"
#include "document/sheep_doc.h"
#include "file_fixtures.h"
#include "platform/compound_file.h"
#include "platform/module.h"
#include "records/sheep.h"
#include "support/faulty_file_ops.h"
#include "support/scripted_host_fixture.h"

using namespace serial;

namespace {

std::string UserName() {
    struct passwd* pw = getpwuid(getuid());
    return pw ? pw->pw_name : "";
}

// A data file holding the archive, with a summary holding a title only.
void WriteDataFile(const std::string& path, const std::vector<uint8_t>& contents) {
    CSummaryInfo summary;
    summary.m_title = "Test flock";
    WriteBytes(path, BuildDataFile(contents, &summary));
}

std::vector<uint8_t> Contents(const std::string& path, CSummaryInfo* summary = nullptr) {
    return ReadDataFile(path, summary);
}

std::vector<unsigned> MessageIds(const CScriptedHost& host) {
    return host.MessageIds();
}

class FakeShell : public IDocumentShell {
public:
    void CommitPendingEdit() override {
        ++commits;
        if (onCommit) onCommit();
    }
    bool IsReaderScanning() const override { return scanning; }
    void StartReaderScan() override {
        scanning = true;
        ++starts;
    }
    void StopReaderScan() override {
        scanning = false;
        ++stops;
    }
    int GetOpenDocumentCount() const override { return documents; }
    void ClearRecordPane() override { ++cleared; }

    bool scanning = false;
    int documents = 1, starts = 0, stops = 0, commits = 0, cleared = 0;
    std::function<void()> onCommit;
};

class DataFileLifecycle : public testing::Test {
protected:
    ScratchFolder folder;
    CScopedScriptedHost host;
};

}  // namespace

TEST_F(DataFileLifecycle, OpenedFilesSaveTheSameContents) {
    CModuleVersion general;
    ASSERT_TRUE(ReadModuleVersion(CVL_BREED_GENERAL, general));
    const std::vector<std::vector<uint8_t>> fixtures = {
        EmptyFlock(u"Texel", kBreedMS, kBreedLS),
        SmallFlock(),
        EmptyFlock(u"General Sheep", general.MostSignificant(), general.LeastSignificant()),
    };
    for (size_t i = 0; i < fixtures.size(); ++i) {
        const std::string path = folder.Path("flock" + std::to_string(i) + ".cvl");
        WriteDataFile(path, fixtures[i]);
        CSheepDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(path)) << "fixture " << i;
        EXPECT_TRUE(doc.GetBreedPlugIn().IsLoaded());
        EXPECT_EQ(doc.GetPathName(), path);
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(doc.GetSummaryInfo().m_title, "Test flock");

        ASSERT_TRUE(doc.OnSaveDocument(path));
        CSummaryInfo summary;
        EXPECT_EQ(Contents(path, &summary), fixtures[i]) << "fixture " << i;
        EXPECT_EQ(summary.m_title, "Test flock");
        EXPECT_EQ(summary.m_revNum, "1");
        EXPECT_EQ(summary.m_pageCount, doc.GetSheepCount());
        EXPECT_EQ(summary.m_lastAuthor, UserName());
        EXPECT_NE(summary.m_lastSaved, 0u);

        // Saved again under another name: the same contents, the next revision.
        const std::string copy = folder.Path("copy" + std::to_string(i) + ".cvl");
        ASSERT_TRUE(doc.OnSaveDocument(copy));
        EXPECT_EQ(Contents(copy, &summary), fixtures[i]);
        EXPECT_EQ(summary.m_revNum, "2");
        EXPECT_EQ(doc.GetPathName(), copy);
    }
    EXPECT_TRUE(host.Messages().empty());
}

// Files written by other programs may carry a class id, streams and summary properties of their
// own: saving the flock must not strip them.
TEST_F(DataFileLifecycle, WhatOtherProgramsStoredBesideTheFlockIsKept) {
    const std::vector<uint8_t> contents = SmallFlock();
    CSummaryInfo summary;
    summary.m_title = "Test flock";
    CProperty thumbnail;
    thumbnail.id = 17;
    thumbnail.type = 71;  // clipboard data
    thumbnail.raw = {8, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 1, 2};
    CProperty custom;
    custom.id = 0x80000002;
    custom.type = VT_LPSTR;
    custom.text = "kept";
    summary.m_otherProperties = {thumbnail, custom};
    std::vector<uint8_t> summaryBytes = summary.Encode();
    const std::vector<uint8_t> notes = {'n', 'o', 't', 'e', 's'};
    const CompoundClassId otherClass = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const std::string path = folder.Path("foreign.cvl");
    WriteBytes(path, BuildCompoundFile([&](CCompoundFileStreamWriter& w) {
                   w.SetClassId(otherClass);
                   w.BeginStream(kContentsStream);
                   w.Write(contents);
                   w.BeginStream("Farm Notes");
                   w.Write(notes);
                   w.BeginStream(kSummaryInformationStream);
                   w.Write(summaryBytes);
               }));

    CSheepDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    for (const std::string& target : {path, folder.Path("saved-as.cvl")}) {
        ASSERT_TRUE(doc.OnSaveDocument(target));
        const CDataFileStreams saved = ReadDataFileStreams(target);
        EXPECT_EQ(saved.classId, otherClass) << target;
        std::vector<std::string> names;
        for (const auto& [name, data] : saved.streams) names.push_back(name);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{std::string(kSummaryInformationStream),
                                                   std::string(kContentsStream), "Farm Notes"}));
        const auto* kept = const_cast<CDataFileStreams&>(saved).Find("Farm Notes");
        ASSERT_NE(kept, nullptr);
        EXPECT_EQ(*kept, notes);
        CSummaryInfo back;
        EXPECT_EQ(ReadDataFile(target, &back), contents);
        ASSERT_EQ(back.m_otherProperties.size(), 2u);
        EXPECT_EQ(back.m_otherProperties[0].id, 17u);
        EXPECT_EQ(back.m_otherProperties[0].type, 71);
        EXPECT_EQ(back.m_otherProperties[0].raw, thumbnail.raw);
        EXPECT_EQ(back.m_otherProperties[1].text, "kept");
        EXPECT_EQ(back.m_revNum, target == path ? "1" : "2");
    }
    doc.OnCloseDocument();

    // A new flock carries the program's own class id and nothing else.
    CSheepDoc fresh;
    const std::string made = folder.Path("new.cvl");
    ASSERT_TRUE(fresh.OnSaveDocument(made));
    const CDataFileStreams saved = ReadDataFileStreams(made);
    EXPECT_EQ(saved.classId, DocumentClassId());
    EXPECT_EQ(saved.streams.size(), 2u);
}

TEST_F(DataFileLifecycle, OpenBindsTheAnimalsAndTheirIndexes) {
    const std::string path = folder.Path("flock.cvl");
    WriteDataFile(path, SmallFlock());
    CSheepDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    for (int i = 0; i < doc.GetSheepCount(); ++i) EXPECT_EQ(doc.GetSheepAt(i)->GetDocument(), &doc);
    WString key;
    EXPECT_TRUE(doc.LookupTattooByEID(826000000000123ull, &key));
    EXPECT_EQ(key, u"AB1");
    EXPECT_EQ(doc.GetCurrentKey(), u"AB2");
}

TEST_F(DataFileLifecycle, RefusedPlugInsLeaveNoDocument) {
    struct Case {
        std::u16string breed;
        uint32_t ms;
        unsigned message;
    } cases[] = {
        {u"Nobody", kBreedMS, 112},     // not registered
        {u"Broken", kBreedMS, 182},     // not a plug-in for this system
        {u"Texel", kBreedMS + 1, 113},  // saved with a newer plug-in
    };
    for (const Case& c : cases) {
        const std::string path = folder.Path("flock.cvl");
        SmallFlockOptions o;
        o.breed = c.breed;
        o.ms = c.ms;
        WriteDataFile(path, SmallFlock(o));
        const std::vector<uint8_t> before = ReadBytes(path);
        host.Clear();
        CSheepDoc doc;
        EXPECT_FALSE(doc.OnOpenDocument(path));
        EXPECT_EQ(MessageIds(host), std::vector<unsigned>{c.message});
        EXPECT_EQ(doc.GetSheepCount(), 0);
        EXPECT_TRUE(doc.GetStores().Addresses().empty());
        EXPECT_FALSE(doc.GetBreedPlugIn().IsLoaded());
        EXPECT_TRUE(doc.GetPathName().empty());
        EXPECT_EQ(ReadBytes(path), before);
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"flock.cvl"}) << "no lock left";
    }
}

TEST_F(DataFileLifecycle, UnreadableFilesGiveTheOpenErrorAndNoDocument) {
    const std::vector<uint8_t> good = BuildDataFile(SmallFlock(), nullptr);
    const std::vector<uint8_t> goodContents = SmallFlock();
    std::vector<uint8_t> shortArchive(goodContents.begin(), goodContents.begin() + 200);
    struct Case {
        const char* name;
        std::optional<std::vector<uint8_t>> bytes;  // none: no file at all
    } cases[] = {
        {"zero length", std::vector<uint8_t>{}},
        {"foreign", std::vector<uint8_t>{'h', 'e', 'r', 'd', '\n'}},
        {"truncated file",
         std::vector<uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(good.size() / 2))},
        {"truncated archive", BuildDataFile(shortArchive, nullptr)},
        {"missing", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::string path = folder.Path("flock.cvl");
        std::filesystem::remove(path);
        if (c.bytes) WriteBytes(path, *c.bytes);
        host.Clear();
        CSheepDoc doc;
        EXPECT_FALSE(doc.OnOpenDocument(path)) << c.name;
        ASSERT_EQ(host.Messages().size(), 1u) << c.name;
        EXPECT_NE(host.Messages()[0].text.find(Utf8ToW(path)), WString::npos) << c.name;
        EXPECT_EQ(doc.GetSheepCount(), 0) << c.name;
        EXPECT_TRUE(doc.GetPathName().empty()) << c.name;
        if (c.bytes) {
            EXPECT_EQ(ReadBytes(path), *c.bytes) << c.name;
        }
        EXPECT_EQ(folder.Names(),
                  c.bytes ? std::vector<std::string>{"flock.cvl"} : std::vector<std::string>{})
            << c.name;
    }
}

TEST_F(DataFileLifecycle, EmbeddedItemsAreRefusedAndTheFileLeftAlone) {
    const std::string path = folder.Path("flock.cvl");
    std::vector<uint8_t> contents = SmallFlock();
    contents[0] = 2;  // two embedded items
    WriteDataFile(path, contents);
    const std::vector<uint8_t> before = ReadBytes(path);
    struct stat st1 {};
    ASSERT_EQ(stat(path.c_str(), &st1), 0);

    CSheepDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument(path));
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_NE(host.Messages()[0].text.find(u"embedded objects"), WString::npos);
    EXPECT_EQ(doc.GetSheepCount(), 0);
    EXPECT_EQ(ReadBytes(path), before);
    struct stat st2 {};
    ASSERT_EQ(stat(path.c_str(), &st2), 0);
    EXPECT_EQ(st1.st_mtim.tv_sec, st2.st_mtim.tv_sec);
    EXPECT_EQ(st1.st_mtim.tv_nsec, st2.st_mtim.tv_nsec);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"flock.cvl"});
}

TEST_F(DataFileLifecycle, ASecondWriterIsKeptAway) {
    const std::string path = folder.Path("flock.cvl");
    WriteDataFile(path, SmallFlock());
    CSheepDoc first;
    ASSERT_TRUE(first.OnOpenDocument(path));
    EXPECT_FALSE(first.IsReadOnly());
    const std::vector<uint8_t> before = ReadBytes(path);

    // The second opens read-only and cannot replace the file.
    CSheepDoc second;
    ASSERT_TRUE(second.OnOpenDocument(path));
    EXPECT_TRUE(second.IsReadOnly());
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_NE(host.Messages()[0].text.find(u"read-only"), WString::npos);
    host.Clear();
    second.SetModifiedFlag();
    EXPECT_FALSE(second.OnSaveDocument(path));
    EXPECT_EQ(host.Messages().size(), 1u);
    EXPECT_TRUE(second.IsModified());
    EXPECT_EQ(ReadBytes(path), before);

    // Under another name it saves, and that file is then its own.
    const std::string other = folder.Path("other.cvl");
    EXPECT_TRUE(second.OnSaveDocument(other));
    EXPECT_FALSE(second.IsReadOnly());
    EXPECT_TRUE(CFileLock::IsHeldByOther(other));

    // Opening its own file again keeps the document its writer.
    ASSERT_TRUE(first.OnOpenDocument(path));
    EXPECT_FALSE(first.IsReadOnly());
    EXPECT_TRUE(CFileLock::IsHeldByOther(path));

    first.OnCloseDocument();
    second.OnCloseDocument();
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"flock.cvl", "other.cvl"}));
}

TEST_F(DataFileLifecycle, AReadOnlyDocumentReplacesItsFileOnlyAsItWasRead) {
    const std::string path = folder.Path("flock.cvl");
    WriteDataFile(path, SmallFlock());
    ASSERT_EQ(symlink(path.c_str(), folder.Path("link.cvl").c_str()), 0);

    // The holder saves its changes and goes: the read-only copy, opened through a link, must not
    // write over them, by either name.
    CSheepDoc holder, copy;
    ASSERT_TRUE(holder.OnOpenDocument(path));
    ASSERT_TRUE(copy.OnOpenDocument(folder.Path("link.cvl")));
    EXPECT_TRUE(copy.IsReadOnly());
    holder.SetModifiedFlag();
    ASSERT_TRUE(holder.OnSaveDocument(path));
    holder.OnCloseDocument();
    const std::vector<uint8_t> holders = ReadBytes(path);
    for (const std::string& name : {path, folder.Path("link.cvl")}) {
        host.Clear();
        copy.SetModifiedFlag();
        EXPECT_FALSE(copy.OnSaveDocument(name)) << name;
        ASSERT_EQ(host.Messages().size(), 1u) << name;
        EXPECT_NE(host.Messages()[0].text.find(u"changed by another program"), WString::npos) << name;
        EXPECT_TRUE(copy.IsReadOnly()) << name;
        EXPECT_EQ(ReadBytes(path), holders) << name;
    }
    EXPECT_FALSE(CFileLock::IsHeldByOther(path));
    copy.OnCloseDocument();

    // A holder that goes without saving leaves the file as it was read: then the copy may take it.
    ASSERT_TRUE(holder.OnOpenDocument(path));
    ASSERT_TRUE(copy.OnOpenDocument(path));
    ASSERT_TRUE(copy.IsReadOnly());
    holder.OnCloseDocument();
    host.Clear();
    copy.SetModifiedFlag();
    EXPECT_TRUE(copy.OnSaveDocument(path));
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_FALSE(copy.IsReadOnly());
    EXPECT_TRUE(CFileLock::IsHeldByOther(path));
    EXPECT_EQ(Contents(path), SmallFlock());
    // Now the writer, it saves again without a question.
    EXPECT_TRUE(copy.OnSaveDocument(path));
    EXPECT_TRUE(host.Messages().empty());
    copy.OnCloseDocument();
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"flock.cvl", "link.cvl"}));
}

TEST_F(DataFileLifecycle, ALockLeftByACrashedProgramIsTakenOver) {
    const std::string path = folder.Path("flock.cvl");
    WriteDataFile(path, SmallFlock());
    WriteBytes(CFileLock::LockFilePath(path), {'9', '9', '9', '9', '9', ' ', 'g', 'o', 'n', 'e'});
    CSheepDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_FALSE(doc.IsReadOnly());
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_TRUE(doc.OnSaveDocument(path));
}

TEST_F(DataFileLifecycle, ASaveThatFailsHalfWayKeepsTheFile) {
    const std::string path = folder.Path("flock.cvl");
    WriteDataFile(path, SmallFlock());
    CSheepDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    const std::vector<uint8_t> before = ReadBytes(path);
    const std::vector<std::string> names = folder.Names();  // the file and its lock
    ASSERT_EQ(names.size(), 2u);

    bool saved = false;
    int failures = 0;
    for (int failAt = 0; !saved && failAt < 100; ++failAt) {
        FaultyOps ops;
        ops.failAt = failAt;
        ops.chunk = 512;  // several writes
        doc.SetFileOps(&ops);
        doc.SetModifiedFlag();
        host.Clear();
        saved = doc.OnSaveDocument(path);
        if (saved) break;
        ++failures;
        EXPECT_EQ(ReadBytes(path), before) << "failing call " << failAt;
        EXPECT_EQ(folder.Names(), names) << "failing call " << failAt;
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(doc.GetSummaryInfo().m_revNum, "") << "a failed save stamps nothing";
        ASSERT_EQ(host.Messages().size(), 1u);
        EXPECT_NE(host.Messages()[0].text.find(u"has not been changed"), WString::npos);
    }
    doc.SetFileOps(nullptr);
    ASSERT_TRUE(saved);
    EXPECT_GT(failures, 10) << "every step of the save was made to fail once";
    EXPECT_EQ(Contents(path), SmallFlock());
}

TEST_F(DataFileLifecycle, SavingCommitsTheEditInProgress) {
    const std::string path = folder.Path("flock.cvl");
    WriteDataFile(path, SmallFlock());
    FakeShell shell;
    CSheepDoc doc;
    doc.SetShell(&shell);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    shell.onCommit = [&] { doc.GetSheepAt(0)->SetName(u"Goliath"); };
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(shell.commits, 1);

    CSheepDoc again;
    ASSERT_TRUE(again.OnOpenDocument(path));
    EXPECT_EQ(again.GetSheepAt(0)->GetName(), u"Goliath");
}

TEST_F(DataFileLifecycle, AutoscanStartsTheReaderAndTheLastCloseStopsIt) {
    const std::string path = folder.Path("flock.cvl");
    WriteDataFile(path, SmallFlock());

    FakeShell shell;
    {
        CSheepDoc doc;
        doc.SetShell(&shell);
        ASSERT_TRUE(doc.OnOpenDocument(path));
        EXPECT_EQ(shell.starts, 0) << "EID Autoscan is off by default";
        doc.OnCloseDocument();
    }

    ASSERT_TRUE(CRegistrySettings::SetDWord(HKEY_LOCAL_MACHINE, u"Settings", u"EID Autoscan", 1));
    CSheepDoc doc;
    doc.SetShell(&shell);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(shell.starts, 1);
    EXPECT_TRUE(shell.scanning);

    // Already scanning: left running.
    CSheepDoc second;
    second.SetShell(&shell);
    ASSERT_TRUE(second.OnOpenDocument(path));
    EXPECT_EQ(shell.starts, 1);
    EXPECT_EQ(shell.stops, 0);

    shell.documents = 2;
    second.OnCloseDocument();
    EXPECT_TRUE(shell.scanning);
    shell.documents = 1;
    doc.OnCloseDocument();
    EXPECT_FALSE(shell.scanning);
    EXPECT_EQ(shell.stops, 1);
    EXPECT_EQ(shell.cleared, 3);
    EXPECT_EQ(doc.GetSheepCount(), 0);
    EXPECT_TRUE(doc.GetPathName().empty());
    EXPECT_FALSE(doc.GetBreedPlugIn().IsLoaded());
}

TEST_F(DataFileLifecycle, ADistanceTheFileCannotHoldStopsTheSave) {
    const std::string path = folder.Path("flock.cvl");
    WriteDataFile(path, SmallFlock());
    CSheepDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    const std::vector<uint8_t> before = ReadBytes(path);
    doc.GetStores().GetPageSetup(2)->m_nTopMargin = 70000;
    doc.SetModifiedFlag();
    EXPECT_FALSE(doc.OnSaveDocument(path));
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetSummaryInfo().m_revNum, "");
    EXPECT_EQ(folder.Names().size(), 2u);  // the file and its lock
}

namespace {

class FakeEntry : public IAddressBookEntry {
public:
    explicit FakeEntry(WString name) : m_name(std::move(name)) {}
    bool GetStringProp(uint32_t propTag, WString* value) override {
        if (propTag != PR_DISPLAY_NAME) return false;
        *value = m_name;
        return true;
    }

private:
    WString m_name;
};

// An address book that knows entries by identifier; installed for its lifetime.
class FakeBook : public IAddressBook {
public:
    FakeBook() : m_previous(SetAddressBook(this)) {}
    ~FakeBook() { SetAddressBook(m_previous); }
    OpenResult OpenEntry(const std::vector<uint8_t>& id, std::unique_ptr<IAddressBookEntry>* entry) override {
        auto it = names.find(id);
        if (it == names.end()) return notOpened;
        *entry = std::make_unique<FakeEntry>(it->second);
        return opened;
    }
    std::map<std::vector<uint8_t>, WString> names;

private:
    IAddressBook* m_previous;
};

const std::vector<uint8_t> kSmithEntry = {0xDE, 0xAD, 0xBE, 0xEF};

}  // namespace

TEST_F(DataFileLifecycle, AddressesAreCheckedAgainstTheAddressBook) {
    const std::string path = folder.Path("flock.cvl");
    WriteDataFile(path, SmallFlock());
    struct Case {
        const char* name;
        std::optional<WString> bookName;  // the book's name for Smith's entry; none: lost
        int answer;                       // to question 61
        bool confirmed;                   // the search or the local address's dialog
        WString key;                      // where the address is filed afterwards
        int type;
        WString firstParameter;  // of AB1's event naming Smith
    } cases[] = {
        {"unchanged", WString(u"Smith"), 0, false, u"Smith", CAddress::typeMAPI, u"Smith"},
        {"renamed in the book", WString(u"Smith J"), 0, false, u"Smith J", CAddress::typeMAPI, u"Smith J"},
        {"lost, found again", std::nullopt, IDYES, true, u"Smith Jones", CAddress::typeMAPI, u"Smith Jones"},
        {"lost, search cancelled", std::nullopt, IDYES, false, u"Smith", CAddress::typeMAPI, u"Smith"},
        {"lost, made local", std::nullopt, IDNO, true, u"Smith", CAddress::typeLocal, u"Smith"},
        {"lost, local cancelled", std::nullopt, IDNO, false, u"Smith", CAddress::typeMAPI, u"Smith"},
    };
    for (const Case& c : cases) {
        FakeBook book;
        if (c.bookName) book.names[kSmithEntry] = *c.bookName;
        class Shell : public IDocumentShell {
        public:
            bool FindAddressInBook(CMAPIAddress& address) override {
                address.SetEntry(std::make_unique<FakeEntry>(u"Smith Jones"));
                return confirmed;
            }
            bool EditNewLocalAddress(CLocalAddress&) override { return confirmed; }
            bool confirmed = false;
        } shell;
        shell.confirmed = c.confirmed;
        if (c.answer) host.Reply(61, c.answer);

        CSheepDoc doc;
        doc.SetShell(&shell);
        ASSERT_TRUE(doc.OnOpenDocument(path)) << c.name;
        EXPECT_EQ(host.PendingReplies(), 0u) << c.name;
        CAddress* address = doc.LookupAddress(c.key);
        ASSERT_NE(address, nullptr) << c.name;
        EXPECT_EQ(address->GetType(), c.type) << c.name;
        if (c.key != u"Smith") {
            EXPECT_EQ(doc.LookupAddress(u"Smith"), nullptr) << c.name;
        }
        EXPECT_NE(doc.LookupAddress(u"Brown"), nullptr) << c.name;
        EXPECT_EQ(doc.GetSheepAt(0)->GetEventAt(1)->GetParameters().at(0), c.firstParameter) << c.name;
        if (c.bookName == u"Smith") {
            // Nothing changed: the file saves as it was.
            ASSERT_TRUE(doc.OnSaveDocument(path));
            EXPECT_EQ(Contents(path), SmallFlock());
        }
        doc.OnCloseDocument();
    }
}
