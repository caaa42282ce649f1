#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/safe_save.h"

bool WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t mode, std::string* error) {
    try {
        SafeSaveFile(path, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                     SystemFileOps(), mode);
    } catch (const CFileException& e) {
        // Only the folder flush failed: the new file is in place, which is all a reader needs.
        if (e.NewFileInPlace()) return true;
        if (error) *error = e.what();
        errno = e.m_lOsError;
        return false;
    }
    return true;
}

bool MakeDirectories(const std::string& path, mode_t mode) {
    struct stat st {};
    if (path.empty()) return false;
    if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const std::string parent = PathFolder(path);
    if (parent != path && parent != "." && parent != "/" && !MakeDirectories(parent, mode)) return false;
    if (mkdir(path.c_str(), mode) == 0) return true;
    return errno == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
