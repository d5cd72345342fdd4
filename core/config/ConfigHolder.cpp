#include "core/config/ConfigHolder.h"

#include "platform/kernel/ProgramFolder.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

void WriteConfigArchive(std::ostream& out)
{
    boost::archive::xml_oarchive archive(out);
    ConfigHolder holder;
    archive << boost::serialization::make_nvp("config", holder);
}

void ReadConfigArchive(std::istream& in)
{
    boost::archive::xml_iarchive archive(in);
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

}  // namespace

bool WriteFileReplacing(const std::string& path, const std::string& content)
{
    if (path.empty())
        return false;
    const std::string temporary = path + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
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
