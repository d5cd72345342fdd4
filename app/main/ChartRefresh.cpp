#include "app/main/ChartRefresh.h"

#include <cmath>
#include <cstring>

void TraceFill::Clear()
{
    for (auto& byAge : line)
        for (Points& p : byAge)
            p.clear();
    for (auto& byAge : band)
        for (Points& p : byAge)
            p.clear();
    for (auto& byTrace : logic)
        for (auto& byLine : byTrace)
            for (Points& p : byLine)
                p.clear();
    for (Points& p : trail)
        p.clear();
    buffer_limit = -1;
}

void TraceFill::Add(Points& to, double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return;
    to.push_back(x);
    to.push_back(y);
}

void TraceFill::AddPair(Points& to, double x, double low, double high)
{
    if (!std::isfinite(x) || !std::isfinite(low) || !std::isfinite(high))
        return;
    to.push_back(x);
    to.push_back(low);
    to.push_back(high);
}

bool TraceFill::SameTraces(const TraceFill& other) const
{
    return line == other.line && band == other.band && logic == other.logic && buffer_limit == other.buffer_limit;
}

bool SameDrawing(const std::vector<GdiRecord>& a, const std::vector<GdiRecord>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        const GdiRecord& x = a[i];
        const GdiRecord& y = b[i];
        const bool same = x.op == y.op && x.points == y.points && x.rect == y.rect && x.text == y.text &&
                          x.flags == y.flags && x.color == y.color && x.penStyle == y.penStyle &&
                          x.penGeometric == y.penGeometric && x.penWidth == y.penWidth && x.penColor == y.penColor &&
                          x.penDashes == y.penDashes && x.brushStyle == y.brushStyle &&
                          x.brushColor == y.brushColor && x.brushHatch == y.brushHatch &&
                          x.textColor == y.textColor && x.bkColor == y.bkColor && x.bkMode == y.bkMode &&
                          x.textAlign == y.textAlign && std::memcmp(&x.font, &y.font, sizeof x.font) == 0;
        if (!same)
            return false;
    }
    return true;
}
