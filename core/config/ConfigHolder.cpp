#include "core/config/ConfigHolder.h"

#include "core/config/ArchiveCheck.h"
#include "platform/kernel/ProgramFolder.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

void WriteConfigArchive(std::ostream& out)
{
    boost::archive::xml_oarchive archive(out);
    ConfigHolder holder;
    archive << boost::serialization::make_nvp("config", holder);
}

void ReadConfigArchive(const std::string& text)
{
    RequireArchiveText(text, kMaxConfigFileBytes);
    std::istringstream in(text);
    boost::archive::xml_iarchive archive(in, kArchiveReadFlags);
    ConfigHolder holder;
    archive >> boost::serialization::make_nvp("config", holder);
}

std::string ChooseConfigFolder(const std::string& programFolder, bool programFolderWritable)
{
    if (programFolderWritable && !programFolder.empty())
        return programFolder;
    return GetUserConfigFolder("velkaro");
}

std::string GetConfigFilePath()
{
    const std::string program = GetProgramFolder();
    const std::string folder = ChooseConfigFolder(program, IsFolderWritable(program));
    if (folder.empty())
        return {};
    return folder + "/" + kConfigFileName;
}

namespace {

bool WriteAll(int fd, const std::string& content)
{
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// How many names CreateTemporaryBeside tries before it gives up; each collision means another
// writer picked the same name in the same instant.
constexpr int kTemporaryNameAttempts = 100;

// Creates a new file beside `path` under a name no one else is using: the process id tells two
// programs apart, the counter two saves of one program. O_EXCL makes the name ours; a file left
// behind by an earlier program of the same id only costs another attempt.
int CreateTemporaryBeside(const std::string& path, std::string& temporary)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary = path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

}  // namespace

bool WriteFileReplacing(const std::string& path, const std::string& content)
{
    if (path.empty())
        return false;
    std::string temporary;
    const int fd = CreateTemporaryBeside(path, temporary);
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, content) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& content)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return false;
    content = text.str();
    return true;
}

FileReadResult ReadFileUpTo(const std::string& path, std::size_t maxBytes, std::string& content)
{
    // Non-blocking, so that a pipe in the file's place cannot hang the start; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return FileReadResult::Missing;
    // The size is asked first so that a huge file costs nothing; reading stops at the cap all the
    // same, since the file may grow while it is read.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return FileReadResult::Missing;
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        ::close(fd);
        return FileReadResult::TooLarge;
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return FileReadResult::Missing;
        }
        if (n == 0)
            break;
        if (text.size() + static_cast<std::size_t>(n) > maxBytes) {
            ::close(fd);
            return FileReadResult::TooLarge;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    content = std::move(text);
    return FileReadResult::Read;
}
