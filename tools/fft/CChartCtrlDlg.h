#pragma once
// CChartCtrlDlg: a resizable popup holding one chart with a standard bottom and left axis in
// automatic range, built from a template made in memory with the caller's caption. The window
// exists (hidden) once constructed: the caller adds series and points to GetChart(), titles
// its axes, and runs it modally; it never gets smaller than 500 × 300 pixels.
//
//   CChartCtrlDlg dlg("АЧХ фильтра", nullptr);
//   CChartLineSerie* s = new CChartLineSerie(&dlg.GetChart()); dlg.GetChart().AddSerie(s);
//   dlg.GetChart().GetBottomAxis()->GetLabel()->SetText("КГц");
//   dlg.DoModal();

#include "platform/ui/Dialog.h"
#include "widgets/chart/ChartCtrl.h"

#include <array>
#include <cstdint>
#include <string>

class CChartCtrlDlg : public CDialog {
public:
    static constexpr int kMinWidth = 500;
    static constexpr int kMinHeight = 300;
    static constexpr int IDC_CHART = 256;
    static constexpr std::size_t kTemplateBytes = 1024;
    // UTF-16 code units of the caption the template holds.
    static constexpr std::size_t kCaptionLimit = 50;
    // Popup, caption, system menu, thick frame, maximise box, modal frame.
    static constexpr DWORD kTemplateStyle = 0x80CD0080;

    CChartCtrlDlg(const std::string& caption, CWnd* parent = nullptr);
    ~CChartCtrlDlg() override;

    // The template's caption: `caption` as UTF-16, cut to kCaptionLimit code units without
    // splitting a character (a surrogate pair stays whole or goes). Bad UTF-8 reads as U+FFFD.
    static std::u16string TemplateCaption(const std::string& caption);

    // Shows the window and runs it modally; it is destroyed on return.
    INT_PTR DoModal() override;

    CChartCtrl& GetChart() { return chart_; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    afx_msg void OnWindowPosChanging(WINDOWPOS* pos);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
    afx_msg void OnSize(UINT type, int cx, int cy);
    DECLARE_MESSAGE_MAP()

private:
    void FitChart();

    std::array<std::uint8_t, kTemplateBytes> template_{};
    CChartCtrl chart_;
};
