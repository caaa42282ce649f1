// The program's settings: a small typed store standing in for the registry.
//
// Two stores: per-user ($CVL_USER_CONFIG_DIR, else $XDG_CONFIG_HOME or ~/.config, then
// Velmora/Corvalen/1.0/) and machine-wide ($CVL_MACHINE_CONFIG_DIR, else the install prefix's
// etc/Velmora/Corvalen/1.0/). Each holds keys (backslash-separated paths, names compared without
// regard to case) with named values that are either text (REG_SZ) or a 32-bit number (REG_DWORD).
// Every write replaces the store's file atomically; a failed write leaves the old file as it was.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/text.h"

enum class HKEY { CurrentUser, LocalMachine };
inline constexpr HKEY HKEY_CURRENT_USER = HKEY::CurrentUser;
inline constexpr HKEY HKEY_LOCAL_MACHINE = HKEY::LocalMachine;

enum SettingsValueType : uint32_t { REG_SZ = 1, REG_BINARY = 3, REG_DWORD = 4 };

struct SettingsValue {
    SettingsValueType type = REG_SZ;
    WString text;         // REG_SZ
    uint32_t number = 0;  // REG_DWORD
    std::vector<uint8_t> bytes;  // REG_BINARY
};

// The folder of a store's file, after the environment overrides.
std::string SettingsDirectory(HKEY root);
// The full path of a store's file.
std::string SettingsFilePath(HKEY root);

// An opened key. It holds no resources: every call reads or writes the store under a lock, so it
// may outlive changes made through other handles (calls on a key deleted meanwhile find nothing
// and writes recreate it). Destroying it closes it.
class CSettingsKey {
public:
    // The key at path below the root when it exists (for reading).
    static std::optional<CSettingsKey> Open(HKEY root, WStringView path);
    // The key at path, created with its parents when absent; nothing when the store cannot be written.
    static std::optional<CSettingsKey> Create(HKEY root, WStringView path);

    HKEY Root() const { return m_root; }
    const WString& Path() const { return m_path; }

    std::optional<CSettingsKey> OpenSubkey(WStringView subkey) const;
    std::optional<CSettingsKey> CreateSubkey(WStringView subkey) const;

    std::optional<SettingsValue> QueryValue(WStringView name) const;
    // False when the value is missing or of the other type.
    bool QueryString(WStringView name, WString& out) const;
    bool QueryDWord(WStringView name, uint32_t& out) const;
    bool QueryBinary(WStringView name, std::vector<uint8_t>& out) const;

    // Values in the order they were first written, with their stored names.
    std::vector<std::pair<WString, SettingsValue>> Values() const;
    // Names of the direct subkeys, in the order the store keeps them.
    std::vector<WString> SubkeyNames() const;

    // False when the store cannot be written. A value keeps the case of the name that created it.
    bool SetString(WStringView name, WStringView text);
    bool SetDWord(WStringView name, uint32_t number);
    bool SetBinary(WStringView name, const std::vector<uint8_t>& bytes);
    bool DeleteValue(WStringView name);
    // Removes the subkey with everything below it.
    bool DeleteSubkey(WStringView subkey);

private:
    CSettingsKey(HKEY root, WString path) : m_root(root), m_path(std::move(path)) {}
    HKEY m_root;
    WString m_path;  // normalised: components joined by single backslashes, no trailing one
};

// The program's settings routines: every path is below "Software\Velmora\Corvalen\1.0\".
class CRegistrySettings {
public:
    static const char16_t* const AppKeyPath;  // u"Software\\Velmora\\Corvalen\\1.0\\"

    // The program key for reading, or nothing when it does not exist.
    static std::optional<CSettingsKey> OpenAppKey(HKEY root);
    // The text value, or the default when the subkey or value is missing or holds a number.
    static WString GetString(HKEY root, WStringView subkey, WStringView name, WStringView defaultText);
    // The number value, or the default when the subkey or value is missing or holds a text.
    static uint32_t GetDWord(HKEY root, WStringView subkey, WStringView name, uint32_t defaultNumber);
    // Create the subkey when absent and write; false when the store cannot be written.
    static bool SetString(HKEY root, WStringView subkey, WStringView name, WStringView text);
    static bool SetDWord(HKEY root, WStringView subkey, WStringView name, uint32_t number);
};

// The framework's own per-user entries (recent files, bar state) under the application title
// "Corvalen" below the per-user program key: <program key>\Corvalen\<section>\<entry>.
WString GetProfileString(WStringView section, WStringView entry, WStringView defaultText = {});
int GetProfileInt(WStringView section, WStringView entry, int defaultNumber);
bool WriteProfileString(WStringView section, WStringView entry, WStringView text);
bool WriteProfileInt(WStringView section, WStringView entry, int number);
// Removes one entry, or the whole section when entry is empty.
bool DeleteProfileEntry(WStringView section, WStringView entry);
