#include "platform/safe_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>

int IFileOps::Open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}
ssize_t IFileOps::Write(int fd, const void* data, size_t size) {
    return ::write(fd, data, size);
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

void SafeSaveFile(const std::string& path, std::span<const uint8_t> bytes, IFileOps& ops,
                  std::optional<mode_t> mode) {
    std::string target = path;
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (realpath(path.c_str(), resolved)) target = resolved;
    }
    const bool exists = stat(target.c_str(), &st) == 0;
    // A file the user may not write stays as it is, although the folder would allow replacing it.
    if (exists && access(target.c_str(), W_OK) != 0) Fail(CFileException::access, errno, target);
    const std::string folder = Folder(target);
    const std::string prefix = folder + "/." + FileName(target) + ".";

    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temp = prefix + RandomChars() + kTempSuffix;
        fd = ops.Open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt == 100)) Fail(CFileException::create, errno, target);
    }

    auto abandon = [&](CFileException::Step step, int err, bool open) {
        if (open) ops.Close(fd);
        ops.Unlink(temp.c_str());
        Fail(step, err, target);
    };

    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ops.Write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) abandon(CFileException::write, n < 0 ? errno : EIO, true);
        done += size_t(n);
    }
    // Best effort: a file system without permission bits still takes the save.
    if (mode || exists) (void)fchmod(fd, mode ? *mode : st.st_mode & 07777);
    if (ops.Fsync(fd) != 0) abandon(CFileException::flush, errno, true);
    if (ops.Close(fd) != 0) abandon(CFileException::close, errno, false);
    if (ops.Rename(temp.c_str(), target.c_str()) != 0) abandon(CFileException::rename, errno, false);

    int dfd = ops.Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (dfd < 0) Fail(CFileException::folderFlush, errno, target);
    if (ops.Fsync(dfd) != 0) {
        int err = errno;
        ops.Close(dfd);
        Fail(CFileException::folderFlush, err, target);
    }
    ops.Close(dfd);
}
