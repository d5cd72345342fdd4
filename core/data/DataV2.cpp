#include "core/data/DataV2.h"

#include "core/data/DataPersistence.h"
#include "core/data/VariantRules.h"

BOOST_CLASS_EXPORT_KEY2(DataV2, "DataV2")
BOOST_CLASS_EXPORT_IMPLEMENT(DataV2)

template <class Archive>
void DataV2::serialize(Archive& archive, unsigned int)
{
    archive & boost::serialization::make_nvp("base", boost::serialization::base_object<OscData>(*this));
}

DataV2::DataV2()
{
    ResetDefaults();
    InitOwnSettings();
    AllocateSampleBuffers(kBufferLength);
    LoadSettings();
}

DataV2::~DataV2()
{
    SaveSettings();
}

void DataV2::InitOwnSettings()
{
    // The offset DACs are set by the host on this version: write both.
    changes |= CHANGE_OFFSET_A | CHANGE_OFFSET_B;
    calibration_step = 0;
}

bool DataV2::LoadSettings()
{
    if (data_persistence::LoadDataSection(*this)) return true;
    ClearAllFields();
    ResetDefaults();
    InitOwnSettings();
    return false;
}

void DataV2::SaveSettings()
{
    data_persistence::SaveDataSection(*this);
}

unsigned DataV2::GetTDivMin() const
{
    return (mode & MODE_RECORDER) != 0 ? 17 : 5;
}

unsigned DataV2::GetTDivMax() const
{
    return (mode & MODE_RECORDER) != 0 ? 33 : 26;
}

unsigned DataV2::GetMemoryDepth() const
{
    return (osc_cr & OSC_CR_MIN_MAX) != 0 ? 3000 / 2 : 3000;
}

unsigned DataV2::GetSampleRateKHz() const
{
    return (osc_cr & OSC_CR_MIN_MAX) != 0 ? 80000 / 2 : 80000;
}

unsigned DataV2::GetDividerMax() const
{
    return (mode & MODE_RECORDER) != 0 ? 39999999 : 3999999;
}

int DataV2::GetGainIndex(unsigned u) const
{
    return variant_rules::GainIndexAroundMiddle(u);
}

void DataV2::MoveHorizontal(int delta)
{
    OscData::MoveHorizontal(variant_rules::DoubledDelta(delta));
}

bool DataV2::SetHorizontalPosition(int position)
{
    return OscData::SetHorizontalPosition(variant_rules::EvenTowardZero(position));
}

OscData* CreateDataV2()
{
    return new DataV2();
}
