#include "core/protocol/PacketData.h"
#include "core/protocol/PacketFrame.h"
#include "core/transport/Interfaces.h"
#include "core/transport/TransportRegistration.h"
#include "platform/kernel/ManualClock.h"
#include "sim/SimComm.h"
#include "sim/SimOptions.h"
#include "sim/VirtualInstrument.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Frame(const Bytes& packet)
{
    Bytes frame(packet.size() + 4);
    SetFrameLength(frame.data(), static_cast<std::uint16_t>(packet.size()));
    std::copy(packet.begin(), packet.end(), frame.begin() + 3);
    frame[0] = FRAME_START;
    frame.back() = Crc8(frame.data(), frame.size() - 1);
    return frame;
}

// Feeds one host packet and returns the whole answer frame (chunks joined).
Bytes Ask(VirtualInstrument& sim, const Bytes& packet)
{
    const Bytes frame = Frame(packet);
    sim.Receive(frame.data(), frame.size());
    Bytes answer;
    for (const auto& chunk : sim.TakeOutput())
        answer.insert(answer.end(), chunk.begin(), chunk.end());
    return answer;
}

Bytes PacketOf(const Bytes& frame)
{
    if (frame.size() < 5 || !CheckFrame(frame.data()) || GetFrameSize(frame.data()) != frame.size())
        return {};
    return Bytes(frame.begin() + 3, frame.end() - 1);
}

TEST(VirtualInstrumentTest, AnswersTheSessionStart)
{
    ManualClock clock;
    VirtualInstrument sim(clock);
    sim.SetVersion(5, 2);
    EXPECT_EQ(PacketOf(Ask(sim, {PACKET_DATA_GET_MODE})), (Bytes{PACKET_DATA_MODE, 3}));
    EXPECT_EQ(PacketOf(Ask(sim, {PACKET_DATA_GET_VERSION})), (Bytes{PACKET_DATA_VERSION, 5, 2}));
    EXPECT_EQ(PacketOf(Ask(sim, {PACKET_DATA_WRITE_ANALOG_CR, 0x33, 0})), (Bytes{19}));
    // An idle device: nothing captured, the analog register as written (little-endian).
    const Bytes state = PacketOf(Ask(sim, {PACKET_DATA_GET_STATE}));
    ASSERT_EQ(state.size(), sizeof(PacketDataStructure<PACKET_DATA_STATE>));
    EXPECT_EQ(state[0], PACKET_DATA_STATE);
    EXPECT_EQ(state[1], 0x00); // osc_sr
    EXPECT_EQ(state[5], 0x33); // analog_cr
    EXPECT_EQ(PacketOf(Ask(sim, {PACKET_DATA_START_CYCLONE, 0x01, 0x10, 0, 0, 0, 0, 0, 100, 0, 0, 0})), (Bytes{28}));
    const Bytes running = PacketOf(Ask(sim, {PACKET_DATA_GET_STATE}));
    EXPECT_EQ(running[3], 0x01); // osc_cr of the running cycle
    EXPECT_EQ(running[4], 0x10);
    EXPECT_EQ(sim.GetCounters().framesReceived, 6);
    EXPECT_EQ(sim.GetCounters().captures, 1);
}

TEST(VirtualInstrumentTest, BootLoaderModeRestartsOnTheModeSwitch)
{
    ManualClock clock;
    VirtualInstrument sim(clock);
    sim.SetMode(1);
    EXPECT_EQ(PacketOf(Ask(sim, {PACKET_DATA_GET_MODE})), (Bytes{PACKET_DATA_MODE, 1}));
    EXPECT_TRUE(Ask(sim, {PACKET_DATA_SET_MODE, 3}).empty()); // restarting: no answer
    EXPECT_EQ(PacketOf(Ask(sim, {PACKET_DATA_GET_MODE})), (Bytes{PACKET_DATA_MODE, 3}));
}

TEST(VirtualInstrumentTest, LogicPortTestThroughTheWiring)
{
    ManualClock clock;
    VirtualInstrument sim(clock);
    EXPECT_EQ(PacketOf(Ask(sim, {PACKET_DATA_LA_TEST_WRITE, 0x40, 1})), (Bytes{PACKET_DATA_LA_TEST_READ, 0x40, 1}));
    EXPECT_EQ(PacketOf(Ask(sim, {PACKET_DATA_LA_TEST_WRITE, 0x08, 2})), (Bytes{PACKET_DATA_LA_TEST_READ, 0x08, 0}));
    VirtualInstrument::Wiring stuck;
    stuck.busStuck = true;
    stuck.busStuckValue = 0x00;
    stuck.extTrigStuck = true;
    stuck.extTrigValue = 1;
    sim.SetWiring(stuck);
    EXPECT_EQ(PacketOf(Ask(sim, {PACKET_DATA_LA_TEST_WRITE, 0x40, 0})), (Bytes{PACKET_DATA_LA_TEST_READ, 0x00, 1}));
}

TEST(VirtualInstrumentTest, HostFramesAreAssembledAndCheckedBeforeAnswering)
{
    ManualClock clock;
    VirtualInstrument sim(clock);
    const Bytes frame = Frame({PACKET_DATA_GET_VERSION});
    // Noise, then the frame in two pieces.
    const Bytes noise = {0x00, 0x13};
    sim.Receive(noise.data(), noise.size());
    sim.Receive(frame.data(), 2);
    EXPECT_TRUE(sim.TakeOutput().empty());
    sim.Receive(frame.data() + 2, frame.size() - 2);
    EXPECT_EQ(sim.TakeOutput().size(), 1u);
    // A wrong CRC is dropped and counted; the good frame after it is answered.
    Bytes broken = frame;
    broken.back() ^= 1;
    Bytes both = broken;
    both.insert(both.end(), frame.begin(), frame.end());
    sim.Receive(both.data(), both.size());
    EXPECT_EQ(sim.TakeOutput().size(), 1u);
    EXPECT_EQ(sim.GetCounters().badFrames, 1);
    // A length field beyond what a host may send is not waited for.
    const Bytes huge = {0xFF, 0xFF, 0x7F, 0x03};
    sim.Receive(huge.data(), huge.size());
    sim.Receive(frame.data(), frame.size());
    EXPECT_EQ(sim.TakeOutput().size(), 1u);
}

TEST(VirtualInstrumentTest, FaultsSilentSlowBrokenAndSplit)
{
    ManualClock clock;
    VirtualInstrument sim(clock);
    sim.SetSilent(true);
    EXPECT_TRUE(Ask(sim, {PACKET_DATA_GET_STATE}).empty());
    sim.SetSilent(false);

    sim.SetReplyDelay(50);
    const Bytes frame = Frame({PACKET_DATA_GET_STATE});
    sim.Receive(frame.data(), frame.size());
    EXPECT_FALSE(sim.HasOutputDue());
    clock.Advance(49);
    EXPECT_TRUE(sim.TakeOutput().empty());
    clock.Advance(1);
    EXPECT_EQ(sim.TakeOutput().size(), 1u);
    sim.SetReplyDelay(0);

    sim.SetSplitSize(7);
    sim.Receive(frame.data(), frame.size());
    const auto chunks = sim.TakeOutput();
    ASSERT_EQ(chunks.size(), 4u); // 23 bytes in pieces of 7
    EXPECT_EQ(chunks.back().size(), 2u);
    sim.SetSplitSize(0);

    sim.SetCorruptEvery(1);
    const Bytes answer = Ask(sim, {PACKET_DATA_GET_STATE});
    ASSERT_FALSE(answer.empty());
    EXPECT_FALSE(CheckFrame(answer.data()));
}

TEST(SimCommTest, PollReadAppendsOneChunkAtATimeWithinTheArmedLength)
{
    ManualClock clock;
    CSimComm comm(clock);
    EXPECT_FALSE(comm.Open()); // nothing selected
    ASSERT_TRUE(comm.Enumerate());
    EXPECT_EQ(comm.GetDescription(0), "Virtual instrument");
    EXPECT_EQ(comm.GetDescription(1), "");
    EXPECT_FALSE(comm.Select(-1));
    ASSERT_TRUE(comm.Select(0));
    ASSERT_TRUE(comm.Open());
    comm.Instrument().SetSplitSize(4);
    std::uint8_t buffer[16] = {};
    comm.BeginRead(buffer, 6);
    const Bytes opener = Frame({PACKET_DATA_GET_MODE});
    comm.Send(opener.data(), static_cast<int>(opener.size()));
    EXPECT_EQ(comm.PollRead(), 4);
    EXPECT_EQ(comm.PollRead(), 2);
    EXPECT_EQ(comm.PollRead(), 0);
    EXPECT_EQ(buffer[3], PACKET_DATA_MODE);
    EXPECT_EQ(buffer[4], 3);
    EXPECT_TRUE(CheckFrame(buffer));
    comm.Close();
    EXPECT_FALSE(comm.IsOpen());
}

// velkaro-sim started without --version reports what the demo entry reports, a version the
// programs support; the options it is given still choose another, and a bad one is refused.
TEST(SimOptionsTest, WithoutAVersionTheProgramReportsTheDemosOne)
{
    ManualClock clock;
    VirtualInstrument plain(clock);
    const char* noOptions[] = {"velkaro-sim"};
    ASSERT_TRUE(ApplySimOptions(1, noOptions, plain));
    EXPECT_EQ(PacketOf(Ask(plain, {PACKET_DATA_GET_VERSION})), (Bytes{PACKET_DATA_VERSION, 2, 1}));

    // The demo entry of the programs reports the same.
    Interfaces::Clear();
    RegisterDemoInterface();
    std::unique_ptr<CComm> demo(Interfaces::Create(0));
    ASSERT_TRUE(demo->Enumerate() && demo->Select(0) && demo->Open());
    auto& instrument = static_cast<CSimComm&>(*demo).Instrument();
    EXPECT_EQ(PacketOf(Ask(instrument, {PACKET_DATA_GET_VERSION})), (Bytes{PACKET_DATA_VERSION, 2, 1}));
    demo.reset();
    Interfaces::Clear();

    VirtualInstrument chosen(clock);
    const char* logic[] = {"velkaro-sim", "--split", "4", "--version", "4.0"};
    ASSERT_TRUE(ApplySimOptions(5, logic, chosen));
    EXPECT_EQ(PacketOf(Ask(chosen, {PACKET_DATA_GET_VERSION})), (Bytes{PACKET_DATA_VERSION, 4, 0}));

    VirtualInstrument refused(clock);
    const char* bad[] = {"velkaro-sim", "--version", "four"};
    EXPECT_FALSE(ApplySimOptions(3, bad, refused));
    const char* missing[] = {"velkaro-sim", "--delay"};
    EXPECT_FALSE(ApplySimOptions(2, missing, refused));
}

TEST(DemoRegistrationTest, DemoComesAfterEachProgramsTransports)
{
    Interfaces::Clear();
    RegisterTransports(TransportSet::Velkaro, DriverProbes{true, false});
    RegisterDemoInterface();
    std::vector<std::string> names;
    for (int i = 0; i < Interfaces::GetCount(); ++i)
        names.push_back(Interfaces::GetName(i));
    EXPECT_EQ(names, (std::vector<std::string>{"WinUSB", "BulkUSB", "FTDI (driver not found!)", "Demo"}));

    Interfaces::Clear();
    RegisterTransports(TransportSet::Durmitt, DriverProbes{false, true});
    RegisterDemoInterface();
    names.clear();
    for (int i = 0; i < Interfaces::GetCount(); ++i)
        names.push_back(Interfaces::GetName(i));
    EXPECT_EQ(names, (std::vector<std::string>{"BulkUSB", "FTDI", "Demo"}));

    // The demo entry makes a working transport.
    std::unique_ptr<CComm> demo(Interfaces::Create(2));
    ASSERT_TRUE(demo->Enumerate());
    EXPECT_EQ(demo->GetCount(), 1);
    Interfaces::Clear();
}

} // namespace
