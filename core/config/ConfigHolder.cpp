#include "core/config/ConfigHolder.h"

#include "core/config/ArchiveCheck.h"
#include "platform/kernel/FileReplace.h"
#include "platform/kernel/ProgramFolder.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>

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

bool WriteFileReplacing(const std::string& path, const std::string& content)
{
    FileReplaceOptions options;
    options.writeInPlaceRatherThanLose = false;
    return ReplaceFileContents(path, content, options) == FileWriteResult::Written;
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
