#include "core/link/DeviceLink.h"
#include "core/log/EventLog.h"
#include "core/transport/MessageBoxHook.h"
#include "platform/kernel/ManualClock.h"
#include "support/LinkTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace {

const Bytes kOpener = {0xFF, 0x01, 0x00, 0x01, 0x77};
const Bytes kGetState = {0xFF, 0x01, 0x00, 0x15, 0xF0};

std::mutex g_boxMutex;
std::vector<std::string> g_boxes;

void RecordBox(const std::string& text)
{
    std::lock_guard<std::mutex> lock(g_boxMutex);
    g_boxes.push_back(text);
}

std::uint8_t TypeOf(const Bytes& frame)
{
    return frame.size() > 3 ? frame[3] : 0xFF;
}

// A link on a manual clock with a scripted transport that the chooser hands over.
class LinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        logStart_ = LogTotal();
        SetMessageBoxHook(&RecordBox);
        std::lock_guard<std::mutex> lock(g_boxMutex);
        g_boxes.clear();
    }
    void TearDown() override
    {
        link_.reset();
        SetMessageBoxHook(nullptr);
    }

    void Start(ScriptedTransport::Script script, ScriptedDispatcher::Handler handler = {})
    {
        link_.reset();
        dispatcher_ = std::make_unique<ScriptedDispatcher>(std::move(handler));
        link_ = std::make_unique<DeviceLink>(dispatcher_.get(), clock_);
        transport_ = new ScriptedTransport(clock_, std::move(script));
        link_->SetChooser([this] {
            ++chooserRuns_;
            return static_cast<CComm*>(transport_);
        });
    }

    std::vector<std::string> Log() { return LogLinesSince(logStart_); }

    ManualClock clock_;
    std::unique_ptr<ScriptedDispatcher> dispatcher_;
    std::unique_ptr<DeviceLink> link_;
    ScriptedTransport* transport_ = nullptr; // owned by the link once chosen
    std::atomic<int> chooserRuns_{0};
    std::uint64_t logStart_ = 0;
};

TEST_F(LinkTest, SessionStartsWithOpenerAndAnswersEveryFrameWithThePresetReply)
{
    Start([](const Bytes&) { return std::vector<Bytes>{MakeFrame(22, Bytes(18, 0))}; });
    link_->ToggleConnection();
    ASSERT_TRUE(dispatcher_->WaitForHandled(20));
    link_->StopThread();

    const auto sends = transport_->Sends();
    ASSERT_GE(sends.size(), 21u);
    EXPECT_EQ(sends[0].bytes, kOpener);
    for (std::size_t i = 1; i < sends.size(); ++i)
        EXPECT_EQ(sends[i].bytes, kGetState) << "send " << i;
    EXPECT_EQ(dispatcher_->Resets(), 1);
    EXPECT_EQ(dispatcher_->ConnectedCalls(), std::vector<bool>{true});
    const auto log = Log();
    EXPECT_EQ(CountEndingWith(log, ": Connecting to device"), 1);
    EXPECT_EQ(CountEndingWith(log, ": Starting thread"), 1);
    EXPECT_EQ(CountEndingWith(log, ": timeout!"), 0);
}

TEST_F(LinkTest, ReplyIsTheDispatchersPacketSealed)
{
    // Only the first opener is answered: the worker runs on through its time-outs until the
    // test stops it, and the opener it resends after the third must meet silence.
    std::atomic<int> openers{0};
    Start([&](const Bytes& sent) {
        if (TypeOf(sent) == 1 && openers.fetch_add(1) == 0)
            return std::vector<Bytes>{MakeFrame(2, {3})};
        return std::vector<Bytes>{};
    },
          [](ScriptedDispatcher& d) {
              d.Reply(0, {3});
              d.message = "device in mode 3";
          });
    link_->ToggleConnection();
    ASSERT_TRUE(transport_->WaitForSends(2));
    link_->StopThread();
    EXPECT_EQ(transport_->Sends()[1].bytes, MakeFrame(0, {3}));
    EXPECT_EQ(EventLog::Instance()->GetStatus(), "device in mode 3");
    ASSERT_EQ(dispatcher_->Handled().size(), 1u);
    EXPECT_EQ(dispatcher_->Handled()[0], (Bytes{2, 3}));
}

TEST_F(LinkTest, FrameSplitOverTwoReadsIsHandledOnce)
{
    const Bytes frame = MakeFrame(4, {4, 1});
    std::atomic<int> openers{0};
    Start([&](const Bytes& sent) {
        if (TypeOf(sent) == 1 && openers.fetch_add(1) == 0) // resent openers meet silence
            return std::vector<Bytes>{Bytes(frame.begin(), frame.begin() + 3), Bytes(frame.begin() + 3, frame.end())};
        return std::vector<Bytes>{};
    });
    link_->ToggleConnection();
    ASSERT_TRUE(transport_->WaitForSends(2));
    ASSERT_TRUE(dispatcher_->WaitForResets(2)); // the reply goes unanswered: one time-out
    link_->StopThread();
    const auto handled = dispatcher_->Handled();
    ASSERT_EQ(handled.size(), 1u);
    EXPECT_EQ(handled[0], (Bytes{4, 4, 1}));
}

TEST_F(LinkTest, FrameWithBadCrcIsNeverHandledAndEndsInTimeOut)
{
    Bytes broken = MakeFrame(22, Bytes(18, 0));
    broken.back() ^= 0x01;
    Start([&](const Bytes& sent) {
        if (TypeOf(sent) == 1)
            return std::vector<Bytes>{broken};
        return std::vector<Bytes>{};
    });
    link_->ToggleConnection();
    ASSERT_TRUE(dispatcher_->WaitForResets(3));
    link_->StopThread();
    EXPECT_TRUE(dispatcher_->Handled().empty());
    EXPECT_GE(CountEndingWith(Log(), ": timeout!"), 2);
}

TEST_F(LinkTest, FiveSilencesResendLastLastOpenerOpenerThenDrop)
{
    std::atomic<int> answered{0};
    Start([&](const Bytes& sent) {
        // Answer only the first opener; everything after it meets silence.
        if (TypeOf(sent) == 1 && answered.fetch_add(1) == 0)
            return std::vector<Bytes>{MakeFrame(2, {3})};
        return std::vector<Bytes>{};
    },
          [](ScriptedDispatcher& d) {
              d.Reply(3);
              d.reply_timeout_ms = 1000;
          });
    link_->ToggleConnection();
    ASSERT_TRUE(dispatcher_->WaitForConnectedCalls(2));
    EXPECT_FALSE(link_->IsRunning());
    EXPECT_TRUE(transport_->IsOpen()); // the link drops, the transport stays open

    const Bytes getVersion = MakeFrame(3);
    const auto sends = transport_->Sends();
    ASSERT_EQ(sends.size(), 6u);
    EXPECT_EQ(sends[0].bytes, kOpener);
    EXPECT_EQ(sends[1].bytes, getVersion);
    EXPECT_EQ(sends[2].bytes, getVersion);
    EXPECT_EQ(sends[3].bytes, getVersion);
    EXPECT_EQ(sends[4].bytes, kOpener);
    EXPECT_EQ(sends[5].bytes, kOpener);
    EXPECT_EQ(CountEndingWith(Log(), ": timeout!"), 5);
    EXPECT_EQ(dispatcher_->Resets(), 1 + 5);

    // Reconnecting starts a session whose time-out is back to 400 ms.
    const auto before = transport_->Sends().size();
    link_->ToggleConnection();
    ASSERT_TRUE(transport_->WaitForSends(before + 2));
    link_->StopThread();
    const auto after = transport_->Sends();
    EXPECT_EQ(after[before].bytes, kOpener);
    EXPECT_EQ(after[before + 1].time - after[before].time, 401u);
}

TEST_F(LinkTest, RaisedTimeOutPersistsAndSmallRequestsAreIgnored)
{
    // Frames 1 and 2 are answered at once; the third reply meets silence.
    std::atomic<int> answers{0};
    std::atomic<DWORD> request{1000};
    Start([&](const Bytes&) {
        if (answers.fetch_add(1) < 2)
            return std::vector<Bytes>{MakeFrame(22, Bytes(18, 0))};
        return std::vector<Bytes>{};
    },
          [&](ScriptedDispatcher& d) {
              d.reply_timeout_ms = request.exchange(0);
          });
    link_->ToggleConnection();
    ASSERT_TRUE(transport_->WaitForSends(4));
    link_->StopThread();
    auto sends = transport_->Sends();
    // sends: opener, reply 1 (raised to 1000), reply 2 (no request), resend after silence.
    EXPECT_EQ(sends[3].time - sends[2].time, 1001u);

    answers = 0;
    request = 300;
    Start([&](const Bytes&) {
        if (answers.fetch_add(1) < 1)
            return std::vector<Bytes>{MakeFrame(22, Bytes(18, 0))};
        return std::vector<Bytes>{};
    },
          [&](ScriptedDispatcher& d) { d.reply_timeout_ms = request.exchange(0); });
    link_->ToggleConnection();
    ASSERT_TRUE(transport_->WaitForSends(3));
    link_->StopThread();
    sends = transport_->Sends();
    EXPECT_EQ(sends[2].time - sends[1].time, 401u);
    EXPECT_EQ(dispatcher_->reply_timeout_ms, 0u);
}

TEST_F(LinkTest, NewConnectionStartsWithTheUsualTimeOutAndNoSilencesCounted)
{
    // The first connection raises the time-out to 1000 ms and meets two silences.
    std::atomic<int> openers{0};
    Start([&](const Bytes& sent) {
        if (TypeOf(sent) == 1 && openers.fetch_add(1) == 0)
            return std::vector<Bytes>{MakeFrame(2, {3})};
        return std::vector<Bytes>{};
    },
          [](ScriptedDispatcher& d) { d.reply_timeout_ms = 1000; });
    link_->ToggleConnection();
    ASSERT_TRUE(dispatcher_->WaitForResets(3));
    link_->Disconnect();
    ASSERT_TRUE(dispatcher_->WaitForConnectedCalls(2));

    // The second connection is silent from the start: five silences of 400 ms each.
    const auto before = transport_->Sends().size();
    link_->ToggleConnection();
    ASSERT_TRUE(dispatcher_->WaitForConnectedCalls(4));
    link_->StopThread();
    const auto sends = transport_->Sends();
    ASSERT_EQ(sends.size(), before + 5); // the opener and four resends
    EXPECT_EQ(sends[before + 1].time - sends[before].time, 401u);
}

TEST_F(LinkTest, ClosedTransportClearsRunEventAndSendsNothing)
{
    Start([](const Bytes&) { return std::vector<Bytes>{}; });
    transport_->SetAlwaysClosed(true);
    link_->ToggleConnection();
    ASSERT_TRUE(dispatcher_->WaitForConnectedCalls(2));
    link_->StopThread();
    EXPECT_FALSE(link_->IsRunning());
    EXPECT_TRUE(transport_->Sends().empty());
    EXPECT_EQ(dispatcher_->ConnectedCalls(), (std::vector<bool>{true, false}));
}

TEST_F(LinkTest, RebootRequestReopensAndStartsANewSession)
{
    std::atomic<int> modes{0};
    Start([](const Bytes& sent) {
        if (TypeOf(sent) == 1)
            return std::vector<Bytes>{MakeFrame(2, {1})};
        return std::vector<Bytes>{};
    },
          [&](ScriptedDispatcher& d) {
              if (modes.fetch_add(1) == 0) {
                  d.Reply(0, {3});
                  d.reply_timeout_ms = 1000;
                  d.reboot_request = true;
              }
          });
    link_->ToggleConnection();
    ASSERT_TRUE(dispatcher_->WaitForHandled(2));
    link_->StopThread();

    const auto sends = transport_->Sends();
    ASSERT_GE(sends.size(), 3u);
    EXPECT_EQ(sends[1].bytes, MakeFrame(0, {3}));
    EXPECT_EQ(sends[2].bytes, kOpener);
    EXPECT_GE(sends[2].time - sends[1].time, 1000u);
    EXPECT_EQ(transport_->OpenCalls(), 2);
    EXPECT_EQ(transport_->CloseCalls(), 1); // the reopen
    EXPECT_GE(dispatcher_->Resets(), 2);
    EXPECT_FALSE(dispatcher_->reboot_request);
    EXPECT_EQ(CountEndingWith(Log(), ": запланирована перезагрузка..."), 1);
}

TEST_F(LinkTest, FailedRebootReopenDropsTheLink)
{
    Start([](const Bytes& sent) {
        if (TypeOf(sent) == 1)
            return std::vector<Bytes>{MakeFrame(2, {1})};
        return std::vector<Bytes>{};
    },
          [](ScriptedDispatcher& d) {
              d.Reply(0, {3});
              d.reboot_request = true;
          });
    transport_->QueueOpenResults({true, false});
    link_->ToggleConnection();
    ASSERT_TRUE(dispatcher_->WaitForConnectedCalls(2));
    link_->StopThread();
    EXPECT_FALSE(link_->IsRunning());
    EXPECT_EQ(transport_->Sends().size(), 2u);
    const auto log = Log();
    EXPECT_EQ(CountEndingWith(log, ": USB устройство не найдено!"), 1);
    EXPECT_EQ(CountEndingWith(log, ": timeout!"), 0);
}

TEST_F(LinkTest, ToggleWhileConnectedOnlyDisconnects)
{
    Start([](const Bytes&) { return std::vector<Bytes>{MakeFrame(22, Bytes(18, 0))}; });
    link_->ToggleConnection();
    ASSERT_TRUE(dispatcher_->WaitForHandled(3));
    const int closes = transport_->CloseCalls();
    link_->ToggleConnection();
    EXPECT_EQ(chooserRuns_.load(), 1);
    EXPECT_FALSE(link_->IsRunning());
    EXPECT_FALSE(transport_->IsOpen());
    EXPECT_EQ(transport_->CloseCalls(), closes + 1);
    // Once disconnected, the worker leaves the transport alone.
    ASSERT_TRUE(dispatcher_->WaitForConnectedCalls(2));
    const auto sends = transport_->Sends().size();
    const int handled = static_cast<int>(dispatcher_->Handled().size());
    transport_->Deliver(MakeFrame(22, Bytes(18, 0)));
    link_->StopThread();
    EXPECT_EQ(transport_->Sends().size(), sends);
    EXPECT_EQ(static_cast<int>(dispatcher_->Handled().size()), handled);
    const auto log = Log();
    EXPECT_EQ(CountEndingWith(log, ": Stopping thread"), 1);
    EXPECT_EQ(CountEndingWith(log, ": Disconnecting..."), 1);
}

TEST_F(LinkTest, OpenFailureIsLoggedAndShownAndLeavesLinkDown)
{
    Start([](const Bytes&) { return std::vector<Bytes>{}; });
    transport_->QueueOpenResults({false});
    link_->ToggleConnection();
    EXPECT_FALSE(link_->IsRunning());
    EXPECT_EQ(CountEndingWith(Log(), ": Error opening device!"), 1);
    std::lock_guard<std::mutex> lock(g_boxMutex);
    EXPECT_EQ(g_boxes, std::vector<std::string>{"Error opening device!"});
}

TEST_F(LinkTest, CancelledChooserReopensThePreviousTransport)
{
    Start([](const Bytes&) { return std::vector<Bytes>{}; });
    link_->ToggleConnection();
    link_->Disconnect();
    const int opens = transport_->OpenCalls();
    link_->SetChooser([] { return static_cast<CComm*>(nullptr); });
    link_->ToggleConnection();
    EXPECT_FALSE(link_->IsRunning());
    EXPECT_EQ(link_->GetTransport(), transport_);
    EXPECT_EQ(transport_->OpenCalls(), opens + 1);
}

TEST_F(LinkTest, ReconnectWhileTheDispatcherWorksStartsANewSession)
{
    // The first packet's handling is held until the user has disconnected and connected to
    // another transport.
    Monitor gate;
    bool inside = false, go = false;
    std::atomic<int> packets{0};
    Start([](const Bytes& sent) {
        if (TypeOf(sent) == 1)
            return std::vector<Bytes>{MakeFrame(2, {3})};
        return std::vector<Bytes>{};
    },
          [&](ScriptedDispatcher& d) {
              if (packets.fetch_add(1) == 0) {
                  gate.Update([&] { inside = true; });
                  gate.WaitFor([&] { return go; });
                  d.Reply(0, {3});
                  d.reboot_request = true;
              }
          });
    link_->ToggleConnection();
    ASSERT_TRUE(gate.WaitFor([&] { return inside; }));
    link_->Disconnect();
    // A device that answers every frame: no time-out resets the dispatcher while the test
    // waits, so every reset counted belongs to a session start.
    transport_ = new ScriptedTransport(clock_, [](const Bytes& sent) {
        if (TypeOf(sent) == 1)
            return std::vector<Bytes>{MakeFrame(2, {3})};
        return std::vector<Bytes>{MakeFrame(22, Bytes(18, 0))};
    });
    link_->ToggleConnection(); // the first transport is deleted here
    gate.Update([&] { go = true; });
    ASSERT_TRUE(dispatcher_->WaitForHandled(2));
    link_->StopThread();

    // The new transport saw a session of its own: the opener first, no stale reply, no reboot.
    const auto sends = transport_->Sends();
    ASSERT_GE(sends.size(), 1u);
    EXPECT_EQ(sends[0].bytes, kOpener);
    for (const auto& sent : sends)
        EXPECT_NE(TypeOf(sent.bytes), 0) << "the old session's reply went to the new transport";
    EXPECT_EQ(dispatcher_->Resets(), 2);
    EXPECT_EQ(CountEndingWith(Log(), ": запланирована перезагрузка..."), 0);
}

// A silent instrument is waited for inside the transport: the worker looks at it about once per
// 10 ms of its clock (the longest wait it asks for), never once per pass of a spinning loop.
TEST_F(LinkTest, SilentInstrumentIsWaitedForInTheTransport)
{
    Start([](const Bytes&) { return std::vector<Bytes>{}; });
    const DWORD start = clock_.GetTickCount();
    link_->ToggleConnection();
    // Five silent periods of 401 ms, then the link drops.
    ASSERT_TRUE(dispatcher_->WaitForConnectedCalls(2));
    link_->StopThread();
    const DWORD elapsed = clock_.GetTickCount() - start;
    ASSERT_GE(elapsed, 5u * 401u);
    const int reads = transport_->ReadCalls();
    EXPECT_GE(reads, 1);
    // 41 waits a period: 40 of 10 ms and the last millisecond before the time-out.
    EXPECT_LE(reads, static_cast<int>(elapsed / 9)) << elapsed << " ms of the link's clock";
    EXPECT_EQ(transport_->Sends().size(), 5u);
}

// The pace of the conversation: about one request a millisecond while the instrument has news
// or the dispatcher asks something of its own, one every 10 ms while the instrument answers the
// state query exactly as before (at rest), and the quick pace again at its first news.
TEST_F(LinkTest, AnInstrumentAtRestIsAskedLessOftenUntilItHasNews)
{
    constexpr int kPhase = 20;
    std::atomic<int> answers{0};
    Start([&](const Bytes&) {
        const int n = answers.fetch_add(1);
        // Phases of answers: news (a counter), the same answer to the dispatcher's own
        // requests, the same answer to state queries (rest), news again.
        const bool news = n < kPhase || n >= 3 * kPhase;
        return std::vector<Bytes>{MakeFrame(22, {static_cast<std::uint8_t>(news ? n : 0)})};
    },
          [&](ScriptedDispatcher& d) {
              const int handled = static_cast<int>(d.Handled().size());
              if (handled >= kPhase && handled < 2 * kPhase)
                  d.Reply(30); // a request of its own
          });
    link_->ToggleConnection();
    ASSERT_TRUE(dispatcher_->WaitForHandled(4 * kPhase));
    link_->StopThread();

    // sends[k + 1] answers the k-th handled frame.
    const auto sends = transport_->Sends();
    ASSERT_GE(sends.size(), static_cast<std::size_t>(4 * kPhase));
    auto gapAfter = [&](int k) { return sends[static_cast<std::size_t>(k) + 1].time - sends[static_cast<std::size_t>(k)].time; };
    for (int k = 1; k < 4 * kPhase - 1; ++k) {
        const int phase = k / kPhase;
        const bool atRest = phase == 2;
        if (atRest)
            EXPECT_GE(gapAfter(k), 10u) << "request " << k + 1 << " at rest";
        else
            EXPECT_LE(gapAfter(k), 2u) << "request " << k + 1 << " in phase " << phase;
    }
}

// A clock whose time never moves: a sleep only lets other threads run.
class FrozenClock final : public Clock {
public:
    DWORD GetTickCount() override { return 1000; }
    SYSTEMTIME GetLocalTime() override { return SYSTEMTIME{2026, 1, 4, 1, 0, 0, 0, 0}; }
    void Sleep(DWORD) override { std::this_thread::yield(); }
};

// A manual clock that holds every long sleep (the slices of the reboot wait) until the link
// has been asked to stop, and counts the long sleeps begun afterwards.
class GateClock final : public Clock {
public:
    DWORD GetTickCount() override { return inner_.GetTickCount(); }
    SYSTEMTIME GetLocalTime() override { return inner_.GetLocalTime(); }
    void Sleep(DWORD ms) override
    {
        if (ms >= 10 && gated_.load()) {
            monitor_.Update([&] {
                if (released_)
                    ++afterRelease_;
                ++held_;
            });
            monitor_.WaitFor([&] { return released_; });
        }
        inner_.Sleep(ms);
    }
    void Gate() { gated_ = true; }
    bool WaitUntilHeld() { return monitor_.WaitFor([&] { return held_ > 0; }); }
    void Release() { monitor_.Update([&] { released_ = true; }); }
    int SleepsAfterRelease()
    {
        std::lock_guard<std::mutex> lock(monitor_.Mutex());
        return afterRelease_;
    }

private:
    ManualClock inner_;
    std::atomic<bool> gated_{false};
    Monitor monitor_;
    bool released_ = false;
    int held_ = 0;
    int afterRelease_ = 0;
};

TEST(LinkStopTest, StopThreadReturnsInEveryState)
{
    ManualClock clock;
    {
        // Never connected: idling.
        ScriptedDispatcher dispatcher;
        DeviceLink link(&dispatcher, clock);
        link.StopThread();
        link.StopThread(); // a second call is harmless
    }
    {
        // Connected and polling a silent device. Its time stands still: on a clock that ran on
        // with every wait, the silence would become time-outs and drop the link before the
        // stop, however quickly the test asked for it.
        FrozenClock frozen;
        ScriptedDispatcher dispatcher;
        DeviceLink link(&dispatcher, frozen);
        auto* transport = new ScriptedTransport(frozen);
        link.SetChooser([&] { return static_cast<CComm*>(transport); });
        link.ToggleConnection();
        ASSERT_TRUE(transport->WaitForSends(1));
        link.StopThread();
        EXPECT_TRUE(link.IsRunning());
    }
    {
        // In the middle of the wait before a reboot reopen: the wait is cut short.
        GateClock gate;
        ScriptedDispatcher dispatcher([&](ScriptedDispatcher& d) {
            d.reboot_request = true;
            gate.Gate(); // the next long sleep is the wait before the reopen
        });
        DeviceLink link(&dispatcher, gate);
        auto* transport = new ScriptedTransport(gate, [](const Bytes&) { return std::vector<Bytes>{MakeFrame(2, {1})}; });
        link.SetChooser([&] { return static_cast<CComm*>(transport); });
        link.ToggleConnection();
        ASSERT_TRUE(gate.WaitUntilHeld());
        std::thread stopper([&] { link.StopThread(); });
        // StopRequested has no notification: spin on it.
        while (!link.StopRequested())
            std::this_thread::yield();
        gate.Release();
        stopper.join();
        EXPECT_EQ(gate.SleepsAfterRelease(), 0);
        EXPECT_EQ(transport->OpenCalls(), 1); // never reopened
    }
}

} // namespace
