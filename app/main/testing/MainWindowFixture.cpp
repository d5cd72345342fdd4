#include "app/main/testing/MainWindowFixture.h"

#include "core/config/ConfigSections.h"
#include "core/link/DeviceLink.h"
#include "core/transport/InterfaceChooser.h"
#include "core/transport/Interfaces.h"
#include "platform/ui/testing/LeftOpen.h"
#include "platform/ui/testing/UiTest.h"
#include "sim/SimComm.h"
#include "widgets/chart/ChartSerie.h"

#include <QAbstractButton>
#include <QEvent>
#include <QIcon>
#include <QObject>
#include <QPixmap>
#include <QWidget>

#include <chrono>
#include <filesystem>
#include <memory>

std::shared_ptr<VirtualInstrument> demoInstrument;

namespace {

CComm* ChooseDemo()
{
    auto* comm = new CSimComm(demoInstrument);
    comm->Enumerate();
    comm->Select(0);
    return comm;
}

}  // namespace

void MainWindowTest::SetUp()
{
    uitest::EnsureApplication();
    demoInstrument = std::make_shared<VirtualInstrument>();
    demoInstrument->SetVersion(2, 1);
    app_ = std::make_unique<CVelkaroApp>();
    ASSERT_TRUE(app_->SetUpProgram());
    SetChooserFunction(&ChooseDemo);
    settingsFolder_ = FolderOfThisRun("app_main");
    configPath_ = (settingsFolder_ / "velkaro_cfg.xml").string();
    // Each test starts as a fresh program does.
    ConfigSections.clear();
    DeleteOscData();
}

void MainWindowTest::TearDown()
{
    uihooks::ClearModalHandlers();
    uihooks::SetAutoAnswer(false);
    SetChooserFunction(nullptr);
    Interfaces::Clear();
    app_.reset();
    demoInstrument.reset();
    runFolders_.clear();
}

std::filesystem::path MainWindowTest::FolderOfThisRun(const std::string& area)
{
    runFolders_.push_back(std::make_unique<RunFolder>(area));
    return runFolders_.back()->Path();
}

void MainWindowTest::RunWindow(const std::function<void(CVelkaroDlg&)>& body)
{
    CVelkaroDlg dialog;
    dialog.SetConfigPath(configPath_);
    dialog.SetServiceButtonsShown(serviceButtons_);
    app_->m_pMainWnd = &dialog;
    uitest::OnNextModal([body](uihooks::ModalContext& m) {
        auto& d = *static_cast<CVelkaroDlg*>(m.window);
        body(d);
        if (d.ContinueModal())
            uitest::Click(d.GetDlgItem(IDCANCEL));
        uitest::EndIfLeftOpen(m, "\"Выход\"");
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    app_->m_pMainWnd = nullptr;
}

void MainWindowTest::Tick(CVelkaroDlg& d)
{
    d.SendMessage(WM_TIMER, CVelkaroDlg::kTickTimerId);
}

void MainWindowTest::SwitchVariant(CVelkaroDlg& d, int version)
{
    int hardware = 0;
    for (const auto& row : d.supported_versions)
        if (row.version == version)
            hardware = row.hwVersion;
    d.SwitchDataVersion(version, hardware);
    Tick(d);
}

void MainWindowTest::WithData(const std::function<void(OscData&)>& f)
{
    CSingleLock lock(&DataLock, TRUE);
    f(*GetOscData());
}

std::string MainWindowTest::StatusText(CVelkaroDlg& d)
{
    CString text;
    d.GetDlgItemText(CVelkaroDlg::kStatusId, text);
    return text;
}

bool MainWindowTest::WaitUntil(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        uitest::ProcessEvents();
    }
    return true;
}

void MainWindowTest::Connect(CVelkaroDlg& d)
{
    uitest::Click(d.GetDlgItem(CVelkaroDlg::kConnectId));
}

bool MainWindowTest::ConnectWithBothChannels(CVelkaroDlg& d)
{
    Connect(d);
    if (!WaitUntil([] { return Linked(); })) return false;
    WithData([](OscData& data) {
        if ((data.osc_cr & OSC_CR_CH_B_ON) == 0) data.EnableChannelB(true);
    });
    return true;
}

bool MainWindowTest::Linked()
{
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = PeekOscData();
    return d != nullptr && (d->mode & MODE_LINKED) != 0;
}

bool MainWindowTest::VariantSettled(int version, int hwVersion)
{
    CSingleLock lock(&DataLock, TRUE);
    const OscData* d = PeekOscData();
    return d != nullptr && d->GetVersion() == version && d->created_hw_version == hwVersion &&
           (d->status & STATUS_LIMITS_APPLIED) == 0 && (d->mode & MODE_LINKED) != 0;
}

CButton* MainWindowTest::StopButton(CVelkaroDlg& d)
{
    constexpr int kStopId = 1047;
    return static_cast<CButton*>(d.GetDlgItem(kStopId));
}

bool MainWindowTest::WaitForStopButton(CVelkaroDlg& d, bool stopped)
{
    constexpr UINT kRunningIcon = 136;
    constexpr UINT kStoppedIcon = 137;
    const HICON wanted = d.ImageIcon(stopped ? kStoppedIcon : kRunningIcon);
    return wanted != 0 && WaitUntil([&] { return StopButton(d)->GetIcon() == wanted; });
}

std::int64_t MainWindowTest::ShownPixmapKey(CWnd* button)
{
    const auto* b = qobject_cast<const QAbstractButton*>(uitest::WidgetOf(button));
    if (b == nullptr || b->icon().isNull())
        return 0;
    return b->icon().pixmap(b->iconSize()).cacheKey();
}

std::vector<double> ValuesOf(const CChartSerie* s)
{
    std::vector<double> values;
    for (unsigned i = 0; i < s->GetPointsCount(); ++i)
        values.push_back(s->GetPoint(i).Y);
    return values;
}

double MeasuredPeriod(const std::vector<double>& y)
{
    if (y.empty())
        return 0;
    double mean = 0;
    for (double v : y)
        mean += v;
    mean /= static_cast<double>(y.size());
    std::vector<double> crossings;
    for (std::size_t i = 1; i < y.size(); ++i)
        if (y[i - 1] < mean && y[i] >= mean)
            crossings.push_back(static_cast<double>(i - 1) + (mean - y[i - 1]) / (y[i] - y[i - 1]));
    if (crossings.size() < 2)
        return 0;
    return (crossings.back() - crossings.front()) / static_cast<double>(crossings.size() - 1);
}

// The event filter itself: Qt's object headers stay out of the fixture's header, whose users
// name their own things "signals".
class PaintCounter::Filter : public QObject {
public:
    explicit Filter(QWidget* widget) : widget_(widget) { widget_->installEventFilter(this); }
    ~Filter() override { widget_->removeEventFilter(this); }
    Filter(const Filter&) = delete;
    Filter& operator=(const Filter&) = delete;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == widget_ && event->type() == QEvent::Paint)
            ++paints;
        return false;
    }

    int paints = 0;

private:
    QWidget* widget_;
};

PaintCounter::PaintCounter(QWidget* widget) : filter_(std::make_unique<Filter>(widget)) {}

PaintCounter::~PaintCounter() = default;

int PaintCounter::Take()
{
    uitest::ProcessEvents();
    const int n = filter_->paints;
    filter_->paints = 0;
    return n;
}
