#include "platform/testing/SmallTmpfs.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

SmallTmpfs::SmallTmpfs(std::uint64_t bytes)
{
    std::string folder = (std::filesystem::temp_directory_path() / "velkaro-tmpfs-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        why_ = std::string("cannot make a folder to mount on: ") + std::strerror(errno);
        return;
    }
    path_ = folder;
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
    if (::mount("velkaro-test", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC, options.c_str()) != 0) {
        why_ = std::string("mounting a tmpfs needs root (CAP_SYS_ADMIN): ") + std::strerror(errno);
        ::rmdir(path_.c_str());
        return;
    }
    mounted_ = true;
}

SmallTmpfs::~SmallTmpfs()
{
    if (path_.empty()) return;
    // Detached, so that a file a failed test left open cannot keep the mount alive.
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    ::rmdir(path_.c_str());
}

std::uint64_t SmallTmpfs::FreeBytes() const
{
    struct statvfs info {};
    if (!mounted_ || ::statvfs(path_.c_str(), &info) != 0) return 0;
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

bool SmallTmpfs::LeaveFree(std::uint64_t bytes, const std::string& name)
{
    if (!mounted_) return false;
    const std::uint64_t free = FreeBytes();
    if (free < bytes) return false;
    const int fd = ::open(PathOf(name).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    // Written, not just sized: a tmpfs takes pages only for what is really stored.
    const std::string chunk(4096, 'f');
    std::uint64_t left = free - bytes;
    bool ok = true;
    while (ok && left > 0) {
        const std::size_t n = left < chunk.size() ? static_cast<std::size_t>(left) : chunk.size();
        const ssize_t done = ::write(fd, chunk.data(), n);
        if (done < 0 && errno == EINTR) continue;
        ok = done > 0;
        if (ok) left -= static_cast<std::uint64_t>(done);
    }
    ::close(fd);
    return ok && FreeBytes() == bytes;
}

void SmallTmpfs::Clear()
{
    if (!mounted_) return;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(path_, ignored))
        std::filesystem::remove_all(entry.path(), ignored);
}
