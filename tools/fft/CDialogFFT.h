#pragma once
// CDialogFFT: the spectrum window "БПФ", modeless and ownerless: amplitude in volts over a
// logarithmic frequency axis, one line and a cross-hair that reads both values. Its position
// and size live in a rectangle its owner keeps (and saves), so the window reopens where the
// user left it. Closing it only hides it and raises `closed`, which the owner polls.
//
//   CDialogFFT* w = new CDialogFFT(&rect_dlg_fft);
//   w->ShowSpectrum(f, a, N);            // f[0..N/2], a[0..N/2]: the whole buffer
//   w->UpdateSpectrum(M, f, a);          // the screen spectrum, on every refresh

#include "platform/ui/Dialog.h"
#include "widgets/chart/ChartCtrl.h"

#include <vector>

class CChartFastStandardAxis;
class CChartFastLogarithmicAxis;
class CChartLineSerie;
class CChartCrossHairCursor;

class CDialogFFT : public CDialog {
public:
    static constexpr UINT IDD = 143;
    static constexpr int IDC_CHART = 1085;
    // Below this peak (volts) a spectrum is noise: it is drawn as a flat zero line.
    static constexpr double kNoiseFloor = 0.001;
    static constexpr long long kMaxExtent = 32767;
    // The smallest frame the user may drag the window to: below it the plot has no room left
    // between its axes' labels.
    static constexpr int kMinWidth = 300;
    static constexpr int kMinHeight = 200;

    // rect is the owner's (left, top, right, bottom); it must outlive the window.
    explicit CDialogFFT(CRect* rect);
    ~CDialogFFT() override;

    // A rectangle that cannot show the window (no area, or its centre off the desktop) becomes
    // the default one; true when it was replaced.
    static bool SanitizeRect(CRect& rect);
    static CRect DefaultRect() { return CRect(0, 0, 500, 300); }

    // The whole-buffer spectrum of N samples: bins 1..N/2 of f and a (bin 0 is the mean and is
    // not drawn). Arrays shorter than N/2 + 1 are drawn as far as they go.
    void ShowSpectrum(const std::vector<double>& f, const std::vector<double>& a, int N);
    // The screen spectrum of M points: the series is refilled in place while the point count
    // stays, and rebuilt (and the window shown again) when it changes.
    void UpdateSpectrum(int M, const std::vector<double>& f, const std::vector<double>& a);

    CChartCtrl& GetChart() { return chart_; }
    CChartLineSerie* GetSerie() const { return serie_; }
    CChartFastStandardAxis* GetVerticalAxis() const { return vertical_; }
    CChartFastLogarithmicAxis* GetHorizontalAxis() const { return horizontal_; }
    CChartCrossHairCursor* GetCursor() const { return cursor_; }

    // Set when the user closes the window; cleared whenever a spectrum is shown.
    bool closed = false;

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void DoDataExchange(CDataExchange* dx) override;
    afx_msg void OnWindowPosChanging(WINDOWPOS* pos);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
    afx_msg LRESULT OnMove(WPARAM, LPARAM);
    afx_msg void OnSize(UINT type, int cx, int cy);
    DECLARE_MESSAGE_MAP()

private:
    void FitChartToClient();
    // Ends an update: both axes keep the range just fitted, their mappings are rebuilt, the
    // chart draws once and the window shows.
    void FinishUpdate();

    CRect* rect_;
    CChartCtrl chart_;
    CChartFastStandardAxis* vertical_ = nullptr;
    CChartFastLogarithmicAxis* horizontal_ = nullptr;
    CChartLineSerie* serie_ = nullptr;
    CChartCrossHairCursor* cursor_ = nullptr;
    bool initialised_ = false;
};
