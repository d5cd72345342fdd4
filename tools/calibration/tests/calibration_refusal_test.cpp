// When the settings window's "Калибровка" may start a calibration.

#include "tools/calibration/DialogCalibrate.h"

#include "core/data/OscData.h"

#include <gtest/gtest.h>

TEST(CalibrationRefusal, NeedsTheLinkAndRefusesTheRecorder)
{
    struct Case {
        std::uint32_t mode;
        const char* refusal;
    };
    const Case cases[] = {
        {0, "Необходимо подключиться!"},
        {MODE_RECORDER, "Необходимо подключиться!"},
        {MODE_LINKED | MODE_RECORDER, "Калибровка невозможна в режиме самописца!"},
        {MODE_LINKED | MODE_RECORDER | MODE_STOPPED, "Калибровка невозможна в режиме самописца!"},
        {MODE_LINKED, ""},
        {MODE_LINKED | MODE_STOPPED | MODE_CALIBRATION, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(CalibrationRefusal(c.mode), c.refusal) << std::hex << c.mode;
}
