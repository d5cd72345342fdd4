#include "support/DispatchTestSupport.h"

#include "core/config/ConfigSections.h"
#include "core/protocol/PacketFrame.h"

#include <algorithm>

void WriteFrame(std::uint8_t* frame, const Packet& packet)
{
    frame[0] = FRAME_START;
    SetFrameLength(frame, static_cast<std::uint16_t>(packet.bytes.size()));
    std::memcpy(frame + 3, packet.bytes.data(), packet.bytes.size());
    frame[3 + packet.bytes.size()] = Crc8(frame, 3 + packet.bytes.size());
}

void DeviceMemory::Append(int channel, std::int64_t index, std::vector<std::int8_t>& out) const
{
    index %= depth;
    if (index < 0) index += depth;
    if (min_max) {
        out.push_back(static_cast<std::int8_t>(value(channel, static_cast<int>(2 * index))));
        out.push_back(static_cast<std::int8_t>(value(channel, static_cast<int>(2 * index + 1))));
    } else {
        out.push_back(value(channel, static_cast<int>(index)));
    }
}

Packet DeviceMemory::Answer(const Packet& request) const
{
    const GetCh get = request.As<GetCh>();
    std::vector<std::int8_t> data;
    for (std::uint32_t i = 0; i < get.length; ++i)
        Append(get.ch, std::int64_t{get.offset} + i, data);
    ChPacket ch{};
    ch.data_id = PACKET_DATA_CH;
    ch.offset = get.offset;
    ch.buf_offset = get.buf_offset;
    ch.length = get.length;
    ch.ch = get.ch;
    ch.min_max = get.min_max;
    std::memcpy(ch.ch_data, data.data(), std::min(data.size(), sizeof(ch.ch_data)));
    Packet p = Packet::From(ch);
    p.bytes.resize(15 + std::min(data.size(), sizeof(ch.ch_data)));
    return p;
}

void DispatchTest::SetUp()
{
    DeleteOscData();
    ConfigSections.clear();
    dispatch.received_frame = received;
    dispatch.reply_frame = reply;
}

void DispatchTest::TearDown()
{
    DeleteOscData();
    ConfigSections.clear();
}

Packet DispatchTest::SendVersion(int version)
{
    PacketDataStructure<PACKET_DATA_VERSION> v{};
    v.data_id = PACKET_DATA_VERSION;
    v.version_major = static_cast<std::uint8_t>(version);
    v.version_minor = 0;
    return Send(Packet::From(v));
}

void DispatchTest::Identify(int version)
{
    ASSERT_EQ(SendVersion(version).Type(), PACKET_DATA_GET_STATE);
    if (version == 1 || version == 3) {
        // These devices are asked for their calibration data: answer with an empty table.
        PacketDataStructure<PACKET_DATA_CALIBRATION_DATA> cal{};
        cal.data_id = PACKET_DATA_CALIBRATION_DATA;
        Send(Packet::From(cal));
    }
    CSingleLock lock(&DataLock, TRUE);
    ASSERT_EQ(Data().GetVersion(), version);
    Data().changes = 0;
    Data().status = 0;
}

Packet DispatchTest::Send(const Packet& packet)
{
    std::fill(std::begin(received), std::end(received), 0);
    WriteFrame(received, packet);
    // The worker's preset: GET_STATE.
    reply[0] = FRAME_START;
    SetFrameLength(reply, 1);
    reply[3] = PACKET_DATA_GET_STATE;
    target->HandlePacket();
    const std::uint16_t length = GetFrameLength(reply);
    EXPECT_LE(length, FRAME_MAX_SENT_LENGTH);
    Packet answer;
    answer.bytes.assign(reply + 3, reply + 3 + std::min<std::uint16_t>(length, FRAME_MAX_SENT_LENGTH));
    return answer;
}

Packet DispatchTest::SendBare(std::uint8_t type)
{
    Packet p;
    p.bytes = {type};
    return Send(p);
}

Packet DispatchTest::SendState(std::uint16_t osc_sr, std::uint16_t osc_cr, std::uint32_t num_catched,
                               std::uint32_t first_trig, std::uint32_t before_trig)
{
    StateP s{};
    s.data_id = PACKET_DATA_STATE;
    s.osc_sr = osc_sr;
    s.osc_cr = osc_cr;
    s.first_trig_sample = first_trig;
    s.num_catched_samples = num_catched;
    s.samples_before_trig = before_trig;
    return Send(Packet::From(s));
}

Packet DispatchTest::SendCh(std::int32_t offset, std::uint32_t buf_offset, std::uint32_t length,
                            std::uint8_t ch, std::uint8_t min_max,
                            const std::vector<std::int8_t>& data)
{
    ChPacket p{};
    p.data_id = PACKET_DATA_CH;
    p.offset = offset;
    p.buf_offset = buf_offset;
    p.length = length;
    p.ch = ch;
    p.min_max = min_max;
    const std::size_t n = std::min(data.size(), sizeof(p.ch_data));
    if (n > 0) std::memcpy(p.ch_data, data.data(), n);
    Packet packet = Packet::From(p);
    packet.bytes.resize(15 + n);
    return Send(packet);
}
