#pragma once
// The box that lists the named series with their symbols, docked to a side of the chart or free.

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiTypes.h"

#include <string>
#include <vector>

class CChartCtrl;
class CChartSerie;

class CChartLegend {
public:
    enum { DockRight = 0, DockLeft = 1, DockTop = 2, DockBottom = 3 };

    explicit CChartLegend(CChartCtrl* parent);

    void SetVisible(bool visible);
    bool IsVisible() const { return m_bIsVisible; }
    void SetFont(int pointSize, const std::string& faceName);
    void DockLegend(int side);
    void UndockLegend(int left, int top);
    bool IsDocked() const { return m_bDocked; }
    int GetDockSide() const { return m_DockSide; }
    void SetTransparent(bool transparent);
    void SetHorizontalMode(bool horizontal);
    void SetShadow(bool shadow);
    void SetShadowDepth(int depth);
    void SetBackgroundColor(COLORREF color);
    void SetShadowColor(COLORREF color);
    void SetSymbolSize(int width, int height);
    void HideEmptySeries(bool hide);

    // Lays the box out inside rect (empty when nothing is listed).
    void UpdatePosition(CDC* dc, const CRect& rect);
    void Draw(CDC* dc);
    CRect GetRect() const { return m_LegendRect; }

private:
    std::vector<CChartSerie*> Entries() const;
    void RedrawChart();

    CChartCtrl* m_pParentCtrl;
    CRect m_LegendRect;
    std::string m_strFontName = "Times New Roman";
    int m_iFontSize = 100;
    bool m_bDocked = true;
    int m_DockSide = DockRight;
    int m_iLeftPos = 0;
    int m_iTopPos = 0;
    bool m_bIsVisible = false;
    bool m_bIsTransparent = false;
    bool m_bIsHorizontal = false;
    bool m_bShadow = true;
    int m_iShadowDepth = 3;
    COLORREF m_BackColor = RGB(255, 255, 255);
    COLORREF m_ShadowColor = RGB(128, 128, 128);
    int m_iSymbolWidth = 16;
    int m_iSymbolHeight = 16;
    bool m_bHideEmpty = false;
};
