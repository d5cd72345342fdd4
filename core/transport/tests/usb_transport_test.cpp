#include "core/transport/BulkUSB.h"
#include "core/transport/WinUSB.h"
#include "platform/kernel/ManualClock.h"
#include "platform/usb/UsbBackend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>

namespace {

// A scripted bus: devices with their endpoints, reads answered from a queue per device.
struct FakeDevice {
    UsbDeviceInfo info;
    bool openable = true;
    std::deque<std::vector<std::uint8_t>> reads; // answers of the IN endpoint, in order
    std::vector<std::vector<std::uint8_t>> writes;
    int zeroLengthReads = 0;
    bool zeroLengthPacketFollows = false;
    int opens = 0;
    ManualClock* clock = nullptr; // advanced by each failed zero-length read (a pipe time-out)
    std::vector<unsigned> reapWaits; // the wait of each look at the started read
};

class FakeHandle final : public UsbDeviceHandle {
public:
    explicit FakeHandle(FakeDevice& device) : device_(device) {}

    int BulkTransfer(std::uint8_t endpoint, std::uint8_t* data, int length, unsigned) override
    {
        if ((endpoint & 0x80) == 0) {
            device_.writes.emplace_back(data, data + length);
            return length;
        }
        if (length == 0) {
            ++device_.zeroLengthReads;
            if (device_.zeroLengthPacketFollows) {
                device_.zeroLengthPacketFollows = false;
                return 0;
            }
            if (device_.clock != nullptr)
                device_.clock->Advance(10);
            return -1;
        }
        if (device_.reads.empty())
            return -1;
        auto answer = device_.reads.front();
        device_.reads.pop_front();
        const int n = std::min(length, static_cast<int>(answer.size()));
        std::memcpy(data, answer.data(), static_cast<std::size_t>(n));
        return n;
    }

    bool SubmitRead(std::uint8_t, std::uint8_t* buffer, int length) override
    {
        armed_ = buffer;
        armedLength_ = length;
        return true;
    }

    int ReapRead(unsigned waitMs) override
    {
        device_.reapWaits.push_back(waitMs);
        if (armed_ == nullptr || device_.reads.empty())
            return -1;
        auto answer = device_.reads.front();
        device_.reads.pop_front();
        const int n = std::min(armedLength_, static_cast<int>(answer.size()));
        std::memcpy(armed_, answer.data(), static_cast<std::size_t>(n));
        armed_ = nullptr;
        return n;
    }

    void CancelRead() override { armed_ = nullptr; }
    bool ClearHalt(std::uint8_t) override { return true; }

private:
    FakeDevice& device_;
    std::uint8_t* armed_ = nullptr;
    int armedLength_ = 0;
};

class FakeBackend final : public UsbBackend {
public:
    bool Available() override { return true; }
    bool List(std::vector<UsbDeviceInfo>& out) override
    {
        out.clear();
        for (auto& [id, device] : devices)
            out.push_back(device.info);
        return listable;
    }
    std::unique_ptr<UsbDeviceHandle> Open(const std::string& identity) override
    {
        auto it = devices.find(identity);
        if (it == devices.end() || !it->second.openable)
            return nullptr;
        ++it->second.opens;
        return std::make_unique<FakeHandle>(it->second);
    }

    FakeDevice& Add(const std::string& identity, const std::string& product, bool listed, bool winUsb,
                    std::vector<UsbEndpoint> endpoints)
    {
        FakeDevice& d = devices[identity];
        d.info.identity = identity;
        d.info.product = product;
        d.info.listed = listed;
        d.info.winUsbInterface = winUsb;
        d.info.endpoints = std::move(endpoints);
        return d;
    }

    std::map<std::string, FakeDevice> devices;
    bool listable = true;
};

const UsbEndpoint kBulkIn{0x81, 0x02, 64};
const UsbEndpoint kBulkOut{0x01, 0x02, 64};
const UsbEndpoint kInterruptIn{0x82, 0x03, 8};

class UsbTransportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetUsbBackend(&backend_);
        SetCurrentClock(&clock_);
    }
    void TearDown() override
    {
        SetUsbBackend(nullptr);
        SetCurrentClock(nullptr);
    }
    FakeBackend backend_;
    ManualClock clock_;
};

TEST_F(UsbTransportTest, WinUsbListsOpenableDevicesByProductString)
{
    backend_.Add("a", "Velkaro A", true, false, {kBulkIn, kBulkOut});
    backend_.Add("b", "Velkaro B", false, true, {kBulkIn, kBulkOut});
    backend_.Add("c", "Busy", true, false, {kBulkIn, kBulkOut}).openable = false;
    CWinUSB usb;
    ASSERT_TRUE(usb.Enumerate());
    ASSERT_EQ(usb.GetCount(), 2);
    EXPECT_EQ(usb.GetDescription(0), "Velkaro A");
    EXPECT_EQ(usb.GetDescription(1), "Velkaro B");
    EXPECT_EQ(usb.GetDescription(2), "");
    EXPECT_FALSE(usb.Open()); // nothing selected
    backend_.listable = false;
    EXPECT_FALSE(usb.Enumerate());
    EXPECT_EQ(usb.GetCount(), 0);
}

TEST_F(UsbTransportTest, WinUsbRefusesAnInterfaceWithAnInterruptPipe)
{
    backend_.Add("a", "Velkaro", true, false, {kBulkIn, kBulkOut, kInterruptIn});
    CWinUSB usb;
    ASSERT_TRUE(usb.Enumerate());
    ASSERT_TRUE(usb.Select(0));
    EXPECT_FALSE(usb.Open());
    EXPECT_FALSE(usb.IsOpen());
}

TEST_F(UsbTransportTest, WinUsbShortAnswerIsFollowedByZeroLengthReadsForAtMost100Ms)
{
    FakeDevice& device = backend_.Add("a", "Velkaro", true, false, {kBulkIn, kBulkOut});
    CWinUSB usb;
    ASSERT_TRUE(usb.Enumerate());
    ASSERT_TRUE(usb.Select(0));
    ASSERT_TRUE(usb.Open());
    std::uint8_t buffer[2060] = {};
    usb.BeginRead(buffer, 2049);

    // A whole packet: no zero-length read.
    device.reads.push_back(std::vector<std::uint8_t>(64, 0xAA));
    EXPECT_EQ(usb.PollRead(), 64);
    EXPECT_EQ(device.zeroLengthReads, 0);

    // A short answer whose zero-length packet comes at once.
    device.reads.push_back(std::vector<std::uint8_t>(5, 0x55));
    device.zeroLengthPacketFollows = true;
    EXPECT_EQ(usb.PollRead(), 5);
    EXPECT_EQ(device.zeroLengthReads, 1);

    // A short answer without one: the reads stop after about 100 ms, the count is kept.
    device.zeroLengthReads = 0;
    device.clock = &clock_;
    device.reads.push_back(std::vector<std::uint8_t>(5, 0x66));
    EXPECT_EQ(usb.PollRead(), 5);
    EXPECT_EQ(device.zeroLengthReads, 11); // 10 ms each, until more than 100 ms have passed
    EXPECT_EQ(buffer[0], 0x66);
    EXPECT_EQ(buffer[5], 0xAA); // each poll reads into the start of the buffer
    EXPECT_EQ(usb.PollRead(), 0); // nothing queued: a failed read delivers nothing
    usb.Close();
    EXPECT_FALSE(usb.IsOpen());
}

TEST_F(UsbTransportTest, WinUsbSendsOnTheOutPipe)
{
    FakeDevice& device = backend_.Add("a", "Velkaro", true, false, {kBulkOut, kBulkIn});
    CWinUSB usb;
    usb.Enumerate();
    usb.Select(0);
    ASSERT_TRUE(usb.Open());
    const std::uint8_t opener[] = {0xFF, 0x01, 0x00, 0x01, 0x77};
    EXPECT_EQ(usb.Send(opener, 5), 5);
    ASSERT_EQ(device.writes.size(), 1u);
    EXPECT_EQ(device.writes[0], std::vector<std::uint8_t>(opener, opener + 5));
}

TEST_F(UsbTransportTest, BulkOffersOnlyListedDevices)
{
    backend_.Add("a", "Listed", true, false, {kBulkIn, kBulkOut});
    backend_.Add("b", "GuidOnly", false, true, {kBulkIn, kBulkOut});
    CBulkUSB bulk;
    ASSERT_TRUE(bulk.Enumerate());
    ASSERT_EQ(bulk.GetCount(), 1);
    EXPECT_EQ(bulk.GetDescription(0), "Listed");
}

TEST_F(UsbTransportTest, BulkWithoutInputPipeOpensButIsNotOpen)
{
    backend_.Add("a", "Listed", true, false, {kBulkOut});
    CBulkUSB bulk;
    ASSERT_TRUE(bulk.Enumerate());
    ASSERT_TRUE(bulk.Select(0));
    EXPECT_TRUE(bulk.Open());
    EXPECT_FALSE(bulk.IsOpen());
    bulk.Close();
}

TEST_F(UsbTransportTest, BulkReportsACompletedReadOnce)
{
    FakeDevice& device = backend_.Add("a", "Listed", true, false, {kBulkIn, kBulkOut});
    CBulkUSB bulk;
    ASSERT_TRUE(bulk.Enumerate());
    ASSERT_TRUE(bulk.Select(0));
    ASSERT_TRUE(bulk.Open());
    ASSERT_TRUE(bulk.IsOpen());
    std::uint8_t buffer[2060] = {};
    bulk.BeginRead(buffer, 2049);
    EXPECT_EQ(bulk.PollRead(), 0); // nothing yet
    device.reads.push_back({0xFF, 0x02, 0x00, 0x02, 0x03, 0x00});
    device.reads.push_back({0x11});
    EXPECT_EQ(bulk.PollRead(), 6);
    EXPECT_EQ(bulk.PollRead(), 0); // reported once; the next read needs a new BeginRead
    bulk.BeginRead(buffer, 2049);
    EXPECT_EQ(bulk.PollRead(), 1);
    EXPECT_EQ(buffer[0], 0x11);
}

// The link waits for the instrument in WaitRead: the bulk transport waits in libusb's event
// handling for its started read, and with no read started (one already reported) it sleeps
// the wait out instead of returning at once to a caller that would spin.
TEST_F(UsbTransportTest, BulkWaitsForItsReadInLibusb)
{
    FakeDevice& device = backend_.Add("a", "Listed", true, false, {kBulkIn, kBulkOut});
    CBulkUSB bulk;
    ASSERT_TRUE(bulk.Enumerate() && bulk.Select(0) && bulk.Open());
    std::uint8_t buffer[2060] = {};
    bulk.BeginRead(buffer, 2049);
    device.reapWaits.clear();
    EXPECT_EQ(bulk.WaitRead(10), 0);
    EXPECT_EQ(device.reapWaits, std::vector<unsigned>{10});
    device.reads.push_back({0xFF, 0x01});
    EXPECT_EQ(bulk.WaitRead(10), 2);

    device.reapWaits.clear();
    const DWORD before = clock_.GetTickCount();
    EXPECT_EQ(bulk.WaitRead(10), 0);
    EXPECT_TRUE(device.reapWaits.empty());
    EXPECT_EQ(clock_.GetTickCount() - before, 10u);
}

} // namespace
