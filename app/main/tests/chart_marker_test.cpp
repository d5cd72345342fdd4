#include "app/main/ChartMarker.h"

#include "platform/gdi/GdiConstants.h"
#include "platform/ui/testing/UiTest.h"
#include "widgets/chart/ChartCtrl.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartPointsSerie.h"

#include <gtest/gtest.h>

namespace {

struct Point {
    double x;
    double y;
};

std::vector<Point> PointsOf(const CChartSerie* s)
{
    std::vector<Point> points;
    for (unsigned i = 0; i < s->GetPointsCount(); ++i)
        points.push_back({s->GetPoint(i).X, s->GetPoint(i).Y});
    return points;
}

class ChartMarkerTest : public ::testing::Test {
protected:
    void SetUp() override { uitest::EnsureApplication(); }
    CChartCtrl chart;
};

TEST_F(ChartMarkerTest, RecreatingLeavesOneSetOfSeries)
{
    ChartMarker m;
    m.Create(&chart, 17, 0x0000FF, 67, PS_DOT, 0, nullptr, 0, 300);
    EXPECT_EQ(chart.GetSeriesCount(), 2u);
    m.Create(&chart, 17, 0x00FF00, 67, PS_DOT, 0, nullptr, 0, 300);
    EXPECT_EQ(chart.GetSeriesCount(), 2u);
    EXPECT_EQ(m.line->GetColor(), 0x00FF00u);
    // Without mark bits the old mark goes and none is made.
    m.Create(&chart, 16, 0x0000FF, 0, PS_SOLID, 0, nullptr, 0, 300);
    EXPECT_EQ(chart.GetSeriesCount(), 1u);
    EXPECT_EQ(m.mark, nullptr);
    const DWORD dots[2] = {0, 5};
    m.Create(&chart, 16, 0x0000FF, 0, ChartMarker::kUserDashes, 2, dots, 0, 300);
    EXPECT_EQ(chart.GetSeriesCount(), 1u);
}

TEST_F(ChartMarkerTest, PositionsLineAndMark)
{
    struct Case {
        std::uint32_t flags;
        double from, to, value;
        std::vector<Point> line;
        std::vector<Point> mark;
    };
    const Case cases[] = {
        {0x1, -128, 127, 40, {{40, -128}, {40, 127}}, {{40, 124}}},
        {0x2, -128, 127, 40, {{40, -128}, {40, 127}}, {{40, -125}}},
        {0x11, 0, 300, -7.5, {{0, -7.5}, {300, -7.5}}, {{3, -7.5}}},
        {0x12, 0, 300, 20, {{0, 20}, {300, 20}}, {{297, 20}}},
        {0x10, 0, 300, 20, {{0, 20}, {300, 20}}, {}},
        {0x0, -128, 127, 120, {{120, -128}, {120, 127}}, {}},
    };
    for (const Case& c : cases)
    {
        ChartMarker m;
        m.Create(&chart, c.flags, 0x00FFFF, 4, PS_SOLID, 0, nullptr, c.from, c.to);
        m.SetPosition(c.value);
        m.SetPosition(c.value);  // moving again replaces, never adds
        const auto line = PointsOf(m.line);
        ASSERT_EQ(line.size(), c.line.size()) << c.flags;
        for (std::size_t i = 0; i < line.size(); ++i)
        {
            EXPECT_DOUBLE_EQ(line[i].x, c.line[i].x) << c.flags;
            EXPECT_DOUBLE_EQ(line[i].y, c.line[i].y) << c.flags;
        }
        ASSERT_EQ(m.mark != nullptr, !c.mark.empty()) << c.flags;
        if (m.mark != nullptr)
        {
            const auto mark = PointsOf(m.mark);
            ASSERT_EQ(mark.size(), 1u);
            EXPECT_DOUBLE_EQ(mark[0].x, c.mark[0].x) << c.flags;
            EXPECT_DOUBLE_EQ(mark[0].y, c.mark[0].y) << c.flags;
        }
    }
}

}  // namespace
