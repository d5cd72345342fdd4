#pragma once
// The marker window made by the running main window, attached to its chart as the chart set-up
// will do it, and the ways a test reads it back.

#include "tools/markers/MarkerDialog.h"

#include "app/main/testing/MainWindowFixture.h"
#include "core/data/OscData.h"
#include "widgets/chart/ChartLineSerie.h"

#include <string>
#include <vector>

class MarkerWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        CVelkaroDlg::SetToolWindowFactory([](CToolDialogList::Slot slot, CVelkaroDlg& main) -> std::unique_ptr<CToolDialog> {
            if (slot != CToolDialogList::MARKER)
                return nullptr;
            return std::make_unique<CMarkerDialog>(&main);
        });
    }
    void TearDown() override
    {
        CVelkaroDlg::SetToolWindowFactory({});
        MainWindowTest::TearDown();
    }

    // The window on the main chart, shown, as the user opens it.
    static CMarkerDialog& Window(CVelkaroDlg& d)
    {
        auto* w = dynamic_cast<CMarkerDialog*>(d.GetToolDialog(CToolDialogList::MARKER));
        EXPECT_NE(w, nullptr);
        w->AttachToChart(&d.GetChart());
        w->ShowWindow(SW_SHOW);
        uitest::ProcessEvents();
        return *w;
    }

    static void ClickBox(CMarkerDialog& w, int row)
    {
        CRect r;
        w.GetList().GetSubItemRect(row, 0, LVIR_BOUNDS, r);
        uitest::ClickAt(&w.GetList(), CPoint(r.left + 9, (r.top + r.bottom) / 2));
    }

    static std::vector<bool> Checks(CMarkerDialog& w)
    {
        std::vector<bool> checks;
        for (int row = 0; row < CMarkerDialog::ROW_COUNT; ++row)
            checks.push_back(w.GetList().GetCheck(row) > 0);
        return checks;
    }

    static std::string Cell(CMarkerDialog& w, int row, int column) { return w.GetList().GetItemText(row, column); }

    // Where a marker's line is drawn now, or "" when it is off the chart.
    static std::string LineAt(const ChartMarker& m)
    {
        if (m.line == nullptr || m.line->GetPointsCount() == 0)
            return "";
        const SeriePoint& a = m.line->GetPoint(0);
        const SeriePoint& b = m.line->GetPoint(m.line->GetPointsCount() - 1);
        return "(" + Number(a.X) + "," + Number(a.Y) + ")-(" + Number(b.X) + "," + Number(b.Y) + ")";
    }

    static std::string Number(double v)
    {
        std::string s = std::to_string(v);
        s.erase(s.find_last_not_of('0') + 1);
        if (!s.empty() && s.back() == '.')
            s.pop_back();
        return s;
    }

    // The model at 1 ms/div with 50 mV steps and no gain or probe scaling: one screen point is
    // 0.1 ms, one code 50 mV.
    static void PlainScale(OscData& data)
    {
        data.t_div = 18;
        data.gain_sel[0] = data.gain_ref[0] = 1;
        data.gain_sel[1] = data.gain_ref[1] = 1;
        data.mode &= ~(MODE_PROBE_X10_A | MODE_PROBE_X10_B);
        data.osc_cr |= OSC_CR_CH_A_ON | OSC_CR_CH_B_ON;
        data.osc_cr &= static_cast<std::uint16_t>(~(OSC_CR_LOGIC_A | OSC_CR_LOGIC_B));
        data.y_offset[0] = data.y_offset[1] = 0;
        data.x_offset = 0;
    }
};
