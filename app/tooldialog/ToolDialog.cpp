#include "app/tooldialog/ToolDialog.h"

#include <algorithm>
#include <cstdint>

namespace {

// The math window's offset spin, "0" button, volts/div spin and volts/div list: the main
// window handles their notifications for the math trace.
constexpr UINT FORWARDED_NOTIFICATIONS[] = {1090, 1092, 1093, 1094};

}  // namespace

CToolDialog::CToolDialog(UINT templateId, CWnd* parent, Forwarding forwarding)
    : CDialog(templateId, parent), forwarding_(forwarding)
{
}

void CToolDialog::Reset()
{
    if (m_hWnd == nullptr) return;
    ShowWindow(SW_HIDE);
    OnShowTool(false);
}

void CToolDialog::OnShowTool(bool /*shown*/) {}

void CToolDialog::SaveRecord(boost::archive::xml_oarchive& archive, const char* name) const
{
    archive << boost::serialization::make_nvp(name, *this);
}

void CToolDialog::LoadRecord(boost::archive::xml_iarchive& archive, const char* name)
{
    archive >> boost::serialization::make_nvp(name, *this);
}

void CToolDialog::Refresh() {}

CToolDialog::Placement CToolDialog::GetPlacement() const
{
    Placement p;
    if (m_hWnd == nullptr) return p;
    CRect rect;
    GetWindowRect(&rect);
    p.x = rect.left;
    p.y = rect.top;
    p.cx = rect.Width();
    p.cy = rect.Height();
    p.is_visible = IsWindowVisible() != FALSE;
    return p;
}

void CToolDialog::ApplyPlacement(const Placement& p)
{
    if (m_hWnd == nullptr) return;
    if (p.x != 0 && p.y != 0 && p.cx != 0 && p.cy != 0) {
        CRect desktop;
        CWnd::GetDesktopWindow()->GetWindowRect(&desktop);
        // The numbers come from a file: no sum of them may overflow.
        const std::int64_t centreX = std::int64_t{p.x} + p.cx / 2;
        const std::int64_t centreY = std::int64_t{p.y} + p.cy / 2;
        // A window whose centre is off the desktop could not be reached to move it back.
        if (centreX >= desktop.left && centreX < desktop.right && centreY >= desktop.top &&
            centreY < desktop.bottom)
            SetWindowPos(nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    if (p.is_visible) {
        ShowWindow(SW_SHOWNORMAL);
        OnShowTool(true);
    } else {
        ShowWindow(SW_HIDE);
        OnShowTool(false);
    }
}

CWnd* CToolDialog::CommandTarget() const
{
    CWnd* parent = GetParent();
    return parent != nullptr ? parent : m_pParentWnd;
}

BOOL CToolDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    const bool fromControl = lParam != 0;
    if (id == IDCANCEL && !fromControl) {
        ShowWindow(SW_HIDE);
        OnShowTool(false);
    } else if (forwarding_ != Forwarding::None && id != IDOK && id != IDCANCEL) {
        if (CWnd* parent = CommandTarget()) parent->SendMessage(WM_COMMAND, wParam, lParam);
    }
    // The window may have been destroyed by what the parent did with the command.
    if (m_hWnd == nullptr) return TRUE;
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CToolDialog::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (forwarding_ == Forwarding::CommandsAndNotifications && header != nullptr &&
        std::find(std::begin(FORWARDED_NOTIFICATIONS), std::end(FORWARDED_NOTIFICATIONS),
                  static_cast<UINT>(header->idFrom)) != std::end(FORWARDED_NOTIFICATIONS)) {
        if (CWnd* parent = CommandTarget()) parent->SendMessage(WM_NOTIFY, wParam, lParam);
    }
    if (m_hWnd == nullptr) return TRUE;
    return CDialog::OnNotify(wParam, lParam, result);
}

void CToolDialog::OnOK() {}

void CToolDialog::OnCancel() {}
