#pragma once
// The scroll bar of an axis, inside the plot area along the axis' side. One position is a tenth
// of the visible span; the bar acts only after the host enables it.

#include "platform/ui/Controls.h"

class CChartAxis;

class CChartScrollBar : public CScrollBar {
public:
    explicit CChartScrollBar(CChartAxis* axis);

    // Creates the hidden bar as a child of the axis' chart.
    bool CreateScrollBar(const CRect& plot);
    void SetEnabled(bool enabled) { m_bEnabled = enabled; }
    bool IsEnabled() const { return m_bEnabled; }
    void SetAutoHide(bool autoHide) { m_bAutoHide = autoHide; }
    bool GetAutoHide() const { return m_bAutoHide; }

    void UpdateFromAxis();
    void OnScroll(UINT code, UINT thumbPosition);
    void Reposition(const CRect& plot);

private:
    // Positions run against the axis: a vertical axis grows upward, the bar downward.
    bool IsMirrored() const;

    CChartAxis* m_pParentAxis;
    bool m_bEnabled = false;
    bool m_bAutoHide = true;
};
