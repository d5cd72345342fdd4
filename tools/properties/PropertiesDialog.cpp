#include "tools/properties/PropertiesDialog.h"

#include "app/main/VelkaroDlg.h"
#include "core/data/OscData.h"
#include "core/data/ValueFormat.h"
#include "core/measure/OscFormat.h"
#include "platform/gdi/DC.h"
#include "platform/kernel/Sync.h"
#include "platform/ui/DataExchange.h"
#include "tools/calibration/DialogCalibrate.h"
#include "tools/properties/ShortenedPath.h"

namespace {

// The bases the logic analyser's bus values are shown in, by the main window's radix.
constexpr const char* RADIX_NAMES[] = {"HEX", "DEC", "BIN"};
constexpr int RADIX_COUNT = static_cast<int>(std::size(RADIX_NAMES));

}  // namespace

BEGIN_MESSAGE_MAP(CPropertiesDialog, CToolDialog)
    ON_BN_CLICKED(CPropertiesDialog::IDC_CALIBRATE, &CPropertiesDialog::OnCalibrate)
END_MESSAGE_MAP()

void CPropertiesDialog::OnCalibrate()
{
    if (main_ != nullptr)
        OnCalibrateClicked(*main_);
}

CPropertiesDialog::CPropertiesDialog(CVelkaroDlg* parent)
    : CToolDialog(IDD, parent, Forwarding::Commands), main_(parent)
{
    Create(IDD, parent);
}

void CPropertiesDialog::DoDataExchange(CDataExchange* dx)
{
    CToolDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_MODE, m_mode);
    DDX_Control(dx, IDC_MAX_BUFFER, m_max_buffer);
    DDX_Control(dx, IDC_OUT_FREQ, m_out_freq);
    if (main_ != nullptr) DDX_CBIndex(dx, IDC_RADIX, main_->bus_radix);
}

BOOL CPropertiesDialog::OnInitDialog()
{
    // A radix from an older or damaged settings file falls back to hexadecimal.
    if (main_ != nullptr && (main_->bus_radix < 0 || main_->bus_radix >= RADIX_COUNT)) main_->bus_radix = 0;
    CToolDialog::OnInitDialog();
    if (auto* radix = static_cast<CComboBox*>(GetDlgItem(IDC_RADIX))) {
        radix->ResetContent();
        for (const char* name : RADIX_NAMES) radix->AddString(name);
    }
    // The list is filled only now: select the radix again.
    UpdateData(FALSE);
    return FALSE;
}

bool CPropertiesDialog::ReadControls()
{
    return m_hWnd != nullptr && UpdateData(TRUE) != FALSE;
}

std::string CPropertiesDialog::InterpolationText(const OscData& data)
{
    return "Используемая интерполяция: " + std::string(data.GetInterpolationName());
}

std::string CPropertiesDialog::BufferText(const OscData& data)
{
    // In floating point: a decimation read from the settings file may be the largest value
    // its field holds, where x_skip + 1 would wrap to zero.
    const double fs = static_cast<double>(data.GetSampleRateKHz()) * 1000.0 / (static_cast<double>(data.x_skip) + 1.0);
    return "Размер буфера: " + FormatCaptureTime(data) + "\r\nFsampling = " + FormatFrequency(fs);
}

void CPropertiesDialog::Refresh()
{
    if (m_hWnd == nullptr || !IsWindowVisible()) return;
    std::string interpolation;
    std::string buffer;
    std::string files[2];
    {
        CSingleLock lock(&DataLock, TRUE);
        const OscData* data = PeekOscData();
        if (data == nullptr) return;
        interpolation = InterpolationText(*data);
        buffer = BufferText(*data);
        files[0] = data->str_datalogger_fn[0];
        files[1] = data->str_datalogger_fn[1];
    }
    // Only changed texts are set: the read-outs would flicker ten times a second otherwise.
    const auto show = [this](UINT id, const std::string& text) {
        CString now;
        GetDlgItemText(id, now);
        if (std::string(now) != text) SetDlgItemText(id, text.c_str());
    };
    show(IDC_INTERPOLATION, interpolation);
    show(IDC_BUFFER_INFO, buffer);
    ShowFileName(IDC_FILE_A, files[0]);
    ShowFileName(IDC_FILE_B, files[1]);
}

void CPropertiesDialog::ShowFileName(UINT id, const std::string& path)
{
    CWnd* control = GetDlgItem(id);
    if (control == nullptr) return;
    CRect rect;
    control->GetClientRect(&rect);
    CDC* dc = control->GetDC();
    if (dc == nullptr) return;
    CFont* old = dc->SelectObject(control->GetFont());
    const std::string text = ShortenPathToWidth(path, rect.Width(), [dc](const std::string& s) {
        return static_cast<int>(dc->GetTextExtent(s).cx);
    });
    if (old != nullptr) dc->SelectObject(old);
    control->ReleaseDC(dc);
    CString now;
    control->GetWindowText(now);
    if (std::string(now) != text) control->SetWindowText(text.c_str());
}
