#include "logic/digtrigger/TriggerValueText.h"

#include <cctype>
#include <cstdio>

namespace {

// Digits beyond any integer width are folded in modulo 2^32; the low eight bits, the only
// ones kept, come out as those of the whole number.
std::uint32_t ReadNumber(const std::string& text, std::size_t at, unsigned base)
{
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])) != 0) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    std::uint32_t value = 0;
    for (; at < text.size(); ++at) {
        const int c = std::tolower(static_cast<unsigned char>(text[at]));
        unsigned digit = 0;
        if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
        else break;
        value = value * base + digit;
    }
    return negative ? 0u - value : value;
}

}  // namespace

std::uint8_t ParseTriggerValueText(const std::string& text)
{
    const bool hex = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    return static_cast<std::uint8_t>(hex ? ReadNumber(text, 2, 16) : ReadNumber(text, 0, 10));
}

std::string FormatTriggerValueText(std::uint8_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(value));
    return text;
}
