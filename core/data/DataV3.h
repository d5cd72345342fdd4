#pragma once
// Device version 3: 500 kHz, 40000 samples shared by the enabled channels, a generator divider
// with a restricted form, and three calibration offsets per channel (one per channel set-up).

#include "core/data/OscData.h"

class DataV3 : public OscData {
public:
    DataV3();
    ~DataV3() override;

    int GetVersion() const override { return 3; }
    BYTE GetChannelCaps() const override { return 9; }
    CString GetSectionName() const override { return "data_v3"; }
    unsigned GetTDivMin() const override;
    unsigned GetTDivMax() const override;
    unsigned GetVDivMin() const override { return 5; }
    unsigned GetVDivMax() const override { return 7; }
    unsigned GetMemoryDepth() const override;
    unsigned GetFrameLength() const override;
    unsigned GetSampleRateKHz() const override;
    unsigned GetMaxSampleRateKHz() const override;
    unsigned GetBaseClock() const override { return 24000000; }
    bool IsDividerValid(unsigned divider) const override;
    unsigned GetDividerMax() const override { return 399999; }
    unsigned GetStepMillivolts() const override { return 50; }
    int GetGainIndex(unsigned u) const override;
    signed char GetCalibrationOffset(int channel) const override;
    void SetCalibrationOffsets(unsigned count, const signed char* data, std::size_t size) override;
    void ResetDefaults() override;
    bool EnableChannelA(bool on) override;
    bool EnableChannelB(bool on) override;

    // Reads / writes the variant's configuration section; a failed read leaves the defaults.
    bool LoadSettings();
    void SaveSettings();

    static constexpr unsigned kBufferLength = 40000;

    // Per channel: [0] only channel A on, [1] channel A off, [2] both channels on.
    signed char calibration_offset[2][3] = {};

private:
    void InitOwnSettings();
    bool BothChannelsOn() const;
    // Applies a channel switch only when the current time/div stays reachable.
    bool SwitchChannel(bool channelA, bool on);

    friend class boost::serialization::access;
    template <class Archive>
    void serialize(Archive& archive, unsigned int version);
};

OscData* CreateDataV3();
