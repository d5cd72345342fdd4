#pragma once
// FIR: a finite impulse response filter of T taps designed for the sample rate Fs on a grid of
// N frequency points. It keeps its magnitude response (dB) and unwrapped phase (radians) over
// the grid, and filters one sample at a time through its delay line.
//
// A plain FIR carries hand-entered coefficients: the caller writes the T taps and calls
// ComputeResponse. The derived LPF, HPF and BPF design themselves in their constructors.

#include "tools/fir/MathWin.h"

#include <libalglib/ap.h>

class FIR {
public:
    // n: grid size, t: number of taps; 1 <= t <= n, else std::invalid_argument. The delay line
    // starts cleared and the gain is 1.
    FIR(double fs, int n, int t);
    virtual ~FIR() = default;
    FIR(const FIR&) = delete;
    FIR& operator=(const FIR&) = delete;

    // Taps from the ideal response H (N values) shaped by the window, then ComputeResponse.
    // The impulse response is delayed by T/2 samples, so the taps are symmetric about tap T/2;
    // tap 0 is always 0. The window must have this filter's N and T, and H N entries, else
    // std::invalid_argument.
    void Design(const MathWin& window, const alglib::real_1d_array& H);
    // Magnitude (dB; a zero bin is minus infinity) and unwrapped phase of the taps over N bins.
    void ComputeResponse();
    void ClearDelayLine();
    // One output sample: x enters the delay line, and the result is gain × (delay line · taps).
    double Filter(double x);

    double Fs;
    int N;
    int T;
    alglib::real_1d_array taps;       // T
    alglib::real_1d_array magnitude;  // N, dB
    alglib::real_1d_array phase;      // N, radians, unwrapped
    alglib::real_1d_array delay;      // T, newest sample first
    double gain = 1.0;
};
