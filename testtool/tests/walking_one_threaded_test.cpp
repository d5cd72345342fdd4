// The walking-one test end to end: the device link's worker talks to the in-process virtual
// instrument and hands every frame to the test dispatcher, on a manual clock.

#include "testtool/TestDispatch.h"

#include "core/link/DeviceLink.h"
#include "core/protocol/PacketData.h"
#include "core/protocol/PacketFrame.h"
#include "platform/kernel/ManualClock.h"
#include "sim/SimComm.h"
#include "sim/VirtualInstrument.h"
#include "support/WalkingOneBench.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace {

const std::string kPassed = "Тест \"бегущая единица\" завершен успешно!";
const std::string kFinished = "Тест \"бегущая единица\" завершен";
const std::string kStarted = "Тест \"бегущая единица\" начат";

// The test dispatcher, with every packet it handles and every reply it leaves recorded for
// the test thread to wait on.
class ObservedTestDispatch : public CTestDispatch {
public:
    void HandlePacket() override
    {
        CTestDispatch::HandlePacket();
        const std::uint8_t reply = reply_frame[3];
        const std::uint8_t received = received_frame[3];
        int reads = 0;
        std::function<void(int)> onRead;
        Update([&] {
            ++handled_;
            replies_.push_back(reply);
            if (received == PACKET_DATA_LA_TEST_READ)
            {
                reads = ++reads_;
                onRead = onRead_;
            }
        });
        if (onRead)
            onRead(reads);
    }

    // Runs on the worker after each LA_TEST_READ handled, with the count of reads so far.
    void OnRead(std::function<void(int)> fn)
    {
        Update([&] { onRead_ = std::move(fn); });
    }

    void Reset() override
    {
        CTestDispatch::Reset();
        std::function<void()> onReset;
        Update([&] {
            ++resets_;
            onReset = onReset_;
        });
        if (onReset)
            onReset();
    }

    // Runs on the worker at each later Reset (session start or time-out).
    void OnReset(std::function<void()> fn)
    {
        Update([&] { onReset_ = std::move(fn); });
    }

    template <typename Pred>
    bool WaitFor(Pred pred)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        // A generous limit only, so that a broken test ends instead of hanging.
        return cv_.wait_for(lock, std::chrono::seconds(30), pred);
    }

    template <typename Fn>
    void Update(Fn fn)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            fn();
        }
        cv_.notify_all();
    }

    // Read under the monitor's mutex (inside WaitFor predicates or Update).
    int handled_ = 0;
    int reads_ = 0;
    int resets_ = 0;
    std::vector<std::uint8_t> replies_;
    std::vector<bool> connected_;

private:
    std::function<void()> onReset_;
    std::function<void(int)> onRead_;
    std::mutex mutex_;
    std::condition_variable cv_;
};

class WalkingOneEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        logStart_ = LogTotal();
        instrument_ = std::make_shared<VirtualInstrument>(clock_);
        instrument_->SetVersion(4, 0);
        dispatch_.SetConnectedHook([this](bool connected) {
            dispatch_.Update([&] { dispatch_.connected_.push_back(connected); });
        });
        link_ = std::make_unique<DeviceLink>(&dispatch_, clock_);
        link_->SetChooser([this] {
            auto* comm = new CSimComm(instrument_);
            comm->Enumerate();
            comm->Select(0);
            return static_cast<CComm*>(comm);
        });
    }

    void TearDown() override
    {
        link_->StopThread();
        link_.reset();
    }

    // Waits until a line holding `text` has been logged since `since`, and then until the
    // packet that logged it has been counted: the line is written inside the dispatcher, before
    // the counters move, so a test that woke on the line alone could read them one packet
    // short. Two more packets counted after the line was seen cover the one in flight.
    bool WaitForLogLine(const std::string& text, std::uint64_t since)
    {
        int handled = 0;
        return dispatch_.WaitFor([&] {
                   handled = dispatch_.handled_;
                   return CountContaining(LogSince(since), text) > 0;
               }) &&
               dispatch_.WaitFor([&] { return dispatch_.handled_ >= handled + 2; });
    }

    ManualClock clock_;
    std::shared_ptr<VirtualInstrument> instrument_;
    ObservedTestDispatch dispatch_;
    std::unique_ptr<DeviceLink> link_;
    std::uint64_t logStart_ = 0;
};

} // namespace

TEST_F(WalkingOneEndToEnd, WiredFixturePasses)
{
    link_->ToggleConnection();
    ASSERT_TRUE(WaitForLogLine(kFinished, logStart_));
    // A few more exchanges: the finished test stays finished while the host polls.
    int handled = 0;
    dispatch_.WaitFor([&] { return (handled = dispatch_.handled_) > 0; });
    ASSERT_TRUE(dispatch_.WaitFor([&] { return dispatch_.handled_ >= handled + 20; }));

    const auto lines = LogSince(logStart_);
    EXPECT_EQ(CountEnding(lines, kStarted), 1);
    EXPECT_EQ(CountEnding(lines, kPassed), 1);
    EXPECT_EQ(CountEnding(lines, "timeout!"), 0);
    dispatch_.WaitFor([&] {
        EXPECT_EQ(dispatch_.reads_, 15);
        EXPECT_EQ(std::count(dispatch_.replies_.begin(), dispatch_.replies_.end(),
                             PACKET_DATA_LA_TEST_WRITE),
                  15);
        EXPECT_EQ(dispatch_.connected_, std::vector<bool>{true});
        return true;
    });

    link_->Disconnect();
    EXPECT_TRUE(dispatch_.WaitFor([&] { return dispatch_.connected_.size() == 2; }));
    dispatch_.WaitFor([&] {
        EXPECT_EQ(dispatch_.connected_, (std::vector<bool>{true, false}));
        return true;
    });
}

TEST_F(WalkingOneEndToEnd, StuckBusFixtureLogsFourteenPortErrors)
{
    VirtualInstrument::Wiring wiring;
    wiring.busStuck = true;
    wiring.busStuckValue = 0x00;
    instrument_->SetWiring(wiring);
    link_->ToggleConnection();
    ASSERT_TRUE(WaitForLogLine(kFinished + ", 14 ошибок!", logStart_));
    const auto lines = LogSince(logStart_);
    EXPECT_EQ(CountContaining(lines, "Ошибка порта A/B! Послали"), 14);
    EXPECT_EQ(CountContaining(lines, "Ошибка пина"), 0);
    EXPECT_EQ(CountEnding(lines, kPassed), 0);
}

TEST_F(WalkingOneEndToEnd, AnUnsupportedDeviceIsPolledButNeverTested)
{
    instrument_->SetVersion(5, 0);
    link_->ToggleConnection();
    ASSERT_TRUE(WaitForLogLine("Неподдерживаемая аппаратная версия!", logStart_));
    int handled = 0;
    dispatch_.WaitFor([&] { return (handled = dispatch_.handled_) > 0; });
    ASSERT_TRUE(dispatch_.WaitFor([&] { return dispatch_.handled_ >= handled + 50; }));
    dispatch_.RestartTest();
    ASSERT_TRUE(dispatch_.WaitFor([&] { return dispatch_.handled_ >= handled + 100; }));
    dispatch_.WaitFor([&] {
        EXPECT_EQ(std::count(dispatch_.replies_.begin(), dispatch_.replies_.end(),
                             PACKET_DATA_LA_TEST_WRITE),
                  0);
        return true;
    });
    EXPECT_EQ(CountEnding(LogSince(logStart_), kStarted), 0);
}

TEST_F(WalkingOneEndToEnd, RepeatFromTheUserInterfaceThreadEndsInOneCleanRun)
{
    // The worker holds still after the third check until "Повторить" has been pressed, so the
    // press lands in the middle of the run.
    bool pressed = false;
    dispatch_.OnRead([&](int reads) {
        if (reads == 3)
            dispatch_.WaitFor([&] { return pressed; });
    });
    link_->ToggleConnection();
    ASSERT_TRUE(dispatch_.WaitFor([&] { return dispatch_.reads_ >= 3; }));
    const std::uint64_t pressedAt = LogTotal();
    dispatch_.RestartTest();
    dispatch_.Update([&] { pressed = true; });

    ASSERT_TRUE(WaitForLogLine(kFinished, pressedAt));
    const auto lines = LogSince(logStart_);
    EXPECT_EQ(CountEnding(lines, kStarted), 2);
    EXPECT_EQ(CountContaining(lines, kFinished), 1) << "the interrupted run reports nothing";
    EXPECT_EQ(CountEnding(lines, kPassed), 1);
    EXPECT_EQ(CountContaining(lines, "Ошибка"), 0);
    dispatch_.WaitFor([&] {
        EXPECT_EQ(dispatch_.reads_, 3 + 1 + 15) << "the answer in flight, then a whole run";
        return true;
    });
}

TEST_F(WalkingOneEndToEnd, ASilentSpellMidRunRestartsTheTestCleanly)
{
    // The device falls silent after the fifth check; the link's first time-out resets the
    // dispatcher, and from then on the device answers again (both on the worker, so exactly
    // one time-out passes).
    dispatch_.OnRead([this](int reads) {
        if (reads == 5)
            instrument_->SetSilent(true);
    });
    dispatch_.OnReset([this] { instrument_->SetSilent(false); });
    link_->ToggleConnection();
    ASSERT_TRUE(WaitForLogLine(kFinished, logStart_));
    const auto lines = LogSince(logStart_);
    EXPECT_EQ(CountEnding(lines, "timeout!"), 1);
    EXPECT_EQ(CountEnding(lines, kStarted), 2);
    EXPECT_EQ(CountContaining(lines, kFinished), 1) << "the interrupted run reports nothing";
    EXPECT_EQ(CountEnding(lines, kPassed), 1);
    EXPECT_EQ(CountContaining(lines, "Ошибка"), 0);
}
