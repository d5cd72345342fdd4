#pragma once
// One side of a chart's plot area: maps values to pixels and back, keeps the visible range and
// the range to return to on undo zoom, fits itself to its series when automatic, and computes
// and draws ticks, tick labels, its label and its grid.

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiTypes.h"

#include <string>
#include <vector>

class CChartCtrl;
class CChartSerie;
class CChartGrid;
class CChartAxisLabel;
class CChartScrollBar;

class CChartAxis {
public:
    // Range modes.
    enum { Manual = 0, Automatic = 1 };

    CChartAxis();
    virtual ~CChartAxis();
    CChartAxis(const CChartAxis&) = delete;
    CChartAxis& operator=(const CChartAxis&) = delete;

    virtual void SetStepMapping(bool stepped);
    // Pixels are kept within -32768..32767; a value that is not a number maps to the start.
    virtual int ValueToScreen(double value) const;
    virtual double ScreenToValue(int pixel) const;
    virtual double GetFirstTickValue() const { return m_MinValue; }
    virtual bool GetNextTickValue(double /*current*/, double& /*next*/) const { return false; }
    virtual int TickToScreen(double value) const { return ValueToScreenLinear(value); }
    virtual int ValueToScreenStepped(double value) const { return ValueToScreenLinear(value); }
    virtual int ValueToScreenLinear(double value) const;
    virtual std::string GetTickLabel(double /*value*/) const { return std::string(); }
    virtual void RefreshTickIncrement() {}
    virtual void RefreshFirstTick() {}
    virtual void GetScrollRange(int& count, int& position) const;
    virtual void ScrollSteps(int from, int to, bool backward);
    virtual void PanPixels(int from, int to);
    virtual void SetZoomRange(double min, double max);

    // ---- range ----
    void SetMinMax(double min, double max);
    void GetMinMax(double& min, double& max) const
    {
        min = m_MinValue;
        max = m_MaxValue;
    }
    double GetMin() const { return m_MinValue; }
    double GetMax() const { return m_MaxValue; }
    void SetAutomatic(bool automatic);
    bool IsAutomatic() const { return m_AutoMode == Automatic; }
    void UpdateAutoRange();
    void UndoZoom();
    // A range this axis cannot map: min = max (a logarithmic axis: also any end not positive).
    virtual bool IsDegenerate() const { return m_MinValue == m_MaxValue; }
    // The extents of the visible series with points along this axis; false when none has any.
    virtual bool GetSeriesExtents(double& lo, double& hi) const;

    // ---- orientation and placement ----
    void SetHorizontal(bool horizontal);
    bool IsHorizontal() const { return m_bIsHorizontal; }
    void SetInverted(bool inverted);
    bool IsInverted() const { return m_bIsInverted; }
    void SetSecondary(bool secondary);
    bool IsSecondary() const { return m_bIsSecondary; }
    void SetVisible(bool visible);
    bool IsVisible() const { return m_bIsVisible; }
    bool IsStepped() const { return m_bDiscrete; }
    int GetStartPixel() const { return m_StartPos; }
    int GetEndPixel() const { return m_EndPos; }
    CRect GetAxisRect() const { return m_AxisRect; }

    // ---- appearance ----
    void SetFont(int pointSize, const std::string& faceName);
    int GetFontSize() const { return m_nFontSize; }
    const std::string& GetFontName() const { return m_strFontName; }
    void SetTextColor(COLORREF color);
    COLORREF GetTextColor() const { return m_TextColor; }
    void SetAxisColor(COLORREF color);
    COLORREF GetAxisColor() const { return m_AxisColor; }
    void SetAutoTicks(bool automatic);
    bool GetAutoTicks() const { return m_bAutoTicks; }
    void SetTickLabelsVisible(bool visible);
    void SetMarginSize(bool automatic, int margin);
    int GetMarginSize() const { return m_iMarginSize; }
    void EnableZoom(bool enabled) { m_bZoomEnabled = enabled; }
    bool IsZoomEnabled() const { return m_bZoomEnabled; }
    void SetZoomLimit(double span) { m_dZoomLimit = span; }
    CChartGrid* GetGrid() const { return m_pAxisGrid; }
    CChartAxisLabel* GetLabel() const { return m_pAxisLabel; }

    // ---- scroll bar ----
    void CreateScrollBar();
    CChartScrollBar* GetScrollBar() const { return m_pScrollBar; }
    void EnableScrollBar(bool enabled);
    void SetAutoHideScrollBar(bool autoHide);
    void RefreshScrollBar();

    // ---- chart side ----
    void SetParent(CChartCtrl* chart);
    CChartCtrl* GetParent() const { return m_pParentCtrl; }
    void RegisterSerie(CChartSerie* serie);
    void UnregisterSerie(CChartSerie* serie);
    const std::vector<CChartSerie*>& GetRelatedSeries() const { return m_pRelatedSeries; }
    // Layout: the pixels of min and max (a vertical axis starts at the bottom) and the box
    // beside the plot area that holds ticks and labels.
    void SetPixelSpan(int start, int end);
    void SetAxisRect(const CRect& rect) { m_AxisRect = rect; }
    // First layout pass: the margin the axis needs, taken off the plot rectangle.
    void ClipMargin(CDC* dc, CRect& plot);
    void Draw(CDC* dc);
    // Size of the widest and of the highest tick label in the axis font.
    CSize GetLargestTick(CDC* dc);

protected:
    // Called after the range or the pixel span changed (the fast axes rebuild their mapping).
    virtual void MappingChanged() {}
    // Calls f(value) for every tick; stops when values stop growing and after 1000 ticks.
    template <class F>
    void ForEachTick(F f) const;
    virtual bool HasTicks() const { return true; }
    // The pixel for an offset d from the start along the axis.
    int PixelFromOffset(double d) const;
    // The offset of a pixel from the start along the axis.
    int OffsetOfPixel(int pixel) const;
    int SpanLength() const;
    void ApplyRange(double min, double max);
    void RedrawChart();

    CChartCtrl* m_pParentCtrl = nullptr;
    bool m_bIsHorizontal = true;
    bool m_bIsInverted = false;
    int m_AutoMode = Manual;
    bool m_bIsVisible = true;
    bool m_bIsSecondary = false;
    double m_MaxValue = 0;
    double m_MinValue = 0;
    double m_UnzoomMin = 0;
    double m_UnzoomMax = 0;
    bool m_bAutoTicks = true;
    bool m_bDiscrete = false;
    int m_StartPos = 0;
    int m_EndPos = 0;
    CRect m_AxisRect;
    int m_nFontSize = 80;
    std::string m_strFontName = "Microsoft Sans Serif";
    COLORREF m_TextColor = 0;
    COLORREF m_AxisColor = 0;
    CChartGrid* m_pAxisGrid = nullptr;
    CChartAxisLabel* m_pAxisLabel = nullptr;
    std::vector<CChartSerie*> m_pRelatedSeries;
    bool m_bAutoMargin = true;
    int m_iMarginSize = 0;
    bool m_bZoomEnabled = true;
    double m_dZoomLimit = 0.001;
    CChartScrollBar* m_pScrollBar = nullptr;
    bool m_bTickLabelsVisible = true;
};

// Pixel values beyond what a 16-bit coordinate holds are pinned there; NaN gives `fallback`.
int ClampPixel(double pixel, int fallback);
