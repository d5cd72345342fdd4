#pragma once
// Magnitude spectrum of one screen of samples.

#include <cstdint>

constexpr int kSpectrumPoints = 300;
constexpr int kSpectrumBins = kSpectrumPoints / 2 + 1;

// Unnormalised real DFT of `count` samples; writes the magnitudes of bins 0..count/2 into
// `magnitudes` (count/2 + 1 entries) and returns that number (0 when count < 1).
int ComputeSpectrum(const double* samples, int count, double* magnitudes);

// |re + i im| without overflow or needless underflow: the larger part times
// sqrt(1 + (smaller / larger)^2); 0 when both are 0.
double Magnitude(double re, double im);

// The spectrum input of one channel's screen: each point minus the calibration offset, or in
// min/max sampling the pair's midpoint minus the offset. Points beyond `available` entries of
// `screen` are taken as 0 (after the offset). Returns the number of samples written.
int SpectrumInput(const std::int32_t* screen, int available, bool minMax, int calibrationOffset, double* samples,
                  int count);
