// The synchronous decoder's window: its pages, closing, reset and showing.

#include "logic/sync/SyncAnalyzer.h"

#include "core/data/OscData.h"
#include "platform/kernel/Sync.h"
#include "platform/ui/DataExchange.h"

namespace {

struct PageTitle {
    const char* title;
    int id;
};

constexpr PageTitle kPages[] = {{"Тактирование", CSyncAnalyzer::PAGE_CLK},
                                {"Условия", CSyncAnalyzer::PAGE_CONDITION},
                                {"Данные", CSyncAnalyzer::PAGE_DATA},
                                {"Отображение", CSyncAnalyzer::PAGE_DISPLAY},
                                {"Результаты", CSyncAnalyzer::PAGE_RESULTS}};

}  // namespace

BEGIN_MESSAGE_MAP(CSyncAnalyzer, CToolDialog)
    ON_BN_CLICKED(CSyncAnalyzer::kProcessId, &CSyncAnalyzer::OnBnClickedProcess)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CSyncAnalyzer::CSyncAnalyzer(CWnd* parent)
    : CToolDialog(IDD, parent),
      tab_clk_(std::make_unique<CTabSyncClk>()),
      tab_condition_(std::make_unique<CTabSyncCondition>()),
      tab_data_(std::make_unique<CTabSyncData>()),
      tab_display_(std::make_unique<CTabSyncDisplay>()),
      tab_results_(std::make_unique<CTabSyncResults>())
{
    Create(IDD, parent);
}

CSyncAnalyzer::~CSyncAnalyzer()
{
    // The tab control destroys the page windows with its own; the page objects go after.
    if (GetSafeHwnd() != nullptr) DestroyWindow();
}

void CSyncAnalyzer::DoDataExchange(CDataExchange* dx)
{
    CToolDialog::DoDataExchange(dx);
    DDX_Control(dx, kTabId, tabs_);
}

BOOL CSyncAnalyzer::OnInitDialog()
{
    CToolDialog::OnInitDialog();
    CTabPageSSL* pages[] = {tab_clk_.get(), tab_condition_.get(), tab_data_.get(), tab_display_.get(),
                            tab_results_.get()};
    const UINT templates[] = {CTabSyncClk::IDD, CTabSyncCondition::IDD, CTabSyncData::IDD, CTabSyncDisplay::IDD,
                              CTabSyncResults::IDD};
    for (std::size_t i = 0; i < std::size(pages); ++i) {
        if (!pages[i]->Create(templates[i], this)) continue;
        // The analyser owns its pages: the control must not delete them.
        tabs_.AddPage(kPages[i].title, kPages[i].id, pages[i], 0);
    }
    tab_clk_->Fill();
    tab_condition_->Fill();
    tab_data_->Fill();
    tab_display_->Fill();
    return TRUE;
}

void CSyncAnalyzer::OnCancel()
{
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData& d = *GetOscData();
        // Processing stopped a running capture to read it whole; closing lets it run again.
        if (!was_stopped_ && (d.mode & MODE_STOPPED) != 0) d.ToggleStop();
        // Once resumed, a second close must not toggle it back.
        was_stopped_ = true;
    }
    KillTimer(kPollTimer);
    if (GetSafeHwnd() != nullptr && IsWindowVisible()) {
        ShowWindow(SW_HIDE);
        OnShowTool(false);
    }
}

void CSyncAnalyzer::Reset()
{
    if (GetSafeHwnd() != nullptr) {
        ShowWindow(SW_HIDE);
        OnShowTool(false);
    }
    tab_clk_->ResetSettings();
    tab_condition_->ResetSettings();
    tab_data_->ResetSettings();
    tab_display_->ResetSettings();
}

void CSyncAnalyzer::OnShowTool(bool shown)
{
    if (!shown || GetSafeHwnd() == nullptr) return;
    tab_clk_->clk_net->FillNets();
    tab_clk_->Fill();
    int depth = 0;
    {
        CSingleLock lock(&DataLock, TRUE);
        depth = static_cast<int>(GetOscData()->GetMemoryDepth());
    }
    tab_condition_->SetOffsetRange(depth);
    tab_condition_->cs_net->FillNets();
    tab_condition_->Fill();
    for (auto& net : tab_data_->data_net) net->FillNets();
    tab_data_->Fill();
    tab_display_->Fill();
}

void CSyncAnalyzer::ClearResults()
{
    result_.clock_edges.clear();
    for (auto& packets : result_.packets) packets.clear();
    text_.clear();
    tab_results_->SetText(text_);
}

void CSyncAnalyzer::ReadPages()
{
    tab_clk_->Read();
    tab_condition_->Read();
    tab_data_->Read();
    tab_display_->Read();
}
