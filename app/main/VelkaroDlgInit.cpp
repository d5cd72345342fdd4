// Start-up, settings and shutdown of the main window.

#include "app/main/VelkaroDlg.h"

#include "app/about/AboutDlg.h"
#include "app/hotkeys/HotkeyTable.h"
#include "app/settings/SettingsFile.h"
#include "app/tooldialog/ToolDialog.h"
#include "core/dispatch/OscDispatch.h"
#include "core/link/DeviceLink.h"
#include "platform/ui/App.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/Menu.h"
#include "platform/ui/PaintDC.h"
#include "widgets/chart/ChartAxis.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/array.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/string.hpp>

#include <algorithm>
#include <cstdio>

CVelkaroDlg* MainDialog = nullptr;

namespace {

CVelkaroDlg::ToolWindowFactory& ToolFactory()
{
    static CVelkaroDlg::ToolWindowFactory factory;
    return factory;
}

constexpr UINT kAboutCommand = 0x0010;
constexpr UINT kAboutStringId = 101;
constexpr UINT kIconId = 128;

// A stored position is used only while it keeps the window's centre on the desktop, so that a
// screen that went away does not leave the window out of reach.
bool CentreOnDesktop(const CRect& window, int x, int y)
{
    CRect desktop;
    CWnd::GetDesktopWindow()->GetWindowRect(&desktop);
    const int cx = x + window.Width() / 2;
    const int cy = y + window.Height() / 2;
    return cx >= desktop.left && cx < desktop.right && cy >= desktop.top && cy < desktop.bottom;
}

}  // namespace

BEGIN_MESSAGE_MAP(CVelkaroDlg, CDialog)
    // ---- tool windows' controls and the minimised window (VelkaroDlgToolHandlers.cpp) ----
    // First: 1074 names a control here and one in the settings window, and the first entry
    // for an id takes its commands from both.
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(1011, &CVelkaroDlg::OnPeakDetectClicked)
    ON_BN_CLICKED(1015, &CVelkaroDlg::OnPeakDrawClicked)
    ON_BN_CLICKED(1033, &CVelkaroDlg::OnInterpolationClicked)
    ON_BN_CLICKED(1048, &CVelkaroDlg::OnTrailClicked)
    ON_BN_CLICKED(1071, &CVelkaroDlg::OnKeepLevelClicked)
    ON_BN_CLICKED(1074, &CVelkaroDlg::OnZeroOrKeepOffsetClicked)
    ON_BN_CLICKED(1072, &CVelkaroDlg::OnLegendClicked)
    ON_BN_CLICKED(1073, &CVelkaroDlg::OnCrossClicked)
    ON_BN_CLICKED(1102, &CVelkaroDlg::OnFullTimeClicked)
    ON_NOTIFY(UDN_DELTAPOS, 1093, &CVelkaroDlg::OnMathVDivSpin)
    ON_NOTIFY(UDN_DELTAPOS, 1090, &CVelkaroDlg::OnMathOffsetSpin)
    ON_CBN_SELCHANGE(1106, &CVelkaroDlg::OnBusRadixList)
    ON_CBN_SELCHANGE(1050, &CVelkaroDlg::OnOutFreqList)
    ON_CBN_SELCHANGE(1058, &CVelkaroDlg::OnMaxBufferList)
    ON_CBN_SELCHANGE(1094, &CVelkaroDlg::OnMathVDivList)
    ON_BN_CLICKED(1092, &CVelkaroDlg::OnMathZeroClicked)
    ON_BN_CLICKED(1108, &CVelkaroDlg::OnRecorderFileAClicked)
    ON_BN_CLICKED(1078, &CVelkaroDlg::OnRecorderFileBClicked)
    ON_BN_CLICKED(1103, &CVelkaroDlg::OnLoadRecorderClicked)
    ON_BN_CLICKED(1131, &CVelkaroDlg::OnHotkeysClicked)
    ON_BN_CLICKED(1158, &CVelkaroDlg::OnDebugClicked)
    // ---- end of tool windows' controls ----
    // The right button belongs to the chart's zoom window there, not to the window's menu.
    ON_WM_CONTEXTMENU()
    ON_BN_CLICKED(1047, &CVelkaroDlg::OnStopClicked)
    ON_BN_CLICKED(1023, &CVelkaroDlg::OnSingleClicked)
    ON_NOTIFY(UDN_DELTAPOS, 1006, &CVelkaroDlg::OnTDivSpin)
    ON_NOTIFY_RANGE(UDN_DELTAPOS, 1008, 1008, &CVelkaroDlg::OnVDivSpin)
    ON_NOTIFY_RANGE(UDN_DELTAPOS, 1010, 1010, &CVelkaroDlg::OnVDivSpin)
    ON_NOTIFY_RANGE(UDN_DELTAPOS, 1018, 1018, &CVelkaroDlg::OnOffsetSpin)
    ON_NOTIFY_RANGE(UDN_DELTAPOS, 1020, 1020, &CVelkaroDlg::OnOffsetSpin)
    ON_CONTROL_RANGE(BN_CLICKED, 1012, 1013, &CVelkaroDlg::OnChannelOnClicked)
    ON_LBN_SELCHANGE(1029, &CVelkaroDlg::OnTriggerSourceChange)
    ON_BN_CLICKED(1046, &CVelkaroDlg::OnTriggerEdgeClicked)
    ON_NOTIFY(UDN_DELTAPOS, 1026, &CVelkaroDlg::OnTriggerLevelSpin)
    ON_NOTIFY(UDN_DELTAPOS, 1030, &CVelkaroDlg::OnHorizontalSpin)
    ON_CONTROL_RANGE(CBN_SELCHANGE, 1051, 1051, &CVelkaroDlg::OnVDivList)
    ON_CONTROL_RANGE(CBN_SELCHANGE, 1055, 1055, &CVelkaroDlg::OnVDivList)
    ON_CBN_SELCHANGE(1060, &CVelkaroDlg::OnTDivList)
    ON_CONTROL_RANGE(BN_CLICKED, 1074, 1074, &CVelkaroDlg::OnZeroClicked)
    ON_CONTROL_RANGE(BN_CLICKED, 1003, 1003, &CVelkaroDlg::OnZeroClicked)
    ON_BN_CLICKED(1004, &CVelkaroDlg::OnZeroTriggerLevelClicked)
    ON_BN_CLICKED(CVelkaroDlg::kFullSweepId, &CVelkaroDlg::OnFullSweepClicked)
    ON_BN_CLICKED(CVelkaroDlg::kRecorderId, &CVelkaroDlg::OnBnClickedCheckDatalogger)
    ON_WM_TIMER()
    ON_WM_SYSCOMMAND()
    ON_BN_CLICKED(CVelkaroDlg::kConnectId, &CVelkaroDlg::OnConnect)
    // ---- tool-window buttons and the save command (VelkaroDlgToolWindows.cpp) ----
    ON_BN_CLICKED(CVelkaroDlg::kMeasureButtonId, &CVelkaroDlg::OnMeasureClicked)
    ON_BN_CLICKED(CVelkaroDlg::kMarkerButtonId, &CVelkaroDlg::OnMarkerClicked)
    ON_BN_CLICKED(CVelkaroDlg::kSettingsButtonId, &CVelkaroDlg::OnSettingsClicked)
    ON_BN_CLICKED(CVelkaroDlg::kServiceButtonId, &CVelkaroDlg::OnServiceClicked)
    ON_BN_CLICKED(CVelkaroDlg::kMathButtonId, &CVelkaroDlg::OnMathClicked)
    ON_BN_CLICKED(CVelkaroDlg::kSaveButtonId, &CVelkaroDlg::OnSaveClicked)
    ON_BN_CLICKED(CVelkaroDlg::kLogicAnalyzerButtonId, &CVelkaroDlg::OnLogicAnalyzerClicked)
    ON_BN_CLICKED(CVelkaroDlg::kLogicGeneratorButtonId, &CVelkaroDlg::OnLogicGeneratorClicked)
    ON_BN_CLICKED(CVelkaroDlg::kLogicConditionButtonId, &CVelkaroDlg::OnLogicConditionClicked)
    // ---- end of tool-window buttons ----
END_MESSAGE_MAP()

CVelkaroDlg::CVelkaroDlg(CWnd* parent) : CDialog(IDD, parent)
{
    MainDialog = this;
    ResetWindows();
    refresh_zero[0] = refresh_zero[1] = 1;
    refresh_limits[0] = refresh_limits[1] = 1;
    refresh_level = 1;
    refresh_offset = 1;
    icon_ = AfxGetApp() != nullptr ? AfxGetApp()->LoadIcon(kIconId) : 0;
}

void CVelkaroDlg::SetToolWindowFactory(ToolWindowFactory factory)
{
    ToolFactory() = std::move(factory);
}

CVelkaroDlg::~CVelkaroDlg()
{
    // The chart must not call back into a window that is being taken apart.
    chart_.SetMouseListener(nullptr);
    chart_.SetPostDrawFunctor(CChartCtrl::PostDrawFunctor());
    // The tool windows go in reverse order of creation; the list never names a dead one.
    for (std::size_t slot = tool_windows_.size(); slot-- > 0;)
    {
        tool_list_.Set(static_cast<CToolDialogList::Slot>(slot), nullptr);
        tool_windows_[slot].reset();
    }
    // Any way out of the modal loop: the worker stops before the dispatcher it calls goes.
    call_queue_.Shutdown();
    net_renamed_.disconnect();
    delete link_;
    link_ = nullptr;
    delete dispatch_;
    dispatch_ = nullptr;
    if (MainDialog == this)
        MainDialog = nullptr;
}

void CVelkaroDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, kChartId, chart_);
    DDX_Control(dx, kStripId, strip_);
    DDX_Control(dx, kTriggerSourceId, trigger_source_list_);
    const int spins[] = {1006, 1008, 1010, 1030, 1018, 1020, 1026};
    for (std::size_t i = 0; i < spins_.size(); ++i)
        DDX_Control(dx, spins[i], spins_[i]);
    const int acdc[2] = {1016, 1017};
    const int probe[2] = {1014, 1075};
    const int digital[2] = {1024, 1025};
    const int bus[2] = {1028, 1031};
    for (std::size_t c = 0; c < 2; ++c)
    {
        DDX_Control(dx, acdc[c], check_acdc[c]);
        DDX_Control(dx, probe[c], check_probe[c]);
        DDX_Control(dx, digital[c], check_digital[c]);
        DDX_Control(dx, bus[c], check_digital_bus[c]);
    }
}

BOOL CVelkaroDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    CString about;
    if (AfxLoadString(kAboutStringId, about) && !about.empty())
    {
        if (CMenu* menu = GetSystemMenu(FALSE))
        {
            menu->AppendMenu(MF_SEPARATOR);
            menu->AppendMenu(MF_STRING, kAboutCommand, about.c_str());
        }
    }
    if (icon_ != 0)
    {
        SetIcon(icon_, TRUE);
        SetIcon(icon_, FALSE);
    }

    // The service window and the logic generator are bench tools: a user meets them only when
    // the program is started for service.
    for (UINT id : {kServiceButtonId, kLogicGeneratorButtonId})
        if (CWnd* button = GetDlgItem(id))
            button->ShowWindow(service_buttons_shown_ ? SW_SHOW : SW_HIDE);

    supported_versions = {{1, 10}, {2, 1}, {3, 2}, {4, 0}, {5, 0}};

    // The tool windows, in their list order, as modeless children of this window.
    if (const ToolWindowFactory& factory = ToolFactory())
    {
        for (std::size_t slot = 0; slot < tool_windows_.size(); ++slot)
        {
            const auto s = static_cast<CToolDialogList::Slot>(slot);
            tool_windows_[slot] = factory(s, *this);
            tool_list_.Set(s, tool_windows_[slot].get());
        }
    }

    tooltip_.Create(this);
    RegisterToolTips();
    TakeToolWindowPointers();

    dispatch_ = new COscDispatch();
    // The worker holds no DataLock while it waits here; the tick runs the call before it takes
    // DataLock itself.
    dispatch_->SetUiRunner([this](const std::function<void()>& call) {
        return call_queue_.InvokeAndWait(call) == CallQueue::Result::Ran;
    });
    dispatch_->SetVersionSwitch([this](int version, int hwVersion) { SwitchDataVersion(version, hwVersion); });
    link_ = new DeviceLink(dispatch_);

    if (config_path_.empty())
        SerializeConfigFile(*this, false);
    else
        SerializeConfigFile(*this, false, config_path_);

    CreateFonts();
    SelectOscDataVersion(last_saved_version.version, last_saved_version.hwVersion);

    {
        CSingleLock lock(&DataLock, TRUE);
        SetupChart();
        OscData* d = GetOscData();
        if ((d->mode & MODE_STOPPED) != 0)
            d->ToggleStop();
    }

    // The position and scale spins act as buttons: their handlers read only the direction.
    for (std::size_t i = 0; i + 1 < spins_.size(); ++i)
        spins_[i].SetRange32(0, 1);
    spins_.back().SetRange32(-200, 200);

    for (const char* source : {"Отключен", "Канал A", "Канал B", "Внешний"})
        trigger_source_list_.AddString(source);
    ShowSingleButton(false);
    UpdateControls();

    net_renamed_ = NetRenamed.connect([this](int channel, int line, const std::string& name) { OnNetRenamed(channel, line, name); });

    SetTimer(kTickTimerId, kTickMs);
    return TRUE;
}

void CVelkaroDlg::CreateFonts()
{
    constexpr int kPoints = 10;
    constexpr BYTE kCyrillic = 204;
    CClientDC dc(this);
    font_.CreatePointFont(kPoints * 10, "Courier New", &dc);
    LOGFONT lf{};
    lf.lfHeight = -MulDiv(kPoints, dc.GetDeviceCaps(LOGPIXELSY), 72);
    lf.lfEscapement = 900;
    lf.lfOrientation = 900;
    lf.lfWeight = 400;
    lf.lfCharSet = kCyrillic;
    lf.lfClipPrecision = CLIP_LH_ANGLES;
    SetLogFontFaceName(lf, "Courier New");
    font_rotated_.CreateFontIndirect(&lf);
}

void CVelkaroDlg::OnOK() {}

void CVelkaroDlg::OnSysCommand(UINT id, LPARAM lParam)
{
    if ((id & 0xFFF0) == kAboutCommand)
    {
        CAboutDlg about(this);
        about.DoModal();
        return;
    }
    CDialog::OnSysCommand(id, lParam);
}

void CVelkaroDlg::OnCancel()
{
    closing_ = true;
    KillTimer(kTickTimerId);
    // A worker waiting for a version switch is released before it is stopped.
    call_queue_.Shutdown();
    if (link_ != nullptr)
        link_->StopThread();
    // A recording in progress keeps what it holds: each file gets its header before it closes.
    if (dispatch_ != nullptr)
        dispatch_->CloseRecorderFiles();
    if (config_path_.empty())
        CloseSettings(*this);
    else
        CloseSettings(*this, config_path_);
    CDialog::OnCancel();
}

void CVelkaroDlg::OnConnect()
{
    if (link_ != nullptr)
        link_->ToggleConnection();
}

void CVelkaroDlg::ResetWindows()
{
    if (m_hWnd != nullptr)
    {
        CRect desktop;
        CRect window;
        CWnd::GetDesktopWindow()->GetWindowRect(&desktop);
        GetWindowRect(&window);
        const int x = (desktop.right + window.left - window.right - desktop.left) / 2;
        const int y = (desktop.bottom + window.top - desktop.top - window.bottom) / 2;
        SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    HotkeyTable::Instance().SetDefaults();
    digital_bus = {};
    for (CheckDigitalBus& button : check_digital_bus)
        if (button.GetSafeHwnd() != nullptr)
            button.ShowBoundState();
    if (supported_versions.size() > 3)
        last_saved_version = {supported_versions[1].version, supported_versions[1].hwVersion};
    def_save_type = minmax = not_hide_trigger_level = not_hide_trigger_offset = 0;
    minmax_draw_type = show_legend = show_cross = extra_tick_full_time = 0;
    for (int channel = 0; channel < 2; ++channel)
    {
        for (int line = 0; line < 8; ++line)
        {
            char name[8];
            std::snprintf(name, sizeof name, "%c%d", 'A' + channel, line);
            la_net_name[channel * 8 + line] = name;
            la_net_display[channel * 8 + line] = 1;
        }
    }
    la_net_display_labels = true;
    tool_list_.ResetWindows();
}

void CVelkaroDlg::SetDefaults()
{
    ResetWindows();
    refresh_zero[0] = refresh_zero[1] = 1;
    refresh_limits[0] = refresh_limits[1] = 1;
    refresh_level = 1;
    refresh_offset = 1;
    refresh_single_each_tick = 0;
    trail_on = 0;
}

void CVelkaroDlg::ShowMessageBox(const std::string& text)
{
    AfxMessageBox(text.c_str(), MB_OK);
}

void CVelkaroDlg::SwitchDataVersion(int version, int hwVersion)
{
    const bool selected = SwitchVariantSettings(*this, version, hwVersion);
    CSingleLock lock(&DataLock, TRUE);
    // An unknown variant leaves the old model in place: the version check of the next tick
    // tells the user and disconnects.
    if (!selected)
        GetOscData()->status |= STATUS_LIMITS_APPLIED;
}

namespace {

template <class Archive>
void Elements(Archive& archive, CVelkaroDlg& w, int& x, int& y, int& bus, unsigned version)
{
    using boost::serialization::make_nvp;
    archive & make_nvp("x", x);
    archive & make_nvp("y", y);
    if constexpr (Archive::is_saving::value)
        HotkeyTable::Instance().Save(archive);
    else
        HotkeyTable::Instance().Load(archive);
    archive & make_nvp("check_digital_bus", bus);
    archive & make_nvp("last_saved_version", w.last_saved_version);
    archive & make_nvp("def_save_type", w.def_save_type);
    archive & make_nvp("minmax", w.minmax);
    archive & make_nvp("not_hide_trigger_level", w.not_hide_trigger_level);
    if (version >= 1)
        archive & make_nvp("not_hide_trigger_offset", w.not_hide_trigger_offset);
    archive & make_nvp("minmax_draw_type", w.minmax_draw_type);
    archive & make_nvp("show_legend", w.show_legend);
    archive & make_nvp("show_cross", w.show_cross);
    archive & make_nvp("extra_tick_full_time", w.extra_tick_full_time);
    archive & make_nvp("la_net_name", w.la_net_name);
    archive & make_nvp("la_net_display", w.la_net_display);
    archive & make_nvp("la_net_display_labels", w.la_net_display_labels);
    // Each tool window that exists writes its own record and reads it back in place.
    const auto record = [&](CToolDialogList::Slot slot, const char* name) {
        CToolDialog* tool = w.GetToolDialog(slot);
        if (tool == nullptr)
            return;
        if constexpr (Archive::is_saving::value)
            tool->SaveRecord(archive, name);
        else
            tool->LoadRecord(archive, name);
    };
    record(CToolDialogList::MEASURE, "measure_dlg");
    record(CToolDialogList::MARKER, "marker_dlg");
    record(CToolDialogList::PROPERTIES, "properties_dlg");
    record(CToolDialogList::SERVICE, "service_dlg");
    record(CToolDialogList::MATH, "math_dlg");
    // Files of the first two versions held the measurement window a second time here.
    if (version < 2)
        record(CToolDialogList::MEASURE, "measure_dlg");
    record(CToolDialogList::LANALYZER, "lanalyzer_dlg");
    if (version >= 2)
        record(CToolDialogList::LGENERATOR, "lgenerator_dlg");
}

}  // namespace

namespace boost::serialization {
template <class Archive>
void serialize(Archive& archive, SavedVersion& saved, unsigned int)
{
    archive & make_nvp("version", saved.version);
    archive & make_nvp("hw_version", saved.hwVersion);
}
}  // namespace boost::serialization

void CVelkaroDlg::SaveSettings(boost::archive::xml_oarchive& archive)
{
    int x = 0;
    int y = 0;
    if (m_hWnd != nullptr)
    {
        CRect window;
        GetWindowRect(&window);
        x = window.left;
        y = window.top;
    }
    int bus = digital_bus[0] ? 1 : 0;
    Elements(archive, *this, x, y, bus, kWindowSettingsVersion);
}

void CVelkaroDlg::LoadSettings(boost::archive::xml_iarchive& archive, unsigned version)
{
    int x = 0;
    int y = 0;
    int bus = 0;
    Elements(archive, *this, x, y, bus, version);
    // The service window and the generator belong to a service session; a plain start keeps
    // them closed, whatever the last service session left open (their buttons are hidden, so
    // the user could not close them again).
    if (!service_buttons_shown_)
    {
        for (CToolDialogList::Slot slot : {CToolDialogList::SERVICE, CToolDialogList::LGENERATOR})
        {
            CToolDialog* tool = GetToolDialog(slot);
            if (tool != nullptr && tool->m_hWnd != nullptr && tool->IsWindowVisible())
            {
                tool->ShowWindow(SW_HIDE);
                tool->OnShowTool(false);
            }
        }
    }
    digital_bus[0] = bus != 0;
    for (unsigned char& shown : la_net_display)
        shown = shown != 0 ? 1 : 0;
    // Settings of a variant this program does not know select the default one.
    const bool known = std::any_of(supported_versions.begin(), supported_versions.end(),
                                   [&](const SupportedVersion& row) { return row.version == last_saved_version.version; });
    if (!known)
        last_saved_version = {2, 1};
    if (m_hWnd != nullptr && x != 0 && y != 0)
    {
        CRect window;
        GetWindowRect(&window);
        if (CentreOnDesktop(window, x, y))
            SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
}
