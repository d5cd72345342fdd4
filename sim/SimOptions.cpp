#include "sim/SimOptions.h"

#include "sim/SimComm.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Usage()
{
    std::fprintf(stderr,
                 "usage: velkaro-sim [--version MAJOR.MINOR] [--mode N] [--delay MS] [--corrupt-every N]\n"
                 "                   [--split BYTES] [--silent] [--bus-stuck HEX] [--ext-trig-stuck 0|1]\n"
                 "                   [--sine-hz HZ] [--sine-amp CODES] [--square-hz HZ] [--square-amp CODES]\n"
                 "                   [--counter-hz HZ] [--uart-baud BAUD] [--spi-hz HZ] [--offset-a CODES]\n"
                 "                   [--offset-b CODES] [--generator-to A|B] [--cutoff-hz HZ]\n");
}

bool ParseInt(const char* text, long low, long high, long& value)
{
    char* end = nullptr;
    value = std::strtol(text, &end, 0);
    return end != text && *end == '\0' && value >= low && value <= high;
}

bool ParseHz(const char* text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(value) && value >= 0.0 && value <= 1e9;
}

} // namespace

bool ApplySimOptions(int argc, const char* const* argv, VirtualInstrument& instrument)
{
    instrument.SetVersion(kDemoVersionMajor, kDemoVersionMinor);
    VirtualInstrument::Wiring wiring;
    SignalSettings signals;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] != nullptr ? argv[i] : "";
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        long value = 0;
        if (arg == "--silent") {
            instrument.SetSilent(true);
        } else if (next == nullptr) {
            Usage();
            return false;
        } else if (arg == "--version") {
            unsigned major = 0, minor = 0;
            if (std::sscanf(next, "%u.%u", &major, &minor) != 2 || major > 255 || minor > 255) {
                Usage();
                return false;
            }
            instrument.SetVersion(static_cast<std::uint8_t>(major), static_cast<std::uint8_t>(minor));
            ++i;
        } else if (arg == "--mode" && ParseInt(next, 0, 255, value)) {
            instrument.SetMode(static_cast<std::uint8_t>(value));
            ++i;
        } else if (arg == "--delay" && ParseInt(next, 0, 60000, value)) {
            instrument.SetReplyDelay(static_cast<DWORD>(value));
            ++i;
        } else if (arg == "--corrupt-every" && ParseInt(next, 0, 1000000, value)) {
            instrument.SetCorruptEvery(static_cast<int>(value));
            ++i;
        } else if (arg == "--split" && ParseInt(next, 0, 4096, value)) {
            instrument.SetSplitSize(static_cast<int>(value));
            ++i;
        } else if (arg == "--bus-stuck" && ParseInt(next, 0, 255, value)) {
            wiring.busStuck = true;
            wiring.busStuckValue = static_cast<std::uint8_t>(value);
            ++i;
        } else if (arg == "--ext-trig-stuck" && ParseInt(next, 0, 1, value)) {
            wiring.extTrigStuck = true;
            wiring.extTrigValue = static_cast<std::uint8_t>(value);
            ++i;
        } else if (arg == "--sine-hz" && ParseHz(next, signals.sineHz)) {
            ++i;
        } else if (arg == "--square-hz" && ParseHz(next, signals.squareHz)) {
            ++i;
        } else if (arg == "--counter-hz" && ParseHz(next, signals.counterHz)) {
            ++i;
        } else if (arg == "--sine-amp" && ParseInt(next, 0, 127, value)) {
            signals.sineAmplitude = static_cast<int>(value);
            ++i;
        } else if (arg == "--square-amp" && ParseInt(next, 0, 127, value)) {
            signals.squareAmplitude = static_cast<int>(value);
            ++i;
        } else if (arg == "--uart-baud" && ParseInt(next, 1, 10000000, value)) {
            signals.uartBaud = static_cast<unsigned>(value);
            ++i;
        } else if (arg == "--spi-hz" && ParseInt(next, 1, 10000000, value)) {
            signals.spiHz = static_cast<unsigned>(value);
            ++i;
        } else if ((arg == "--offset-a" || arg == "--offset-b") && ParseInt(next, -128, 127, value)) {
            instrument.SetInputOffset(arg == "--offset-a" ? 0 : 1, static_cast<int>(value));
            ++i;
        } else if (arg == "--generator-to" && (std::string(next) == "A" || std::string(next) == "B")) {
            signals.generatorWired[std::string(next) == "A" ? 0 : 1] = true;
            ++i;
        } else if (arg == "--cutoff-hz" && ParseHz(next, signals.cutoffHz[0])) {
            signals.cutoffHz[1] = signals.cutoffHz[0];
            ++i;
        } else {
            Usage();
            return false;
        }
    }
    instrument.SetWiring(wiring);
    instrument.SetSignals(signals);
    return true;
}
