#include "tools/fir/CoefficientText.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace {

constexpr const char* kSeparators = " ,;\r\n";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The length of the longest prefix of token that is a decimal number, 0 when there is none.
std::size_t NumberPrefix(std::string_view token)
{
    std::size_t i = 0;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < token.size() && IsDigit(token[i])) ++i, ++digits;
    if (i < token.size() && token[i] == '.') {
        std::size_t j = i + 1;
        std::size_t fraction = 0;
        while (j < token.size() && IsDigit(token[j])) ++j, ++fraction;
        // A bare '.' after digits still ends a number ("5." is 5); alone it is no number.
        if (digits + fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    if (digits == 0) return 0;
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < token.size() && (token[j] == '+' || token[j] == '-')) ++j;
        const std::size_t start = j;
        while (j < token.size() && IsDigit(token[j])) ++j;
        if (j > start) i = j;
    }
    return i;
}

double ReadNumber(std::string_view token)
{
    std::string_view number = token.substr(0, NumberPrefix(token));
    if (number.empty()) return 0.0;
    if (number.front() == '+') number.remove_prefix(1);  // from_chars takes no '+'
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::general);
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(value)) return 0.0;
    return value;
}

}  // namespace

std::vector<double> ParseCoefficients(const std::string& text, int count)
{
    std::vector<double> taps(count > 0 ? static_cast<std::size_t>(count) : 0, 0.0);
    std::size_t filled = 0;
    std::size_t pos = text.find_first_not_of(kSeparators);
    while (pos != std::string::npos && filled < taps.size()) {
        const std::size_t end = text.find_first_of(kSeparators, pos);
        const std::string_view token(text.data() + pos, (end == std::string::npos ? text.size() : end) - pos);
        taps[filled++] = ReadNumber(token);
        pos = end == std::string::npos ? end : text.find_first_not_of(kSeparators, end);
    }
    return taps;
}
