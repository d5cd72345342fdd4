#pragma once
// Velkaro's main window: the oscilloscope screen, the status line and, behind them, the device
// link with its dispatcher, the queue through which the link's worker reaches this thread, and
// the logic-net names.
//
// The members are spread over files by concern: start-up, settings and shutdown
// (VelkaroDlgInit.cpp), the 100 ms tick (VelkaroDlgTick.cpp), the chart (VelkaroDlgChart.cpp).
//
// Threads: everything here runs on the user-interface thread. The link's worker reaches the
// window only through the call queue (InvokeAndWait) and the data model under DataLock.

#include "app/strip/BufferDraw.h"
#include "app/callqueue/CallQueue.h"
#include "app/main/ChannelButtons.h"
#include "app/main/ChartMarker.h"
#include "app/main/ChartRefresh.h"
#include "app/main/ChartZoom.h"
#include "app/main/CustomMouseListener.h"
#include "app/main/OnChange.h"
#include "app/main/ScreenSnapshot.h"
#include "app/settings/SettingsWindow.h"
#include "app/tooldialog/ToolDialogList.h"
#include "packetview/LogList.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/kernel/File.h"
#include "platform/kernel/Sync.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "widgets/chart/ChartCtrl.h"
#include "widgets/tooltip/PPToolTip.h"

#include <boost/signals2/signal.hpp>

#include <array>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

class CChartBiLineSerie;
class CChartFastStandardAxis;
class CChartLineSerie;
class CChartPointsSerie;
class CChartSerie;
class COscDispatch;
class CToolDialog;
class DeviceLink;
class LogicAnalyzerLink;
class MarkerWindowLink;

class CVelkaroDlg : public CDialog, public SettingsWindow {
public:
    enum { IDD = 102 };
    static constexpr UINT kChartId = 1000;
    static constexpr UINT kConnectId = 1002;
    static constexpr UINT kStatusId = 1022;
    static constexpr UINT kTriggerSourceId = 1029;
    static constexpr UINT_PTR kTickTimerId = 1;
    static constexpr UINT kTickMs = 100;
    static constexpr int kStripId = 1056;
    static constexpr int kChartWidth = 916;
    static constexpr int kChartHeight = 525;
    // Ticks a touched trigger line stays visible.
    static constexpr int kMarkerShowTicks = 50;
    static constexpr int kTrailGenerations = 19;

    struct SupportedVersion {
        int version;
        int hwVersion;
    };

    CVelkaroDlg(CWnd* parent = nullptr);
    ~CVelkaroDlg() override;
    CVelkaroDlg(const CVelkaroDlg&) = delete;
    CVelkaroDlg& operator=(const CVelkaroDlg&) = delete;

    // Command handlers and setting steps (VelkaroDlgHandlers.cpp, VelkaroDlgSteps.cpp).
    static constexpr UINT kFullSweepId = 1083;
    static constexpr UINT kRecorderId = 1104;
    // Hotkeys first, then the dialog's own keys.
    BOOL PreTranslateMessage(MSG* msg) override;
    // The keyboard actions: the time/div spin, the position spin and "Стоп".
    LRESULT StepTDivBy(int delta);
    LRESULT MoveViewBy(int delta);
    void ToggleRun();
    // Lists and per-channel labels in step with the data model.
    void SyncVDivCombos();
    void SyncTDivCombo();
    void ShiftChannelOffset(int value, int channel, bool absolute);

private:
    afx_msg void OnStopClicked();
    afx_msg void OnSingleClicked();
    afx_msg void OnTDivSpin(NMHDR* header, LRESULT* result);
    afx_msg void OnVDivSpin(UINT id, NMHDR* header, LRESULT* result);
    afx_msg void OnOffsetSpin(UINT id, NMHDR* header, LRESULT* result);
    afx_msg void OnTriggerLevelSpin(NMHDR* header, LRESULT* result);
    afx_msg void OnHorizontalSpin(NMHDR* header, LRESULT* result);
    afx_msg void OnChannelOnClicked(UINT id);
    afx_msg void OnTriggerSourceChange();
    afx_msg void OnTriggerEdgeClicked();
    afx_msg void OnVDivList(UINT id);
    afx_msg void OnTDivList();
    afx_msg void OnZeroClicked(UINT id);
    afx_msg void OnZeroTriggerLevelClicked();
    afx_msg void OnFullSweepClicked();
    afx_msg void OnBnClickedCheckDatalogger();
    // The command or notification being handled comes from a control inside this window.
    bool FromOwnControl() const;
    void MarkRedraw();
    void ShowRefusal(const std::string& text);
    // Control refresh after a setting changed (lists, labels, button images).
    void RefreshControlsAfterChange();
    CComboBox* Combo(int id) const;
    void SelectItemData(int id, DWORD_PTR data);
    // Full-sweep and recorder memories.
    std::uint32_t sweep_t_div_ = 0;
    std::int32_t sweep_centre_ = 0;
    bool recorder_was_stopped_ = false;
    std::uint32_t recorder_t_div_ = 0;
    boost::signals2::connection recorder_errors_;

public:

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // Enter must not close the instrument: only "Выход" and the close box do.
    void OnOK() override;
    void OnCancel() override;
    afx_msg void OnSysCommand(UINT id, LPARAM lParam);

    void ResetWindows();

    // SettingsWindow.
    void SaveSettings(boost::archive::xml_oarchive& archive) override;
    void LoadSettings(boost::archive::xml_iarchive& archive, unsigned version) override;
    SavedVersion GetSavedVersion() const override { return last_saved_version; }
    void SetSavedVersion(const SavedVersion& saved) override { last_saved_version = saved; }
    void SetDefaults() override;
    void ShowMessageBox(const std::string& text) override;

    // Where the settings file lives; empty: beside the program (or the user's folder).
    void SetConfigPath(const std::string& path) { config_path_ = path; }
    // Offers the service and logic-generator buttons from the start (the --service option);
    // set before the window is made. Without it they stay hidden.
    void SetServiceButtonsShown(bool shown) { service_buttons_shown_ = shown; }

    // Worker side of the call queue: runs `call` on this thread at the next tick.
    CallQueue::Result InvokeAndWait(std::function<void()> call) { return call_queue_.InvokeAndWait(std::move(call)); }
    bool IsCallQueued(int id) const { return call_queue_.IsCallQueued(id); }
    // Texts shown in message boxes by the next tick.
    void QueueMessage(const std::string& text);

    // Run on this thread for a VERSION reply: keeps each variant's window settings.
    void SwitchDataVersion(int version, int hwVersion);

    // The math window's operation (0 none, 1 A+B, 2 A-B, 3 B-A); none until that window exists.
    int GetMathOperation() const;

    // Chart steps of the tick (public for the tool windows that drive the chart).
    void SetMathSeriesNames(int operation);
    void ClearTrail(int channel);

    // Tool windows. The program installs the factory that makes them (the main window cannot
    // know their classes); each is created as a modeless child of `main`, or null for a slot the
    // program leaves empty. Tests put windows of their own in the slots the same way.
    using ToolWindowFactory = std::function<std::unique_ptr<CToolDialog>(CToolDialogList::Slot slot, CVelkaroDlg& main)>;
    static void SetToolWindowFactory(ToolWindowFactory factory);
    const CToolDialogList& GetToolDialogs() const { return tool_list_; }
    CToolDialog* GetToolDialog(CToolDialogList::Slot slot) const { return tool_list_.Get(slot); }

    // ---- Tool-window buttons and the save command (VelkaroDlgToolWindows.cpp) ----
    static constexpr UINT kMeasureButtonId = 1052;
    static constexpr UINT kMarkerButtonId = 1053;
    static constexpr UINT kSettingsButtonId = 1059;
    static constexpr UINT kServiceButtonId = 1061;
    static constexpr UINT kLogicAnalyzerButtonId = 1035;
    static constexpr UINT kLogicGeneratorButtonId = 1036;
    static constexpr UINT kLogicConditionButtonId = 1082;
    static constexpr UINT kMathButtonId = 1062;
    // The service window's log list, which mirrors the event log.
    static constexpr UINT kServiceLogId = 1004;
    // The service window's line that shows the event log's status text.
    static constexpr UINT kServiceStatusId = 1025;
    static constexpr UINT kSaveButtonId = 1063;
    // The save dialog, installed by the program like the tool windows: it runs modally over
    // `main` with the stored format and returns the format to store.
    using SaveDialogRunner = std::function<int(CVelkaroDlg& main, int saveType)>;
    static void SetSaveDialogRunner(SaveDialogRunner runner);
    // The digital trigger's dialog ("Условие ЛА"), installed by the program the same way: it
    // runs modally over `main`.
    using ModalRunner = std::function<void(CVelkaroDlg& main)>;
    static void SetDigitalTriggerDialogRunner(ModalRunner runner);
    // The window in the marker slot when it offers the marker calls, else null.
    MarkerWindowLink* GetMarkerLink() const;
    // The window in the logic analyser's slot when it offers its decoders' calls, else null.
    LogicAnalyzerLink* GetLogicAnalyzerLink() const;
    // ---- end of tool-window buttons ----

    // The tooltip of the main window's controls (the channel buttons register theirs with it).
    CPPToolTip& GetToolTip() { return tooltip_; }

    CChartCtrl& GetChart() { return chart_; }
    DeviceLink* GetLink() { return link_; }
    COscDispatch* GetDispatch() { return dispatch_; }
    const ScreenSnapshot& GetSnapshot() const { return snapshot_; }
    const LogList& GetLogLines() const { return log_lines_; }

    // The chart's series, for the tool windows and the tests. [0] new, [1] old data.
    CChartLineSerie* GetLineSerie(int channel, int age) const { return line_[channel][age]; }
    CChartBiLineSerie* GetBandSerie(int channel, int age) const { return band_[channel][age]; }
    CChartBiLineSerie* GetLogicSerie(int channel, int age, int line) const { return logic_[age][channel][line]; }
    const std::list<CChartLineSerie*>& GetTrail(int channel) const { return trail_[channel]; }

    // Members the settings file, the tool windows and the handlers share.
    std::vector<SupportedVersion> supported_versions;
    std::array<std::string, 16> la_net_name;
    std::array<unsigned char, 16> la_net_display{};
    bool la_net_display_labels = true;
    boost::signals2::signal<void(int, int, std::string)> NetRenamed;
    int trail_on = 0;
    SavedVersion last_saved_version{2, 1};
    int def_save_type = 0;
    int minmax = 0;
    int not_hide_trigger_level = 0;
    int not_hide_trigger_offset = 0;
    int minmax_draw_type = 0;
    int show_legend = 0;
    int show_cross = 0;
    int extra_tick_full_time = 0;
    int bus_radix = 0;
    // The stored state of channel A's bus button ("check_digital_bus") and of both channels'.
    std::array<bool, 2> digital_bus{};

    // Chart markers.
    std::array<ChartMarker, 3> zero_marker;               // A, B, math
    std::array<std::array<ChartMarker, 2>, 2> limit_marker;  // [A, B][upper, lower]
    ChartMarker buffer_limit_marker;
    ChartMarker trigger_level_marker;
    CChartPointsSerie* trigger_level_arrow = nullptr;
    ChartMarker trigger_offset_marker;
    CChartPointsSerie* trigger_offset_arrow = nullptr;
    int level_countdown = 0;
    int offset_countdown = 0;
    // Refresh requests, redone at the next tick.
    std::array<int, 3> refresh_zero{};
    std::array<int, 3> refresh_limits{};
    int refresh_offset = 0;
    int refresh_level = 0;
    unsigned char refresh_single_each_tick = 0;

    // ---- Tool windows' controls, tooltips and net names ----------------------------------
    // (VelkaroDlgToolHandlers.cpp, VelkaroDlgTooltips.cpp, VelkaroDlgNets.cpp)
    // The settings window's capture-mode and peak-display toggles, also run by the control
    // refresh to re-apply the stored options.
    void TogglePeakDetector();
    void TogglePeakDrawForm();
    // Net names of channel 0..1, line 0..7; other indexes name no net (empty, not stored).
    std::string GetNetName(int channel, int line) const;
    void SetNetName(const std::string& name, int channel, int line);
    // Offset, in steps of 10, of a net's row among the drawn nets of its channel.
    int GetNetRowOffset(int channel, int line) const;
    // The last refusal shown in a balloon.
    const std::string& GetLastRefusal() const { return last_refusal_; }
    // Taken in OnInitDialog; null while the window is not there.
    CToolDialog* service_window = nullptr;
    CComboBox* max_buffer_list = nullptr;  // the settings window's 1058
    CComboBox* out_freq_list = nullptr;    // the settings window's 1050

private:
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnPeakDetectClicked();
    afx_msg void OnPeakDrawClicked();
    afx_msg void OnInterpolationClicked();
    afx_msg void OnTrailClicked();
    afx_msg void OnKeepLevelClicked();
    afx_msg void OnZeroOrKeepOffsetClicked();
    afx_msg void OnLegendClicked();
    afx_msg void OnCrossClicked();
    afx_msg void OnFullTimeClicked();
    afx_msg void OnMathVDivSpin(NMHDR* header, LRESULT* result);
    afx_msg void OnMathOffsetSpin(NMHDR* header, LRESULT* result);
    afx_msg void OnMathVDivList();
    afx_msg void OnMathZeroClicked();
    afx_msg void OnBusRadixList();
    afx_msg void OnOutFreqList();
    afx_msg void OnMaxBufferList();
    afx_msg void OnRecorderFileAClicked();
    afx_msg void OnRecorderFileBClicked();
    afx_msg void OnLoadRecorderClicked();
    afx_msg void OnHotkeysClicked();
    afx_msg void OnDebugClicked();
    afx_msg void OnMeasureClicked();
    afx_msg void OnMarkerClicked();
    afx_msg void OnSettingsClicked();
    afx_msg void OnServiceClicked();
    afx_msg void OnMathClicked();
    afx_msg void OnSaveClicked();
    afx_msg void OnLogicAnalyzerClicked();
    afx_msg void OnLogicGeneratorClicked();
    afx_msg void OnLogicConditionClicked();
    // Shows a hidden tool window or hides a shown one, and tells it; an empty slot does nothing.
    void ToggleToolWindow(CToolDialogList::Slot slot);
    // The command or notification being handled comes from a control of the window in `slot`.
    bool SentBy(CToolDialogList::Slot slot) const;
    CToolDialog* SenderTool(CToolDialogList::Slot slot) const;
    void TakeToolWindowPointers();
    void SetMathOffsetLabel();
    void PickRecorderFile(int channel);
    void RegisterToolTips();
    void OnNetRenamed(int channel, int line, const std::string& name);
    std::string last_refusal_;
    // ---- end of tool windows' controls, tooltips and net names ---------------------------

public:
    // ---- Chart mouse interaction and overlay painter (VelkaroDlgMouse.cpp, VelkaroDlgOverlay.cpp) ----
    // What the left or right button is dragging on the chart; 0 when idle.
    enum DragBits {
        DRAG_LEVEL = 0x1,
        DRAG_OFFSET = 0x2,
        DRAG_ZERO_A = 0x4,
        DRAG_ZERO_B = 0x8,
        DRAG_ZERO_MATH = 0x10,
        DRAG_RECT = 0x20,
        DRAG_ZOOM = 0x40,
    };
    // The chart's mouse listener calls these with chart client pixels.
    void OnChartSerieButtonDown(CChartSerie* serie, int x, int y);
    void OnChartSerieDoubleClick(CChartSerie* serie);
    void OnChartLeftButtonDown(int x, int y);
    void OnChartMouseMove();
    void OnChartLeftButtonUp();
    void OnChartRightButtonDown(int x, int y);
    void OnChartRightButtonUp();
    void ClearDragBits(int bits) { drag_mode &= ~bits; }
    // x in screen points of the bottom axis.
    void BeginZoomWindow(double x);
    void UpdateZoomWindow(double x);
    void SetHorizontalFromChart(double x);
    // A right click on the chart ends a zoom window; elsewhere it opens the window's menu.
    afx_msg void OnContextMenu(CWnd* wnd, CPoint point);
    // The chart's post-draw callback.
    void DrawChartOverlay(CDC& dc, CWnd* chart);
    int GetDragMode() const { return drag_mode; }
    const std::vector<ZoomStep>& GetZoomSteps() const { return zoom_steps_; }
    ZoomChoice GetZoomChoice() const { return zoom_choice_; }
    int GetZoomAnchor() const { return zoom_anchor_; }

private:
    void ShiftMathOffset(double v);
    // The axis values under a chart pixel; false while the chart has no axes.
    bool ChartValues(int x, int y, double& vx, double& vy) const;
    // The marker window's grab and drag of its marker lines; nothing is grabbed while that
    // window does not exist.
    bool MarkerGrabbed() const;
    bool GrabMarker(double h, double t, CChartSerie* serie);
    bool DragMarker(double h, double t);
    void ReleaseMarkers();
    // Overlay steps.
    void DrawZoomWindow(CDC& dc, const CRect& plot);
    void DrawMeasuringRect(CDC& dc);
    void DrawBusValues(CDC& dc, int channel);
    void DrawNetLabels(CDC& dc, int channel, const CRect& plot);
    void DrawRecorderRuler(CDC& dc, const CRect& plot);
    // The logic analyser's decoders paint over the chart here once that window exists.
    void DrawDecoderOverlays(CDC& dc);
    int drag_mode = 0;
    double rect_start_[2] = {0, 0};
    double rect_end_[2] = {0, 0};
    std::vector<ZoomStep> zoom_steps_;
    int zoom_anchor_ = 0;
    ZoomChoice zoom_choice_;
    std::unique_ptr<CCustomMouseListener> mouse_listener_;
    CFont bus_font_;
    // ---- end of the chart mouse block ----

public:
    // ---- Control refresh, change watchers and channel buttons (VelkaroDlgControls.cpp,
    //      VelkaroDlgWatchers.cpp, ChannelButtons.cpp) ----
    // Every control that mirrors the model, rewritten; takes DataLock.
    void UpdateControls();
    void UpdateEdgeButton();
    // Offset texts of A, B and the math trace, and the trigger level text. DataLock held.
    void UpdateLevelTexts(OscData& d);
    // The lists whose entries depend on the variant and the channels. DataLock held.
    void FillSettingLists(OscData& d);
    void FillVDivList(OscData& d, int trace);
    void FillTDivList(OscData& d);
    void FillOutFreqList(OscData& d);
    void FillSkipList(OscData& d);
    // The channel buttons' enabling, tooltips and states, after creation and a variant change.
    void SetUpChannelButtons();
    // The single-shot button's image and check.
    void ShowSingleButton(bool single);
    // Watchers of the tick: before the snapshot, after it (both under DataLock), after the lock.
    void WatchModeAndDisplay(OscData& d);
    void WatchInterpolation(OscData& d);
    void WatchChannels(bool linked);
    // An image icon of the window's buttons (131 to 140), loaded once.
    HICON ImageIcon(UINT id);
    std::array<CheckACDC, 2> check_acdc;
    std::array<CheckProbeX10, 2> check_probe;
    std::array<CheckDigital, 2> check_digital;
    std::array<CheckDigitalBus, 2> check_digital_bus;
    // The math trace's volts/div list: the math window binds it to its own control.
    CComboBox math_vdiv_list;
    // The chart's cross-hair cursor while shown, else -1.
    long cross_cursor_id = -1;

private:
    std::array<std::unique_ptr<COnChange::PreHolder>, OnChangeFun::kWatcherCount> watchers_;
    std::array<HICON, 10> image_icons_{};

public:

protected:
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnConnect();
    DECLARE_MESSAGE_MAP()

private:
    // Start-up.
    void CreateFonts();
    void SetupChart();
    void CreateSeries();
    void CreateMarkers();

    // The tick.
    void Tick();
    void UpdateLogList();
    void UpdateServiceStatus();
    void ShowQueuedMessages();
    void CheckVersion(CSingleLock& lock);
    void ReadRecorderFiles(OscData& d);
    void TakeSnapshot(OscData& d);
    void ComputeMathChannel();
    bool DecideNewFrame(OscData& d);
    std::string BuildStatusText(OscData& d) const;

    // The chart. A tick stages its traces (FillChannelSeries) and shows them (ShowTraces) only
    // when they differ from what the series hold, and redraws for a changed overlay only.
    void BeginChartUpdate();
    void FillChannelSeries(int channel, bool newFrame);
    void FillAnalog(int channel, int from, int to, double shift, TraceFill::Points& line, TraceFill::Points& band,
                    TraceFill::Points* trail);
    void FillLogic(int channel, int from, int to, double shift, int age);
    bool TracesStillShown() const;
    void ShowTraces(bool generation);
    bool OverlayChanged();
    void UpdateChannelMarkers();
    void UpdateTriggerLevelMarker();
    void UpdateTriggerOffsetMarker();
    void StartTrailGeneration();
    void AgeTrail();
    double ToChart(int channel, double raw) const;

    CallQueue call_queue_;
    CCriticalSection message_lock_;
    std::deque<std::string> messages_;
    HICON icon_ = 0;
    DeviceLink* link_ = nullptr;
    COscDispatch* dispatch_ = nullptr;
    CFile playback_[2];
    // For the overlay painter's bus values and labels: upright and turned by 90 degrees.
    CFont font_;
    CFont font_rotated_;
    std::string config_path_;
    bool service_buttons_shown_ = false;

    ScreenSnapshot snapshot_{};
    LogList log_lines_;
    int last_math_op_ = 0;
    // The variant and hardware version last checked: an announcement repeated warns once.
    SavedVersion checked_version_{-1, -1};
    bool in_tick_ = false;
    bool closing_ = false;

    // The tool windows in their list order; a slot stays empty while no factory makes its window.
    std::array<std::unique_ptr<CToolDialog>, CToolDialogList::SLOT_COUNT> tool_windows_;
    CToolDialogList tool_list_;

    CPPToolTip tooltip_;
    CChartCtrl chart_;
    CBufferDraw strip_;  // control 1056, made by the template, attached in OnInitDialog
    CListBox trigger_source_list_;
    // 1006, 1008, 1010, 1030, 1018, 1020 (direction only), then the trigger level 1026.
    std::array<CSpinButtonCtrl, 7> spins_;
    CChartFastStandardAxis* bottom_axis_ = nullptr;
    CChartFastStandardAxis* left_axis_ = nullptr;
    std::array<std::array<CChartLineSerie*, 2>, 3> line_{};
    std::array<std::array<CChartBiLineSerie*, 2>, 3> band_{};
    std::array<std::array<std::array<CChartBiLineSerie*, 8>, 3>, 2> logic_{};
    std::array<std::list<CChartLineSerie*>, 3> trail_;
    // This tick's traces, staged, and those the series hold.
    TraceFill trace_fill_;
    TraceFill shown_traces_;
    // The overlay recorded for the comparison, and the recording of the one the chart shows.
    std::unique_ptr<CRecordingDC> overlay_recorder_;
    std::vector<GdiRecord> shown_overlay_;
    boost::signals2::connection net_renamed_;
};

// The one main window, or null; the logic-analyser classes reach the net names through it.
extern CVelkaroDlg* MainDialog;
