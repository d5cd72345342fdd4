#pragma once
// The parameters of the last accepted FIR filter design. The type is the filter sheet's page
// index, so its numbers are fixed.

#include <cstdint>

enum FIRType : std::int32_t {
    FIR_TYPE_LPF = 0,
    FIR_TYPE_HPF = 1,
    FIR_TYPE_BPF = 2,
    FIR_TYPE_MANUAL = 3,
};

struct FIRParams {
    std::int32_t len = 128;    // taps
    std::uint32_t freq = 0;    // Hz: cut-off, or the lower one of a band
    std::uint32_t freq2 = 0;   // Hz: upper cut-off of a band
    FIRType type = FIR_TYPE_LPF;
};
