#include "tools/service/ServiceDialog.h"

#include "core/data/OscData.h"
#include "packetview/LoggedFrame.h"
#include "packetview/OptionsDialog.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/Sync.h"
#include "platform/ui/App.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/FileDialog.h"
#include "tools/service/ServiceLog.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* LOG_FILTER = "Тектовый файл (*.txt)|*.txt|Все файлы (*.*)|*.*||";

}  // namespace

BEGIN_MESSAGE_MAP(CServiceDialog, CToolDialog)
    ON_BN_CLICKED(CServiceDialog::IDC_SAVE_LOG, &CServiceDialog::OnSaveLog)
    // The DAC "Загрузить" runs here after the main window has seen the command.
    ON_BN_CLICKED(CServiceDialog::IDC_LOAD_DAC, &CServiceDialog::OnLoadDac)
    ON_LBN_DBLCLK(CServiceDialog::IDC_LOG, &CServiceDialog::OnLogDoubleClick)
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_GETMINMAXINFO()
END_MESSAGE_MAP()

CServiceDialog::CServiceDialog(CWnd* parent) : CToolDialog(IDD, parent, Forwarding::Commands)
{
    Create(IDD, parent);
}

void CServiceDialog::DoDataExchange(CDataExchange* dx)
{
    CToolDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_LOG, m_log);
    DDX_Text(dx, IDC_DAC_A, m_dac[0]);
    DDV_MinMaxByte(dx, m_dac[0], 0, 255);
    DDX_Text(dx, IDC_DAC_B, m_dac[1]);
    DDV_MinMaxByte(dx, m_dac[1], 0, 255);
}

BOOL CServiceDialog::OnInitDialog()
{
    const BOOL result = CToolDialog::OnInitDialog();
    CRect window;
    GetWindowRect(&window);
    CRect list;
    m_log.GetWindowRect(&list);
    list_extra_cx_ = window.Width() - list.Width();
    list_extra_cy_ = window.Height() - list.Height();
    return result;
}

bool CServiceDialog::LoadOffsetDac()
{
    if (m_hWnd == nullptr || !UpdateData(TRUE)) return false;
    CSingleLock lock(&DataLock, TRUE);
    OscData* data = GetOscData();
    if (data == nullptr) return false;
    // Only a changed byte goes to the device: each write costs a round trip and re-settles
    // the input.
    if (m_dac[0] != data->offset_dac[0]) {
        data->offset_dac[0] = m_dac[0];
        data->changes |= CHANGE_OFFSET_A;
    }
    if (m_dac[1] != data->offset_dac[1]) {
        data->offset_dac[1] = m_dac[1];
        data->changes |= CHANGE_OFFSET_B;
    }
    return true;
}

void CServiceDialog::SetOffsetBytes(std::uint8_t a, std::uint8_t b)
{
    m_dac[0] = a;
    m_dac[1] = b;
    if (m_hWnd != nullptr) UpdateData(FALSE);
}

void CServiceDialog::OnSaveLog()
{
    const std::string name = ServiceLogFileName(CurrentClock().GetLocalTime());
    CFileDialog dialog(FALSE, "txt", name.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LOG_FILTER, this);
    if (dialog.DoModal() != IDOK) return;

    std::vector<std::string> lines;
    const int count = m_log.GetCount();
    lines.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        CString line;
        m_log.GetText(i, line);
        lines.push_back(line);
    }
    const std::string path = dialog.GetPathName();
    std::string reason;
    if (!WriteServiceLog(path, lines, reason))
        AfxMessageBox(("Ошибка открытия файла " + path + "!\n" + reason).c_str(), MB_ICONSTOP);
}

void CServiceDialog::OnLogDoubleClick()
{
    const int selected = m_log.GetCurSel();
    if (selected < 0) return;
    CString line;
    m_log.GetText(selected, line);
    std::optional<LoggedFrame> frame = DecodeLoggedFrame(line);
    if (!frame) return;
    // The dialog works on a copy: the logged line stays as it was.
    ShowPacketDialog(frame->Payload(), frame->type, LoggedFrame::PayloadCapacity());
}

// The window manager is told the minimum too, so that it refuses smaller frames.
void CServiceDialog::OnGetMinMaxInfo(MINMAXINFO* info)
{
    CToolDialog::OnGetMinMaxInfo(info);
    info->ptMinTrackSize = POINT{kMinWidth, kMinHeight};
}

void CServiceDialog::OnWindowPosChanging(WINDOWPOS* pos)
{
    CToolDialog::OnWindowPosChanging(pos);
    if (pos == nullptr || (pos->flags & SWP_NOSIZE) != 0) return;
    pos->cx = std::max(pos->cx, kMinWidth);
    pos->cy = std::max(pos->cy, kMinHeight);
    // Before the first layout is known there is nothing to follow.
    if (m_log.GetSafeHwnd() == nullptr || list_extra_cx_ == 0) return;
    m_log.SetWindowPos(nullptr, 0, 0, std::max(0, pos->cx - list_extra_cx_), std::max(0, pos->cy - list_extra_cy_),
                       SWP_NOMOVE | SWP_NOZORDER);
}
