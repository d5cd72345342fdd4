#include "ChartHost.h"

ChartHost::ChartHost(int width, int height, bool suspended)
{
    if (suspended) chart.SuspendRedraw();
    uitest::EnsureApplication();
    DialogTemplate t;
    t.id = 9500;
    t.caption = "График";
    t.rect = CRect(0, 0, 600, 400);
    host.CreateIndirect(t);
    chart.Create("ChartCtrl", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, width, height), &host, 1000);
    chart.SetPostDrawFunctor(CChartCtrl::PostDrawFunctor([this](CDC&, CWnd*) { ++redraws; }));
    host.ShowWindow(SW_SHOW);
}

ChartHost::~ChartHost()
{
    chart.DestroyWindow();
    host.DestroyWindow();
}

CChartStandardAxis* ChartHost::Bottom(double min, double max)
{
    auto* axis = new CChartStandardAxis();
    chart.AttachAxis(CChartCtrl::BottomAxis, axis);
    axis->SetMinMax(min, max);
    return axis;
}

CChartStandardAxis* ChartHost::Left(double min, double max)
{
    auto* axis = new CChartStandardAxis();
    chart.AttachAxis(CChartCtrl::LeftAxis, axis);
    axis->SetMinMax(min, max);
    return axis;
}

void ChartHost::Paint() { uitest::ProcessEvents(); }
