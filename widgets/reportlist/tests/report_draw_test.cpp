// What the report list shows: coloured cells through custom draw, and the owner-drawn list.

#include "ReportTestHost.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

QColor Colour(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

QImage Render(CWnd* wnd, const std::string& name)
{
    const std::string path = uitest::OutputPath(name);
    EXPECT_TRUE(uitest::RenderToPng(wnd, path));
    return QImage(QString::fromStdString(path));
}

}  // namespace

TEST(ReportDraw, CellsShowTheirColoursAndSelectionKeepsTheHighlight)
{
    uitest::EnsureApplication();
    ReportHost host;
    ASSERT_TRUE(host.CreateIndirect(ReportTemplate(400, 110)));
    host.ShowWindow(SW_SHOW);
    CReportCtrl report;
    ASSERT_TRUE(report.SubclassDlgItem(1053, &host));
    report.FitToParent();
    report.DisableSorting();
    report.SetCheckMode(CReportCtrl::Multiple);
    report.InsertColumn(0, "", LVCFMT_LEFT, 10);
    for (int column = 1; column < 5; ++column) report.InsertColumn(column, "", LVCFMT_LEFT, 10);
    const char* rows[] = {"Вертикальный 0", "Вертикальный 1", "Вертикальные", "Горизонтальный 0", "Горизонтальный 1", "Горизонтальные"};
    for (int row = 0; row < 6; ++row) report.InsertItem(row, rows[row]);
    report.FitColumnToText(0, "Горизонтальный 1");
    report.FitColumnToText(1, "dT = -999.999 мкc");
    report.FitColumnToText(2, "1/dT = -999.999 мкc");
    report.FitColumnToText(3, "Ua = -999.999 мВ");
    report.FitColumnToText(4, "Ub = -999.999 мВ");
    const COLORREF markers[] = {0x8080FF, 0xFF8080, 0, 0xFF80FF, 0xFFFF80};
    for (int row : {0, 1, 3, 4}) report.SetItemBkColor(row, 0, markers[row]);
    report.SetItemTextColor(3, -1, 0x0000FF);
    report.SetItemTextColor(4, -1, 0x00FF00);
    report.SetItemText(0, 1, "T = 1.500 мс");
    report.SetItemText(0, 3, "Ua = 120.000 мВ");
    report.SetItemText(0, 4, "Ub = -40.000 мВ");
    report.SetCheck(0, TRUE);
    report.SetCheck(3, TRUE);
    report.SetItemStates(5, CReportCtrl::Selected);
    uitest::ProcessEvents();

    const QImage image = Render(&host, "widgets_reportlist/marker_list.png");
    ASSERT_FALSE(image.isNull());
    auto pixel = [&](int row, int column) {
        CRect cell;
        report.GetSubItemRect(row, column, LVIR_LABEL, cell);
        CRect place;
        report.GetWindowRect(&place);
        host.ScreenToClient(&place);
        return image.pixelColor(place.left + cell.right - 3, place.top + cell.CenterPoint().y);
    };
    EXPECT_EQ(pixel(1, 0), Colour(0xFF8080));
    EXPECT_EQ(pixel(3, 0), Colour(0xFF80FF));
    EXPECT_EQ(pixel(4, 0), Colour(0xFFFF80));
    EXPECT_EQ(pixel(2, 0), Colour(GetSysColor(COLOR_WINDOW)));
    EXPECT_EQ(pixel(0, 3), Colour(GetSysColor(COLOR_WINDOW))) << "column 3 has coloured text only";
    EXPECT_NE(pixel(5, 0), Colour(GetSysColor(COLOR_WINDOW))) << "the selected row is highlighted";
    host.DestroyWindow();
}

TEST(ReportDraw, AnOwnerDrawnListDrawsEachCellAtItsHeaderItem)
{
    uitest::EnsureApplication();
    ReportHost host;
    ASSERT_TRUE(host.CreateIndirect(ReportTemplate(200, 100)));
    host.ShowWindow(SW_SHOW);
    CReportCtrl report;
    ASSERT_TRUE(report.Create(&host, 1070, nullptr, WS_BORDER | LVS_OWNERDRAWFIXED));
    report.InsertColumn(0, "Линия", LVCFMT_LEFT, 120);
    report.InsertColumn(1, "Значение", LVCFMT_LEFT, 220);
    for (int row = 0; row < 3; ++row) {
        report.InsertItem(row, StringFormat("Линия %d", row).c_str());
        report.SetItemText(row, 1, "очень длинное значение, которое не помещается в ячейку");
    }
    report.SetItemBkColor(0, 1, RGB(0, 160, 0));
    report.SetItemBkColor(2, 0, RGB(200, 0, 0));
    report.SetItemStates(1, CReportCtrl::Selected | CReportCtrl::Focused);
    uitest::ProcessEvents();

    // Where a cell is on the screen: the header item, the row, and the list's place in the host.
    CRect place;
    report.GetWindowRect(&place);
    host.ScreenToClient(&place);
    auto at = [&](const QImage& image, int row, int column, int dx) {
        CRect item;
        report.GetHeaderCtrl()->GetItemRect(column, &item);
        CRect cell;
        report.GetSubItemRect(row, 0, LVIR_BOUNDS, cell);
        CRect header;
        report.GetHeaderCtrl()->GetWindowRect(&header);
        report.ScreenToClient(&header);
        return image.pixelColor(place.left + header.left + item.left - report.GetScrollPos(SB_HORZ) + dx, place.top + cell.top + 2);
    };
    QImage image = Render(&host, "widgets_reportlist/owner_draw.png");
    EXPECT_EQ(at(image, 2, 0, 2), QColor(200, 0, 0));
    EXPECT_EQ(at(image, 0, 1, 2), QColor(0, 160, 0));
    EXPECT_EQ(at(image, 1, 0, 2), Colour(GetSysColor(COLOR_HIGHLIGHT)));
    EXPECT_EQ(at(image, 1, 1, 2), Colour(GetSysColor(COLOR_HIGHLIGHT)));
    EXPECT_EQ(at(image, 0, 0, 2), Colour(GetSysColor(COLOR_WINDOW)));

    // Scrolled sideways by the user (a click on the bar's right part, below the client area),
    // the cells follow.
    CRect window;
    report.GetWindowRect(&window);
    uitest::ClickAt(&report, CPoint(window.Width() - 30, window.Height() - 5));
    uitest::ProcessEvents();
    ASSERT_GT(report.GetScrollPos(SB_HORZ), 0);
    image = Render(&host, "widgets_reportlist/owner_draw_scrolled.png");
    EXPECT_EQ(at(image, 0, 1, 2), QColor(0, 160, 0));
    EXPECT_EQ(at(image, 2, 1, 2), Colour(GetSysColor(COLOR_WINDOW)));
    host.DestroyWindow();
}
