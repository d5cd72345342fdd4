// The program's icons: each is found under its resource id, they differ where they must, and a
// sheet of them is rendered for a reviewer.

#include "app/icons/VelkaroIcons.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/ui/App.h"
#include "platform/ui/PaintDC.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

namespace {

using namespace velkaro_icons;

HICON Load(UINT id)
{
    return LoadIcon(nullptr, reinterpret_cast<const char*>(static_cast<std::uintptr_t>(id)));
}

// The icon drawn over white, read back pixel by pixel.
class Drawn {
public:
    explicit Drawn(UINT id)
    {
        dc_.CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = ICON_SIZE;
        info.bmiHeader.biHeight = ICON_SIZE;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(&info, DIB_RGB_COLORS, &bits);
        old_ = dc_.SelectObject(static_cast<HGDIOBJ>(bitmap_));
        dc_.FillSolidRect(0, 0, ICON_SIZE, ICON_SIZE, RGB(255, 255, 255));
        drawn_ = dc_.DrawIcon(0, 0, Load(id)) != FALSE;
    }
    ~Drawn()
    {
        dc_.SelectObject(old_);
        DeleteObject(bitmap_);
    }
    bool ok() const { return drawn_; }
    COLORREF At(int x, int y) const { return dc_.GetPixel(x, y); }

private:
    CDC dc_;
    HBITMAP bitmap_ = 0;
    HGDIOBJ old_ = 0;
    bool drawn_ = false;
};

bool Bluish(COLORREF c) { return GetBValue(c) > 150 && GetRValue(c) < 100; }

class IconsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(RegisterVelkaroIcons());
    }
};

TEST_F(IconsTest, EveryIconIsFoundUnderItsIdOnceAndForAll)
{
    std::set<HICON> handles;
    for (UINT id : ALL) {
        const HICON icon = Load(id);
        ASSERT_NE(icon, 0u) << id;
        handles.insert(icon);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info)) << id;
        BITMAP bm{};
        ASSERT_NE(GetObject(info.hbmColor, sizeof(bm), &bm), 0) << id;
        EXPECT_EQ(bm.bmWidth, ICON_SIZE);
        EXPECT_EQ(bm.bmHeight, ICON_SIZE);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    EXPECT_EQ(handles.size(), ALL.size());
    ASSERT_TRUE(RegisterVelkaroIcons());
    for (UINT id : ALL) EXPECT_TRUE(handles.count(Load(id))) << "registered again: " << id;
    EXPECT_EQ(Load(133), 0u) << "no icon of ours";
}

TEST_F(IconsTest, IconsShowTheirMeaning)
{
    for (UINT id : ALL) {
        Drawn d(id);
        ASSERT_TRUE(d.ok()) << id;
        EXPECT_EQ(d.At(0, 0), RGB(255, 255, 255)) << id << ": the corners show through";
    }
    // The edge arrows point up for edge 1 and down for edge 2.
    Drawn rising(IDI_EDGE_1);
    Drawn falling(IDI_EDGE_2);
    EXPECT_TRUE(Bluish(rising.At(16, 12)));
    EXPECT_FALSE(Bluish(rising.At(16, 20)) && Bluish(rising.At(11, 20)));
    EXPECT_TRUE(Bluish(falling.At(16, 20)));
    EXPECT_FALSE(Bluish(falling.At(11, 12)));
    // Running is green, stopped red; the single shot lights up when armed.
    Drawn running(IDI_RUNNING);
    Drawn stopped(IDI_STOPPED);
    EXPECT_GT(GetGValue(running.At(15, 16)), 120);
    EXPECT_GT(GetRValue(stopped.At(16, 16)), 150);
    EXPECT_LT(GetGValue(stopped.At(16, 16)), 80);
    Drawn off(IDI_SINGLE_OFF);
    Drawn on(IDI_SINGLE_ON);
    EXPECT_NE(off.At(11, 16), on.At(11, 16));
}

// A window that paints every icon at its own size and four times larger.
class Sheet : public CWnd {
public:
    afx_msg void OnPaint()
    {
        CPaintDC dc(this);
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(&client, GetSysColor(COLOR_BTNFACE));
        int x = 8;
        for (UINT id : ALL) {
            dc.DrawIcon(x + 32, 8, Load(id));
            dc.DrawIconEx(x, 48, Load(id), ICON_SIZE * 4, ICON_SIZE * 4, DI_NORMAL);
            x += ICON_SIZE * 4 + 8;
        }
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Sheet, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

TEST_F(IconsTest, RendersASheetForAReviewer)
{
    Sheet sheet;
    const int width = 8 + static_cast<int>(ALL.size()) * (ICON_SIZE * 4 + 8);
    ASSERT_TRUE(sheet.CreateEx(0, AfxRegisterWndClass(0), "Icons", WS_POPUP | WS_VISIBLE, CRect(0, 0, width, 48 + ICON_SIZE * 4 + 8), nullptr, 0));
    EXPECT_TRUE(uitest::RenderToPng(&sheet, uitest::OutputPath("velkaro_icons.png")));
    sheet.DestroyWindow();
}

}  // namespace
