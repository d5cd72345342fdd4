#include "tools/fir/BrickWall.h"

#include "tools/fir/BPF.h"
#include "tools/fir/HPF.h"
#include "tools/fir/LPF.h"

#include <cstdlib>

alglib::real_1d_array IdealResponse(BrickWallBand band, int n, double fs, double f1, double f2)
{
    alglib::real_1d_array H;
    H.setlength(n);
    const int half = n / 2;
    const double low = f1 * n;
    const double high = f2 * n;
    for (int k = 0; k < n; ++k) {
        const double f = std::abs(k < half ? k : k - n) * fs;
        bool in = false;
        switch (band) {
        case BrickWallBand::LowPass: in = f <= low; break;
        case BrickWallBand::HighPass: in = f >= low; break;
        case BrickWallBand::BandPass: in = low <= f && f <= high; break;
        }
        H[k] = in ? 1.0 : 0.0;
    }
    return H;
}

LPF::LPF(const MathWin& window, double fs, double fc) : FIR(fs, window.N, window.T), cutoff_(fc)
{
    Design(window, IdealResponse(BrickWallBand::LowPass, N, fs, fc));
}

HPF::HPF(const MathWin& window, double fs, double fc) : FIR(fs, window.N, window.T), cutoff_(fc)
{
    Design(window, IdealResponse(BrickWallBand::HighPass, N, fs, fc));
}

BPF::BPF(const MathWin& window, double fs, double f1, double f2) : FIR(fs, window.N, window.T), lower_(f1), upper_(f2)
{
    Design(window, IdealResponse(BrickWallBand::BandPass, N, fs, f1, f2));
}
