#include "platform/safe_save.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <random>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

int IFileOps::Open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}
ssize_t IFileOps::Write(int fd, const void* data, size_t size) {
    return ::write(fd, data, size);
}
ssize_t IFileOps::PWrite(int fd, const void* data, size_t size, off_t offset) {
    return ::pwrite(fd, data, size, offset);
}
int IFileOps::Fsync(int fd) {
    return ::fsync(fd);
}
int IFileOps::StartWriteBack(int fd, off_t offset, off_t size) {
    return ::sync_file_range(fd, offset, size, SYNC_FILE_RANGE_WRITE);
}
int IFileOps::Close(int fd) {
    return ::close(fd);
}
int IFileOps::Rename(const char* from, const char* to) {
    return ::rename(from, to);
}
int IFileOps::Unlink(const char* path) {
    return ::unlink(path);
}

IFileOps& SystemFileOps() {
    static IFileOps ops;
    return ops;
}

namespace {

const char kTempSuffix[] = ".tmp";
// A large file goes to the disk in steps of this size while it is written, so that the fsync at the
// end has little left to wait for.
constexpr uint64_t kWriteBackStep = 8 << 20;
// A save that has appended this much hands its writes to a thread of their own.
constexpr uint64_t kBackgroundFrom = 1 << 20;
constexpr size_t kRandomChars = 6;

std::string RandomChars() {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 gen{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, sizeof kChars - 2);
    std::string s;
    for (size_t i = 0; i < kRandomChars; ++i) s.push_back(kChars[pick(gen)]);
    return s;
}

std::string Describe(CFileException::Step step) {
    switch (step) {
        case CFileException::access:
            return "Cannot write to ";
        case CFileException::create:
            return "Cannot create a file in the folder of ";
        case CFileException::write:
            return "Cannot write ";
        case CFileException::flush:
            return "Cannot flush to disk ";
        case CFileException::close:
            return "Cannot finish writing ";
        case CFileException::rename:
            return "Cannot replace ";
        case CFileException::folderFlush:
            return "Saved, but cannot flush the folder of ";
    }
    return "Cannot save ";
}

[[noreturn]] void Fail(CFileException::Step step, int err, const std::string& path) {
    throw CFileException(step, err, path, Describe(step) + path + ": " + strerror(err));
}

}  // namespace

std::string PathFolder(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string PathFileName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsSaveTempFileFor(const std::string& path, const std::string& candidateName) {
    std::string prefix(1, '.');
    prefix += PathFileName(path);
    prefix += '.';
    return candidateName.size() == prefix.size() + kRandomChars + strlen(kTempSuffix) &&
           candidateName.compare(0, prefix.size(), prefix) == 0 &&
           candidateName.compare(candidateName.size() - strlen(kTempSuffix), std::string::npos,
                                 kTempSuffix) == 0;
}

// Takes the appends of a large save into a few buffers, which a thread of its own writes in order
// while the caller goes on. After a failed write it writes nothing more and reports the error.
class CSafeSaveFile::CBackgroundWriter {
public:
    static constexpr size_t kBufferSize = 1 << 20;
    // Room for the page cache to fall behind the archive for a while without holding it up.
    static constexpr size_t kBuffers = 16;

    explicit CBackgroundWriter(CSafeSaveFile& file) : m_file(file) {
        for (size_t i = 0; i < kBuffers; ++i) m_free.push_back(std::make_unique<uint8_t[]>(kBufferSize));
        m_thread = std::thread([this] { Run(); });
    }
    // Unfinished (the save is abandoned): what is still held is dropped.
    ~CBackgroundWriter() {
        if (!m_thread.joinable()) return;
        {
            std::lock_guard lock(m_mutex);
            m_bStop = true;
            m_bDrop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    // Copies the bytes in; 0, or the error of a write that failed.
    int Append(const uint8_t* data, size_t size) {
        while (size > 0) {
            if (!m_fill) {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [&] { return !m_free.empty() || m_error; });
                if (m_error) return m_error;
                m_fill = std::move(m_free.back());
                m_free.pop_back();
                m_nFill = 0;
            }
            const size_t k = std::min(size, kBufferSize - m_nFill);
            std::memcpy(m_fill.get() + m_nFill, data, k);
            m_nFill += k;
            data += k;
            size -= k;
            if (m_nFill == kBufferSize) Pass();
        }
        std::lock_guard lock(m_mutex);
        return m_error;
    }

    // Waits until everything appended is written; 0, or the error.
    int Finish() {
        if (m_fill && m_nFill > 0) Pass();
        {
            std::lock_guard lock(m_mutex);
            m_bStop = true;
        }
        m_wake.notify_all();
        m_thread.join();
        return m_error;
    }

private:
    void Pass() {
        {
            std::lock_guard lock(m_mutex);
            m_queue.emplace_back(std::move(m_fill), m_nFill);
        }
        m_wake.notify_all();
        m_nFill = 0;
    }

    void Run() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [&] { return !m_queue.empty() || m_bStop; });
            if (m_queue.empty() || m_bDrop) return;
            auto [buffer, size] = std::move(m_queue.front());
            m_queue.pop_front();
            if (!m_error) {
                lock.unlock();
                int err;
                try {
                    err = m_file.WriteNow(buffer.get(), size);
                } catch (...) {
                    err = EIO;
                }
                lock.lock();
                m_error = err;
            }
            m_free.push_back(std::move(buffer));
            m_wake.notify_all();
        }
    }

    CSafeSaveFile& m_file;
    std::unique_ptr<uint8_t[]> m_fill;  // being filled by the caller
    size_t m_nFill = 0;
    std::mutex m_mutex;
    std::condition_variable m_wake;  // both ways: a buffer to write, a buffer free, an error
    std::vector<std::unique_ptr<uint8_t[]>> m_free;
    std::deque<std::pair<std::unique_ptr<uint8_t[]>, size_t>> m_queue;
    int m_error = 0;
    bool m_bStop = false, m_bDrop = false;
    std::thread m_thread;
};

CSafeSaveFile::CSafeSaveFile(const std::string& path, IFileOps& ops, std::optional<mode_t> mode)
    : m_ops(ops), m_mode(mode), m_target(path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        // A broken link is refused: replacing it with a plain file would lose what it was for.
        char resolved[PATH_MAX];
        if (!realpath(path.c_str(), resolved)) Fail(CFileException::access, errno, path);
        m_target = resolved;
    }
    const bool exists = stat(m_target.c_str(), &st) == 0;
    // A file the user may not write stays as it is, although the folder would allow replacing it.
    if (exists && access(m_target.c_str(), W_OK) != 0) Fail(CFileException::access, errno, m_target);
    if (!m_mode && exists) m_mode = st.st_mode & 07777;
    if (exists) m_owner = std::make_pair(st.st_uid, st.st_gid);
    RemoveDeadSaveTempFiles(m_target);
    const std::string prefix = PathFolder(m_target) + "/." + PathFileName(m_target) + ".";
    for (int attempt = 0; m_fd < 0; ++attempt) {
        m_temp = prefix + RandomChars() + kTempSuffix;
        m_fd = m_ops.Open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && (errno != EEXIST || attempt == 100)) Fail(CFileException::create, errno, m_target);
    }
    // Held until the file is renamed or removed: it tells a later save that this one is alive.
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    (void)fcntl(m_fd, F_OFD_SETLK, &fl);
}

CSafeSaveFile::~CSafeSaveFile() {
    if (m_bDone) return;
    m_background.reset();
    m_ops.Close(m_fd);
    m_ops.Unlink(m_temp.c_str());
}

void CSafeSaveFile::Abandon(CFileException::Step step, int err) {
    m_background.reset();
    if (m_fd >= 0) m_ops.Close(m_fd);
    m_ops.Unlink(m_temp.c_str());
    m_bDone = true;
    Fail(step, err, m_target);
}

int CSafeSaveFile::WriteAll(const uint8_t* data, size_t size, std::optional<uint64_t> offset) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = offset ? m_ops.PWrite(m_fd, data + done, size - done, off_t(*offset + done))
                                 : m_ops.Write(m_fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : EIO;
        done += size_t(n);
    }
    return 0;
}

int CSafeSaveFile::WriteNow(const uint8_t* data, size_t size) {
    if (const int err = WriteAll(data, size, std::nullopt)) return err;
    m_nWritten += size;
    if (m_nWritten - m_nWriteBackFrom >= kWriteBackStep) {
        (void)m_ops.StartWriteBack(m_fd, off_t(m_nWriteBackFrom), off_t(m_nWritten - m_nWriteBackFrom));
        m_nWriteBackFrom = m_nWritten;
    }
    return 0;
}

void CSafeSaveFile::Write(std::span<const uint8_t> bytes) {
    if (m_bDone) Fail(CFileException::write, EBADF, m_target);
    if (!m_background && m_size + bytes.size() >= kBackgroundFrom) {
        try {
            m_background = std::make_unique<CBackgroundWriter>(*this);
        } catch (const std::system_error&) {
            // No thread to be had: the caller writes.
        }
    }
    const int err = m_background ? m_background->Append(bytes.data(), bytes.size())
                                 : WriteNow(bytes.data(), bytes.size());
    if (err) Abandon(CFileException::write, err);
    m_size += bytes.size();
}

void CSafeSaveFile::FinishBackground() {
    if (!m_background) return;
    const int err = m_background->Finish();
    m_background.reset();
    if (err) Abandon(CFileException::write, err);
}

void CSafeSaveFile::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) {
    if (m_bDone) Fail(CFileException::write, EBADF, m_target);
    if (offset > m_size || bytes.size() > m_size - offset) Abandon(CFileException::write, EINVAL);
    FinishBackground();
    if (const int err = WriteAll(bytes.data(), bytes.size(), offset)) Abandon(CFileException::write, err);
}

void CSafeSaveFile::Commit() {
    if (m_bDone) Fail(CFileException::write, EBADF, m_target);
    FinishBackground();
    if (m_owner) {
        // Another user's file in a shared folder stays theirs, or at least their group's.
        const auto [uid, gid] = *m_owner;
        struct stat mine {};
        if (fstat(m_fd, &mine) == 0 && (mine.st_uid != uid || mine.st_gid != gid) &&
            fchown(m_fd, uid, gid) != 0) {
            const bool groupKept = fchown(m_fd, uid_t(-1), gid) == 0 || mine.st_gid == gid;
            m_bOwnershipKept = groupKept && mine.st_uid == uid;
        }
    }
    // Best effort: a file system without permission bits still takes the save. After the owner,
    // whose change clears the set-id bits.
    if (m_mode) (void)fchmod(m_fd, *m_mode);
    if (m_ops.Fsync(m_fd) != 0) Abandon(CFileException::flush, errno);
    const int fd = std::exchange(m_fd, -1);
    if (m_ops.Close(fd) != 0) Abandon(CFileException::close, errno);
    if (m_ops.Rename(m_temp.c_str(), m_target.c_str()) != 0) Abandon(CFileException::rename, errno);
    m_bDone = true;

    const std::string folder = PathFolder(m_target);
    int dfd = m_ops.Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (dfd < 0) Fail(CFileException::folderFlush, errno, m_target);
    if (m_ops.Fsync(dfd) != 0) {
        int err = errno;
        m_ops.Close(dfd);
        Fail(CFileException::folderFlush, err, m_target);
    }
    m_ops.Close(dfd);
}

bool SafeSaveFile(const std::string& path, std::span<const uint8_t> bytes, IFileOps& ops,
                  std::optional<mode_t> mode) {
    CSafeSaveFile file(path, ops, mode);
    file.Write(bytes);
    file.Commit();
    return file.OwnershipKept();
}

void RemoveDeadSaveTempFiles(const std::string& linkOrPath) {
    // Beside the file a link names, where its saves write.
    char resolved[PATH_MAX];
    const std::string path = realpath(linkOrPath.c_str(), resolved) ? std::string(resolved) : linkOrPath;
    const std::string folder = PathFolder(path);
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = readdir(dir)) {
        if (!IsSaveTempFileFor(path, entry->d_name)) continue;
        const std::string temp = folder + "/" + entry->d_name;
        struct stat named {}, opened{};
        if (lstat(temp.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) continue;
        // Only what can be opened can be shown dead; another user's may stay.
        const int fd = open(temp.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        const bool dead = fstat(fd, &opened) == 0 && opened.st_dev == named.st_dev &&
                          opened.st_ino == named.st_ino && fcntl(fd, F_OFD_GETLK, &fl) == 0 &&
                          fl.l_type == F_UNLCK;
        close(fd);
        if (dead) unlink(temp.c_str());
    }
    closedir(dir);
}
