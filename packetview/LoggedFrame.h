#pragma once
// Reading a frame back from an event-log line, for the service window's and the test tool's
// double click. A frame line is the log's 14-character time prefix "hh:mm:ss.mmm: ", then
// "T " (a frame the host sent) or "R " (one it received), any text up to the first ':', and
// the frame's bytes as pairs of hexadecimal digits, with or without blanks between them:
//
//   09:05:03.007: R 5: FF 01 00 04 ...
//
// The bytes go into a zeroed buffer of the largest frame's size; the line is accepted only
// when they hold a whole, valid frame.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

struct LoggedFrame {
    static constexpr std::size_t kBufferSize = 2048;
    static constexpr std::size_t kTimePrefixLength = 14;

    std::array<std::uint8_t, kBufferSize> bytes{}; // the frame, zero after it
    std::size_t parsed = 0;                        // bytes read from the line (at most 2048)
    bool sent = false;                             // "T " line: the host sent it
    std::uint8_t type = 0;                         // the packet type, byte 3

    // The packet from data_id on, and the bytes of the buffer from there.
    std::uint8_t* Payload() { return bytes.data() + 3; }
    const std::uint8_t* Payload() const { return bytes.data() + 3; }
    static constexpr std::size_t PayloadCapacity() { return kBufferSize - 3; }
};

// The frame logged on the line, or nothing when the line is not a frame line or its bytes do
// not form a valid frame.
std::optional<LoggedFrame> DecodeLoggedFrame(std::string_view line);
