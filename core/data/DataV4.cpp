#include "core/data/DataV4.h"

#include "core/data/DataPersistence.h"
#include "core/data/VariantRules.h"

BOOST_CLASS_EXPORT_KEY2(DataV4, "DataV4")
BOOST_CLASS_EXPORT_IMPLEMENT(DataV4)

template <class Archive>
void DataV4::serialize(Archive& archive, unsigned int)
{
    archive & boost::serialization::make_nvp("base", boost::serialization::base_object<OscData>(*this));
}

DataV4::DataV4()
{
    ResetDefaults();
    InitOwnSettings();
    AllocateSampleBuffers(kBufferLength);
    LoadSettings();
}

DataV4::~DataV4()
{
    SaveSettings();
}

void DataV4::InitOwnSettings()
{
    // Nothing beyond the common defaults.
}

void DataV4::ResetDefaults()
{
    OscData::ResetDefaults();
    KeepLogicLines();
}

// Nothing can switch a channel of this instrument out of logic mode (its mode buttons need an
// analogue input), so a section stored without the bits would leave it showing line patterns as
// volts for good.
void DataV4::KeepLogicLines()
{
    osc_cr = static_cast<std::uint16_t>(osc_cr | OSC_CR_LOGIC_A | OSC_CR_LOGIC_B);
}

bool DataV4::LoadSettings()
{
    if (data_persistence::LoadDataSection(*this)) {
        KeepLogicLines();
        return true;
    }
    ClearAllFields();
    ResetDefaults();
    InitOwnSettings();
    return false;
}

void DataV4::SaveSettings()
{
    data_persistence::SaveDataSection(*this);
}

unsigned DataV4::GetTDivMin() const
{
    return (mode & MODE_RECORDER) != 0 ? 17 : 5;
}

unsigned DataV4::GetTDivMax() const
{
    return (mode & MODE_RECORDER) != 0 ? 33 : 26;
}

unsigned DataV4::GetMemoryDepth() const
{
    return (osc_cr & OSC_CR_MIN_MAX) != 0 ? 3000 / 2 : 3000;
}

unsigned DataV4::GetSampleRateKHz() const
{
    return (osc_cr & OSC_CR_MIN_MAX) != 0 ? 80000 / 2 : 80000;
}

unsigned DataV4::GetDividerMax() const
{
    return (mode & MODE_RECORDER) != 0 ? 39999999 : 3999999;
}

int DataV4::GetGainIndex(unsigned) const
{
    return 0;
}

void DataV4::MoveHorizontal(int delta)
{
    OscData::MoveHorizontal(variant_rules::DoubledDelta(delta));
}

bool DataV4::SetHorizontalPosition(int position)
{
    return OscData::SetHorizontalPosition(variant_rules::EvenTowardZero(position));
}

OscData* CreateDataV4()
{
    return new DataV4();
}
