#include "widgets/chart/chartshot/ChartScenes.h"

#include "widgets/chart/ChartAxisLabel.h"
#include "widgets/chart/ChartBiLineSerie.h"
#include "widgets/chart/ChartCtrl.h"
#include "widgets/chart/ChartFastLogarithmicAxis.h"
#include "widgets/chart/ChartFastStandardAxis.h"
#include "widgets/chart/ChartGrid.h"
#include "widgets/chart/ChartLegend.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartLogarithmicAxis.h"
#include "widgets/chart/ChartPointsSerie.h"
#include "widgets/chart/ChartStandardAxis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

// ---- the oscilloscope screen ------------------------------------------------------------------------

constexpr int kScreenPoints = 300;
constexpr COLORREF kGreen = 0x00B400;
constexpr COLORREF kGrid = 0x005A00;
constexpr COLORREF kScreenBack = 0x003200;

// A straight marker line with an optional end mark, as the main window draws its zero marks,
// trigger lines and buffer limit.
struct Marker {
    bool horizontal = true;
    double from = 0;
    double to = 0;
    CChartLineSerie* line = nullptr;
    CChartPointsSerie* mark = nullptr;
    bool markAtEnd = false;

    void Create(CChartCtrl& chart, int kind, COLORREF colour, int shape, int penStyle, const std::string& name,
                const std::vector<DWORD>& dashes = {})
    {
        horizontal = (kind & 0x10) != 0;
        from = horizontal ? 0 : -128;
        to = horizontal ? 300 : 127;
        markAtEnd = (kind & 0x2) != 0;
        line = new CChartLineSerie(&chart);
        chart.AddSerie(line);
        line->SetColor(colour);
        if (penStyle == PS_USERSTYLE) line->SetDashPattern(static_cast<unsigned>(dashes.size()), dashes.data());
        else line->SetPenStyle(penStyle);
        line->SetName(name);
        if ((kind & 0x3) != 0) {
            mark = chart.CreatePointsSerie();
            mark->SetColor(colour);
            mark->SetPointSize(12, 12);
            mark->SetPointType(shape);
        }
    }
    void SetPosition(double v)
    {
        line->RemoveAllPoints();
        if (horizontal) {
            line->AddPoint(from, v);
            line->AddPoint(to, v);
        } else {
            line->AddPoint(v, from);
            line->AddPoint(v, to);
        }
        if (mark == nullptr) return;
        mark->RemoveAllPoints();
        if (horizontal) mark->AddPoint(markAtEnd ? to - 3 : from + 3, v);
        else mark->AddPoint(v, markAtEnd ? from + 3 : to - 3);
    }
    void Clickable()
    {
        line->NotifyClicks(true);
        if (mark != nullptr) mark->NotifyClicks(true);
    }
};

class ScopeScreen : public ChartScene {
public:
    using ChartScene::ChartScene;

    CSize Size() const override { return CSize(916, 525); }

    void Setup(CChartCtrl& chart) override
    {
        chart_ = &chart;
        chart.SuspendRedraw();
        chart.SetPanEnabled(false);
        chart.SetZoomEnabled(false);
        chart.SetEdgeType(0);
        chart.SetBorderColor(kGreen);
        chart.SetBackColor(kScreenBack);
        chart.SetGradientBackground(false);

        bottom_ = new CChartFastStandardAxis();
        chart.AttachAxis(CChartCtrl::BottomAxis, bottom_);
        bottom_->SetMinMax(0, kScreenPoints - 1);
        bottom_->SetAutomatic(false);
        left_ = new CChartFastStandardAxis();
        chart.AttachAxis(CChartCtrl::LeftAxis, left_);
        left_->SetMinMax(-128, 127);
        left_->SetAutomatic(false);
        for (CChartFastStandardAxis* axis : {bottom_, left_}) {
            axis->SetAxisColor(kGreen);
            axis->SetTextColor(kGreen);
            axis->GetGrid()->SetColor(kGrid);
            axis->SetTickIncrement(false, 10);
            axis->PrepareMapping();
        }

        struct Row {
            const char* name;
            COLORREF colour;
        };
        const Row lines[6] = {{"Канал A", 0x0000FF}, {"", 0x0000C8}, {"Канал B", 0x00FF00},
                              {"", 0x00C800},        {"Канал математики", 0xFFFF00}, {"", 0xC8C800}};
        for (int i = 0; i < 6; ++i) {
            auto* s = new CChartLineSerie(&chart);
            chart.AddSerie(s);
            s->SetColor(lines[i].colour);
            s->SetName(lines[i].name);
            lines_[i] = s;
        }
        const COLORREF bandBrush[6] = {0x0000C8, 0x000096, 0x00C800, 0x009600, 0xC8C800, 0x969600};
        for (int i = 0; i < 6; ++i) {
            CChartBiLineSerie* s = chart.CreateBiLineSerie();
            s->SetColor(lines[i].colour);
            s->SetName(lines[i].name);
            s->SetBrushColor(bandBrush[i]);
            s->SetBrushStyle(0);
            s->SetIncremental(false);
            bands_[i] = s;
        }
        const char* channelNames[3] = {"Канал A", "Канал B", "Канал математики"};
        for (int c = 0; c < 3; ++c) {
            for (int line = 7; line >= 0; --line) {
                for (int old = 0; old < 2; ++old) {
                    CChartBiLineSerie* s = chart.CreateBiLineSerie();
                    const int band = 2 * c + old;
                    s->SetColor(lines[band].colour);
                    s->SetBrushColor(bandBrush[band]);
                    s->SetBrushStyle(0);
                    s->SetIncremental(false);
                    if (old == 0) {
                        char name[64];
                        std::snprintf(name, sizeof name, "%s[%d]", channelNames[c], line);
                        s->SetName(name);
                    }
                    logic_[old][c][line] = s;
                }
            }
        }

        zeroA_.Create(chart, 17, 0x0000FF, 67, PS_DOT, "'0' канала A");
        zeroB_.Create(chart, 17, 0x00FF00, 131, PS_DOT, "'0' канала B");
        zeroMath_.Create(chart, 17, 0xFFFF00, 131, PS_DOT, "'0' канала математики");
        const std::vector<DWORD> dots = {0, 5};
        limitAUpper_.Create(chart, 16, 0x0000FF, 0, PS_USERSTYLE, "Границы канала A", dots);
        limitALower_.Create(chart, 16, 0x0000FF, 0, PS_USERSTYLE, "", dots);
        limitBUpper_.Create(chart, 16, 0x00FF00, 0, PS_USERSTYLE, "Границы канала B", dots);
        limitBLower_.Create(chart, 16, 0x00FF00, 0, PS_USERSTYLE, "", dots);
        bufferLimit_.Create(chart, 32, 0xC83232, 0, PS_SOLID, "Граница буффера");
        triggerLevel_.Create(chart, 16, 0x00FFFF, 0, PS_DASHDOT, "Уровень триггера");
        triggerLevelArrow_ = MakeArrow(chart);
        triggerOffset_.Create(chart, 32, 0x00FFFF, 0, PS_DASHDOT, "Смещение триггера");
        triggerOffsetArrow_ = MakeArrow(chart);
        for (Marker* m : {&zeroA_, &zeroB_, &zeroMath_, &triggerLevel_}) m->Clickable();

        CChartLegend* legend = chart.GetLegend();
        legend->DockLegend(CChartLegend::DockRight);
        legend->HideEmptySeries(true);
        legend->SetShadowColor(RGB(128, 128, 128));
        legend->SetVisible(true);
        chart.ResumeRedraw();
        bottom_->PrepareMapping();
        left_->PrepareMapping();
        Refill();
    }

    void Empty() override
    {
        for (CChartLineSerie* s : lines_) s->RemoveAllPoints();
        for (CChartBiLineSerie* s : bands_) s->RemoveAllPoints();
        for (auto& byAge : logic_)
            for (auto& byChannel : byAge)
                for (CChartBiLineSerie* s : byChannel) s->RemoveAllPoints();
        triggerLevelArrow_->RemoveAllPoints();
        triggerLevelArrow_->SetPointType(CChartPointsSerie::TriangleLeft);
    }

    void Fill() override
    {
        FillTraces();
        zeroA_.SetPosition(0);
        triggerLevel_.SetPosition(30);
        triggerLevelArrow_->AddPoint(297, 30);
        triggerOffset_.SetPosition(150);
        triggerOffsetArrow_->RemoveAllPoints();
        triggerOffsetArrow_->AddPoint(150, 124);
        bufferLimit_.SetPosition(kNewPoints);
    }

protected:
    static constexpr int kNewPoints = 240;

    static CChartPointsSerie* MakeArrow(CChartCtrl& chart)
    {
        CChartPointsSerie* arrow = chart.CreatePointsSerie();
        arrow->SetColor(0x00FFFF);
        arrow->SetPointSize(12, 12);
        arrow->SetPointType(CChartPointsSerie::TriangleDown);
        arrow->NotifyClicks(true);
        return arrow;
    }

    // Channel A a sine with older data past the gap, B a square band, the math trace a triangle.
    virtual void FillTraces()
    {
        constexpr double kTwoPi = 2 * std::numbers::pi;
        for (int x = 0; x < kNewPoints; ++x) lines_[0]->AddPoint(x, std::round(60 * std::sin(kTwoPi * x / 80)));
        for (int x = kNewPoints + 3; x < kScreenPoints; ++x)
            lines_[1]->AddPoint(x, std::round(60 * std::sin(kTwoPi * x / 80 + 1)));
        for (int x = 0; x < kNewPoints; ++x) {
            const double c = (x / 40) % 2 == 0 ? 100 : 80;
            bands_[2]->AddPointPair(x, c - 4, c + 4);
        }
        for (int x = 0; x < kNewPoints; ++x) lines_[4]->AddPoint(x, -100 + std::abs(x % 40 - 20));
    }

    CChartFastStandardAxis* bottom_ = nullptr;
    CChartFastStandardAxis* left_ = nullptr;
    std::array<CChartLineSerie*, 6> lines_{};
    std::array<CChartBiLineSerie*, 6> bands_{};
    // [new 0 / old 1][channel A, B, math][line]
    std::array<std::array<std::array<CChartBiLineSerie*, 8>, 3>, 2> logic_{};
    Marker zeroA_, zeroB_, zeroMath_, limitAUpper_, limitALower_, limitBUpper_, limitBLower_, bufferLimit_, triggerLevel_,
        triggerOffset_;
    CChartPointsSerie* triggerLevelArrow_ = nullptr;
    CChartPointsSerie* triggerOffsetArrow_ = nullptr;
};

// Sixteen logic lines: channel A's lines in the lower half, B's above; line k toggles every
// 2^k points.
class LogicScreen : public ScopeScreen {
public:
    using ScopeScreen::ScopeScreen;

protected:
    void FillTraces() override
    {
        const double offsets[2] = {-120, -38};
        for (int c = 0; c < 2; ++c) {
            for (int line = 0; line < 8; ++line) {
                const int k = 8 * c + line;
                const double row = offsets[c] + 10 * line;
                CChartBiLineSerie* s = logic_[0][c][line];
                auto value = [k](int x) { return ((x >> k) & 1) != 0 ? 2 : 0; };
                auto pair = [&](double x, int v) {
                    if (v == 1) s->AddPointPair(x, row, row + 8);
                    else s->AddPointPair(x, row + 4 * v, row + 4 * v);
                };
                pair(0.01, value(0));
                for (int x = 1; x < kNewPoints; ++x) {
                    if (value(x) == value(x - 1)) continue;
                    pair(x - 0.5, value(x - 1));
                    pair(x - 0.5 + 0.01, value(x));
                }
                pair(kNewPoints - 1, value(kNewPoints - 1));
            }
        }
    }
};

// ---- spectrum and frequency response -----------------------------------------------------------------

class Spectrum : public ChartScene {
public:
    using ChartScene::ChartScene;
    static constexpr unsigned kBins = 65536;

    CSize Size() const override { return CSize(800, 450); }

    void Setup(CChartCtrl& chart) override
    {
        chart_ = &chart;
        chart.SuspendRedraw();
        chart.SetBackColor(RGB(255, 255, 255));
        auto* bottom = new CChartFastLogarithmicAxis();
        chart.AttachAxis(CChartCtrl::BottomAxis, bottom);
        bottom->SetMinMax(10, 100000);
        bottom->GetLabel()->SetText("Частота, Гц");
        auto* left = new CChartStandardAxis();
        chart.AttachAxis(CChartCtrl::LeftAxis, left);
        left->SetMinMax(-120, 0);
        left->GetLabel()->SetText("дБ");
        line_ = new CChartLineSerie(&chart);
        chart.AddSerie(line_);
        line_->SetName("Спектр канала A");
        chart.ResumeRedraw();
        bottom->PrepareMapping();
        Refill();
    }

    void Empty() override { line_->RemoveAllPoints(); }

    // An FFT of a 1 kHz square wave sampled at 200 kHz: odd harmonics over a noise floor.
    void Fill() override
    {
        std::vector<double> x(kBins);
        std::vector<double> y(kBins);
        unsigned noise = 12345;
        for (unsigned i = 0; i < kBins; ++i) {
            const double f = 100000.0 * i / kBins;
            noise = noise * 1103515245u + 12345u;
            double db = -100 + static_cast<double>((noise >> 16) % 100) / 10.0;
            for (int h = 1; h < 100; h += 2) {
                const double d = (f - 1000.0 * h) / 8.0;
                db = std::max(db, -8 - 20 * std::log10(h) - d * d);
            }
            x[i] = f;
            y[i] = db;
        }
        line_->AddPoints(x.data(), y.data(), kBins);
    }

private:
    CChartLineSerie* line_ = nullptr;
};

class Response : public ChartScene {
public:
    using ChartScene::ChartScene;

    CSize Size() const override { return CSize(1000, 520); }

    void Setup(CChartCtrl& chart) override
    {
        chart_ = &chart;
        chart.SuspendRedraw();
        chart.SetEdgeType(EDGE_ETCHED);
        auto* left = new CChartStandardAxis();
        chart.AttachAxis(CChartCtrl::LeftAxis, left);
        left->SetAutomatic(true);
        auto* bottom = new CChartLogarithmicAxis();
        chart.AttachAxis(CChartCtrl::BottomAxis, bottom);
        bottom->SetAutomatic(true);
        const char* names[3] = {"Среднее", "Минимум", "Максимум"};
        const COLORREF colours[3] = {0xFF0000, 0x00FF00, 0x0000FF};
        for (int i = 0; i < 3; ++i) {
            lines_[i] = new CChartLineSerie(&chart);
            chart.AddSerie(lines_[i]);
            lines_[i]->SetColor(colours[i]);
            lines_[i]->SetName(names[i]);
            points_[i] = chart.CreatePointsSerie();
            points_[i]->SetColor(colours[i]);
        }
        CChartLegend* legend = chart.GetLegend();
        legend->SetVisible(true);
        legend->UndockLegend(800, 150);
        chart.ResumeRedraw();
        Refill();
    }

    void Empty() override
    {
        for (int i = 0; i < 3; ++i) {
            lines_[i]->RemoveAllPoints();
            points_[i]->RemoveAllPoints();
        }
    }

    // A low-pass with its corner at 20 kHz, measured at 25 frequencies from 50 Hz to 1 MHz.
    void Fill() override
    {
        for (int k = 0; k < 25; ++k) {
            const double f = 50 * std::pow(10.0, k * std::log10(20000.0) / 24);
            const double mean = -10 * std::log10(1 + (f / 20000) * (f / 20000));
            const double values[3] = {mean, mean - 1.5, mean + 1.0};
            for (int i = 0; i < 3; ++i) {
                lines_[i]->AddPoint(f, values[i]);
                points_[i]->AddPoint(f, values[i]);
            }
        }
    }

private:
    CChartLineSerie* lines_[3] = {};
    CChartPointsSerie* points_[3] = {};
};

}  // namespace

void ChartScene::Refill()
{
    if (chart_ == nullptr) return;
    chart_->SuspendRedraw();
    Empty();
    Fill();
    chart_->ResumeRedraw();
}

const std::vector<std::string>& ChartScene::Names()
{
    static const std::vector<std::string> names = {"scope", "logic", "spectrum", "response"};
    return names;
}

std::unique_ptr<ChartScene> ChartScene::Make(const std::string& name)
{
    if (name == "scope") return std::make_unique<ScopeScreen>(name);
    if (name == "logic") return std::make_unique<LogicScreen>(name);
    if (name == "spectrum") return std::make_unique<Spectrum>(name);
    if (name == "response") return std::make_unique<Response>(name);
    return nullptr;
}
