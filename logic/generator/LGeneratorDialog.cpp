#include "logic/generator/LGeneratorDialog.h"

#include "platform/ui/DataExchange.h"

#include <algorithm>

namespace {

// Line k starts this long and grows by kRowGrowth bits a line, so that the lines of the
// start-up counter end at different places and the user sees each line's own length.
constexpr int kFirstRowBits = 8;
constexpr int kRowGrowth = 2;

}  // namespace

BEGIN_MESSAGE_MAP(CLGeneratorDialog, CToolDialog)
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    ON_WM_TIMER()
END_MESSAGE_MAP()

CLGeneratorDialog::CLGeneratorDialog() = default;

CLGeneratorDialog::CLGeneratorDialog(CWnd* parent) : CToolDialog(IDD, parent, Forwarding::Commands)
{
    Create(IDD, parent);
}

CLGeneratorDialog::~CLGeneratorDialog()
{
    if (GetSafeHwnd() != nullptr) DestroyWindow();
}

const unsigned char* CLGeneratorDialog::GetRowBytes(int row) const
{
    if (row < 0 || row >= kRows) return nullptr;
    return pattern_.data() + static_cast<std::size_t>(row) * kRowBytes;
}

void CLGeneratorDialog::DoDataExchange(CDataExchange* dx)
{
    CToolDialog::DoDataExchange(dx);
    DDX_Control(dx, kBusId, bus_);
}

void CLGeneratorDialog::FillInitialPattern()
{
    pattern_.fill(0);
    // A binary counter: bit j of line k is bit k of j, line 0 the fastest.
    for (int k = 0; k < kRows; ++k) {
        unsigned char* row = pattern_.data() + static_cast<std::size_t>(k) * kRowBytes;
        const int bits = kFirstRowBits + kRowGrowth * k;
        for (int j = 0; j < bits; ++j)
            if (((j >> k) & 1) != 0) row[j / 8] |= static_cast<unsigned char>(0x80 >> (j % 8));
        bus_.AddRow(bits, row);
    }
}

BOOL CLGeneratorDialog::OnInitDialog()
{
    CToolDialog::OnInitDialog();
    FillInitialPattern();
    CRect client;
    GetClientRect(&client);
    CRect bus;
    bus_.GetWindowRect(&bus);
    margin_x_ = client.Width() - bus.Width();
    margin_y_ = client.Height() - bus.Height();
    bus_.Redraw();
    return TRUE;
}

void CLGeneratorDialog::OnSize(UINT type, int cx, int cy)
{
    CToolDialog::OnSize(type, cx, cy);
    if (bus_.GetSafeHwnd() == nullptr) return;
    bus_.SetWindowPos(nullptr, 0, 0, std::max(0, cx - margin_x_), std::max(0, cy - margin_y_),
                      SWP_NOMOVE | SWP_NOZORDER);
}

void CLGeneratorDialog::OnGetMinMaxInfo(MINMAXINFO* info)
{
    CToolDialog::OnGetMinMaxInfo(info);
    info->ptMinTrackSize = POINT{kMinWidth, kMinHeight};
}

void CLGeneratorDialog::OnTimer(UINT_PTR id)
{
    CToolDialog::OnTimer(id);
    bus_.Redraw();
}
