// The asynchronous decoder's window, pages and settings.

#include "logic/async/AsyncAnalyzer.h"

#include "core/data/OscData.h"
#include "platform/kernel/Sync.h"
#include "platform/ui/DataExchange.h"

BEGIN_MESSAGE_MAP(CAsyncAnalyzer, CToolDialog)
    ON_BN_CLICKED(CAsyncAnalyzer::kProcessId, &CAsyncAnalyzer::OnBnClickedProcess)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CAsyncAnalyzer::CAsyncAnalyzer()
    : CToolDialog(IDD, nullptr),
      condition_(std::make_unique<CTabAsyncCondition>()),
      data_(std::make_unique<CTabAsyncData>()),
      display_(std::make_unique<CTabAsyncDisplay>()),
      results_(std::make_unique<CTabAsyncResults>())
{
    Create(IDD, nullptr);
}

CAsyncAnalyzer::~CAsyncAnalyzer()
{
    if (GetSafeHwnd() != 0)
        DestroyWindow();
}

void CAsyncAnalyzer::DoDataExchange(CDataExchange* dx)
{
    CToolDialog::DoDataExchange(dx);
    DDX_Control(dx, kTabId, tabs_);
}

BOOL CAsyncAnalyzer::OnInitDialog()
{
    CToolDialog::OnInitDialog();
    condition_->Create(CTabAsyncCondition::IDD, this);
    data_->Create(CTabAsyncData::IDD, this);
    display_->Create(CTabAsyncDisplay::IDD, this);
    results_->Create(CTabAsyncResults::IDD, this);
    // This window owns the pages; the tab control only shows them.
    tabs_.AddPage("Условия", PAGE_CONDITION, condition_.get(), 0);
    tabs_.AddPage("Данные", PAGE_DATA, data_.get(), 0);
    tabs_.AddPage("Отображение", PAGE_DISPLAY, display_.get(), 0);
    tabs_.AddPage("Результаты", PAGE_RESULTS, results_.get(), 0);
    return TRUE;
}

void CAsyncAnalyzer::Reset()
{
    condition_->SetValues(0, 0);
    data_->num_data_nets = 1;
    for (int i = 0; i < CTabAsyncData::kRows; ++i) {
        const auto row = static_cast<std::size_t>(i);
        CComboNet& net = data_->Net(i);
        net.SetRememberedSel(0);
        // A filled list shows (and would store) the first net too.
        if (net.GetSafeHwnd() != nullptr && net.GetCount() > 0)
            net.SetCurSel(0);
        data_->msb[row] = 0;
        data_->num_data[row] = 8;
        data_->parity[row] = PARITY_NONE;
    }
    data_->ShowValues(false);
    display_->SetMode(CTabAsyncDisplay::BOUNDS_AND_VALUE);
    CToolDialog::Reset();
}

void CAsyncAnalyzer::OnShowTool(bool shown)
{
    if (!shown)
        return;
    condition_->ShowValues();
    data_->ShowValues(true);
    display_->ShowValues();
}

void CAsyncAnalyzer::OnCancel()
{
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* data = GetOscData();
        if (!was_stopped_ && (data->mode & MODE_STOPPED) != 0)
            data->ToggleStop();
        // Once resumed, a second close must not stop it again.
        was_stopped_ = true;
    }
    // A processing still waiting is given up: the capture it waited for runs on.
    KillTimer(kWaitTimerId);
    // Esc and the close box have hidden the window already; the button has not.
    if (IsWindowVisible()) {
        ShowWindow(SW_HIDE);
        OnShowTool(false);
    }
}

void CAsyncAnalyzer::ClearResults()
{
    for (auto& net : packets_)
        net.clear();
    results_->SetText("");
}

CAsyncAnalyzer::Snapshot CAsyncAnalyzer::TakeSnapshot() const
{
    Snapshot s;
    s.timeout = condition_->GetTimeout();
    s.markers = condition_->GetUseMarkers();
    s.num_nets = std::clamp(data_->num_data_nets, 1, CTabAsyncData::kRows);
    s.display = display_->GetMode();
    for (int i = 0; i < CTabAsyncData::kRows; ++i) {
        const auto row = static_cast<std::size_t>(i);
        AsyncNetSettings& net = s.net[row];
        const int channel = data_->Net(i).SelectedChannel();
        const int line = data_->Net(i).SelectedLine();
        net.channel = channel;
        net.mask = line >= 0 ? 1u << line : 0u;
        net.msb = data_->msb[row];
        net.data_bits = data_->num_data[row];
        net.parity = data_->parity[row];
    }
    return s;
}
