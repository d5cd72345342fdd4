// The main window's start-up, its settings file and its shutdown.

#include "app/main/testing/MainWindowFixture.h"

#include "core/data/OscData.h"

#include <filesystem>
#include <thread>

namespace {

TEST_F(MainWindowTest, FreshStartTakesTheDefaultsAndRuns)
{
    RunWindow([&](CVelkaroDlg& d) {
        CString caption;
        d.GetWindowText(caption);
        EXPECT_EQ(caption, "Velkaro");
        for (int channel = 0; channel < 2; ++channel)
            for (int line = 0; line < 8; ++line)
            {
                EXPECT_EQ(d.la_net_name[channel * 8 + line], std::string(1, "AB"[channel]) + std::to_string(line));
                EXPECT_EQ(d.la_net_display[channel * 8 + line], 1);
            }
        EXPECT_TRUE(d.la_net_display_labels);
        EXPECT_EQ(d.last_saved_version, (SavedVersion{2, 1}));
        WithData([](OscData& data) {
            EXPECT_EQ(data.GetVersion(), 2);
            EXPECT_EQ(data.created_hw_version, 1);
            EXPECT_EQ(data.mode & MODE_STOPPED, 0u);
        });
        // Nothing connected: the status line is empty.
        Tick(d);
        EXPECT_EQ(StatusText(d), "");
        // Enter leaves the instrument open.
        uitest::PressEnter(&d);
        EXPECT_TRUE(d.ContinueModal());
    });
    EXPECT_TRUE(std::filesystem::exists(configPath_));
}

TEST_F(MainWindowTest, SettingsSurviveARestart)
{
    RunWindow([&](CVelkaroDlg& d) {
        // The device in use is another variant, and it was left stopped.
        d.SwitchDataVersion(3, 2);
        WithData([](OscData& data) { data.mode |= MODE_STOPPED; });
        d.show_legend = 1;
        d.not_hide_trigger_offset = 1;
        d.la_net_name[3] = "CLK";
        d.la_net_display[5] = 0;
        d.la_net_display_labels = false;
        d.digital_bus[0] = true;
    });
    RunWindow([&](CVelkaroDlg& d) {
        WithData([](OscData& data) {
            EXPECT_EQ(data.GetVersion(), 3);
            EXPECT_EQ(data.created_hw_version, 2);
            // The program always starts acquiring.
            EXPECT_EQ(data.mode & MODE_STOPPED, 0u);
        });
        EXPECT_EQ(d.last_saved_version, (SavedVersion{3, 2}));
        EXPECT_EQ(d.show_legend, 1);
        EXPECT_EQ(d.not_hide_trigger_offset, 1);
        EXPECT_EQ(d.la_net_name[3], "CLK");
        EXPECT_EQ(d.la_net_display[5], 0);
        EXPECT_FALSE(d.la_net_display_labels);
        EXPECT_TRUE(d.digital_bus[0]);

        // Back to variant 2: its own settings come back (those it had when the switch left it).
        d.SwitchDataVersion(2, 1);
        EXPECT_EQ(d.la_net_name[3], "A3");
        EXPECT_EQ(d.show_legend, 0);
    });
}

TEST_F(MainWindowTest, ResetWindowsReturnsTheDefaultVariantAndNames)
{
    RunWindow([&](CVelkaroDlg& d) {
        d.last_saved_version = {5, 0};
        d.la_net_name[0] = "X";
        d.minmax = 1;
        d.ResetWindows();
        EXPECT_EQ(d.last_saved_version, (SavedVersion{2, 1}));
        EXPECT_EQ(d.la_net_name[0], "A0");
        EXPECT_EQ(d.minmax, 0);
        // The window is centred on the desktop.
        CRect desktop;
        CRect window;
        CWnd::GetDesktopWindow()->GetWindowRect(&desktop);
        d.GetWindowRect(&window);
        EXPECT_LE(std::abs(window.CenterPoint().x - desktop.CenterPoint().x), 1);
        EXPECT_LE(std::abs(window.CenterPoint().y - desktop.CenterPoint().y), 1);
    });
}

TEST_F(MainWindowTest, ClosingReleasesAWorkerWaitingForTheTick)
{
    std::atomic<int> result{-1};
    std::thread worker;
    RunWindow([&](CVelkaroDlg& d) {
        // No tick will run the call: the worker waits until the window closes.
        d.KillTimer(CVelkaroDlg::kTickTimerId);
        worker = std::thread([&d, &result] {
            result = static_cast<int>(d.InvokeAndWait([] { ADD_FAILURE() << "ran after the close"; }));
        });
        ASSERT_TRUE(WaitUntil([&] { return d.IsCallQueued(0); }));
    });
    worker.join();
    EXPECT_EQ(result.load(), static_cast<int>(CallQueue::Result::Withdrawn));
}

}  // namespace
