#pragma once
// The point store of a series: a growable array in steps of 1000 records, kept in insertion
// order or sorted by x or y, with the extents of everything stored.

#include <cstdint>
#include <vector>

struct SeriePoint {
    double X;
    double Y;
    std::uint32_t Reserved;  // always 0
};

class SeriePoints {
public:
    enum { NoOrdering = 0, OrderByX = 1, OrderByY = 2 };
    static constexpr unsigned GrowStep = 1000;

    SeriePoints();

    // Points that are not finite numbers are not stored (false).
    bool AddPoint(double x, double y);
    // Replaces the content by count pairs, sorted by the ordering.
    void SetPoints(const double* x, const double* y, unsigned count);
    void Clear();
    void SetOrdering(int ordering);
    int GetOrdering() const { return m_Ordering; }

    unsigned GetCount() const { return m_Count; }
    unsigned GetCapacity() const { return m_Capacity; }
    const SeriePoint& operator[](unsigned index) const { return m_Points[index]; }
    const SeriePoint* Data() const { return m_Points.data(); }
    // Index of the first point whose key (x for OrderByX, y for OrderByY) is >= value / > value;
    // GetCount() when there is none. Only meaningful for a sorted store.
    unsigned LowerBound(double value) const;
    unsigned UpperBound(double value) const;

    double m_dXMinVal = 0;
    double m_dXMaxVal = 0;
    double m_dYMinVal = 0;
    double m_dYMaxVal = 0;

private:
    double Key(const SeriePoint& p) const { return m_Ordering == OrderByY ? p.Y : p.X; }
    void Sort();
    void RecomputeExtents();

    std::vector<SeriePoint> m_Points;
    unsigned m_Capacity = GrowStep;
    unsigned m_Count = 0;
    int m_Ordering = OrderByX;
};
