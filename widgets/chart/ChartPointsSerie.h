#pragma once
// A marker at every point: ellipse, rectangle or a triangle in one of four directions.

#include "widgets/chart/ChartSerie.h"

class CChartPointsSerie : public CChartSerie {
public:
    // Marker shapes (low four bits); bits 0x40 and 0x80 modify the right-pointing triangle.
    enum { Ellipse = 0, Rectangle = 1, TriangleUp = 2, TriangleRight = 3, TriangleDown = 4, TriangleLeft = 5 };

    explicit CChartPointsSerie(CChartCtrl* parent);

    bool HitTest(CPoint point, int& index) const override;
    void DrawLegendSymbol(CDC* dc, CRect rect) override;
    void DrawNewPoints(CDC* dc) override;
    void DrawAll(CDC* dc) override;

    void SetPointSize(int width, int height);
    int GetPointWidth() const { return m_iPointWidth; }
    int GetPointHeight() const { return m_iPointHeight; }
    void SetPointType(int shape);
    int GetPointType() const { return m_iPointType; }

private:
    void DrawMarkers(CDC* dc, unsigned first, unsigned last);
    void DrawMarker(CDC* dc, CRect rect, bool withShadow);
    void DrawShape(CDC* dc, CRect rect);

    int m_iPointWidth = 5;
    int m_iPointHeight = 5;
    int m_iPointType = Ellipse;
};
