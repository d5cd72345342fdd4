// The mathematics window's work on a complete capture: the whole buffer's spectrum from the
// finished read-out to the drawn spectrum window (131072 samples on variant 1, 40000 on
// variant 3, which is no power of two), the screen spectrum's update on each of its ticks, and
// a 256-tap filter run over 131072 samples with its limits to 8-bit codes.

#include "core/data/OscData.h"
#include "platform/kernel/Sync.h"
#include "platform/ui/testing/UiTest.h"
#include "resources/Resources.h"
#include "tools/fft/CDialogFFT.h"
#include "tools/fir/HannWindow.h"
#include "tools/fir/LPF.h"
#include "tools/math/MathBuffer.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

void PrepareModel(int version)
{
    uitest::EnsureApplication();
    RegisterVelkaroResources();
    CSingleLock lock(&DataLock, TRUE);
    SelectOscDataVersion(version, 0);
    OscData& data = *GetOscData();
    data.osc_cr &= ~(OSC_CR_MIN_MAX | OSC_CR_LOGIC_A | OSC_CR_LOGIC_B);
    data.osc_cr |= OSC_CR_CH_A_ON;
    const unsigned n = data.GetMemoryDepth();
    for (unsigned i = 0; i < n && i < data.GetSampleBufferLength(); ++i)
        data.sample_buffer[0][i] = static_cast<int>(std::lround(90 * std::sin(0.01 * i) + 20 * std::sin(0.7 * i)));
}

void BM_BufferSpectrumToWindow(benchmark::State& state)
{
    PrepareModel(static_cast<int>(state.range(0)));
    CRect rect = CDialogFFT::DefaultRect();
    unsigned points = 0;
    for (auto _ : state) {
        SpectrumSeries s;
        {
            CSingleLock lock(&DataLock, TRUE);
            s = BufferSpectrum(*GetOscData(), 0);
        }
        CDialogFFT window(&rect);
        window.ShowSpectrum(s.f, s.a, s.points);
        uitest::ProcessEvents();
        points = static_cast<unsigned>(s.points);
    }
    state.counters["samples"] = points;
}
BENCHMARK(BM_BufferSpectrumToWindow)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_ScreenSpectrumTick(benchmark::State& state)
{
    PrepareModel(2);
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData& data = *GetOscData();
        data.mode |= MODE_SPECTRUM | MODE_SPECTRUM_A;
        for (int i = 0; i < SCREEN_VALUES; ++i)
            data.screen_points[0][i] = static_cast<int>(std::lround(80 * std::sin(0.2 * i)));
    }
    CRect rect = CDialogFFT::DefaultRect();
    CDialogFFT window(&rect);
    int tick = 0;
    for (auto _ : state) {
        SpectrumSeries s;
        {
            CSingleLock lock(&DataLock, TRUE);
            OscData& data = *GetOscData();
            data.screen_points[0][tick++ % SCREEN_POINTS] ^= 7;
            data.ProcessFrame();
            s = ScreenSpectrum(data);
        }
        window.UpdateSpectrum(s.points, s.f, s.a);
        uitest::ProcessEvents();
    }
}
BENCHMARK(BM_ScreenSpectrumTick)->Unit(benchmark::kMicrosecond);

void BM_FilterWholeBuffer(benchmark::State& state)
{
    PrepareModel(1);
    std::uint32_t fs = 0;
    {
        CSingleLock lock(&DataLock, TRUE);
        fs = CaptureSampleRate(*GetOscData());
    }
    const int taps = static_cast<int>(state.range(0));
    HannWindow window(taps * 4, taps);
    window.FillGrid();
    window.Fill();
    LPF filter(window, fs, fs / 10.0);
    for (auto _ : state) {
        CSingleLock lock(&DataLock, TRUE);
        FilterBuffer(*GetOscData(), filter, FilterSelection::A);
    }
}
BENCHMARK(BM_FilterWholeBuffer)->Arg(256)->Unit(benchmark::kMillisecond);

}  // namespace
