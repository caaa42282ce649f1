// A test program's own settings folders (removed at the end) and a fixed time zone away from UTC.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

class CTempSettingsEnvironment : public ::testing::Environment {
public:
    explicit CTempSettingsEnvironment(std::string name) : m_name(std::move(name)) {}
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() / (m_name + "_" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir / "user");
        std::filesystem::create_directories(m_dir / "machine");
        setenv("CVL_USER_CONFIG_DIR", (m_dir / "user").c_str(), 1);
        setenv("CVL_MACHINE_CONFIG_DIR", (m_dir / "machine").c_str(), 1);
        // Three hours west of UTC all year: conversions have something to do and no DST edge.
        setenv("TZ", "<-03>3", 1);
        tzset();
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }

private:
    std::string m_name;
    std::filesystem::path m_dir;
};
