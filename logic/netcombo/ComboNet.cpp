// The net combo of the decoder pages.

#include "logic/netcombo/ComboNet.h"

#include "app/main/VelkaroDlg.h"
#include "core/data/OscData.h"
#include "platform/kernel/Sync.h"

namespace {

constexpr BYTE kCapsLogicA = 0x2;
constexpr BYTE kCapsLogicB = 0x10;
constexpr int kLines = 8;

std::string NetName(int channel, int line)
{
    return MainDialog != nullptr ? MainDialog->GetNetName(channel, line) : std::string();
}

}  // namespace

CComboNet::~CComboNet() = default;

void CComboNet::FillNets()
{
    ResetContent();
    BYTE caps = 0;
    {
        CSingleLock lock(&DataLock, TRUE);
        caps = GetOscData()->GetChannelCaps();
    }
    for (int channel = 0; channel < 2; ++channel) {
        if ((caps & (channel == 0 ? kCapsLogicA : kCapsLogicB)) == 0)
            continue;
        for (int line = kLines - 1; line >= 0; --line) {
            const int index = AddString(NetName(channel, line).c_str());
            if (index >= 0)
                SetItemData(index, static_cast<DWORD_PTR>(channel << 8 | line));
        }
    }
    const int count = GetCount();
    SetCurSel(cur_sel_ >= 0 && cur_sel_ < count ? cur_sel_ : (count > 0 ? 0 : -1));
    filled_ = true;

    renamed_.disconnect();
    if (MainDialog != nullptr)
        renamed_ = MainDialog->NetRenamed.connect(
            [this](int channel, int line, const std::string& name) { OnNetRenamed(channel, line, name); });
}

void CComboNet::OnNetRenamed(int channel, int line, const std::string& name)
{
    if (GetSafeHwnd() == 0 || channel < 0 || channel > 1 || line < 0 || line >= kLines)
        return;
    const int selected = GetCurSel();
    // Channel A's entries always come first, and no variant offers B's lines without A's.
    const int index = channel * kLines + kLines - 1 - line;
    if (index >= GetCount())
        return;
    DeleteString(static_cast<UINT>(index));
    InsertString(index, name.c_str());
    SetItemData(index, static_cast<DWORD_PTR>(channel << 8 | line));
    if (selected == index)
        SetCurSel(index);
}

BOOL CComboNet::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE)
        cur_sel_ = GetCurSel();
    return CComboBox::OnChildNotify(message, wParam, lParam, result);
}

int CComboNet::SavedSelection() const
{
    return filled_ && GetSafeHwnd() != 0 ? GetCurSel() : cur_sel_;
}

long CComboNet::SelectedData() const
{
    if (GetSafeHwnd() == 0)
        return -1;
    const int sel = GetCurSel();
    if (sel < 0 || sel >= GetCount())
        return -1;
    return static_cast<long>(GetItemData(sel));
}

int CComboNet::SelectedChannel() const
{
    const long data = SelectedData();
    return data < 0 ? -1 : static_cast<int>((data >> 8) & 0xF);
}

int CComboNet::SelectedLine() const
{
    const long data = SelectedData();
    return data < 0 ? -1 : static_cast<int>(data & 0xF);
}

std::string CComboNet::SelectedName() const
{
    return NetName(SelectedChannel(), SelectedLine());
}
