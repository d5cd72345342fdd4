// The current model object under concurrent first use and variant switches.

#include "core/config/ConfigSections.h"
#include "core/data/OscData.h"

#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <thread>
#include <vector>

namespace {

TEST(DataModelThreads, ConcurrentFirstUseCreatesOneObject)
{
    for (int round = 0; round < 20; ++round) {
        DeleteOscData();
        constexpr int kThreads = 6;
        std::barrier start(kThreads);
        std::vector<OscData*> seen(kThreads, nullptr);
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i) {
            threads.emplace_back([&, i] {
                start.arrive_and_wait();
                seen[i] = GetOscData();
            });
        }
        for (auto& thread : threads) thread.join();
        for (OscData* data : seen) {
            ASSERT_NE(data, nullptr);
            EXPECT_EQ(data, seen[0]);
        }
    }
    DeleteOscData();
    ConfigSections.clear();
}

TEST(DataModelThreads, ReadersUnderDataLockAlwaysSeeAWholeObject)
{
    GetOscData();
    std::atomic<bool> done{false};
    std::thread reader([&] {
        while (!done.load()) {
            CSingleLock lock(&DataLock, TRUE);
            OscData* data = GetOscData();
            // Version and limits belong to one and the same object.
            const int version = data->GetVersion();
            EXPECT_GE(version, 1);
            EXPECT_LE(version, 5);
            EXPECT_LE(data->GetMemoryDepth(), data->GetSampleBufferLength());
        }
    });
    for (int i = 0; i < 30; ++i) SelectOscDataVersion(1 + i % 5, i);
    done.store(true);
    reader.join();
    DeleteOscData();
    ConfigSections.clear();
}

}  // namespace
