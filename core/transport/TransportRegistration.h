#pragma once
// The transports each program offers, registered in Interfaces by an explicit call at
// start-up: Velkaro has "WinUSB", "BulkUSB" and "FTDI", Durmitt "BulkUSB" and "FTDI". A
// transport whose driver is missing is registered under its name with " (driver not found!)".
// The demo instrument, when asked for, is registered after them (sim/).

enum class TransportSet { Velkaro, Durmitt };

struct DriverProbes {
    bool usbLibrary = false; // libusb can be initialised
    bool ftdiDriver = false; // the kernel has ftdi_sio
};

// Probes the system.
DriverProbes ProbeDrivers();

void RegisterTransports(TransportSet set);
void RegisterTransports(TransportSet set, const DriverProbes& probes);
