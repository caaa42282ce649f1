#include "platform/install.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

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
