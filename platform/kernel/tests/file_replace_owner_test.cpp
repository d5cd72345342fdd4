// Who may read and write a file after a save: the new file is made no more open than the old
// one from its first moment, takes the old one's ACL and group, and never takes the place of
// anything else that has the name it wanted. Saves run as an ordinary user ("nobody", in group
// 100) where the test runs as root.

#include "platform/kernel/FileReplace.h"
#include "platform/testing/RunFolder.h"
#include "support/SaveFiles.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <set>
#include <string>
#include <sys/ptrace.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
constexpr gid_t kSharedGroup = 100;

// A folder under the system's temporary folder, which every user can reach (the build tree may
// not be), removed with what it holds at the end.
class SharedFolder {
public:
    SharedFolder()
    {
        std::string name = (fs::temp_directory_path() / "velkaro-owner-XXXXXX").string();
        if (::mkdtemp(name.data()) != nullptr) path_ = name;
    }
    ~SharedFolder()
    {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    SharedFolder(const SharedFolder&) = delete;
    SharedFolder& operator=(const SharedFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string PathOf(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Runs `work` in a child that has become `uid` with the groups given (the first its own);
// returns what `work` returned, or -1 when the child could not become that user.
int RunAs(uid_t uid, const std::vector<gid_t>& groups, const std::function<int()>& work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(groups.front()) != 0 || ::setuid(uid) != 0)
            ::_exit(100);
        ::_exit(work());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 100)
        return -1;
    return WEXITSTATUS(status);
}

FileReplaceOptions SettingsOptions()
{
    FileReplaceOptions options;
    options.writeInPlaceRatherThanLose = false;
    return options;
}

// A POSIX ACL as the kernel stores it: version 2, then tag, permissions and id per entry,
// little-endian, in the order of the tags.
std::string Acl(std::initializer_list<std::array<std::uint32_t, 3>> entries)
{
    std::string value;
    auto put = [&value](std::uint32_t number, int bytes) {
        for (int i = 0; i < bytes; ++i) value.push_back(static_cast<char>((number >> (8 * i)) & 0xFF));
    };
    put(2, 4);
    for (const auto& [tag, permissions, id] : entries) {
        put(tag, 2);
        put(permissions, 2);
        put(id, 4);
    }
    return value;
}

constexpr std::uint32_t kAnyone = 0xFFFFFFFF;
// 0640 for owner, group and others, and read and write for the user "nobody" by name: the
// mask the mode shows as the group's bits is rw, though the group itself may only read.
const std::string kNobodyMayWrite = Acl({{0x01, 6, kAnyone},    // the owner
                                         {0x02, 6, kNobody},    // the user nobody
                                         {0x04, 4, kAnyone},    // the owning group
                                         {0x10, 6, kAnyone},    // the mask
                                         {0x20, 0, kAnyone}});  // others

std::string AclOf(const std::string& path)
{
    std::string value(256, '\0');
    const ssize_t n = ::getxattr(path.c_str(), "system.posix_acl_access", value.data(), value.size());
    value.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
    return value;
}

struct stat StatOf(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

TEST(FileReplaceSettings, AnAclStaysWithTheSettingsFile)
{
    const SharedFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    const std::string path = folder.PathOf("velkaro_cfg.xml");
    WriteFile(path, "earlier");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    if (::setxattr(path.c_str(), "system.posix_acl_access", kNobodyMayWrite.data(), kNobodyMayWrite.size(), 0) != 0)
        GTEST_SKIP() << "this file system keeps no ACLs: " << std::strerror(errno);
    ASSERT_EQ(StatOf(path).st_mode & 07777, 0660u) << "the mode shows the ACL's mask";
    int result;
    if (::geteuid() == 0) {
        // Root's folder and file, which the group may change; nobody, in the group, saves.
        ASSERT_EQ(::chown(folder.Path().c_str(), 0, kSharedGroup), 0);
        ASSERT_EQ(::chmod(folder.Path().c_str(), 0775), 0);
        ASSERT_EQ(::chown(path.c_str(), 0, kSharedGroup), 0);
        result = RunAs(kNobody, {kNobody, kSharedGroup},
                       [&] { return static_cast<int>(ReplaceFileContents(path, "later", SettingsOptions())); });
    } else {
        result = static_cast<int>(ReplaceFileContents(path, "later", SettingsOptions()));
    }
    ASSERT_EQ(result, static_cast<int>(FileWriteResult::Written));
    EXPECT_EQ(ReadFile(path), "later");
    EXPECT_TRUE(AclOf(path) == kNobodyMayWrite) << "the ACL is lost: the group may now write what it could only read";
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0660u);
    EXPECT_EQ(NamesIn(folder.Path()), (std::set<std::string>{"velkaro_cfg.xml"}));
}

TEST(FileReplaceSettings, AGroupMembersSaveLeavesTheFileInItsGroup)
{
    if (::geteuid() != 0) GTEST_SKIP() << "only root can make files of another user and group to save";
    const SharedFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    const std::string path = folder.PathOf("velkaro_cfg.xml");
    WriteFile(path, "earlier");
    ASSERT_EQ(::chown(folder.Path().c_str(), 0, kSharedGroup), 0);
    ASSERT_EQ(::chmod(folder.Path().c_str(), 0775), 0);
    ASSERT_EQ(::chown(path.c_str(), 0, kSharedGroup), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
    // Nobody cannot give the new file to root, but can give it the group they share.
    ASSERT_EQ(RunAs(kNobody, {kNobody, kSharedGroup},
                    [&] { return static_cast<int>(ReplaceFileContents(path, "later", SettingsOptions())); }),
              static_cast<int>(FileWriteResult::Written));
    EXPECT_EQ(ReadFile(path), "later");
    EXPECT_EQ(StatOf(path).st_uid, kNobody);
    EXPECT_EQ(StatOf(path).st_gid, kSharedGroup) << "the group's other members could no longer save it";
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0664u);
}

// The files a child creates while doing `work`, by name, with the mode each had the moment the
// open that created it returned: the child is stopped there (ptrace) before it can change it.
struct Created {
    std::string name;
    mode_t mode;
};

std::vector<Created> ModesAtCreation(const std::function<void()>& work, std::string& why)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) ::_exit(100);
        ::raise(SIGSTOP);
        work();
        ::_exit(0);
    }
    std::vector<Created> created;
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFSTOPPED(status)) {
        why = "the system lets no process trace its child";
        return created;
    }
    ::ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    std::uint64_t openFlags = 0;
    bool inOpen = false;
    int signal = 0;
    for (;;) {
        if (::ptrace(PTRACE_SYSCALL, child, nullptr, signal) != 0) break;
        signal = 0;
        if (::waitpid(child, &status, 0) != child || WIFEXITED(status) || WIFSIGNALED(status)) break;
        if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
            signal = WSTOPSIG(status);  // the child's own signal, passed on
            continue;
        }
        __ptrace_syscall_info info{};
        if (::ptrace(PTRACE_GET_SYSCALL_INFO, child, sizeof info, &info) <= 0) {
            why = "the system tells no system call's details (PTRACE_GET_SYSCALL_INFO)";
            break;
        }
        if (info.op == PTRACE_SYSCALL_INFO_ENTRY) {
            inOpen = info.entry.nr == SYS_openat;
            openFlags = info.entry.args[2];
        } else if (info.op == PTRACE_SYSCALL_INFO_EXIT && inOpen && (openFlags & O_CREAT) != 0 && info.exit.rval >= 0) {
            const std::string fd = "/proc/" + std::to_string(child) + "/fd/" + std::to_string(info.exit.rval);
            struct stat st {};
            std::error_code error;
            const fs::path target = fs::read_symlink(fd, error);
            if (::stat(fd.c_str(), &st) == 0 && !error) created.push_back({target.filename().string(), st.st_mode & 07777});
            inOpen = false;
        }
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return created;
}

TEST(FileReplaceTemporary, IsCreatedNoMoreOpenThanTheFileItReplaces)
{
    // No umask to narrow anything: the new file is only as open as the writer makes it.
    const mode_t previous = ::umask(0);
    const RunFolder folder("file-replace");
    const std::string plain = folder.PathOf("private.txt");
    WriteFile(plain, "earlier");
    ASSERT_EQ(::chmod(plain.c_str(), 0600), 0);
    // An ACL's mask is no measure of what the owning group may do: its own entry is.
    const std::string withAcl = folder.PathOf("shared.txt");
    WriteFile(withAcl, "earlier");
    ASSERT_EQ(::chmod(withAcl.c_str(), 0640), 0);
    const bool aclKept =
        ::setxattr(withAcl.c_str(), "system.posix_acl_access", kNobodyMayWrite.data(), kNobodyMayWrite.size(), 0) == 0;
    std::string why;
    const std::vector<Created> created = ModesAtCreation(
        [&] {
            ReplaceFileContents(plain, "later");
            ReplaceFileContents(withAcl, "later", SettingsOptions());
        },
        why);
    ::umask(previous);
    if (!why.empty()) GTEST_SKIP() << why;
    ASSERT_EQ(created.size(), 2u);
    EXPECT_EQ(created[0].name.rfind(".vk", 0), 0u) << created[0].name;
    EXPECT_EQ(created[0].mode, 0600u) << "readable by others until its mode was set";
    EXPECT_EQ(created[1].mode, 0640u) << "writable by the group until its ACL was set";
    EXPECT_EQ(ReadFile(plain), "later");
    if (aclKept) {
        EXPECT_TRUE(AclOf(withAcl) == kNobodyMayWrite);
    }
}

TEST(FileReplaceTemporary, ANameThatIsTakenIsLeftAsItIsAndAnotherTried)
{
    const RunFolder folder("file-replace");
    const std::string path = folder.PathOf("report.txt");
    WriteFile(path, "earlier");
    // Another program's file, and a link to a file elsewhere, under names the writer picks.
    WriteFile(folder.PathOf(".vktaken"), "another program's");
    WriteFile(folder.PathOf("elsewhere.txt"), "not ours");
    fs::create_symlink("elsewhere.txt", folder.Path() / ".vklink");
    std::vector<std::string> names = {".vktaken", ".vklink", ".vkfree"};
    std::size_t asked = 0;
    FileReplaceOptions options;
    options.temporaryName = [&] { return names[std::min(asked++, names.size() - 1)]; };
    CFileException error;
    EXPECT_EQ(ReplaceFileContents(path, "later", options, &error), FileWriteResult::Written)
        << error.GetErrorMessage();
    EXPECT_EQ(asked, 3u);
    EXPECT_EQ(ReadFile(path), "later");
    EXPECT_EQ(ReadFile(folder.PathOf(".vktaken")), "another program's");
    EXPECT_TRUE(fs::is_symlink(folder.Path() / ".vklink"));
    EXPECT_EQ(ReadFile(folder.PathOf("elsewhere.txt")), "not ours");
    const std::set<std::string> all = {".vklink", ".vktaken", "elsewhere.txt", "report.txt"};
    EXPECT_EQ(NamesIn(folder.Path().string()), all);

    // Every name taken: the save gives up after a bounded number of tries, the file untouched
    // (a file that is never written in place; another would be).
    names = {".vktaken"};
    asked = 0;
    FileReplaceOptions settings = SettingsOptions();
    settings.temporaryName = options.temporaryName;
    EXPECT_EQ(ReplaceFileContents(path, "lost", settings, &error), FileWriteResult::NotCreated);
    EXPECT_EQ(error.m_lOsError, EEXIST);
    EXPECT_GT(asked, 1u);
    EXPECT_LE(asked, 1000u);
    EXPECT_EQ(ReadFile(path), "later");
    EXPECT_EQ(ReadFile(folder.PathOf(".vktaken")), "another program's");
    EXPECT_EQ(NamesIn(folder.Path().string()), all);
}

}  // namespace
