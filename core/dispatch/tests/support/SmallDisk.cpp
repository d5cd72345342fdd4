#include "support/SmallDisk.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

std::int64_t PageSize()
{
    return static_cast<std::int64_t>(::sysconf(_SC_PAGESIZE));
}

SmallTmpfs::SmallTmpfs(const std::filesystem::path& folder, int pages) : folder_(folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    const std::string options = "size=" + std::to_string(pages * PageSize()) + ",mode=0700";
    if (::mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC,
                options.c_str()) != 0) {
        error_ = std::string("mount tmpfs: ") + std::strerror(errno);
        return;
    }
    mounted_ = true;
}

SmallTmpfs::~SmallTmpfs()
{
    // Files still open on it (none should be) keep it busy: detach it then, it goes when they
    // close.
    if (mounted_ && ::umount2(folder_.c_str(), 0) != 0)
        ::umount2(folder_.c_str(), MNT_DETACH);
}

bool SmallTmpfs::Fill()
{
    const std::string path = (folder_ / "filler").string();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const std::string block(static_cast<std::size_t>(PageSize()), 'f');
    int error = 0;
    for (;;) {
        const ssize_t n = ::write(fd, block.data(), block.size());
        if (n > 0)
            continue;
        error = n < 0 ? errno : ENOSPC;
        if (error != EINTR)
            break;
    }
    ::close(fd);
    return error == ENOSPC;
}

FileSizeLimit::FileSizeLimit(std::int64_t bytes)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) {
        error_ = std::string("getrlimit: ") + std::strerror(errno);
        return;
    }
    oldSoft_ = limit.rlim_cur;
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        error_ = std::string("setrlimit: ") + std::strerror(errno);
        std::signal(SIGXFSZ, oldHandler_);
        return;
    }
    set_ = true;
}

FileSizeLimit::~FileSizeLimit()
{
    if (!set_)
        return;
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(oldSoft_);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler_);
}
