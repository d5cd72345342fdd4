#include "tools/measure/MeasureDialog.h"

#include "core/data/OscData.h"
#include "core/measure/OscFormat.h"
#include "platform/kernel/Sync.h"

#include <string>

namespace {

// Room beside a column's header text, so the header never touches the column edge.
constexpr int kHeaderPadding = 15;

using MeasureText = std::string (*)(const OscData&, int);

struct MeasureRow {
    const char* label;
    MeasureText value;
};

constexpr MeasureRow kRowTable[CMeasureDialog::kRows] = {
    {"F = ", &FormatMeasuredFrequency},  {"T = ", &FormatMeasuredPeriod},
    {"Uср = ", &FormatMeasuredMean},     {"Uminср = ", &FormatMeasuredBase},
    {"Umaxср = ", &FormatMeasuredTop},   {"A = ", &FormatMeasuredAmplitude},
    {"Aср = ", &FormatMeasuredMidLevel}, {"Umin = ", &FormatMeasuredMin},
    {"Umax = ", &FormatMeasuredMax},
};

constexpr const char* kColumnTitles[CMeasureDialog::kChannels] = {"Канал A", "Канал B"};
constexpr std::uint16_t kChannelOn[CMeasureDialog::kChannels] = {OSC_CR_CH_A_ON, OSC_CR_CH_B_ON};

}  // namespace

CMeasureDialog::CMeasureDialog() = default;

CMeasureDialog::CMeasureDialog(CWnd* parent) : CToolDialog(IDD, parent)
{
    Create(IDD, parent);
}

CMeasureDialog::~CMeasureDialog()
{
    if (GetSafeHwnd() != nullptr)
        DestroyWindow();
}

void CMeasureDialog::DoDataExchange(CDataExchange* dx)
{
    CToolDialog::DoDataExchange(dx);
    DDX_Control(dx, kListId, list_);
}

BOOL CMeasureDialog::OnInitDialog()
{
    CToolDialog::OnInitDialog();
    list_.FitToParent();
    list_.DisableSorting();
    for (int c = 0; c < kChannels; ++c)
        list_.InsertColumn(c, kColumnTitles[c], LVCFMT_LEFT, list_.GetStringWidth(kColumnTitles[c]) + kHeaderPadding);
    for (int row = 0; row < kRows; ++row)
        list_.InsertItem(row, "");
    CRect client;
    list_.GetClientRect(&client);
    for (int c = 0; c < kChannels; ++c)
        list_.SetColumnWidth(c, client.Width() / 2);
    return FALSE;
}

void CMeasureDialog::WriteChannel(const OscData& data, int channel)
{
    for (int row = 0; row < kRows; ++row)
    {
        const std::string text = kRowTable[row].label + kRowTable[row].value(data, channel);
        list_.SetItemText(row, channel, text.c_str());
    }
}

void CMeasureDialog::Refresh()
{
    if (GetSafeHwnd() == nullptr || !IsWindowVisible())
        return;
    // One lock for the whole table: both columns come from the same measurement pass.
    CSingleLock lock(&DataLock, TRUE);
    OscData& data = *GetOscData();
    if ((data.status & STATUS_MEASURED) == 0)
        return;
    data.status &= ~STATUS_MEASURED;
    for (int c = 0; c < kChannels; ++c)
    {
        if ((data.osc_cr & kChannelOn[c]) != 0)
            WriteChannel(data, c);
        else if (!list_.GetItemText(0, c).empty())
            for (int row = 0; row < kRows; ++row)
                list_.SetItemText(row, c, "");
    }
}
