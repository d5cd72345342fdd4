#pragma once
// Texts and tick spacing of the main chart's overlays: the logic bus values and the recorder's
// time ruler. Plain functions, so that the choices can be checked without a window.

#include <cstdint>
#include <string>

// The label of a run of `length` equal points of an 8-bit bus value in a radix (0 hexadecimal,
// 1 decimal, 2 binary with line 7 first); empty when the run is too short to hold the text
// or the radix is unknown.
std::string BusRunLabel(unsigned value, int radix, int length);

// The ruler's major tick spacing in seconds for a window of this length: the smallest decade,
// from a millisecond up, that puts at most ten major ticks on the screen.
double ChooseRulerStep(double windowSeconds);

// A ruler label for a time in milliseconds: "HH:" from an hour up (or always with
// `alwaysHours`, for times of day), "MM:SS" from a minute up, else the seconds alone; then
// ".mmm" when `withMillis`. Negative times read as 0.
std::string FormatRulerLabel(std::int64_t milliseconds, bool withMillis, bool alwaysHours = false);
