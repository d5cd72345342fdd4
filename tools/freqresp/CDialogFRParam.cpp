#include "tools/freqresp/CDialogFRParam.h"

#include "tools/freqresp/CDialogFreqResponse.h"

#include "core/data/OscData.h"
#include "core/measure/OscFormat.h"
#include "platform/kernel/Sync.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

BEGIN_MESSAGE_MAP(CDialogFRParam, CDialog)
    ON_WM_TIMER()
    ON_EN_CHANGE(CDialogFRParam::IDC_MINIMUM, &CDialogFRParam::OnLevelChange)
    ON_EN_CHANGE(CDialogFRParam::IDC_MAXIMUM, &CDialogFRParam::OnLevelChange)
    ON_EN_CHANGE(CDialogFRParam::IDC_MEAN, &CDialogFRParam::OnLevelChange)
    ON_BN_CLICKED(CDialogFRParam::IDC_CHANNEL_A, &CDialogFRParam::OnLevelChange)
    ON_BN_CLICKED(CDialogFRParam::IDC_CHANNEL_B, &CDialogFRParam::OnLevelChange)
    ON_BN_CLICKED(CDialogFRParam::IDC_FROM_MEASUREMENTS, &CDialogFRParam::OnFromMeasurements)
    ON_BN_CLICKED(CDialogFRParam::IDC_START, &CDialogFRParam::OnStart)
END_MESSAGE_MAP()

namespace {

// Versions whose runs measure; the others end a run at once with nothing measured.
bool MeasuresResponse(int version) { return version >= 1 && version <= 3; }

}  // namespace

CDialogFRParam::CDialogFRParam(CWnd* parent) : CDialog(IDD, parent) {}

void CDialogFRParam::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PROGRESS, progress_);
    DDX_Text(dx, IDC_MINIMUM, m_min);
    DDX_Text(dx, IDC_MAXIMUM, m_max);
    DDX_Text(dx, IDC_MEAN, m_mean);
    DDX_Check(dx, IDC_CALIBRATION, m_calibration);
    DDX_Radio(dx, IDC_CHANNEL_A, m_channel);
}

BOOL CDialogFRParam::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_channel = 0;
    m_min = 0;
    m_max = 100;
    m_mean = 50;
    m_calibration = TRUE;
    PushToControls();
    SetTimer(kProgressTimer, kProgressMs);
    return TRUE;
}

void CDialogFRParam::ReadControls()
{
    const auto read = [&](int id, int& value) {
        BOOL ok = FALSE;
        const int v = static_cast<int>(GetDlgItemInt(id, &ok, TRUE));
        if (ok) value = v;
    };
    read(IDC_MINIMUM, m_min);
    read(IDC_MAXIMUM, m_max);
    read(IDC_MEAN, m_mean);
    m_calibration = IsDlgButtonChecked(IDC_CALIBRATION) != 0 ? TRUE : FALSE;
    m_channel = IsDlgButtonChecked(IDC_CHANNEL_B) != 0 ? 1 : 0;
}

void CDialogFRParam::RefreshVolts()
{
    ReadControls();
    std::string minimum;
    std::string maximum;
    std::string mean;
    {
        CSingleLock lock(&DataLock, TRUE);
        const OscData& d = *GetOscData();
        const int c = m_channel;
        // The levels are in points at the reference gain; the texts show them at the gain in use.
        double ratio = 1.0;
        if (d.gain_ref[c] != 0 && d.gain_sel[c] != 0) ratio = static_cast<double>(d.gain_sel[c]) / d.gain_ref[c];
        maximum = FormatVolts(d, c, m_max / ratio);
        minimum = FormatVolts(d, c, m_min / ratio);
        mean = FormatVolts(d, c, m_mean / ratio);
    }
    SetDlgItemText(IDC_MAXIMUM_VOLTS, maximum.c_str());
    SetDlgItemText(IDC_MINIMUM_VOLTS, minimum.c_str());
    SetDlgItemText(IDC_MEAN_VOLTS, mean.c_str());
}

void CDialogFRParam::OnLevelChange()
{
    if (!pushing_) RefreshVolts();
}

void CDialogFRParam::OnFromMeasurements()
{
    ReadControls();
    {
        CSingleLock lock(&DataLock, TRUE);
        const OscData& d = *GetOscData();
        m_min = d.measure_min[m_channel];
        m_max = d.measure_max[m_channel];
        m_mean = d.measure_mean[m_channel];
    }
    PushToControls();
}

void CDialogFRParam::PushToControls()
{
    // Each edit set reports a change; reading the controls then would take the edits not yet
    // set back into the members before they are pushed.
    pushing_ = true;
    UpdateData(FALSE);
    pushing_ = false;
    RefreshVolts();
}

void CDialogFRParam::EnableInputs(bool enable)
{
    for (const int id : {IDC_START, IDC_CHANNEL_A, IDC_CHANNEL_B, IDC_CALIBRATION, IDC_MINIMUM, IDC_MAXIMUM, IDC_MEAN,
                         IDC_FROM_MEASUREMENTS})
        if (CWnd* w = GetDlgItem(id)) w->EnableWindow(enable ? TRUE : FALSE);
}

void CDialogFRParam::OnStart()
{
    if (running_) return;
    if (!UpdateData(TRUE)) return;
    m_channel = std::clamp(m_channel, 0, 1);
    EnableInputs(false);

    CSingleLock lock(&DataLock, TRUE);
    OscData& d = *GetOscData();
    const std::uint32_t clock = d.GetBaseClock();
    const std::vector<std::uint32_t> dividers = BuildDividerList(clock, d.GetMaxSampleRateKHz());
    FreqResponseRun& fr = d.freq_response;
    // A run starts from nothing: no stale levels, no stale "done" from a run before.
    std::memset(fr.ave, 0, sizeof(fr.ave));
    std::memset(fr.min, 0, sizeof(fr.min));
    std::memset(fr.max, 0, sizeof(fr.max));
    std::memset(fr.freq, 0, sizeof(fr.freq));
    std::copy(dividers.begin(), dividers.end(), fr.freq);
    fr.count = static_cast<std::int32_t>(dividers.size());
    fr.index = 0;
    fr.channel = m_channel;
    fr.delay = kDelayMs;
    fr.time_ms = kMeasureMs;
    d.status &= ~STATUS_FR_DONE;
    d.mode |= MODE_FREQ_RESPONSE;

    runClock_ = clock;
    runChannel_ = m_channel;
    runMin_ = m_min;
    runMax_ = m_max;
    runMean_ = m_mean;
    runCalibration_ = m_calibration != 0;
    runModel_ = GetOscDataGeneration();
    running_ = true;
}

void CDialogFRParam::OnTimer(UINT_PTR id)
{
    if (id != kProgressTimer) {
        CDialog::OnTimer(id);
        return;
    }
    ReadControls();
    bool done = false;
    bool linkLost = false;
    bool replaced = false;
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData& d = *GetOscData();
        // The model is replaced before the worker marks the new one linked: a replacement is
        // told by itself, not as a lost link.
        if (running_ && GetOscDataGeneration() != runModel_) {
            replaced = true;
        } else if (running_ && (d.mode & MODE_LINKED) == 0) {
            linkLost = true;
        } else if (running_ && (d.status & STATUS_FR_DONE) != 0) {
            d.status &= ~STATUS_FR_DONE;
            done = true;
        }
        if (linkLost || replaced) StopRun(d);
        const int count = std::clamp(d.freq_response.count, 0, static_cast<int>(kMaxResponsePoints));
        progress_.SetRange32(0, count);
        progress_.SetPos(std::clamp(d.freq_response.index, 0, count));
    }
    if (linkLost) {
        // Timers go on firing inside the box: the run is over before it shows.
        KillTimer(kProgressTimer);
        running_ = false;
        MessageBox("Необходимо подключиться!", nullptr, MB_ICONEXCLAMATION);
        EndDialog(IDCANCEL);
        return;
    }
    if (replaced) {
        running_ = false;
        EnableInputs(true);
    }
    if (done) {
        KillTimer(kProgressTimer);
        running_ = false;
        ShowResponse();
        EndDialog(IDOK);
        return;
    }
    RefreshVolts();
}

std::vector<FreqResponsePoint> CDialogFRParam::ComputeResponse(const OscData& d, std::uint32_t baseClockHz, int channel,
                                                               int expectedMin, int expectedMax, int expectedMean,
                                                               bool considerCalibration)
{
    std::vector<FreqResponsePoint> points;
    if (!MeasuresResponse(d.GetVersion())) return points;
    const FreqResponseRun& fr = d.freq_response;
    const int count = std::clamp(fr.count, 0, static_cast<int>(kMaxResponsePoints));
    const int off = considerCalibration ? d.GetCalibrationOffset(channel) : 0;
    const double half = std::abs(static_cast<double>(expectedMax) - expectedMin) / 2.0;
    for (int i = 0; i < count; ++i) {
        FreqResponsePoint p;
        p.f = baseClockHz / (fr.freq[i] + 1.0);
        p.mean = ResponseDb(fr.ave[i] - off, expectedMean, half);
        p.minimum = ResponseDb(fr.min[i] - off, expectedMin, half);
        p.maximum = ResponseDb(fr.max[i] - off, expectedMax, half);
        points.push_back(p);
    }
    return points;
}

void CDialogFRParam::ShowResponse()
{
    CDialogFreqResponse response(this);
    {
        CSingleLock lock(&DataLock, TRUE);
        response.points = ComputeResponse(*GetOscData(), runClock_, runChannel_, runMin_, runMax_, runMean_, runCalibration_);
    }
    response.DoModal();
}

void CDialogFRParam::StopRun(OscData& d)
{
    d.mode &= ~MODE_FREQ_RESPONSE;
    d.freq_response.index = 0;
}

void CDialogFRParam::OnCancel()
{
    KillTimer(kProgressTimer);
    {
        CSingleLock lock(&DataLock, TRUE);
        StopRun(*GetOscData());
    }
    running_ = false;
    CDialog::OnCancel();
}
