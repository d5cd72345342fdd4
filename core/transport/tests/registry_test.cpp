#include "core/transport/Comm.h"
#include "core/transport/CommFTDI.h"
#include "core/transport/InterfaceChooser.h"
#include "core/transport/Interfaces.h"
#include "core/transport/TransportRegistration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> RegisteredNames()
{
    std::vector<std::string> names;
    for (int i = 0; i < Interfaces::GetCount(); ++i)
        names.push_back(Interfaces::GetName(i));
    return names;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { Interfaces::Clear(); }
    void TearDown() override { Interfaces::Clear(); }
};

TEST_F(RegistryTest, EachProgramRegistersItsTransportsInOrder)
{
    RegisterTransports(TransportSet::Velkaro, DriverProbes{true, true});
    EXPECT_EQ(RegisteredNames(), (std::vector<std::string>{"WinUSB", "BulkUSB", "FTDI"}));
    EXPECT_TRUE(CCommFTDI::DriverFound());

    Interfaces::Clear();
    RegisterTransports(TransportSet::Durmitt, DriverProbes{true, true});
    EXPECT_EQ(RegisteredNames(), (std::vector<std::string>{"BulkUSB", "FTDI"}));
}

TEST_F(RegistryTest, MissingDriversShowInTheNames)
{
    RegisterTransports(TransportSet::Velkaro, DriverProbes{false, false});
    EXPECT_EQ(RegisteredNames(),
              (std::vector<std::string>{"WinUSB (driver not found!)", "BulkUSB", "FTDI (driver not found!)"}));
    EXPECT_FALSE(CCommFTDI::DriverFound());

    Interfaces::Clear();
    RegisterTransports(TransportSet::Durmitt, DriverProbes{true, false});
    EXPECT_EQ(RegisteredNames(), (std::vector<std::string>{"BulkUSB", "FTDI (driver not found!)"}));
}

TEST_F(RegistryTest, IndexOutsideTheRegistryThrows)
{
    Interfaces::Register([]() -> CComm* { return new CComm(); }, "Plain");
    for (int bad : {-1, 1, 100}) {
        try {
            (void)Interfaces::GetName(bad);
            FAIL() << "no exception for " << bad;
        } catch (const std::out_of_range& e) {
            EXPECT_STREQ(e.what(), "Interfaces:: Subscript out of range!");
        }
        EXPECT_THROW((void)Interfaces::GetCreator(bad), std::out_of_range);
        EXPECT_THROW((void)Interfaces::Create(bad), InterfacesRangeError);
    }
    EXPECT_EQ(Interfaces::GetName(0), "Plain");
}

TEST(CommTest, PlainTransportDoesNothing)
{
    CComm comm;
    EXPECT_FALSE(comm.Enumerate());
    EXPECT_EQ(comm.GetCount(), 0);
    EXPECT_EQ(comm.GetDescription(0), "error");
    EXPECT_EQ(comm.GetDescription(-1), "error");
    EXPECT_FALSE(comm.Select(0));
    EXPECT_FALSE(comm.Open());
    EXPECT_FALSE(comm.IsOpen());
    char buffer[8] = {};
    comm.BeginRead(buffer, sizeof(buffer));
    EXPECT_EQ(comm.PollRead(), 0);
    EXPECT_EQ(comm.Send(buffer, 5), 0);
    EXPECT_EQ(comm.Transact(buffer, 1, buffer, 1, 10), 0);
}

// A transport with a fixed device list that counts how many of its kind are alive.
int g_alive = 0;

template <int Devices>
class FakeComm : public CCommDeviceList {
public:
    FakeComm() { ++g_alive; }
    ~FakeComm() override { --g_alive; }
    bool Enumerate() override
    {
        ResetList();
        SetCount(Devices);
        return Devices > 0;
    }
    CString GetDescription(int i) override { return IsListed(i) ? StringFormat("dev%d/%d", Devices, i) : CString(); }
    void Options(int i, CWnd*) override { lastOptions = i; }
    int lastOptions = -2;
};

TEST_F(RegistryTest, ChooserListsEveryTransportAndHandsOverTheChosenOne)
{
    Interfaces::Register([]() -> CComm* { return new FakeComm<0>(); }, "None");
    Interfaces::Register([]() -> CComm* { return new FakeComm<2>(); }, "Two");
    Interfaces::Register([]() -> CComm* { return new FakeComm<1>(); }, "One");
    CComm* chosen = nullptr;
    {
        InterfaceChooser chooser;
        ASSERT_EQ(g_alive, 3);
        const auto& roots = chooser.Roots();
        ASSERT_EQ(roots.size(), 3u);
        EXPECT_EQ(roots[0].name, "None");
        EXPECT_TRUE(roots[0].devices.empty());
        ASSERT_EQ(roots[1].devices.size(), 2u);
        EXPECT_EQ(roots[1].devices[1].description, "dev2/1");
        EXPECT_EQ(roots[1].devices[1].index, 1);

        // Root items, negative and stale indices choose nothing.
        EXPECT_EQ(chooser.Choose(0, 0), nullptr);
        EXPECT_EQ(chooser.Choose(1, -1), nullptr);
        EXPECT_EQ(chooser.Choose(1, 2), nullptr);
        EXPECT_EQ(chooser.Choose(-1, 0), nullptr);
        EXPECT_EQ(chooser.Choose(3, 0), nullptr);

        chosen = chooser.Choose(1, 1);
        ASSERT_NE(chosen, nullptr);
        EXPECT_EQ(chooser.Choose(1, 1), nullptr); // already taken
    }
    // The chooser deleted the others; the chosen one is the caller's, with device 1 selected.
    EXPECT_EQ(g_alive, 1);
    EXPECT_EQ(static_cast<FakeComm<2>*>(chosen)->GetSelected(), 1);
    delete chosen;
    EXPECT_EQ(g_alive, 0);
}

TEST_F(RegistryTest, ChooserOptionsGoToTheDevicesTransport)
{
    Interfaces::Register([]() -> CComm* { return new FakeComm<2>(); }, "Two");
    InterfaceChooser chooser;
    chooser.Options(0, 1, nullptr);
    chooser.Options(0, -1, nullptr); // refused
    chooser.Options(0, 5, nullptr);  // refused
    CComm* chosen = chooser.Choose(0, 0);
    EXPECT_EQ(static_cast<FakeComm<2>*>(chosen)->lastOptions, 1);
    delete chosen;
}

TEST_F(RegistryTest, ChooserWithNothingRegisteredIsEmptyAndCancelsToNull)
{
    InterfaceChooser chooser;
    EXPECT_TRUE(chooser.Roots().empty());
    SetChooserFunction({});
    EXPECT_EQ(RunInterfaceChooser(), nullptr);
}

} // namespace
