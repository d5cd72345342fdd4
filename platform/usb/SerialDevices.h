#pragma once
// Finding serial ports: FTDI chips bound to the kernel's ftdi_sio driver, found through sysfs
// with their serial numbers, and further ports named in VELKARO_SERIAL_PORTS.
//
// The sysfs root and the device folder are parameters, so that tests can build a fake tree.

#include <string>
#include <vector>

struct SerialDeviceInfo {
    std::string description;  // the USB product string (or the path of a listed port)
    std::string serialNumber; // the USB serial number; empty for a listed port
    std::string devicePath;   // e.g. /dev/ttyUSB0
    std::string latencyPath;  // the chip's latency_timer attribute; empty when it has none
};

struct SerialPaths {
    std::string sysfsRoot = "/sys";
    std::string devRoot = "/dev";
    std::string modulesRoot = "/lib/modules";
};

// True when the kernel has the ftdi_sio driver: loaded, built in, or available as a module.
bool FtdiDriverPresent(const SerialPaths& paths);

// The FTDI ports bound to ftdi_sio, ordered by device name. False when the driver's folder
// cannot be read (no FTDI chip has been bound since boot: an empty, successful listing).
bool ListFtdiPorts(const SerialPaths& paths, std::vector<SerialDeviceInfo>& out);

// The ftdi_sio port whose chip has this serial number, looked up afresh (the ttyUSB number can
// change when the chip is unplugged or restarts). False when no such chip is bound.
bool FindFtdiPortBySerial(const SerialPaths& paths, const std::string& serialNumber, SerialDeviceInfo& out);

// The paths in a comma-separated list (VELKARO_SERIAL_PORTS); empty entries are skipped.
std::vector<std::string> ParsePortList(const char* list);

// Writes the latency timer (milliseconds) of an FTDI chip.
bool WriteLatencyTimer(const std::string& latencyPath, int ms);
