// The tooltip's life, its tools and settings, and the handlers of its own window.

#include "widgets/tooltip/PPToolTip.h"

#include "platform/kernel/CString.h"
#include "platform/ui/MessageMap.h"
#include "platform/ui/ResourceException.h"

#include <algorithm>

namespace {

constexpr const char* kClassName = "CPPToolTip";

// The markup of a balloon with an icon beside its text; the windows wrap their tool texts in the
// same table.
constexpr const char* kIconTipFormat = "<table><tr><td><icon handle=0x%X></td><td>%s</td></tr></table>";

}  // namespace

BEGIN_MESSAGE_MAP(CPPToolTip, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_TIMER()
    ON_WM_SETCURSOR()
    ON_MESSAGE(WM_ACTIVATEAPP, &CPPToolTip::OnActivateApp)
    ON_MESSAGE(CPPToolTip::UDM_TOOLTIP_REPAINT, &CPPToolTip::OnRepaintWindow)
END_MESSAGE_MAP()

CPPToolTip::CPPToolTip()
{
    m_defaults.nDirection = PPTOOLTIP_TOPEDGE_LEFT;
    m_defaults.crBegin = m_defaults.crMid = m_defaults.crEnd = GetSysColor(COLOR_INFOBK);
    SetBorder(GetSysColor(COLOR_INFOTEXT));

    WNDCLASS wc;
    if (!AfxGetClassInfo(kClassName, &wc)) {
        // The window draws everything itself, background included, from what lay behind it.
        wc.style = CS_SAVEBITS;
        wc.lpfnWndProc = ::DefWindowProc;
        wc.lpszClassName = kClassName;
        if (!AfxRegisterClass(&wc)) AfxThrowResourceException();
    }
}

CPPToolTip::~CPPToolTip()
{
    FreeTipObjects();
    m_brBorder.DeleteObject();
    m_mapTools.clear();
    if (m_hWnd != nullptr) DestroyWindow();
}

BOOL CPPToolTip::Create(CWnd* owner)
{
    m_pOwner = owner;
    if (!CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, CRect(0, 0, 0, 0), owner, 0)) return FALSE;
    m_szRoundCorner = CSize(16, 16);
    m_nMarginX = m_nMarginY = 12;
    m_nAnchorWidth = 12;
    m_nAnchorHeight = 16;
    m_nAnchorOffset = 16;
    m_drawer.SetChangeNotify(m_hWnd, UDM_TOOLTIP_REPAINT, 0);
    SetTimer(TIMER_ANIMATION, kAnimationPeriod);
    return TRUE;
}

BOOL CPPToolTip::DestroyWindow()
{
    if (m_hWnd == nullptr) return FALSE;
    HideAtOnce();
    KillTimer(TIMER_ANIMATION);
    return CWnd::DestroyWindow();
}

void CPPToolTip::AddTool(CWnd* window, const std::string& text)
{
    if (window == nullptr || window->m_hWnd == nullptr) return;
    TipToolInfo record;
    record.sTooltip = text;
    std::vector<TipToolInfo>& records = m_mapTools[window->m_hWnd];
    for (TipToolInfo& existing : records) {
        if (CRect(existing.rectBounds) == CRect(record.rectBounds)) {
            existing = record;
            return;
        }
    }
    records.push_back(record);
}

std::string CPPToolTip::GetToolText(HWND window) const
{
    auto it = m_mapTools.find(window);
    return it == m_mapTools.end() || it->second.empty() ? std::string() : it->second.front().sTooltip;
}

std::size_t CPPToolTip::ToolRecordCount(HWND window) const
{
    auto it = m_mapTools.find(window);
    return it == m_mapTools.end() ? 0 : it->second.size();
}

void CPPToolTip::ShowIconTip(HICON icon, const std::string& text, CPoint screenPoint)
{
    TipToolInfo record;
    record.sTooltip = icon != 0 ? IconTipText(icon, text) : text;
    ShowTipAt(screenPoint, record);
}

std::string CPPToolTip::IconTipText(HICON icon, const std::string& text)
{
    return StringFormat(kIconTipFormat, static_cast<unsigned>(icon), text.c_str());
}

BOOL CPPToolTip::PreTranslateMessage(MSG* msg)
{
    RelayEvent(msg);
    return CWnd::PreTranslateMessage(msg);
}

void CPPToolTip::SetDelayTime(UINT showDelay, UINT hideDelay)
{
    m_nShowDelay = showDelay;
    m_nHideDelay = hideDelay;
}

void CPPToolTip::SetFadePeriods(UINT fadeInPeriod, UINT fadeOutPeriod, bool fadeIn, bool fadeOut)
{
    m_nFadeInPeriod = fadeInPeriod;
    m_nFadeOutPeriod = fadeOutPeriod;
    m_bFadeIn = fadeIn;
    m_bFadeOut = fadeOut;
}

void CPPToolTip::SetBorder(COLORREF color)
{
    m_brBorder.DeleteObject();
    const bool made = m_brBorder.CreateSolidBrush(color) != FALSE;
    m_nBorderWidth = m_nBorderHeight = made ? 1 : 0;
}

void CPPToolTip::SetShadow(int offsetX, int offsetY, int darkness)
{
    m_szShadowOffset = CSize(std::max(0, offsetX), std::max(0, offsetY));
    m_nShadowDarkness = std::clamp(darkness, 0, 100);
}

void CPPToolTip::DrawBorder(CDC* dc, CRgn* region)
{
    if (dc == nullptr || region == nullptr) return;
    dc->FrameRgn(region, &m_brBorder, m_nBorderWidth, m_nBorderHeight);
}

BOOL CPPToolTip::OnEraseBkgnd(CDC*)
{
    return TRUE;  // the composition covers every pixel
}

BOOL CPPToolTip::OnSetCursor(CWnd*, UINT, UINT)
{
    CPoint point;
    GetCursorPos(&point);
    ScreenToClient(&point);
    if (!m_drawer.UpdateLinkCursor(point)) SetCursor(LoadCursor(nullptr, IDC_ARROW));
    return TRUE;
}

LRESULT CPPToolTip::OnActivateApp(WPARAM active, LPARAM)
{
    const LRESULT result = Default();
    // The user went to another program: a tip over it would be a stranger's.
    if (active == FALSE) HideAtOnce();
    return result;
}

LRESULT CPPToolTip::OnRepaintWindow(WPARAM, LPARAM)
{
    Redraw(0);
    return 0;
}
