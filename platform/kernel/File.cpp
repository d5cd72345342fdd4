#include "platform/kernel/File.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CFileException::CFileException(int cause, int osError, std::string fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName))
{
}

std::string CFileException::GetErrorMessage() const
{
    if (m_lOsError != 0)
        return std::strerror(m_lOsError);
    if (m_cause == endOfFile)
        return "Unexpected end of file";
    // Refused before the system was asked: a pipe, a device or a socket under a file's name.
    if (m_cause == invalidFile)
        return "Not a regular file";
    if (m_cause != none)
        return "File error";
    return {};
}

BOOL CFileException::GetErrorMessage(char* buffer, UINT maxLength) const
{
    if (buffer == nullptr || maxLength == 0)
        return FALSE;
    const std::string text = GetErrorMessage();
    std::size_t n = text.size() < maxLength - 1 ? text.size() : maxLength - 1;
    // Never cut a UTF-8 sequence in half.
    while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return text.empty() ? FALSE : TRUE;
}

int CauseFromErrno(int osError)
{
    switch (osError) {
    case ENOENT: return CFileException::fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG: return CFileException::badPath;
    case EACCES:
    case EPERM:
    case EROFS: return CFileException::accessDenied;
    case ENOSPC:
    case EDQUOT: return CFileException::diskFull;
    case EISDIR:
    case EBADF: return CFileException::invalidFile;
    default: return CFileException::genericException;
    }
}

CFile::~CFile()
{
    Close();
}

BOOL CFile::Open(const char* path, UINT flags, CFileException* error)
{
    Close();
    if (path == nullptr || *path == '\0') {
        if (error != nullptr)
            *error = CFileException(CFileException::badPath, ENOENT, path != nullptr ? path : "");
        return FALSE;
    }
    int mode = O_RDONLY;
    if (flags & modeReadWrite)
        mode = O_RDWR;
    else if (flags & modeWrite)
        mode = O_WRONLY;
    if (flags & modeCreate) {
        mode |= O_CREAT;
        if (flags & modeCreateNew)
            mode |= O_EXCL;
        else if (!(flags & modeNoTruncate))
            mode |= O_TRUNC;
    }
    const int fd = ::open(path, mode | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int e = errno;
        if (error != nullptr)
            *error = CFileException(CauseFromErrno(e), e, path);
        return FALSE;
    }
    fd_ = fd;
    path_ = path;
    text_ = (flags & typeText) != 0;
    return TRUE;
}

void CFile::Close()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void CFile::Throw(int osError) const
{
    throw CFileException(CauseFromErrno(osError), osError, path_);
}

UINT CFile::Read(void* buffer, UINT count)
{
    if (fd_ < 0)
        Throw(EBADF);
    auto* out = static_cast<char*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd_, out + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Throw(errno);
        }
        if (n == 0)
            break;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CFile::Write(const void* buffer, UINT count)
{
    if (fd_ < 0)
        Throw(EBADF);
    const auto* in = static_cast<const char*>(buffer);
    if (!text_) {
        WriteRaw(in, count);
        return;
    }
    // Translated a slice at a time, so a large export never needs a second copy of itself.
    constexpr std::size_t kSlice = 32768;
    std::string out;
    out.reserve(2 * kSlice);
    for (std::size_t start = 0; start < count; start += kSlice) {
        const std::size_t end = std::min<std::size_t>(count, start + kSlice);
        out.clear();
        for (std::size_t i = start; i < end; ++i) {
            if (in[i] == '\n')
                out.push_back('\r');
            out.push_back(in[i]);
        }
        WriteRaw(out.data(), out.size());
    }
}

void CFile::Flush()
{
    if (fd_ < 0)
        Throw(EBADF);
    int result;
    do
        result = ::fsync(fd_);
    while (result != 0 && errno == EINTR);
    if (result != 0)
        Throw(errno);
}

void CFile::WriteRaw(const char* in, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, in + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Throw(errno);
        }
        if (n == 0)
            Throw(ENOSPC);
        done += static_cast<std::size_t>(n);
    }
}

std::uint64_t CFile::Seek(std::int64_t offset, UINT from)
{
    if (fd_ < 0)
        Throw(EBADF);
    const int whence = from == current ? SEEK_CUR : from == end ? SEEK_END : SEEK_SET;
    const off_t pos = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (pos < 0)
        Throw(errno);
    return static_cast<std::uint64_t>(pos);
}

std::uint64_t CFile::GetLength() const
{
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return 0;
    return static_cast<std::uint64_t>(st.st_size);
}

void CFile::SetLength(std::uint64_t length)
{
    if (fd_ < 0)
        Throw(EBADF);
    int result;
    do
        result = ::ftruncate(fd_, static_cast<off_t>(length));
    while (result != 0 && errno == EINTR);
    if (result != 0)
        Throw(errno);
}
