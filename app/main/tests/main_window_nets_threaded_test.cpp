// Logic-net names: renaming, the rows of the drawn nets, and the chart's series following a name.

#include "app/main/testing/MainWindowFixture.h"

#include "widgets/chart/ChartBiLineSerie.h"

#include <tuple>
#include <vector>

namespace {

using Renamed = std::tuple<int, int, std::string>;

class MainWindowNetsTest : public MainWindowTest {};

TEST_F(MainWindowNetsTest, ARenameIsStoredAndAnnouncedOnceAndOnlyForANet)
{
    RunWindow([&](CVelkaroDlg& d) {
        std::vector<Renamed> heard;
        boost::signals2::scoped_connection listener =
            d.NetRenamed.connect([&](int channel, int line, const std::string& name) { heard.emplace_back(channel, line, name); });

        d.SetNetName("CLK", 1, 3);
        EXPECT_EQ(heard, (std::vector<Renamed>{{1, 3, "CLK"}}));
        EXPECT_EQ(d.GetNetName(1, 3), "CLK");
        EXPECT_EQ(d.la_net_name[11], "CLK");
        d.SetNetName("CLK", 1, 3);
        EXPECT_EQ(heard.size(), 1u) << "the same name again is no rename";

        const auto before = d.la_net_name;
        const std::pair<int, int> outside[] = {{-1, 0}, {2, 0}, {0, -1}, {0, 8}, {1, 8}, {100000, 3}};
        for (const auto& [channel, line] : outside)
        {
            SCOPED_TRACE(std::to_string(channel) + "," + std::to_string(line));
            d.SetNetName("X", channel, line);
            EXPECT_EQ(d.GetNetName(channel, line), "");
        }
        EXPECT_EQ(d.la_net_name, before);
        EXPECT_EQ(heard.size(), 1u);
    });
}

TEST_F(MainWindowNetsTest, RowOffsetsCountTheDrawnNetsAboveTheLine)
{
    RunWindow([&](CVelkaroDlg& d) {
        const unsigned char displayA[] = {1, 0, 1, 1, 1, 1, 1, 1};
        for (int line = 0; line < 8; ++line)
        {
            d.la_net_display[line] = displayA[line];
            d.la_net_display[8 + line] = 1;
        }
        d.la_net_display[8 + 5] = 0;
        struct Case {
            int channel;
            int line;
            int offset;
        };
        const Case cases[] = {
            {0, 0, 0}, {0, 1, 10}, {0, 2, 10}, {0, 3, 20}, {0, 7, 60},  // A0 is drawn, A1 is not
            {1, 5, 50}, {1, 6, 50}, {1, 7, 60},                          // B5 is not drawn
            {2, 3, 0},  {-1, 3, 0}, {0, 8, 0},  {0, -1, 0},
        };
        for (const Case& c : cases)
            EXPECT_EQ(d.GetNetRowOffset(c.channel, c.line), c.offset) << c.channel << "," << c.line;
    });
}

TEST_F(MainWindowNetsTest, TheChannelsLogicSeriesTakesTheNameUnlessTheBusIsShown)
{
    RunWindow([&](CVelkaroDlg& d) {
        d.digital_bus = {false, false};
        d.SetNetName("DATA", 0, 6);
        EXPECT_EQ(d.GetLogicSerie(0, 0, 6)->GetName(), "DATA") << "channel A is not in logic mode: named all the same";
        EXPECT_NE(d.GetLogicSerie(0, 1, 6)->GetName(), "DATA") << "old data keep no name";

        d.digital_bus[1] = true;
        const std::string busName = d.GetLogicSerie(1, 0, 2)->GetName();
        d.SetNetName("SDA", 1, 2);
        EXPECT_EQ(d.GetNetName(1, 2), "SDA");
        EXPECT_EQ(d.GetLogicSerie(1, 0, 2)->GetName(), busName);
    });
}

}  // namespace
