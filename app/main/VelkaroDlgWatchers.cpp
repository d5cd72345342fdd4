// The tick's change watchers and the control updates they run.

#include "app/main/LogicAnalyzerLink.h"
#include "app/main/OnChange.h"
#include "app/main/VelkaroDlg.h"
#include "app/tooldialog/ToolDialog.h"

#include "widgets/chart/ChartBiLineSerie.h"
#include "widgets/chart/ChartCrossHairCursor.h"
#include "widgets/chart/ChartLegend.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartPointsSerie.h"

#include <cstdio>

namespace {

constexpr UINT kStopId = 1047;
constexpr UINT kPeakDetectId = 1011;  // the settings window's capture-form button
constexpr UINT kTimebaseGroupId = 1084;
constexpr UINT kChannelOnId[2] = {1012, 1013};
constexpr COLORREF kCrossColour = 0x808080;
constexpr int kAllTraces = -1;

template <class Tag, class T>
void Watch(std::unique_ptr<COnChange::PreHolder>& slot, CVelkaroDlg* owner, T value)
{
    if (!slot)
        slot = COnChange::MakeHolder<Tag>(owner);
    slot->Check(&value);
}

// A picture that no longer matches the settings: the next frame is drawn afresh.
void MarkRedrawAndClearTrail(CVelkaroDlg& w)
{
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        d->status |= STATUS_REDRAW;
        d->status &= ~STATUS_FRAME_READY;
    }
    w.ClearTrail(kAllTraces);
}

void ApplyLogicMode(CVelkaroDlg& w, int c, bool logic)
{
    w.check_digital[c].ShowOn(logic);
    if (w.check_digital_bus[c].GetSafeHwnd() != nullptr)
        w.check_digital_bus[c].EnableWindow(logic);
    // Logic lines have no zero line of their own.
    ChartMarker& zero = w.zero_marker[c];
    if (zero.line != nullptr)
        zero.line->SetVisible(!logic);
    if (zero.mark != nullptr)
        zero.mark->SetVisible(!logic);
    w.refresh_level = 1;
    w.refresh_zero[c] = 1;
    w.refresh_limits[c] = 1;
    MarkRedrawAndClearTrail(w);
}

void ApplyBusDisplay(CVelkaroDlg& w, int c, bool bus)
{
    if (bus)
    {
        if (CChartBiLineSerie* s = w.GetLogicSerie(c, 0, 0))
            s->SetName(c == 0 ? "Канал A[]" : "Канал B[]");
        return;
    }
    for (int line = 0; line < 8; ++line)
        if (CChartBiLineSerie* s = w.GetLogicSerie(c, 0, line))
            s->SetName(w.GetNetName(c, line));
}

void ApplyChannelOn(CVelkaroDlg& w, int c, bool enabled)
{
    w.CheckDlgButton(kChannelOnId[c], enabled ? BST_CHECKED : BST_UNCHECKED);
    w.refresh_zero[c] = 1;
    w.refresh_limits[c] = 1;
    MarkRedrawAndClearTrail(w);
    // What time/div and decimation can offer depends on how many channels share the memory.
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    w.FillTDivList(*d);
    w.FillSkipList(*d);
}

}  // namespace

namespace OnChangeFun {

void Apply(CVelkaroDlg& w, ModeStop*, bool stopped)
{
    if (auto* stop = static_cast<CButton*>(w.GetDlgItem(kStopId)))
        stop->SetIcon(w.ImageIcon(stopped ? 137 : 136));
    // The capture form can change only while the acquisition runs.
    if (CToolDialog* settings = w.GetToolDialog(CToolDialogList::PROPERTIES); settings != nullptr && settings->GetSafeHwnd() != nullptr)
        if (CWnd* mode = settings->GetDlgItem(kPeakDetectId))
            mode->EnableWindow(stopped ? FALSE : TRUE);
    // A new acquisition overwrites what the decoders read.
    if (!stopped)
        if (LogicAnalyzerLink* analyzer = w.GetLogicAnalyzerLink())
            analyzer->ClearDecoderResults();
}

void Apply(CVelkaroDlg& w, ModeSingle*, bool single) { w.ShowSingleButton(single); }

void Apply(CVelkaroDlg& w, ShowLegend*, int shown)
{
    if (CChartLegend* legend = w.GetChart().GetLegend())
        legend->SetVisible(shown != 0);
    w.GetChart().Redraw();
}

void Apply(CVelkaroDlg& w, ShowCross*, int shown)
{
    CChartCtrl& chart = w.GetChart();
    // Never two cross hairs: one remembered is taken away before another is made.
    if (w.cross_cursor_id != -1)
    {
        chart.RemoveCursor(static_cast<unsigned>(w.cross_cursor_id));
        w.cross_cursor_id = -1;
    }
    if (shown == 0)
        return;
    if (CChartCrossHairCursor* cross = chart.CreateCrossHairCursor())
    {
        cross->SetColor(kCrossColour);
        w.cross_cursor_id = static_cast<long>(cross->GetCursorId());
    }
}

void Apply(CVelkaroDlg& w, Interpolation*, bool interpolated)
{
    w.SetDlgItemText(kTimebaseGroupId, interpolated ? "Горизонтальная развертка (*)" : "Горизонтальная развертка");
}

void Apply(CVelkaroDlg& w, ChDigital<0>*, bool logic) { ApplyLogicMode(w, 0, logic); }
void Apply(CVelkaroDlg& w, ChDigital<1>*, bool logic) { ApplyLogicMode(w, 1, logic); }
void Apply(CVelkaroDlg& w, ChDigitalBus<0>*, bool bus) { ApplyBusDisplay(w, 0, bus); }
void Apply(CVelkaroDlg& w, ChDigitalBus<1>*, bool bus) { ApplyBusDisplay(w, 1, bus); }
void Apply(CVelkaroDlg& w, Ch<0>*, bool enabled) { ApplyChannelOn(w, 0, enabled); }
void Apply(CVelkaroDlg& w, Ch<1>*, bool enabled) { ApplyChannelOn(w, 1, enabled); }

void Apply(CVelkaroDlg& w, Connected*, bool linked)
{
    w.SetDlgItemText(CVelkaroDlg::kConnectId, linked ? "Отключиться" : "Подключиться");
}

void Apply(CVelkaroDlg& w, MathOp*, int operation) { w.SetMathSeriesNames(operation); }

}  // namespace OnChangeFun

void CVelkaroDlg::WatchModeAndDisplay(OscData& d)
{
    using namespace OnChangeFun;
    Watch<ModeStop>(watchers_[ModeStop::kSlot], this, (d.mode & MODE_STOPPED) != 0);
    Watch<ModeSingle>(watchers_[ModeSingle::kSlot], this, (d.mode & MODE_SINGLE) != 0);
    Watch<ShowLegend>(watchers_[ShowLegend::kSlot], this, show_legend);
    Watch<ShowCross>(watchers_[ShowCross::kSlot], this, show_cross);
    if (refresh_single_each_tick != 0)
        ShowSingleButton((d.mode & MODE_SINGLE) != 0);
}

void CVelkaroDlg::WatchInterpolation(OscData& d)
{
    using namespace OnChangeFun;
    Watch<Interpolation>(watchers_[Interpolation::kSlot], this, d.x_zoom_in != 1);
}

void CVelkaroDlg::WatchChannels(bool linked)
{
    using namespace OnChangeFun;
    Watch<ChDigital<0>>(watchers_[ChDigital<0>::kSlot], this, snapshot_.logic_mode[0]);
    Watch<ChDigital<1>>(watchers_[ChDigital<1>::kSlot], this, snapshot_.logic_mode[1]);
    Watch<ChDigitalBus<0>>(watchers_[ChDigitalBus<0>::kSlot], this, digital_bus[0]);
    Watch<ChDigitalBus<1>>(watchers_[ChDigitalBus<1>::kSlot], this, digital_bus[1]);
    Watch<Ch<0>>(watchers_[Ch<0>::kSlot], this, snapshot_.enabled[0]);
    Watch<Ch<1>>(watchers_[Ch<1>::kSlot], this, snapshot_.enabled[1]);
    Watch<Connected>(watchers_[Connected::kSlot], this, linked);
    Watch<MathOp>(watchers_[MathOp::kSlot], this, GetMathOperation());
}
