#pragma once
// The main window's status line texts, apart from the window so they can be checked directly.

#include <boost/date_time/posix_time/ptime.hpp>

#include <cstdint>
#include <string>

// Recorded time of `samples` at `rateKHz` kHz decimated by `skip` + 1: hours, minutes, seconds
// and milliseconds ("00:00:01.500"). Empty when the rate is zero.
std::string FormatRecorderDuration(std::int64_t samples, unsigned rateKHz, std::uint32_t skip);

// The status line while the recorder runs: "Захв <duration>" and, with a known start time,
// "Нач <start>", each line ended.
std::string RecorderStatusText(std::int64_t samples, unsigned rateKHz, std::uint32_t skip,
                               const boost::posix_time::ptime& start);

// The status line of a running acquisition: capture state, then the trigger's.
std::string AcquisitionStatusText(bool captured, int triggerSource, bool triggerFound, bool waitTrigger);
