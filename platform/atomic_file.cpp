#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool Fail(std::string* error, const char* what, const std::string& path) {
    const int err = errno;
    if (error) *error = std::string(what) + " " + path + ": " + std::strerror(err);
    errno = err;
    return false;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t mode, std::string* error) {
    std::string temp = path + ".XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return Fail(error, "cannot create a temporary file beside", path);
    auto abandon = [&](const char* what) {
        const int err = errno;
        close(fd);
        unlink(temp.c_str());
        errno = err;
        return Fail(error, what, temp);
    };
    if (fchmod(fd, mode) != 0) return abandon("cannot set the permissions of");
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return abandon("cannot write");
        done += static_cast<size_t>(n);
    }
    if (fsync(fd) != 0) return abandon("cannot flush");
    if (close(fd) != 0) {
        const int err = errno;
        unlink(temp.c_str());
        errno = err;
        return Fail(error, "cannot close", temp);
    }
    if (rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        unlink(temp.c_str());
        errno = err;
        return Fail(error, "cannot replace", path);
    }
    // The rename is only durable once the folder is on disk too; the new file is in place already.
    const int dir = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

bool MakeDirectories(const std::string& path, mode_t mode) {
    struct stat st {};
    if (path.empty()) return false;
    if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const std::string parent = FolderOf(path);
    if (parent != path && parent != "." && parent != "/" && !MakeDirectories(parent, mode)) return false;
    if (mkdir(path.c_str(), mode) == 0) return true;
    return errno == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
