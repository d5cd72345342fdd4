#pragma once
// Makes file writes and reservations beyond a size fail with EFBIG, as a full disk does, even
// for root and for any user: the process's file size limit is lowered for the object's
// lifetime and the signal that comes with it ignored; both are put back when it goes.

#include <csignal>
#include <sys/resource.h>

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        set_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    // Whether the limit took.
    bool Set() const { return set_; }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
    bool set_ = false;
};
