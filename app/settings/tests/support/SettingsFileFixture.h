#pragma once
// A test with a fresh data model, an empty section store and its own settings file path under
// the build tree's test output, named after the test.

#include "core/config/ConfigSections.h"
#include "core/data/OscData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class SettingsFileFixture : public ::testing::Test {
protected:
    explicit SettingsFileFixture(const char* folderName) : folderName_(folderName) {}

    void SetUp() override
    {
        DeleteOscData();
        ConfigSections.clear();
        const std::filesystem::path folder = std::filesystem::path(VELKARO_TEST_OUTPUT_DIR) / folderName_
                                             / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        path_ = (folder / "velkaro_cfg.xml").string();
    }
    void TearDown() override
    {
        DeleteOscData();
        ConfigSections.clear();
    }

    std::string path_;

private:
    const char* folderName_;
};
