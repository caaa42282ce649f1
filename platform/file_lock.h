// The lock that keeps a second writer away from a data file while one program has it open.
//
// The lock is an open-file-description lock on a lock file beside the data file (the data file itself
// is replaced on every save, so a lock on it alone would not survive the first save). The lock file
// is named after the file's resolved path, so every symbolic link to the file finds the same one; the
// holder also locks the data file itself, which every hard link and mount of it shares. The kernel
// drops both when their holder ends, however it ends: a lock file left behind by a crashed program,
// of any user, is taken over. Everything that writes data files (the program, the reconciler) uses
// this class.
#pragma once

#include <sys/types.h>

#include <string>

// What names one file: its path with every link resolved, and its device and inode (none yet for a
// file that does not exist).
struct CFileIdentity {
    std::string resolved;
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;

    // Resolves `path`; false (errno set) for a dangling or looping link, or a missing folder.
    bool Resolve(const std::string& path);
    bool SameFileAs(const CFileIdentity& other) const;
};

// Whether two paths name the same file (or the same file to be made).
bool IsSameFile(const std::string& a, const std::string& b);

// A file as it was at one moment: a save elsewhere replaces it or changes its size or times.
struct CFileStamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    long long mtime = 0, ctime = 0;  // nanoseconds

    static CFileStamp Of(const std::string& path);
    bool operator==(const CFileStamp&) const = default;
};

class CFileLock {
public:
    enum Result {
        acquired,     // this object holds the lock
        heldByOther,  // another open file (this process or another) holds it, or it cannot be inspected
        unavailable,  // the lock file cannot be made (folder missing or not writable, a broken link)
    };

    CFileLock() = default;
    ~CFileLock() { Unlock(); }
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;
    CFileLock(CFileLock&& other) noexcept;
    CFileLock& operator=(CFileLock&& other) noexcept;

    // Takes the lock for the data file `path` without waiting. With heldByOther, `holder` receives
    // what the holder wrote into the lock file ("pid host"), or why the lock counts as held; with
    // unavailable, `osError` the errno.
    Result Lock(const std::string& path, std::string* holder = nullptr, int* osError = nullptr);
    // Releases the lock and removes the lock file (when it is still ours); nothing when not locked.
    void Unlock();
    bool IsLocked() const { return m_fd >= 0; }
    const std::string& GetPath() const { return m_path; }

    // Whether `path`, however spelt, names the file this lock holds.
    bool Covers(const std::string& path) const;
    // Whether the lock file in its place is still the one this object locked.
    bool StillHeld() const;
    // After the data file was replaced by a save: the lock moves to the new file.
    void FollowReplacedFile();

    // The lock file used for `path`: "." + file name + ".lock" in the folder of the resolved path.
    static std::string LockFilePath(const std::string& path);
    // Whether some other open file holds the lock for `path`, without taking it.
    static bool IsHeldByOther(const std::string& path, std::string* holder = nullptr);

private:
    void LockDataFile();

    int m_fd = -1;      // the lock file
    int m_dataFd = -1;  // the data file, when it exists
    std::string m_path;
    std::string m_lockPath;
    CFileIdentity m_file;
};
