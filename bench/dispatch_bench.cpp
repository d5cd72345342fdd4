// The dispatcher's share of one exchange on the link worker: a STATE packet answered, and one CH
// packet of samples received into the data model.

#include "core/config/ConfigSections.h"
#include "core/data/OscData.h"
#include "core/dispatch/OscDispatch.h"
#include "core/protocol/PacketData.h"
#include "core/protocol/PacketFrame.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

struct Bench {
    std::uint8_t received[2060] = {};
    std::uint8_t reply[272] = {};
    COscDispatch dispatch;

    explicit Bench(int version)
    {
        DeleteOscData();
        ConfigSections.clear();
        dispatch.received_frame = received;
        dispatch.reply_frame = reply;
        PacketDataStructure<PACKET_DATA_VERSION> v{};
        v.data_id = PACKET_DATA_VERSION;
        v.version_major = static_cast<std::uint8_t>(version);
        Load(&v, sizeof(v));
        Handle();
        if (version == 1 || version == 3) {
            // These devices are asked for their calibration data first.
            PacketDataStructure<PACKET_DATA_CALIBRATION_DATA> cal{};
            cal.data_id = PACKET_DATA_CALIBRATION_DATA;
            Load(&cal, sizeof(cal));
            Handle();
        }
        CSingleLock lock(&DataLock, TRUE);
        GetOscData()->changes = 0;
    }

    ~Bench() { DeleteOscData(); }

    void Load(const void* packet, std::size_t size)
    {
        received[0] = FRAME_START;
        SetFrameLength(received, static_cast<std::uint16_t>(size));
        std::memcpy(received + 3, packet, size);
        received[3 + size] = Crc8(received, 3 + size);
    }

    void Handle()
    {
        SetFrameLength(reply, 1);
        reply[3] = PACKET_DATA_GET_STATE;
        dispatch.HandlePacket();
    }

    void LoadState(std::uint16_t oscSr, std::uint16_t oscCr, std::uint32_t catched)
    {
        PacketDataStructure<PACKET_DATA_STATE> s{};
        s.data_id = PACKET_DATA_STATE;
        s.osc_sr = oscSr;
        s.osc_cr = oscCr;
        s.num_catched_samples = catched;
        Load(&s, sizeof(s));
    }

    // The answer to the GET_CH the dispatcher just left in its reply.
    void LoadAnswer()
    {
        PacketDataStructure<PACKET_DATA_GET_CH> get{};
        std::memcpy(&get, reply + 3, sizeof(get));
        PacketDataStructure<PACKET_DATA_CH> ch{};
        ch.data_id = PACKET_DATA_CH;
        ch.offset = get.offset;
        ch.buf_offset = get.buf_offset;
        ch.length = get.length;
        ch.ch = get.ch;
        ch.min_max = get.min_max;
        const std::size_t bytes = std::min<std::size_t>(get.length * (get.min_max ? 2u : 1u), 2029);
        for (std::size_t i = 0; i < bytes; ++i) ch.ch_data[i] = static_cast<std::int8_t>(i * 5);
        Load(&ch, 15 + bytes);
    }
};

// A STATE with nothing to ask: the running display's planner decides there is nothing to read.
void BM_StateIdle(benchmark::State& state)
{
    Bench b(static_cast<int>(state.range(0)));
    b.LoadState(0, 0x1001, 0);
    for (auto _ : state) {
        b.Handle();
        benchmark::DoNotOptimize(b.reply[3]);
    }
}
BENCHMARK(BM_StateIdle)->Arg(1)->Arg(2)->Arg(5);

// A STATE that plans a screen read of a stopped capture and asks for it.
void BM_StatePlansRead(benchmark::State& state)
{
    Bench b(1);
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData& d = *GetOscData();
        d.mode |= MODE_STOPPED;
        d.x_zoom_out_hw = d.x_zoom_out_sw = d.x_zoom_in = 1;
        d.x_offset = 0;
    }
    b.LoadState(0, 0x1001, 300);
    for (auto _ : state) {
        b.Handle();
        benchmark::DoNotOptimize(b.reply[3]);
    }
}
BENCHMARK(BM_StatePlansRead);

// One CH packet of a screen read: 300 plain samples (zoom 1), or 1200 averaged into 300 points.
void BM_ChScreen(benchmark::State& state)
{
    const int zoomOut = static_cast<int>(state.range(0));
    Bench b(1);
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData& d = *GetOscData();
        d.mode |= MODE_STOPPED;
        d.x_zoom_out_hw = zoomOut;
        d.x_zoom_out_sw = d.x_zoom_in = 1;
        d.x_offset = 0;
    }
    std::uint8_t stateFrame[32];
    b.LoadState(0, 0x1001, static_cast<std::uint32_t>(300 * zoomOut));
    std::memcpy(stateFrame, b.received, sizeof(stateFrame));
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(b.received, stateFrame, sizeof(stateFrame));
        b.Handle();
        b.LoadAnswer();
        state.ResumeTiming();
        b.Handle();
        benchmark::DoNotOptimize(b.reply[3]);
    }
    state.SetItemsProcessed(state.iterations() * 300 * zoomOut);
}
BENCHMARK(BM_ChScreen)->Arg(1)->Arg(4);

// One CH packet of the full-memory read-out: 2029 samples appended to the model's buffer.
void BM_ChMemory(benchmark::State& state)
{
    Bench b(1);
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData& d = *GetOscData();
        d.mode |= MODE_STOPPED;
    }
    b.LoadState(OSC_SR_CTCH, 0x1001, 131072);
    b.Handle();  // starts the read-out
    if (b.reply[3] != PACKET_DATA_GET_CH) {
        state.SkipWithError("the stopped capture was not read");
        return;
    }
    b.LoadAnswer();
    for (auto _ : state) {
        {
            CSingleLock lock(&DataLock, TRUE);
            OscData& d = *GetOscData();
            d.mode |= MODE_READING;
            if (d.read_state == 3) d.read_state = 0;
        }
        b.Handle();
        benchmark::DoNotOptimize(b.reply[3]);
    }
    state.SetItemsProcessed(state.iterations() * 2029);
}
BENCHMARK(BM_ChMemory);

}  // namespace
