#pragma once
// Device version 4: the logic-only relative of version 2 (no analog input: its volts/div range
// is empty). The device counts in sample pairs, so horizontal positions move in steps of two.

#include "core/data/OscData.h"

class DataV4 : public OscData {
public:
    DataV4();
    ~DataV4() override;

    int GetVersion() const override { return 4; }
    BYTE GetChannelCaps() const override { return 18; }
    CString GetSectionName() const override { return "data_v4"; }
    unsigned GetTDivMin() const override;
    unsigned GetTDivMax() const override;
    unsigned GetVDivMin() const override { return 1; }
    unsigned GetVDivMax() const override { return 0; }
    unsigned GetMemoryDepth() const override;
    unsigned GetFrameLength() const override { return 1500; }
    unsigned GetSampleRateKHz() const override;
    unsigned GetMaxSampleRateKHz() const override { return 80000; }
    unsigned GetBaseClock() const override { return 40000000; }
    bool IsDividerValid(unsigned) const override { return true; }
    unsigned GetDividerMax() const override;
    unsigned GetStepMillivolts() const override { return 0; }
    int GetGainIndex(unsigned u) const override;
    void MoveHorizontal(int delta) override;
    bool SetHorizontalPosition(int position) override;
    // The instrument has no analogue inputs: both channels always carry logic lines.
    void ResetDefaults() override;

    // Reads / writes the variant's configuration section; a failed read leaves the defaults.
    bool LoadSettings();
    void SaveSettings();

    static constexpr unsigned kBufferLength = 3000;

private:
    void InitOwnSettings();
    void KeepLogicLines();

    friend class boost::serialization::access;
    template <class Archive>
    void serialize(Archive& archive, unsigned int version);
};

OscData* CreateDataV4();
