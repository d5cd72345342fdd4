#include "platform/usb/PseudoTerminal.h"
#include "platform/usb/SerialDevices.h"
#include "platform/usb/SerialPort.h"
#include "platform/usb/UsbBackend.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A Microsoft OS 2.0 descriptor set: header, then the given descriptors.
std::vector<std::uint8_t> DescriptorSet(const std::vector<std::vector<std::uint8_t>>& parts)
{
    std::vector<std::uint8_t> set = {10, 0, 0, 0, 0, 0, 0x03, 0x06, 0, 0};
    for (const auto& part : parts)
        set.insert(set.end(), part.begin(), part.end());
    set[8] = static_cast<std::uint8_t>(set.size() & 0xFF);
    set[9] = static_cast<std::uint8_t>(set.size() >> 8);
    return set;
}

std::vector<std::uint8_t> FunctionSubset(std::uint8_t interfaceNumber)
{
    return {8, 0, 2, 0, interfaceNumber, 0, 8, 0};
}

std::vector<std::uint8_t> GuidProperty(const std::string& guid)
{
    std::vector<std::uint8_t> value;
    for (char c : guid) {
        value.push_back(static_cast<std::uint8_t>(c));
        value.push_back(0);
    }
    std::vector<std::uint8_t> d = {0, 0, 4, 0, 7, 0};
    d.insert(d.end(), value.begin(), value.end());
    const std::size_t length = d.size();
    d[0] = static_cast<std::uint8_t>(length & 0xFF);
    d[1] = static_cast<std::uint8_t>(length >> 8);
    return d;
}

TEST(UsbDescriptorTest, FindsTheGuidAndItsInterface)
{
    int iface = -1;
    auto whole = DescriptorSet({GuidProperty("{4050c782-2398-4468-9ef1-f756cd52436f}")});
    EXPECT_TRUE(FindWinUsbInterface(whole.data(), whole.size(), iface));
    EXPECT_EQ(iface, 0);

    auto perFunction = DescriptorSet({FunctionSubset(0), GuidProperty("{00000000-0000-0000-0000-000000000000}"),
                                      FunctionSubset(2), GuidProperty(kWinUsbInterfaceGuid)});
    EXPECT_TRUE(FindWinUsbInterface(perFunction.data(), perFunction.size(), iface));
    EXPECT_EQ(iface, 2);

    auto other = DescriptorSet({GuidProperty("{14F49509-FE63-4AC4-B947-954863546D50}")});
    EXPECT_FALSE(FindWinUsbInterface(other.data(), other.size(), iface));
}

TEST(UsbDescriptorTest, MalformedSetsAreRefusedWithoutReadingPastTheData)
{
    int iface = -1;
    auto set = DescriptorSet({GuidProperty(kWinUsbInterfaceGuid)});
    // Cut short: the property claims more bytes than there are.
    EXPECT_FALSE(FindWinUsbInterface(set.data(), set.size() - 4, iface));
    // A descriptor of length 0 would never advance.
    auto zero = DescriptorSet({{0, 0, 4, 0}});
    EXPECT_FALSE(FindWinUsbInterface(zero.data(), zero.size(), iface));
    // A wrong header.
    set[0] = 9;
    EXPECT_FALSE(FindWinUsbInterface(set.data(), set.size(), iface));
    EXPECT_FALSE(FindWinUsbInterface(nullptr, 0, iface));
}

TEST(UsbDescriptorTest, DeviceListIsParsedAndMalformedEntriesSkipped)
{
    const auto ids = ParseUsbDeviceList(" 0483:5740, zz:1, 1234,  ABCD:00ef ,:,12345:1");
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(ids[0], std::make_pair(std::uint16_t{0x0483}, std::uint16_t{0x5740}));
    EXPECT_EQ(ids[1], std::make_pair(std::uint16_t{0xABCD}, std::uint16_t{0x00EF}));
    EXPECT_TRUE(ParseUsbDeviceList(nullptr).empty());
}

TEST(SerialTest, PortListAndSpeeds)
{
    EXPECT_EQ(ParsePortList("/dev/pts/3, /dev/ttyACM0,,"), (std::vector<std::string>{"/dev/pts/3", "/dev/ttyACM0"}));
    EXPECT_TRUE(ParsePortList(nullptr).empty());
    EXPECT_NE(SerialPort::SpeedFor(115200), 0u);
    EXPECT_NE(SerialPort::SpeedFor(1000000), 0u);
    EXPECT_NE(SerialPort::SpeedFor(2000000), 0u);
    EXPECT_EQ(SerialPort::SpeedFor(12345), 0u);
}

TEST(SerialTest, OnlyTerminalsOpenAndEachOnlyOnce)
{
    SerialPort notTty;
    EXPECT_FALSE(notTty.Open("/dev/null"));
    EXPECT_FALSE(notTty.Open("/nonexistent/tty"));

    PseudoTerminal pty;
    ASSERT_TRUE(pty.Create());
    SerialPort port;
    ASSERT_TRUE(port.Open(pty.SlavePath()));
    EXPECT_FALSE(port.Open(pty.SlavePath())); // already open
    ASSERT_TRUE(port.GetState());
    ASSERT_TRUE(port.SetState(1000000));
    EXPECT_EQ(port.GetBaudRate(), 1000000);
    EXPECT_EQ(pty.SlaveBaudRate(), 1000000);
    ASSERT_TRUE(port.GetTimeouts());
    ASSERT_TRUE(port.SetImmediateReads());
    char buffer[8];
    EXPECT_EQ(port.Read(buffer, sizeof(buffer)), 0); // nothing there: returns at once
    EXPECT_EQ(pty.Write("ab", 2), 2);
    EXPECT_EQ(port.ReadWait(buffer, sizeof(buffer), 5000), 2);
    EXPECT_EQ(port.Write("xyz", 3, 100), 3);
    EXPECT_EQ(pty.Read(buffer, sizeof(buffer), 5000), 3);
    EXPECT_TRUE(port.Close());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Read(buffer, 1), -1);
}

} // namespace

namespace {

// The real backend on whatever bus this machine has (often none): it must list without
// failing when libusb works, and never open a device that is not there.
TEST(LibUsbBackendTest, ListsAndRefusesUnknownDevices)
{
    UsbBackend& usb = CurrentUsbBackend();
    std::vector<UsbDeviceInfo> devices;
    if (!usb.Available())
        GTEST_SKIP() << "libusb cannot be initialised here";
    EXPECT_TRUE(usb.List(devices));
    for (const auto& device : devices) {
        EXPECT_FALSE(device.identity.empty());
        EXPECT_TRUE(device.listed || device.winUsbInterface);
    }
    EXPECT_EQ(usb.Open("ffff:ffff#no-such-device"), nullptr);
}

} // namespace
