#pragma once
// CDialogCalibrate: the modal dialog "Калибровка". It asks the user to unplug the probes,
// requests the device's offset calibration through the data model, follows the progress the
// dispatcher writes there once a second, and reports how it ended. The calibration itself
// runs in the device and the dispatcher.
//
// While a calibration runs the dialog cannot be closed: both buttons are disabled and every
// cancel command (Esc, the close box) is swallowed, so the outcome is always seen. A run whose
// link is lost, or whose data model is replaced (a new session with the device), can no longer
// report an outcome: it ends at once as a lost link.

#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"

#include <cstdint>
#include <string>

class CVelkaroDlg;

class CDialogCalibrate : public CDialog {
public:
    enum { IDD = 138 };
    static constexpr UINT IDC_START = 1001;
    static constexpr UINT IDC_PROGRESS = 1068;
    static constexpr UINT IDC_STATUS = 1069;
    static constexpr UINT IDC_CLOSE = 1070;
    static constexpr UINT_PTR kTimerId = 1;
    static constexpr UINT kTimerMs = 1000;

    explicit CDialogCalibrate(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // Swallowed: only "Закрыть" closes the dialog.
    void OnCancel() override;
    void OnOK() override;

    CProgressCtrl m_progress;

protected:
    afx_msg void OnStart();
    afx_msg void OnClose();
    afx_msg void OnTimer(UINT_PTR id);
    DECLARE_MESSAGE_MAP()

private:
    void Finish(const char* text);

    // The data model the run was started on (GetOscDataGeneration).
    std::uint64_t runModel_ = 0;
};

// The main window's "Калибровка" handler: runs the dialog when the device is linked and not
// recording; otherwise the refusal balloon at the cursor.
void OnCalibrateClicked(CVelkaroDlg& main);

// Why calibration cannot start in this mode word; empty when it can.
std::string CalibrationRefusal(std::uint32_t mode);
