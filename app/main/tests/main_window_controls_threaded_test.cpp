// The main window's controls rewritten from the model: the setting lists of each variant, the
// trigger controls and the settings window's checks.

#include "app/main/tests/controls_test_windows.h"

#include "core/data/DataV2.h"
#include "core/measure/OscFormat.h"

#include <cstdio>

namespace {

using controls_test::ControlsWindowTest;
using controls_test::SupportedHardware;

// A generator clock of 1 MHz that takes every divider.
class DataClock1MHz : public DataV2 {
public:
    int GetVersion() const override { return kVersion; }
    unsigned GetBaseClock() const override { return 1000000; }
    static constexpr int kVersion = 96;
};

// A variant that reports no generator clock at all.
class DataNoClock : public DataV2 {
public:
    int GetVersion() const override { return kVersion; }
    unsigned GetBaseClock() const override { return 0; }
    static constexpr int kVersion = 95;
};

const bool clockVariantsRegistered =
    registerDataVersion(DataClock1MHz::kVersion, []() -> OscData* { return new DataClock1MHz(); }) &&
    registerDataVersion(DataNoClock::kVersion, []() -> OscData* { return new DataNoClock(); });

TEST_F(ControlsWindowTest, VoltsListsFollowEachVariantsChannels)
{
    struct Case {
        int version;
        bool a;
        bool b;
    };
    // Capability bit 0x01 is channel A, 0x08 channel B; math needs both.
    const Case cases[] = {{1, true, true}, {2, true, true}, {3, true, true}, {4, false, false}, {5, true, true}};
    RunWindow([&](CVelkaroDlg& d) {
        CComboBox* lists[3] = {List(&d, 1051), List(&d, 1055), &d.math_vdiv_list};
        ASSERT_NE(lists[2]->GetSafeHwnd(), nullptr);
        for (const Case& c : cases)
        {
            SCOPED_TRACE(c.version);
            Announce(d, c.version, SupportedHardware(c.version));
            ASSERT_EQ(Read<int>([](OscData& data) { return data.GetVersion(); }), c.version);
            const bool available[3] = {c.a, c.b, c.a && c.b};
            for (int trace = 0; trace < 3; ++trace)
            {
                SCOPED_TRACE(trace);
                CComboBox* list = lists[trace];
                EXPECT_EQ(list->IsWindowEnabled() != FALSE, available[trace]);
                if (!available[trace])
                {
                    EXPECT_EQ(list->GetCount(), 0);
                    continue;
                }
                // The list reads from the last text to the first; each entry is its own index.
                std::vector<CString> texts;
                std::uint32_t u = 0;
                int gain = 0;
                unsigned lo = 0;
                WithData([&](OscData& data) {
                    texts = data.ListVDivOptions(trace);
                    u = data.u_div[trace];
                    gain = data.GetGainIndex(u);
                    lo = data.GetVDivMin();
                });
                const auto entries = Entries(list);
                ASSERT_EQ(entries.size(), texts.size());
                const std::int64_t first = trace == 2 ? std::max<std::int64_t>(lo, gain - 1) : lo;
                for (std::size_t i = 0; i < entries.size(); ++i)
                {
                    const std::size_t t = entries.size() - 1 - i;
                    EXPECT_EQ(entries[i].first, texts[t]);
                    EXPECT_EQ(static_cast<std::int64_t>(entries[i].second), first + static_cast<std::int64_t>(t));
                }
                EXPECT_EQ(SelectedData(list), u);
            }
        }
    });
}

TEST_F(ControlsWindowTest, StoppedVoltsListOffersTheStepsAroundTheGainAndEachEntryIsItsIndex)
{
    RunWindow([&](CVelkaroDlg& d) {
        Announce(d, 1, SupportedHardware(1));
        WithData([](OscData& data) {
            data.u_div[0] = 6;
            data.ApplyVDiv();
        });
        uitest::Click(d.GetDlgItem(1047));
        ASSERT_NE(Read<std::uint32_t>([](OscData& data) { return data.mode & MODE_STOPPED; }), 0u);
        d.UpdateControls();

        const int gain = Read<int>([](OscData& data) { return data.GetGainIndex(data.u_div[0]); });
        CComboBox* list = List(&d, 1051);
        const auto entries = Entries(list);
        ASSERT_EQ(entries.size(), 3u);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(entries[static_cast<std::size_t>(i)].second, static_cast<DWORD_PTR>(gain + 1 - i));
        // The top entry is one step above the gain: the list's choice is taken as it reads.
        uitest::SelectComboItem(list, 0);
        EXPECT_EQ(Read<std::uint32_t>([](OscData& data) { return data.u_div[0]; }),
                  static_cast<std::uint32_t>(gain + 1));
        EXPECT_EQ(Text(&d, 1019), Read<std::string>([](OscData& data) { return FormatOffsetVolts(data, 0); }));
    });
}

TEST_F(ControlsWindowTest, TimeListReadsFromTheLongestAndStarsInterpolatedSteps)
{
    RunWindow([&](CVelkaroDlg& d) {
        CComboBox* list = List(&d, 1060);
        for (int version : {1, 2, 5})
        {
            SCOPED_TRACE(version);
            Announce(d, version, SupportedHardware(version));
            std::vector<TDivOption> options;
            WithData([&](OscData& data) { options = data.ListTDivOptions(); });
            const auto entries = Entries(list);
            ASSERT_EQ(entries.size(), options.size());
            ASSERT_FALSE(entries.empty());
            bool starred = false;
            for (std::size_t i = 0; i < entries.size(); ++i)
            {
                const TDivOption& o = options[options.size() - 1 - i];
                EXPECT_EQ(entries[i].first, o.text + (o.x_zoom_in > 1 ? "*" : ""));
                EXPECT_EQ(entries[i].second, o.t_div);
                starred = starred || o.x_zoom_in > 1;
            }
            EXPECT_EQ(SelectedData(list), Read<std::uint32_t>([](OscData& data) { return data.t_div; }));

            // An entry chosen by the user is the time/div that follows.
            const int pick = list->GetCount() / 2;
            uitest::SelectComboItem(list, pick);
            EXPECT_EQ(Read<std::uint32_t>([](OscData& data) { return data.t_div; }), list->GetItemData(pick));
        }
    });
}

TEST_F(ControlsWindowTest, OutputFrequencyListOfEachClockAndItsValidDividers)
{
    RunWindow([&](CVelkaroDlg& d) {
        ASSERT_TRUE(SelectOscDataVersion(DataClock1MHz::kVersion, 0));
        WithData([](OscData& data) {
            data.out_freq = 999;  // 1 kHz
            data.changes = 0;
        });
        d.UpdateControls();
        CComboBox* list = List(d.GetToolDialog(CToolDialogList::PROPERTIES), 1050);
        const auto entries = Entries(list);
        ASSERT_GT(entries.size(), 20u);
        EXPECT_EQ(entries[0], std::make_pair(std::string("1 МГц"), DWORD_PTR{0}));
        EXPECT_EQ(entries[1], std::make_pair(std::string("500 кГц"), DWORD_PTR{1}));
        // 3 does not divide the clock: the next entry is a quarter of it.
        EXPECT_EQ(entries[2], std::make_pair(std::string("250 кГц"), DWORD_PTR{3}));
        // The list ends with whole seconds: 2 to 9, then tens up to 100.
        std::vector<std::pair<std::string, DWORD_PTR>> seconds;
        for (unsigned s : {2, 3, 4, 5, 6, 7, 8, 9, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100})
            seconds.emplace_back(std::to_string(s) + " с", DWORD_PTR{1000000} * s - 1);
        ASSERT_GE(entries.size(), seconds.size());
        EXPECT_TRUE(std::equal(seconds.begin(), seconds.end(), entries.end() - static_cast<long>(seconds.size())));
        // Whole hertz come between: 300 Hz is the divider 3333 and a third, 200 Hz is 5000.
        EXPECT_NE(std::find(entries.begin(), entries.end(), std::make_pair(std::string("200 Гц"), DWORD_PTR{4999})),
                  entries.end());
        EXPECT_EQ(std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e.first == "300 Гц"; }), 0);
        EXPECT_EQ(SelectedData(list), DWORD_PTR{999});
        EXPECT_EQ(entries[static_cast<std::size_t>(list->GetCurSel())].first, "1 кГц");
        EXPECT_NE(Read<std::uint32_t>([](OscData& data) { return data.changes & CHANGE_OUT_FREQ; }), 0u);

        // Variant 5 cannot divide by one: its 36 MHz clock itself is no choice.
        Announce(d, 5, SupportedHardware(5));
        const auto v5 = Entries(list);
        ASSERT_FALSE(v5.empty());
        EXPECT_EQ(v5[0], std::make_pair(std::string("18 МГц"), DWORD_PTR{1}));
        EXPECT_EQ(std::count_if(v5.begin(), v5.end(), [](const auto& e) { return e.second == 0; }), 0);

        // No clock, no frequencies (rather than every divider giving "0 Гц").
        ASSERT_TRUE(SelectOscDataVersion(DataNoClock::kVersion, 0));
        d.UpdateControls();
        EXPECT_EQ(list->GetCount(), 0);
    });
}

TEST_F(ControlsWindowTest, DecimationListSelectsTheLargestValueNotAboveTheMaximum)
{
    RunWindow([&](CVelkaroDlg& d) {
        CComboBox* list = List(d.GetToolDialog(CToolDialogList::PROPERTIES), 1058);
        std::vector<unsigned> skips;
        WithData([&](OscData& data) { skips = data.ListSkipValues(); });
        ASSERT_GE(skips.size(), 3u);
        struct Case {
            std::uint32_t max;
            std::size_t selected;
        };
        const Case cases[] = {{skips[1], 1}, {skips[1] + 1, 1}, {skips.back() + 5, skips.size() - 1}};
        for (const Case& c : cases)
        {
            WithData([&](OscData& data) { data.max_x_skip = c.max; });
            d.UpdateControls();
            const auto entries = Entries(list);
            ASSERT_EQ(entries.size(), skips.size());
            for (std::size_t i = 0; i < skips.size(); ++i)
            {
                EXPECT_EQ(entries[i].second, skips[i]);
                EXPECT_EQ(entries[i].first,
                          Read<std::string>([&](OscData& data) { return FormatMemoryDuration(data, skips[i]); }));
            }
            EXPECT_EQ(list->GetCurSel(), static_cast<int>(c.selected)) << c.max;
        }
    });
}

TEST_F(ControlsWindowTest, TriggerOnAChannelKeepsItOnAndItsSwitchLocked)
{
    struct Case {
        int source;
        std::uint16_t triggerBits;
        std::uint16_t channelOn;
        UINT locked;
        UINT free;
    };
    const Case cases[] = {
        {1, OSC_CR_TRIGGER_ON, OSC_CR_CH_A_ON, 1012, 1013},
        {2, OSC_CR_TRIGGER_ON | OSC_CR_TRIGGER_B, OSC_CR_CH_B_ON, 1013, 1012},
    };
    RunWindow([&](CVelkaroDlg& d) {
        for (const Case& c : cases)
        {
            SCOPED_TRACE(c.source);
            // As a stored configuration can leave it: the trigger's channel switched off.
            WithData([&](OscData& data) {
                data.osc_cr = static_cast<std::uint16_t>(
                    (data.osc_cr & ~(OSC_CR_TRIGGER_EXT | OSC_CR_TRIGGER_B | c.channelOn)) | c.triggerBits);
            });
            d.UpdateControls();
            EXPECT_NE(Read<std::uint32_t>([&](OscData& data) { return data.osc_cr & c.channelOn; }), 0u);
            EXPECT_EQ(d.IsDlgButtonChecked(c.locked), static_cast<UINT>(BST_CHECKED));
            EXPECT_FALSE(d.GetDlgItem(c.locked)->IsWindowEnabled());
            EXPECT_TRUE(d.GetDlgItem(c.free)->IsWindowEnabled());
            EXPECT_TRUE(d.GetDlgItem(1046)->IsWindowEnabled());
            EXPECT_EQ(static_cast<CListBox*>(d.GetDlgItem(CVelkaroDlg::kTriggerSourceId))->GetCurSel(), c.source);
        }
        // Trigger off: both switches free, no edge to choose.
        WithData([](OscData& data) { data.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_TRIGGER_ON); });
        d.UpdateControls();
        EXPECT_TRUE(d.GetDlgItem(1012)->IsWindowEnabled());
        EXPECT_TRUE(d.GetDlgItem(1013)->IsWindowEnabled());
        EXPECT_FALSE(d.GetDlgItem(1046)->IsWindowEnabled());
    });
}

TEST_F(ControlsWindowTest, EdgeButtonShowsTheEdgeOfTheTriggerSource)
{
    RunWindow([&](CVelkaroDlg& d) {
        WithData([](OscData& data) {
            data.EnableChannelA(true);
            data.trigger_dir[0] = 0;
        });
        uitest::SelectListItem(d.GetDlgItem(CVelkaroDlg::kTriggerSourceId), 1);
        auto* edge = static_cast<CButton*>(d.GetDlgItem(1046));
        EXPECT_EQ(edge->GetIcon(), Icon(131));
        const UINT icons[] = {132, 140, 131};
        for (UINT icon : icons)
        {
            uitest::Click(edge);
            EXPECT_EQ(edge->GetIcon(), Icon(icon));
        }
        // A direction no variant knows leaves the image as it was.
        WithData([](OscData& data) { data.trigger_dir[0] = 7; });
        d.UpdateEdgeButton();
        EXPECT_EQ(edge->GetIcon(), Icon(131));
        EXPECT_TRUE(edge->IsWindowEnabled());
    });
}

TEST_F(ControlsWindowTest, OptionsAndTextsAreMirroredInTheirControls)
{
    RunWindow([&](CVelkaroDlg& d) {
        CToolDialog* settings = d.GetToolDialog(CToolDialogList::PROPERTIES);
        CToolDialog* analyser = d.GetToolDialog(CToolDialogList::LANALYZER);
        struct Case {
            int value;
            UINT check;
            int CVelkaroDlg::*option;
        };
        const Case cases[] = {
            {7, 1071, &CVelkaroDlg::not_hide_trigger_level}, {1, 1074, &CVelkaroDlg::not_hide_trigger_offset},
            {1, 1072, &CVelkaroDlg::show_legend},           {1, 1073, &CVelkaroDlg::show_cross},
            {1, 1102, &CVelkaroDlg::extra_tick_full_time},
        };
        for (bool on : {true, false})
        {
            for (const Case& c : cases)
                d.*c.option = on ? c.value : 0;
            d.la_net_display_labels = on;
            d.level_countdown = d.offset_countdown = 0;
            d.UpdateControls();
            for (const Case& c : cases)
                EXPECT_EQ(settings->IsDlgButtonChecked(c.check), static_cast<UINT>(on ? BST_CHECKED : BST_UNCHECKED))
                    << c.check;
            EXPECT_EQ(analyser->IsDlgButtonChecked(1129), static_cast<UINT>(on ? BST_CHECKED : BST_UNCHECKED));
            // Kept-visible lines are normalised and shown.
            EXPECT_EQ(d.not_hide_trigger_level, on ? 1 : 0);
            EXPECT_EQ(d.offset_countdown, on ? CVelkaroDlg::kMarkerShowTicks : 0);
            EXPECT_EQ(d.level_countdown, CVelkaroDlg::kMarkerShowTicks);
        }

        WithData([](OscData& data) {
            data.y_offset[0] = 20;
            data.y_offset[1] = -7;
            data.y_offset[2] = 3;
        });
        d.UpdateControls();
        std::string texts[4];
        WithData([&](OscData& data) {
            for (int t = 0; t < 3; ++t)
                texts[t] = FormatOffsetVolts(data, t);
            texts[3] = FormatTriggerLevel(data);
        });
        EXPECT_EQ(Text(&d, 1019), texts[0]);
        EXPECT_EQ(Text(&d, 1021), texts[1]);
        EXPECT_EQ(Text(d.GetToolDialog(CToolDialogList::MATH), 1091), texts[2]);
        EXPECT_EQ(Text(&d, 1027), texts[3]);
        EXPECT_NE(texts[0], texts[1]);
    });
}

TEST_F(ControlsWindowTest, LiveWindowWithFilledLists)
{
    RunWindow([&](CVelkaroDlg& d) {
        ASSERT_TRUE(ConnectWithBothChannels(d));
        const int start = Read<int>([](OscData& data) { return data.cycle_counter; });
        ASSERT_TRUE(WaitUntil([&] { return Read<int>([](OscData& data) { return data.cycle_counter; }) >= start + 3; }));
        Tick(d);
        EXPECT_EQ(Text(&d, CVelkaroDlg::kConnectId), "Отключиться");
        EXPECT_GT(List(&d, 1060)->GetCount(), 0);
        EXPECT_EQ(SelectedData(List(&d, 1051)), Read<std::uint32_t>([](OscData& data) { return data.u_div[0]; }));
        EXPECT_TRUE(uitest::RenderToPng(&d, uitest::OutputPath("app_main/main_window_controls.png")));
        EXPECT_TRUE(uitest::RenderToPng(d.GetToolDialog(CToolDialogList::PROPERTIES),
                                        uitest::OutputPath("app_main/main_window_controls_settings.png")));
        uitest::Click(d.GetDlgItem(CVelkaroDlg::kConnectId));
        ASSERT_TRUE(WaitUntil([] { return !Linked(); }));
    });
}

}  // namespace

// Tab goes from control to control a user sees and works with: from the full-sweep box straight
// on to the time/div list, never to the strip or the chart, which take no keys and show no focus;
// and round the whole window back to where it started.
TEST_F(ControlsWindowTest, TabVisitsOnlyControlsAUserCanSeeAndUse)
{
    RunWindow([](CVelkaroDlg& d) {
        CWnd* strip = d.GetDlgItem(1056);
        CWnd* chart = d.GetDlgItem(1000);
        ASSERT_NE(strip, nullptr);
        ASSERT_NE(chart, nullptr);
        // The strip makes its box with its picture, at its first drawing.
        Tick(d);
        CWnd* sweep = strip->GetDlgItem(CVelkaroDlg::kFullSweepId);
        ASSERT_NE(sweep, nullptr);
        sweep->SetFocus();
        uitest::ProcessEvents();
        ASSERT_EQ(CWnd::GetFocus(), sweep);

        std::vector<CWnd*> visited;
        std::string order;
        for (int i = 0; i < 100 && (visited.empty() || visited.back() != sweep); ++i) {
            uitest::KeyToActiveWindow(VK_TAB);
            CWnd* now = CWnd::GetFocus();
            ASSERT_NE(now, nullptr) << "the focus left the window after " << order;
            visited.push_back(now);
            order += std::to_string(now->GetDlgCtrlID()) + " ";
        }
        ASSERT_EQ(visited.back(), sweep) << "Tab never came round: " << order;
        EXPECT_EQ(visited.front()->GetDlgCtrlID(), 1060) << "after the full-sweep box: " << order;
        for (CWnd* w : visited) {
            EXPECT_NE(w, strip) << order;
            EXPECT_NE(w, chart) << order;
            EXPECT_TRUE(w->IsWindowVisible()) << w->GetDlgCtrlID();
            EXPECT_TRUE(w->IsWindowEnabled()) << w->GetDlgCtrlID();
        }
    });
}
