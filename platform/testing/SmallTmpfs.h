#pragma once
// A small file system of a test's own, for what a full disk does to a write: a tmpfs mounted
// under a fresh folder and unmounted (folder and all) when the object goes. Mounting needs
// root (CAP_SYS_ADMIN); without it Mounted() is false and Why() says what the system refused.

#include <cstdint>
#include <string>

class SmallTmpfs {
public:
    // `bytes` is rounded up to whole pages by the kernel.
    explicit SmallTmpfs(std::uint64_t bytes);
    ~SmallTmpfs();
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Why() const { return why_; }
    const std::string& Path() const { return path_; }
    std::string PathOf(const std::string& name) const { return path_ + "/" + name; }

    std::uint64_t FreeBytes() const;
    // Fills the file system with the file `name` until exactly `bytes` are left free (a
    // multiple of the page size); false when that cannot be had.
    bool LeaveFree(std::uint64_t bytes, const std::string& name = "filler");
    // Removes every file, filler included.
    void Clear();

private:
    std::string path_;
    std::string why_;
    bool mounted_ = false;
};
