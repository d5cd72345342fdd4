// Printer DCs: a document of pages drawn with an anisotropic mapping, here into a PDF file.

#include "GdiTestUtil.h"

#include "platform/testing/RunFolder.h"

#include <QFile>
#include <QPdfWriter>

#include <gtest/gtest.h>

namespace {

TEST(Printing, PagesInOrderWithAScaledMapping)
{
    const RunFolder run("platform_gdi");
    const QString path = QString::fromStdString(run.PathOf("print.pdf"));
    {
        QPdfWriter pdf(path);
        pdf.setResolution(300);
        CDC dc;
        // Out of order: nothing to print on yet.
        EXPECT_EQ(dc.StartDoc("Chart"), SP_ERROR);
        dc.AttachPrinter(&pdf);
        EXPECT_TRUE(dc.IsPrinting());
        EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 300);
        const int horz = dc.GetDeviceCaps(HORZRES);
        const int vert = dc.GetDeviceCaps(VERTRES);
        EXPECT_GT(horz, 1000);
        EXPECT_EQ(dc.StartPage(), SP_ERROR);
        DOCINFO info{sizeof(DOCINFO), "Chart", nullptr, nullptr, 0};
        ASSERT_GT(dc.StartDoc(&info), 0);
        EXPECT_EQ(dc.StartDoc(&info), SP_ERROR);
        for (int page = 0; page < 2; ++page) {
            ASSERT_GT(dc.StartPage(), 0);
            dc.SetMapMode(MM_ANISOTROPIC);
            dc.SetWindowExt(800, 600);
            dc.SetViewportExt(horz, vert);
            CRect box;
            dc.GetClipBox(&box);
            EXPECT_NEAR(box.Width(), 800, 2);
            dc.Rectangle(10, 10, 790, 590);
            dc.TextOut(20, 20, "Канал А");
            EXPECT_GT(dc.EndPage(), 0);
        }
        EXPECT_GT(dc.EndDoc(), 0);
        EXPECT_EQ(dc.EndDoc(), SP_ERROR);
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 2);
}

TEST(Printing, AbortCallsTheAbortHook)
{
    const RunFolder run("platform_gdi");
    const QString path = QString::fromStdString(run.PathOf("aborted.pdf"));
    QPdfWriter pdf(path);
    bool aborted = false;
    CDC dc;
    dc.AttachPrinter(&pdf, [](void* flag) { *static_cast<bool*>(flag) = true; }, &aborted);
    ASSERT_GT(dc.StartDoc("x"), 0);
    dc.StartPage();
    EXPECT_GT(dc.AbortDoc(), 0);
    EXPECT_TRUE(aborted);
    EXPECT_EQ(dc.EndPage(), SP_ERROR);
}

}  // namespace
