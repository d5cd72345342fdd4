#include "core/data/ScreenPoints.h"

#include "core/data/OscData.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <numeric>
#include <optional>
#include <vector>

namespace {

// Interpolated values are raw samples: clamp into the signed 8-bit range, then drop the
// fraction toward zero.
std::int32_t ToSample(double value)
{
    if (value > 127.0) return 127;
    if (value < -128.0) return -128;
    return static_cast<std::int32_t>(value);
}

std::int64_t FloorMod(std::int64_t value, std::int64_t modulus)
{
    const std::int64_t rest = value % modulus;
    return rest < 0 ? rest + modulus : rest;
}

// Where each output point falls on the input, counted in 1/zoom of an input step.
//
// The read planner fetches the input from the step at floor(step * phase / zoom) on, so that
// step is the input's origin: point q lies at step * (phase + q) / zoom minus the origin. All
// forms measure from that same origin, so a sinc, a linear and a logic trace of one capture
// line up with each other and with the sample positions whatever the step.
struct Grid {
    std::int64_t step;
    std::int64_t zoom;
    std::int64_t phase;
    std::int64_t origin;  // origin step * zoom
    std::int64_t needed;  // input values (per series) the frame needs, margin included

    std::int64_t Ticks(std::int64_t q) const { return step * (phase + q) - origin; }
};

std::optional<Grid> MakeGrid(int count, int step, int zoom, int phase)
{
    if (count <= 0 || zoom < 2 || step < 1) return std::nullopt;
    Grid grid{};
    grid.step = step;
    grid.zoom = zoom;
    grid.phase = FloorMod(phase, zoom);
    grid.origin = grid.step * grid.phase / grid.zoom * grid.zoom;
    grid.needed = grid.step * (std::int64_t{count} + grid.zoom - 2) / grid.zoom + 2;
    return grid;
}

// One series (plain values, or the minima or maxima of pairs) of the work copy.
struct Series {
    const std::int32_t* first;
    std::size_t stride;
    std::int64_t size;

    std::int64_t operator[](std::int64_t index) const
    {
        return first[static_cast<std::size_t>(index) * stride];
    }
    // Beyond the copied input the last value holds: only a mapping that steps faster than it
    // zooms reaches there, and the model never builds one.
    std::int64_t Held(std::int64_t index) const { return (*this)[std::min(index, size - 1)]; }
};

// Copies the input once, then writes every output point of every series over the array.
template <class PointRule>
void Expand(std::span<std::int32_t> values, int count, int step, int zoom, int phase,
            std::size_t stride, PointRule rule)
{
    const std::optional<Grid> grid = MakeGrid(count, step, zoom, phase);
    if (!grid) return;
    const std::size_t slots = values.size() / stride;
    const std::int64_t available = std::min<std::int64_t>(grid->needed, static_cast<std::int64_t>(slots));
    if (available <= 0) return;

    // The output overwrites the input it is computed from.
    const std::vector<std::int32_t> work(values.begin(),
                                         values.begin() + static_cast<std::ptrdiff_t>(available * stride));
    const std::size_t outputs = std::min(static_cast<std::size_t>(count), slots);
    for (std::size_t series = 0; series < stride; ++series) {
        const Series input{work.data() + series, stride, available};
        for (std::size_t q = 0; q < outputs; ++q)
            values[q * stride + series] = rule(input, grid->Ticks(static_cast<std::int64_t>(q)), grid->zoom);
    }
}

std::int32_t LinearPoint(const Series& input, std::int64_t ticks, std::int64_t zoom)
{
    const std::int64_t k = ticks / zoom;
    const std::int64_t rest = ticks % zoom;
    const std::int64_t left = input.Held(k);
    const std::int64_t right = input.Held(k + 1);
    const double value = static_cast<double>(left) +
                         static_cast<double>(rest) * static_cast<double>(right - left) /
                             static_cast<double>(zoom);
    return ToSample(value);
}

// The sinc weights of a point are whole multiples of 2^-30 that add up to exactly one. A sample
// (8 bits) times a weight (at most 31 bits) and the sum of four such products (under 2^9 in
// magnitude) are then exact in a double, so a level held over the kernel's samples comes out as
// exactly that level, not a hair below it that truncation would turn into the next code down,
// and the result does not depend on the order of the additions. (A level beyond the samples'
// range may come out a hair off, which the clamp to the range hides.)
constexpr double kWeightOne = 1 << 30;

// Weight tables of up to this many positions within a step live on the stack; the time base
// zooms by at most 20.
constexpr std::size_t kLocalPositions = 32;

// The weights of one position within a step, for the samples whole-1, whole, whole+1 and
// whole+2 around a point at that position (`whole` the sample at or before it).
struct SincWeights {
    // The kernel at the four distances, up to a common factor the normalisation drops.
    double raw[4];
    // Normalised over all four, for a point with all four samples at hand.
    double fixed[4];
    // Samples from the sample `whole` of the repetition's first point to this point's.
    std::int64_t offset;
};

// Scales the weights of the samples present (taps first..last of the four) to add up to one in
// fixed point; the rounding remainder goes to the largest weight. False when they cannot carry a
// value (no positive sum).
bool Normalise(const double (&raw)[4], int first, int last, double (&fixed)[4])
{
    double total = 0.0;
    for (int t = first; t <= last; ++t) total += raw[t];
    if (!(total > 0.0)) return false;
    const double scale = kWeightOne / total;
    std::int64_t units[4];
    std::int64_t sum = 0;
    int largest = first;
    for (int t = 0; t < 4; ++t) {
        const double weight = t < first || t > last ? 0.0 : raw[t] * scale;
        units[t] = static_cast<std::int64_t>(weight < 0.0 ? weight - 0.5 : weight + 0.5);
        sum += units[t];
        if (units[t] > units[largest]) largest = t;
    }
    units[largest] += static_cast<std::int64_t>(kWeightOne) - sum;
    for (int t = 0; t < 4; ++t) fixed[t] = static_cast<double>(units[t]) / kWeightOne;
    return true;
}

// The kernel at the points of successive positions within a step: u = rest / zoom past sample
// `whole`, 0 <= u < 1. With a = pi u / 2 the kernel at the distances 1 + u, u, 1 - u and
// 2 - u is 4 sin(a) cos(a) / pi^2 times
//   -cos(a) / (1 + u)^2,  sin(a) / u^2,  cos(a) / (1 - u)^2,  -sin(a) / (2 - u)^2,
// and the common factor cancels in the normalisation. Moving from one point to the next turns
// a by a fixed angle (less a quarter turn when the point passes into the next step), so sin(a)
// and cos(a) follow by rotation rather than by a sine and cosine per position.
class KernelWalk {
public:
    KernelWalk(std::int64_t rest, std::int64_t step, std::int64_t zoom)
        : rest_(rest), stepRest_(step % zoom), zoom_(zoom)
    {
        const double quarter = std::numbers::pi / 2.0 / static_cast<double>(zoom);
        sin_ = std::sin(quarter * static_cast<double>(rest));
        cos_ = std::cos(quarter * static_cast<double>(rest));
        turnSin_ = std::sin(quarter * static_cast<double>(stepRest_));
        turnCos_ = std::cos(quarter * static_cast<double>(stepRest_));
    }

    void Weights(double (&raw)[4]) const
    {
        if (rest_ == 0) {
            // On the sample itself: only that sample counts.
            raw[0] = 0.0;
            raw[1] = 1.0;
            raw[2] = 0.0;
            raw[3] = 0.0;
            return;
        }
        const double u = static_cast<double>(rest_) / static_cast<double>(zoom_);
        raw[0] = -cos_ / ((1.0 + u) * (1.0 + u));
        raw[1] = sin_ / (u * u);
        raw[2] = cos_ / ((1.0 - u) * (1.0 - u));
        raw[3] = -sin_ / ((2.0 - u) * (2.0 - u));
    }

    void Next()
    {
        rest_ += stepRest_;
        const double s = sin_ * turnCos_ + cos_ * turnSin_;
        const double c = cos_ * turnCos_ - sin_ * turnSin_;
        sin_ = s;
        cos_ = c;
        if (rest_ >= zoom_) {
            rest_ -= zoom_;
            sin_ = -c;
            cos_ = s;
        }
        if (rest_ == 0) {
            // Back on a sample: start again from the exact angle.
            sin_ = 0.0;
            cos_ = 1.0;
        }
    }

private:
    std::int64_t rest_;
    std::int64_t stepRest_;
    std::int64_t zoom_;
    double sin_;
    double cos_;
    double turnSin_;
    double turnCos_;
};

// The windowed sinc on every series of the array (stride 1 for plain values, 2 for pairs).
//
// A point's weights depend only on its position within a step, and positions repeat every
// zoom / gcd(step, zoom) points, each repetition one fixed number of steps further on: the
// weights of those positions are computed once, and every point then takes four multiply-adds
// per series. Near the ends of the input a point lacks some of its four samples; its weights are
// those of the samples it has, normalised again (each such point is the only one of its position
// at that end).
template <std::size_t stride>
void SincExpand(std::span<std::int32_t> values, int count, int step, int zoom, int phase)
{
    const std::optional<Grid> grid = MakeGrid(count, step, zoom, phase);
    if (!grid) return;
    const std::size_t slots = values.size() / stride;
    const std::int64_t available = std::min<std::int64_t>(grid->needed, static_cast<std::int64_t>(slots));
    if (available <= 0) return;

    // The output overwrites the input it is computed from.
    const std::vector<double> work(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(available * stride));
    const std::int64_t outputs = std::min<std::int64_t>(count, static_cast<std::int64_t>(slots));

    // Point q lies start + step * q zoom-ticks (each 1/zoom of a sample) past the input's first
    // sample; the sample at or before it is its sample `whole`.
    const std::int64_t start = grid->Ticks(0);
    auto wholeAt = [&](std::int64_t q) { return (start + grid->step * q) / grid->zoom; };
    // The first point at or past sample `sample`.
    auto firstFrom = [&](std::int64_t sample) {
        const std::int64_t ticks = sample * grid->zoom - start;
        return ticks <= 0 ? 0 : std::min(outputs, (ticks + grid->step - 1) / grid->step);
    };

    const std::int64_t period = grid->zoom / std::gcd(grid->step, grid->zoom);
    const std::int64_t positions = std::min(period, outputs);
    // Whole steps from one repetition of the positions to the next.
    const std::int64_t advance = grid->step * period / grid->zoom;
    SincWeights local[kLocalPositions];
    std::vector<SincWeights> heap(static_cast<std::size_t>(positions) > kLocalPositions ? static_cast<std::size_t>(positions) : 0);
    SincWeights* const weights = heap.empty() ? local : heap.data();
    KernelWalk walk(start % grid->zoom, grid->step, grid->zoom);
    for (std::int64_t p = 0; p < positions; ++p, walk.Next()) {
        walk.Weights(weights[p].raw);
        // Never fails: the four weights of a position add up to about one.
        Normalise(weights[p].raw, 0, 3, weights[p].fixed);
        weights[p].offset = wholeAt(p) - wholeAt(0);
    }

    // Points whose four samples the input holds: samples 1 .. available - 3 as `whole`.
    const std::int64_t inner = firstFrom(1);
    const std::int64_t outer = std::max(inner, firstFrom(available - 2));

    auto edgePoint = [&](std::int64_t q) {
        const std::int64_t whole = wholeAt(q);
        const SincWeights& w = weights[q % period];
        std::int32_t* out = values.data() + q * static_cast<std::int64_t>(stride);
        // The samples whole-1 .. whole+2 that the input holds.
        const int first = whole >= 1 ? 0 : 1;
        const int last = static_cast<int>(std::min<std::int64_t>(3, available - whole));
        double fixed[4];
        if (whole < available && Normalise(w.raw, first, last, fixed)) {
            for (std::size_t series = 0; series < stride; ++series) {
                double sum = 0.0;
                for (int t = first; t <= last; ++t)
                    sum += fixed[t] * work[static_cast<std::size_t>(whole - 1 + t) * stride + series];
                out[series] = ToSample(sum);
            }
        } else {
            // Beyond the input (only a mapping that steps faster than it zooms gets here) the
            // last value holds, as in the linear form.
            for (std::size_t series = 0; series < stride; ++series)
                out[series] = ToSample(work[static_cast<std::size_t>(available - 1) * stride + series]);
        }
    };

    for (std::int64_t q = 0; q < inner; ++q) edgePoint(q);
    if (inner < outer) {
        std::int64_t p = inner % period;
        // Sample `whole` - 1 of the repetition's first point.
        std::int64_t base = wholeAt(inner - p) - 1;
        std::int32_t* out = values.data() + inner * static_cast<std::int64_t>(stride);
        for (std::int64_t q = inner; q < outer; ++q, out += stride) {
            const SincWeights& w = weights[p];
            const double* in = work.data() + (base + w.offset) * static_cast<std::int64_t>(stride);
            for (std::size_t series = 0; series < stride; ++series)
                out[series] = ToSample(w.fixed[0] * in[series] + w.fixed[1] * in[stride + series] +
                                            w.fixed[2] * in[2 * stride + series] +
                                            w.fixed[3] * in[3 * stride + series]);
            if (++p == period) {
                p = 0;
                base += advance;
            }
        }
    }
    for (std::int64_t q = outer; q < outputs; ++q) edgePoint(q);
}

}  // namespace

double SincKernel(double t)
{
    if (t == 0.0) return 1.0;
    const double magnitude = std::fabs(t);
    // sin(pi) is not 0 in floating point: a sample lying on a point must keep its value.
    if (magnitude >= 2.0 || magnitude == 1.0) return 0.0;
    const double angle = std::numbers::pi * t;
    return std::sin(angle) * std::sin(angle / 2.0) / (angle * angle / 2.0);
}

void SincInterpolate(std::span<std::int32_t> values, int count, int step, int zoom, int phase)
{
    SincExpand<1>(values, count, step, zoom, phase);
}

void SincInterpolate2(std::span<std::int32_t> values, int count, int step, int zoom, int phase)
{
    SincExpand<2>(values, count, step, zoom, phase);
}

void LinearInterpolate(std::span<std::int32_t> values, int count, int step, int zoom, int phase)
{
    Expand(values, count, step, zoom, phase, 1, LinearPoint);
}

void LinearInterpolate2(std::span<std::int32_t> values, int count, int step, int zoom, int phase)
{
    Expand(values, count, step, zoom, phase, 2, LinearPoint);
}

void InterpolateLogicPoints(std::span<std::uint8_t[8]> records, int count, int step, int zoom,
                            int phase)
{
    const std::optional<Grid> grid = MakeGrid(count, step, zoom, phase);
    if (!grid) return;
    const std::int64_t available =
        std::min<std::int64_t>(grid->needed, static_cast<std::int64_t>(records.size()));
    if (available <= 0) return;

    std::vector<std::array<std::uint8_t, 8>> work(static_cast<std::size_t>(available));
    for (std::size_t r = 0; r < work.size(); ++r) std::copy_n(records[r], 8, work[r].begin());
    // As for the samples, the last copied record holds beyond the copy.
    auto held = [&work, available](std::int64_t index) -> const std::array<std::uint8_t, 8>& {
        return work[static_cast<std::size_t>(std::min(index, available - 1))];
    };

    const std::size_t outputs = std::min(static_cast<std::size_t>(count), records.size());
    for (std::size_t q = 0; q < outputs; ++q) {
        const std::int64_t ticks = grid->Ticks(static_cast<std::int64_t>(q));
        const std::int64_t f = ticks / grid->zoom;
        const auto& a = held(f);
        if (ticks % grid->zoom == 0) {
            std::copy(a.begin(), a.end(), records[q]);
            continue;
        }
        const auto& b = held(f + 1);
        for (int line = 0; line < 8; ++line) {
            std::uint8_t value = 1;
            if (a[line] == 0 && b[line] == 0) value = 0;
            if (a[line] == 2 && b[line] == 2) value = 2;
            records[q][line] = value;
        }
    }
}

void RepackLogicSamples(int channel, OscData& data, int count, int firstPoint)
{
    if (channel != 0 && channel != 1) return;
    const std::uint16_t logicBit = channel == 0 ? OSC_CR_LOGIC_A : OSC_CR_LOGIC_B;
    if ((data.osc_cr & logicBit) == 0) return;
    const bool pairs = (data.osc_cr & OSC_CR_MIN_MAX) != 0;

    const std::int32_t* source = data.screen_points[channel];
    std::uint8_t (*records)[8] = data.logic_points[channel];
    // Every point needs its record and its value (or pair).
    const std::int64_t limit = pairs ? SCREEN_VALUES / 2 : SCREEN_VALUES;
    const std::int64_t begin = std::max<std::int64_t>(0, firstPoint);
    const std::int64_t end = std::min<std::int64_t>(limit, std::int64_t{firstPoint} + count);
    for (std::int64_t p = begin; p < end; ++p) {
        if (pairs) {
            const std::int32_t low = source[2 * p];
            const std::int32_t high = source[2 * p + 1];
            for (int line = 0; line < 8; ++line)
                records[p][line] = static_cast<std::uint8_t>(((low >> line) & 1) + ((high >> line) & 1));
        } else {
            const std::int32_t value = source[p];
            for (int line = 0; line < 8; ++line)
                records[p][line] = static_cast<std::uint8_t>(2 * ((value >> line) & 1));
        }
    }
}

void OscData::InterpolateScreen()
{
    if (x_zoom_in < 2) return;
    const int step = x_zoom_out_sw;
    const int zoom = x_zoom_in;
    const bool pairs = (osc_cr & OSC_CR_MIN_MAX) != 0;
    const bool linear = (mode & MODE_LINEAR) != 0;
    for (int channel = 0; channel < 2; ++channel) {
        const std::uint16_t logicBit = channel == 0 ? OSC_CR_LOGIC_A : OSC_CR_LOGIC_B;
        if ((osc_cr & logicBit) != 0) {
            // The logic view follows the current position rather than the one of the plan.
            const int phase = static_cast<int>(FloorMod(x_offset, zoom));
            InterpolateLogicPoints(logic_points[channel], SCREEN_POINTS, step, zoom, phase);
            continue;
        }
        const std::span<std::int32_t> values(screen_points[channel]);
        if (pairs) {
            if (linear)
                LinearInterpolate2(values, SCREEN_POINTS, step, zoom, interp_phase);
            else
                SincInterpolate2(values, SCREEN_POINTS, step, zoom, interp_phase);
        } else {
            if (linear)
                LinearInterpolate(values, SCREEN_POINTS, step, zoom, interp_phase);
            else
                SincInterpolate(values, SCREEN_POINTS, step, zoom, interp_phase);
        }
    }
}
