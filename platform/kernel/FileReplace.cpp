#include "platform/kernel/FileReplace.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// How many names the temporary file tries before the save gives up; each collision means
// another writer picked the same name in the same instant, or an earlier program left its file.
constexpr int kTemporaryNameAttempts = 100;

// The temporary name is ".vk" and this many letters or digits, whatever the target's name: a
// name the file system takes (up to 255 bytes) must not fail for the sake of a longer one.
// The leading dot keeps a half-written file out of the user's file manager.
constexpr std::size_t kTemporarySuffixLength = 8;

// Symbolic links followed from the name to the file; more means a loop (the kernel's own limit).
constexpr int kMaxLinkHops = 40;

// Text is translated to CR LF a slice at a time, so a large export needs no second copy.
constexpr std::size_t kTextSlice = 32768;

struct Outcome {
    // False: no file was made, or the one made was removed, and the target is untouched.
    bool done = false;
    FileWriteResult result = FileWriteResult::NotCreated;
    int osError = 0;
};

Outcome Finished(FileWriteResult result, int osError = 0) { return {true, result, osError}; }
Outcome NotReplaced(int osError) { return {false, FileWriteResult::NotCreated, osError}; }

// A descriptor closed when it goes out of scope; Close reports what close() said.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    void Reset(int fd)
    {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    // 0, or the errno of a failed close. A delayed write error (NFS, some FUSE file systems)
    // can show up only here.
    int Close()
    {
        const int fd = std::exchange(fd_, -1);
        if (fd < 0) return 0;
        // Linux releases the descriptor even when close fails; never retried.
        return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
    }

private:
    int fd_;
};

// The new file beside the target: removed when it goes out of scope unless it was renamed,
// so that no failure (an exception included) leaves it behind.
class Temporary {
public:
    explicit Temporary(int folder) : folder_(folder) {}
    ~Temporary()
    {
        file_.Close();
        if (!name_.empty() && !renamed_) ::unlinkat(folder_, name_.c_str(), 0);
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;

    // 0, or the errno of the last refused attempt. Exclusive: a name that is taken, by a file,
    // a link or anything else, is left as it is and another one tried.
    int Create(mode_t mode, const std::function<std::string()>& names)
    {
        int why = EEXIST;
        for (int attempt = 0; attempt < kTemporaryNameAttempts && why == EEXIST; ++attempt) {
            const std::string name = names ? names() : MakeName();
            if (name.empty() || name.find('/') != std::string::npos) return EINVAL;
            const int fd = ::openat(folder_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            if (fd >= 0) {
                file_.Reset(fd);
                name_ = name;
                return 0;
            }
            why = errno;
        }
        return why;
    }
    int Fd() const { return file_.Get(); }
    int Close() { return file_.Close(); }
    // 0, or the errno of the refused rename.
    int RenameTo(const std::string& name)
    {
        if (::renameat(folder_, name_.c_str(), folder_, name.c_str()) != 0) return errno;
        renamed_ = true;
        return 0;
    }

private:
    // Unique within the process by the counter, between processes by the id and the clock;
    // the exclusive create settles what is left.
    static std::string MakeName()
    {
        static std::atomic<std::uint64_t> counter{0};
        std::uint64_t x = (static_cast<std::uint64_t>(::getpid()) << 40) ^ counter.fetch_add(1) ^
                          static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        // splitmix64's finaliser spreads every input bit over the letters.
        x += 0x9E3779B97F4A7C15ull;
        x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
        x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
        x ^= x >> 31;
        static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        std::string name = ".vk";
        for (std::size_t i = 0; i < kTemporarySuffixLength; ++i) {
            name += kLetters[x % 36];
            x /= 36;
        }
        return name;
    }

    int folder_;
    Descriptor file_;
    std::string name_;
    bool renamed_ = false;
};

// The content as it is stored: CR LF for every "\n" in text mode.
struct StoredContent {
    std::string_view bytes;
    bool text = false;

    std::uint64_t Size() const
    {
        return bytes.size() + (text ? static_cast<std::uint64_t>(std::count(bytes.begin(), bytes.end(), '\n')) : 0);
    }
};

// 0, or the errno of the write that failed.
int WriteRaw(int fd, const char* data, std::size_t count, std::uint64_t offset)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pwrite(fd, data + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return ENOSPC;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Writes the stored bytes from `from` up to `to` at those places of the file.
int WriteContent(int fd, const StoredContent& content, std::uint64_t from, std::uint64_t to)
{
    if (from >= to) return 0;
    if (!content.text) return WriteRaw(fd, content.bytes.data() + from, static_cast<std::size_t>(to - from), from);
    std::string out;
    out.reserve(2 * kTextSlice);
    std::uint64_t at = 0;  // where the slice's stored bytes begin
    for (std::size_t start = 0; start < content.bytes.size() && at < to; start += kTextSlice) {
        const std::size_t end = std::min(content.bytes.size(), start + kTextSlice);
        out.clear();
        for (std::size_t i = start; i < end; ++i) {
            if (content.bytes[i] == '\n') out.push_back('\r');
            out.push_back(content.bytes[i]);
        }
        const std::uint64_t first = std::max(from, at);
        const std::uint64_t last = std::min(to, at + out.size());
        if (first < last) {
            if (const int e = WriteRaw(fd, out.data() + (first - at), static_cast<std::size_t>(last - first), first))
                return e;
        }
        at += out.size();
    }
    return 0;
}

// 0, or the errno of the failed flush.
int Sync(const FileReplaceOptions& options, int fd)
{
    int result;
    do
        result = options.sync ? options.sync(fd) : ::fsync(fd);
    while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

// The file a write to `path` really changes: links are followed to the last name they lead to,
// which may not exist yet (a dangling link), so that the link stays and its target is written.
// 0, or the errno that stopped the walk.
int FollowLinks(const std::string& path, std::string& target)
{
    target = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0) return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(info.st_mode)) return 0;
        std::string link(std::max<std::size_t>(static_cast<std::size_t>(info.st_size), 64) + 1, '\0');
        for (;;) {
            const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
            if (n < 0) return errno;
            if (static_cast<std::size_t>(n) < link.size()) {
                link.resize(static_cast<std::size_t>(n));
                break;
            }
            link.resize(2 * link.size());  // the link changed under us, or /proc said 0
        }
        if (link.empty()) return ENOENT;
        if (link.front() != '/') {
            const std::size_t slash = target.find_last_of('/');
            link = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + link;
        }
        target = std::move(link);
    }
    return ELOOP;
}

// The extended attributes of a file, by name and value; false when they cannot all be read.
using Attributes = std::vector<std::pair<std::string, std::string>>;

template <typename List, typename Get>
bool ReadAttributes(List list, Get get, Attributes& out)
{
    out.clear();
    std::string names;
    for (;;) {
        const ssize_t size = list(nullptr, 0);
        if (size < 0) return errno == ENOTSUP;  // a file system without them: nothing to lose
        names.resize(static_cast<std::size_t>(size));
        const ssize_t got = size == 0 ? 0 : list(names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<std::size_t>(got));
            break;
        }
        if (errno != ERANGE) return false;
    }
    for (std::size_t at = 0; at < names.size();) {
        const std::size_t end = names.find('\0', at);
        const std::string name = names.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? names.size() : end + 1;
        if (name.empty()) continue;
        std::string value;
        for (;;) {
            const ssize_t size = get(name.c_str(), nullptr, 0);
            if (size < 0) return false;
            value.resize(static_cast<std::size_t>(size));
            const ssize_t got = size == 0 ? 0 : get(name.c_str(), value.data(), value.size());
            if (got >= 0) {
                value.resize(static_cast<std::size_t>(got));
                break;
            }
            if (errno != ERANGE) return false;
        }
        out.emplace_back(name, std::move(value));
    }
    std::sort(out.begin(), out.end());
    return true;
}

// The POSIX ACL of a file (ACLs naming further users or groups are kept as this attribute).
constexpr char kAccessAcl[] = "system.posix_acl_access";

// 0 with the file's ACL in `value`, ENODATA when it has none (or its file system keeps none),
// else the errno that kept it unread.
template <typename Get>
int ReadAcl(Get get, std::string& value)
{
    for (;;) {
        const ssize_t size = get(kAccessAcl, nullptr, 0);
        if (size < 0) return errno == ENODATA || errno == ENOTSUP ? ENODATA : errno;
        value.resize(static_cast<std::size_t>(size));
        const ssize_t got = size == 0 ? 0 : get(kAccessAcl, value.data(), value.size());
        if (got >= 0) {
            value.resize(static_cast<std::size_t>(got));
            return 0;
        }
        if (errno != ERANGE) return errno == ENODATA || errno == ENOTSUP ? ENODATA : errno;
    }
}

// The permissions the ACL gives the owning group itself (its GROUP_OBJ entry), or -1 when the
// value is no ACL or has no such entry. The kernel stores an ACL as a 4-byte version (2), then
// 8-byte entries: tag (16 bits), permissions (16 bits), user or group id (32 bits), little-endian.
int GroupEntryOf(const std::string& acl)
{
    constexpr unsigned kVersion = 2;
    constexpr unsigned kGroupObject = 0x04;
    auto u16 = [&acl](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(acl[at])) |
               static_cast<unsigned>(static_cast<unsigned char>(acl[at + 1])) << 8;
    };
    if (acl.size() < 4 || (acl.size() - 4) % 8 != 0 || u16(0) != kVersion || u16(2) != 0) return -1;
    for (std::size_t at = 4; at + 8 <= acl.size(); at += 8)
        if (u16(at) == kGroupObject) return static_cast<int>(u16(at + 2) & 07);
    return -1;
}

// The old file's permissions as a file without its ACL may have them. With an ACL the group
// bits of the mode are its mask, the most that any user or group it names may get, while the
// owning group has its own entry, which may be less: without the ACL the group gets no more
// than that entry. Never more than the mode, and nothing for the group when the ACL is unread.
mode_t ModeWithoutAcl(mode_t mode, int aclError, const std::string& acl)
{
    if (aclError == ENODATA) return mode;
    const int group = aclError == 0 ? GroupEntryOf(acl) : -1;
    const mode_t groupBits = group < 0 ? 0 : static_cast<mode_t>(group) & ((mode >> 3) & 07);
    return (mode & ~static_cast<mode_t>(070)) | groupBits << 3;
}

// What the old file is besides its content, read once before the new file is made.
struct OldFile {
    struct stat info {};
    std::string acl;
    int aclError = ENODATA;
    mode_t narrowMode = 0;  // its mode for a file that cannot carry its ACL
};

// Gives the new file the old one's owner, group, extended attributes (its ACL among them) and
// permissions; false when the result is not the same as the old file in all of them.
bool TakeOver(int fresh, const OldFile& old, const std::string& oldPath)
{
    bool same = true;
    struct stat now {};
    if (::fstat(fresh, &now) != 0) return false;
    // Changing the owner clears the set-id bits, so the permissions come after it. Owner and
    // group go together or not at all; a member of the old file's group may still give it that
    // group, so that the group's other members keep what they had.
    if (now.st_uid != old.info.st_uid || now.st_gid != old.info.st_gid) {
        if (::fchown(fresh, old.info.st_uid, old.info.st_gid) != 0) {
            same = false;
            if (now.st_gid != old.info.st_gid) ::fchown(fresh, static_cast<uid_t>(-1), old.info.st_gid);
        }
    }
    // The attributes go over before any content: a file system may refuse some (a security
    // label the user may not set), which is then told by the comparison below.
    Attributes before;
    const bool readBefore =
        ReadAttributes([&](char* list, std::size_t size) { return ::llistxattr(oldPath.c_str(), list, size); },
                       [&](const char* name, void* value, std::size_t size) {
                           return ::lgetxattr(oldPath.c_str(), name, value, size);
                       },
                       before);
    for (const auto& [name, value] : before) ::fsetxattr(fresh, name.c_str(), value.data(), value.size(), 0);
    // An ACL sets the group bits to its mask; without it the group gets what its entry gave.
    std::string acl;
    const int aclError = ReadAcl([&](const char* name, void* value, std::size_t size) {
        return ::fgetxattr(fresh, name, value, size);
    }, acl);
    const bool aclKept = aclError == old.aclError && acl == old.acl;
    const mode_t mode = aclKept ? old.info.st_mode & 07777 : old.narrowMode;
    if (::fchmod(fresh, mode) != 0) same = false;
    // The system may quietly drop a set-group-id bit, or a file system keep no owners at all.
    if (::fstat(fresh, &now) != 0 || now.st_uid != old.info.st_uid || now.st_gid != old.info.st_gid ||
        (now.st_mode & 07777) != (old.info.st_mode & 07777))
        same = false;
    Attributes after;
    const bool readAfter = ReadAttributes([&](char* list, std::size_t size) { return ::flistxattr(fresh, list, size); },
                                          [&](const char* name, void* value, std::size_t size) {
                                              return ::fgetxattr(fresh, name, value, size);
                                          },
                                          after);
    return same && readBefore && readAfter && before == after;
}

// A file bind-mounted over the name, from the same file system as its folder or another.
bool IsMountedOver(const std::string& path)
{
    struct statx info {};
    return ::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &info) == 0 &&
           (info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 && (info.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
}

// The new file beside the target, renamed over it. Not done (the target untouched, nothing
// left behind) when no file can be made there, or when, with writeInPlaceRatherThanLose, the
// new file would not be what the old one was.
Outcome ReplaceByRename(const std::string& folder, const std::string& name, const struct stat* old,
                        const std::string& target, const StoredContent& content, const FileReplaceOptions& options)
{
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() < 0) return NotReplaced(errno);
    const bool keepOrLeave = options.writeInPlaceRatherThanLose;
    if (old != nullptr && keepOrLeave) {
        struct stat where {};
        if (::fstat(dir.Get(), &where) != 0) return NotReplaced(errno);
        // A second name would keep the old content; a file mounted over the name cannot be
        // renamed over at all.
        if (old->st_nlink > 1 || old->st_dev != where.st_dev || IsMountedOver(target)) return NotReplaced(0);
    }
    OldFile was;
    if (old != nullptr) {
        was.info = *old;
        was.aclError = ReadAcl([&](const char* attribute, void* value, std::size_t size) {
            return ::lgetxattr(target.c_str(), attribute, value, size);
        }, was.acl);
        was.narrowMode = ModeWithoutAcl(old->st_mode & 07777, was.aclError, was.acl);
    }
    Temporary temporary(dir.Get());
    // Never more open than the file it replaces, not even while it is empty and has no ACL yet.
    if (const int e = temporary.Create(old != nullptr ? was.narrowMode & 0777 : 0666, options.temporaryName))
        return NotReplaced(e);
    if (old != nullptr && !TakeOver(temporary.Fd(), was, target) && keepOrLeave) return NotReplaced(0);
    if (const int e = WriteContent(temporary.Fd(), content, 0, content.Size()))
        return Finished(FileWriteResult::NotWritten, e);
    if (const int e = Sync(options, temporary.Fd())) return Finished(FileWriteResult::NotWritten, e);
    if (const int e = temporary.Close()) return Finished(FileWriteResult::NotWritten, e);
    if (const int e = temporary.RenameTo(name)) return Finished(FileWriteResult::NotWritten, e);
    // The rename itself reaches the disk with the folder. Some file systems cannot flush a
    // folder (EINVAL); the file's own flush is all they offer.
    const int e = Sync(options, dir.Get());
    if (e != 0 && e != EINVAL) return Finished(FileWriteResult::NotWritten, e);
    return Finished(FileWriteResult::Written);
}

// Stretches of a file below `end` that hold no data (holes), as the file system reports them;
// one that cannot tell reports none.
using Stretches = std::vector<std::pair<std::uint64_t, std::uint64_t>>;

Stretches HolesBelow(int fd, std::uint64_t end)
{
    Stretches holes;
    std::uint64_t at = 0;
    while (at < end) {
        const off_t hole = ::lseek(fd, static_cast<off_t>(at), SEEK_HOLE);
        if (hole < 0 || static_cast<std::uint64_t>(hole) >= end) break;
        const off_t data = ::lseek(fd, hole, SEEK_DATA);
        const std::uint64_t stop = data < 0 ? end : std::min(end, static_cast<std::uint64_t>(data));
        holes.emplace_back(static_cast<std::uint64_t>(hole), stop);
        at = stop;
    }
    return holes;
}

// Room the new content is to have, taken before the first byte of the old one changes, and
// given back when the save fails before it was used.
class Room {
public:
    Room(int fd, std::uint64_t oldSize) : fd_(fd), oldSize_(oldSize) {}

    // 0, or why the room cannot be had (the file is then as it was). `reserved` says whether
    // the file system set the room aside (fallocate) or had to be written to (the part past
    // the old end is then written already).
    int Make(const StoredContent& content, std::uint64_t newSize, bool& reserved)
    {
        // Holes are looked up first, so that those the reservation fills can be punched back.
        holes_ = HolesBelow(fd_, std::min(oldSize_, newSize));
        // Mode 0 over the whole new length fills the holes below it as well as the part past
        // the old end, and is held to the limit on a file's size as a write is.
        int result;
        do
            result = ::fallocate(fd_, 0, 0, static_cast<off_t>(newSize));
        while (result != 0 && errno == EINTR);
        reserved = result == 0 || newSize == 0;
        if (reserved) return 0;
        const int why = errno;
        if (why != EOPNOTSUPP && why != ENOSYS && why != EINVAL) return GiveBack(why);
        // A file system that cannot reserve (ext2, ext3, NFS before 4.2, many FUSE ones) is
        // made to find the room by writing: the new bytes past the old end first, then every
        // block below it that reads as zeros, which may be a hole, is written with its zeros.
        // Neither changes a byte of the old content.
        if (const int e = WriteContent(fd_, content, oldSize_, newSize)) return GiveBack(e);
        if (const int e = FillHoles(std::min(oldSize_, newSize))) return GiveBack(e);
        return 0;
    }

    // Cuts the file back to its old size and punches the holes the reservation filled, where
    // the file system can; returns `why`.
    int GiveBack(int why)
    {
        // The save has failed either way; a refusal here changes nothing.
        [[maybe_unused]] const int cut = ::ftruncate(fd_, static_cast<off_t>(oldSize_));
        for (const auto& [from, to] : holes_)
            ::fallocate(fd_, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, static_cast<off_t>(from),
                        static_cast<off_t>(to - from));
        return why;
    }

private:
    // Writes back every run of zero blocks below `end` as it reads. A file opened only for
    // writing cannot be read: the room is then not sure, and the save is refused.
    int FillHoles(std::uint64_t end)
    {
        struct stat info {};
        if (::fstat(fd_, &info) != 0) return errno;
        const std::size_t block = info.st_blksize > 0 ? static_cast<std::size_t>(info.st_blksize) : 4096;
        std::string data;
        const std::size_t piece = std::max<std::size_t>(block, (kTextSlice / block) * block);
        std::uint64_t runStart = 0;
        std::uint64_t runEnd = 0;  // the zeros found and not yet written back: [runStart, runEnd)
        auto flush = [&]() -> int {
            if (runStart >= runEnd) return 0;
            const std::string zeros(static_cast<std::size_t>(std::min<std::uint64_t>(runEnd - runStart, piece)), '\0');
            for (std::uint64_t at = runStart; at < runEnd; at += zeros.size()) {
                const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(zeros.size(), runEnd - at));
                if (const int e = WriteRaw(fd_, zeros.data(), count, at)) return e;
            }
            runStart = runEnd;
            return 0;
        };
        for (std::uint64_t at = 0; at < end;) {
            data.resize(static_cast<std::size_t>(std::min<std::uint64_t>(piece, end - at)));
            const ssize_t n = ::pread(fd_, data.data(), data.size(), static_cast<off_t>(at));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return errno == EBADF ? EOPNOTSUPP : errno;
            if (n == 0) break;  // cut short by someone else meanwhile
            for (std::size_t b = 0; b < static_cast<std::size_t>(n); b += block) {
                const std::size_t len = std::min(block, static_cast<std::size_t>(n) - b);
                const bool zero = std::all_of(data.begin() + static_cast<std::ptrdiff_t>(b),
                                              data.begin() + static_cast<std::ptrdiff_t>(b + len),
                                              [](char c) { return c == '\0'; });
                if (zero) {
                    if (runStart == runEnd) runStart = runEnd = at + b;
                    runEnd = at + b + len;
                } else if (const int e = flush()) {
                    return e;
                } else {
                    runStart = runEnd = at + b + len;
                }
            }
            at += static_cast<std::uint64_t>(n);
        }
        return flush();
    }

    int fd_;
    std::uint64_t oldSize_;
    Stretches holes_;
};

// The old file opened and overwritten, as saves were written before they went through a new
// file. Room for the whole new content is made sure of before the first old byte changes, so
// that a full disk, a quota or a size limit leaves the old content whole.
Outcome WriteInPlace(const std::string& target, const StoredContent& content, const FileReplaceOptions& options)
{
    // Non-blocking, so that a pipe put under the name since it was looked at cannot hold the
    // save; it is refused below. Read as well where allowed: a file system without fallocate
    // needs to read the file to find its holes.
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    Descriptor file(::open(target.c_str(), O_RDWR | flags));
    if (file.Get() < 0 && errno == EACCES) file.Reset(::open(target.c_str(), O_WRONLY | flags));
    if (file.Get() < 0) return Finished(FileWriteResult::NotCreated, errno);
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) return Finished(FileWriteResult::NotCreated, errno);
    if (!S_ISREG(info.st_mode)) return Finished(FileWriteResult::NotCreated, 0);
    const std::uint64_t oldSize = static_cast<std::uint64_t>(info.st_size);
    const std::uint64_t size = content.Size();
    Room room(file.Get(), oldSize);
    bool reserved = false;
    if (const int e = room.Make(content, size, reserved)) return Finished(FileWriteResult::NotWritten, e);
    // Overwritten from the start and cut after, so that the room is not given back before it
    // is used; without a reservation the part past the old end is written already. A device
    // failing now leaves at least the old size and the old holes.
    if (const int e = WriteContent(file.Get(), content, 0, reserved ? size : std::min(size, oldSize)))
        return Finished(FileWriteResult::NotWritten, room.GiveBack(e));
    if (::ftruncate(file.Get(), static_cast<off_t>(size)) != 0) return Finished(FileWriteResult::NotWritten, errno);
    if (const int e = Sync(options, file.Get())) return Finished(FileWriteResult::NotWritten, e);
    if (const int e = file.Close()) return Finished(FileWriteResult::NotWritten, e);
    return Finished(FileWriteResult::Written);
}

}  // namespace

FileWriteResult ReplaceFileContents(const std::string& path, std::string_view content,
                                    const FileReplaceOptions& options, CFileException* error)
{
    auto fail = [&](FileWriteResult result, int osError, int cause) {
        if (error != nullptr) *error = CFileException(cause, osError, path);
        return result;
    };
    auto failWith = [&](FileWriteResult result, int osError) {
        // No system error: something other than a regular file is under the name.
        return fail(result, osError, osError != 0 ? CauseFromErrno(osError) : CFileException::invalidFile);
    };
    if (path.empty()) return fail(FileWriteResult::NotCreated, ENOENT, CFileException::badPath);
    std::string target;
    if (const int e = FollowLinks(path, target)) return failWith(FileWriteResult::NotCreated, e);
    const std::size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") return failWith(FileWriteResult::NotCreated, EISDIR);

    struct stat old {};
    const bool exists = ::lstat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return failWith(FileWriteResult::NotCreated, errno);
    if (exists) {
        if (S_ISDIR(old.st_mode)) return failWith(FileWriteResult::NotCreated, EISDIR);
        if (!S_ISREG(old.st_mode)) return failWith(FileWriteResult::NotCreated, 0);
        // A file its owner keeps from being written is not replaced behind their back, even
        // where the folder would allow the rename.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return failWith(FileWriteResult::NotCreated, errno);
    }
    const StoredContent stored{content, (options.flags & CFile::typeText) != 0};
    Outcome outcome = ReplaceByRename(folder, name, exists ? &old : nullptr, target, stored, options);
    if (!outcome.done) {
        if (!exists || !options.writeInPlaceRatherThanLose) return failWith(FileWriteResult::NotCreated, outcome.osError);
        outcome = WriteInPlace(target, stored, options);
    }
    return outcome.result == FileWriteResult::Written ? outcome.result : failWith(outcome.result, outcome.osError);
}

FileWriteResult ReplaceFileContents(const std::string& path, std::string_view content, UINT flags,
                                    CFileException* error)
{
    FileReplaceOptions options;
    options.flags = flags;
    return ReplaceFileContents(path, content, options, error);
}
