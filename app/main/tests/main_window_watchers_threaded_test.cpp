// The tick's change watchers: each mirrored control follows its value when it changes, and
// on the first tick whatever it showed before.

#include "app/main/tests/controls_test_windows.h"

#include "widgets/chart/ChartBiLineSerie.h"
#include "widgets/chart/ChartLegend.h"
#include "widgets/chart/ChartLineSerie.h"

namespace {

using controls_test::ControlsWindowTest;
using controls_test::SupportedHardware;

using WatchersTest = ControlsWindowTest;

std::string SerieName(CChartSerie* s) { return s != nullptr ? s->GetName() : std::string("<none>"); }

TEST_F(WatchersTest, FirstTickSetsTheControlsEvenWhenNothingChanged)
{
    RunWindow([&](CVelkaroDlg& d) {
        // Whatever the controls show before the first tick is overwritten by it.
        d.SetDlgItemText(CVelkaroDlg::kConnectId, "?");
        d.SetDlgItemText(1084, "?");
        static_cast<CButton*>(d.GetDlgItem(1047))->SetIcon(0);
        ASSERT_FALSE(Linked());
        Tick(d);
        EXPECT_EQ(Text(&d, CVelkaroDlg::kConnectId), "Подключиться");
        const bool interpolated = Read<bool>([](OscData& data) { return data.x_zoom_in != 1; });
        EXPECT_EQ(Text(&d, 1084), interpolated ? "Горизонтальная развертка (*)" : "Горизонтальная развертка");
        EXPECT_EQ(static_cast<CButton*>(d.GetDlgItem(1047))->GetIcon(), Icon(136));
        EXPECT_EQ(static_cast<CButton*>(d.GetDlgItem(1023))->GetIcon(), Icon(138));

        // A value that stays leaves the control alone.
        d.SetDlgItemText(CVelkaroDlg::kConnectId, "?");
        Tick(d);
        EXPECT_EQ(Text(&d, CVelkaroDlg::kConnectId), "?");
    });
}

TEST_F(WatchersTest, EachValueDrivesItsControl)
{
    RunWindow([&](CVelkaroDlg& d) {
        Tick(d);
        auto* stop = static_cast<CButton*>(d.GetDlgItem(1047));
        auto* single = static_cast<CButton*>(d.GetDlgItem(1023));
        CChartLegend* legend = d.GetChart().GetLegend();
        struct Case {
            const char* name;
            std::function<void()> change;
            std::function<bool()> shown;
        };
        const Case cases[] = {
            {"stop", [] { WithData([](OscData& data) { data.mode |= MODE_STOPPED; }); },
             [&] { return stop->GetIcon() == Icon(137); }},
            {"run", [] { WithData([](OscData& data) { data.mode &= ~MODE_STOPPED; }); },
             [&] { return stop->GetIcon() == Icon(136); }},
            {"single", [] { WithData([](OscData& data) { data.mode |= MODE_SINGLE; }); },
             [&] { return single->GetIcon() == Icon(139); }},
            {"single off", [] { WithData([](OscData& data) { data.mode &= ~MODE_SINGLE; }); },
             [&] { return single->GetIcon() == Icon(138); }},
            {"legend", [&] { d.show_legend = 1; }, [&] { return legend->IsVisible(); }},
            {"no legend", [&] { d.show_legend = 0; }, [&] { return !legend->IsVisible(); }},
            {"interpolated", [] { WithData([](OscData& data) { data.x_zoom_in = 4; }); },
             [&] { return Text(&d, 1084) == "Горизонтальная развертка (*)"; }},
            {"not interpolated", [] { WithData([](OscData& data) { data.x_zoom_in = 1; }); },
             [&] { return Text(&d, 1084) == "Горизонтальная развертка"; }},
            {"linked", [] { WithData([](OscData& data) { data.mode |= MODE_LINKED; }); },
             [&] { return Text(&d, CVelkaroDlg::kConnectId) == "Отключиться"; }},
            {"unlinked", [] { WithData([](OscData& data) { data.mode &= ~MODE_LINKED; }); },
             [&] { return Text(&d, CVelkaroDlg::kConnectId) == "Подключиться"; }},
        };
        for (const Case& c : cases)
        {
            c.change();
            Tick(d);
            EXPECT_TRUE(c.shown()) << c.name;
        }
    });
}

TEST_F(WatchersTest, ModeFlippedAndBackBetweenTwoTicksRunsNothing)
{
    RunWindow([&](CVelkaroDlg& d) {
        Announce(d, 5, SupportedHardware(5));
        Tick(d);
        struct Case {
            const char* name;
            bool back;
        };
        for (const Case c : {Case{"flip and back", true}, Case{"flip", false}})
        {
            SCOPED_TRACE(c.name);
            // The tick redraws the zero line before the watchers run, so a request left
            // after it was made by a watcher of that tick.
            Tick(d);
            ASSERT_EQ(d.refresh_zero[0], 0);
            const bool before = Read<bool>([](OscData& data) { return (data.osc_cr & OSC_CR_LOGIC_A) != 0; });
            WithData([&](OscData& data) {
                data.osc_cr ^= OSC_CR_LOGIC_A;
                if (c.back)
                    data.osc_cr ^= OSC_CR_LOGIC_A;
            });
            Tick(d);
            EXPECT_EQ(d.refresh_zero[0], c.back ? 0 : 1);
            const bool now = c.back ? before : !before;
            EXPECT_EQ(d.check_digital[0].GetCheck(), now ? BST_CHECKED : BST_UNCHECKED);
            CString caption;
            d.check_digital[0].GetWindowText(caption);
            EXPECT_EQ(caption, now ? "ЛА" : "Осц");
            EXPECT_EQ(d.check_digital_bus[0].IsWindowEnabled() != FALSE, now);
            EXPECT_EQ(d.zero_marker[0].line->IsVisible(), !now);
        }
    });
}

TEST_F(WatchersTest, CrossHairIsRemovedBeforeAnotherIsAdded)
{
    RunWindow([&](CVelkaroDlg& d) {
        Tick(d);
        EXPECT_EQ(d.cross_cursor_id, -1);
        d.show_cross = 1;
        Tick(d);
        const long first = d.cross_cursor_id;
        EXPECT_NE(first, -1);
        // The same value again adds nothing.
        Tick(d);
        EXPECT_EQ(d.cross_cursor_id, first);
        d.show_cross = 0;
        Tick(d);
        EXPECT_EQ(d.cross_cursor_id, -1);
        d.show_cross = 1;
        Tick(d);
        EXPECT_NE(d.cross_cursor_id, -1);
        EXPECT_NE(d.cross_cursor_id, first);
        // The settings check turns it off through the same watcher.
        d.show_cross = 0;
        Tick(d);
        EXPECT_EQ(d.cross_cursor_id, -1);
    });
}

TEST_F(WatchersTest, BusDisplayRenamesLineZeroAndBitDisplayRestoresEveryNetName)
{
    RunWindow([&](CVelkaroDlg& d) {
        Announce(d, 5, SupportedHardware(5));
        Tick(d);
        auto names = [&](int c) {
            std::vector<std::string> n;
            for (int line = 0; line < 8; ++line)
                n.push_back(SerieName(d.GetLogicSerie(c, 0, line)));
            return n;
        };
        const std::vector<std::string> netsA = {"A0", "A1", "A2", "A3", "A4", "A5", "A6", "A7"};
        EXPECT_EQ(names(0), netsA);

        // The user switches channel A to logic mode and its lines to one bus value.
        uitest::Click(&d.check_digital[0]);
        Tick(d);
        ASSERT_TRUE(d.check_digital_bus[0].IsWindowEnabled());
        uitest::Click(&d.check_digital_bus[0]);
        EXPECT_TRUE(d.digital_bus[0]);
        Tick(d);
        std::vector<std::string> bus = netsA;
        bus[0] = "Канал A[]";
        EXPECT_EQ(names(0), bus);
        EXPECT_EQ(names(1)[0], "B0");

        // A net renamed meanwhile is shown when the bits come back.
        d.la_net_name[3] = "CLK";
        uitest::Click(&d.check_digital_bus[0]);
        EXPECT_FALSE(d.digital_bus[0]);
        Tick(d);
        std::vector<std::string> bits = netsA;
        bits[3] = "CLK";
        EXPECT_EQ(names(0), bits);
    });
}

TEST_F(WatchersTest, ChannelSwitchRefillsTheTimeAndDecimationLists)
{
    RunWindow([&](CVelkaroDlg& d) {
        Announce(d, 5, SupportedHardware(5));
        Tick(d);
        CComboBox* tdiv = List(&d, 1060);
        CComboBox* skip = List(d.GetToolDialog(CToolDialogList::PROPERTIES), 1058);
        tdiv->ResetContent();
        skip->ResetContent();
        const bool wasOn = Read<bool>([](OscData& data) { return (data.osc_cr & OSC_CR_CH_B_ON) != 0; });
        uitest::Click(d.GetDlgItem(1013));
        ASSERT_NE(Read<bool>([](OscData& data) { return (data.osc_cr & OSC_CR_CH_B_ON) != 0; }), wasOn);
        Tick(d);
        EXPECT_EQ(d.IsDlgButtonChecked(1013), static_cast<UINT>(wasOn ? BST_UNCHECKED : BST_CHECKED));
        EXPECT_EQ(static_cast<std::size_t>(tdiv->GetCount()),
                  Read<std::size_t>([](OscData& data) { return data.ListTDivOptions().size(); }));
        EXPECT_EQ(static_cast<std::size_t>(skip->GetCount()),
                  Read<std::size_t>([](OscData& data) { return data.ListSkipValues().size(); }));
    });
}

TEST_F(WatchersTest, EachWindowHasWatchersOfItsOwn)
{
    // A second window in the same process starts again from its first tick.
    for (int run = 0; run < 2; ++run)
    {
        RunWindow([&](CVelkaroDlg& d) {
            d.SetDlgItemText(CVelkaroDlg::kConnectId, "?");
            Tick(d);
            EXPECT_EQ(Text(&d, CVelkaroDlg::kConnectId), "Подключиться") << run;
        });
    }
}

}  // namespace
