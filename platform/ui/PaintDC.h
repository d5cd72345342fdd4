#pragma once
// Device contexts on windows. A CPaintDC made inside the window's WM_PAINT handler draws on the
// window. A CClientDC made inside that handler does too; made anywhere else it draws on a
// scratch surface of the window's size whose pixels are not shown (windows here draw only while
// painting: change the state, Invalidate, and draw in OnPaint).

#include "platform/gdi/DC.h"
#include "platform/ui/Wnd.h"

#include <memory>

class QPainter;
class QImage;

struct PAINTSTRUCT {
    HDC hdc = 0;
    BOOL fErase = FALSE;
    RECT rcPaint{0, 0, 0, 0};
};

class CWindowSurfaceDC : public CDC {
public:
    ~CWindowSurfaceDC() override;
    HWND m_hWnd = nullptr;
    // True when drawing reaches the screen (the DC was made while its window was painting).
    bool IsOnScreen() const { return onScreen_; }

protected:
    explicit CWindowSurfaceDC(CWnd* wnd);

private:
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QImage> scratch_;
    bool onScreen_ = false;
};

class CPaintDC : public CWindowSurfaceDC {
public:
    explicit CPaintDC(CWnd* wnd);
    PAINTSTRUCT m_ps;
};

class CClientDC : public CWindowSurfaceDC {
public:
    explicit CClientDC(CWnd* wnd) : CWindowSurfaceDC(wnd) {}
};

class CWindowDC : public CWindowSurfaceDC {
public:
    explicit CWindowDC(CWnd* wnd) : CWindowSurfaceDC(wnd) {}
};
