#pragma once
// The mathematics window's work on the data model: the sample rate of the capture, the
// spectrum of the whole capture buffer or of the screen, and an FIR filter run over the buffer
// in place. Every function expects DataLock to be held by the caller.

#include <cstdint>
#include <vector>

class FIR;
class OscData;

// The rate in Hz at which the stored samples were taken (device rate over its decimation).
std::uint32_t CaptureSampleRate(const OscData& data);

// A spectrum as the spectrum window draws it: frequency in Hz and amplitude in volts per bin.
struct SpectrumSeries {
    std::vector<double> f;
    std::vector<double> a;
    int points = 0;  // transform length: f and a hold points / 2 + 1 bins
};

// The whole captured buffer of `channel` (0 A, 1 B): a real transform of every sample (or the
// midpoint of every min/max pair) less the channel's zero level. Never reads past the sample
// buffer, whatever the memory depth claims. Throws alglib::ap_error when the transform fails.
SpectrumSeries BufferSpectrum(const OscData& data, int channel);

// The screen spectrum the model keeps (its raw magnitudes), scaled to volts, with frequencies
// that follow the screen's zoom. Empty (points 0) while the model holds none.
SpectrumSeries ScreenSpectrum(const OscData& data);

// Which channels a filter run covers: the filter channel list's index.
enum class FilterSelection { A = 0, B = 1, AB = 2 };

// Filters the captured samples in place: each channel from a cleared delay line, the min and
// the max of pair sampling as two streams. The results are 8-bit codes again: truncated toward
// zero and limited to -128..127 (a result that is not a number becomes the zero level). Sets
// STATUS_FILTERED.
void FilterBuffer(OscData& data, FIR& filter, FilterSelection selection);
