// The main window's controls rewritten from the data model as a whole (start-up, a new
// variant, a loaded configuration), and the lists whose entries depend on the variant.

#include "app/main/VelkaroDlg.h"

#include "app/tooldialog/ToolDialog.h"
#include "core/measure/OscFormat.h"
#include "platform/ui/App.h"

#include <cstdio>
#include <limits>

namespace {

constexpr UINT kServiceDacId[2] = {1071, 1072};  // the service window's DAC edits

constexpr UINT kEdgeId = 1046;
constexpr UINT kChannelOnId[2] = {1012, 1013};
constexpr UINT kOffsetTextId[2] = {1019, 1021};
constexpr UINT kMathOffsetTextId = 1091;
constexpr UINT kTriggerLevelTextId = 1027;
constexpr int kVDivListId[2] = {1051, 1055};
constexpr int kTDivListId = 1060;
constexpr int kOutFreqListId = 1050;
constexpr int kSkipListId = 1058;
constexpr UINT kLogicAnalyserButtonId = 1035;
constexpr UINT kNetLabelsCheckId = 1129;

// Settings window check boxes and the option each mirrors.
constexpr UINT kKeepLevelCheckId = 1071;
constexpr UINT kKeepOffsetCheckId = 1074;
constexpr UINT kPeakFormCheckId = 1015;
constexpr UINT kLegendCheckId = 1072;
constexpr UINT kCrossCheckId = 1073;
constexpr UINT kFullTimeCheckId = 1102;

constexpr UINT kEdgeIcon[3] = {131, 132, 140};

constexpr std::uint8_t kCapsA = 0x01;
constexpr std::uint8_t kCapsB = 0x08;
constexpr std::uint8_t kCapsLogic = 0x02 | 0x10;

// The generator's dividers are 16-bit; longer periods are whole seconds of the base clock.
constexpr unsigned kDividerLimit = 65535;

void Check(CWnd* window, UINT id, bool on)
{
    if (window != nullptr && window->GetSafeHwnd() != nullptr && window->GetDlgItem(id) != nullptr)
        window->CheckDlgButton(id, on ? BST_CHECKED : BST_UNCHECKED);
}

void Enable(CWnd* window, UINT id, bool on)
{
    if (window == nullptr || window->GetSafeHwnd() == nullptr)
        return;
    if (CWnd* control = window->GetDlgItem(id))
        control->EnableWindow(on);
}

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string FormatInt(const char* format, long long value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The entry of a generator divider: its frequency with the unit that keeps three digits.
std::string FrequencyText(double f)
{
    if (f >= 1000000)
        return Format("%.3g МГц", f / 1000000);
    if (f >= 1000)
        return Format("%.3g кГц", f / 1000);
    return Format("%.3g Гц", f);
}

CComboBox* ListOf(CWnd* window, int id)
{
    if (window == nullptr || window->GetSafeHwnd() == nullptr)
        return nullptr;
    return static_cast<CComboBox*>(window->GetDlgItem(id));
}

}  // namespace

HICON CVelkaroDlg::ImageIcon(UINT id)
{
    if (id < 131 || id > 140 || AfxGetApp() == nullptr)
        return 0;
    HICON& icon = image_icons_[id - 131];
    if (icon == 0)
        icon = AfxGetApp()->LoadIcon(id);
    return icon;
}

void CVelkaroDlg::UpdateControls()
{
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();

    CheckDlgButton(kChannelOnId[0], (d->osc_cr & OSC_CR_CH_A_ON) != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(kChannelOnId[1], (d->osc_cr & OSC_CR_CH_B_ON) != 0 ? BST_CHECKED : BST_UNCHECKED);

    SetUpChannelButtons();

    // The stored capture form and peak display go to the model and the chart again through
    // their own toggles, each flipped first so that the toggle lands on the stored value.
    minmax = minmax != 0 ? 0 : 1;
    TogglePeakDetector();
    minmax_draw_type = minmax_draw_type != 0 ? 0 : 1;
    TogglePeakDrawForm();

    not_hide_trigger_level = not_hide_trigger_level != 0 ? 1 : 0;
    not_hide_trigger_offset = not_hide_trigger_offset != 0 ? 1 : 0;
    if (not_hide_trigger_level != 0)
        level_countdown = kMarkerShowTicks;
    if (not_hide_trigger_offset != 0)
        offset_countdown = kMarkerShowTicks;

    CToolDialog* settings = GetToolDialog(CToolDialogList::PROPERTIES);
    Check(settings, kKeepLevelCheckId, not_hide_trigger_level != 0);
    Check(settings, kKeepOffsetCheckId, not_hide_trigger_offset != 0);
    Check(settings, kPeakFormCheckId, minmax_draw_type != 0);
    Check(settings, kLegendCheckId, show_legend != 0);
    Check(settings, kCrossCheckId, show_cross != 0);
    Check(settings, kFullTimeCheckId, extra_tick_full_time != 0);
    CToolDialog* analyser = GetToolDialog(CToolDialogList::LANALYZER);
    Check(analyser, kNetLabelsCheckId, la_net_display_labels);

    const int source = d->GetTriggerSource();
    trigger_source_list_.SetCurSel(source);
    Enable(this, kEdgeId, source != 0);
    Enable(this, kChannelOnId[0], true);
    Enable(this, kChannelOnId[1], true);

    // The trigger's channel cannot be switched off: it is switched on and its box locked.
    if (source == 1 || source == 2)
    {
        const int c = source - 1;
        const std::uint16_t on = c == 0 ? OSC_CR_CH_A_ON : OSC_CR_CH_B_ON;
        if ((d->osc_cr & on) == 0)
        {
            CheckDlgButton(kChannelOnId[c], BST_CHECKED);
            if (c == 0)
                d->EnableChannelA(true);
            else
                d->EnableChannelB(true);
            CheckDlgButton(kChannelOnId[c], (d->osc_cr & on) != 0 ? BST_CHECKED : BST_UNCHECKED);
        }
        Enable(this, kChannelOnId[c], false);
    }

    UpdateEdgeButton();
    level_countdown = kMarkerShowTicks;

    // The service window shows the instrument's offset DAC bytes, to be edited and loaded back.
    if (service_window != nullptr && service_window->GetSafeHwnd() != nullptr)
    {
        service_window->SetDlgItemInt(kServiceDacId[0], d->offset_dac[0], FALSE);
        service_window->SetDlgItemInt(kServiceDacId[1], d->offset_dac[1], FALSE);
    }

    UpdateLevelTexts(*d);

    const bool analyserAvailable = (d->GetChannelCaps() & kCapsLogic) != 0;
    Enable(this, kLogicAnalyserButtonId, analyserAvailable);
    if (analyser != nullptr)
    {
        if (!analyserAvailable && analyser->GetSafeHwnd() != nullptr)
            analyser->ShowWindow(SW_HIDE);
        analyser->OnShowTool(analyserAvailable);
    }

    FillSettingLists(*d);
}

void CVelkaroDlg::UpdateEdgeButton()
{
    CSingleLock lock(&DataLock, TRUE);
    const OscData* d = GetOscData();
    CButton* edge = static_cast<CButton*>(GetDlgItem(kEdgeId));
    if (edge == nullptr)
        return;
    const int source = d->GetTriggerSource();
    if ((d->osc_cr & OSC_CR_TRIGGER_ON) == 0 || source < 1 || source > 3)
    {
        edge->EnableWindow(FALSE);
        return;
    }
    edge->EnableWindow(TRUE);
    const unsigned dir = d->trigger_dir[source - 1];
    // A direction no variant knows (a damaged settings file) keeps the image it has.
    if (dir < 3)
        edge->SetIcon(ImageIcon(kEdgeIcon[dir]));
}

void CVelkaroDlg::UpdateLevelTexts(OscData& d)
{
    SetDlgItemText(kOffsetTextId[0], FormatOffsetVolts(d, 0).c_str());
    SetDlgItemText(kOffsetTextId[1], FormatOffsetVolts(d, 1).c_str());
    CToolDialog* math = GetToolDialog(CToolDialogList::MATH);
    if (math != nullptr && math->GetSafeHwnd() != nullptr && math->GetDlgItem(kMathOffsetTextId) != nullptr)
        math->SetDlgItemText(kMathOffsetTextId, FormatOffsetVolts(d, 2).c_str());
    SetDlgItemText(kTriggerLevelTextId, FormatTriggerLevel(d).c_str());
}

void CVelkaroDlg::FillSettingLists(OscData& d)
{
    for (int trace = 0; trace < 3; ++trace)
        FillVDivList(d, trace);
    FillTDivList(d);
    FillOutFreqList(d);
    FillSkipList(d);
}

void CVelkaroDlg::FillVDivList(OscData& d, int trace)
{
    CComboBox* list = nullptr;
    if (trace == 0 || trace == 1)
        list = Combo(kVDivListId[trace]);
    else if (trace == 2 && math_vdiv_list.GetSafeHwnd() != nullptr)
        list = &math_vdiv_list;
    if (list == nullptr)
        return;

    const std::uint8_t caps = d.GetChannelCaps();
    const std::uint8_t needed = trace == 0 ? kCapsA : trace == 1 ? kCapsB : (kCapsA | kCapsB);
    list->ResetContent();
    if ((caps & needed) != needed)
    {
        list->EnableWindow(FALSE);
        return;
    }
    list->EnableWindow(TRUE);

    // The texts cover a run of consecutive indexes: the whole variant range while running,
    // only the three around the gain step the data were taken with while stopped (and always
    // for the math trace). Each entry carries the index it stands for.
    const std::vector<CString> texts = d.ListVDivOptions(trace);
    std::int64_t first = d.GetVDivMin();
    if ((d.mode & MODE_STOPPED) != 0 || trace == 2)
        first = std::max<std::int64_t>(first, std::int64_t{d.GetGainIndex(d.u_div[trace])} - 1);
    for (std::size_t i = 0; i < texts.size(); ++i)
    {
        const int at = list->InsertString(0, texts[i].c_str());
        list->SetItemData(at, static_cast<DWORD_PTR>(first + static_cast<std::int64_t>(i)));
    }
    if (trace < 2)
        SyncVDivCombos();
    else
        for (int i = 0; i < list->GetCount(); ++i)
            if (list->GetItemData(i) == d.u_div[2])
                list->SetCurSel(i);
}

void CVelkaroDlg::FillTDivList(OscData& d)
{
    CComboBox* list = Combo(kTDivListId);
    if (list == nullptr)
        return;
    list->ResetContent();
    for (const TDivOption& option : d.ListTDivOptions())
    {
        // A starred time/div shows interpolated points.
        std::string text = option.text;
        if (option.x_zoom_in > 1)
            text += "*";
        const int at = list->InsertString(0, text.c_str());
        list->SetItemData(at, option.t_div);
    }
    SyncTDivCombo();
}

void CVelkaroDlg::FillOutFreqList(OscData& d)
{
    CComboBox* list = ListOf(GetToolDialog(CToolDialogList::PROPERTIES), kOutFreqListId);
    if (list != nullptr)
    {
        list->ResetContent();
        const std::uint64_t base = d.GetBaseClock();
        // out_freq is the divider less one; compared in 64 bits so the largest value has a successor.
        const std::uint64_t current = std::uint64_t{d.out_freq} + 1;
        auto add = [&](const std::string& text, std::uint64_t divider) {
            const int at = list->AddString(text.c_str());
            list->SetItemData(at, static_cast<DWORD_PTR>(divider - 1));
            if (divider == current)
                list->SetCurSel(at);
        };
        // Without a clock there is no generator to offer.
        if (base != 0)
        {
            for (unsigned divider = 1; divider <= kDividerLimit; ++divider)
                if (base % divider == 0 && d.IsDividerValid(divider))
                    add(FrequencyText(static_cast<double>(base) / divider), divider);
            for (unsigned hz = 300; hz > 0; hz -= hz > 100 ? 100 : hz > 10 ? 10 : 1)
            {
                const std::uint64_t divider = base / hz;
                if (base % hz == 0 && divider <= std::numeric_limits<unsigned>::max() &&
                    d.IsDividerValid(static_cast<unsigned>(divider)))
                    add(FormatInt("%lld Гц", hz), divider);
            }
            for (unsigned seconds = 2; seconds < 101; seconds += seconds < 10 ? 1 : 10)
            {
                const std::uint64_t divider = base * seconds;
                if (divider <= std::numeric_limits<std::uint32_t>::max() &&
                    d.IsDividerValid(static_cast<unsigned>(divider)))
                    add(FormatInt("%lld с", seconds), divider);
            }
        }
    }
    d.changes |= CHANGE_OUT_FREQ;
}

void CVelkaroDlg::FillSkipList(OscData& d)
{
    CComboBox* list = ListOf(GetToolDialog(CToolDialogList::PROPERTIES), kSkipListId);
    if (list == nullptr)
        return;
    list->ResetContent();
    for (unsigned skip : d.ListSkipValues())
    {
        const int at = list->AddString(FormatMemoryDuration(d, skip).c_str());
        list->SetItemData(at, skip);
        if (d.max_x_skip >= skip)
            list->SetCurSel(at);
    }
}

void CVelkaroDlg::SetUpChannelButtons()
{
    CSingleLock lock(&DataLock, TRUE);
    for (int c = 0; c < 2; ++c)
    {
        check_digital_bus[c].BindState(&digital_bus[c]);
        check_acdc[c].SetUp(c, &tooltip_);
        check_probe[c].SetUp(c, &tooltip_);
        check_digital[c].SetUp(c, &tooltip_);
        check_digital_bus[c].SetUp(c, &tooltip_);
    }
}

void CVelkaroDlg::ShowSingleButton(bool single)
{
    auto* button = static_cast<CButton*>(GetDlgItem(1023));
    if (button == nullptr)
        return;
    button->SetIcon(ImageIcon(single ? 139 : 138));
    button->SetCheck(single ? BST_CHECKED : BST_UNCHECKED);
}
