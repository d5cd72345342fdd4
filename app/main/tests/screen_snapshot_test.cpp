#include "app/main/ScreenSnapshot.h"

#include <gtest/gtest.h>

namespace {

ScreenSnapshot TwoChannels(int minMax)
{
    ScreenSnapshot s{};
    s.enabled[0] = s.enabled[1] = true;
    s.zero[0] = 3;
    s.zero[1] = -2;
    s.min_max = minMax;
    for (int k = 0; k < SCREEN_VALUES; ++k)
    {
        s.points[0][k] = k % 50;
        s.points[1][k] = 20 - k % 7;
        s.points[2][k] = 999;
    }
    return s;
}

TEST(MathTrace, OperationsUseZeroCorrectedChannels)
{
    struct Case {
        int op;
        int (*expected)(int a, int b);
    };
    const Case cases[] = {
        {1, [](int a, int b) { return a + b; }},
        {2, [](int a, int b) { return a - b; }},
        {3, [](int a, int b) { return b - a; }},
    };
    for (int minMax : {0, 1})
    {
        for (const Case& c : cases)
        {
            ScreenSnapshot s = TwoChannels(minMax);
            EXPECT_EQ(ComputeMathTrace(s, c.op), c.op);
            EXPECT_TRUE(s.enabled[2]);
            EXPECT_EQ(s.zero[2], 0);
            const int values = minMax != 0 ? SCREEN_VALUES : SCREEN_POINTS;
            for (int k = 0; k < values; ++k)
                ASSERT_EQ(s.points[2][k], c.expected(s.points[0][k] - 3, s.points[1][k] + 2)) << c.op << " k " << k;
            if (minMax == 0)
            {
                EXPECT_EQ(s.points[2][SCREEN_POINTS], 999);  // the unused half is left alone
            }
        }
    }
}

TEST(MathTrace, DisappearsWhenAChannelIsOffOrLogic)
{
    for (int variant = 0; variant < 5; ++variant)
    {
        ScreenSnapshot s = TwoChannels(0);
        switch (variant)
        {
        case 0: s.enabled[0] = false; break;
        case 1: s.enabled[1] = false; break;
        case 2: s.logic_mode[0] = true; break;
        case 3: s.logic_mode[1] = true; break;
        default: break;
        }
        const int op = variant == 4 ? 7 : 1;  // an operation out of range counts as none
        EXPECT_EQ(ComputeMathTrace(s, op), 0) << variant;
        EXPECT_FALSE(s.enabled[2]);
        EXPECT_EQ(s.points[2][0], 999);
    }
}

}  // namespace
