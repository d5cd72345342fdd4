#include "app/main/ChartMarker.h"

#include "widgets/chart/ChartCtrl.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartPointsSerie.h"

namespace {

// How far the end mark sits inside the line's end, in chart units.
constexpr double kMarkInset = 3;
constexpr int kMarkSize = 12;

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
    line->RemoveAllPoints();
    const bool atFar = (flags & kMarkAtFar) != 0;
    if ((flags & kHorizontal) != 0)
    {
        line->AddPoint(from, value);
        line->AddPoint(to, value);
        if (mark != nullptr)
        {
            mark->RemoveAllPoints();
            mark->AddPoint(atFar ? to - kMarkInset : from + kMarkInset, value);
        }
    }
    else
    {
        line->AddPoint(value, from);
        line->AddPoint(value, to);
        if (mark != nullptr)
        {
            mark->RemoveAllPoints();
            mark->AddPoint(value, atFar ? from + kMarkInset : to - kMarkInset);
        }
    }
}
