#pragma once
// The report list's sort keys and its sort, apart from the window so that tests reach them.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace reportsort {

// An unsigned base-16 number: an optional 0x or 0X, then 1 or more hex digits, at most 64 bits
// of value; nothing else (no sign, no blank).
std::optional<std::uint64_t> ParseHex(const std::string& text);
// A C-locale decimal number: [+|-]digits[.digits][(e|E)[+|-]digits], optionally ending in one
// "%"; nothing else (no blank, no inf or nan, no hexadecimal).
std::optional<double> ParseDecimal(const std::string& text);

// Negative, zero or positive as a sorts below, with or above b: both as base-16 numbers, else
// both as decimal numbers, else both as dates, else as text (byte by byte, case-sensitive).
int CompareTexts(const std::string& a, const std::string& b);

// Sorts order (indexes into whatever compare reads) by quicksort with Hoare's partition around
// the middle element. compare need not be consistent: the scans never leave the range, so a
// cyclic comparison gives some order of the same indexes, never a read outside them.
void QuickSort(std::vector<int>& order, const std::function<int(int, int)>& compare, bool ascending);

}  // namespace reportsort
