// Relaying the owner's messages, the timers, and the way from hidden through appearing and
// shown to disappearing and back.
//
// A new tip never replaces the one on screen directly: the old one starts hiding first. With
// fading out it takes a while, so the new tip waits (the pending-show flag) and is shown when
// the old one is gone; without fading the old one is gone at once and the new one goes on as
// for a hidden tip.

#include "widgets/tooltip/PPToolTip.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// Whether the window is the edit field of a drop-down combo box, whose tool is the combo box.
bool IsDropDownComboEdit(CWnd* window)
{
    CWnd* parent = window != nullptr ? window->GetParent() : nullptr;
    if (parent == nullptr || (window->GetStyle() & WS_CHILD) == 0) return false;
    char name[16] = {};
    GetClassName(parent->m_hWnd, name, sizeof name);
    // The class name compared on its first 8 characters, whatever their case.
    static const char kCombo[] = "combobox";
    for (int i = 0; i < 8; ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != kCombo[i]) return false;
    return (parent->GetStyle() & 0x3) == CBS_DROPDOWN;
}

// The top-level window a balloon answers: the one whose message is being handled (a button
// clicked in a dialog), else the tooltip's owner.
HWND BalloonHostOf(CWnd* owner)
{
    CWnd* from = nullptr;
    if (const MSG* msg = CWnd::GetCurrentMessage(); msg != nullptr && IsWindow(msg->hwnd)) from = CWnd::FromHandle(msg->hwnd);
    if (from == nullptr) from = owner;
    CWnd* top = from != nullptr ? from->GetTopLevelParent() : nullptr;
    return top != nullptr ? top->m_hWnd : nullptr;
}

}  // namespace

BOOL CPPToolTip::RelayEvent(MSG* msg)
{
    if (msg == nullptr || m_hWnd == nullptr || !IsWindow(m_hWnd)) return 0;
    const CPoint screenPoint(msg->pt);
    switch (msg->message) {
    case WM_MOUSEMOVE:
        // A balloon at a fixed point stays put whatever the mouse does.
        if (m_nShowMode == 1 || m_nNextShowMode == 1) break;
        if (screenPoint == m_ptOriginal) break;
        m_ptOriginal = screenPoint;
        OnMouseMoveRelayed(screenPoint);
        break;
    case WM_LBUTTONDOWN:
        if (IsCursorOverTip(screenPoint)) {
            CPoint client = screenPoint;
            ScreenToClient(&client);
            m_drawer.ClickLink(client);
        }
        HideAtOnce();
        break;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
        HideAtOnce();
        break;
    default:
        break;
    }
    return 0;
}

void CPPToolTip::OnMouseMoveRelayed(CPoint screenPoint)
{
    // On the tip itself.
    if (IsCursorOverTip(screenPoint) && (m_tiDisplayed.nBehaviour & PPTOOLTIP_TRACKING_MOUSE) == 0) {
        if ((m_tiDisplayed.nBehaviour & PPTOOLTIP_NOCLOSE_OVER) != 0) StartHideTimer();
        else StartHiding();
        return;
    }

    TipToolInfo record;
    const HWND tool = FindTool(screenPoint, &record);
    if (tool == nullptr) {
        m_hwndDisplayedTool = nullptr;
        m_tiDisplayed.rectBounds = RECT{0, 0, 0, 0};
        KillTimer(TIMER_SHOW);
        StartHiding();
        return;
    }

    if (tool == m_hwndDisplayedTool && CRect(record.rectBounds) == CRect(m_tiDisplayed.rectBounds)) {
        const DWORD behaviour = m_tiDisplayed.nBehaviour;
        if ((behaviour & PPTOOLTIP_TRACKING_MOUSE) != 0) {
            StartHideTimer();
            if (m_nTooltipState != PPTOOLTIP_STATE_HIDDEN)
                SetWindowPos(nullptr, screenPoint.x, screenPoint.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return;
        }
        if ((behaviour & PPTOOLTIP_CLOSE_LEAVEWND) != 0) {
            StartHideTimer();
            return;
        }
        if ((behaviour & PPTOOLTIP_MULTIPLE_SHOW) == 0) {
            StartHiding();
            return;
        }
    }

    // A new tip.
    if (m_nTooltipState == PPTOOLTIP_STATE_APPEARING) KillTimer(TIMER_FADE_IN);
    StartHiding();
    m_hwndNextTool = tool;
    m_tiNextTool = record;
    m_nNextShowMode = 0;
    QueuePendingTip(m_nShowDelay != 0);
}

void CPPToolTip::QueuePendingTip(bool delayed)
{
    if (m_nTooltipState != PPTOOLTIP_STATE_HIDDEN) {
        // The old tip is still fading out: the new one follows when it is gone.
        m_bNextToolExist = true;
        m_bDelayNextTool = delayed;
        return;
    }
    if (delayed) SetTimer(TIMER_SHOW, m_nShowDelay);
    else ShowStep();
}

void CPPToolTip::ShowTipAt(CPoint screenPoint, TipToolInfo record)
{
    if (m_hWnd == nullptr) return;
    m_ptOriginal = screenPoint;
    record.nBehaviour = m_defaults.nBehaviour | PPTOOLTIP_DISABLE_AUTOPOP;
    record.nMask = TipToolInfo::MASK_BEHAVIOUR;
    if (m_nTooltipState == PPTOOLTIP_STATE_APPEARING) KillTimer(TIMER_FADE_IN);
    StartHiding();
    m_hwndNextTool = nullptr;
    m_nNextShowMode = 1;
    m_tiNextTool = record;
    // Nothing tells the tooltip when another window closes: while the balloon is up it looks
    // whether the window it answered is still there, so that it never stands alone over the
    // window behind.
    m_hwndBalloonHost = BalloonHostOf(m_pOwner);
    if (m_hwndBalloonHost != nullptr) SetTimer(TIMER_BALLOON_HOST, kBalloonHostPeriod);
    QueuePendingTip(false);
}

void CPPToolTip::WatchBalloonHost()
{
    const bool balloon = m_nShowMode == 1 || m_nNextShowMode == 1;
    if (!balloon || m_hwndBalloonHost == nullptr) {
        KillTimer(TIMER_BALLOON_HOST);
        m_hwndBalloonHost = nullptr;
        return;
    }
    CWnd* host = IsWindow(m_hwndBalloonHost) ? CWnd::FromHandle(m_hwndBalloonHost) : nullptr;
    if (host == nullptr || !host->IsWindowVisible()) HideAtOnce();
}

bool CPPToolTip::IsCursorOverTip(CPoint screenPoint) const
{
    if (!IsWindowVisible()) return false;
    CWnd* under = CWnd::WindowFromPoint(screenPoint);
    return under != nullptr && under->m_hWnd == m_hWnd;
}

HWND CPPToolTip::FindTool(CPoint screenPoint, TipToolInfo* record) const
{
    CWnd* under = CWnd::WindowFromPoint(screenPoint);
    if (under == nullptr) return nullptr;
    CWnd* candidate = nullptr;
    if (IsDropDownComboEdit(under)) {
        candidate = under->GetParent();
    } else {
        CPoint client = screenPoint;
        under->ScreenToClient(&client);
        candidate = under->ChildWindowFromPoint(client);
        if (candidate == nullptr || !candidate->IsWindowEnabled()) return nullptr;
    }
    auto it = m_mapTools.find(candidate->m_hWnd);
    if (it == m_mapTools.end()) return nullptr;
    CPoint client = screenPoint;
    candidate->ScreenToClient(&client);
    for (const TipToolInfo& r : it->second) {
        const CRect bounds(r.rectBounds);
        if (bounds.IsRectEmpty() || bounds.PtInRect(client)) {
            if (record != nullptr) *record = r;
            return candidate->m_hWnd;
        }
    }
    return nullptr;
}

void CPPToolTip::OnTimer(UINT_PTR id)
{
    switch (id) {
    case TIMER_SHOW: ShowStep(); break;
    case TIMER_HIDE:
        KillTimer(TIMER_HIDE);
        StartHiding();
        break;
    case TIMER_FADE_IN: FadeInStep(); break;
    case TIMER_FADE_OUT: FadeOutStep(); break;
    case TIMER_BALLOON_HOST: WatchBalloonHost(); break;
    case TIMER_ANIMATION:
        if (IsWindowVisible() && m_nTooltipState == PPTOOLTIP_STATE_SHOWN && m_drawer.AdvanceAnimations()) Redraw();
        break;
    default: CWnd::OnTimer(id); break;
    }
}

void CPPToolTip::ShowStep()
{
    KillTimer(TIMER_SHOW);
    CPoint point = m_ptOriginal;
    if (m_nNextShowMode != 1) GetCursorPos(&point);
    if (point != m_ptOriginal) {
        // The cursor went on: no tip for a place it has left.
        if (m_nTooltipState == PPTOOLTIP_STATE_APPEARING || m_nTooltipState == PPTOOLTIP_STATE_SHOWN) StartHiding();
        return;
    }
    if (m_nTooltipState != PPTOOLTIP_STATE_HIDDEN) return;

    m_nTooltipState = PPTOOLTIP_STATE_APPEARING;
    if (!PrepareTip(m_ptOriginal)) {
        // Nothing to show: no state to leave and no timer to run.
        m_nTooltipState = PPTOOLTIP_STATE_HIDDEN;
        m_nNextShowMode = 0;
        return;
    }
    if (m_bFadeIn && m_nFadeInPeriod != 0) {
        SetTimer(TIMER_FADE_IN, m_nFadeInPeriod);
        return;
    }
    m_nTooltipState = PPTOOLTIP_STATE_SHOWN;
    StartHideTimer();
}

void CPPToolTip::StartHideTimer()
{
    KillTimer(TIMER_HIDE);
    if ((m_tiDisplayed.nBehaviour & PPTOOLTIP_DISABLE_AUTOPOP) != 0 || m_nHideDelay == 0) return;
    if (m_nTooltipState == PPTOOLTIP_STATE_HIDDEN) return;
    SetTimer(TIMER_HIDE, m_nHideDelay);
}

void CPPToolTip::StartHiding()
{
    if (m_nTooltipState != PPTOOLTIP_STATE_APPEARING && m_nTooltipState != PPTOOLTIP_STATE_SHOWN) return;
    KillTimer(TIMER_SHOW);
    KillTimer(TIMER_HIDE);
    KillTimer(TIMER_FADE_IN);
    m_nTooltipState = PPTOOLTIP_STATE_DISAPPEARING;
    if (m_bFadeOut && m_nFadeOutPeriod != 0) {
        SetTimer(TIMER_FADE_OUT, m_nFadeOutPeriod);
        return;
    }
    m_nTransparency = 100;
    FadeOutStep();
}

void CPPToolTip::HideAtOnce()
{
    m_nTooltipState = PPTOOLTIP_STATE_HIDDEN;
    m_nShowMode = 0;
    m_nNextShowMode = 0;
    // A pending tip hidden together with the one on screen would come back later, stale.
    m_bNextToolExist = false;
    for (UINT_PTR id = TIMER_SHOW; id <= TIMER_FADE_OUT; ++id) KillTimer(id);
    KillTimer(TIMER_BALLOON_HOST);
    m_hwndBalloonHost = nullptr;
    if (m_hWnd != nullptr && IsWindowVisible()) {
        if ((m_tiDisplayed.nBehaviour & PPTOOLTIP_MULTIPLE_SHOW) != 0) m_hwndDisplayedTool = nullptr;
        ShowWindow(SW_HIDE);
    }
}

void CPPToolTip::FadeInStep()
{
    m_nTransparency = m_nTransparency > kFadeStep ? m_nTransparency - kFadeStep : 0;
    if (m_nTransparency > m_tiDisplayed.nTransparency) {
        Redraw();
        return;
    }
    m_nTransparency = m_tiDisplayed.nTransparency;
    KillTimer(TIMER_FADE_IN);
    m_nTooltipState = PPTOOLTIP_STATE_SHOWN;
    StartHideTimer();
    Redraw();
}

void CPPToolTip::FadeOutStep()
{
    m_nTransparency = m_nTransparency >= 100 - kFadeStep ? 100 : m_nTransparency + kFadeStep;
    if (m_nTransparency < 100) {
        Redraw();
        return;
    }
    KillTimer(TIMER_FADE_OUT);
    if ((m_tiDisplayed.nBehaviour & PPTOOLTIP_MULTIPLE_SHOW) != 0) m_hwndDisplayedTool = nullptr;
    ShowWindow(SW_HIDE);
    m_nTooltipState = PPTOOLTIP_STATE_HIDDEN;
    if (m_bNextToolExist) {
        m_bNextToolExist = false;
        if (m_bDelayNextTool) SetTimer(TIMER_SHOW, m_nShowDelay);
        else ShowStep();
        return;
    }
    m_nShowMode = 0;
    m_nNextShowMode = 0;
}

void CPPToolTip::Redraw(int transparency)
{
    if (m_hWnd == nullptr || !IsWindowVisible()) return;
    m_nPaintTransparency = transparency;
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    m_nPaintTransparency = -1;
}
