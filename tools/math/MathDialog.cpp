// The window itself: creation, controls, the record, the tooltip and the math trace's choice.
// The spectrum and filter commands are in MathDialogTools.cpp.

#include "tools/math/MathDialog.h"

#include "app/main/VelkaroDlg.h"
#include "core/data/OscData.h"
#include "platform/kernel/CString.h"
#include "platform/kernel/Sync.h"
#include "platform/ui/App.h"

#include <string>

BEGIN_MESSAGE_MAP(CMathDialog, CToolDialog)
    ON_WM_TIMER()
    ON_CBN_SELCHANGE(CMathDialog::IDC_FFT_CHANNEL, &CMathDialog::OnFftChannelChange)
    ON_CBN_SELCHANGE(CMathDialog::IDC_MATH_OP, &CMathDialog::OnMathOpChange)
    ON_BN_CLICKED(CMathDialog::IDC_SCREEN_FFT, &CMathDialog::OnScreenFftClicked)
    ON_BN_CLICKED(CMathDialog::IDC_BUFFER_FFT, &CMathDialog::OnBufferFftClicked)
    ON_BN_CLICKED(CMathDialog::IDC_APPLY_FILTER, &CMathDialog::OnApplyFilterClicked)
    ON_BN_CLICKED(CMathDialog::IDC_DESIGN_FILTER, &CMathDialog::OnDesignFilterClicked)
    ON_BN_CLICKED(CMathDialog::IDC_MAGNITUDE_VIEW, &CMathDialog::OnMagnitudeViewClicked)
    ON_BN_CLICKED(CMathDialog::IDC_PHASE_VIEW, &CMathDialog::OnPhaseViewClicked)
    ON_BN_CLICKED(CMathDialog::IDC_FREQ_RESPONSE, &CMathDialog::OnFreqResponseClicked)
END_MESSAGE_MAP()

namespace {

struct ControlTip {
    UINT id;
    const char* text;
};

// The math trace's controls belong to the main window, but their tips are shown here.
constexpr ControlTip kControlTips[] = {
    {CMathDialog::IDC_MATH_OFFSET, "Значение смещения по напряжению канала математики\r\nотносительно середины"},
    {CMathDialog::IDC_MATH_OFFSET_SPIN, "Изменение смещения по напряжению канала математики\r\nотносительно середины"},
    {CMathDialog::IDC_MATH_ZERO, "Возвращение смещения канала математики в нуль"},
};

}  // namespace

CMathDialog::CMathDialog() = default;

CMathDialog::CMathDialog(CWnd* parent) : CToolDialog(IDD, parent, Forwarding::CommandsAndNotifications)
{
    // The math trace's volts/div list is the main window's member, shown in this window.
    if (auto* main = dynamic_cast<CVelkaroDlg*>(parent))
        math_vdiv_list_ = &main->math_vdiv_list;
    Create(IDD, parent);
    if (GetSafeHwnd() != nullptr)
    {
        ShowWindow(SW_HIDE);
        CToolDialog::OnShowTool(false);
    }
}

CMathDialog::~CMathDialog()
{
    // The spectrum window writes into rect_dlg_fft until it is gone.
    fft_.reset();
    if (tooltip_.GetSafeHwnd() != nullptr)
        tooltip_.DestroyWindow();
    if (GetSafeHwnd() != nullptr)
        DestroyWindow();
}

void CMathDialog::Reset()
{
    CToolDialog::Reset();
    rect_dlg_fft = CDialogFFT::DefaultRect();
    math_op = 0;
    fir_params.type = FIR_TYPE_LPF;
    fir_params.len = 128;
}

void CMathDialog::DoDataExchange(CDataExchange* dx)
{
    CToolDialog::DoDataExchange(dx);
    DDX_CBIndex(dx, IDC_FFT_CHANNEL, fft_channel);
    DDX_CBIndex(dx, IDC_FILTER_CHANNEL, filter_channel);
    DDX_CBIndex(dx, IDC_MATH_OP, math_op);
    if (math_vdiv_list_ != nullptr)
        DDX_Control(dx, IDC_MATH_VDIV_LIST, *math_vdiv_list_);
}

void CMathDialog::FillCombo(int id, std::initializer_list<const char*> items)
{
    auto* combo = static_cast<CComboBox*>(GetDlgItem(id));
    if (combo == nullptr)
        return;
    combo->ResetContent();
    for (const char* item : items)
        combo->AddString(item);
    combo->SetCurSel(0);
}

BOOL CMathDialog::OnInitDialog()
{
    CToolDialog::OnInitDialog();
    FillCombo(IDC_FFT_CHANNEL, {"Канал A", "Канал B"});
    FillCombo(IDC_FILTER_CHANNEL, {"Канал A", "Канал B", "Канал AB"});
    FillCombo(IDC_MATH_OP, {"Нет", "A+B", "A-B", "B-A"});
    tooltip_.Create(this);
    RegisterToolTips();
    UpdateData(TRUE);
    return TRUE;
}

void CMathDialog::RegisterToolTips()
{
    const HICON icon = LoadIcon(nullptr, IDI_INFORMATION);
    for (const ControlTip& tip : kControlTips)
        if (CWnd* control = GetDlgItem(static_cast<int>(tip.id)))
            tooltip_.AddTool(control, CPPToolTip::IconTipText(icon, tip.text));
}

BOOL CMathDialog::PreTranslateMessage(MSG* msg)
{
    if (tooltip_.GetSafeHwnd() != nullptr)
        tooltip_.RelayEvent(msg);
    return CToolDialog::PreTranslateMessage(msg);
}

void CMathDialog::AfterLoad()
{
    // A stored record may hold anything: an operation the main window cannot draw, or a
    // rectangle that would put the spectrum window where nobody can see it.
    if (math_op < 0 || math_op > 3)
        math_op = 0;
    CDialogFFT::SanitizeRect(rect_dlg_fft);
    if (GetSafeHwnd() != nullptr)
        UpdateData(FALSE);
}

void CMathDialog::OnFftChannelChange()
{
    UpdateData(TRUE);
    CSingleLock lock(&DataLock, TRUE);
    OscData& d = *GetOscData();
    if (fft_channel == 0)
        d.mode |= MODE_SPECTRUM_A;
    else
        d.mode &= ~MODE_SPECTRUM_A;
}

void CMathDialog::OnMathOpChange()
{
    UpdateData(TRUE);
    // The trail of the old operation would be drawn under the new trace.
    if (auto* main = dynamic_cast<CVelkaroDlg*>(GetParent()))
        main->ClearTrail(2);
}
