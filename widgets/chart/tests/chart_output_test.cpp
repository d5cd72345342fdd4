// The chart into image files and onto paper (a PDF printer here), and every chartshot scene.

#include "support/ChartHost.h"

#include "platform/gdi/RecordingDC.h"
#include "platform/testing/RunFolder.h"
#include "platform/ui/PrintDialog.h"
#include "widgets/chart/ChartLegend.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/chartshot/ChartScenes.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QPdfWriter>

#include <algorithm>
#include <string>

namespace {

QByteArray Read(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int PageCount(const QByteArray& pdf)
{
    return static_cast<int>(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "));
}

void Fill(ChartHost& h)
{
    h.Bottom(0, 100);
    h.Left(-1, 1);
    auto* s = new CChartLineSerie(&h.chart);
    h.chart.AddSerie(s);
    s->SetName("Канал A");
    for (int i = 0; i <= 100; ++i) s->AddPoint(i, (i % 20) / 10.0 - 1);
    h.chart.GetLegend()->SetVisible(true);
}

// A PDF writer that refuses every page after the first.
class RefusingWriter : public QPdfWriter {
public:
    using QPdfWriter::QPdfWriter;
    bool newPage() override { return false; }
};

// A chart whose document is two pages long, so the printer gets to refuse the second.
class TwoPageChart : public CChartCtrl {
public:
    void BeginPrinting(CDC* dc, CPrintInfo* info) override
    {
        CChartCtrl::BeginPrinting(dc, info);
        info->SetMaxPage(2);
    }
};

}  // namespace

TEST(ChartSaveImage, FormatsByNameOrByFormat)
{
    // What the tests here write and read back lives in a folder of the test in this process
    // alone: another run of the suite never replaces a file between the write and the read.
    const RunFolder run("widgets_chart");
    ChartHost h(300, 200);
    Fill(h);
    struct Case {
        const char* name;
        GUID format;
        const char* magic;
    };
    const Case cases[] = {{"chart.bmp", GUID_NULL, "BM"},           {"chart.png", GUID_NULL, "\x89PNG"},
                          {"chart.jpg", GUID_NULL, "\xFF\xD8"},      {"chart.gif", GUID_NULL, "GIF8"},
                          {"chart_upper.PNG", GUID_NULL, "\x89PNG"}, {"forced_bmp.img", ImageFormatBMP, "BM"},
                          {"forced_png.img", ImageFormatPNG, "\x89PNG"}, {"forced_jpg.img", ImageFormatJPEG, "\xFF\xD8"},
                          {"forced_gif.img", ImageFormatGIF, "GIF8"}};
    for (const Case& c : cases) {
        const std::string path = run.PathOf(c.name);
        EXPECT_TRUE(h.chart.SaveImage(path, CRect(), c.format)) << c.name;
        EXPECT_TRUE(Read(path).startsWith(c.magic)) << c.name;
    }
    const QImage whole(QString::fromStdString(run.PathOf("chart.png")));
    EXPECT_EQ(whole.size(), QSize(300, 200));

    // A rectangle gives the image its size; the chart is laid out from (0, 0) in it.
    const std::string sized = run.PathOf("chart_sized.png");
    EXPECT_TRUE(h.chart.SaveImage(sized, CRect(50, 50, 690, 530)));
    EXPECT_EQ(QImage(QString::fromStdString(sized)).size(), QSize(640, 480));

    // Unknown names write nothing; the screen image is left as it was.
    const int redraws = h.redraws;
    for (const char* name : {"chart.xyz", "chart"}) {
        const std::string path = run.PathOf(name);
        EXPECT_FALSE(h.chart.SaveImage(path)) << name;
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path))) << name;
    }
    EXPECT_EQ(h.redraws, redraws + 2);
    EXPECT_EQ(h.chart.GetPlottingRect().right, h.chart.GetPlottingRect().right);
    EXPECT_FALSE(h.chart.SaveImage(run.PathOf("chart.bmp/inside.png")));
}

TEST(ChartPrint, OnePageFillingThePageWithoutBackgroundAndTextAtPointSize)
{
    const RunFolder run("widgets_chart");
    ChartHost h(400, 250);
    Fill(h);
    h.chart.SetBackColor(RGB(0, 50, 0));
    const CRect screenPlot = h.chart.GetPlottingRect();
    const std::string path = run.PathOf("printed.pdf");
    CPrintDialog dialog(FALSE);
    ASSERT_TRUE(dialog.SelectPdfFile(path.c_str()));
    CDC* dc = CDC::FromHandle(dialog.GetPrinterDC());
    ASSERT_NE(dc, nullptr);
    std::vector<GdiRecord> records;
    dc->SetRecording(&records);
    const int redraws = h.redraws;
    ASSERT_TRUE(h.chart.Print("Velkaro test", &dialog));
    dc->SetRecording(nullptr);
    EXPECT_EQ(h.redraws, redraws + 1);
    EXPECT_EQ(h.chart.GetPlottingRect(), screenPlot);

    const QByteArray pdf = Read(path);
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(PageCount(pdf), 1);

    // One logical unit is a point: the page's width in points, less the chart's margins.
    const int pageWidthPoints = dc->GetDeviceCaps(HORZRES) * 72 / dc->GetDeviceCaps(LOGPIXELSX);
    const int pageHeightPoints = dc->GetDeviceCaps(VERTRES) * 72 / dc->GetDeviceCaps(LOGPIXELSY);
    int right = 0;
    int texts = 0;
    for (const GdiRecord& r : records) {
        // Only the legend's box is filled: no background under the chart.
        if (r.op == "FillRect" || r.op == "FillSolidRect") {
            EXPECT_LT(r.rect.Width() * r.rect.Height(), pageWidthPoints * pageHeightPoints / 10) << "background printed";
        }
        EXPECT_NE(r.op, "GradientFill");
        for (const CPoint& p : r.points) right = std::max<int>(right, p.x);
        if (r.op == "TextOut") {
            ++texts;
            // Axis labels 8 pt, legend 10 pt.
            EXPECT_TRUE(r.font.lfHeight == -8 || r.font.lfHeight == -10) << r.text << " " << r.font.lfHeight;
        }
    }
    EXPECT_GT(texts, 10);
    EXPECT_GT(right, pageWidthPoints * 3 / 4);
    EXPECT_LE(right, pageWidthPoints);
}

TEST(ChartPrint, CancelPrintsNothingAndOkPrintsWhereTheDialogSays)
{
    const RunFolder run("widgets_chart");
    ChartHost h(300, 200);
    Fill(h);
    bool asked = false;
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        asked = m.kind == uihooks::ModalKind::PrintDialog;
        m.End(IDCANCEL);
    });
    EXPECT_FALSE(h.chart.Print("Velkaro"));
    EXPECT_TRUE(asked);

    const std::string path = run.PathOf("from_dialog.pdf");
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        m.fileName = path;
        m.End(IDOK);
    });
    EXPECT_TRUE(h.chart.Print("Velkaro"));
    EXPECT_EQ(PageCount(Read(path)), 1);
}

TEST(ChartPrint, ARefusedPageAbortsTheDocument)
{
    const RunFolder run("widgets_chart");
    uitest::EnsureApplication();
    const std::string path = run.PathOf("refused.pdf");
    RefusingWriter writer(QString::fromStdString(path));
    bool aborted = false;
    CDC printer;
    printer.AttachPrinter(&writer, [](void* flag) { *static_cast<bool*>(flag) = true; }, &aborted);
    CPrintDialog dialog(FALSE);
    dialog.m_pd.hDC = printer.GetSafeHdc();

    CDialog host;
    DialogTemplate t;
    t.id = 9501;
    t.rect = CRect(0, 0, 200, 150);
    ASSERT_TRUE(host.CreateIndirect(t));
    TwoPageChart chart;
    ASSERT_TRUE(chart.Create("ChartCtrl", "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), &host, 1000));
    auto* bottom = new CChartStandardAxis();
    chart.AttachAxis(CChartCtrl::BottomAxis, bottom);
    bottom->SetMinMax(0, 1);
    EXPECT_FALSE(chart.Print("Velkaro", &dialog));
    EXPECT_TRUE(aborted);
    EXPECT_FALSE(printer.IsPrinting() && printer.EndDoc() > 0);
    chart.DestroyWindow();
}

TEST(ChartScenes, EveryScenePrintsAndSaves)
{
    const RunFolder run("widgets_chart");
    uitest::EnsureApplication();
    EXPECT_EQ(ChartScene::Make("nonsense"), nullptr);
    for (const std::string& name : ChartScene::Names()) {
        std::unique_ptr<ChartScene> scene = ChartScene::Make(name);
        ASSERT_NE(scene, nullptr) << name;
        const CSize size = scene->Size();
        ChartHost h(size.cx, size.cy);
        scene->Setup(h.chart);
        const std::string png = run.PathOf("scene_" + name + ".png");
        EXPECT_TRUE(h.chart.SaveImage(png)) << name;
        EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(size.cx, size.cy)) << name;
        const std::string pdf = run.PathOf("scene_" + name + ".pdf");
        CPrintDialog dialog(FALSE);
        dialog.m_pd.dmOrientation = DMORIENT_LANDSCAPE;
        ASSERT_TRUE(dialog.SelectPdfFile(pdf.c_str()));
        CDC* printer = CDC::FromHandle(dialog.GetPrinterDC());
        ASSERT_NE(printer, nullptr);
        EXPECT_GT(printer->GetDeviceCaps(HORZRES), printer->GetDeviceCaps(VERTRES));
        EXPECT_TRUE(h.chart.Print("Velkaro " + name, &dialog)) << name;
        const QByteArray bytes = Read(pdf);
        EXPECT_EQ(PageCount(bytes), 1) << name;
        // The job's name is the document's title.
        const QString title = QStringLiteral("Velkaro ") + QString::fromStdString(name);
        QByteArray utf16;
        for (QChar ch : title) utf16.append('\0').append(static_cast<char>(ch.unicode()));
        EXPECT_TRUE(bytes.contains(title.toUtf8()) || bytes.contains(utf16)) << name;
        // A refill after the first: the same picture again.
        scene->Refill();
        const std::string again = run.PathOf("scene_" + name + "_again.png");
        EXPECT_TRUE(h.chart.SaveImage(again)) << name;
        EXPECT_EQ(QImage(QString::fromStdString(png)), QImage(QString::fromStdString(again))) << name;
    }
}
