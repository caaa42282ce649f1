// Plug-in libraries: the version note read from the file before loading, and a loaded module.
#pragma once

#include <cstdint>
#include <string>

#include "platform/text.h"

// The version a plug-in library declares in its version note (four 16-bit parts) and its product text.
struct CModuleVersion {
    uint16_t parts[4] = {0, 0, 0, 0};  // major, minor, build, revision
    WString productVersion;

    // The two 32-bit words of a file version: most significant = major.minor, least = build.revision.
    uint32_t MostSignificant() const { return (uint32_t(parts[0]) << 16) | parts[1]; }
    uint32_t LeastSignificant() const { return (uint32_t(parts[2]) << 16) | parts[3]; }
    uint64_t Value() const { return (uint64_t(MostSignificant()) << 32) | LeastSignificant(); }
};

// Reads the version note of a library file without loading it. False when the file cannot be read,
// is not an ELF file, or carries no well-formed note: a library "without version information".
bool ReadModuleVersion(const std::string& path, CModuleVersion& version);

// A library loaded with dlopen. Not copyable; frees the library when destroyed.
class CModule {
public:
    CModule() = default;
    ~CModule() { Free(); }
    CModule(const CModule&) = delete;
    CModule& operator=(const CModule&) = delete;

    // Loads the library (all symbols bound now, kept local). False when it cannot be loaded.
    bool Load(const std::string& path);
    void Free();
    bool IsLoaded() const { return m_handle != nullptr; }
    // The address of an export, or null when the library has none of that name (or none is loaded).
    void* GetProc(const char* name) const;
    template <typename Fn>
    Fn Get(const char* name) const {
        return reinterpret_cast<Fn>(GetProc(name));
    }

private:
    void* m_handle = nullptr;
};
