#pragma once
// CServiceDialog: the service window "Сервис". The main window mirrors the event log into its
// list; the window saves that list as a text file and, on a double click, opens the packet
// structure dialog on a logged frame. The offset-DAC pair it holds is what the main window's
// "Загрузить" handler sends to the device.

#include "app/tooldialog/ToolDialog.h"
#include "platform/ui/Controls.h"

#include <boost/serialization/version.hpp>

#include <cstdint>

class CServiceDialog : public CToolDialog {
public:
    enum { IDD = 135 };
    static constexpr UINT IDC_LOG = 1004;
    static constexpr UINT IDC_LOG_TITLE = 1025;
    static constexpr UINT IDC_DAC_A = 1071;
    static constexpr UINT IDC_DAC_B = 1072;
    static constexpr UINT IDC_LOAD_DAC = 1009;
    static constexpr UINT IDC_SAVE_LOG = 1073;
    static constexpr UINT IDC_DEBUG = 1158;
    // The smallest window size the log stays usable at.
    static constexpr int kMinWidth = 370;
    static constexpr int kMinHeight = 440;

    // Made at once as a modeless child of `parent` (the main window), hidden.
    explicit CServiceDialog(CWnd* parent);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;

    // The main window's "Загрузить" handler: takes the DAC edits into the pair and, under
    // DataLock, hands each byte that differs from the model's to the device. False (after the
    // range message) when an edit holds no byte.
    bool LoadOffsetDac();
    // The model's pair shown in the edits (the main window does this when a device announces
    // itself).
    void SetOffsetBytes(std::uint8_t a, std::uint8_t b);
    std::uint8_t GetOffsetByte(int channel) const { return m_dac[channel == 1 ? 1 : 0]; }

    VELKARO_TOOL_RECORD_OF_BASE()

    CListBox m_log;  // the event-log lines, filled by the main window

protected:
    afx_msg void OnSaveLog();
    afx_msg void OnLoadDac() { LoadOffsetDac(); }
    afx_msg void OnLogDoubleClick();
    afx_msg void OnWindowPosChanging(WINDOWPOS* pos);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
    DECLARE_MESSAGE_MAP()

private:
    std::uint8_t m_dac[2] = {0, 0};
    // What the window has around its list, so the list follows the window's size.
    int list_extra_cx_ = 0;
    int list_extra_cy_ = 0;
};

BOOST_CLASS_VERSION(CServiceDialog, 0)
