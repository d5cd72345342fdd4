#pragma once
// Device version 1: 40 MHz, 128 k samples per channel, switchable input gain and a
// calibration table that depends on the coupling and gain of both channels.

#include "core/data/OscData.h"

class DataV1 : public OscData {
public:
    DataV1();
    ~DataV1() override;

    int GetVersion() const override { return 1; }
    BYTE GetChannelCaps() const override { return 45; }
    CString GetSectionName() const override { return "data_v1"; }
    unsigned GetTDivMin() const override { return 4; }
    unsigned GetTDivMax() const override { return 28; }
    unsigned GetVDivMin() const override { return 0; }
    unsigned GetVDivMax() const override { return 11; }
    unsigned GetMemoryDepth() const override;
    unsigned GetFrameLength() const override { return 65536; }
    unsigned GetSampleRateKHz() const override;
    unsigned GetMaxSampleRateKHz() const override { return 40000; }
    unsigned GetBaseClock() const override { return 20000000; }
    bool IsDividerValid(unsigned) const override { return true; }
    unsigned GetDividerMax() const override { return 39999; }
    unsigned GetStepMillivolts() const override { return 1; }
    int GetGainIndex(unsigned u) const override;
    signed char GetCalibrationOffset(int channel) const override;
    void SetCalibrationOffsets(unsigned count, const signed char* data, std::size_t size) override;
    void ApplyGain(int entry) override;

    // Reads / writes the variant's configuration section; a failed read leaves the defaults.
    bool LoadSettings();
    void SaveSettings();

    static constexpr unsigned kBufferLength = 131072;

    // 64 entries per channel, indexed by the coupling and gain bits of both channels.
    signed char calibration_offset[2][64] = {};

private:
    void InitOwnSettings();

    friend class boost::serialization::access;
    template <class Archive>
    void serialize(Archive& archive, unsigned int version);
};

OscData* CreateDataV1();
