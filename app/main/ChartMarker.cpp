#include "app/main/ChartMarker.h"

#include "widgets/chart/ChartCtrl.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartPointsSerie.h"

#include <algorithm>
#include <vector>

namespace {

// How far the end mark sits inside the line's end, in chart units.
constexpr double kMarkInset = 3;
constexpr int kMarkSize = 12;

// The series holds exactly these points. A series keeps its points in the order of x (points of
// one x in the order they came), so they are looked for in that order.
bool Holds(const CChartSerie& s, std::vector<SeriePoint> points)
{
    if (s.GetPointsCount() != points.size())
        return false;
    std::stable_sort(points.begin(), points.end(), [](const SeriePoint& a, const SeriePoint& b) { return a.X < b.X; });
    for (unsigned i = 0; i < points.size(); ++i)
    {
        const SeriePoint& q = s.GetPoint(i);
        if (q.X != points[i].X || q.Y != points[i].Y)
            return false;
    }
    return true;
}

}  // namespace

void ChartMarker::Create(CChartCtrl* chart, std::uint32_t kind, COLORREF colour, int markShape, int penStyle,
                         unsigned dashCount, const DWORD* dashes, double lineFrom, double lineTo)
{
    flags = kind;
    from = lineFrom;
    to = lineTo;
    // Series made on another chart are that chart's business; only ours are removed.
    if (line != nullptr && chart_ == chart)
        chart->RemoveSerie(line->GetSerieId());
    if (mark != nullptr && chart_ == chart)
        chart->RemoveSerie(mark->GetSerieId());
    line = nullptr;
    mark = nullptr;
    chart_ = chart;
    if (chart == nullptr)
        return;

    line = new CChartLineSerie(chart);
    chart->AddSerie(line);
    line->SetColor(colour);
    if (penStyle == kUserDashes)
        line->SetDashPattern(dashCount, dashes);
    else
        line->SetPenStyle(penStyle);

    if ((flags & kMarkBits) != 0)
    {
        mark = chart->CreatePointsSerie();
        mark->SetColor(colour);
        mark->SetPointSize(kMarkSize, kMarkSize);
        mark->SetPointType(markShape);
    }
}

void ChartMarker::SetPosition(double value)
{
    if (line == nullptr)
        return;
    const bool atFar = (flags & kMarkAtFar) != 0;
    const bool horizontal = (flags & kHorizontal) != 0;
    const SeriePoint start = horizontal ? SeriePoint{from, value, 0} : SeriePoint{value, from, 0};
    const SeriePoint end = horizontal ? SeriePoint{to, value, 0} : SeriePoint{value, to, 0};
    const SeriePoint markAt = horizontal ? SeriePoint{atFar ? to - kMarkInset : from + kMarkInset, value, 0}
                                         : SeriePoint{value, atFar ? from + kMarkInset : to - kMarkInset, 0};
    if (Holds(*line, {start, end}) && (mark == nullptr || Holds(*mark, {markAt})))
        return;
    line->RemoveAllPoints();
    line->AddPoint(start.X, start.Y);
    line->AddPoint(end.X, end.Y);
    if (mark != nullptr)
    {
        mark->RemoveAllPoints();
        mark->AddPoint(markAt.X, markAt.Y);
    }
}

void ChartMarker::Hide()
{
    if (line != nullptr)
        line->RemoveAllPoints();
    if (mark != nullptr)
        mark->RemoveAllPoints();
}
