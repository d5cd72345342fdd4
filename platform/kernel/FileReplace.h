#pragma once
// Whole files written so that a reader never meets half of one: the settings, the saved
// images, the text reports and tables. A full disk or a failing device leaves the file of that
// name exactly as it was (or absent), never cut short, wherever a new file can take the old
// one's place without losing anything the old one had.

#include "platform/kernel/File.h"

#include <functional>
#include <string>
#include <string_view>

enum class FileWriteResult {
    Written,
    NotCreated,  // nothing could be created or opened under the name (no such folder, no
                 // permission, a folder or a pipe in its place); the name is untouched
    NotWritten,  // created or opened, but the content did not all reach the disk, or the rename failed
};

struct FileReplaceOptions {
    // CFile::typeText stores every "\n" as CR LF.
    UINT flags = CFile::typeBinary;
    // A user's file is written in place, as an editor would, whenever a new file renamed over
    // it would not be the same file any more: another owner or group that cannot be given back,
    // a second hard link, a folder the user may not write, extended attributes (ACLs) the new
    // file does not take, a file mounted over the name. Room for the whole new content, the
    // holes of a sparse file included, is made sure of before the first old byte changes (set
    // aside where the file system can; where it cannot, found by writing the part past the old
    // end and the blocks that read as zeros first), so a full disk, a quota or a size limit
    // leaves the old content whole; only a device failing half-way can cut it, or, on a file
    // system that writes every change to new blocks (btrfs, ZFS), a disk that fills meanwhile.
    // False: the file is only ever replaced whole, so that no failure can cost the old content
    // (the program's own settings); owner, group, ACL and permissions are kept where the
    // system allows (a group member who cannot give the file back to its owner still gives it
    // back to its group), a second hard link is given up. Where the ACL cannot be kept, the
    // group gets what the ACL's entry for it gave, never the ACL's wider mask.
    bool writeInPlaceRatherThanLose = true;
    // Puts a file's bytes, and after the rename its folder's entry, on the disk: fsync, unless a
    // test puts in one that fails. Returns 0, or -1 with errno set.
    std::function<int(int fd)> sync;
    // Names the new file beside the target, one call per attempt (a name taken already is
    // never written into, and another is asked for): short random ones, unless a test puts in
    // names of its own. A name holds no '/'.
    std::function<std::string()> temporaryName;
};

// Makes `content` the whole content of the file at `path`. The bytes go to a new file beside it
// (the same folder, so the rename never crosses file systems, under a short name of its own
// that no other program or thread uses at the same time, created exclusively so that nothing
// already under that name is written into), made no more open than the old file from the
// start, given the old file's owner, group, extended attributes (ACLs) and permissions before
// the first byte, flushed to the disk, and only then renamed over
// `path`; the folder is flushed after the rename. On any failure, an exception included, the
// new file is removed. Where the rename would lose something (see FileReplaceOptions), the
// file is written in place instead.
// A symbolic link stays a link: the file it points to is written (created when the link
// dangles). Anything under the name that is not a regular file (a pipe, a device, a folder)
// is refused without being opened for writing, so the save never waits on it.
// *error, when given, says why a write failed.
FileWriteResult ReplaceFileContents(const std::string& path, std::string_view content,
                                    const FileReplaceOptions& options, CFileException* error = nullptr);

// The same with the default options and the given CFile type flags.
FileWriteResult ReplaceFileContents(const std::string& path, std::string_view content,
                                    UINT flags = CFile::typeBinary, CFileException* error = nullptr);
