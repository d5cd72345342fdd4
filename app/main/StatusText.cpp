#include "app/main/StatusText.h"

#include <boost/date_time/posix_time/posix_time.hpp>

namespace {

const char* const kLineEnd = "\r\n";

}  // namespace

std::string FormatRecorderDuration(std::int64_t samples, unsigned rateKHz, std::uint32_t skip)
{
    const std::uint64_t divider = static_cast<std::uint64_t>(skip) + 1;
    const std::uint64_t wholeHz = static_cast<std::uint64_t>(rateKHz) * 1000 / divider;
    std::int64_t ms = 0;
    if (wholeHz != 0)
    {
        ms = samples * 1000 / static_cast<std::int64_t>(wholeHz);
    }
    else
    {
        // A rate below one hertz (a deep decimation of a slow clock) still has a duration.
        const double exactHz = static_cast<double>(rateKHz) * 1000.0 / static_cast<double>(divider);
        if (exactHz <= 0)
            return {};
        ms = static_cast<std::int64_t>(static_cast<double>(samples) * 1000.0 / exactHz);
    }
    std::string text = boost::posix_time::to_simple_string(boost::posix_time::milliseconds(ms));
    // Microseconds are always zero here: keep the milliseconds.
    if (text.find('.') != std::string::npos && text.size() >= 3)
        text.resize(text.size() - 3);
    return text;
}

std::string RecorderStatusText(std::int64_t samples, unsigned rateKHz, std::uint32_t skip,
                               const boost::posix_time::ptime& start)
{
    std::string text = "Захв " + FormatRecorderDuration(samples, rateKHz, skip) + kLineEnd;
    if (!start.is_not_a_date_time())
        text += "Нач " + boost::posix_time::to_simple_string(start) + kLineEnd;
    return text;
}

std::string AcquisitionStatusText(bool captured, int triggerSource, bool triggerFound, bool waitTrigger)
{
    std::string text = captured ? "ЗАХВАЧЕН " : "РАБОТА ";
    if (triggerSource != 0)
    {
        text += "ТРИГ: ";
        text += triggerFound ? "ЕСТЬ " : "ЖДУ ";
        if (waitTrigger)
            text += "УСТАРЕЛ ";
    }
    return text;
}
