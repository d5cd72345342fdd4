#pragma once
// The signals on the virtual instrument's inputs, as functions of the device's own time (in
// picoseconds since it was switched on), so that a test can compute every sample the device
// stores.
//
//  - Channel A, analog: a sine; channel B, analog: a square wave (50 % duty). Both sit on the
//    input's own zero offset, in converter codes (-128..127).
//  - Channel A, logic lines 0..7: an 8-bit counter.
//  - Channel B, logic lines: line 0 asynchronous serial (8N1, LSB first, idle high, a text
//    repeated with idle time between), lines 1 SCK, 2 MOSI, 3 /CS of a synchronous link
//    (clock idle low, data MSB first, valid on the rising edge); lines 4..7 low.
//  - The output frequency generator: a square wave on the external trigger input, and, where
//    a test wires it to an analog input, a sine through that input's first-order low-pass.

#include <cstdint>
#include <string>

struct SignalSettings {
    double sineHz = 1000.0;       // channel A
    int sineAmplitude = 80;       // peak, codes
    double squareHz = 500.0;      // channel B
    int squareAmplitude = 60;     // peak, codes
    double counterHz = 100000.0;  // channel A logic lines: counts per second
    unsigned uartBaud = 9600;     // channel B line 0
    std::string uartText = "Velkaro\r\n";
    unsigned uartIdleBits = 20;
    unsigned spiHz = 10000;       // channel B lines 1..3
    std::string spiText = "SPI";
    int generatorAmplitude = 100;             // peak, codes, of the generator on a wired input
    bool generatorWired[2] = {false, false};  // the generator output feeds input A / B
    double cutoffHz[2] = {0.0, 0.0};          // input low-pass corner; 0 = flat response
};

class SignalSource {
public:
    static constexpr std::int64_t kPsPerSecond = 1000000000000LL;

    SignalSource() = default;
    explicit SignalSource(const SignalSettings& settings) : settings_(settings) {}

    void SetSettings(const SignalSettings& settings)
    {
        settings_ = settings;
        cycleKnown_ = false;
    }
    const SignalSettings& Settings() const { return settings_; }
    // The input's zero offset in codes (what a grounded input reads).
    void SetOffset(int channel, int codes);
    int Offset(int channel) const;
    // The generator's output frequency in Hz (0 = stopped, output low).
    void SetGeneratorHz(double hz) { generatorHz_ = hz; }
    double GeneratorHz() const { return generatorHz_; }

    // The analog input before the converter, in codes.
    double AnalogLevel(int channel, std::int64_t ps) const;
    // One converter sample: rounded to the nearest code and limited to -128..127.
    std::int8_t Analog(int channel, std::int64_t ps) const;
    // The eight logic lines of a channel.
    std::uint8_t Logic(int channel, std::int64_t ps) const;
    // The external trigger input (the generator's square wave).
    bool External(std::int64_t ps) const;

    // What the peak detector keeps over [from, to): the smallest and largest converter sample
    // taken every stepPs. Over more than 64 converter samples the detector follows the input
    // itself (its extremes, then rounded), as the real detector is faster than the converter.
    void AnalogRange(int channel, std::int64_t from, std::int64_t to, std::int64_t stepPs,
                     std::int8_t& minimum, std::int8_t& maximum) const;
    // For logic lines: the AND (a line stayed high) and OR (a line was high at all) of the
    // samples over [from, to).
    void LogicRange(int channel, std::int64_t from, std::int64_t to, std::int64_t stepPs,
                    std::uint8_t& all, std::uint8_t& any) const;

    // Gain of input c's low-pass at f.
    double InputGain(int channel, double hz) const;
    // The generator's amplitude as the wired input passes it.
    double GeneratorLevel(int channel) const;

private:
    std::uint8_t LogicB(std::int64_t ps) const;
    int UartBit(std::int64_t step) const;
    std::uint8_t SpiLines(std::int64_t halfClock) const;
    std::int64_t UartCycle() const;
    std::int64_t SpiCycle() const;

    // AND and OR of channel B's serial lines over one whole cycle of each line group.
    void SerialCycles() const;

    SignalSettings settings_;
    mutable bool cycleKnown_ = false;
    mutable std::uint8_t uartCycleAll_ = 0;
    mutable std::uint8_t uartCycleAny_ = 0;
    mutable std::uint8_t spiCycleAll_ = 0;
    mutable std::uint8_t spiCycleAny_ = 0;
    int offset_[2] = {0, 0};
    double generatorHz_ = 0.0;
};

// Cycles of a frequency completed at a time (whole and fraction), in extended precision.
long double CyclesAt(double hz, std::int64_t ps);
