// The virtual instrument's costs per answer: a full read-out packet, one trigger search step,
// a peak-detector read-out at a slow time base, and a whole memory image.

#include "core/protocol/PacketData.h"
#include "core/protocol/PacketFrame.h"
#include "platform/kernel/ManualClock.h"
#include "sim/VirtualInstrument.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Frame(const void* packet, std::size_t size)
{
    Bytes frame(size + 4);
    SetFrameLength(frame.data(), static_cast<std::uint16_t>(size));
    std::memcpy(frame.data() + 3, packet, size);
    frame[0] = FRAME_START;
    frame.back() = Crc8(frame.data(), frame.size() - 1);
    return frame;
}

std::size_t Ask(VirtualInstrument& sim, const Bytes& frame)
{
    sim.Receive(frame.data(), frame.size());
    std::size_t bytes = 0;
    for (const auto& chunk : sim.TakeOutput())
        bytes += chunk.size();
    return bytes;
}

void Start(VirtualInstrument& sim, std::uint16_t oscCr, std::uint32_t samples, std::uint32_t parts, std::int8_t level)
{
    PacketDataStructure<PACKET_DATA_START_CYCLONE> start{};
    start.data_id = PACKET_DATA_START_CYCLONE;
    start.osc_cr = oscCr;
    start.samples = samples;
    start.samples_parts = parts;
    start.trigger_value = level;
    Ask(sim, Frame(&start, sizeof(start)));
}

Bytes GetCh(std::uint32_t length)
{
    PacketDataStructure<PACKET_DATA_GET_CH> get{};
    get.data_id = PACKET_DATA_GET_CH;
    get.offset = 100;
    get.length = length;
    return Frame(&get, sizeof(get));
}

void BM_PlainReadOut2029(benchmark::State& state)
{
    ManualClock clock;
    VirtualInstrument sim(clock);
    sim.SetVersion(2, 0);
    Start(sim, 0x1001, 1499, 0, 0);
    clock.Advance(10);
    const Bytes get = GetCh(2029);
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes += Ask(sim, get);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_PlainReadOut2029);

void BM_PeakDetectorReadOut1014SlowTimeBase(benchmark::State& state)
{
    ManualClock clock;
    VirtualInstrument sim(clock);
    sim.SetVersion(1, 0);
    Start(sim, 0x1021, 65536, 39999, 0); // 1000 converter samples per pair
    clock.Advance(100000);
    const Bytes get = GetCh(1014);
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes += Ask(sim, get);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_PeakDetectorReadOut1014SlowTimeBase);

// A level the sine never reaches: every STATE searches its full budget of samples.
void BM_TriggerSearchStep(benchmark::State& state)
{
    ManualClock clock;
    VirtualInstrument sim(clock);
    sim.SetVersion(2, 0);
    Start(sim, 0x1013, 749, 0, 127);
    const Bytes get = Frame("\x15", 1);
    for (auto _ : state) {
        clock.Advance(1); // 80 000 new samples
        Ask(sim, get);
    }
}
BENCHMARK(BM_TriggerSearchStep);

void BM_MemoryImage131072(benchmark::State& state)
{
    ManualClock clock;
    VirtualInstrument sim(clock);
    sim.SetVersion(1, 0);
    Start(sim, 0x1001, 131072, 0, 0);
    clock.Advance(10);
    for (auto _ : state)
        benchmark::DoNotOptimize(sim.GetMemory(0));
    state.SetItemsProcessed(state.iterations() * 131072);
}
BENCHMARK(BM_MemoryImage131072);

} // namespace
