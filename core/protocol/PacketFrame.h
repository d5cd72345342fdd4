#pragma once
// The frame every packet travels in, both ways and over every transport:
//
//   FF | length (u16 LE: type byte + payload) | type | payload | CRC-8
//
// The CRC-8 (polynomial 0x31, initial 0xFF, not reflected, no final XOR) covers everything
// from the start byte up to the last payload byte.

#include <cstddef>
#include <cstdint>

inline constexpr std::uint8_t FRAME_START = 0xFF;
inline constexpr std::uint16_t FRAME_MAX_RECEIVED_LENGTH = 2044; // 2048 bytes on the wire
inline constexpr std::uint16_t FRAME_MAX_SENT_LENGTH = 261;      // 265 bytes on the wire
inline constexpr std::size_t FRAME_OVERHEAD = 4;                 // start, length, CRC
inline constexpr std::size_t FRAME_MAX_RECEIVED_SIZE = FRAME_MAX_RECEIVED_LENGTH + FRAME_OVERHEAD;
inline constexpr std::size_t FRAME_MAX_SENT_SIZE = FRAME_MAX_SENT_LENGTH + FRAME_OVERHEAD;

// Entry i is the CRC of the single byte i.
extern const std::uint8_t Crc8Table[256];

// CRC-8 of n bytes, starting from 0xFF.
std::uint8_t Crc8(const std::uint8_t* data, std::size_t n);

// The length field of a frame.
inline std::uint16_t GetFrameLength(const std::uint8_t* frame)
{
    return static_cast<std::uint16_t>(frame[1] | (frame[2] << 8));
}

inline void SetFrameLength(std::uint8_t* frame, std::uint16_t length)
{
    frame[1] = static_cast<std::uint8_t>(length & 0xFF);
    frame[2] = static_cast<std::uint8_t>(length >> 8);
}

// True when the start byte is right, the length is at most 2044 and the CRC matches. Reads
// length + 4 bytes: the buffer must hold at least 2048 readable bytes unless the caller knows
// the frame is complete.
bool CheckFrame(const std::uint8_t* frame);

// Bytes the whole frame occupies: length + 4, or 2048 when the length field is out of range.
std::uint16_t GetFrameSize(const std::uint8_t* frame);

// Seals an outgoing frame in place: start byte, length cut to 261, CRC after the payload.
// The buffer must hold 265 bytes. The caller then sends length + 4 bytes.
void FinishFrame(std::uint8_t* frame);
