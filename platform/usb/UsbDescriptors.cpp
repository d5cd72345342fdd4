#include "platform/usb/UsbBackend.h"

#include <cctype>
#include <sstream>

namespace {

// Descriptor types of a Microsoft OS 2.0 descriptor set.
constexpr std::uint16_t kSetHeader = 0x00;
constexpr std::uint16_t kFunctionSubset = 0x02;
constexpr std::uint16_t kRegistryProperty = 0x04;

std::uint16_t U16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Case-insensitive search for the ASCII text as UTF-16LE in the bytes.
bool ContainsUtf16(const std::uint8_t* data, std::size_t size, const char* text)
{
    std::size_t n = 0;
    while (text[n] != '\0')
        ++n;
    if (size < 2 * n)
        return false;
    for (std::size_t start = 0; start + 2 * n <= size; ++start) {
        bool match = true;
        for (std::size_t i = 0; i < n && match; ++i) {
            const std::uint8_t lo = data[start + 2 * i];
            const std::uint8_t hi = data[start + 2 * i + 1];
            match = hi == 0 && std::toupper(lo) == std::toupper(static_cast<unsigned char>(text[i]));
        }
        if (match)
            return true;
    }
    return false;
}

bool ParseHex16(const std::string& text, std::uint16_t& value)
{
    if (text.empty() || text.size() > 4)
        return false;
    unsigned v = 0;
    for (char c : text) {
        const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : (c >= 'a' && c <= 'f')                   ? c - 'a' + 10
                      : (c >= 'A' && c <= 'F')                   ? c - 'A' + 10
                                                                 : -1;
        if (d < 0)
            return false;
        v = v * 16 + static_cast<unsigned>(d);
    }
    value = static_cast<std::uint16_t>(v);
    return true;
}

} // namespace

std::vector<std::pair<std::uint16_t, std::uint16_t>> ParseUsbDeviceList(const char* list)
{
    std::vector<std::pair<std::uint16_t, std::uint16_t>> ids;
    if (list == nullptr)
        return ids;
    std::stringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        const auto first = item.find_first_not_of(" \t");
        const auto last = item.find_last_not_of(" \t");
        if (first == std::string::npos)
            continue;
        item = item.substr(first, last - first + 1);
        const auto colon = item.find(':');
        std::uint16_t vid = 0, pid = 0;
        if (colon == std::string::npos || !ParseHex16(item.substr(0, colon), vid) ||
            !ParseHex16(item.substr(colon + 1), pid))
            continue;
        ids.emplace_back(vid, pid);
    }
    return ids;
}

bool FindWinUsbInterface(const std::uint8_t* data, std::size_t size, int& interfaceNumber)
{
    if (data == nullptr || size < 10 || U16(data) != 10 || U16(data + 2) != kSetHeader)
        return false;
    // The set's own total length may not exceed what was read.
    const std::size_t total = std::min<std::size_t>(U16(data + 8), size);
    int current = 0;
    std::size_t pos = 10;
    while (pos + 4 <= total) {
        const std::uint16_t length = U16(data + pos);
        const std::uint16_t type = U16(data + pos + 2);
        if (length < 4 || pos + length > total)
            return false;
        if (type == kFunctionSubset && length >= 5)
            current = data[pos + 4];
        else if (type == kRegistryProperty && ContainsUtf16(data + pos + 4, length - 4u, kWinUsbInterfaceGuid)) {
            interfaceNumber = current;
            return true;
        }
        pos += length;
    }
    return false;
}
