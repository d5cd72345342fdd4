// Whole-file replacement: what a reader finds under the name after a write that worked, and
// after one that a full disk or a missing folder stopped.

#include "platform/kernel/FileReplace.h"
#include "platform/testing/SmallTmpfs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

std::set<std::string> NamesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

class FileReplaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("velkaro-replace-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

TEST_F(FileReplaceTest, ReplacesTheWholeFileKeepingItsPermissionsAndLinks)
{
    const std::string path = PathOf("report.txt");
    EXPECT_EQ(ReplaceFileContents(path, "one\ntwo\n", CFile::typeText), FileWriteResult::Written);
    EXPECT_EQ(ReadFile(path), "one\r\ntwo\r\n");

    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    EXPECT_EQ(ReplaceFileContents(path, "x\n"), FileWriteResult::Written);
    EXPECT_EQ(ReadFile(path), "x\n") << "binary unless asked for text";
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    // Saving through a link replaces the file it points to; the link stays a link.
    const std::string link = PathOf("latest.txt");
    fs::create_symlink(path, link);
    EXPECT_EQ(ReplaceFileContents(link, "through the link"), FileWriteResult::Written);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(path), "through the link");
    EXPECT_EQ(NamesIn(dir_.string()), (std::set<std::string>{"latest.txt", "report.txt"}));
}

TEST_F(FileReplaceTest, WhatCannotBeCreatedIsToldFromWhatCannotBeWritten)
{
    CFileException error;
    EXPECT_EQ(ReplaceFileContents(PathOf("missing/report.txt"), "x", CFile::typeText, &error),
              FileWriteResult::NotCreated);
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(ReplaceFileContents("", "x"), FileWriteResult::NotCreated);

    // A folder under the name cannot be opened as a file; nothing is left beside it.
    fs::create_directories(dir_ / "taken" / "inside");
    EXPECT_EQ(ReplaceFileContents(PathOf("taken"), "x", CFile::typeBinary, &error), FileWriteResult::NotCreated);
    EXPECT_EQ(error.m_strFileName, PathOf("taken"));
    EXPECT_EQ(NamesIn(dir_.string()), (std::set<std::string>{"taken"}));

    // A device takes the bytes itself and stays a device: the full one refuses them.
    if (fs::is_character_file("/dev/full")) {
        EXPECT_EQ(ReplaceFileContents("/dev/full", std::string(100, 'x'), CFile::typeText, &error),
                  FileWriteResult::NotWritten);
        EXPECT_EQ(error.m_cause, CFileException::diskFull);
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
}

TEST(FileReplaceFullDisk, KeepsTheEarlierFileAndLeavesNoTemporary)
{
    SmallTmpfs disk(64 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    // More than the 8 KiB left free, and more than the write pieces of the text translation.
    std::string content;
    for (int i = 0; content.size() < 40000; ++i) content += "line " + std::to_string(i) + "\n";
    const std::string earlier = "earlier content\r\n";
    for (std::uint64_t free : {std::uint64_t{0}, std::uint64_t{8192}}) {
        for (bool hadEarlier : {true, false}) {
            SCOPED_TRACE(std::to_string(free) + " bytes free, " + (hadEarlier ? "replacing" : "new file"));
            disk.Clear();
            const std::string path = disk.PathOf("report.txt");
            if (hadEarlier) WriteFile(path, earlier);
            ASSERT_TRUE(disk.LeaveFree(free)) << disk.FreeBytes();
            CFileException error;
            EXPECT_EQ(ReplaceFileContents(path, content, CFile::typeText, &error), FileWriteResult::NotWritten);
            EXPECT_EQ(error.m_cause, CFileException::diskFull);
            EXPECT_EQ(error.m_strFileName, path);
            if (hadEarlier) {
                EXPECT_EQ(ReadFile(path), earlier);
                EXPECT_EQ(NamesIn(disk.Path()), (std::set<std::string>{"filler", "report.txt"}));
            } else {
                EXPECT_EQ(NamesIn(disk.Path()), (std::set<std::string>{"filler"}));
            }
            EXPECT_EQ(disk.FreeBytes(), free) << "the temporary file's pages are given back";
        }
    }
    // With the room it needs, the same write goes through.
    disk.Clear();
    EXPECT_EQ(ReplaceFileContents(disk.PathOf("report.txt"), content), FileWriteResult::Written);
    EXPECT_EQ(ReadFile(disk.PathOf("report.txt")), content);
}

}  // namespace
