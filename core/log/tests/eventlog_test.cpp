#include "core/log/EventLog.h"

#include "platform/kernel/ManualClock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Each test sees an empty log at a known time of day.
class EventLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SYSTEMTIME t;
        t.wHour = 9;
        t.wMinute = 5;
        t.wSecond = 3;
        t.wMilliseconds = 7;
        clock_.SetLocalTime(t);
        SetCurrentClock(&clock_);
        log_ = EventLog::Instance();
        log_->ClearLines();
        seen_ = log_->GetTotal();
    }
    void TearDown() override { SetCurrentClock(nullptr); }

    std::vector<std::string> NewLines()
    {
        std::vector<std::string> lines;
        log_->ReadNewLines(seen_, lines);
        return lines;
    }

    ManualClock clock_;
    EventLog* log_ = nullptr;
    std::uint64_t seen_ = 0;
};

} // namespace

TEST_F(EventLogTest, LinesCarryTheLocalTimePrefix)
{
    log_->Write("timeout!");
    EXPECT_EQ(NewLines(), std::vector<std::string>{"09:05:03.007: timeout!"});
    EXPECT_TRUE(NewLines().empty()); // a reader only gets what is new
}

TEST_F(EventLogTest, TextsAreSplitAtLineFeedsWithOnePrefix)
{
    const std::uint64_t before = log_->GetTotal();
    log_->Write("one\ntwo\nthree");
    EXPECT_EQ(log_->GetTotal() - before, 3u);
    EXPECT_EQ(NewLines(), (std::vector<std::string>{"09:05:03.007: one", "09:05:03.007: two", "09:05:03.007: three"}));

    log_->Write("tail\n");
    EXPECT_EQ(NewLines(), (std::vector<std::string>{"09:05:03.007: tail", "09:05:03.007: "}));

    log_->Write("");
    EXPECT_EQ(NewLines(), std::vector<std::string>{"09:05:03.007: "});
}

TEST_F(EventLogTest, TheRingKeepsTheLast500Lines)
{
    const std::uint64_t before = log_->GetTotal();
    for (int i = 1; i <= 501; ++i)
        log_->Write(std::to_string(i));
    EXPECT_EQ(log_->GetTotal() - before, 501u);
    EXPECT_EQ(log_->GetStored(), 500);
    const std::vector<std::string> lines = NewLines();
    ASSERT_EQ(lines.size(), 500u);
    EXPECT_EQ(lines.front(), "09:05:03.007: 2");
    EXPECT_EQ(lines.back(), "09:05:03.007: 501");
}

TEST_F(EventLogTest, AReaderFarBehindGetsExactlyTheLast500OldestFirst)
{
    for (int i = 1; i <= 1200; ++i)
        log_->Write(std::to_string(i));
    std::uint64_t fromStart = 0;
    std::vector<std::string> lines;
    log_->ReadNewLines(fromStart, lines);
    ASSERT_EQ(lines.size(), 500u);
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(lines[static_cast<std::size_t>(i)], "09:05:03.007: " + std::to_string(701 + i));
    EXPECT_EQ(fromStart, log_->GetTotal());
}

TEST_F(EventLogTest, StatusIsSeparateFromTheRing)
{
    const std::uint64_t before = log_->GetTotal();
    log_->SetStatus("Версия 5");
    EXPECT_EQ(log_->GetStatus(), "Версия 5");
    EXPECT_EQ(log_->GetTotal(), before);
}
