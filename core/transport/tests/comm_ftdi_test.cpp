#include "core/transport/CommFTDI.h"
#include "core/transport/MessageBoxHook.h"
#include "platform/testing/RunFolder.h"
#include "sim/PtyInstrumentServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::mutex g_mutex;
std::vector<std::string> g_boxes;

void RecordBox(const std::string& text)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_boxes.push_back(text);
}

std::vector<std::string> Boxes()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_boxes;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path);
    std::string text;
    std::getline(in, text);
    return text;
}

// A fake sysfs tree and /dev folder with FTDI chips whose device nodes lead to a pseudo-terminal
// served by the virtual instrument.
class FtdiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        run_.emplace("ftdi");
        root_ = run_->Path();
        fs::create_directories(root_ / "dev");
        paths_.sysfsRoot = (root_ / "sys").string();
        paths_.devRoot = (root_ / "dev").string();
        paths_.modulesRoot = (root_ / "modules").string();
        instrument_ = std::make_shared<VirtualInstrument>();
        server_ = std::make_unique<PtyInstrumentServer>(instrument_);
        ASSERT_TRUE(server_->Start());
        SetMessageBoxHook(&RecordBox);
        std::lock_guard<std::mutex> lock(g_mutex);
        g_boxes.clear();
    }

    void TearDown() override
    {
        SetMessageBoxHook(nullptr);
        server_.reset();
        run_.reset();
    }

    // A chip bound to ftdi_sio as `tty`; with a device node leading to the pseudo-terminal.
    fs::path AddChip(const std::string& tty, const std::string& usbDevice, const std::string& serial, bool withNode = true)
    {
        const fs::path device = root_ / "sys" / "devices" / "usb1" / usbDevice;
        const fs::path port = device / (usbDevice + ":1.0") / tty;
        fs::create_directories(port);
        std::ofstream(device / "serial") << serial << "\n";
        std::ofstream(device / "product") << "Velkaro USB\n";
        std::ofstream(port / "latency_timer") << "16\n";
        const fs::path driver = root_ / "sys" / "bus" / "usb-serial" / "drivers" / "ftdi_sio";
        fs::create_directories(driver);
        fs::create_directory_symlink(port, driver / tty);
        if (withNode)
            fs::create_symlink(server_->SlavePath(), root_ / "dev" / tty);
        return port;
    }

    // Reads from the transport until `count` bytes have come or a generous limit passes.
    std::vector<std::uint8_t> ReadAnswer(CCommFTDI& ftdi, std::size_t count)
    {
        std::vector<std::uint8_t> buffer(64, 0);
        ftdi.BeginRead(buffer.data(), static_cast<int>(buffer.size()));
        std::size_t got = 0;
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (got < count && std::chrono::steady_clock::now() < limit) {
            got += static_cast<std::size_t>(ftdi.PollRead());
            std::this_thread::yield();
        }
        buffer.resize(got);
        return buffer;
    }

    std::optional<RunFolder> run_;
    fs::path root_;
    SerialPaths paths_;
    std::shared_ptr<VirtualInstrument> instrument_;
    std::unique_ptr<PtyInstrumentServer> server_;
};

const std::uint8_t kOpener[] = {0xFF, 0x01, 0x00, 0x01, 0x77};

TEST_F(FtdiTest, EnumerationListsChipsBySerialNumberThenNamedPorts)
{
    AddChip("ttyUSB10", "1-2", "B2");
    AddChip("ttyUSB2", "1-1", "A1");
    CCommFTDI ftdi(paths_, true, {"/tmp/port"});
    ASSERT_TRUE(ftdi.Enumerate());
    ASSERT_EQ(ftdi.GetCount(), 3);
    EXPECT_EQ(ftdi.GetDescription(0), "FTDI0: Description=Velkaro USB SerialNumber=A1");
    EXPECT_EQ(ftdi.GetDescription(1), "FTDI1: Description=Velkaro USB SerialNumber=B2");
    EXPECT_EQ(ftdi.GetDescription(2), "FTDI2: Description=/tmp/port SerialNumber=");
    EXPECT_EQ(ftdi.GetDescription(3), "");
    EXPECT_EQ(ftdi.GetDescription(-1), "");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ftdi.GetBaudRate(i), 2000000);
    EXPECT_FALSE(ftdi.Select(3));
    EXPECT_FALSE(ftdi.Select(-1));
    EXPECT_EQ(ftdi.GetSelected(), -1);
}

TEST_F(FtdiTest, WithoutTheDriverOnlyNamedPortsAreListed)
{
    AddChip("ttyUSB0", "1-1", "A1");
    CCommFTDI ftdi(paths_, false, {server_->SlavePath()});
    EXPECT_FALSE(ftdi.Enumerate());
    ASSERT_EQ(ftdi.GetCount(), 1);
    EXPECT_EQ(ftdi.GetDescription(0), "FTDI0: Description=" + server_->SlavePath() + " SerialNumber=");
    // The driver probe finds the fake driver folder.
    EXPECT_TRUE(FtdiDriverPresent(paths_));
    fs::remove_all(root_ / "sys");
    EXPECT_FALSE(FtdiDriverPresent(paths_));
}

TEST_F(FtdiTest, OpensByItsSerialNumberAt2000000BaudWithLatency2)
{
    const fs::path port = AddChip("ttyUSB0", "1-1", "A1");
    CCommFTDI ftdi(paths_, true, {});
    ASSERT_TRUE(ftdi.Enumerate());
    ASSERT_TRUE(ftdi.Select(0));
    ASSERT_TRUE(ftdi.Open());
    EXPECT_TRUE(ftdi.IsOpen());
    EXPECT_EQ(server_->SlaveBaudRate(), 2000000);
    EXPECT_EQ(ReadFile(port / "latency_timer"), "2");

    // The opener is answered with MODE: FF 02 00 02 03 crc.
    EXPECT_EQ(ftdi.Send(kOpener, sizeof(kOpener)), 5);
    const auto answer = ReadAnswer(ftdi, 6);
    ASSERT_EQ(answer.size(), 6u);
    EXPECT_EQ(answer[3], 2);
    EXPECT_EQ(answer[4], 3);
    ftdi.Close();
    EXPECT_FALSE(ftdi.IsOpen());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(FtdiTest, ChipFoundAgainUnderAnotherName)
{
    AddChip("ttyUSB0", "1-1", "A1");
    CCommFTDI ftdi(paths_, true, {});
    ASSERT_TRUE(ftdi.Enumerate());
    ASSERT_TRUE(ftdi.Select(0));
    // The chip restarts and comes back as ttyUSB1.
    fs::remove_all(root_ / "sys");
    fs::remove(root_ / "dev" / "ttyUSB0");
    AddChip("ttyUSB1", "1-1", "A1");
    EXPECT_TRUE(ftdi.Open());
}

TEST_F(FtdiTest, ChosenBaudRateIsUsedUntilTheNextEnumeration)
{
    AddChip("ttyUSB0", "1-1", "A1");
    CCommFTDI ftdi(paths_, true, {});
    ASSERT_TRUE(ftdi.Enumerate());
    CCommFTDI::SetBaudDialog([](int& rate, CWnd*) {
        EXPECT_EQ(rate, 2000000);
        rate = 115200;
        return true;
    });
    ftdi.Options(0, nullptr);
    ftdi.Options(-1, nullptr); // refused, the dialog is not shown for it
    CCommFTDI::SetBaudDialog({});
    EXPECT_EQ(ftdi.GetBaudRate(0), 115200);
    ASSERT_TRUE(ftdi.Select(0));
    ASSERT_TRUE(ftdi.Open());
    EXPECT_EQ(server_->SlaveBaudRate(), 115200);
    ftdi.Close();
    ASSERT_TRUE(ftdi.Enumerate());
    EXPECT_EQ(ftdi.GetBaudRate(0), 2000000);
}

TEST_F(FtdiTest, FailuresNameTheClassAndTheStep)
{
    AddChip("ttyUSB0", "1-1", "A1");
    const fs::path noNode = AddChip("ttyUSB1", "1-2", "B2", false);
    CCommFTDI ftdi(paths_, true, {});
    ASSERT_TRUE(ftdi.Enumerate());

    EXPECT_FALSE(ftdi.Open()); // nothing selected: refused without a message
    EXPECT_TRUE(Boxes().empty());

    ASSERT_TRUE(ftdi.Select(1));
    EXPECT_FALSE(ftdi.Open());
    EXPECT_FALSE(ftdi.IsOpen());

    ASSERT_TRUE(ftdi.Select(0));
    ftdi.SetBaudRate(0, 12345);
    EXPECT_FALSE(ftdi.Open());
    EXPECT_TRUE(ftdi.IsOpen()); // the port stays open until Close
    ftdi.Close();

    ftdi.SetBaudRate(0, 1000000);
    const fs::path latency = root_ / "sys" / "devices" / "usb1" / "1-1" / "1-1:1.0" / "ttyUSB0" / "latency_timer";
    fs::remove(latency);
    fs::create_directory(latency); // cannot be written
    EXPECT_FALSE(ftdi.Open());
    ftdi.Close();

    // The serial number is gone: the chip is unplugged.
    fs::remove_all(root_ / "sys" / "bus");
    EXPECT_FALSE(ftdi.Open());

    EXPECT_EQ(Boxes(), (std::vector<std::string>{
                           "CCommFTDI::Open - FT_W32_CreateFile error!",
                           "CCommFTDI::Open - FT_W32_SetCommState failed!",
                           "CCommFTDI::Open - Unable to set new latancy timer value",
                           "CCommFTDI::Open - FT_W32_CreateFile error!",
                       }));
    (void)noNode;
}

TEST_F(FtdiTest, PollReadAppendsAndStopsAtTheArmedLength)
{
    CCommFTDI ftdi(paths_, false, {server_->SlavePath()});
    ftdi.Enumerate();
    ASSERT_TRUE(ftdi.Select(0));
    ASSERT_TRUE(ftdi.Open());
    EXPECT_EQ(ftdi.PollRead(), 0); // nothing armed
    instrument_->SetSplitSize(2);
    std::uint8_t buffer[8] = {};
    ftdi.BeginRead(buffer, 4);
    ftdi.Send(kOpener, sizeof(kOpener));
    int got = 0;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (got < 4 && std::chrono::steady_clock::now() < limit) {
        got += ftdi.PollRead();
        std::this_thread::yield();
    }
    EXPECT_EQ(got, 4);
    EXPECT_EQ(ftdi.PollRead(), 0); // the armed length is used up
    EXPECT_EQ(buffer[0], 0xFF);
    EXPECT_EQ(buffer[3], 2);
    EXPECT_EQ(buffer[4], 0); // nothing past the armed length
}

} // namespace
