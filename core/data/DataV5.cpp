#include "core/data/DataV5.h"

#include "core/data/DataPersistence.h"
#include "core/data/VariantRules.h"

#include <cstring>

BOOST_CLASS_EXPORT_KEY2(DataV5, "DataV5")
BOOST_CLASS_EXPORT_IMPLEMENT(DataV5)

template <class Archive>
void DataV5::serialize(Archive& archive, unsigned int)
{
    archive & boost::serialization::make_nvp("base", boost::serialization::base_object<OscData>(*this));
    archive & boost::serialization::make_nvp("calibration_offset", calibration_offset);
}

DataV5::DataV5()
{
    ResetDefaults();
    InitOwnSettings();
    AllocateSampleBuffers(kBufferLength);
    LoadSettings();
}

DataV5::~DataV5()
{
    SaveSettings();
}

void DataV5::InitOwnSettings()
{
    out_freq = 35999;
    calibration_step = 0;
    calibration_steps = 1;
    std::memset(calibration_offset, 0, sizeof(calibration_offset));
}

bool DataV5::LoadSettings()
{
    if (data_persistence::LoadDataSection(*this)) return true;
    ClearAllFields();
    ResetDefaults();
    InitOwnSettings();
    return false;
}

void DataV5::SaveSettings()
{
    data_persistence::SaveDataSection(*this);
}

void DataV5::ResetDefaults()
{
    OscData::ResetDefaults();
    out_freq = GetBaseClock() / 1000 - 1;
}

bool DataV5::MemoryShared() const
{
    const bool both = (osc_cr & (OSC_CR_CH_A_ON | OSC_CR_CH_B_ON)) == (OSC_CR_CH_A_ON | OSC_CR_CH_B_ON);
    const bool bothLogic =
        (osc_cr & (OSC_CR_LOGIC_A | OSC_CR_LOGIC_B)) == (OSC_CR_LOGIC_A | OSC_CR_LOGIC_B);
    return both && !bothLogic;
}

unsigned DataV5::GetTDivMin() const
{
    return (mode & MODE_RECORDER) != 0 ? 17 : 11;
}

unsigned DataV5::GetTDivMax() const
{
    return (mode & MODE_RECORDER) != 0 ? 33 : 24;
}

unsigned DataV5::GetMemoryDepth() const
{
    unsigned depth = 5000;
    if ((osc_cr & OSC_CR_MIN_MAX) != 0) depth /= 2;
    if (MemoryShared()) depth /= 2;
    return depth;
}

unsigned DataV5::GetFrameLength() const
{
    return MemoryShared() ? 1250 : 2500;
}

unsigned DataV5::GetSampleRateKHz() const
{
    unsigned rate = GetMaxSampleRateKHz();
    if ((osc_cr & OSC_CR_MIN_MAX) != 0) rate /= 2;
    return rate;
}

int DataV5::GetGainIndex(unsigned u) const
{
    return variant_rules::GainIndexAroundMiddle(u);
}

signed char DataV5::GetCalibrationOffset(int channel) const
{
    if (channel < 0 || channel > 1) return 0;
    return calibration_offset[channel];
}

void DataV5::SetCalibrationOffsets(unsigned, const signed char* data, std::size_t size)
{
    if (data == nullptr || size < sizeof(calibration_offset)) return;
    std::memcpy(calibration_offset, data, sizeof(calibration_offset));
}

OscData* CreateDataV5()
{
    return new DataV5();
}
