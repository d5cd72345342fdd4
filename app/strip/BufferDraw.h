#pragma once
// CBufferDraw: the thin strip below the main chart that stands for the whole sample memory of
// one capture: how much of it is filled, which part the chart shows and, with the trigger on,
// where the trigger point lies. The user drags the shown part (or, while acquisition runs with
// the trigger on, the trigger marker) to move the view; the view moves only in Redraw, which
// the main window calls on its tick. The full-sweep check box (1083) sits at the left end;
// its commands go to the main window first.
//
// User-interface thread only; Redraw reads and moves OscData under DataLock.

#include "app/strip/StripLayout.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Wnd.h"

#include <cstdint>

class CBufferDraw : public CWnd {
public:
    static constexpr const char* CLASS_NAME = "BufferDraw";
    static constexpr UINT IDC_FULL_SWEEP = 1083;
    // The left margin that holds the check box.
    static constexpr int MARGIN = 18;

    static constexpr COLORREF CREATION_BACKGROUND = RGB(0, 0x40, 0);
    static constexpr COLORREF BACKGROUND = RGB(0, 0x32, 0);
    static constexpr COLORREF FILLED = RGB(0, 0x64, 0);
    static constexpr COLORREF VISIBLE = RGB(0, 0xD2, 0);
    static constexpr COLORREF MARKER = RGB(0xFF, 0xFF, 0);

    // Registers the window class (see RegisterWindowClass).
    CBufferDraw();
    ~CBufferDraw() override;

    // Registers "BufferDraw" once; false when that cannot be done.
    static bool RegisterWindowClass();

    // Draws the strip from the data model and moves the view while a drag is under way. True
    // when a drag moved the view during this call.
    bool Redraw();

    // The last drawing's strip, shown part and trigger marker (client pixels).
    CRect GetStripRect() const { return strip_; }
    CRect GetVisibleRect() const { return visible_; }
    int GetTriggerMarkerX() const { return marker_x_; }
    bool IsDragging() const { return dragging_; }
    // What the window shows (the memory picture), for tests and the main window's printing.
    COLORREF GetShownPixel(int x, int y) const;
    // Pixels of the memory picture for each logical pixel: those of the window's screen.
    int GetPicturePixelRatio() const { return memory_dc_.GetPixelRatio(); }

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnPaint();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);

protected:
    DECLARE_MESSAGE_MAP()

private:
    // The memory picture and the check box, made once for the window's life.
    void CreateSurface();
    bool IsOnGrabTarget(CPoint point) const;
    void DragStep(OscData& d, const StripQuantities& q, bool& moved);
    void DrawStrip(const StripLayout& layout);

    CDC memory_dc_;
    CBitmap memory_bitmap_;
    CBitmap* old_bitmap_ = nullptr;
    CSize surface_size_;
    bool surface_made_ = false;

    CRect strip_;
    CRect visible_;
    int marker_x_ = 0;
    int down_x_ = 0;         // mouse-down x relative to the strip's left edge
    // Screen points between the grab and the view, taken at the first redraw of a drag. Any
    // value is possible (-1 too), so whether it is known is a flag of its own.
    std::int64_t grab_offset_ = 0;
    bool grab_known_ = false;
    bool dragging_ = false;
    bool trigger_on_ = false;
    bool stopped_ = false;
    CButton full_sweep_;

    // What the last redraw showed: a change of any of them repaints the window.
    struct Shown {
        bool any = false;
        std::int32_t trigger_offset_extra = 0;
        std::int32_t trigger_offset_samples = 0;
        std::int32_t x_offset = 0;
        std::int64_t valid = 0;
        std::uint32_t t_div = 0;
    };
    Shown shown_;
};
