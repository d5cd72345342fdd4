// The chart window: ownership of its parts, the redraw cycle and the layout of one drawing.

#include "widgets/chart/ChartCtrl.h"

#include "platform/ui/PaintDC.h"
#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartBiLineSerie.h"
#include "widgets/chart/ChartCrossHairCursor.h"
#include "widgets/chart/ChartLegend.h"
#include "widgets/chart/ChartPointsSerie.h"
#include "widgets/chart/ChartScrollBar.h"
#include "widgets/chart/ChartSerie.h"
#include "widgets/chart/ChartTitle.h"

#include <algorithm>

namespace {

constexpr const char* kClassName = "ChartCtrl";

constexpr COLORREF kPalette[10] = {0x0000FF, 0x009600, 0xFF0000, 0x00FFFF, 0xFFFF00,
                                   0x0080FF, 0x800080, 0x008080, 0xFF00FF, 0x808040};

}  // namespace

BEGIN_MESSAGE_MAP(CChartCtrl, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_RBUTTONUP()
    ON_WM_RBUTTONDBLCLK()
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

COLORREF CChartCtrl::PaletteColor(size_t index) { return kPalette[index % 10]; }

BOOL CChartCtrl::RegisterWindowClass()
{
    WNDCLASS wc;
    if (AfxGetClassInfo(kClassName, &wc)) return TRUE;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ::DefWindowProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClassName;
    return AfxRegisterClass(&wc);
}

CChartCtrl::CChartCtrl()
    : m_BackGradientCol1(GetSysColor(COLOR_BTNFACE)),
      m_BackGradientCol2(GetSysColor(COLOR_BTNFACE)),
      m_BackColor(GetSysColor(COLOR_BTNFACE)),
      m_pLegend(new CChartLegend(this)),
      m_pTitle(new CChartTitle(this))
{
    m_LegendWalk = m_mapSeries.end();
    RegisterWindowClass();
}

CChartCtrl::~CChartCtrl()
{
    // Nothing may redraw while the parts go.
    m_iRedrawCounter = -1000000;
    for (auto& [id, serie] : m_mapSeries) delete serie;
    m_mapSeries.clear();
    for (auto& [id, cursor] : m_mapCursors) delete cursor;
    m_mapCursors.clear();
    for (CChartAxis*& axis : m_pAxes) {
        delete axis;
        axis = nullptr;
    }
    delete m_pLegend;
    delete m_pTitle;
    DeleteMemoryDC();
}

// ---- series and cursors -------------------------------------------------------------------------------

void CChartCtrl::AddSerie(CChartSerie* serie)
{
    if (serie == nullptr || m_mapSeries.count(serie->GetSerieId()) != 0) return;
    serie->SetPlottingRect(m_PlottingRect);
    serie->SetColor(PaletteColor(m_mapSeries.size()));
    serie->SetAxes(m_pAxes[BottomAxis], m_pAxes[LeftAxis]);
    m_mapSeries[serie->GetSerieId()] = serie;
    SuspendRedraw();
    if (CChartAxis* left = m_pAxes[LeftAxis]) {
        left->RegisterSerie(serie);
        left->UpdateAutoRange();
    }
    if (CChartAxis* bottom = m_pAxes[BottomAxis]) {
        bottom->RegisterSerie(serie);
        bottom->UpdateAutoRange();
    }
    Redraw();
    ResumeRedraw();
}

CChartPointsSerie* CChartCtrl::CreatePointsSerie()
{
    auto* serie = new CChartPointsSerie(this);
    AddSerie(serie);
    return serie;
}

CChartBiLineSerie* CChartCtrl::CreateBiLineSerie()
{
    auto* serie = new CChartBiLineSerie(this);
    AddSerie(serie);
    return serie;
}

CChartSerie* CChartCtrl::GetSerie(unsigned id) const
{
    auto it = m_mapSeries.find(id);
    return it != m_mapSeries.end() ? it->second : nullptr;
}

void CChartCtrl::RemoveSerie(unsigned id)
{
    auto it = m_mapSeries.find(id);
    if (it == m_mapSeries.end()) return;
    CChartSerie* serie = it->second;
    m_mapSeries.erase(it);
    SuspendRedraw();
    CChartAxis* horizontal = serie->GetHorizontalAxis();
    CChartAxis* vertical = serie->GetVerticalAxis();
    if (horizontal != nullptr) horizontal->UnregisterSerie(serie);
    if (vertical != nullptr) vertical->UnregisterSerie(serie);
    delete serie;
    if (horizontal != nullptr) horizontal->UpdateAutoRange();
    if (vertical != nullptr) vertical->UpdateAutoRange();
    Redraw();
    ResumeRedraw();
}

CChartCrossHairCursor* CChartCtrl::CreateCrossHairCursor()
{
    auto* cursor = new CChartCrossHairCursor(this, m_pAxes[BottomAxis], m_pAxes[LeftAxis]);
    m_mapCursors[cursor->GetCursorId()] = cursor;
    return cursor;
}

void CChartCtrl::RemoveCursor(unsigned id)
{
    auto it = m_mapCursors.find(id);
    if (it == m_mapCursors.end()) return;
    delete it->second;
    m_mapCursors.erase(it);
}

// ---- axes ---------------------------------------------------------------------------------------------

void CChartCtrl::AttachAxis(int slot, CChartAxis* axis)
{
    if (slot < 0 || slot > 3) return;
    CChartAxis* old = m_pAxes[slot];
    if (old == axis) return;
    const bool horizontal = slot == BottomAxis || slot == TopAxis;
    SuspendRedraw();
    if (axis != nullptr) {
        axis->SetParent(this);
        axis->SetHorizontal(horizontal);
        axis->SetSecondary(slot >= RightAxis);
        axis->CreateScrollBar();
    }
    m_pAxes[slot] = axis;

    // Whatever drew against the axis going away (or, on the main sides, against no axis at all)
    // now draws against the new one; nothing is left holding a deleted axis.
    const bool primary = slot == LeftAxis || slot == BottomAxis;
    for (auto& [id, serie] : m_mapSeries) {
        CChartAxis* current = horizontal ? serie->GetHorizontalAxis() : serie->GetVerticalAxis();
        if (current != old && !(primary && current == nullptr)) continue;
        if (horizontal) serie->SetAxes(axis, serie->GetVerticalAxis());
        else serie->SetAxes(serie->GetHorizontalAxis(), axis);
        if (axis != nullptr) axis->RegisterSerie(serie);
    }
    for (auto& [id, cursor] : m_mapCursors) {
        auto* crossHair = dynamic_cast<CChartCrossHairCursor*>(cursor);
        if (crossHair == nullptr) continue;
        CChartAxis* current = horizontal ? crossHair->GetHorizontalAxis() : crossHair->GetVerticalAxis();
        if (current != old && !(primary && current == nullptr)) continue;
        if (horizontal) crossHair->SetAxes(axis, crossHair->GetVerticalAxis());
        else crossHair->SetAxes(crossHair->GetHorizontalAxis(), axis);
    }
    delete old;
    if (axis != nullptr) axis->UpdateAutoRange();
    Redraw();
    ResumeRedraw();
}

void CChartCtrl::UndoZoom()
{
    SuspendRedraw();
    for (int slot : {BottomAxis, LeftAxis, TopAxis, RightAxis})
        if (m_pAxes[slot] != nullptr) m_pAxes[slot]->UndoZoom();
    ResumeRedraw();
}

void CChartCtrl::RefreshAxes()
{
    for (CChartAxis* axis : m_pAxes)
        if (axis != nullptr) axis->RefreshScrollBar();
}

// ---- drawing ------------------------------------------------------------------------------------------

void CChartCtrl::SuspendRedraw() { --m_iRedrawCounter; }

void CChartCtrl::ResumeRedraw()
{
    // Resuming more often than suspending must not make later suspensions ineffective.
    if (m_iRedrawCounter < 1) ++m_iRedrawCounter;
    if (m_iRedrawCounter > 0 && m_bPendingRedraw) {
        m_bPendingRedraw = false;
        Redraw();
    }
}

void CChartCtrl::DeleteMemoryDC()
{
    if (!m_bMemoryDCReady) return;
    if (m_pOldBitmap != nullptr) m_BackgroundDC.SelectObject(m_pOldBitmap);
    m_pOldBitmap = nullptr;
    m_BackgroundBitmap.DeleteObject();
    m_BackgroundDC.DeleteDC();
    m_bMemoryDCReady = false;
}

void CChartCtrl::Redraw()
{
    if (GetSafeHwnd() == nullptr) return;
    if (m_iRedrawCounter <= 0) {
        m_bPendingRedraw = true;
        return;
    }
    CRect client;
    GetClientRect(&client);
    m_PlottingRect = client;
    if (!m_bMemoryDCReady) {
        m_BackgroundDC.CreateCompatibleDC(nullptr);
        m_BackgroundBitmap.CreateCompatibleBitmap(&m_BackgroundDC, client.Width(), client.Height());
        m_pOldBitmap = m_BackgroundDC.SelectObject(&m_BackgroundBitmap);
        m_bMemoryDCReady = true;
    }
    DrawBackground(&m_BackgroundDC, client);
    client.DeflateRect(InnerMargin, InnerMargin);
    DrawChart(&m_BackgroundDC, client);
    for (CChartAxis* axis : m_pAxes)
        if (axis != nullptr && axis->GetScrollBar() != nullptr) axis->GetScrollBar()->Reposition(m_PlottingRect);
    if (m_pPostDrawFunctor) (*m_pPostDrawFunctor)(m_BackgroundDC, this);
    Invalidate(TRUE);
}

void CChartCtrl::DrawBackground(CDC* dc, CRect rect)
{
    if (dc == nullptr) return;
    if (m_bBackGradient) {
        auto vertex = [](LONG x, LONG y, COLORREF c) {
            return TRIVERTEX{x, y, static_cast<COLOR16>(GetRValue(c) << 8), static_cast<COLOR16>(GetGValue(c) << 8),
                             static_cast<COLOR16>(GetBValue(c) << 8), 0};
        };
        GRADIENT_RECT mesh{0, 1};
        auto fill = [&](LONG l, LONG t, LONG r, LONG b, COLORREF from, COLORREF to, ULONG mode) {
            const TRIVERTEX v[2] = {vertex(l, t, from), vertex(r, b, to)};
            dc->GradientFill(v, 2, &mesh, 1, mode);
        };
        switch (m_BackGradientType) {
        case 0: fill(rect.left, rect.top, rect.right, rect.bottom, m_BackGradientCol1, m_BackGradientCol2, GRADIENT_FILL_RECT_H); break;
        case 1: fill(rect.left, rect.top, rect.right, rect.bottom, m_BackGradientCol1, m_BackGradientCol2, GRADIENT_FILL_RECT_V); break;
        case 2: {
            const int half = rect.Width() / 2;
            fill(rect.left, rect.top, rect.left + half, rect.bottom, m_BackGradientCol1, m_BackGradientCol2, GRADIENT_FILL_RECT_H);
            fill(rect.left + half, rect.top, rect.right, rect.bottom, m_BackGradientCol2, m_BackGradientCol1, GRADIENT_FILL_RECT_H);
            break;
        }
        default: {
            const int half = rect.Height() / 2;
            fill(rect.left, rect.top, rect.right, rect.top + half, m_BackGradientCol1, m_BackGradientCol2, GRADIENT_FILL_RECT_V);
            fill(rect.left, rect.top + half, rect.right, rect.bottom, m_BackGradientCol2, m_BackGradientCol1, GRADIENT_FILL_RECT_V);
            break;
        }
        }
    } else {
        dc->SetBkColor(m_BackColor);
        CBrush brush(m_BackColor);
        dc->FillRect(&rect, &brush);
    }
    dc->DrawEdge(&rect, m_EdgeType, BF_RECT);
}

void CChartCtrl::DrawChart(CDC* dc, CRect rect)
{
    if (dc == nullptr) return;
    m_PlottingRect = rect;

    const CSize title = m_pTitle->GetSize(dc);
    m_pTitle->SetRect(CRect(rect.left, rect.top, rect.right, rect.top + title.cy));
    rect.top += title.cy;
    m_pTitle->Draw(dc);

    m_pLegend->UpdatePosition(dc, rect);
    const CRect legend = m_pLegend->GetRect();
    if (!legend.IsRectEmpty() && m_pLegend->IsDocked()) {
        switch (m_pLegend->GetDockSide()) {
        case CChartLegend::DockLeft: rect.left = legend.right - 2; break;
        case CChartLegend::DockTop: rect.top = legend.bottom + 2; break;
        case CChartLegend::DockBottom: rect.bottom = legend.top - 2; break;
        default: rect.right = legend.left + 2; break;
        }
    }

    for (CChartAxis* axis : m_pAxes) {
        if (axis == nullptr) continue;
        if (axis->IsHorizontal()) axis->SetPixelSpan(m_PlottingRect.left, m_PlottingRect.right);
        else axis->SetPixelSpan(m_PlottingRect.bottom, m_PlottingRect.top);
        axis->SetAxisRect(rect);
        if (axis->GetAutoTicks()) axis->RefreshTickIncrement();
        axis->RefreshFirstTick();
        axis->ClipMargin(dc, m_PlottingRect);
    }
    for (CChartAxis* axis : m_pAxes) {
        if (axis == nullptr) continue;
        CRect box = rect;
        if (axis->IsHorizontal()) {
            axis->SetPixelSpan(m_PlottingRect.left, m_PlottingRect.right);
            if (!axis->IsSecondary()) box.top = m_PlottingRect.bottom;
            else box.bottom = m_PlottingRect.top;
        } else {
            axis->SetPixelSpan(m_PlottingRect.bottom, m_PlottingRect.top);
            if (!axis->IsSecondary()) box.right = m_PlottingRect.left;
            else box.left = m_PlottingRect.right;
        }
        axis->SetAxisRect(box);
        if (axis->GetAutoTicks()) axis->RefreshTickIncrement();
        axis->RefreshFirstTick();
        axis->Draw(dc);
    }

    CPen border(PS_SOLID, 0, m_BorderColor);
    CPen* oldPen = dc->SelectObject(&border);
    dc->MoveTo(m_PlottingRect.left, m_PlottingRect.top);
    dc->LineTo(m_PlottingRect.right, m_PlottingRect.top);
    dc->LineTo(m_PlottingRect.right, m_PlottingRect.bottom);
    dc->LineTo(m_PlottingRect.left, m_PlottingRect.bottom);
    dc->LineTo(m_PlottingRect.left, m_PlottingRect.top);
    dc->SelectObject(oldPen);

    const CRect seriesRect(m_PlottingRect.left, m_PlottingRect.top, m_PlottingRect.right + 1, m_PlottingRect.bottom + 1);
    for (auto& [id, serie] : m_mapSeries) {
        serie->SetPlottingRect(seriesRect);
        serie->DrawAll(dc);
    }
    m_pLegend->Draw(dc);
}

// ---- appearance ---------------------------------------------------------------------------------------

void CChartCtrl::SetBackColor(COLORREF color)
{
    m_BackColor = color;
    Redraw();
}

void CChartCtrl::SetBorderColor(COLORREF color)
{
    m_BorderColor = color;
    Redraw();
}

void CChartCtrl::SetEdgeType(UINT edge)
{
    m_EdgeType = edge;
    Redraw();
}

void CChartCtrl::SetBackGradient(COLORREF color1, COLORREF color2, int type)
{
    m_BackGradientCol1 = color1;
    m_BackGradientCol2 = color2;
    m_BackGradientType = type;
    m_bBackGradient = true;
    Redraw();
}

void CChartCtrl::SetGradientBackground(bool on)
{
    m_bBackGradient = on;
    Redraw();
}

void CChartCtrl::SetPostDrawFunctor(const PostDrawFunctor& functor)
{
    m_pPostDrawFunctor = functor ? std::make_unique<PostDrawFunctor>(functor) : nullptr;
}

// ---- window messages ----------------------------------------------------------------------------------

void CChartCtrl::OnPaint()
{
    CPaintDC dc(this);
    if (!m_bFirstPaint) {
        m_bFirstPaint = true;
        Redraw();
    }
    CRect client;
    GetClientRect(&client);
    if (m_bMemoryDCReady) {
        dc.BitBlt(0, 0, client.Width(), client.Height(), &m_BackgroundDC, 0, 0, SRCCOPY);
    } else {
        // Nothing drawn yet (redraw suspended): at least no garbage on screen.
        dc.FillSolidRect(&client, m_BackColor);
    }
    if (m_bZoomEnabled && m_bLMouseDown) {
        CPen pen(PS_SOLID, 1, m_ZoomRectColor);
        CPen* old = dc.SelectObject(&pen);
        const CRect& z = m_rectZoomArea;
        dc.MoveTo(z.left, z.top);
        dc.LineTo(z.right, z.top);
        dc.LineTo(z.right, z.bottom);
        dc.LineTo(z.left, z.bottom);
        dc.LineTo(z.left, z.top);
        dc.SelectObject(old);
    }
    for (auto& [id, cursor] : m_mapCursors) cursor->Draw(&dc);
}

BOOL CChartCtrl::OnEraseBkgnd(CDC*) { return TRUE; }

void CChartCtrl::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    DeleteMemoryDC();
    Redraw();
}

void CChartCtrl::OnScrollBar(UINT code, UINT pos, CScrollBar* bar)
{
    if (auto* chartBar = dynamic_cast<CChartScrollBar*>(bar)) chartBar->OnScroll(code, pos);
    Redraw();
}

void CChartCtrl::OnHScroll(UINT code, UINT pos, CScrollBar* bar)
{
    OnScrollBar(code, pos, bar);
}

void CChartCtrl::OnVScroll(UINT code, UINT pos, CScrollBar* bar)
{
    OnScrollBar(code, pos, bar);
}
