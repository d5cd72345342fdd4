#pragma once
// BPF: band-pass filter; every grid bin from the lower to the upper cut-off, both included, is
// in the pass band. A lower cut-off above the upper one leaves the band empty (all taps zero).

#include "tools/fir/FIR.h"

class BPF : public FIR {
public:
    BPF(const MathWin& window, double fs, double f1, double f2);
    // The upper cut-off.
    virtual double GetCutoff() const { return upper_; }

private:
    double lower_;
    double upper_;
};
