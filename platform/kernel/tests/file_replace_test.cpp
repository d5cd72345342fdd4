// Whole-file replacement: what a reader finds under the name after a write that worked, and
// after one that a failing flush or a missing folder stopped (a full disk has tests of its own);
// and that a save keeps the file what it was (owner, links, attributes, the link that leads to
// it), writing in place where a new file could not.

#include "platform/kernel/FileReplace.h"
#include "support/SaveFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <grp.h>
#include <set>
#include <stdexcept>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct stat StatOf(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info;
}

// The umask of the test, given back when it ends.
class Umask {
public:
    explicit Umask(mode_t mask) : previous_(::umask(mask)) {}
    ~Umask() { ::umask(previous_); }
    Umask(const Umask&) = delete;
    Umask& operator=(const Umask&) = delete;

private:
    mode_t previous_;
};

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
    void TearDown() override
    {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

TEST_F(FileReplaceTest, ReplacesTheWholeFileKeepingItsPermissionsAndLinks)
{
    const Umask mask(027);
    const std::string path = PathOf("report.txt");
    EXPECT_EQ(ReplaceFileContents(path, "one\ntwo\n", CFile::typeText), FileWriteResult::Written);
    EXPECT_EQ(ReadFile(path), "one\r\ntwo\r\n");
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0640u) << "a new file gets what a plain create gives";

    ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
    EXPECT_EQ(ReplaceFileContents(path, "x\n"), FileWriteResult::Written);
    EXPECT_EQ(ReadFile(path), "x\n") << "binary unless asked for text";
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0604u) << "kept, though the umask would narrow it";

    // Saving through a link replaces the file it points to; the link stays a link.
    const std::string link = PathOf("latest.txt");
    fs::create_symlink(path, link);
    EXPECT_EQ(ReplaceFileContents(link, "through the link"), FileWriteResult::Written);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(path), "through the link");
    EXPECT_EQ(NamesIn(dir_.string()), (std::set<std::string>{"latest.txt", "report.txt"}));
}

TEST_F(FileReplaceTest, ADanglingLinkStaysAndTheFileItNamesIsMade)
{
    const Umask mask(022);
    // Relative links count from their own folder, through a chain of them.
    fs::create_directories(dir_ / "reports");
    fs::create_directories(dir_ / "shortcuts");
    fs::create_symlink("../reports/day1.csv", dir_ / "shortcuts" / "today.csv");
    fs::create_symlink("shortcuts/today.csv", dir_ / "latest.csv");
    EXPECT_EQ(ReplaceFileContents(PathOf("latest.csv"), "a;b\n", CFile::typeText), FileWriteResult::Written);
    EXPECT_TRUE(fs::is_symlink(PathOf("latest.csv")));
    EXPECT_TRUE(fs::is_symlink(PathOf("shortcuts/today.csv")));
    EXPECT_EQ(ReadFile(PathOf("reports/day1.csv")), "a;b\r\n");
    EXPECT_EQ(StatOf(PathOf("reports/day1.csv")).st_mode & 07777, 0644u);
    EXPECT_EQ(NamesIn(PathOf("reports")), (std::set<std::string>{"day1.csv"}));

    // Written again through the same links, now to a file that exists.
    EXPECT_EQ(ReplaceFileContents(PathOf("latest.csv"), "c;d\n", CFile::typeText), FileWriteResult::Written);
    EXPECT_EQ(ReadFile(PathOf("reports/day1.csv")), "c;d\r\n");
    EXPECT_TRUE(fs::is_symlink(PathOf("latest.csv")));

    // Links that lead round in a circle name no file at all.
    fs::create_symlink("ring-b", dir_ / "ring-a");
    fs::create_symlink("ring-a", dir_ / "ring-b");
    CFileException error;
    EXPECT_EQ(ReplaceFileContents(PathOf("ring-a"), "x", CFile::typeBinary, &error), FileWriteResult::NotCreated);
    EXPECT_EQ(error.m_lOsError, ELOOP);
    EXPECT_EQ(NamesIn(dir_.string()), (std::set<std::string>{"latest.csv", "reports", "ring-a", "ring-b", "shortcuts"}));
}

TEST_F(FileReplaceTest, AnyNameTheFileSystemTakesIsSaved)
{
    const long nameMax = ::pathconf(dir_.c_str(), _PC_NAME_MAX);
    ASSERT_GE(nameMax, 245);
    // "я" is two bytes: a Cyrillic name reaches the limit in half the letters.
    std::string cyrillic;
    while (cyrillic.size() + 2 + 4 <= static_cast<std::size_t>(nameMax)) cyrillic += "я";
    const std::vector<std::string> names = {std::string(245 - 4, 'n') + ".txt",
                                            std::string(static_cast<std::size_t>(nameMax) - 4, 'n') + ".txt",
                                            cyrillic + ".txt"};
    for (const std::string& name : names) {
        SCOPED_TRACE(std::to_string(name.size()) + " bytes");
        CFileException error;
        EXPECT_EQ(ReplaceFileContents(PathOf(name), "first\n", CFile::typeText, &error), FileWriteResult::Written)
            << error.GetErrorMessage();
        EXPECT_EQ(ReplaceFileContents(PathOf(name), "second\n", CFile::typeText, &error), FileWriteResult::Written)
            << error.GetErrorMessage();
        EXPECT_EQ(ReadFile(PathOf(name)), "second\r\n");
    }
    EXPECT_EQ(NamesIn(dir_.string()), std::set<std::string>(names.begin(), names.end()));
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

    // A file its owner made read-only is not replaced behind their back, though the folder
    // would allow it. (Root may write any file.)
    if (::geteuid() != 0) {
        WriteFile(PathOf("kept.txt"), "kept");
        ASSERT_EQ(::chmod(PathOf("kept.txt").c_str(), 0444), 0);
        EXPECT_EQ(ReplaceFileContents(PathOf("kept.txt"), "x", CFile::typeBinary, &error), FileWriteResult::NotCreated);
        EXPECT_EQ(error.m_cause, CFileException::accessDenied);
        EXPECT_EQ(ReadFile(PathOf("kept.txt")), "kept");
    }
}

// A pipe waits for a reader and a device may wait too: neither is written, and the save says
// so at once.
TEST_F(FileReplaceTest, AnythingButARegularFileIsRefusedWithoutWaiting)
{
    const std::string fifo = PathOf("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("pipe", dir_ / "to-pipe");
    std::vector<std::string> paths = {fifo, PathOf("to-pipe")};
    if (fs::is_character_file("/dev/full")) paths.push_back("/dev/full");
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        auto save = std::async(std::launch::async, [path] {
            CFileException error;
            const FileWriteResult result = ReplaceFileContents(path, "x\n", CFile::typeText, &error);
            return std::make_pair(result, error);
        });
        if (save.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            // A reader lets the blocked save go on, so the test ends instead of hanging.
            const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
            save.wait();
            if (reader >= 0) ::close(reader);
            ADD_FAILURE() << "the save waited for a reader";
            continue;
        }
        const auto [result, error] = save.get();
        EXPECT_EQ(result, FileWriteResult::NotCreated);
        EXPECT_EQ(error.m_cause, CFileException::invalidFile);
        EXPECT_EQ(error.GetErrorMessage(), "Not a regular file");
        EXPECT_EQ(error.m_strFileName, path);
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_symlink(PathOf("to-pipe")));
    if (fs::exists("/dev/full")) {
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
    EXPECT_EQ(NamesIn(dir_.string()), (std::set<std::string>{"pipe", "to-pipe"}));
}

TEST_F(FileReplaceTest, BothNamesOfAFileWithTwoLinksShowTheNewContent)
{
    const std::string first = PathOf("run.txt");
    const std::string second = PathOf("copy-for-the-bench.txt");
    WriteFile(first, "a much longer earlier content\n");
    fs::create_hard_link(first, second);
    const ino_t inode = StatOf(first).st_ino;
    EXPECT_EQ(ReplaceFileContents(second, "new\n", CFile::typeText), FileWriteResult::Written);
    EXPECT_EQ(ReadFile(first), "new\r\n");
    EXPECT_EQ(ReadFile(second), "new\r\n");
    EXPECT_EQ(StatOf(first).st_ino, inode);
    EXPECT_EQ(StatOf(first).st_nlink, 2u);
    EXPECT_EQ(NamesIn(dir_.string()), (std::set<std::string>{"run.txt", "copy-for-the-bench.txt"}));
}

TEST_F(FileReplaceTest, ExtendedAttributesStayWithTheFile)
{
    const std::string path = PathOf("notes.txt");
    WriteFile(path, "earlier");
    const std::string note = "bench 3, probe B";
    if (::setxattr(path.c_str(), "user.velkaro.note", note.data(), note.size(), 0) != 0)
        GTEST_SKIP() << "this file system keeps no user attributes: " << std::strerror(errno);
    EXPECT_EQ(ReplaceFileContents(path, "later"), FileWriteResult::Written);
    EXPECT_EQ(ReadFile(path), "later");
    std::string value(64, '\0');
    const ssize_t n = ::getxattr(path.c_str(), "user.velkaro.note", value.data(), value.size());
    ASSERT_GE(n, 0) << "the attribute is gone";
    value.resize(static_cast<std::size_t>(n));
    EXPECT_EQ(value, note);
    EXPECT_EQ(NamesIn(dir_.string()), (std::set<std::string>{"notes.txt"}));
}

// The seam that stands for fsync: what the target held and how open the flushed file was at
// each flush, and a failure where the test asks for one.
struct Flushes {
    struct Seen {
        bool folder;
        std::string target;  // the content under the name at the time
        mode_t mode;
    };
    enum class Fail { None, File, Folder, FileThrows };

    FileReplaceOptions Options(const std::string& path, Fail fail = Fail::None)
    {
        FileReplaceOptions options;
        options.flags = CFile::typeText;
        options.sync = [this, path, fail](int fd) {
            struct stat info {};
            EXPECT_EQ(::fstat(fd, &info), 0);
            const bool folder = S_ISDIR(info.st_mode);
            seen.push_back({folder, ReadFile(path), info.st_mode & 07777});
            if (fail == Fail::FileThrows && !folder) throw std::runtime_error("flush");
            if ((fail == Fail::File && !folder) || (fail == Fail::Folder && folder)) {
                errno = EIO;
                return -1;
            }
            return ::fsync(fd);
        };
        return options;
    }
    std::vector<Seen> seen;
};

TEST_F(FileReplaceTest, TheNewFileIsFlushedAndPrivateBeforeItTakesTheNameAndTheFolderAfter)
{
    // No umask to narrow anything: the new file is only as open as the writer makes it.
    const Umask mask(0);
    const std::string path = PathOf("private.txt");
    WriteFile(path, "earlier");
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    Flushes flushes;
    EXPECT_EQ(ReplaceFileContents(path, "later\n", flushes.Options(path)), FileWriteResult::Written);
    ASSERT_EQ(flushes.seen.size(), 2u);
    EXPECT_FALSE(flushes.seen[0].folder);
    EXPECT_EQ(flushes.seen[0].target, "earlier") << "the file is flushed before the rename";
    EXPECT_EQ(flushes.seen[0].mode, 0600u) << "its content is never readable by others";
    EXPECT_TRUE(flushes.seen[1].folder);
    EXPECT_EQ(flushes.seen[1].target, "later\r\n") << "the folder is flushed after the rename";
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0600u);

    // Written in place (a second link), the file itself is flushed before the save counts.
    fs::create_hard_link(path, PathOf("second.txt"));
    Flushes inPlace;
    EXPECT_EQ(ReplaceFileContents(path, "in place\n", inPlace.Options(path)), FileWriteResult::Written);
    ASSERT_EQ(inPlace.seen.size(), 1u);
    EXPECT_FALSE(inPlace.seen[0].folder);
    EXPECT_EQ(inPlace.seen[0].target, "in place\r\n");
}

TEST_F(FileReplaceTest, AFailedFlushFailsTheSaveAndLeavesNoTemporary)
{
    const std::string path = PathOf("settings.xml");
    WriteFile(path, "earlier");
    CFileException error;
    Flushes file;
    EXPECT_EQ(ReplaceFileContents(path, "lost\n", file.Options(path, Flushes::Fail::File), &error),
              FileWriteResult::NotWritten);
    EXPECT_EQ(error.m_lOsError, EIO);
    EXPECT_EQ(error.m_strFileName, path);
    EXPECT_EQ(ReadFile(path), "earlier");
    EXPECT_EQ(NamesIn(dir_.string()), (std::set<std::string>{"settings.xml"}));

    // An exception out of the flush passes through and takes the new file with it.
    Flushes throwing;
    EXPECT_THROW(ReplaceFileContents(path, "lost\n", throwing.Options(path, Flushes::Fail::FileThrows)),
                 std::runtime_error);
    EXPECT_EQ(ReadFile(path), "earlier");
    EXPECT_EQ(NamesIn(dir_.string()), (std::set<std::string>{"settings.xml"}));

    // The folder's flush failing means the new name may not survive a crash: the save says so.
    Flushes folder;
    EXPECT_EQ(ReplaceFileContents(path, "not for sure\n", folder.Options(path, Flushes::Fail::Folder), &error),
              FileWriteResult::NotWritten);
    EXPECT_EQ(error.m_lOsError, EIO);
    EXPECT_EQ(NamesIn(dir_.string()), (std::set<std::string>{"settings.xml"}));

    // In place, the same.
    fs::create_hard_link(path, PathOf("second.xml"));
    Flushes inPlace;
    EXPECT_EQ(ReplaceFileContents(path, "in place\n", inPlace.Options(path, Flushes::Fail::File), &error),
              FileWriteResult::NotWritten);
    EXPECT_EQ(error.m_lOsError, EIO);
}

// Permissions are enforced on root only through a process that is not root: the save runs in
// a child that has become "nobody". Returns the save's result, or -1 when the child could not
// become that user or did not finish.
constexpr uid_t kNobody = 65534;

int SaveAsNobody(const std::string& path, const std::string& content)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(100);
        ::_exit(static_cast<int>(ReplaceFileContents(path, content)));
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 100)
        return -1;
    return WEXITSTATUS(status);
}

TEST_F(FileReplaceTest, AWritableFileInAFolderTheUserCannotWriteIsWrittenInPlace)
{
    const std::string path = PathOf("handed-over.txt");
    WriteFile(path, "earlier");
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir_.c_str(), 0555), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(SaveAsNobody(path, "later"), static_cast<int>(FileWriteResult::Written));
    } else {
        CFileException error;
        ASSERT_EQ(ReplaceFileContents(path, "later", CFile::typeBinary, &error), FileWriteResult::Written)
            << error.GetErrorMessage();
    }
    EXPECT_EQ(ReadFile(path), "later");
    EXPECT_EQ(NamesIn(dir_.string()), (std::set<std::string>{"handed-over.txt"}));
}

TEST_F(FileReplaceTest, AnotherUsersFileKeepsItsOwnerAndGroup)
{
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    // Root saving a user's file: the new file is given back to the user.
    const std::string path = PathOf("users.txt");
    WriteFile(path, "earlier");
    ASSERT_EQ(::chown(path.c_str(), 4242, 4343), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const ino_t before = StatOf(path).st_ino;
    EXPECT_EQ(ReplaceFileContents(path, "by root"), FileWriteResult::Written);
    EXPECT_EQ(ReadFile(path), "by root");
    EXPECT_NE(StatOf(path).st_ino, before) << "root can give the new file away: it is replaced whole";
    EXPECT_EQ(StatOf(path).st_uid, 4242u);
    EXPECT_EQ(StatOf(path).st_gid, 4343u);
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0640u);

    // A user saving a file of root's that they may write, in a folder they may write: the user
    // cannot give a new file to root, so the file is written in place.
    const std::string shared = PathOf("shared.txt");
    WriteFile(shared, "earlier");
    ASSERT_EQ(::chmod(shared.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir_.c_str(), 0777), 0);
    const ino_t sharedBefore = StatOf(shared).st_ino;
    ASSERT_EQ(SaveAsNobody(shared, "by nobody"), static_cast<int>(FileWriteResult::Written));
    EXPECT_EQ(StatOf(shared).st_ino, sharedBefore);
    EXPECT_EQ(ReadFile(shared), "by nobody");
    EXPECT_EQ(StatOf(shared).st_uid, 0u);
    EXPECT_EQ(StatOf(shared).st_gid, 0u);
    EXPECT_EQ(NamesIn(dir_.string()), (std::set<std::string>{"shared.txt", "users.txt"}));
}

TEST_F(FileReplaceTest, AFileMountedOverTheNameIsWrittenInPlace)
{
    const std::string source = PathOf("source.txt");
    const std::string path = PathOf("mounted.txt");
    WriteFile(source, "earlier");
    WriteFile(path, "covered");
    if (::mount(source.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "bind mounts need root (CAP_SYS_ADMIN): " << std::strerror(errno);
    CFileException error;
    const FileWriteResult result = ReplaceFileContents(path, "later", CFile::typeBinary, &error);
    const std::string seen = ReadFile(path);
    ::umount2(path.c_str(), MNT_DETACH);
    EXPECT_EQ(result, FileWriteResult::Written) << error.GetErrorMessage();
    EXPECT_EQ(seen, "later");
    EXPECT_EQ(ReadFile(source), "later");
    EXPECT_EQ(NamesIn(dir_.string()), (std::set<std::string>{"mounted.txt", "source.txt"}));
}

}  // namespace
