#include "testtool/DurmittDlg.h"

#include "core/link/DeviceLink.h"
#include "core/log/EventLog.h"
#include "packetview/LoggedFrame.h"
#include "packetview/OptionsDialog.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/ui/Menu.h"
#include "platform/ui/PaintDC.h"
#include "testtool/TestDispatch.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CDurmittDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_BN_CLICKED(CDurmittDlg::kConnectId, &CDurmittDlg::OnConnect)
    ON_BN_CLICKED(CDurmittDlg::kRepeatId, &CDurmittDlg::OnRepeat)
    ON_LBN_DBLCLK(CDurmittDlg::kLogListId, &CDurmittDlg::OnLogDblClk)
    ON_MESSAGE(CDurmittDlg::WM_LINK_CONNECTED, &CDurmittDlg::OnLinkConnected)
END_MESSAGE_MAP()

CDurmittDlg::CDurmittDlg(CWnd* parent) : CDialog(IDD, parent) {}

CDurmittDlg::~CDurmittDlg()
{
    ShutDownLink();
}

void CDurmittDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, kLogListId, logList_);
}

BOOL CDurmittDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    CString about;
    if (AfxLoadString(kAboutStringId, about) && !about.empty())
    {
        if (CMenu* menu = GetSystemMenu(FALSE))
        {
            menu->AppendMenu(MF_SEPARATOR);
            menu->AppendMenu(MF_STRING, kAboutCommand, about.c_str());
        }
    }

    dispatch_ = new CTestDispatch();
    // The handle, not the object: a post that arrives after the window is gone is dropped.
    const HWND self = m_hWnd;
    dispatch_->SetConnectedHook([self](bool connected) {
        ::PostMessage(self, WM_LINK_CONNECTED, connected ? 1 : 0, 0);
    });
    link_ = new DeviceLink(dispatch_);

    SetTimer(kLogTimerId, 1);
    EventLog::Instance()->Write("CDurmitt старт");
    return TRUE;
}

void CDurmittDlg::OnOK() {}

void CDurmittDlg::OnSysCommand(UINT id, LPARAM lParam)
{
    if ((id & 0xFFF0) == kAboutCommand)
    {
        CAboutDlg about(this);
        about.DoModal();
        return;
    }
    CDialog::OnSysCommand(id, lParam);
}

void CDurmittDlg::OnConnect()
{
    if (link_ != nullptr)
        link_->ToggleConnection();
}

void CDurmittDlg::OnRepeat()
{
    if (dispatch_ != nullptr)
        dispatch_->RestartTest();
}

LRESULT CDurmittDlg::OnLinkConnected(WPARAM wParam, LPARAM)
{
    SetDlgItemText(kConnectId, CTestDispatch::ConnectButtonText(wParam != 0));
    return 0;
}

void CDurmittDlg::OnTimer(UINT_PTR id)
{
    if (id == kLogTimerId)
        UpdateLogList();
    else
        CDialog::OnTimer(id);
}

void CDurmittDlg::UpdateLogList()
{
    if (logList_.m_hWnd == nullptr)
        return;
    ShowLogUpdate(logList_, lines_.Tick());
}

void CDurmittDlg::OnLogDblClk()
{
    const int selected = logList_.GetCurSel();
    if (selected < 0)
        return;
    CString line;
    logList_.GetText(selected, line);
    std::optional<LoggedFrame> frame = DecodeLoggedFrame(line);
    if (!frame)
        return;
    // The dialog edits a copy: the log itself never changes.
    ShowPacketDialog(frame->Payload(), frame->type, LoggedFrame::PayloadCapacity());
}

void CDurmittDlg::OnDestroy()
{
    KillTimer(kLogTimerId);
    ShutDownLink();
    CDialog::OnDestroy();
}

void CDurmittDlg::ShutDownLink()
{
    if (link_ != nullptr)
    {
        link_->StopThread();
        delete link_;
        link_ = nullptr;
    }
    delete dispatch_;
    dispatch_ = nullptr;
}

CAboutDlg::CAboutDlg(CWnd* parent) : CDialog(IDD, parent) {}
