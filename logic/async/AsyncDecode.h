#pragma once
// The asynchronous (start/stop, UART-like) decoder's work, free of windows and locks: edge
// search, bit interval, frame chains, packets and the results text of one net, computed from a
// read-only view of one channel's sample words. The decoder window takes DataLock, builds the
// view and the settings snapshot and calls DecodeAsyncNet per net.
//
// Sample layouts: plain, one 32-bit word per sample; two-word (peak detect), the pair (w0, w1)
// per sample, where a line counts as high only when both words have it, except where a stop bit
// is tested (either word) and where a low line turns high in the edge search (either word).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct AsyncFrame {
    std::uint32_t first_sample = 0;  // the start edge
    std::uint32_t last_sample = 0;   // the end of the stop bit
    std::uint16_t value = 0;
    std::uint8_t bad = 0;            // the parity test failed
};

using AsyncPacket = std::vector<AsyncFrame>;

enum AsyncParity { PARITY_NONE = 0, PARITY_ODD = 1, PARITY_EVEN = 2, PARITY_MARK = 3, PARITY_SPACE = 4 };

// One data net's settings as processing took them.
struct AsyncNetSettings {
    int channel = -1;    // 0 A, 1 B; anything else is no net
    unsigned mask = 1;   // 1 << line
    int msb = 0;         // the first data bit is the most significant one
    int data_bits = 8;   // 4..8
    int parity = PARITY_NONE;
};

// A channel's samples as the decoder reads them. `count` is the number of samples (pairs in
// two-word mode); the words array holds count or 2 * count entries.
struct AsyncSampleView {
    const std::int32_t* words = nullptr;
    std::size_t count = 0;
    bool two_word = false;
};

struct AsyncNetResult {
    double bit_interval = 0;          // T in samples, 0 when it could not be measured
    std::vector<AsyncPacket> packets;
    std::string text;                 // the net's block of the results text
};

// The edges of `mask` in [first, last] and the distances between consecutive edges.
void FindAsyncEdges(const AsyncSampleView& view, unsigned mask, std::uint32_t first, std::uint32_t last,
                    std::vector<std::uint32_t>& edges, std::vector<std::uint32_t>& intervals);

// The bit interval from the edge distances: each distance is taken as a whole number of bits of
// the shortest one; 0 without distances.
double AsyncBitInterval(std::vector<std::uint32_t> intervals);

// Decodes one net over [first, last] (clamped to the view). `name` heads its block of text;
// `ns_per_sample` turns the bit interval into the speed shown; `timeout` is in bit intervals,
// 0 keeps every frame in one packet.
AsyncNetResult DecodeAsyncNet(const AsyncSampleView& view, std::uint32_t first, std::uint32_t last,
                              const AsyncNetSettings& net, int timeout, const std::string& name,
                              double ns_per_sample);

// A frame's value as the text and the overlay show it: hex digits for the data bits, "!" after
// a bad one.
std::string FormatAsyncValue(const AsyncFrame& frame, int data_bits);
