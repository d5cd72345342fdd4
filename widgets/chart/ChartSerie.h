#pragma once
// One set of (x, y) points drawn on a chart against a horizontal and a vertical axis: the point
// store, colours, the legend name and the mouse-notification flags. The kinds differ in how they
// draw, hit-test and show themselves in the legend.

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiTypes.h"
#include "widgets/chart/SeriePoints.h"

#include <string>

class CChartCtrl;
class CChartAxis;

class CChartSerie {
public:
    explicit CChartSerie(CChartCtrl* parent);
    virtual ~CChartSerie();
    CChartSerie(const CChartSerie&) = delete;
    CChartSerie& operator=(const CChartSerie&) = delete;

    virtual void SetOrdering(int ordering);
    virtual void SetColor(COLORREF color);
    virtual void SetSecondaryColor(COLORREF color);
    virtual bool HitTest(CPoint /*point*/, int& index) const
    {
        index = -1;
        return false;
    }
    virtual void DrawLegendSymbol(CDC* /*dc*/, CRect /*rect*/) {}
    virtual void DrawNewPoints(CDC* /*dc*/) {}
    virtual void DrawAll(CDC* /*dc*/) {}

    // ---- points ----
    void AddPoint(double x, double y);
    void AddPoints(const double* x, const double* y, unsigned count);
    void RemoveAllPoints();
    unsigned GetPointsCount() const { return m_Points.GetCount(); }
    const SeriePoint& GetPoint(unsigned index) const { return m_Points[index]; }
    const SeriePoints& GetPoints() const { return m_Points; }
    double GetXMin() const { return m_Points.m_dXMinVal; }
    double GetXMax() const { return m_Points.m_dXMaxVal; }
    double GetYMin() const { return m_Points.m_dYMinVal; }
    double GetYMax() const { return m_Points.m_dYMaxVal; }
    // Extents of the positive values along one direction; false when there are none.
    bool GetPositiveExtents(bool horizontal, double& lo, double& hi) const;
    // The stored points whose x (y with ordering by y) lies within the axis range; every point
    // without ordering. False for an empty store.
    bool GetVisibleRange(unsigned& first, unsigned& last) const;

    // ---- appearance and behaviour ----
    void SetName(const std::string& name);
    const std::string& GetName() const { return m_strSerieName; }
    void SetVisible(bool visible);
    bool IsVisible() const { return m_bIsVisible; }
    void SetInLegend(bool inLegend) { m_bInLegend = inLegend; }
    bool IsInLegend() const { return m_bInLegend; }
    void SetShadow(bool shadow);
    bool GetShadow() const { return m_bShadow; }
    void SetShadowDepth(int depth);
    COLORREF GetColor() const { return m_SerieColor; }
    COLORREF GetShadowColor() const { return m_ShadowColor; }
    void NotifyClicks(bool on) { m_bNotifyClick = on; }
    bool NotifiesClicks() const { return m_bNotifyClick; }
    void NotifyMoves(bool on) { m_bNotifyMove = on; }
    bool NotifiesMoves() const { return m_bNotifyMove; }
    unsigned GetSerieId() const { return m_uSerieId; }

    // ---- chart side ----
    void SetAxes(CChartAxis* horizontal, CChartAxis* vertical);
    CChartAxis* GetHorizontalAxis() const { return m_pHorizontalAxis; }
    CChartAxis* GetVerticalAxis() const { return m_pVerticalAxis; }
    bool HasAxes() const { return m_pHorizontalAxis != nullptr && m_pVerticalAxis != nullptr; }
    void SetPlottingRect(const CRect& rect) { m_PlottingRect = rect; }
    // The pixel of a point (both axes must be set).
    CPoint ValueToScreen(const SeriePoint& point) const;

protected:
    // The series can draw on dc now.
    bool CanDraw(CDC* dc) const { return m_bIsVisible && dc != nullptr && dc->GetSafeHdc() != 0 && HasAxes(); }
    void RefitAxes();
    void RedrawChart();

    SeriePoints m_Points;
    unsigned m_uLastDrawnPoint = 0;  // first point DrawNewPoints has not drawn yet
    CChartCtrl* m_pParentCtrl;
    CChartAxis* m_pVerticalAxis = nullptr;
    CChartAxis* m_pHorizontalAxis = nullptr;
    std::string m_strSerieName;
    bool m_bIsVisible = true;
    bool m_bInLegend = true;
    bool m_bShadow = false;
    COLORREF m_SerieColor = 0;
    COLORREF m_ShadowColor = RGB(150, 150, 150);
    int m_iShadowDepth = 2;
    CRect m_PlottingRect;
    unsigned m_uSerieId;
    bool m_bNotifyClick = false;
    bool m_bNotifyMove = false;
};
