// The window's tools: the screen and whole-buffer spectrum, the filter's design, response
// views and run over the buffer, and the frequency-response measurement.

#include "tools/math/MathDialog.h"
#include "tools/math/MathBuffer.h"

#include "core/data/OscData.h"
#include "platform/kernel/Sync.h"
#include "tools/fft/CChartCtrlDlg.h"
#include "tools/fir/CPropertySheetFIR.h"
#include "tools/freqresp/CDialogFRParam.h"
#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartAxisLabel.h"
#include "widgets/chart/ChartLineSerie.h"

#include <libalglib/ap.h>

#include <cmath>
#include <string>

namespace {

constexpr const char* kLogicRefusal = "Нельзя применить к каналу ЛА";
constexpr const char* kRecorderRefusal = "Не возможно в режиме самописца";
constexpr const char* kNoFilter = "Фильтр не создан!";
constexpr const char* kAxisFont = "Courier New Cyr";
constexpr int kAxisFontSize = 100;

// The buffer holds a whole capture only once its read-out has finished: half way it would mix
// channel A of one capture with channel B of the one before.
bool CaptureComplete(const OscData& d) { return d.read_state == 3; }

bool CarriesLogic(const OscData& d, int channel)
{
    return (d.osc_cr & (channel == 0 ? OSC_CR_LOGIC_A : OSC_CR_LOGIC_B)) != 0;
}

}  // namespace

bool CMathDialog::HoldCapture(OscData& d, bool* armedSingle)
{
    const bool stopped = (d.mode & MODE_STOPPED) != 0;
    *armedSingle = false;
    if ((d.osc_cr & OSC_CR_TRIGGER_ON) != 0)
    {
        // A stopped acquisition is never armed again: the capture on the screen is the one
        // the user means.
        if (!stopped && (d.mode & MODE_SINGLE) == 0)
        {
            d.mode |= MODE_SINGLE;
            *armedSingle = true;
        }
    }
    else if (!stopped)
    {
        d.ToggleStop();
    }
    return stopped;
}

// ---- screen spectrum ---------------------------------------------------------------------

void CMathDialog::OnScreenFftClicked() { ApplyScreenFft(); }

void CMathDialog::ApplyScreenFft()
{
    if (IsDlgButtonChecked(IDC_SCREEN_FFT) == 0)
    {
        StopScreenFft();
        return;
    }
    UpdateData(TRUE);
    CSingleLock lock(&DataLock, TRUE);
    OscData& d = *GetOscData();
    if (CarriesLogic(d, fft_channel))
    {
        lock.Unlock();
        MessageBox(kLogicRefusal);
        CheckDlgButton(IDC_SCREEN_FFT, BST_UNCHECKED);
        return;
    }
    if (fft_ != nullptr)
        fft_->closed = false;
    SetTimer(kScreenFftTimer, kPollMs);
    d.mode |= MODE_SPECTRUM;
    if (fft_channel == 0)
        d.mode |= MODE_SPECTRUM_A;
    else
        d.mode &= ~MODE_SPECTRUM_A;
}

void CMathDialog::StopScreenFft()
{
    KillTimer(kScreenFftTimer);
    if (fft_ != nullptr && fft_->GetSafeHwnd() != nullptr)
        fft_->EndDialog(0);
    CSingleLock lock(&DataLock, TRUE);
    GetOscData()->mode &= ~MODE_SPECTRUM;
}

void CMathDialog::ShowScreenSpectrum()
{
    SpectrumSeries s;
    {
        CSingleLock lock(&DataLock, TRUE);
        s = ScreenSpectrum(*GetOscData());
    }
    if (s.points == 0)
        return;
    if (fft_ == nullptr)
        fft_ = std::make_unique<CDialogFFT>(&rect_dlg_fft);
    fft_->UpdateSpectrum(s.points, s.f, s.a);
}

// ---- whole-buffer spectrum -----------------------------------------------------------------

void CMathDialog::OnBufferFftClicked()
{
    UpdateData(TRUE);
    CSingleLock lock(&DataLock, TRUE);
    OscData& d = *GetOscData();
    const char* refusal = nullptr;
    if ((d.mode & MODE_RECORDER) != 0)
        refusal = kRecorderRefusal;
    else if (CarriesLogic(d, fft_channel))
        refusal = kLogicRefusal;
    if (refusal != nullptr)
    {
        lock.Unlock();
        MessageBox(refusal);
        return;
    }
    CheckDlgButton(IDC_SCREEN_FFT, BST_UNCHECKED);
    GetDlgItem(IDC_SCREEN_FFT)->EnableWindow(FALSE);
    KillTimer(kScreenFftTimer);
    if (fft_ != nullptr && fft_->GetSafeHwnd() != nullptr)
        fft_->EndDialog(0);
    d.mode &= ~MODE_SPECTRUM;
    fft_was_stopped_ = HoldCapture(d, &fft_armed_single_);
    GetDlgItem(IDC_BUFFER_FFT)->EnableWindow(FALSE);
    GetDlgItem(IDC_FFT_CHANNEL)->EnableWindow(FALSE);
    SetTimer(kBufferFftTimer, kPollMs);
}

void CMathDialog::ShowBufferSpectrum()
{
    SpectrumSeries s;
    std::string failure;
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData& d = *GetOscData();
        if (!CaptureComplete(d))
            return;
        GetDlgItem(IDC_BUFFER_FFT)->EnableWindow(TRUE);
        GetDlgItem(IDC_FFT_CHANNEL)->EnableWindow(TRUE);
        GetDlgItem(IDC_SCREEN_FFT)->EnableWindow(TRUE);
        KillTimer(kBufferFftTimer);
        try
        {
            s = BufferSpectrum(d, fft_channel);
        }
        catch (const alglib::ap_error& e)
        {
            failure = e.msg;
        }
        // Back to free running as before: the single capture asked for is taken back, and
        // an acquisition this window stopped runs again.
        if (fft_armed_single_)
            d.mode &= ~MODE_SINGLE;
        if (!fft_was_stopped_ && (d.mode & MODE_STOPPED) != 0)
            d.ToggleStop();
    }
    if (!failure.empty())
    {
        MessageBox(failure.c_str());
        return;
    }
    if (s.points == 0)
        return;
    // A new window each time: the old one may show a spectrum of other points.
    fft_.reset();
    fft_ = std::make_unique<CDialogFFT>(&rect_dlg_fft);
    fft_->ShowSpectrum(s.f, s.a, s.points);
}

// ---- filter ----------------------------------------------------------------------------------

void CMathDialog::OnApplyFilterClicked()
{
    UpdateData(TRUE);
    CSingleLock lock(&DataLock, TRUE);
    OscData& d = *GetOscData();
    const bool a = filter_channel != 1;
    const bool b = filter_channel != 0;
    const char* refusal = nullptr;
    if ((d.mode & MODE_RECORDER) != 0)
        refusal = kRecorderRefusal;
    else if ((a && CarriesLogic(d, 0)) || (b && CarriesLogic(d, 1)))
        refusal = kLogicRefusal;
    else if (filter_ == nullptr)
        refusal = kNoFilter;
    else if (filter_->Fs != static_cast<double>(CaptureSampleRate(d)))
    {
        // Designed for another time base: its band would be somewhere else now.
        filter_.reset();
        refusal = kNoFilter;
    }
    if (refusal != nullptr)
    {
        lock.Unlock();
        MessageBox(refusal);
        return;
    }
    bool armed = false;
    filter_was_stopped_ = HoldCapture(d, &armed);
    GetDlgItem(IDC_FILTER_CHANNEL)->EnableWindow(FALSE);
    SetTimer(kFilterTimer, kPollMs);
}

void CMathDialog::ApplyFilter()
{
    std::string failure;
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData& d = *GetOscData();
        if (!CaptureComplete(d))
            return;
        GetDlgItem(IDC_FILTER_CHANNEL)->EnableWindow(TRUE);
        KillTimer(kFilterTimer);
        // The filtered capture stays on the screen: the acquisition is left stopped.
        const int selection = filter_channel < 0 || filter_channel > 2 ? 0 : filter_channel;
        try
        {
            if (filter_ != nullptr)
                FilterBuffer(d, *filter_, static_cast<FilterSelection>(selection));
        }
        catch (const alglib::ap_error& e)
        {
            failure = e.msg;
        }
    }
    if (!failure.empty())
        MessageBox(failure.c_str());
}

void CMathDialog::OnDesignFilterClicked()
{
    std::uint32_t fs = 0;
    {
        CSingleLock lock(&DataLock, TRUE);
        fs = CaptureSampleRate(*GetOscData());
    }
    std::string failure;
    try
    {
        CPropertySheetFIR sheet(fir_params, fs, this);
        if (sheet.DoModal() != IDOK)
            return;
        std::unique_ptr<FIR> made = sheet.TakeFilter();
        if (made == nullptr)
            return;
        fir_params.len = sheet.params.len;
        fir_params.freq = sheet.params.freq;
        fir_params.freq2 = sheet.params.freq2;
        fir_params.type = sheet.params.type;
        filter_ = std::move(made);
    }
    catch (const alglib::ap_error& e)
    {
        failure = e.msg;
    }
    if (!failure.empty())
        MessageBox(failure.c_str());
}

void CMathDialog::OnMagnitudeViewClicked() { ShowFilterResponse(false); }

void CMathDialog::OnPhaseViewClicked() { ShowFilterResponse(true); }

void CMathDialog::ShowFilterResponse(bool phase)
{
    if (filter_ == nullptr)
    {
        MessageBox(kNoFilter);
        return;
    }
    const FIR& f = *filter_;
    const alglib::real_1d_array& values = phase ? f.phase : f.magnitude;
    const int length = static_cast<int>(values.length());
    double divisor = 1;
    const char* unit = "Гц";
    if (f.Fs / 2 > 1000000)
    {
        divisor = 1000000;
        unit = "МГц";
    }
    else if (f.Fs / 2 > 1000)
    {
        divisor = 1000;
        unit = "КГц";
    }

    CChartCtrlDlg dlg(phase ? "ФЧХ фильтра" : "АЧХ фильтра", this);
    CChartCtrl& chart = dlg.GetChart();
    auto* serie = new CChartLineSerie(&chart);
    chart.AddSerie(serie);
    for (int k = 0; k < length / 2; ++k)
    {
        const double x = k * f.Fs / f.N / divisor;
        const double y = phase ? values[k] / M_PI * 180 : values[k];
        // A bin the filter blocks completely lies at minus infinity dB: no place on the axis.
        if (std::isfinite(y))
            serie->AddPoint(x, y);
    }
    CChartAxisLabel* bottom = chart.GetBottomAxis()->GetLabel();
    bottom->SetText(unit);
    bottom->SetFont(kAxisFontSize, kAxisFont);
    CChartAxisLabel* left = chart.GetLeftAxis()->GetLabel();
    left->SetText(phase ? "Градус" : "Db");
    left->SetFont(kAxisFontSize, kAxisFont);
    dlg.DoModal();
}

// ---- frequency response ----------------------------------------------------------------------

void CMathDialog::OnFreqResponseClicked()
{
    bool linked = false;
    {
        CSingleLock lock(&DataLock, TRUE);
        linked = (GetOscData()->mode & MODE_LINKED) != 0;
    }
    if (!linked)
    {
        MessageBox("Необходимо подключиться!", nullptr, MB_ICONEXCLAMATION);
        return;
    }
    CDialogFRParam dlg(this);
    dlg.DoModal();
}

// ---- timers ------------------------------------------------------------------------------------

void CMathDialog::OnTimer(UINT_PTR id)
{
    switch (id)
    {
    case kBufferFftTimer:
        ShowBufferSpectrum();
        break;
    case kScreenFftTimer:
        if (fft_ != nullptr && fft_->closed)
        {
            CheckDlgButton(IDC_SCREEN_FFT, BST_UNCHECKED);
            StopScreenFft();
        }
        else
        {
            ShowScreenSpectrum();
        }
        break;
    case kFilterTimer:
        ApplyFilter();
        break;
    default:
        break;
    }
    CToolDialog::OnTimer(id);
}
