// The channel panel's coupling, probe, mode and bus buttons, clicked as a user clicks them.

#include "app/main/tests/controls_test_windows.h"

#include <algorithm>

namespace {

using controls_test::ControlsWindowTest;
using controls_test::SupportedHardware;

using ChannelButtonsTest = ControlsWindowTest;

const UINT kButtonIds[8] = {1016, 1017, 1014, 1075, 1024, 1025, 1028, 1031};

std::string Caption(CWnd* button)
{
    CString text;
    button->GetWindowText(text);
    return text;
}

TEST_F(ChannelButtonsTest, EnablingFollowsTheVariantsCapabilities)
{
    struct Case {
        int version;
        // Coupling A, B; probe A, B; mode A, B (bus buttons: oscilloscope mode, all off).
        bool enabled[6];
    };
    const Case cases[] = {
        {1, {true, true, true, true, false, false}},     // 45: coupling and probe, no logic
        {2, {false, false, true, true, true, false}},    // 11: logic on A only
        {3, {false, false, true, true, false, false}},   // 9
        {4, {false, false, false, false, false, false}}, // 18: logic without the probe bits
        {5, {false, false, true, true, true, true}},     // 27
    };
    RunWindow([&](CVelkaroDlg& d) {
        for (const Case& c : cases)
        {
            SCOPED_TRACE(c.version);
            Announce(d, c.version, SupportedHardware(c.version));
            WithData([](OscData& data) {
                data.osc_cr &= static_cast<std::uint16_t>(~(OSC_CR_LOGIC_A | OSC_CR_LOGIC_B));
            });
            d.UpdateControls();
            for (int i = 0; i < 6; ++i)
                EXPECT_EQ(d.GetDlgItem(kButtonIds[i])->IsWindowEnabled() != FALSE, c.enabled[i]) << kButtonIds[i];
            // The bus form means nothing in oscilloscope mode.
            EXPECT_FALSE(d.GetDlgItem(1028)->IsWindowEnabled());
            EXPECT_FALSE(d.GetDlgItem(1031)->IsWindowEnabled());
        }
    });
}

TEST_F(ChannelButtonsTest, ClicksToggleTheirSettingAndCaption)
{
    struct Case {
        int version;
        UINT id;
        std::uint32_t (*read)(const OscData&);
        std::uint32_t change;  // what the link must send, 0: nothing
        const char* on;
        const char* off;
    };
    const Case cases[] = {
        {1, 1016, [](const OscData& d) -> std::uint32_t { return d.analog_cr & ANALOG_CR_COUPLING_A; }, CHANGE_ANALOG,
         "AC", "DC"},
        {1, 1017, [](const OscData& d) -> std::uint32_t { return d.analog_cr & ANALOG_CR_COUPLING_B; }, CHANGE_ANALOG,
         "AC", "DC"},
        {1, 1014, [](const OscData& d) -> std::uint32_t { return d.mode & MODE_PROBE_X10_A; }, 0, "X10", "X1"},
        {1, 1075, [](const OscData& d) -> std::uint32_t { return d.mode & MODE_PROBE_X10_B; }, 0, "X10", "X1"},
        {5, 1024, [](const OscData& d) -> std::uint32_t { return d.osc_cr & OSC_CR_LOGIC_A; }, CHANGE_CAPTURE,
         "ЛА", "Осц"},
        {5, 1025, [](const OscData& d) -> std::uint32_t { return d.osc_cr & OSC_CR_LOGIC_B; }, CHANGE_CAPTURE,
         "ЛА", "Осц"},
    };
    RunWindow([&](CVelkaroDlg& d) {
        for (const Case& c : cases)
        {
            SCOPED_TRACE(c.id);
            Announce(d, c.version, SupportedHardware(c.version));
            auto* button = static_cast<CButton*>(d.GetDlgItem(c.id));
            ASSERT_TRUE(button->IsWindowEnabled());
            const bool before = Read<bool>([&](OscData& data) { return c.read(data) != 0; });
            for (int click = 1; click <= 2; ++click)
            {
                WithData([](OscData& data) { data.changes = 0; });
                uitest::Click(button);
                const bool on = Read<bool>([&](OscData& data) { return c.read(data) != 0; });
                EXPECT_EQ(on, click == 1 ? !before : before);
                EXPECT_EQ(Caption(button), on ? c.on : c.off);
                EXPECT_EQ(button->GetCheck(), on ? BST_CHECKED : BST_UNCHECKED);
                EXPECT_EQ(Read<std::uint32_t>([&](OscData& data) { return data.changes & c.change; }), c.change);
            }
        }
    });
}

TEST_F(ChannelButtonsTest, ModeClickWhileStoppedOrRecordingChangesNothing)
{
    RunWindow([&](CVelkaroDlg& d) {
        Announce(d, 5, SupportedHardware(5));
        CWnd* mode = d.GetDlgItem(1024);
        ASSERT_TRUE(mode->IsWindowEnabled());
        uitest::Click(d.GetDlgItem(1047));
        ASSERT_NE(Read<std::uint32_t>([](OscData& data) { return data.mode & MODE_STOPPED; }), 0u);
        struct Case {
            const char* name;
            std::uint32_t modeBits;
        };
        for (const Case c : {Case{"stopped", 0}, Case{"recording", MODE_RECORDER}})
        {
            SCOPED_TRACE(c.name);
            WithData([&](OscData& data) {
                data.mode |= c.modeBits;
                data.changes = 0;
            });
            const std::uint16_t before = Read<std::uint16_t>([](OscData& data) { return data.osc_cr; });
            uitest::Click(mode);
            EXPECT_EQ(Read<std::uint16_t>([](OscData& data) { return data.osc_cr; }), before);
            EXPECT_EQ(Read<std::uint32_t>([](OscData& data) { return data.changes; }), 0u);
            EXPECT_EQ(Caption(mode), (before & OSC_CR_LOGIC_A) != 0 ? "ЛА" : "Осц");
        }
    });
}

TEST_F(ChannelButtonsTest, ModeFlipKeepsTheTimebaseReachable)
{
    RunWindow([&](CVelkaroDlg& d) {
        Announce(d, 5, SupportedHardware(5));
        for (bool top : {true, false})
        {
            SCOPED_TRACE(top ? "longest" : "shortest");
            for (int flip = 0; flip < 2; ++flip)
            {
                WithData([&](OscData& data) {
                    data.max_x_skip = data.GetDividerMax();
                    data.t_div = top ? data.GetTDivMax() : data.GetTDivMin();
                    data.FitTDivIndex();
                });
                uitest::Click(d.GetDlgItem(1024));
                // The time/div in use is one the new mode's list offers, and the solver takes it.
                WithData([](OscData& data) {
                    const std::uint32_t tDiv = data.t_div;
                    const std::vector<TDivOption> options = data.ListTDivOptions();
                    EXPECT_TRUE(std::any_of(options.begin(), options.end(),
                                            [&](const TDivOption& o) { return o.t_div == tDiv; }))
                        << tDiv;
                    EXPECT_EQ(data.SolveTimebase(), 0);
                    EXPECT_EQ(data.t_div, tDiv);
                });
            }
        }
    });
}

TEST_F(ChannelButtonsTest, ProbeClickRescalesTheChannelsVoltsTexts)
{
    RunWindow([&](CVelkaroDlg& d) {
        Announce(d, 1, SupportedHardware(1));
        CComboBox* list = List(&d, 1051);
        CString first;
        list->GetLBText(0, first);
        WithData([](OscData& data) { data.y_offset[0] = 10; });
        d.UpdateControls();
        const std::string offsetX1 = Text(&d, 1019);
        uitest::Click(d.GetDlgItem(1014));
        CString firstX10;
        list->GetLBText(0, firstX10);
        EXPECT_NE(firstX10, first);
        std::vector<CString> texts;
        WithData([&](OscData& data) { texts = data.ListVDivOptions(0); });
        ASSERT_EQ(static_cast<std::size_t>(list->GetCount()), texts.size());
        EXPECT_EQ(firstX10, texts.back());
        EXPECT_EQ(SelectedData(list), Read<std::uint32_t>([](OscData& data) { return data.u_div[0]; }));
        EXPECT_NE(Text(&d, 1019), offsetX1);
    });
}

TEST_F(ChannelButtonsTest, BusStateIsTheWindowsAndComesBackWithTheSettings)
{
    RunWindow([&](CVelkaroDlg& d) {
        Announce(d, 5, SupportedHardware(5));
        uitest::Click(d.GetDlgItem(1024));
        // The tick that sees logic mode frees the bus button.
        EXPECT_FALSE(d.GetDlgItem(1028)->IsWindowEnabled());
        Tick(d);
        ASSERT_TRUE(d.GetDlgItem(1028)->IsWindowEnabled());
        uitest::Click(d.GetDlgItem(1028));
        EXPECT_TRUE(d.digital_bus[0]);
        EXPECT_EQ(Caption(d.GetDlgItem(1028)), "BUS");
        EXPECT_FALSE(d.digital_bus[1]);
    });
    RunWindow([&](CVelkaroDlg& d) {
        EXPECT_TRUE(d.digital_bus[0]);
        EXPECT_EQ(Caption(d.GetDlgItem(1028)), "BUS");
        EXPECT_EQ(static_cast<CButton*>(d.GetDlgItem(1028))->GetCheck(), BST_CHECKED);
        // Reset to defaults: the caption and the check go with the state.
        d.ResetWindows();
        EXPECT_FALSE(d.digital_bus[0]);
        EXPECT_EQ(Caption(d.GetDlgItem(1028)), "BIT");
        EXPECT_EQ(static_cast<CButton*>(d.GetDlgItem(1028))->GetCheck(), BST_UNCHECKED);
    });
}

}  // namespace
