#pragma once
// A scripted conversation for the test dispatcher: a fake instrument that answers the host's
// packets as the real one does, and a host side that hands each answer to the dispatcher the
// way the link worker does (frame in the receive buffer, reply preset to GET_STATE).

#include "testtool/TestDispatch.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// A packet: the type byte followed by its payload (what a frame carries after its length).
Bytes Packet(std::uint8_t type, const Bytes& payload = {});

class FakeInstrument {
public:
    std::uint8_t versionMajor = 4;
    // What bus A and ext_trig read for what bus B and freq_out drive; wired by default.
    std::function<std::uint8_t(std::uint8_t)> busA = [](std::uint8_t b) { return b; };
    std::function<std::uint8_t(std::uint8_t)> extTrig = [](std::uint8_t f) { return f; };

    // The device's answer to a host packet.
    Bytes Answer(const Bytes& hostPacket);

    // The LA_TEST_WRITE packets received, as (bus B, freq_out).
    std::vector<std::pair<int, int>> writes;
};

class HostSide {
public:
    explicit HostSide(CTestDispatch& dispatch);

    // Hands one device packet to the dispatcher and returns the host's reply packet.
    Bytes Handle(const Bytes& devicePacket);
    // Hands the device packet sealed into a frame with the given length field (which may be
    // shorter than the packet's structure); the bytes after it are left as the buffer holds.
    Bytes HandleWithLength(const Bytes& devicePacket, std::uint16_t length);

    CTestDispatch& dispatch;

private:
    std::uint8_t receive_[2060] = {};
    std::uint8_t reply_[272] = {};
};

// Runs the conversation from the opener for the given number of device answers; returns the
// host's last packet (the one the device would answer next).
Bytes Converse(HostSide& host, FakeInstrument& device, int answers,
               Bytes next = Packet(1));

// Event-log lines written since `total`, and the current total.
std::vector<std::string> LogSince(std::uint64_t total);
std::uint64_t LogTotal();
int CountEnding(const std::vector<std::string>& lines, const std::string& text);
int CountContaining(const std::vector<std::string>& lines, const std::string& text);
