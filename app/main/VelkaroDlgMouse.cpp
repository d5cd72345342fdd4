// The main chart as a pointing surface: dragging the trigger level and position, the traces'
// zero lines and the marker window's markers; the measuring rectangle (left button) and, while
// stopped, the zoom window that picks a finer time/div around a point (right button).
//
// The chart's own box zoom and panning are off: every button event reaches the window through
// its CCustomMouseListener. Plot-area events come before series events for the same press, so
// a press on a series first starts a rectangle that the series press then cancels.

#include "app/main/MarkerWindowLink.h"
#include "app/main/SettingSteps.h"
#include "app/main/VelkaroDlg.h"

#include "app/tooldialog/ToolDialog.h"
#include "core/measure/OscFormat.h"
#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartPointsSerie.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr int kLevelTextId = 1027;
constexpr int kMathOffsetTextId = 1091;
constexpr int kLeftDrags = CVelkaroDlg::DRAG_LEVEL | CVelkaroDlg::DRAG_OFFSET | CVelkaroDlg::DRAG_ZERO_A |
                           CVelkaroDlg::DRAG_ZERO_B | CVelkaroDlg::DRAG_ZERO_MATH | CVelkaroDlg::DRAG_RECT;

bool IsMarker(const ChartMarker& m, const CChartSerie* serie)
{
    return serie != nullptr && (serie == m.line || serie == m.mark);
}

// A chart value as a whole number a setting can take: truncated, and far outside any
// setting's range turned into the range's end rather than overflowing.
int Truncated(double v)
{
    if (std::isnan(v))
        return 0;
    constexpr double kLimit = 1e9;
    return static_cast<int>(std::clamp(v, -kLimit, kLimit));
}

bool ButtonHeld(int virtualKey)
{
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

std::int32_t ClampToInt32(std::int64_t v)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

bool CVelkaroDlg::ChartValues(int x, int y, double& vx, double& vy) const
{
    const CChartAxis* bottom = chart_.GetBottomAxis();
    const CChartAxis* left = chart_.GetLeftAxis();
    if (bottom == nullptr || left == nullptr)
        return false;
    vx = bottom->ScreenToValue(x);
    vy = left->ScreenToValue(y);
    return true;
}

bool CVelkaroDlg::MarkerGrabbed() const
{
    const MarkerWindowLink* markers = GetMarkerLink();
    return markers != nullptr && markers->IsMarkerGrabbed();
}

bool CVelkaroDlg::GrabMarker(double h, double t, CChartSerie* serie)
{
    MarkerWindowLink* markers = GetMarkerLink();
    return markers != nullptr && markers->GrabMarker(h, t, serie);
}

bool CVelkaroDlg::DragMarker(double h, double t)
{
    MarkerWindowLink* markers = GetMarkerLink();
    return markers != nullptr && markers->DragMarker(h, t);
}

void CVelkaroDlg::ReleaseMarkers()
{
    if (MarkerWindowLink* markers = GetMarkerLink())
        markers->ReleaseMarkers();
}

void CVelkaroDlg::OnChartSerieButtonDown(CChartSerie* serie, int x, int y)
{
    double vx = 0;
    double vy = 0;
    if (!ChartValues(x, y, vx, vy))
        return;
    int source = 0;
    bool aOn = false;
    bool bOn = false;
    {
        CSingleLock lock(&DataLock, TRUE);
        const OscData* d = GetOscData();
        source = d->GetTriggerSource();
        aOn = (d->osc_cr & OSC_CR_CH_A_ON) != 0;
        bOn = (d->osc_cr & OSC_CR_CH_B_ON) != 0;
    }

    int grabbed = 0;
    if (source != 0)
    {
        if ((level_countdown != 0 && IsMarker(trigger_level_marker, serie)) || serie == trigger_level_arrow)
        {
            grabbed = DRAG_LEVEL;
            level_countdown = kMarkerShowTicks;
        }
        else if (serie == trigger_offset_arrow)
        {
            grabbed = DRAG_OFFSET;
            SetHorizontalFromChart(vx);
        }
    }
    if (grabbed == 0)
    {
        if (aOn && IsMarker(zero_marker[0], serie))
        {
            grabbed = DRAG_ZERO_A;
            ShiftChannelOffset(Truncated(vy), 0, true);
        }
        else if (bOn && IsMarker(zero_marker[1], serie))
        {
            grabbed = DRAG_ZERO_B;
            ShiftChannelOffset(Truncated(vy), 1, true);
        }
        else if (GetMathOperation() != 0 && IsMarker(zero_marker[2], serie))
        {
            grabbed = DRAG_ZERO_MATH;
            ShiftMathOffset(vy);
        }
        else
        {
            GrabMarker(vx, vy, serie);
        }
    }
    drag_mode |= grabbed;
    if (grabbed != 0 || MarkerGrabbed())
        drag_mode &= ~(DRAG_RECT | DRAG_ZOOM);
}

void CVelkaroDlg::ShiftMathOffset(double v)
{
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        d->y_offset[2] = static_cast<std::int8_t>(std::clamp(Truncated(v), -128, 127));
        if (CToolDialog* math = GetToolDialog(CToolDialogList::MATH); math != nullptr && math->GetSafeHwnd() != nullptr)
            math->SetDlgItemText(kMathOffsetTextId, FormatOffsetVolts(*d, 2).c_str());
        refresh_zero[2] = 1;
        refresh_limits[2] = 1;
        refresh_level = 1;
    }
    ClearTrail(2);
}

void CVelkaroDlg::OnChartSerieDoubleClick(CChartSerie* serie)
{
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        if ((d->osc_cr & OSC_CR_TRIGGER_ON) == 0)
            return;
        if (serie == trigger_level_arrow)
        {
            SetTriggerLevel(*d, 0);
            level_countdown = kMarkerShowTicks;
            if (GetDlgItem(kLevelTextId) != nullptr)
                SetDlgItemText(kLevelTextId, FormatTriggerLevel(*d).c_str());
        }
        else if (serie == trigger_offset_arrow)
        {
            d->SetHorizontalPosition(0);
            offset_countdown = kMarkerShowTicks;
        }
        else
        {
            return;
        }
        d->status &= ~STATUS_FRAME_READY;
        d->status |= STATUS_REDRAW;
        ClearTrail(-1);
    }
    RefreshControlsAfterChange();
}

void CVelkaroDlg::OnChartLeftButtonDown(int x, int y)
{
    if (drag_mode != 0)
        return;
    double vx = 0;
    double vy = 0;
    if (!ChartValues(x, y, vx, vy))
        return;
    drag_mode |= DRAG_RECT;
    rect_start_[0] = rect_end_[0] = vx;
    rect_start_[1] = rect_end_[1] = vy;
}

void CVelkaroDlg::OnChartMouseMove()
{
    if (drag_mode == 0 && !MarkerGrabbed())
        return;
    if (chart_.GetSafeHwnd() == nullptr)
        return;
    POINT at{};
    GetCursorPos(&at);
    chart_.ScreenToClient(&at);
    CRect client;
    chart_.GetClientRect(&client);
    if (!client.PtInRect(at))
        return;
    double vx = 0;
    double vy = 0;
    if (!ChartValues(at.x, at.y, vx, vy))
        return;
    bool stopped = false;
    {
        CSingleLock lock(&DataLock, TRUE);
        stopped = (GetOscData()->mode & MODE_STOPPED) != 0;
    }

    if (ButtonHeld(VK_LBUTTON))
    {
        if ((drag_mode & DRAG_LEVEL) != 0)
        {
            level_countdown = kMarkerShowTicks;
            bool changed = false;
            {
                CSingleLock lock(&DataLock, TRUE);
                OscData* d = GetOscData();
                const int source = d->GetTriggerSource();
                if (source == 1 || source == 2)
                {
                    const int c = source - 1;
                    // A damaged gain ratio gives no level rather than a division by zero.
                    if (d->gain_ref[c] != 0)
                    {
                        const double level =
                            (vy - d->y_offset[c]) * static_cast<double>(d->gain_sel[c]) / d->gain_ref[c];
                        SetTriggerLevel(*d, Truncated(level));
                    }
                    d->status |= STATUS_REDRAW;
                    ClearTrail(-1);
                    if (GetDlgItem(kLevelTextId) != nullptr)
                        SetDlgItemText(kLevelTextId, FormatTriggerLevel(*d).c_str());
                    changed = true;
                }
            }
            if (changed)
                RefreshControlsAfterChange();
        }
        else if ((drag_mode & DRAG_OFFSET) != 0)
        {
            SetHorizontalFromChart(vx);
        }
        else if ((drag_mode & DRAG_ZERO_A) != 0)
        {
            ShiftChannelOffset(Truncated(vy), 0, true);
        }
        else if ((drag_mode & DRAG_ZERO_B) != 0)
        {
            ShiftChannelOffset(Truncated(vy), 1, true);
        }
        else if ((drag_mode & DRAG_ZERO_MATH) != 0)
        {
            ShiftMathOffset(vy);
        }
        else if (!DragMarker(vx, vy) && (drag_mode & DRAG_RECT) != 0)
        {
            rect_end_[0] = vx;
            rect_end_[1] = vy;
        }
    }
    else
    {
        OnChartLeftButtonUp();
    }

    if (!ButtonHeld(VK_RBUTTON))
    {
        OnChartRightButtonUp();
        drag_mode &= ~DRAG_ZOOM;
    }
    else if ((drag_mode & DRAG_ZOOM) != 0 && stopped)
    {
        UpdateZoomWindow(vx);
    }
}

void CVelkaroDlg::OnChartLeftButtonUp()
{
    if ((drag_mode & DRAG_OFFSET) != 0)
        offset_countdown = 1;
    if ((drag_mode & DRAG_LEVEL) != 0)
        level_countdown = kMarkerShowTicks;
    ReleaseMarkers();
    drag_mode &= ~kLeftDrags;
}

void CVelkaroDlg::OnChartRightButtonDown(int x, int y)
{
    if (drag_mode != 0)
        return;
    {
        CSingleLock lock(&DataLock, TRUE);
        if ((GetOscData()->mode & MODE_STOPPED) == 0)
            return;
    }
    double vx = 0;
    double vy = 0;
    if (ChartValues(x, y, vx, vy))
        BeginZoomWindow(vx);
}

void CVelkaroDlg::BeginZoomWindow(double x)
{
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    if ((d->mode & MODE_STOPPED) == 0)
        return;
    zoom_steps_ = BuildZoomSteps(d->ListTDivOptions(), d->x_zoom_out_hw, d->x_zoom_out_sw, d->x_zoom_in);
    if (zoom_steps_.empty() || zoom_steps_.front().t_div >= d->t_div)
        return;
    drag_mode |= DRAG_ZOOM;
    zoom_anchor_ = Truncated(x);
    UpdateZoomWindow(x);
}

void CVelkaroDlg::UpdateZoomWindow(double x)
{
    if (zoom_steps_.empty())
        return;
    zoom_choice_ = ChooseZoomStep(zoom_steps_, x - zoom_anchor_);
}

void CVelkaroDlg::OnChartRightButtonUp()
{
    if ((drag_mode & DRAG_ZOOM) == 0)
        return;
    drag_mode &= ~DRAG_ZOOM;
    if (zoom_choice_.index < 0 || static_cast<std::size_t>(zoom_choice_.index) >= zoom_steps_.size())
        return;
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        // The window's middle becomes the screen's centre before the time/div changes around it.
        const std::int64_t half = zoom_choice_.width / 2;
        if ((d->osc_cr & OSC_CR_TRIGGER_ON) != 0)
            d->trigger_offset_extra =
                ClampToInt32(std::int64_t{d->trigger_offset_extra} + kScreenCentre - half - zoom_anchor_);
        else
            d->x_offset = ClampToInt32(std::int64_t{d->x_offset} + half + zoom_anchor_ - kScreenCentre);
        SetTDivKeepingCenter(*d, zoom_steps_[static_cast<std::size_t>(zoom_choice_.index)].t_div);
        if (strip_.GetSafeHwnd() != nullptr)
            strip_.CheckDlgButton(kFullSweepId, BST_UNCHECKED);
        d->status |= STATUS_REDRAW;
        ClearTrail(-1);
    }
    SyncTDivCombo();
}

void CVelkaroDlg::SetHorizontalFromChart(double x)
{
    offset_countdown = kMarkerShowTicks;
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    const double p = (d->mode & MODE_STOPPED) != 0 ? d->SamplesToPoints(d->trigger_offset_samples) - (x - kScreenCentre)
                                                   : (x - kScreenCentre) - d->trigger_offset_extra;
    if (d->SetHorizontalPosition(Truncated(p)))
    {
        d->status &= ~STATUS_FRAME_READY;
        d->status |= STATUS_REDRAW;
        ClearTrail(-1);
    }
}

void CVelkaroDlg::OnContextMenu(CWnd* wnd, CPoint point)
{
    if (wnd != nullptr && wnd->GetSafeHwnd() != nullptr && wnd->GetSafeHwnd() == chart_.GetSafeHwnd())
        return;
    CDialog::OnContextMenu(wnd, point);
}
