// The lock that keeps a second writer away from a data file while one program has it open.
//
// The lock is an open-file-description lock on a lock file beside the data file (the data file itself
// is replaced on every save, so a lock on it would not survive the first save). The kernel drops the
// lock when its holder ends, however it ends: a lock file left behind by a program that crashed is
// simply taken over. Everything that writes data files (the program, the reconciler) uses this class.
#pragma once

#include <string>

class CFileLock {
public:
    enum Result {
        acquired,     // this object holds the lock
        heldByOther,  // another open file (this process or another) holds it
        unavailable,  // the lock file cannot be made (folder missing or not writable)
    };

    CFileLock() = default;
    ~CFileLock() { Unlock(); }
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;
    CFileLock(CFileLock&& other) noexcept;
    CFileLock& operator=(CFileLock&& other) noexcept;

    // Takes the lock for the data file `path` without waiting. With heldByOther, `holder` receives
    // what the holder wrote into the lock file ("pid host"); with unavailable, `osError` the errno.
    Result Lock(const std::string& path, std::string* holder = nullptr, int* osError = nullptr);
    // Releases the lock and removes the lock file; nothing when not locked.
    void Unlock();
    bool IsLocked() const { return m_fd >= 0; }
    const std::string& GetPath() const { return m_path; }

    // The lock file used for `path`: "." + file name + ".lock" in the same folder.
    static std::string LockFilePath(const std::string& path);
    // Whether some other open file holds the lock for `path`, without taking it.
    static bool IsHeldByOther(const std::string& path, std::string* holder = nullptr);

private:
    int m_fd = -1;
    std::string m_path;
    std::string m_lockPath;
};
