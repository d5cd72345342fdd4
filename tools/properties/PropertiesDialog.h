#pragma once
// CPropertiesDialog: the settings window "Настройки". Its controls belong to the main window:
// every command is forwarded there first and handled by the main window's map. The window
// itself fills the number-base list, binds the controls the main window reaches through it,
// and keeps three read-outs current: the interpolation in use, the buffer size with its
// sample rate, and the recorder's file names.

#include "app/tooldialog/ToolDialog.h"
#include "platform/ui/Controls.h"

#include <boost/serialization/version.hpp>

#include <string>

class CVelkaroDlg;
class OscData;

class CPropertiesDialog : public CToolDialog {
public:
    enum { IDD = 134 };
    static constexpr UINT IDC_MODE = 1011;
    static constexpr UINT IDC_CALIBRATE = 1054;
    static constexpr UINT IDC_INTERPOLATION = 1037;
    static constexpr UINT IDC_BUFFER_INFO = 1057;
    static constexpr UINT IDC_MAX_BUFFER = 1058;
    static constexpr UINT IDC_OUT_FREQ = 1050;
    static constexpr UINT IDC_RADIX = 1106;
    static constexpr UINT IDC_FILE_A = 1105;
    static constexpr UINT IDC_FILE_B = 1107;

    // Made at once as a modeless child of the main window, hidden.
    explicit CPropertiesDialog(CVelkaroDlg* parent);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // The read-outs, while the window is visible.
    void Refresh() override;

    // The main window's handler of the number-base list: takes the controls into the members
    // (the base into the main window's bus radix). False when a control held no valid value.
    bool ReadControls();

    // The read-out texts, from the model (DataLock held by the caller).
    static std::string InterpolationText(const OscData& data);
    static std::string BufferText(const OscData& data);

    VELKARO_TOOL_RECORD_OF_BASE()

    // Bound by the data exchange; the main window's handlers work them.
    CButton m_mode;           // "Mode": the peak detector
    CComboBox m_max_buffer;   // maximum buffer size
    CComboBox m_out_freq;     // output frequency

protected:
    // "Калибровка": the main window does not know the calibration dialog, which is built on
    // top of it, so the window runs it itself once the main window has seen the command.
    afx_msg void OnCalibrate();
    DECLARE_MESSAGE_MAP()

private:
    void ShowFileName(UINT id, const std::string& path);

    CVelkaroDlg* main_;
};

BOOST_CLASS_VERSION(CPropertiesDialog, 0)
