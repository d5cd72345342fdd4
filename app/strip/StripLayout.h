#pragma once
// Where the parts of the buffer overview strip lie for the data model's state: how much of the
// sample memory is filled, which part the chart shows and where the trigger point is. Pure
// arithmetic on OscData, done in 64 bits (memory depths times pixel widths), so the strip
// window only takes the lock, asks and draws.

#include "core/data/OscData.h"
#include "platform/gdi/GdiTypes.h"

#include <cstdint>

struct StripQuantities {
    std::int64_t memory = 0;  // M: the memory depth in samples
    std::int64_t valid = 0;   // V: the samples captured into the buffer
    std::int64_t total = 0;   // T = max(M, V)
};

struct StripLayout {
    bool drawable = false;    // false: a strip without width or a buffer of no samples
    bool trigger_on = false;
    int filled_right = 0;     // the filled part runs from the strip's left to here
    CRect visible;            // the part the chart shows
    int marker_x = 0;         // the trigger point (trigger on only)
};

StripQuantities GetStripQuantities(const OscData& d);

// strip: the strip's rectangle in client pixels. Call with DataLock held.
StripLayout ComputeStripLayout(const OscData& d, const CRect& strip);

// The sample under a strip pixel offset (0 = the strip's left edge): offset × T / W.
std::int64_t StripPixelToSample(std::int64_t offset, const StripQuantities& q, int width);
