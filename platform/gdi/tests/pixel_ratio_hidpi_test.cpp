// Pictures for a screen of two pixels per logical pixel (this program runs with QT_SCALE_FACTOR=2):
// drawn on the screen's own grid, while their callers address, measure, read and save them in
// logical pixels as on any other screen.

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/ImageFile.h"
#include "platform/testing/RunFolder.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// Before any application object exists.
const bool kScaled = setenv("QT_SCALE_FACTOR", "2", 1) == 0;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(200, 0, 0);

// A white picture made as a window makes its off-screen picture: compatible with the screen.
struct ScreenPicture {
    CDC dc;
    CBitmap bitmap;
    ScreenPicture(int width, int height)
    {
        gdi::EnsureGuiApplication();
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateCompatibleBitmap(&dc, width, height);
        dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, width, height, kWhite);
    }
    const QImage& Fine() const { return *dc.GetSurfaceImage(); }
    bool InkAt(int x, int y) const { return Fine().pixel(x, y) == gdi::ToRgb(kInk); }
};

// Blocks of 2x2 fine pixels on the logical grid that are not of one colour.
int MixedBlocks(const QImage& fine)
{
    int mixed = 0;
    for (int y = 0; y + 1 < fine.height(); y += 2)
        for (int x = 0; x + 1 < fine.width(); x += 2) {
            const QRgb a = fine.pixel(x, y);
            if (fine.pixel(x + 1, y) != a || fine.pixel(x, y + 1) != a || fine.pixel(x + 1, y + 1) != a) ++mixed;
        }
    return mixed;
}

// A 32-bit DIB section whose first row is the top one.
HBITMAP TopDownDib(int width, int height, void** bits)
{
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = -height;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    return CreateDIBSection(&header, DIB_RGB_COLORS, bits);
}

class PixelRatio : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kScaled);
        gdi::EnsureGuiApplication();
        ASSERT_EQ(gdi::ScreenPixelRatio(), 2) << "this program runs on a screen of two pixels per logical pixel";
    }
};

TEST_F(PixelRatio, PicturesForTheScreenHoldItsPixelsAndAreKnownByTheirLogicalSize)
{
    ScreenPicture p(40, 30);
    EXPECT_EQ(p.dc.GetPixelRatio(), 2);
    EXPECT_EQ(p.Fine().size(), QSize(80, 60));
    EXPECT_EQ(p.bitmap.GetBitmapDimension(), CSize(40, 30));
    BITMAP info{};
    ASSERT_EQ(p.bitmap.GetBitmap(&info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 40);
    EXPECT_EQ(info.bmHeight, 30);
    EXPECT_EQ(p.dc.GetDeviceCaps(HORZRES), 40);
    CRect box;
    p.dc.GetClipBox(&box);
    EXPECT_EQ(box, CRect(0, 0, 40, 30));

    // A picture made like this one, and one made for a DC made compatible with it, match it.
    CDC second;
    second.CreateCompatibleDC(&p.dc);
    CBitmap secondBitmap;
    secondBitmap.CreateCompatibleBitmap(&second, 5, 5);
    second.SelectObject(&secondBitmap);
    EXPECT_EQ(second.GetPixelRatio(), 2);

    // DIB sections are laid out by their header: one pixel per unit, their callers address
    // their bits; so is a DC holding one, and what is made compatible with it.
    void* bits = nullptr;
    const HBITMAP dib = TopDownDib(6, 4, &bits);
    ASSERT_NE(dib, 0u);
    CDC dibDC;
    dibDC.CreateCompatibleDC(nullptr);
    const HGDIOBJ old = dibDC.SelectObject(static_cast<HGDIOBJ>(dib));
    EXPECT_EQ(dibDC.GetPixelRatio(), 1);
    EXPECT_EQ(dibDC.GetCompatiblePixelRatio(), 1);
    dibDC.SetPixel(5, 3, kInk);
    EXPECT_EQ(static_cast<std::uint32_t*>(bits)[3 * 6 + 5], 0x00C80000u);
    dibDC.SelectObject(old);
    DeleteObject(dib);
}

TEST_F(PixelRatio, ThinLinesStepOnTheScreensGridAsWideAsALogicalPixel)
{
    ScreenPicture p(40, 20);
    CPen pen(PS_SOLID, 0, kInk);
    p.dc.SelectObject(&pen);
    // Across: two fine rows, from the first logical pixel to the one before the end.
    p.dc.MoveTo(3, 4);
    p.dc.LineTo(13, 4);
    for (int x = 0; x < 80; ++x) {
        const bool on = x >= 6 && x < 26;
        EXPECT_EQ(p.InkAt(x, 8), on) << x;
        EXPECT_EQ(p.InkAt(x, 9), on) << x;
    }
    EXPECT_FALSE(p.InkAt(10, 7));
    EXPECT_FALSE(p.InkAt(10, 10));
    EXPECT_EQ(MixedBlocks(p.Fine()), 0) << "a line along the grid fills whole logical pixels";

    // Slanted: its steps fall between logical pixels, as the screen can show them.
    p.dc.MoveTo(0, 10);
    p.dc.LineTo(39, 19);
    EXPECT_GT(MixedBlocks(p.Fine()), 10);
    // Every fine column the line crosses has the line two pixels high.
    for (int x = 0; x < 78; ++x) {
        int ink = 0;
        for (int y = 20; y < 40; ++y) ink += p.InkAt(x, y) ? 1 : 0;
        EXPECT_EQ(ink, 2) << x;
    }

    // Straight onto a window of the screen, the same line in the same pixels.
    QImage window(80, 40, QImage::Format_RGB32);
    window.setDevicePixelRatio(2);
    window.fill(Qt::white);
    {
        QPainter painter(&window);
        CDC dc;
        dc.AttachPainter(&painter, 40, 20);
        CPen same(PS_SOLID, 0, kInk);
        dc.SelectObject(&same);
        dc.MoveTo(0, 10);
        dc.LineTo(39, 19);
        dc.SelectStockObject(BLACK_PEN);
        dc.DetachPainter();
    }
    for (int y = 20; y < 40; ++y)
        for (int x = 0; x < 80; ++x) EXPECT_EQ(window.pixel(x, y) == gdi::ToRgb(kInk), p.InkAt(x, y)) << x << "," << y;

    // Dots keep their logical length: three logical pixels on, three off.
    CPen dots(PS_DOT, 0, kInk);
    p.dc.SelectObject(&dots);
    p.dc.SetBkMode(TRANSPARENT);
    p.dc.MoveTo(0, 1);
    p.dc.LineTo(12, 1);
    std::string row;
    for (int x = 0; x < 24; ++x) row += p.InkAt(x, 2) ? '#' : '.';
    EXPECT_EQ(row, "######......######......");
    p.dc.SelectStockObject(BLACK_PEN);
}

TEST_F(PixelRatio, PixelsAreReadWrittenAndSavedInLogicalUnits)
{
    ScreenPicture p(20, 10);
    EXPECT_EQ(p.dc.SetPixel(7, 3, kInk), kInk);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) EXPECT_EQ(p.InkAt(x, y), x / 2 == 7 && y / 2 == 3) << x << "," << y;
    EXPECT_EQ(p.dc.GetPixel(7, 3), kInk);
    EXPECT_EQ(p.dc.GetPixel(8, 3), kWhite);
    EXPECT_EQ(p.dc.GetPixel(20, 3), CLR_INVALID);

    BITMAPINFO header{};
    ASSERT_EQ(GetDIBits(p.dc, p.bitmap, 0, 0, nullptr, &header, DIB_RGB_COLORS), 10);
    EXPECT_EQ(header.bmiHeader.biWidth, 20);
    header.bmiHeader.biHeight = -10;
    std::vector<std::uint32_t> words(200);
    ASSERT_EQ(GetDIBits(p.dc, p.bitmap, 0, 10, words.data(), &header, DIB_RGB_COLORS), 10);
    EXPECT_EQ(words[3 * 20 + 7], 0x00C80000u);
    EXPECT_EQ(words[3 * 20 + 8], 0x00FFFFFFu);

    // Saved at the size the program always wrote.
    const RunFolder run("platform_gdi_hidpi");
    const std::string file = run.PathOf("picture.png");
    ASSERT_TRUE(SaveDCAsPng(p.dc, file));
    const QImage saved(QString::fromStdString(file));
    EXPECT_EQ(saved.size(), QSize(20, 10));
    EXPECT_EQ(saved.pixel(7, 3), gdi::ToRgb(kInk));
    EXPECT_EQ(saved.pixel(2, 2), gdi::ToRgb(kWhite));
}

TEST_F(PixelRatio, CopiesKeepTheFinePixelsAndScaleBetweenGrids)
{
    ScreenPicture p(30, 10);
    CPen pen(PS_SOLID, 0, kInk);
    p.dc.SelectObject(&pen);
    p.dc.MoveTo(0, 0);
    p.dc.LineTo(30, 9);
    p.dc.SelectStockObject(BLACK_PEN);

    // Onto a window of the same screen: one to one.
    QImage window(60, 20, QImage::Format_RGB32);
    window.setDevicePixelRatio(2);
    window.fill(Qt::black);
    {
        QPainter painter(&window);
        CDC dc;
        dc.AttachPainter(&painter, 30, 10);
        EXPECT_EQ(dc.GetPixelRatio(), 2);
        EXPECT_EQ(dc.GetCompatiblePixelRatio(), 2);
        EXPECT_TRUE(dc.BitBlt(0, 0, 30, 10, &p.dc, 0, 0, SRCCOPY));
        dc.DetachPainter();
    }
    window.setDevicePixelRatio(1);
    QImage fine = p.Fine().copy();
    fine.setDevicePixelRatio(1);
    EXPECT_EQ(window, fine) << "the window shows the picture's own pixels";

    // Onto a window of a screen of 1.5 pixels per logical pixel: resampled smoothly, so the
    // line shows in shades rather than with some of its pixels dropped.
    QImage between(45, 15, QImage::Format_RGB32);
    between.setDevicePixelRatio(1.5);
    between.fill(Qt::white);
    {
        QPainter painter(&between);
        CDC dc;
        dc.AttachPainter(&painter, 30, 10);
        EXPECT_EQ(dc.GetCompatiblePixelRatio(), 2);
        EXPECT_TRUE(dc.BitBlt(0, 0, 30, 10, &p.dc, 0, 0, SRCCOPY));
        dc.DetachPainter();
    }
    int shades = 0;
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 45; ++x) {
            const QRgb c = between.pixel(x, y);
            if (c != qRgb(255, 255, 255) && c != gdi::ToRgb(kInk)) ++shades;
        }
    EXPECT_GT(shades, 20);

    // Between two such pictures, and out of one into a DIB section of one pixel per unit.
    ScreenPicture q(30, 10);
    EXPECT_TRUE(q.dc.BitBlt(0, 0, 30, 10, &p.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(q.Fine(), p.Fine());
    void* bits = nullptr;
    const HBITMAP dib = TopDownDib(30, 10, &bits);
    CDC dibDC;
    dibDC.CreateCompatibleDC(nullptr);
    const HGDIOBJ old = dibDC.SelectObject(static_cast<HGDIOBJ>(dib));
    EXPECT_TRUE(dibDC.BitBlt(0, 0, 30, 10, &p.dc, 0, 0, SRCCOPY));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 30; ++x)
            EXPECT_EQ(dibDC.GetPixel(x, y), p.dc.GetPixel(x, y)) << x << "," << y;

    // A DIB section's alpha travels onto the finer grid of a scaled section, block by block.
    static_cast<std::uint32_t*>(bits)[2 * 30 + 4] = 0x80102030u;
    void* fineBits = nullptr;
    const HBITMAP scaled = CreateScaledDIBSection(30, 10, 2, &fineBits);
    ASSERT_NE(scaled, 0u);
    CDC scaledDC;
    scaledDC.CreateCompatibleDC(nullptr);
    const HGDIOBJ oldScaled = scaledDC.SelectObject(static_cast<HGDIOBJ>(scaled));
    EXPECT_EQ(scaledDC.GetPixelRatio(), 2);
    EXPECT_TRUE(scaledDC.BitBlt(0, 0, 30, 10, &dibDC, 0, 0, SRCCOPY));
    const auto* words = static_cast<const std::uint32_t*>(fineBits);
    for (int y = 4; y < 6; ++y)
        for (int x = 8; x < 10; ++x) EXPECT_EQ(words[y * 60 + x], 0x80102030u) << x << "," << y;
    scaledDC.SelectObject(oldScaled);
    DeleteObject(scaled);
    dibDC.SelectObject(old);
    DeleteObject(dib);
}

}  // namespace
