// The marker window's read-outs: the channels under the vertical markers, read from the screen
// the main window draws, and the texts of the table built from them under DataLock.

#include "tools/markers/MarkerDialog.h"

#include "app/main/ScreenSnapshot.h"
#include "app/main/VelkaroDlg.h"
#include "core/data/OscData.h"
#include "core/measure/OscFormat.h"
#include "platform/kernel/Sync.h"
#include "widgets/chart/ChartPointsSerie.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr std::uint16_t kLogicBit[2] = {OSC_CR_LOGIC_A, OSC_CR_LOGIC_B};
// Column texts per channel: level, bus value, difference of levels.
constexpr const char* kLevelLabel[2] = {"Ua = ", "Ub = "};
constexpr const char* kBusLabel[2] = {"Da = ", "Db = "};
constexpr const char* kDifferenceLabel[2] = {"dUa = ", "dUb = "};

// The screen point a vertical marker reads: the nearest one, never outside the screen.
int ReadoutIndex(double position)
{
    if (!std::isfinite(position))
        return 0;
    const double nearest = std::floor(std::clamp(position, 0.0, static_cast<double>(SCREEN_POINTS - 1)) + 0.5);
    return std::clamp(static_cast<int>(nearest), 0, SCREEN_POINTS - 1);
}

// Gives the series these points unless it holds them already (its points keep the order of x,
// and of arrival for one x, as these all share one x).
void ShowReadoutPoints(CChartPointsSerie* series, const std::vector<SeriePoint>& points)
{
    if (series == nullptr)
        return;
    bool same = series->GetPointsCount() == points.size();
    for (unsigned i = 0; same && i < points.size(); ++i)
        same = series->GetPoint(i).X == points[i].X && series->GetPoint(i).Y == points[i].Y;
    if (same)
        return;
    series->RemoveAllPoints();
    for (const SeriePoint& p : points)
        series->AddPoint(p.X, p.Y);
}

}  // namespace

void CMarkerDialog::UpdateVerticalMarkerReadouts(const ScreenSnapshot& screen)
{
    for (int m = 0; m < 2; ++m)
    {
        // The points where the marker meets the traces, given to their series only when they
        // moved: set again at every tick, they would redraw the whole chart at every tick.
        std::vector<SeriePoint> points;
        if (is_v_marker_enabled[m] == 0)
        {
            ShowReadoutPoints(v_marker_points[m], points);
            continue;
        }
        const int x = ReadoutIndex(v_marker_x[m]);
        for (int c = 0; c < 2; ++c)
        {
            if (!screen.enabled[c] || screen.logic_mode[c])
                continue;
            const std::int32_t* raw = screen.points[c];
            const std::int64_t zero = screen.zero[c];
            // Integer halving as the trace's min/max band is read, so the point sits on it.
            const std::int64_t value = screen.min_max != 0 ? (std::int64_t{raw[2 * x]} + raw[2 * x + 1] - 2 * zero) / 2
                                                           : raw[x] - zero;
            const double gain = screen.gain[c] != 0 ? screen.gain[c] : 1.0;
            v_marker_value[m][c] = static_cast<double>(value) / gain + screen.offset[c];
            points.push_back(SeriePoint{v_marker_x[m], v_marker_value[m][c], 0});
        }
        ShowReadoutPoints(v_marker_points[m], points);
        if (is_v_marker_shown[m])
            v_marker[m].SetPosition(v_marker_x[m]);
    }
    for (int m = 0; m < 2; ++m)
        if (is_h_marker_enabled[m] != 0 && is_h_marker_shown[m])
            h_marker[m].SetPosition(h_marker_y[m]);
}

int CMarkerDialog::BusRadix() const
{
    const auto* main = dynamic_cast<const CVelkaroDlg*>(GetParent());
    return main != nullptr ? main->bus_radix : 0;
}

void CMarkerDialog::SetCell(int row, int column, const std::string& text)
{
    if (list_.GetItemText(row, column) != text)
        list_.SetItemText(row, column, text.c_str());
}

void CMarkerDialog::Refresh()
{
    if (GetSafeHwnd() == nullptr || !IsWindowVisible())
        return;
    const int radix = BusRadix();
    CSingleLock lock(&DataLock, TRUE);
    const OscData& data = *GetOscData();
    RefreshVertical(data, radix);
    RefreshHorizontal(data);
}

void CMarkerDialog::RefreshVertical(const OscData& data, int radix)
{
    for (int m = 0; m < 2; ++m)
    {
        const int row = ROW_V0 + m;
        if (is_v_marker_enabled[m] == 0)
        {
            for (int column = 1; column < kColumns; ++column)
                SetCell(row, column, "");
            continue;
        }
        const double x = v_marker_x[m];
        SetCell(row, 1, "T = " + FormatSampleTime(data, x));
        SetCell(row, 2, "To = " + FormatSampleTime(data, x + data.x_offset));
        for (int c = 0; c < 2; ++c)
        {
            std::string text;
            if ((data.osc_cr & kLogicBit[c]) != 0)
                text = kBusLabel[c] + std::string(data.FormatBusValue(ReadoutIndex(x), c, radix));
            else
                text = kLevelLabel[c] + FormatVolts(data, c, v_marker_value[m][c] - data.y_offset[c]);
            SetCell(row, 3 + c, text);
        }
    }

    if (is_v_marker_enabled[0] == 0 || is_v_marker_enabled[1] == 0)
    {
        for (int column = 1; column < kColumns; ++column)
            SetCell(ROW_V_BOTH, column, "");
        return;
    }
    const double dt = v_marker_x[0] - v_marker_x[1];
    SetCell(ROW_V_BOTH, 1, "dT = " + FormatSampleTime(data, dt));
    SetCell(ROW_V_BOTH, 2, "1/dT = " + FormatPeriodFrequency(data, dt));
    for (int c = 0; c < 2; ++c)
    {
        // A bus value has no difference worth showing.
        if ((data.osc_cr & kLogicBit[c]) != 0)
            SetCell(ROW_V_BOTH, 3 + c, "");
        else
            SetCell(ROW_V_BOTH, 3 + c,
                    kDifferenceLabel[c] + FormatVolts(data, c, v_marker_value[0][c] - v_marker_value[1][c]));
    }
}

void CMarkerDialog::RefreshHorizontal(const OscData& data)
{
    for (int m = 0; m < 2; ++m)
    {
        const int row = ROW_H0 + m;
        for (int c = 0; c < 2; ++c)
        {
            if (is_h_marker_enabled[m] == 0 || (data.osc_cr & kLogicBit[c]) != 0)
                SetCell(row, 3 + c, "");
            else
                SetCell(row, 3 + c, kLevelLabel[c] + FormatVolts(data, c, h_marker_y[m] - data.y_offset[c]));
        }
    }
    const bool both = is_h_marker_enabled[0] != 0 && is_h_marker_enabled[1] != 0;
    for (int c = 0; c < 2; ++c)
    {
        if (!both || (data.osc_cr & kLogicBit[c]) != 0)
            SetCell(ROW_H_BOTH, 3 + c, "");
        else
            SetCell(ROW_H_BOTH, 3 + c, kDifferenceLabel[c] + FormatVolts(data, c, h_marker_y[0] - h_marker_y[1]));
    }
}
