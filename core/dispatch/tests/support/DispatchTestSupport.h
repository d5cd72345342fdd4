#pragma once
// A scripted instrument for the dispatcher tests: frames are written into the dispatcher's
// receive buffer as the link worker would, HandlePacket runs, and the reply packet is read
// back. A ramp-filled device memory answers GET_CH requests.

#include "core/data/OscData.h"
#include "core/dispatch/OscDispatch.h"
#include "core/protocol/PacketData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

// One packet as it travels in a frame: the type byte, then the payload.
struct Packet {
    std::vector<std::uint8_t> bytes;

    std::uint8_t Type() const { return bytes.empty() ? 0xFF : bytes[0]; }
    std::size_t Length() const { return bytes.size(); }

    // The packet read as a payload layout (zero-filled where the packet is shorter).
    template <class T>
    T As() const
    {
        T value{};
        std::memcpy(&value, bytes.data(), std::min(sizeof(T), bytes.size()));
        return value;
    }

    template <class T>
    static Packet From(const T& value)
    {
        Packet p;
        p.bytes.resize(sizeof(T));
        std::memcpy(p.bytes.data(), &value, sizeof(T));
        return p;
    }
};

using GetCh = PacketDataStructure<PACKET_DATA_GET_CH>;
using ChPacket = PacketDataStructure<PACKET_DATA_CH>;
using StateP = PacketDataStructure<PACKET_DATA_STATE>;
using StartP = PacketDataStructure<PACKET_DATA_START_CYCLONE>;

// The device's sample memory: sample i of a channel is Value(channel, i); with min/max sampling
// sample i is the pair (Value - 1, Value + 1)... as the tests choose through `value`.
struct DeviceMemory {
    unsigned depth = 0;
    std::function<std::int8_t(int channel, int index)> value;
    bool min_max = false;

    // Bytes of one sample at a memory index (wrapping at the depth).
    void Append(int channel, std::int64_t index, std::vector<std::int8_t>& out) const;
    // The CH answer to a GET_CH request (raw samples: the device does not average).
    Packet Answer(const Packet& request) const;
};

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A fresh model of the version, identified through a VERSION packet, with nothing pending.
    void Identify(int version);
    Packet SendVersion(int version);
    OscData& Data() { return *GetOscData(); }

    // Writes the packet into the receive buffer, presets the reply to GET_STATE and handles it.
    Packet Send(const Packet& packet);
    Packet SendBare(std::uint8_t type);
    Packet SendState(std::uint16_t osc_sr, std::uint16_t osc_cr = 0x1001,
                     std::uint32_t num_catched = 0, std::uint32_t first_trig = 0,
                     std::uint32_t before_trig = 0);
    Packet SendCh(std::int32_t offset, std::uint32_t buf_offset, std::uint32_t length,
                  std::uint8_t ch, std::uint8_t min_max, const std::vector<std::int8_t>& data);

    std::uint8_t received[2060] = {};
    std::uint8_t reply[272] = {};
    COscDispatch dispatch;
    // The dispatcher the Send calls reach (another one for tests that destroy theirs).
    COscDispatch* target = &dispatch;
};

// Writes a frame holding the packet into `frame` (start byte, length, packet, CRC-8).
void WriteFrame(std::uint8_t* frame, const Packet& packet);

// A packed field read by value (gtest's comparisons bind references, which packed fields
// cannot take).
template <class T>
T Val(T value)
{
    return value;
}
