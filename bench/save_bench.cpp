// The save dialog's writers on the largest buffer (variant 1: 131072 samples per channel, or
// 65536 min/max pairs), both channels analogue: building the text and storing it with CR LF
// line ends. Reports the file size alongside the time.

#include "core/config/ConfigSections.h"
#include "core/data/DataV1.h"
#include "tools/save/SaveWriters.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

void BM_BufferSave(benchmark::State& state, bool csv, bool pairs)
{
    ConfigSections.clear();
    DataV1 d;
    d.osc_cr = static_cast<std::uint16_t>(OSC_CR_CH_A_ON | OSC_CR_CH_B_ON | (pairs ? OSC_CR_MIN_MAX : 0));
    for (int c = 0; c < 2; ++c)
        for (unsigned i = 0; i < d.GetSampleBufferLength(); ++i)
            d.sample_buffer[c][i] = static_cast<int>((i * 37 + c * 11) % 256) - 128;
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("velkaro-save-bench-" + std::to_string(::getpid()) + (csv ? ".csv" : ".txt")))
                                 .string();
    for (auto _ : state) {
        const std::string text = csv ? BuildCsvTable(d, SaveSource::Buffer) : BuildTextReport(d, SaveSource::Buffer);
        if (!WriteTextFile(path, text)) state.SkipWithError("not written");
    }
    state.counters["samples"] = d.GetMemoryDepth();
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove(path);
}

}  // namespace

BENCHMARK_CAPTURE(BM_BufferSave, csv_plain, true, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BufferSave, csv_minmax, true, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BufferSave, text_plain, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BufferSave, text_minmax, false, true)->Unit(benchmark::kMillisecond);
