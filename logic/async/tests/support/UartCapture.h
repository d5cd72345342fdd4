#pragma once
// Hand-built captures of start/stop serial traffic for the decoder's tests: one line level per
// sample, with frames of any format, broken frames and glitches, turned into plain or two-word
// sample memory.

#include <cstdint>
#include <vector>

struct UartFormat {
    int bits = 8;
    int parity = 0;   // none, odd, even, mark, space
    bool msb = false;
    int samples_per_bit = 10;
};

class UartCapture {
public:
    explicit UartCapture(const UartFormat& format) : format_(format) {}

    void Idle(int samples) { levels_.insert(levels_.end(), static_cast<std::size_t>(samples), 1); }
    void Low(int samples) { levels_.insert(levels_.end(), static_cast<std::size_t>(samples), 0); }
    // One frame; returns its start sample. `flipParity` sends the wrong parity bit, `stopLow`
    // a broken stop bit.
    std::uint32_t Frame(unsigned value, bool flipParity = false, bool stopLow = false);

    std::size_t Size() const { return levels_.size(); }
    const std::vector<std::uint8_t>& Levels() const { return levels_; }
    std::vector<std::uint8_t>& Levels() { return levels_; }

    // The line as bit `line` of each word; the other lines carry a busy pattern that must not
    // disturb the decoder.
    std::vector<std::int32_t> Plain(int line) const;
    // Two words per sample, the AND and the OR of the line since the previous sample: each
    // transition's sample is mixed, as the peak detector sees a line that changed within it.
    std::vector<std::int32_t> TwoWord(int line) const;
    // The instrument's own layouts when it stores one sample per `group` of these levels: a
    // plain sample is the level at the group's first instant; a peak-detect pair is the AND
    // (minimum) and the OR (maximum) over the whole group.
    std::vector<std::int32_t> Sampled(int line, int group) const;
    std::vector<std::int32_t> PeakPairs(int line, int group) const;

private:
    UartFormat format_;
    std::vector<std::uint8_t> levels_;
};

// Both lines into one memory: a's on line la, b's on line lb (plain words).
std::vector<std::int32_t> Merge(const std::vector<std::int32_t>& a, int la, const std::vector<std::int32_t>& b, int lb);
