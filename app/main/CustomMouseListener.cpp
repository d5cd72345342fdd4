#include "app/main/CustomMouseListener.h"

#include "app/main/VelkaroDlg.h"

void CCustomMouseListener::OnMouseEventPlotArea(ChartMouseEvent event, int x, int y)
{
    switch (event)
    {
    case MouseMove:
        window_->OnChartMouseMove();
        break;
    case LButtonUp:
        window_->OnChartLeftButtonUp();
        break;
    case LButtonDown:
        window_->OnChartLeftButtonDown(x, y);
        break;
    case RButtonUp:
        window_->OnChartRightButtonUp();
        window_->ClearDragBits(CVelkaroDlg::DRAG_ZOOM);
        break;
    case RButtonDown:
        window_->OnChartRightButtonDown(x, y);
        break;
    default:
        // Double clicks on the empty plot mean nothing.
        break;
    }
}

void CCustomMouseListener::OnMouseEventSerie(ChartMouseEvent event, int x, int y, CChartSerie* serie, int)
{
    if (event == LButtonDown)
        window_->OnChartSerieButtonDown(serie, x, y);
    else if (event == LButtonDoubleClick)
        window_->OnChartSerieDoubleClick(serie);
}
