#include "core/protocol/PacketFrame.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    out.resize(FRAME_MAX_RECEIVED_SIZE, 0); // CheckFrame may read a whole receive buffer
    return out;
}

} // namespace

TEST(Crc8, MatchesThePublishedCheckValueAndTheTableIsTheBytewiseCrc)
{
    const char* check = "123456789";
    EXPECT_EQ(Crc8(reinterpret_cast<const std::uint8_t*>(check), 9), 0xF7);
    // Each table entry is the bitwise CRC (initial value 0) of the single byte i.
    for (int i = 0; i < 256; ++i) {
        std::uint8_t crc = static_cast<std::uint8_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint8_t>((crc & 0x80) ? (crc << 1) ^ 0x31 : crc << 1);
        ASSERT_EQ(Crc8Table[i], crc) << "entry " << i;
    }
}

TEST(PacketFrame, TheRequestsTheHostSendsAreSealedAsOnTheWire)
{
    struct Case {
        std::uint8_t type;
        std::array<std::uint8_t, 5> wire;
    };
    const Case cases[] = {
        {1, {0xFF, 0x01, 0x00, 0x01, 0x77}},  // GET_MODE, the opener
        {21, {0xFF, 0x01, 0x00, 0x15, 0xF0}}, // GET_STATE
        {3, {0xFF, 0x01, 0x00, 0x03, 0x15}},  // GET_VERSION
    };
    for (const Case& c : cases) {
        std::array<std::uint8_t, FRAME_MAX_SENT_SIZE> frame{};
        SetFrameLength(frame.data(), 1);
        frame[3] = c.type;
        FinishFrame(frame.data());
        EXPECT_EQ(0, std::memcmp(frame.data(), c.wire.data(), 5)) << "type " << int(c.type);
        EXPECT_TRUE(CheckFrame(Bytes({c.wire[0], c.wire[1], c.wire[2], c.wire[3], c.wire[4]}).data()));
        EXPECT_EQ(GetFrameSize(frame.data()), 5);
    }
}

TEST(PacketFrame, EverySingleBitFlipOfTheOpenerFails)
{
    const std::vector<std::uint8_t> good = Bytes({0xFF, 0x01, 0x00, 0x01, 0x77});
    ASSERT_TRUE(CheckFrame(good.data()));
    for (int byte = 0; byte < 5; ++byte) {
        for (int bit = 0; bit < 8; ++bit) {
            std::vector<std::uint8_t> bad = good;
            bad[static_cast<std::size_t>(byte)] ^= static_cast<std::uint8_t>(1 << bit);
            EXPECT_FALSE(CheckFrame(bad.data())) << "byte " << byte << " bit " << bit;
        }
    }
}

TEST(PacketFrame, LengthLimitsOfReceivedFrames)
{
    // Length 2044 with the right CRC passes and occupies 2048 bytes.
    std::vector<std::uint8_t> frame(FRAME_MAX_RECEIVED_SIZE, 0x5A);
    frame[0] = 0xFF;
    SetFrameLength(frame.data(), 2044);
    frame[3] = 25;
    frame[2047] = Crc8(frame.data(), 2047);
    EXPECT_TRUE(CheckFrame(frame.data()));
    EXPECT_EQ(GetFrameSize(frame.data()), 2048);

    // 2045 fails whatever its CRC; its size is reported as the whole buffer. The check never
    // reads past the 2048 bytes of the buffer (ASan watches the heap block).
    SetFrameLength(frame.data(), 2045);
    for (int crc = 0; crc < 256; ++crc) {
        frame[2047] = static_cast<std::uint8_t>(crc);
        ASSERT_FALSE(CheckFrame(frame.data()));
    }
    EXPECT_EQ(GetFrameSize(frame.data()), 2048);
    SetFrameLength(frame.data(), 0xFFFF);
    EXPECT_FALSE(CheckFrame(frame.data()));
    EXPECT_EQ(GetFrameSize(frame.data()), 2048);

    SetFrameLength(frame.data(), 1);
    EXPECT_EQ(GetFrameSize(frame.data()), 5);
}

TEST(PacketFrame, FinishFrameCutsOverlongPacketsAndRoundTripsEveryLength)
{
    std::vector<std::uint8_t> frame(FRAME_MAX_RECEIVED_SIZE, 0x33);
    frame[0] = 0x00; // start byte missing: FinishFrame writes it
    SetFrameLength(frame.data(), 300);
    FinishFrame(frame.data());
    EXPECT_EQ(frame[0], 0xFF);
    EXPECT_EQ(GetFrameLength(frame.data()), 261);
    EXPECT_EQ(frame[264], Crc8(frame.data(), 264));
    EXPECT_EQ(GetFrameSize(frame.data()), 265);
    EXPECT_TRUE(CheckFrame(frame.data()));

    for (std::uint16_t length = 1; length <= 261; ++length) {
        std::vector<std::uint8_t> f(FRAME_MAX_RECEIVED_SIZE, 0);
        SetFrameLength(f.data(), length);
        for (std::size_t i = 3; i < 3u + length; ++i)
            f[i] = static_cast<std::uint8_t>(i * 7 + length);
        FinishFrame(f.data());
        ASSERT_TRUE(CheckFrame(f.data())) << "length " << length;
        ASSERT_EQ(GetFrameSize(f.data()), length + 4);
    }
}
