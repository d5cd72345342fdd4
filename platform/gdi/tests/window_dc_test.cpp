// A DC drawing through a painter that a window attached for its paint.

#include "GdiTestUtil.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

TEST(WindowDC, DrawsThroughTheAttachedPainterAndLeavesItsStateAlone)
{
    QImage surface(40, 30, QImage::Format_ARGB32_Premultiplied);
    surface.fill(Qt::white);
    QPainter painter(&surface);
    painter.setPen(QColor(Qt::green));
    CDC dc;
    dc.AttachPainter(&painter, 40, 30);
    EXPECT_TRUE(dc.HasSurface());
    EXPECT_EQ(dc.GetDeviceCaps(HORZRES), 40);
    EXPECT_EQ(dc.GetSurfaceImage(), nullptr);
    dc.MoveTo(2, 5);
    dc.LineTo(10, 5);
    dc.IntersectClipRect(20, 0, 30, 30);
    dc.FillSolidRect(0, 10, 40, 5, RGB(0, 0, 255));
    // Pixels cannot be read back from a window.
    EXPECT_EQ(dc.GetPixel(3, 5), CLR_INVALID);
    dc.DetachPainter();
    EXPECT_FALSE(dc.HasSurface());
    EXPECT_EQ(painter.pen().color(), QColor(Qt::green));
    EXPECT_FALSE(painter.hasClipping());
    painter.end();
    EXPECT_EQ(surface.pixel(2, 5), qRgb(0, 0, 0));
    EXPECT_EQ(surface.pixel(9, 5), qRgb(0, 0, 0));
    EXPECT_EQ(surface.pixel(10, 5), qRgb(255, 255, 255));
    EXPECT_EQ(surface.pixel(19, 12), qRgb(255, 255, 255));
    EXPECT_EQ(surface.pixel(20, 12), qRgb(0, 0, 255));
    EXPECT_EQ(surface.pixel(29, 12), qRgb(0, 0, 255));
    EXPECT_EQ(surface.pixel(30, 12), qRgb(255, 255, 255));
}

TEST(WindowDC, CopiesAMemoryImageAndCombinesWithRasterOps)
{
    TestCanvas mem(4, 1, RGB(0x0F, 0xF0, 0x33));
    QImage surface(4, 2, QImage::Format_RGB32);
    surface.fill(qRgb(0xFF, 0x0F, 0x11));
    {
        QPainter painter(&surface);
        CDC dc;
        dc.AttachPainter(&painter, 4, 2);
        EXPECT_TRUE(dc.BitBlt(0, 0, 4, 1, &mem.dc, 0, 0, SRCCOPY));
        EXPECT_TRUE(dc.BitBlt(0, 1, 4, 1, &mem.dc, 0, 0, SRCAND));
        dc.DetachPainter();
    }
    EXPECT_EQ(surface.pixel(1, 0), qRgb(0x0F, 0xF0, 0x33));
    EXPECT_EQ(surface.pixel(1, 1), qRgb(0x0F, 0x00, 0x11));
}

}  // namespace
