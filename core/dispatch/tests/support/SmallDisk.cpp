#include "support/SmallDisk.h"

#include <unistd.h>

std::int64_t PageSize()
{
    return static_cast<std::int64_t>(::sysconf(_SC_PAGESIZE));
}
