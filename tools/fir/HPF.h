#pragma once
// HPF: high-pass filter; every grid bin at or above the cut-off is in the pass band.

#include "tools/fir/FIR.h"

class HPF : public FIR {
public:
    HPF(const MathWin& window, double fs, double fc);
    virtual double GetCutoff() const { return cutoff_; }

private:
    double cutoff_;
};
