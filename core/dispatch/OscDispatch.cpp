#include "core/dispatch/OscDispatch.h"

#include "core/log/EventLog.h"
#include "core/protocol/PacketFrame.h"
#include "platform/kernel/Clock.h"

#include <boost/date_time/gregorian/gregorian_types.hpp>
#include <boost/date_time/posix_time/posix_time_types.hpp>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <exception>
#include <stdexcept>

namespace {

// Offset of the packet (its type byte) in a frame.
constexpr int PACKET_AT = 3;

bool CountsInPairs(int version)
{
    return version == 2 || version == 4;
}

// osc_sr bit 0: the device's capture is complete.
bool Captured(std::uint16_t osc_sr)
{
    return (osc_sr & OSC_SR_CTCH) != 0;
}

// Calibration of version 2 walks the offset DAC; a walk that never settles (a noisy input that
// keeps the mean jumping across zero) must still end.
constexpr int MAX_SEARCH_STEPS_PER_CHANNEL = 600;

}  // namespace

COscDispatch::COscDispatch()
{
    Reset();
}

COscDispatch::~COscDispatch()
{
    on_offset_written = Loki::Functor<void>();
    on_statistic_done = Loki::Functor<void>();
    on_out_freq_written = Loki::Functor<void>();
    CloseRecorderFiles();
}

void COscDispatch::SetUiRunner(UiRunner runner)
{
    ui_runner = std::move(runner);
}

void COscDispatch::SetVersionSwitch(VersionSwitch versionSwitch)
{
    version_switch = std::move(versionSwitch);
}

bool COscDispatch::IsRecorderFileOpen(int channel) const
{
    return channel >= 0 && channel <= 1 && recorder_file[channel].IsOpen();
}

// ---------------------------------------------------------------------------------------------
// Packets in and out

void COscDispatch::ReplyBare(std::uint8_t type)
{
    SetFrameLength(reply_frame, 1);
    reply_frame[PACKET_AT] = type;
}

void COscDispatch::ReplyGetCh(int offset, int bufOffset, int length, int ch, int minMax,
                              int averageLength)
{
    // A CH answer carries at most 2029 bytes: never ask for more than fits.
    const int k = minMax != 0 ? 2 : 1;
    length = std::clamp(length, 0, 2029 / k);
    PacketDataStructure<PACKET_DATA_GET_CH> p{};
    p.data_id = PACKET_DATA_GET_CH;
    p.offset = offset;
    p.buf_offset = static_cast<std::uint32_t>(std::max(bufOffset, 0));
    p.length = static_cast<std::uint32_t>(length);
    p.ch = static_cast<std::uint8_t>(ch);
    p.min_max = static_cast<std::uint8_t>(minMax);
    p.average_length = static_cast<std::uint16_t>(averageLength);
    Reply(p);
    requested_length = length;
}

std::uint16_t COscDispatch::ReceivedLength() const
{
    return std::min<std::uint16_t>(GetFrameLength(received_frame), FRAME_MAX_RECEIVED_LENGTH);
}

// Copies a fixed-layout packet out of the received frame (its fields are unaligned). False when
// the frame is shorter than the layout: such a packet is answered with GET_STATE.
template <class Packet>
bool COscDispatch::ReadReceived(Packet& packet) const
{
    if (ReceivedLength() < sizeof(Packet)) return false;
    std::memcpy(&packet, received_frame + PACKET_AT, sizeof(Packet));
    return true;
}

// ---------------------------------------------------------------------------------------------
// The link's calls

void COscDispatch::Reset()
{
    reply_timeout_ms = 0;
    reboot_request = false;
    capture_done = false;
    start_request = false;
    analog_write_pending = false;
    calibration_read_pending = false;
    version_pending = true;
    read = ReadOut{};
    ch_limit = 0;
    for (int c = 0; c < 2; ++c) {
        pending_points[c].clear();
        pending_offset[c] = 0;
        pending_count[c] = 0;
    }
    on_offset_written = Loki::Functor<void>();
    on_statistic_done = Loki::Functor<void>();
    on_out_freq_written = Loki::Functor<void>();

    // A statistic capture whose continuation is gone would only be read for nothing; the step
    // that needs one (calibration, frequency response) starts it again. The model is not
    // touched here (Reset also runs at construction, before there is a model to touch): the
    // next handler that holds DataLock drops the capture.
    calibration_running = false;
    abandon_statistic = true;
}

void COscDispatch::ApplyReset(OscData& d)
{
    if (!abandon_statistic) return;
    abandon_statistic = false;
    d.mode &= ~MODE_FR_POINT;
}

void COscDispatch::SetConnected(bool connected)
{
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    if (connected)
        d->mode |= MODE_LINKED;
    else
        d->mode &= ~MODE_LINKED;
}

void COscDispatch::HandlePacket()
{
    ReplyBare(PACKET_DATA_GET_STATE);
    if (abandon_statistic) {
        CSingleLock lock(&DataLock, TRUE);
        ApplyReset(*GetOscData());
    }
    if (ReceivedLength() < 1) return;
    switch (received_frame[PACKET_AT]) {
    case PACKET_DATA_MODE:
        HandleMode();
        break;
    case PACKET_DATA_VERSION:
        HandleVersion();
        break;
    case 19:
        analog_write_pending = false;
        break;
    case PACKET_DATA_STATE:
        HandleState();
        break;
    case PACKET_DATA_CH:
        HandleCh();
        break;
    case 28:
        HandleCycleStart();
        break;
    case PACKET_DATA_OUT_FREQ_WRITTEN:
        HandleOutFreqWritten();
        break;
    case PACKET_DATA_FREQ_RESPONSE:
        HandleFreqResponse();
        break;
    case PACKET_DATA_CALIBRATION_STEP_DONE:
        HandleCalibrationStep();
        break;
    case PACKET_DATA_CALIBRATION_DATA:
        HandleCalibrationData();
        break;
    case 40:
        HandleOffsetWritten();
        break;
    default:
        break;
    }
}

// Runs a copy, so that the continuation may replace or delete itself while it runs.
void COscDispatch::RunContinuation(Loki::Functor<void>& continuation)
{
    if (!continuation) return;
    Loki::Functor<void> running(continuation);
    running();
}

// ---------------------------------------------------------------------------------------------
// Simple packets

void COscDispatch::HandleMode()
{
    PacketDataStructure<PACKET_DATA_MODE> mode{};
    if (!ReadReceived(mode)) return;
    if (mode.mode_id == 3) return;
    PacketDataStructure<PACKET_DATA_SET_MODE> set{};
    set.data_id = PACKET_DATA_SET_MODE;
    set.mode_id = 3;
    Reply(set);
    reply_timeout_ms = 1000;
    if (mode.mode_id == 1) reboot_request = true;
}

void COscDispatch::HandleVersion()
{
    PacketDataStructure<PACKET_DATA_VERSION> version{};
    if (!ReadReceived(version)) return;
    Reset();
    version_pending = false;

    const int major = version.version_major;
    const int minor = version.version_minor;
    const std::function<void()> call = [this, major, minor] {
        if (version_switch) {
            version_switch(major, minor);
        } else {
            CSingleLock lock(&DataLock, TRUE);
            SelectOscDataVersion(major, minor);
        }
    };
    // DataLock must not be held here: the user-interface thread runs the call inside its own
    // DataLock section.
    const bool ran = ui_runner ? ui_runner(call) : (call(), true);
    if (!ran) {
        // The variant was not selected (the program is closing): keep asking.
        version_pending = true;
        return;
    }

    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    ApplyReset(*d);
    d->mode |= MODE_LINKED;
    const int v = d->GetVersion();
    if (v == 1 || v == 3) calibration_read_pending = true;
}

void COscDispatch::HandleOutFreqWritten()
{
    PacketDataStructure<PACKET_DATA_OUT_FREQ_WRITTEN> written{};
    if (!ReadReceived(written)) return;
    CSingleLock lock(&DataLock, TRUE);
    GetOscData()->changes &= ~CHANGE_OUT_FREQ;
    RunContinuation(on_out_freq_written);
}

void COscDispatch::HandleOffsetWritten()
{
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    if ((d->changes & CHANGE_OFFSET_A) != 0)
        d->changes &= ~CHANGE_OFFSET_A;
    else
        d->changes &= ~CHANGE_OFFSET_B;
    RunContinuation(on_offset_written);
}

void COscDispatch::HandleCalibrationStep()
{
    PacketDataStructure<PACKET_DATA_CALIBRATION_STEP_DONE> done{};
    if (!ReadReceived(done)) return;
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    d->mode &= ~MODE_CALIBRATION;
    d->calibration_step = done.step;
    d->calibration_steps = done.num_steps;
    if (std::int64_t{done.step} + 1 == std::int64_t{done.num_steps}) {
        calibration_read_pending = true;
        d->status |= STATUS_CALIBRATED;
    }
    reply_timeout_ms = 1000;
}

void COscDispatch::HandleCalibrationData()
{
    PacketDataStructure<PACKET_DATA_CALIBRATION_DATA> data{};
    if (!ReadReceived(data)) return;
    calibration_read_pending = false;
    signed char bytes[sizeof(data.calibration_data)];
    std::memcpy(bytes, data.calibration_data, sizeof(bytes));
    CSingleLock lock(&DataLock, TRUE);
    GetOscData()->SetCalibrationOffsets(data.calibration_data_type, bytes, sizeof(bytes));
}

void COscDispatch::HandleCycleStart()
{
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    d->mode &= ~MODE_READING;
    d->status |= STATUS_CYCLE_START;
    d->read_state = 0;
    d->read_position = 0;
    if ((d->osc_cr & OSC_CR_TRIGGER_ON) != 0) {
        d->mode |= MODE_WAIT_TRIGGER;
        d->stopped_view_shift = 0;
    }
    ++d->cycle_counter;
    last_osc_sr = 0;
    capture_done = false;
    start_request = false;
    if (analog_write_pending) {
        PacketDataStructure<PACKET_DATA_WRITE_ANALOG_CR> analog{};
        analog.data_id = PACKET_DATA_WRITE_ANALOG_CR;
        analog.analog_cr = d->analog_cr;
        Reply(analog);
    }
    const RecorderAck ack = recorder_ack;
    recorder_ack = RecorderAck::None;
    if ((d->mode & MODE_RECORDER) != 0) {
        // A stop always clears the start request, so a start request still set is the user's
        // latest word and outranks any older stop.
        if (ack == RecorderAck::Start && (d->status & STATUS_RECORDER_START) != 0) {
            TakeRecorderStartTime(*d);
            d->status &= ~(STATUS_RECORDER_START | STATUS_RECORDER_STOP);
        } else if (ack == RecorderAck::Stop) {
            d->status &= ~STATUS_RECORDER_STOP;
        }
    }
}

// The recorder's files carry the local time of their first cycle. A clock that cannot give a
// valid local time leaves the start time unset (the header says so); the worker carries on.
void COscDispatch::TakeRecorderStartTime(OscData& d)
{
    using namespace boost::posix_time;
    try {
        SYSTEMTIME t{};
        GetLocalTime(&t);
        const boost::gregorian::date day(t.wYear, t.wMonth, t.wDay);
        if (t.wHour > 23 || t.wMinute > 59 || t.wSecond > 59 || t.wMilliseconds > 999)
            throw std::out_of_range("time of day");
        // Whole seconds, as the calendar clock gives them: the files' start times have always
        // been on the second.
        d.recorder_start_time =
            ptime(day, hours(t.wHour) + minutes(t.wMinute) + seconds(t.wSecond));
    } catch (const std::exception&) {
        d.recorder_start_time = ptime(not_a_date_time);
        EventLog::Instance()->Write("could not convert calendar time to local time");
    }
}

// ---------------------------------------------------------------------------------------------
// STATE

void COscDispatch::HandleState()
{
    State state{};
    if (!ReadReceived(state)) return;

    CSingleLock lock(&DataLock, TRUE);
    OscData& d = *GetOscData();
    ApplyReset(d);
    const bool minMax = (d.osc_cr & OSC_CR_MIN_MAX) != 0;

    // Devices 2 and 4 count in sample pairs.
    if (CountsInPairs(d.GetVersion())) {
        if (!minMax) state.first_trig_sample *= 2;
        if (Captured(state.osc_sr)) {
            state.num_catched_samples += 1;
            if (!minMax) state.num_catched_samples *= 2;
        }
    }

    // While the device is not identified, its answer to the version query goes first, even in
    // recorder mode.
    if (!version_pending && RecorderStep(d, state)) return;

    // Events.
    if (Captured(state.osc_sr) && !Captured(static_cast<std::uint16_t>(last_osc_sr)))
        d.status |= STATUS_CAPTURED;
    if ((state.osc_sr & OSC_SR_TROK) != 0 && (last_osc_sr & OSC_SR_TROK) == 0) {
        d.status |= STATUS_TRIGGERED;
        d.mode &= ~MODE_WAIT_TRIGGER;
    }
    last_osc_sr = state.osc_sr;

    // Stop and single shot.
    if ((d.mode & MODE_STOPPED) != 0) {
        if ((d.mode & MODE_SINGLE) != 0 && Captured(state.osc_sr)) {
            d.ToggleStop();
            capture_done = true;
        }
    } else if ((d.mode & MODE_SINGLE) != 0 && Captured(state.osc_sr)) {
        d.mode &= ~MODE_SINGLE;
        d.ToggleStop();
    } else if ((state.osc_cr & OSC_CR_DEFAULT_BIT) == 0 || Captured(state.osc_sr)) {
        capture_done = true;
    }

    d.osc_sr = state.osc_sr;

    bool redraw = false;
    if ((d.mode & MODE_STOPPED) != 0 && Captured(state.osc_sr) && d.cycle_counter != redraw_cycle) {
        redraw_cycle = d.cycle_counter;
        redraw = true;
    }

    // Pending changes.
    if ((d.changes & (CHANGE_CAPTURE | CHANGE_SKIP | CHANGE_TRIGGER)) != 0) {
        if ((d.mode & MODE_STOPPED) == 0) start_request = true;
        d.changes &= ~(CHANGE_CAPTURE | CHANGE_SKIP | CHANGE_TRIGGER);
    }
    if ((d.changes & CHANGE_ZOOM) != 0) {
        d.changes &= ~CHANGE_ZOOM;
        redraw = true;
    }
    if ((d.changes & CHANGE_ANALOG) != 0) {
        analog_write_pending = true;
        d.changes &= ~CHANGE_ANALOG;
    }
    if ((d.changes & CHANGE_POSITION) != 0) {
        if ((d.osc_cr & OSC_CR_TRIGGER_ON) != 0 && (d.mode & MODE_STOPPED) == 0)
            start_request = true;
        d.changes &= ~CHANGE_POSITION;
        redraw = true;
    }
    if ((d.status & STATUS_FILTERED) != 0) {
        d.status &= ~STATUS_FILTERED;
        redraw = true;
    }

    // A frequency response that was ended from outside (its window closed) gives the
    // generator back its own frequency.
    if (fr_saved && (d.mode & MODE_FREQ_RESPONSE) == 0) {
        fr_saved = false;
        d.out_freq = saved_out_freq;
        d.changes |= CHANGE_OUT_FREQ;
    }

    ChooseReply(d, state, redraw);
}

void COscDispatch::ChooseReply(OscData& d, const State& state, bool redraw)
{
    const int version = d.GetVersion();

    if (version_pending) {
        ReplyBare(PACKET_DATA_GET_VERSION);
        d.changes |= CHANGE_ALL_REGISTERS;
        return;
    }

    if ((d.mode & MODE_FR_POINT) != 0) {
        const int frameLength = static_cast<int>(std::min<unsigned>(d.GetFrameLength(), INT_MAX));
        if (d.statistic.start) {
            d.statistic.start = false;
            StartCyclone p{};
            p.data_id = PACKET_DATA_START_CYCLONE;
            p.osc_cr = d.statistic.channel == 1 ? 0x2021 : 0x1021;
            p.samples_parts = d.statistic.divider;
            p.samples = static_cast<std::uint32_t>(CountsInPairs(version) ? frameLength - 1
                                                                          : frameLength);
            Reply(p);
        } else if (Captured(state.osc_sr)) {
            ReplyGetCh(0, 0, std::min(frameLength, 1014), d.statistic.channel, 1, 0);
        }
        return;
    }

    if (start_request) {
        ReplyCaptureStart(d);
        return;
    }

    if (analog_write_pending) {
        PacketDataStructure<PACKET_DATA_WRITE_ANALOG_CR> analog{};
        analog.data_id = PACKET_DATA_WRITE_ANALOG_CR;
        analog.analog_cr = d.analog_cr;
        Reply(analog);
        return;
    }

    if ((d.mode & MODE_FREQ_RESPONSE) != 0) {
        FrequencyResponseStep(d);
        return;
    }

    if ((d.changes & CHANGE_OFFSET_A) != 0) {
        if (version == 2) {
            PacketDataStructure<PACKET_DATA_WRITE_OFFSET_DAC_CMD> cmd{};
            cmd.data_id = PACKET_DATA_WRITE_OFFSET_DAC_CMD;
            cmd.cmd = static_cast<std::uint16_t>(0x4000 + 16 * d.offset_dac[0]);
            Reply(cmd);
        } else {
            d.changes &= ~CHANGE_OFFSET_A;
        }
        return;
    }

    if ((d.changes & CHANGE_OFFSET_B) != 0) {
        if (version == 2) {
            PacketDataStructure<PACKET_DATA_WRITE_OFFSET_DAC_CMD> cmd{};
            cmd.data_id = PACKET_DATA_WRITE_OFFSET_DAC_CMD;
            cmd.cmd = static_cast<std::uint16_t>(0xC000 + 16 * d.offset_dac[1]);
            Reply(cmd);
        } else {
            d.changes &= ~CHANGE_OFFSET_B;
        }
        return;
    }

    if ((d.changes & CHANGE_LG_CONFIG) != 0) {
        d.changes &= ~CHANGE_LG_CONFIG;
        PacketDataStructure<PACKET_DATA_LG_SET_CONFIG> lg{};
        lg.data_id = PACKET_DATA_LG_SET_CONFIG;
        lg.ch = 0;
        lg.bm = 2;
        lg.prediv = 71999;
        lg.retry = 500;
        lg.length = 4;
        Reply(lg);
        return;
    }

    if ((d.mode & MODE_CALIBRATION) != 0) {
        CalibrationStart(d);
        return;
    }

    if ((d.changes & CHANGE_OUT_FREQ) != 0) {
        PacketDataStructure<PACKET_DATA_SET_OUT_FREQ> freq{};
        freq.data_id = PACKET_DATA_SET_OUT_FREQ;
        freq.freq = d.out_freq;
        Reply(freq);
        return;
    }

    if (calibration_read_pending) {
        ReplyBare(37);
        return;
    }

    if (!redraw && (d.mode & MODE_STOPPED) != 0 && Captured(state.osc_sr)) {
        if (d.read_state != 3) d.mode |= MODE_READING;
        MemoryReadOut(d, nullptr, nullptr, 0);
        if ((d.osc_cr & OSC_CR_TRIGGER_ON) == 0)
            d.last_num_catched_samples = static_cast<std::int32_t>(d.GetMemoryDepth());
        else
            d.last_num_catched_samples = static_cast<std::int32_t>(
                std::min<std::uint32_t>(std::uint32_t{state.num_catched_samples}, INT32_MAX));
        return;
    }

    if (!PlanRead(d, state) && capture_done) ReplyCaptureStart(d);
}

// ---------------------------------------------------------------------------------------------
// Capture start

COscDispatch::StartCyclone COscDispatch::BuildCaptureStart(OscData& d) const
{
    StartCyclone p{};
    p.data_id = PACKET_DATA_START_CYCLONE;
    std::int64_t samples = 0;
    const std::int64_t depth = d.GetMemoryDepth();
    if ((d.osc_cr & OSC_CR_TRIGGER_ON) != 0) {
        int source = 0;  // A, B, external
        if ((d.osc_cr & OSC_CR_TRIGGER_EXT) != 0)
            source = 2;
        else if ((d.osc_cr & OSC_CR_TRIGGER_B) != 0)
            source = 1;
        if (source < 2) {
            const bool logic = (d.osc_cr & (source == 0 ? OSC_CR_LOGIC_A : OSC_CR_LOGIC_B)) != 0;
            if (logic) {
                // A bit pattern: the byte goes out as it is.
                p.trigger_value = static_cast<std::int8_t>(d.trigger_digital);
            } else {
                const int level = d.trigger_level[source] + d.GetCalibrationOffset(source);
                p.trigger_value = static_cast<std::int8_t>(std::clamp(level, -128, 127));
            }
        }
        // The external input triggers at a level of its own: trigger_value stays 0.
        d.osc_cr &= static_cast<std::uint16_t>(~(OSC_CR_EDGE_1 | OSC_CR_EDGE_2));
        if (d.trigger_dir[source] == 1) d.osc_cr |= OSC_CR_EDGE_1;
        if (d.trigger_dir[source] == 2) d.osc_cr |= OSC_CR_EDGE_2;
        samples = depth / 2 - d.trigger_offset_samples;
    } else {
        samples = depth;
    }
    p.osc_cr = d.osc_cr;
    p.samples_parts = d.x_skip;
    if (CountsInPairs(d.GetVersion()))
        samples = (d.osc_cr & OSC_CR_MIN_MAX) != 0 ? samples - 1 : samples / 2 - 1;
    p.samples = static_cast<std::uint32_t>(std::clamp<std::int64_t>(samples, 0, UINT32_MAX));
    d.last_num_catched_samples = 0;
    return p;
}

void COscDispatch::ReplyCaptureStart(OscData& d)
{
    Reply(BuildCaptureStart(d));
}

// ---------------------------------------------------------------------------------------------
// Frequency response

void COscDispatch::HandleFreqResponse()
{
    PacketDataStructure<PACKET_DATA_FREQ_RESPONSE> p{};
    if (!ReadReceived(p)) return;
    CSingleLock lock(&DataLock, TRUE);
    OscData& d = *GetOscData();
    FreqResponseRun& fr = d.freq_response;
    const int count = std::clamp(fr.count, 0, FREQ_RESPONSE_POINTS);
    if (fr.index >= 0 && fr.index < count && p.freq == fr.freq[fr.index]) {
        fr.ave[fr.index] = p.ave;
        fr.min[fr.index] = p.min;
        fr.max[fr.index] = p.max;
        ++fr.index;
        if (fr.index >= count) {
            d.mode &= ~MODE_FREQ_RESPONSE;
            d.status |= STATUS_FR_DONE;
            start_request = true;
        }
    } else {
        d.mode &= ~MODE_FREQ_RESPONSE;
        start_request = true;
    }
    FrequencyResponseStep(d);
}

void COscDispatch::FrequencyResponseStep(OscData& d)
{
    FreqResponseRun& fr = d.freq_response;
    const int count = std::clamp(fr.count, 0, FREQ_RESPONSE_POINTS);
    const int version = d.GetVersion();
    if (count > 0 && (d.mode & MODE_FREQ_RESPONSE) != 0 && fr.index >= 0 && fr.index < count) {
        // Saved once per run: the host's own steps change out_freq on the way.
        if (!fr_saved) {
            saved_out_freq = d.out_freq;
            fr_saved = true;
        }
        const std::uint32_t freq = fr.freq[fr.index];
        if (version == 1 || version == 3) {
            PacketDataStructure<PACKET_DATA_GET_FREQ_RESPONSE> p{};
            p.data_id = PACKET_DATA_GET_FREQ_RESPONSE;
            p.ch = static_cast<std::uint8_t>(fr.channel);
            p.freq = freq;
            p.delay = static_cast<std::uint16_t>(fr.delay);
            p.time_ms = static_cast<std::uint16_t>(fr.time_ms);
            Reply(p);
            reply_timeout_ms = static_cast<DWORD>(
                (std::int64_t{p.time_ms} + std::int64_t{p.delay}) * 2);
        } else if (version == 2) {
            on_out_freq_written = Loki::Functor<void>(this, &COscDispatch::FrequencyResponsePointV2);
            cal_channel = fr.channel;
            d.out_freq = freq;
            d.changes |= CHANGE_OUT_FREQ;
            PacketDataStructure<PACKET_DATA_SET_OUT_FREQ> p{};
            p.data_id = PACKET_DATA_SET_OUT_FREQ;
            p.freq = freq;
            Reply(p);
        } else {
            // This device has no way to measure a response: the run ends at once, empty.
            d.mode &= ~MODE_FREQ_RESPONSE;
            d.status |= STATUS_FR_DONE;
            fr_saved = false;
        }
        return;
    }
    if (fr_saved) {
        d.out_freq = saved_out_freq;
        d.changes |= CHANGE_OUT_FREQ;
        fr_saved = false;
    }
    d.mode &= ~MODE_FREQ_RESPONSE;
    start_request = true;
}

void COscDispatch::FrequencyResponsePointV2()
{
    OscData& d = *GetOscData();
    on_statistic_done = Loki::Functor<void>(this, &COscDispatch::FrequencyResponseResultV2);
    const std::int64_t timeMs = std::max(d.freq_response.time_ms, 0);
    StartStatistic(d, cal_channel, static_cast<int>(timeMs));

    const std::int64_t maxRate = std::max(1u, d.GetMaxSampleRateKHz());
    const std::int64_t baseClock = std::max(1u, d.GetBaseClock());
    const std::int64_t frameLength = std::max(1u, d.GetFrameLength());
    const std::int64_t outFreq = d.out_freq;
    std::int64_t divider = maxRate * timeMs / 2 / frameLength;
    if (divider > 1) --divider;
    if (outFreq + 1 < baseClock / maxRate / 50 * (divider + 1)) {
        divider = maxRate * (outFreq + 1) * 50 / baseClock;
        if (divider > 1) --divider;
    }
    d.statistic.divider = static_cast<std::uint32_t>(std::clamp<std::int64_t>(divider, 0, UINT32_MAX));
}

void COscDispatch::FrequencyResponseResultV2()
{
    OscData& d = *GetOscData();
    FreqResponseRun& fr = d.freq_response;
    const int count = std::clamp(fr.count, 0, FREQ_RESPONSE_POINTS);
    if (fr.index >= 0 && fr.index < count && d.out_freq == fr.freq[fr.index]) {
        const double mean = std::isfinite(d.statistic.mean) ? d.statistic.mean : 0.0;
        fr.ave[fr.index] = static_cast<std::int8_t>(static_cast<int>(std::clamp(mean, -1e9, 1e9)));
        fr.min[fr.index] = static_cast<std::int8_t>(d.statistic.minimum);
        fr.max[fr.index] = static_cast<std::int8_t>(d.statistic.maximum);
        ++fr.index;
        if (fr.index >= count) {
            d.status |= STATUS_FR_DONE;
            fr.index = 0;
            FinishFrequencyResponseV2(d);
        }
        return;
    }
    fr.index = 0;
    FinishFrequencyResponseV2(d);
}

void COscDispatch::FinishFrequencyResponseV2(OscData& d)
{
    on_out_freq_written = Loki::Functor<void>();
    on_statistic_done = Loki::Functor<void>();
    d.mode &= ~MODE_FREQ_RESPONSE;
    d.out_freq = saved_out_freq;
    d.changes |= CHANGE_OUT_FREQ;
    fr_saved = false;
}

void COscDispatch::StartStatistic(OscData& d, int channel, int durationMs)
{
    if (channel < 0 || channel > 1) return;
    StatisticWork& s = d.statistic;
    s.channel = channel;
    const std::int64_t frameLength = std::max(1u, d.GetFrameLength());
    const std::int64_t divider =
        std::int64_t{durationMs} * d.GetMaxSampleRateKHz() / 2 / frameLength - 1;
    s.divider = static_cast<std::uint32_t>(std::clamp<std::int64_t>(divider, 0, UINT32_MAX));
    d.mode |= MODE_FR_POINT;
    s.sum = 0.0;
    s.minimum = INT_MAX;
    s.maximum = INT_MIN;
    s.start = true;
}

// ---------------------------------------------------------------------------------------------
// Calibration

void COscDispatch::CalibrationStart(OscData& d)
{
    switch (d.GetVersion()) {
    case 1:
    case 3:
        // The device calibrates itself and reports its steps.
        ReplyBare(35);
        reply_timeout_ms = d.GetVersion() == 1 ? 1000 : 1500;
        return;
    case 2:
        if (calibration_running) return;
        calibration_running = true;
        calibration_search_steps = 0;
        offset_records.clear();
        d.calibration_step = 0;
        d.calibration_steps = 10;
        cal_channel = 0;
        on_offset_written = Loki::Functor<void>(this, &COscDispatch::CalibrationOffsetWritten);
        on_statistic_done = Loki::Functor<void>(this, &COscDispatch::OffsetSearchStep);
        d.offset_dac[0] = 127;
        d.changes |= CHANGE_OFFSET_A;
        return;
    default:
        // Nothing to calibrate on this device.
        d.mode &= ~MODE_CALIBRATION;
        d.status |= STATUS_CALIBRATED;
        return;
    }
}

void COscDispatch::CalibrationOffsetWritten()
{
    OscData& d = *GetOscData();
    // Measure only once the last offset written has been acknowledged: the switch to channel B
    // writes A's result and B's first value back to back.
    if ((d.changes & (CHANGE_OFFSET_A | CHANGE_OFFSET_B)) != 0) return;
    on_statistic_done = Loki::Functor<void>(this, &COscDispatch::OffsetSearchStep);
    StartStatistic(d, cal_channel, 1000);
}

void COscDispatch::WriteOffset(OscData& d, int dac)
{
    const int channel = cal_channel == 1 ? 1 : 0;
    d.offset_dac[channel] = static_cast<std::uint8_t>(std::clamp(dac, 0, 255));
    d.changes |= channel == 0 ? CHANGE_OFFSET_A : CHANGE_OFFSET_B;
}

void COscDispatch::OffsetSearchStep()
{
    OscData& d = *GetOscData();
    const int channel = cal_channel == 1 ? 1 : 0;
    const int dac = d.offset_dac[channel];
    const double m = std::isfinite(d.statistic.mean) ? d.statistic.mean : 1e9;

    ++d.calibration_step;
    if (++calibration_search_steps > MAX_SEARCH_STEPS_PER_CHANNEL) {
        if (offset_records.empty()) {
            d.status |= STATUS_CALIBRATION_FAILED;
            WriteOffset(d, 127);
            NextCalibrationChannel(d);
        } else {
            FinishChannelSearch(d);
        }
        return;
    }

    if (std::fabs(m) < 1.0) {
        if (!offset_records.empty() && dac <= offset_records.front().first) {
            offset_records.insert(offset_records.begin(), {dac, m});
            if (dac >= 1)
                WriteOffset(d, dac - 1);
            else
                FinishChannelSearch(d);  // the bottom of the DAC: nothing lower to try
        } else {
            offset_records.emplace_back(dac, m);
            if (dac < 255)
                WriteOffset(d, dac + 1);
            else if (offset_records.front().first >= 1)
                WriteOffset(d, offset_records.front().first - 1);  // the top: turn downwards
            else
                FinishChannelSearch(d);
        }
        return;
    }

    if (!offset_records.empty()) {
        if (dac <= offset_records.front().first) {
            FinishChannelSearch(d);
        } else if (offset_records.front().first >= 1) {
            WriteOffset(d, offset_records.front().first - 1);
        } else {
            FinishChannelSearch(d);  // the good range already starts at 0
        }
        return;
    }

    const int next = dac - static_cast<int>(std::clamp(m, -1e6, 1e6));
    if (next < 0 || next > 255) {
        d.status |= STATUS_CALIBRATION_FAILED;
        offset_records.clear();
        WriteOffset(d, 127);
        NextCalibrationChannel(d);
        return;
    }
    WriteOffset(d, next);
}

// Keeps the best point found (the smallest |mean|, the first of equals) and moves on.
void COscDispatch::FinishChannelSearch(OscData& d)
{
    d.calibration_step = d.calibration_steps / (2 - (cal_channel == 1 ? 1 : 0));
    auto best = offset_records.begin();
    for (auto it = offset_records.begin(); it != offset_records.end(); ++it)
        if (std::fabs(it->second) < std::fabs(best->second)) best = it;
    if (best != offset_records.end()) WriteOffset(d, best->first);
    offset_records.clear();
    NextCalibrationChannel(d);
}

void COscDispatch::NextCalibrationChannel(OscData& d)
{
    calibration_search_steps = 0;
    offset_records.clear();
    if (cal_channel == 0) {
        cal_channel = 1;
        d.offset_dac[1] = 127;
        d.changes |= CHANGE_OFFSET_B;
        return;
    }
    on_statistic_done = Loki::Functor<void>();
    on_offset_written = Loki::Functor<void>();
    d.calibration_step = 0;
    d.mode &= ~MODE_CALIBRATION;
    d.status |= STATUS_CALIBRATED;
    calibration_running = false;
}
