// The record tests run with their own settings folders, an empty picture folder and a fixed time
// zone away from UTC.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "records/app_services.h"

namespace {

class RecordsEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("cvl_records_test_" + std::to_string(::getpid()));
        for (const char* sub : {"user", "machine", "pictures"})
            std::filesystem::create_directories(dir_ / sub);
        setenv("CVL_USER_CONFIG_DIR", (dir_ / "user").c_str(), 1);
        setenv("CVL_MACHINE_CONFIG_DIR", (dir_ / "machine").c_str(), 1);
        setenv("CVL_TEST_PICTURES", (dir_ / "pictures").c_str(), 1);
        CSheepAppServices::Get().SetImageSearchPath({Utf8ToW((dir_ / "pictures").string())});
        // Three hours west of UTC all year: conversions have something to do and no DST edge.
        setenv("TZ", "<-03>3", 1);
        tzset();
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

private:
    std::filesystem::path dir_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new RecordsEnvironment);

}  // namespace
