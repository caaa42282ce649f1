#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "document/breed_plugin.h"
#include "records/breeds.h"
#include "platform/settings.h"

namespace {

// Machine-wide and per-user settings in a private folder for one test.
class PrivateSettings {
public:
    PrivateSettings() {
        m_root = std::filesystem::path(CVL_BINARY_DIR) / ("breed_settings_" + std::to_string(getpid()));
        std::filesystem::create_directories(m_root);
        setenv("CVL_MACHINE_CONFIG_DIR", (m_root / "machine").c_str(), 1);
        setenv("CVL_USER_CONFIG_DIR", (m_root / "user").c_str(), 1);
    }
    ~PrivateSettings() {
        unsetenv("CVL_MACHINE_CONFIG_DIR");
        unsetenv("CVL_USER_CONFIG_DIR");
        std::filesystem::remove_all(m_root);
    }

private:
    std::filesystem::path m_root;
};

std::string PlugIn(const char* name) {
    return std::string(CVL_TEST_PLUGIN_DIR) + "/" + name + ".so";
}

}  // namespace

TEST(BreedRegistry, BreedsNamesTheLibraryOfEachBreed) {
    PrivateSettings settings;
    ASSERT_TRUE(
        CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"Texel", Utf8ToW(PlugIn("breed_full"))));
    ASSERT_TRUE(CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"Lleyn",
                                             Utf8ToW(PlugIn("breed_older"))));
    // Per-user entries do not count.
    ASSERT_TRUE(CRegistrySettings::SetString(HKEY_CURRENT_USER, u"Breeds", u"Suffolk",
                                             Utf8ToW(PlugIn("breed_full"))));

    std::string path;
    EXPECT_TRUE(GetBreedLibraryPath(u"Texel", &path));
    EXPECT_EQ(path, PlugIn("breed_full"));

    CBreedPlugIn plugin;
    plugin.SetVersion(0x20000, 0);
    EXPECT_EQ(plugin.Load(u"Texel", false), BREED_LOADED);
    EXPECT_EQ(plugin.Load(u"Lleyn", false), BREED_FILE_NEWER);
    EXPECT_TRUE(plugin.IsLoaded());
    EXPECT_EQ(plugin.Load(u"Suffolk", false), BREED_NOT_REGISTERED);
    EXPECT_EQ(plugin.Load(u"Jacob", true), BREED_NOT_REGISTERED);
    EXPECT_TRUE(plugin.IsLoaded());
}

TEST(BreedRegistry, NoBreedsKeyAtAll) {
    PrivateSettings settings;
    std::string path = "unchanged";
    EXPECT_FALSE(GetBreedLibraryPath(u"Texel", &path));
    EXPECT_EQ(path, "unchanged");
    CBreedPlugIn plugin;
    EXPECT_EQ(plugin.Load(u"Texel", true), BREED_NOT_REGISTERED);
}
