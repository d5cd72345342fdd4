#pragma once
// The dashed grid lines of one axis, at the tick pixels the axis lists while it draws.

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObjects.h"

#include <vector>

class CChartCtrl;

class CChartGrid {
public:
    CChartGrid();
    virtual ~CChartGrid() = default;

    void SetColor(COLORREF color);
    COLORREF GetColor() const { return m_GridColor; }
    void SetVisible(bool visible);
    bool IsVisible() const { return m_bIsVisible; }
    void RebuildPen();

    void SetParent(CChartCtrl* chart) { m_pParentCtrl = chart; }
    void SetHorizontal(bool horizontal) { m_bIsHorizontal = horizontal; }
    void ClearTicks() { m_TickPositions.clear(); }
    void AddTick(int pixel) { m_TickPositions.push_back(pixel); }
    const std::vector<int>& GetTicks() const { return m_TickPositions; }
    void Draw(CDC* dc);

private:
    CPen m_Pen;
    COLORREF m_GridColor = RGB(128, 128, 128);
    CChartCtrl* m_pParentCtrl = nullptr;
    bool m_bIsVisible = true;
    std::vector<int> m_TickPositions;
    bool m_bIsHorizontal = true;
};
