// Which stretch of the device memory the screen read-out fetches after a STATE report: centred
// on the trigger, at the stopped view position, or frame by frame while rolling without trigger.

#include "core/data/OscData.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

constexpr std::int64_t kFrame = SCREEN_POINTS;

// Time bases from 50 ms/div on show the points as they arrive instead of whole frames.
constexpr std::int64_t kSlowTDivUnits = 1000;

std::int32_t ToInt(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

// The STATE counters are unsigned 32-bit on the wire.
std::int64_t FromWire(int value)
{
    return static_cast<std::uint32_t>(value);
}

// Brings a sample position into the memory, which the device fills circularly.
std::int64_t WrapIntoMemory(std::int64_t position, std::int64_t depth)
{
    const std::int64_t rest = position % depth;
    return rest < 0 ? rest + depth : rest;
}

char Bit(std::uint16_t word, std::uint16_t bit)
{
    return (word & bit) != 0 ? '1' : '0';
}

}  // namespace

ChannelReadPlan OscData::PlanChannelRead(int num_catched_samples, int samples_before_trig,
                                         int first_trig_sample)
{
    ChannelReadPlan plan;
    CString& text = plan.text;

    const std::int64_t D = std::max<std::int64_t>(1, GetMemoryDepth());
    const std::int64_t hw = std::max<std::int64_t>(1, x_zoom_out_hw);
    const std::int64_t sw = std::max<std::int64_t>(1, x_zoom_out_sw);
    const std::int64_t zin = std::max<std::int64_t>(1, x_zoom_in);
    const bool triggerOn = (osc_cr & OSC_CR_TRIGGER_ON) != 0;
    const bool pairs = (osc_cr & OSC_CR_MIN_MAX) != 0;
    const int code = (osc_cr & OSC_CR_CH_B_ON) == 0 ? 0 : (osc_cr & OSC_CR_CH_A_ON) != 0 ? 2 : 1;

    auto P = [this](std::int64_t samples) -> std::int64_t { return SamplesToPoints(ToInt(samples)); };
    auto Nm = [this](std::int64_t points) -> std::int64_t {
        return PointsToSamplesWithMargin(ToInt(points));
    };
    auto FrameStart = [&](std::int64_t frame) { return sw * hw * frame * kFrame / zin; };
    // The reception takes at most the 300 points of the screen array; the margin beyond them
    // is never reached by the interpolation. A plan that would read backwards reads nothing.
    auto Plan = [&](std::int64_t bufOffset, std::int64_t offsetSample, std::int64_t length) {
        length = std::min(length, kFrame - bufOffset);
        if (bufOffset < 0 || length < 0) return;
        plan.channel = code;
        plan.buf_offset = ToInt(bufOffset);
        plan.offset_sample = ToInt(offsetSample);
        plan.length = ToInt(length);
        text.AppendFormat("CH:%d BOff:%05d Off:%06d Len:%d\n", plan.channel, plan.buf_offset,
                          plan.offset_sample, plan.length);
    };

    // Samples captured so far: the count runs on over the circular memory while the capture
    // goes on; a complete capture without trigger fills the whole memory.
    std::int64_t n = FromWire(num_catched_samples);
    if (triggerOn || (osc_sr & OSC_SR_CTCH) == 0) {
        if (n > D) n = (n - 1) % D + 1;
    } else {
        n = D;
    }

    text.Format("x_skip=%d\nx_zoom_out_hw=%d\nx_zoom_out_sw=%d\nx_zoom_in=%d\n", static_cast<int>(x_skip),
                x_zoom_out_hw, x_zoom_out_sw, x_zoom_in);
    text.AppendFormat("CTCH%c TROK%c TPREV%c TRWRK%c TWI%c TRBIT%c\n", Bit(osc_sr, OSC_SR_CTCH),
                      Bit(osc_sr, OSC_SR_TROK), Bit(osc_sr, OSC_SR_TPREV), Bit(osc_sr, OSC_SR_TRWRK),
                      Bit(osc_sr, OSC_SR_TWI), Bit(osc_sr, OSC_SR_TRBIT));

    if (triggerOn) {
        if ((osc_sr & OSC_SR_TROK) != 0 && (mode & MODE_WAIT_TRIGGER) == 0) {
            const std::int64_t offsetSamples = trigger_offset_samples;
            const std::int64_t e = FromWire(first_trig_sample) +
                                   ((osc_sr & OSC_SR_TRBIT) != 0 && !pairs ? 1 : 0) - offsetSamples -
                                   D / 2;
            x_offset = ToInt((P(D) - kFrame) / 2 - trigger_offset_extra);
            const std::int64_t s = WrapIntoMemory(e + std::int64_t{x_offset} * hw * sw / zin, D);
            trigger_buffer_start_sample = ToInt(WrapIntoMemory(e, D));

            std::int64_t length = (n + offsetSamples) * zin / (hw * sw) + trigger_offset_extra + 150;
            length = std::min(length, kFrame);
            // Fast time bases wait until the whole window around the trigger is captured.
            if (GetTDivUnits() >= kSlowTDivUnits || length == kFrame) {
                if (length >= 0) first_not_ready_sample = ToInt(length);
                Plan(0, s, length);
            }

            // Samples in the memory from the window's start on; never fewer than none.
            n = std::clamp<std::int64_t>(n + D / 2 + offsetSamples, 0, D);
            text.AppendFormat(
                "samples_before_trig=%d\nfirst_trig_sample=%d\nnum_catched_samples=%d\n"
                "offset_sample=%d\ntrigger_offset_samples=%d\ntrigger_buffer_start_sample=%d\n"
                "trigger_offset_extra=%d\nx_offset=%d\nnum=%d\n",
                samples_before_trig, first_trig_sample, num_catched_samples, ToInt(s),
                trigger_offset_samples, trigger_buffer_start_sample, trigger_offset_extra, x_offset,
                ToInt(n));
        }
    } else if ((mode & MODE_STOPPED) != 0) {
        std::int64_t c = P(n) - x_offset;
        // A view beyond the captured points (or before the first) starts over at the beginning.
        if (c < 0 || x_offset < 0) {
            x_offset = 0;
            c = P(n);
        }
        c = std::min(c, kFrame);
        first_not_ready_sample = ToInt(c);
        Plan(0, sw * hw * x_offset / zin, Nm(c));
    } else {
        // Rolling display: the memory fills frame after frame of 300 points.
        const std::int64_t lastEntry = D - (pairs ? 2 : 1);
        if (cycle_counter != last_plan_cycle && P(lastEntry) / kFrame == cur_frame &&
            P(D) % kFrame == cur_frame_points)
            last_num_catched_samples = 0;  // the previous pass ended with the memory full
        last_plan_cycle = cycle_counter;

        const std::int64_t last = std::max(0, last_num_catched_samples);
        if (n < last) {
            delta_catched_samples = ToInt(n);
            cur_frame = ToInt(P(n) / kFrame);
            cur_frame_points = ToInt(P(n) % kFrame);
            last_frame = last_frame_points = 0;
            delta_frame = cur_frame;
        } else {
            delta_catched_samples = ToInt(n - last);
            cur_frame = ToInt(P(n) / kFrame);
            last_frame = ToInt(P(last) / kFrame);
            cur_frame_points = ToInt(P(n) % kFrame);
            last_frame_points = ToInt(P(last) % kFrame);
            if (last == 0) last_frame = last_frame_points = 0;
            delta_frame = cur_frame - last_frame;
        }
        if (n == 0) cur_frame = cur_frame_points = 0;
        text.AppendFormat("delta_catched_samples=%d\ncur_frame=%d\nlast_frame=%d\ndelta_frame=%d\n"
                          "cur_frame_points=%d\nlast_frame_points=%d\n",
                          delta_catched_samples, cur_frame, last_frame, delta_frame, cur_frame_points,
                          last_frame_points);

        if (GetTDivUnits() >= kSlowTDivUnits) {
            // Points are fetched as they arrive.
            const std::int64_t resume =
                (std::int64_t{last_frame} * kFrame + last_frame_points) * sw * hw / zin;
            if (delta_frame != 0) {
                // Finish the frame the previous plan left unfinished.
                Plan(last_frame_points, resume, Nm(kFrame - last_frame_points));
                first_not_ready_sample = SCREEN_POINTS;
                x_offset = ToInt(std::int64_t{last_frame} * kFrame);
            } else if (cur_frame_points < valid_points) {
                // The frame restarted.
                Plan(0, FrameStart(last_frame), Nm(cur_frame_points));
                first_not_ready_sample = cur_frame_points;
                x_offset = 0;
            } else {
                Plan(last_frame_points, resume, Nm(std::int64_t{cur_frame_points} - last_frame_points));
                first_not_ready_sample = cur_frame_points;
                x_offset = ToInt(std::int64_t{last_frame} * kFrame);
            }
        } else if (cur_frame_points == kFrame) {
            // Only whole frames are shown.
            Plan(0, FrameStart(cur_frame), Nm(kFrame));
            first_not_ready_sample = SCREEN_POINTS;
            x_offset = ToInt(std::int64_t{cur_frame} * kFrame);
        } else if (cur_frame > 0) {
            Plan(0, FrameStart(cur_frame - 1), Nm(kFrame));
            first_not_ready_sample = SCREEN_POINTS;
            x_offset = ToInt((std::int64_t{cur_frame} - 1) * kFrame);
        }
        text.AppendFormat("num_catched_samples=%d\nlast_num_catched_samples=%d\n"
                          "first_not_ready_sample=%d\nx_offset=%d\n",
                          ToInt(n), last_num_catched_samples, first_not_ready_sample, x_offset);
    }

    if (plan.channel == 3) {
        plan.buf_offset = 0;
        plan.offset_sample = 0;
        plan.length = 0;
    }
    last_num_catched_samples = ToInt(n);
    const std::int64_t phase = std::int64_t{x_offset} % zin;
    interp_phase = ToInt(phase < 0 ? phase + zin : phase);
    return plan;
}
