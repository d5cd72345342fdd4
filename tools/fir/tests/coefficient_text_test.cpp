// Hand-entered coefficients: separators, the C-locale number form, and what reads as 0.

#include "tools/fir/CoefficientText.h"

#include <gtest/gtest.h>

#include <vector>

TEST(CoefficientText, TokensReadAsCLocaleDecimalsAndAnythingElseAsZero)
{
    struct Case {
        const char* text;
        int count;
        std::vector<double> taps;
    };
    const Case cases[] = {
        // The comma separates; it is no decimal sign.
        {"1;0,5", 5, {1, 0, 5, 0, 0}},
        // Not finite, hexadecimal, out of range: 0; a fraction without leading digits is fine.
        {"nan 0x10 1e400 -.5e1", 4, {0, 0, 0, -5}},
        {"inf -INF NaN(1) 1e-400", 4, {0, 0, 0, 0}},
        // Runs of separators count as one, leading ones are skipped.
        {"\r\n  ;,2.5\r\n\r\n-3 ;; +4E1", 3, {2.5, -3, 40}},
        // Read up to the first character that cannot continue a number.
        {"7abc 1e 5. 2.5.1 1e+ -x . 12e-1q", 8, {7, 1, 5, 2.5, 1, 0, 0, 1.2}},
        // Extra tokens are ignored, missing ones are 0.
        {"1 2 3 4", 2, {1, 2}},
        {"", 3, {0, 0, 0}},
        {"1 2", 0, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseCoefficients(c.text, c.count), c.taps) << '"' << c.text << '"';
}
