#pragma once
// Ways to make file writes fail for the recorder tests besides a small tmpfs (SmallTmpfs, which
// needs the right to mount, as root in CI has): a limit on the size of every file the process
// writes (FileSizeLimit, which any user may set), so the behaviour is tested without root too.

#include "platform/testing/FileSizeLimit.h"

#include <cstdint>

// Bytes of one memory page: the unit in which a tmpfs hands out space.
std::int64_t PageSize();
