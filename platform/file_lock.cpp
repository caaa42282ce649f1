#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <utility>

#include "platform/safe_save.h"

namespace {

constexpr int kMaxAttempts = 20;
const char kOtherUser[] = "locked by another user";
const char kOtherName[] = "open under another name";

bool SetLock(int fd, short type, int cmd) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;
    return fcntl(fd, cmd, &fl) == 0;
}

// Works on a descriptor opened for reading only, which is all another user may get.
bool IsLockedElsewhere(int fd) {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    return fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
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

bool SameInode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether `path` still names the file open on `fd`.
bool NamesOpenFile(const std::string& path, int fd) {
    struct stat mine {
    }, current{};
    return fstat(fd, &mine) == 0 && lstat(path.c_str(), &current) == 0 && SameInode(mine, current);
}

// Everyone who may write the data file may take its lock.
void GiveLockFileTheDataFilesAccess(int fd, const CFileIdentity& file) {
    struct stat st {};
    if (!file.exists || stat(file.resolved.c_str(), &st) != 0) return;
    (void)!fchown(fd, uid_t(-1), st.st_gid);
    (void)fchmod(fd, (st.st_mode & 0666) | 0600);
}

// Puts a new lock file of ours in place of whatever holds the name (a planted link, a stale lock of
// another user): the name is replaced, never what it points to. The new file is locked first, so it
// is never there unlocked. The descriptor, or -1 with errno.
int ReplaceLockFile(const std::string& lockPath, const CFileIdentity& file) {
    std::string temp = lockPath + ".XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    GiveLockFileTheDataFilesAccess(fd, file);
    if (!SetLock(fd, F_WRLCK, F_OFD_SETLK) || rename(temp.c_str(), lockPath.c_str()) != 0) {
        const int err = errno;
        unlink(temp.c_str());
        close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

}  // namespace

bool CFileIdentity::Resolve(const std::string& path) {
    *this = CFileIdentity();
    char buf[PATH_MAX];
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
        // A dangling or looping link fails here.
        if (!realpath(path.c_str(), buf)) return false;
        resolved = buf;
    } else {
        if (errno != ENOENT) return false;
        const std::string name = PathFileName(path);
        if (name.empty() || name == "." || name == "..") {
            errno = EISDIR;
            return false;
        }
        if (!realpath(PathFolder(path).c_str(), buf)) return false;
        resolved = buf;
        if (resolved != "/") resolved += '/';
        resolved += name;
    }
    if (stat(resolved.c_str(), &st) == 0) {
        exists = true;
        dev = st.st_dev;
        ino = st.st_ino;
    }
    return true;
}

bool CFileIdentity::SameFileAs(const CFileIdentity& other) const {
    return resolved == other.resolved || (exists && other.exists && dev == other.dev && ino == other.ino);
}

bool IsSameFile(const std::string& a, const std::string& b) {
    CFileIdentity x, y;
    return x.Resolve(a) && y.Resolve(b) && x.SameFileAs(y);
}

CFileStamp CFileStamp::Of(const std::string& path) {
    CFileStamp stamp;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return stamp;
    stamp.exists = true;
    stamp.dev = st.st_dev;
    stamp.ino = st.st_ino;
    stamp.size = st.st_size;
    stamp.mtime = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
    stamp.ctime = st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec;
    return stamp;
}

std::string CFileLock::LockFilePath(const std::string& path) {
    CFileIdentity file;
    const std::string& resolved = file.Resolve(path) ? file.resolved : path;
    const size_t slash = resolved.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : resolved.substr(0, slash + 1);
    return folder + "." + PathFileName(resolved) + ".lock";
}

CFileLock::CFileLock(CFileLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)),
      m_dataFd(std::exchange(other.m_dataFd, -1)),
      m_path(std::move(other.m_path)),
      m_lockPath(std::move(other.m_lockPath)),
      m_file(std::move(other.m_file)) {}

CFileLock& CFileLock::operator=(CFileLock&& other) noexcept {
    if (this != &other) {
        Unlock();
        m_fd = std::exchange(other.m_fd, -1);
        m_dataFd = std::exchange(other.m_dataFd, -1);
        m_path = std::move(other.m_path);
        m_lockPath = std::move(other.m_lockPath);
        m_file = std::move(other.m_file);
    }
    return *this;
}

CFileLock::Result CFileLock::Lock(const std::string& path, std::string* holder, int* osError) {
    Unlock();
    CFileIdentity file;
    if (!file.Resolve(path)) {
        if (osError) *osError = errno;
        return unavailable;
    }
    const std::string lockPath = LockFilePath(file.resolved);
    auto fail = [&](int err) {
        if (osError) *osError = err;
        return unavailable;
    };
    auto held = [&](const std::string& text) {
        if (holder) *holder = text;
        return heldByOther;
    };

    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        int fd = -1;
        struct stat st {};
        if (lstat(lockPath.c_str(), &st) != 0) {
            if (errno != ENOENT) return fail(errno);
            fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd < 0) {
                if (errno == EEXIST) continue;
                return fail(errno);
            }
            GiveLockFileTheDataFilesAccess(fd, file);
        } else if (!S_ISREG(st.st_mode) || st.st_nlink != 1) {
            // Not a lock file of ours: a link someone planted, or something else under its name.
            fd = ReplaceLockFile(lockPath, file);
            if (fd < 0) return fail(errno);
        } else {
            fd = open(lockPath.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0 && (errno == EACCES || errno == EPERM)) {
                // Another user's lock file: inspect it; only a stale one may be replaced.
                const int rfd = open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
                if (rfd < 0) {
                    if (errno == ENOENT || errno == ELOOP) continue;
                    return held(kOtherUser);
                }
                struct stat opened {};
                if (fstat(rfd, &opened) != 0 || !SameInode(opened, st)) {
                    close(rfd);
                    continue;
                }
                if (IsLockedElsewhere(rfd)) {
                    std::string text = ReadHolder(rfd);
                    close(rfd);
                    return held(text);
                }
                close(rfd);
                fd = ReplaceLockFile(lockPath, file);
                if (fd < 0) return held(kOtherUser);
            } else if (fd < 0) {
                if (errno == ENOENT || errno == ELOOP) continue;
                return fail(errno);
            } else {
                struct stat opened {};
                if (fstat(fd, &opened) != 0 || !SameInode(opened, st) || !S_ISREG(opened.st_mode) ||
                    opened.st_nlink != 1) {
                    close(fd);
                    continue;
                }
            }
        }
        if (!SetLock(fd, F_WRLCK, F_OFD_SETLK)) {
            const int err = errno;
            std::string text = ReadHolder(fd);
            close(fd);
            if (err == EAGAIN || err == EACCES) return held(text);
            return fail(err);
        }
        // The holder we waited on may have removed the file between our open and our lock, or a
        // taker may have replaced it: then this lock is on a file nobody else will find.
        if (!NamesOpenFile(lockPath, fd)) {
            close(fd);
            continue;
        }
        const std::string text = HolderText();
        if (ftruncate(fd, 0) == 0) (void)!pwrite(fd, text.data(), text.size(), 0);
        m_fd = fd;
        m_path = path;
        m_lockPath = lockPath;
        m_file = file;
        LockDataFile();
        if (m_file.exists && m_dataFd < 0) {
            // Another name of the same file is open for writing.
            Unlock();
            return held(kOtherName);
        }
        return acquired;
    }
    if (osError) *osError = EAGAIN;
    return heldByOther;
}

void CFileLock::LockDataFile() {
    int fd = open(m_file.resolved.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const bool writable = fd >= 0;
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS))
        fd = open(m_file.resolved.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        // Gone, or not a file to lock: nothing else can hold it either.
        if (fd >= 0) close(fd);
        m_file.exists = false;
        return;
    }
    // A file this user cannot write is only checked for a writer elsewhere.
    if (writable ? !SetLock(fd, F_WRLCK, F_OFD_SETLK) : IsLockedElsewhere(fd)) {
        close(fd);
        return;
    }
    m_file.dev = st.st_dev;
    m_file.ino = st.st_ino;
    m_dataFd = fd;
}

void CFileLock::Unlock() {
    if (m_fd < 0) return;
    // Removed while still held, so no one can take a lock on a file that is about to vanish; a
    // file that replaced ours since is left to its owner.
    if (NamesOpenFile(m_lockPath, m_fd)) unlink(m_lockPath.c_str());
    close(m_fd);
    if (m_dataFd >= 0) close(m_dataFd);
    m_fd = m_dataFd = -1;
    m_path.clear();
    m_lockPath.clear();
    m_file = CFileIdentity();
}

bool CFileLock::Covers(const std::string& path) const {
    CFileIdentity other;
    return IsLocked() && other.Resolve(path) && other.SameFileAs(m_file);
}

bool CFileLock::StillHeld() const {
    return IsLocked() && NamesOpenFile(m_lockPath, m_fd);
}

void CFileLock::FollowReplacedFile() {
    if (!IsLocked()) return;
    if (m_dataFd >= 0) close(m_dataFd);
    m_dataFd = -1;
    m_file.exists = true;
    LockDataFile();
}

bool CFileLock::IsHeldByOther(const std::string& path, std::string* holder) {
    CFileIdentity file;
    if (!file.Resolve(path)) return false;
    const int fd = open(LockFilePath(file.resolved).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && (errno == EACCES || errno == EPERM)) {
        if (holder) *holder = kOtherUser;
        return true;
    }
    if (fd >= 0) {
        const bool held = IsLockedElsewhere(fd);
        if (held && holder) *holder = ReadHolder(fd);
        close(fd);
        if (held) return true;
    }
    if (!file.exists) return false;
    const int dfd = open(file.resolved.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (dfd < 0) return false;
    const bool held = IsLockedElsewhere(dfd);
    if (held && holder) *holder = kOtherName;
    close(dfd);
    return held;
}
