// One net's frames over the chart.

#include "logic/async/AsyncOverlay.h"

#include "platform/gdi/DC.h"

namespace {

constexpr double kScreenPoints = 300.0;
// A value is written only into a box wider than this many pixels.
constexpr int kMinTextBox = 10;

// The frame end's screen point, and whether it lies on the screen.
bool OnScreen(std::uint32_t sample, const AsyncOverlayGeometry& g, int& x)
{
    const double p = sample * g.points_per_sample - g.x_offset - 0.5;
    if (!(p >= 0 && p <= kScreenPoints))
        return false;
    x = g.x_of(p);
    return true;
}

}  // namespace

void DrawAsyncFrames(CDC& dc, const std::vector<AsyncPacket>& packets, int mode, int data_bits,
                     const AsyncOverlayGeometry& g)
{
    if (mode < 1 || mode > 3 || !g.x_of)
        return;
    const int left = g.x_of(0);
    const int right = g.x_of(kScreenPoints);
    for (const AsyncPacket& packet : packets) {
        for (const AsyncFrame& frame : packet) {
            int xs = 0, xe = 0;
            const bool startOn = OnScreen(frame.first_sample, g, xs);
            const bool endOn = OnScreen(frame.last_sample, g, xe);
            if (!startOn && !endOn)
                continue;
            if (mode == 1) {
                if (startOn) {
                    dc.MoveTo(xs, g.top);
                    dc.LineTo(xs, g.bottom + 1);
                }
                if (endOn) {
                    dc.MoveTo(xe, g.top);
                    dc.LineTo(xe, g.bottom + 1);
                }
                continue;
            }
            const int x0 = startOn ? xs : left;
            const int x1 = endOn ? xe : right;
            if (startOn) {
                dc.MoveTo(x0, g.top);
                dc.LineTo(x0, g.bottom);
            } else {
                dc.MoveTo(x0, g.bottom);
            }
            dc.LineTo(x1, g.bottom);
            if (endOn)
                dc.LineTo(x1, g.top);
            else
                dc.MoveTo(x1, g.top);
            dc.LineTo(x0, g.top);
            if (mode == 3 && x1 - x0 > kMinTextBox)
                dc.TextOut((x0 + x1) / 2, g.bottom, FormatAsyncValue(frame, data_bits));
        }
    }
}
