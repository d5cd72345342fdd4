// Decoding a logged frame.
//
// The hex digits are read by hand rather than with a scanf conversion: a scan conversion would
// also take a sign, a "0x" prefix or a lone digit as a byte, and would give a line such as
// "F 1 0 15 F0" a meaning it does not have. Here a byte is exactly two hexadecimal digits; a
// character that does not start one is passed over.

#include "packetview/LoggedFrame.h"

#include "core/protocol/PacketFrame.h"

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

std::optional<LoggedFrame> DecodeLoggedFrame(std::string_view line)
{
    if (line.size() < LoggedFrame::kTimePrefixLength)
        return std::nullopt;
    std::string_view rest = line.substr(LoggedFrame::kTimePrefixLength);

    LoggedFrame frame;
    if (rest.starts_with("T "))
        frame.sent = true;
    else if (!rest.starts_with("R "))
        return std::nullopt;

    const std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    rest.remove_prefix(colon + 1);

    std::size_t n = 0;
    std::size_t i = 0;
    while (i < rest.size() && n < frame.bytes.size())
    {
        if (IsBlank(rest[i]))
        {
            ++i;
            continue;
        }
        const int high = HexDigit(rest[i]);
        const int low = i + 1 < rest.size() ? HexDigit(rest[i + 1]) : -1;
        if (high < 0 || low < 0)
        {
            ++i;
            continue;
        }
        frame.bytes[n++] = static_cast<std::uint8_t>(high << 4 | low);
        i += 2;
    }
    frame.parsed = n;

    // The length bytes are read from the zeroed buffer even when the line held fewer bytes;
    // the frame must then be wholly present before its CRC is looked at. A frame needs at
    // least its type byte.
    if (n < FRAME_OVERHEAD)
        return std::nullopt;
    if (GetFrameLength(frame.bytes.data()) == 0)
        return std::nullopt;
    if (GetFrameSize(frame.bytes.data()) > n)
        return std::nullopt;
    if (!CheckFrame(frame.bytes.data()))
        return std::nullopt;
    frame.type = frame.bytes[3];
    return frame;
}
