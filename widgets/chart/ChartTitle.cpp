#include "widgets/chart/ChartTitle.h"

#include "widgets/chart/ChartCtrl.h"

#include <algorithm>
#include <cstdlib>

CChartTitle::CChartTitle(CChartCtrl* parent) : m_pParentCtrl(parent) {}

void CChartTitle::RedrawChart()
{
    if (m_pParentCtrl != nullptr) m_pParentCtrl->Redraw();
}

void CChartTitle::AddString(const std::string& line)
{
    m_StringArray.push_back(line);
    RedrawChart();
}

void CChartTitle::RemoveAll()
{
    m_StringArray.clear();
    RedrawChart();
}

void CChartTitle::SetVisible(bool visible)
{
    m_bIsVisible = visible;
    RedrawChart();
}

void CChartTitle::SetColor(COLORREF color)
{
    m_TextColor = color;
    RedrawChart();
}

void CChartTitle::SetFont(int pointSize, const std::string& faceName, bool bold, bool italic, bool underline)
{
    m_DefaultFont.m_iPointSize = pointSize;
    m_DefaultFont.m_strFaceName = faceName;
    m_DefaultFont.m_bBold = bold;
    m_DefaultFont.m_bItalic = italic;
    m_DefaultFont.m_bUnderline = underline;
    m_DefaultFont.SetStale();
    RedrawChart();
}

void CChartTitle::SetLineFont(size_t line, int pointSize, const std::string& faceName, bool bold)
{
    auto font = std::make_unique<ChartFontDescription>();
    font->m_iPointSize = pointSize;
    font->m_strFaceName = faceName;
    font->m_bBold = bold;
    m_mapLineFonts[line] = std::move(font);
    RedrawChart();
}

ChartFontDescription& CChartTitle::FontOf(size_t line)
{
    auto it = m_mapLineFonts.find(line);
    return it != m_mapLineFonts.end() ? *it->second : m_DefaultFont;
}

CSize CChartTitle::GetSize(CDC* dc)
{
    if (!m_bIsVisible || m_StringArray.empty() || dc == nullptr) return CSize();
    int height = 4;
    int width = 0;
    for (size_t i = 0; i < m_StringArray.size(); ++i) {
        ChartFontDescription& font = FontOf(i);
        font.Select(dc);
        const CSize s = dc->GetTextExtent(m_StringArray[i]);
        font.Restore(dc);
        height += s.cy + 2;
        width = std::max<int>(width, s.cx);
    }
    return CSize(width + 2, height);
}

void CChartTitle::Draw(CDC* dc)
{
    if (!m_bIsVisible || dc == nullptr) return;
    const COLORREF oldColor = dc->SetTextColor(m_TextColor);
    const int oldBk = dc->SetBkMode(TRANSPARENT);
    int y = 4;
    for (size_t i = 0; i < m_StringArray.size(); ++i) {
        ChartFontDescription& font = FontOf(i);
        font.Select(dc);
        const CSize s = dc->GetTextExtent(m_StringArray[i]);
        const int x = m_TitleRect.left + std::abs((m_TitleRect.left - m_TitleRect.right) / 2) - s.cx / 2;
        dc->TextOut(x, m_TitleRect.top + y, m_StringArray[i]);
        font.Restore(dc);
        y += s.cy + 2;
    }
    dc->SetBkMode(oldBk);
    dc->SetTextColor(oldColor);
}
