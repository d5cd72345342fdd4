#pragma once
// A polyline through the points, optionally smoothed by a Bezier spline, dashed, and with a
// shadow. New points can be drawn onto the chart's image without a full redraw.

#include "widgets/chart/ChartSerie.h"

#include <vector>

class CChartLineSerie : public CChartSerie {
public:
    explicit CChartLineSerie(CChartCtrl* parent);

    void SetColor(COLORREF color) override;
    void SetSecondaryColor(COLORREF color) override;
    bool HitTest(CPoint point, int& index) const override;
    void DrawLegendSymbol(CDC* dc, CRect rect) override;
    void DrawNewPoints(CDC* dc) override;
    void DrawAll(CDC* dc) override;

    void SetWidth(int width);
    int GetWidth() const { return m_iLineWidth; }
    void SetPenStyle(int style);
    int GetPenStyle() const { return m_iPenStyle; }
    void SetSmooth(bool smooth);
    bool GetSmooth() const { return m_bSmooth; }
    void SetDashPattern(unsigned count, const DWORD* pattern);
    void RebuildPens();

    // The PolyBezier points of a spline through the knots: K0, P1[0], P2[0], K1, ... (3N - 2
    // points); empty for fewer than two knots.
    static std::vector<CPoint> BezierPoints(const std::vector<CPoint>& knots);

private:
    int m_iLineWidth = 1;
    int m_iPenStyle = PS_SOLID;
    bool m_bSmooth = false;
    std::vector<DWORD> m_pDashPattern;
    CPen m_NewPen;
    CPen m_ShadowPen;
};
