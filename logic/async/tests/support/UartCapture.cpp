#include "UartCapture.h"

#include <algorithm>

std::uint32_t UartCapture::Frame(unsigned value, bool flipParity, bool stopLow)
{
    const auto start = static_cast<std::uint32_t>(levels_.size());
    const int n = format_.samples_per_bit;
    Low(n);
    int ones = 0;
    for (int b = 0; b < format_.bits; ++b) {
        const int position = format_.msb ? format_.bits - 1 - b : b;
        const int bit = static_cast<int>((value >> position) & 1u);
        ones += bit;
        levels_.insert(levels_.end(), static_cast<std::size_t>(n), static_cast<std::uint8_t>(bit));
    }
    if (format_.parity != 0) {
        int p = 0;
        switch (format_.parity) {
        case 1: p = (ones & 1) ^ 1; break;  // odd: the ones including parity are odd
        case 2: p = ones & 1; break;
        case 3: p = 1; break;
        default: p = 0; break;
        }
        if (flipParity)
            p ^= 1;
        levels_.insert(levels_.end(), static_cast<std::size_t>(n), static_cast<std::uint8_t>(p));
    }
    levels_.insert(levels_.end(), static_cast<std::size_t>(n), static_cast<std::uint8_t>(stopLow ? 0 : 1));
    return start;
}

std::vector<std::int32_t> UartCapture::Plain(int line) const
{
    std::vector<std::int32_t> words(levels_.size());
    for (std::size_t i = 0; i < levels_.size(); ++i) {
        const std::int32_t busy = static_cast<std::int32_t>(i * 7 % 256) & ~(1 << line);
        words[i] = busy | (levels_[i] != 0 ? 1 << line : 0);
    }
    return words;
}

std::vector<std::int32_t> UartCapture::TwoWord(int line) const
{
    std::vector<std::int32_t> words(2 * levels_.size());
    for (std::size_t i = 0; i < levels_.size(); ++i) {
        const bool now = levels_[i] != 0;
        const bool before = i > 0 ? levels_[i - 1] != 0 : now;
        const std::int32_t busy = static_cast<std::int32_t>(i * 7 % 256) & ~(1 << line);
        // The minimum first: a line that changed within the sample is low in the first word
        // and high in the second, whichever way it went.
        words[2 * i] = busy | (before && now ? 1 << line : 0);
        words[2 * i + 1] = busy | (before || now ? 1 << line : 0);
    }
    return words;
}

std::vector<std::int32_t> UartCapture::Sampled(int line, int group) const
{
    std::vector<std::int32_t> words;
    for (std::size_t i = 0; i < levels_.size(); i += static_cast<std::size_t>(group))
        words.push_back(levels_[i] != 0 ? 1 << line : 0);
    return words;
}

std::vector<std::int32_t> UartCapture::PeakPairs(int line, int group) const
{
    std::vector<std::int32_t> words;
    for (std::size_t i = 0; i + static_cast<std::size_t>(group) <= levels_.size(); i += static_cast<std::size_t>(group)) {
        bool all = true;
        bool any = false;
        for (std::size_t j = i; j < i + static_cast<std::size_t>(group); ++j) {
            all = all && levels_[j] != 0;
            any = any || levels_[j] != 0;
        }
        words.push_back(all ? 1 << line : 0);
        words.push_back(any ? 1 << line : 0);
    }
    return words;
}

std::vector<std::int32_t> Merge(const std::vector<std::int32_t>& a, int la, const std::vector<std::int32_t>& b, int lb)
{
    std::vector<std::int32_t> words(std::max(a.size(), b.size()), 0);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = (i < a.size() ? a[i] & (1 << la) : 1 << la) | (i < b.size() ? b[i] & (1 << lb) : 1 << lb);
    return words;
}
