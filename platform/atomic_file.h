// Replacing a file so that readers see either the old bytes or the new ones, never a mixture.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

// Writes bytes to a temporary file beside path, flushes it to disk, renames it over path and
// flushes the folder. The folder must exist. On any failure the old file is left as it was, the
// temporary file is removed, errno-style text goes to *error (when given) and false is returned.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t mode = 0644,
                         std::string* error = nullptr);

// Creates a folder and its missing parents with the given mode; true when it exists afterwards.
bool MakeDirectories(const std::string& path, mode_t mode = 0755);
