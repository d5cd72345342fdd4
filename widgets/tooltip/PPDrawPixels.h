#pragma once
// Pixel buffers of the drawing manager: plain 32-bit word images (0xAARRGGBB, top row first)
// that the effects compute on, and memory DCs holding a 32-bit DIB section to move them in and
// out of a device context with one block copy each way.

#include "platform/gdi/DC.h"

#include <cstdint>
#include <vector>

namespace ppdraw {

// The largest side and area an effect works on; larger requests do nothing.
inline constexpr int kMaxSide = 16384;
inline constexpr long long kMaxArea = 16LL << 20;

inline bool SizeOk(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           static_cast<long long>(width) * height <= kMaxArea;
}

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> words;

    bool Empty() const { return words.empty(); }
    std::uint32_t& At(int x, int y) { return words[static_cast<std::size_t>(y) * width + x]; }
    std::uint32_t At(int x, int y) const { return words[static_cast<std::size_t>(y) * width + x]; }
    // False (and empty) for a bad size or when memory runs out.
    bool Allocate(int w, int h, std::uint32_t fill = 0);
};

// The whole bitmap's pixels (alpha byte kept for DIB sections); empty for an unknown handle.
Pixels ReadBitmap(HBITMAP bitmap);
// Nearest-pixel scaling to width x height (a copy when the size matches).
Pixels Scale(const Pixels& source, int width, int height);
// A new 32-bit DIB section holding the pixels; 0 on failure.
HBITMAP MakeBitmap(const Pixels& pixels);

// A memory DC with a top-down 32-bit DIB section selected. A surface of width x height logical
// pixels may hold ratio x ratio pixels for each (for work on a DC of a high-density screen at its
// own fineness): its bits, Width() and Height() count those pixels; its DC takes logical
// coordinates.
class Surface {
public:
    Surface() = default;
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    bool Create(int width, int height, int ratio = 1);
    // Create and fill from the pixels.
    bool Create(const Pixels& pixels);
    // Create and copy the DC's area at (x, y); false when the DC has no pixels.
    bool CopyFrom(HDC hdc, int x, int y, int width, int height, int ratio = 1);

    CDC* DC() { return &dc_; }
    HDC Handle() const { return dc_.GetSafeHdc(); }
    std::uint32_t* Bits() { return bits_; }
    std::uint32_t& At(int x, int y) { return bits_[static_cast<std::size_t>(y) * width_ + x]; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Ratio() const { return ratio_; }

private:
    CDC dc_;
    HBITMAP bitmap_ = 0;
    HGDIOBJ old_ = 0;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int ratio_ = 1;
};

}  // namespace ppdraw
