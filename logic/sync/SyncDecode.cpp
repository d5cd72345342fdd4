#include "logic/sync/SyncDecode.h"

#include <algorithm>

namespace {

// Reads one line of one channel; a channel outside 0..1 or without a buffer reads as low, so
// a bad setting can never index outside the capture.
struct LineReader {
    const std::int32_t* words = nullptr;
    std::uint32_t mask = 0;

    LineReader(const SyncCaptureView& view, int channel, std::uint32_t lineMask)
    {
        if (channel == 0 || channel == 1) words = view.words[channel];
        mask = words != nullptr ? lineMask : 0u;
    }
    // The one word of a plain sample, or w0 of a two-word sample.
    bool First(std::size_t index) const { return words != nullptr && (static_cast<std::uint32_t>(words[index]) & mask) != 0; }
};

struct PlainLayout {
    static constexpr std::size_t kWords = 1;
    static bool Seed(const LineReader& r, std::size_t n) { return r.First(n); }
    // A plain sample is its own level whatever came before.
    static bool Clock(const LineReader& r, std::size_t n, bool) { return r.First(n); }
    static bool Cs(const LineReader& r, std::size_t n, bool activeLow) { return r.First(n) != activeLow; }
    static bool Data(const LineReader& r, std::size_t n, bool& valid)
    {
        valid = true;
        return r.First(n);
    }
};

struct TwoWordLayout {
    static constexpr std::size_t kWords = 2;
    static bool Seed(const LineReader& r, std::size_t n) { return r.First(2 * n) && r.First(2 * n + 1); }
    // A pair that disagrees is a transition inside the sample: the level moves only once the
    // change is certain in the direction it goes, so a glitch does not toggle the clock twice.
    static bool Clock(const LineReader& r, std::size_t n, bool previous)
    {
        const bool w0 = r.First(2 * n);
        const bool w1 = r.First(2 * n + 1);
        return previous ? (w0 && w1) : (w0 || w1);
    }
    static bool Cs(const LineReader& r, std::size_t n, bool activeLow)
    {
        const bool w0 = r.First(2 * n);
        const bool w1 = r.First(2 * n + 1);
        return activeLow ? (!w0 && !w1) : (w0 && w1);
    }
    static bool Data(const LineReader& r, std::size_t n, bool& valid)
    {
        const bool w0 = r.First(2 * n);
        valid = w0 == r.First(2 * n + 1);
        return w0;
    }
};

template <class Layout, bool WithCs>
void DecodeWith(const SyncCaptureView& view, const SyncSettings& s, SyncResult& result)
{
    result.clock_edges.clear();
    for (auto& packets : result.packets) packets.clear();

    const std::size_t depth = view.samples;
    if (s.start < 0) return;
    const std::size_t start = static_cast<std::size_t>(s.start);
    if (start + 1 >= depth) return;

    const int bits = SyncClampBits(s.bits);
    const int nets = SyncClampNets(s.num_data_nets);
    const LineReader clock(view, s.clk_channel, s.clk_mask);
    const LineReader cs(view, s.cs_channel, s.cs_mask);
    const bool activeLow = s.cs_active_low != 0;
    const bool falling = s.clk_falling != 0;
    LineReader data[kSyncMaxDataNets] = {
        {view, s.data_channel[0], s.data_mask[0]}, {view, s.data_channel[1], s.data_mask[1]},
        {view, s.data_channel[2], s.data_mask[2]}, {view, s.data_channel[3], s.data_mask[3]}};

    bool level = Layout::Seed(clock, start);
    bool csActive = false;
    bool opened = false;  // without chip select: the one packet exists
    int counter = 0;

    for (std::size_t n = start + 1; n < depth; ++n) {
        const bool now = Layout::Clock(clock, n, level);
        const bool edge = now != level && now != falling;
        level = now;
        if constexpr (WithCs) {
            const bool active = Layout::Cs(cs, n, activeLow);
            // Every assertion is a packet of its own, even when no clock follows it.
            if (active && !csActive) {
                for (int i = 0; i < nets; ++i) result.packets[i].emplace_back();
                counter = 0;
            }
            csActive = active;
            if (!active) continue;
        }
        if (!edge) continue;
        if constexpr (!WithCs) {
            if (!opened) {
                for (int i = 0; i < nets; ++i) result.packets[i].emplace_back();
                opened = true;
            }
        }
        const auto sample = static_cast<std::uint32_t>(n);
        result.clock_edges.push_back(sample);
        for (int i = 0; i < nets; ++i) {
            SyncPacket& packet = result.packets[i].back();
            if (counter == 0) {
                packet.emplace_back();
                packet.back().first_sample = sample;
            }
            SyncSymbol& symbol = packet.back();
            const int position = s.data_lsb_first[i] != 0 ? counter : bits - 1 - counter;
            const std::uint32_t bit = 1u << position;
            bool valid = true;
            if (Layout::Data(data[i], n, valid)) symbol.value |= bit;
            if (valid) symbol.valid_mask |= bit;
            symbol.last_sample = sample;
        }
        if (++counter == bits) counter = 0;
    }
}

}  // namespace

int SyncClampBits(int bits)
{
    return std::clamp(bits, kSyncMinBits, kSyncMaxBits);
}

int SyncClampNets(int nets)
{
    return std::clamp(nets, 1, kSyncMaxDataNets);
}

std::uint32_t SyncCompleteMask(int bits)
{
    return 2u * (1u << (SyncClampBits(bits) - 1)) - 1u;
}

bool SyncIsComplete(const SyncSymbol& symbol, int bits)
{
    return symbol.valid_mask == SyncCompleteMask(bits);
}

void SyncDecodePlain(const SyncCaptureView& view, const SyncSettings& settings, SyncResult& result)
{
    DecodeWith<PlainLayout, false>(view, settings, result);
}

void SyncDecodePlainWithCs(const SyncCaptureView& view, const SyncSettings& settings, SyncResult& result)
{
    DecodeWith<PlainLayout, true>(view, settings, result);
}

void SyncDecodeMinMax(const SyncCaptureView& view, const SyncSettings& settings, SyncResult& result)
{
    DecodeWith<TwoWordLayout, false>(view, settings, result);
}

void SyncDecodeMinMaxWithCs(const SyncCaptureView& view, const SyncSettings& settings, SyncResult& result)
{
    DecodeWith<TwoWordLayout, true>(view, settings, result);
}

void SyncDecode(const SyncCaptureView& view, const SyncSettings& settings, SyncResult& result)
{
    const bool cs = settings.cs_used != 0;
    if (view.two_word)
        cs ? SyncDecodeMinMaxWithCs(view, settings, result) : SyncDecodeMinMax(view, settings, result);
    else
        cs ? SyncDecodePlainWithCs(view, settings, result) : SyncDecodePlain(view, settings, result);
}

CString SyncFormatSymbol(const SyncSymbol& symbol, int bits)
{
    bits = SyncClampBits(bits);
    const int digits = (bits + 3) / 4;
    const std::uint32_t complete = SyncCompleteMask(bits);
    const std::uint32_t value = symbol.value & complete;
    CString text;
    if ((symbol.valid_mask & complete) == complete) {
        text.Format("%0*X", digits, value);
        return text;
    }
    for (int d = digits - 1; d >= 0; --d) {
        // Only the bits of the top nibble that lie inside the symbol need to be there.
        const std::uint32_t nibble = (0xFu << (4 * d)) & complete;
        if ((symbol.valid_mask & nibble) == nibble)
            text.AppendFormat("%X", (value >> (4 * d)) & 0xFu);
        else
            text += 'X';
    }
    text += " (b";
    for (int b = bits - 1; b >= 0; --b) {
        const std::uint32_t bit = 1u << b;
        text += (symbol.valid_mask & bit) == 0 ? 'x' : ((value & bit) != 0 ? '1' : '0');
    }
    text += ')';
    return text;
}

int SyncCountIncomplete(const SyncPacket& packet, int bits)
{
    return static_cast<int>(std::count_if(packet.begin(), packet.end(),
                                          [bits](const SyncSymbol& s) { return !SyncIsComplete(s, bits); }));
}

CString SyncResultText(const SyncResult& result, const SyncSettings& settings,
                       const CString (&names)[kSyncMaxDataNets])
{
    const int bits = SyncClampBits(settings.bits);
    const int nets = SyncClampNets(settings.num_data_nets);
    CString text;
    for (int i = 0; i < nets; ++i) {
        text.AppendFormat("Цепь данных %s:\r\n", names[i].GetString());
        int number = 0;
        for (const SyncPacket& packet : result.packets[i]) {
            text.AppendFormat("Посылка №%d:\r\n", ++number);
            for (const SyncSymbol& symbol : packet) text += SyncFormatSymbol(symbol, bits);
            text.AppendFormat("\r\nКоличество неполных символов %d\r\n", SyncCountIncomplete(packet, bits));
        }
    }
    return text;
}
