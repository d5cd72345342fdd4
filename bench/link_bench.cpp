// The link's throughput with an instrument that answers at once, and the CPU the worker uses
// while idle.

#include "core/link/DeviceLink.h"
#include "core/protocol/PacketData.h"
#include "core/protocol/PacketFrame.h"
#include "sim/SimComm.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <memory>
#include <thread>

namespace {

// Counts the frames handled. By default it leaves the preset state query as its reply (an
// instrument at rest answers it alike every time); asking, it sends a request of its own.
class CountingDispatcher : public CPacketDispatch {
public:
    explicit CountingDispatcher(bool asking = false) : asking_(asking) {}
    void HandlePacket() override
    {
        handled.fetch_add(1, std::memory_order_relaxed);
        if (asking_) {
            SetFrameLength(reply_frame, 1);
            reply_frame[3] = PACKET_DATA_GET_VERSION;
        }
    }
    void Reset() override {}
    void SetConnected(bool) override {}
    std::atomic<long> handled{0};

private:
    bool asking_;
};

double ProcessCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

CComm* ChooseSim(std::shared_ptr<VirtualInstrument> instrument)
{
    auto* sim = new CSimComm(std::move(instrument));
    sim->Enumerate();
    sim->Select(0);
    return sim;
}

// Exchanges per second of wall time while the dispatcher has requests of its own: requests keep
// 1 ms apart, so about 1000 is the ceiling.
void BM_ExchangesPerSecond(benchmark::State& state)
{
    auto instrument = std::make_shared<VirtualInstrument>(SystemClock());
    CountingDispatcher dispatcher(true);
    DeviceLink link(&dispatcher, SystemClock());
    link.SetChooser([&] { return ChooseSim(instrument); });
    link.ToggleConnection();
    long total = 0;
    double seconds = 0;
    for (auto _ : state) {
        const long before = dispatcher.handled.load();
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(2));
        const long after = dispatcher.handled.load();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        total += after - before;
    }
    link.StopThread();
    state.counters["exchanges_per_s"] = static_cast<double>(total) / seconds;
}
BENCHMARK(BM_ExchangesPerSecond)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

// CPU milliseconds per second of wall time used by the process while the link idles in the
// given state (the benchmark thread itself only sleeps).
void IdleCpu(benchmark::State& state, int mode)
{
    auto instrument = std::make_shared<VirtualInstrument>(SystemClock());
    if (mode == 1)
        instrument->SetSilent(true);
    CountingDispatcher dispatcher;
    DeviceLink link(&dispatcher, SystemClock());
    if (mode != 0) {
        link.SetChooser([&] { return ChooseSim(instrument); });
        link.ToggleConnection();
    }
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const double cpuStart = ProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(2));
        cpu += ProcessCpuSeconds() - cpuStart;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    link.StopThread();
    state.counters["cpu_ms_per_s"] = 1000.0 * cpu / wall;
}

void BM_IdleCpuDisconnected(benchmark::State& state) { IdleCpu(state, 0); }
void BM_IdleCpuConnectedSilentDevice(benchmark::State& state) { IdleCpu(state, 1); }
void BM_IdleCpuConnectedPolling(benchmark::State& state) { IdleCpu(state, 2); }
BENCHMARK(BM_IdleCpuDisconnected)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleCpuConnectedSilentDevice)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleCpuConnectedPolling)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
