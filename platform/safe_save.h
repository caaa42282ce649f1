// Saving a file so that a failure never damages the copy already on disk: the bytes go to a new file
// beside the target, which is flushed to the disk and then renamed over the target; the folder is
// flushed last so the rename itself survives a power cut.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

class CFileException : public std::runtime_error {
public:
    // Where a save failed; failures up to `rename` leave the old file as it was.
    enum Step { access, create, write, flush, close, rename, folderFlush };
    CFileException(Step step, int osError, const std::string& fileName, const std::string& message)
        : std::runtime_error(message), m_step(step), m_lOsError(osError), m_strFileName(fileName) {}
    Step m_step;
    int m_lOsError;  // errno
    std::string m_strFileName;
    // True when the target already holds the new bytes (only the folder flush failed).
    bool NewFileInPlace() const { return m_step == folderFlush; }
};

// The system calls a save makes, so that tests can make any one of them fail. Each returns what the
// system call returns and sets errno the same way.
class IFileOps {
public:
    virtual ~IFileOps() = default;
    virtual int Open(const char* path, int flags, mode_t mode);
    virtual ssize_t Write(int fd, const void* data, size_t size);
    virtual int Fsync(int fd);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
    virtual int Unlink(const char* path);
};

IFileOps& SystemFileOps();

// Writes `bytes` as the new content of `path` (a symbolic link is followed: the file it names is
// replaced). The new file gets `mode` when given, else an existing target's permission bits (a new
// one: 0666 less the umask). Throws CFileException; on any failure the temporary file is removed.
void SafeSaveFile(const std::string& path, std::span<const uint8_t> bytes, IFileOps& ops = SystemFileOps(),
                  std::optional<mode_t> mode = std::nullopt);

// The name pattern of the temporary files a save makes beside `path` (for cleaning tools and tests):
// "." + file name + "." + six characters + ".tmp".
bool IsSaveTempFileFor(const std::string& path, const std::string& candidateName);
