// The zoom window's step table and choice, the bus labels and the recorder ruler's texts.

#include "app/main/ChartZoom.h"
#include "app/main/OverlayText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

TDivOption Option(unsigned tDiv, int hw, int sw, int in)
{
    return TDivOption{tDiv, 0, hw, sw, in, CString()};
}

TEST(ZoomSteps, WidthsAreTheOptionsScreensInPresentPoints)
{
    // The present view: 4 stored samples a point (hw 2, sw 2, in 1).
    const std::vector<TDivOption> options = {
        Option(3, 1, 1, 5),  // 1/5 sample a point: 300 * 1/5 / 4 = 15
        Option(4, 1, 1, 2),  // 37 (37.5 truncated)
        Option(5, 1, 1, 1),  // 75
        Option(6, 2, 2, 1),  // the present setting itself: a full screen
        Option(7, 2, 5, 1),  // 750: past the screen
    };
    const std::vector<ZoomStep> steps = BuildZoomSteps(options, 2, 2, 1);
    ASSERT_EQ(steps.size(), 5u);
    const std::int64_t widths[5] = {15, 37, 75, 300, 750};
    for (std::size_t i = 0; i < steps.size(); ++i)
    {
        EXPECT_EQ(steps[i].t_div, options[i].t_div) << i;
        EXPECT_EQ(steps[i].width, widths[i]) << i;
    }
}

TEST(ZoomSteps, UnknownZoomGivesNoStepAndLargeFactorsDoNotWrap)
{
    EXPECT_TRUE(BuildZoomSteps({Option(3, 1, 1, 1)}, 0, 1, 1).empty());
    EXPECT_TRUE(BuildZoomSteps({Option(3, 1, 1, 1)}, 1, 0, 1).empty());
    const std::vector<ZoomStep> steps = BuildZoomSteps({Option(3, 1, 1, 0), Option(4, 50000, 50000, 1)}, 1, 1, 1000);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].width, 50000LL * 50000 * 1000 * 300);
}

TEST(ZoomSteps, ChoiceTakesTheNearestWidthEitherWay)
{
    const std::vector<ZoomStep> steps = {{3, 30}, {4, 60}, {5, 150}, {6, 300}};
    struct Row {
        double distance;
        std::int64_t width;
        int index;
    };
    const Row rows[] = {
        {0, 30, 0},     {29.9, 30, 0},  {45, 30, 0},      {45.5, 60, 1},  {60, 60, 1},
        {105, 60, 1},   {106, 150, 2},  {299.9, 300, 3},  {1000, 300, 3}, {-45.5, -60, 1},
        {-106, -150, 2}, {-1000, -300, 3}, {-0.5, -30, 0},
    };
    for (const Row& r : rows)
    {
        const ZoomChoice c = ChooseZoomStep(steps, r.distance);
        EXPECT_EQ(c.width, r.width) << r.distance;
        EXPECT_EQ(c.index, r.index) << r.distance;
    }
    EXPECT_EQ(ChooseZoomStep({}, 10).width, 0);
}

TEST(BusRunLabel, EachRadixNeedsItsRoom)
{
    struct Row {
        int radix;
        int length;
        unsigned value;
        const char* label;
    };
    const Row rows[] = {
        {0, 4, 0xAF, ""},  {0, 5, 0xAF, "AF"},       {0, 5, 0x0C, "0C"},  {1, 6, 175, ""},
        {1, 7, 175, "175"}, {1, 7, 7, "007"},         {2, 16, 0xAF, ""},   {2, 17, 0xAF, "10101111"},
        {2, 17, 1, "00000001"}, {3, 100, 1, ""},      {-1, 100, 1, ""},    {0, 100, 0x1FF, "FF"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(BusRunLabel(r.value, r.radix, r.length), r.label) << r.radix << " " << r.length;
}

TEST(RecorderRuler, StepIsTheSmallestDecadeWithAtMostTenTicks)
{
    struct Row {
        double window;
        double step;
    };
    const Row rows[] = {{0, 0.001}, {0.005, 0.001}, {0.01, 0.001}, {0.011, 0.01}, {3, 1},
                        {10, 1},    {10.5, 10},     {3600, 1000}};
    for (const Row& r : rows)
        EXPECT_DOUBLE_EQ(ChooseRulerStep(r.window), r.step) << r.window;
    // A damaged length still ends.
    EXPECT_GT(ChooseRulerStep(std::numeric_limits<double>::infinity()), 1e6);
    EXPECT_GT(ChooseRulerStep(std::nan("")), 0);
}

TEST(RecorderRuler, LabelsGrowWithTheTime)
{
    struct Row {
        std::int64_t ms;
        bool millis;
        bool hours;
        const char* label;
    };
    const Row rows[] = {
        {0, false, false, "0"},
        {500, true, false, "0.500"},
        {59999, true, false, "59.999"},
        {60000, false, false, "01:00"},
        {61500, true, false, "01:01.500"},
        {3723004, true, false, "01:02:03.004"},
        {-5, false, false, "0"},
        {45296789, true, true, "12:34:56.789"},
        {1000, false, true, "00:00:01"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(FormatRulerLabel(r.ms, r.millis, r.hours), r.label) << r.ms;
}

}  // namespace
