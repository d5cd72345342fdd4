// Calibration from the settings window, end to end on the virtual instrument: the dialog
// started by "Калибровка", its progress and outcome, and the dispatcher's work behind it.

#include "tools/calibration/testing/ToolWindowsFixture.h"

#include "core/data/OscData.h"
#include "platform/ui/testing/UiTest.h"
#include "platform/ui/testing/LeftOpen.h"
#include "tools/calibration/DialogCalibrate.h"
#include "widgets/tooltip/PPToolTip.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

const std::string kInstruction = "Перед калибровкой необходимо убедиться, что щупы не подключены.";
const std::string kRunning = "Калибровка запущена, ожидайте...";
const std::string kSuccess = "Калибровка завершена успешно!";
const std::string kSaturation =
    "Калибровка завершена с ошибкой (произошло насыщение)! Провертьте отключены ли щупы!";
const std::string kLinkLost = "Калибровка завершена с ошибкой (потеря связи)!";

struct Variant {
    int version;
    int hw;
};

class CalibrationTest : public ToolWindowsTest {
protected:
    // Connects to the variant and calibrates it to the end, which must be a success.
    void CalibrateSuccessfully(Variant v);

    void SetUp() override
    {
        ToolWindowsTest::SetUp();
        // The probes are unplugged, as the dialog asks: the inputs read their zeros only.
        SignalSettings quiet;
        quiet.sineAmplitude = 0;
        quiet.squareAmplitude = 0;
        demoInstrument->SetSignals(quiet);
    }

    static std::string Status(CDialogCalibrate& dialog)
    {
        CString text;
        dialog.GetDlgItemText(CDialogCalibrate::IDC_STATUS, text);
        return text;
    }

    static bool Enabled(CDialogCalibrate& dialog, UINT id) { return dialog.GetDlgItem(id)->IsWindowEnabled() != FALSE; }

    // As WaitUntil, with the model looked at no more than every 10 ms, so the link's worker
    // gets DataLock in between.
    static bool WaitForModel(const std::function<bool(OscData&)>& condition)
    {
        auto next = std::chrono::steady_clock::now();
        return WaitUntil([&] {
            if (std::chrono::steady_clock::now() < next) return false;
            next = std::chrono::steady_clock::now() + std::chrono::milliseconds(10);
            bool met = false;
            WithData([&](OscData& data) { met = condition(data); });
            return met;
        });
    }

    static std::uint32_t Mode()
    {
        std::uint32_t mode = 0;
        WithData([&](OscData& data) { mode = data.mode; });
        return mode;
    }

    // The variant the instrument reports and its hardware version (the demo's are 2 and 1).
    int variant_ = 2;
    int hw_ = 1;

    // Connects, opens the dialog with the settings window's button, starts the calibration,
    // checks that nothing closes it while it runs, and hands it to `finished` once it has an
    // outcome; `started` runs right after "Старт". Closes it with "Закрыть". A run that goes
    // wrong or never ends, or a "Закрыть" that does not close, fails the test and the dialog is
    // ended from outside: a user could not close it either, and the test must not hang.
    void Calibrate(ToolHostWindow& d, const std::function<void(CDialogCalibrate&)>& started,
                   const std::function<void(CDialogCalibrate&)>& finished)
    {
        CPropertiesDialog& p = d.Properties();
        Connect(d);
        ASSERT_TRUE(WaitUntil(Linked));
        // The instrument's variant first, and the window's check of it, as a user at the bench
        // meets them: a calibration started before the switch would run on the model the
        // switch replaces.
        ASSERT_TRUE(WaitUntil([this] { return VariantSettled(variant_, hw_); }));
        // Opened now: each variant keeps its own window settings, so a switch puts the
        // settings window back as that variant left it.
        Show(p);
        bool ran = false;
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            ran = true;
            auto& dialog = *static_cast<CDialogCalibrate*>(m.window);
            EXPECT_EQ(m.caption, "Калибровка");
            EXPECT_EQ(Status(dialog), kInstruction);
            EXPECT_TRUE(Enabled(dialog, CDialogCalibrate::IDC_START));
            EXPECT_TRUE(Enabled(dialog, CDialogCalibrate::IDC_CLOSE));

            uitest::Click(dialog.GetDlgItem(CDialogCalibrate::IDC_START));
            EXPECT_EQ(Status(dialog), kRunning);
            EXPECT_FALSE(Enabled(dialog, CDialogCalibrate::IDC_START));
            EXPECT_FALSE(Enabled(dialog, CDialogCalibrate::IDC_CLOSE));
            EXPECT_EQ(uitest::TimerPeriod(&dialog, CDialogCalibrate::kTimerId), 1000);
            if (started) started(dialog);
            if (HasFatalFailure()) return uitest::EndIfLeftOpen(m, "a failed step");

            // Nothing closes the dialog while the device calibrates.
            uitest::PressEscape(&dialog);
            uitest::CloseWindow(&dialog);
            EXPECT_TRUE(dialog.ContinueModal());
            EXPECT_TRUE(dialog.IsWindowVisible());

            // The dialog's own once-a-second timer: firing it in a tight loop would keep DataLock
            // from the link's worker, whose replies then time out.
            if (!WaitUntil([&] { return Status(dialog) != kRunning; }))
                return uitest::EndIfLeftOpen(m, "a run without an outcome");
            EXPECT_EQ(uitest::TimerPeriod(&dialog, CDialogCalibrate::kTimerId), 0);
            EXPECT_TRUE(Enabled(dialog, CDialogCalibrate::IDC_CLOSE));
            // A new calibration needs the dialog opened again.
            EXPECT_FALSE(Enabled(dialog, CDialogCalibrate::IDC_START));
            finished(dialog);
            uitest::PressEscape(&dialog);
            EXPECT_TRUE(dialog.ContinueModal());
            uitest::Click(dialog.GetDlgItem(CDialogCalibrate::IDC_CLOSE));
            uitest::EndIfLeftOpen(m, "\"Закрыть\"");
        });
        uitest::Click(p.GetDlgItem(CPropertiesDialog::IDC_CALIBRATE));
        EXPECT_TRUE(ran);
        EXPECT_EQ(Mode() & MODE_CALIBRATION, 0u);
    }
};

}  // namespace

void CalibrationTest::CalibrateSuccessfully(const Variant v)
{
    demoInstrument->SetVersion(static_cast<std::uint8_t>(v.version), static_cast<std::uint8_t>(v.hw));
    variant_ = v.version;
    hw_ = v.hw;
    demoInstrument->SetInputOffset(0, 4);
    demoInstrument->SetInputOffset(1, -3);
    RunHost([&](ToolHostWindow& d) {
        Calibrate(d, nullptr, [&](CDialogCalibrate& dialog) {
            EXPECT_EQ(Status(dialog), kSuccess);
            WithData([](OscData& data) {
                EXPECT_EQ(data.status & (STATUS_CALIBRATED | STATUS_CALIBRATION_FAILED), 0u);
            });
            if (v.version == 2) {
                // The offset DACs were walked until each input reads zero.
                for (int c = 0; c < 2; ++c) {
                    EXPECT_TRUE(WaitUntil([&] { return std::abs(demoInstrument->GetInputZero(c)) <= 1; })) << c;
                    WithData([&](OscData& data) { EXPECT_EQ(data.offset_dac[c], demoInstrument->GetOffsetDac(c)); });
                }
            } else {
                // The device's table reaches the model and matches the inputs' zeros.
                for (int c = 0; c < 2; ++c) {
                    EXPECT_TRUE(WaitForModel([&](OscData& data) {
                        return data.GetCalibrationOffset(c) == demoInstrument->GetInputZero(c);
                    })) << c;
                }
            }
            if (v.version == 3) {
                EXPECT_TRUE(uitest::RenderToPng(&dialog, uitest::OutputPath("tools/calibration_dialog.png")));
            }
        });
    });
}

TEST_F(CalibrationTest, Version1EndsSuccessfullyWithTheInstrumentsZeros)
{
    CalibrateSuccessfully({1, 10});
}

TEST_F(CalibrationTest, Version2EndsSuccessfullyWithTheInstrumentsZeros)
{
    CalibrateSuccessfully({2, 1});
}

TEST_F(CalibrationTest, Version3EndsSuccessfullyWithTheInstrumentsZeros)
{
    CalibrateSuccessfully({3, 2});
}

// The demo as it starts, its signals on: the calibration finds the inputs' own zeros, so both
// traces stay where they were up to the few codes of zero error the calibration takes away.
TEST_F(CalibrationTest, TheDemosSignalsLeaveTheZerosWhereTheyWere)
{
    demoInstrument->SetSignals(SignalSettings{});
    const int before[2] = {demoInstrument->GetInputZero(0), demoInstrument->GetInputZero(1)};
    RunHost([&](ToolHostWindow& d) {
        Calibrate(d, nullptr, [&](CDialogCalibrate& dialog) {
            EXPECT_EQ(Status(dialog), kSuccess);
            for (int c = 0; c < 2; ++c) {
                EXPECT_TRUE(WaitUntil([&] { return std::abs(demoInstrument->GetInputZero(c)) <= 1; }))
                    << c << ": the zero moved from " << before[c] << " to " << demoInstrument->GetInputZero(c);
            }
        });
    });
}


TEST_F(CalibrationTest, SaturationIsReportedAndAStaleResultNeverEndsARunEarly)
{
    demoInstrument->SetVersion(2, 1);
    demoInstrument->SetInputOffset(0, 120);
    RunHost([&](ToolHostWindow& d) {
        // A result left from an earlier run.
        WithData([](OscData& data) { data.status |= STATUS_CALIBRATED | STATUS_CALIBRATION_FAILED; });
        Calibrate(
            d,
            [](CDialogCalibrate&) {
                WithData([](OscData& data) {
                    EXPECT_EQ(data.status & (STATUS_CALIBRATED | STATUS_CALIBRATION_FAILED), 0u);
                    EXPECT_NE(data.mode & MODE_CALIBRATION, 0u);
                });
            },
            [](CDialogCalibrate& dialog) {
                EXPECT_EQ(Status(dialog), kSaturation);
                EXPECT_TRUE(uitest::RenderToPng(&dialog, uitest::OutputPath("tools/calibration_saturation.png")));
                WithData([](OscData& data) {
                    EXPECT_EQ(data.status & (STATUS_CALIBRATED | STATUS_CALIBRATION_FAILED), 0u);
                });
            });
    });
}

TEST_F(CalibrationTest, ASilentInstrumentEndsTheRunAsALostLinkAndLeavesNoRequest)
{
    demoInstrument->SetVersion(2, 1);
    RunHost([&](ToolHostWindow& d) {
        Calibrate(
            d,
            // The link finds the instrument silent and drops; the dialog's next tick, its own or
            // this one, ends the run.
            [](CDialogCalibrate& dialog) {
                demoInstrument->SetSilent(true);
                ASSERT_TRUE(WaitForModel([](OscData& data) { return (data.mode & MODE_LINKED) == 0; }));
                if (Status(dialog) == kRunning) {
                    ASSERT_TRUE(uitest::FireTimer(&dialog, CDialogCalibrate::kTimerId));
                }
                ASSERT_EQ(Status(dialog), kLinkLost);
            },
            [](CDialogCalibrate& dialog) {
                EXPECT_EQ(Status(dialog), kLinkLost);
                EXPECT_EQ(Mode() & (MODE_CALIBRATION | MODE_LINKED), 0u);
            });
    });
}

TEST_F(CalibrationTest, AModelReplacedMidRunEndsItAsALostLinkAndLeavesNoRequest)
{
    RunHost([&](ToolHostWindow& d) {
        Calibrate(
            d,
            // The instrument reports another variant: its model replaces the one the run is on,
            // and the link marks the new one linked, as it does after each switch it asks for.
            // The dialog's next tick ends the run.
            [&](CDialogCalibrate& dialog) {
                SwitchVariant(d, 3);
                WithData([](OscData& data) { data.mode |= MODE_LINKED; });
                ASSERT_TRUE(uitest::FireTimer(&dialog, CDialogCalibrate::kTimerId));
                ASSERT_EQ(Status(dialog), kLinkLost);
            },
            [](CDialogCalibrate& dialog) {
                EXPECT_EQ(Status(dialog), kLinkLost);
                EXPECT_EQ(Mode() & MODE_CALIBRATION, 0u);
            });
    });
}

TEST_F(CalibrationTest, WithoutTheLinkTheButtonShowsItsBalloonInsteadOfTheDialog)
{
    RunHost([&](ToolHostWindow& d) {
        CPropertiesDialog& p = d.Properties();
        Show(p);
        ASSERT_FALSE(Linked());
        bool opened = false;
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            opened = true;
            m.End(IDCANCEL);
        });
        EXPECT_EQ(d.GetToolTip().GetState(), PPTOOLTIP_STATE_HIDDEN);
        uitest::Click(p.GetDlgItem(CPropertiesDialog::IDC_CALIBRATE));
        EXPECT_FALSE(opened);
        EXPECT_NE(d.GetToolTip().GetState(), PPTOOLTIP_STATE_HIDDEN);
        uihooks::ClearModalHandlers();
        EXPECT_EQ(Mode() & MODE_CALIBRATION, 0u);

        // The balloon answered the settings window: Esc there takes both away, with no key
        // in the main window needed to clear the chart.
        uitest::PressEscape(&p);
        ASSERT_FALSE(p.IsWindowVisible());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (d.GetToolTip().IsWindowVisible() && std::chrono::steady_clock::now() < deadline) uitest::ProcessEvents();
        EXPECT_FALSE(d.GetToolTip().IsWindowVisible()) << "the balloon stays after its window closed";
        EXPECT_EQ(d.GetToolTip().GetState(), PPTOOLTIP_STATE_HIDDEN);
    });
}
