#include "core/data/OscData.h"

#include "core/data/ValueFormat.h"

#include "core/data/RecorderHeader.h"

#include <boost/date_time/int_adapter.hpp>
#include <boost/date_time/posix_time/posix_time_types.hpp>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>

static_assert(std::endian::native == std::endian::little,
              "the recorder header is written in the host's byte order");

namespace {

constexpr std::int64_t kPointsPerSecondScale = 10000000;  // 10^7: ten points per division

constexpr std::int32_t ClampToInt(std::int64_t value)
{
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

std::int64_t Gcd64(std::int64_t a, std::int64_t b)
{
    // Repeated remainders; both operands are positive here.
    while (b != 0) {
        const std::int64_t r = a % b;
        a = b;
        b = r;
    }
    return a;
}

std::uint32_t Gcd32(std::uint32_t a, std::uint32_t b)
{
    while (b != 0) {
        const std::uint32_t r = a % b;
        a = b;
        b = r;
    }
    return a;
}

}  // namespace

CCriticalSection DataLock;

// ---------------------------------------------------------------------------------------------
// Construction

OscData::OscData() : DataBase{}
{
    sample_buffer[0] = nullptr;
    sample_buffer[1] = nullptr;
}

OscData::~OscData() = default;

void OscData::AllocateSampleBuffers(unsigned length)
{
    buffer_a_ = std::make_unique<std::int32_t[]>(length);
    buffer_b_ = std::make_unique<std::int32_t[]>(length);
    sample_buffer_length_ = length;
    sample_buffer[0] = buffer_a_.get();
    sample_buffer[1] = buffer_b_.get();
}

void OscData::ClearAllFields()
{
    static_cast<DataBase&>(*this) = DataBase{};
    sample_buffer[0] = buffer_a_.get();
    sample_buffer[1] = buffer_b_.get();
    str_datalogger_fn[0].Empty();
    str_datalogger_fn[1].Empty();
}

// ---------------------------------------------------------------------------------------------
// Defaults of the operations a variant may leave alone

int OscData::GetGainIndex(unsigned) const
{
    return 0;
}

signed char OscData::GetCalibrationOffset(int) const
{
    return 0;
}

void OscData::SetCalibrationOffsets(unsigned, const signed char*, std::size_t) {}

void OscData::ApplyGain(int) {}

void OscData::ResetDefaults()
{
    x_offset = 0;
    x_skip = 0;
    trigger_level[0] = trigger_level[1] = 0;
    std::fill(std::begin(trigger_dir), std::end(trigger_dir), 0);
    trigger_digital = 0;
    changes = 0;
    t_div = 0;
    valid_points = 0;
    first_not_ready_sample = 0;
    last_num_catched_samples = 0;
    last_plan_cycle = 0;
    trigger_buffer_start_sample = 0;
    analog_cr = 0;
    trigger_offset_samples = 0;
    trigger_offset_extra = 0;
    y_offset[0] = y_offset[1] = 0;
    u_div[0] = u_div[1] = 0;
    max_x_skip = GetDividerMax();
    osc_cr = OSC_CR_CH_A_ON | OSC_CR_DEFAULT_BIT;
    x_zoom_out_hw = x_zoom_out_sw = x_zoom_in = 1;
    gain_ref[0] = gain_ref[1] = 1;
    gain_sel[0] = gain_sel[1] = 1;
    cycle_counter = 0;
    calibration_step = 0;
    calibration_steps = INT32_MAX;
    mode = 0;
    out_freq = GetBaseClock() / 100000 - 1;
    offset_dac[0] = offset_dac[1] = 128;
    std::memset(&freq_response, 0, sizeof(freq_response));
    statistic = StatisticWork{};
    status = 0;
    stopped_view_shift = 0;
    SolveTimebase();
    std::memset(screen_points, 0, sizeof(screen_points));
    std::memset(logic_points, 0, sizeof(logic_points));
    std::fill(std::begin(measure_mean), std::end(measure_mean), 0);
    std::fill(std::begin(measure_peak), std::end(measure_peak), 0);
    std::fill(std::begin(measure_max), std::end(measure_max), 0);
    std::fill(std::begin(measure_min), std::end(measure_min), 0);
    std::fill(std::begin(measure_top), std::end(measure_top), 0);
    std::fill(std::begin(measure_base), std::end(measure_base), 0);
    measure_period[0] = measure_period[1] = 0.0;
    changes = CHANGE_ALL_REGISTERS;
    ApplyLimits();
}

void OscData::MoveHorizontal(int delta)
{
    if ((osc_cr & OSC_CR_TRIGGER_ON) == 0) {
        x_offset = ClampToInt(std::int64_t{x_offset} + delta);
    } else if ((mode & MODE_STOPPED) != 0) {
        trigger_offset_extra = ClampToInt(std::int64_t{trigger_offset_extra} - delta);
        stopped_view_shift = ClampToInt(std::int64_t{stopped_view_shift} - delta);
    } else {
        trigger_offset_samples = ClampToInt(std::int64_t{trigger_offset_samples} + delta);
    }
    ClampViewOffset();
    changes |= CHANGE_POSITION;
}

bool OscData::SetHorizontalPosition(int position)
{
    std::int32_t* target = nullptr;
    std::int32_t value = 0;
    if ((osc_cr & OSC_CR_TRIGGER_ON) != 0) {
        if ((mode & MODE_STOPPED) != 0) {
            target = &trigger_offset_extra;
            value = ClampToInt(-std::int64_t{position});
        } else {
            target = &trigger_offset_samples;
            value = PointsToSamples(position);
        }
    } else {
        if ((mode & (MODE_STOPPED | MODE_RECORDER)) == 0) return false;
        target = &x_offset;
        value = position;
    }
    if (*target == value) return false;
    *target = value;
    ClampViewOffset();
    changes |= CHANGE_POSITION;
    return true;
}

bool OscData::EnableChannelA(bool on)
{
    return BaseEnableChannelA(on);
}

bool OscData::EnableChannelB(bool on)
{
    return BaseEnableChannelB(on);
}

bool OscData::BaseEnableChannelA(bool on)
{
    if (on) {
        osc_cr |= OSC_CR_CH_A_ON;
        return true;
    }
    // One channel always stays on.
    if ((osc_cr & OSC_CR_CH_B_ON) == 0) return false;
    osc_cr &= static_cast<std::uint16_t>(~OSC_CR_CH_A_ON);
    return true;
}

bool OscData::BaseEnableChannelB(bool on)
{
    if (on) {
        osc_cr |= OSC_CR_CH_B_ON;
        return true;
    }
    if ((osc_cr & OSC_CR_CH_A_ON) == 0) return false;
    osc_cr &= static_cast<std::uint16_t>(~OSC_CR_CH_B_ON);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Timebase and decimation

long double TDivIndexToSeconds(unsigned t)
{
    long double seconds = TDivMantissa(t);
    const int decade = static_cast<int>(t / 3) - 9;
    for (int i = 0; i < decade; ++i) seconds *= 10;
    for (int i = 0; i > decade; --i) seconds /= 10;
    return seconds;
}

std::int64_t OscData::GetTDivUnits() const
{
    std::int64_t units = std::int64_t{TDivMantissa(t_div)} * 300;
    const int decade = static_cast<int>(t_div / 3) - 7;
    for (int i = 0; i < decade; ++i) {
        if (units > INT64_MAX / 10) return INT64_MAX;
        units *= 10;
    }
    for (int i = 0; i > decade; --i) units /= 10;
    return units;
}

int OscData::SolveTimebase()
{
    // The largest index any variant offers is 33; far beyond it the arithmetic would overflow
    // and no memory could hold the screen anyway.
    if (t_div / 3 > 13) return 1;

    std::int64_t D = std::int64_t{TDivMantissa(t_div)} * GetSampleRateKHz();
    for (unsigned i = 0; i < t_div / 3; ++i) D *= 10;
    if (D <= 0) return 1;
    const std::int64_t F = Gcd64(D, kPointsPerSecondScale);
    const std::int64_t G = D / F;
    const std::int64_t H = kPointsPerSecondScale / F;

    std::int64_t m = x_skip;
    std::int64_t hw = 1;
    std::int64_t sw = 1;
    std::int64_t zin = H;

    if ((mode & MODE_RECORDER) != 0) {
        if (recorder_samples != 0) {
            const std::int64_t L = (std::int64_t{x_skip} + 1) * H;
            const std::int64_t o = Gcd64(L, G);
            if (L / o != 1) return 2;
            hw = G / o;
            zin = 1;
        } else {
            if (G > std::int64_t{GetDividerMax()} + 1) return 1;
            m = G - 1;
            if (H != 1) return 2;
            hw = sw = zin = 1;
        }
    } else if ((mode & MODE_STOPPED) != 0) {
        // The samples are already captured: only the host's mapping may change.
        const std::int64_t L = (std::int64_t{x_skip} + 1) * H;
        const std::int64_t o = Gcd64(L, G);
        zin = L / o;
        if (zin == 1)
            hw = G / o;
        else
            sw = G / o;
    } else {
        if (G <= std::int64_t{max_x_skip} + 1) {
            m = G - 1;
        } else {
            const std::int64_t k = Gcd64(std::int64_t{max_x_skip} + 1, G);
            m = k - 1;
            if (H == 1) {
                hw = G / k;
            } else {
                sw = G / k;
                if (sw > H) {
                    std::int64_t factor = 0;
                    if (sw % 2 == 0)
                        factor = 2;
                    else if (sw % 3 == 0)
                        factor = 3;
                    else if (sw % 5 == 0)
                        factor = 5;
                    if (factor != 0) {
                        sw /= factor;
                        hw = factor;
                    }
                }
            }
        }
    }

    // Stored steps needed for 300 points, and the samples they take.
    if (zin > 20) return 1;
    if (sw > INT32_MAX || hw > INT32_MAX) return 1;
    const std::int64_t n = (sw == 1 && zin == 1) ? SCREEN_POINTS : sw * 299 / zin + 1;
    const __int128 needed = static_cast<__int128>(hw) * n;
    if ((mode & MODE_RECORDER) != 0 && recorder_samples != 0) {
        if (recorder_samples < needed) return 1;
    } else if (GetMemoryDepth() < needed) {
        return 1;
    }
    if (zin < sw) return 2;
    if (m < 0 || m > UINT32_MAX) return 1;

    bool changed = false;
    if (hw != x_zoom_out_hw || sw != x_zoom_out_sw || zin != x_zoom_in) {
        changes |= CHANGE_ZOOM;
        changed = true;
    }
    if (m != x_skip) {
        changes |= CHANGE_SKIP;
        changed = true;
    }
    if (changed) measure_frames = 0;
    x_skip = static_cast<std::uint32_t>(m);
    x_zoom_out_hw = static_cast<std::int32_t>(hw);
    x_zoom_out_sw = static_cast<std::int32_t>(sw);
    x_zoom_in = static_cast<std::int32_t>(zin);
    return 0;
}

void OscData::FitTDivIndex()
{
    const unsigned low = GetTDivMin();
    const unsigned high = GetTDivMax();
    if (low > high) return;
    const unsigned start = t_div;
    auto tryIndex = [this](unsigned t) {
        t_div = t;
        return SolveTimebase() == 0;
    };

    if (start > high) {
        for (unsigned t = high + 1; t-- > low;)
            if (tryIndex(t)) return;
    } else if (start < low) {
        for (unsigned t = low; t <= high; ++t)
            if (tryIndex(t)) return;
    } else {
        if (tryIndex(start)) return;
        for (unsigned t = start + 1; t <= high; ++t)
            if (tryIndex(t)) return;
        for (unsigned t = start; t-- > low;)
            if (tryIndex(t)) return;
    }
    // Nothing of the range is reachable: keep an index of the range; the zoom stays as it was
    // because every refusal leaves the mapping untouched.
    t_div = std::clamp(start, low, high);
}

std::vector<unsigned> OscData::ListSkipValues()
{
    const std::uint32_t savedTDiv = t_div;
    const std::int32_t savedHw = x_zoom_out_hw;
    const std::int32_t savedSw = x_zoom_out_sw;
    const std::int32_t savedIn = x_zoom_in;
    const std::uint32_t savedMax = max_x_skip;

    x_zoom_out_hw = x_zoom_out_sw = x_zoom_in = 1;
    max_x_skip = GetDividerMax();
    std::vector<unsigned> values;
    for (unsigned t = GetTDivMin(); t <= GetTDivMax(); ++t) {
        t_div = t;
        if (SolveTimebase() != 0) continue;
        if (values.empty() || std::uint64_t{x_skip} + 1 > std::uint64_t{values.back()} + 1)
            values.push_back(x_skip);
    }

    t_div = savedTDiv;
    x_zoom_out_hw = savedHw;
    x_zoom_out_sw = savedSw;
    x_zoom_in = savedIn;
    max_x_skip = savedMax;
    SolveTimebase();
    return values;
}

std::vector<TDivOption> OscData::ListTDivOptions()
{
    const std::uint32_t savedTDiv = t_div;
    const std::uint32_t savedSkip = x_skip;
    const std::int32_t savedHw = x_zoom_out_hw;
    const std::int32_t savedSw = x_zoom_out_sw;
    const std::int32_t savedIn = x_zoom_in;
    const std::uint32_t savedMax = max_x_skip;
    const std::uint32_t savedChanges = changes;
    // Listing is no change of the time base: the averaging must go on undisturbed.
    const std::int32_t savedFrames = measure_frames;

    x_zoom_out_hw = x_zoom_out_sw = x_zoom_in = 1;
    max_x_skip = GetDividerMax();
    std::vector<TDivOption> options;
    for (unsigned t = GetTDivMin(); t <= GetTDivMax(); ++t) {
        t_div = t;
        if (SolveTimebase() != 0) continue;
        options.push_back(TDivOption{t, x_skip, x_zoom_out_hw, x_zoom_out_sw, x_zoom_in,
                                     FormatTDivText(t)});
    }

    t_div = savedTDiv;
    x_skip = savedSkip;
    x_zoom_out_hw = savedHw;
    x_zoom_out_sw = savedSw;
    x_zoom_in = savedIn;
    max_x_skip = savedMax;
    changes = savedChanges;
    measure_frames = savedFrames;
    return options;
}

// The gain ratio of one u_div entry: the selected step over the reference step, reduced.
static void ComputeGainRatio(OscData& data, int entry)
{
    const unsigned u = std::min(data.u_div[entry], VDIV_TABLE_SIZE - 1);
    const int gainIndex = std::clamp(data.GetGainIndex(u), 0, static_cast<int>(VDIV_TABLE_SIZE) - 1);
    const std::uint32_t reference = VDivTable[gainIndex];
    const std::uint32_t selected = VDivTable[u];
    const std::uint32_t g = Gcd32(reference, selected);
    data.gain_ref[entry] = reference / g;
    data.gain_sel[entry] = selected / g;
}

std::vector<CString> OscData::ListVDivOptions(int trace)
{
    std::vector<CString> texts;
    if (trace < 0 || trace > 2) return texts;

    const std::uint32_t savedU = u_div[trace];
    const std::uint32_t savedRef = gain_ref[trace];
    const std::uint32_t savedSel = gain_sel[trace];

    // Captured data (stopped) and the math trace can only be rescaled around the gain step
    // they were taken with.
    std::int64_t windowLow = GetVDivMin();
    std::int64_t windowHigh = GetVDivMax();
    if ((mode & MODE_STOPPED) != 0 || trace == 2) {
        const std::int64_t gainIndex = GetGainIndex(savedU);
        windowLow = gainIndex - 1;
        windowHigh = gainIndex + 1;
    }

    for (unsigned i = GetVDivMin(); i <= GetVDivMax() && i < VDIV_TABLE_SIZE; ++i) {
        if (i < windowLow || i > windowHigh) continue;
        u_div[trace] = i;
        ComputeGainRatio(*this, trace);
        const double ratio = static_cast<double>(gain_sel[trace]) / gain_ref[trace];
        texts.push_back(FormatMillivoltsPerDiv(GetStepMillivolts() * 10.0 * GetVoltScale(trace) * ratio));
    }

    // Listing never changes the selection.
    u_div[trace] = savedU;
    gain_ref[trace] = savedRef;
    gain_sel[trace] = savedSel;
    return texts;
}

// ---------------------------------------------------------------------------------------------
// Model operations

void OscData::ApplyLimits()
{
    mode &= ~(MODE_STOPPED | MODE_FREQ_RESPONSE | MODE_CALIBRATION | MODE_FR_POINT |
              MODE_LINKED | MODE_READING | MODE_RECORDER);
    status |= STATUS_LIMITS_APPLIED;
    read_state = 0;

    const std::vector<unsigned> skips = ListSkipValues();
    if (!skips.empty()) {
        auto it = std::find_if(skips.begin(), skips.end(),
                               [this](unsigned value) { return value >= max_x_skip; });
        max_x_skip = it != skips.end() ? *it : skips.back();
    }
    if (max_x_skip > GetDividerMax()) max_x_skip = GetDividerMax();
    ApplyVDiv();
    FitTDivIndex();
}

void OscData::ApplyVDiv()
{
    for (int entry = 0; entry < 3; ++entry) {
        if (u_div[entry] > GetVDivMax())
            u_div[entry] = GetVDivMax();
        else if (u_div[entry] < GetVDivMin())
            u_div[entry] = GetVDivMin();
        ComputeGainRatio(*this, entry);
        ApplyGain(entry);
    }
}

void OscData::ToggleStop()
{
    mode ^= MODE_STOPPED;
    if ((mode & MODE_STOPPED) != 0) {
        status |= STATUS_STOPPED;
        if ((mode & MODE_RECORDER) != 0) {
            status &= ~STATUS_RECORDER_START;
            status |= STATUS_RECORDER_STOP;
        }
    } else if ((mode & MODE_RECORDER) != 0) {
        status |= STATUS_RECORDER_START;
    }
    SolveTimebase();
    if ((mode & MODE_STOPPED) == 0) ClampViewOffset();
}

void OscData::Stop()
{
    status &= ~STATUS_RECORDER_START;
    status |= STATUS_RECORDER_STOP;
    if ((mode & MODE_STOPPED) == 0) ToggleStop();
}

namespace {

// The zoom values as divisors: the model keeps them at 1 or more, but a divisor is never
// trusted to be non-zero.
struct Zoom {
    std::int64_t hw;
    std::int64_t sw;
    std::int64_t in;
};

Zoom ZoomOf(const DataBase& data)
{
    return Zoom{std::max<std::int64_t>(1, data.x_zoom_out_hw),
                std::max<std::int64_t>(1, data.x_zoom_out_sw),
                std::max<std::int64_t>(1, data.x_zoom_in)};
}

}  // namespace

void OscData::ClampViewOffset()
{
    const Zoom z = ZoomOf(*this);
    if ((osc_cr & OSC_CR_TRIGGER_ON) != 0) {
        const std::int64_t P = SamplesToPoints(ClampToInt(GetMemoryDepth()));
        const std::int64_t h = (P - SCREEN_POINTS) / 2;
        if (h <= 0) {
            // The memory holds no more than one screen: the only position is the centre.
            trigger_offset_extra = 0;
            if ((mode & MODE_STOPPED) == 0) trigger_offset_samples = 0;
        } else if (trigger_offset_extra > h) {
            trigger_offset_extra = ClampToInt(h);
        } else if (trigger_offset_extra < -h) {
            trigger_offset_extra = ClampToInt(-h);
        }
        if ((mode & MODE_STOPPED) == 0) {
            const std::int64_t W = (z.sw == 1 && z.in == 1) ? SCREEN_POINTS : z.sw * 299 / z.in + 1;
            const std::int64_t g = (std::int64_t{GetMemoryDepth()} - z.hw * W) / 2;
            if (g <= 0)
                trigger_offset_samples = 0;
            else if (trigger_offset_samples > g)
                trigger_offset_samples = ClampToInt(g);
            else if (trigger_offset_samples < -g)
                trigger_offset_samples = ClampToInt(-g);
        }
    } else {
        const std::int64_t P = std::int64_t{SamplesToPoints(last_num_catched_samples)} - SCREEN_POINTS;
        if (P > 0 && x_offset > P) x_offset = ClampToInt(P);
        if (P <= 0 || x_offset < 0) x_offset = 0;
    }
}

int OscData::PointsToSamples(int points) const
{
    const Zoom z = ZoomOf(*this);
    std::int64_t q = 0;
    const std::int64_t p = points;
    if ((z.sw == 1 && z.in == 1) || p == 0)
        q = p;
    else if (p > 0)
        q = z.sw * (p - 1) / z.in + 1;
    else
        q = ~(~p * z.sw / z.in);
    return ClampToInt(z.hw * q);
}

int OscData::SamplesToPoints(int samples, int* remainder) const
{
    const Zoom z = ZoomOf(*this);
    const std::int64_t s = samples;
    std::int64_t points = 0;
    std::int64_t rest = 0;
    if (z.sw == 1 && z.in == 1) {
        points = s / z.hw;
        rest = s % z.hw;
    } else if (s > 0) {
        const std::int64_t numerator = (s - 1) * z.in;
        const std::int64_t denominator = z.sw * z.hw;
        points = numerator / denominator + 1;
        rest = numerator % denominator;
    } else if (s < 0) {
        points = ~(~s * z.in / (z.sw * z.hw));
        rest = points;
    }
    if (remainder != nullptr) *remainder = ClampToInt(rest);
    return ClampToInt(points);
}

int OscData::PointsToSamplesWithMargin(int points) const
{
    const Zoom z = ZoomOf(*this);
    const std::int64_t p = points;
    if (p == 0) return 0;
    if (z.sw == 1 && z.in == 1) return points;
    if (p > 0) return ClampToInt(z.sw * (z.in + p - 2) / z.in + 2);
    return ClampToInt(-((z.in - p - 2) * z.sw / z.in) - 2);
}

int OscData::GetTriggerSource() const
{
    if ((osc_cr & OSC_CR_TRIGGER_ON) == 0) return 0;
    if ((osc_cr & OSC_CR_TRIGGER_EXT) != 0) return 3;
    if ((osc_cr & OSC_CR_TRIGGER_B) != 0) return 2;
    return 1;
}

double OscData::GetVoltScale(int channel) const
{
    if (channel < 0 || channel > 2) return 1.0;
    double scale = 1.0;
    // The probe belongs to an input; the math trace is computed and has none.
    if (channel == 0 && (mode & MODE_PROBE_X10_A) != 0) scale = 10.0;
    if (channel == 1 && (mode & MODE_PROBE_X10_B) != 0) scale = 10.0;
    if (GetVersion() == 1) {
        const unsigned decades = std::min(u_div[channel], VDIV_TABLE_SIZE) / 3;
        for (unsigned i = 0; i < decades; ++i) scale *= 10.0;
    }
    return scale;
}

double OscData::ToMillivolts(int raw, int channel) const
{
    if (channel < 0 || channel > 2) return 0.0;
    const double ratio = gain_ref[channel] != 0
                             ? static_cast<double>(gain_sel[channel]) / gain_ref[channel]
                             : 1.0;
    return raw * static_cast<double>(GetStepMillivolts()) * ratio * GetVoltScale(channel);
}

CString OscData::GetInterpolationName() const
{
    if (x_zoom_in == 1) return "нет";
    if ((mode & MODE_LINEAR) != 0) return "лин";
    return "sinc";
}

void OscData::FillRecorderHeader(int channel, RecorderHeader& header) const
{
    header.magic = RECORDER_MAGIC;
    header.version = static_cast<std::uint32_t>(GetVersion());
    header.hw_version = static_cast<std::uint32_t>(created_hw_version);
    if (recorder_start_time.is_special()) {
        // Boost's own tick value of the special time, as the ptime itself holds it.
        using Ticks = boost::date_time::int_adapter<std::int64_t>;
        Ticks ticks = Ticks::not_a_number();
        if (recorder_start_time.is_pos_infinity()) ticks = Ticks::pos_infinity();
        if (recorder_start_time.is_neg_infinity()) ticks = Ticks::neg_infinity();
        header.start_time = ticks.as_number();
    } else {
        header.start_time =
            static_cast<std::int64_t>(recorder_start_time.date().julian_day()) * 86400000000LL +
            recorder_start_time.time_of_day().total_microseconds();
    }
    header.x_skip = x_skip;
    header.min_max = (osc_cr & OSC_CR_MIN_MAX) != 0 ? 1 : 0;
    header.logic = 0;
    if (channel == 0) header.logic = (osc_cr & OSC_CR_LOGIC_A) != 0 ? 1 : 0;
    if (channel == 1) header.logic = (osc_cr & OSC_CR_LOGIC_B) != 0 ? 1 : 0;
    header.samples = static_cast<std::uint32_t>(recorder_samples);
}

CString OscData::FormatBusValue(int point, int channel, int radix) const
{
    if (channel < 0 || channel >= SCREEN_TRACES || point < 0 || point >= SCREEN_VALUES) return {};
    const std::uint8_t* lines = logic_points[channel][point];
    // A line is high (2), low (0) or changing within the point (anything else).
    auto changing = [lines](int first, int last) {
        for (int k = first; k <= last; ++k)
            if (lines[k] != 0 && lines[k] != 2) return true;
        return false;
    };
    unsigned value = 0;
    for (int k = 0; k < 8; ++k)
        if (lines[k] == 2) value |= 1u << k;

    static constexpr char kHex[] = "0123456789ABCDEF";
    CString text;
    switch (radix) {
    case 0:
        text = "0x";
        text += changing(4, 7) ? 'X' : kHex[value >> 4];
        text += changing(0, 3) ? 'X' : kHex[value & 0xF];
        break;
    case 1:
        if (changing(0, 7))
            text = "X";
        else
            text = StringFormat("%u%u%u", value / 100, value / 10 % 10, value % 10);
        break;
    case 2:
        for (int k = 7; k >= 0; --k) text += lines[k] == 2 ? '1' : lines[k] == 0 ? '0' : 'X';
        text += 'b';
        break;
    default:
        break;
    }
    return text;
}
