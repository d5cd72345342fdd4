#pragma once
// The arithmetic of a frequency-response run: the generator dividers it steps through, and a
// measured level in decibels against the level the user expects.

#include <cstdint>
#include <vector>

// The list holds at most this many dividers (the data model's room for a run).
inline constexpr std::size_t kMaxResponsePoints = 100;
// Level of a point that measured nothing against a non-zero expectation.
inline constexpr double kSilentDb = -100.0;

// Generator dividers from an eighth of the top sample rate (maxRateKHz) down to 100 Hz, for a
// generator that makes baseClockHz / (divider + 1): each decade at K / (n·10^k), n = 2..10.
// Empty when the clock cannot reach 100 Hz or there is no rate; at most kMaxResponsePoints.
std::vector<std::uint32_t> BuildDividerList(std::uint32_t baseClockHz, std::uint32_t maxRateKHz);

// The level of measured value x (codes, the zero offset already taken off) against the
// expected value E, in dB. half is half the expected peak-to-peak span: an expectation of 0
// means a level measured against the middle of the span. The result may be ±∞ or NaN when
// half is 0; such a point is not drawn.
double ResponseDb(int x, int expected, double half);

// One point of a response: frequency and the three levels in dB.
struct FreqResponsePoint {
    double f = 0;
    double mean = 0;
    double minimum = 0;
    double maximum = 0;
};

// Whether a level is drawn: mean and minimum only above kSilentDb (a silent input would pull
// the curve down to the floor), the maximum down to and including it; never a non-finite one.
bool DrawMeanOrMinimum(double db);
bool DrawMaximum(double db);
