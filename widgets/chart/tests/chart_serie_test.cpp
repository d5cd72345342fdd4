// Series: the point store, and what each kind issues on a recording DC.

#include "support/ChartHost.h"

#include "platform/gdi/RecordingDC.h"
#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartBiLineSerie.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartPointsSerie.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// A chart 0..100 on both axes with one series of the given kind.
template <class Serie>
struct SerieOnChart {
    SerieOnChart()
    {
        h.Bottom(0, 100);
        h.Left(0, 100);
        serie = new Serie(&h.chart);
        h.chart.AddSerie(serie);
        h.chart.Redraw();
    }
    CPoint Pixel(double x, double y) const
    {
        return CPoint(h.chart.GetBottomAxis()->ValueToScreen(x), h.chart.GetLeftAxis()->ValueToScreen(y));
    }
    ChartHost h;
    Serie* serie = nullptr;
    CRecordingDC dc{640, 480};
};

std::vector<CPoint> Xy(std::initializer_list<CPoint> points) { return std::vector<CPoint>(points); }

}  // namespace

TEST(SeriePoints, GrowsInThousandsKeepsOrderAndRefusesNonFiniteValues)
{
    SeriePoints store;
    EXPECT_EQ(store.GetCapacity(), 1000u);
    for (int i = 0; i < 1000; ++i) store.AddPoint(i, 0);
    EXPECT_EQ(store.GetCapacity(), 1000u);
    store.AddPoint(1000, 0);
    EXPECT_EQ(store.GetCapacity(), 2000u);

    SeriePoints sorted;
    for (double x : {3.0, 1.0, 2.0}) sorted.AddPoint(x, x * 10);
    sorted.AddPoint(2.0, 99);  // after the 2 that came first
    ASSERT_EQ(sorted.GetCount(), 4u);
    EXPECT_EQ(sorted[0].X, 1);
    EXPECT_EQ(sorted[1].X, 2);
    EXPECT_EQ(sorted[1].Y, 20);
    EXPECT_EQ(sorted[2].Y, 99);
    EXPECT_EQ(sorted[3].X, 3);
    EXPECT_EQ(sorted.m_dYMaxVal, 99);

    EXPECT_FALSE(sorted.AddPoint(std::nan(""), 1));
    EXPECT_FALSE(sorted.AddPoint(1, std::numeric_limits<double>::infinity()));
    EXPECT_EQ(sorted.GetCount(), 4u);

    SeriePoints byInsertion;
    byInsertion.SetOrdering(SeriePoints::NoOrdering);
    for (double x : {3.0, 1.0, 2.0}) byInsertion.AddPoint(x, 0);
    EXPECT_EQ(byInsertion[0].X, 3);
    byInsertion.SetOrdering(SeriePoints::OrderByX);
    EXPECT_EQ(byInsertion[0].X, 1);
}

TEST(ChartSerie, AddPointsReplacesTheContentAndEmptyingAnEmptySeriesDoesNotRedraw)
{
    SerieOnChart<CChartLineSerie> c;
    for (int i = 0; i < 50; ++i) c.serie->AddPoint(i, i);
    std::vector<double> x(10), y(10);
    for (int i = 0; i < 10; ++i) {
        x[i] = 10.0 - i;
        y[i] = i;
    }
    c.serie->AddPoints(x.data(), y.data(), 10);
    ASSERT_EQ(c.serie->GetPointsCount(), 10u);
    EXPECT_EQ(c.serie->GetPoint(0).X, 1);
    EXPECT_EQ(c.serie->GetXMax(), 10);

    c.serie->RemoveAllPoints();
    const int redraws = c.h.redraws;
    c.serie->RemoveAllPoints();
    EXPECT_EQ(c.h.redraws, redraws);
    EXPECT_EQ(c.serie->GetPoints().GetCapacity(), 1000u);
}

TEST(ChartSerie, AddingWhileSuspendedWaitsForTheOneRedraw)
{
    SerieOnChart<CChartLineSerie> c;
    c.serie->AddPoint(1, 1);
    const int redraws = c.h.redraws;
    c.h.chart.SuspendRedraw();
    for (int i = 2; i < 20; ++i) c.serie->AddPoint(i, i);
    CChartBiLineSerie* band = c.h.chart.CreateBiLineSerie();
    band->AddPointPair(5, 1, 2);
    EXPECT_EQ(c.h.redraws, redraws);
    c.h.chart.ResumeRedraw();
    EXPECT_EQ(c.h.redraws, redraws + 1);
}

TEST(ChartLineSerie, DrawsOneVertexPerPixelChangeAndNothingForOnePoint)
{
    SerieOnChart<CChartLineSerie> c;
    c.serie->AddPoint(50, 50);
    c.serie->DrawAll(&c.dc);
    EXPECT_TRUE(c.dc.RecordsOf("Polyline").empty());

    c.serie->AddPoint(60, 70);
    c.dc.ClearRecords();
    c.serie->DrawAll(&c.dc);
    ASSERT_EQ(c.dc.RecordsOf("Polyline").size(), 1u);
    EXPECT_EQ(c.dc.RecordsOf("Polyline")[0].points, Xy({c.Pixel(50, 50), c.Pixel(60, 70)}));

    std::vector<double> x(10000), y(10000);
    for (int i = 0; i < 10000; ++i) {
        x[i] = i / 100.0;
        y[i] = 50 + 30 * std::sin(i / 700.0);
    }
    c.serie->AddPoints(x.data(), y.data(), 10000);
    c.dc.ClearRecords();
    c.serie->DrawAll(&c.dc);
    ASSERT_EQ(c.dc.RecordsOf("Polyline").size(), 1u);
    const std::vector<CPoint> pts = c.dc.RecordsOf("Polyline")[0].points;
    size_t changes = 1;
    for (int i = 1; i < 10000; ++i) changes += c.Pixel(x[i], y[i]) != c.Pixel(x[i - 1], y[i - 1]) ? 1 : 0;
    EXPECT_EQ(pts.size(), changes);
    EXPECT_LT(pts.size(), 2500u);
    for (size_t i = 1; i < pts.size(); ++i) EXPECT_NE(pts[i], pts[i - 1]);
}

TEST(ChartLineSerie, SmoothingSolvesTheControlPointSystem)
{
    const std::vector<CPoint> knots = {{10, 200}, {60, 40}, {130, 180}, {170, 90}, {260, 120}, {300, 20}};
    const size_t n = knots.size();
    const size_t m = n - 1;
    // The same system written out densely and solved by elimination.
    for (int axis = 0; axis < 2; ++axis) {
        auto k = [&](size_t i) { return static_cast<double>(axis == 0 ? knots[i].x : knots[i].y); };
        std::vector<std::vector<double>> a(m, std::vector<double>(m + 1, 0.0));
        a[0][0] = 2;
        a[0][1] = 1;
        a[0][m] = k(0) + 2 * k(1);
        for (size_t i = 1; i + 1 < m; ++i) {
            a[i][i - 1] = 1;
            a[i][i] = 4;
            a[i][i + 1] = 1;
            a[i][m] = 4 * k(i) + 2 * k(i + 1);
        }
        a[m - 1][m - 2] = 1;
        a[m - 1][m - 1] = 2;
        a[m - 1][m] = 3 * k(n - 2);
        for (size_t col = 0; col < m; ++col)
            for (size_t row = col + 1; row < m; ++row) {
                const double f = a[row][col] / a[col][col];
                for (size_t j = col; j <= m; ++j) a[row][j] -= f * a[col][j];
            }
        std::vector<double> p1(m);
        for (size_t i = m; i-- > 0;) {
            double s = a[i][m];
            for (size_t j = i + 1; j < m; ++j) s -= a[i][j] * p1[j];
            p1[i] = s / a[i][i];
        }
        const std::vector<CPoint> bezier = CChartLineSerie::BezierPoints(knots);
        ASSERT_EQ(bezier.size(), 3 * n - 2);
        for (size_t i = 0; i < m; ++i) {
            const double p2 = i + 1 < m ? 2 * k(i + 1) - p1[i + 1] : (k(n - 1) + p1[i]) / 2;
            const CPoint& c1 = bezier[3 * i + 1];
            const CPoint& c2 = bezier[3 * i + 2];
            EXPECT_EQ(axis == 0 ? c1.x : c1.y, std::lround(p1[i])) << "P1 " << i;
            EXPECT_EQ(axis == 0 ? c2.x : c2.y, std::lround(p2)) << "P2 " << i;
            EXPECT_EQ(bezier[3 * i], knots[i]);
        }
    }
    // Two knots: the straight segment; one: nothing.
    EXPECT_EQ(CChartLineSerie::BezierPoints({{0, 0}, {30, 60}}), Xy({{0, 0}, {10, 20}, {20, 40}, {30, 60}}));
    EXPECT_TRUE(CChartLineSerie::BezierPoints({{5, 5}}).empty());

    SerieOnChart<CChartLineSerie> c;
    for (int i = 0; i < 5; ++i) c.serie->AddPoint(i * 20, (i % 2) * 50);
    c.serie->SetSmooth(true);
    c.serie->SetShadow(true);
    c.serie->DrawAll(&c.dc);
    const auto curves = c.dc.RecordsOf("PolyBezier");
    ASSERT_EQ(curves.size(), 2u);
    EXPECT_EQ(curves[1].points.size(), 13u);
    EXPECT_EQ(curves[0].points[0], CPoint(curves[1].points[0].x + 2, curves[1].points[0].y + 2));
    EXPECT_EQ(curves[0].penColor, RGB(150, 150, 150));
}

TEST(ChartSerie, HitTests)
{
    SerieOnChart<CChartLineSerie> line;
    line.serie->AddPoint(10, 50);
    line.serie->AddPoint(90, 50);
    const CPoint a = line.Pixel(10, 50);
    const CPoint b = line.Pixel(90, 50);
    int index = 7;
    EXPECT_TRUE(line.serie->HitTest(CPoint((a.x + b.x) / 2, a.y + 3), index));
    EXPECT_EQ(index, -1);
    EXPECT_FALSE(line.serie->HitTest(CPoint((a.x + b.x) / 2, a.y + 4), index));
    EXPECT_TRUE(line.serie->HitTest(CPoint(a.x + 4, a.y), index));
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(line.serie->HitTest(CPoint(b.x - 2, b.y + 1), index));
    EXPECT_EQ(index, 1);
    line.serie->SetVisible(false);
    EXPECT_FALSE(line.serie->HitTest(CPoint(a.x + 4, a.y), index));

    struct Case {
        int size;
        int inside;
    };
    for (const Case c : {Case{10, 5}, Case{3, 3}}) {
        SerieOnChart<CChartPointsSerie> points;
        points.serie->SetPointSize(c.size, c.size);
        points.serie->AddPoint(50, 50);
        const CPoint p = points.Pixel(50, 50);
        EXPECT_TRUE(points.serie->HitTest(CPoint(p.x + c.inside, p.y - c.inside), index)) << c.size;
        EXPECT_EQ(index, 0);
        EXPECT_FALSE(points.serie->HitTest(CPoint(p.x + c.inside + 1, p.y), index)) << c.size;
        EXPECT_EQ(index, -1);
    }
}

TEST(ChartPointsSerie, FoldedTrianglesOfTheZeroMarks)
{
    struct Case {
        int shape;
        std::vector<CPoint> polygon;
        std::vector<CPoint> outline;
    };
    // Marker 12 x 12 around (px, py): left px-6, top py-6, right px+6, bottom py+6, h2 = 6.
    const std::vector<Case> cases = {
        {67, {{-6, 0}, {-6, -6}, {6, 0}}, {{-6, 0}, {-6, 6}, {6, 0}}},
        {131, {{-6, 6}, {-6, 0}, {6, 0}}, {{-6, 0}, {-6, -6}, {6, 0}}},
        {2, {{-6, 6}, {6, 6}, {0, -6}}, {}},
        {4, {{-6, -6}, {6, -6}, {0, 6}}, {}},
        {5, {{6, 6}, {-6, 0}, {6, -6}}, {}},
    };
    for (const Case& k : cases) {
        SerieOnChart<CChartPointsSerie> c;
        c.serie->SetPointSize(12, 12);
        c.serie->SetPointType(k.shape);
        c.serie->AddPoint(50, 50);
        c.serie->DrawAll(&c.dc);
        const CPoint p = c.Pixel(50, 50);
        auto shifted = [&](const std::vector<CPoint>& v) {
            std::vector<CPoint> out;
            for (CPoint q : v) out.emplace_back(p.x + q.x, p.y + q.y);
            return out;
        };
        ASSERT_EQ(c.dc.RecordsOf("Polygon").size(), 1u) << k.shape;
        EXPECT_EQ(c.dc.RecordsOf("Polygon")[0].points, shifted(k.polygon)) << k.shape;
        EXPECT_EQ(c.dc.RecordsOf("Polygon")[0].brushColor, c.serie->GetColor());
        if (k.outline.empty()) {
            EXPECT_TRUE(c.dc.RecordsOf("Polyline").empty());
        } else {
            EXPECT_EQ(c.dc.RecordsOf("Polyline").at(0).points, shifted(k.outline)) << k.shape;
        }
    }
}

TEST(ChartBiLineSerie, BrushStylesAndTheBandPolygon)
{
    struct Case {
        int style;
        UINT brush;
        int hatch;
    };
    const Case cases[] = {{0, BS_SOLID, 0},           {2, BS_HATCHED, HS_FDIAGONAL}, {3, BS_HATCHED, HS_BDIAGONAL},
                          {4, BS_HATCHED, HS_CROSS},   {5, BS_HATCHED, HS_DIAGCROSS}, {6, BS_HATCHED, HS_HORIZONTAL},
                          {7, BS_HATCHED, HS_VERTICAL}, {42, BS_HATCHED, HS_HORIZONTAL}};
    for (const Case& k : cases) {
        SerieOnChart<CChartBiLineSerie> c;
        c.serie->SetBrushColor(RGB(1, 2, 3));
        c.serie->SetBrushStyle(k.style);
        c.serie->AddPointPair(10, 20, 30);
        c.serie->AddPointPair(20, 25, 35);
        c.serie->AddPointPair(30, 22, 28);
        c.serie->DrawAll(&c.dc);
        const auto polygons = c.dc.RecordsOf("Polygon");
        ASSERT_EQ(polygons.size(), 1u) << k.style;
        EXPECT_EQ(polygons[0].points, Xy({c.Pixel(10, 20), c.Pixel(20, 25), c.Pixel(30, 22), c.Pixel(30, 28), c.Pixel(20, 35),
                                          c.Pixel(10, 30)}));
        EXPECT_EQ(polygons[0].brushStyle, k.brush) << k.style;
        if (k.brush == BS_HATCHED) {
            EXPECT_EQ(polygons[0].brushHatch, k.hatch) << k.style;
        }
        EXPECT_EQ(polygons[0].brushColor, RGB(1, 2, 3));
        EXPECT_EQ(polygons[0].penColor, c.serie->GetColor());
    }
    // Style 1 is the outline only; the legend symbol fills in the series colour.
    SerieOnChart<CChartBiLineSerie> c;
    c.serie->SetBrushStyle(1);
    c.serie->AddPointPair(10, 20, 30);
    c.serie->AddPointPair(20, 25, 35);
    c.serie->DrawAll(&c.dc);
    EXPECT_TRUE(c.dc.RecordsOf("Polygon").empty());
    EXPECT_EQ(c.dc.RecordsOf("Polyline").size(), 1u);
    c.serie->DrawLegendSymbol(&c.dc, CRect(0, 0, 16, 16));
    EXPECT_TRUE(c.dc.RecordsOf("FillRect").empty());  // no name, no symbol
    c.serie->SetName("Полоса");
    c.serie->DrawLegendSymbol(&c.dc, CRect(0, 0, 16, 16));
    ASSERT_EQ(c.dc.RecordsOf("FillRect").size(), 1u);
    EXPECT_EQ(c.dc.RecordsOf("FillRect")[0].brushColor, c.serie->GetColor());
}
