#include "platform/file_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

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
