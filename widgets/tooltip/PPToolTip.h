#pragma once
// The program's tooltip: a borderless top-most popup showing a small HTML text (drawn by
// CPPHtmlDrawer) on a rounded body with a pointed anchor towards the cursor, a soft drop shadow
// and optional transparency.
//
// An owner window creates it, registers its controls as tools with a text each, and passes
// every message of its thread to RelayEvent. The tip then appears after the cursor rests on a
// tool, hides after a while or on a click, key or wheel, and follows links clicked in it. The
// owner can also show a text at a screen point on demand (ShowIconTip, ShowTipAt): a balloon
// that stays until the next click or key, or until the window it answered is hidden or goes.
//
// Members are spread over files by concern: PPToolTip.cpp (life, tools, small handlers),
// PPToolTipShow.cpp (relaying, timers, showing and hiding), PPToolTipPlace.cpp (placement,
// shape, preparing a tip), PPToolTipDraw.cpp (composition on screen).

#include "widgets/tooltip/PPHtmlDrawer.h"

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/ui/Wnd.h"

#include <map>
#include <string>
#include <vector>

// One tool: a window (or a rectangle of it) and its text. Fields whose mask bit is clear take
// the tooltip's defaults when the tip is prepared.
struct TipToolInfo {
    enum : DWORD {
        MASK_EFFECT = 0x02,        // effect and granularity
        MASK_COLORS = 0x04,
        MASK_DIRECTION = 0x08,
        MASK_BEHAVIOUR = 0x10,
        MASK_TRANSPARENCY = 0x20,
    };

    DWORD nID = 0;
    RECT rectBounds{0, 0, 0, 0};  // empty: the whole window
    std::string sTooltip;
    DWORD nMask = 0;
    DWORD nDirection = 0;
    DWORD nEffect = 0;
    DWORD nBehaviour = 0;
    BYTE nGranularity = 0;
    BYTE nTransparency = 0;
    COLORREF crBegin = 0;
    COLORREF crMid = 0;
    COLORREF crEnd = 0;
};

// Where the tip lies relative to its anchor point (high nibble) and where the anchor sits
// along the body's side (low bits).
enum TipDirection : DWORD {
    PPTOOLTIP_BOTTOMEDGE_LEFT = 0x00,    // tip below the point, anchor from the left end
    PPTOOLTIP_BOTTOMEDGE_RIGHT = 0x01,
    PPTOOLTIP_BOTTOMEDGE_CENTER = 0x02,
    PPTOOLTIP_TOPEDGE_LEFT = 0x10,       // tip above the point
    PPTOOLTIP_TOPEDGE_RIGHT = 0x11,
    PPTOOLTIP_TOPEDGE_CENTER = 0x12,
    PPTOOLTIP_RIGHTEDGE_TOP = 0x20,      // tip right of the point, anchor from the top end
    PPTOOLTIP_RIGHTEDGE_BOTTOM = 0x21,
    PPTOOLTIP_RIGHTEDGE_VCENTER = 0x22,
    PPTOOLTIP_LEFTEDGE_TOP = 0x30,       // tip left of the point
    PPTOOLTIP_LEFTEDGE_BOTTOM = 0x31,
    PPTOOLTIP_LEFTEDGE_VCENTER = 0x32,
};

enum TipState { PPTOOLTIP_STATE_HIDDEN = 0, PPTOOLTIP_STATE_APPEARING = 1, PPTOOLTIP_STATE_SHOWN = 2,
                PPTOOLTIP_STATE_DISAPPEARING = 3 };

// Behaviour flags of a tool.
enum : DWORD {
    PPTOOLTIP_MULTIPLE_SHOW = 0x01,   // forget the tool when the tip hides: it shows again in place
    PPTOOLTIP_TRACKING_MOUSE = 0x02,  // the tip follows the cursor over the tool
    PPTOOLTIP_CLOSE_LEAVEWND = 0x04,  // each move over the tool restarts the hide timer
    PPTOOLTIP_NOCLOSE_OVER = 0x08,    // the cursor on the tip keeps it
    PPTOOLTIP_DISABLE_AUTOPOP = 0x10, // no hide timer
};

// Where a tip of a given size goes for an anchor point, inside the screen bounds.
struct TipPlacement {
    DWORD direction = 0;  // the direction after flipping away from the screen's edges
    CPoint anchor;        // the anchor point inside the window
    CRect body;           // the body (content plus margins) inside the window
};
// bodySize: the body; the window adds the anchor height above, below or beside it.
TipPlacement PlaceTip(const CRect& bounds, CPoint point, CSize bodySize, DWORD direction, int anchorOffset,
                      int anchorHeight);

class CPPToolTip : public CWnd {
public:
    // Timers of the tip window.
    static constexpr UINT_PTR TIMER_SHOW = 256;
    static constexpr UINT_PTR TIMER_HIDE = 257;
    static constexpr UINT_PTR TIMER_FADE_IN = 258;
    static constexpr UINT_PTR TIMER_FADE_OUT = 259;
    static constexpr UINT_PTR TIMER_ANIMATION = 260;
    // Runs while a balloon is up: the balloon goes when the window it answered goes.
    static constexpr UINT_PTR TIMER_BALLOON_HOST = 261;
    static constexpr UINT kBalloonHostPeriod = 100;
    static constexpr UINT kAnimationPeriod = 100;
    // The drawer's report that the hovered link changed.
    static constexpr UINT UDM_TOOLTIP_REPAINT = WM_USER + 101;
    static constexpr int kFadeStep = 20;

    CPPToolTip();
    ~CPPToolTip() override;

    BOOL Create(CWnd* owner);
    BOOL DestroyWindow() override;

    // A tool for a child window of the owner with the HTML text; a second call for the same
    // window replaces its text.
    void AddTool(CWnd* window, const std::string& text);
    // Returns 0. Called with every message of the owner's thread.
    BOOL RelayEvent(MSG* msg);
    // A balloon at a screen point: the text beside the icon (none: the text alone).
    void ShowIconTip(HICON icon, const std::string& text, CPoint screenPoint);
    // The markup of a text with an icon beside it, as balloons and the windows' tool texts use.
    static std::string IconTipText(HICON icon, const std::string& text);
    void ShowTipAt(CPoint screenPoint, TipToolInfo record);

    // Frames the tip's region with the border brush; the tooltip calls it only when the brush
    // and both sizes are set.
    virtual void DrawBorder(CDC* dc, CRgn* region);

    BOOL PreTranslateMessage(MSG* msg) override;

    // ---- settings (nothing in the program changes them after construction) ----
    void SetDelayTime(UINT showDelay, UINT hideDelay);
    // Fade step periods in milliseconds (0: no fading) and whether fading is on.
    void SetFadePeriods(UINT fadeInPeriod, UINT fadeOutPeriod, bool fadeIn = true, bool fadeOut = true);
    // Sets a new border brush of the colour, width and height 1.
    void SetBorder(COLORREF color);
    void SetDefaultDirection(DWORD direction) { m_defaults.nDirection = direction; }
    void SetDefaultBehaviour(DWORD behaviour) { m_defaults.nBehaviour = behaviour; }
    void SetDefaultTransparency(BYTE percent) { m_defaults.nTransparency = std::min<BYTE>(percent, 100); }
    void SetShadow(int offsetX, int offsetY, int darkness = 50);

    // ---- state, for the owner and tests ----
    int GetState() const { return m_nTooltipState; }
    int GetTransparency() const { return m_nTransparency; }
    HWND GetCurrentTool() const { return m_hwndDisplayedTool; }
    // The text of the tool registered for the window (empty when there is none).
    std::string GetToolText(HWND window) const;
    std::size_t ToolRecordCount(HWND window) const;
    CPPHtmlDrawer& GetDrawer() { return m_drawer; }
    // The prepared tip: window size (shadow included), direction, anchor inside the window.
    CSize GetTipSize() const { return m_rcTipArea.Size(); }
    DWORD GetTipDirection() const { return m_dwDisplayedDirection; }
    CPoint GetTipAnchor() const { return m_ptAnchorInWindow; }
    // Whether a point of the window (client coordinates) lies in the tip's shape.
    bool TipRegionContains(CPoint point) const;

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    afx_msg LRESULT OnActivateApp(WPARAM active, LPARAM threadId);
    afx_msg LRESULT OnRepaintWindow(WPARAM linkIndex, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    // ---- showing and hiding (PPToolTipShow.cpp) ----
    void OnMouseMoveRelayed(CPoint screenPoint);
    bool IsCursorOverTip(CPoint screenPoint) const;
    // The tool under a screen point: its window, or null; *record the matching record.
    HWND FindTool(CPoint screenPoint, TipToolInfo* record) const;
    // The pending tip is shown after the delay or at once; delayed only when the delay is set.
    void QueuePendingTip(bool delayed);
    void ShowStep();
    void StartHiding();
    void HideAtOnce();
    // Hides a balloon whose window was closed, hidden or destroyed; ends the watch when no
    // balloon is up.
    void WatchBalloonHost();
    void FadeInStep();
    void FadeOutStep();
    void StartHideTimer();
    void Redraw(int transparency = -1);

    // ---- preparing (PPToolTipPlace.cpp) ----
    // Makes the region and bitmaps of the pending record at the anchor point and shows the
    // window; false when there is nothing to show.
    bool PrepareTip(CPoint anchorPoint);
    void FillDefaults(TipToolInfo& record) const;
    void FreeTipObjects();
    void MakeRegion(const TipPlacement& place, CSize windowSize);
    void PaintBody(const TipPlacement& place, CSize windowSize, const TipToolInfo& record);

    // ---- drawing (PPToolTipDraw.cpp) ----
    void Compose(CDC* target, int transparency);

    // The drawer and its change reports.
    CPPHtmlDrawer m_drawer;
    CWnd* m_pOwner = nullptr;

    // Tools by window, records in order of registration.
    std::map<HWND, std::vector<TipToolInfo>> m_mapTools;

    // The tip on screen, and the tip to be shown next.
    HWND m_hwndDisplayedTool = nullptr;
    TipToolInfo m_tiDisplayed;
    HWND m_hwndNextTool = nullptr;
    TipToolInfo m_tiNextTool;
    int m_nNextShowMode = 0;  // 0 at the cursor over a tool, 1 at a fixed point
    // The top-level window whose action showed the balloon at a fixed point.
    HWND m_hwndBalloonHost = nullptr;

    CPoint m_ptOriginal{-1, -1};  // last cursor point, screen
    int m_nShowMode = 0;
    int m_nTooltipState = PPTOOLTIP_STATE_HIDDEN;
    int m_nTransparency = 0;
    int m_nPaintTransparency = -1;  // a one-off level for the next paint
    bool m_bNextToolExist = false;  // show the pending tip when the fade-out ends
    bool m_bDelayNextTool = false;

    // Timing.
    UINT m_nShowDelay = 500;
    UINT m_nHideDelay = 5000;
    UINT m_nFadeInPeriod = 0;
    UINT m_nFadeOutPeriod = 0;
    bool m_bFadeIn = true;
    bool m_bFadeOut = true;

    // Defaults for fields a record leaves open.
    TipToolInfo m_defaults;

    // Shape.
    CSize m_szRoundCorner{16, 16};
    int m_nMarginX = 12;
    int m_nMarginY = 12;
    int m_nAnchorWidth = 12;
    int m_nAnchorHeight = 16;
    int m_nAnchorOffset = 16;

    // Shadow.
    CSize m_szShadowOffset{6, 6};
    CSize m_szShadowDepth{7, 7};
    int m_nShadowDarkness = 50;
    bool m_bGradientShadow = true;

    // Border.
    CBrush m_brBorder;
    int m_nBorderWidth = 0;
    int m_nBorderHeight = 0;

    // Made per showing.
    CRgn m_rgnTip;
    CBitmap m_bmpBody;
    CBitmap m_bmpBackground;
    CRect m_rcContent;
    CRect m_rcBody;
    CRect m_rcTipArea;  // window: body, anchor and shadow
    CPoint m_ptAnchorInWindow;
    DWORD m_dwDisplayedDirection = 0;
};
