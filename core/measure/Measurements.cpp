#include "core/measure/Measurements.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

void ChannelAccumulator::Reset()
{
    *this = ChannelAccumulator();
    maximum = std::numeric_limits<std::int32_t>::min();
    minimum = std::numeric_limits<std::int32_t>::max();
}

FramePoints PrepareFrame(const std::int32_t* screen, int available, int validPoints, bool minMax,
                         int calibrationOffset, std::int32_t* values)
{
    FramePoints frame;
    frame.values = values;
    const int perPoint = minMax ? 2 : 1;
    const int count = std::clamp(validPoints, 0, std::max(available, 0) / perPoint);
    if (count == 0 || screen == nullptr)
        return frame;

    std::int32_t lo = std::numeric_limits<std::int32_t>::max();
    std::int32_t hi = std::numeric_limits<std::int32_t>::min();
    for (int i = 0; i < count; ++i) {
        if (minMax) {
            const std::int32_t pmin = screen[2 * i] - calibrationOffset;
            const std::int32_t pmax = screen[2 * i + 1] - calibrationOffset;
            // The midpoint of the raw pair, truncated toward zero, then the offset.
            values[i] = (screen[2 * i] + screen[2 * i + 1]) / 2 - calibrationOffset;
            lo = std::min(lo, pmin);
            hi = std::max(hi, pmax);
        } else {
            values[i] = screen[i] - calibrationOffset;
            lo = std::min(lo, values[i]);
            hi = std::max(hi, values[i]);
        }
    }
    frame.count = count;
    frame.minimum = lo;
    frame.maximum = hi;
    return frame;
}

double FramePeriod(const std::int32_t* values, int count, std::int32_t mean)
{
    if (count < 2)
        return 0;
    int last = -1;
    int distances = 0;
    double average = 0;
    for (int j = 1; j < count; ++j) {
        if (values[j - 1] < mean && mean <= values[j]) {
            if (last >= 0) {
                average = (average * distances + (j - last)) / (distances + 1);
                ++distances;
            }
            last = j;
        }
    }
    return average;
}

void AccumulateFrame(ChannelAccumulator& acc, const FramePoints& frame)
{
    if (frame.count <= 0)
        return;
    std::int64_t sum = 0;
    for (int i = 0; i < frame.count; ++i)
        sum += frame.values[i];
    // Kept whole: a mean of values near the ends of the 8-bit range must not wrap.
    const auto mean = static_cast<std::int32_t>(sum / frame.count);

    acc.meanSum += mean;
    acc.peakSum += std::llabs(static_cast<std::int64_t>(frame.maximum) - mean);
    for (int i = 0; i < frame.count; ++i) {
        const std::int32_t v = frame.values[i];
        // A value on the mean counts for both levels.
        if (v <= mean) {
            acc.baseSum += v;
            ++acc.baseCount;
        }
        if (v >= mean) {
            acc.topSum += v;
            ++acc.topCount;
        }
    }
    acc.maximum = std::max(acc.maximum, frame.maximum);
    acc.minimum = std::min(acc.minimum, frame.minimum);
    acc.periodSum += FramePeriod(frame.values, frame.count, mean);
}

void FinishWindow(const ChannelAccumulator& acc, int frames, ChannelMeasurement& result)
{
    if (frames <= 0)
        return;
    result.mean = static_cast<std::int32_t>(acc.meanSum / frames);
    result.peak = static_cast<std::int32_t>(acc.peakSum / frames);
    result.base = acc.baseCount != 0 ? static_cast<std::int32_t>(acc.baseSum / acc.baseCount) : 0;
    result.top = acc.topCount != 0 ? static_cast<std::int32_t>(acc.topSum / acc.topCount) : 0;
    result.maximum = acc.maximum;
    result.minimum = acc.minimum;
    result.period = acc.periodSum / frames;
}

int MeasureWindowFrames(std::int64_t tDivUnits, bool recorder, bool& forceWhenFull)
{
    forceWhenFull = false;
    if (recorder)
        return 1;
    if (tDivUnits > 3000)
        return 1;
    if (tDivUnits > 200)
        return static_cast<int>(3000 / tDivUnits);
    forceWhenFull = true;
    return 20;
}

bool MeasureTick(MeasureState& state, const MeasureTickInput& input, std::int32_t& counter,
                 ChannelMeasurement results[2])
{
    constexpr int kScreenPoints = 300;
    int valid = input.validPoints;
    if (valid > kScreenPoints || valid < 0)
        valid = 0;
    bool forceWhenFull = false;
    const int frames = MeasureWindowFrames(input.tDivUnits, input.recorder, forceWhenFull);
    bool force = input.recorder || (forceWhenFull && valid == kScreenPoints);
    if (counter >= frames || counter < 0)
        counter = 0;

    // A frame that dropped below 80 % and filled up again is a new frame: measure it once.
    if (valid < 240) {
        state.latch = true;
    } else if (state.latch) {
        state.latch = false;
        force = true;
    }

    bool run = force;
    if (input.xOffset != state.lastXOffset && valid == kScreenPoints) {
        state.lastXOffset = input.xOffset;
        run = true;
    }
    // An empty frame has nothing to measure; it must not count as one of the window's frames.
    if (!run || valid == 0)
        return false;

    ++counter;
    std::int32_t values[2][kScreenPoints];
    for (int c = 0; c < 2; ++c) {
        ChannelAccumulator& acc = state.channel[c];
        if (counter == 1)
            acc.Reset();
        const MeasureChannelInput& in = input.channel[c];
        const FramePoints frame = PrepareFrame(in.screen, in.available, valid, input.minMax, in.calibrationOffset, values[c]);
        AccumulateFrame(acc, frame);
    }
    if (counter < frames)
        return false;
    for (int c = 0; c < 2; ++c)
        FinishWindow(state.channel[c], frames, results[c]);
    return true;
}
