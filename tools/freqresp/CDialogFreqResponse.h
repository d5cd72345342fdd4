#pragma once
// CDialogFreqResponse: the modal window "АЧХ" that draws a measured frequency response: mean,
// minimum and maximum in dB over a logarithmic frequency axis, each as a line through marked
// points, with a legend. The caller fills `points` before DoModal.

#include "tools/freqresp/FreqResponsePlan.h"

#include "platform/ui/Dialog.h"
#include "widgets/chart/ChartCtrl.h"

#include <vector>

class CChartLineSerie;
class CChartPointsSerie;

class CDialogFreqResponse : public CDialog {
public:
    static constexpr UINT IDD = 130;
    static constexpr int IDC_CHART = 1036;
    // Where the legend's top-left corner sits in the chart, in pixels.
    static constexpr int kLegendLeft = 800;
    static constexpr int kLegendTop = 150;
    // The smallest frame the user may drag the window to: below it the plot has no room left
    // between its axes' labels.
    static constexpr int kMinWidth = 400;
    static constexpr int kMinHeight = 260;

    explicit CDialogFreqResponse(CWnd* parent = nullptr);

    // In measurement order.
    std::vector<FreqResponsePoint> points;

    CChartCtrl& GetChart() { return chart_; }
    // 0 mean, 1 minimum, 2 maximum.
    CChartLineSerie* GetLine(int curve) const { return curve >= 0 && curve < 3 ? lines_[curve] : nullptr; }
    CChartPointsSerie* GetMarks(int curve) const { return curve >= 0 && curve < 3 ? marks_[curve] : nullptr; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
    DECLARE_MESSAGE_MAP()

private:
    CChartCtrl chart_;
    CChartLineSerie* lines_[3] = {nullptr, nullptr, nullptr};
    CChartPointsSerie* marks_[3] = {nullptr, nullptr, nullptr};
    // The chart's margins inside the client area, from the template.
    CRect margins_;
};
