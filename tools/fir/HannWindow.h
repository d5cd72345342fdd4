#pragma once
// HannWindow: the raised-cosine window, centred on index 0 of the grid and wrapping around its
// end; zero outside the T samples it covers.

#include "tools/fir/MathWin.h"

class HannWindow : public MathWin {
public:
    using MathWin::MathWin;

    void Fill();
};
