#pragma once
// MathWin: a window function laid over a frequency grid of N points, for frequency-sampling
// filter design. The window is T samples wide (the filter length) and centred on index 0,
// wrapping around the end of the array, so that it lines up with the zero-phase impulse
// response an inverse FFT gives.

#include <libalglib/ap.h>

class MathWin {
public:
    // n: grid size, t: window width; 1 <= t <= n, else std::invalid_argument.
    MathWin(int n, int t);
    virtual ~MathWin() = default;

    // w[k] = 2·pi·k / N in the lower half and 2·pi·(k − N) / N in the upper half, so the
    // upper half holds the negative frequencies in FFT order.
    void FillGrid();

    int N;
    int T;
    alglib::real_1d_array values;  // window values, N
    alglib::real_1d_array grid;    // radian frequency of each bin, N
};
