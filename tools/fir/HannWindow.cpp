#include "tools/fir/HannWindow.h"

#include <cmath>
#include <numbers>

void HannWindow::Fill()
{
    const int h = T / 2;
    const double step = 2.0 * std::numbers::pi / T;
    for (int i = 0; i < N; ++i) {
        if (i <= h)
            values[i] = 0.5 + 0.5 * std::cos(step * i);
        else if (i >= N - h)
            values[i] = 0.5 + 0.5 * std::cos(step * (N - i));
        else
            values[i] = 0.0;
    }
}
