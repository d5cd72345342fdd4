#include "support/WalkingOneBench.h"

#include "core/log/EventLog.h"
#include "core/protocol/PacketData.h"
#include "core/protocol/PacketFrame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

Bytes Packet(std::uint8_t type, const Bytes& payload)
{
    Bytes p{type};
    p.insert(p.end(), payload.begin(), payload.end());
    return p;
}

Bytes FakeInstrument::Answer(const Bytes& hostPacket)
{
    switch (hostPacket.at(0))
    {
    case PACKET_DATA_GET_MODE:
        return Packet(PACKET_DATA_MODE, {0});
    case PACKET_DATA_GET_VERSION:
        return Packet(PACKET_DATA_VERSION, {versionMajor, 0});
    case PACKET_DATA_LA_TEST_WRITE: {
        const std::uint8_t b = hostPacket.at(1);
        const std::uint8_t f = hostPacket.at(2);
        writes.emplace_back(b, f);
        return Packet(PACKET_DATA_LA_TEST_READ, {busA(b), extTrig(f)});
    }
    case PACKET_DATA_GET_STATE:
    default:
        return Packet(PACKET_DATA_STATE, Bytes(18, 0));
    }
}

HostSide::HostSide(CTestDispatch& d) : dispatch(d)
{
    dispatch.received_frame = receive_;
    dispatch.reply_frame = reply_;
}

Bytes HostSide::Handle(const Bytes& devicePacket)
{
    return HandleWithLength(devicePacket, static_cast<std::uint16_t>(devicePacket.size()));
}

Bytes HostSide::HandleWithLength(const Bytes& devicePacket, std::uint16_t length)
{
    receive_[0] = FRAME_START;
    SetFrameLength(receive_, length);
    std::copy(devicePacket.begin(), devicePacket.end(), receive_ + 3);
    receive_[3 + length] = Crc8(receive_, 3u + length);
    // As the worker does: preset GET_STATE, clear the message, hand over.
    SetFrameLength(reply_, 1);
    reply_[3] = PACKET_DATA_GET_STATE;
    dispatch.message.Empty();
    dispatch.HandlePacket();
    const std::uint16_t replyLength = GetFrameLength(reply_);
    EXPECT_GE(replyLength, 1);
    EXPECT_LE(replyLength, FRAME_MAX_SENT_LENGTH);
    return Bytes(reply_ + 3, reply_ + 3 + std::min<std::uint16_t>(replyLength, 261));
}

Bytes Converse(HostSide& host, FakeInstrument& device, int answers, Bytes next)
{
    for (int i = 0; i < answers; ++i)
        next = host.Handle(device.Answer(next));
    return next;
}

std::vector<std::string> LogSince(std::uint64_t total)
{
    std::vector<std::string> lines;
    EventLog::Instance()->ReadNewLines(total, lines);
    return lines;
}

std::uint64_t LogTotal()
{
    return EventLog::Instance()->GetTotal();
}

int CountEnding(const std::vector<std::string>& lines, const std::string& text)
{
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.size() >= text.size() && l.compare(l.size() - text.size(), text.size(), text) == 0;
    }));
}

int CountContaining(const std::vector<std::string>& lines, const std::string& text)
{
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.find(text) != std::string::npos;
    }));
}
