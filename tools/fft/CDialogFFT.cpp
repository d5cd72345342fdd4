#include "tools/fft/CDialogFFT.h"

#include "widgets/chart/ChartCrossHairCursor.h"
#include "widgets/chart/ChartFastLogarithmicAxis.h"
#include "widgets/chart/ChartFastStandardAxis.h"
#include "widgets/chart/ChartLineSerie.h"

#include <algorithm>
#include <cmath>

BEGIN_MESSAGE_MAP(CDialogFFT, CDialog)
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_GETMINMAXINFO()
    ON_MESSAGE(WM_MOVE, &CDialogFFT::OnMove)
    ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {

// The last bin both arrays hold for a transform of `points` samples (0: nothing to draw).
std::size_t LastBin(const std::vector<double>& f, const std::vector<double>& a, int points)
{
    if (points < 2 || f.empty() || a.empty()) return 0;
    return std::min({static_cast<std::size_t>(points / 2), f.size() - 1, a.size() - 1});
}

double PeakOf(const std::vector<double>& a, std::size_t n)
{
    double peak = -1;
    for (std::size_t k = 1; k <= n; ++k) peak = std::max(peak, a[k]);
    return peak;
}

}  // namespace

CDialogFFT::CDialogFFT(CRect* rect) : rect_(rect)
{
    Create(IDD, nullptr);
}

CDialogFFT::~CDialogFFT()
{
    // The window's last messages must not write into a rectangle its owner may be freeing.
    initialised_ = false;
    rect_ = nullptr;
    if (m_hWnd != nullptr) DestroyWindow();
}

bool CDialogFFT::SanitizeRect(CRect& rect)
{
    CRect desktop;
    GetDesktopWindow()->GetWindowRect(&desktop);
    // In 64 bits: a stored rectangle may hold anything. No window is wider or higher than the
    // 16-bit coordinates the window system draws in.
    const long long w = static_cast<long long>(rect.right) - rect.left;
    const long long h = static_cast<long long>(rect.bottom) - rect.top;
    const bool empty = w <= 0 || h <= 0 || w > kMaxExtent || h > kMaxExtent;
    const long long cx = (static_cast<long long>(rect.left) + rect.right) / 2;
    const long long cy = (static_cast<long long>(rect.top) + rect.bottom) / 2;
    const bool off = cx < desktop.left || cx >= desktop.right || cy < desktop.top || cy >= desktop.bottom;
    if (!empty && !off) return false;
    rect = DefaultRect();
    return true;
}

void CDialogFFT::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_CHART, chart_);
}

BOOL CDialogFFT::OnInitDialog()
{
    CDialog::OnInitDialog();
    chart_.SetEdgeType(0);
    vertical_ = new CChartFastStandardAxis();
    chart_.AttachAxis(CChartCtrl::LeftAxis, vertical_);
    horizontal_ = new CChartFastLogarithmicAxis();
    chart_.AttachAxis(CChartCtrl::BottomAxis, horizontal_);
    cursor_ = chart_.CreateCrossHairCursor();
    cursor_->ShowValues(true);
    // The cross-hair is the pointer over the plot.
    chart_.ShowMouseCursor(false);
    serie_ = new CChartLineSerie(&chart_);
    chart_.AddSerie(serie_);

    if (rect_ != nullptr) {
        SanitizeRect(*rect_);
        const CRect r = *rect_;
        initialised_ = true;
        SetWindowPos(nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    initialised_ = true;
    FitChartToClient();
    return TRUE;
}

void CDialogFFT::FitChartToClient()
{
    if (chart_.m_hWnd == nullptr) return;
    CRect client;
    GetClientRect(&client);
    chart_.MoveWindow(0, 0, client.Width(), client.Height());
    if (vertical_ != nullptr) vertical_->PrepareMapping();
    if (horizontal_ != nullptr) horizontal_->PrepareMapping();
}

void CDialogFFT::OnWindowPosChanging(WINDOWPOS* pos)
{
    CDialog::OnWindowPosChanging(pos);
    if (!initialised_ || rect_ == nullptr) return;
    if ((pos->flags & SWP_NOMOVE) == 0) {
        const int w = rect_->Width();
        const int h = rect_->Height();
        *rect_ = CRect(pos->x, pos->y, pos->x + w, pos->y + h);
    }
    if ((pos->flags & SWP_NOSIZE) == 0) {
        rect_->right = rect_->left + pos->cx;
        rect_->bottom = rect_->top + pos->cy;
    }
}

void CDialogFFT::OnGetMinMaxInfo(MINMAXINFO* info)
{
    CDialog::OnGetMinMaxInfo(info);
    info->ptMinTrackSize = POINT{kMinWidth, kMinHeight};
}

// A window the user drags is moved by the window system without asking first: the new corner
// is taken from where the window now is.
LRESULT CDialogFFT::OnMove(WPARAM, LPARAM)
{
    if (initialised_ && rect_ != nullptr && !IsIconic() && !IsZoomed()) {
        CRect now;
        GetWindowRect(&now);
        const int w = rect_->Width();
        const int h = rect_->Height();
        *rect_ = CRect(now.left, now.top, now.left + w, now.top + h);
    }
    return 0;
}

// The chart follows the client area once the new size has taken effect.
void CDialogFFT::OnSize(UINT type, int cx, int cy)
{
    CDialog::OnSize(type, cx, cy);
    if (!initialised_) return;
    FitChartToClient();
    if (rect_ != nullptr && type == SIZE_RESTORED) {
        CRect now;
        GetWindowRect(&now);
        rect_->right = rect_->left + now.Width();
        rect_->bottom = rect_->top + now.Height();
    }
    chart_.Redraw();
}

void CDialogFFT::OnCancel()
{
    closed = true;
    CDialog::OnCancel();
}

void CDialogFFT::ShowSpectrum(const std::vector<double>& f, const std::vector<double>& a, int N)
{
    if (serie_ == nullptr) return;
    const std::size_t n = LastBin(f, a, N);
    chart_.SuspendRedraw();
    vertical_->SetAutomatic(true);
    horizontal_->SetAutomatic(true);
    // A window shown again starts from an empty series rather than piling a second spectrum on.
    serie_->RemoveAllPoints();
    if (n > 0) {
        std::vector<double> y(a.begin() + 1, a.begin() + 1 + static_cast<std::ptrdiff_t>(n));
        if (!(PeakOf(a, n) > kNoiseFloor)) std::fill(y.begin(), y.end(), 0.0);
        serie_->AddPoints(f.data() + 1, y.data(), static_cast<unsigned>(n));
    }
    vertical_->UpdateAutoRange();
    horizontal_->UpdateAutoRange();
    vertical_->SetAutomatic(false);
    horizontal_->SetAutomatic(false);
    FinishUpdate();
}

void CDialogFFT::UpdateSpectrum(int M, const std::vector<double>& f, const std::vector<double>& a)
{
    if (serie_ == nullptr) return;
    const std::size_t n = LastBin(f, a, M);
    if (serie_->GetPointsCount() != n || n == 0) {
        serie_->RemoveAllPoints();
        ShowSpectrum(f, a, M);
        return;
    }
    chart_.SuspendRedraw();
    vertical_->SetMinMax(0, 0);
    vertical_->SetAutomatic(true);
    serie_->RemoveAllPoints();
    if (PeakOf(a, n) > kNoiseFloor) {
        serie_->AddPoints(f.data() + 1, a.data() + 1, static_cast<unsigned>(n));
    } else {
        serie_->AddPoint(f[1], 0);
        serie_->AddPoint(f[n], 0);
    }
    vertical_->UpdateAutoRange();
    vertical_->SetAutomatic(false);
    horizontal_->SetMinMax(f[1], f[n]);
    FinishUpdate();
}

void CDialogFFT::FinishUpdate()
{
    vertical_->PrepareMapping();
    horizontal_->PrepareMapping();
    chart_.ResumeRedraw();
    closed = false;
    if (!IsWindowVisible()) ShowWindow(SW_SHOW);
}
