#pragma once
// Runs a test under a locale whose decimal point is ',' (German or Russian), generating one
// into the test output folder when the system has none installed.

#include <string>

// Switches LC_ALL to such a locale; returns its name, or an empty string when none could be had.
std::string EnterCommaLocale();

// Back to the "C" locale.
void LeaveCommaLocale();
