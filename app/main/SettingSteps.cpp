#include "app/main/SettingSteps.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

// Channels A and B switched on only because the trigger needed them.
bool switched_for_trigger[2] = {false, false};

std::int32_t Clamp32(std::int64_t v)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

bool TriggerOn(const OscData& d) { return (d.osc_cr & OSC_CR_TRIGGER_ON) != 0; }

// Solver codes: 0 accepted, 1 stop searching, 2 try the next value.
bool AcceptTDiv(OscData& d, std::int32_t centre)
{
    SetViewCenterSample(d, centre);
    d.ClampViewOffset();
    return true;
}

}  // namespace

void ForgetTriggerChannels() { switched_for_trigger[0] = switched_for_trigger[1] = false; }

void SetTriggerSource(OscData& d, int source)
{
    if (source < 0 || source > 3 || source == d.GetTriggerSource())
        return;
    d.changes |= CHANGE_CAPTURE;
    switch (source)
    {
    case 0:
        d.osc_cr &= static_cast<std::uint16_t>(~(OSC_CR_TRIGGER_ON | OSC_CR_TRIGGER_EXT | OSC_CR_TRIGGER_B));
        if (switched_for_trigger[0])
        {
            switched_for_trigger[0] = false;
            d.EnableChannelA(false);
        }
        if (switched_for_trigger[1])
        {
            switched_for_trigger[1] = false;
            d.EnableChannelB(false);
        }
        break;
    case 1:
        d.osc_cr &= static_cast<std::uint16_t>(~(OSC_CR_TRIGGER_EXT | OSC_CR_TRIGGER_B));
        d.osc_cr |= OSC_CR_TRIGGER_ON;
        if ((d.osc_cr & OSC_CR_CH_A_ON) == 0 && d.EnableChannelA(true))
            switched_for_trigger[0] = true;
        break;
    case 2:
        d.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_TRIGGER_EXT);
        d.osc_cr |= OSC_CR_TRIGGER_ON | OSC_CR_TRIGGER_B;
        if ((d.osc_cr & OSC_CR_CH_B_ON) == 0 && d.EnableChannelB(true))
            switched_for_trigger[1] = true;
        break;
    default:
        d.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_TRIGGER_B);
        d.osc_cr |= OSC_CR_TRIGGER_ON | OSC_CR_TRIGGER_EXT;
        break;
    }
}

bool StepVDivIndex(OscData& d, int channel, int delta)
{
    if (channel < 0 || channel > 2)
        return false;
    const std::uint32_t old = d.u_div[channel];
    std::int64_t lower = d.GetVDivMin();
    std::int64_t upper = d.GetVDivMax();
    if ((d.mode & MODE_STOPPED) != 0)
    {
        // A stopped capture only allows a software zoom of one step around its gain.
        const int gain = d.GetGainIndex(std::min<std::uint32_t>(old, VDIV_TABLE_SIZE - 1));
        lower = std::int64_t{gain} - 1;
        upper = std::int64_t{gain} + 1;
    }
    const std::int64_t wanted = std::int64_t{old} + delta;
    const std::int64_t chosen = wanted > upper ? upper : (wanted < lower ? lower : wanted);
    d.u_div[channel] = static_cast<std::uint32_t>(std::max<std::int64_t>(chosen, 0));
    ApplyVDivIndex(d, channel);
    return d.u_div[channel] != old;
}

void ApplyVDivIndex(OscData& d, int channel)
{
    if (channel < 0 || channel > 2)
        return;
    std::uint32_t& u = d.u_div[channel];
    if (u > d.GetVDivMax())
        u = d.GetVDivMax();
    else if (u < d.GetVDivMin())
        u = d.GetVDivMin();
    // The variant's limits come from the same table; a bad one must not index past it.
    const unsigned index = std::min<unsigned>(u, VDIV_TABLE_SIZE - 1);
    const int gainIndex = std::clamp(d.GetGainIndex(index), 0, static_cast<int>(VDIV_TABLE_SIZE) - 1);
    const std::uint32_t g = VDivTable[gainIndex];
    const std::uint32_t v = VDivTable[index];
    const std::uint32_t common = std::gcd(g, v);
    d.gain_ref[channel] = g / common;
    d.gain_sel[channel] = v / common;
    d.ApplyGain(channel);
}

bool StepTDivIndex(OscData& d, int delta)
{
    const std::int32_t centre = GetViewCenterSample(d);
    const std::uint32_t saved = d.t_div;
    if (delta <= 0)
    {
        while (d.t_div > d.GetTDivMin())
        {
            --d.t_div;
            const int r = d.SolveTimebase();
            if (r == 0)
                return AcceptTDiv(d, centre);
            if (r == 1)
                break;
        }
    }
    else
    {
        while (d.t_div < d.GetTDivMax())
        {
            ++d.t_div;
            const int r = d.SolveTimebase();
            if (r == 0)
                return AcceptTDiv(d, centre);
            if (r == 1)
                break;
        }
    }
    d.t_div = saved;
    return false;
}

bool SetTDivKeepingCenter(OscData& d, std::uint32_t tDiv)
{
    const std::int32_t centre = GetViewCenterSample(d);
    const std::uint32_t saved = d.t_div;
    d.t_div = tDiv;
    if (d.SolveTimebase() != 0)
    {
        d.t_div = saved;
        return false;
    }
    return AcceptTDiv(d, centre);
}

std::int32_t GetViewCenterSample(const OscData& d)
{
    if (TriggerOn(d))
        return Clamp32(std::int64_t{d.trigger_offset_samples} + d.PointsToSamples(d.trigger_offset_extra));
    return d.PointsToSamples(Clamp32(std::int64_t{d.x_offset} + kScreenCentre));
}

void SetViewCenterSample(OscData& d, std::int32_t sample)
{
    if (TriggerOn(d))
    {
        const std::int32_t p = d.SamplesToPoints(Clamp32(std::int64_t{sample} - d.trigger_offset_samples));
        d.stopped_view_shift = Clamp32(std::int64_t{d.stopped_view_shift} + p - d.trigger_offset_extra);
        d.trigger_offset_extra = p;
    }
    else
    {
        d.x_offset = Clamp32(std::int64_t{d.SamplesToPoints(sample)} - kScreenCentre);
    }
}

bool TogglePeakDetect(OscData& d)
{
    if ((d.mode & (MODE_STOPPED | MODE_RECORDER)) != 0)
        return false;
    d.osc_cr ^= OSC_CR_MIN_MAX;
    std::memset(d.screen_points, 0, sizeof(d.screen_points));
    d.SolveTimebase();
    d.ClampViewOffset();
    d.changes |= CHANGE_CAPTURE;
    return true;
}

void CycleTriggerEdge(OscData& d)
{
    const int source = d.GetTriggerSource();
    if (source == 0)
        return;
    std::uint8_t& dir = d.trigger_dir[source - 1];
    dir = static_cast<std::uint8_t>(dir >= 2 ? 0 : dir + 1);
    d.changes |= CHANGE_CAPTURE;
}

namespace {

void PutTriggerLevel(OscData& d, std::int64_t level)
{
    const int source = d.GetTriggerSource();
    if (source != 1 && source != 2)
        return;
    const int c = d.GetCalibrationOffset(source - 1);
    d.trigger_level[source - 1] = static_cast<std::int32_t>(std::clamp<std::int64_t>(level, -128 - c, 127 - c));
    d.changes |= CHANGE_TRIGGER;
}

}  // namespace

void MoveTriggerLevel(OscData& d, int delta)
{
    const int source = d.GetTriggerSource();
    if (source != 1 && source != 2)
        return;
    PutTriggerLevel(d, std::int64_t{d.trigger_level[source - 1]} + delta);
}

void SetTriggerLevel(OscData& d, int value)
{
    const int source = d.GetTriggerSource();
    if ((source != 1 && source != 2) || d.trigger_level[source - 1] == value)
        return;
    PutTriggerLevel(d, value);
}
