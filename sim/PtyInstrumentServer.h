#pragma once
// Serves a virtual instrument on a pseudo-terminal from a thread of its own: a transport that
// opens SlavePath() talks to the instrument as to a serial bridge.

#include "platform/usb/PseudoTerminal.h"
#include "sim/VirtualInstrument.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

class PtyInstrumentServer {
public:
    explicit PtyInstrumentServer(std::shared_ptr<VirtualInstrument> instrument);
    ~PtyInstrumentServer();
    PtyInstrumentServer(const PtyInstrumentServer&) = delete;
    PtyInstrumentServer& operator=(const PtyInstrumentServer&) = delete;

    // Creates the terminal and starts serving; false when no terminal could be made.
    bool Start();
    // Stops serving (within one poll period) and removes the terminal.
    void Stop();

    const std::string& SlavePath() const { return pty_.SlavePath(); }
    int SlaveBaudRate() const { return pty_.SlaveBaudRate(); }
    VirtualInstrument& Instrument() { return *instrument_; }

    // One pass of the serving loop: takes the host's bytes (waiting up to waitMs for them)
    // and writes the answers that are due. The program's own loop and the thread use it.
    void ServeOnce(int waitMs);

private:
    std::shared_ptr<VirtualInstrument> instrument_;
    PseudoTerminal pty_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
