#include "widgets/chart/ChartLegend.h"

#include "widgets/chart/ChartCtrl.h"
#include "widgets/chart/ChartSerie.h"

#include <algorithm>

namespace {

// The legend font, built for the DC at hand, selected for the scope.
class LegendFont {
public:
    LegendFont(CDC* dc, int size, const std::string& face) : dc_(dc)
    {
        font_.CreatePointFont(size, face.c_str(), dc);
        old_ = dc_->SelectObject(&font_);
    }
    ~LegendFont() { dc_->SelectObject(old_); }
    LegendFont(const LegendFont&) = delete;
    LegendFont& operator=(const LegendFont&) = delete;

private:
    CDC* dc_;
    CFont font_;
    CFont* old_;
};

}  // namespace

CChartLegend::CChartLegend(CChartCtrl* parent) : m_pParentCtrl(parent) {}

void CChartLegend::RedrawChart()
{
    if (m_pParentCtrl != nullptr) m_pParentCtrl->Redraw();
}

void CChartLegend::SetVisible(bool visible) { m_bIsVisible = visible; RedrawChart(); }
void CChartLegend::SetFont(int pointSize, const std::string& faceName)
{
    m_iFontSize = pointSize;
    m_strFontName = faceName;
    RedrawChart();
}
void CChartLegend::DockLegend(int side)
{
    m_bDocked = true;
    m_DockSide = side;
    RedrawChart();
}
void CChartLegend::UndockLegend(int left, int top)
{
    m_bDocked = false;
    m_iLeftPos = left;
    m_iTopPos = top;
    RedrawChart();
}
void CChartLegend::SetTransparent(bool transparent) { m_bIsTransparent = transparent; RedrawChart(); }
void CChartLegend::SetHorizontalMode(bool horizontal) { m_bIsHorizontal = horizontal; RedrawChart(); }
void CChartLegend::SetShadow(bool shadow) { m_bShadow = shadow; RedrawChart(); }
void CChartLegend::SetShadowDepth(int depth) { m_iShadowDepth = depth; RedrawChart(); }
void CChartLegend::SetBackgroundColor(COLORREF color) { m_BackColor = color; RedrawChart(); }
void CChartLegend::SetShadowColor(COLORREF color) { m_ShadowColor = color; RedrawChart(); }
void CChartLegend::SetSymbolSize(int width, int height)
{
    m_iSymbolWidth = width;
    m_iSymbolHeight = height;
    RedrawChart();
}
void CChartLegend::HideEmptySeries(bool hide) { m_bHideEmpty = hide; RedrawChart(); }

std::vector<CChartSerie*> CChartLegend::Entries() const
{
    std::vector<CChartSerie*> entries;
    if (m_pParentCtrl == nullptr) return entries;
    const auto& series = m_pParentCtrl->GetSeries();
    for (m_pParentCtrl->m_LegendWalk = series.begin(); m_pParentCtrl->m_LegendWalk != series.end(); ++m_pParentCtrl->m_LegendWalk) {
        CChartSerie* s = m_pParentCtrl->m_LegendWalk->second;
        if (s->GetName().empty() || !s->IsVisible() || !s->IsInLegend()) continue;
        if (m_bHideEmpty && s->GetPointsCount() == 0) continue;
        entries.push_back(s);
    }
    return entries;
}

void CChartLegend::UpdatePosition(CDC* dc, const CRect& rect)
{
    m_LegendRect.SetRectEmpty();
    if (!m_bIsVisible || dc == nullptr) return;
    const std::vector<CChartSerie*> entries = Entries();
    if (entries.empty()) return;

    LegendFont font(dc, m_iFontSize, m_strFontName);
    int width = 0;
    int height = 0;
    if (!m_bIsHorizontal) {
        int widest = 0;
        for (CChartSerie* s : entries) {
            const CSize t = dc->GetTextExtent(s->GetName());
            height += std::max<int>(m_iSymbolHeight, t.cy) + 2;
            widest = std::max<int>(widest, t.cx);
        }
        height += 6;
        width = m_iSymbolWidth + widest + 12;
    } else {
        int tallest = 0;
        for (CChartSerie* s : entries) {
            const CSize t = dc->GetTextExtent(s->GetName());
            width += m_iSymbolWidth + t.cx + 14;
            tallest = std::max<int>(tallest, t.cy);
        }
        width -= 6;
        height = std::max(m_iSymbolHeight, tallest) + 8;
    }

    int left = 0;
    int top = 0;
    if (m_bDocked) {
        switch (m_DockSide) {
        case DockLeft:
            left = rect.left + 3;
            top = (rect.bottom - rect.top) / 2 - (height + 2) / 2;
            break;
        case DockTop:
            top = rect.top + 3;
            left = (rect.right - rect.left) / 2 - width / 2;
            break;
        case DockBottom:
            top = rect.bottom - height - 2;
            left = (rect.right - rect.left) / 2 - width / 2;
            break;
        default:
            left = rect.right - width - 6;
            top = (rect.bottom - rect.top) / 2 - (height + 2) / 2;
            break;
        }
    } else {
        left = m_iLeftPos;
        top = m_iTopPos;
        height += 2;
    }
    m_LegendRect = CRect(left, top, left + width, top + height);
}

void CChartLegend::Draw(CDC* dc)
{
    if (!m_bIsVisible || m_LegendRect.IsRectEmpty() || dc == nullptr) return;
    if (m_bShadow) {
        CRect shadow = m_LegendRect;
        shadow.OffsetRect(m_iShadowDepth, m_iShadowDepth);
        CBrush brush(m_ShadowColor);
        dc->FillRect(&shadow, &brush);
    }
    if (!m_bIsTransparent) {
        CBrush brush(m_BackColor);
        dc->FillRect(&m_LegendRect, &brush);
    }
    CPen black(PS_SOLID, 0, RGB(0, 0, 0));
    CPen* oldPen = dc->SelectObject(&black);
    const POINT outline[5] = {{m_LegendRect.left, m_LegendRect.top},
                              {m_LegendRect.right - 1, m_LegendRect.top},
                              {m_LegendRect.right - 1, m_LegendRect.bottom - 1},
                              {m_LegendRect.left, m_LegendRect.bottom - 1},
                              {m_LegendRect.left, m_LegendRect.top}};
    dc->Polyline(outline, 5);
    dc->SelectObject(oldPen);

    LegendFont font(dc, m_iFontSize, m_strFontName);
    const int oldBk = dc->SetBkMode(TRANSPARENT);
    const COLORREF oldText = dc->SetTextColor(RGB(0, 0, 0));
    CRect symbol(m_LegendRect.left + 2, m_LegendRect.top + 5, m_LegendRect.left + 2 + m_iSymbolWidth,
                 m_LegendRect.top + 5 + m_iSymbolHeight + 1);
    for (CChartSerie* s : Entries()) {
        const CSize t = dc->GetTextExtent(s->GetName());
        int advance = m_iSymbolHeight;
        if (t.cy > m_iSymbolHeight) {
            dc->TextOut(symbol.right + 4, symbol.top, s->GetName());
            CRect moved = symbol;
            moved.OffsetRect(0, t.cy / 2 - (m_iSymbolHeight + 1) / 2);
            s->DrawLegendSymbol(dc, moved);
            advance = t.cy;
        } else {
            dc->TextOut(symbol.right + 4, symbol.top + (symbol.Height() - t.cy) / 2, s->GetName());
            s->DrawLegendSymbol(dc, symbol);
        }
        if (m_bIsHorizontal) symbol.OffsetRect(t.cx + m_iSymbolWidth + 14, 0);
        else symbol.OffsetRect(0, advance + 2);
    }
    dc->SetTextColor(oldText);
    dc->SetBkMode(oldBk);
}
