#pragma once
// The ideal (brick-wall) responses the LPF, HPF and BPF design from.
//
// A bin's frequency is |k'|·Fs/N with k' its signed index (k, or k − N in the upper half). It is
// compared as |k'|·Fs against f·N rather than as a radian frequency against 2·pi·f/Fs: with the
// integer frequencies the sheet passes, both sides are exact, so a cut-off lying on a bin is
// always in the band (the radian form can round it out).

#include <libalglib/ap.h>

enum class BrickWallBand { LowPass, HighPass, BandPass };

// N entries of 1.0 (in the band) or 0.0. For LowPass and HighPass only f1 is used.
alglib::real_1d_array IdealResponse(BrickWallBand band, int n, double fs, double f1, double f2 = 0.0);
