#include "packetview/LogList.h"

#include "core/log/EventLog.h"
#include "core/protocol/PacketFrame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Numbered(int from, int count)
{
    std::vector<std::string> lines;
    for (int i = from; i < from + count; ++i)
        lines.push_back("line " + std::to_string(i));
    return lines;
}

} // namespace

TEST(LogList, CatchesUpAtMostFiveHundredLinesATickAndKeepsAThousand)
{
    LogList list;
    // A burst of 1200 lines: only the newest 500 arrive.
    LogList::Update u = list.Append(Numbered(0, 1200));
    EXPECT_TRUE(u.changed);
    ASSERT_EQ(u.appended.size(), 500u);
    EXPECT_EQ(u.appended.front(), "line 700");
    EXPECT_EQ(u.removedFromFront, 0u);
    EXPECT_EQ(u.selected, 499);
    EXPECT_EQ(list.Selected(), 499);

    u = list.Append(Numbered(1200, 400));
    EXPECT_EQ(list.GetCount(), 900);
    EXPECT_EQ(u.removedFromFront, 0u);

    // Past 1000 lines the oldest go; the last line stays selected.
    u = list.Append(Numbered(1600, 300));
    EXPECT_EQ(u.appended.size(), 300u);
    EXPECT_EQ(u.removedFromFront, 200u);
    EXPECT_EQ(list.GetCount(), 1000);
    EXPECT_EQ(list.Lines().front(), "line 900");
    EXPECT_EQ(list.Lines().back(), "line 1899");
    EXPECT_EQ(u.selected, 999);

    // Nothing new: nothing changes, the selection stays.
    u = list.Append({});
    EXPECT_FALSE(u.changed);
    EXPECT_EQ(list.Selected(), 999);
}

TEST(LogList, TickReadsTheEventLogAndTheDoubleClickDecodesAFrameLine)
{
    LogList list;
    list.Tick(); // whatever earlier tests left in the log
    const int before = list.GetCount();

    std::uint8_t frame[5] = {0xFF, 0x01, 0x00, 0x03, 0x00};
    frame[4] = Crc8(frame, 4);
    char hex[32];
    std::snprintf(hex, sizeof hex, "T 5: %02X %02X %02X %02X %02X", frame[0], frame[1], frame[2],
                  frame[3], frame[4]);
    EventLog::Instance()->Write("Connecting to device");
    EventLog::Instance()->Write(hex);

    LogList::Update u = list.Tick();
    ASSERT_EQ(u.appended.size(), 2u);
    EXPECT_EQ(list.GetCount(), before + 2);
    EXPECT_FALSE(list.Tick().changed);

    const int last = list.Selected();
    auto decoded = list.DecodeLine(last);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->type, 3);
    EXPECT_TRUE(decoded->sent);
    EXPECT_FALSE(list.DecodeLine(last - 1).has_value()) << "a plain text line";
    EXPECT_FALSE(list.DecodeLine(-1).has_value());
    EXPECT_FALSE(list.DecodeLine(list.GetCount()).has_value());
}
