#pragma once
// The 30-byte header at the start of each recorder file (little-endian, no padding). It is
// written last, when recording stops, over the hole left at the start of the file.

#include <cstddef>
#include <cstdint>

inline constexpr std::uint32_t RECORDER_MAGIC = 0x4C444F55;  // the bytes "UODL"
inline constexpr std::size_t RECORDER_HEADER_SIZE = 30;

#pragma pack(push, 1)
struct RecorderHeader {
    std::uint32_t magic;
    std::uint32_t version;         // data-model version 1..5
    std::uint32_t hw_version;      // hardware version the data model was created for
    std::int64_t start_time;       // Boost.Date_Time ptime ticks: julian day * 86400000000 + us
    std::uint32_t x_skip;
    std::uint8_t min_max;          // samples are minimum/maximum byte pairs
    std::uint8_t logic;            // the channel carries 8 logic lines
    std::uint32_t samples;
};
#pragma pack(pop)

static_assert(sizeof(RecorderHeader) == RECORDER_HEADER_SIZE);
static_assert(offsetof(RecorderHeader, version) == 4);
static_assert(offsetof(RecorderHeader, hw_version) == 8);
static_assert(offsetof(RecorderHeader, start_time) == 12);
static_assert(offsetof(RecorderHeader, x_skip) == 20);
static_assert(offsetof(RecorderHeader, min_max) == 24);
static_assert(offsetof(RecorderHeader, logic) == 25);
static_assert(offsetof(RecorderHeader, samples) == 26);
