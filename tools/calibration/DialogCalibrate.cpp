#include "tools/calibration/DialogCalibrate.h"

#include "app/main/VelkaroDlg.h"
#include "core/data/OscData.h"
#include "platform/kernel/Sync.h"
#include "platform/ui/App.h"
#include "platform/ui/DataExchange.h"

#include <algorithm>

namespace {

constexpr const char* TEXT_INSTRUCTION = "Перед калибровкой необходимо убедиться, что щупы не подключены.";
constexpr const char* TEXT_RUNNING = "Калибровка запущена, ожидайте...";
constexpr const char* TEXT_SUCCESS = "Калибровка завершена успешно!";
constexpr const char* TEXT_SATURATION =
    "Калибровка завершена с ошибкой (произошло насыщение)! Провертьте отключены ли щупы!";
constexpr const char* TEXT_LINK_LOST = "Калибровка завершена с ошибкой (потеря связи)!";

}  // namespace

BEGIN_MESSAGE_MAP(CDialogCalibrate, CDialog)
    ON_BN_CLICKED(CDialogCalibrate::IDC_START, &CDialogCalibrate::OnStart)
    ON_BN_CLICKED(CDialogCalibrate::IDC_CLOSE, &CDialogCalibrate::OnClose)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CDialogCalibrate::CDialogCalibrate(CWnd* parent) : CDialog(IDD, parent) {}

void CDialogCalibrate::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PROGRESS, m_progress);
}

BOOL CDialogCalibrate::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_STATUS, TEXT_INSTRUCTION);
    return TRUE;
}

void CDialogCalibrate::OnStart()
{
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* data = GetOscData();
        // A result left over from an earlier run would end this one at once as a success.
        data->status &= ~(STATUS_CALIBRATED | STATUS_CALIBRATION_FAILED);
        data->mode |= MODE_CALIBRATION;
        runModel_ = GetOscDataGeneration();
    }
    SetDlgItemText(IDC_STATUS, TEXT_RUNNING);
    SetTimer(kTimerId, kTimerMs, nullptr);
    GetDlgItem(IDC_START)->EnableWindow(FALSE);
    GetDlgItem(IDC_CLOSE)->EnableWindow(FALSE);
}

void CDialogCalibrate::OnTimer(UINT_PTR id)
{
    if (id == kTimerId) {
        const char* outcome = nullptr;
        {
            CSingleLock lock(&DataLock, TRUE);
            OscData* data = GetOscData();
            // A device that reports no steps still gets a valid, empty range.
            m_progress.SetRange32(0, std::max(data->calibration_steps - 1, 0));
            m_progress.SetPos(data->calibration_step);
            if ((data->status & STATUS_CALIBRATED) != 0) {
                const bool saturated = (data->status & STATUS_CALIBRATION_FAILED) != 0;
                data->status &= ~(STATUS_CALIBRATED | STATUS_CALIBRATION_FAILED);
                outcome = saturated ? TEXT_SATURATION : TEXT_SUCCESS;
            }
            // Checked after the outcome on purpose: when both apply, the link loss is the
            // text that stays. A model replaced since "Старт" belongs to a new session with the
            // device: the run and its outcome went with the old one.
            if ((data->mode & MODE_LINKED) == 0 || GetOscDataGeneration() != runModel_) {
                // A request left standing would start an unwatched calibration on reconnect.
                data->mode &= ~MODE_CALIBRATION;
                outcome = TEXT_LINK_LOST;
            }
        }
        if (outcome != nullptr) Finish(outcome);
    }
    Default();
}

void CDialogCalibrate::Finish(const char* text)
{
    SetDlgItemText(IDC_STATUS, text);
    KillTimer(kTimerId);
    GetDlgItem(IDC_CLOSE)->EnableWindow(TRUE);
}

void CDialogCalibrate::OnClose()
{
    {
        CSingleLock lock(&DataLock, TRUE);
        if (OscData* data = PeekOscData()) data->mode &= ~MODE_CALIBRATION;
    }
    EndDialog(IDCANCEL);
}

void CDialogCalibrate::OnCancel() {}

// Enter would end the dialog behind a running calibration's back; "Старт" is reached by click.
void CDialogCalibrate::OnOK() {}

std::string CalibrationRefusal(std::uint32_t mode)
{
    if ((mode & MODE_LINKED) == 0) return "Необходимо подключиться!";
    if ((mode & MODE_RECORDER) != 0) return "Калибровка невозможна в режиме самописца!";
    return {};
}

void OnCalibrateClicked(CVelkaroDlg& main)
{
    std::uint32_t mode = 0;
    {
        CSingleLock lock(&DataLock, TRUE);
        if (const OscData* data = PeekOscData()) mode = data->mode;
    }
    const std::string refusal = CalibrationRefusal(mode);
    if (!refusal.empty()) {
        CPoint cursor;
        GetCursorPos(&cursor);
        main.GetToolTip().ShowIconTip(LoadIcon(nullptr, IDI_ERROR), refusal, cursor);
        return;
    }
    // Not under DataLock: the dialog's loop must let the worker write the progress.
    CDialogCalibrate dialog(&main);
    dialog.DoModal();
}
