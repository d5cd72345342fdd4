#include "logic/analyzer/LAnalyzerDialog.h"

#include "app/main/VelkaroDlg.h"
#include "core/data/OscData.h"
#include "logic/analyzer/NetEdit.h"
#include "platform/kernel/Sync.h"
#include "platform/ui/DataExchange.h"

#include <algorithm>
#include <memory>
#include <string>

namespace {

constexpr int kLines = 8;
// Channel capability bits: the channel can carry logic lines.
constexpr BYTE kLogicCapsA = 0x02;
constexpr BYTE kLogicCapsB = 0x10;
// Room beside a column title.
constexpr int kTitleMargin = 15;

// Index of a net in the main window's tables.
std::size_t NetIndex(int channel, int line)
{
    return static_cast<std::size_t>(channel * kLines + line);
}

// The chart is drawn again from the stored capture, so a changed display choice shows while
// the acquisition is stopped too.
void RedrawChart(OscData& data)
{
    data.status &= ~STATUS_FRAME_READY;
    data.status |= STATUS_REDRAW;
}

}  // namespace

BEGIN_MESSAGE_MAP(CLAnalyzerDialog, CToolDialog)
    ON_BN_CLICKED(CLAnalyzerDialog::kShowNamesId, &CLAnalyzerDialog::OnBnClickedShowNetNames)
    ON_BN_CLICKED(CLAnalyzerDialog::kSyncButtonId, &CLAnalyzerDialog::OnBnClickedSyncAnalyzer)
    ON_BN_CLICKED(CLAnalyzerDialog::kAsyncButtonId, &CLAnalyzerDialog::OnBnClickedAsyncAnalyzer)
    ON_MESSAGE(WM_REPORTCTRL_SELECT, &CLAnalyzerDialog::OnReportCtrlSelect)
END_MESSAGE_MAP()

CLAnalyzerDialog::CLAnalyzerDialog() = default;

CLAnalyzerDialog::CLAnalyzerDialog(CWnd* parent) : CToolDialog(IDD, parent, Forwarding::Commands)
{
    Create(IDD, parent);
}

CLAnalyzerDialog::~CLAnalyzerDialog()
{
    if (GetSafeHwnd() != nullptr) DestroyWindow();
}

CNetEdit* CLAnalyzerDialog::GetNetEdit() const
{
    return dynamic_cast<CNetEdit*>(list_.GetEditor());
}

void CLAnalyzerDialog::DoDataExchange(CDataExchange* dx)
{
    CToolDialog::DoDataExchange(dx);
    DDX_Control(dx, kListId, list_);
}

BOOL CLAnalyzerDialog::OnInitDialog()
{
    CToolDialog::OnInitDialog();
    tooltip_.Create(this);
    // The analysers are top-level windows of their own, hidden until their buttons open them.
    sync_ = std::make_unique<CSyncAnalyzer>(nullptr);
    async_ = std::make_unique<CAsyncAnalyzer>();

    list_.DisableSorting();
    list_.InsertColumn(0, "Цепь", LVCFMT_LEFT, list_.GetStringWidth("Цепь") + kTitleMargin);
    list_.InsertColumn(1, "Имя", LVCFMT_LEFT, list_.GetStringWidth("Имя") + kTitleMargin);
    list_.SetCheckMode(CReportCtrl::Multiple);
    list_.SetExtendedStyle(list_.GetExtendedStyle() | LVS_EX_GRIDLINES);
    list_.EnableEditing(true);
    list_.SetColumnReadOnly(0);
    auto editor = std::make_unique<CNetEdit>();
    editor->SetList(&list_);
    list_.SetEditor(std::move(editor));
    list_.AutoSizeColumn(0);
    list_.StretchColumnToClient(1);
    if (MainDialog != nullptr) CheckDlgButton(kShowNamesId, MainDialog->la_net_display_labels ? BST_CHECKED : BST_UNCHECKED);
    return FALSE;
}

void CLAnalyzerDialog::Reset()
{
    CToolDialog::Reset();
    if (sync_ != nullptr) sync_->Reset();
    if (async_ != nullptr) async_->Reset();
}

void CLAnalyzerDialog::DrawDecoderOverlays(CDC& dc, CChartCtrl& chart)
{
    if (sync_ != nullptr) sync_->DrawOverlay(&dc, &chart);
    if (async_ != nullptr) async_->DrawOverlay(&dc, &chart);
}

void CLAnalyzerDialog::ClearDecoderResults()
{
    if (sync_ != nullptr) sync_->ClearResults();
    if (async_ != nullptr) async_->ClearResults();
}

void CLAnalyzerDialog::OnShowTool(bool shown)
{
    if (shown) RebuildNetList();
}

void CLAnalyzerDialog::RebuildNetList()
{
    if (list_.GetSafeHwnd() == nullptr) return;
    // An open edit keeps what was typed: ending it here commits, where clearing the rows would
    // drop it.
    list_.EndEdit(true);
    CSingleLock lock(&DataLock, TRUE);
    list_.DeleteAllItems();
    auto editor = std::make_unique<CNetEdit>();
    editor->SetList(&list_);
    const BYTE caps = GetOscData()->GetChannelCaps();
    int row = 0;
    for (int channel = 0; channel < 2; ++channel) {
        if ((caps & (channel == 0 ? kLogicCapsA : kLogicCapsB)) == 0) continue;
        for (int line = kLines - 1; line >= 0; --line, ++row) {
            const std::string label = std::string(1, static_cast<char>('A' + channel)) + std::to_string(line);
            list_.InsertItem(row, label.c_str());
            list_.SetItemData(row, static_cast<DWORD_PTR>(channel << 8 | line));
            if (MainDialog != nullptr) {
                list_.SetItemText(row, 1, MainDialog->GetNetName(channel, line).c_str());
                list_.SetCheck(row, MainDialog->la_net_display[NetIndex(channel, line)] != 0);
            }
            editor->AddRow(channel, line);
        }
    }
    list_.SetEditor(std::move(editor));
    // The names take what is left beside the vertical scroll bar when the rows need one, and
    // the whole width when they do not, so neither a gap nor a sideways bar appears. The list
    // lays out its bar only later: the client width now still counts the bar of the rows
    // before, which may come or go with these.
    list_.StretchColumnToClient(1);
    CRect client;
    CRect outer;
    list_.GetClientRect(&client);
    list_.GetWindowRect(&outer);
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    const bool barCounted = outer.Width() - client.Width() >= bar;
    const bool barNeeded = list_.GetItemCount() > list_.GetCountPerPage();
    if (barCounted != barNeeded)
        list_.SetColumnWidth(1, std::max(0, list_.GetColumnWidth(1) + (barCounted ? bar : -bar)));
    if (MainDialog != nullptr) CheckDlgButton(kShowNamesId, MainDialog->la_net_display_labels ? BST_CHECKED : BST_UNCHECKED);
    lock.Unlock();
    // Their net combos show the names as they are now.
    if (sync_ != nullptr) sync_->OnShowTool(true);
    if (async_ != nullptr) async_->OnShowTool(true);
}

void CLAnalyzerDialog::OnBnClickedShowNetNames()
{
    if (MainDialog == nullptr) return;
    bool shown = false;
    {
        CSingleLock lock(&DataLock, TRUE);
        MainDialog->la_net_display_labels = !MainDialog->la_net_display_labels;
        shown = MainDialog->la_net_display_labels;
        RedrawChart(*GetOscData());
    }
    CheckDlgButton(kShowNamesId, shown ? BST_CHECKED : BST_UNCHECKED);
}

void CLAnalyzerDialog::OnBnClickedSyncAnalyzer()
{
    if (sync_ == nullptr || sync_->GetSafeHwnd() == nullptr) return;
    sync_->ShowWindow(SW_SHOW);
    sync_->OnShowTool(true);
}

void CLAnalyzerDialog::OnBnClickedAsyncAnalyzer()
{
    if (async_ == nullptr || async_->GetSafeHwnd() == nullptr) return;
    async_->ShowWindow(SW_SHOW);
    async_->OnShowTool(true);
}

LRESULT CLAnalyzerDialog::OnReportCtrlSelect(WPARAM row, LPARAM /*message*/)
{
    const int r = static_cast<int>(row);
    if (MainDialog == nullptr || r < 0 || r >= list_.GetItemCount()) return 0;
    const auto data = static_cast<unsigned>(list_.GetItemData(r));
    const int channel = static_cast<int>((data >> 8) & 0xF);
    const int line = static_cast<int>(data & 0xF);
    if (channel > 1 || line >= kLines) return 0;
    CSingleLock lock(&DataLock, TRUE);
    unsigned char& shown = MainDialog->la_net_display[NetIndex(channel, line)];
    shown = shown != 0 ? 0 : 1;
    RedrawChart(*GetOscData());
    return 0;
}
