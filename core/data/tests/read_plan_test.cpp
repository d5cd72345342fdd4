// Capture read planning: the stretch of device memory fetched for the screen, and its report.

#include "support/DataTestSupport.h"

#include <random>

namespace {

constexpr int kDepth = 131072;  // version 1, plain samples
const char* const kHeader = "x_skip=3\nx_zoom_out_hw=1\nx_zoom_out_sw=1\nx_zoom_in=1\n";

// Version 1 at 1 us/div (fast) or 50 ms/div (slow), one stored sample per point.
std::unique_ptr<OscData> Model(std::uint16_t cr, std::uint32_t mode, unsigned tDiv = 9)
{
    auto data = MakeVariant(1);
    data->osc_cr = static_cast<std::uint16_t>(OSC_CR_DEFAULT_BIT | cr);
    data->mode = mode;
    data->t_div = tDiv;
    data->x_skip = 3;
    data->x_zoom_out_hw = data->x_zoom_out_sw = data->x_zoom_in = 1;
    return data;
}

void ExpectPlan(const ChannelReadPlan& plan, int channel, int bufOffset, int offset, int length)
{
    EXPECT_EQ(plan.channel, channel);
    EXPECT_EQ(plan.buf_offset, bufOffset);
    EXPECT_EQ(plan.offset_sample, offset);
    EXPECT_EQ(plan.length, length);
}

TEST_F(DataModelTest, TriggerNotYetFoundRequestsNothing)
{
    auto data = Model(OSC_CR_CH_A_ON | OSC_CR_TRIGGER_ON, 0);
    data->osc_sr = OSC_SR_TPREV | OSC_SR_TRWRK;
    ChannelReadPlan plan = data->PlanChannelRead(kDepth + 500, 10, 70000);
    ExpectPlan(plan, 3, 0, 0, 0);
    EXPECT_EQ(plan.text, std::string(kHeader) + "CTCH0 TROK0 TPREV1 TRWRK1 TWI0 TRBIT0\n");
    EXPECT_EQ(data->last_num_catched_samples, 500);  // the count runs on around the memory

    // Found, but the cycle still waits for the trigger's rising edge in STATE.
    data->mode = MODE_WAIT_TRIGGER;
    data->osc_sr = OSC_SR_CTCH | OSC_SR_TROK | OSC_SR_TWI | OSC_SR_TRBIT;
    plan = data->PlanChannelRead(kDepth + 500, 10, 70000);
    ExpectPlan(plan, 3, 0, 0, 0);
    EXPECT_EQ(plan.text, std::string(kHeader) + "CTCH1 TROK1 TPREV0 TRWRK0 TWI1 TRBIT1\n");
}

TEST_F(DataModelTest, TriggeredCaptureIsReadCentredOnTheTrigger)
{
    auto data = Model(OSC_CR_CH_A_ON | OSC_CR_TRIGGER_ON, 0);
    data->osc_sr = OSC_SR_TROK | OSC_SR_TWI;
    data->first_not_ready_sample = 17;
    ChannelReadPlan plan = data->PlanChannelRead(kDepth + 500, 1234, 70000);
    // The trigger at 70000 sits in the middle of the 300 points read from 69850.
    ExpectPlan(plan, 0, 0, 69850, 300);
    EXPECT_EQ(plan.text, std::string(kHeader) +
                             "CTCH0 TROK1 TPREV0 TRWRK0 TWI1 TRBIT0\n"
                             "CH:0 BOff:00000 Off:069850 Len:300\n"
                             "samples_before_trig=1234\nfirst_trig_sample=70000\n"
                             "num_catched_samples=131572\noffset_sample=69850\n"
                             "trigger_offset_samples=0\ntrigger_buffer_start_sample=4464\n"
                             "trigger_offset_extra=0\nx_offset=65386\nnum=66036\n");
    EXPECT_EQ(data->first_not_ready_sample, 300);
    EXPECT_EQ(data->x_offset, 65386);
    EXPECT_EQ(data->trigger_buffer_start_sample, 4464);
    EXPECT_EQ(data->last_num_catched_samples, 66036);

    // Both channels; the trigger bit moves plain samples on by one; a trigger near the start
    // of the memory wraps the window round its end.
    data->osc_cr |= OSC_CR_CH_B_ON;
    data->osc_sr |= OSC_SR_TRBIT;
    plan = data->PlanChannelRead(500, 0, 10);
    ExpectPlan(plan, 2, 0, kDepth - 139, 300);
    EXPECT_EQ(data->trigger_buffer_start_sample, 11 - kDepth / 2 + kDepth);

    // A fast time base waits until the window after the trigger is captured; a slow one reads
    // what there is.
    data->osc_cr &= static_cast<std::uint16_t>(~OSC_CR_CH_A_ON);
    data->osc_sr = OSC_SR_TROK;
    data->first_not_ready_sample = 17;
    plan = data->PlanChannelRead(100, 0, 70000);
    ExpectPlan(plan, 3, 0, 0, 0);
    EXPECT_NE(plan.text.find("offset_sample=69850\n"), std::string::npos);
    EXPECT_EQ(plan.text.find("CH:"), std::string::npos);
    EXPECT_EQ(data->first_not_ready_sample, 17);
    data->t_div = 23;  // 50 ms/div
    plan = data->PlanChannelRead(100, 0, 70000);
    ExpectPlan(plan, 1, 0, 69850, 250);
    EXPECT_NE(plan.text.find("CH:1 BOff:00000 Off:069850 Len:250\n"), std::string::npos);
    EXPECT_EQ(data->first_not_ready_sample, 250);
}

TEST_F(DataModelTest, TriggeredCaptureWithZoomAndStoppedViewShift)
{
    auto data = Model(OSC_CR_CH_A_ON | OSC_CR_TRIGGER_ON, MODE_STOPPED);
    data->osc_sr = OSC_SR_CTCH | OSC_SR_TROK;
    data->x_zoom_out_sw = 2;
    data->x_zoom_in = 5;
    data->trigger_offset_extra = -7;
    const ChannelReadPlan plan = data->PlanChannelRead(kDepth + 500, 0, 70000);
    // 327678 points in the memory: the centred view starts at 163689, 7 further right.
    EXPECT_EQ(data->x_offset, 163696);
    ExpectPlan(plan, 0, 0, 4464 + 163696 * 2 / 5, 300);
    EXPECT_EQ(data->interp_phase, 1);
}

TEST_F(DataModelTest, StoppedCaptureWithoutTriggerIsReadAtTheViewPosition)
{
    auto data = Model(OSC_CR_CH_A_ON, MODE_STOPPED);
    data->osc_sr = OSC_SR_CTCH;
    data->x_offset = 1000;
    ChannelReadPlan plan = data->PlanChannelRead(5, 0, 0);  // complete: the whole memory
    ExpectPlan(plan, 0, 0, 1000, 300);
    EXPECT_EQ(plan.text, std::string(kHeader) + "CTCH1 TROK0 TPREV0 TRWRK0 TWI0 TRBIT0\n" +
                             "CH:0 BOff:00000 Off:001000 Len:300\n");
    EXPECT_EQ(data->first_not_ready_sample, 300);
    EXPECT_EQ(data->last_num_catched_samples, kDepth);

    // Beyond the captured points (or before the first) the view starts over at sample 0.
    for (int offset : {200000, -5}) {
        data->x_offset = offset;
        plan = data->PlanChannelRead(0, 0, 0);
        ExpectPlan(plan, 0, 0, 0, 300);
        EXPECT_EQ(data->x_offset, 0);
    }

    // An incomplete capture shows what there is.
    data->osc_sr = 0;
    data->x_offset = 40;
    plan = data->PlanChannelRead(250, 0, 0);
    ExpectPlan(plan, 0, 0, 40, 210);
    EXPECT_EQ(data->first_not_ready_sample, 210);

    // Zoomed in: the read starts at the step under the first point and carries the margin the
    // interpolation needs; the phase is where the first point lies on the zoom grid.
    data->osc_sr = OSC_SR_CTCH;
    data->osc_cr |= OSC_CR_CH_B_ON;
    data->x_zoom_out_sw = 2;
    data->x_zoom_in = 5;
    data->x_offset = 1003;
    plan = data->PlanChannelRead(0, 0, 0);
    ExpectPlan(plan, 2, 0, 401, 123);
    EXPECT_EQ(data->interp_phase, 3);

    // The margin never takes the read past the 300 points of the screen array.
    data->x_zoom_out_sw = 19;
    data->x_zoom_in = 20;
    data->x_offset = 0;
    ASSERT_EQ(data->PointsToSamplesWithMargin(300), 304);
    plan = data->PlanChannelRead(0, 0, 0);
    ExpectPlan(plan, 2, 0, 0, 300);
}

std::string RollLines(int delta, int cur, int last, int deltaFrame, int curPoints, int lastPoints)
{
    return StringFormat("delta_catched_samples=%d\ncur_frame=%d\nlast_frame=%d\ndelta_frame=%d\n"
                        "cur_frame_points=%d\nlast_frame_points=%d\n",
                        delta, cur, last, deltaFrame, curPoints, lastPoints);
}

std::string TailLines(int n, int last, int notReady, int offset)
{
    return StringFormat("num_catched_samples=%d\nlast_num_catched_samples=%d\n"
                        "first_not_ready_sample=%d\nx_offset=%d\n",
                        n, last, notReady, offset);
}

TEST_F(DataModelTest, RollingAtAFastTimeBaseShowsWholeFrames)
{
    auto data = Model(OSC_CR_CH_A_ON, 0);
    const std::string header = std::string(kHeader) + "CTCH0 TROK0 TPREV0 TRWRK0 TWI0 TRBIT0\n";

    // Less than one frame in the memory: nothing to show yet.
    ChannelReadPlan plan = data->PlanChannelRead(100, 0, 0);
    ExpectPlan(plan, 3, 0, 0, 0);
    EXPECT_EQ(plan.text, header + RollLines(100, 0, 0, 0, 100, 0) + TailLines(100, 0, 0, 0));

    // Two frames and a bit: the last complete frame.
    plan = data->PlanChannelRead(650, 0, 0);
    ExpectPlan(plan, 0, 0, 300, 300);
    EXPECT_EQ(plan.text, header + RollLines(550, 2, 0, 2, 50, 100) +
                             "CH:0 BOff:00000 Off:000300 Len:300\n" + TailLines(650, 100, 300, 300));
    EXPECT_EQ(data->x_offset, 300);

    // Fewer samples than before: a new pass over the memory.
    plan = data->PlanChannelRead(200, 0, 0);
    ExpectPlan(plan, 3, 0, 0, 0);
    EXPECT_EQ(data->delta_frame, 0);
    EXPECT_EQ(data->last_num_catched_samples, 200);

    // A full memory (the capture completes: the whole depth counts), then a new cycle that
    // reports a full memory again starts a new pass rather than showing no progress.
    data->osc_sr = OSC_SR_CTCH;
    plan = data->PlanChannelRead(0, 0, 0);
    EXPECT_EQ(data->cur_frame, kDepth / 300);
    EXPECT_EQ(data->cur_frame_points, kDepth % 300);
    ExpectPlan(plan, 0, 0, (kDepth / 300 - 1) * 300, 300);
    EXPECT_EQ(data->delta_catched_samples, kDepth - 200);
    plan = data->PlanChannelRead(0, 0, 0);
    EXPECT_EQ(data->delta_catched_samples, 0);  // same cycle: nothing new
    data->cycle_counter = 1;
    plan = data->PlanChannelRead(0, 0, 0);
    EXPECT_EQ(data->delta_catched_samples, kDepth);
    EXPECT_EQ(data->delta_frame, kDepth / 300);
    EXPECT_NE(plan.text.find("last_num_catched_samples=0\n"), std::string::npos);
    EXPECT_EQ(data->last_plan_cycle, 1);
}

TEST_F(DataModelTest, RollingAtASlowTimeBaseFetchesPointsAsTheyArrive)
{
    auto data = Model(OSC_CR_CH_A_ON | OSC_CR_CH_B_ON, 0, 23);
    const std::string header = std::string(kHeader) + "CTCH0 TROK0 TPREV0 TRWRK0 TWI0 TRBIT0\n";

    ChannelReadPlan plan = data->PlanChannelRead(120, 0, 0);
    ExpectPlan(plan, 2, 0, 0, 120);
    EXPECT_EQ(plan.text, header + RollLines(120, 0, 0, 0, 120, 0) +
                             "CH:2 BOff:00000 Off:000000 Len:120\n" + TailLines(120, 0, 120, 0));
    data->valid_points = 120;

    // The frame filled up and the next began: finish the first one.
    plan = data->PlanChannelRead(350, 0, 0);
    ExpectPlan(plan, 2, 120, 120, 180);
    EXPECT_EQ(data->first_not_ready_sample, 300);
    EXPECT_EQ(data->x_offset, 0);
    data->valid_points = 300;

    // Then the new frame from its start.
    plan = data->PlanChannelRead(400, 0, 0);
    ExpectPlan(plan, 2, 0, 300, 100);
    EXPECT_EQ(data->first_not_ready_sample, 100);
    EXPECT_EQ(data->x_offset, 0);
    data->valid_points = 100;

    // And on from where the last read ended.
    plan = data->PlanChannelRead(450, 0, 0);
    ExpectPlan(plan, 2, 100, 400, 50);
    EXPECT_EQ(plan.text, header + RollLines(50, 1, 1, 0, 150, 100) +
                             "CH:2 BOff:00100 Off:000400 Len:50\n" + TailLines(450, 400, 150, 300));
}

// Whatever the device reports and whatever the settings, a plan reads forwards, inside the
// memory and inside the screen array, and the phase lies on the zoom grid.
TEST_F(DataModelTest, EveryPlanFitsTheScreenArrayAndTheMemory)
{
    std::mt19937 random(2026);
    auto pick = [&random](std::int64_t low, std::int64_t high) {
        return std::uniform_int_distribution<std::int64_t>(low, high)(random);
    };
    const int extremes[] = {0, 1, -1, INT32_MAX, INT32_MIN, 299, 300, 301};
    auto wire = [&]() -> int {
        if (pick(0, 4) == 0) return extremes[pick(0, 7)];
        return static_cast<int>(pick(0, 300000));
    };
    for (int version = 1; version <= 5; ++version) {
        auto data = MakeVariant(version);
        for (int round = 0; round < 3000; ++round) {
            data->osc_cr = static_cast<std::uint16_t>(
                OSC_CR_DEFAULT_BIT | (pick(0, 1) ? OSC_CR_TRIGGER_ON : 0) | (pick(0, 1) ? OSC_CR_MIN_MAX : 0) |
                (pick(0, 2) ? OSC_CR_CH_A_ON : 0) | (pick(0, 1) ? OSC_CR_CH_B_ON : 0));
            data->mode = (pick(0, 1) ? MODE_STOPPED : 0) | (pick(0, 3) == 0 ? MODE_WAIT_TRIGGER : 0);
            data->osc_sr = static_cast<std::uint16_t>(pick(0, 63));
            if (pick(0, 9) == 0) {
                data->t_div = static_cast<unsigned>(pick(data->GetTDivMin(), data->GetTDivMax()));
                data->max_x_skip = static_cast<unsigned>(pick(0, data->GetDividerMax()));
                data->SolveTimebase();
            }
            if (pick(0, 9) == 0) {
                data->trigger_offset_samples = static_cast<int>(pick(-200000, 200000));
                data->trigger_offset_extra = static_cast<int>(pick(-200000, 200000));
                data->x_offset = static_cast<int>(pick(-1000, 400000));
                data->valid_points = static_cast<int>(pick(0, 300));
            }
            if (pick(0, 5) == 0) ++data->cycle_counter;
            const ChannelReadPlan plan = data->PlanChannelRead(wire(), wire(), wire());
            ASSERT_GE(plan.channel, 0);
            ASSERT_LE(plan.channel, 3);
            ASSERT_EQ(plan.text.rfind("x_skip=", 0), 0u);
            if (plan.channel == 3) {
                ExpectPlan(plan, 3, 0, 0, 0);
            } else {
                ASSERT_GE(plan.buf_offset, 0);
                ASSERT_GE(plan.length, 0);
                ASSERT_LE(plan.buf_offset + plan.length, SCREEN_POINTS);
                ASSERT_GE(plan.offset_sample, 0) << plan.text;
                ASSERT_LE(plan.offset_sample, static_cast<int>(data->GetMemoryDepth()));
            }
            ASSERT_GE(data->interp_phase, 0);
            ASSERT_LT(data->interp_phase, data->x_zoom_in);
        }
    }
}

}  // namespace
