#include "platform/ui/ScreenDC.h"

#include "platform/gdi/GdiInternal.h"
#include "platform/ui/WndImpl.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace {

// The largest area read at once: a picture of more than this is of no use to anyone here.
constexpr int kMaxSide = 16384;

bool GrabScreen(const QRect& area, QImage& out)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return false;
    QPainter painter(&out);
    bool any = false;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect part = area.intersected(screen->geometry());
        if (part.isEmpty()) continue;
        // Window 0 is the whole screen; the coordinates count from the screen's corner.
        const QRect local = part.translated(-screen->geometry().topLeft());
        const QPixmap pixmap = screen->grabWindow(0, local.x(), local.y(), local.width(), local.height());
        if (pixmap.isNull()) return false;
        painter.drawPixmap(part.topLeft() - area.topLeft(), pixmap);
        any = true;
    }
    return any;
}

void DrawOwnWindows(const QRect& area, QImage& out)
{
    QPainter painter(&out);
    // Windows that stay on top are drawn last, over the others.
    for (int pass = 0; pass < 2; ++pass) {
        for (HWND h : uiimpl::TopLevelWindows()) {
            uiimpl::Record* r = uiimpl::Find(h);
            if (r == nullptr || r->widget == nullptr || !r->widget->isVisible()) continue;
            QWidget* w = r->widget;
            if (w->windowType() == Qt::ToolTip) continue;
            const bool onTop = w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            if (onTop != (pass == 1)) continue;
            const QRect place(w->mapToGlobal(QPoint(0, 0)), w->size());
            if (!place.intersects(area)) continue;
            // What the window last showed, read from its own pixels: rendering it afresh would
            // run its paint handler in the middle of whatever the caller is doing.
            QScreen* screen = w->screen();
            if (screen == nullptr) continue;
            const QPixmap shown = screen->grabWindow(w->winId());
            if (!shown.isNull()) painter.drawPixmap(place.topLeft() - area.topLeft(), shown);
        }
    }
}

}  // namespace

CScreenDC::CScreenDC(const RECT& screenArea)
{
    const QRect area(screenArea.left, screenArea.top, std::clamp<int>(screenArea.right - screenArea.left, 1, kMaxSide),
                     std::clamp<int>(screenArea.bottom - screenArea.top, 1, kMaxSide));
    // As fine as the screen, so that what is copied from it onto a window stays as sharp.
    const int ratio = gdi::ScreenPixelRatio();
    QImage picture(area.size() * ratio, QImage::Format_RGB32);
    picture.setDevicePixelRatio(ratio);
    picture.fill(gdi::ToRgb(GetSysColor(COLOR_BACKGROUND)));
    fromScreen_ = GrabScreen(area, picture);
    if (!fromScreen_) DrawOwnWindows(area, picture);
    CreateCompatibleDC(nullptr);
    bitmap_.Attach(gdi::CreateBitmapFromImage(picture));
    if (bitmap_.m_hObject != 0) old_ = SelectObject(&bitmap_);
}

CScreenDC::~CScreenDC()
{
    if (old_ != nullptr) SelectObject(old_);
    DeleteDC();
}
