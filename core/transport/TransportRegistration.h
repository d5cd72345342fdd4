#pragma once
// The transports each program offers, registered in Interfaces by an explicit call at
// start-up: Velkaro has "WinUSB", "BulkUSB" and "FTDI", Durmitt "BulkUSB" and "FTDI". A
// transport whose driver is missing is registered under its name with " (driver not found!)",
// except "FTDI" when VELKARO_SERIAL_PORTS names ports: those are listed under it and need no
// FTDI driver, so nothing is missing for them.
// The demo instrument, when asked for, is registered after them (sim/).

enum class TransportSet { Velkaro, Durmitt };

struct DriverProbes {
    bool usbLibrary = false;   // libusb can be initialised
    bool ftdiDriver = false;   // the kernel has ftdi_sio
    bool serialPorts = false;  // VELKARO_SERIAL_PORTS names at least one port
};

// Probes the system and the environment.
DriverProbes ProbeDrivers();

void RegisterTransports(TransportSet set);
void RegisterTransports(TransportSet set, const DriverProbes& probes);
