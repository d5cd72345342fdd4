#pragma once
// Hand-built clocked-serial captures for the decoder's tests.

#include "logic/sync/SyncDecode.h"

#include <cstdint>
#include <vector>

namespace synctest {

// Lines of the hand-built captures.
constexpr std::uint32_t kClk = 1u << 0;
constexpr std::uint32_t kData0 = 1u << 1;
constexpr std::uint32_t kCs = 1u << 2;
constexpr std::uint32_t kData1 = 1u << 5;

// Builds a capture of one channel sample by sample. Each bit spends two samples with the
// clock idle and two with it active; the data change while the clock is idle, so the
// active edge (at the first active sample) sees them settled.
struct Wave {
    std::vector<std::int32_t> words;
    std::uint32_t state = 0;
    bool idle_high = false;  // the clock rests high: the falling edge is the active one

    Wave& Hold(int samples)
    {
        for (int i = 0; i < samples; ++i) words.push_back(static_cast<std::int32_t>(state));
        return *this;
    }
    Wave& Set(std::uint32_t line, bool on)
    {
        state = on ? (state | line) : (state & ~line);
        return *this;
    }
    Wave& Idle() { return Set(kClk, idle_high); }
    // Sends `count` bits of `value` on `line`, most significant first unless `lsbFirst`;
    // returns the active-edge samples in `edges`.
    Wave& Send(std::uint32_t value, int count, bool lsbFirst = false, std::vector<std::uint32_t>* edges = nullptr,
               std::uint32_t line = kData0, std::uint32_t value1 = 0)
    {
        for (int k = 0; k < count; ++k) {
            const int b = lsbFirst ? k : count - 1 - k;
            Idle().Set(line, ((value >> b) & 1u) != 0).Set(kData1, ((value1 >> b) & 1u) != 0).Hold(2);
            if (edges != nullptr) edges->push_back(static_cast<std::uint32_t>(words.size()));
            Set(kClk, !idle_high).Hold(2);
        }
        return Idle().Hold(2);
    }
    SyncCaptureView View() const
    {
        SyncCaptureView v;
        v.words[0] = words.data();
        v.samples = words.size();
        return v;
    }
};

}  // namespace synctest
