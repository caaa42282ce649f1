#include "platform/file_lock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "support/other_user.h"

namespace {

std::string DataPath(const char* name) {
    return testing::TempDir() + "/" + std::to_string(getpid()) + "_" + name;
}

// Runs `body` in a child process that reports through a pipe once it holds the lock, then waits
// for a byte from the parent (or ends at once with `crash`).
struct Child {
    pid_t pid = -1;
    int toParent[2], toChild[2];
    Child(const std::string& path, bool crash) {
        EXPECT_EQ(pipe(toParent), 0);
        EXPECT_EQ(pipe(toChild), 0);
        pid = fork();
        if (pid == 0) {
            CFileLock lock;
            char ok = lock.Lock(path) == CFileLock::acquired ? 'y' : 'n';
            (void)!write(toParent[1], &ok, 1);
            if (crash) _exit(0);  // no unlock, lock file left behind
            char c;
            (void)!read(toChild[0], &c, 1);
            lock.Unlock();
            _exit(0);
        }
        char c = 0;
        EXPECT_EQ(read(toParent[0], &c, 1), 1);
        EXPECT_EQ(c, 'y');
    }
    void Finish() {
        (void)!write(toChild[1], "x", 1);
        int status = 0;
        waitpid(pid, &status, 0);
        for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) close(fd);
    }
};

}  // namespace

TEST(FileLock, SecondWriterIsRefusedUntilTheFirstLetsGo) {
    const std::string path = DataPath("locked.cvl");
    CFileLock first, second;
    ASSERT_EQ(first.Lock(path), CFileLock::acquired);
    std::string holder;
    EXPECT_EQ(second.Lock(path, &holder), CFileLock::heldByOther);
    EXPECT_EQ(holder.substr(0, holder.find(' ')), std::to_string(getpid()));
    EXPECT_TRUE(CFileLock::IsHeldByOther(path));
    first.Unlock();
    EXPECT_FALSE(CFileLock::IsHeldByOther(path));
    EXPECT_EQ(access(CFileLock::LockFilePath(path).c_str(), F_OK), -1);
    EXPECT_EQ(second.Lock(path), CFileLock::acquired);
    CFileLock moved = std::move(second);
    EXPECT_TRUE(moved.IsLocked());
    EXPECT_FALSE(second.IsLocked());
}

TEST(FileLock, AnotherProcessHoldsItThenReleases) {
    const std::string path = DataPath("shared.cvl");
    Child child(path, false);
    CFileLock lock;
    std::string holder;
    EXPECT_EQ(lock.Lock(path, &holder), CFileLock::heldByOther);
    EXPECT_EQ(holder.substr(0, holder.find(' ')), std::to_string(child.pid));
    child.Finish();
    EXPECT_EQ(lock.Lock(path), CFileLock::acquired);
}

TEST(FileLock, LockLeftByACrashedProgramIsTakenOver) {
    const std::string path = DataPath("crashed.cvl");
    Child child(path, true);
    child.Finish();
    ASSERT_EQ(access(CFileLock::LockFilePath(path).c_str(), F_OK), 0);  // left behind
    CFileLock lock;
    EXPECT_EQ(lock.Lock(path), CFileLock::acquired);
    // A stale file written by hand, as another machine might leave it, is taken over too.
    lock.Unlock();
    std::ofstream(CFileLock::LockFilePath(path)) << "4242 elsewhere\n";
    EXPECT_EQ(lock.Lock(path), CFileLock::acquired);
}

TEST(FileLock, MissingFolderIsUnavailable) {
    CFileLock lock;
    int err = 0;
    EXPECT_EQ(lock.Lock(DataPath("no such folder/x.cvl"), nullptr, &err), CFileLock::unavailable);
    EXPECT_EQ(err, ENOENT);
    EXPECT_FALSE(lock.IsLocked());
}

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A folder of its own, so that the files in it can be counted afterwards.
struct LockFolder {
    std::string dir;
    LockFolder() {
        std::string tmpl = testing::TempDir() + "/lockXXXXXX";
        EXPECT_TRUE(mkdtemp(tmpl.data()));
        dir = tmpl;
    }
    ~LockFolder() { (void)!std::system(("rm -rf '" + dir + "'").c_str()); }
    std::string Path(const std::string& name) const { return dir + "/" + name; }
};

}  // namespace

TEST(FileLock, APlantedLinkIsReplacedAndWhatItNamesIsLeftAlone) {
    struct Case {
        const char* name;
        bool hard;
        bool dangling;
    };
    for (const Case& c : {Case{"symbolic link", false, false}, Case{"hard link", true, false},
                          Case{"dangling link", false, true}}) {
        LockFolder folder;
        const std::string path = folder.Path("flock.cvl");
        const std::string victim = folder.Path("precious.txt");
        std::ofstream(path) << "flock";
        if (!c.dangling) std::ofstream(victim) << "the farmer's notes";
        const std::string lockPath = CFileLock::LockFilePath(path);
        ASSERT_EQ(c.hard ? link(victim.c_str(), lockPath.c_str()) : symlink(victim.c_str(), lockPath.c_str()), 0)
            << c.name;

        CFileLock lock;
        ASSERT_EQ(lock.Lock(path), CFileLock::acquired) << c.name;
        struct stat st {};
        ASSERT_EQ(lstat(lockPath.c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode)) << c.name;
        EXPECT_EQ(st.st_nlink, 1u) << c.name;
        lock.Unlock();
        EXPECT_EQ(access(lockPath.c_str(), F_OK), -1) << c.name;
        EXPECT_EQ(ReadAll(path), "flock") << c.name;
        if (c.dangling) {
            EXPECT_EQ(access(victim.c_str(), F_OK), -1) << c.name;
        } else {
            EXPECT_EQ(ReadAll(victim), "the farmer's notes") << c.name;
        }
    }
}

TEST(FileLock, EverySpellingOfOneFileSharesOneLock) {
    LockFolder folder;
    ASSERT_EQ(mkdir(folder.Path("farm").c_str(), 0755), 0);
    const std::string path = folder.Path("farm/flock.cvl");
    std::ofstream(path) << "flock";
    ASSERT_EQ(symlink(path.c_str(), folder.Path("link.cvl").c_str()), 0);
    ASSERT_EQ(symlink("farm", folder.Path("farm-link").c_str()), 0);
    ASSERT_EQ(link(path.c_str(), folder.Path("hard.cvl").c_str()), 0);

    CFileLock first;
    ASSERT_EQ(first.Lock(path), CFileLock::acquired);
    for (const char* other : {"link.cvl", "farm-link/flock.cvl", "hard.cvl", "farm/../farm/./flock.cvl"}) {
        const std::string spelling = folder.Path(other);
        CFileLock second;
        std::string holder;
        EXPECT_EQ(second.Lock(spelling, &holder), CFileLock::heldByOther) << other;
        EXPECT_FALSE(holder.empty()) << other;
        EXPECT_TRUE(CFileLock::IsHeldByOther(spelling)) << other;
        EXPECT_TRUE(first.Covers(spelling)) << other;
    }
    EXPECT_FALSE(first.Covers(folder.Path("farm/other.cvl")));

    // Whoever comes first through any name holds it against the others.
    first.Unlock();
    CFileLock viaHardLink;
    ASSERT_EQ(viaHardLink.Lock(folder.Path("hard.cvl")), CFileLock::acquired);
    EXPECT_EQ(first.Lock(path), CFileLock::heldByOther);
    EXPECT_EQ(ReadAll(path), "flock");
}

TEST(FileLock, ABrokenLinkToTheDataFileIsUnavailable) {
    LockFolder folder;
    ASSERT_EQ(symlink("gone.cvl", folder.Path("dangling.cvl").c_str()), 0);
    ASSERT_EQ(symlink("loop.cvl", folder.Path("loop.cvl").c_str()), 0);
    for (const char* name : {"dangling.cvl", "loop.cvl"}) {
        CFileLock lock;
        int err = 0;
        EXPECT_EQ(lock.Lock(folder.Path(name), nullptr, &err), CFileLock::unavailable) << name;
        EXPECT_NE(err, 0) << name;
    }
    EXPECT_EQ(access(folder.Path("gone.cvl").c_str(), F_OK), -1);
}

TEST(FileLock, AnotherUsersLockIsHonouredAndItsStaleLockTakenOver) {
    CVL_REQUIRE_ROOT();
    CSharedFolder folder;
    const std::string path = folder.Path("flock.cvl");
    std::ofstream(path) << "flock";
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);  // the other user cannot write it, nor its lock file
    const std::string lockPath = CFileLock::LockFilePath(path);

    // Held by root: seen as held, also when the lock file cannot even be read.
    {
        CFileLock lock;
        ASSERT_EQ(lock.Lock(path), CFileLock::acquired);
        for (mode_t lockMode : {mode_t(0644), mode_t(0600)}) {
            ASSERT_EQ(chmod(lockPath.c_str(), lockMode), 0);
            EXPECT_EQ(AsOtherUser([&] {
                          CFileLock mine;
                          std::string holder;
                          const auto result = mine.Lock(path, &holder);
                          return std::to_string(result) + (CFileLock::IsHeldByOther(path) ? " held" : " free");
                      }),
                      std::to_string(CFileLock::heldByOther) + " held")
                << std::oct << lockMode;
        }
        EXPECT_TRUE(lock.StillHeld());
    }

    // Left by a crashed root process: the other user takes it over.
    Child crashed(path, true);
    crashed.Finish();
    ASSERT_EQ(access(lockPath.c_str(), F_OK), 0);
    EXPECT_EQ(AsOtherUser([&] {
                  CFileLock mine;
                  if (mine.Lock(path) != CFileLock::acquired) return std::string("refused");
                  struct stat st {};
                  lstat(lockPath.c_str(), &st);
                  const std::string text = ReadAll(lockPath);
                  const bool ours = text.substr(0, text.find(' ')) == std::to_string(getpid());
                  return std::to_string(st.st_uid) + (ours ? " mine" : " not mine");
              }),
              "65534 mine");
    // It crashed holding it in turn (it ended): root takes it back.
    CFileLock lock;
    EXPECT_EQ(lock.Lock(path), CFileLock::acquired);
    EXPECT_EQ(ReadAll(path), "flock");
}
