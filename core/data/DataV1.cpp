#include "core/data/DataV1.h"

#include "core/data/DataPersistence.h"

#include <cstring>

BOOST_CLASS_EXPORT_KEY2(DataV1, "DataV1")
BOOST_CLASS_EXPORT_IMPLEMENT(DataV1)

template <class Archive>
void DataV1::serialize(Archive& archive, unsigned int)
{
    archive & boost::serialization::make_nvp("base", boost::serialization::base_object<OscData>(*this));
    archive & boost::serialization::make_nvp("calibration_offset", calibration_offset);
}

DataV1::DataV1()
{
    ResetDefaults();
    InitOwnSettings();
    AllocateSampleBuffers(kBufferLength);
    LoadSettings();
}

DataV1::~DataV1()
{
    SaveSettings();
}

void DataV1::InitOwnSettings()
{
    calibration_step = 0;
    calibration_steps = 64;
    std::memset(calibration_offset, 0, sizeof(calibration_offset));
}

bool DataV1::LoadSettings()
{
    if (data_persistence::LoadDataSection(*this)) return true;
    ClearAllFields();
    ResetDefaults();
    InitOwnSettings();
    return false;
}

void DataV1::SaveSettings()
{
    data_persistence::SaveDataSection(*this);
}

unsigned DataV1::GetMemoryDepth() const
{
    return (osc_cr & OSC_CR_MIN_MAX) != 0 ? 131072 / 2 : 131072;
}

unsigned DataV1::GetSampleRateKHz() const
{
    return (osc_cr & OSC_CR_MIN_MAX) != 0 ? 40000 / 2 : 40000;
}

int DataV1::GetGainIndex(unsigned u) const
{
    const int index = static_cast<int>(u);
    switch (u % 3) {
    case 0:
        return index + 1;
    case 1:
        return index;
    default:
        return index - 1;
    }
}

signed char DataV1::GetCalibrationOffset(int channel) const
{
    if (channel < 0 || channel > 1) return 0;
    const unsigned index = 8 * ((analog_cr >> 5) & 7u) + ((analog_cr >> 1) & 7u);
    return calibration_offset[channel][index];
}

void DataV1::SetCalibrationOffsets(unsigned, const signed char* data, std::size_t size)
{
    if (data == nullptr || size < sizeof(calibration_offset)) return;
    std::memcpy(calibration_offset, data, sizeof(calibration_offset));
}

void DataV1::ApplyGain(int entry)
{
    if (entry != 0 && entry != 1) return;
    // The gain relay pattern of each volts/div decade.
    static constexpr std::uint16_t kPattern[4] = {2, 3, 0, 1};
    const unsigned decade = u_div[entry] / 3;
    if (decade >= 4) return;
    const int shift = entry == 0 ? 2 : 6;
    const std::uint16_t mask = entry == 0 ? ANALOG_CR_GAIN_A : ANALOG_CR_GAIN_B;
    const std::uint16_t updated =
        static_cast<std::uint16_t>((analog_cr & ~mask) | (kPattern[decade] << shift));
    if (updated != analog_cr) {
        analog_cr = updated;
        changes |= CHANGE_ANALOG;
    }
}

OscData* CreateDataV1()
{
    return new DataV1();
}
