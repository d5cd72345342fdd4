#pragma once
// A filled band between two values per x: points are stored in pairs (x, y1), (x, y2).

#include "widgets/chart/ChartSerie.h"

class CChartBiLineSerie : public CChartSerie {
public:
    explicit CChartBiLineSerie(CChartCtrl* parent);

    void SetOrdering(int /*ordering*/) override {}
    void DrawLegendSymbol(CDC* dc, CRect rect) override;
    void DrawNewPoints(CDC* dc) override { DrawAll(dc); }
    void DrawAll(CDC* dc) override;

    void AddPointPair(double x, double y1, double y2);
    void SetBrushStyle(int style);
    int GetBrushStyle() const { return m_iBrushStyle; }
    void SetBrushColor(COLORREF color);
    COLORREF GetBrushColor() const { return m_BrushColor; }
    void SetIncremental(bool on) { m_bIncremental = on; }
    bool IsIncremental() const { return m_bIncremental; }
    bool IsChanged() const { return m_bChanged; }

    // The hatch of a brush style, or -1 for a solid brush (0) and no brush (1).
    static int HatchOfStyle(int style);

private:
    int m_iBrushStyle = 2;
    COLORREF m_BrushColor = 0;
    bool m_bIncremental = true;
    bool m_bChanged = false;
};
