// The pictures of icon and bitmap handles on buttons, windows and list cells: shown again, the
// same pixmap (Qt's pixmap cache keeps an entry per pixmap it has drawn, for good), and never
// a stale one for an object that is gone or was drawn on.

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiInternal.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/HandlePixmaps.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionViewItem>
#include <QTreeWidget>

#include <cstdint>
#include <memory>
#include <set>

namespace {

constexpr int kButtonId = 10;
constexpr int kListId = 20;

DialogTemplate PanelTemplate()
{
    DialogTemplate t;
    t.id = 9720;
    t.caption = "Картинки";
    t.rect = CRect(0, 0, 200, 120);
    t.items = {
        {"Button", kButtonId, "Стоп", BS_PUSHBUTTON | BS_ICON | WS_VISIBLE, 0, CRect(5, 5, 45, 21)},
        {"SysListView32", kListId, "", WS_VISIBLE | WS_BORDER | LVS_REPORT, 0, CRect(5, 30, 195, 115)},
    };
    return t;
}

HICON SolidIcon(QColor colour)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(colour);
    return gdi::CreateIconFromImage(image);
}

class Panel : public CDialog {
public:
    void OnOK() override {}
    void OnCancel() override {}
};

class HandlePixmaps : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(panel.CreateIndirect(PanelTemplate()));
        panel.ShowWindow(SW_SHOW);
        uitest::ProcessEvents();
    }
    void TearDown() override
    {
        panel.DestroyWindow();
        uitest::ProcessEvents();
    }
    CButton* Button() { return static_cast<CButton*>(panel.GetDlgItem(kButtonId)); }
    const QAbstractButton* QButton() { return qobject_cast<const QAbstractButton*>(uitest::WidgetOf(Button())); }
    std::int64_t ButtonPixmapKey() { return QButton()->icon().pixmap(QButton()->iconSize()).cacheKey(); }
    QColor ButtonColour() { return QButton()->icon().pixmap(QButton()->iconSize()).toImage().pixelColor(8, 8); }

    Panel panel;
};

// Notes the pixmap of every list cell decoration it paints.
class NotingStyle : public QProxyStyle {
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const override
    {
        if (element == CE_ItemViewItem)
            if (const auto* cell = qstyleoption_cast<const QStyleOptionViewItem*>(option); cell != nullptr && !cell->icon.isNull())
                painted.insert(cell->icon.pixmap(cell->decorationSize).cacheKey());
        QProxyStyle::drawControl(element, option, painter, widget);
    }
    mutable std::set<std::int64_t> painted;
};

}  // namespace

TEST_F(HandlePixmaps, AButtonSwitchedBetweenTwoIconsShowsTwoPixmapsOfTheirColours)
{
    const HICON red = SolidIcon(QColor(255, 0, 0));
    const HICON blue = SolidIcon(QColor(0, 0, 255));
    ASSERT_NE(QButton(), nullptr);
    std::set<std::int64_t> shown;
    for (int i = 0; i < 10; ++i) {
        Button()->SetIcon(red);
        uitest::ProcessEvents();
        EXPECT_EQ(ButtonColour(), QColor(255, 0, 0)) << i;
        shown.insert(ButtonPixmapKey());
        Button()->SetIcon(blue);
        uitest::ProcessEvents();
        EXPECT_EQ(ButtonColour(), QColor(0, 0, 255)) << i;
        shown.insert(ButtonPixmapKey());
    }
    EXPECT_EQ(shown.size(), 2u);
    Button()->SetIcon(0);
    DestroyIcon(red);
    DestroyIcon(blue);
}

TEST_F(HandlePixmaps, PicturesOfIconsThatAreGoneAreGivenUpAndNeverShownAgain)
{
    const std::size_t before = uiimpl::KeptHandlePixmaps();
    for (int i = 0; i < 40; ++i) {
        const QColor colour(i * 6, 255 - i * 6, 0);
        const HICON icon = SolidIcon(colour);
        Button()->SetIcon(icon);
        // A new object never shows the picture of one gone before it, whatever its number.
        EXPECT_EQ(ButtonColour(), colour) << i;
        Button()->SetIcon(0);
        DestroyIcon(icon);
        EXPECT_EQ(uiimpl::KeptHandlePixmaps(), before) << i;
    }
}

TEST_F(HandlePixmaps, ABitmapDrawnOnAfterItWasShownIsShownWithItsNewPixels)
{
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(16, 16, 1, 32, nullptr));
    const CRect all(0, 0, 16, 16);
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap* old = dc.SelectObject(&bitmap);
    dc.FillSolidRect(&all, RGB(255, 0, 0));
    Button()->SetBitmap(static_cast<HBITMAP>(bitmap.m_hObject));
    EXPECT_EQ(ButtonColour(), QColor(255, 0, 0));
    Button()->SetBitmap(static_cast<HBITMAP>(bitmap.m_hObject));
    const std::int64_t unchanged = ButtonPixmapKey();
    Button()->SetBitmap(static_cast<HBITMAP>(bitmap.m_hObject));
    EXPECT_EQ(ButtonPixmapKey(), unchanged) << "unchanged pixels, the same pixmap";
    dc.FillSolidRect(&all, RGB(0, 0, 255));
    Button()->SetBitmap(static_cast<HBITMAP>(bitmap.m_hObject));
    EXPECT_EQ(ButtonColour(), QColor(0, 0, 255));
    dc.SelectObject(old);
    Button()->SetBitmap(0);
}

TEST_F(HandlePixmaps, AWindowGivenItsIconAgainKeepsItsPixmap)
{
    const HICON icon = SolidIcon(QColor(0, 128, 0));
    QWidget* window = uitest::WidgetOf(&panel);
    ASSERT_NE(window, nullptr);
    panel.SetIcon(icon, TRUE);
    const std::int64_t first = window->windowIcon().pixmap(QSize(16, 16)).cacheKey();
    for (int i = 0; i < 5; ++i) {
        panel.SetIcon(icon, TRUE);
        panel.SetIcon(icon, FALSE);
        EXPECT_EQ(window->windowIcon().pixmap(QSize(16, 16)).cacheKey(), first) << i;
    }
    EXPECT_EQ(window->windowIcon().pixmap(QSize(16, 16)).toImage().pixelColor(8, 8), QColor(0, 128, 0));
    DestroyIcon(icon);
}

TEST_F(HandlePixmaps, ListCellsPaintedAgainAndAgainShowOnePixmapPerImage)
{
    auto* list = static_cast<CListCtrl*>(panel.GetDlgItem(kListId));
    list->InsertColumn(0, "Линия", LVCFMT_LEFT, 90);
    auto images = std::make_unique<CImageList>();
    ASSERT_TRUE(images->Create(16, 16, ILC_COLOR32, 2, 2));
    for (const QColor& colour : {QColor(255, 0, 0), QColor(0, 0, 255)}) {
        const HICON icon = SolidIcon(colour);
        images->Add(icon);
        DestroyIcon(icon);
    }
    list->SetImageList(images.get(), LVSIL_SMALL);
    for (int row = 0; row < 4; ++row) {
        list->InsertItem(row, "A");
        LVITEM item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        item.iImage = row % 2;
        EXPECT_TRUE(list->SetItem(&item));
    }
    QWidget* widget = uitest::WidgetOf(list);
    auto* tree = qobject_cast<QTreeWidget*>(widget);
    if (tree == nullptr && widget != nullptr) tree = widget->findChild<QTreeWidget*>();
    ASSERT_NE(tree, nullptr);
    NotingStyle style;
    tree->setStyle(&style);
    for (int i = 0; i < 5; ++i) (void)tree->grab();
    EXPECT_EQ(style.painted.size(), 2u) << "one pixmap per image, however often the cells are painted";
    // The window goes before the image list it shows.
    panel.DestroyWindow();
}
