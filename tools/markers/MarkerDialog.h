#pragma once
// CMarkerDialog: the tool window "Маркеры". It switches the four user markers of the main chart
// on and off (two vertical time markers, two horizontal level markers) and shows what they
// measure: times, the channels' levels or bus values under the vertical markers, the level of a
// horizontal marker and the differences between the two markers of a kind.
//
// The main window moves the markers (GrabMarker / DragMarker from its chart mouse handling) and
// reads the channels under the vertical markers once a tick (UpdateVerticalMarkerReadouts);
// Refresh turns the results into the table's texts.
//
// Positions are chart units: x in screen points 0..299, y in screen sample units -128..127.
// Every way a position can arrive (a grab, a drag, the settings file) keeps it on the chart, so
// the channel readout never indexes outside the 300 screen points.

#include "app/main/ChartMarker.h"
#include "app/main/MarkerWindowLink.h"
#include "app/tooldialog/ToolDialog.h"
#include "widgets/reportlist/ReportCtrl.h"

#include <boost/serialization/base_object.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/split_member.hpp>
#include <boost/serialization/version.hpp>

#include <array>
#include <cstdint>
#include <string>

class CChartCtrl;
class CChartPointsSerie;
class CChartSerie;
class OscData;
struct ScreenSnapshot;

class CMarkerDialog : public CToolDialog, public MarkerWindowLink {
public:
    enum { IDD = 133 };
    static constexpr UINT kListId = 1053;

    // Table rows.
    enum Row {
        ROW_V0 = 0,
        ROW_V1 = 1,
        ROW_V_BOTH = 2,
        ROW_H0 = 3,
        ROW_H1 = 4,
        ROW_H_BOTH = 5,
        ROW_COUNT = 6,
    };
    static constexpr int kColumns = 5;

    // The chart's extent the markers live in.
    static constexpr double kXMin = 0;
    static constexpr double kXMax = 299;
    static constexpr double kYMin = -128;
    static constexpr double kYMax = 127;
    // Where Reset puts the markers.
    static constexpr double kResetLevel = 0;
    static constexpr double kResetTime = 150;

    // For the settings file's pointer loading: no window.
    CMarkerDialog();
    // Creates the window, hidden, as a modeless child of `parent` (the main window), then Reset.
    explicit CMarkerDialog(CWnd* parent);
    ~CMarkerDialog() override;

    // Hidden, markers off and back at their start positions.
    void Reset() override;
    // The texts of the table (every tick of the main window).
    void Refresh() override;

    // Makes the four marker lines and the two readout point series on `chart` and brings the
    // check boxes, the shown flags and the lines in line with the enabled flags.
    void AttachToChart(CChartCtrl* chart) override;

    // WM_REPORTCTRL_SELECT: the user changed the check box of `row` (wParam).
    afx_msg LRESULT OnReportCtrlSelect(WPARAM row, LPARAM mouseMessage);

    // Chart mouse handling. GrabMarker takes the marker whose line is `series` (a horizontal
    // one to level vy, a vertical one to time vx); false when the series is none of them.
    // DragMarker moves the first grabbed marker to the mouse; false when none is grabbed.
    bool GrabMarker(double vx, double vy, const CChartSerie* series) override;
    bool DragMarker(double vx, double vy) override;
    bool IsMarkerGrabbed() const override;
    // The button went up: nothing is held any more.
    void ReleaseMarkers() override;

    // Tick: reads both channels under each enabled vertical marker from the screen the main
    // window draws, puts a point there for each channel read and moves the shown lines.
    void UpdateVerticalMarkerReadouts(const ScreenSnapshot& screen) override;

    CReportCtrl& GetList() { return list_; }

    // Members in their stored order; the window's controls follow them through AttachToChart.
    std::array<double, 2> h_marker_y{};
    std::array<std::int32_t, 2> is_h_marker_enabled{};
    std::array<ChartMarker, 2> h_marker;
    std::array<bool, 2> is_h_marker_shown{};
    std::array<double, 2> v_marker_x{};
    // The channels' levels under the vertical markers: [marker][channel], chart units.
    std::array<std::array<double, 2>, 2> v_marker_value{};
    std::array<std::int32_t, 2> is_v_marker_enabled{};
    std::array<CChartPointsSerie*, 2> v_marker_points{};
    std::array<ChartMarker, 2> v_marker;
    std::array<bool, 2> is_v_marker_shown{};

    // The record keeps each pair as a plain array of two items. Positions are read as texts and
    // taken only when they are numbers, so a hand-edited "nan" or "inf" cannot stop the load
    // (the number reader of the archive refuses them); anything off the chart is brought onto it.
    template <class Archive>
    void save(Archive& archive, unsigned int /*version*/) const
    {
        using boost::serialization::make_nvp;
        archive << make_nvp("base", boost::serialization::base_object<CToolDialog>(*this));
        const double levels[2] = {h_marker_y[0], h_marker_y[1]};
        const std::int32_t hOn[2] = {is_h_marker_enabled[0], is_h_marker_enabled[1]};
        const double times[2] = {v_marker_x[0], v_marker_x[1]};
        const std::int32_t vOn[2] = {is_v_marker_enabled[0], is_v_marker_enabled[1]};
        archive << make_nvp("h_marker_y", levels);
        archive << make_nvp("is_h_marker_enabled", hOn);
        archive << make_nvp("v_marker_x", times);
        archive << make_nvp("is_v_marker_enabled", vOn);
    }
    template <class Archive>
    void load(Archive& archive, unsigned int /*version*/)
    {
        using boost::serialization::make_nvp;
        archive >> make_nvp("base", boost::serialization::base_object<CToolDialog>(*this));
        std::string levels[2];
        std::int32_t hOn[2] = {0, 0};
        std::string times[2];
        std::int32_t vOn[2] = {0, 0};
        archive >> make_nvp("h_marker_y", levels);
        archive >> make_nvp("is_h_marker_enabled", hOn);
        archive >> make_nvp("v_marker_x", times);
        archive >> make_nvp("is_v_marker_enabled", vOn);
        // Taken over only once the whole record has been read.
        ApplyLoaded(levels, hOn, times, vOn);
    }
    BOOST_SERIALIZATION_SPLIT_MEMBER()
    VELKARO_TOOL_RECORD()

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    DECLARE_MESSAGE_MAP()

private:
    void ApplyLoaded(const std::string (&levels)[2], const std::int32_t (&hOn)[2], const std::string (&times)[2],
                     const std::int32_t (&vOn)[2]);

    // One marker on or off, with its line, and the "both" row after it.
    void SetVerticalMarker(int m, bool on);
    void SetHorizontalMarker(int m, bool on);
    void SyncBothRows();
    // Lines, shown flags and check boxes as the enabled flags say.
    void FollowEnabledFlags();
    void HideVertical(int m);
    void HideHorizontal(int m);

    // Refresh's parts.
    void RefreshVertical(const OscData& data, int radix);
    void RefreshHorizontal(const OscData& data);
    // Writes only a text that differs from the cell's: the list repaints on every write.
    void SetCell(int row, int column, const std::string& text);

    // The bus display's radix of the main window.
    int BusRadix() const;

    CReportCtrl list_;
    CChartCtrl* chart_ = nullptr;
    // Drag bookkeeping, in the order a drag looks for a held marker.
    std::array<bool, 2> h_grabbed_{};
    std::array<bool, 2> v_grabbed_{};
};

BOOST_CLASS_VERSION(CMarkerDialog, 0)
