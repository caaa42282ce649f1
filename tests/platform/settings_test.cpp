#include "platform/settings.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/urlencode.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Points both stores at a fresh temporary folder and restores the environment afterwards.
class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/cvl-settings-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_root = tmpl;
        for (const char* name :
             {"CVL_USER_CONFIG_DIR", "CVL_MACHINE_CONFIG_DIR", "XDG_CONFIG_HOME", "HOME"}) {
            const char* v = getenv(name);
            m_saved.push_back({name, v ? std::optional<std::string>(v) : std::nullopt});
        }
        setenv("CVL_USER_CONFIG_DIR", (m_root + "/user").c_str(), 1);
        setenv("CVL_MACHINE_CONFIG_DIR", (m_root + "/machine").c_str(), 1);
    }
    void TearDown() override {
        for (auto& [name, value] : m_saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        fs::remove_all(m_root);
    }
    std::string m_root;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

}  // namespace

TEST_F(Settings, ReadsFallBackToTheDefaultExactlyAsDocumented) {
    // Nothing stored at all: no program key, every read gives its default.
    EXPECT_FALSE(CRegistrySettings::OpenAppKey(HKEY_CURRENT_USER));
    EXPECT_EQ(CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u"lb"), u"lb");
    EXPECT_EQ(CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", u"Import Filter", 1), 1u);

    // Writing under a subkey that does not exist yet creates it (and the program key).
    ASSERT_TRUE(CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Search Mode", 2));
    ASSERT_TRUE(CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"MAPI Profile", u""));
    ASSERT_TRUE(CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u"kg"));
    auto app = CRegistrySettings::OpenAppKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(app);
    EXPECT_EQ(app->SubkeyNames(), std::vector<WString>{u"Settings"});

    struct Case {
        const char16_t* subkey;
        const char16_t* name;
        const char16_t* asText;  // GetString with default "dflt"
        uint32_t asNumber;       // GetDWord with default 77
    } cases[] = {
        {u"Settings", u"Search Mode", u"dflt", 2},  // a number read as text gives the default
        {u"Settings", u"MAPI Profile", u"", 77},    // an empty text is empty, not the default
        {u"Settings", u"Unit", u"kg", 77},          // a text read as a number gives the default
        {u"Settings", u"Missing", u"dflt", 77},     // no such value
        {u"No Such Key", u"Unit", u"dflt", 77},     // no such subkey
        {u"sETTINGS\\", u"uNIT", u"kg", 77},        // names without regard to case
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WToUtf8(c.subkey) + "/" + WToUtf8(c.name));
        EXPECT_EQ(CRegistrySettings::GetString(HKEY_CURRENT_USER, c.subkey, c.name, u"dflt"), c.asText);
        EXPECT_EQ(CRegistrySettings::GetDWord(HKEY_CURRENT_USER, c.subkey, c.name, 77), c.asNumber);
    }
    // The machine-wide store is another file altogether.
    EXPECT_EQ(CRegistrySettings::GetString(HKEY_LOCAL_MACHINE, u"Settings", u"Unit", u"dflt"), u"dflt");
    EXPECT_TRUE(fs::exists(m_root + "/user/settings.ini"));
    EXPECT_FALSE(fs::exists(m_root + "/machine"));
}

TEST_F(Settings, NamesIgnoreCaseAndTypesStayApart) {
    auto key = CSettingsKey::Create(HKEY_CURRENT_USER, u"Software\\Velmora\\Corvalen\\1.0\\Settings");
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->SetString(u"Unit", u"kg"));
    ASSERT_TRUE(key->SetString(u"UNIT", u"lb"));  // the same value; the first spelling stays
    ASSERT_TRUE(key->SetDWord(u"Tooltips", 1));
    auto values = key->Values();
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].first, u"Unit");
    EXPECT_EQ(values[0].second.text, u"lb");
    EXPECT_EQ(values[1].second.type, REG_DWORD);

    // Writing the other type replaces the value: the text is gone.
    ASSERT_TRUE(key->SetDWord(u"unit", 5));
    WString text;
    EXPECT_FALSE(key->QueryString(u"Unit", text));
    uint32_t n = 0;
    EXPECT_TRUE(key->QueryDWord(u"Unit", n));
    EXPECT_EQ(n, 5u);
    EXPECT_EQ(CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u"lb"), u"lb");

    ASSERT_TRUE(key->DeleteValue(u"UNIT"));
    EXPECT_FALSE(key->QueryValue(u"Unit"));
    EXPECT_FALSE(key->DeleteValue(u"Unit"));
}

TEST_F(Settings, BreedsAndReadersEnumerateAndDelete) {
    const WString app = CRegistrySettings::AppKeyPath;
    auto breeds = CSettingsKey::Create(HKEY_LOCAL_MACHINE, app + u"Breeds");
    ASSERT_TRUE(breeds);
    ASSERT_TRUE(breeds->SetString(u"Texel", u"/usr/lib/corvalen/libtexel.so"));
    ASSERT_TRUE(breeds->SetString(u"Suffolk", u"/opt/b/libsuffolk.so"));
    auto values = breeds->Values();
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].first, u"Texel");
    EXPECT_EQ(values[1].second.text, u"/opt/b/libsuffolk.so");

    for (const char16_t* path :
         {u"Readers\\Maker A\\Model 1", u"Readers\\MAKER A\\Model 2", u"Readers\\maker b\\X"})
        ASSERT_TRUE(CSettingsKey::Create(HKEY_LOCAL_MACHINE, app + path));
    auto readers = CSettingsKey::Open(HKEY_LOCAL_MACHINE, app + u"readers");
    ASSERT_TRUE(readers);
    EXPECT_EQ(readers->SubkeyNames(), (std::vector<WString>{u"Maker A", u"maker b"}));
    auto makerA = readers->OpenSubkey(u"maker a");
    ASSERT_TRUE(makerA);
    EXPECT_EQ(makerA->SubkeyNames(), (std::vector<WString>{u"Model 1", u"Model 2"}));

    ASSERT_TRUE(readers->DeleteSubkey(u"Maker A"));
    EXPECT_EQ(readers->SubkeyNames(), std::vector<WString>{u"maker b"});
    ASSERT_TRUE(readers->DeleteSubkey(u"maker b"));
    // Deleting the last subkey leaves the key itself.
    EXPECT_TRUE(CSettingsKey::Open(HKEY_LOCAL_MACHINE, app + u"Readers"));
    EXPECT_FALSE(readers->DeleteSubkey(u"maker b"));
    EXPECT_FALSE(CSettingsKey::Open(HKEY_CURRENT_USER, app + u"Breeds"));
}

TEST_F(Settings, AnyCharactersSurviveTheFileAndBadLinesAreSkipped) {
    const WString key = u"Software\\Velmora\\Corvalen\\1.0\\Odd [key] = %41";
    const std::vector<std::pair<WString, WString>> odd = {
        {u"a=b", u"x=y"},
        {u"[not a key]", u"line\nbreak\r\ttab"},
        {u" spaced ", u" both ends "},
        {u"%41", u"%41 stays as typed"},
        {u"", u"the unnamed value"},
        {u"sz:dword:", WString(u"nul\0inside", 10)},
        {u"\u00e9\u4e2d", u"\U0001F411 \\ back\\slash"},
    };
    {
        auto k = CSettingsKey::Create(HKEY_CURRENT_USER, key);
        ASSERT_TRUE(k);
        for (const auto& [name, text] : odd) ASSERT_TRUE(k->SetString(name, text));
        ASSERT_TRUE(k->SetDWord(u"max", 0xFFFFFFFFu));
    }
    // A copy of the file in a fresh folder is read from disk, not from what this process remembers.
    const std::string copyDir = m_root + "/copy";
    fs::create_directories(copyDir);
    std::string bytes = ReadAll(m_root + "/user/settings.ini");
    bytes += "stray line\n[Software\\Broken\ndword:bad=12x\ndword:big=4294967296\nqq:x=1\nsz:noequals\n";
    bytes += "[Software\\Velmora\\Corvalen\\1.0\\Settings]\r\nsz:Unit=kg\r\nsz:Esc=%G1%4\r\n";
    std::ofstream(copyDir + "/settings.ini", std::ios::binary) << "sz:before=any key\n" << bytes;
    setenv("CVL_USER_CONFIG_DIR", copyDir.c_str(), 1);

    auto k = CSettingsKey::Open(HKEY_CURRENT_USER, key);
    ASSERT_TRUE(k);
    for (const auto& [name, text] : odd) {
        WString got;
        EXPECT_TRUE(k->QueryString(name, got)) << WToUtf8(name);
        EXPECT_EQ(got, text) << WToUtf8(name);
    }
    uint32_t n = 0;
    EXPECT_TRUE(k->QueryDWord(u"MAX", n));
    EXPECT_EQ(n, 0xFFFFFFFFu);
    EXPECT_EQ(k->Values().size(), odd.size() + 1);
    // The registry routine stops at the terminator.
    EXPECT_EQ(CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Odd [key] = %41", u"sz:dword:", u""), u"nul");

    EXPECT_EQ(CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u""), u"kg");
    EXPECT_EQ(CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"Esc", u""), u"%G1%4");
    EXPECT_FALSE(CSettingsKey::Open(HKEY_CURRENT_USER, u"Software\\Broken"));
    auto settings = CSettingsKey::Open(HKEY_CURRENT_USER, u"Software\\Velmora\\Corvalen\\1.0\\Settings");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->Values().size(), 2u);
    // A later write keeps what was good and drops the rest.
    ASSERT_TRUE(CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", u"Purchase", 1));
    const std::string rewritten = ReadAll(copyDir + "/settings.ini");
    EXPECT_EQ(rewritten.find("stray"), std::string::npos);
    EXPECT_EQ(CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u""), u"kg");
}

TEST_F(Settings, AFailedWriteLeavesTheOldFileAsItWas) {
    ASSERT_TRUE(CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u"kg"));
    const std::string path = m_root + "/user/settings.ini";
    const std::string before = ReadAll(path);

    // The file-size limit makes the write itself fail half-way, even for root.
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = before.size() + 100;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written =
        CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Settings", u"Unit", WString(4000, u'x'));
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u""), u"kg");
    int files = 0;
    for (const auto& entry : fs::directory_iterator(m_root + "/user"))
        if (entry.path().filename().string().rfind("settings.ini", 0) == 0) ++files;
    EXPECT_EQ(files, 1) << "a temporary file was left behind";

    // A store whose folder cannot exist refuses writes and reads defaults.
    std::ofstream(m_root + "/plain-file") << "x";
    setenv("CVL_MACHINE_CONFIG_DIR", (m_root + "/plain-file/sub").c_str(), 1);
    EXPECT_FALSE(CRegistrySettings::SetDWord(HKEY_LOCAL_MACHINE, u"Settings", u"EID Autoscan", 1));
    EXPECT_EQ(CRegistrySettings::GetDWord(HKEY_LOCAL_MACHINE, u"Settings", u"EID Autoscan", 0), 0u);
}

TEST_F(Settings, LocationsFollowTheEnvironment) {
    EXPECT_EQ(SettingsFilePath(HKEY_CURRENT_USER), m_root + "/user/settings.ini");
    EXPECT_EQ(SettingsDirectory(HKEY_LOCAL_MACHINE), m_root + "/machine");
    unsetenv("CVL_USER_CONFIG_DIR");
    unsetenv("CVL_MACHINE_CONFIG_DIR");
    setenv("XDG_CONFIG_HOME", (m_root + "/xdg").c_str(), 1);
    EXPECT_EQ(SettingsDirectory(HKEY_CURRENT_USER), m_root + "/xdg/Velmora/Corvalen/1.0");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", (m_root + "/home").c_str(), 1);
    EXPECT_EQ(SettingsDirectory(HKEY_CURRENT_USER), m_root + "/home/.config/Velmora/Corvalen/1.0");
    const std::string machine = SettingsDirectory(HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(machine.ends_with("etc/Velmora/Corvalen/1.0")) << machine;
}

TEST_F(Settings, ProfileEntriesLiveUnderTheApplicationTitle) {
    EXPECT_EQ(GetProfileInt(u"Settings", u"PreviewPages", 1), 1);
    ASSERT_TRUE(WriteProfileInt(u"Settings", u"PreviewPages", -2));
    ASSERT_TRUE(WriteProfileString(u"Recent File List", u"File1", u"/home/a/flock.cvl"));
    EXPECT_EQ(GetProfileInt(u"settings", u"previewpages", 1), -2);
    EXPECT_EQ(GetProfileString(u"Recent File List", u"File1"), u"/home/a/flock.cvl");
    EXPECT_EQ(CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Corvalen\\Recent File List", u"File1", u""),
              u"/home/a/flock.cvl");
    EXPECT_EQ(GetProfileInt(u"Recent File List", u"File1", 9), 9);
    ASSERT_TRUE(DeleteProfileEntry(u"Recent File List", u""));
    EXPECT_EQ(GetProfileString(u"Recent File List", u"File1", u"none"), u"none");
    EXPECT_EQ(GetProfileInt(u"Settings", u"PreviewPages", 1), -2);
}

TEST_F(Settings, ConcurrentWritersLoseNothing) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 8; ++i) {
                const WString name = u"v" + Utf8ToW(std::to_string(t * 100 + i));
                EXPECT_TRUE(CRegistrySettings::SetDWord(HKEY_CURRENT_USER, u"Settings", name, t * 100 + i));
                EXPECT_EQ(CRegistrySettings::GetDWord(HKEY_CURRENT_USER, u"Settings", name, 0xFFFF),
                          static_cast<uint32_t>(t * 100 + i));
            }
        });
    }
    for (auto& th : threads) th.join();
    auto key = CSettingsKey::Open(HKEY_CURRENT_USER, u"Software\\Velmora\\Corvalen\\1.0\\Settings");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->Values().size(), 32u);
}

TEST(UrlFormEncode, EncodesEveryByteButLettersAndDigits) {
    std::string s = "a b&c=d/\xC3\xA9";
    EXPECT_EQ(UrlFormEncode(s), 20u);
    EXPECT_EQ(s, "a+b%26c%3dd%2f%c3%a9");
    std::string all;
    for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
    UrlFormEncode(all);
    std::string expected;
    char buf[4];
    for (int c = 0; c < 256; ++c) {
        if (c == ' ')
            expected += '+';
        else if (isascii(c) && isalnum(c))
            expected += static_cast<char>(c);
        else {
            snprintf(buf, sizeof buf, "%%%02x", c);
            expected += buf;
        }
    }
    EXPECT_EQ(all, expected);
    std::string empty;
    EXPECT_EQ(UrlFormEncode(empty), 0u);
}

TEST_F(Settings, BinaryValuesKeepEveryByteAndStayApartFromText) {
    const WString path = u"Software\\Velmora\\Corvalen\\1.0\\Settings\\EID Configuration\\Default";
    std::vector<uint8_t> record(52);
    for (size_t i = 0; i < record.size(); ++i) record[i] = uint8_t(i * 37 + (i % 2 ? 0xFF : 0));
    record[3] = 0;
    record[51] = 0xFF;
    {
        auto k = CSettingsKey::Create(HKEY_CURRENT_USER, path);
        ASSERT_TRUE(k);
        ASSERT_TRUE(k->SetBinary(u"EID CommConfig", record));
        ASSERT_TRUE(k->SetBinary(u"Empty", {}));
        ASSERT_TRUE(k->SetString(u"EID Device", u"/dev/ttyUSB0;Maker;Model"));
    }
    // Read back from a copy on disk, with lines that are not bytes.
    const std::string copyDir = m_root + "/copy";
    fs::create_directories(copyDir);
    std::string bytes = ReadAll(m_root + "/user/settings.ini");
    bytes += "hex:odd=ABC\nhex:bad=0G\nhex:lower=0aff\n";
    std::ofstream(copyDir + "/settings.ini", std::ios::binary) << bytes;
    setenv("CVL_USER_CONFIG_DIR", copyDir.c_str(), 1);

    auto k = CSettingsKey::Open(HKEY_CURRENT_USER, path);
    ASSERT_TRUE(k);
    std::vector<uint8_t> got;
    ASSERT_TRUE(k->QueryBinary(u"eid commconfig", got));
    EXPECT_EQ(got, record);
    ASSERT_TRUE(k->QueryBinary(u"Empty", got));
    EXPECT_TRUE(got.empty());
    ASSERT_TRUE(k->QueryBinary(u"lower", got));
    EXPECT_EQ(got, (std::vector<uint8_t>{0x0A, 0xFF}));
    EXPECT_FALSE(k->QueryBinary(u"odd", got));
    EXPECT_FALSE(k->QueryBinary(u"bad", got));
    // Text is not bytes, and bytes are not text or a number.
    EXPECT_FALSE(k->QueryBinary(u"EID Device", got));
    WString text;
    uint32_t n = 0;
    EXPECT_FALSE(k->QueryString(u"EID CommConfig", text));
    EXPECT_FALSE(k->QueryDWord(u"EID CommConfig", n));
}
