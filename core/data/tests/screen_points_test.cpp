// Screen points: the in-place interpolation forms, the logic rule and the logic repack.

#include "core/data/ScreenPoints.h"
#include "support/DataTestSupport.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

using Mapping = std::pair<int, int>;  // x_zoom_out_sw, x_zoom_in

// Every zooming mapping (x_zoom_in of 2 or more) the solver builds on any variant: running at
// every allowed decimation limit, and stopped after a capture taken at any running setting.
const std::set<Mapping>& SolverMappings()
{
    static const std::set<Mapping> mappings = [] {
        std::set<Mapping> found;
        const std::uint16_t configurations[] = {
            OSC_CR_CH_A_ON, OSC_CR_CH_A_ON | OSC_CR_CH_B_ON, OSC_CR_CH_A_ON | OSC_CR_MIN_MAX,
            OSC_CR_CH_A_ON | OSC_CR_CH_B_ON | OSC_CR_MIN_MAX};
        for (int version = 1; version <= 5; ++version) {
            auto data = MakeVariant(version);
            for (std::uint16_t cr : configurations) {
                data->osc_cr = cr;
                data->mode = 0;
                std::vector<unsigned> limits = data->ListSkipValues();
                limits.push_back(data->GetDividerMax());
                for (unsigned limit : limits) {
                    for (unsigned t1 = data->GetTDivMin(); t1 <= data->GetTDivMax(); ++t1) {
                        data->mode = 0;
                        data->max_x_skip = limit;
                        data->t_div = t1;
                        if (data->SolveTimebase() != 0) continue;
                        if (data->x_zoom_in >= 2) found.emplace(data->x_zoom_out_sw, data->x_zoom_in);
                        data->mode = MODE_STOPPED;
                        for (unsigned t2 = data->GetTDivMin(); t2 <= data->GetTDivMax(); ++t2) {
                            data->t_div = t2;
                            if (data->SolveTimebase() == 0 && data->x_zoom_in >= 2)
                                found.emplace(data->x_zoom_out_sw, data->x_zoom_in);
                        }
                    }
                }
            }
        }
        return found;
    }();
    return mappings;
}

// Reference forms computed from a separate input into a separate output, summing the sinc over
// every input value of the frame as a plain reading of the rule does.
struct Reference {
    int s;
    int z;
    int phase;

    std::int64_t Origin() const { return std::int64_t{s} * phase / z; }
    std::int64_t Needed() const { return std::int64_t{s} * (SCREEN_POINTS + z - 2) / z + 2; }
    std::int64_t Ticks(int q) const { return std::int64_t{s} * (phase + q) - Origin() * z; }

    static double Kernel(double t)
    {
        if (t == 0) return 1;
        if (std::fabs(t) >= 2 || std::fabs(t) == 1) return 0;
        const double a = std::numbers::pi * t;
        return std::sin(a) * std::sin(a / 2) / (a * a / 2);
    }
    static int Clamp(double v) { return v > 127 ? 127 : v < -128 ? -128 : static_cast<int>(v); }

    // The sinc sum of point q over every input value of the frame, divided by the sum of the
    // weights it used; neither clamped nor truncated.
    double SincValue(const std::vector<int>& in, int q) const
    {
        const double x = static_cast<double>(Ticks(q)) / z;
        double sum = 0;
        double weights = 0;
        for (std::int64_t j = 0; j < Needed() && j < static_cast<std::int64_t>(in.size()); ++j) {
            const double k = Kernel(x - static_cast<double>(j));
            sum += k * in[static_cast<std::size_t>(j)];
            weights += k;
        }
        return sum / weights;
    }

    // The stored points are the reference's clamped and truncated. A sum that lies within a
    // millionth of a whole number may land on either side of it: the forms need not add in
    // the reference's order or precision.
    void ExpectSinc(const std::vector<int>& in, const std::vector<int>& out) const
    {
        ASSERT_GE(out.size(), static_cast<std::size_t>(SCREEN_POINTS));
        for (int q = 0; q < SCREEN_POINTS; ++q) {
            const double exact = SincValue(in, q);
            const int got = out[static_cast<std::size_t>(q)];
            if (got != Clamp(exact - 1e-6) && got != Clamp(exact + 1e-6)) {
                ADD_FAILURE() << "point " << q << ": " << got << " for " << exact;
                return;
            }
        }
    }

    std::vector<int> Linear(const std::vector<int>& in) const
    {
        std::vector<int> out(SCREEN_POINTS);
        for (int q = 0; q < SCREEN_POINTS; ++q) {
            const std::int64_t k = Ticks(q) / z;
            const std::int64_t r = Ticks(q) % z;
            EXPECT_LT(k + 1, static_cast<std::int64_t>(in.size()));
            const int a = in.at(static_cast<std::size_t>(k));
            const int b = in.at(static_cast<std::size_t>(k + 1));
            out[q] = Clamp(a + static_cast<double>(r) * (b - a) / z);
        }
        return out;
    }

    std::vector<std::array<std::uint8_t, 8>> Logic(const std::vector<std::array<std::uint8_t, 8>>& in) const
    {
        std::vector<std::array<std::uint8_t, 8>> out(SCREEN_POINTS);
        for (int q = 0; q < SCREEN_POINTS; ++q) {
            const std::size_t f = static_cast<std::size_t>(Ticks(q) / z);
            if (Ticks(q) % z == 0) {
                out[q] = in.at(f);
                continue;
            }
            for (int line = 0; line < 8; ++line) {
                const int a = in.at(f)[line];
                const int b = in.at(f + 1)[line];
                out[q][line] = a == 0 && b == 0 ? 0 : a == 2 && b == 2 ? 2 : 1;
            }
        }
        return out;
    }
};

std::vector<int> RandomSamples(std::mt19937& random, std::size_t count)
{
    std::uniform_int_distribution<int> sample(-128, 127);
    std::vector<int> values(count);
    for (int& v : values) v = sample(random);
    return values;
}

// Minima (series 0) or maxima (series 1) of interleaved pairs.
std::vector<int> Series(const std::vector<int>& pairs, int series)
{
    std::vector<int> out;
    for (std::size_t i = static_cast<std::size_t>(series); i < pairs.size(); i += 2) out.push_back(pairs[i]);
    return out;
}

TEST(ScreenPoints, SolverBuildsZoomingMappingsThatStepFasterThanOne)
{
    const auto& mappings = SolverMappings();
    ASSERT_FALSE(mappings.empty());
    bool multiStep = false;
    for (const auto& [s, z] : mappings) {
        EXPECT_GE(s, 1);
        EXPECT_GT(z, s);
        EXPECT_LE(z, 20);
        multiStep = multiStep || s > 1;
    }
    // The origin of the input matters only when one step spans several samples.
    EXPECT_TRUE(multiStep);
}

TEST(ScreenPoints, InPlaceFormsEqualCopyBasedReferenceForEverySolverMapping)
{
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> level(0, 2);
    for (const auto& [s, z] : SolverMappings()) {
        for (int phase = 0; phase < z; ++phase) {
            SCOPED_TRACE(testing::Message() << "s=" << s << " z=" << z << " phase=" << phase);
            const Reference ref{s, z, phase};
            const std::vector<int> input = RandomSamples(random, SCREEN_VALUES);

            std::int32_t plain[SCREEN_VALUES];
            std::copy(input.begin(), input.end(), plain);
            SincInterpolate(plain, SCREEN_POINTS, s, z, phase);
            ref.ExpectSinc(input, std::vector<int>(plain, plain + SCREEN_POINTS));
            // Only the 300 points are written.
            EXPECT_EQ(std::vector<int>(plain + SCREEN_POINTS, plain + SCREEN_VALUES),
                      std::vector<int>(input.begin() + SCREEN_POINTS, input.end()));

            std::copy(input.begin(), input.end(), plain);
            LinearInterpolate(plain, SCREEN_POINTS, s, z, phase);
            EXPECT_EQ(std::vector<int>(plain, plain + SCREEN_POINTS), ref.Linear(input));

            std::int32_t pairs[SCREEN_VALUES];
            for (int form = 0; form < 2; ++form) {
                std::copy(input.begin(), input.end(), pairs);
                if (form == 0)
                    SincInterpolate2(pairs, SCREEN_POINTS, s, z, phase);
                else
                    LinearInterpolate2(pairs, SCREEN_POINTS, s, z, phase);
                const std::vector<int> out(pairs, pairs + SCREEN_VALUES);
                for (int series = 0; series < 2; ++series) {
                    SCOPED_TRACE(testing::Message() << "form " << form << " series " << series);
                    const std::vector<int> in = Series(input, series);
                    if (form == 0)
                        ref.ExpectSinc(in, Series(out, series));
                    else
                        EXPECT_EQ(Series(out, series), ref.Linear(in));
                }
            }

            std::vector<std::array<std::uint8_t, 8>> records(SCREEN_VALUES);
            for (auto& record : records)
                for (auto& line : record) line = static_cast<std::uint8_t>(level(random));
            std::uint8_t logic[SCREEN_VALUES][8];
            for (int r = 0; r < SCREEN_VALUES; ++r) std::copy(records[r].begin(), records[r].end(), logic[r]);
            InterpolateLogicPoints(logic, SCREEN_POINTS, s, z, phase);
            const auto expected = ref.Logic(records);
            for (int q = 0; q < SCREEN_POINTS; ++q)
                ASSERT_TRUE(std::equal(expected[q].begin(), expected[q].end(), logic[q])) << "point " << q;
        }
    }
}

TEST(ScreenPoints, SincLinearAndLogicTracesShareTheSampleGrid)
{
    // Three samples per four points, starting three points into the grid: the input begins at
    // step 2 of the grid, so point 1 lies exactly on input sample 1 in every form.
    std::int32_t sinc[SCREEN_VALUES] = {};
    std::int32_t linear[SCREEN_VALUES] = {};
    std::uint8_t logic[SCREEN_VALUES][8] = {};
    for (int j = 0; j < SCREEN_POINTS; ++j) {
        sinc[j] = linear[j] = (j * 37) % 200 - 100;
        logic[j][0] = (j % 2) * 2;
    }
    SincInterpolate(sinc, SCREEN_POINTS, 3, 4, 3);
    LinearInterpolate(linear, SCREEN_POINTS, 3, 4, 3);
    InterpolateLogicPoints(logic, SCREEN_POINTS, 3, 4, 3);
    EXPECT_EQ(sinc[1], 37 - 100);
    EXPECT_EQ(linear[1], 37 - 100);
    EXPECT_EQ(logic[1][0], 2);
    EXPECT_EQ(logic[5][0], 0);  // point 5 lies on sample 4

    // For every mapping the solver builds, the forms agree wherever a point lies on a sample.
    for (const auto& [s, z] : SolverMappings()) {
        for (int phase = 0; phase < z; ++phase) {
            std::int32_t a[SCREEN_VALUES];
            std::int32_t b[SCREEN_VALUES];
            std::uint8_t lines[SCREEN_VALUES][8] = {};
            for (int j = 0; j < SCREEN_VALUES; ++j) {
                a[j] = b[j] = (j * 37) % 200 - 100;
                lines[j][3] = (j * 37) % 2 * 2;
            }
            SincInterpolate(a, SCREEN_POINTS, s, z, phase);
            LinearInterpolate(b, SCREEN_POINTS, s, z, phase);
            InterpolateLogicPoints(lines, SCREEN_POINTS, s, z, phase);
            const int origin = s * phase / z;
            for (int q = 0; q < SCREEN_POINTS; ++q) {
                const int ticks = s * (phase + q) - origin * z;
                if (ticks % z != 0) continue;
                const int j = ticks / z;
                ASSERT_EQ(a[q], (j * 37) % 200 - 100) << s << "/" << z << " phase " << phase << " q " << q;
                ASSERT_EQ(b[q], a[q]);
                ASSERT_EQ(lines[q][3], (j * 37) % 2 * 2);
            }
        }
    }
}

// A stopped capture read at the planned position and expanded with the planned phase puts
// every point that lies on a stored sample exactly on that sample's value.
TEST_F(DataModelTest, StoppedViewLinesUpWithTheCapture)
{
    std::vector<int> memory(4000);
    for (std::size_t k = 0; k < memory.size(); ++k) memory[k] = static_cast<int>(k * 37 % 200) - 100;
    auto data = MakeVariant(1);
    data->osc_cr = OSC_CR_DEFAULT_BIT | OSC_CR_CH_A_ON;
    data->osc_sr = OSC_SR_CTCH;
    for (std::uint32_t mode : {MODE_STOPPED, MODE_STOPPED | MODE_LINEAR}) {
        data->mode = mode;
        for (const auto& [s, z] : SolverMappings()) {
            data->x_zoom_out_hw = 1;
            data->x_zoom_out_sw = s;
            data->x_zoom_in = z;
            for (int offset = 0; offset < 2 * z; ++offset) {
                data->x_offset = 500 + offset;
                const ChannelReadPlan plan = data->PlanChannelRead(0, 0, 0);
                ASSERT_EQ(plan.channel, 0);
                for (int j = 0; j < plan.length; ++j)
                    data->screen_points[0][plan.buf_offset + j] = memory.at(static_cast<std::size_t>(plan.offset_sample + j));
                data->InterpolateScreen();
                for (int q = 0; q < SCREEN_POINTS; ++q) {
                    const std::int64_t position = std::int64_t{s} * (data->x_offset + q);
                    if (position % z != 0) continue;
                    ASSERT_EQ(data->screen_points[0][q], memory.at(static_cast<std::size_t>(position / z)))
                        << s << "/" << z << " x_offset " << data->x_offset << " point " << q;
                }
            }
        }
    }
}

// A steady level comes out of the sinc as exactly that level at every point: between samples,
// next to the first and the last sample of the input (where the kernel has fewer samples to
// weigh), at every zoom, step and phase, however much of the frame the array holds. Values
// beyond the samples' range come out clamped.
TEST(ScreenPoints, ASteadyLevelStaysThatLevelAtEveryPoint)
{
    const int levels[] = {-128, -127, -100, -1, 0, 1, 7, 95, 96, 100, 126, 127};
    const int beyond[] = {128, 1000, 1 << 24, INT32_MAX, -129, -5000, -(1 << 24), INT32_MIN};
    auto stored = [](std::int64_t level) { return static_cast<int>(std::clamp<std::int64_t>(level, -128, 127)); };

    std::vector<Mapping> mappings;
    for (int z = 2; z <= 20; ++z)
        for (int s = 1; s < z; ++s) mappings.emplace_back(s, z);
    // Zooms beyond the solver's, and steps faster than the zoom (a damaged model), where points
    // run past the input.
    for (const Mapping& m : {Mapping{1, 37}, Mapping{5, 64}, Mapping{63, 64}, Mapping{150, 151}, Mapping{7, 400},
                             Mapping{5, 3}, Mapping{19, 2}})
        mappings.push_back(m);

    std::size_t n = 0;
    for (const auto& [s, z] : mappings) {
        const int needed = s * (SCREEN_POINTS + z - 2) / z + 2;
        const int phaseStep = std::max(1, z / 12);
        for (int phase = 0; phase < z; phase += phaseStep) {
            SCOPED_TRACE(testing::Message() << "s=" << s << " z=" << z << " phase=" << phase);
            const int low = levels[n % std::size(levels)];
            const int high = levels[(n + 5) % std::size(levels)];
            const int far = beyond[n % std::size(beyond)];
            ++n;

            // The whole array, the frame's input exactly, and less of it than the frame needs.
            for (const int length : {SCREEN_VALUES, needed, needed - 1, needed - 2, needed - 3, 3, 1}) {
                const int points = std::min(SCREEN_POINTS, length);
                std::vector<std::int32_t> plain(static_cast<std::size_t>(length), low);
                SincInterpolate(plain, SCREEN_POINTS, s, z, phase);
                ASSERT_EQ(std::count(plain.begin(), plain.begin() + points, low), points)
                    << "level " << low << ", " << length << " values";

                std::vector<std::int32_t> pairs(2 * static_cast<std::size_t>(length));
                for (std::size_t i = 0; i < pairs.size(); ++i) pairs[i] = i % 2 == 0 ? low : high;
                SincInterpolate2(pairs, SCREEN_POINTS, s, z, phase);
                for (int q = 0; q < points; ++q)
                    ASSERT_TRUE(pairs[2 * q] == low && pairs[2 * q + 1] == high)
                        << "pair " << q << " of " << low << "/" << high << ", " << length << " pairs: "
                        << pairs[2 * q] << "/" << pairs[2 * q + 1];
            }

            std::vector<std::int32_t> plain(SCREEN_VALUES, far);
            SincInterpolate(plain, SCREEN_POINTS, s, z, phase);
            ASSERT_EQ(std::count(plain.begin(), plain.begin() + SCREEN_POINTS, stored(far)), SCREEN_POINTS)
                << "level " << far;
        }
    }
}

// Between the samples the sinc follows the signal they were taken from, and it still does next
// to the first and the last sample, where a sample of the kernel is missing: a sine of 20
// samples a period and amplitude 100, at every mapping the solver builds and every phase.
TEST(ScreenPoints, SincFollowsASineUpToTheEndsOfTheInput)
{
    constexpr double kPeriod = 20;
    constexpr double kAmplitude = 100;
    for (const double shift : {0.0, 0.7, 1.9, 4.0}) {
        const auto signal = [shift](double x) { return kAmplitude * std::sin(2 * std::numbers::pi * x / kPeriod + shift); };
        std::vector<int> input(SCREEN_VALUES);
        for (std::size_t j = 0; j < input.size(); ++j)
            input[j] = static_cast<int>(std::lround(signal(static_cast<double>(j))));
        for (const auto& [s, z] : SolverMappings()) {
            for (int phase = 0; phase < z; ++phase) {
                const Reference ref{s, z, phase};
                std::vector<std::int32_t> plain(input.begin(), input.end());
                SincInterpolate(plain, SCREEN_POINTS, s, z, phase);
                double inside = 0;
                double ends = 0;
                for (int q = 0; q < SCREEN_POINTS; ++q) {
                    const double x = static_cast<double>(ref.Ticks(q)) / z;
                    const double error = std::fabs(plain[static_cast<std::size_t>(q)] - signal(x));
                    const bool atEnd = x < 1 || x > static_cast<double>(ref.Needed() - 3);
                    (atEnd ? ends : inside) = std::max(atEnd ? ends : inside, error);
                }
                // Rounding of the samples and truncation of the result take up to 1.5 of these.
                EXPECT_LE(inside, 3.0) << s << "/" << z << " phase " << phase << " shift " << shift;
                EXPECT_LE(ends, 5.0) << s << "/" << z << " phase " << phase << " shift " << shift;
            }
        }
    }
}

TEST(ScreenPoints, SincKernelAndClamping)
{
    EXPECT_EQ(SincKernel(0.0), 1.0);
    EXPECT_EQ(SincKernel(1.0), 0.0);
    EXPECT_EQ(SincKernel(-1.0), 0.0);
    EXPECT_EQ(SincKernel(2.0), 0.0);
    EXPECT_EQ(SincKernel(-3.5), 0.0);
    EXPECT_NEAR(SincKernel(0.5), 0.5732, 1e-4);
    EXPECT_NEAR(SincKernel(1.5), -0.0637, 1e-4);
    EXPECT_EQ(SincKernel(0.3), SincKernel(-0.3));

    // Between two full-scale samples flanked by the opposite extreme the kernel overshoots
    // to about 159: stored as 127; the mirrored input to -128.
    const double overshoot = (2 * 127 * SincKernel(0.5) - 2 * 128 * SincKernel(1.5)) /
                             (2 * SincKernel(0.5) + 2 * SincKernel(1.5));
    ASSERT_GT(overshoot, 140.0);
    std::int32_t high[SCREEN_VALUES] = {-128, 127, 127, -128};
    SincInterpolate(high, SCREEN_POINTS, 1, 2, 0);
    EXPECT_EQ(high[3], 127);
    EXPECT_EQ(high[2], 127);  // on a sample
    std::int32_t low[SCREEN_VALUES] = {127, -128, -128, 127};
    SincInterpolate(low, SCREEN_POINTS, 1, 2, 0);
    EXPECT_EQ(low[3], -128);
    EXPECT_EQ(low[2], -128);

    std::int32_t pairs[SCREEN_VALUES] = {-128, 127, 127, -128, 127, -128, -128, 127};
    SincInterpolate2(pairs, SCREEN_POINTS, 1, 2, 0);
    EXPECT_EQ(pairs[6], 127);   // minimum of point 3
    EXPECT_EQ(pairs[7], -128);  // maximum of point 3

    // Results are truncated toward zero: halfway between 0 and -3 is -1.5, stored as -1.
    std::int32_t line[SCREEN_VALUES] = {0, -3, 0, 3};
    LinearInterpolate(line, SCREEN_POINTS, 1, 2, 0);
    EXPECT_EQ(line[1], -1);
    EXPECT_EQ(line[5], 1);
}

TEST(ScreenPoints, LogicPointsBetweenRecords)
{
    std::uint8_t records[SCREEN_VALUES][8] = {};
    const std::uint8_t first[8] = {0, 2, 0, 2, 1, 1, 0, 2};
    const std::uint8_t second[8] = {0, 2, 2, 0, 0, 2, 1, 1};
    std::copy(first, first + 8, records[0]);
    std::copy(second, second + 8, records[1]);
    InterpolateLogicPoints(records, SCREEN_POINTS, 1, 2, 0);
    const std::uint8_t between[8] = {0, 2, 1, 1, 1, 1, 1, 1};
    EXPECT_TRUE(std::equal(first, first + 8, records[0]));
    EXPECT_TRUE(std::equal(between, between + 8, records[1]));
    EXPECT_TRUE(std::equal(second, second + 8, records[2]));
}

TEST(ScreenPoints, DegenerateMappingsLeaveTheArrayAlone)
{
    std::mt19937 random(7);
    const std::vector<int> input = RandomSamples(random, SCREEN_VALUES);
    std::int32_t values[SCREEN_VALUES];
    const std::vector<std::pair<int, int>> unusable = {{1, 1}, {1, 0}, {0, 4}, {-3, 4}, {1, -2}};
    for (const auto& [s, z] : unusable) {
        std::copy(input.begin(), input.end(), values);
        SincInterpolate(values, SCREEN_POINTS, s, z, 0);
        LinearInterpolate2(values, SCREEN_POINTS, s, z, 0);
        EXPECT_EQ(std::vector<int>(values, values + SCREEN_VALUES), input) << s << "/" << z;
    }
    // A phase outside the grid is taken modulo the zoom.
    std::int32_t wrapped[SCREEN_VALUES];
    std::copy(input.begin(), input.end(), values);
    std::copy(input.begin(), input.end(), wrapped);
    SincInterpolate(values, SCREEN_POINTS, 2, 5, 3);
    SincInterpolate(wrapped, SCREEN_POINTS, 2, 5, -2);
    EXPECT_EQ(std::vector<int>(values, values + SCREEN_VALUES), std::vector<int>(wrapped, wrapped + SCREEN_VALUES));

    // A mapping that steps faster than it zooms (only a damaged model has one) and arrays too
    // short for the frame stay within their bounds.
    std::copy(input.begin(), input.end(), values);
    SincInterpolate2(values, SCREEN_POINTS, 19, 2, 1);
    LinearInterpolate(values, SCREEN_POINTS, 1000, 3, 2);
    std::int32_t shortArray[7] = {1, 2, 3, 4, 5, 6, 7};
    SincInterpolate(shortArray, SCREEN_POINTS, 1, 2, 1);
    LinearInterpolate2(shortArray, SCREEN_POINTS, 1, 2, 1);
    std::uint8_t fewRecords[3][8] = {};
    InterpolateLogicPoints(fewRecords, SCREEN_POINTS, 3, 4, 3);
}

TEST_F(DataModelTest, InterpolateScreenChoosesTheFormPerChannel)
{
    auto data = MakeVariant(1);
    std::mt19937 random(99);
    const std::vector<int> a = RandomSamples(random, SCREEN_VALUES);
    const std::vector<int> b = RandomSamples(random, SCREEN_VALUES);
    auto load = [&] {
        std::copy(a.begin(), a.end(), data->screen_points[0]);
        std::copy(b.begin(), b.end(), data->screen_points[1]);
        for (int r = 0; r < SCREEN_VALUES; ++r)
            for (int line = 0; line < 8; ++line) data->logic_points[1][r][line] = static_cast<std::uint8_t>((r + line) % 3);
    };
    auto expect = [&](const std::vector<int>& input, void (*form)(std::span<std::int32_t>, int, int, int, int),
                      int channel, int phase) {
        std::vector<std::int32_t> copy(input.begin(), input.end());
        form(copy, SCREEN_POINTS, data->x_zoom_out_sw, data->x_zoom_in, phase);
        EXPECT_TRUE(std::equal(copy.begin(), copy.end(), data->screen_points[channel])) << "channel " << channel;
    };

    // No zoom: everything stays as received.
    data->x_zoom_out_sw = 1;
    data->x_zoom_in = 1;
    data->osc_cr = OSC_CR_CH_A_ON | OSC_CR_CH_B_ON | OSC_CR_LOGIC_B;
    load();
    const ModelImage before(*data);
    data->InterpolateScreen();
    EXPECT_TRUE(ModelImage(*data) == before);

    data->x_zoom_out_sw = 2;
    data->x_zoom_in = 5;
    data->interp_phase = 3;
    data->x_offset = 11;  // the logic rule takes its phase from here: 1
    const struct {
        std::uint16_t cr;
        std::uint32_t mode;
        void (*form)(std::span<std::int32_t>, int, int, int, int);
    } cases[] = {{0, 0, SincInterpolate},
                 {0, MODE_LINEAR, LinearInterpolate},
                 {OSC_CR_MIN_MAX, 0, SincInterpolate2},
                 {OSC_CR_MIN_MAX, MODE_LINEAR, LinearInterpolate2}};
    for (const auto& c : cases) {
        data->osc_cr = OSC_CR_CH_A_ON | OSC_CR_CH_B_ON | c.cr;
        data->mode = c.mode;
        load();
        data->InterpolateScreen();
        expect(a, c.form, 0, 3);
        expect(b, c.form, 1, 3);

        // Channel B as logic lines: its records follow the logic rule, its samples stay.
        data->osc_cr |= OSC_CR_LOGIC_B;
        load();
        std::uint8_t records[SCREEN_VALUES][8];
        std::copy(&data->logic_points[1][0][0], &data->logic_points[1][0][0] + SCREEN_VALUES * 8, &records[0][0]);
        InterpolateLogicPoints(records, SCREEN_POINTS, 2, 5, 1);
        data->InterpolateScreen();
        expect(a, c.form, 0, 3);
        EXPECT_TRUE(std::equal(b.begin(), b.end(), data->screen_points[1]));
        EXPECT_EQ(std::memcmp(records, data->logic_points[1], sizeof(records)), 0);
    }
}

TEST_F(DataModelTest, RepackLogicSamples)
{
    auto data = MakeVariant(1);
    data->osc_cr = OSC_CR_CH_A_ON | OSC_CR_LOGIC_A;
    data->screen_points[0][10] = 0xA5;
    data->screen_points[0][11] = -1;  // a byte 0xFF widened with its sign
    RepackLogicSamples(0, *data, 2, 10);
    const std::uint8_t a5[8] = {2, 0, 2, 0, 0, 2, 0, 2};
    EXPECT_TRUE(std::equal(a5, a5 + 8, data->logic_points[0][10]));
    for (int line = 0; line < 8; ++line) EXPECT_EQ(data->logic_points[0][11][line], 2);

    // Pairs: a line that differs between minimum and maximum is changing.
    data->osc_cr |= OSC_CR_MIN_MAX;
    data->screen_points[0][2 * 4] = 0x0F;
    data->screen_points[0][2 * 4 + 1] = static_cast<std::int8_t>(0xF1);
    RepackLogicSamples(0, *data, 1, 4);
    const std::uint8_t mixed[8] = {2, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_TRUE(std::equal(mixed, mixed + 8, data->logic_points[0][4]));

    // A channel in analog mode, or no channel at all, is left alone.
    data->screen_points[1][0] = 0xFF;
    RepackLogicSamples(1, *data, 1, 0);
    RepackLogicSamples(2, *data, 1, 0);
    RepackLogicSamples(-1, *data, 1, 0);
    for (int line = 0; line < 8; ++line) EXPECT_EQ(data->logic_points[1][0][line], 0);

    // Ranges are cut to the arrays: pairs end at point 300, plain values at 600.
    std::memset(data->logic_points, 7, sizeof(data->logic_points));
    for (auto& v : data->screen_points[0]) v = 0xFF;
    RepackLogicSamples(0, *data, 50, 290);
    EXPECT_EQ(data->logic_points[0][299][0], 2);
    EXPECT_EQ(data->logic_points[0][300][0], 7);
    data->osc_cr &= static_cast<std::uint16_t>(~OSC_CR_MIN_MAX);
    RepackLogicSamples(0, *data, 50, 590);
    EXPECT_EQ(data->logic_points[0][599][7], 2);
    EXPECT_EQ(data->logic_points[1][0][0], 7);
    RepackLogicSamples(0, *data, 5, -3);
    EXPECT_EQ(data->logic_points[0][1][0], 2);
    EXPECT_EQ(data->logic_points[0][2][0], 7);
    RepackLogicSamples(0, *data, INT32_MAX, INT32_MAX);
    RepackLogicSamples(0, *data, -5, 3);
    EXPECT_EQ(data->logic_points[0][3][0], 7);
}

}  // namespace
