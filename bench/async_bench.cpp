// The asynchronous decoder on a full memory: 131072 samples, 10 samples per bit, random bytes
// after an idle lead-in, plain and two-word; once more with a framing error near the end, where
// every chain start before it runs up to it (the chain search's worst case). And the overlay's
// paint of a full-memory result, as each chart redraw does it.

#include "logic/async/AsyncDecode.h"
#include "logic/async/AsyncOverlay.h"

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObjects.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr std::size_t kSamples = 131072;
constexpr int kSamplesPerBit = 10;
constexpr int kLine = 0;

// One level per sample: idle lead-in, then 8N1 frames of random bytes with 0..3 idle bits
// between them; `brokenAt` frames from the end has a low stop bit.
std::vector<std::uint8_t> Levels(int brokenFromEnd)
{
    std::mt19937 random(12345);
    std::vector<std::uint8_t> levels(200, 1);
    const std::size_t frameLength = 10 * kSamplesPerBit;
    std::vector<std::size_t> frameStarts;
    while (levels.size() + frameLength + 3 * kSamplesPerBit < kSamples) {
        frameStarts.push_back(levels.size());
        const unsigned value = random() & 0xFF;
        levels.insert(levels.end(), kSamplesPerBit, 0);
        for (int b = 0; b < 8; ++b)
            levels.insert(levels.end(), kSamplesPerBit, static_cast<std::uint8_t>((value >> b) & 1));
        levels.insert(levels.end(), kSamplesPerBit, 1);
        levels.insert(levels.end(), static_cast<std::size_t>(random() % 4) * kSamplesPerBit, 1);
    }
    if (brokenFromEnd > 0 && static_cast<std::size_t>(brokenFromEnd) < frameStarts.size()) {
        const std::size_t start = frameStarts[frameStarts.size() - static_cast<std::size_t>(brokenFromEnd)];
        std::fill(levels.begin() + static_cast<std::ptrdiff_t>(start + 9 * kSamplesPerBit),
                  levels.begin() + static_cast<std::ptrdiff_t>(start + 10 * kSamplesPerBit), 0);
    }
    levels.resize(kSamples, 1);
    return levels;
}

std::vector<std::int32_t> Words(const std::vector<std::uint8_t>& levels, bool twoWord)
{
    std::vector<std::int32_t> words;
    words.reserve(levels.size() * (twoWord ? 2 : 1));
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const std::int32_t now = levels[i] != 0 ? 1 << kLine : 0;
        if (twoWord)
            words.push_back(i > 0 && levels[i - 1] != 0 ? 1 << kLine : 0);
        words.push_back(now);
    }
    return words;
}

void Decode(benchmark::State& state, bool twoWord, int brokenFromEnd)
{
    const std::vector<std::int32_t> words = Words(Levels(brokenFromEnd), twoWord);
    const AsyncSampleView view{words.data(), kSamples, twoWord};
    AsyncNetSettings net;
    net.mask = 1u << kLine;
    std::size_t frames = 0;
    for (auto _ : state) {
        AsyncNetResult r = DecodeAsyncNet(view, 0, kSamples - 1, net, 0, "RX", 100);
        frames = r.packets.empty() ? 0 : r.packets[0].size();
        benchmark::DoNotOptimize(r);
    }
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["time_per_Msample"] = benchmark::Counter(
        static_cast<double>(kSamples) / 1e6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_AsyncPlain(benchmark::State& state) { Decode(state, false, 0); }
void BM_AsyncTwoWord(benchmark::State& state) { Decode(state, true, 0); }
void BM_AsyncPlainFramingErrorNearEnd(benchmark::State& state) { Decode(state, false, 3); }
void BM_AsyncTwoWordFramingErrorNearEnd(benchmark::State& state) { Decode(state, true, 3); }

// The overlay of a full-memory result on a 916 x 525 chart, the whole memory squeezed into
// the 300 points (worst case: every frame's box is drawn).
void BM_AsyncOverlayPaint(benchmark::State& state)
{
    const std::vector<std::int32_t> words = Words(Levels(0), false);
    const AsyncSampleView view{words.data(), kSamples, false};
    AsyncNetSettings net;
    net.mask = 1u << kLine;
    const AsyncNetResult r = DecodeAsyncNet(view, 0, kSamples - 1, net, 0, "RX", 100);
    CDC dc;
    CBitmap bitmap;
    dc.CreateCompatibleDC(nullptr);
    bitmap.CreateCompatibleBitmap(&dc, 916, 525);
    dc.SelectObject(&bitmap);
    LOGBRUSH brush{BS_SOLID, 0xFFC8C8, 0};
    const DWORD dots[] = {1, 4};
    CPen pen;
    pen.CreatePen(PS_GEOMETRIC | PS_USERSTYLE, 1, &brush, 2, dots);
    CFont font;
    font.CreatePointFont(70, "Courier New", &dc);
    dc.SelectObject(&pen);
    dc.SelectObject(&font);
    dc.SetTextAlign(TA_BOTTOM | TA_CENTER);
    AsyncOverlayGeometry g;
    g.points_per_sample = static_cast<double>(state.range(0)) / kSamples;
    g.x_of = [](double p) { return 40 + static_cast<int>(p * 2.8); };
    g.top = 300;
    g.bottom = 330;
    for (auto _ : state)
        DrawAsyncFrames(dc, r.packets, 3, 8, g);
    state.counters["frames"] = static_cast<double>(r.packets.empty() ? 0 : r.packets[0].size());
}

}  // namespace

BENCHMARK(BM_AsyncPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AsyncTwoWord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AsyncPlainFramingErrorNearEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AsyncTwoWordFramingErrorNearEnd)->Unit(benchmark::kMillisecond);
// 300 points over the whole memory, and a zoomed view of 300 points over 30000 samples.
BENCHMARK(BM_AsyncOverlayPaint)->Arg(300)->Arg(300 * kSamples / 30000)->Unit(benchmark::kMicrosecond);
