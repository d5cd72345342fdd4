#include "sim/SignalSource.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;
constexpr std::int64_t kMaxDetectorSamples = 64;

std::int8_t ToCode(double level)
{
    if (!std::isfinite(level))
        return 0;
    const long rounded = std::lround(std::clamp(level, -1000.0, 1000.0));
    return static_cast<std::int8_t>(std::clamp<long>(rounded, -128, 127));
}

long double Fraction(long double cycles)
{
    return cycles - std::floor(cycles);
}

// Step index (whole steps of rate per second) at a time.
std::int64_t StepAt(double rate, std::int64_t ps)
{
    return static_cast<std::int64_t>(std::floor(CyclesAt(rate, ps)));
}

} // namespace

long double CyclesAt(double hz, std::int64_t ps)
{
    if (!(hz > 0.0) || !std::isfinite(hz))
        return 0.0L;
    return static_cast<long double>(ps) * static_cast<long double>(hz) /
           static_cast<long double>(SignalSource::kPsPerSecond);
}

void SignalSource::SetOffset(int channel, int codes)
{
    if (channel == 0 || channel == 1)
        offset_[channel] = codes;
}

int SignalSource::Offset(int channel) const
{
    return channel == 0 || channel == 1 ? offset_[channel] : 0;
}

double SignalSource::InputGain(int channel, double hz) const
{
    if (channel < 0 || channel > 1)
        return 0.0;
    const double fc = settings_.cutoffHz[channel];
    if (!(fc > 0.0))
        return 1.0;
    const double r = hz / fc;
    return 1.0 / std::sqrt(1.0 + r * r);
}

double SignalSource::GeneratorLevel(int channel) const
{
    if (!(generatorHz_ > 0.0))
        return 0.0;
    return settings_.generatorAmplitude * InputGain(channel, generatorHz_);
}

double SignalSource::AnalogLevel(int channel, std::int64_t ps) const
{
    if (channel < 0 || channel > 1)
        return 0.0;
    const double zero = offset_[channel];
    // The cycle count needs extended precision; the angle within the cycle does not.
    if (settings_.generatorWired[channel]) {
        const double phase = static_cast<double>(2 * kPi * Fraction(CyclesAt(generatorHz_, ps)));
        return zero + GeneratorLevel(channel) * std::sin(phase);
    }
    if (channel == 0) {
        const double phase = static_cast<double>(2 * kPi * Fraction(CyclesAt(settings_.sineHz, ps)));
        return zero + settings_.sineAmplitude * std::sin(phase);
    }
    const bool high = Fraction(CyclesAt(settings_.squareHz, ps)) < 0.5L;
    return zero + (high ? settings_.squareAmplitude : -settings_.squareAmplitude);
}

std::int8_t SignalSource::Analog(int channel, std::int64_t ps) const
{
    return ToCode(AnalogLevel(channel, ps));
}

bool SignalSource::External(std::int64_t ps) const
{
    if (!(generatorHz_ > 0.0))
        return false;
    return Fraction(CyclesAt(generatorHz_, ps)) < 0.5L;
}

std::int64_t SignalSource::UartCycle() const
{
    return static_cast<std::int64_t>(settings_.uartText.size()) * 10 + settings_.uartIdleBits;
}

int SignalSource::UartBit(std::int64_t step) const
{
    const std::int64_t cycle = UartCycle();
    if (cycle <= 0)
        return 1;
    const std::int64_t bit = ((step % cycle) + cycle) % cycle;
    const std::int64_t byte = bit / 10;
    if (byte >= static_cast<std::int64_t>(settings_.uartText.size()))
        return 1; // idle
    const int within = static_cast<int>(bit % 10);
    if (within == 0)
        return 0; // start bit
    if (within == 9)
        return 1; // stop bit
    const auto value = static_cast<unsigned char>(settings_.uartText[static_cast<std::size_t>(byte)]);
    return (value >> (within - 1)) & 1;
}

std::int64_t SignalSource::SpiCycle() const
{
    return static_cast<std::int64_t>(settings_.spiText.size()) * 20;
}

std::uint8_t SignalSource::SpiLines(std::int64_t halfClock) const
{
    const std::int64_t cycle = SpiCycle();
    if (cycle <= 0)
        return 0x8; // /CS high
    const std::int64_t h = ((halfClock % cycle) + cycle) % cycle;
    const std::int64_t within = h % 20;
    if (within >= 16)
        return 0x8; // between bytes: deselected
    const auto value = static_cast<unsigned char>(settings_.spiText[static_cast<std::size_t>(h / 20)]);
    const int sck = static_cast<int>(within & 1);
    const int mosi = (value >> (7 - within / 2)) & 1;
    return static_cast<std::uint8_t>((sck << 1) | (mosi << 2));
}

std::uint8_t SignalSource::LogicB(std::int64_t ps) const
{
    const int uart = UartBit(StepAt(settings_.uartBaud, ps));
    const std::uint8_t spi = SpiLines(StepAt(2.0 * settings_.spiHz, ps));
    return static_cast<std::uint8_t>(uart | spi);
}

std::uint8_t SignalSource::Logic(int channel, std::int64_t ps) const
{
    if (channel == 0)
        return static_cast<std::uint8_t>(StepAt(settings_.counterHz, ps) & 0xFF);
    if (channel == 1)
        return LogicB(ps);
    return 0;
}

void SignalSource::AnalogRange(int channel, std::int64_t from, std::int64_t to, std::int64_t stepPs,
                               std::int8_t& minimum, std::int8_t& maximum) const
{
    stepPs = std::max<std::int64_t>(stepPs, 1);
    to = std::max(to, from + 1);
    const std::int64_t count = (to - from + stepPs - 1) / stepPs;
    if (count <= kMaxDetectorSamples) {
        minimum = 127;
        maximum = -128;
        for (std::int64_t i = 0; i < count; ++i) {
            const std::int8_t v = Analog(channel, from + i * stepPs);
            minimum = std::min(minimum, v);
            maximum = std::max(maximum, v);
        }
        return;
    }
    if (channel < 0 || channel > 1) {
        minimum = maximum = 0;
        return;
    }
    const double zero = offset_[channel];
    const bool sine = settings_.generatorWired[channel] || channel == 0;
    double low = 0.0;
    double high = 0.0;
    if (sine) {
        const double hz = settings_.generatorWired[channel] ? generatorHz_ : settings_.sineHz;
        const double amplitude = settings_.generatorWired[channel] ? GeneratorLevel(channel)
                                                                   : settings_.sineAmplitude;
        const long double p0 = CyclesAt(hz, from);
        const long double p1 = CyclesAt(hz, to);
        const double a = std::sin(static_cast<double>(2 * kPi * Fraction(p0)));
        const double b = std::sin(static_cast<double>(2 * kPi * Fraction(p1)));
        low = std::min(a, b);
        high = std::max(a, b);
        // A crest (quarter cycle) or trough (three quarters) inside the interval.
        if (p1 - p0 >= 1.0L || std::ceil(p0 - 0.25L) + 0.25L <= p1)
            high = 1.0;
        if (p1 - p0 >= 1.0L || std::ceil(p0 - 0.75L) + 0.75L <= p1)
            low = -1.0;
        low *= amplitude;
        high *= amplitude;
    } else {
        const long double p0 = CyclesAt(settings_.squareHz, from);
        const long double p1 = CyclesAt(settings_.squareHz, to);
        const double a = settings_.squareAmplitude;
        if (std::floor(2 * p1) > std::floor(2 * p0)) {
            low = -a;
            high = a;
        } else {
            low = high = Fraction(p0) < 0.5L ? a : -a;
        }
    }
    minimum = ToCode(zero + low);
    maximum = ToCode(zero + high);
}

void SignalSource::SerialCycles() const
{
    if (cycleKnown_)
        return;
    uartCycleAll_ = 1;
    uartCycleAny_ = 0;
    for (std::int64_t s = 0; s < std::max<std::int64_t>(UartCycle(), 1); ++s) {
        const int bit = UartBit(s);
        uartCycleAll_ &= static_cast<std::uint8_t>(bit);
        uartCycleAny_ |= static_cast<std::uint8_t>(bit);
    }
    spiCycleAll_ = 0x0E;
    spiCycleAny_ = 0;
    for (std::int64_t h = 0; h < std::max<std::int64_t>(SpiCycle(), 1); ++h) {
        const std::uint8_t v = SpiLines(h);
        spiCycleAll_ &= v;
        spiCycleAny_ |= v;
    }
    cycleKnown_ = true;
}

void SignalSource::LogicRange(int channel, std::int64_t from, std::int64_t to, std::int64_t stepPs,
                              std::uint8_t& all, std::uint8_t& any) const
{
    stepPs = std::max<std::int64_t>(stepPs, 1);
    to = std::max(to, from + 1);
    all = 0xFF;
    any = 0;
    const std::int64_t count = (to - from + stepPs - 1) / stepPs;
    if (count <= kMaxDetectorSamples) {
        for (std::int64_t i = 0; i < count; ++i) {
            const std::uint8_t v = Logic(channel, from + i * stepPs);
            all &= v;
            any |= v;
        }
        return;
    }
    const auto fold = [&](std::uint8_t v) {
        all &= v;
        any |= v;
    };
    if (channel == 0) {
        const std::int64_t c0 = StepAt(settings_.counterHz, from);
        const std::int64_t c1 = StepAt(settings_.counterHz, to - 1);
        if (c1 - c0 >= 255) {
            all = 0;
            any = 0xFF;
            return;
        }
        for (std::int64_t c = c0; c <= c1; ++c)
            fold(static_cast<std::uint8_t>(c & 0xFF));
        return;
    }
    if (channel != 1) {
        all = any = 0;
        return;
    }
    // Each line group changes only at its own steps: fold the steps the interval touches, or
    // take the whole cycle's result when the interval is longer.
    SerialCycles();
    std::uint8_t uartAll = uartCycleAll_;
    std::uint8_t uartAny = uartCycleAny_;
    const std::int64_t s0 = StepAt(settings_.uartBaud, from);
    const std::int64_t s1 = StepAt(settings_.uartBaud, to - 1);
    if (s1 - s0 < UartCycle()) {
        uartAll = 1;
        uartAny = 0;
        for (std::int64_t s = s0; s <= s1; ++s) {
            const int bit = UartBit(s);
            uartAll &= static_cast<std::uint8_t>(bit);
            uartAny |= static_cast<std::uint8_t>(bit);
        }
    }
    std::uint8_t spiAll = spiCycleAll_;
    std::uint8_t spiAny = spiCycleAny_;
    const std::int64_t h0 = StepAt(2.0 * settings_.spiHz, from);
    const std::int64_t h1 = StepAt(2.0 * settings_.spiHz, to - 1);
    if (h1 - h0 < SpiCycle()) {
        spiAll = 0x0E;
        spiAny = 0;
        for (std::int64_t h = h0; h <= h1; ++h) {
            const std::uint8_t v = SpiLines(h);
            spiAll &= v;
            spiAny |= v;
        }
    }
    all = static_cast<std::uint8_t>(uartAll | spiAll);
    any = static_cast<std::uint8_t>(uartAny | spiAny);
}
