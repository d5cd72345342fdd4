#pragma once
// Ways to make file writes fail for the recorder tests besides a small tmpfs (SmallTmpfs, which
// needs the right to mount, as root in CI has): a limit on the size of every file the process
// writes (RLIMIT_FSIZE, which any user may lower), so the behaviour is tested without root too.

#include <cstdint>
#include <string>

// Bytes of one memory page: the unit in which a tmpfs hands out space.
std::int64_t PageSize();

// Every file this process writes is limited to `bytes`: a write beyond the limit stores what
// fits and then fails with EFBIG. SIGXFSZ is ignored meanwhile, so the process lives on. Both
// are put back when this goes away.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::int64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool Set() const { return set_; }
    const std::string& Error() const { return error_; }

private:
    bool set_ = false;
    std::string error_;
    std::uint64_t oldSoft_ = 0;
    void (*oldHandler_)(int) = nullptr;
};
