// Reading captured samples out of the device memory: the screen read-out (with or without
// host-side averaging), the statistic behind calibration and frequency-response points, and
// the full-memory read-out of a stopped capture.

#include "core/dispatch/OscDispatch.h"

#include "core/data/ScreenPoints.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>

namespace {

constexpr int PACKET_AT = 3;
constexpr int CH_HEADER = static_cast<int>(offsetof(PacketDataStructure<PACKET_DATA_CH>, ch_data));
static_assert(CH_HEADER == 15);

bool CountsInPairs(int version)
{
    return version == 2 || version == 4;
}

std::uint16_t LogicBit(int channel)
{
    return channel == 0 ? OSC_CR_LOGIC_A : OSC_CR_LOGIC_B;
}

// Line k of a point whose samples ANDed to `all` and ORed to `any`: 2 stayed high, 0 stayed
// low, 1 changed.
void SetLogicLines(std::uint8_t (&record)[8], std::uint8_t all, std::uint8_t any)
{
    for (int line = 0; line < 8; ++line) {
        if (((all >> line) & 1) != 0)
            record[line] = 2;
        else if (((any >> line) & 1) != 0)
            record[line] = 1;
        else
            record[line] = 0;
    }
}

// The planner reads the STATE counters back as unsigned 32-bit values, so their bits are
// passed on unchanged (a counter past 2^31 must still wrap correctly in the device memory).
int CounterBits(std::uint32_t value)
{
    return static_cast<int>(value);
}

std::int64_t Wrap(std::int64_t value, std::int64_t modulus)
{
    if (modulus <= 0) return 0;
    value %= modulus;
    return value < 0 ? value + modulus : value;
}

}  // namespace

// The samples (pairs with k = 2) a CH packet really supplies: no more than it claims, than its
// frame holds, and than was asked for.
int COscDispatch::SuppliedLength(std::uint32_t claimed, int availableBytes, int k) const
{
    std::int64_t length = claimed;
    length = std::min<std::int64_t>(length, availableBytes / k);
    length = std::min<std::int64_t>(length, ch_limit);
    return static_cast<int>(std::max<std::int64_t>(length, 0));
}

void COscDispatch::HandleCh()
{
    const int frameLength = ReceivedLength();
    if (frameLength < CH_HEADER) return;
    CH header;
    std::memcpy(&header, received_frame + PACKET_AT, CH_HEADER);
    const auto* data = reinterpret_cast<const std::int8_t*>(received_frame + PACKET_AT + CH_HEADER);
    const int availableBytes = frameLength - CH_HEADER;

    // What the last request asked for bounds what this answer may supply; an answer nobody
    // asked for supplies nothing.
    ch_limit = requested_length;
    requested_length = 0;

    CSingleLock lock(&DataLock, TRUE);
    OscData& d = *GetOscData();
    ApplyReset(d);

    if ((d.osc_cr & OSC_CR_RECORDER) != 0) {
        RecorderStream(d, header, data, availableBytes);
    } else if ((d.mode & MODE_FR_POINT) != 0) {
        StatisticReadOut(d, header, data, availableBytes);
    } else if ((d.mode & MODE_READING) != 0) {
        MemoryReadOut(d, &header, data, availableBytes);
    } else if ((d.status & STATUS_REDRAW) != 0) {
        d.status &= ~STATUS_REDRAW;
        DropReadOut();
    } else {
        const bool complete = read.averaging ? AveragingReadOut(d, header, data, availableBytes)
                                             : ScreenReadOut(d, header, data, availableBytes);
        if (complete && capture_done) ReplyCaptureStart(d);
    }
}

void COscDispatch::DropReadOut()
{
    read.active = false;
    read.averaging = false;
    read.second_pending = false;
    for (auto& points : pending_points) points.clear();
    pending_count[0] = pending_count[1] = 0;
}

void COscDispatch::FinishFrame(OscData& d)
{
    read.active = false;
    d.InterpolateScreen();
    d.valid_points = d.first_not_ready_sample;
    d.status |= STATUS_FRAME_READY;
}

// ---------------------------------------------------------------------------------------------
// Planning the screen read-out

bool COscDispatch::PlanRead(OscData& d, const State& state)
{
    const ChannelReadPlan plan = d.PlanChannelRead(CounterBits(state.num_catched_samples),
                                                   CounterBits(state.samples_before_trig),
                                                   CounterBits(state.first_trig_sample));
    message = plan.text;
    if (plan.channel < 0 || plan.channel > 2) return false;
    d.status &= ~STATUS_REDRAW;

    if (d.read_state == 3) {
        // The whole memory is already here: the screen is built from it.
        BuildScreenFromMemory(d, plan);
        return false;
    }

    // A new plan starts from nothing: points of a dropped read-out never reach the screen.
    read = ReadOut{};
    DropReadOut();
    read.active = true;
    const bool minMax = (d.osc_cr & OSC_CR_MIN_MAX) != 0;
    const int k = minMax ? 2 : 1;
    read.average_length = static_cast<std::uint16_t>(std::clamp(d.x_zoom_out_hw, 1, 65535));
    read.screen_offset = std::clamp(plan.buf_offset, 0, SCREEN_POINTS);
    read.start = plan.offset_sample;
    read.points = std::max(plan.length, 0);
    read.channel = static_cast<std::uint8_t>(plan.channel == 1 ? 1 : 0);
    read.second_pending = plan.channel == 2;
    read.min_max = minMax ? 1 : 0;

    std::int64_t length = read.points;
    if (read.average_length > 1) {
        // The host averages: each point is average_length samples, and the points must fit the
        // screen.
        read.points = std::min(read.points, SCREEN_POINTS - read.screen_offset);
        length = std::min<std::int64_t>(std::int64_t{read.average_length} * read.points,
                                        minMax ? 1014 : 2028);
        read.averaging = true;
        read.counted[read.channel] = 0;
    }
    if (CountsInPairs(d.GetVersion()) && !minMax && (read.start & 1) != 0) {
        // The device reads from even samples: start one early and drop that one.
        read.odd_start = true;
        length += 1;
        if (!read.averaging) read.points += 1;
    }
    ReplyGetCh(read.start - (read.odd_start ? 1 : 0), read.screen_offset,
               static_cast<int>(std::min<std::int64_t>(length, 2029 / k)), read.channel,
               read.min_max, read.average_length);
    d.changes &= ~CHANGE_ZOOM;
    return true;
}

void COscDispatch::BuildScreenFromMemory(OscData& d, const ChannelReadPlan& plan)
{
    const bool minMax = (d.osc_cr & OSC_CR_MIN_MAX) != 0;
    const int k = minMax ? 2 : 1;
    const std::int64_t hw = std::max(d.x_zoom_out_hw, 1);
    // Samples held per channel; the buffers are never shorter, but never read past them.
    const std::int64_t depth =
        std::min<std::int64_t>(d.GetMemoryDepth(), d.GetSampleBufferLength() / k);
    const int first = std::clamp(plan.buf_offset, 0, SCREEN_POINTS);
    const int count = std::clamp(plan.length, 0, SCREEN_POINTS - first);
    if (depth <= 0) return;
    const std::int64_t origin = (d.osc_cr & OSC_CR_TRIGGER_ON) != 0 ? d.trigger_buffer_start_sample : 0;

    for (int c = 0; c < 2; ++c) {
        const std::int32_t* samples = d.sample_buffer[c];
        if (samples == nullptr) continue;
        const bool logic = (d.osc_cr & LogicBit(c)) != 0;
        // The buffer holds the memory from the window start on (the trigger window's first
        // sample when triggered), while the plan names a device address.
        std::int64_t index = Wrap(plan.offset_sample - origin, depth);
        for (int p = 0; p < count; ++p) {
            std::int64_t sum = 0;
            int low = INT_MAX;
            int high = INT_MIN;
            std::uint8_t all = 0xFF;
            std::uint8_t any = 0;
            for (std::int64_t j = 0; j < hw; ++j) {
                if (minMax) {
                    const int mn = samples[2 * index];
                    const int mx = samples[2 * index + 1];
                    low = std::min(low, mn);
                    high = std::max(high, mx);
                    all &= static_cast<std::uint8_t>(mn);
                    any |= static_cast<std::uint8_t>(mx);
                } else {
                    const int v = samples[index];
                    sum += v;
                    all &= static_cast<std::uint8_t>(v);
                    any |= static_cast<std::uint8_t>(v);
                }
                if (++index == depth) index = 0;
            }
            const int point = first + p;
            if (minMax) {
                d.screen_points[c][2 * point] = low;
                d.screen_points[c][2 * point + 1] = high;
            } else {
                d.screen_points[c][point] = static_cast<std::int32_t>(sum / hw);
            }
            if (logic) SetLogicLines(d.logic_points[c][point], all, any);
        }
    }
    FinishFrame(d);
}

// ---------------------------------------------------------------------------------------------
// Screen read-out: one CH per channel

bool COscDispatch::ScreenReadOut(OscData& d, const CH& header, const std::int8_t* data,
                                 int availableBytes)
{
    // Nothing planned (reset, redraw, or the frame is already complete): an old answer.
    if (!read.active) return false;
    if (header.ch > 1) {
        read.active = false;
        return true;
    }
    const int k = read.min_max != 0 ? 2 : 1;
    int length = SuppliedLength(header.length, availableBytes, k);
    const std::int8_t* values = data;
    if (read.odd_start && length > 0) {
        values += k;
        length -= 1;
    }
    // In screen points, after the adjustment: the block must land inside the 300 points.
    const std::int64_t bufOffset = header.buf_offset;
    if (bufOffset > SCREEN_POINTS || bufOffset + length > SCREEN_POINTS) return false;
    const int first = static_cast<int>(bufOffset);

    if (read.second_pending) {
        pending_points[0].assign(values, values + k * length);
        pending_offset[0] = first;
        pending_count[0] = length;
        read.second_pending = false;
        ReplyGetCh(read.start - (read.odd_start ? 1 : 0), read.screen_offset, read.points, 1,
                   read.min_max, read.average_length);
        return false;
    }

    const int channel = header.ch;
    std::copy(values, values + k * length, &d.screen_points[channel][first * k]);
    RepackLogicSamples(channel, d, length, first);
    if (pending_count[0] > 0 || !pending_points[0].empty()) {
        std::copy(pending_points[0].begin(), pending_points[0].end(),
                  &d.screen_points[0][pending_offset[0] * k]);
        RepackLogicSamples(0, d, pending_count[0], pending_offset[0]);
        pending_points[0].clear();
        pending_count[0] = 0;
    }
    FinishFrame(d);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Screen read-out with host averaging

bool COscDispatch::AveragingReadOut(OscData& d, const CH& header, const std::int8_t* data,
                                    int availableBytes)
{
    const int c = read.channel == 1 ? 1 : 0;
    // Not the channel being read, or nothing planned: wait for the next STATE.
    if (!read.active || header.ch != c) return false;
    const int k = read.min_max != 0 ? 2 : 1;
    const std::int64_t n = std::max<int>(read.average_length, 1);
    const int points = read.points;
    const std::int64_t total = n * points;
    int length = SuppliedLength(header.length, availableBytes, k);
    const std::int8_t* values = data;

    if (read.counted[c] == 0) {
        pending_points[c].assign(static_cast<std::size_t>(k) * points, 0);
        pending_offset[c] = read.screen_offset;
        pending_count[c] = points;
        read.sum[c] = 0;
        read.minimum[c] = INT_MAX;
        read.maximum[c] = INT_MIN;
        read.logic_and[c] = 0xFF;
        read.logic_or[c] = 0;
        if (read.odd_start && length > 0) {
            values += k;
            length -= 1;
        }
    }

    const bool logic = (d.osc_cr & LogicBit(c)) != 0;
    std::vector<int>& out = pending_points[c];
    for (int i = 0; i < length && read.counted[c] < total; ++i) {
        if (k == 2) {
            const int mn = values[2 * i];
            const int mx = values[2 * i + 1];
            read.minimum[c] = std::min(read.minimum[c], mn);
            read.maximum[c] = std::max(read.maximum[c], mx);
            read.logic_and[c] &= static_cast<std::uint8_t>(mn);
            read.logic_or[c] |= static_cast<std::uint8_t>(mx);
        } else {
            const int v = values[i];
            read.sum[c] += v;
            read.logic_and[c] &= static_cast<std::uint8_t>(v);
            read.logic_or[c] |= static_cast<std::uint8_t>(v);
        }
        ++read.counted[c];
        if (read.counted[c] % n != 0) continue;
        const int p = static_cast<int>(read.counted[c] / n) - 1;
        if (k == 2) {
            out[2 * p] = read.minimum[c];
            out[2 * p + 1] = read.maximum[c];
            read.minimum[c] = INT_MAX;
            read.maximum[c] = INT_MIN;
        } else {
            out[p] = static_cast<int>(read.sum[c] / n);
            read.sum[c] = 0;
        }
        if (logic) {
            SetLogicLines(d.logic_points[c][read.screen_offset + p], read.logic_and[c],
                          read.logic_or[c]);
            read.logic_and[c] = 0xFF;
            read.logic_or[c] = 0;
        }
    }

    const std::int64_t depth = std::max(d.GetMemoryDepth(), 1u);
    if (read.counted[c] < total) {
        const std::int64_t rest = std::min<std::int64_t>(total - read.counted[c], 2029 / k);
        ReplyGetCh(static_cast<int>(Wrap(std::int64_t{read.start} + read.counted[c], depth)),
                   read.screen_offset, static_cast<int>(rest), c, read.min_max,
                   read.average_length);
        return false;
    }
    if (read.second_pending) {
        read.channel = 1;
        read.second_pending = false;
        read.counted[1] = 0;
        const std::int64_t length1 =
            std::min<std::int64_t>(total, 2028 / k) + (read.odd_start ? 1 : 0);
        ReplyGetCh(read.start - (read.odd_start ? 1 : 0), read.screen_offset,
                   static_cast<int>(length1), 1, read.min_max, read.average_length);
        return false;
    }

    read.averaging = false;
    for (int ch = 0; ch < 2; ++ch) {
        if (pending_points[ch].empty()) continue;
        std::copy(pending_points[ch].begin(), pending_points[ch].end(),
                  &d.screen_points[ch][pending_offset[ch] * k]);
        pending_points[ch].clear();
        pending_count[ch] = 0;
    }
    FinishFrame(d);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Statistic of a calibration or frequency-response point

void COscDispatch::StatisticReadOut(OscData& d, const CH& header, const std::int8_t* data,
                                    int availableBytes)
{
    StatisticWork& s = d.statistic;
    const int length = SuppliedLength(header.length, availableBytes, 2);
    for (int i = 0; i < length; ++i) {
        const int mn = data[2 * i];
        const int mx = data[2 * i + 1];
        s.sum += (mn + mx) / 2.0;
        s.minimum = std::min(s.minimum, mn);
        s.maximum = std::max(s.maximum, mx);
    }
    const std::int64_t frameLength = d.GetFrameLength();
    const std::int64_t next = std::int64_t{header.offset} + length;
    if (next >= 0 && next < frameLength) {
        ReplyGetCh(static_cast<int>(next), 0,
                   static_cast<int>(std::min<std::int64_t>(frameLength - next, 1014)),
                   s.channel, 1, 0);
        return;
    }
    d.mode &= ~MODE_FR_POINT;
    s.start = true;
    s.mean = s.sum / static_cast<double>(std::max<std::int64_t>(frameLength, 1));
    RunContinuation(on_statistic_done);
}

// ---------------------------------------------------------------------------------------------
// Full-memory read-out of a stopped capture

void COscDispatch::MemoryReadOut(OscData& d, const CH* header, const std::int8_t* data,
                                 int availableBytes)
{
    const bool minMax = (d.osc_cr & OSC_CR_MIN_MAX) != 0;
    const bool triggered = (d.osc_cr & OSC_CR_TRIGGER_ON) != 0;
    const bool pairs = CountsInPairs(d.GetVersion());
    const int k = minMax ? 2 : 1;
    const std::int64_t depth = std::max(d.GetMemoryDepth(), 1u);
    const std::int64_t capacity = std::min<std::int64_t>(k * depth, d.GetSampleBufferLength());

    if (header != nullptr) {
        int length = SuppliedLength(header->length, availableBytes, k);
        const std::int8_t* values = data;
        if (pairs && triggered && !minMax && (d.trigger_buffer_start_sample & 1) != 0) {
            // Read from the even sample before the trigger position: drop that first sample
            // and the extra one at the end.
            if (length >= 2) {
                values += 1;
                length -= 2;
            } else {
                length = 0;
            }
        }
        if (d.read_state == 0) {
            d.read_position = 0;
            d.read_state = 1;
        }
        if (d.read_state == 1 || d.read_state == 2) {
            const int channel = d.read_state == 2 ? 1 : 0;
            const std::int64_t room = std::max<std::int64_t>(capacity - d.read_position, 0);
            const std::int64_t take = std::min<std::int64_t>(std::int64_t{k} * length, room);
            std::int32_t* target = d.sample_buffer[channel];
            if (target != nullptr)
                std::copy(values, values + take, target + d.read_position);
            d.read_position += static_cast<std::uint32_t>(take);
            if (d.read_position >= capacity) {
                if (d.read_state == 1) {
                    d.read_state = 2;
                    d.read_position = 0;
                } else {
                    d.read_state = 3;
                }
            }
        }
    } else {
        // Nanoseconds per tenth of a division, for the stopped view's time labels.
        static constexpr int mantissa[3] = {1, 2, 5};
        const unsigned t = std::min(d.t_div, 40u);
        std::int64_t power = 1;
        for (unsigned i = 0; i < t / 3; ++i) power *= 10;
        d.display_time_step = static_cast<double>(mantissa[t % 3] * power) / 10.0;
    }

    if (d.read_state == 3) {
        d.mode &= ~MODE_READING;
        d.status |= STATUS_MEMORY_READ;
        return;
    }

    const std::int64_t position = d.read_position / k;
    std::int64_t offset = position + (triggered ? d.trigger_buffer_start_sample : 0);
    std::int64_t length = std::min<std::int64_t>(depth - position, 2029 / k);
    if (pairs) {
        length &= ~std::int64_t{1};
        if (!minMax) {
            offset -= Wrap(offset, 2);
            if (length + 2 <= 2029) length += 2;
        }
    }
    ReplyGetCh(static_cast<int>(Wrap(offset, depth)), 0, static_cast<int>(std::max<std::int64_t>(length, 0)),
               d.read_state == 2 ? 1 : 0, minMax ? 1 : 0, 0);
}
