// The five device variants: constants, limits, calibration and channel rules.

#include "core/data/DataV1.h"
#include "core/data/DataV3.h"
#include "core/data/DataV5.h"
#include "support/DataTestSupport.h"

#include <bit>
#include <vector>

namespace {

struct VariantTable {
    int version;
    BYTE caps;
    const char* section;
    unsigned tdivMin, tdivMax, tdivMinRec, tdivMaxRec;
    unsigned vdivMin, vdivMax;
    // Memory depth, sample rate and top rate for: plain, min/max, both channels, both + min/max.
    unsigned memory[4];
    unsigned rate[4];
    unsigned maxRate[4];
    unsigned frame[2];  // one channel, both channels
    unsigned baseClock;
    unsigned dividerMax, dividerMaxRec;
    unsigned stepMv;
    unsigned buffer;
    unsigned outFreqDefault;
};

const VariantTable kVariants[] = {
    {1, 45, "data_v1", 4, 28, 4, 28, 0, 11,
     {131072, 65536, 131072, 65536}, {40000, 20000, 40000, 20000}, {40000, 40000, 40000, 40000},
     {65536, 65536}, 20000000, 39999, 39999, 1, 131072, 199},
    {2, 11, "data_v2", 5, 26, 17, 33, 5, 7,
     {3000, 1500, 3000, 1500}, {80000, 40000, 80000, 40000}, {80000, 80000, 80000, 80000},
     {1500, 1500}, 40000000, 3999999, 39999999, 50, 3000, 399},
    {3, 9, "data_v3", 11, 24, 17, 33, 5, 7,
     {40000, 20000, 20000, 10000}, {500, 200, 200, 100}, {500, 400, 400, 400},
     {20000, 10000}, 24000000, 399999, 399999, 50, 40000, 23999},
    {4, 18, "data_v4", 5, 26, 17, 33, 1, 0,
     {3000, 1500, 3000, 1500}, {80000, 40000, 80000, 40000}, {80000, 80000, 80000, 80000},
     {1500, 1500}, 40000000, 3999999, 39999999, 0, 3000, 399},
    {5, 27, "data_v5", 11, 24, 17, 33, 5, 7,
     {5000, 2500, 2500, 1250}, {500, 250, 500, 250}, {500, 500, 500, 500},
     {2500, 1250}, 36000000, 399999, 399999, 50, 5000, 35999},
};

class VariantGetters : public DataModelTest, public ::testing::WithParamInterface<VariantTable> {};

TEST_P(VariantGetters, ConstantsAndLimitsFollowTheConfiguration)
{
    const VariantTable& v = GetParam();
    auto data = MakeVariant(v.version);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->GetVersion(), v.version);
    EXPECT_EQ(data->GetChannelCaps(), v.caps);
    EXPECT_EQ(data->GetSectionName(), v.section);
    EXPECT_EQ(data->GetVDivMin(), v.vdivMin);
    EXPECT_EQ(data->GetVDivMax(), v.vdivMax);
    EXPECT_EQ(data->GetBaseClock(), v.baseClock);
    EXPECT_EQ(data->GetStepMillivolts(), v.stepMv);
    EXPECT_EQ(data->GetSampleBufferLength(), v.buffer);
    EXPECT_NE(data->sample_buffer[0], nullptr);
    EXPECT_NE(data->sample_buffer[1], nullptr);
    EXPECT_EQ(data->out_freq, v.outFreqDefault);

    const std::uint16_t both = OSC_CR_CH_A_ON | OSC_CR_CH_B_ON;
    const std::uint16_t configs[4] = {OSC_CR_CH_A_ON, OSC_CR_CH_A_ON | OSC_CR_MIN_MAX, both,
                                      static_cast<std::uint16_t>(both | OSC_CR_MIN_MAX)};
    for (int c = 0; c < 4; ++c) {
        SCOPED_TRACE(c);
        data->osc_cr = configs[c];
        EXPECT_EQ(data->GetMemoryDepth(), v.memory[c]);
        EXPECT_EQ(data->GetSampleRateKHz(), v.rate[c]);
        EXPECT_EQ(data->GetMaxSampleRateKHz(), v.maxRate[c]);
        EXPECT_LE(data->GetMemoryDepth(), data->GetSampleBufferLength());
        // Logic lines on one channel change nothing; on both only version 5 stops sharing.
        data->osc_cr = static_cast<std::uint16_t>(configs[c] | OSC_CR_LOGIC_A);
        EXPECT_EQ(data->GetMemoryDepth(), v.memory[c]);
        EXPECT_EQ(data->GetSampleRateKHz(), v.rate[c]);
        if (v.version != 5) {
            data->osc_cr = static_cast<std::uint16_t>(configs[c] | OSC_CR_LOGIC_A | OSC_CR_LOGIC_B);
            EXPECT_EQ(data->GetMemoryDepth(), v.memory[c]);
            EXPECT_EQ(data->GetSampleRateKHz(), v.rate[c]);
            EXPECT_EQ(data->GetMaxSampleRateKHz(), v.maxRate[c]);
        }
    }
    data->osc_cr = OSC_CR_CH_B_ON;
    EXPECT_EQ(data->GetFrameLength(), v.frame[0]);
    data->osc_cr = both;
    EXPECT_EQ(data->GetFrameLength(), v.frame[1]);

    data->mode = 0;
    EXPECT_EQ(data->GetTDivMin(), v.tdivMin);
    EXPECT_EQ(data->GetTDivMax(), v.tdivMax);
    EXPECT_EQ(data->GetDividerMax(), v.dividerMax);
    data->mode = MODE_RECORDER;
    EXPECT_EQ(data->GetTDivMin(), v.tdivMinRec);
    EXPECT_EQ(data->GetTDivMax(), v.tdivMaxRec);
    EXPECT_EQ(data->GetDividerMax(), v.dividerMaxRec);
}

INSTANTIATE_TEST_SUITE_P(AllVariants, VariantGetters, ::testing::ValuesIn(kVariants),
                         [](const auto& info) { return std::string("V").append(std::to_string(info.param.version)); });

TEST_F(DataModelTest, GainIndexPerVariant)
{
    const int v1[] = {1, 1, 1, 4, 4, 4, 7, 7, 7, 10, 10, 10};
    const int middle[] = {0, 0, 3, 3, 3, 6, 6, 6, 9};
    auto d1 = MakeVariant(1);
    for (unsigned u = 0; u < 12; ++u) EXPECT_EQ(d1->GetGainIndex(u), v1[u]) << u;
    for (int version : {2, 3, 5}) {
        auto d = MakeVariant(version);
        for (unsigned u = 0; u < 9; ++u) EXPECT_EQ(d->GetGainIndex(u), middle[u]) << version << " " << u;
    }
    auto d4 = MakeVariant(4);
    EXPECT_EQ(d4->GetGainIndex(0), 0);
    EXPECT_EQ(d4->GetGainIndex(7), 0);
}

TEST_F(DataModelTest, Version5MemoryIsNotSharedByTwoLogicChannels)
{
    auto data = MakeVariant(5);
    data->osc_cr = OSC_CR_CH_A_ON | OSC_CR_CH_B_ON | OSC_CR_LOGIC_A | OSC_CR_LOGIC_B;
    EXPECT_EQ(data->GetMemoryDepth(), 5000u);
    EXPECT_EQ(data->GetFrameLength(), 2500u);
    data->osc_cr = OSC_CR_CH_A_ON | OSC_CR_CH_B_ON | OSC_CR_LOGIC_A;
    EXPECT_EQ(data->GetMemoryDepth(), 2500u);
    EXPECT_EQ(data->GetFrameLength(), 1250u);
}

// The generator divider rule of version 3, written from its description independently of the
// variant's loop structure.
bool DividerReachable(unsigned d)
{
    if (d == 0) return true;
    const unsigned n = std::min(10u, static_cast<unsigned>(std::countr_zero(d)));
    const unsigned q = d >> n;
    if (q < 32768) return true;
    unsigned k = 1;
    for (unsigned candidate = 2; candidate <= 255; ++candidate)
        if (q % candidate == 0) k = candidate;
    return q / k < 32768;
}

TEST_F(DataModelTest, Version3DividerRuleMatchesBruteForce)
{
    auto data = MakeVariant(3);
    EXPECT_TRUE(data->IsDividerValid(98304));    // 2^10 * 96
    EXPECT_FALSE(data->IsDividerValid(65537));   // prime
    EXPECT_TRUE(data->IsDividerValid(0));
    std::vector<unsigned> values;
    for (unsigned d = 0; d < 300000; ++d) values.push_back(d);
    for (unsigned d : {0x7FFFFFFFu, 0xFFFFFFFFu, 32768u * 1024u * 255u, 32767u * 1024u * 255u,
                       1u << 31, 65537u * 255u, 65537u * 256u})
        values.push_back(d);
    for (unsigned d : values) ASSERT_EQ(data->IsDividerValid(d), DividerReachable(d)) << d;
}

TEST_F(DataModelTest, OtherVariantsDividers)
{
    for (int version : {1, 2, 4}) {
        auto data = MakeVariant(version);
        EXPECT_TRUE(data->IsDividerValid(0));
        EXPECT_TRUE(data->IsDividerValid(1));
        EXPECT_TRUE(data->IsDividerValid(65537));
    }
    auto v5 = MakeVariant(5);
    EXPECT_FALSE(v5->IsDividerValid(1));
    EXPECT_TRUE(v5->IsDividerValid(0));
    EXPECT_TRUE(v5->IsDividerValid(2));
}

TEST_F(DataModelTest, Version1CalibrationTableFollowsCouplingAndGainOfBothChannels)
{
    DataV1 data;
    signed char table[128];
    for (int i = 0; i < 128; ++i) table[i] = static_cast<signed char>(i - 64);
    data.SetCalibrationOffsets(0, table, sizeof(table));  // the claimed count is not used

    struct Case {
        std::uint16_t analog;
        int indexA;  // index for channel A; channel B is 64 further
    };
    const Case cases[] = {{0x00, 0}, {0x02, 1}, {0x0C, 6}, {0x0E, 7}, {0x20, 8},
                          {0xC0, 48}, {0xE0, 56}, {0xEE, 63}, {0x4A, 2 * 8 + 5}};
    for (const Case& c : cases) {
        data.analog_cr = c.analog;
        EXPECT_EQ(data.GetCalibrationOffset(0), table[c.indexA]) << std::hex << c.analog;
        EXPECT_EQ(data.GetCalibrationOffset(1), table[64 + c.indexA]) << std::hex << c.analog;
        EXPECT_EQ(data.GetCalibrationOffset(2), 0);
        EXPECT_EQ(data.GetCalibrationOffset(-1), 0);
    }
}

TEST_F(DataModelTest, Version1GainBitsFollowTheVoltsPerDivDecade)
{
    DataV1 data;
    const std::uint16_t bitsA[] = {0x8, 0x8, 0x8, 0xC, 0xC, 0xC, 0x0, 0x0, 0x0, 0x4, 0x4, 0x4};
    for (unsigned u = 0; u < 12; ++u) {
        data.u_div[0] = u;
        data.u_div[1] = 11 - u;
        data.ApplyGain(0);
        data.ApplyGain(1);
        EXPECT_EQ(data.analog_cr & ANALOG_CR_GAIN_A, bitsA[u]) << u;
        EXPECT_EQ(data.analog_cr & ANALOG_CR_GAIN_B, bitsA[11 - u] << 4) << u;
    }

    // Only a real change of the bits asks for a register write; coupling bits stay.
    data.analog_cr = ANALOG_CR_COUPLING_A | ANALOG_CR_COUPLING_B;
    data.u_div[0] = 6;  // pattern 0
    data.u_div[1] = 6;
    data.changes = 0;
    data.ApplyGain(0);
    data.ApplyGain(1);
    EXPECT_EQ(data.changes, 0u);
    data.u_div[2] = 0;
    data.ApplyGain(2);
    EXPECT_EQ(data.changes, 0u);
    data.u_div[0] = 3;
    data.ApplyGain(0);
    EXPECT_EQ(data.changes, CHANGE_ANALOG);
    EXPECT_EQ(data.analog_cr, ANALOG_CR_COUPLING_A | ANALOG_CR_COUPLING_B | 0xC);
}

TEST_F(DataModelTest, CalibrationOffsetsCopyExactlyTheVariantsOwnSize)
{
    signed char packet[128];
    for (int i = 0; i < 128; ++i) packet[i] = static_cast<signed char>(i + 1);

    DataV3 v3;
    v3.SetCalibrationOffsets(200, packet, sizeof(packet));
    const std::uint16_t onlyA = OSC_CR_CH_A_ON;
    const std::uint16_t onlyB = OSC_CR_CH_B_ON;
    const std::uint16_t both = OSC_CR_CH_A_ON | OSC_CR_CH_B_ON;
    v3.osc_cr = onlyA;
    EXPECT_EQ(v3.GetCalibrationOffset(0), 1);
    EXPECT_EQ(v3.GetCalibrationOffset(1), 4);
    v3.osc_cr = onlyB;
    EXPECT_EQ(v3.GetCalibrationOffset(0), 2);
    EXPECT_EQ(v3.GetCalibrationOffset(1), 5);
    v3.osc_cr = both;
    EXPECT_EQ(v3.GetCalibrationOffset(0), 3);
    EXPECT_EQ(v3.GetCalibrationOffset(1), 6);
    EXPECT_EQ(v3.GetCalibrationOffset(2), 0);

    DataV5 v5;
    v5.SetCalibrationOffsets(0, packet, sizeof(packet));
    EXPECT_EQ(v5.GetCalibrationOffset(0), 1);
    EXPECT_EQ(v5.GetCalibrationOffset(1), 2);
    EXPECT_EQ(v5.GetCalibrationOffset(2), 0);

    // A buffer shorter than the variant's table is no calibration table.
    signed char shortPacket[1] = {99};
    v5.SetCalibrationOffsets(1, shortPacket, sizeof(shortPacket));
    EXPECT_EQ(v5.GetCalibrationOffset(0), 1);

    for (int version : {2, 4}) {
        auto data = MakeVariant(version);
        data->SetCalibrationOffsets(128, packet, sizeof(packet));
        EXPECT_EQ(data->GetCalibrationOffset(0), 0);
        EXPECT_EQ(data->GetCalibrationOffset(1), 0);
    }
}

TEST_F(DataModelTest, Version3ChannelSwitchesAreRefusedWhenStoppedOrUnreachable)
{
    DataV3 data;
    ASSERT_EQ(data.osc_cr & (OSC_CR_CH_A_ON | OSC_CR_CH_B_ON), OSC_CR_CH_A_ON);

    // Stopped: captured data cannot change its channel set.
    data.mode |= MODE_STOPPED;
    EXPECT_FALSE(data.EnableChannelB(true));
    EXPECT_EQ(data.osc_cr & OSC_CR_CH_B_ON, 0);
    data.mode &= ~MODE_STOPPED;

    data.changes = 0;
    EXPECT_TRUE(data.EnableChannelB(true));
    EXPECT_NE(data.osc_cr & OSC_CR_CH_B_ON, 0);
    EXPECT_NE(data.changes & CHANGE_CAPTURE, 0u);
    EXPECT_TRUE(data.EnableChannelA(false));
    EXPECT_EQ(data.osc_cr & OSC_CR_CH_A_ON, 0);
    EXPECT_FALSE(data.EnableChannelB(false));  // the last channel stays on
    EXPECT_TRUE(data.EnableChannelA(true));
    EXPECT_TRUE(data.EnableChannelB(false));

    // 20 us/div is reachable with one channel (500 kHz) but would need a zoom of 50 with
    // both (200 kHz): the switch is refused and the register put back.
    data.t_div = 10;
    ASSERT_EQ(data.SolveTimebase(), 0);
    const ModelImage before(data);
    EXPECT_FALSE(data.EnableChannelB(true));
    EXPECT_TRUE(ModelImage(data) == before);
}

TEST_F(DataModelTest, PairCountingVariantsMoveInEvenSteps)
{
    for (int version : {2, 4}) {
        auto data = MakeVariant(version);
        data->osc_cr &= static_cast<std::uint16_t>(~OSC_CR_TRIGGER_ON);
        data->mode |= MODE_STOPPED;
        data->last_num_catched_samples = data->GetMemoryDepth();
        data->x_offset = 0;
        data->MoveHorizontal(3);
        EXPECT_EQ(data->x_offset, 6);
        EXPECT_FALSE(data->SetHorizontalPosition(7));  // 6: no change
        EXPECT_TRUE(data->SetHorizontalPosition(9));
        EXPECT_EQ(data->x_offset, 8);
        EXPECT_TRUE(data->SetHorizontalPosition(-3));
        EXPECT_EQ(data->x_offset, 0);  // -2 is clamped to the captured data's start
    }
    auto v1 = MakeVariant(1);
    v1->mode |= MODE_STOPPED;
    v1->last_num_catched_samples = v1->GetMemoryDepth();
    v1->MoveHorizontal(3);
    EXPECT_EQ(v1->x_offset, 3);
}

}  // namespace
