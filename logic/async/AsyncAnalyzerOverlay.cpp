// The asynchronous decoder's frames over the main chart.

#include "logic/async/AsyncAnalyzer.h"
#include "logic/async/AsyncOverlay.h"

#include "app/main/VelkaroDlg.h"
#include "core/data/OscData.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/kernel/Sync.h"
#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartCtrl.h"

#include <algorithm>
#include <bit>

namespace {

constexpr COLORREF kOverlayColour = 0xFFC8C8;
constexpr DWORD kDots[] = {1, 4};
// A net's row is 8 chart units high.
constexpr int kRowHeight = 8;

}  // namespace

void CAsyncAnalyzer::DrawOverlay(CDC* dc, CChartCtrl* chart)
{
    const int mode = snapshot_.display;
    if (dc == nullptr || chart == nullptr || MainDialog == nullptr || packets_[0].empty() || mode == 0)
        return;
    CChartAxis* xAxis = chart->GetBottomAxis();
    CChartAxis* yAxis = chart->GetLeftAxis();
    if (xAxis == nullptr || yAxis == nullptr)
        return;

    CPen pen;
    if (mode == CTabAsyncDisplay::START_STOP) {
        pen.CreatePen(PS_SOLID, 1, kOverlayColour);
    } else {
        LOGBRUSH brush{BS_SOLID, kOverlayColour, 0};
        pen.CreatePen(PS_GEOMETRIC | PS_USERSTYLE, 1, &brush, 2, kDots);
    }
    CFont font;
    font.CreatePointFont(70, "Courier New", dc);
    CPen* oldPen = dc->SelectObject(&pen);
    CFont* oldFont = dc->SelectObject(&font);
    const COLORREF oldColour = dc->SetTextColor(kOverlayColour);
    const UINT oldAlign = dc->SetTextAlign(TA_BOTTOM | TA_CENTER);

    {
        CSingleLock lock(&DataLock, TRUE);
        const OscData& data = *GetOscData();
        AsyncOverlayGeometry g;
        g.points_per_sample = std::max(data.x_zoom_in, 1) /
                              (static_cast<double>(std::max(data.x_zoom_out_hw, 1)) * std::max(data.x_zoom_out_sw, 1));
        g.x_offset = data.x_offset;
        g.x_of = [xAxis](double point) { return xAxis->ValueToScreen(point); };
        for (int i = 0; i < snapshot_.num_nets; ++i) {
            const auto row = static_cast<std::size_t>(i);
            const AsyncNetSettings& net = snapshot_.net[row];
            if (net.channel < 0 || net.channel > 1 || net.mask == 0)
                continue;
            const auto channel = static_cast<std::size_t>(net.channel);
            const int line = std::countr_zero(net.mask);
            const std::uint16_t logicBit = net.channel == 0 ? OSC_CR_LOGIC_A : OSC_CR_LOGIC_B;
            if ((data.osc_cr & logicBit) == 0 || MainDialog->digital_bus[channel] ||
                MainDialog->la_net_display[channel * 8 + static_cast<std::size_t>(line)] == 0)
                continue;
            const int base = data.y_offset[channel] + MainDialog->GetNetRowOffset(net.channel, line);
            g.bottom = yAxis->ValueToScreen(base);
            g.top = yAxis->ValueToScreen(base + kRowHeight);
            DrawAsyncFrames(*dc, packets_[row], mode, net.data_bits, g);
        }
    }

    dc->SetTextAlign(oldAlign);
    dc->SetTextColor(oldColour);
    dc->SelectObject(oldFont);
    dc->SelectObject(oldPen);
}
