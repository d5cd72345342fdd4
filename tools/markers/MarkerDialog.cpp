// The marker window's life: creation, the table, the markers on the chart, the check boxes, the
// stored record and the chart mouse's grab and drag. The read-outs live in MarkerReadouts.cpp.

#include "tools/markers/MarkerDialog.h"

#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartCtrl.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartPointsSerie.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

// Marker kinds: a horizontal line with its mark at the far (right) end, and a vertical line
// with its mark at the bottom.
constexpr std::uint32_t kHorizontalKind = 0x12;
constexpr std::uint32_t kVerticalKind = 0x22;
constexpr COLORREF kHorizontalColour[2] = {0xFF80FF, 0xFFFF80};
constexpr COLORREF kVerticalColour[2] = {0x8080FF, 0xFF8080};
constexpr int kHorizontalMarkShape = 5;  // points left, into the chart
constexpr int kVerticalMarkShape = 2;    // points up
// Marker 1 dashes differently from marker 0, so the two can be told apart where they cross.
constexpr DWORD kDashes[2][6] = {{0, 2, 2, 2, 0, 6}, {0, 6, 0, 2, 2, 2}};
constexpr const char* kHorizontalNames[2] = {"Горизонтальный маркер 0", "Горизонтальный маркер 1"};
constexpr const char* kVerticalNames[2] = {"Вертикальный маркер 0", "Вертикальный маркер 1"};
constexpr int kReadoutPointSize = 10;

constexpr const char* kRowTexts[CMarkerDialog::ROW_COUNT] = {
    "Вертикальный 0", "Вертикальный 1", "Вертикальные", "Горизонтальный 0", "Горизонтальный 1", "Горизонтальные",
};
// The widest texts each column must hold.
constexpr const char* kColumnSamples[CMarkerDialog::kColumns] = {
    "Горизонтальный 1", "dT = -999.999 мкc", "1/dT = -999.999 мкc", "Ua = -999.999 мВ", "Ub = -999.999 мВ",
};
// Room for the cell margins beside a column's widest text, and for the check box in column 0.
constexpr int kColumnPadding = 16;
constexpr int kCheckBoxRoom = 28;
constexpr COLORREF kRowColour[CMarkerDialog::ROW_COUNT] = {0x8080FF, 0xFF8080, 0, 0xFF80FF, 0xFFFF80, 0};
constexpr bool kRowColoured[CMarkerDialog::ROW_COUNT] = {true, true, false, true, true, false};
constexpr COLORREF kChannelTextColour[2] = {0x0000FF, 0x00FF00};

double Bounded(double value, double low, double high, double fallback)
{
    if (!std::isfinite(value))
        return fallback;
    return std::clamp(value, low, high);
}

// A stored number in the C locale; NaN for anything that is not one number alone.
double ParseNumber(const std::string& text)
{
    const char* first = text.data();
    const char* last = text.data() + text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(*first)))
        ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(last[-1])))
        --last;
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || first == last)
        return std::numeric_limits<double>::quiet_NaN();
    return value;
}

}  // namespace

BEGIN_MESSAGE_MAP(CMarkerDialog, CToolDialog)
    ON_MESSAGE(WM_REPORTCTRL_SELECT, &CMarkerDialog::OnReportCtrlSelect)
END_MESSAGE_MAP()

CMarkerDialog::CMarkerDialog()
{
    Reset();
}

CMarkerDialog::CMarkerDialog(CWnd* parent) : CToolDialog(IDD, parent)
{
    Create(IDD, parent);
    Reset();
}

CMarkerDialog::~CMarkerDialog()
{
    if (GetSafeHwnd() != nullptr)
        DestroyWindow();
}

void CMarkerDialog::DoDataExchange(CDataExchange* dx)
{
    CToolDialog::DoDataExchange(dx);
    DDX_Control(dx, kListId, list_);
}

BOOL CMarkerDialog::OnInitDialog()
{
    CToolDialog::OnInitDialog();
    list_.FitToParent();
    list_.DisableSorting();
    list_.SetCheckMode(CReportCtrl::Multiple);
    list_.SetExtendedStyle(list_.GetExtendedStyle() | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES);
    for (int c = 0; c < kColumns; ++c)
        list_.InsertColumn(c, "", LVCFMT_LEFT,
                           list_.GetStringWidth(kColumnSamples[c]) + kColumnPadding + (c == 0 ? kCheckBoxRoom : 0));
    for (int row = 0; row < ROW_COUNT; ++row)
        list_.InsertItem(row, kRowTexts[row]);
    for (int row = 0; row < ROW_COUNT; ++row)
    {
        // Only the row's name carries the marker colour: the read-outs beside it are written in
        // the channel colours, which would not stand out on it.
        if (kRowColoured[row])
            list_.SetItemBkColor(row, 0, kRowColour[row]);
        list_.SetItemTextColor(3, row, kChannelTextColour[0]);
        list_.SetItemTextColor(4, row, kChannelTextColour[1]);
    }
    return FALSE;
}

void CMarkerDialog::Reset()
{
    CToolDialog::Reset();
    h_marker_y = {kResetLevel, kResetLevel};
    v_marker_x = {kResetTime, kResetTime};
    is_h_marker_enabled = {};
    is_v_marker_enabled = {};
    v_marker_value = {};
    h_grabbed_ = {};
    v_grabbed_ = {};
    // Markers switched off leave the chart and the check boxes with them, or the chart would
    // keep showing lines nobody can switch off any more.
    for (int m = 0; m < 2; ++m)
    {
        HideVertical(m);
        HideHorizontal(m);
    }
    if (list_.GetSafeHwnd() != nullptr)
        for (int row = 0; row < ROW_COUNT; ++row)
            list_.SetCheck(row, FALSE);
}

void CMarkerDialog::AttachToChart(CChartCtrl* chart)
{
    CChartCtrl* previous = chart_;
    chart_ = chart;
    if (chart == nullptr)
        return;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    if (CChartAxis* axis = chart->GetBottomAxis())
        axis->GetMinMax(xMin, xMax);
    if (CChartAxis* axis = chart->GetLeftAxis())
        axis->GetMinMax(yMin, yMax);
    for (int m = 0; m < 2; ++m)
    {
        h_marker[m].Create(chart, kHorizontalKind, kHorizontalColour[m], kHorizontalMarkShape, ChartMarker::kUserDashes,
                           6, kDashes[m], xMin, xMax);
        h_marker[m].line->SetName(kHorizontalNames[m]);
        h_marker[m].line->NotifyClicks(true);
    }
    for (int m = 0; m < 2; ++m)
    {
        v_marker[m].Create(chart, kVerticalKind, kVerticalColour[m], kVerticalMarkShape, ChartMarker::kUserDashes, 6,
                           kDashes[m], yMin, yMax);
        v_marker[m].line->SetName(kVerticalNames[m]);
        v_marker[m].line->NotifyClicks(true);
    }
    for (int m = 0; m < 2; ++m)
    {
        // Series made on another chart are that chart's business; only ours are removed.
        if (v_marker_points[m] != nullptr && previous == chart)
            chart->RemoveSerie(v_marker_points[m]->GetSerieId());
        v_marker_points[m] = chart->CreatePointsSerie();
        v_marker_points[m]->SetColor(kVerticalColour[m]);
        v_marker_points[m]->SetPointSize(kReadoutPointSize, kReadoutPointSize);
        v_marker_points[m]->SetPointType(0);
    }
    FollowEnabledFlags();
}

void CMarkerDialog::FollowEnabledFlags()
{
    for (int m = 0; m < 2; ++m)
    {
        SetVerticalMarker(m, is_v_marker_enabled[m] != 0);
        SetHorizontalMarker(m, is_h_marker_enabled[m] != 0);
    }
    SyncBothRows();
}

void CMarkerDialog::HideVertical(int m)
{
    is_v_marker_shown[m] = false;
    if (v_marker[m].line != nullptr)
        v_marker[m].line->RemoveAllPoints();
    if (v_marker[m].mark != nullptr)
        v_marker[m].mark->RemoveAllPoints();
    if (v_marker_points[m] != nullptr)
        v_marker_points[m]->RemoveAllPoints();
}

void CMarkerDialog::HideHorizontal(int m)
{
    is_h_marker_shown[m] = false;
    if (h_marker[m].line != nullptr)
        h_marker[m].line->RemoveAllPoints();
    if (h_marker[m].mark != nullptr)
        h_marker[m].mark->RemoveAllPoints();
}

void CMarkerDialog::SetVerticalMarker(int m, bool on)
{
    is_v_marker_enabled[m] = on ? 1 : 0;
    if (on)
    {
        is_v_marker_shown[m] = true;
        v_marker[m].SetPosition(v_marker_x[m]);
    }
    else
    {
        HideVertical(m);
    }
    if (list_.GetSafeHwnd() != nullptr)
        list_.SetCheck(ROW_V0 + m, on ? TRUE : FALSE);
}

void CMarkerDialog::SetHorizontalMarker(int m, bool on)
{
    is_h_marker_enabled[m] = on ? 1 : 0;
    if (on)
    {
        is_h_marker_shown[m] = true;
        h_marker[m].SetPosition(h_marker_y[m]);
    }
    else
    {
        HideHorizontal(m);
    }
    if (list_.GetSafeHwnd() != nullptr)
        list_.SetCheck(ROW_H0 + m, on ? TRUE : FALSE);
}

void CMarkerDialog::SyncBothRows()
{
    if (list_.GetSafeHwnd() == nullptr)
        return;
    list_.SetCheck(ROW_V_BOTH, is_v_marker_enabled[0] != 0 && is_v_marker_enabled[1] != 0);
    list_.SetCheck(ROW_H_BOTH, is_h_marker_enabled[0] != 0 && is_h_marker_enabled[1] != 0);
}

LRESULT CMarkerDialog::OnReportCtrlSelect(WPARAM row, LPARAM /*mouseMessage*/)
{
    if (row >= ROW_COUNT)
        return 0;
    const bool checked = list_.GetCheck(static_cast<int>(row)) > 0;
    switch (row)
    {
    case ROW_V0:
    case ROW_V1:
        SetVerticalMarker(static_cast<int>(row - ROW_V0), checked);
        break;
    case ROW_H0:
    case ROW_H1:
        SetHorizontalMarker(static_cast<int>(row - ROW_H0), checked);
        break;
    case ROW_V_BOTH:
        SetVerticalMarker(0, checked);
        SetVerticalMarker(1, checked);
        break;
    case ROW_H_BOTH:
        SetHorizontalMarker(0, checked);
        SetHorizontalMarker(1, checked);
        break;
    default:
        break;
    }
    SyncBothRows();
    return 0;
}

bool CMarkerDialog::GrabMarker(double vx, double vy, const CChartSerie* series)
{
    if (series == nullptr)
        return false;
    for (int m = 0; m < 2; ++m)
    {
        if (h_marker[m].line != nullptr && series == h_marker[m].line)
        {
            h_grabbed_[m] = true;
            h_marker_y[m] = Bounded(vy, kYMin, kYMax, h_marker_y[m]);
            if (is_h_marker_shown[m])
                h_marker[m].SetPosition(h_marker_y[m]);
            return true;
        }
    }
    for (int m = 0; m < 2; ++m)
    {
        if (v_marker[m].line != nullptr && series == v_marker[m].line)
        {
            v_grabbed_[m] = true;
            v_marker_x[m] = Bounded(vx, kXMin, kXMax, v_marker_x[m]);
            if (is_v_marker_shown[m])
                v_marker[m].SetPosition(v_marker_x[m]);
            return true;
        }
    }
    return false;
}

bool CMarkerDialog::DragMarker(double vx, double vy)
{
    for (int m = 0; m < 2; ++m)
    {
        if (h_grabbed_[m])
        {
            h_marker_y[m] = Bounded(vy, kYMin, kYMax, h_marker_y[m]);
            if (is_h_marker_shown[m])
                h_marker[m].SetPosition(h_marker_y[m]);
            return true;
        }
    }
    for (int m = 0; m < 2; ++m)
    {
        if (v_grabbed_[m])
        {
            v_marker_x[m] = Bounded(vx, kXMin, kXMax, v_marker_x[m]);
            if (is_v_marker_shown[m])
                v_marker[m].SetPosition(v_marker_x[m]);
            return true;
        }
    }
    return false;
}

bool CMarkerDialog::IsMarkerGrabbed() const
{
    return h_grabbed_[0] || h_grabbed_[1] || v_grabbed_[0] || v_grabbed_[1];
}

void CMarkerDialog::ReleaseMarkers()
{
    h_grabbed_ = {};
    v_grabbed_ = {};
}

void CMarkerDialog::ApplyLoaded(const std::string (&levels)[2], const std::int32_t (&hOn)[2],
                                const std::string (&times)[2], const std::int32_t (&vOn)[2])
{
    for (int m = 0; m < 2; ++m)
    {
        h_marker_y[m] = Bounded(ParseNumber(levels[m]), kYMin, kYMax, kResetLevel);
        v_marker_x[m] = Bounded(ParseNumber(times[m]), kXMin, kXMax, kResetTime);
        is_h_marker_enabled[m] = hOn[m] != 0 ? 1 : 0;
        is_v_marker_enabled[m] = vOn[m] != 0 ? 1 : 0;
    }
    // Loaded in place: the lines and check boxes follow at once (a window not yet on a chart
    // gets its lines from AttachToChart).
    FollowEnabledFlags();
}
