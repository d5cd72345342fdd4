// The main window's answers to the controls of its settings, service and math windows, clicked
// in those windows as a user clicks them.

#include "app/main/testing/MainWindowFixture.h"
#include "support/TestToolWindows.h"

#include "app/main/SettingSteps.h"
#include "core/data/OscData.h"
#include "core/data/RecorderHeader.h"
#include "core/measure/OscFormat.h"
#include "widgets/chart/ChartBiLineSerie.h"
#include "widgets/chart/ChartLineSerie.h"

#include "platform/ui/App.h"

#include <boost/date_time/posix_time/posix_time.hpp>

#include <filesystem>
#include <fstream>

namespace {

template <class T>
T Read(const std::function<T(OscData&)>& f)
{
    CSingleLock lock(&DataLock, TRUE);
    return f(*GetOscData());
}

std::uint32_t Mode() { return Read<std::uint32_t>([](OscData& d) { return d.mode; }); }

void SetStopped(bool stopped)
{
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    if (((d->mode & MODE_STOPPED) != 0) != stopped)
        d->ToggleStop();
}

std::string Caption(CWnd* window, int id)
{
    CString text;
    window->GetDlgItemText(id, text);
    return text;
}

class MainWindowToolsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ForgetTriggerChannels();
        InstallTestToolWindows();
        uitest::SetApplicationActive(true);
        uihooks::TakeMessageBoxLog();
    }
    void TearDown() override
    {
        RemoveTestToolWindows();
        MainWindowTest::TearDown();
    }
    // The window in the slot, shown so that it takes input.
    static TestToolWindow* Shown(CVelkaroDlg& d, CToolDialogList::Slot slot)
    {
        TestToolWindow* tool = TestTool(d, slot);
        EXPECT_NE(tool, nullptr);
        if (tool != nullptr)
            tool->ShowWindow(SW_SHOW);
        return tool;
    }
    static void FillCombo(CWnd* combo, const std::vector<std::uint32_t>& data)
    {
        auto* list = static_cast<CComboBox*>(combo);
        list->ResetContent();
        for (std::uint32_t value : data)
            list->SetItemData(list->AddString(std::to_string(value).c_str()), value);
    }
    static int Selected(CWnd* combo) { return static_cast<CComboBox*>(combo)->GetCurSel(); }
    // A recorder file holding only its header.
    std::string WriteRecorderFile(const std::string& name, const RecorderHeader& header)
    {
        const std::string path = (std::filesystem::path(configPath_).parent_path() / name).string();
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(&header), sizeof header);
        return path;
    }
};

TEST_F(MainWindowToolsTest, SettingsChecksFlipTheirOptionsAndOnlyTheirs)
{
    RunWindow([&](CVelkaroDlg& d) {
        TestToolWindow* settings = Shown(d, CToolDialogList::PROPERTIES);
        ASSERT_NE(settings, nullptr);
        struct Case {
            int id;
            int CVelkaroDlg::*option;
            int CVelkaroDlg::*countdown;  // set to 50 when the option is switched on
        };
        const Case cases[] = {
            {1071, &CVelkaroDlg::not_hide_trigger_level, &CVelkaroDlg::level_countdown},
            {1074, &CVelkaroDlg::not_hide_trigger_offset, &CVelkaroDlg::offset_countdown},
            {1072, &CVelkaroDlg::show_legend, nullptr},
            {1073, &CVelkaroDlg::show_cross, nullptr},
            {1102, &CVelkaroDlg::extra_tick_full_time, nullptr},
            {1048, &CVelkaroDlg::trail_on, nullptr},
        };
        for (const Case& c : cases)
        {
            SCOPED_TRACE(c.id);
            const int before = d.*c.option;
            if (c.countdown != nullptr)
                d.*c.countdown = 0;
            uitest::Click(settings->GetDlgItem(c.id));
            EXPECT_EQ(d.*c.option, before != 0 ? 0 : 1);
            if (c.countdown != nullptr)
            {
                EXPECT_EQ(d.*c.countdown, before == 0 ? CVelkaroDlg::kMarkerShowTicks : 0);
            }
            uitest::Click(settings->GetDlgItem(c.id));
            EXPECT_EQ(d.*c.option, before);
        }

        // The same ids elsewhere: channel A's "0" zeroes the offset and keeps the option;
        // the service window's "Сохранить лог" leaves the cross hair alone.
        WithData([](OscData& data) { data.y_offset[0] = 17; });
        const int keepOffset = d.not_hide_trigger_offset;
        uitest::Click(d.GetDlgItem(1074));
        EXPECT_EQ(Read<int>([](OscData& data) { return data.y_offset[0]; }), 0);
        EXPECT_EQ(d.not_hide_trigger_offset, keepOffset);

        TestToolWindow* service = Shown(d, CToolDialogList::SERVICE);
        const int cross = d.show_cross;
        uitest::Click(service->GetDlgItem(1073));
        EXPECT_EQ(d.show_cross, cross);
    });
}

TEST_F(MainWindowToolsTest, TrailOffClearsTheTrail)
{
    RunWindow([&](CVelkaroDlg& d) {
        TestToolWindow* settings = Shown(d, CToolDialogList::PROPERTIES);
        uitest::Click(settings->GetDlgItem(1048));
        ASSERT_EQ(d.trail_on, 1);
        for (int i = 0; i < 4; ++i)
        {
            WithData([](OscData& data) { data.status |= STATUS_FRAME_READY; });
            Tick(d);
        }
        uitest::Click(settings->GetDlgItem(1048));
        EXPECT_EQ(d.trail_on, 0);
        for (int c = 0; c < 3; ++c)
            EXPECT_TRUE(d.GetTrail(c).empty()) << c;
    });
}

TEST_F(MainWindowToolsTest, PeakDetectorSwitchesWhileRunningAndIsRefusedWhileStopped)
{
    RunWindow([&](CVelkaroDlg& d) {
        TestToolWindow* settings = Shown(d, CToolDialogList::PROPERTIES);
        CWnd* peak = settings->GetDlgItem(1011);
        SetStopped(false);
        uitest::Click(peak);
        EXPECT_EQ(d.minmax, 1);
        EXPECT_NE(Read<int>([](OscData& data) { return data.osc_cr & OSC_CR_MIN_MAX; }), 0);
        EXPECT_EQ(settings->IsDlgButtonChecked(1011), BST_CHECKED);
        EXPECT_EQ(Caption(settings, 1011), "Пиковый детектор");
        EXPECT_EQ(d.GetLineSerie(0, 0)->GetPointsCount(), 0u);

        uitest::Click(peak);
        EXPECT_EQ(d.minmax, 0);
        EXPECT_EQ(Read<int>([](OscData& data) { return data.osc_cr & OSC_CR_MIN_MAX; }), 0);
        EXPECT_EQ(Caption(settings, 1011), "Нормальный захват");

        // Stopped: the capture cannot change its form; the option and the button stay.
        SetStopped(true);
        uitest::Click(peak);
        EXPECT_EQ(d.minmax, 0);
        EXPECT_EQ(settings->IsDlgButtonChecked(1011), BST_UNCHECKED);
        EXPECT_EQ(d.GetLastRefusal(), "Невозможно сейчас изменить!");
        EXPECT_TRUE(d.GetToolTip().IsWindowVisible());
    });
}

TEST_F(MainWindowToolsTest, InterpolationAndPeakDisplayButtons)
{
    RunWindow([&](CVelkaroDlg& d) {
        TestToolWindow* settings = Shown(d, CToolDialogList::PROPERTIES);
        const bool linear = (Mode() & MODE_LINEAR) != 0;
        uitest::Click(settings->GetDlgItem(1033));
        EXPECT_EQ((Mode() & MODE_LINEAR) != 0, !linear);
        EXPECT_EQ(Caption(settings, 1033), linear ? "sinc" : "лин");
        uitest::Click(settings->GetDlgItem(1033));
        EXPECT_EQ(Caption(settings, 1033), linear ? "лин" : "sinc");

        ASSERT_EQ(d.minmax_draw_type, 0);
        uitest::Click(settings->GetDlgItem(1015));
        EXPECT_EQ(d.minmax_draw_type, 1);
        EXPECT_TRUE(d.GetBandSerie(1, 1)->IsIncremental());
        EXPECT_TRUE(d.GetLogicSerie(2, 0, 7)->IsIncremental());
        EXPECT_FALSE(d.GetChart().IsRedrawSuspended());
        uitest::Click(settings->GetDlgItem(1015));
        EXPECT_FALSE(d.GetBandSerie(0, 0)->IsIncremental());
    });
}

TEST_F(MainWindowToolsTest, OutputFrequencyAndBusRadixLists)
{
    RunWindow([&](CVelkaroDlg& d) {
        TestToolWindow* settings = Shown(d, CToolDialogList::PROPERTIES);
        ASSERT_EQ(d.out_freq_list, settings->GetDlgItem(1050));
        ASSERT_EQ(d.max_buffer_list, settings->GetDlgItem(1058));
        CWnd* freq = settings->GetDlgItem(1050);
        FillCombo(freq, {9, 99, 999});
        // The keyboard passes each entry on its way: from the first, "99" comes before "999".
        WithData([](OscData& data) {
            data.out_freq = 99;
            data.changes = 0;
        });
        static_cast<CComboBox*>(freq)->SetCurSel(0);
        uitest::SelectComboItem(freq, 1);  // the divider in use: nothing to send
        EXPECT_EQ(Read<std::uint32_t>([](OscData& data) { return data.changes & CHANGE_OUT_FREQ; }), 0u);
        static_cast<CComboBox*>(freq)->SetCurSel(0);
        uitest::SelectComboItem(freq, 2);
        EXPECT_EQ(Read<std::uint32_t>([](OscData& data) { return data.out_freq; }), 999u);
        EXPECT_NE(Read<std::uint32_t>([](OscData& data) { return data.changes & CHANGE_OUT_FREQ; }), 0u);

        CWnd* radix = settings->GetDlgItem(1106);
        FillCombo(radix, {0, 1, 2});
        uitest::SelectComboItem(radix, 2);
        EXPECT_EQ(settings->radix, 2);
    });
}

TEST_F(MainWindowToolsTest, MaximumBufferTakesTheFirstWorkableSizeAndKeepsItWhileStopped)
{
    RunWindow([&](CVelkaroDlg& d) {
        TestToolWindow* settings = Shown(d, CToolDialogList::PROPERTIES);
        CWnd* list = settings->GetDlgItem(1058);
        std::uint32_t most = 0;
        bool smallRefused = false;
        WithData([&](OscData& data) {
            most = data.GetDividerMax();
            data.max_x_skip = most;
            data.t_div = data.GetTDivMax();
            data.FitTDivIndex();
            // At the slowest time/div no decimation of 1 fits the memory.
            data.max_x_skip = 0;
            smallRefused = data.SolveTimebase() != 0;
            data.max_x_skip = most;
        });
        ASSERT_TRUE(smallRefused);
        FillCombo(list, {0, most});

        SetStopped(false);
        WithData([](OscData& data) { data.max_x_skip = 0; });  // nothing in the list matches
        uitest::SelectComboItem(list, 0);
        EXPECT_EQ(Read<std::uint32_t>([](OscData& data) { return data.max_x_skip; }), most);
        EXPECT_EQ(Selected(list), 1);

        SetStopped(true);
        uitest::SelectComboItem(list, 0);
        EXPECT_EQ(Read<std::uint32_t>([](OscData& data) { return data.max_x_skip; }), most);
        EXPECT_EQ(Selected(list), 1);
    });
}

TEST_F(MainWindowToolsTest, MathControlsChangeTheMathTrace)
{
    RunWindow([&](CVelkaroDlg& d) {
        TestToolWindow* math = Shown(d, CToolDialogList::MATH);
        WithData([](OscData& data) {
            data.y_offset[2] = 5;
            data.u_div[2] = 8;
        });
        uitest::ClickSpin(math->GetDlgItem(1090), true);
        EXPECT_EQ(Read<int>([](OscData& data) { return data.y_offset[2]; }), 6);
        EXPECT_EQ(Caption(math, 1091), Read<std::string>([](OscData& data) { return FormatOffsetVolts(data, 2); }));
        uitest::Click(math->GetDlgItem(1092));
        EXPECT_EQ(Read<int>([](OscData& data) { return data.y_offset[2]; }), 0);

        const std::uint32_t before = Read<std::uint32_t>([](OscData& data) { return data.u_div[2]; });
        uitest::ClickSpin(math->GetDlgItem(1093), true);
        EXPECT_NE(Read<std::uint32_t>([](OscData& data) { return data.u_div[2]; }), before);

        // The list offers one step around the gain; a choice further away snaps back.
        const int gain = Read<int>([](OscData& data) { return data.GetGainIndex(data.u_div[2]); });
        const std::uint32_t now = Read<std::uint32_t>([](OscData& data) { return data.u_div[2]; });
        CWnd* list = math->GetDlgItem(1094);
        struct Case {
            int choice;
            std::uint32_t after;
            int selectedAfter;
        };
        const Case cases[] = {
            {gain + 2, now, 0},
            {gain - 1, static_cast<std::uint32_t>(gain - 1), 1},
        };
        for (const Case& c : cases)
        {
            SCOPED_TRACE(c.choice);
            WithData([&](OscData& data) {
                data.u_div[2] = now;
                ApplyVDivIndex(data, 2);
            });
            FillCombo(list, {now, static_cast<std::uint32_t>(c.choice)});
            static_cast<CComboBox*>(list)->SetCurSel(0);
            uitest::SelectComboItem(list, 1);
            EXPECT_EQ(Read<std::uint32_t>([](OscData& data) { return data.u_div[2]; }), c.after);
            EXPECT_EQ(Selected(list), c.selectedAfter);
        }
    });
}

TEST_F(MainWindowToolsTest, ServiceDebugAndTheHotkeysDialog)
{
    RunWindow([&](CVelkaroDlg& d) {
        TestToolWindow* service = Shown(d, CToolDialogList::SERVICE);
        WithData([](OscData& data) { data.changes = 0; });
        uitest::Click(service->GetDlgItem(1158));
        EXPECT_NE(Read<std::uint32_t>([](OscData& data) { return data.changes & CHANGE_LG_CONFIG; }), 0u);

        TestToolWindow* settings = Shown(d, CToolDialogList::PROPERTIES);
        std::string caption;
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            caption = m.caption;
            m.End(IDCANCEL);
        });
        uitest::Click(settings->GetDlgItem(1131));
        EXPECT_EQ(uihooks::PendingModalHandlers(), 0u);
        EXPECT_FALSE(caption.empty());
    });
}

TEST_F(MainWindowToolsTest, EscHidesTheSettingsWindowAndEnterClosesNothing)
{
    RunWindow([&](CVelkaroDlg& d) {
        TestToolWindow* settings = Shown(d, CToolDialogList::PROPERTIES);
        ToolEvents().clear();
        uitest::PressEnter(settings);
        EXPECT_TRUE(settings->IsWindowVisible());
        EXPECT_TRUE(d.ContinueModal());
        uitest::PressEscape(settings);
        EXPECT_FALSE(settings->IsWindowVisible());
        EXPECT_EQ(ToolEvents(), std::vector<std::string>{"settings hidden"});
        EXPECT_TRUE(d.ContinueModal()) << "the main window stays open";
    });
}

TEST_F(MainWindowToolsTest, ResetWindowsResetsAllButTheGenerator)
{
    RunWindow([&](CVelkaroDlg& d) {
        for (std::size_t slot = 0; slot < CToolDialogList::SLOT_COUNT; ++slot)
            Shown(d, static_cast<CToolDialogList::Slot>(slot));
        ToolEvents().clear();
        d.ResetWindows();
        const std::vector<std::string> expected = {
            "measure reset",  "measure hidden", "marker reset",   "marker hidden",  "settings reset", "settings hidden",
            "service reset",  "service hidden", "math reset",     "math hidden",    "analyser reset", "analyser hidden",
        };
        EXPECT_EQ(ToolEvents(), expected);
        EXPECT_TRUE(TestTool(d, CToolDialogList::LGENERATOR)->IsWindowVisible());
        EXPECT_FALSE(TestTool(d, CToolDialogList::MATH)->IsWindowVisible());
    });
}

TEST_F(MainWindowToolsTest, RecorderFilesMustDifferAndTheDialogComesBackUntilTheyDo)
{
    RunWindow([&](CVelkaroDlg& d) {
        TestToolWindow* settings = Shown(d, CToolDialogList::PROPERTIES);
        const std::filesystem::path dir = std::filesystem::path(configPath_).parent_path();
        const std::string a = (dir / "a.dat").string();
        const std::string aAgain = (dir / "." / "a.dat").string();
        const std::string b = (dir / "b.dat").string();
        auto answer = [](const std::string& path, int result) {
            uitest::OnNextModal([path, result](uihooks::ModalContext& m) {
                EXPECT_EQ(m.kind, uihooks::ModalKind::FileDialog);
                EXPECT_TRUE(m.openDialog);
                m.fileName = path;
                m.End(result);
            });
        };
        answer(a, IDOK);
        uitest::Click(settings->GetDlgItem(1108));
        EXPECT_EQ(Read<std::string>([](OscData& data) { return std::string(data.str_datalogger_fn[0]); }), a);

        // The same file under another name, then a different one.
        std::string text;
        answer(aAgain, IDOK);
        uitest::AnswerNextMessageBox(IDOK, &text);
        answer(b, IDOK);
        uitest::Click(settings->GetDlgItem(1078));
        EXPECT_EQ(text, "Файлы разных каналов должны отличаться!");
        EXPECT_EQ(Read<std::string>([](OscData& data) { return std::string(data.str_datalogger_fn[1]); }), b);
        EXPECT_EQ(uihooks::PendingModalHandlers(), 0u);

        answer(a, IDCANCEL);
        uitest::Click(settings->GetDlgItem(1078));
        EXPECT_EQ(Read<std::string>([](OscData& data) { return std::string(data.str_datalogger_fn[1]); }), b);
    });
}

TEST_F(MainWindowToolsTest, RecorderDataLoadsOnlyWhenPausedAndOnlyWhatFits)
{
    RunWindow([&](CVelkaroDlg& d) {
        TestToolWindow* settings = Shown(d, CToolDialogList::PROPERTIES);
        CWnd* load = settings->GetDlgItem(1103);
        uitest::Click(load);
        EXPECT_EQ(d.GetLastRefusal(), "Режим самописца выключен!");
        EXPECT_TRUE(d.GetToolTip().IsWindowVisible());
        uitest::SelectListItem(d.GetDlgItem(CVelkaroDlg::kTriggerSourceId), 0);
        uitest::Click(d.GetDlgItem(CVelkaroDlg::kRecorderId));
        ASSERT_NE(Mode() & MODE_RECORDER, 0u);
        SetStopped(false);
        uitest::Click(load);
        EXPECT_EQ(d.GetLastRefusal(), "Самописец запущен!");
        EXPECT_TRUE(d.GetToolTip().IsWindowVisible());
        EXPECT_TRUE(uihooks::TakeMessageBoxLog().empty());
        SetStopped(true);

        RecorderHeader good[2]{};
        WithData([&](OscData& data) {
            data.FillRecorderHeader(0, good[0]);
            data.FillRecorderHeader(1, good[1]);
        });
        for (RecorderHeader& h : good)
            h.start_time = static_cast<std::int64_t>(boost::gregorian::date(2026, 3, 1).julian_day()) * 86400000000LL + 5000000;
        good[0].samples = 5000;
        good[1].samples = 7000;  // another recording than A's
        RecorderHeader broken = good[0];
        broken.magic = 0;
        RecorderHeader far = good[0];
        far.x_skip = 0xFFFFFFF0u;  // no time/div decimates that much
        const std::string a = WriteRecorderFile("a.dat", good[0]);
        const std::string b = WriteRecorderFile("b.dat", good[1]);
        const std::string bad = WriteRecorderFile("bad.dat", broken);
        const std::string slow = WriteRecorderFile("slow.dat", far);

        struct Case {
            std::string fileA, fileB;
            int answer;  // to a box, if one comes
            const char* box;
            bool aOn, bOn;
            std::int32_t samples;
        };
        const Case cases[] = {
            {a, bad, IDOK, "", true, false, 5000},
            {a, b, IDNO, "Сохраненные данные обоих каналов корректны,\nно записаны в различных режимах.\n"
                         "Использовать канал A(да) или B(нет)?", false, true, 7000},
            {bad, "", IDOK, "Ошибка файлов данных самописца обоих каналов!", false, true, 7000},
            {slow, "", IDOK, "Не удается установить горизонтальную развертку!", true, false, 7000},
        };
        for (const Case& c : cases)
        {
            SCOPED_TRACE(c.box);
            WithData([&](OscData& data) {
                data.str_datalogger_fn[0] = c.fileA;
                data.str_datalogger_fn[1] = c.fileB;
            });
            const std::uint32_t tDiv = Read<std::uint32_t>([](OscData& data) { return data.t_div; });
            std::string text;
            if (*c.box != 0)
                uitest::AnswerNextMessageBox(c.answer, &text);
            uitest::Click(load);
            EXPECT_EQ(text, c.box);
            EXPECT_EQ(uihooks::PendingModalHandlers(), 0u);
            WithData([&](OscData& data) {
                EXPECT_EQ((data.osc_cr & OSC_CR_CH_A_ON) != 0, c.aOn);
                EXPECT_EQ((data.osc_cr & OSC_CR_CH_B_ON) != 0, c.bOn);
                EXPECT_EQ(data.recorder_samples, c.samples);
                if (c.fileA == slow)
                {
                    EXPECT_EQ(data.t_div, tDiv) << "the time/div tried on the way is put back";
                }
            });
        }
        WithData([](OscData& data) {
            EXPECT_FALSE(data.recorder_start_time.is_special());
            EXPECT_EQ(data.recorder_start_time.time_of_day().total_seconds(), 5);
        });
    });
}

TEST_F(MainWindowToolsTest, DraggingTheMinimisedWindowShowsTheProgramIcon)
{
    RunWindow([&](CVelkaroDlg& d) {
        const HICON icon = AfxGetApp()->LoadIcon(128);
        ASSERT_NE(icon, 0u);
        EXPECT_EQ(static_cast<HICON>(d.SendMessage(WM_QUERYDRAGICON)), icon);
    });
}

}  // namespace
