#pragma once
// Files as the recorder, its playback and the text exports use them. Open reports failure
// through its result (and the optional exception object); Read, Write and Seek on an open file
// throw CFileException when the system refuses them.
//
// typeText stores every "\n" written as CR LF, so that a text file reads the same on the
// instrument's other platforms; Read, Seek and GetLength work on the stored bytes.

#include "platform/kernel/WinTypes.h"

#include <cstdint>
#include <string>

class CFileException {
public:
    enum Cause { none = 0, genericException, fileNotFound, badPath, accessDenied, invalidFile, diskFull, endOfFile };

    CFileException() = default;
    CFileException(int cause, int osError, std::string fileName);

    // The system's description of the fault, cut to maxLength - 1 bytes (on a character
    // boundary) and NUL-terminated. False when there is no fault to describe.
    BOOL GetErrorMessage(char* buffer, UINT maxLength) const;
    std::string GetErrorMessage() const;

    int m_cause = none;
    int m_lOsError = 0;
    std::string m_strFileName;
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoTruncate = 0x0800,
        modeCreate = 0x1000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        osSequentialScan = 0x10000,
        // With modeCreate: fails with EEXIST instead of opening a file that is already there,
        // so that a name just made up is known to be nobody else's.
        modeCreateNew = 0x20000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    BOOL Open(const char* path, UINT flags, CFileException* error = nullptr);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    UINT Read(void* buffer, UINT count);
    void Write(const void* buffer, UINT count);
    // Waits until what was written is on the disk. Faults that the writes could not see yet
    // (a full or failing disk met at write-back) are thrown here as CFileException.
    void Flush();
    std::uint64_t Seek(std::int64_t offset, UINT from);
    void SeekToBegin() { Seek(0, begin); }
    std::uint64_t GetLength() const;
    // Cuts or extends the file to `length` bytes; the position is left where it was.
    void SetLength(std::uint64_t length);
    const std::string& GetFilePath() const { return path_; }

private:
    [[noreturn]] void Throw(int osError) const;
    void WriteRaw(const char* data, std::size_t count);

    int fd_ = -1;
    bool text_ = false;
    std::string path_;
};

// Maps an errno value to the CFileException cause that describes it best.
int CauseFromErrno(int osError);
