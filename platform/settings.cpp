#include "platform/settings.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/atomic_file.h"

#ifndef CVL_MACHINE_CONFIG_DIR_DEFAULT
#define CVL_MACHINE_CONFIG_DIR_DEFAULT "/usr/local/etc/Velmora/Corvalen/1.0"
#endif

// File layout (UTF-8, one item a line):
//   [Software\Velmora\Corvalen\1.0\Settings]    a key
//   sz:Unit=lb                                   a text value
//   dword:Search Mode=0                          a number value (decimal)
//   hex:EID CommConfig=3400000001000000          a binary value (two hex digits a byte)
// In key paths, names and texts the bytes '%', '=', '[', ']' and every control byte are written as
// "%XX". Lines that do not parse are skipped.

namespace {

constexpr const char* kFileName = "settings.ini";

struct StoredValue {
    WString name;
    SettingsValue value;
};

struct StoredKey {
    WString path;
    std::vector<StoredValue> values;
};

struct Store {
    std::vector<StoredKey> keys;
    bool loaded = false;
    bool present = false;
    struct stat identity {};
};

std::mutex g_mutex;
std::map<std::string, Store> g_stores;  // by file path

// ---- Paths ----

WString NormalisePath(WStringView path) {
    WString out;
    for (const auto& part : Split(path, u'\\')) {
        if (part.empty()) continue;
        if (!out.empty()) out += u'\\';
        out += part;
    }
    return out;
}

WString JoinPath(WStringView a, WStringView b) {
    WString joined(a);
    joined += u'\\';
    joined += b;
    return NormalisePath(joined);
}

// True when key is path itself or lies below it.
bool IsAtOrBelow(WStringView key, WStringView path) {
    if (path.empty()) return true;
    if (key.size() < path.size() || !EqualsNoCase(key.substr(0, path.size()), path)) return false;
    return key.size() == path.size() || key[path.size()] == u'\\';
}

std::string HomeDirectory() {
    if (const char* home = getenv("HOME"); home && *home) return home;
    struct passwd pw {};
    struct passwd* found = nullptr;
    char buf[4096];
    if (getpwuid_r(getuid(), &pw, buf, sizeof buf, &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "/tmp";
}

// ---- Escaping ----

std::string Escape(WStringView text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : WToUtf8(text)) {
        if (c < 0x20 || c == 0x7F || c == '%' || c == '=' || c == '[' || c == ']') {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

WString Unescape(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
            HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return Utf8ToW(out);
}

// ---- Reading and writing the file ----

StoredKey* FindKey(Store& store, WStringView path) {
    for (auto& key : store.keys)
        if (EqualsNoCase(key.path, path)) return &key;
    return nullptr;
}

StoredKey& EnsureKey(Store& store, WStringView path) {
    if (StoredKey* key = FindKey(store, path)) return *key;
    store.keys.push_back(StoredKey{WString(path), {}});
    return store.keys.back();
}

StoredValue* FindValue(StoredKey& key, WStringView name) {
    for (auto& v : key.values)
        if (EqualsNoCase(v.name, name)) return &v;
    return nullptr;
}

void PutValue(StoredKey& key, WStringView name, const SettingsValue& value) {
    if (StoredValue* v = FindValue(key, name))
        v->value = value;
    else
        key.values.push_back(StoredValue{WString(name), value});
}

std::vector<StoredKey> Parse(const std::string& bytes) {
    Store store;
    StoredKey* current = nullptr;
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            current =
                &EnsureKey(store, NormalisePath(Unescape(std::string_view(line).substr(1, line.size() - 2))));
            continue;
        }
        if (!current) continue;
        const size_t colon = line.find(':');
        const size_t eq = line.find('=');
        if (colon == std::string::npos || eq == std::string::npos || eq < colon) continue;
        const std::string type = line.substr(0, colon);
        const WString name = Unescape(std::string_view(line).substr(colon + 1, eq - colon - 1));
        const std::string data = line.substr(eq + 1);
        SettingsValue value;
        if (type == "sz") {
            value.type = REG_SZ;
            value.text = Unescape(data);
        } else if (type == "dword") {
            if (data.empty() || data.size() > 10 || data.find_first_not_of("0123456789") != std::string::npos)
                continue;
            const unsigned long long n = std::stoull(data);
            if (n > 0xFFFFFFFFull) continue;
            value.type = REG_DWORD;
            value.number = static_cast<uint32_t>(n);
        } else if (type == "hex") {
            if (data.size() % 2 != 0) continue;
            bool good = true;
            for (size_t i = 0; i < data.size() && good; i += 2) {
                const int hi = HexDigit(data[i]), lo = HexDigit(data[i + 1]);
                good = hi >= 0 && lo >= 0;
                if (good) value.bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
            }
            if (!good) continue;
            value.type = REG_BINARY;
        } else {
            continue;
        }
        PutValue(*current, name, value);
    }
    return std::move(store.keys);
}

std::string Serialise(const std::vector<StoredKey>& keys) {
    std::string out = "# Corvalen settings\n";
    for (const auto& key : keys) {
        out += "\n[" + Escape(key.path) + "]\n";
        for (const auto& v : key.values) {
            if (v.value.type == REG_DWORD) {
                out += "dword:" + Escape(v.name) + "=" + std::to_string(v.value.number) + "\n";
            } else if (v.value.type == REG_BINARY) {
                static const char hex[] = "0123456789ABCDEF";
                out += "hex:" + Escape(v.name) + "=";
                for (uint8_t b : v.value.bytes) {
                    out += hex[b >> 4];
                    out += hex[b & 0xF];
                }
                out += "\n";
            } else
                out += "sz:" + Escape(v.name) + "=" + Escape(v.value.text) + "\n";
        }
    }
    return out;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// The store of a root, read again when its file changed. Call with g_mutex held.
Store& LoadStore(HKEY root) {
    const std::string path = SettingsFilePath(root);
    Store& store = g_stores[path];
    struct stat st {};
    const bool present = stat(path.c_str(), &st) == 0;
    if (store.loaded && present == store.present && (!present || SameFile(st, store.identity))) return store;
    store.keys.clear();
    store.present = present;
    store.identity = st;
    store.loaded = true;
    if (present) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        store.keys = Parse(bytes.str());
    }
    return store;
}

// Runs change on a fresh copy of the store and writes it; the store is unchanged on failure.
// Holds a lock on the folder's lock file so that another process's write is not lost.
bool ModifyStore(HKEY root, const std::function<bool(Store&)>& change) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const std::string dir = SettingsDirectory(root);
    if (!MakeDirectories(dir, root == HKEY_CURRENT_USER ? 0700 : 0755)) return false;
    const int lockFd = open((dir + "/.settings.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd >= 0) flock(lockFd, LOCK_EX);
    bool ok = false;
    Store& store = LoadStore(root);
    Store copy = store;
    if (change(copy)) {
        const std::string path = SettingsFilePath(root);
        if (WriteFileAtomically(path, Serialise(copy.keys), root == HKEY_CURRENT_USER ? 0600 : 0644)) {
            store.keys = std::move(copy.keys);
            store.present = stat(path.c_str(), &store.identity) == 0;
            ok = true;
        } else {
            store.loaded = false;  // read it again next time
        }
    }
    if (lockFd >= 0) {
        flock(lockFd, LOCK_UN);
        close(lockFd);
    }
    return ok;
}

bool KeyExists(const Store& store, WStringView path) {
    if (path.empty()) return true;
    for (const auto& key : store.keys)
        if (IsAtOrBelow(key.path, path)) return true;
    return false;
}

}  // namespace

// ---- Locations ----

std::string SettingsDirectory(HKEY root) {
    if (root == HKEY_LOCAL_MACHINE) {
        if (const char* dir = getenv("CVL_MACHINE_CONFIG_DIR"); dir && *dir) return dir;
        return CVL_MACHINE_CONFIG_DIR_DEFAULT;
    }
    if (const char* dir = getenv("CVL_USER_CONFIG_DIR"); dir && *dir) return dir;
    std::string base;
    if (const char* xdg = getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        base = xdg;
    else
        base = HomeDirectory() + "/.config";
    return base + "/Velmora/Corvalen/1.0";
}

std::string SettingsFilePath(HKEY root) {
    return SettingsDirectory(root) + "/" + kFileName;
}

// ---- CSettingsKey ----

std::optional<CSettingsKey> CSettingsKey::Open(HKEY root, WStringView path) {
    WString normal = NormalisePath(path);
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!KeyExists(LoadStore(root), normal)) return std::nullopt;
    return CSettingsKey(root, std::move(normal));
}

std::optional<CSettingsKey> CSettingsKey::Create(HKEY root, WStringView path) {
    WString normal = NormalisePath(path);
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (KeyExists(LoadStore(root), normal)) return CSettingsKey(root, std::move(normal));
    }
    const bool ok = ModifyStore(root, [&](Store& store) {
        if (!KeyExists(store, normal)) EnsureKey(store, normal);
        return true;
    });
    if (!ok) return std::nullopt;
    return CSettingsKey(root, std::move(normal));
}

std::optional<CSettingsKey> CSettingsKey::OpenSubkey(WStringView subkey) const {
    return Open(m_root, JoinPath(m_path, subkey));
}

std::optional<CSettingsKey> CSettingsKey::CreateSubkey(WStringView subkey) const {
    return Create(m_root, JoinPath(m_path, subkey));
}

std::optional<SettingsValue> CSettingsKey::QueryValue(WStringView name) const {
    std::lock_guard<std::mutex> lock(g_mutex);
    StoredKey* key = FindKey(LoadStore(m_root), m_path);
    if (!key) return std::nullopt;
    const StoredValue* v = FindValue(*key, name);
    if (!v) return std::nullopt;
    return v->value;
}

bool CSettingsKey::QueryString(WStringView name, WString& out) const {
    const auto v = QueryValue(name);
    if (!v || v->type != REG_SZ) return false;
    out = v->text;
    return true;
}

bool CSettingsKey::QueryDWord(WStringView name, uint32_t& out) const {
    const auto v = QueryValue(name);
    if (!v || v->type != REG_DWORD) return false;
    out = v->number;
    return true;
}

bool CSettingsKey::QueryBinary(WStringView name, std::vector<uint8_t>& out) const {
    const auto v = QueryValue(name);
    if (!v || v->type != REG_BINARY) return false;
    out = v->bytes;
    return true;
}

std::vector<std::pair<WString, SettingsValue>> CSettingsKey::Values() const {
    std::vector<std::pair<WString, SettingsValue>> out;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (StoredKey* key = FindKey(LoadStore(m_root), m_path))
        for (const auto& v : key->values) out.emplace_back(v.name, v.value);
    return out;
}

std::vector<WString> CSettingsKey::SubkeyNames() const {
    std::vector<WString> names;
    std::lock_guard<std::mutex> lock(g_mutex);
    for (const auto& key : LoadStore(m_root).keys) {
        if (key.path.size() == m_path.size() || !IsAtOrBelow(key.path, m_path)) continue;
        const size_t start = m_path.empty() ? 0 : m_path.size() + 1;
        const size_t end = key.path.find(u'\\', start);
        WString name = key.path.substr(start, end == WString::npos ? WString::npos : end - start);
        bool seen = false;
        for (const auto& n : names) seen = seen || EqualsNoCase(n, name);
        if (!seen) names.push_back(std::move(name));
    }
    return names;
}

bool CSettingsKey::SetString(WStringView name, WStringView text) {
    SettingsValue value;
    value.type = REG_SZ;
    value.text = WString(text);
    return ModifyStore(m_root, [&](Store& store) {
        PutValue(EnsureKey(store, m_path), name, value);
        return true;
    });
}

bool CSettingsKey::SetDWord(WStringView name, uint32_t number) {
    SettingsValue value;
    value.type = REG_DWORD;
    value.number = number;
    return ModifyStore(m_root, [&](Store& store) {
        PutValue(EnsureKey(store, m_path), name, value);
        return true;
    });
}

bool CSettingsKey::SetBinary(WStringView name, const std::vector<uint8_t>& bytes) {
    SettingsValue value;
    value.type = REG_BINARY;
    value.bytes = bytes;
    return ModifyStore(m_root, [&](Store& store) {
        PutValue(EnsureKey(store, m_path), name, value);
        return true;
    });
}

bool CSettingsKey::DeleteValue(WStringView name) {
    return ModifyStore(m_root, [&](Store& store) {
        StoredKey* key = FindKey(store, m_path);
        if (!key) return false;
        for (auto it = key->values.begin(); it != key->values.end(); ++it) {
            if (EqualsNoCase(it->name, name)) {
                key->values.erase(it);
                return true;
            }
        }
        return false;
    });
}

bool CSettingsKey::DeleteSubkey(WStringView subkey) {
    const WString path = JoinPath(m_path, subkey);
    if (path.size() <= m_path.size()) return false;
    return ModifyStore(m_root, [&](Store& store) {
        if (!KeyExists(store, path)) return false;
        // This key stays even when it existed only through the subkey.
        if (!m_path.empty()) EnsureKey(store, m_path);
        std::erase_if(store.keys, [&](const StoredKey& key) { return IsAtOrBelow(key.path, path); });
        return true;
    });
}

// ---- CRegistrySettings ----

const char16_t* const CRegistrySettings::AppKeyPath = u"Software\\Velmora\\Corvalen\\1.0\\";

std::optional<CSettingsKey> CRegistrySettings::OpenAppKey(HKEY root) {
    return CSettingsKey::Open(root, AppKeyPath);
}

WString CRegistrySettings::GetString(HKEY root, WStringView subkey, WStringView name,
                                     WStringView defaultText) {
    const auto key = CSettingsKey::Open(root, JoinPath(AppKeyPath, subkey));
    WString text;
    if (!key || !key->QueryString(name, text)) return WString(defaultText);
    // The registry hands back the text up to its terminator.
    const size_t nul = text.find(u'\0');
    if (nul != WString::npos) text.resize(nul);
    return text;
}

uint32_t CRegistrySettings::GetDWord(HKEY root, WStringView subkey, WStringView name,
                                     uint32_t defaultNumber) {
    const auto key = CSettingsKey::Open(root, JoinPath(AppKeyPath, subkey));
    uint32_t number = 0;
    if (!key || !key->QueryDWord(name, number)) return defaultNumber;
    return number;
}

bool CRegistrySettings::SetString(HKEY root, WStringView subkey, WStringView name, WStringView text) {
    auto key = CSettingsKey::Create(root, JoinPath(AppKeyPath, subkey));
    return key && key->SetString(name, text);
}

bool CRegistrySettings::SetDWord(HKEY root, WStringView subkey, WStringView name, uint32_t number) {
    auto key = CSettingsKey::Create(root, JoinPath(AppKeyPath, subkey));
    return key && key->SetDWord(name, number);
}

// ---- Profile entries ----

namespace {
WString ProfileSection(WStringView section) {
    return JoinPath(JoinPath(CRegistrySettings::AppKeyPath, u"Corvalen"), section);
}
}  // namespace

WString GetProfileString(WStringView section, WStringView entry, WStringView defaultText) {
    const auto key = CSettingsKey::Open(HKEY_CURRENT_USER, ProfileSection(section));
    WString text;
    if (!key || !key->QueryString(entry, text)) return WString(defaultText);
    return text;
}

int GetProfileInt(WStringView section, WStringView entry, int defaultNumber) {
    const auto key = CSettingsKey::Open(HKEY_CURRENT_USER, ProfileSection(section));
    uint32_t number = 0;
    if (!key || !key->QueryDWord(entry, number)) return defaultNumber;
    return static_cast<int>(number);
}

bool WriteProfileString(WStringView section, WStringView entry, WStringView text) {
    auto key = CSettingsKey::Create(HKEY_CURRENT_USER, ProfileSection(section));
    return key && key->SetString(entry, text);
}

bool WriteProfileInt(WStringView section, WStringView entry, int number) {
    auto key = CSettingsKey::Create(HKEY_CURRENT_USER, ProfileSection(section));
    return key && key->SetDWord(entry, static_cast<uint32_t>(number));
}

bool DeleteProfileEntry(WStringView section, WStringView entry) {
    if (entry.empty()) {
        auto app =
            CSettingsKey::Open(HKEY_CURRENT_USER, JoinPath(CRegistrySettings::AppKeyPath, u"Corvalen"));
        return app && app->DeleteSubkey(section);
    }
    auto key = CSettingsKey::Open(HKEY_CURRENT_USER, ProfileSection(section));
    return key && key->DeleteValue(entry);
}
