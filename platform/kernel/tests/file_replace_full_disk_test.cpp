// A full disk, a quota or a limit on a file's size stopping a save: the file under the name
// holds what it held, whether it was to be replaced through a new file or written in place (it
// has a second hard link), on a file system that sets room aside (tmpfs), on one that cannot
// (ext2), and with holes in the old file that need room of their own before they take bytes.

#include "platform/kernel/FileReplace.h"
#include "platform/testing/FileSizeLimit.h"
#include "platform/testing/LoopExt2.h"
#include "platform/testing/RunFolder.h"
#include "platform/testing/SmallTmpfs.h"
#include "support/SaveFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Lines(std::size_t bytes)
{
    std::string content;
    for (int i = 0; content.size() < bytes; ++i) content += "line " + std::to_string(i) + "\n";
    content.resize(bytes);
    return content;
}

// A file of `size` bytes whose first `data` bytes are letters and the rest a hole; returns
// what it reads as.
std::string MakeSparse(const std::string& path, std::size_t data, std::size_t size)
{
    std::string letters;
    for (std::size_t i = 0; i < data; ++i) letters.push_back(static_cast<char>('a' + i % 26));
    WriteFile(path, letters);
    EXPECT_EQ(::truncate(path.c_str(), static_cast<off_t>(size)), 0);
    return letters + std::string(size - data, '\0');
}

std::uint64_t AllocatedBytes(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return static_cast<std::uint64_t>(info.st_blocks) * 512;
}

// The cases every disk must pass. `makeFull` takes the last free byte of a disk that holds
// `path` and a second link to it.
template <typename Disk, typename Fill>
void ExpectInPlaceSavesKeepTheFileWhenTheDiskIsFull(Disk& disk, Fill makeFull, bool dense)
{
    const std::string path = disk.PathOf("report.csv");
    std::string earlier;
    if (dense) {
        // Longer new content than the pages the old one holds: the rest must be found first.
        earlier = std::string(6000, 'e');
        WriteFile(path, earlier);
    } else {
        // Shorter new content than the old size, but longer than the old data: the hole it
        // would be written into needs room too.
        earlier = MakeSparse(path, 4096, 40000);
    }
    ASSERT_EQ(::link(path.c_str(), disk.PathOf("second.csv").c_str()), 0);
    ASSERT_TRUE(makeFull());
    const std::uint64_t allocated = AllocatedBytes(path);
    CFileException error;
    EXPECT_EQ(ReplaceFileContents(path, Lines(dense ? 20000 : 23749), CFile::typeBinary, &error),
              FileWriteResult::NotWritten);
    EXPECT_EQ(error.m_cause, CFileException::diskFull);
    const std::string now = ReadFile(path);
    EXPECT_EQ(now.size(), earlier.size());
    std::size_t changed = 0;
    for (std::size_t i = 0; i < std::min(now.size(), earlier.size()); ++i) changed += now[i] != earlier[i];
    EXPECT_EQ(changed, 0u) << "of the earlier bytes were overwritten";
    EXPECT_EQ(disk.FreeBytes(), 0u);
    if (!dense) {
        EXPECT_EQ(AllocatedBytes(path), allocated) << "the holes filled for the save are given back";
    }
    std::set<std::string> names = NamesIn(disk.Path());
    names.erase("lost+found");
    EXPECT_EQ(names, (std::set<std::string>{"filler", "report.csv", "second.csv"}));

    // Shorter content than the data the file holds needs no room it does not have.
    EXPECT_EQ(ReplaceFileContents(path, "short"), FileWriteResult::Written);
    EXPECT_EQ(ReadFile(disk.PathOf("second.csv")), "short");
}

// With room, the same saves go through, text translated on the way, also where a file system
// without a reservation is written past the old end first and its holes filled.
template <typename Disk>
void ExpectInPlaceSavesWithRoomAreWhole(Disk& disk, bool dense)
{
    const std::string path = disk.PathOf("report.csv");
    if (dense)
        WriteFile(path, std::string(6000, 'e'));
    else
        MakeSparse(path, 4096, 40000);
    ASSERT_EQ(::link(path.c_str(), disk.PathOf("second.csv").c_str()), 0);
    // Longer than the translation's slices, so that the slice the old end falls in is split.
    const std::string content = Lines(dense ? 40000 : 23749);
    CFileException error;
    EXPECT_EQ(ReplaceFileContents(path, content, CFile::typeText, &error), FileWriteResult::Written)
        << error.GetErrorMessage();
    std::string stored;
    for (char c : content) {
        if (c == '\n') stored.push_back('\r');
        stored.push_back(c);
    }
    EXPECT_TRUE(ReadFile(disk.PathOf("second.csv")) == stored) << "the content written in place is not the save's";
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


TEST(FileReplaceFullDisk, AFileWrittenInPlaceOnTmpfsKeepsItsContentWhenTheRoomIsNotThere)
{
    for (bool dense : {true, false}) {
        SCOPED_TRACE(dense ? "dense" : "sparse");
        SmallTmpfs disk(64 * 1024);
        if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
        ExpectInPlaceSavesKeepTheFileWhenTheDiskIsFull(disk, [&] { return disk.LeaveFree(0); }, dense);
        disk.Clear();
        ExpectInPlaceSavesWithRoomAreWhole(disk, dense);
    }
}

// ext2 cannot set room aside (no fallocate): the writer has to find it by writing.
TEST(FileReplaceFullDisk, AFileWrittenInPlaceOnExt2KeepsItsContentWhenTheRoomIsNotThere)
{
    for (bool dense : {true, false}) {
        SCOPED_TRACE(dense ? "dense" : "sparse");
        {
            LoopExt2 disk(512 * 1024);
            if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
            ExpectInPlaceSavesKeepTheFileWhenTheDiskIsFull(disk, [&] { return disk.FillUp(); }, dense);
        }
        LoopExt2 disk(512 * 1024);
        ExpectInPlaceSavesWithRoomAreWhole(disk, dense);
    }
}

// The limit on a file's size stands for a full disk for any user, root or not.
TEST(FileReplaceSizeLimit, AFileWrittenInPlaceKeepsItsContentWhenItMayNotGrowSoFar)
{
    const RunFolder folder("file-replace");
    const std::string path = folder.PathOf("report.csv");
    const std::string earlier(6000, 'e');
    WriteFile(path, earlier);
    ASSERT_EQ(::link(path.c_str(), folder.PathOf("second.csv").c_str()), 0);
    {
        const FileSizeLimit limit(8192);
        ASSERT_TRUE(limit.Set());
        CFileException error;
        EXPECT_EQ(ReplaceFileContents(path, Lines(20000), CFile::typeText, &error), FileWriteResult::NotWritten);
        EXPECT_EQ(error.m_lOsError, EFBIG);
        EXPECT_TRUE(ReadFile(path) == earlier) << "the earlier content is overwritten";
        // Within the limit the save goes through.
        EXPECT_EQ(ReplaceFileContents(path, Lines(8000)), FileWriteResult::Written);
    }
    EXPECT_EQ(ReadFile(folder.PathOf("second.csv")), Lines(8000));
    EXPECT_EQ(NamesIn(folder.Path().string()), (std::set<std::string>{"report.csv", "second.csv"}));
}

TEST(FileReplaceSizeLimit, KeepsTheEarlierFileAndLeavesNoTemporary)
{
    const RunFolder folder("file-replace");
    const std::string path = folder.PathOf("report.txt");
    const std::string content = Lines(40000);
    for (bool hadEarlier : {true, false}) {
        SCOPED_TRACE(hadEarlier ? "replacing" : "new file");
        if (hadEarlier) WriteFile(path, "earlier content\r\n");
        const FileSizeLimit limit(8192);
        ASSERT_TRUE(limit.Set());
        CFileException error;
        EXPECT_EQ(ReplaceFileContents(path, content, CFile::typeText, &error), FileWriteResult::NotWritten);
        EXPECT_EQ(error.m_lOsError, EFBIG);
        EXPECT_EQ(error.m_strFileName, path);
        if (hadEarlier) {
            EXPECT_EQ(ReadFile(path), "earlier content\r\n");
            EXPECT_EQ(NamesIn(folder.Path().string()), (std::set<std::string>{"report.txt"}));
            ASSERT_EQ(::unlink(path.c_str()), 0);
        } else {
            EXPECT_TRUE(NamesIn(folder.Path().string()).empty());
        }
    }
}

}  // namespace
