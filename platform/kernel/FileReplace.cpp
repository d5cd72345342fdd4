#include "platform/kernel/FileReplace.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How many names CreateTemporaryBeside tries before it gives up; each collision means another
// writer picked the same name in the same instant, or an earlier program left its file behind.
constexpr int kTemporaryNameAttempts = 100;

// CFile::Write takes an unsigned count; larger contents go in pieces of this size.
constexpr std::size_t kWritePiece = 1u << 20;

// The file that a write to `path` really replaces: the target of a symbolic link, so that the
// rename does not put a plain file in place of the link.
std::string ReplacedFile(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return path;  // a dangling link: it is replaced like any name
    std::string target = resolved;
    std::free(resolved);
    return target;
}

// The process id tells two programs apart, the counter two saves of one program; the file is
// created only if the name is free, which makes it ours.
bool CreateTemporaryBeside(const std::string& path, UINT flags, CFile& file, std::string& temporary,
                           CFileException& error)
{
    static std::atomic<unsigned> counter{0};
    const UINT mode = CFile::modeCreate | CFile::modeCreateNew | CFile::modeWrite | (flags & CFile::typeText);
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary = path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
        if (file.Open(temporary.c_str(), mode, &error))
            return true;
        if (error.m_lOsError != EEXIST)
            return false;
    }
    return false;
}

void WriteAll(CFile& file, std::string_view content)
{
    for (std::size_t at = 0; at < content.size(); at += kWritePiece) {
        const std::size_t n = std::min(kWritePiece, content.size() - at);
        file.Write(content.data() + at, static_cast<UINT>(n));
    }
}

// Devices and pipes have no disk to flush to; a write error is all they report.
FileWriteResult WriteInPlace(const std::string& target, std::string_view content, UINT flags, CFileException& error)
{
    CFile file;
    if (!file.Open(target.c_str(), CFile::modeWrite | (flags & CFile::typeText), &error))
        return FileWriteResult::NotCreated;
    try {
        WriteAll(file, content);
    } catch (const CFileException& e) {
        error = e;
        return FileWriteResult::NotWritten;
    }
    return FileWriteResult::Written;
}

// A replaced file keeps the permissions it had; a new one gets the usual ones.
void TakePermissions(const std::string& from, const std::string& to)
{
    struct stat info {};
    if (::stat(from.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        ::chmod(to.c_str(), info.st_mode & 07777);
}

}  // namespace

FileWriteResult ReplaceFileContents(const std::string& path, std::string_view content, UINT flags,
                                    CFileException* error)
{
    auto fail = [&](FileWriteResult result, const CFileException& e) {
        if (error != nullptr)
            *error = CFileException(e.m_cause, e.m_lOsError, path);
        return result;
    };
    if (path.empty())
        return fail(FileWriteResult::NotCreated, CFileException(CFileException::badPath, ENOENT, path));
    const std::string target = ReplacedFile(path);
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        // A device or a pipe under the name has no content to keep and must stay what it is:
        // it takes the bytes directly. A folder cannot be opened for writing at all.
        if (!S_ISREG(info.st_mode)) {
            CFileException e;
            const FileWriteResult result = WriteInPlace(target, content, flags, e);
            return result == FileWriteResult::Written ? result : fail(result, e);
        }
        // The folder may let us rename over a file that its owner keeps from being written.
        if (::access(target.c_str(), W_OK) != 0)
            return fail(FileWriteResult::NotCreated, CFileException(CauseFromErrno(errno), errno, path));
    }
    CFile file;
    std::string temporary;
    CFileException created;
    if (!CreateTemporaryBeside(target, flags, file, temporary, created))
        return fail(FileWriteResult::NotCreated, created);
    try {
        WriteAll(file, content);
        // After a successful fsync, closing a local file has nothing left to report: the
        // delayed write errors that close could return have been returned by the flush.
        file.Flush();
        file.Close();
        TakePermissions(target, temporary);
        if (::rename(temporary.c_str(), target.c_str()) != 0)
            throw CFileException(CauseFromErrno(errno), errno, path);
    } catch (const CFileException& e) {
        file.Close();
        ::unlink(temporary.c_str());
        return fail(FileWriteResult::NotWritten, e);
    }
    return FileWriteResult::Written;
}
