// velkaro-sim: serves the virtual instrument on a pseudo-terminal until it is killed. It prints
// the terminal's path; give it to the programs in VELKARO_SERIAL_PORTS.

#include "sim/PtyInstrumentServer.h"
#include "sim/SimOptions.h"

#include <cerrno>
#include <csignal>
#include <pthread.h>
#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char** argv)
{
    auto instrument = std::make_shared<VirtualInstrument>();
    if (!ApplySimOptions(argc, argv, *instrument))
        return 2;

    // The serving thread inherits a mask without the stop signals, so they reach sigwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    PtyInstrumentServer server(instrument);
    if (!server.Start()) {
        std::fprintf(stderr, "velkaro-sim: no pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    std::printf("%s\n", server.SlavePath().c_str());
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
    return 0;
}
