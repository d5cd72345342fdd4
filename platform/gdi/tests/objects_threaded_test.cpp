// The object table is shared by every thread that makes pens, brushes or bitmaps.

#include "platform/gdi/GdiObjects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(ObjectTableThreads, ObjectsMadeAndDeletedOnSeveralThreadsStayDistinct)
{
    constexpr int kThreads = 4;
    constexpr int kObjects = 500;
    std::atomic<int> failures{0};
    std::vector<std::vector<HGDIOBJ>> made(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &made, &failures] {
            for (int i = 0; i < kObjects; ++i) {
                const HPEN pen = CreatePen(PS_SOLID, 1, RGB(t, i & 0xFF, 0));
                const HBRUSH brush = CreateSolidBrush(RGB(0, t, i & 0xFF));
                if (pen == 0 || brush == 0) ++failures;
                LOGPEN lp{};
                if (GetObject(pen, sizeof lp, &lp) != static_cast<int>(sizeof lp) || lp.lopnColor != RGB(t, i & 0xFF, 0))
                    ++failures;
                if (CGdiObject::FromHandle(brush) == nullptr) ++failures;
                made[static_cast<std::size_t>(t)].push_back(pen);
                if (!DeleteObject(brush)) ++failures;
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(failures.load(), 0);
    std::vector<HGDIOBJ> all;
    for (const auto& v : made) all.insert(all.end(), v.begin(), v.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
    for (HGDIOBJ h : all) EXPECT_TRUE(DeleteObject(h));
}

}  // namespace
