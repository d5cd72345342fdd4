#pragma once
// The hardware facts of the five instrument versions, as the device itself knows them: memory
// per channel, sampling clocks, generator clock, what the device measures on its own. They
// depend on the capture's control register (min/max sampling and the channels in use share
// the memory and the converter's rate).

#include <cstdint>

class SimVariant {
public:
    explicit SimVariant(int version = 2);

    int Version() const { return version_; }
    bool IsKnown() const { return version_ >= 1 && version_ <= 5; }

    // Stored samples per channel that the memory holds for a capture with this osc_cr.
    unsigned MemoryDepth(std::uint16_t oscCr) const;
    // Stored-sample rate before decimation, kHz.
    unsigned SampleRateKHz(std::uint16_t oscCr) const;
    // Rate of the converter itself, kHz: the min/max detector sees every one of its samples.
    unsigned ConverterRateKHz(std::uint16_t oscCr) const;
    // Clock of the output frequency generator, Hz.
    unsigned BaseClock() const;
    // Versions 2 and 4 address their memory in 16-bit words of two plain samples and report
    // their counters in those words.
    bool CountsInPairs() const { return version_ == 2 || version_ == 4; }
    // Device-run offset calibration: the number of steps it reports (0 = the device has none)
    // and the bytes of calibration data it keeps.
    int CalibrationSteps() const;
    unsigned CalibrationBytes() const;
    // Milliseconds one calibration step takes.
    unsigned CalibrationStepMs() const;
    // The device measures frequency-response points itself.
    bool MeasuresFrequencyResponse() const { return version_ == 1 || version_ == 3; }
    // The offset DACs are written by the host (WRITE_OFFSET_DAC_CMD).
    bool HasOffsetDac() const { return version_ == 2; }

private:
    int version_;
};
