#pragma once
// The measurement state shared by every tick of the process (both channels' accumulators,
// the new-frame latch and the last horizontal position). OscData::ProcessFrame and
// OscData::ComputeMeasurements (defined beside it) use it under DataLock.

#include "core/measure/Measurements.h"

MeasureState& ProcessMeasureState();
