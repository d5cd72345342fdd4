#include "sim/VirtualInstrument.h"

#include "core/protocol/PacketData.h"
#include "core/protocol/PacketFrame.h"

#include <algorithm>
#include <cstring>

namespace {

// The largest frame the host may send.
constexpr std::size_t kMaxHostFrame = FRAME_MAX_SENT_SIZE;

template <typename T>
T ReadPacket(const std::uint8_t* packet, std::size_t length)
{
    T value{};
    std::memcpy(&value, packet, std::min(length, sizeof(T)));
    return value;
}

} // namespace

VirtualInstrument::VirtualInstrument(Clock& clock) : clock_(clock) {}

void VirtualInstrument::SetVersion(std::uint8_t major, std::uint8_t minor)
{
    std::lock_guard<std::mutex> lock(mutex_);
    versionMajor_ = major;
    versionMinor_ = minor;
}

void VirtualInstrument::SetMode(std::uint8_t modeId)
{
    std::lock_guard<std::mutex> lock(mutex_);
    modeId_ = modeId;
}

void VirtualInstrument::SetWiring(const Wiring& wiring)
{
    std::lock_guard<std::mutex> lock(mutex_);
    wiring_ = wiring;
}

void VirtualInstrument::SetState(std::uint16_t oscSr, std::uint16_t oscCr, std::uint16_t analogCr)
{
    std::lock_guard<std::mutex> lock(mutex_);
    oscSr_ = oscSr;
    oscCr_ = oscCr;
    analogCr_ = analogCr;
}

void VirtualInstrument::SetSilent(bool silent)
{
    std::lock_guard<std::mutex> lock(mutex_);
    silent_ = silent;
}

void VirtualInstrument::SetReplyDelay(DWORD ms)
{
    std::lock_guard<std::mutex> lock(mutex_);
    replyDelay_ = ms;
}

void VirtualInstrument::SetCorruptEvery(int n)
{
    std::lock_guard<std::mutex> lock(mutex_);
    corruptEvery_ = std::max(0, n);
}

void VirtualInstrument::SetSplitSize(int bytes)
{
    std::lock_guard<std::mutex> lock(mutex_);
    splitSize_ = std::max(0, bytes);
}

VirtualInstrument::Counters VirtualInstrument::GetCounters()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return counters_;
}

void VirtualInstrument::Disconnect()
{
    std::lock_guard<std::mutex> lock(mutex_);
    input_.clear();
    output_.clear();
}

void VirtualInstrument::Receive(const std::uint8_t* data, std::size_t size)
{
    if (data == nullptr || size == 0)
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    input_.insert(input_.end(), data, data + size);
    for (;;) {
        // Resynchronise on a start byte.
        const auto start = std::find(input_.begin(), input_.end(), FRAME_START);
        input_.erase(input_.begin(), start);
        if (input_.size() < 3)
            return;
        const std::size_t length = GetFrameLength(input_.data());
        if (length < 1 || length + FRAME_OVERHEAD > kMaxHostFrame) {
            input_.erase(input_.begin());
            continue;
        }
        if (input_.size() < length + FRAME_OVERHEAD)
            return;
        if (Crc8(input_.data(), length + 3) != input_[length + 3]) {
            ++counters_.badFrames;
            input_.erase(input_.begin());
            continue;
        }
        ++counters_.framesReceived;
        const Bytes packet(input_.begin() + 3, input_.begin() + 3 + static_cast<std::ptrdiff_t>(length));
        input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(length + FRAME_OVERHEAD));
        HandleFrame(packet.data(), packet.size());
    }
}

void VirtualInstrument::HandleFrame(const std::uint8_t* packet, std::size_t length)
{
    if (silent_)
        return;
    Bytes answer;
    if (Answer(packet, length, answer))
        Queue(answer);
}

bool VirtualInstrument::Answer(const std::uint8_t* packet, std::size_t length, Bytes& answer)
{
    switch (packet[0]) {
    case PACKET_DATA_GET_MODE: {
        PacketDataStructure<PACKET_DATA_MODE> mode{PACKET_DATA_MODE, modeId_};
        answer = PacketBytes(mode);
        return true;
    }
    case PACKET_DATA_SET_MODE: {
        const auto request = ReadPacket<PacketDataStructure<PACKET_DATA_SET_MODE>>(packet, length);
        const bool restart = modeId_ != request.mode_id;
        modeId_ = request.mode_id;
        // Leaving the boot loader restarts the device: it answers the next opener.
        if (restart)
            return false;
        PacketDataStructure<PACKET_DATA_MODE> mode{PACKET_DATA_MODE, modeId_};
        answer = PacketBytes(mode);
        return true;
    }
    case PACKET_DATA_GET_VERSION: {
        PacketDataStructure<PACKET_DATA_VERSION> version{PACKET_DATA_VERSION, versionMajor_, versionMinor_};
        answer = PacketBytes(version);
        return true;
    }
    case PACKET_DATA_LA_TEST_WRITE: {
        const auto write = ReadPacket<PacketDataStructure<PACKET_DATA_LA_TEST_WRITE>>(packet, length);
        PacketDataStructure<PACKET_DATA_LA_TEST_READ> read{};
        read.data_id = PACKET_DATA_LA_TEST_READ;
        read.digital_A_bus = wiring_.busStuck ? wiring_.busStuckValue : write.digital_B_bus_test;
        read.ext_trig = wiring_.extTrigStuck ? wiring_.extTrigValue : static_cast<std::uint8_t>(write.freq_out_test & 1);
        answer = PacketBytes(read);
        return true;
    }
    case PACKET_DATA_WRITE_ANALOG_CR: {
        const auto write = ReadPacket<PacketDataStructure<PACKET_DATA_WRITE_ANALOG_CR>>(packet, length);
        analogCr_ = write.analog_cr;
        answer = Bytes{19};
        return true;
    }
    case PACKET_DATA_START_CYCLONE:
        answer = Bytes{28};
        return true;
    case PACKET_DATA_SET_OUT_FREQ: {
        PacketDataStructure<PACKET_DATA_OUT_FREQ_WRITTEN> written{};
        written.data_id = PACKET_DATA_OUT_FREQ_WRITTEN;
        written.result = 0;
        answer = PacketBytes(written);
        return true;
    }
    case PACKET_DATA_WRITE_OFFSET_DAC_CMD:
        answer = Bytes{40};
        return true;
    default: {
        // GET_STATE, and anything this stage does not model yet: the device reports its state.
        PacketDataStructure<PACKET_DATA_STATE> state{};
        state.data_id = PACKET_DATA_STATE;
        state.osc_sr = oscSr_;
        state.osc_cr = oscCr_;
        state.analog_cr = analogCr_;
        answer = PacketBytes(state);
        ++counters_.stateAnswers;
        return true;
    }
    }
}

void VirtualInstrument::Queue(const Bytes& packet)
{
    Bytes frame(packet.size() + FRAME_OVERHEAD);
    SetFrameLength(frame.data(), static_cast<std::uint16_t>(packet.size()));
    std::copy(packet.begin(), packet.end(), frame.begin() + 3);
    frame[0] = FRAME_START;
    frame.back() = Crc8(frame.data(), frame.size() - 1);
    ++counters_.answers;
    if (corruptEvery_ > 0 && counters_.answers % corruptEvery_ == 0)
        frame.back() ^= 0x5A;
    const DWORD due = clock_.GetTickCount() + replyDelay_;
    const std::size_t piece = splitSize_ > 0 ? static_cast<std::size_t>(splitSize_) : frame.size();
    for (std::size_t pos = 0; pos < frame.size(); pos += piece) {
        const std::size_t end = std::min(frame.size(), pos + piece);
        output_.push_back(Pending{due, Bytes(frame.begin() + static_cast<std::ptrdiff_t>(pos),
                                             frame.begin() + static_cast<std::ptrdiff_t>(end))});
    }
}

bool VirtualInstrument::HasOutputDue()
{
    std::lock_guard<std::mutex> lock(mutex_);
    const DWORD now = clock_.GetTickCount();
    return !output_.empty() && static_cast<std::int32_t>(now - output_.front().due) >= 0;
}

std::vector<VirtualInstrument::Bytes> VirtualInstrument::TakeOutput()
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Bytes> due;
    const DWORD now = clock_.GetTickCount();
    while (!output_.empty() && static_cast<std::int32_t>(now - output_.front().due) >= 0) {
        due.push_back(std::move(output_.front().chunk));
        output_.pop_front();
    }
    return due;
}
