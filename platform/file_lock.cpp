#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

namespace {

constexpr int kMaxAttempts = 20;

bool SetLock(int fd, short type, int cmd) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;
    return fcntl(fd, cmd, &fl) == 0;
}

std::string ReadHolder(int fd) {
    char buf[256];
    ssize_t n = pread(fd, buf, sizeof buf - 1, 0);
    std::string s(buf, n > 0 ? size_t(n) : 0);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\0')) s.pop_back();
    return s;
}

std::string HolderText() {
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    return std::to_string(getpid()) + " " + host + "\n";
}

}  // namespace

std::string CFileLock::LockFilePath(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + ".lock";
}

CFileLock::CFileLock(CFileLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)),
      m_path(std::move(other.m_path)),
      m_lockPath(std::move(other.m_lockPath)) {}

CFileLock& CFileLock::operator=(CFileLock&& other) noexcept {
    if (this != &other) {
        Unlock();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
        m_lockPath = std::move(other.m_lockPath);
    }
    return *this;
}

CFileLock::Result CFileLock::Lock(const std::string& path, std::string* holder, int* osError) {
    Unlock();
    const std::string lockPath = LockFilePath(path);
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (osError) *osError = errno;
            return unavailable;
        }
        if (!SetLock(fd, F_WRLCK, F_OFD_SETLK)) {
            int err = errno;
            if (holder) *holder = ReadHolder(fd);
            close(fd);
            if (err == EAGAIN || err == EACCES) return heldByOther;
            if (osError) *osError = err;
            return unavailable;
        }
        // The holder we waited on may have removed the file between our open and our lock: then
        // this lock is on a file nobody else will find. Start again on the current one.
        struct stat mine {
        }, current{};
        if (fstat(fd, &mine) != 0 || stat(lockPath.c_str(), &current) != 0 || mine.st_ino != current.st_ino ||
            mine.st_dev != current.st_dev) {
            close(fd);
            continue;
        }
        std::string text = HolderText();
        if (ftruncate(fd, 0) == 0) (void)!pwrite(fd, text.data(), text.size(), 0);
        m_fd = fd;
        m_path = path;
        m_lockPath = lockPath;
        return acquired;
    }
    if (osError) *osError = EAGAIN;
    return heldByOther;
}

void CFileLock::Unlock() {
    if (m_fd < 0) return;
    // Removed while still held, so no one can take a lock on a file that is about to vanish.
    unlink(m_lockPath.c_str());
    close(m_fd);
    m_fd = -1;
    m_path.clear();
    m_lockPath.clear();
}

bool CFileLock::IsHeldByOther(const std::string& path, std::string* holder) {
    int fd = open(LockFilePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    bool held = fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
    if (held && holder) *holder = ReadHolder(fd);
    close(fd);
    return held;
}
