#include "platform/usb/SerialDevices.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/utsname.h>

namespace fs = std::filesystem;

namespace {

// The first line of a small sysfs attribute, without trailing white space.
std::string ReadAttribute(const fs::path& path)
{
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line))
        return {};
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

bool FileMentions(const fs::path& path, const std::string& text)
{
    std::ifstream in(path);
    std::string line;
    while (in && std::getline(in, line))
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

fs::path DriverFolder(const SerialPaths& paths)
{
    return fs::path(paths.sysfsRoot) / "bus" / "usb-serial" / "drivers" / "ftdi_sio";
}

bool IsTtyUsbName(const std::string& name)
{
    return name.rfind("ttyUSB", 0) == 0 && name.size() > 6 &&
           std::all_of(name.begin() + 6, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The port's USB device folder is the parent of its interface folder.
SerialDeviceInfo Describe(const SerialPaths& paths, const fs::path& entry)
{
    std::error_code ec;
    const fs::path port = fs::canonical(entry, ec);
    SerialDeviceInfo info;
    const std::string name = entry.filename().string();
    info.devicePath = (fs::path(paths.devRoot) / name).string();
    if (ec)
        return info;
    const fs::path device = port.parent_path().parent_path();
    info.description = ReadAttribute(device / "product");
    info.serialNumber = ReadAttribute(device / "serial");
    if (fs::exists(port / "latency_timer", ec))
        info.latencyPath = (port / "latency_timer").string();
    return info;
}

} // namespace

bool FtdiDriverPresent(const SerialPaths& paths)
{
    std::error_code ec;
    if (fs::exists(DriverFolder(paths), ec) || fs::exists(fs::path(paths.sysfsRoot) / "module" / "ftdi_sio", ec))
        return true;
    utsname uts{};
    if (::uname(&uts) != 0)
        return false;
    const fs::path modules = fs::path(paths.modulesRoot) / uts.release;
    return FileMentions(modules / "modules.dep", "/ftdi_sio.ko") ||
           FileMentions(modules / "modules.builtin", "/ftdi_sio.ko");
}

bool ListFtdiPorts(const SerialPaths& paths, std::vector<SerialDeviceInfo>& out)
{
    out.clear();
    std::error_code ec;
    const fs::path folder = DriverFolder(paths);
    if (!fs::exists(folder, ec))
        return true;
    fs::directory_iterator it(folder, ec);
    if (ec)
        return false;
    std::vector<fs::path> entries;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            return false;
        if (IsTtyUsbName(it->path().filename().string()))
            entries.push_back(it->path());
    }
    // ttyUSB2 before ttyUSB10.
    std::sort(entries.begin(), entries.end(), [](const fs::path& a, const fs::path& b) {
        const std::string x = a.filename().string(), y = b.filename().string();
        return x.size() != y.size() ? x.size() < y.size() : x < y;
    });
    for (const auto& entry : entries)
        out.push_back(Describe(paths, entry));
    return true;
}

bool FindFtdiPortBySerial(const SerialPaths& paths, const std::string& serialNumber, SerialDeviceInfo& out)
{
    std::vector<SerialDeviceInfo> ports;
    if (serialNumber.empty() || !ListFtdiPorts(paths, ports))
        return false;
    for (const auto& port : ports) {
        if (port.serialNumber == serialNumber) {
            out = port;
            return true;
        }
    }
    return false;
}

std::vector<std::string> ParsePortList(const char* list)
{
    std::vector<std::string> ports;
    if (list == nullptr)
        return ports;
    std::stringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        const auto first = item.find_first_not_of(" \t");
        const auto last = item.find_last_not_of(" \t");
        if (first != std::string::npos)
            ports.push_back(item.substr(first, last - first + 1));
    }
    return ports;
}

bool WriteLatencyTimer(const std::string& latencyPath, int ms)
{
    std::ofstream out(latencyPath);
    if (!out)
        return false;
    out << ms << '\n';
    out.flush();
    return static_cast<bool>(out);
}
