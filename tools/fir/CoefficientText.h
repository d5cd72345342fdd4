#pragma once
// The hand-entered coefficients of a filter: numbers separated by blanks, ',', ';', CR or LF.
//
// Each token is read as a C-locale decimal number ([sign] digits [. digits] [exponent], '.' the
// only decimal sign whatever the user's locale) up to its first character that cannot continue
// one; what has no leading number reads as 0. "nan", "inf" and hexadecimal forms read as 0, as
// does a value out of the double range: one non-finite tap would make every output NaN.

#include <string>
#include <vector>

// The first count tokens of text as numbers; missing ones are 0, further ones are ignored.
std::vector<double> ParseCoefficients(const std::string& text, int count);
