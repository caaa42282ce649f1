#include <filesystem>

#include "platform/settings.h"
#include "support/breed_plugin.h"

namespace fs = std::filesystem;

namespace {

// The machine-wide store in a fresh folder, as the install step sees it through the override.
class BreedRegistration : public ::testing::Test {
protected:
    static int Register(const std::vector<std::string>& args) { return RunRegisterTool(args); }
    static std::u16string Registered(const char16_t* breed) {
        return CRegistrySettings::GetString(HKEY_LOCAL_MACHINE, u"Breeds", breed, u"<none>");
    }

    ScopedSettingsFolder folder_;
};

std::u16string Wide(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

TEST_F(BreedRegistration, TheRegisteredPathLoadsThePlugIn) {
    std::string library = fs::path(BreedPlugin::Path()).lexically_normal().string();
    std::string relative = fs::relative(library).string();
    ASSERT_EQ(Register({"General Sheep", relative}), 0);
    ASSERT_EQ(Register({"Other Breed", "/opt/other/other.so"}), 0);

    // The list holds the full path, found without regard to the case of the breed's name.
    EXPECT_EQ(Registered(u"General Sheep"), Wide(library));
    EXPECT_EQ(Registered(u"general sheep"), Wide(library));
    EXPECT_EQ(Registered(u"Other Breed"), u"/opt/other/other.so");

    std::string path(WToUtf8(Registered(u"General Sheep")));
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto accept = reinterpret_cast<PFN_IsUnicodeDLL>(dlsym(module, "IsUnicodeDLL"));
    ASSERT_NE(accept, nullptr);
    EXPECT_EQ(accept(), 1);
    dlclose(module);

    // Registering again replaces the path; removing takes the breed out and leaves the others.
    ASSERT_EQ(Register({"General Sheep", "/usr/lib/corvalen/breeds/generalsheep.so"}), 0);
    EXPECT_EQ(Registered(u"General Sheep"), u"/usr/lib/corvalen/breeds/generalsheep.so");
    ASSERT_EQ(Register({"--remove", "General Sheep"}), 0);
    EXPECT_EQ(Registered(u"General Sheep"), u"<none>");
    EXPECT_EQ(Registered(u"Other Breed"), u"/opt/other/other.so");
    EXPECT_EQ(Register({"--remove", "General Sheep"}), 0);
}

TEST_F(BreedRegistration, BadArgumentsWriteNothing) {
    EXPECT_EQ(Register({}), 2);
    EXPECT_EQ(Register({"General Sheep"}), 2);
    EXPECT_EQ(Register({"", "/x.so"}), 2);
    EXPECT_EQ(Register({"General Sheep", ""}), 2);
    EXPECT_FALSE(fs::exists(SettingsFilePath(HKEY_LOCAL_MACHINE)));
}

}  // namespace
