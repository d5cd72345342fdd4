#pragma once
// Steps that change the acquisition settings of the live data model on behalf of the main
// window's controls, its hotkeys and its chart. Each checks the variant's limits and the
// timebase solver and records in `changes` what the link must send. Callers hold DataLock.

#include "core/data/OscData.h"

#include <cstdint>

// Number of screen points and the centre of the screen.
inline constexpr int kScreenPoints = 300;
inline constexpr int kScreenCentre = 150;

// 0 off, 1 channel A, 2 channel B, 3 external input; a channel switched on only for the
// trigger is switched off again when the trigger leaves it.
void SetTriggerSource(OscData& d, int source);
// Forgets which channels were switched on for the trigger (a new program run starts so).
void ForgetTriggerChannels();

// True when the channel's u_div changed. While stopped only one step around the captured gain.
bool StepVDivIndex(OscData& d, int channel, int delta);
void ApplyVDivIndex(OscData& d, int channel);

// One accepted time/div step in the direction of delta's sign; false when none is accepted.
bool StepTDivIndex(OscData& d, int delta);
bool SetTDivKeepingCenter(OscData& d, std::uint32_t tDiv);
std::int32_t GetViewCenterSample(const OscData& d);
void SetViewCenterSample(OscData& d, std::int32_t sample);

bool TogglePeakDetect(OscData& d);
void CycleTriggerEdge(OscData& d);
void MoveTriggerLevel(OscData& d, int delta);
void SetTriggerLevel(OscData& d, int value);
