#include "support/DataTestSupport.h"

#include "core/config/ConfigSections.h"

void DataModelTest::SetUp()
{
    DeleteOscData();
    ConfigSections.clear();
}

void DataModelTest::TearDown()
{
    DeleteOscData();
    ConfigSections.clear();
}

std::unique_ptr<OscData> MakeVariant(int version)
{
    const auto entry = OscDataFactory::Find(version);
    if (entry == OscDataFactory::End()) return nullptr;
    return std::unique_ptr<OscData>(entry->second());
}

ModelImage::ModelImage(const OscData& data)
    : fields(static_cast<const DataBase&>(data)), recorder_samples(data.recorder_samples)
{
    // Where the buffers live is no part of the model's state.
    fields.sample_buffer[0] = nullptr;
    fields.sample_buffer[1] = nullptr;
}

bool ModelImage::operator==(const ModelImage& other) const
{
    return std::memcmp(&fields, &other.fields, sizeof(fields)) == 0 &&
           recorder_samples == other.recorder_samples;
}
