#pragma once
// Runs Velkaro's main window inside its modal loop for a test, with a settings file of its own
// and the virtual instrument as the chooser's "Demo" entry. Waits process events until a
// condition holds; they never sleep.

#include "app/main/VelkaroApp.h"
#include "app/main/VelkaroDlg.h"
#include "platform/testing/RunFolder.h"
#include "platform/ui/testing/UiTest.h"
#include "sim/VirtualInstrument.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CChartSerie;
class QWidget;

// The Y values of a chart series, in point order.
std::vector<double> ValuesOf(const CChartSerie* s);
// Mean spacing of the rising crossings of the mean, in points (0 with fewer than two).
double MeasuredPeriod(const std::vector<double>& y);

// Counts the paints a widget gets from the window system: what a full redraw of the chart ends
// in, as the screen sees it.
class PaintCounter {
public:
    explicit PaintCounter(QWidget* widget);
    ~PaintCounter();
    PaintCounter(const PaintCounter&) = delete;
    PaintCounter& operator=(const PaintCounter&) = delete;

    // The paints since the last call, once every pending event has run.
    int Take();

private:
    class Filter;
    std::unique_ptr<Filter> filter_;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The window runs `body` from inside its modal loop and is closed with "Выход" after it.
    void RunWindow(const std::function<void(CVelkaroDlg&)>& body);

    // One tick, as the window's timer delivers it.
    static void Tick(CVelkaroDlg& d);
    // The instrument announces variant `version` with the hardware version the window supports
    // for it (so nothing is asked), and a tick takes it.
    static void SwitchVariant(CVelkaroDlg& d, int version);
    // Runs `f` on the data model under DataLock.
    static void WithData(const std::function<void(OscData&)>& f);
    static std::string StatusText(CVelkaroDlg& d);
    // A generous bound only, so that a broken run ends instead of hanging.
    static bool WaitUntil(const std::function<bool()>& condition);
    // Connects to the demo instrument through the window's connect button.
    static void Connect(CVelkaroDlg& d);
    static bool Linked();
    // Connects, waits for the link and switches channel B on: both traces live. False when
    // the link never came.
    static bool ConnectWithBothChannels(CVelkaroDlg& d);
    // The model is the one of the instrument's variant, the window has checked it and the link
    // has marked it linked (a new model starts unlinked): where a user starts, since work begun
    // before the switch is lost with the model it replaces, and a tool refuses to start without
    // the link.
    static bool VariantSettled(int version, int hwVersion);

    // The "Стоп" button, and a wait until it shows the picture of a stopped (or running)
    // acquisition, as the tick sets it after a stop or a run.
    static CButton* StopButton(CVelkaroDlg& d);
    static bool WaitForStopButton(CVelkaroDlg& d, bool stopped);
    // The key of the pixmap a button shows now. Qt's pixmap cache keeps what it draws of a
    // pixmap under this key for the life of the process: a button that shows a picture again
    // must show it under the key it had, or every showing leaves one more entry behind.
    static std::int64_t ShownPixmapKey(CWnd* button);

    // A fresh folder under the test output for this test in this process alone; it goes at the
    // end of the test.
    std::filesystem::path FolderOfThisRun(const std::string& area);

    std::filesystem::path settingsFolder_;
    std::string configPath_;
    // The window is made as `velkaro --service` makes it.
    bool serviceButtons_ = false;
    std::unique_ptr<CVelkaroApp> app_;

private:
    std::vector<std::unique_ptr<RunFolder>> runFolders_;
};

// The instrument the "Demo" entry serves.
extern std::shared_ptr<VirtualInstrument> demoInstrument;
