// Two programs that save the settings file at the same moment: each save must leave one
// complete file, never a mixture of both or a cut-off one.

#include "core/config/ConfigHolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kWriters = 2;
constexpr int kSavesPerWriter = 150;
constexpr std::size_t kBodyBytes = 128 * 1024;  // large enough for saves to overlap

// "<writer>.<save>\n", then a body that depends on both, then "end\n".
std::string Snapshot(int writer, int save)
{
    std::string text = std::to_string(writer) + "." + std::to_string(save) + "\n";
    text.append(kBodyBytes, static_cast<char>('a' + (writer * 7 + save) % 26));
    return text + "end\n";
}

bool IsCompleteSnapshot(const std::string& text)
{
    const std::size_t dot = text.find('.');
    const std::size_t line = text.find('\n');
    if (dot == std::string::npos || line == std::string::npos || dot > line) return false;
    try {
        return text == Snapshot(std::stoi(text.substr(0, dot)), std::stoi(text.substr(dot + 1, line - dot - 1)));
    } catch (const std::exception&) {
        return false;
    }
}

TEST(ConfigFileThreaded, SimultaneousSavesNeverTearTheFile)
{
    // A folder of this process's own: a second run of the suite in the same build tree must not
    // empty it under this one's writers.
    const fs::path folder = fs::path(VELKARO_TEST_OUTPUT_DIR) / ("config_file_threaded." + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string path = (folder / "velkaro_cfg.xml").string();
    ASSERT_TRUE(WriteFileReplacing(path, Snapshot(9, 0)));

    std::atomic<int> failedSaves{0};
    std::atomic<int> tornReads{0};
    std::vector<std::thread> writers;
    for (int writer = 0; writer < kWriters; ++writer) {
        writers.emplace_back([&, writer] {
            for (int save = 0; save < kSavesPerWriter; ++save) {
                if (!WriteFileReplacing(path, Snapshot(writer, save))) ++failedSaves;
                std::string seen;
                if (!ReadWholeFile(path, seen) || !IsCompleteSnapshot(seen)) ++tornReads;
            }
        });
    }
    for (std::thread& writer : writers) writer.join();

    EXPECT_EQ(failedSaves.load(), 0);
    EXPECT_EQ(tornReads.load(), 0);
    std::string last;
    ASSERT_TRUE(ReadWholeFile(path, last));
    EXPECT_TRUE(IsCompleteSnapshot(last));
    // Every temporary file was renamed: only the settings file is left.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"velkaro_cfg.xml"}));
    fs::remove_all(folder);
}

}  // namespace
