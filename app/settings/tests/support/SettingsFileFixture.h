#pragma once
// A test with a fresh data model, an empty section store and its own settings file path under
// the build tree's test output, in a folder of this test in this process alone.

#include "core/config/ConfigSections.h"
#include "core/data/OscData.h"
#include "platform/testing/RunFolder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

class SettingsFileFixture : public ::testing::Test {
protected:
    explicit SettingsFileFixture(const char* folderName) : folderName_(folderName) {}

    void SetUp() override
    {
        DeleteOscData();
        ConfigSections.clear();
        folder_.emplace(folderName_);
        path_ = folder_->PathOf("velkaro_cfg.xml");
    }
    void TearDown() override
    {
        DeleteOscData();
        ConfigSections.clear();
        folder_.reset();
    }

    std::string path_;

private:
    const char* folderName_;
    std::optional<RunFolder> folder_;
};
