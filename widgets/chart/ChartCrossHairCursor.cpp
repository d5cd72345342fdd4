#include "widgets/chart/ChartCrossHairCursor.h"

#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartCtrl.h"
#include "widgets/chart/ChartLogarithmicAxis.h"
#include "widgets/chart/ChartStandardAxis.h"

#include <algorithm>
#include <cmath>

CChartCrossHairCursor::CChartCrossHairCursor(CChartCtrl* parent, CChartAxis* horizontal, CChartAxis* vertical)
    : CChartCursor(parent), m_pHorizontalAxis(horizontal), m_pVerticalAxis(vertical)
{
}

// A cursor is usually made before its window has its size, and the plot moves again as the axes
// make room for their labels: until the user points somewhere, the cursor keeps to the middle of
// the plot as it is now rather than of the plot it was made in.
CPoint CChartCrossHairCursor::GetPosition() const
{
    if (m_bMouseMoved || m_pParentCtrl == nullptr) return CPoint(m_lXPos, m_lYPos);
    const CRect plot = m_pParentCtrl->GetPlottingRect();
    return CPoint(plot.left + (plot.right - plot.left) / 2, plot.top + (plot.bottom - plot.top) / 2);
}

void CChartCrossHairCursor::SetAxes(CChartAxis* horizontal, CChartAxis* vertical)
{
    m_pHorizontalAxis = horizontal;
    m_pVerticalAxis = vertical;
}

void CChartCrossHairCursor::OnMouseMove(int x, int y)
{
    m_bMouseMoved = true;
    m_lXPos = x;
    m_lYPos = y;
}

// The values are those under the lines, read from the axes as they are now rather than kept
// from the mouse's last move: a box zoom, a pan or new data rescales the axes under a cursor
// that stays where it is. (A new cursor is made before its axes have ranges, so nothing could
// be kept from its start anyway.)
double CChartCrossHairCursor::ValueAt(const CChartAxis* axis, int pixel) const
{
    return axis != nullptr ? axis->ScreenToValue(pixel) : 0.0;
}

double CChartCrossHairCursor::GetXValue() const { return ValueAt(m_pHorizontalAxis, GetPosition().x); }

double CChartCrossHairCursor::GetYValue() const { return ValueAt(m_pVerticalAxis, GetPosition().y); }

std::string CChartCrossHairCursor::TextFor(const CChartAxis* axis, int pixel) const
{
    // An axis without a range yet has no value at any pixel; before the user has pointed at
    // anything, the cursor says nothing rather than a made-up 0.
    if (axis == nullptr || (!m_bMouseMoved && axis->IsDegenerate())) return std::string();
    return FormatValue(axis, ValueAt(axis, pixel));
}

std::string CChartCrossHairCursor::FormatValue(const CChartAxis* axis, double value)
{
    if (axis == nullptr) return std::string();
    if (const auto* standard = dynamic_cast<const CChartStandardAxis*>(axis)) {
        const double step = standard->GetTickIncrement();
        if (!(step > 0) || !std::isfinite(step)) return std::string();
        // Tick steps of 100 and more would ask for a negative count: those show whole numbers.
        const double decimals = std::ceil(-std::log10(std::abs(step))) + 1;
        return FormatFixed(value, static_cast<int>(std::clamp(decimals, 0.0, 15.0)));
    }
    if (dynamic_cast<const CChartLogarithmicAxis*>(axis) != nullptr) {
        const double g = std::log10(value);
        if (g > 6) return FormatFixed(value / 1e6, 1) + "M";
        if (g > 3) return FormatFixed(value / 1e3, 1) + "k";
        if (g < 0) return FormatFixed(value, static_cast<int>(std::min(std::trunc(std::abs(g) + 0.1) + 1, 15.0)));
        return FormatFixed(value, 1);
    }
    return FormatFixed(value, 2);
}

void CChartCrossHairCursor::Draw(CDC* dc)
{
    if (dc == nullptr || m_pParentCtrl == nullptr) return;
    const CRect plot = m_pParentCtrl->GetPlottingRect();
    const CPoint at = GetPosition();
    CPen pen(PS_SOLID, 1, m_colCursor);
    CPen* oldPen = dc->SelectObject(&pen);
    dc->MoveTo(at.x, plot.top);
    dc->LineTo(at.x, plot.bottom);
    dc->MoveTo(plot.left, at.y);
    dc->LineTo(plot.right, at.y);
    dc->SelectObject(oldPen);
    if (!m_bShowValues || m_pHorizontalAxis == nullptr || m_pVerticalAxis == nullptr) return;

    CFont font;
    font.CreatePointFont(m_pHorizontalAxis->GetFontSize(), m_pHorizontalAxis->GetFontName().c_str(), dc);
    CFont* oldFont = dc->SelectObject(&font);
    const int oldBk = dc->SetBkMode(TRANSPARENT);
    const COLORREF oldColor = dc->GetTextColor();

    const std::string xText = TextFor(m_pHorizontalAxis, at.x);
    if (!xText.empty()) {
        const CSize s = dc->GetTextExtent(xText);
        const int x = at.x + s.cx > plot.right ? at.x - s.cx : at.x;
        dc->SetTextColor(m_pHorizontalAxis->GetTextColor());
        dc->TextOut(x, plot.bottom - s.cy - 2, xText);
    }
    const std::string yText = TextFor(m_pVerticalAxis, at.y);
    if (!yText.empty()) {
        const CSize s = dc->GetTextExtent(yText);
        const int y = at.y < plot.top + s.cy ? at.y : at.y - s.cy;
        dc->SetTextColor(m_pVerticalAxis->GetTextColor());
        dc->TextOut(plot.left + 2, y, yText);
    }
    dc->SetTextColor(oldColor);
    dc->SetBkMode(oldBk);
    dc->SelectObject(oldFont);
}
