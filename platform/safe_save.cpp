#include "platform/safe_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>

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
constexpr size_t kRandomChars = 6;

std::string Folder(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FileName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

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

bool IsSaveTempFileFor(const std::string& path, const std::string& candidateName) {
    std::string prefix(1, '.');
    prefix += FileName(path);
    prefix += '.';
    return candidateName.size() == prefix.size() + kRandomChars + strlen(kTempSuffix) &&
           candidateName.compare(0, prefix.size(), prefix) == 0 &&
           candidateName.compare(candidateName.size() - strlen(kTempSuffix), std::string::npos,
                                 kTempSuffix) == 0;
}

CSafeSaveFile::CSafeSaveFile(const std::string& path, IFileOps& ops, std::optional<mode_t> mode)
    : m_ops(ops), m_mode(mode), m_target(path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (realpath(path.c_str(), resolved)) m_target = resolved;
    }
    const bool exists = stat(m_target.c_str(), &st) == 0;
    // A file the user may not write stays as it is, although the folder would allow replacing it.
    if (exists && access(m_target.c_str(), W_OK) != 0) Fail(CFileException::access, errno, m_target);
    if (!m_mode && exists) m_mode = st.st_mode & 07777;
    const std::string prefix = Folder(m_target) + "/." + FileName(m_target) + ".";
    for (int attempt = 0; m_fd < 0; ++attempt) {
        m_temp = prefix + RandomChars() + kTempSuffix;
        m_fd = m_ops.Open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && (errno != EEXIST || attempt == 100)) Fail(CFileException::create, errno, m_target);
    }
}

CSafeSaveFile::~CSafeSaveFile() {
    if (m_bDone) return;
    m_ops.Close(m_fd);
    m_ops.Unlink(m_temp.c_str());
}

void CSafeSaveFile::Abandon(CFileException::Step step, int err) {
    if (m_fd >= 0) m_ops.Close(m_fd);
    m_ops.Unlink(m_temp.c_str());
    m_bDone = true;
    Fail(step, err, m_target);
}

void CSafeSaveFile::Write(std::span<const uint8_t> bytes) {
    if (m_bDone) Fail(CFileException::write, EBADF, m_target);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = m_ops.Write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Abandon(CFileException::write, n < 0 ? errno : EIO);
        done += size_t(n);
    }
    m_size += bytes.size();
}

void CSafeSaveFile::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) {
    if (m_bDone) Fail(CFileException::write, EBADF, m_target);
    if (offset > m_size || bytes.size() > m_size - offset) Abandon(CFileException::write, EINVAL);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = m_ops.PWrite(m_fd, bytes.data() + done, bytes.size() - done, off_t(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Abandon(CFileException::write, n < 0 ? errno : EIO);
        done += size_t(n);
    }
}

void CSafeSaveFile::Commit() {
    if (m_bDone) Fail(CFileException::write, EBADF, m_target);
    // Best effort: a file system without permission bits still takes the save.
    if (m_mode) (void)fchmod(m_fd, *m_mode);
    if (m_ops.Fsync(m_fd) != 0) Abandon(CFileException::flush, errno);
    const int fd = std::exchange(m_fd, -1);
    if (m_ops.Close(fd) != 0) Abandon(CFileException::close, errno);
    if (m_ops.Rename(m_temp.c_str(), m_target.c_str()) != 0) Abandon(CFileException::rename, errno);
    m_bDone = true;

    const std::string folder = Folder(m_target);
    int dfd = m_ops.Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (dfd < 0) Fail(CFileException::folderFlush, errno, m_target);
    if (m_ops.Fsync(dfd) != 0) {
        int err = errno;
        m_ops.Close(dfd);
        Fail(CFileException::folderFlush, err, m_target);
    }
    m_ops.Close(dfd);
}

void SafeSaveFile(const std::string& path, std::span<const uint8_t> bytes, IFileOps& ops,
                  std::optional<mode_t> mode) {
    CSafeSaveFile file(path, ops, mode);
    file.Write(bytes);
    file.Commit();
}
