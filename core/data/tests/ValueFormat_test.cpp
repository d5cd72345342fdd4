#include "core/data/ValueFormat.h"

#include "platform/testing/CommaLocale.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// Every text check runs with a process locale whose decimal point is ',': the texts must still
// use '.'.
class ValueFormat : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (EnterCommaLocale().empty())
            GTEST_SKIP() << "no locale with a decimal comma is installed or can be generated";
    }
    void TearDown() override { LeaveCommaLocale(); }
};

TEST_F(ValueFormat, Frequency)
{
    EXPECT_EQ(FormatFrequency(0), "inf");
    EXPECT_EQ(FormatFrequency(12345.0), "12.345 kHz");
    EXPECT_EQ(FormatFrequency(9999), "9999.000 Hz");
    EXPECT_EQ(FormatFrequency(10000), "10.000 kHz");
    EXPECT_EQ(FormatFrequency(9999000), "9999.000 kHz");
    EXPECT_EQ(FormatFrequency(10000000), "10.000 MHz");
    EXPECT_EQ(FormatFrequency(0.5), "0.500 Hz");
}

TEST_F(ValueFormat, WholeNanoseconds)
{
    EXPECT_EQ(FormatTimeNs(999), "999 нс");
    EXPECT_EQ(FormatTimeNs(-999), "-999 нс");
    EXPECT_EQ(FormatTimeNs(0), "0 нс");
    EXPECT_EQ(FormatTimeNs(1000), "1 мкс");
    EXPECT_EQ(FormatTimeNs(1500), "1.500 мкс");
    EXPECT_EQ(FormatTimeNs(1999), "1.999 мкс");
    EXPECT_EQ(FormatTimeNs(999999), "999.999 мкс");
    EXPECT_EQ(FormatTimeNs(2500000), "2.500 мс");
    EXPECT_EQ(FormatTimeNs(2500999), "2.500 мс");  // truncated, not rounded
    EXPECT_EQ(FormatTimeNs(1000000000), "1 с");
    EXPECT_EQ(FormatTimeNs(1234567890123LL), "1234.567 с");
    EXPECT_EQ(FormatTimeNs(-1500), "-1.500 мкс");
    EXPECT_EQ(FormatTimeNs(-2000000), "-2 мс");
    EXPECT_EQ(FormatTimeNs(std::numeric_limits<std::int64_t>::min()), "-9223372036.854 с");
}

TEST_F(ValueFormat, RealNanoseconds)
{
    EXPECT_EQ(FormatTimeNsReal(12.25), "12.250 нс");
    EXPECT_EQ(FormatTimeNsReal(999.9), "999.900 нс");
    EXPECT_EQ(FormatTimeNsReal(1000), "1.000 мкс");
    EXPECT_EQ(FormatTimeNsReal(-2500), "-2.500 мкс");
    EXPECT_EQ(FormatTimeNsReal(2500000), "2.500 мс");
    EXPECT_EQ(FormatTimeNsReal(3e9), "3.000 с");
}

TEST_F(ValueFormat, Volts)
{
    EXPECT_EQ(FormatMillivolts(250), "250 мВ");
    EXPECT_EQ(FormatMillivolts(-12.5), "-12.5 мВ");
    EXPECT_EQ(FormatMillivolts(1500), "1.5 В");
    EXPECT_EQ(FormatMillivolts(-2000), "-2 В");
    EXPECT_EQ(FormatMillivolts(0), "0 мВ");
    EXPECT_EQ(FormatMillivoltsPerDiv(0), "0 мВ/дел");  // version 4 has a 0 mV step
    EXPECT_EQ(FormatMillivoltsPerDiv(500), "500 мВ/дел");
    EXPECT_EQ(FormatMillivoltsPerDiv(2500), "2.5 В/дел");
}

TEST_F(ValueFormat, TimeBase)
{
    EXPECT_EQ(FormatTDivText(18), "1 мс/дел");
    EXPECT_EQ(FormatTDivText(21), "10 мс/дел");
    EXPECT_EQ(FormatTDivText(5), "50 нс/дел");
    EXPECT_EQ(FormatTDivText(0), "1 нс/дел");
    EXPECT_EQ(FormatTDivText(33), "100 с/дел");
    EXPECT_EQ(TDivNanoseconds(1000), std::numeric_limits<std::int64_t>::max());

    // 25 points at 1 ms/div: 2.5 divisions.
    EXPECT_EQ(FormatPointsAsTime(25, 18), "2.500 мс");
    // A period of 100 points at 1 ms/div is 10 ms, 100 Hz.
    EXPECT_EQ(FormatPointsAsFrequency(100, 18), "100.000 Hz");
    EXPECT_EQ(FormatPointsAsFrequency(0, 18), "inf");
    // 3000 samples at 80000 kHz, decimation 2: 75 µs.
    EXPECT_EQ(FormatMemoryDurationOf(3000, 1, 80000), "75 мкс");
    EXPECT_EQ(FormatMemoryDurationOf(3000, 1, 0), "inf");
    EXPECT_EQ(FormatMemoryDurationOf(131072, 0xFFFFFFFFu, 1), "9223372036.854 с");  // saturates
}

struct Edge {
    double value;
    const char* text;
};

// Each unit threshold from both sides: the unit is the one the rounded number belongs in.
TEST_F(ValueFormat, UnitsFollowTheRoundedNumber)
{
    const Edge frequency[] = {
        {9999.9994, "9999.999 Hz"},   {9999.9996, "10.000 kHz"},      {10000, "10.000 kHz"},
        {9999999.4, "9999.999 kHz"},  {9999999.6, "10.000 MHz"},      {10000000, "10.000 MHz"},
        {-0.0004, "0.000 Hz"},        {-12.5, "-12.500 Hz"},
    };
    for (const Edge& e : frequency) EXPECT_EQ(FormatFrequency(e.value), e.text) << e.value;

    const Edge time[] = {
        {999.9994, "999.999 нс"},     {999.9996, "1.000 мкс"},        {-999.9996, "-1.000 мкс"},
        {999999.4, "999.999 мкс"},    {999999.6, "1.000 мс"},         {-999999.6, "-1.000 мс"},
        {999999499.9, "999.999 мс"},  {999999500.1, "1.000 с"},       {-0.0004, "0.000 нс"},
        {-0.0, "0.000 нс"},           {-0.0006, "-0.001 нс"},
    };
    for (const Edge& e : time) EXPECT_EQ(FormatTimeNsReal(e.value), e.text) << e.value;

    const Edge volts[] = {
        {999.4, "999 мВ"},  {999.7, "1 В"},   {-999.7, "-1 В"},  {999.5, "1 В"},
        {-0.0, "0 мВ"},     {-0.001, "-0.001 мВ"},
    };
    for (const Edge& e : volts) EXPECT_EQ(FormatMillivolts(e.value), e.text) << e.value;

    const Edge perDiv[] = {
        {999.9994, "999.999 мВ/дел"}, {999.9996, "1 В/дел"}, {1000, "1 В/дел"}, {-0.0, "0 мВ/дел"},
    };
    for (const Edge& e : perDiv) EXPECT_EQ(FormatMillivoltsPerDiv(e.value), e.text) << e.value;

    EXPECT_EQ(FormatVoltsValue(-0.0), "0 В");
    EXPECT_EQ(FormatVoltsValue(-0.2), "-0.2 В");

    // Through the time/div forms: points at 1 ms/div (100 µs a point).
    EXPECT_EQ(FormatPointsAsTime(9.999996, 18), "1.000 мс");
    EXPECT_EQ(FormatPointsAsTime(9.999994, 18), "999.999 мкс");
}

TEST(ValueFormatThreadLocale, FormattingLeavesTheCallersLocaleInPlace)
{
    const std::string name = EnterCommaLocale();
    if (name.empty())
        GTEST_SKIP() << "no locale with a decimal comma";
    FormatFrequency(1.5);
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 1.5);
    EXPECT_STREQ(text, "1,5");
    LeaveCommaLocale();
}

}  // namespace
