#pragma once
// Automatic measurements of the two analog channels, averaged over several frames.
//
// Works on plain arrays of screen points so that the arithmetic can be checked on its own; the
// data model drives it on every tick through MeasureTick.

#include <cstdint>

// Results of one channel, in raw sample units relative to the calibration offset; the period
// is in screen points.
struct ChannelMeasurement {
    std::int32_t mean = 0;
    std::int32_t peak = 0;  // peak deviation of the maximum from the mean
    std::int32_t maximum = 0;
    std::int32_t minimum = 0;
    std::int32_t top = 0;
    std::int32_t base = 0;
    double period = 0;
};

// What one channel collects over an averaging window.
struct ChannelAccumulator {
    std::int64_t meanSum = 0;
    std::int64_t peakSum = 0;
    double periodSum = 0;
    std::int64_t topSum = 0;
    std::int64_t topCount = 0;
    std::int64_t baseSum = 0;
    std::int64_t baseCount = 0;
    std::int32_t maximum = 0;
    std::int32_t minimum = 0;

    // Zeroes the sums; the extremes start from the far ends of the int range.
    void Reset();
};

// One frame of one channel as the measurement sees it: `count` point values (the raw value,
// or the midpoint of a min/max pair, minus the calibration offset) and the frame's extremes.
struct FramePoints {
    const std::int32_t* values = nullptr;
    int count = 0;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
};

// Builds FramePoints from a channel's screen-point array. `screen` holds `available` s32
// entries; in min/max sampling a point is a (min, max) pair. At most `validPoints` points are
// used, and never more than the array holds. `values` must have room for validPoints entries.
FramePoints PrepareFrame(const std::int32_t* screen, int available, int validPoints, bool minMax,
                         int calibrationOffset, std::int32_t* values);

// Mean distance between consecutive rising crossings of `mean` (value(j-1) < mean <= value(j)),
// in points; 0 without two crossings.
double FramePeriod(const std::int32_t* values, int count, std::int32_t mean);

// Adds one frame to the window. The frame must hold at least one point.
void AccumulateFrame(ChannelAccumulator& acc, const FramePoints& frame);

// The averaged results of a window of `frames` frames.
void FinishWindow(const ChannelAccumulator& acc, int frames, ChannelMeasurement& result);

// Number of frames averaged at a time base of `tDivUnits` (30 per millisecond of a division).
// `forceWhenFull` tells whether a full frame is measured on every tick (fast time bases, where
// frames follow each other quicker than the view can tell them apart).
int MeasureWindowFrames(std::int64_t tDivUnits, bool recorder, bool& forceWhenFull);

// The state kept between ticks: one accumulator per channel, the latch that notices a new frame
// filling up, and the horizontal position seen at the last full frame.
struct MeasureState {
    ChannelAccumulator channel[2];
    bool latch = false;
    std::int32_t lastXOffset = 0;
};

// One channel's input to a tick.
struct MeasureChannelInput {
    const std::int32_t* screen = nullptr;
    int available = 0;  // s32 entries in `screen`
    int calibrationOffset = 0;
};

struct MeasureTickInput {
    MeasureChannelInput channel[2];
    int validPoints = 0;  // V: valid screen points of the frame, 0..300
    bool minMax = false;
    bool recorder = false;
    std::int64_t tDivUnits = 0;
    std::int32_t xOffset = 0;
};

// One tick of the measurement: decides whether this frame is measured, accumulates it into
// both channels and, when the window of frames is complete, writes the results. `counter` is
// the frame counter of the window (kept with the results, since a timebase change restarts it).
// True when new results were written.
bool MeasureTick(MeasureState& state, const MeasureTickInput& input, std::int32_t& counter,
                 ChannelMeasurement results[2]);
