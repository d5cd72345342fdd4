// The synchronous decoder's overlay on the main chart: clock ticks and symbol boxes on the
// rows of the data nets.

#include "logic/sync/SyncAnalyzer.h"

#include "app/main/VelkaroDlg.h"
#include "core/data/OscData.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/kernel/Sync.h"
#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartCtrl.h"

#include <algorithm>
#include <bit>
#include <vector>

namespace {

constexpr COLORREF kOverlayColour = 0xFFC8C8;
constexpr DWORD kDashes[] = {1, 5};
constexpr int kFontPoints = 70;  // tenths of a point
constexpr int kRowHeight = 8;     // chart units from a net's low level to its high level
constexpr int kArcWidth = 8;      // pixels
constexpr double kScreenPoints = 300;

// A sample's place on the chart's 0..300 points.
struct Scale {
    double perSample;
    double offset;
    double At(std::uint32_t sample) const { return sample * perSample - offset; }
};

bool OnScreen(double p)
{
    return p >= 0 && p <= kScreenPoints;
}

}  // namespace

void CSyncAnalyzer::DrawOverlay(CDC* dc, CChartCtrl* chart)
{
    if (dc == nullptr || chart == nullptr || result_.clock_edges.empty() || MainDialog == nullptr) return;
    CChartAxis* horizontal = chart->GetBottomAxis();
    CChartAxis* vertical = chart->GetLeftAxis();
    if (horizontal == nullptr || vertical == nullptr) return;

    CPen solid(PS_SOLID, 1, kOverlayColour);
    LOGBRUSH brush{BS_SOLID, kOverlayColour, 0};
    CPen dashed;
    dashed.CreatePen(PS_GEOMETRIC | PS_USERSTYLE, 1, &brush, static_cast<int>(std::size(kDashes)), kDashes);
    CFont font;
    font.CreatePointFont(kFontPoints, "Courier New", dc);

    CPen* oldPen = dc->SelectObject(&solid);
    CFont* oldFont = dc->SelectObject(&font);
    const COLORREF oldColour = dc->SetTextColor(kOverlayColour);
    const UINT oldAlign = dc->SetTextAlign(TA_BOTTOM | TA_CENTER);
    const int oldBkMode = dc->SetBkMode(TRANSPARENT);
    const int oldArcDirection = dc->SetArcDirection(AD_COUNTERCLOCKWISE);
    TEXTMETRIC metrics{};
    dc->GetTextMetrics(&metrics);

    CSingleLock lock(&DataLock, TRUE);
    const OscData& d = *GetOscData();
    const double zoomOut = static_cast<double>(std::max(d.x_zoom_out_hw, 1)) * std::max(d.x_zoom_out_sw, 1);
    const Scale ticks{d.x_zoom_in / zoomOut, static_cast<double>(d.x_offset)};
    const Scale bounds{ticks.perSample, d.x_offset + 0.5};
    const int bits = SyncClampBits(settings_.bits);
    const int leftX = horizontal->ValueToScreen(0);
    const int rightX = horizontal->ValueToScreen(kScreenPoints);

    // Edges where a packet other than the first begins its first symbol: the tick count
    // starts again there, so "Начало символа" marks symbol starts after a chip-select gap.
    std::vector<std::uint32_t> restarts;
    const std::vector<SyncPacket>& firstNet = result_.packets[0];
    for (std::size_t p = 1; p < firstNet.size(); ++p)
        if (!firstNet[p].empty()) restarts.push_back(firstNet[p].front().first_sample);

    const int nets = SyncClampNets(settings_.num_data_nets);
    for (int i = 0; i < nets; ++i) {
        const int channel = settings_.data_channel[i];
        if ((channel != 0 && channel != 1) || settings_.data_mask[i] == 0) continue;
        const int line = std::countr_zero(settings_.data_mask[i]);
        const bool logic = (d.osc_cr & (channel == 0 ? OSC_CR_LOGIC_A : OSC_CR_LOGIC_B)) != 0;
        if (!logic || MainDialog->digital_bus[static_cast<std::size_t>(channel)] ||
            MainDialog->la_net_display[static_cast<std::size_t>(channel * 8 + line)] == 0)
            continue;
        const double base = d.y_offset[channel] + MainDialog->GetNetRowOffset(channel, line);
        const int bottom = vertical->ValueToScreen(base);
        const int top = vertical->ValueToScreen(base + kRowHeight);

        if (display_clk_ != CTabSyncDisplay::CLK_NONE) {
            dc->SelectObject(&solid);
            int counter = 0;
            std::size_t next = 0;
            for (const std::uint32_t edge : result_.clock_edges) {
                if (display_clk_ == CTabSyncDisplay::CLK_SYMBOL_START) {
                    while (next < restarts.size() && restarts[next] < edge) ++next;
                    if (next < restarts.size() && restarts[next] == edge) counter = 0;
                }
                bool draw = display_clk_ == CTabSyncDisplay::CLK_ALL;
                if (display_clk_ == CTabSyncDisplay::CLK_SYMBOL_START && counter % bits == 0) {
                    draw = true;
                    counter = 0;
                }
                ++counter;
                const double p = ticks.At(edge);
                if (!draw || !OnScreen(p)) continue;
                const int x = horizontal->ValueToScreen(p - 1);
                dc->MoveTo(x, top);
                dc->LineTo(x, bottom + 1);
            }
        }

        if (display_data_ == CTabSyncDisplay::DATA_NONE) continue;
        for (const SyncPacket& packet : result_.packets[static_cast<std::size_t>(i)]) {
            for (const SyncSymbol& symbol : packet) {
                const double ps = bounds.At(symbol.first_sample);
                const double pe = bounds.At(symbol.last_sample);
                const bool startShown = OnScreen(ps);
                const bool endShown = OnScreen(pe);
                if (!startShown && !endShown) continue;
                const int xs = startShown ? horizontal->ValueToScreen(ps) : leftX;
                const int xe = endShown ? horizontal->ValueToScreen(pe) : rightX;
                dc->SelectObject(&solid);
                // Arcs run counter-clockwise: top to bottom is the left half "(", bottom to
                // top the right half ")".
                if (startShown)
                    dc->Arc(xs, top, xs + kArcWidth, bottom, xs + kArcWidth / 2, top, xs + kArcWidth / 2, bottom);
                if (endShown)
                    dc->Arc(xe - kArcWidth, top, xe, bottom, xe - kArcWidth / 2, bottom, xe - kArcWidth / 2, top);
                const int lineLeft = startShown ? xs + kArcWidth / 2 : xs;
                const int lineRight = endShown ? xe - kArcWidth / 2 : xe;
                dc->SelectObject(&dashed);
                dc->MoveTo(lineLeft, top);
                dc->LineTo(lineRight, top);
                dc->MoveTo(lineLeft, bottom);
                dc->LineTo(lineRight, bottom);
                if (display_data_ == CTabSyncDisplay::DATA_BOUNDS_VALUE) {
                    const CString text = FormatSymbol(symbol, bits);
                    if (dc->GetTextExtent(text).cx + metrics.tmAveCharWidth < xe - xs)
                        dc->TextOut((xs + xe) / 2, bottom, text);
                }
            }
        }
    }

    dc->SetArcDirection(oldArcDirection);
    dc->SetBkMode(oldBkMode);
    dc->SetTextAlign(oldAlign);
    dc->SetTextColor(oldColour);
    dc->SelectObject(oldFont);
    dc->SelectObject(oldPen);
}
