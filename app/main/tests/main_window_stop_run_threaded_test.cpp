// Stopping and running again, over and over, leaves nothing behind: each stop and each run
// shows one of the same two pictures on "Стоп", never a copy that Qt would cache once more.

#include "app/main/testing/MainWindowFixture.h"

#include "core/data/OscData.h"

#include <cstdint>
#include <set>

namespace {

TEST_F(MainWindowTest, StopAndRunAgainShowTheSameTwoPicturesEveryTime)
{
    RunWindow([&](CVelkaroDlg& d) {
        ASSERT_TRUE(ConnectWithBothChannels(d));
        std::set<std::int64_t> stopped;
        std::set<std::int64_t> running;
        for (int cycle = 0; cycle < 6; ++cycle)
        {
            uitest::Click(StopButton(d));
            ASSERT_TRUE(WaitForStopButton(d, true)) << cycle;
            stopped.insert(ShownPixmapKey(StopButton(d)));
            uitest::Click(StopButton(d));
            ASSERT_TRUE(WaitForStopButton(d, false)) << cycle;
            running.insert(ShownPixmapKey(StopButton(d)));
        }
        EXPECT_EQ(stopped.size(), 1u);
        EXPECT_EQ(running.size(), 1u);
        EXPECT_EQ(stopped.count(0), 0u) << "a picture is shown";
        EXPECT_NE(*stopped.begin(), *running.begin());
        uitest::Click(d.GetDlgItem(CVelkaroDlg::kConnectId));
        ASSERT_TRUE(WaitUntil([] { return !Linked(); }));
    });
}

}  // namespace
