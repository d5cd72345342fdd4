#pragma once
// What the screen shows in a rectangle, as a memory DC to copy from.
//
// Where the window system lets a program read the screen (X11), the pixels are the screen's.
// Elsewhere (Wayland, the off-screen platform of the tests) nobody may read other programs'
// windows, so the picture is the program's own visible windows, tooltips left out, as they last
// showed (no window is asked to paint), in their places over the desktop colour
// COLOR_BACKGROUND. Either way it is taken once, when the DC is made. Pixel (0, 0) of the DC is
// the rectangle's top-left corner.

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObjects.h"

class CScreenDC : public CDC {
public:
    explicit CScreenDC(const RECT& screenArea);
    ~CScreenDC() override;

    // Whether the pixels came from the screen itself rather than the program's windows.
    bool FromScreen() const { return fromScreen_; }

private:
    CBitmap bitmap_;
    CBitmap* old_ = nullptr;
    bool fromScreen_ = false;
};
