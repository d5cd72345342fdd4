#pragma once
// What a window shows on a high-density screen, in the screen's own pixels, for tests that run
// with QT_SCALE_FACTOR=2 (files named *_hidpi_test.cpp; see velkaro_tests).
//
// A picture painted at logical pixels and enlarged by two comes on screen in 2x2 blocks of one
// colour each; a picture painted for the screen has blocks that are not (text edges, slanted
// lines). MixedBlocks counts the latter.

#include "platform/ui/testing/UiTest.h"

#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QWidget>

namespace uitest {

// The window as it paints itself for the screen: its widget rendered as for its backing store,
// at the screen's device pixel ratio (null when the window has no widget).
inline QImage DevicePixels(CWnd* wnd)
{
    QWidget* w = WidgetOf(wnd);
    if (w == nullptr) return QImage();
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The device pixel ratio of the window's screen.
inline qreal DeviceRatio(CWnd* wnd)
{
    QWidget* w = WidgetOf(wnd);
    return w != nullptr ? w->devicePixelRatioF() : 0.0;
}

// Blocks of ratio x ratio device pixels, aligned on the logical grid, inside `logical` (logical
// coordinates of the image; the whole image when empty) whose pixels are not all of one colour.
inline int MixedBlocks(const QImage& image, QRect logical = QRect(), int ratio = 2)
{
    const QRect all(0, 0, image.width() / ratio, image.height() / ratio);
    const QRect area = logical.isEmpty() ? all : logical.intersected(all);
    int mixed = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb first = image.pixel(x * ratio, y * ratio);
            bool same = true;
            for (int dy = 0; dy < ratio && same; ++dy)
                for (int dx = 0; dx < ratio && same; ++dx) same = image.pixel(x * ratio + dx, y * ratio + dy) == first;
            if (!same) ++mixed;
        }
    }
    return mixed;
}

}  // namespace uitest
