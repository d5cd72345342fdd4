#include "core/config/ArchiveCheck.h"
#include "core/config/ConfigHolder.h"
#include "core/config/ConfigSections.h"
#include "platform/testing/RunFolder.h"
#include "platform/testing/FileSizeLimit.h"

#include <boost/archive/archive_exception.hpp>
#include <boost/archive/xml_archive_exception.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> FilesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ConfigStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ConfigSections.clear();
        run_.emplace("config_store");
        folder_ = run_->Path();
    }
    void TearDown() override
    {
        ConfigSections.clear();
        run_.reset();
    }

    std::optional<RunFolder> run_;
    fs::path folder_;
};

TEST_F(ConfigStore, SectionsAreStoredReplacedAndRestored)
{
    std::string text = "untouched";
    EXPECT_FALSE(RestoreSection("osc", text));
    EXPECT_EQ(text, "untouched");

    StoreSection("osc", "first");
    StoreSection("osc", "second");
    ASSERT_TRUE(RestoreSection("osc", text));
    EXPECT_EQ(text, "second");

    // The stream form empties the stream and leaves it ready to be read from the start.
    std::stringstream stream;
    stream << "old content";
    std::string skip;
    stream >> skip;
    ASSERT_TRUE(RestoreSection("osc", stream));
    EXPECT_EQ(stream.str(), "second");
    std::string word;
    stream >> word;
    EXPECT_EQ(word, "second");

    std::stringstream out;
    out << "from a stream";
    StoreSection("data_v2", out);
    ASSERT_TRUE(RestoreSection("data_v2", text));
    EXPECT_EQ(text, "from a stream");
}

TEST_F(ConfigStore, ArchiveRoundTripKeepsCyrillicAndMarkup)
{
    const std::string tricky = "Канал A & <B> \"кавычки\" 'и' ]]> конец";
    StoreSection("osc", "<?xml version=\"1.0\"?><x>вложенный архив</x>");
    StoreSection("data_v1", tricky);
    StoreSection("data_v1_common", "");

    std::stringstream file;
    WriteConfigArchive(file);
    EXPECT_NE(file.str().find("<config"), std::string::npos);
    EXPECT_NE(file.str().find("map_config"), std::string::npos);

    ConfigSections.clear();
    ReadConfigArchive(file.str());
    ASSERT_EQ(ConfigSections.size(), 3u);
    EXPECT_EQ(ConfigSections["data_v1"], tricky);
    EXPECT_EQ(ConfigSections["osc"], "<?xml version=\"1.0\"?><x>вложенный архив</x>");
    EXPECT_EQ(ConfigSections["data_v1_common"], "");
}

TEST_F(ConfigStore, GarbageAndTruncatedArchivesRaiseArchiveErrors)
{
    EXPECT_ANY_THROW(ReadConfigArchive("this is not xml at all <<<"));

    StoreSection("osc", "a");
    StoreSection("data_v3", "b");
    std::stringstream file;
    WriteConfigArchive(file);
    const std::string text = file.str();
    ConfigSections.clear();
    EXPECT_ANY_THROW(ReadConfigArchive(text.substr(0, text.size() / 2)));
    EXPECT_ANY_THROW(ReadConfigArchive(""));

    // Refused before the archive reads anything: the store stays empty.
    std::string longTag = text;
    longTag.replace(longTag.find("</first>"), 8, "</first" + std::string(50000, 'A') + ">");
    EXPECT_ANY_THROW(ReadConfigArchive(longTag));
    EXPECT_TRUE(ConfigSections.empty());
}

TEST_F(ConfigStore, FileGoesBesideTheProgramOrIntoTheUserFolder)
{
    EXPECT_EQ(ChooseConfigFolder("/opt/velkaro", true), "/opt/velkaro");

    const fs::path xdg = folder_ / "xdg";
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string savedValue = saved != nullptr ? saved : "";
    setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
    const std::string chosen = ChooseConfigFolder("/opt/velkaro", false);
    if (saved != nullptr)
        setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");

    EXPECT_EQ(chosen, (xdg / "velkaro").string());
    EXPECT_TRUE(fs::is_directory(xdg / "velkaro"));  // created on demand

    // The running test program's folder is writable, so the file sits beside it.
    const std::string path = GetConfigFilePath();
    EXPECT_EQ(fs::path(path).filename(), "velkaro_cfg.xml");
}

TEST_F(ConfigStore, ReplacingWritesWholeFilesAndAFailureKeepsTheOldOne)
{
    const std::string path = (folder_ / "velkaro_cfg.xml").string();
    ASSERT_TRUE(WriteFileReplacing(path, "old settings"));
    std::string content;
    ASSERT_TRUE(ReadWholeFile(path, content));
    EXPECT_EQ(content, "old settings");

    ASSERT_TRUE(WriteFileReplacing(path, "new settings"));
    ASSERT_TRUE(ReadWholeFile(path, content));
    EXPECT_EQ(content, "new settings");
    EXPECT_EQ(FilesIn(folder_), (std::vector<std::string>{"velkaro_cfg.xml"}));

    // A temporary file left behind by an earlier program is not in the way.
    std::ofstream(path + ".tmp." + std::to_string(::getpid()) + ".0") << "stale";
    std::ofstream(path + ".tmp") << "stale";
    ASSERT_TRUE(WriteFileReplacing(path, "newer settings"));
    ASSERT_TRUE(ReadWholeFile(path, content));
    EXPECT_EQ(content, "newer settings");

    // The disk refuses the new file half-way: the settings survive and nothing is left behind.
    fs::remove(path + ".tmp");
    fs::remove(path + ".tmp." + std::to_string(::getpid()) + ".0");
    {
        const FileSizeLimit limit(4);
        EXPECT_FALSE(WriteFileReplacing(path, "lost settings"));
    }
    ASSERT_TRUE(ReadWholeFile(path, content));
    EXPECT_EQ(content, "newer settings");
    EXPECT_EQ(FilesIn(folder_), (std::vector<std::string>{"velkaro_cfg.xml"}));

    // Nor when a second name links to the settings, where a user's file would be written in place.
    const fs::path second = folder_ / "settings-backup.xml";
    fs::create_hard_link(path, second);
    {
        const FileSizeLimit limit(4);
        EXPECT_FALSE(WriteFileReplacing(path, "lost settings"));
    }
    ASSERT_TRUE(ReadWholeFile(path, content));
    EXPECT_EQ(content, "newer settings");
    fs::remove(second);

    // The name is taken by a folder: the rename fails and the temporary file goes.
    const fs::path blocked = folder_ / "blocked";
    fs::create_directories(blocked / "inside");
    EXPECT_FALSE(WriteFileReplacing(blocked.string(), "x"));
    EXPECT_EQ(FilesIn(folder_), (std::vector<std::string>{"blocked", "velkaro_cfg.xml"}));

    // A folder that does not exist.
    EXPECT_FALSE(WriteFileReplacing((folder_ / "missing" / "velkaro_cfg.xml").string(), "x"));
    EXPECT_FALSE(WriteFileReplacing("", "x"));
    EXPECT_FALSE(ReadWholeFile((folder_ / "missing.xml").string(), content));
}

TEST_F(ConfigStore, ReadingStopsAtTheCap)
{
    const std::string path = (folder_ / "velkaro_cfg.xml").string();
    std::string content = "kept";
    EXPECT_EQ(ReadFileUpTo(path, 100, content), FileReadResult::Missing);
    EXPECT_EQ(ReadFileUpTo(folder_.string(), 100, content), FileReadResult::Missing);  // a folder
    const std::string pipe = (folder_ / "pipe").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(ReadFileUpTo(pipe, 100, content), FileReadResult::Missing);  // no writer: no hang
    EXPECT_EQ(content, "kept");

    ASSERT_TRUE(WriteFileReplacing(path, std::string(100, 'x')));
    EXPECT_EQ(ReadFileUpTo(path, 100, content), FileReadResult::Read);
    EXPECT_EQ(content, std::string(100, 'x'));
    content = "kept";
    EXPECT_EQ(ReadFileUpTo(path, 99, content), FileReadResult::TooLarge);
    EXPECT_EQ(content, "kept");

    // 100 MB (sparse, so the test costs no disk) is refused by its size, not read.
    {
        std::ofstream big(path, std::ios::binary | std::ios::trunc);
    }
    fs::resize_file(path, std::uintmax_t{100} << 20);
    EXPECT_EQ(ReadFileUpTo(path, kMaxConfigFileBytes, content), FileReadResult::TooLarge);
    EXPECT_EQ(content, "kept");
}

}  // namespace
