#pragma once
// Ways to make file writes fail for the recorder tests: a tmpfs of a few pages (needs the right
// to mount, as root in CI has), and a limit on the size of every file the process writes
// (RLIMIT_FSIZE, which any user may lower), so the behaviour is tested without root as well.

#include <cstdint>
#include <filesystem>
#include <string>

// Bytes of one memory page: the unit in which a tmpfs hands out space.
std::int64_t PageSize();

// A tmpfs of `pages` pages mounted on `folder` (created when missing); unmounted again when
// this goes away.
class SmallTmpfs {
public:
    SmallTmpfs(const std::filesystem::path& folder, int pages);
    ~SmallTmpfs();
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool Mounted() const { return mounted_; }
    // Why the mount was refused.
    const std::string& Error() const { return error_; }
    // Takes every free byte with a file of its own; false when a byte was left free.
    bool Fill();

private:
    std::filesystem::path folder_;
    bool mounted_ = false;
    std::string error_;
};

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
