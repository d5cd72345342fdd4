// The main window's tick: the status line, the version check and the new-frame rule.

#include "app/main/testing/MainWindowFixture.h"

#include "core/config/ConfigSections.h"
#include "core/data/OscData.h"
#include "core/link/DeviceLink.h"
#include "core/log/EventLog.h"
#include "sim/SimComm.h"

#include <algorithm>

namespace {

const std::string kDeviceOutdated =
    "Аппаратная версия устройства устарела! Обновите ПО устройства! Некоторые функции возможно будут работать "
    "некорректно! (текущая аппаратная версия 0, поддерживаемая аппаратная версия 1)";
const std::string kUnsupported = "Неподдерживаемая аппаратная версия устройства! Обновите серверное ПО!";

bool LogHas(const std::string& text)
{
    std::uint64_t seen = 0;
    std::vector<std::string> lines;
    EventLog::Instance()->ReadNewLines(seen, lines);
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

TEST_F(MainWindowTest, StatusLineShowsAcquisitionAndRecorderTime)
{
    RunWindow([&](CVelkaroDlg& d) {
        unsigned rate = 0;
        WithData([&](OscData& data) {
            data.mode |= MODE_LINKED;
            data.mode &= ~(MODE_WAIT_TRIGGER | MODE_RECORDER);
            data.osc_cr = static_cast<std::uint16_t>((data.osc_cr | OSC_CR_TRIGGER_ON) &
                                                     ~(OSC_CR_TRIGGER_EXT | OSC_CR_TRIGGER_B));
            data.osc_sr = 0;
            rate = data.GetSampleRateKHz();
        });
        Tick(d);
        EXPECT_EQ(StatusText(d), "РАБОТА ТРИГ: ЖДУ ");

        ASSERT_EQ(rate % 100, 0u) << rate;
        struct Case {
            std::int32_t samples;
            unsigned skip;
            const char* text;
        };
        const Case cases[] = {
            {150000, rate / 100 - 1, "Захв 00:00:01.500\r\n"},  // 100 kHz
            {2500001, rate - 1, "Захв 00:41:40.001\r\n"},       // 1 kHz
        };
        for (const Case& c : cases)
        {
            WithData([&](OscData& data) {
                data.mode |= MODE_RECORDER;
                data.recorder_samples = c.samples;
                data.x_skip = c.skip;
                data.recorder_start_time = boost::posix_time::ptime();
            });
            Tick(d);
            EXPECT_EQ(StatusText(d), c.text);
        }
        WithData([](OscData& data) { data.mode &= ~(MODE_LINKED | MODE_RECORDER); });
        Tick(d);
        EXPECT_EQ(StatusText(d), "");
    });
}

TEST_F(MainWindowTest, AMismatchedHardwareWarnsOnceAndItsBoxBlocksNoWorker)
{
    struct Case {
        std::uint8_t minor;
        std::string text;
    };
    const Case cases[] = {
        {0, kDeviceOutdated},
        {5, "Аппаратная версия серверного ПО устарела! Обновите серверное ПО! Некоторые функции возможно будут "
            "работать некорректно! (текущая аппаратная версия 5, поддерживаемая аппаратная версия 1)"},
    };
    for (const Case& c : cases)
    {
        demoInstrument->SetVersion(2, c.minor);
        RunWindow([&](CVelkaroDlg& d) {
            std::string text;
            UINT type = 0;
            bool workerRan = false;
            uitest::OnNextModal([&](uihooks::ModalContext& m) {
                text = m.text;
                type = m.type;
                // The worker finishes its exchange while the box is open.
                workerRan = WaitUntil([] { return Linked(); });
                m.End(IDOK);
            });
            Connect(d);
            ASSERT_TRUE(WaitUntil([&] { return !text.empty(); }));
            EXPECT_EQ(text, c.text);
            EXPECT_EQ(type & 0xF0u, static_cast<UINT>(MB_ICONEXCLAMATION));
            EXPECT_TRUE(workerRan);

            // The same device announced again warns nothing.
            uihooks::TakeMessageBoxLog();
            uihooks::SetAutoAnswer(true);
            WithData([](OscData& data) { data.status |= STATUS_LIMITS_APPLIED; });
            Tick(d);
            EXPECT_TRUE(uihooks::TakeMessageBoxLog().empty());
            WithData([](OscData& data) { EXPECT_EQ(data.status & STATUS_LIMITS_APPLIED, 0u); });
            uihooks::SetAutoAnswer(false);
            uitest::Click(d.GetDlgItem(CVelkaroDlg::kConnectId));
        });
        ConfigSections.clear();
        DeleteOscData();
    }
}

// The demo instrument (the --demo entry, and velkaro-sim without --version) reports a variant
// and hardware version this window supports as they are, so a newcomer's first connection
// shows no warning.
TEST_F(MainWindowTest, TheDemoInstrumentsOwnVersionNeedsNoWarning)
{
    RunWindow([&](CVelkaroDlg& d) {
        const auto row = std::find_if(d.supported_versions.begin(), d.supported_versions.end(),
                                      [](const CVelkaroDlg::SupportedVersion& r) { return r.version == kDemoVersionMajor; });
        ASSERT_NE(row, d.supported_versions.end());
        EXPECT_EQ(row->hwVersion, kDemoVersionMinor);
    });
}

TEST_F(MainWindowTest, AnUnknownVariantDisconnectsBeforeItsBox)
{
    demoInstrument->SetVersion(6, 0);
    RunWindow([&](CVelkaroDlg& d) {
        std::string text;
        bool disconnected = false;
        bool logged = false;
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            text = m.text;
            disconnected = !d.GetLink()->IsRunning();
            logged = LogHas("Unsupported version!");
            m.End(IDOK);
        });
        Connect(d);
        ASSERT_TRUE(WaitUntil([&] { return !text.empty(); }));
        EXPECT_EQ(text, kUnsupported);
        EXPECT_TRUE(disconnected);
        EXPECT_TRUE(logged);
        // The variant in use stays one the program knows.
        WithData([](OscData& data) { EXPECT_EQ(data.GetVersion(), 2); });
    });
}

TEST_F(MainWindowTest, NewFrameRule)
{
    struct Case {
        int source;
        bool triggered;
        int received;
        bool ready;
        bool isNew;
    };
    const Case cases[] = {
        {0, false, 300, true, true},   {0, false, 299, true, false}, {0, false, 300, false, false},
        {1, true, 300, true, true},    {1, false, 300, true, false}, {2, true, 299, true, false},
        {3, true, 300, false, false},  {3, true, 300, true, true},
    };
    RunWindow([&](CVelkaroDlg& d) {
        // Start-up leaves a redraw request (the stored capture form is applied again); the
        // first tick takes it, and the cases start from a settled window.
        Tick(d);
        d.trail_on = 1;
        for (const Case& c : cases)
        {
            WithData([&](OscData& data) {
                std::uint16_t cr = static_cast<std::uint16_t>(data.osc_cr | OSC_CR_CH_A_ON);
                cr &= static_cast<std::uint16_t>(~(OSC_CR_TRIGGER_ON | OSC_CR_TRIGGER_EXT | OSC_CR_TRIGGER_B));
                if (c.source != 0) cr |= OSC_CR_TRIGGER_ON;
                if (c.source == 2) cr |= OSC_CR_TRIGGER_B;
                if (c.source == 3) cr |= OSC_CR_TRIGGER_EXT;
                data.osc_cr = cr;
                data.valid_points = c.received;
                data.status &= ~(STATUS_TRIGGERED | STATUS_FRAME_READY);
                if (c.triggered) data.status |= STATUS_TRIGGERED;
                if (c.ready) data.status |= STATUS_FRAME_READY;
            });
            const std::size_t before = d.GetTrail(0).size();
            Tick(d);
            EXPECT_EQ(d.GetTrail(0).size(), before + (c.isNew ? 1 : 0))
                << c.source << " " << c.triggered << " " << c.received << " " << c.ready;
            WithData([&](OscData& data) {
                EXPECT_EQ(data.status & STATUS_FRAME_READY, 0u);
                // The trigger is taken only by the frame it made new.
                EXPECT_EQ((data.status & STATUS_TRIGGERED) != 0, c.triggered && !c.isNew);
            });
        }
    });
}

TEST_F(MainWindowTest, QueuedMessagesAreShownOneByOne)
{
    RunWindow([&](CVelkaroDlg& d) {
        d.KillTimer(CVelkaroDlg::kTickTimerId);
        uihooks::TakeMessageBoxLog();
        uihooks::SetAutoAnswer(true);
        d.QueueMessage("первое");
        d.QueueMessage("второе");
        Tick(d);
        const auto shown = uihooks::TakeMessageBoxLog();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_NE(shown[0].find("первое"), std::string::npos);
        EXPECT_NE(shown[1].find("второе"), std::string::npos);
        Tick(d);
        EXPECT_TRUE(uihooks::TakeMessageBoxLog().empty());
    });
}

}  // namespace
