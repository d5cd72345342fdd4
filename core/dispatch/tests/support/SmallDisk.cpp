#include "support/SmallDisk.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

std::int64_t PageSize()
{
    return static_cast<std::int64_t>(::sysconf(_SC_PAGESIZE));
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
