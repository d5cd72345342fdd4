#include "sim/VirtualInstrument.h"

#include "core/protocol/PacketData.h"
#include "core/protocol/PacketFrame.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
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

constexpr std::int64_t kPsPerMs = 1000000000;
constexpr std::uint16_t kOscCrTriggerOn = 0x2;
constexpr std::uint16_t kOscCrMinMax = 0x20;
constexpr std::uint16_t kOscCrLogicA = 0x200;
constexpr std::uint16_t kOscCrLogicB = 0x400;
constexpr std::uint16_t kOscCrChA = 0x1000;
constexpr std::uint16_t kOscCrChB = 0x2000;
constexpr std::uint8_t kCycleStarted = 28;
constexpr std::uint8_t kRunCalibration = 35;
constexpr std::uint8_t kGetCalibrationData = 37;

double GeneratorHz(const SimVariant& variant, std::uint32_t divider)
{
    return static_cast<double>(variant.BaseClock()) / (static_cast<double>(divider) + 1.0);
}

std::int8_t ToCode(double level)
{
    return static_cast<std::int8_t>(std::clamp<long>(std::lround(level), -128, 127));
}

} // namespace

VirtualInstrument::VirtualInstrument(Clock& clock) : clock_(clock)
{
    lastTick_ = clock_.GetTickCount();
    outFreq_ = variant_.BaseClock() / 100000 - 1;
    source_.SetGeneratorHz(GeneratorHz(variant_, outFreq_));
    calibration_.assign(variant_.CalibrationBytes(), 0);
    UpdateZeros();
}

void VirtualInstrument::SetVersion(std::uint8_t major, std::uint8_t minor)
{
    std::lock_guard<std::mutex> lock(mutex_);
    versionMajor_ = major;
    versionMinor_ = minor;
    variant_ = SimVariant(major);
    engine_.SetVariant(variant_);
    outFreq_ = variant_.BaseClock() / 100000 - 1;
    source_.SetGeneratorHz(GeneratorHz(variant_, outFreq_));
    calibration_.assign(variant_.CalibrationBytes(), 0);
    calibrating_ = false;
    offsetWritten_ = -1;
    UpdateZeros();
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

void VirtualInstrument::SetSignals(const SignalSettings& settings)
{
    std::lock_guard<std::mutex> lock(mutex_);
    source_.SetSettings(settings);
}

SignalSettings VirtualInstrument::GetSignals()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return source_.Settings();
}

void VirtualInstrument::SetInputOffset(int channel, int codes)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (channel < 0 || channel > 1)
        return;
    inputOffset_[channel] = std::clamp(codes, -128, 127);
    UpdateZeros();
}

CaptureEngine::Info VirtualInstrument::GetCaptureInfo()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return engine_.GetInfo(NowPs());
}

std::vector<std::int8_t> VirtualInstrument::GetMemory(int channel)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return engine_.Memory(channel, NowPs());
}

std::vector<std::int8_t> VirtualInstrument::GetStoredSample(int channel, std::int64_t w)
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::int8_t bytes[2];
    engine_.Sample(channel, w, bytes);
    if (engine_.MinMax())
        return {bytes[0], bytes[1]};
    return {bytes[0]};
}

int VirtualInstrument::GetInputZero(int channel)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return source_.Offset(channel);
}

std::uint16_t VirtualInstrument::GetAnalogCr()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return analogCr_;
}

std::uint32_t VirtualInstrument::GetOutFreq()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return outFreq_;
}

std::uint8_t VirtualInstrument::GetOffsetDac(int channel)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return channel == 0 || channel == 1 ? offsetDac_[channel] : 0;
}

std::vector<std::int8_t> VirtualInstrument::GetCalibrationData()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return calibration_;
}

bool VirtualInstrument::IsCalibrating()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return calibrating_;
}

std::int64_t VirtualInstrument::GetDeviceTimePs()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return NowPs();
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
    offsetWritten_ = -1;
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
    // Only state polls may come between an offset write and the capture that measures it.
    const std::uint8_t type = packet[0];
    if (type != PACKET_DATA_GET_STATE && type != PACKET_DATA_WRITE_OFFSET_DAC_CMD && type != PACKET_DATA_START_CYCLONE)
        offsetWritten_ = -1;
    Bytes answer;
    answerDelay_ = 0;
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
        UpdateZeros();
        answer = Bytes{19};
        return true;
    }
    case PACKET_DATA_START_CYCLONE:
        StartAnswer(packet, length, answer);
        return true;
    case PACKET_DATA_GET_CH:
        ChAnswer(packet, length, answer);
        return true;
    case PACKET_DATA_SET_OUT_FREQ: {
        const auto request = ReadPacket<PacketDataStructure<PACKET_DATA_SET_OUT_FREQ>>(packet, length);
        outFreq_ = request.freq;
        source_.SetGeneratorHz(GeneratorHz(variant_, outFreq_));
        PacketDataStructure<PACKET_DATA_OUT_FREQ_WRITTEN> written{};
        written.data_id = PACKET_DATA_OUT_FREQ_WRITTEN;
        written.result = 0;
        answer = PacketBytes(written);
        return true;
    }
    case PACKET_DATA_WRITE_OFFSET_DAC_CMD: {
        const auto request = ReadPacket<PacketDataStructure<PACKET_DATA_WRITE_OFFSET_DAC_CMD>>(packet, length);
        OffsetDacWrite(request.cmd);
        answer = Bytes{40};
        return true;
    }
    case PACKET_DATA_GET_FREQ_RESPONSE:
        if (FreqResponseAnswer(packet, length, answer))
            return true;
        break;
    case kRunCalibration:
        if (variant_.CalibrationSteps() > 0) {
            calibrating_ = true;
            calibrationStep_ = 0;
            CalibrationStepAnswer(answer);
            return true;
        }
        break;
    case kGetCalibrationData:
        if (variant_.CalibrationBytes() > 0) {
            PacketDataStructure<PACKET_DATA_CALIBRATION_DATA> data{};
            data.data_id = PACKET_DATA_CALIBRATION_DATA;
            data.calibration_data_type = static_cast<std::uint8_t>(calibration_.size());
            if (!calibration_.empty())
                std::memcpy(data.calibration_data, calibration_.data(),
                            std::min(calibration_.size(), sizeof(data.calibration_data)));
            answer = PacketBytes(data);
            return true;
        }
        break;
    case PACKET_DATA_GET_STATE:
        if (calibrating_) {
            CalibrationStepAnswer(answer);
            return true;
        }
        break;
    default:
        break;
    }
    // GET_STATE, and whatever this device does not do: it reports its state.
    StateAnswer(answer);
    return true;
}

std::int64_t VirtualInstrument::NowPs()
{
    const DWORD now = clock_.GetTickCount();
    devicePs_ += static_cast<std::int64_t>(static_cast<DWORD>(now - lastTick_)) * kPsPerMs;
    lastTick_ = now;
    return devicePs_;
}

void VirtualInstrument::StateAnswer(Bytes& answer)
{
    const CaptureEngine::Report report = engine_.State(NowPs());
    PacketDataStructure<PACKET_DATA_STATE> state{};
    state.data_id = PACKET_DATA_STATE;
    state.osc_sr = report.osc_sr;
    state.osc_cr = report.osc_cr;
    state.analog_cr = analogCr_;
    state.first_trig_sample = report.first_trig_sample;
    state.num_catched_samples = report.num_catched_samples;
    state.samples_before_trig = report.samples_before_trig;
    answer = PacketBytes(state);
    ++counters_.stateAnswers;
}

void VirtualInstrument::StartAnswer(const std::uint8_t* packet, std::size_t length, Bytes& answer)
{
    const auto request = ReadPacket<PacketDataStructure<PACKET_DATA_START_CYCLONE>>(packet, length);
    CaptureEngine::Start start;
    start.osc_cr = request.osc_cr;
    start.trigger_value = request.trigger_value;
    start.samples_parts = request.samples_parts;
    start.samples = request.samples;
    // A user who follows the calibration dialog has the probes unplugged for as long as the
    // calibration runs, so the zeros it finds are the inputs' own and not the signals' means.
    // (Versions that calibrate themselves take no captures meanwhile and measure the zeros.)
    start.grounded = MeasuresZero(request.osc_cr);
    offsetWritten_ = -1;
    engine_.Begin(start, NowPs());
    ++counters_.captures;
    UpdateZeros();
    answer = Bytes{kCycleStarted};
}

void VirtualInstrument::ChAnswer(const std::uint8_t* packet, std::size_t length, Bytes& answer)
{
    const auto request = ReadPacket<PacketDataStructure<PACKET_DATA_GET_CH>>(packet, length);
    std::uint32_t count = request.length;
    const std::vector<std::int8_t> data =
        engine_.Read(request.ch, request.offset, count, request.average_length, NowPs());
    PacketDataStructure<PACKET_DATA_CH> ch{};
    ch.data_id = PACKET_DATA_CH;
    ch.offset = request.offset;
    ch.buf_offset = request.buf_offset;
    ch.length = count;
    ch.ch = request.ch;
    ch.min_max = engine_.MinMax() ? 1 : 0;
    const std::size_t bytes = std::min(data.size(), sizeof(ch.ch_data));
    if (bytes > 0)
        std::memcpy(ch.ch_data, data.data(), bytes);
    answer = PacketBytes(ch);
    // Only the samples travel: the frame ends after the data.
    answer.resize(offsetof(PacketDataStructure<PACKET_DATA_CH>, ch_data) + bytes);
    ++counters_.readOuts;
}

bool VirtualInstrument::FreqResponseAnswer(const std::uint8_t* packet, std::size_t length, Bytes& answer)
{
    if (!variant_.MeasuresFrequencyResponse())
        return false;
    const auto request = ReadPacket<PacketDataStructure<PACKET_DATA_GET_FREQ_RESPONSE>>(packet, length);
    // The device sets its generator, lets the input settle for `delay`, measures for
    // `time_ms` and answers then.
    outFreq_ = request.freq;
    source_.SetGeneratorHz(GeneratorHz(variant_, outFreq_));
    const int channel = request.ch == 1 ? 1 : 0;
    const double zero = source_.Offset(channel);
    const double level = source_.GeneratorLevel(channel);
    PacketDataStructure<PACKET_DATA_FREQ_RESPONSE> response{};
    response.data_id = PACKET_DATA_FREQ_RESPONSE;
    response.ch = request.ch;
    response.freq = request.freq;
    response.ave = ToCode(zero);
    response.min = ToCode(zero - level);
    response.max = ToCode(zero + level);
    answer = PacketBytes(response);
    answerDelay_ = static_cast<DWORD>(request.delay) + request.time_ms;
    return true;
}

void VirtualInstrument::CalibrationStepAnswer(Bytes& answer)
{
    const int steps = variant_.CalibrationSteps();
    PacketDataStructure<PACKET_DATA_CALIBRATION_STEP_DONE> done{};
    done.data_id = PACKET_DATA_CALIBRATION_STEP_DONE;
    done.step = calibrationStep_;
    done.num_steps = steps;
    answer = PacketBytes(done);
    answerDelay_ = variant_.CalibrationStepMs();
    if (++calibrationStep_ >= steps) {
        // The last step: the measured offsets are the device's calibration data now.
        calibrating_ = false;
        calibration_ = MeasuredCalibration();
    }
}

void VirtualInstrument::OffsetDacWrite(std::uint16_t cmd)
{
    if (!variant_.HasOffsetDac())
        return;
    // Bits 15..14 select the DAC (01 channel A, 11 channel B), bits 11..4 hold the value.
    const int select = cmd >> 14;
    const auto value = static_cast<std::uint8_t>((cmd >> 4) & 0xFF);
    if (select == 1) {
        offsetDac_[0] = value;
        offsetWritten_ = 0;
    } else if (select == 3) {
        offsetDac_[1] = value;
        offsetWritten_ = 1;
    }
    UpdateZeros();
}

// Version 2 has no calibration of its own: the host calibrates it by walking an input's
// offset DAC and, after each step, taking an untriggered min/max capture of that input alone
// to see where its zero now lies, with nothing but state polls in between. Those captures are
// the calibration as the device meets it; a frequency-response point sets the generator first.
bool VirtualInstrument::MeasuresZero(std::uint16_t oscCr) const
{
    if (offsetWritten_ < 0 || (oscCr & (kOscCrTriggerOn | kOscCrLogicA | kOscCrLogicB)) != 0 ||
        (oscCr & kOscCrMinMax) == 0)
        return false;
    return (oscCr & (kOscCrChA | kOscCrChB)) == (offsetWritten_ == 0 ? kOscCrChA : kOscCrChB);
}

int VirtualInstrument::ZeroOf(int channel, std::uint16_t oscCr) const
{
    const int base = inputOffset_[channel];
    switch (variant_.Version()) {
    case 1: {
        // Each coupling and gain set-up of the front end has a zero of its own.
        const int setup = 8 * ((analogCr_ >> 5) & 7) + ((analogCr_ >> 1) & 7);
        return base + setup % 3 - 1;
    }
    case 2:
        // Each DAC step moves the zero by 0.8 codes; 128 is the middle.
        return base + static_cast<int>(std::lround(0.8 * (offsetDac_[channel] - 128)));
    case 3: {
        const bool a = (oscCr & 0x1000) != 0;
        const bool b = (oscCr & 0x2000) != 0;
        const int setup = a && b ? 2 : (a ? 0 : 1);
        return base + setup - 1;
    }
    default:
        return base;
    }
}

void VirtualInstrument::UpdateZeros()
{
    const std::uint16_t oscCr = engine_.GetInfo(devicePs_).osc_cr;
    for (int c = 0; c < 2; ++c)
        source_.SetOffset(c, std::clamp(ZeroOf(c, oscCr), -128, 127));
}

std::vector<std::int8_t> VirtualInstrument::MeasuredCalibration() const
{
    std::vector<std::int8_t> data(variant_.CalibrationBytes(), 0);
    if (variant_.Version() == 1) {
        for (int c = 0; c < 2; ++c)
            for (int setup = 0; setup < 64; ++setup)
                data[static_cast<std::size_t>(c * 64 + setup)] =
                    static_cast<std::int8_t>(std::clamp(inputOffset_[c] + setup % 3 - 1, -128, 127));
    } else if (variant_.Version() == 3) {
        for (int c = 0; c < 2; ++c)
            for (int setup = 0; setup < 3; ++setup)
                data[static_cast<std::size_t>(c * 3 + setup)] =
                    static_cast<std::int8_t>(std::clamp(inputOffset_[c] + setup - 1, -128, 127));
    }
    return data;
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
    const DWORD due = clock_.GetTickCount() + replyDelay_ + answerDelay_;
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

DWORD VirtualInstrument::OutputDueIn(DWORD limit)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (output_.empty())
        return limit;
    const auto ahead = static_cast<std::int32_t>(output_.front().due - clock_.GetTickCount());
    return ahead <= 0 ? 0 : std::min(limit, static_cast<DWORD>(ahead));
}

void VirtualInstrument::WaitForOutput(DWORD ms)
{
    // Not under the lock: a test may reconfigure the instrument meanwhile.
    const DWORD wait = OutputDueIn(ms);
    if (wait > 0)
        clock_.Sleep(wait);
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
