#include "app/main/ScreenSnapshot.h"

#include <cstring>

void TakeScreenSnapshot(const OscData& d, ScreenSnapshot& s)
{
    std::memcpy(s.points, d.screen_points, sizeof s.points);
    std::memcpy(s.logic, d.logic_points, sizeof s.logic);
    for (int c = 0; c < SCREEN_TRACES; ++c)
    {
        s.zero[c] = d.GetCalibrationOffset(c);
        s.offset[c] = d.y_offset[c];
        // A zero part (a damaged setting) would make the trace infinite; such a gain draws unscaled.
        s.gain[c] = d.gain_ref[c] != 0 && d.gain_sel[c] != 0 ? static_cast<double>(d.gain_sel[c]) / d.gain_ref[c] : 1.0;
    }
    s.enabled[0] = (d.osc_cr & OSC_CR_CH_A_ON) != 0;
    s.enabled[1] = (d.osc_cr & OSC_CR_CH_B_ON) != 0;
    s.enabled[2] = false;
    s.logic_mode[0] = (d.osc_cr & OSC_CR_LOGIC_A) != 0;
    s.logic_mode[1] = (d.osc_cr & OSC_CR_LOGIC_B) != 0;
    s.logic_mode[2] = false;
    s.recorder = (d.mode & MODE_RECORDER) != 0;
    s.received = d.valid_points < 0 ? 0 : (d.valid_points > SCREEN_POINTS ? SCREEN_POINTS : d.valid_points);
    s.trigger_source = d.GetTriggerSource();
    s.trigger_level[0] = d.trigger_level[0];
    s.trigger_level[1] = d.trigger_level[1];
    s.trigger_offset_extra = d.trigger_offset_extra;
    s.trigger_offset_samples = d.trigger_offset_samples;
    s.min_max = (d.osc_cr & OSC_CR_MIN_MAX) != 0 ? 1 : 0;
    s.osc_cr = d.osc_cr;
    s.osc_sr = d.osc_sr;
    s.mode = d.mode;
    s.stopped_view_shift = d.stopped_view_shift;
    s.x_zoom_in = d.x_zoom_in;
    s.x_zoom_out_hw = d.x_zoom_out_hw;
    s.x_zoom_out_sw = d.x_zoom_out_sw;
}

int ComputeMathTrace(ScreenSnapshot& s, int op)
{
    if (!s.enabled[0] || !s.enabled[1] || s.logic_mode[0] || s.logic_mode[1] || op < 0 || op > 3)
        op = 0;
    s.enabled[2] = op != 0;
    s.zero[2] = 0;
    if (op == 0)
        return 0;
    const int values = s.min_max != 0 ? SCREEN_VALUES : SCREEN_POINTS;
    for (int k = 0; k < values; ++k)
    {
        const int a = s.points[0][k] - s.zero[0];
        const int b = s.points[1][k] - s.zero[1];
        s.points[2][k] = op == 1 ? a + b : (op == 2 ? a - b : b - a);
    }
    return op;
}
