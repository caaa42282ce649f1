// Saving a file so that a failure never damages the copy already on disk: the bytes go to a new file
// beside the target, which is flushed to the disk and then renamed over the target; the folder is
// flushed last so the rename itself survives a power cut.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>

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
    // Writes at an offset, leaving the file position as it is.
    virtual ssize_t PWrite(int fd, const void* data, size_t size, off_t offset);
    virtual int Fsync(int fd);
    // Starts writing a range of the file to the disk without waiting for it; a hint (the save's
    // fsync is what counts), whose failure changes nothing.
    virtual int StartWriteBack(int fd, off_t offset, off_t size);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
    virtual int Unlink(const char* path);
};

IFileOps& SystemFileOps();

// A save in progress: the new content goes to a temporary file beside the target, and Commit()
// puts it in the target's place. Destroyed without Commit() (a failure, or an exception while the
// content was made), it removes the temporary file and the target stays byte-identical.
// `path`: a symbolic link is followed (the file it names is replaced); a dangling or looping one is
// refused. The new file gets `mode` when given, else an existing target's permission bits (a new
// one: 0666 less the umask), and an existing target's owner and group where the user may give them.
// Temporary files of earlier saves of `path` that died half-way are removed first.
// Every step throws CFileException; the temporary file is gone then.
class CSafeSaveFile {
public:
    explicit CSafeSaveFile(const std::string& path, IFileOps& ops = SystemFileOps(),
                           std::optional<mode_t> mode = std::nullopt);
    ~CSafeSaveFile();
    CSafeSaveFile(const CSafeSaveFile&) = delete;
    CSafeSaveFile& operator=(const CSafeSaveFile&) = delete;

    // Appends to the new content. Once a save is large, the bytes are copied and written by a thread
    // of its own while the caller makes the rest: a failed write is then reported by a later call.
    void Write(std::span<const uint8_t> bytes);
    // Writes over bytes already appended (offset + size at most Size()).
    void WriteAt(uint64_t offset, std::span<const uint8_t> bytes);
    uint64_t Size() const { return m_size; }
    // Flushes the new file to the disk, renames it over the target and flushes the folder.
    void Commit();

    // After Commit: false when the new file could not be given the old one's owner or group (it
    // then belongs to this user).
    bool OwnershipKept() const { return m_bOwnershipKept; }

    // The file being written (for tests).
    const std::string& TempPath() const { return m_temp; }

private:
    class CBackgroundWriter;

    [[noreturn]] void Abandon(CFileException::Step step, int err);
    // Writes all of it at offset, or at the end of the file without one; 0, or the error.
    int WriteAll(const uint8_t* data, size_t size, std::optional<uint64_t> offset);
    // Appends, and starts the disk on what is written; 0, or the error.
    int WriteNow(const uint8_t* data, size_t size);
    // Waits for the bytes the background writer holds.
    void FinishBackground();

    IFileOps& m_ops;
    std::optional<mode_t> m_mode;
    std::optional<std::pair<uid_t, gid_t>> m_owner;  // of the file replaced
    bool m_bOwnershipKept = true;
    std::string m_target, m_temp;
    int m_fd = -1;
    uint64_t m_size = 0;            // appended
    uint64_t m_nWritten = 0;        // in the file (by whoever writes: the caller or the background writer)
    uint64_t m_nWriteBackFrom = 0;  // the bytes before it are on their way to the disk
    std::unique_ptr<CBackgroundWriter> m_background;
    bool m_bDone = false;  // committed, or abandoned
};

// Writes `bytes` as the new content of `path` in one CSafeSaveFile; false when the owner or group
// could not be kept.
bool SafeSaveFile(const std::string& path, std::span<const uint8_t> bytes, IFileOps& ops = SystemFileOps(),
                  std::optional<mode_t> mode = std::nullopt);

// The name pattern of the temporary files a save makes beside `path` (for cleaning tools and tests):
// "." + file name + "." + six characters + ".tmp".
bool IsSaveTempFileFor(const std::string& path, const std::string& candidateName);

// Removes the temporary files beside `path` that saves of it left when they died: a save holds a lock
// on its temporary file while it writes, so one that nobody holds is dead.
void RemoveDeadSaveTempFiles(const std::string& path);

// The folder of a path ("." for none, "/" at the root) and its last part.
std::string PathFolder(const std::string& path);
std::string PathFileName(const std::string& path);
