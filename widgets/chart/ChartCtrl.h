#pragma once
// The chart window: up to four axes, any number of series, cursors, a legend and a title, drawn
// into an off-screen image that each paint copies to the screen. Left-drag zooms (dragging
// backwards undoes the zoom), right-drag pans, and the chart prints and saves itself as an image.

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Image.h"
#include "platform/gdi/PrintInfo.h"
#include "platform/ui/Wnd.h"
#include "widgets/chart/ChartMouseListener.h"
#include "widgets/chart/SimpleFunctor2.h"

#include <map>
#include <memory>
#include <string>

class CChartAxis;
class CChartSerie;
class CChartPointsSerie;
class CChartBiLineSerie;
class CChartCursor;
class CChartCrossHairCursor;
class CChartLegend;
class CChartTitle;
class CPrintDialog;

class CChartCtrl : public CWnd {
public:
    // Axis slots.
    enum { LeftAxis = 0, BottomAxis = 1, RightAxis = 2, TopAxis = 3 };
    using PostDrawFunctor = SimpleFunctor2<CDC&, CWnd*>;
    using SerieMap = std::map<unsigned, CChartSerie*>;
    // The chart draws inside this border of its own edge.
    static constexpr int InnerMargin = 3;

    CChartCtrl();
    ~CChartCtrl() override;

    static BOOL RegisterWindowClass();

    // ---- series and cursors ----
    void AddSerie(CChartSerie* serie);
    CChartPointsSerie* CreatePointsSerie();
    CChartBiLineSerie* CreateBiLineSerie();
    void RemoveSerie(unsigned id);
    CChartSerie* GetSerie(unsigned id) const;
    size_t GetSeriesCount() const { return m_mapSeries.size(); }
    const SerieMap& GetSeries() const { return m_mapSeries; }
    CChartCrossHairCursor* CreateCrossHairCursor();
    void RemoveCursor(unsigned id);

    // ---- axes ----
    // Takes the axis (null empties the slot); the axis in the slot before is deleted, and the
    // series and cursors that used it move to the new one.
    void AttachAxis(int slot, CChartAxis* axis);
    CChartAxis* GetAxis(int slot) const { return slot >= 0 && slot < 4 ? m_pAxes[slot] : nullptr; }
    CChartAxis* GetLeftAxis() const { return m_pAxes[LeftAxis]; }
    CChartAxis* GetBottomAxis() const { return m_pAxes[BottomAxis]; }
    CChartAxis* GetRightAxis() const { return m_pAxes[RightAxis]; }
    CChartAxis* GetTopAxis() const { return m_pAxes[TopAxis]; }
    void UndoZoom();
    void RefreshAxes();

    CChartLegend* GetLegend() const { return m_pLegend; }
    CChartTitle* GetTitle() const { return m_pTitle; }
    CRect GetPlottingRect() const { return m_PlottingRect; }

    // ---- drawing ----
    void SuspendRedraw();
    void ResumeRedraw();
    bool IsRedrawSuspended() const { return m_iRedrawCounter <= 0; }
    void Redraw();
    virtual void DrawChart(CDC* dc, CRect rect);
    virtual void DrawBackground(CDC* dc, CRect rect);
    // The off-screen image (null before the first redraw); series draw new points into it.
    CDC* GetMemoryDC() { return m_BackgroundDC.GetSafeHdc() != 0 && m_bMemoryDCReady ? &m_BackgroundDC : nullptr; }

    // ---- appearance ----
    void SetBackColor(COLORREF color);
    COLORREF GetBackColor() const { return m_BackColor; }
    void SetBorderColor(COLORREF color);
    void SetEdgeType(UINT edge);
    void SetBackGradient(COLORREF color1, COLORREF color2, int type);
    void SetGradientBackground(bool on);
    void SetZoomRectColor(COLORREF color) { m_ZoomRectColor = color; }
    void SetPanEnabled(bool on) { m_bPanEnabled = on; }
    bool GetPanEnabled() const { return m_bPanEnabled; }
    void SetZoomEnabled(bool on) { m_bZoomEnabled = on; }
    bool GetZoomEnabled() const { return m_bZoomEnabled; }
    void ShowMouseCursor(bool show) { m_bPointerOverPlot = show; }

    // ---- host hooks ----
    void SetMouseListener(CChartMouseListener* listener) { m_pMouseListener = listener; }
    CChartMouseListener* GetMouseListener() const { return m_pMouseListener; }
    // Called after every full redraw with the off-screen image and this window.
    void SetPostDrawFunctor(const PostDrawFunctor& functor);

    // ---- output ----
    // Prints one page; with a dialog its printer is used, else the print dialog asks. True when
    // the document was completed.
    virtual bool Print(const std::string& title, CPrintDialog* printDialog = nullptr);
    virtual void BeginPrinting(CDC* dc, CPrintInfo* info);
    virtual void PrintPage(CDC* dc, CPrintInfo* info);
    virtual void EndPrinting(CDC* dc, CPrintInfo* info);
    // Renders the chart (size: rect, or the window when rect is empty) into a file; the format
    // comes from the name with GUID_NULL. True when the file was written; *result, when given,
    // tells a file that could not be created from one that could not be written (CImage::Save).
    bool SaveImage(const std::string& fileName, CRect rect = CRect(), const GUID& format = GUID_NULL,
                   HRESULT* result = nullptr);

    // The automatic series colours.
    static COLORREF PaletteColor(size_t index);
    // Used by the legend while it walks the series.
    SerieMap::const_iterator m_LegendWalk;

    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnRButtonUp(UINT flags, CPoint point);
    afx_msg void OnRButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);

protected:
    DECLARE_MESSAGE_MAP()

private:
    void DispatchMouseEvent(ChartMouseEvent event, CPoint point);
    void ForEachCursor(void (CChartCursor::*notify)(int, int), CPoint point);
    void OnScrollBar(UINT code, UINT pos, CScrollBar* bar);
    void DeleteMemoryDC();

    int m_iRedrawCounter = 1;
    bool m_bPendingRedraw = false;
    CDC m_BackgroundDC;
    CBitmap m_BackgroundBitmap;
    CBitmap* m_pOldBitmap = nullptr;
    bool m_bMemoryDCReady = false;
    bool m_bFirstPaint = false;  // the first paint has built the image

    bool m_bBackGradient = false;
    COLORREF m_BackGradientCol1;
    COLORREF m_BackGradientCol2;
    int m_BackGradientType = 1;
    COLORREF m_BackColor;
    COLORREF m_BorderColor = 0;
    UINT m_EdgeType = EDGE_RAISED;
    CRect m_PlottingRect;

    SerieMap m_mapSeries;
    CChartAxis* m_pAxes[4] = {nullptr, nullptr, nullptr, nullptr};
    CChartLegend* m_pLegend = nullptr;
    CChartTitle* m_pTitle = nullptr;

    bool m_bPanEnabled = true;
    bool m_bRMouseDown = false;
    CPoint m_PanAnchor;
    bool m_bZoomEnabled = true;
    bool m_bLMouseDown = false;
    CRect m_rectZoomArea;
    COLORREF m_ZoomRectColor = RGB(255, 255, 255);

    CFont m_PrinterFont;
    CSize m_LogicalPageSize;
    CSize m_PaperSize;

    std::map<unsigned, CChartCursor*> m_mapCursors;
    CChartMouseListener* m_pMouseListener = nullptr;
    bool m_bPointerOverPlot = true;
    std::unique_ptr<PostDrawFunctor> m_pPostDrawFunctor;
};
