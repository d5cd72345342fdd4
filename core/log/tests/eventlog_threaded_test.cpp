#include "core/log/EventLog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// A writer on one thread and a reader catching up on another: the reader sees every line
// exactly once and in order as long as it does not fall 500 lines behind, and never a torn one.
TEST(EventLogThreaded, AReaderCatchesUpWithAWriterOnAnotherThread)
{
    EventLog* log = EventLog::Instance();
    std::uint64_t seen = log->GetTotal();
    constexpr int kLines = 3000;
    std::atomic<int> written{0};
    std::atomic<int> acknowledged{0};

    std::thread writer([&] {
        for (int i = 0; i < kLines; ++i) {
            // Stay less than a ring behind the reader, so no line can be lost.
            while (i - acknowledged.load() >= 400)
                std::this_thread::yield();
            log->Write("line " + std::to_string(i));
            written = i + 1;
        }
    });

    std::vector<std::string> lines;
    while (acknowledged.load() < kLines) {
        const std::size_t before = lines.size();
        log->ReadNewLines(seen, lines);
        acknowledged = static_cast<int>(lines.size());
        if (lines.size() == before)
            std::this_thread::yield();
    }
    writer.join();

    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kLines));
    for (int i = 0; i < kLines; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i)];
        const std::string expected = "line " + std::to_string(i);
        ASSERT_GE(line.size(), expected.size());
        ASSERT_EQ(line.substr(line.size() - expected.size()), expected);
    }
}
