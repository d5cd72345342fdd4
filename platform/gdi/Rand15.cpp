#include "platform/gdi/Rand15.h"

#include <cstdint>

namespace {
thread_local std::uint32_t state = 1;
}

int Rand15()
{
    // Linear congruential step; the high half of the state gives the value.
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
}

void SRand15(unsigned seed)
{
    state = seed;
}
