#pragma once
// A chart in a shown dialog, ready for real mouse input, with a count of its full redraws.

#include "platform/ui/Dialog.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/testing/UiTest.h"
#include "widgets/chart/ChartCtrl.h"
#include "widgets/chart/ChartStandardAxis.h"

#include <memory>

class ChartHost {
public:
    // suspended: the chart's redraw is suspended before its window exists.
    explicit ChartHost(int width = 600, int height = 400, bool suspended = false);
    ~ChartHost();

    // Standard axes on the left and bottom with manual ranges.
    CChartStandardAxis* Bottom(double min, double max);
    CChartStandardAxis* Left(double min, double max);
    void Paint();

    CDialog host;
    CChartCtrl chart;
    int redraws = 0;
};
