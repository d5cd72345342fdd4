#include "tools/properties/ShortenedPath.h"

#include <cstddef>

namespace {

constexpr const char* ELLIPSIS = "...";

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The start of the character that ends right before `pos`.
std::size_t PreviousCharacter(const std::string& text, std::size_t pos)
{
    while (pos > 0) {
        --pos;
        if (!IsContinuationByte(text[pos])) break;
    }
    return pos;
}

// The start of the character after the one at `pos`.
std::size_t NextCharacter(const std::string& text, std::size_t pos)
{
    if (pos < text.size()) ++pos;
    while (pos < text.size() && IsContinuationByte(text[pos])) ++pos;
    return pos;
}

}  // namespace

std::string ShortenPathToWidth(const std::string& path, int width,
                               const std::function<int(const std::string&)>& measure)
{
    if (measure(path) <= width) return path;

    const std::size_t slash = path.find_last_of("/\\");
    if (slash != std::string::npos && slash > 0) {
        // The folder part shrinks from its end, so the start of the path stays recognisable.
        const std::string tail = path.substr(slash);
        std::size_t headEnd = slash;
        while (headEnd > 0) {
            headEnd = PreviousCharacter(path, headEnd);
            const std::string candidate = path.substr(0, headEnd) + ELLIPSIS + tail;
            if (measure(candidate) <= width) return candidate;
        }
    }

    // Not even the name fits: keep as much of its end as there is room for.
    std::size_t start = 0;
    while (start < path.size()) {
        const std::string candidate = ELLIPSIS + path.substr(start);
        if (measure(candidate) <= width) return candidate;
        start = NextCharacter(path, start);
    }
    return ELLIPSIS;
}
