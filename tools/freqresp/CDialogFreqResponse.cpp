#include "tools/freqresp/CDialogFreqResponse.h"

#include "platform/gdi/GdiConstants.h"
#include "widgets/chart/ChartLegend.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartLogarithmicAxis.h"
#include "widgets/chart/ChartPointsSerie.h"
#include "widgets/chart/ChartStandardAxis.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CDialogFreqResponse, CDialog)
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
END_MESSAGE_MAP()

namespace {

struct Curve {
    COLORREF colour;
    const char* name;
};
constexpr Curve kCurves[3] = {{0xFF0000, "Среднее"}, {0x00FF00, "Минимум"}, {0x0000FF, "Максимум"}};

}  // namespace

CDialogFreqResponse::CDialogFreqResponse(CWnd* parent) : CDialog(IDD, parent) {}

void CDialogFreqResponse::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_CHART, chart_);
}

BOOL CDialogFreqResponse::OnInitDialog()
{
    CDialog::OnInitDialog();
    CRect client;
    GetClientRect(&client);
    CRect chart;
    chart_.GetWindowRect(&chart);
    ScreenToClient(&chart);
    margins_ = CRect(chart.left, chart.top, client.right - chart.right, client.bottom - chart.bottom);

    chart_.SuspendRedraw();
    chart_.SetEdgeType(EDGE_ETCHED);
    auto* vertical = new CChartStandardAxis();
    chart_.AttachAxis(CChartCtrl::LeftAxis, vertical);
    vertical->SetAutomatic(true);
    auto* horizontal = new CChartLogarithmicAxis();
    chart_.AttachAxis(CChartCtrl::BottomAxis, horizontal);
    horizontal->SetAutomatic(true);
    for (int c = 0; c < 3; ++c) {
        lines_[c] = new CChartLineSerie(&chart_);
        chart_.AddSerie(lines_[c]);
        lines_[c]->SetColor(kCurves[c].colour);
        lines_[c]->SetName(kCurves[c].name);
    }
    for (int c = 0; c < 3; ++c) {
        marks_[c] = chart_.CreatePointsSerie();
        marks_[c]->SetColor(kCurves[c].colour);
        // The legend names each curve once, by its line.
        marks_[c]->SetInLegend(false);
    }
    CChartLegend* legend = chart_.GetLegend();
    legend->SetVisible(true);
    legend->UndockLegend(kLegendLeft, kLegendTop);

    const auto add = [&](int curve, double f, double db) {
        lines_[curve]->AddPoint(f, db);
        marks_[curve]->AddPoint(f, db);
    };
    for (const FreqResponsePoint& p : points) {
        if (!(p.f > 0)) continue;  // a logarithmic axis has no place for it
        if (DrawMeanOrMinimum(p.mean)) add(0, p.f, p.mean);
        if (DrawMeanOrMinimum(p.minimum)) add(1, p.f, p.minimum);
        if (DrawMaximum(p.maximum)) add(2, p.f, p.maximum);
    }
    chart_.ResumeRedraw();
    return TRUE;
}

void CDialogFreqResponse::OnSize(UINT type, int cx, int cy)
{
    CDialog::OnSize(type, cx, cy);
    if (chart_.m_hWnd == nullptr) return;
    chart_.MoveWindow(margins_.left, margins_.top, std::max(0, cx - margins_.left - margins_.right),
                      std::max(0, cy - margins_.top - margins_.bottom));
    chart_.Redraw();
}

void CDialogFreqResponse::OnGetMinMaxInfo(MINMAXINFO* info)
{
    CDialog::OnGetMinMaxInfo(info);
    info->ptMinTrackSize = POINT{kMinWidth, kMinHeight};
}
