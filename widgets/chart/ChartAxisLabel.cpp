#include "widgets/chart/ChartAxisLabel.h"

#include "widgets/chart/ChartCtrl.h"

#include <utility>

void CChartAxisLabel::SetText(const std::string& text)
{
    m_strLabelText = text;
    if (m_pParentCtrl != nullptr) m_pParentCtrl->Redraw();
}

void CChartAxisLabel::SetColor(COLORREF color)
{
    m_TextColor = color;
    if (m_pParentCtrl != nullptr) m_pParentCtrl->Redraw();
}

void CChartAxisLabel::SetVisible(bool visible)
{
    m_bIsVisible = visible;
    if (m_pParentCtrl != nullptr) m_pParentCtrl->Redraw();
}

void CChartAxisLabel::SetFont(int pointSize, const std::string& faceName)
{
    m_Font.m_iPointSize = pointSize;
    m_Font.m_strFaceName = faceName;
    m_Font.SetStale();
    if (m_pParentCtrl != nullptr) m_pParentCtrl->Redraw();
}

void CChartAxisLabel::SetHorizontal(bool horizontal)
{
    m_bIsHorizontal = horizontal;
    m_Font.m_bVertical = !horizontal;
    m_Font.SetStale();
}

CSize CChartAxisLabel::GetSize(CDC* dc)
{
    if (!m_bIsVisible || m_strLabelText.empty() || dc == nullptr) return CSize();
    m_Font.Select(dc);
    CSize s = dc->GetTextExtent(m_strLabelText);
    m_Font.Restore(dc);
    s.cx += 4;
    s.cy += 4;
    if (!m_bIsHorizontal) std::swap(s.cx, s.cy);
    return s;
}

void CChartAxisLabel::SetPosition(int x, int y, CDC* dc)
{
    const CSize s = GetSize(dc);
    m_TextRect = CRect(x, y, x + s.cx, y + s.cy);
}

void CChartAxisLabel::Draw(CDC* dc)
{
    if (!m_bIsVisible || m_strLabelText.empty() || dc == nullptr) return;
    const int oldBk = dc->SetBkMode(TRANSPARENT);
    const COLORREF oldColor = dc->SetTextColor(m_TextColor);
    m_Font.Select(dc);
    if (m_bIsHorizontal) dc->TextOut(m_TextRect.left, m_TextRect.top + 2, m_strLabelText);
    else dc->TextOut(m_TextRect.left + 2, m_TextRect.top, m_strLabelText);
    m_Font.Restore(dc);
    dc->SetTextColor(oldColor);
    dc->SetBkMode(oldBk);
}
