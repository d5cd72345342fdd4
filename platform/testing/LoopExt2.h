#pragma once
// A small ext2 file system of a test's own: an image file made with mkfs.ext2, attached to a
// loop device and mounted under a fresh folder; unmounted, detached and removed when the object
// goes. ext2 reserves no room ahead (it has no fallocate), so it shows what a full disk does to
// a writer that cannot set room aside. Needs root (CAP_SYS_ADMIN), a free loop device and
// mkfs.ext2 (e2fsprogs); without them Mounted() is false and Why() says what was missing.

#include <cstdint>
#include <string>

class LoopExt2 {
public:
    // `bytes` of image, in 1 KiB blocks, none of them kept back for root.
    explicit LoopExt2(std::uint64_t bytes);
    ~LoopExt2();
    LoopExt2(const LoopExt2&) = delete;
    LoopExt2& operator=(const LoopExt2&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Why() const { return why_; }
    const std::string& Path() const { return path_; }
    std::string PathOf(const std::string& name) const { return path_ + "/" + name; }

    std::uint64_t FreeBytes() const;
    // Writes the file `name` until the file system takes no more; false when it still could.
    bool FillUp(const std::string& name = "filler");

private:
    std::string folder_;  // holds the image and the mount point
    std::string image_;
    std::string path_;
    std::string why_;
    bool mounted_ = false;
};
