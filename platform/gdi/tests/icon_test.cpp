// Icons: masks, alpha, copies and loading from files.

#include "GdiTestUtil.h"

#include "platform/testing/RunFolder.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// A 32-bit top-down DIB section with every word set to `word`.
HBITMAP Dib(int w, int h, std::uint32_t word)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HBITMAP b = CreateDIBSection(&info, DIB_RGB_COLORS, &bits);
    auto* px = static_cast<std::uint32_t*>(bits);
    for (int i = 0; i < w * h; ++i) px[i] = word;
    return b;
}

TEST(Icons, MaskLetsTheBackgroundThrough)
{
    // Colour red everywhere but black where the mask is white (the outer ring).
    const HBITMAP color = Dib(8, 8, 0x00FF0000u);
    const HBITMAP mask = Dib(8, 8, 0x00000000u);
    {
        CDC c, m;
        c.CreateCompatibleDC(nullptr);
        m.CreateCompatibleDC(nullptr);
        c.SelectObject(color);
        m.SelectObject(mask);
        CRect ring(0, 0, 8, 8);
        CBrush white(kWhite), black(RGB(0, 0, 0));
        m.FrameRect(&ring, &white);
        c.FrameRect(&ring, &black);
    }
    ICONINFO info{TRUE, 0, 0, mask, color};
    const HICON icon = CreateIconIndirect(&info);
    ASSERT_NE(icon, 0u);
    DeleteObject(color);
    DeleteObject(mask);
    TestCanvas canvas(12, 12, RGB(0, 0, 255));
    EXPECT_TRUE(canvas.dc.DrawIcon(2, 2, icon));
    EXPECT_EQ(canvas.At(2, 2), RGB(0, 0, 255));   // ring: background stays
    EXPECT_EQ(canvas.At(5, 5), RGB(255, 0, 0));   // inside: the icon
    EXPECT_EQ(canvas.At(10, 10), RGB(0, 0, 255));
    // Drawn at twice the size through the handle-level call.
    TestCanvas big(20, 20);
    EXPECT_TRUE(DrawIconEx(big.dc.GetSafeHdc(), 0, 0, icon, 16, 16, 0, 0, DI_NORMAL));
    EXPECT_EQ(big.Ink(kWhite), CRect(2, 2, 14, 14));

    ICONINFO back{};
    ASSERT_TRUE(GetIconInfo(icon, &back));
    EXPECT_EQ(back.xHotspot, 4u);
    EXPECT_EQ(back.yHotspot, 4u);
    BITMAP bm{};
    GetObject(back.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 8);
    EXPECT_NE(bm.bmBits, nullptr);
    DeleteObject(back.hbmColor);
    DeleteObject(back.hbmMask);

    const HICON copy = CopyIcon(icon);
    EXPECT_NE(copy, icon);
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DestroyIcon(icon));
    TestCanvas again(12, 12);
    EXPECT_FALSE(again.dc.DrawIcon(0, 0, icon));
    EXPECT_TRUE(again.dc.DrawIcon(0, 0, copy));
    EXPECT_EQ(again.At(4, 4), RGB(255, 0, 0));
    DestroyIcon(copy);
}

TEST(Icons, AlphaInTheColourBitmapBlends)
{
    const HBITMAP color = Dib(4, 4, 0x80FF0000u);  // half-transparent red
    ICONINFO info{TRUE, 0, 0, 0, color};
    const HICON icon = CreateIconIndirect(&info);
    DeleteObject(color);
    ASSERT_NE(icon, 0u);
    TestCanvas c(4, 4);
    c.dc.DrawIcon(0, 0, icon);
    const COLORREF px = c.At(1, 1);
    EXPECT_EQ(GetRValue(px), 255);
    EXPECT_NEAR(GetGValue(px), 127, 2);
    DestroyIcon(icon);
}

TEST(Icons, LoadedFromFilesWithTheirTransparency)
{
    const RunFolder run("platform_gdi");
    const std::string dir = run.Path().string();
    QImage png(6, 4, QImage::Format_ARGB32);
    png.fill(qRgba(0, 255, 0, 255));
    png.setPixel(0, 0, qRgba(0, 0, 0, 0));
    const std::string pngPath = dir + "/icon_source.png";
    ASSERT_TRUE(png.save(QString::fromStdString(pngPath)));
    const HICON icon = LoadIconFromFile(pngPath.c_str(), 0, 0);
    ASSERT_NE(icon, 0u);
    TestCanvas c(6, 4);
    c.dc.DrawIcon(0, 0, icon);
    EXPECT_EQ(c.At(0, 0), kWhite);
    EXPECT_EQ(c.At(3, 2), RGB(0, 255, 0));
    DestroyIcon(icon);

    QImage bmp(3, 2, QImage::Format_RGB32);
    bmp.fill(qRgb(1, 2, 3));
    bmp.setPixel(0, 0, qRgb(200, 100, 50));
    const std::string bmpPath = dir + "/bitmap_source.bmp";
    ASSERT_TRUE(bmp.save(QString::fromStdString(bmpPath)));
    const HBITMAP bitmap = LoadBitmapFromFile(bmpPath.c_str());
    ASSERT_NE(bitmap, 0u);
    BITMAP bm{};
    GetObject(bitmap, sizeof bm, &bm);
    ASSERT_NE(bm.bmBits, nullptr);
    // Bottom-up: the top-left pixel is in the last row in memory, without alpha.
    EXPECT_EQ(static_cast<std::uint32_t*>(bm.bmBits)[3], 0x00C86432u);
    DeleteObject(bitmap);

    EXPECT_EQ(LoadBitmapFromFile((dir + "/no such file.bmp").c_str()), 0u);
    EXPECT_EQ(LoadIconFromFile(nullptr, 0, 0), 0u);
}

}  // namespace
