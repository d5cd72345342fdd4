#pragma once
// The title of an axis, beside its tick labels; on a vertical axis the text runs upward.

#include "widgets/chart/ChartFont.h"

#include <string>

class CChartCtrl;

class CChartAxisLabel {
public:
    CChartAxisLabel() = default;

    void SetText(const std::string& text);
    const std::string& GetText() const { return m_strLabelText; }
    void SetColor(COLORREF color);
    void SetVisible(bool visible);
    void SetFont(int pointSize, const std::string& faceName);

    void SetParent(CChartCtrl* chart) { m_pParentCtrl = chart; }
    void SetHorizontal(bool horizontal);
    // (0, 0) for an empty or hidden label.
    CSize GetSize(CDC* dc);
    void SetPosition(int x, int y, CDC* dc);
    CRect GetRect() const { return m_TextRect; }
    void Draw(CDC* dc);

private:
    CChartCtrl* m_pParentCtrl = nullptr;
    bool m_bIsVisible = true;
    CRect m_TextRect;
    COLORREF m_TextColor = 0;
    bool m_bIsHorizontal = true;
    ChartFontDescription m_Font;
    std::string m_strLabelText;
};
