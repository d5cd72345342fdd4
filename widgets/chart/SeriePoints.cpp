#include "widgets/chart/SeriePoints.h"

#include <algorithm>
#include <cmath>

SeriePoints::SeriePoints() : m_Points(GrowStep, SeriePoint{0, 0, 0}) {}

bool SeriePoints::AddPoint(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y)) return false;
    if (m_Count == m_Capacity) {
        m_Capacity += GrowStep;
        m_Points.resize(m_Capacity, SeriePoint{0, 0, 0});
    }
    if (m_Count == 0) {
        m_dXMinVal = m_dXMaxVal = x;
        m_dYMinVal = m_dYMaxVal = y;
    } else {
        m_dXMinVal = std::min(m_dXMinVal, x);
        m_dXMaxVal = std::max(m_dXMaxVal, x);
        m_dYMinVal = std::min(m_dYMinVal, y);
        m_dYMaxVal = std::max(m_dYMaxVal, y);
    }
    const SeriePoint point{x, y, 0};
    unsigned at = m_Count;
    if (m_Ordering != NoOrdering && m_Count > 0 && Key(m_Points[m_Count - 1]) > Key(point)) {
        // After every point of an equal key, so equal keys keep the order they came in.
        at = UpperBound(Key(point));
        std::move_backward(m_Points.begin() + at, m_Points.begin() + m_Count, m_Points.begin() + m_Count + 1);
    }
    m_Points[at] = point;
    ++m_Count;
    return true;
}

void SeriePoints::SetPoints(const double* x, const double* y, unsigned count)
{
    if (x == nullptr || y == nullptr) count = 0;
    if (m_Capacity < count) {
        m_Capacity = count;
        m_Points.resize(m_Capacity, SeriePoint{0, 0, 0});
    }
    m_Count = 0;
    for (unsigned i = 0; i < count; ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i])) continue;
        m_Points[m_Count++] = SeriePoint{x[i], y[i], 0};
    }
    Sort();
    RecomputeExtents();
}

void SeriePoints::Clear()
{
    m_Capacity = GrowStep;
    m_Points.assign(m_Capacity, SeriePoint{0, 0, 0});
    m_Points.shrink_to_fit();
    m_Count = 0;
}

void SeriePoints::SetOrdering(int ordering)
{
    m_Ordering = ordering;
    Sort();
}

void SeriePoints::Sort()
{
    if (m_Ordering == NoOrdering) return;
    const bool byY = m_Ordering == OrderByY;
    std::sort(m_Points.begin(), m_Points.begin() + m_Count,
              [byY](const SeriePoint& a, const SeriePoint& b) { return byY ? a.Y < b.Y : a.X < b.X; });
}

void SeriePoints::RecomputeExtents()
{
    if (m_Count == 0) return;
    m_dXMinVal = m_dXMaxVal = m_Points[0].X;
    m_dYMinVal = m_dYMaxVal = m_Points[0].Y;
    for (unsigned i = 1; i < m_Count; ++i) {
        m_dXMinVal = std::min(m_dXMinVal, m_Points[i].X);
        m_dXMaxVal = std::max(m_dXMaxVal, m_Points[i].X);
        m_dYMinVal = std::min(m_dYMinVal, m_Points[i].Y);
        m_dYMaxVal = std::max(m_dYMaxVal, m_Points[i].Y);
    }
}

unsigned SeriePoints::LowerBound(double value) const
{
    const auto end = m_Points.begin() + m_Count;
    const auto it = std::partition_point(m_Points.begin(), end, [&](const SeriePoint& p) { return Key(p) < value; });
    return static_cast<unsigned>(it - m_Points.begin());
}

unsigned SeriePoints::UpperBound(double value) const
{
    const auto end = m_Points.begin() + m_Count;
    const auto it = std::partition_point(m_Points.begin(), end, [&](const SeriePoint& p) { return !(value < Key(p)); });
    return static_cast<unsigned>(it - m_Points.begin());
}
