#include "packetview/LoggedFrame.h"

#include "core/log/EventLog.h"
#include "core/protocol/PacketData.h"
#include "core/protocol/PacketFrame.h"
#include "packetview/PacketRows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A sealed frame of any length up to the largest received one.
Bytes Frame(std::uint8_t type, const Bytes& payload = {})
{
    Bytes f(4 + payload.size() + 1);
    f[0] = 0xFF;
    SetFrameLength(f.data(), static_cast<std::uint16_t>(payload.size() + 1));
    f[3] = type;
    std::copy(payload.begin(), payload.end(), f.begin() + 4);
    f.back() = Crc8(f.data(), f.size() - 1);
    return f;
}

std::string Hex(const Bytes& bytes, const char* separator = " ")
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i)
    {
        if (i > 0)
            out += separator;
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

const std::string kPrefix = "09:05:03.007: ";

// The line the event log holds after writing the text.
std::string Logged(const std::string& text)
{
    std::uint64_t seen = EventLog::Instance()->GetTotal();
    EventLog::Instance()->Write(text);
    std::vector<std::string> lines;
    EventLog::Instance()->ReadNewLines(seen, lines);
    return lines.empty() ? std::string() : lines.back();
}

} // namespace

TEST(LoggedFrame, LinesAsTheEventLogHoldsThemDecodeToTheirFrame)
{
    // A sent GET_STATE, separated by blanks, written through the event log itself.
    const std::string line = Logged("T 5: " + Hex(Frame(PACKET_DATA_GET_STATE)));
    auto frame = DecodeLoggedFrame(line);
    ASSERT_TRUE(frame.has_value()) << line;
    EXPECT_TRUE(frame->sent);
    EXPECT_EQ(frame->type, PACKET_DATA_GET_STATE);
    EXPECT_EQ(frame->parsed, 5u);
    EXPECT_EQ(Bytes(frame->bytes.begin(), frame->bytes.begin() + 5),
              (Bytes{0xFF, 0x01, 0x00, 0x15, 0xF0}));

    // A received VERSION, digits written together, lower case too.
    const Bytes version = Frame(PACKET_DATA_VERSION, {4, 2});
    std::string hex = Hex(version, "");
    for (char& c : hex)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    frame = DecodeLoggedFrame(Logged("R 7:" + hex));
    ASSERT_TRUE(frame.has_value());
    EXPECT_FALSE(frame->sent);
    EXPECT_EQ(frame->type, PACKET_DATA_VERSION);
    EXPECT_EQ(frame->Payload()[1], 4);
    EXPECT_EQ(frame->Payload()[2], 2);
    // The rest of the buffer is zero, so a viewer may show the whole structure.
    EXPECT_EQ(frame->bytes[version.size()], 0);

    // The viewer opens on the decoded payload.
    const auto rows = BuildPacketRows(frame->type, frame->Payload(), frame->PayloadCapacity());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].label, "version_major =");
    EXPECT_EQ(rows[0].text, "4");

    // Mixed spacing and text before the colon.
    frame = DecodeLoggedFrame(kPrefix + "R frame (LA_TEST_READ):FF03 00 2A 0100" +
                              Hex(Bytes{Frame(PACKET_DATA_LA_TEST_READ, {1, 0}).back()}));
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->type, PACKET_DATA_LA_TEST_READ);
}

TEST(LoggedFrame, TheLargestFrameAndBytesAfterIt)
{
    Bytes payload(2043);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<std::uint8_t>(i * 7);
    const Bytes ch = Frame(PACKET_DATA_CH, payload);
    ASSERT_EQ(ch.size(), 2048u);
    auto frame = DecodeLoggedFrame(kPrefix + "R 2048: " + Hex(ch));
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->type, PACKET_DATA_CH);
    EXPECT_EQ(Bytes(frame->bytes.begin(), frame->bytes.end()), ch);
    const auto rows = BuildPacketRows(frame->type, frame->Payload(), frame->PayloadCapacity());
    EXPECT_EQ(rows.back().label, "ch_data[2028] =");

    // Bytes beyond the 2048th are not stored; the frame in front still counts.
    frame = DecodeLoggedFrame(kPrefix + "R 2050: " + Hex(ch) + " 12 34");
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->parsed, 2048u);

    // Shorter frames with trailing bytes after their CRC are read as the frame.
    frame = DecodeLoggedFrame(kPrefix + "T 6: " + Hex(Frame(PACKET_DATA_GET_VERSION)) + " AB");
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->type, PACKET_DATA_GET_VERSION);

    // A length above the largest frame is refused even with 2048 bytes present.
    Bytes big = ch;
    SetFrameLength(big.data(), 2045);
    big.back() = Crc8(big.data(), big.size() - 1);
    EXPECT_FALSE(DecodeLoggedFrame(kPrefix + "R x: " + Hex(big) + " 00 00").has_value());
}

TEST(LoggedFrame, LinesThatAreNoFrameLinesAreIgnored)
{
    const std::string getState = Hex(Frame(PACKET_DATA_GET_STATE));
    EXPECT_FALSE(DecodeLoggedFrame("").has_value());
    EXPECT_FALSE(DecodeLoggedFrame("09:05:03.007:").has_value());
    EXPECT_FALSE(DecodeLoggedFrame(kPrefix + "timeout!").has_value());
    EXPECT_FALSE(DecodeLoggedFrame(kPrefix + "X 5: " + getState).has_value());
    EXPECT_FALSE(DecodeLoggedFrame(kPrefix + "T5: " + getState).has_value());
    EXPECT_FALSE(DecodeLoggedFrame(kPrefix + "T " + getState).has_value()) << "no colon";
    EXPECT_FALSE(DecodeLoggedFrame("T 5: " + getState).has_value()) << "no time prefix";
    EXPECT_FALSE(DecodeLoggedFrame(kPrefix + "T 5:").has_value());
}

TEST(LoggedFrame, OnlyPairsOfHexDigitsAreBytes)
{
    // Each line would read as the GET_STATE frame FF 01 00 15 F0 if a sign, a "0x" prefix, a
    // lone digit or a broken pair were taken as a byte.
    for (const char* text : {"FF 1 00 15 F0", "FF 01 0 15 F0", "FF +1 00 15 F0",
                             "FF 01 -0 15 F0", "FF 0x1 00 15 F0",                              "FF 01 00 1G5 F0", "FF 01 00 15 F", "FF 01 00 15 F 0"})
    {
        EXPECT_FALSE(DecodeLoggedFrame(kPrefix + "T 5: " + text).has_value()) << text;
    }
    // A character that starts no pair is passed over, one at a time.
    auto frame = DecodeLoggedFrame(kPrefix + "T 5: FF,01,00,15,F0");
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->parsed, 5u);
    frame = DecodeLoggedFrame(kPrefix + "T 5: xFF 0x01 0x00 0x15 0xF0");
    ASSERT_TRUE(frame.has_value()) << "the digits after an x are still a pair";
}

TEST(LoggedFrame, TruncatedFramesAreRefusedEvenWhenTheZeroedBufferWouldCompleteThem)
{
    // Find a one-byte packet whose CRC is 0: its line without the CRC leaves the buffer
    // holding exactly the complete frame, yet the line did not contain it.
    Bytes zeroCrc;
    for (int type = 0; type < 256 && zeroCrc.empty(); ++type)
    {
        Bytes f = Frame(static_cast<std::uint8_t>(type));
        if (f.back() == 0)
            zeroCrc = f;
    }
    ASSERT_FALSE(zeroCrc.empty());
    ASSERT_TRUE(DecodeLoggedFrame(kPrefix + "R 5: " + Hex(zeroCrc)).has_value());
    zeroCrc.pop_back();
    EXPECT_FALSE(DecodeLoggedFrame(kPrefix + "R 4: " + Hex(zeroCrc)).has_value());

    // Cut anywhere, a frame is refused.
    const Bytes state = Frame(PACKET_DATA_STATE, Bytes(18, 0x33));
    for (std::size_t n = 0; n < state.size(); ++n)
        EXPECT_FALSE(
            DecodeLoggedFrame(kPrefix + "R: " + Hex(Bytes(state.begin(), state.begin() + n)))
                .has_value())
            << n;

    // A length of 0 carries no packet type, even with a matching CRC.
    Bytes empty = {0xFF, 0x00, 0x00};
    empty.push_back(Crc8(empty.data(), empty.size()));
    EXPECT_FALSE(DecodeLoggedFrame(kPrefix + "R: " + Hex(empty)).has_value());
    EXPECT_FALSE(DecodeLoggedFrame(kPrefix + "R: " + Hex(empty) + " 00 00").has_value());
}

TEST(LoggedFrame, OverLongInputStaysInsideTheBuffer)
{
    // A megabyte of bytes: the first 2048 are stored and the rest is not even read into the
    // buffer; 0xFFFF is no valid length.
    std::string huge = kPrefix + "R 1: ";
    huge.reserve(huge.size() + 2 * 1024 * 1024);
    for (int i = 0; i < 1024 * 1024; ++i)
        huge += "FF";
    auto frame = DecodeLoggedFrame(huge);
    EXPECT_FALSE(frame.has_value());

    // Garbage of every byte value, including bytes of UTF-8 text.
    std::string noise = kPrefix + "R ошибка: ";
    for (int i = 0; i < 5000; ++i)
        noise += static_cast<char>(i * 37 % 256);
    EXPECT_FALSE(DecodeLoggedFrame(noise).has_value());
}
