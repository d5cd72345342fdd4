// Laying out and drawing an axis: margin, line, label, ticks, tick labels and grid.

#include "widgets/chart/ChartAxis.h"

#include "widgets/chart/ChartAxisLabel.h"
#include "widgets/chart/ChartCtrl.h"
#include "widgets/chart/ChartGrid.h"

#include <algorithm>
#include <cmath>

namespace {

// Tick loops end here whatever the step: a step far below the range would never finish.
constexpr int kMaxTicks = 1000;

// The axis font, made for the DC it draws on, selected for the lifetime of the scope.
class AxisFont {
public:
    AxisFont(CDC* dc, int size, const std::string& face) : dc_(dc)
    {
        font_.CreatePointFont(size, face.c_str(), dc);
        old_ = dc_->SelectObject(&font_);
    }
    ~AxisFont() { dc_->SelectObject(old_); }
    AxisFont(const AxisFont&) = delete;
    AxisFont& operator=(const AxisFont&) = delete;

private:
    CDC* dc_;
    CFont font_;
    CFont* old_;
};

}  // namespace

template <class F>
void CChartAxis::ForEachTick(F f) const
{
    if (!HasTicks()) return;
    if (IsDegenerate()) {
        f(m_MinValue);
        return;
    }
    double tick = GetFirstTickValue();
    if (!std::isfinite(tick)) return;
    f(tick);
    double next = 0;
    for (int i = 1; i < kMaxTicks && GetNextTickValue(tick, next); ++i) {
        if (!(next > tick)) break;  // the value stopped growing (a step lost against the value)
        tick = next;
        f(tick);
    }
}

CSize CChartAxis::GetLargestTick(CDC* dc)
{
    CSize largest;
    if (!m_bTickLabelsVisible || dc == nullptr) return largest;
    AxisFont font(dc, m_nFontSize, m_strFontName);
    const int lo = std::min(m_StartPos, m_EndPos);
    const int hi = std::max(m_StartPos, m_EndPos);
    auto measure = [&](double value) {
        const CSize s = dc->GetTextExtent(GetTickLabel(value));
        largest.cx = std::max(largest.cx, s.cx);
        largest.cy = std::max(largest.cy, s.cy);
    };
    if (IsDegenerate()) {
        if (HasTicks()) measure(m_MinValue);
        return largest;
    }
    ForEachTick([&](double value) {
        const int p = ValueToScreen(value);
        if (p >= lo && p <= hi) measure(value);
    });
    return largest;
}

void CChartAxis::ClipMargin(CDC* dc, CRect& plot)
{
    if (!m_bIsVisible) return;
    const CSize tick = GetLargestTick(dc);
    const CSize label = m_pAxisLabel->GetSize(dc);
    if (m_bIsHorizontal) {
        if (m_bAutoMargin) m_iMarginSize = label.cy + tick.cy + 6;
        plot.right = std::min<LONG>(plot.right, m_AxisRect.right - tick.cx / 2 - 3);
        if (!m_bIsSecondary) plot.bottom = std::min<LONG>(plot.bottom, m_AxisRect.bottom - m_iMarginSize);
        else plot.top = std::max<LONG>(plot.top, m_AxisRect.top + m_iMarginSize);
    } else {
        if (m_bAutoMargin) m_iMarginSize = label.cx + tick.cx + 10;
        plot.top = std::max<LONG>(plot.top, m_AxisRect.top + tick.cy / 2 + 3);
        if (!m_bIsSecondary) plot.left = std::max<LONG>(plot.left, m_AxisRect.left + m_iMarginSize);
        else plot.right = std::min<LONG>(plot.right, m_AxisRect.right - m_iMarginSize);
    }
}

void CChartAxis::Draw(CDC* dc)
{
    if (!m_bIsVisible || dc == nullptr || dc->GetSafeHdc() == 0) return;
    const CSize largest = GetLargestTick(dc);
    const CSize labelSize = m_pAxisLabel->GetSize(dc);

    CPen pen(PS_SOLID, 0, m_AxisColor);
    CPen* oldPen = dc->SelectObject(&pen);
    AxisFont font(dc, m_nFontSize, m_strFontName);
    const COLORREF oldText = dc->SetTextColor(m_TextColor);
    const int oldBk = dc->SetBkMode(TRANSPARENT);

    const CRect& box = m_AxisRect;
    if (m_bIsHorizontal) {
        const int y = !m_bIsSecondary ? box.top + 1 : box.bottom - 1;
        dc->MoveTo(m_StartPos, y);
        dc->LineTo(m_EndPos, y);
    } else {
        const int x = !m_bIsSecondary ? box.right - 1 : box.left + 1;
        dc->MoveTo(x, m_StartPos);
        dc->LineTo(x, m_EndPos);
    }

    const int mid = static_cast<int>(std::abs((static_cast<double>(m_StartPos) + m_EndPos) * 0.5));
    int lx;
    int ly;
    if (!m_bIsHorizontal) {
        ly = mid + labelSize.cy / 2;
        lx = !m_bIsSecondary ? box.left : box.right - labelSize.cx - 2;
    } else {
        ly = m_bIsSecondary ? box.top : box.top + largest.cy + 2;
        lx = mid - labelSize.cx / 2;
    }
    m_pAxisLabel->SetPosition(lx, ly, dc);
    m_pAxisLabel->Draw(dc);

    m_pAxisGrid->ClearTicks();
    const int lo = std::min(m_StartPos, m_EndPos);
    const int hi = std::max(m_StartPos, m_EndPos);
    ForEachTick([&](double value) {
        const int tick = TickToScreen(value);
        const int label = ValueToScreen(value);
        if (tick >= lo && tick <= hi) {
            if (m_bIsHorizontal) {
                const int y0 = !m_bIsSecondary ? box.top + 1 : box.bottom - 1;
                const int y1 = !m_bIsSecondary ? box.top + 4 : box.bottom - 4;
                dc->MoveTo(tick, y0);
                dc->LineTo(tick, y1);
            } else {
                const int x0 = !m_bIsSecondary ? box.right - 1 : box.left + 1;
                const int x1 = !m_bIsSecondary ? box.right - 4 : box.left + 4;
                dc->MoveTo(x0, tick);
                dc->LineTo(x1, tick);
            }
        }
        if (m_bTickLabelsVisible && label >= lo && label <= hi) {
            const std::string text = GetTickLabel(value);
            const CSize s = dc->GetTextExtent(text);
            if (m_bIsHorizontal) {
                const int y = !m_bIsSecondary ? box.top + 5 : box.bottom - s.cy - 5;
                dc->TextOut(label - s.cx / 2, y, text);
            } else {
                const int x = !m_bIsSecondary ? box.left + labelSize.cx + 4 : box.left + 6;
                dc->TextOut(x, label - s.cy / 2, text);
            }
        }
        m_pAxisGrid->AddTick(tick);
    });

    m_pAxisGrid->Draw(dc);
    dc->SetBkMode(oldBk);
    dc->SetTextColor(oldText);
    dc->SelectObject(oldPen);
}
