#include "sim/SimVariant.h"

namespace {

constexpr std::uint16_t kMinMax = 0x20;
constexpr std::uint16_t kLogicA = 0x200;
constexpr std::uint16_t kLogicB = 0x400;
constexpr std::uint16_t kChA = 0x1000;
constexpr std::uint16_t kChB = 0x2000;

bool Both(std::uint16_t oscCr)
{
    return (oscCr & kChA) != 0 && (oscCr & kChB) != 0;
}

bool MinMax(std::uint16_t oscCr)
{
    return (oscCr & kMinMax) != 0;
}

} // namespace

SimVariant::SimVariant(int version) : version_(version) {}

unsigned SimVariant::MemoryDepth(std::uint16_t oscCr) const
{
    const unsigned mm = MinMax(oscCr) ? 2 : 1;
    switch (version_) {
    case 1:
        return 131072 / mm;
    case 3:
        return 40000 / mm / (Both(oscCr) ? 2 : 1);
    case 5: {
        const bool bothLogic = (oscCr & kLogicA) != 0 && (oscCr & kLogicB) != 0;
        return 5000 / mm / (Both(oscCr) && !bothLogic ? 2 : 1);
    }
    default:
        return 3000 / mm;
    }
}

unsigned SimVariant::ConverterRateKHz(std::uint16_t oscCr) const
{
    switch (version_) {
    case 1:
        return 40000;
    case 3:
        return Both(oscCr) || MinMax(oscCr) ? 400 : 500;
    case 5:
        return 500;
    default:
        return 80000;
    }
}

unsigned SimVariant::SampleRateKHz(std::uint16_t oscCr) const
{
    unsigned rate = ConverterRateKHz(oscCr);
    if (MinMax(oscCr))
        rate /= 2;
    if (version_ == 3 && Both(oscCr))
        rate /= 2;
    return rate;
}

unsigned SimVariant::BaseClock() const
{
    switch (version_) {
    case 1:
        return 20000000;
    case 3:
        return 24000000;
    case 5:
        return 36000000;
    default:
        return 40000000;
    }
}

int SimVariant::CalibrationSteps() const
{
    switch (version_) {
    case 1:
        return 64;
    case 3:
        return 3;
    default:
        return 0;
    }
}

unsigned SimVariant::CalibrationBytes() const
{
    switch (version_) {
    case 1:
        return 128;
    case 3:
        return 6;
    default:
        return 0;
    }
}

unsigned SimVariant::CalibrationStepMs() const
{
    return version_ == 3 ? 300 : 40;
}
