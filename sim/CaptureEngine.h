#pragma once
// The capture engine of the virtual instrument: one capture cycle at a time, started by
// START_CYCLONE, sampling the inputs into a memory of the variant's depth per channel.
//
//  - Without trigger the memory fills from address 0 until the requested number of samples
//    is in (the STATE counter shows the progress, so the host can draw a rolling display).
//  - With trigger the memory is a ring: the trigger is armed once the pre-trigger part
//    (depth minus the requested post-trigger samples) is written, the first matching edge is
//    the trigger sample, and the capture ends the requested number of samples after it.
//  - In recorder mode the memory is a ring written without end; the counter is the write
//    address.
//
// The memory is not stored: sample w of a capture is a pure function of the capture's start
// time and the signals, so the content at an address is the newest sample written there.
// Time is the device's own, in picoseconds. Not thread-safe: the instrument locks.

#include "sim/SignalSource.h"
#include "sim/SimVariant.h"

#include <cstdint>
#include <vector>

class CaptureEngine {
public:
    struct Start {
        std::uint16_t osc_cr = 0;
        std::int8_t trigger_value = 0;
        std::uint32_t samples_parts = 0;  // decimation: one stored sample per samples_parts + 1
        std::uint32_t samples = 0;        // post-trigger samples, or the whole capture
        // The probes are unplugged for this capture: each analog input reads its own zero.
        bool grounded = false;
    };

    struct Report {
        std::uint16_t osc_sr = 0;
        std::uint16_t osc_cr = 0;
        std::uint32_t first_trig_sample = 0;
        std::uint32_t num_catched_samples = 0;
        std::uint32_t samples_before_trig = 0;
    };

    // What a test may want to know of the capture in memory.
    struct Info {
        bool started = false;       // a capture (or recorder run) has been started
        bool running = false;       // the device is sampling now
        bool complete = false;      // the capture reached its end
        std::uint16_t osc_cr = 0;
        std::int64_t startPs = 0;   // time of stored sample 0
        std::int64_t periodPs = 0;  // time between stored samples
        std::int64_t depth = 0;     // addresses per channel
        bool minMax = false;
        std::int64_t written = 0;   // stored samples written so far
        std::int64_t triggerAt = -1;  // write count of the trigger sample; -1 none
        std::int64_t end = -1;        // write count at which the capture ends; -1 open
    };

    CaptureEngine(const SignalSource& source, const SimVariant& variant);

    void SetVariant(const SimVariant& variant);

    // A new cycle (START_CYCLONE); osc_cr bit 0 clear leaves the device idle.
    void Begin(const Start& start, std::int64_t nowPs);
    // The registers and counters STATE reports now; also searches for the trigger.
    Report State(std::int64_t nowPs);
    // The answer to GET_CH: the samples (k bytes each) from address offset on, wrapping at
    // the depth; versions 1 and 5 average groups of averageLength samples themselves.
    // `length` comes back as the number of samples (points) supplied.
    std::vector<std::int8_t> Read(int channel, std::int64_t offset, std::uint32_t& length,
                                  std::uint16_t averageLength, std::int64_t nowPs);
    bool MinMax() const;

    Info GetInfo(std::int64_t nowPs);
    // The k bytes stored sample w (write count) of the current capture holds.
    void Sample(int channel, std::int64_t w, std::int8_t out[2]) const;
    // The whole memory of a channel by address (k bytes per address; zero where unwritten).
    std::vector<std::int8_t> Memory(int channel, std::int64_t nowPs);

private:
    std::int64_t Written(std::int64_t nowPs) const;
    void SearchTrigger(std::int64_t nowPs);
    // The trigger comparator's view of one stored sample.
    int TriggerInput(std::int64_t w, bool rising) const;
    void AtAddress(int channel, std::int64_t address, std::int64_t written, std::int8_t out[2]) const;
    std::int64_t Units(std::int64_t samples) const;

    const SignalSource& source_;
    SimVariant variant_;

    Start start_;
    bool started_ = false;
    bool running_ = false;
    std::int64_t startPs_ = 0;
    std::int64_t periodPs_ = 1;
    std::int64_t converterPs_ = 1;
    std::int64_t depth_ = 1;
    std::int64_t count_ = 0;      // post-trigger samples, or the whole capture
    std::int64_t armAt_ = 0;
    std::int64_t triggerAt_ = -1;
    std::int64_t scanned_ = 0;    // next write count the trigger search looks at
    std::int64_t frozen_ = -1;    // written count when the device stopped; -1 while running
};
