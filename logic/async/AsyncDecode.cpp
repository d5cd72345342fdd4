// The asynchronous decoder's chain search and text.

#include "logic/async/AsyncDecode.h"

#include "core/data/ValueFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Below this many samples per bit the sampling points of a frame blur into each other.
constexpr double kSmallInterval = 3.0;

class Reader {
public:
    Reader(const AsyncSampleView& view, unsigned mask) : view_(view), mask_(mask) {}

    bool W0(std::uint32_t n) const { return (Word(n, 0) & mask_) != 0; }
    bool W1(std::uint32_t n) const { return (Word(n, 1) & mask_) != 0; }
    // High for data, parity and the start edge: both words in two-word mode.
    bool Both(std::uint32_t n) const { return view_.two_word ? W0(n) && W1(n) : W0(n); }
    // High for the stop bit: either word.
    bool Either(std::uint32_t n) const { return view_.two_word ? W0(n) || W1(n) : W0(n); }
    bool Neither(std::uint32_t n) const { return !Either(n); }

private:
    std::uint32_t Word(std::uint32_t n, int which) const
    {
        const std::size_t index = view_.two_word ? 2 * static_cast<std::size_t>(n) + static_cast<std::size_t>(which) : n;
        return static_cast<std::uint32_t>(view_.words[index]);
    }

    const AsyncSampleView& view_;
    unsigned mask_;
};

// Frame positions relative to a start edge; int64 so that a long interval near the end of a
// large memory never wraps.
struct Layout {
    double T;
    int bits;
    int p;

    std::int64_t StartMiddle(std::int64_t e) const { return e + static_cast<std::int64_t>(0.5 * T); }
    std::int64_t Bit(std::int64_t e, int b) const { return e + static_cast<std::int64_t>((b + 1.5) * T); }
    std::int64_t Parity(std::int64_t e) const { return e + static_cast<std::int64_t>((bits + 1.5) * T); }
    std::int64_t StopMiddle(std::int64_t e) const { return e + static_cast<std::int64_t>((bits + 1 + p + 0.5) * T); }
    std::int64_t End(std::int64_t e) const { return e + static_cast<std::int64_t>((bits + 1 + p + 1.0) * T); }
};

struct Chain {
    std::vector<int> bits;
    std::vector<std::uint32_t> starts;
    std::vector<std::uint32_t> ends;
    std::vector<std::uint8_t> bad;
};

bool ParityBad(int parity, int x, int bp)
{
    switch (parity) {
    case PARITY_ODD: return (x ^ bp) == 0;
    case PARITY_EVEN: return (x ^ bp) == 1;
    case PARITY_MARK: return bp == 0;
    case PARITY_SPACE: return bp == 1;
    default: return false;
    }
}

bool Qualifies(const Reader& r, const Layout& l, std::int64_t e, std::int64_t last, bool twoWord)
{
    const std::int64_t s = l.StopMiddle(e);
    if (s > last)
        return false;
    const auto ue = static_cast<std::uint32_t>(e);
    const auto us = static_cast<std::uint32_t>(s);
    if (!twoWord)
        return !r.W0(ue) && r.W0(us);
    // A start edge sample may be mixed (the line fell within it) when the start bit's middle
    // is fully low.
    return !r.Both(ue) && (r.Neither(ue) || r.Neither(static_cast<std::uint32_t>(l.StartMiddle(e)))) && r.Either(us);
}

// Follows frames from edge k on; false when a frame breaks the chain.
bool FollowChain(const Reader& r, const Layout& l, const std::vector<std::uint32_t>& edges, std::size_t k,
                 std::int64_t last, int parity, Chain& chain)
{
    std::size_t m = k;
    while (true) {
        const std::int64_t e2 = edges[m];
        const std::int64_t s = l.StopMiddle(e2);
        if (s > last)
            return true;
        if (r.Both(static_cast<std::uint32_t>(e2)) || r.Neither(static_cast<std::uint32_t>(s)))
            return false;
        int x = 0;
        for (int b = 0; b < l.bits; ++b) {
            const int bit = r.Both(static_cast<std::uint32_t>(l.Bit(e2, b))) ? 1 : 0;
            chain.bits.push_back(bit);
            x ^= bit;
        }
        chain.starts.push_back(static_cast<std::uint32_t>(e2));
        chain.ends.push_back(static_cast<std::uint32_t>(std::min<std::int64_t>(l.End(e2), UINT32_MAX)));
        bool bad = false;
        if (parity != PARITY_NONE)
            bad = ParityBad(parity, x, r.Both(static_cast<std::uint32_t>(l.Parity(e2))) ? 1 : 0);
        chain.bad.push_back(bad ? 1 : 0);
        while (m < edges.size() && static_cast<std::int64_t>(edges[m]) <= s)
            ++m;
        if (m >= edges.size())
            return true;
    }
}

}  // namespace

void FindAsyncEdges(const AsyncSampleView& view, unsigned mask, std::uint32_t first, std::uint32_t last,
                    std::vector<std::uint32_t>& edges, std::vector<std::uint32_t>& intervals)
{
    edges.clear();
    intervals.clear();
    if (view.words == nullptr || view.count == 0 || first > last || first >= view.count)
        return;
    last = static_cast<std::uint32_t>(std::min<std::size_t>(last, view.count - 1));
    const Reader r(view, mask);
    bool level = r.Both(first);
    for (std::uint32_t n = first + 1; n <= last && n != 0; ++n) {
        const bool now = level ? r.Both(n) : r.Either(n);
        if (now == level)
            continue;
        level = now;
        if (!edges.empty())
            intervals.push_back(n - edges.back());
        edges.push_back(n);
    }
}

double AsyncBitInterval(std::vector<std::uint32_t> intervals)
{
    if (intervals.empty())
        return 0;
    std::sort(intervals.begin(), intervals.end());
    const double min = intervals.front();
    int k = 1;
    double threshold = 1.5 * min;
    double sum = 0;
    for (const std::uint32_t v : intervals) {
        while (threshold < v) {
            ++k;
            threshold = (k + 0.5) * min;
        }
        sum += v / static_cast<double>(k);
    }
    return sum / static_cast<double>(intervals.size());
}

std::string FormatAsyncValue(const AsyncFrame& frame, int data_bits)
{
    char text[16];
    const int digits = std::clamp((data_bits + 3) / 4, 1, 4);
    std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(frame.value));
    return std::string(text) + (frame.bad != 0 ? "!" : "");
}

AsyncNetResult DecodeAsyncNet(const AsyncSampleView& view, std::uint32_t first, std::uint32_t last,
                              const AsyncNetSettings& net, int timeout, const std::string& name,
                              double ns_per_sample)
{
    AsyncNetResult result;
    result.text = "Цепь " + name + "\r\n";
    std::vector<std::uint32_t> edges, intervals;
    if (view.count > 0)
        last = static_cast<std::uint32_t>(std::min<std::size_t>(last, view.count - 1));
    FindAsyncEdges(view, net.mask, first, last, edges, intervals);
    const double T = AsyncBitInterval(intervals);
    result.bit_interval = T;
    if (T == 0) {
        result.text += "Не удалось определить скорость\r\n";
        return result;
    }
    const double hz = ns_per_sample > 0 ? 1e9 / (ns_per_sample * T) : 0;
    result.text += "Скорость " + FormatFrequency(hz);
    if (T < kSmallInterval)
        result.text += "\r\nСлишком маленький определенный битовый интервал - возможно данные некорректны";

    const int bits = std::clamp(net.data_bits, 1, 16);
    const int parity = std::clamp(net.parity, 0, 4);
    const Layout layout{T, bits, parity != PARITY_NONE ? 1 : 0};
    const Reader reader(view, net.mask);

    Chain chain;
    bool found = false;
    for (std::size_t k = 0; k < edges.size() && !found; ++k) {
        if (!Qualifies(reader, layout, edges[k], last, view.two_word))
            continue;
        chain = Chain{};
        found = FollowChain(reader, layout, edges, k, last, parity, chain);
    }
    if (!found) {
        // The block still ends its line, so the next net's header starts on its own.
        result.text += "\r\n";
        return result;
    }

    // Signed: a first frame right at the start of the range must still open a packet.
    double prevEnd = -(timeout * T);
    std::uint32_t value = 0;
    for (std::size_t m = 0; m < chain.bits.size(); ++m) {
        const int index = static_cast<int>(m % static_cast<std::size_t>(bits));
        const int position = net.msb != 0 ? bits - 1 - index : index;
        if (chain.bits[m] != 0)
            value |= 1u << position;
        if (index != bits - 1)
            continue;
        const std::size_t f = m / static_cast<std::size_t>(bits);
        AsyncFrame frame;
        frame.first_sample = chain.starts[f];
        frame.last_sample = chain.ends[f];
        frame.value = static_cast<std::uint16_t>(value);
        frame.bad = chain.bad[f];
        const bool open = timeout == 0 ? result.packets.empty()
                                       : (timeout * T < frame.first_sample - prevEnd || result.packets.empty());
        if (open) {
            result.packets.emplace_back();
            result.text += "\r\nПосылка №" + std::to_string(result.packets.size()) + ":\r\n";
        }
        result.packets.back().push_back(frame);
        const std::string shown = FormatAsyncValue(frame, bits);
        result.text += frame.bad != 0 ? shown : shown + " ";
        prevEnd = frame.last_sample;
        value = 0;
    }
    result.text += "\r\n";
    return result;
}
