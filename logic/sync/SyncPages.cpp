// The synchronous decoder's pages: their controls, and the settings they hold.

#include "logic/sync/SyncPages.h"

#include "core/data/OscData.h"
#include "logic/sync/SyncDecode.h"
#include "platform/kernel/Sync.h"
#include "platform/ui/DataExchange.h"

#include <algorithm>

namespace {

constexpr UINT kClkNetId = 1111;
constexpr UINT kClkFallId = 1112;
constexpr UINT kBitsId = 1113;

constexpr UINT kStartRadioIds[3] = {1114, 1116, 1119};
constexpr UINT kOffsetEditId = 1120;
constexpr UINT kOffsetSpinId = 1121;
constexpr UINT kFromScreenId = 1130;
constexpr UINT kUseCsId = 1132;
constexpr UINT kCsNetId = 1117;
constexpr UINT kCsActiveLowId = 1118;

constexpr UINT kCountId = 1131;
constexpr UINT kDataNetFirstId = 1122;
constexpr UINT kLsbFirstId = 1126;

constexpr UINT kDisplayClkId = 1128;
constexpr UINT kDisplayDataId = 1129;

constexpr UINT kResultsId = 1126;

const char* const kClockDisplayTexts[] = {"Не отображать", "Начало символа", "Все активные"};
const char* const kDataDisplayTexts[] = {"Не отображать", "Границы символа", "Границы и значение"};

bool HasWindow(const CWnd& w)
{
    return w.GetSafeHwnd() != nullptr;
}

}  // namespace

// ---- Clock -----------------------------------------------------------------------------------

CTabSyncClk::CTabSyncClk() : clk_net(std::make_unique<CComboNet>()) {}
CTabSyncClk::~CTabSyncClk() = default;

void CTabSyncClk::DoDataExchange(CDataExchange* dx)
{
    CTabPageSSL::DoDataExchange(dx);
    DDX_Control(dx, kClkNetId, *clk_net);
    DDX_Control(dx, kClkFallId, fall_);
    DDX_Control(dx, kBitsId, bits_);
}

void CTabSyncClk::Fill()
{
    if (!HasWindow(*this)) return;
    fall_.SetCheck(clk_fall != 0 ? BST_CHECKED : BST_UNCHECKED);
    bits_.ResetContent();
    for (int bits = kSyncMinBits; bits <= kSyncMaxBits; ++bits) bits_.AddString(std::to_string(bits).c_str());
    bits_.SetCurSel(SyncClampBits(bit_per_sym) - kSyncMinBits);
}

void CTabSyncClk::Read()
{
    if (!HasWindow(*this)) return;
    clk_fall = fall_.GetCheck() == BST_CHECKED ? 1 : 0;
    const int sel = bits_.GetCurSel();
    if (sel >= 0) bit_per_sym = sel + kSyncMinBits;
}

void CTabSyncClk::ResetSettings()
{
    clk_fall = 0;
    bit_per_sym = kDefaultBits;
    clk_net->SetRememberedSel(0);
    if (HasWindow(*clk_net) && clk_net->GetCount() > 0) clk_net->SetCurSel(0);
    Fill();
}

// ---- Condition -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CTabSyncCondition, CTabPageSSL)
    ON_BN_CLICKED(kStartRadioIds[0], &CTabSyncCondition::OnStartMode)
    ON_BN_CLICKED(kStartRadioIds[1], &CTabSyncCondition::OnStartMode)
    ON_BN_CLICKED(kStartRadioIds[2], &CTabSyncCondition::OnStartMode)
    ON_BN_CLICKED(kFromScreenId, &CTabSyncCondition::OnFromScreenStart)
END_MESSAGE_MAP()

CTabSyncCondition::CTabSyncCondition() : cs_net(std::make_unique<CComboNet>()) {}
CTabSyncCondition::~CTabSyncCondition() = default;

void CTabSyncCondition::DoDataExchange(CDataExchange* dx)
{
    CTabPageSSL::DoDataExchange(dx);
    for (std::size_t i = 0; i < radios_.size(); ++i) DDX_Control(dx, static_cast<int>(kStartRadioIds[i]), radios_[i]);
    DDX_Control(dx, kOffsetEditId, offset_edit_);
    DDX_Control(dx, kOffsetSpinId, offset_spin_);
    DDX_Control(dx, kFromScreenId, from_screen_);
    DDX_Control(dx, kUseCsId, use_cs_);
    DDX_Control(dx, kCsNetId, *cs_net);
    DDX_Control(dx, kCsActiveLowId, active_low_);
}

BOOL CTabSyncCondition::OnInitDialog()
{
    CTabPageSSL::OnInitDialog();
    // The range first, so that an offset loaded before the window is shown is not cut to the
    // up-down's initial range.
    int depth = 0;
    {
        CSingleLock lock(&DataLock, TRUE);
        depth = static_cast<int>(GetOscData()->GetMemoryDepth());
    }
    // The arrows write the number into the edit beside them.
    offset_spin_.SetBuddy(&offset_edit_);
    SetOffsetRange(depth);
    offset_spin_.SetPos32(offset_);
    Fill();
    return TRUE;
}

void CTabSyncCondition::SetOffsetRange(int depth)
{
    if (!HasWindow(offset_spin_)) return;
    const int offset = GetOffset();
    offset_spin_.SetRange32(0, std::max(depth - 1, 0));
    offset_spin_.SetPos32(offset);
    offset_ = offset_spin_.GetPos32();
}

int CTabSyncCondition::GetOffset()
{
    if (!HasWindow(offset_spin_)) return offset_;
    // The up-down takes a number typed into the edit as its position, brought into its range,
    // and leaves the edit showing the offset in use.
    offset_ = offset_spin_.GetPos32();
    return offset_;
}

void CTabSyncCondition::SetOffset(int samples)
{
    offset_ = std::max(samples, 0);
    if (!HasWindow(offset_spin_)) return;
    offset_spin_.SetPos32(offset_);
    offset_ = offset_spin_.GetPos32();
}

void CTabSyncCondition::Fill()
{
    if (!HasWindow(*this)) return;
    start = std::clamp(start, 0, 2);
    for (int i = 0; i < 3; ++i) radios_[static_cast<std::size_t>(i)].SetCheck(i == start ? BST_CHECKED : BST_UNCHECKED);
    use_cs_.SetCheck(use_cs != 0 ? BST_CHECKED : BST_UNCHECKED);
    active_low_.SetCheck(cs_active_low != 0 ? BST_CHECKED : BST_UNCHECKED);
    ApplyEnabling();
}

void CTabSyncCondition::Read()
{
    if (!HasWindow(*this)) return;
    for (int i = 0; i < 3; ++i)
        if (radios_[static_cast<std::size_t>(i)].GetCheck() == BST_CHECKED) start = i;
    use_cs = use_cs_.GetCheck() == BST_CHECKED ? 1 : 0;
    cs_active_low = active_low_.GetCheck() == BST_CHECKED ? 1 : 0;
}

void CTabSyncCondition::ResetSettings()
{
    start = START_OFFSET;
    use_cs = 0;
    cs_active_low = 0;
    SetOffset(0);
    cs_net->SetRememberedSel(0);
    if (HasWindow(*cs_net) && cs_net->GetCount() > 0) cs_net->SetCurSel(0);
    Fill();
}

void CTabSyncCondition::ApplyEnabling()
{
    const BOOL offset = start == START_OFFSET;
    offset_edit_.EnableWindow(offset);
    offset_spin_.EnableWindow(offset);
    from_screen_.EnableWindow(offset);
}

void CTabSyncCondition::OnStartMode()
{
    Read();
    ApplyEnabling();
}

void CTabSyncCondition::OnFromScreenStart()
{
    // The first sample shown on the chart: the view offset is in screen points.
    long long sample = 0;
    {
        CSingleLock lock(&DataLock, TRUE);
        const OscData& d = *GetOscData();
        const long long zoomIn = std::max(d.x_zoom_in, 1);
        sample = static_cast<long long>(d.x_offset) * d.x_zoom_out_hw * d.x_zoom_out_sw / zoomIn;
    }
    SetOffset(static_cast<int>(std::clamp<long long>(sample, 0, INT32_MAX)));
}

// ---- Data ------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CTabSyncData, CTabPageSSL)
    ON_CBN_SELCHANGE(kCountId, &CTabSyncData::OnCountChange)
END_MESSAGE_MAP()

CTabSyncData::CTabSyncData()
{
    for (auto& net : data_net) net = std::make_unique<CComboNet>();
}
CTabSyncData::~CTabSyncData() = default;

void CTabSyncData::DoDataExchange(CDataExchange* dx)
{
    CTabPageSSL::DoDataExchange(dx);
    DDX_Control(dx, kCountId, count_);
    for (int i = 0; i < kSyncMaxDataNets; ++i) {
        DDX_Control(dx, static_cast<int>(kDataNetFirstId) + i, *data_net[static_cast<std::size_t>(i)]);
        DDX_Control(dx, static_cast<int>(kLsbFirstId) + i, lsb_checks_[static_cast<std::size_t>(i)]);
    }
}

void CTabSyncData::Fill()
{
    if (!HasWindow(*this)) return;
    num_data_nets = SyncClampNets(num_data_nets);
    count_.ResetContent();
    for (int n = 1; n <= kSyncMaxDataNets; ++n) count_.AddString(std::to_string(n).c_str());
    count_.SetCurSel(num_data_nets - 1);
    for (std::size_t i = 0; i < lsb_checks_.size(); ++i)
        lsb_checks_[i].SetCheck(lsb[i] != 0 ? BST_CHECKED : BST_UNCHECKED);
    ApplyEnabling();
}

void CTabSyncData::Read()
{
    if (!HasWindow(*this)) return;
    const int sel = count_.GetCurSel();
    if (sel >= 0) num_data_nets = sel + 1;
    for (std::size_t i = 0; i < lsb_checks_.size(); ++i) lsb[i] = lsb_checks_[i].GetCheck() == BST_CHECKED ? 1 : 0;
}

void CTabSyncData::ResetSettings()
{
    num_data_nets = 1;
    for (std::size_t i = 0; i < data_net.size(); ++i) {
        lsb[i] = 0;
        data_net[i]->SetRememberedSel(0);
        if (HasWindow(*data_net[i]) && data_net[i]->GetCount() > 0) data_net[i]->SetCurSel(0);
    }
    Fill();
}

void CTabSyncData::ApplyEnabling()
{
    for (std::size_t i = 0; i < data_net.size(); ++i) {
        const BOOL on = static_cast<int>(i) < num_data_nets;
        data_net[i]->EnableWindow(on);
        lsb_checks_[i].EnableWindow(on);
    }
}

void CTabSyncData::OnCountChange()
{
    Read();
    ApplyEnabling();
}

// ---- Display ---------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CTabSyncDisplay, CTabPageSSL)
    ON_CBN_SELCHANGE(kDisplayClkId, &CTabSyncDisplay::OnChange)
    ON_CBN_SELCHANGE(kDisplayDataId, &CTabSyncDisplay::OnChange)
END_MESSAGE_MAP()

void CTabSyncDisplay::DoDataExchange(CDataExchange* dx)
{
    CTabPageSSL::DoDataExchange(dx);
    DDX_Control(dx, kDisplayClkId, clock_);
    DDX_Control(dx, kDisplayDataId, data_);
}

void CTabSyncDisplay::Fill()
{
    if (!HasWindow(*this)) return;
    display_clk = std::clamp(display_clk, 0, 2);
    display_data = std::clamp(display_data, 0, 2);
    clock_.ResetContent();
    for (const char* text : kClockDisplayTexts) clock_.AddString(text);
    clock_.SetCurSel(display_clk);
    data_.ResetContent();
    for (const char* text : kDataDisplayTexts) data_.AddString(text);
    data_.SetCurSel(display_data);
}

void CTabSyncDisplay::Read()
{
    if (!HasWindow(*this)) return;
    if (clock_.GetCurSel() >= 0) display_clk = clock_.GetCurSel();
    if (data_.GetCurSel() >= 0) display_data = data_.GetCurSel();
}

void CTabSyncDisplay::ResetSettings()
{
    display_clk = CLK_SYMBOL_START;
    display_data = DATA_BOUNDS_VALUE;
    Fill();
}

void CTabSyncDisplay::OnChange()
{
    Read();
}

// ---- Results ---------------------------------------------------------------------------------

void CTabSyncResults::DoDataExchange(CDataExchange* dx)
{
    CTabPageSSL::DoDataExchange(dx);
    DDX_Control(dx, kResultsId, text_);
}

void CTabSyncResults::SetText(const CString& text)
{
    if (HasWindow(text_)) text_.SetWindowText(text);
}

CString CTabSyncResults::GetText() const
{
    CString text;
    if (HasWindow(text_)) text_.GetWindowText(text);
    return text;
}
