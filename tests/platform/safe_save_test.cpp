#include "platform/safe_save.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "support/faulty_file_ops.h"
#include "support/other_user.h"

namespace {

class SaveFolder : public testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = testing::TempDir() + "/safesaveXXXXXX";
        ASSERT_TRUE(mkdtemp(tmpl.data()));
        m_dir = tmpl;
        m_file = m_dir + "/flock.cvl";
    }
    void TearDown() override {
        chmod(m_dir.c_str(), 0755);
        std::string cmd = "rm -rf '" + m_dir + "'";
        ASSERT_EQ(system(cmd.c_str()), 0);
    }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        DIR* d = opendir(m_dir.c_str());
        while (dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.insert(e->d_name);
        closedir(d);
        return names;
    }
    std::string Read(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    void WriteOld(const std::string& text) { std::ofstream(m_file, std::ios::binary) << text; }
    static std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

    std::string m_dir, m_file;
};

}  // namespace

TEST_F(SaveFolder, FailureAtEveryStepLeavesTheOldFileAndNoTemporaryFile) {
    const std::string old = "old flock bytes";
    const std::string fresh(100000, 'n');
    bool reachedEnd = false;
    for (int failAt = 0; !reachedEnd; ++failAt) {
        WriteOld(old);
        FaultyOps ops;
        ops.failAt = failAt;
        ops.chunk = 40000;  // several writes
        try {
            SafeSaveFile(m_file, Bytes(fresh), ops);
            reachedEnd = true;
            EXPECT_EQ(Read(m_file), fresh);
        } catch (const CFileException& e) {
            EXPECT_EQ(e.m_lOsError, EIO);
            EXPECT_EQ(e.m_strFileName, m_file);
            EXPECT_EQ(Read(m_file), e.NewFileInPlace() ? fresh : old) << "step " << e.m_step;
        }
        EXPECT_EQ(Names(), std::set<std::string>{"flock.cvl"}) << "failing call " << failAt;
    }
}

// Also fails a write over bytes already written.
struct FaultyOpsWithPWrite : FaultyOps {
    ssize_t PWrite(int fd, const void* d, size_t n, off_t at) override {
        return Fail() ? -1 : IFileOps::PWrite(fd, d, std::min(n, chunk), at);
    }
};

TEST_F(SaveFolder, StreamedSaveFailingAtEveryStepLeavesTheOldFile) {
    // Written in pieces, then its start written again, as a file whose header comes last.
    const std::string old = "old flock bytes";
    std::string fresh(300, 'n');
    fresh.replace(0, 6, "HEADER");
    bool reachedEnd = false;
    for (int failAt = 0; !reachedEnd; ++failAt) {
        WriteOld(old);
        FaultyOpsWithPWrite ops;
        ops.failAt = failAt;
        ops.chunk = 16;  // several writes each, the one over the start as well
        try {
            CSafeSaveFile file(m_file, ops);
            EXPECT_TRUE(IsSaveTempFileFor(m_file, file.TempPath().substr(m_dir.size() + 1)));
            file.Write(Bytes("xxxxxx"));
            file.Write(Bytes(fresh.substr(6, 100)));
            file.Write(Bytes(fresh.substr(106)));
            EXPECT_EQ(file.Size(), fresh.size());
            file.WriteAt(0, Bytes("HEADER" + std::string(20, 'n')));
            EXPECT_THROW(file.WriteAt(fresh.size() - 2, Bytes("abc")), CFileException);
            reachedEnd = true;
        } catch (const CFileException& e) {
            EXPECT_EQ(e.m_lOsError, EIO);
        }
        EXPECT_EQ(Read(m_file), old);
        EXPECT_EQ(Names(), std::set<std::string>{"flock.cvl"}) << "failing call " << failAt;
    }
    reachedEnd = false;
    for (int failAt = 0; !reachedEnd; ++failAt) {
        WriteOld(old);
        FaultyOpsWithPWrite ops;
        ops.failAt = failAt;
        try {
            CSafeSaveFile file(m_file, ops);
            file.Write(Bytes("xxxxxx" + fresh.substr(6)));
            file.WriteAt(0, Bytes("HEADER"));
            file.Commit();
            reachedEnd = true;
            EXPECT_EQ(Read(m_file), fresh);
        } catch (const CFileException& e) {
            EXPECT_EQ(Read(m_file), e.NewFileInPlace() ? fresh : old) << "step " << e.m_step;
        }
        EXPECT_EQ(Names(), std::set<std::string>{"flock.cvl"}) << "failing call " << failAt;
    }
}

TEST_F(SaveFolder, LargeSaveWrittenWhileMadeFailingAtEveryStepLeavesTheOldFile) {
    // Several megabytes in uneven pieces: a thread of the save's own writes them, in short writes.
    std::vector<uint8_t> fresh(3 * 1024 * 1024 + 12345);
    for (size_t i = 0; i < fresh.size(); ++i) fresh[i] = uint8_t(i * 13 + (i >> 16));
    const std::string old = "old flock bytes";
    bool reachedEnd = false;
    int failures = 0;
    for (int failAt = 0; !reachedEnd; ++failAt) {
        WriteOld(old);
        FaultyOpsWithPWrite ops;
        ops.failAt = failAt;
        ops.chunk = 300000;
        try {
            CSafeSaveFile file(m_file, ops);
            for (size_t at = 0; at < fresh.size(); at += 70001)
                file.Write(std::span(fresh).subspan(at, std::min<size_t>(70001, fresh.size() - at)));
            file.WriteAt(1, std::span(fresh).subspan(1, 600));
            file.Commit();
            reachedEnd = true;
            EXPECT_EQ(Read(m_file), std::string(fresh.begin(), fresh.end()));
        } catch (const CFileException& e) {
            ++failures;
            EXPECT_EQ(e.m_lOsError, EIO);
            EXPECT_EQ(Read(m_file), e.NewFileInPlace() ? std::string(fresh.begin(), fresh.end()) : old)
                << "step " << e.m_step;
        }
        EXPECT_EQ(Names(), std::set<std::string>{"flock.cvl"}) << "failing call " << failAt;
    }
    EXPECT_GT(failures, 12);
    // Given up half-way, with bytes still on their way: nothing is left of it.
    WriteOld(old);
    {
        CSafeSaveFile file(m_file);
        file.Write(fresh);
    }
    EXPECT_EQ(Read(m_file), old);
    EXPECT_EQ(Names(), std::set<std::string>{"flock.cvl"});
}

TEST_F(SaveFolder, NewFileShortWritesAndInterruptedWrites) {
    FaultyOps ops;
    ops.chunk = 7;
    ops.failAt = 3;
    ops.err = EINTR;
    SafeSaveFile(m_file, Bytes("a new file written in pieces"), ops);
    EXPECT_EQ(Read(m_file), "a new file written in pieces");
    SafeSaveFile(m_file, {});
    EXPECT_EQ(Read(m_file), "");
    EXPECT_EQ(Names(), std::set<std::string>{"flock.cvl"});
}

TEST_F(SaveFolder, KeepsPermissionsAndFollowsLinks) {
    WriteOld("old");
    chmod(m_file.c_str(), 0640);
    std::string link = m_dir + "/link.cvl";
    ASSERT_EQ(symlink("flock.cvl", link.c_str()), 0);
    SafeSaveFile(link, Bytes("new"));
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(m_file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(Read(m_file), "new");
    SafeSaveFile(m_file, Bytes("newer"), SystemFileOps(), 0600);
    ASSERT_EQ(stat(m_file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(SaveFolder, ReadOnlyFolderRefusesAndKeepsTheFile) {
    WriteOld("old");
    chmod(m_file.c_str(), 0666);
    chmod(m_dir.c_str(), 0555);
    // The super-user ignores permissions: save as an ordinary user in a child process then.
    const bool asOtherUser = geteuid() == 0;
    pid_t pid = asOtherUser ? fork() : 0;
    if (pid == 0) {
        if (asOtherUser && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        int result = 1;
        try {
            SafeSaveFile(m_file, Bytes("new"));
        } catch (const CFileException& e) {
            result = e.m_step == CFileException::create && e.m_lOsError == EACCES ? 0 : 2;
        }
        if (asOtherUser) _exit(result);
        EXPECT_EQ(result, 0);
    } else {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot change user";
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    EXPECT_EQ(Read(m_file), "old");
    EXPECT_EQ(Names(), std::set<std::string>{"flock.cvl"});
}

TEST_F(SaveFolder, WriteRefusedBySystemMidwayKeepsTheFile) {
    // The file-size limit makes the kernel refuse writes past it, as a full disk does.
    WriteOld("old");
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool failed = false;
    try {
        SafeSaveFile(m_file, std::vector<uint8_t>(100000, 'x'));
    } catch (const CFileException& e) {
        failed = true;
        EXPECT_EQ(e.m_step, CFileException::write);
        EXPECT_EQ(e.m_lOsError, EFBIG);
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(failed);
    EXPECT_EQ(Read(m_file), "old");
    EXPECT_EQ(Names(), std::set<std::string>{"flock.cvl"});
}

TEST_F(SaveFolder, MissingFolderIsReported) {
    EXPECT_THROW(SafeSaveFile(m_dir + "/no/such/folder.cvl", Bytes("x")), CFileException);
    EXPECT_TRUE(IsSaveTempFileFor(m_file, ".flock.cvl.Ab3xYz.tmp"));
    EXPECT_FALSE(IsSaveTempFileFor(m_file, ".flock.cvl.lock"));
}

// A save killed half-way leaves its temporary file; the next save removes it, but never the temporary
// of a save still running nor a file that only looks like one.
TEST_F(SaveFolder, TemporariesOfDeadSavesAreRemoved) {
    WriteOld("old");
    const pid_t pid = fork();
    if (pid == 0) {
        auto* dying = new CSafeSaveFile(m_file);  // never finished: the process dies holding it
        dying->Write(Bytes("half"));
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    std::set<std::string> names = Names();
    names.erase("flock.cvl");
    ASSERT_EQ(names.size(), 1u) << "the dead save's temporary file";
    const std::string dead = m_dir + "/" + *names.begin();
    ASSERT_EQ(Read(dead), "half");
    std::ofstream(m_dir + "/.flock.cvl.notes.tmp") << "not a save";

    CSafeSaveFile running(m_file);
    running.Write(Bytes("running"));
    SafeSaveFile(m_file, Bytes("new"));
    // The same name may come again (the random names are the child's too), and the file system may
    // give the new file the dead one's inode, but never the dead save's bytes.
    if (std::filesystem::exists(dead)) {
        EXPECT_NE(Read(dead), "half");
    }
    EXPECT_EQ(Names().size(), 3u) << "the file, the running save's temporary and the look-alike";
    EXPECT_EQ(Names().count(".flock.cvl.notes.tmp"), 1u);
    EXPECT_EQ(Read(m_file), "new");
    running.Commit();
    EXPECT_EQ(Read(m_file), "running");
    EXPECT_EQ(Names().size(), 2u);
}

// Replacing a broken link by a plain file would lose what the link was for.
TEST_F(SaveFolder, DanglingAndLoopingLinksAreRefused) {
    const std::string dangling = m_dir + "/dangling.cvl", loop = m_dir + "/loop.cvl";
    ASSERT_EQ(symlink("gone.cvl", dangling.c_str()), 0);
    ASSERT_EQ(symlink("loop.cvl", loop.c_str()), 0);
    for (const std::string& link : {dangling, loop}) {
        EXPECT_THROW(SafeSaveFile(link, Bytes("new")), CFileException) << link;
        struct stat st {};
        ASSERT_EQ(lstat(link.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << link;
    }
    EXPECT_EQ(Names(), (std::set<std::string>{"dangling.cvl", "loop.cvl"}));
}

// A flock file in a shared folder stays its owner's when someone else saves it.
TEST(SafeSaveOwner, AnotherUsersFileKeepsItsOwnerAndGroup) {
    CVL_REQUIRE_ROOT();
    CSharedFolder folder;
    const std::string file = folder.Path("flock.cvl");
    std::ofstream(file) << "theirs";
    ASSERT_EQ(chown(file.c_str(), kOtherUid, kOtherGid), 0);
    ASSERT_EQ(chmod(file.c_str(), 0664), 0);
    EXPECT_TRUE(SafeSaveFile(file, std::vector<uint8_t>{'o', 'u', 'r', 's'}));
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kOtherUid);
    EXPECT_EQ(st.st_gid, kOtherGid);
    EXPECT_EQ(st.st_mode & 0777, 0664u);

    // The other user cannot give the file back to root: the save still lands, and says so.
    ASSERT_EQ(chown(file.c_str(), 0, 0), 0);
    ASSERT_EQ(chmod(file.c_str(), 0666), 0);
    EXPECT_EQ(AsOtherUser([&] {
                  try {
                      return std::string(SafeSaveFile(file, std::vector<uint8_t>{'x'}) ? "kept" : "not kept");
                  } catch (const std::exception& e) {
                      return std::string(e.what());
                  }
              }),
              "not kept");
    std::ifstream in(file);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "x");
}
