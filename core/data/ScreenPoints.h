#pragma once
// Expanding received samples into the 300 screen points when the time base zooms in, and
// unpacking logic samples into one byte per line.
//
// The reception stores what the device sent at the start of a channel's screen-point array:
// one value per stored step (or a minimum/maximum pair per step). When one step spans several
// screen points (zoom > 1), the forms below rewrite the same array in place with one value
// (or pair) per screen point.
//
// Every form takes
//   values  the channel's whole array (input and output); nothing outside it is touched,
//   count   screen points to produce (300 for a frame),
//   step    x_zoom_out_sw: steps of input per `zoom` screen points,
//   zoom    x_zoom_in (nothing happens below 2),
//   phase   position of the first screen point on the zoom grid (x_offset mod x_zoom_in).
//
// The input's first value is the step at floor(step * phase / zoom) of the zoom grid, as the
// read planner fetches it; output point q lies at (step * (phase + q)) / zoom - that step.
// Values are raw samples in -128..127 and stay in that range.

#include <cstdint>
#include <span>

class OscData;

// Windowed sinc (support of two samples on either side), one value per point. Each point's
// sum is divided by the sum of the weights of the samples it uses, so a level stays exactly
// that level at every point, the ends of the input included.
void SincInterpolate(std::span<std::int32_t> values, int count, int step, int zoom, int phase);
// The same on minimum/maximum pairs: minima at even, maxima at odd positions.
void SincInterpolate2(std::span<std::int32_t> values, int count, int step, int zoom, int phase);
// Straight lines between neighbouring samples, one value per point.
void LinearInterpolate(std::span<std::int32_t> values, int count, int step, int zoom, int phase);
// The same on minimum/maximum pairs.
void LinearInterpolate2(std::span<std::int32_t> values, int count, int step, int zoom, int phase);

// The logic lines of a channel: a point between two records shows a line as low (0) or high (2)
// only when both records agree, else as changing (1).
void InterpolateLogicPoints(std::span<std::uint8_t[8]> records, int count, int step, int zoom,
                            int phase);

// Converts `count` screen points from `firstPoint` on of a channel that carries logic lines
// into its logic records: a plain sample gives 2 for a set bit and 0 for a clear one; a
// minimum/maximum pair gives 1 for a line that differs between the two. Nothing for a channel
// in analog mode or outside 0..1; points outside the arrays are skipped.
void RepackLogicSamples(int channel, OscData& data, int count, int firstPoint);

// The interpolation kernel: sin(pi t) sin(pi t / 2) / (pi^2 t^2 / 2) for |t| < 2, exactly 1 at
// 0 and exactly 0 at the other whole numbers and beyond.
double SincKernel(double t);
