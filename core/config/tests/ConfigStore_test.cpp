#include "core/config/ConfigHolder.h"
#include "core/config/ConfigSections.h"

#include <boost/archive/archive_exception.hpp>
#include <boost/archive/xml_archive_exception.hpp>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class ConfigStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ConfigSections.clear();
        folder_ = fs::path(VELKARO_TEST_OUTPUT_DIR) / "config_store" / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { ConfigSections.clear(); }

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
    ReadConfigArchive(file);
    ASSERT_EQ(ConfigSections.size(), 3u);
    EXPECT_EQ(ConfigSections["data_v1"], tricky);
    EXPECT_EQ(ConfigSections["osc"], "<?xml version=\"1.0\"?><x>вложенный архив</x>");
    EXPECT_EQ(ConfigSections["data_v1_common"], "");
}

TEST_F(ConfigStore, GarbageAndTruncatedArchivesRaiseArchiveErrors)
{
    std::stringstream garbage("this is not xml at all <<<");
    EXPECT_ANY_THROW(ReadConfigArchive(garbage));

    StoreSection("osc", "a");
    StoreSection("data_v3", "b");
    std::stringstream file;
    WriteConfigArchive(file);
    const std::string text = file.str();
    std::stringstream truncated(text.substr(0, text.size() / 2));
    ConfigSections.clear();
    EXPECT_ANY_THROW(ReadConfigArchive(truncated));

    std::stringstream empty;
    EXPECT_ANY_THROW(ReadConfigArchive(empty));
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
    EXPECT_FALSE(fs::exists(path + ".tmp"));

    // Something in the way of the temporary file: the save fails and the settings survive.
    fs::create_directory(path + ".tmp");
    EXPECT_FALSE(WriteFileReplacing(path, "lost settings"));
    ASSERT_TRUE(ReadWholeFile(path, content));
    EXPECT_EQ(content, "new settings");

    // A folder that does not exist.
    EXPECT_FALSE(WriteFileReplacing((folder_ / "missing" / "velkaro_cfg.xml").string(), "x"));
    EXPECT_FALSE(WriteFileReplacing("", "x"));
    EXPECT_FALSE(ReadWholeFile((folder_ / "missing.xml").string(), content));
}

}  // namespace
