// The setting steps on a live data model: trigger source, volts/div, time/div, peak detector,
// trigger edge and level, and the view centre kept across timebase changes.

#include "app/main/SettingSteps.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class SettingStepsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteOscData();
        ForgetTriggerChannels();
        ASSERT_TRUE(SelectOscDataVersion(2, 1));
        d_ = GetOscData();
        d_->mode &= ~MODE_STOPPED;
    }
    void TearDown() override
    {
        ForgetTriggerChannels();
        DeleteOscData();
    }

    bool AOn() const { return (d_->osc_cr & OSC_CR_CH_A_ON) != 0; }
    bool BOn() const { return (d_->osc_cr & OSC_CR_CH_B_ON) != 0; }

    CSingleLock lock_{&DataLock, TRUE};
    OscData* d_ = nullptr;
};

TEST_F(SettingStepsTest, AChannelSwitchedOnForTheTriggerGoesOffWithIt)
{
    d_->EnableChannelA(true);
    d_->EnableChannelB(false);
    ASSERT_TRUE(AOn());
    ASSERT_FALSE(BOn());

    SetTriggerSource(*d_, 2);
    EXPECT_EQ(d_->GetTriggerSource(), 2);
    EXPECT_TRUE(BOn());
    EXPECT_NE(d_->changes & CHANGE_CAPTURE, 0u);

    SetTriggerSource(*d_, 3);
    EXPECT_EQ(d_->GetTriggerSource(), 3);
    SetTriggerSource(*d_, 0);
    EXPECT_EQ(d_->GetTriggerSource(), 0);
    EXPECT_FALSE(BOn());
    // A was on before: it stays on.
    EXPECT_TRUE(AOn());

    // Choosing the current source again changes nothing.
    d_->changes = 0;
    SetTriggerSource(*d_, 0);
    EXPECT_EQ(d_->changes, 0u);
    SetTriggerSource(*d_, 7);
    EXPECT_EQ(d_->changes, 0u);
}

TEST_F(SettingStepsTest, TriggerLevelIsClampedAroundTheCalibrationOffset)
{
    // A variant that keeps calibration offsets.
    DeleteOscData();
    ASSERT_TRUE(SelectOscDataVersion(3, 2));
    d_ = GetOscData();
    std::vector<signed char> offsets(64, 5);
    d_->SetCalibrationOffsets(static_cast<unsigned>(offsets.size()), offsets.data(), offsets.size());
    ASSERT_EQ(d_->GetCalibrationOffset(0), 5);
    d_->EnableChannelA(true);
    SetTriggerSource(*d_, 1);

    struct Case {
        bool absolute;
        int value;
        int expected;
    };
    const Case cases[] = {
        {true, 0, 0}, {false, 1000, 122}, {false, 1, 122}, {false, -1, 121},
        {true, -500, -133}, {false, -1, -133}, {true, 60, 60},
    };
    for (const Case& c : cases)
    {
        if (c.absolute)
            SetTriggerLevel(*d_, c.value);
        else
            MoveTriggerLevel(*d_, c.value);
        EXPECT_EQ(d_->trigger_level[0], c.expected) << c.value;
    }
    EXPECT_NE(d_->changes & CHANGE_TRIGGER, 0u);

    // Off or external: the level has no channel to belong to.
    SetTriggerSource(*d_, 3);
    MoveTriggerLevel(*d_, 5);
    EXPECT_EQ(d_->trigger_level[0], 60);
}

TEST_F(SettingStepsTest, VoltsPerDivisionStepsStayInTheirRange)
{
    d_->u_div[0] = d_->GetVDivMin();
    EXPECT_FALSE(StepVDivIndex(*d_, 0, -1));
    EXPECT_EQ(d_->u_div[0], d_->GetVDivMin());
    EXPECT_TRUE(StepVDivIndex(*d_, 0, 1));
    EXPECT_EQ(d_->u_div[0], d_->GetVDivMin() + 1);
    EXPECT_TRUE(StepVDivIndex(*d_, 0, 1000));
    EXPECT_EQ(d_->u_div[0], d_->GetVDivMax());

    // Stopped: one software step around the captured gain at most.
    const unsigned u = (d_->GetVDivMin() + d_->GetVDivMax()) / 2;
    d_->u_div[1] = u;
    const int gain = d_->GetGainIndex(u);
    d_->mode |= MODE_STOPPED;
    StepVDivIndex(*d_, 1, 3);
    EXPECT_LE(d_->u_div[1], static_cast<unsigned>(gain + 1));
    StepVDivIndex(*d_, 1, -6);
    EXPECT_GE(static_cast<int>(d_->u_div[1]), std::max(gain - 1, static_cast<int>(d_->GetVDivMin())));

    // The gain ratio is the selected step over the reference one, reduced.
    d_->u_div[0] = d_->GetVDivMax();
    ApplyVDivIndex(*d_, 0);
    const std::uint32_t g = VDivTable[d_->GetGainIndex(d_->u_div[0])];
    const std::uint32_t v = VDivTable[d_->u_div[0]];
    EXPECT_EQ(std::uint64_t{d_->gain_sel[0]} * g, std::uint64_t{d_->gain_ref[0]} * v);
}

TEST_F(SettingStepsTest, TimebaseStepsKeepTheCentreAndRefuseAtTheEnds)
{
    d_->max_x_skip = d_->GetDividerMax();
    d_->FitTDivIndex();
    d_->t_div = d_->GetTDivMax();
    d_->FitTDivIndex();
    const std::uint32_t top = d_->t_div;
    EXPECT_FALSE(StepTDivIndex(*d_, 1));
    EXPECT_EQ(d_->t_div, top);

    // Downwards one accepted value at a time, the centre sample kept where the view allows.
    ASSERT_TRUE(StepTDivIndex(*d_, -1));
    EXPECT_LT(d_->t_div, top);
    const std::uint32_t lower = d_->t_div;
    ASSERT_TRUE(StepTDivIndex(*d_, 0));
    EXPECT_LT(d_->t_div, lower);
    EXPECT_TRUE(StepTDivIndex(*d_, 5));
    EXPECT_EQ(d_->t_div, lower);

    EXPECT_TRUE(SetTDivKeepingCenter(*d_, top));
    EXPECT_EQ(d_->t_div, top);
    EXPECT_FALSE(SetTDivKeepingCenter(*d_, 1000));
    EXPECT_EQ(d_->t_div, top);
}

TEST_F(SettingStepsTest, ViewCentreRoundTripsWithAndWithoutTrigger)
{
    // One sample per point: the conversions are exact.
    d_->x_zoom_out_hw = d_->x_zoom_out_sw = d_->x_zoom_in = 1;
    d_->x_offset = 40;
    const std::int32_t centre = GetViewCenterSample(*d_);
    d_->x_offset = 0;
    SetViewCenterSample(*d_, centre);
    EXPECT_EQ(d_->x_offset, 40);

    d_->EnableChannelA(true);
    SetTriggerSource(*d_, 1);
    d_->trigger_offset_samples = 0;
    d_->trigger_offset_extra = 0;
    d_->stopped_view_shift = 3;
    SetViewCenterSample(*d_, d_->PointsToSamples(25));
    EXPECT_EQ(d_->trigger_offset_extra, 25);
    EXPECT_EQ(d_->stopped_view_shift, 28);
    EXPECT_EQ(GetViewCenterSample(*d_), d_->PointsToSamples(25));
}

TEST_F(SettingStepsTest, PeakDetectorAndEdgeToggles)
{
    struct Case {
        std::uint32_t mode;
        bool accepted;
    };
    for (const Case& c : {Case{0, true}, Case{MODE_STOPPED, false}, Case{MODE_RECORDER, false}})
    {
        d_->mode = c.mode;
        const std::uint16_t before = d_->osc_cr;
        EXPECT_EQ(TogglePeakDetect(*d_), c.accepted) << c.mode;
        EXPECT_EQ((d_->osc_cr ^ before) == OSC_CR_MIN_MAX, c.accepted) << c.mode;
    }

    d_->mode = 0;
    SetTriggerSource(*d_, 0);
    d_->trigger_dir[0] = d_->trigger_dir[1] = d_->trigger_dir[2] = 0;
    CycleTriggerEdge(*d_);
    EXPECT_EQ(d_->trigger_dir[0] + d_->trigger_dir[1] + d_->trigger_dir[2], 0);
    SetTriggerSource(*d_, 3);
    const std::uint8_t expected[] = {1, 2, 0, 1};
    for (std::uint8_t e : expected)
    {
        CycleTriggerEdge(*d_);
        EXPECT_EQ(d_->trigger_dir[2], e);
    }
    EXPECT_EQ(d_->trigger_dir[0], 0);
}

}  // namespace
