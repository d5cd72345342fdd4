#pragma once
// Durmitt's window: the connect button, the repeat button that restarts the walking-one test,
// and the event log mirrored into a list box on a 1 ms timer. A double click on a logged frame
// opens it in the packet structure dialog.
//
// The window owns the test dispatcher and the device link. The link's worker reports the
// connection through the dispatcher's hook, which posts the button's new text to this window
// and never waits for the UI thread.

#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "packetview/LogList.h"

#include <string>

class CTestDispatch;
class DeviceLink;

class CDurmittDlg : public CDialog {
public:
    enum { IDD = 102 };
    static constexpr UINT kConnectId = 1000;
    static constexpr UINT kLogListId = 1001;
    static constexpr UINT kRepeatId = 1002;
    static constexpr UINT_PTR kLogTimerId = 100;
    static constexpr UINT kAboutCommand = 0x0010;
    static constexpr UINT kAboutStringId = 101;
    // Posted by the link's worker: wParam non-zero when the link is up.
    static constexpr UINT WM_LINK_CONNECTED = WM_APP + 1;

    explicit CDurmittDlg(CWnd* parent = nullptr);
    ~CDurmittDlg() override;

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // Enter in the log list must not end the program: only "Выход" and the close box do.
    void OnOK() override;

    CListBox& GetLogList() { return logList_; }
    // Null before the window is initialised and after it is destroyed.
    CTestDispatch* GetDispatch() { return dispatch_; }
    DeviceLink* GetLink() { return link_; }

protected:
    afx_msg void OnSysCommand(UINT id, LPARAM lParam);
    afx_msg void OnConnect();
    afx_msg void OnRepeat();
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnLogDblClk();
    afx_msg void OnDestroy();
    afx_msg LRESULT OnLinkConnected(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    // Moves the log lines that arrived since the last tick into the list box.
    void UpdateLogList();
    // Stops the worker first, so that no packet reaches a deleted dispatcher.
    void ShutDownLink();

    CListBox logList_;
    CTestDispatch* dispatch_ = nullptr;
    DeviceLink* link_ = nullptr;
    LogList lines_;
};

// Durmitt's About box.
class CAboutDlg : public CDialog {
public:
    enum { IDD = 100 };
    explicit CAboutDlg(CWnd* parent = nullptr);
};
