#include "app/main/StatusText.h"

#include <boost/date_time/posix_time/posix_time.hpp>
#include <gtest/gtest.h>

namespace {

struct DurationCase {
    std::int64_t samples;
    unsigned rateKHz;
    std::uint32_t skip;
    const char* text;
};

TEST(StatusText, RecordedDurationKeepsMilliseconds)
{
    const DurationCase cases[] = {
        {150000, 100, 0, "00:00:01.500"},
        {2500001, 1, 0, "00:41:40.001"},
        {0, 100, 0, "00:00:00"},
        // 100 kHz decimated to 50 kHz.
        {150000, 100, 1, "00:00:03"},
        // Below one hertz the whole-hertz rate is 0: the exact 0.5 Hz gives the time.
        {1, 1, 1999, "00:00:02"},
        // Whole seconds carry no fraction.
        // Days of samples: no 32-bit overflow.
        {2000000000, 1, 0, "555:33:20"},
    };
    for (const DurationCase& c : cases)
        EXPECT_EQ(FormatRecorderDuration(c.samples, c.rateKHz, c.skip), c.text) << c.samples << " @ " << c.rateKHz;
    EXPECT_EQ(FormatRecorderDuration(100, 0, 0), "");
}

TEST(StatusText, RecorderLinesShowTheStartOnlyWhenKnown)
{
    const std::string none = RecorderStatusText(150000, 100, 0, boost::posix_time::ptime());
    EXPECT_EQ(none, "Захв 00:00:01.500\r\n");
    const boost::posix_time::ptime start = boost::posix_time::time_from_string("2026-12-09 00:43:17.250");
    EXPECT_EQ(RecorderStatusText(150000, 100, 0, start),
              "Захв 00:00:01.500\r\nНач 2026-Dec-09 00:43:17.250000\r\n");
}

TEST(StatusText, AcquisitionStates)
{
    struct Case {
        bool captured;
        int source;
        bool found;
        bool stale;
        const char* text;
    };
    const Case cases[] = {
        {false, 0, false, false, "РАБОТА "},
        {true, 0, true, true, "ЗАХВАЧЕН "},
        {false, 1, false, false, "РАБОТА ТРИГ: ЖДУ "},
        {true, 2, true, false, "ЗАХВАЧЕН ТРИГ: ЕСТЬ "},
        {false, 3, false, true, "РАБОТА ТРИГ: ЖДУ УСТАРЕЛ "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AcquisitionStatusText(c.captured, c.source, c.found, c.stale), c.text);
}

}  // namespace
