// velkaro-chartshot: draws one of the program's charts without an instrument and saves it as an
// image, prints it into a PDF file or on a CUPS queue. Exit status 0 only when the output was
// written.
//
//   velkaro-chartshot [--scene scope|logic|spectrum|response] [--format bmp|png|jpg|gif] FILE
//   velkaro-chartshot [--scene S] --pdf FILE
//   velkaro-chartshot [--scene S] --printer QUEUE

#include "platform/gdi/Image.h"
#include "platform/ui/App.h"
#include "platform/ui/PrintDialog.h"
#include "platform/ui/Wnd.h"
#include "widgets/chart/ChartCtrl.h"
#include "widgets/chart/chartshot/ChartScenes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kUsageError = 2;

int Usage()
{
    std::fprintf(stderr,
                 "usage: velkaro-chartshot [--scene scope|logic|spectrum|response] [--format bmp|png|jpg|gif] FILE\n"
                 "       velkaro-chartshot [--scene S] --pdf FILE\n"
                 "       velkaro-chartshot [--scene S] --printer QUEUE\n");
    return kUsageError;
}

bool FormatOf(const std::string& name, GUID& format)
{
    if (name == "bmp") format = ImageFormatBMP;
    else if (name == "png") format = ImageFormatPNG;
    else if (name == "jpg" || name == "jpeg") format = ImageFormatJPEG;
    else if (name == "gif") format = ImageFormatGIF;
    else return false;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string scene = "scope";
    std::string file;
    std::string pdf;
    std::string queue;
    GUID format = GUID_NULL;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--scene" && hasValue) scene = argv[++i];
        else if (arg == "--format" && hasValue) {
            if (!FormatOf(argv[++i], format)) return Usage();
        } else if (arg == "--pdf" && hasValue) pdf = argv[++i];
        else if (arg == "--printer" && hasValue) queue = argv[++i];
        else if (arg == "--help" || arg == "-h") return Usage();
        else if (!arg.empty() && arg[0] == '-') return Usage();
        else if (file.empty()) file = arg;
        else return Usage();
    }
    const int outputs = (file.empty() ? 0 : 1) + (pdf.empty() ? 0 : 1) + (queue.empty() ? 0 : 1);
    if (outputs != 1) return Usage();
    std::unique_ptr<ChartScene> setup = ChartScene::Make(scene);
    if (!setup) {
        std::fprintf(stderr, "velkaro-chartshot: unknown scene \"%s\"\n", scene.c_str());
        return kUsageError;
    }

    // Nothing is shown: without a display the charts draw off screen.
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    AfxEnsureApplication();

    const CSize size = setup->Size();
    CWnd host;
    if (!host.CreateEx(0, AfxRegisterWndClass(0), "Velkaro", WS_POPUP, 0, 0, size.cx, size.cy, nullptr, nullptr)) {
        std::fprintf(stderr, "velkaro-chartshot: cannot create a window\n");
        return 1;
    }
    CChartCtrl chart;
    if (!chart.Create("ChartCtrl", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, size.cx, size.cy), &host, 1000)) {
        std::fprintf(stderr, "velkaro-chartshot: cannot create the chart\n");
        return 1;
    }
    setup->Setup(chart);

    bool written = false;
    if (!file.empty()) {
        written = chart.SaveImage(file, CRect(), format);
        if (!written) std::fprintf(stderr, "velkaro-chartshot: could not write %s\n", file.c_str());
    } else {
        CPrintDialog dialog(FALSE);
        // A screen-shaped chart fills a sideways page best.
        dialog.m_pd.dmOrientation = DMORIENT_LANDSCAPE;
        const bool ready = !pdf.empty() ? dialog.SelectPdfFile(pdf.c_str()) : dialog.SelectPrinter(queue.c_str());
        if (!ready) {
            std::fprintf(stderr, "velkaro-chartshot: no printer queue \"%s\"\n", queue.c_str());
        } else {
            written = chart.Print("Velkaro " + scene, &dialog);
            if (!written) std::fprintf(stderr, "velkaro-chartshot: printing failed\n");
        }
    }
    chart.DestroyWindow();
    host.DestroyWindow();
    return written ? 0 : 1;
}
