// A full-memory read-out of a stopped capture through the whole link: the worker thread, the
// oscilloscope dispatcher and the virtual instrument reached in-process, answering at once, all
// on the real clock. The worker sleeps 1 ms per pass and completes at most one exchange per
// pass, so a read-out of the 131072 samples of both channels of variant 1 in pieces of 2029
// samples (65 exchanges per channel) cannot take less than about 130 ms; the figures show how
// close the chain comes to that floor.

#include "core/config/ConfigSections.h"
#include "core/data/OscData.h"
#include "core/dispatch/OscDispatch.h"
#include "core/link/DeviceLink.h"
#include "sim/SimComm.h"
#include "sim/VirtualInstrument.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace {

// Samples one CH answer carries at most (one byte per sample, no min/max).
constexpr int kPieceSamples = 2029;

// The dispatcher, waking waiters after every packet it handles.
class CountingDispatch : public COscDispatch {
public:
    void HandlePacket() override
    {
        COscDispatch::HandlePacket();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++handled_;
        }
        wake_.notify_all();
    }

    unsigned Handled()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return handled_;
    }

    // Waits until the predicate holds under DataLock; false when it does not within `limit`
    // (a broken chain; the benchmark reports an error rather than hanging).
    bool WaitFor(const std::function<bool(OscData&)>& condition, std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            const unsigned seen = Handled();
            {
                CSingleLock lock(&DataLock, TRUE);
                if (condition(*GetOscData())) return true;
            }
            std::unique_lock<std::mutex> lock(mutex_);
            if (!wake_.wait_until(lock, end, [&] { return handled_ != seen; })) return false;
        }
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    unsigned handled_ = 0;
};

// Variant 1 connected, a single free-running capture taken and the stopped device holding it.
struct Chain {
    std::shared_ptr<VirtualInstrument> sim = std::make_shared<VirtualInstrument>();
    CountingDispatch dispatch;
    std::unique_ptr<DeviceLink> link;
    const char* error = nullptr;

    Chain()
    {
        DeleteOscData();
        ConfigSections.clear();
        sim->SetVersion(1, 0);
        link = std::make_unique<DeviceLink>(&dispatch);
        link->SetChooser([this]() -> CComm* {
            auto* comm = new CSimComm(sim);
            comm->Enumerate();
            comm->Select(0);
            return comm;
        });
        link->ToggleConnection();
        if (!link->IsRunning()) {
            error = "the link did not connect";
            return;
        }
        if (!dispatch.WaitFor(
                [](OscData& d) {
                    return (d.mode & MODE_LINKED) != 0 && d.GetVersion() == 1 &&
                           (d.changes & CHANGE_ALL_REGISTERS) == 0 && d.cycle_counter > 0;
                },
                std::chrono::seconds(10))) {
            error = "the device was not identified";
            return;
        }
        {
            CSingleLock lock(&DataLock, TRUE);
            OscData& d = *GetOscData();
            d.EnableChannelB(true);
            d.t_div = 0;  // the fastest time base: the capture fills the memory at once
            d.SolveTimebase();
            d.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_TRIGGER_ON);
            d.changes |= CHANGE_CAPTURE | CHANGE_SKIP;
            d.mode |= MODE_SINGLE;
        }
        if (!dispatch.WaitFor(
                [](OscData& d) {
                    return (d.mode & MODE_STOPPED) != 0 && (d.status & STATUS_MEMORY_READ) != 0;
                },
                std::chrono::seconds(20))) {
            error = "the single capture was not read out";
            return;
        }
        CSingleLock lock(&DataLock, TRUE);
        if (GetOscData()->GetMemoryDepth() != 131072u) error = "variant 1 is not 131072 samples deep";
    }

    ~Chain()
    {
        link->StopThread();
        link.reset();
        DeleteOscData();
        ConfigSections.clear();
    }
};

void BM_FullMemoryReadOutVariant1(benchmark::State& state)
{
    Chain chain;
    if (chain.error != nullptr) {
        state.SkipWithError(chain.error);
        return;
    }
    std::int64_t exchanges = 0;
    std::int64_t pieces = 0;
    double seconds = 0.0;
    for (auto _ : state) {
        const int readsBefore = chain.sim->GetCounters().readOuts;
        const unsigned handledBefore = chain.dispatch.Handled();
        const auto start = std::chrono::steady_clock::now();
        {
            // Forget the read-out: the next STATE of the stopped device starts it again.
            CSingleLock lock(&DataLock, TRUE);
            OscData& d = *GetOscData();
            d.status &= ~STATUS_MEMORY_READ;
            d.read_state = 0;
            d.read_position = 0;
        }
        const bool done = chain.dispatch.WaitFor(
            [](OscData& d) { return (d.status & STATUS_MEMORY_READ) != 0; }, std::chrono::seconds(10));
        const auto end = std::chrono::steady_clock::now();
        if (!done) {
            state.SkipWithError("the read-out did not complete");
            return;
        }
        const double elapsed = std::chrono::duration<double>(end - start).count();
        state.SetIterationTime(elapsed);
        seconds += elapsed;
        pieces += chain.sim->GetCounters().readOuts - readsBefore;
        exchanges += chain.dispatch.Handled() - handledBefore;
    }
    const double iterations = static_cast<double>(state.iterations());
    const int perChannel = (131072 + kPieceSamples - 1) / kPieceSamples;
    state.counters["get_ch_per_readout"] = static_cast<double>(pieces) / iterations;
    state.counters["exchanges_per_readout"] = static_cast<double>(exchanges) / iterations;
    // The floor the 1 ms pass sets: one exchange per pass, both channels.
    state.counters["floor_ms"] = 2.0 * perChannel;
    if (exchanges > 0) state.counters["ms_per_exchange"] = seconds * 1000.0 / static_cast<double>(exchanges);
    state.SetItemsProcessed(state.iterations() * 2 * 131072);
}

}  // namespace

BENCHMARK(BM_FullMemoryReadOutVariant1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
