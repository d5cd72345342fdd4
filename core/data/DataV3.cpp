#include "core/data/DataV3.h"

#include "core/data/DataPersistence.h"
#include "core/data/VariantRules.h"

#include <cstring>

BOOST_CLASS_EXPORT_KEY2(DataV3, "DataV3")
BOOST_CLASS_EXPORT_IMPLEMENT(DataV3)

template <class Archive>
void DataV3::serialize(Archive& archive, unsigned int)
{
    archive & boost::serialization::make_nvp("base", boost::serialization::base_object<OscData>(*this));
    archive & boost::serialization::make_nvp("calibration_offset", calibration_offset);
}

DataV3::DataV3()
{
    ResetDefaults();
    InitOwnSettings();
    AllocateSampleBuffers(kBufferLength);
    LoadSettings();
}

DataV3::~DataV3()
{
    SaveSettings();
}

void DataV3::InitOwnSettings()
{
    out_freq = GetBaseClock() / 1000 - 1;
    calibration_step = 0;
    calibration_steps = 3;
    std::memset(calibration_offset, 0, sizeof(calibration_offset));
}

bool DataV3::LoadSettings()
{
    if (data_persistence::LoadDataSection(*this)) return true;
    ClearAllFields();
    ResetDefaults();
    InitOwnSettings();
    return false;
}

void DataV3::SaveSettings()
{
    data_persistence::SaveDataSection(*this);
}

void DataV3::ResetDefaults()
{
    OscData::ResetDefaults();
    out_freq = GetBaseClock() / 1000 - 1;
}

bool DataV3::BothChannelsOn() const
{
    return (osc_cr & (OSC_CR_CH_A_ON | OSC_CR_CH_B_ON)) == (OSC_CR_CH_A_ON | OSC_CR_CH_B_ON);
}

unsigned DataV3::GetTDivMin() const
{
    return (mode & MODE_RECORDER) != 0 ? 17 : 11;
}

unsigned DataV3::GetTDivMax() const
{
    return (mode & MODE_RECORDER) != 0 ? 33 : 24;
}

unsigned DataV3::GetMemoryDepth() const
{
    unsigned depth = 40000;
    if ((osc_cr & OSC_CR_MIN_MAX) != 0) depth /= 2;
    if (BothChannelsOn()) depth /= 2;
    return depth;
}

unsigned DataV3::GetFrameLength() const
{
    return BothChannelsOn() ? 10000 : 20000;
}

unsigned DataV3::GetSampleRateKHz() const
{
    unsigned rate = GetMaxSampleRateKHz();
    if ((osc_cr & OSC_CR_MIN_MAX) != 0) rate /= 2;
    if (BothChannelsOn()) rate /= 2;
    return rate;
}

unsigned DataV3::GetMaxSampleRateKHz() const
{
    return BothChannelsOn() || (osc_cr & OSC_CR_MIN_MAX) != 0 ? 400 : 500;
}

bool DataV3::IsDividerValid(unsigned divider) const
{
    if (divider == 0) return true;
    // The generator divides by a power of two (up to 2^10), a prescaler of up to 255 and a
    // 15-bit counter.
    int n = 0;
    for (int candidate = 10; candidate >= 1; --candidate) {
        if (divider % (1u << candidate) == 0) {
            n = candidate;
            break;
        }
    }
    const unsigned q = divider >> n;
    if (q < 32768) return true;
    unsigned k = 1;
    for (unsigned candidate = 255; candidate >= 2; --candidate) {
        if (q % candidate == 0) {
            k = candidate;
            break;
        }
    }
    return q / k < 32768;
}

int DataV3::GetGainIndex(unsigned u) const
{
    return variant_rules::GainIndexAroundMiddle(u);
}

signed char DataV3::GetCalibrationOffset(int channel) const
{
    if (channel < 0 || channel > 1) return 0;
    int setup = 0;
    if (BothChannelsOn())
        setup = 2;
    else if ((osc_cr & OSC_CR_CH_A_ON) == 0)
        setup = 1;
    return calibration_offset[channel][setup];
}

void DataV3::SetCalibrationOffsets(unsigned, const signed char* data, std::size_t size)
{
    if (data == nullptr || size < sizeof(calibration_offset)) return;
    std::memcpy(calibration_offset, data, sizeof(calibration_offset));
}

bool DataV3::SwitchChannel(bool channelA, bool on)
{
    if ((mode & MODE_STOPPED) != 0) return false;
    const std::uint16_t saved = osc_cr;
    const bool applied = channelA ? BaseEnableChannelA(on) : BaseEnableChannelB(on);
    if (!applied) return false;
    if (SolveTimebase() == 0) {
        changes |= CHANGE_CAPTURE;
        return true;
    }
    // Memory and rate halve with both channels on: the current time/div would become
    // unreachable, so the switch is refused and the register put back as it was.
    osc_cr = saved;
    SolveTimebase();
    return false;
}

bool DataV3::EnableChannelA(bool on)
{
    return SwitchChannel(true, on);
}

bool DataV3::EnableChannelB(bool on)
{
    return SwitchChannel(false, on);
}

OscData* CreateDataV3()
{
    return new DataV3();
}
