#include "platform/testing/LoopExt2.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <linux/loop.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string Failed(const std::string& what) { return what + ": " + std::strerror(errno); }

// Runs mkfs.ext2 quietly; an empty string, or why it did not make the file system.
std::string MakeFileSystem(const std::string& image)
{
    const pid_t child = ::fork();
    if (child < 0) return Failed("fork");
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        for (const char* mkfs : {"mkfs.ext2", "/sbin/mkfs.ext2", "/usr/sbin/mkfs.ext2"})
            ::execlp(mkfs, mkfs, "-q", "-F", "-b", "1024", "-m", "0", image.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child) return Failed("waitpid");
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return "mkfs.ext2 is not installed (e2fsprogs)";
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "mkfs.ext2 failed";
    return {};
}

}  // namespace

LoopExt2::LoopExt2(std::uint64_t bytes)
{
    std::string folder = (std::filesystem::temp_directory_path() / "velkaro-ext2-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        why_ = Failed("cannot make a folder for the image");
        return;
    }
    folder_ = folder;
    image_ = folder_ + "/image";
    path_ = folder_ + "/mounted";
    if (::mkdir(path_.c_str(), 0700) != 0) {
        why_ = Failed("mkdir");
        return;
    }
    const int image = ::open(image_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (image < 0 || ::ftruncate(image, static_cast<off_t>(bytes)) != 0) {
        why_ = Failed("cannot make the image");
        if (image >= 0) ::close(image);
        return;
    }
    why_ = MakeFileSystem(image_);
    if (!why_.empty()) {
        ::close(image);
        return;
    }
    // Another process may take the device it was told is free before this one attaches it:
    // then the next free one is asked for.
    const int control = ::open("/dev/loop-control", O_RDWR | O_CLOEXEC);
    if (control < 0) {
        why_ = Failed("no loop devices (needs root and /dev/loop-control)");
        ::close(image);
        return;
    }
    std::string loop;
    int device = -1;
    for (int attempt = 0; attempt < 64 && device < 0; ++attempt) {
        const int number = ::ioctl(control, LOOP_CTL_GET_FREE);
        if (number < 0) break;
        loop = "/dev/loop" + std::to_string(number);
        device = ::open(loop.c_str(), O_RDWR | O_CLOEXEC);
        if (device < 0) break;
        if (::ioctl(device, LOOP_SET_FD, image) != 0) {
            const int why = errno;
            ::close(device);
            device = -1;
            errno = why;
            if (why != EBUSY) break;
        }
    }
    const int why = errno;
    ::close(control);
    if (device < 0) {
        errno = why;
        why_ = Failed("cannot attach the image to a loop device");
        ::close(image);
        return;
    }
    ::close(image);
    // The loop device lets go of itself when the last user (the mount) goes.
    loop_info64 info{};
    info.lo_flags = LO_FLAGS_AUTOCLEAR;
    ::ioctl(device, LOOP_SET_STATUS64, &info);
    if (::mount(loop.c_str(), path_.c_str(), "ext2", MS_NOSUID | MS_NODEV | MS_NOEXEC, "") != 0) {
        why_ = Failed("mounting ext2 from " + loop + " failed");
        ::ioctl(device, LOOP_CLR_FD, 0);
        ::close(device);
        return;
    }
    ::close(device);
    mounted_ = true;
}

LoopExt2::~LoopExt2()
{
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    if (!folder_.empty()) {
        std::error_code ignored;
        ::rmdir(path_.c_str());
        std::filesystem::remove_all(folder_, ignored);
    }
}

std::uint64_t LoopExt2::FreeBytes() const
{
    struct statvfs info {};
    if (!mounted_ || ::statvfs(path_.c_str(), &info) != 0) return 0;
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

bool LoopExt2::FillUp(const std::string& name)
{
    if (!mounted_) return false;
    const int fd = ::open(PathOf(name).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    // Block by block at the end, so that the last free block is taken too.
    const std::string block(1024, 'f');
    int why = 0;
    for (;;) {
        const ssize_t done = ::write(fd, block.data(), block.size());
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) {
            why = done < 0 ? errno : ENOSPC;
            break;
        }
    }
    ::fsync(fd);
    ::close(fd);
    return why == ENOSPC && FreeBytes() == 0;
}
