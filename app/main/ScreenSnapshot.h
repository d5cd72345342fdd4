#pragma once
// What one tick of the main window draws, copied from the data model under DataLock so that
// every series and readout of the tick shows the same instant.

#include "core/data/OscData.h"

#include <cstdint>

struct ScreenSnapshot {
    std::int32_t points[SCREEN_TRACES][SCREEN_VALUES];  // A, B, math (the math block is computed)
    std::uint8_t logic[SCREEN_TRACES][SCREEN_VALUES][8];
    std::int8_t zero[SCREEN_TRACES];    // calibration zero level
    std::int8_t offset[SCREEN_TRACES];  // y_offset
    bool enabled[SCREEN_TRACES];
    bool logic_mode[SCREEN_TRACES];
    bool recorder;
    double gain[SCREEN_TRACES];         // selected part / reference part
    std::int32_t received;              // screen points of the current frame (300 when complete)
    std::int32_t trigger_source;        // 0 off, 1 A, 2 B, 3 external
    std::int32_t trigger_level[2];
    std::int32_t trigger_offset_extra;
    std::int32_t trigger_offset_samples;
    std::int32_t min_max;               // 1: a trace holds 300 (min, max) pairs
    std::int32_t osc_cr;
    std::int32_t osc_sr;
    std::uint32_t mode;
    std::int32_t stopped_view_shift;
    std::int32_t x_zoom_in;
    std::int32_t x_zoom_out_hw;
    std::int32_t x_zoom_out_sw;
};

// Fills `s` from the model (DataLock held by the caller). The math trace is left disabled.
void TakeScreenSnapshot(const OscData& d, ScreenSnapshot& s);

// The math trace: op 1 A+B, 2 A-B, 3 B-A of the zero-corrected channels; 0 or a channel off or
// in logic mode gives no trace. Returns the operation in effect.
int ComputeMathTrace(ScreenSnapshot& s, int op);
