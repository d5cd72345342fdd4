#pragma once
// LPF: low-pass filter; every grid bin at or below the cut-off is in the pass band.

#include "tools/fir/FIR.h"

class LPF : public FIR {
public:
    // window: filled grid and values (N, T); fs and fc in Hz.
    LPF(const MathWin& window, double fs, double fc);
    virtual double GetCutoff() const { return cutoff_; }

private:
    double cutoff_;
};
