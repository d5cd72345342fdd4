#include "tools/fir/MathWin.h"

#include <numbers>
#include <stdexcept>

MathWin::MathWin(int n, int t) : N(n), T(t)
{
    if (t < 1 || n < t) throw std::invalid_argument("MathWin: window width must lie in 1..N");
    values.setlength(n);
    grid.setlength(n);
    for (int i = 0; i < n; ++i) {
        values[i] = 0.0;
        grid[i] = 0.0;
    }
}

void MathWin::FillGrid()
{
    const int half = N / 2;
    for (int k = 0; k < N; ++k) {
        const int signedBin = k < half ? k : k - N;
        grid[k] = 2.0 * std::numbers::pi * signedBin / N;
    }
}
