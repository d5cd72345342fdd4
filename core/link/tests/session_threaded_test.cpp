// Whole sessions through the link with the virtual instrument on the other side: over a
// pseudo-terminal through the tty transport (real time), and in-process (manual clock).

#include "core/link/DeviceLink.h"
#include "core/protocol/PacketData.h"
#include "core/protocol/PacketFrame.h"
#include "core/transport/CommFTDI.h"
#include "platform/kernel/ManualClock.h"
#include "sim/PtyInstrumentServer.h"
#include "sim/SimComm.h"
#include "support/LinkTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

namespace {

// Answers the instrument as the oscilloscope dispatcher does at the start of a session: the
// first STATE with GET_VERSION, everything else with the preset GET_STATE.
struct SessionScript {
    std::atomic<int> states{0};
    std::atomic<int> statesAfterVersion{0};
    std::atomic<int> versionMajor{-1};
    std::atomic<int> versionMinor{-1};
    std::atomic<int> badOrder{0};

    void operator()(ScriptedDispatcher& d)
    {
        const BYTE type = d.received_frame[3];
        if (type == PACKET_DATA_STATE) {
            if (states.fetch_add(1) == 0)
                d.Reply(PACKET_DATA_GET_VERSION);
            else if (versionMajor >= 0)
                ++statesAfterVersion;
        } else if (type == PACKET_DATA_VERSION) {
            versionMajor = d.received_frame[4];
            versionMinor = d.received_frame[5];
        } else if (type != PACKET_DATA_MODE) {
            ++badOrder;
        }
    }
};

TEST(TtySessionTest, WholeSessionOverAPseudoTerminalAt2000000Baud)
{
    auto instrument = std::make_shared<VirtualInstrument>();
    instrument->SetVersion(4, 1);
    instrument->SetSplitSize(3); // every answer arrives in pieces
    PtyInstrumentServer server(instrument);
    ASSERT_TRUE(server.Start());

    SessionScript script;
    ScriptedDispatcher dispatcher([&](ScriptedDispatcher& d) { script(d); });
    DeviceLink link(&dispatcher);
    link.SetChooser([&]() -> CComm* {
        auto* ftdi = new CCommFTDI(SerialPaths{}, false, {server.SlavePath()});
        ftdi->Enumerate();
        ftdi->Select(0);
        return ftdi;
    });
    link.ToggleConnection();
    ASSERT_TRUE(link.IsRunning());
    EXPECT_EQ(server.SlaveBaudRate(), 2000000);

    ASSERT_TRUE(dispatcher.WaitForHandled(20));
    link.Disconnect();
    link.StopThread();

    // This session runs in real time: on a badly overloaded machine an answer may miss its
    // 400 ms and be asked for again, so only what holds either way is checked.
    const auto handled = dispatcher.Handled();
    ASSERT_GE(handled.size(), 3u);
    EXPECT_EQ(handled[0], (Bytes{PACKET_DATA_MODE, 3}));
    EXPECT_EQ(handled[1][0], PACKET_DATA_STATE);
    EXPECT_EQ(handled[1].size(), 19u);
    EXPECT_NE(std::find(handled.begin(), handled.end(), Bytes{PACKET_DATA_VERSION, 4, 1}), handled.end());
    EXPECT_EQ(script.versionMajor.load(), 4);
    EXPECT_EQ(script.versionMinor.load(), 1);
    EXPECT_GE(script.statesAfterVersion.load(), 10);
    EXPECT_EQ(script.badOrder.load(), 0);
    EXPECT_EQ(instrument->GetCounters().badFrames, 0);
}

TEST(TtySessionTest, BrokenAnswerIsRecoveredByTheResend)
{
    auto instrument = std::make_shared<VirtualInstrument>();
    instrument->SetCorruptEvery(4);
    PtyInstrumentServer server(instrument);
    ASSERT_TRUE(server.Start());

    const auto logStart = LogTotal();
    ScriptedDispatcher dispatcher;
    DeviceLink link(&dispatcher);
    link.SetChooser([&]() -> CComm* {
        auto* ftdi = new CCommFTDI(SerialPaths{}, false, {server.SlavePath()});
        ftdi->Enumerate();
        ftdi->Select(0);
        return ftdi;
    });
    link.ToggleConnection();
    // Answer 4 is broken: the worker waits out its time-out and resends; answers 5 to 7 are
    // good again.
    ASSERT_TRUE(dispatcher.WaitForHandled(5));
    link.StopThread();
    EXPECT_GE(CountEndingWith(LogLinesSince(logStart), ": timeout!"), 1);
    EXPECT_GE(dispatcher.Resets(), 2);
}

TEST(SimSessionTest, InProcessInstrumentOnAManualClock)
{
    ManualClock clock;
    auto instrument = std::make_shared<VirtualInstrument>(clock);
    instrument->SetVersion(2, 0);
    instrument->SetSplitSize(4);
    SessionScript script;
    ScriptedDispatcher dispatcher([&](ScriptedDispatcher& d) { script(d); });
    DeviceLink link(&dispatcher, clock);
    link.SetChooser([&]() -> CComm* {
        auto* sim = new CSimComm(instrument);
        sim->Enumerate();
        sim->Select(0);
        return sim;
    });
    link.ToggleConnection();
    ASSERT_TRUE(dispatcher.WaitForHandled(100));
    link.StopThread();
    EXPECT_EQ(script.versionMajor.load(), 2);
    EXPECT_EQ(script.badOrder.load(), 0);
    EXPECT_EQ(dispatcher.Resets(), 1);
}

TEST(SimSessionTest, SlowInstrumentWithinTheTimeOutCostsNoResend)
{
    ManualClock clock;
    auto instrument = std::make_shared<VirtualInstrument>(clock);
    instrument->SetReplyDelay(350);
    ScriptedDispatcher dispatcher;
    DeviceLink link(&dispatcher, clock);
    link.SetChooser([&]() -> CComm* {
        auto* sim = new CSimComm(instrument);
        sim->Enumerate();
        sim->Select(0);
        return sim;
    });
    link.ToggleConnection();
    ASSERT_TRUE(dispatcher.WaitForHandled(5));
    link.StopThread();
    EXPECT_EQ(dispatcher.Resets(), 1);
    EXPECT_EQ(instrument->GetCounters().framesReceived, static_cast<int>(dispatcher.Handled().size()) + 1);
}

TEST(SimSessionTest, BootLoaderModeLeadsThroughTheRebootToANewSession)
{
    ManualClock clock;
    auto instrument = std::make_shared<VirtualInstrument>(clock);
    instrument->SetMode(1);
    const auto logStart = LogTotal();
    // As the oscilloscope dispatcher answers MODE: switch to mode 3, and restart when the
    // device was in its boot loader.
    ScriptedDispatcher dispatcher([](ScriptedDispatcher& d) {
        if (d.received_frame[3] == PACKET_DATA_MODE && d.received_frame[4] != 3) {
            d.Reply(PACKET_DATA_SET_MODE, {3});
            d.reply_timeout_ms = 1000;
            d.reboot_request = d.received_frame[4] == 1;
        }
    });
    DeviceLink link(&dispatcher, clock);
    link.SetChooser([&]() -> CComm* {
        auto* sim = new CSimComm(instrument);
        sim->Enumerate();
        sim->Select(0);
        return sim;
    });
    link.ToggleConnection();
    ASSERT_TRUE(dispatcher.WaitForHandled(4));
    link.StopThread();
    const auto handled = dispatcher.Handled();
    EXPECT_EQ(handled[0], (Bytes{PACKET_DATA_MODE, 1}));
    EXPECT_EQ(handled[1], (Bytes{PACKET_DATA_MODE, 3})); // the new session's opener
    EXPECT_EQ(handled[2][0], PACKET_DATA_STATE);
    EXPECT_EQ(dispatcher.Resets(), 2);
    const auto log = LogLinesSince(logStart);
    EXPECT_EQ(CountEndingWith(log, ": запланирована перезагрузка..."), 1);
    EXPECT_EQ(CountEndingWith(log, ": timeout!"), 0);
}

} // namespace
