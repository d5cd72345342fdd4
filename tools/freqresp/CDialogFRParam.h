#pragma once
// CDialogFRParam: the modal dialog "Параметры АЧХ". The user picks the channel the generator is
// wired to and the levels (in sample points) it is expected to give at low frequency, then
// "Начать" hands the list of generator dividers to the data model and sets the run going; the
// link's dispatcher steps the generator and measures each point. Once it reports the run done
// the dialog shows the response in dB (CDialogFreqResponse) and closes. "Закрыть" stops a run.
// A run that can no longer end is stopped at once: when the link is lost the dialog says that
// a connection is needed and closes; when the data model is replaced (the instrument reported
// another variant) the run's state went with the old model, and the dialog is ready for a new
// run on the new one.
//
// Every access to the data model is under DataLock; the lock is never held across a window
// that runs modally.

#include "tools/freqresp/FreqResponsePlan.h"

#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"

#include <cstdint>
#include <vector>

class OscData;

class CDialogFRParam : public CDialog {
public:
    static constexpr UINT IDD = 137;
    enum : int {
        IDC_CALIBRATION = 1048,
        IDC_CHANNEL_A = 1065,
        IDC_CHANNEL_B = 1066,
        IDC_MINIMUM = 1067,
        IDC_MAXIMUM = 1068,
        IDC_MEAN = 1069,
        IDC_PROGRESS = 1076,
        IDC_START = 1077,
        IDC_MINIMUM_VOLTS = 1078,
        IDC_MAXIMUM_VOLTS = 1079,
        IDC_MEAN_VOLTS = 1080,
        IDC_FROM_MEASUREMENTS = 1081,
    };
    static constexpr UINT_PTR kProgressTimer = 1;
    static constexpr UINT kProgressMs = 1000;
    // What the dispatcher sends the device with every point: settling and measuring time.
    static constexpr int kDelayMs = 20;
    static constexpr int kMeasureMs = 300;

    explicit CDialogFRParam(CWnd* parent = nullptr);

    // The response of a finished run as the data model holds it (call with DataLock held):
    // one point per divider of the run, levels relative to the expected ones.
    static std::vector<FreqResponsePoint> ComputeResponse(const OscData& data, std::uint32_t baseClockHz, int channel,
                                                          int expectedMin, int expectedMax, int expectedMean,
                                                          bool considerCalibration);

    int m_min = 0;
    int m_max = 100;
    int m_mean = 50;
    int m_calibration = TRUE;
    int m_channel = 0;  // 0 A, 1 B

    // Whether a run this dialog started is going on.
    bool Running() const { return running_; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnCancel() override;
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnLevelChange();
    afx_msg void OnFromMeasurements();
    afx_msg void OnStart();
    DECLARE_MESSAGE_MAP()

private:
    // The edits and radios as they stand; an edit that holds no number keeps its last value.
    void ReadControls();
    void RefreshVolts();
    void PushToControls();
    void EnableInputs(bool enable);
    void ShowResponse();
    // Ends a run the way "Закрыть" does, in the data model (call with DataLock held).
    static void StopRun(OscData& data);

    CProgressCtrl progress_;
    bool running_ = false;
    bool pushing_ = false;
    // What the run was started with.
    std::uint32_t runClock_ = 0;
    int runChannel_ = 0;
    int runMin_ = 0;
    int runMax_ = 0;
    int runMean_ = 0;
    bool runCalibration_ = true;
    std::uint64_t runModel_ = 0;  // GetOscDataGeneration at the start
};
