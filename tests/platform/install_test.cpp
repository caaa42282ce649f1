#include "platform/install.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include <unistd.h>

#include "platform/settings.h"
#include "platform/text.h"

namespace {

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        prefix = std::filesystem::temp_directory_path() / ("cvl_install_" + std::to_string(getpid()));
        std::filesystem::remove_all(prefix);
        std::filesystem::create_directories(prefix / "bin");
        setenv("CVL_INSTALL_PREFIX", prefix.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("CVL_INSTALL_PREFIX");
        std::filesystem::remove_all(prefix);
    }
    void WriteList(const std::string& text) {
        std::filesystem::create_directories((prefix / kCvlComponentList).parent_path());
        std::ofstream(prefix / kCvlComponentList) << text;
    }
    std::filesystem::path prefix;
};

}  // namespace

TEST_F(InstallTest, InstalledOnlyWithTheComponentList) {
    EXPECT_EQ(CvlInstallPrefix(), prefix.string());
    EXPECT_FALSE(CvlIsInstalled());
    WriteList("Dedov=bin/Dedov\n");
    EXPECT_TRUE(CvlIsInstalled());
}

TEST_F(InstallTest, ComponentPathsResolveUnderThePrefixWhenPresent) {
    std::ofstream(prefix / "bin" / "Dedov") << "x";
    WriteList("Other=bin/other\r\nDedov=bin/Dedov\nbroken line\n");
    EXPECT_EQ(CvlGetComponentPath("Dedov"), (prefix / "bin" / "Dedov").string());
    EXPECT_EQ(CvlGetComponentPath("Other"), std::nullopt);  // listed, but its file is missing
    EXPECT_EQ(CvlGetComponentPath("Ded"), std::nullopt);
    EXPECT_EQ(CvlGetComponentPath("Absent"), std::nullopt);
}

namespace {

class RepairTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        machine = prefix / "machine";
        std::filesystem::create_directories(machine);
        setenv("CVL_MACHINE_CONFIG_DIR", machine.c_str(), 1);
        for (const char* file : {"bin/Dedov", "lib/corvalen/breeds/general.so", "lib/corvalen/readers/wyndrace.so"}) {
            std::filesystem::create_directories((prefix / file).parent_path());
            std::ofstream(prefix / file) << "x";
        }
        WriteList(
            "Dedov=bin/Dedov\nSchema=share/corvalen/corvalen.xsd\n"
            "Breed:General Sheep=lib/corvalen/breeds/general.so\n"
            "Reader:Wyndrace|2S|7=lib/corvalen/readers/wyndrace.so\n"
            "Reader:Broken=lib/corvalen/readers/wyndrace.so\n");
    }
    void TearDown() override {
        std::filesystem::permissions(machine, std::filesystem::perms::owner_all);
        unsetenv("CVL_MACHINE_CONFIG_DIR");
        InstallTest::TearDown();
    }
    WString Breed() { return CRegistrySettings::GetString(HKEY_LOCAL_MACHINE, u"Breeds", u"General Sheep", u""); }
    WString Library(const char* relative) { return Utf8ToW((prefix / relative).string()); }

    std::filesystem::path machine;
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(RepairTest, RegistrationsOfPresentPlugInsAreWrittenAgainAndMissingFilesReported) {
    const std::string breed = "Breed:General Sheep", reader = "Reader:Wyndrace|2S|7";
    CInstallRepair repair = CvlDetectAndRepair();
    EXPECT_TRUE(repair.installed);
    EXPECT_EQ(repair.missing, Names{"Schema"});
    EXPECT_EQ(repair.restored, (Names{breed, reader}));
    EXPECT_TRUE(repair.failed.empty());
    EXPECT_FALSE(repair.Sound());
    EXPECT_EQ(Breed(), Library("lib/corvalen/breeds/general.so"));
    const WString readerKey = u"Readers\\Wyndrace\\2S";
    EXPECT_EQ(CRegistrySettings::GetString(HKEY_LOCAL_MACHINE, readerKey, u"", u""),
              Library("lib/corvalen/readers/wyndrace.so"));
    EXPECT_EQ(CRegistrySettings::GetDWord(HKEY_LOCAL_MACHINE, readerKey, u"Supported Modes", 0), 7u);

    // What stands is left; what is broken is written again.
    const struct {
        const char* what;
        std::function<void()> damage;
        Names restored;
    } cases[] = {
        {"nothing broken", [] {}, {}},
        {"breed names a lost library",
         [] { CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"General Sheep", u"/gone/general.so"); },
         {breed}},
        {"breed stored as a number",
         [] { CRegistrySettings::SetDWord(HKEY_LOCAL_MACHINE, u"Breeds", u"General Sheep", 1); }, {breed}},
        {"breed names another library that is there",
         [this] {
             CRegistrySettings::SetString(HKEY_LOCAL_MACHINE, u"Breeds", u"General Sheep", Library("bin/Dedov"));
         },
         {}},
        {"reader without its modes",
         [&] {
             CSettingsKey::Open(HKEY_LOCAL_MACHINE, WString(CRegistrySettings::AppKeyPath) + readerKey)
                 ->DeleteValue(u"Supported Modes");
         },
         {reader}},
    };
    for (const auto& c : cases) {
        c.damage();
        repair = CvlDetectAndRepair();
        EXPECT_EQ(repair.restored, c.restored) << c.what;
    }
    EXPECT_EQ(Breed(), Library("bin/Dedov")) << "a breed the user pointed elsewhere keeps its library";

    std::filesystem::create_directories(prefix / "share/corvalen");
    std::ofstream(prefix / "share/corvalen/corvalen.xsd") << "x";
    EXPECT_TRUE(CvlDetectAndRepair().Sound());

    std::filesystem::remove(prefix / "lib/corvalen/breeds/general.so");
    repair = CvlDetectAndRepair();
    EXPECT_EQ(repair.missing, Names{breed}) << "a plug-in whose library is gone is not registered";
    EXPECT_TRUE(repair.restored.empty());
}

TEST_F(RepairTest, SettingsThatCannotBeWrittenAndAnUninstalledLayoutAreReported) {
    if (geteuid() != 0) {
        std::filesystem::permissions(machine, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        const CInstallRepair repair = CvlDetectAndRepair();
        EXPECT_EQ(repair.failed, (Names{"Breed:General Sheep", "Reader:Wyndrace|2S|7"}));
        EXPECT_FALSE(repair.Sound());
        std::filesystem::permissions(machine, std::filesystem::perms::owner_all);
    }
    std::filesystem::remove(prefix / kCvlComponentList);
    const CInstallRepair repair = CvlDetectAndRepair();
    EXPECT_FALSE(repair.installed);
    EXPECT_FALSE(repair.Sound());
}
