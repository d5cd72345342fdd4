#pragma once
// Device version 5: 500 kHz, 5000 samples shared by the enabled analog channels (two logic
// channels share nothing), one calibration offset per channel.

#include "core/data/OscData.h"

class DataV5 : public OscData {
public:
    DataV5();
    ~DataV5() override;

    int GetVersion() const override { return 5; }
    BYTE GetChannelCaps() const override { return 27; }
    CString GetSectionName() const override { return "data_v5"; }
    unsigned GetTDivMin() const override;
    unsigned GetTDivMax() const override;
    unsigned GetVDivMin() const override { return 5; }
    unsigned GetVDivMax() const override { return 7; }
    unsigned GetMemoryDepth() const override;
    unsigned GetFrameLength() const override;
    unsigned GetSampleRateKHz() const override;
    unsigned GetMaxSampleRateKHz() const override { return 500; }
    unsigned GetBaseClock() const override { return 36000000; }
    bool IsDividerValid(unsigned divider) const override { return divider != 1; }
    unsigned GetDividerMax() const override { return 399999; }
    unsigned GetStepMillivolts() const override { return 50; }
    int GetGainIndex(unsigned u) const override;
    signed char GetCalibrationOffset(int channel) const override;
    void SetCalibrationOffsets(unsigned count, const signed char* data, std::size_t size) override;
    void ResetDefaults() override;

    // Reads / writes the variant's configuration section; a failed read leaves the defaults.
    bool LoadSettings();
    void SaveSettings();

    static constexpr unsigned kBufferLength = 5000;

    signed char calibration_offset[2] = {};

private:
    void InitOwnSettings();
    // Both channels on and not both of them logic: the memory is shared.
    bool MemoryShared() const;

    friend class boost::serialization::access;
    template <class Archive>
    void serialize(Archive& archive, unsigned int version);
};

OscData* CreateDataV5();
