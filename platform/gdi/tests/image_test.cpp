// CImage: drawing into it and writing it in the four formats.

#include "GdiTestUtil.h"
#include "platform/gdi/Image.h"
#include "platform/testing/RunFolder.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

QByteArray Head(const std::string& path, int n)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.read(n);
}

bool Exists(const std::string& path) { return QFile::exists(QString::fromStdString(path)); }

// A bottom-up image with a red top-left corner and a blue bottom row, drawn through its DC.
void Paint(CImage& image)
{
    ASSERT_TRUE(image.Create(40, 30, 32));
    CDC* dc = CDC::FromHandle(image.GetDC());
    ASSERT_NE(dc, nullptr);
    dc->FillSolidRect(0, 0, 40, 30, RGB(255, 255, 255));
    dc->FillSolidRect(0, 0, 5, 5, RGB(255, 0, 0));
    dc->FillSolidRect(0, 29, 40, 1, RGB(0, 0, 255));
    image.ReleaseDC();
}

TEST(ImageSave, ExtensionPicksTheEncoderWhateverItsCase)
{
    const RunFolder run("platform_gdi");
    CImage image;
    Paint(image);
    const std::pair<const char*, QByteArray> cases[] = {
        {"chart.bmp", "BM"}, {"chart.DIB", "BM"}, {"chart.Png", "\x89PNG"}, {"chart.PNG", "\x89PNG"},
        {"chart.jpg", "\xFF\xD8"}, {"chart.JPEG", "\xFF\xD8"}, {"chart.jfif", "\xFF\xD8"}, {"chart.gif", "GIF8"},
    };
    for (const auto& [name, magic] : cases) {
        const std::string path = run.PathOf(name);
        EXPECT_EQ(image.Save(path.c_str()), S_OK) << name;
        EXPECT_EQ(Head(path, static_cast<int>(magic.size())), magic) << name;
    }
    // An unknown extension writes nothing; an explicit format wins over the extension.
    const std::string unknown = run.PathOf("chart.xyz");
    EXPECT_TRUE(FAILED(image.Save(unknown.c_str())));
    EXPECT_FALSE(Exists(unknown));
    const std::string forced = run.PathOf("forced.bmp");
    EXPECT_EQ(image.Save(forced.c_str(), ImageFormatPNG), S_OK);
    EXPECT_EQ(Head(forced, 4), QByteArray("\x89PNG"));
}

TEST(ImageSave, PixelsArriveUprightAndGifKeepsExactColours)
{
    const RunFolder run("platform_gdi");
    CImage image;
    Paint(image);
    for (const char* name : {"upright.png", "upright.bmp", "upright.gif"}) {
        const std::string path = run.PathOf(name);
        ASSERT_EQ(image.Save(path.c_str()), S_OK) << name;
        const QImage back(QString::fromStdString(path));
        ASSERT_FALSE(back.isNull()) << name;
        EXPECT_EQ(back.size(), QSize(40, 30));
        EXPECT_EQ(back.pixel(1, 1) & 0xFFFFFF, 0xFF0000u) << name;
        EXPECT_EQ(back.pixel(20, 29) & 0xFFFFFF, 0x0000FFu) << name;
        EXPECT_EQ(back.pixel(20, 10) & 0xFFFFFF, 0xFFFFFFu) << name;
    }
}

TEST(ImageSave, ManyColoursStillMakeAGif)
{
    const RunFolder run("platform_gdi");
    CImage image;
    ASSERT_TRUE(image.Create(64, 64, 32));
    auto* bits = static_cast<std::uint8_t*>(image.GetBits());
    ASSERT_NE(bits, nullptr);
    const int pitch = image.GetPitch();
    EXPECT_LT(pitch, 0);  // bottom-up
    for (int y = 0; y < 64; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(bits + static_cast<std::ptrdiff_t>(y) * pitch);
        for (int x = 0; x < 64; ++x) row[x] = static_cast<std::uint32_t>((x * 4) << 16 | (y * 4) << 8 | ((x + y) * 2));
    }
    const std::string path = run.PathOf("many.gif");
    ASSERT_EQ(image.Save(path.c_str()), S_OK);
    const QImage back(QString::fromStdString(path));
    ASSERT_EQ(back.size(), QSize(64, 64));
    const QRgb px = back.pixel(40, 10);
    EXPECT_NEAR(qRed(px), 160, 24);
    EXPECT_NEAR(qGreen(px), 40, 24);
}

TEST(ImageSave, AFailedWriteLeavesNoFile)
{
    const RunFolder run("platform_gdi");
    CImage image;
    Paint(image);
    const std::string blocker = run.PathOf("not_a_folder");
    {
        QFile f(QString::fromStdString(blocker));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    const std::string path = blocker + "/chart.png";
    EXPECT_EQ(image.Save(path.c_str()), E_OPEN_FAILED) << "nothing could be made under the name";
    EXPECT_FALSE(Exists(path));
    CImage empty;
    EXPECT_TRUE(FAILED(empty.Save(run.PathOf("empty.png").c_str())));
    EXPECT_TRUE(FAILED(image.Save(nullptr)));
    EXPECT_FALSE(image.Create(0, 10, 32));
    EXPECT_TRUE(image.IsNull());
    EXPECT_FALSE(image.Create(10, 10, 16));
}

}  // namespace

namespace {

TEST(ImageSave, ShapesAndTextDrawnIntoABottomUpImageComeOutUpright)
{
    const RunFolder run("platform_gdi");
    CImage image;
    ASSERT_TRUE(image.Create(320, 200, 32));
    CDC* dc = CDC::FromHandle(image.GetDC());
    ASSERT_NE(dc, nullptr);
    TRIVERTEX v[2] = {{0, 0, 0xF000, 0xF000, 0xF000, 0}, {320, 200, 0x8000, 0xA000, 0xC000, 0}};
    GRADIENT_RECT g{0, 1};
    dc->GradientFill(v, 2, &g, 1, GRADIENT_FILL_RECT_V);
    CRect edge(0, 0, 320, 200);
    dc->DrawEdge(&edge, EDGE_RAISED, BF_RECT);
    CBrush hatch(HS_DIAGCROSS, RGB(0, 128, 0));
    dc->SetBkMode(TRANSPARENT);
    CBrush* oldBrush = dc->SelectObject(&hatch);
    CPen wide(PS_SOLID, 3, RGB(0, 0, 200));
    CPen* oldPen = dc->SelectObject(&wide);
    dc->Ellipse(20, 20, 120, 90);
    dc->SelectObject(oldBrush);
    LOGBRUSH lb{BS_SOLID, RGB(200, 0, 0), 0};
    const DWORD dots[] = {0, 6};
    CPen dotted;
    dotted.CreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_ROUND, 3, &lb, 2, dots);
    dc->SelectObject(&dotted);
    dc->MoveTo(140, 30);
    dc->LineTo(300, 30);
    const POINT curve[] = {{140, 80}, {180, 20}, {260, 140}, {300, 60}};
    dc->PolyBezier(curve, 4);
    dc->SelectObject(oldPen);
    LOGFONT lf{};
    lf.lfHeight = -18;
    lf.lfWeight = FW_BOLD;
    SetLogFontFaceName(lf, "Times New Roman");
    CFont font;
    font.CreateFontIndirect(&lf);
    CFont* oldFont = dc->SelectObject(&font);
    dc->SetTextColor(RGB(0, 0, 0));
    dc->TextOut(20, 120, "Частотная характеристика");
    CRect box(20, 150, 300, 190);
    dc->DrawText("Сохранить &как...", &box, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    dc->SelectObject(oldFont);
    image.ReleaseDC();
    const std::string path = run.PathOf("gdi_shapes.png");
    ASSERT_EQ(image.Save(path.c_str()), S_OK);
    const QImage back(QString::fromStdString(path));
    // The text sits in the lower half, the ellipse in the upper left.
    EXPECT_EQ(back.pixel(70, 20) & 0xFFFFFF, 0x0000C8u);
}

}  // namespace
