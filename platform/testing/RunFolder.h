#pragma once
// A fresh folder of the running test in this process alone, under the build tree's test output:
// <area>/<suite>.<test>.<process id>. Two runs of the suite in one build tree, or two suites
// with a test of the same name, never empty or read each other's. The folder goes, with what is
// in it, when the object does. For test code only: it asks GoogleTest for the test's name.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class RunFolder {
public:
    explicit RunFolder(const std::string& area) : path_(Make(area, NameOfTheRunningTest())) {}
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string PathOf(const std::string& name) const { return (path_ / name).string(); }

private:
    static std::string NameOfTheRunningTest()
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        return test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "outside-a-test";
    }
    static std::filesystem::path Make(const std::string& area, std::string test);

    std::filesystem::path path_;
};
