// The main window's buttons, lists, spins and hotkeys, driven as a user drives them.

#include "app/main/testing/MainWindowFixture.h"

#include "app/hotkeys/HotkeyTable.h"
#include "app/main/SettingSteps.h"
#include "core/data/OscData.h"
#include "widgets/chart/ChartPointsSerie.h"

#include <filesystem>

namespace {

template <class T>
T Read(const std::function<T(OscData&)>& f)
{
    CSingleLock lock(&DataLock, TRUE);
    return f(*GetOscData());
}

std::uint32_t TDiv() { return Read<std::uint32_t>([](OscData& d) { return d.t_div; }); }
std::uint32_t Mode() { return Read<std::uint32_t>([](OscData& d) { return d.mode; }); }
int Source() { return Read<int>([](OscData& d) { return d.GetTriggerSource(); }); }

class MainWindowHandlersTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ForgetTriggerChannels();
        HotkeyTable::Instance().SetDefaults();
    }
    void TearDown() override
    {
        HotkeyTable::Instance().SetDefaults();
        MainWindowTest::TearDown();
    }
    // The text of the balloon the action brings up ("" without one). The click or key of an
    // action puts away the balloon before.
    static std::string Refusal(const std::function<void()>& action)
    {
        uitest::SetApplicationActive(true);
        action();
        CVelkaroDlg* d = MainDialog;
        return d != nullptr && d->GetToolTip().IsWindowVisible() ? d->GetLastRefusal() : std::string();
    }
};

TEST_F(MainWindowHandlersTest, TimeDivisionSpinStepsAndStopsAtTheTop)
{
    RunWindow([&](CVelkaroDlg& d) {
        WithData([](OscData& data) {
            data.max_x_skip = data.GetDividerMax();
            data.t_div = data.GetTDivMin() + 3;
            data.FitTDivIndex();
        });
        const std::uint32_t start = TDiv();
        uitest::ClickSpin(d.GetDlgItem(1006), true);
        EXPECT_GT(TDiv(), start);
        uitest::ClickSpin(d.GetDlgItem(1006), false);
        EXPECT_EQ(TDiv(), start);

        WithData([](OscData& data) {
            data.t_div = data.GetTDivMax();
            data.FitTDivIndex();
        });
        const std::uint32_t top = TDiv();
        uitest::ClickSpin(d.GetDlgItem(1006), true);
        EXPECT_EQ(TDiv(), top);
    });
}

TEST_F(MainWindowHandlersTest, TriggerSourceRefusalsPutTheListBack)
{
    RunWindow([&](CVelkaroDlg& d) {
        CWnd* list = d.GetDlgItem(CVelkaroDlg::kTriggerSourceId);
        WithData([](OscData& data) {
            data.EnableChannelA(true);
            data.EnableChannelB(false);
        });
        struct Case {
            int choice;
            bool stopped;
            const char* refusal;
            int sourceAfter;
        };
        const Case cases[] = {
            {2, false, "Необходимо сначало включить канал B!", 0},
            {1, true, "В режиме стоп переключение невозможно!", 0},
            {1, false, "", 1},
            {3, false, "", 3},
            {0, false, "", 0},
        };
        for (const Case& c : cases)
        {
            WithData([&](OscData& data) {
                if (((data.mode & MODE_STOPPED) != 0) != c.stopped)
                    data.ToggleStop();
            });
            const std::string text = Refusal([&] { uitest::SelectListItem(list, c.choice); });
            if (*c.refusal == 0)
                uihooks::ClearModalHandlers();
            EXPECT_EQ(text, c.refusal) << c.choice;
            EXPECT_EQ(Source(), c.sourceAfter) << c.choice;
            EXPECT_EQ(static_cast<CListBox*>(list)->GetCurSel(), c.sourceAfter) << c.choice;
        }
        // Back to channel A, drawn, then off: both trigger lines leave the chart at once.
        uitest::SelectListItem(list, 1);
        Tick(d);
        ASSERT_GT(d.trigger_offset_arrow->GetPointsCount(), 0u);
        uitest::SelectListItem(list, 0);
        EXPECT_EQ(d.trigger_offset_arrow->GetPointsCount(), 0u);
        EXPECT_EQ(d.trigger_level_arrow->GetPointsCount(), 0u);
        // With the trigger on channel A its "Включен" cannot be switched off.
        uitest::SelectListItem(list, 1);
        EXPECT_FALSE(d.GetDlgItem(1012)->IsWindowEnabled());
        EXPECT_TRUE(d.GetDlgItem(1013)->IsWindowEnabled());
        EXPECT_EQ(d.level_countdown, CVelkaroDlg::kMarkerShowTicks);
    });
}

TEST_F(MainWindowHandlersTest, RecorderIsRefusedWithTheTriggerAndStartsPaused)
{
    RunWindow([&](CVelkaroDlg& d) {
        CWnd* recorder = d.GetDlgItem(CVelkaroDlg::kRecorderId);
        WithData([](OscData& data) {
            data.EnableChannelA(true);
            SetTriggerSource(data, 1);
        });
        EXPECT_EQ(Refusal([&] { uitest::Click(recorder); }), "Самописец не работает в режиме триггера!");
        EXPECT_EQ(d.IsDlgButtonChecked(CVelkaroDlg::kRecorderId), static_cast<UINT>(BST_UNCHECKED));
        EXPECT_EQ(Mode() & MODE_RECORDER, 0u);

        WithData([](OscData& data) { SetTriggerSource(data, 0); });
        uitest::Click(recorder);
        EXPECT_EQ(d.IsDlgButtonChecked(CVelkaroDlg::kRecorderId), static_cast<UINT>(BST_CHECKED));
        EXPECT_EQ(Mode() & (MODE_RECORDER | MODE_STOPPED), MODE_RECORDER | MODE_STOPPED);
        EXPECT_FALSE(d.GetDlgItem(CVelkaroDlg::kTriggerSourceId)->IsWindowEnabled());

        // Off again: acquisition runs as it did before.
        uitest::Click(recorder);
        EXPECT_EQ(Mode() & (MODE_RECORDER | MODE_STOPPED), 0u);
        EXPECT_TRUE(d.GetDlgItem(CVelkaroDlg::kTriggerSourceId)->IsWindowEnabled());
    });
}

// A recording started without a file chosen names the channel that lacks one; two empty names
// are not taken for one shared file.
TEST_F(MainWindowHandlersTest, RecorderRunWithoutAChosenFileSaysWhichChannelLacksOne)
{
    RunWindow([&](CVelkaroDlg& d) {
        Connect(d);
        ASSERT_TRUE(WaitUntil(Linked));
        WithData([](OscData& data) { SetTriggerSource(data, 0); });
        for (UINT enabled : {1012u, 1013u})
            if (d.IsDlgButtonChecked(enabled) != BST_CHECKED)
                uitest::Click(d.GetDlgItem(enabled));
        ASSERT_EQ(Read<std::uint16_t>([](OscData& data) { return data.osc_cr; }) & (OSC_CR_CH_A_ON | OSC_CR_CH_B_ON),
                  OSC_CR_CH_A_ON | OSC_CR_CH_B_ON);
        uitest::Click(d.GetDlgItem(CVelkaroDlg::kRecorderId));
        ASSERT_NE(Mode() & MODE_RECORDER, 0u);

        const std::string chosen = uitest::OutputPath("main_window_recorder_a.bin");
        std::filesystem::remove(chosen);
        struct Case {
            std::string fileA;
            const char* message;
        };
        const Case cases[] = {
            {"", "Самописец: не выбран файл для записи канала A!"},
            {chosen, "Самописец: не выбран файл для записи канала B!"},
        };
        for (const Case& c : cases)
        {
            SCOPED_TRACE(c.message);
            WithData([&](OscData& data) {
                data.str_datalogger_fn[0] = c.fileA;
                data.str_datalogger_fn[1].clear();
            });
            ASSERT_NE(Mode() & MODE_STOPPED, 0u);
            std::string text;
            uitest::AnswerNextMessageBox(IDOK, &text);
            uitest::Click(d.GetDlgItem(1047));  // "Стоп": run
            EXPECT_TRUE(WaitUntil([&] {
                Tick(d);
                return !text.empty();
            }));
            EXPECT_EQ(text, c.message);
            // The failed start stopped acquisition again, and created nothing.
            EXPECT_TRUE(WaitUntil([] { return (Mode() & MODE_STOPPED) != 0; }));
            EXPECT_FALSE(std::filesystem::exists(chosen));
        }
        uihooks::ClearModalHandlers();
    });
}

TEST_F(MainWindowHandlersTest, OffsetSpinsAndZeroButtonsMoveTheirOwnChannel)
{
    RunWindow([&](CVelkaroDlg& d) {
        WithData([](OscData& data) { data.y_offset[0] = data.y_offset[1] = 0; });
        struct Case {
            int control;
            bool spinUp;
            int channel;
        };
        for (const Case c : {Case{1018, true, 0}, Case{1020, false, 1}})
        {
            const int before = Read<int>([&](OscData& data) { return data.y_offset[c.channel]; });
            const int other = Read<int>([&](OscData& data) { return data.y_offset[1 - c.channel]; });
            uitest::ClickSpin(d.GetDlgItem(c.control), c.spinUp);
            const int after = Read<int>([&](OscData& data) { return data.y_offset[c.channel]; });
            EXPECT_NE(after, before) << c.control;
            EXPECT_EQ(Read<int>([&](OscData& data) { return data.y_offset[1 - c.channel]; }), other) << c.control;
        }
        WithData([](OscData& data) { data.y_offset[0] = data.y_offset[1] = 127; });
        uitest::ClickSpin(d.GetDlgItem(1018), true);
        uitest::ClickSpin(d.GetDlgItem(1018), false);
        uitest::Click(d.GetDlgItem(1074));
        EXPECT_EQ(Read<int>([](OscData& data) { return data.y_offset[0]; }), 0);
        EXPECT_EQ(Read<int>([](OscData& data) { return data.y_offset[1]; }), 127);
        uitest::Click(d.GetDlgItem(1003));
        EXPECT_EQ(Read<int>([](OscData& data) { return data.y_offset[1]; }), 0);
    });
}

TEST_F(MainWindowHandlersTest, VoltsPerDivisionListOutsideTheStoppedRangeSnapsBack)
{
    RunWindow([&](CVelkaroDlg& d) {
        // The arrow keys are hotkeys in this window; here they move through the list.
        HotkeyTable::Instance().bindings.clear();
        unsigned lo = 0;
        unsigned hi = 0;
        WithData([&](OscData& data) {
            lo = data.GetVDivMin();
            hi = data.GetVDivMax();
        });
        auto* list = static_cast<CComboBox*>(d.GetDlgItem(1051));
        // One list choice, as the keyboard makes it from the entry above.
        auto choose = [&](unsigned u) {
            list->SetCurSel(static_cast<int>(u - lo) - 1);
            uitest::Key(list, VK_DOWN);
        };
        list->ResetContent();
        for (unsigned u = lo; u <= hi; ++u)
            list->SetItemData(list->AddString(std::to_string(u).c_str()), u);

        // Running: any entry of the variant.
        choose(hi);
        EXPECT_EQ(Read<unsigned>([](OscData& data) { return data.u_div[0]; }), hi);

        // Stopped: only one step around the captured gain.
        unsigned gain = 0;
        WithData([&](OscData& data) {
            data.ToggleStop();
            gain = static_cast<unsigned>(data.GetGainIndex(data.u_div[0]));
        });
        ASSERT_GE(gain, lo + 1);
        if (gain >= lo + 3)
        {
            choose(gain - 2);
            EXPECT_EQ(Read<unsigned>([](OscData& data) { return data.u_div[0]; }), hi);
            EXPECT_EQ(list->GetItemData(list->GetCurSel()), hi);
        }
        choose(gain);
        EXPECT_EQ(Read<unsigned>([](OscData& data) { return data.u_div[0]; }), gain);
    });
}

TEST_F(MainWindowHandlersTest, RunButtonsEdgeAndLevelControls)
{
    RunWindow([&](CVelkaroDlg& d) {
        const std::uint32_t stopped = Mode() & MODE_STOPPED;
        uitest::Click(d.GetDlgItem(1047));
        EXPECT_NE(Mode() & MODE_STOPPED, stopped);
        uitest::Click(d.GetDlgItem(1047));
        EXPECT_EQ(Mode() & MODE_STOPPED, stopped);

        const std::uint32_t single = Mode() & MODE_SINGLE;
        uitest::Click(d.GetDlgItem(1023));
        EXPECT_NE(Mode() & MODE_SINGLE, single);
        EXPECT_EQ(d.refresh_single_each_tick, 1);

        // The edge button works only with a trigger: chosen in the list, as a user does.
        CWnd* sources = d.GetDlgItem(CVelkaroDlg::kTriggerSourceId);
        WithData([](OscData& data) {
            data.EnableChannelA(true);
            data.trigger_dir[0] = 0;
            data.trigger_level[0] = 0;
        });
        EXPECT_FALSE(d.GetDlgItem(1046)->IsWindowEnabled());
        uitest::SelectListItem(sources, 1);
        ASSERT_EQ(Source(), 1);
        ASSERT_TRUE(d.GetDlgItem(1046)->IsWindowEnabled());
        uitest::Click(d.GetDlgItem(1046));
        EXPECT_EQ(Read<int>([](OscData& data) { return data.trigger_dir[0]; }), 1);

        // The level spin moves the level of a channel trigger only.
        uitest::ClickSpin(d.GetDlgItem(1026), true);
        const int moved = Read<int>([](OscData& data) { return data.trigger_level[0]; });
        EXPECT_NE(moved, 0);
        EXPECT_EQ(d.level_countdown, CVelkaroDlg::kMarkerShowTicks);
        uitest::Click(d.GetDlgItem(1004));
        EXPECT_EQ(Read<int>([](OscData& data) { return data.trigger_level[0]; }), 0);
        uitest::SelectListItem(sources, 3);
        ASSERT_EQ(Source(), 3);
        uitest::ClickSpin(d.GetDlgItem(1026), true);
        EXPECT_EQ(Read<int>([](OscData& data) { return data.trigger_level[0]; }), 0);

        // The trigger's channel cannot be switched off: its box stays checked and locked.
        uitest::SelectListItem(sources, 1);
        ASSERT_EQ(Source(), 1);
        EXPECT_FALSE(d.GetDlgItem(1012)->IsWindowEnabled());
        uitest::Click(d.GetDlgItem(1012));
        EXPECT_EQ(d.IsDlgButtonChecked(1012), static_cast<UINT>(BST_CHECKED));
        EXPECT_NE(Read<std::uint32_t>([](OscData& data) { return data.osc_cr & OSC_CR_CH_A_ON; }), 0u);
        // The switch handler itself refuses too: the model keeps the channel, the box its check.
        d.GetDlgItem(1012)->EnableWindow(TRUE);
        uitest::Click(d.GetDlgItem(1012));
        EXPECT_EQ(d.IsDlgButtonChecked(1012), static_cast<UINT>(BST_CHECKED));
        EXPECT_NE(Read<std::uint32_t>([](OscData& data) { return data.osc_cr & OSC_CR_CH_A_ON; }), 0u);
    });
}

TEST_F(MainWindowHandlersTest, FullSweepShowsTheWholeBufferAndComesBack)
{
    RunWindow([&](CVelkaroDlg& d) {
        // The strip makes its check box on its first drawing.
        Tick(d);
        CWnd* sweep = d.GetDlgItem(1056)->GetDlgItem(CVelkaroDlg::kFullSweepId);
        ASSERT_NE(sweep, nullptr);
        WithData([](OscData& data) {
            data.max_x_skip = data.GetDividerMax();
            data.t_div = data.GetTDivMin() + 3;
            data.FitTDivIndex();
        });
        const std::uint32_t start = TDiv();
        uitest::Click(sweep);
        const std::uint32_t full = TDiv();
        EXPECT_GT(full, start);
        WithData([](OscData& data) { EXPECT_FALSE(StepTDivIndex(data, 1)); });
        uitest::Click(sweep);
        EXPECT_EQ(TDiv(), start);

        // Already at the widest: the check does not stay set.
        WithData([&](OscData& data) { SetTDivKeepingCenter(data, full); });
        EXPECT_EQ(Refusal([&] { uitest::Click(sweep); }),
                  "При данной комбинации параметров развертка уже максимальна!");
        EXPECT_EQ(static_cast<CButton*>(sweep)->GetCheck(), BST_UNCHECKED);
        EXPECT_EQ(TDiv(), full);
    });
}

TEST_F(MainWindowHandlersTest, HotkeysRunBeforeTheDialogAndOnlyWithTheirModifiers)
{
    RunWindow([&](CVelkaroDlg& d) {
        WithData([](OscData& data) {
            data.max_x_skip = data.GetDividerMax();
            data.t_div = data.GetTDivMin() + 3;
            data.FitTDivIndex();
        });
        // The keys go to channel A's zero button, which a Space would press: the hotkey that
        // runs first keeps it from the button, a key that is no hotkey reaches it.
        CWnd* zeroA = d.GetDlgItem(1074);
        auto offsetA = [] { return Read<int>([](OscData& data) { return data.y_offset[0]; }); };
        WithData([](OscData& data) { data.y_offset[0] = 5; });
        const std::uint32_t start = TDiv();
        uitest::Key(zeroA, VK_UP, uitest::Shift);
        EXPECT_EQ(TDiv(), start);
        uitest::Key(zeroA, VK_UP);
        EXPECT_GT(TDiv(), start);
        uitest::Key(zeroA, VK_DOWN);
        EXPECT_EQ(TDiv(), start);

        const std::uint32_t running = Mode() & MODE_STOPPED;
        uitest::Key(zeroA, VK_SPACE);
        EXPECT_NE(Mode() & MODE_STOPPED, running);
        uitest::Key(zeroA, VK_SPACE);
        EXPECT_EQ(Mode() & MODE_STOPPED, running);
        EXPECT_EQ(offsetA(), 5);
        uitest::Key(zeroA, VK_SPACE, uitest::Alt);
        EXPECT_EQ(Mode() & MODE_STOPPED, running);
        EXPECT_EQ(offsetA(), 0);

        const std::int32_t x = Read<std::int32_t>([](OscData& data) { return data.x_offset; });
        uitest::Key(zeroA, VK_RIGHT);
        EXPECT_GE(Read<std::int32_t>([](OscData& data) { return data.x_offset; }), x);
        EXPECT_TRUE(d.ContinueModal());
    });
}

TEST_F(MainWindowHandlersTest, EditedHotkeysSurviveARestart)
{
    RunWindow([&](CVelkaroDlg&) {
        HotkeyBinding& b = HotkeyTable::Instance().bindings[4];
        b.vkey = 'P';
        b.mod = kHotkeyCtrl;
    });
    HotkeyTable::Instance().SetDefaults();
    RunWindow([&](CVelkaroDlg& d) {
        const HotkeyBinding& b = HotkeyTable::Instance().bindings[4];
        EXPECT_EQ(b.vkey, 'P');
        EXPECT_EQ(b.mod, kHotkeyCtrl);
        EXPECT_EQ(HotkeyTable::Instance().bindings[0].vkey, VK_UP);
        const std::uint32_t before = Mode() & MODE_STOPPED;
        uitest::Key(&d, 'P', uitest::Control);
        EXPECT_NE(Mode() & MODE_STOPPED, before);
        EXPECT_TRUE(uitest::RenderToPng(&d, uitest::OutputPath("main_window_handlers.png")));
    });
}

}  // namespace
