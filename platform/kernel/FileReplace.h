#pragma once
// Whole files written so that a reader never meets half of one: the settings, the saved
// images, the text reports and tables. A full disk or a failing device leaves the file of that
// name exactly as it was (or absent), never cut short.

#include "platform/kernel/File.h"

#include <string>
#include <string_view>

enum class FileWriteResult {
    Written,
    NotCreated,  // nothing could be created beside the name (no such folder, no permission)
    NotWritten,  // created, but the content did not all reach the disk, or the rename failed
};

// Makes `content` the whole content of the file at `path`. The bytes go to a new file beside it
// (the same folder, so the rename never crosses file systems, under a name no other program or
// thread uses at the same time), are flushed to the disk, and only then is that file renamed
// over `path`. On any failure the new file is removed.
// A file replaced keeps its permissions; when `path` is a symbolic link, the file it points to
// is replaced and the link stays. CFile::typeText in `flags` stores every "\n" as CR LF.
// *error, when given, says why a write failed.
FileWriteResult ReplaceFileContents(const std::string& path, std::string_view content,
                                    UINT flags = CFile::typeBinary, CFileException* error = nullptr);
