#include "tools/save/DialogSave.h"

#include "core/data/OscData.h"
#include "platform/kernel/FileReplace.h"
#include "platform/kernel/Sync.h"
#include "platform/ui/App.h"
#include "platform/ui/FileDialog.h"
#include "tools/save/SaveWriters.h"
#include "widgets/chart/ChartCtrl.h"

namespace {

constexpr DWORD kFileDialogFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
constexpr const char* kImageFilter =
    "Несжатое изображение (*.bmp)|*.bmp|Сжатое изображение PNG (*.png)|*.png|Сжатое изображение JPEG "
    "(*.jpg)|*.jpg|Сжатое изображение GIF (*.gif)|*.gif|Все файлы (*.*)|*.*||";
constexpr const char* kTextFilter = "Текстовый файл (*.txt)|*.txt|Все файлы (*.*)|*.*||";
constexpr const char* kCsvFilter = "Таблица (*.csv)|*.csv|Все файлы (*.*)|*.*||";

// The buffer holds a whole capture only once its read-out has finished; half way (channel A
// read, B not yet) it would mix two captures.
constexpr std::uint32_t kReadOutComplete = 3;

bool ReadOutInProgress(const OscData& d) { return d.read_state == 1 || d.read_state == 2; }

}  // namespace

BEGIN_MESSAGE_MAP(CDialogSave, CDialog)
    ON_WM_TIMER()
    ON_BN_CLICKED(CDialogSave::kScreenId, &CDialogSave::OnScreenClicked)
    ON_BN_CLICKED(CDialogSave::kBufferId, &CDialogSave::OnBufferClicked)
    ON_BN_CLICKED(CDialogSave::kSaveId, &CDialogSave::OnSaveClicked)
END_MESSAGE_MAP()

CDialogSave::CDialogSave(CChartCtrl* chart, CWnd* parent) : CDialog(IDD, parent), chart_(chart) {}

BOOL CDialogSave::OnInitDialog()
{
    CDialog::OnInitDialog();
    CheckRadioButton(kScreenId, kBufferId, kScreenId);
    CheckRadioButton(kImageId, kCsvId, save_type == 2 ? kCsvId : save_type == 1 ? kImageId : kTextId);
    bool bufferReady = true;
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        if ((d->mode & MODE_RECORDER) != 0) bufferReady = false;
        was_stopped_ = (d->mode & MODE_STOPPED) != 0;
        if ((d->osc_cr & OSC_CR_TRIGGER_ON) != 0) {
            // A stopped model is never armed again: the dispatcher would start a new capture
            // over the one the user is about to save.
            if (!was_stopped_) d->mode |= MODE_SINGLE;
        } else if (!was_stopped_) {
            d->ToggleStop();
        }
        if (!was_stopped_ || ReadOutInProgress(*d)) bufferReady = false;
    }
    if (!bufferReady) GetDlgItem(kBufferId)->EnableWindow(FALSE);
    SetTimer(kPollTimerId, kPollMs, nullptr);
    return TRUE;
}

void CDialogSave::OnTimer(UINT_PTR id)
{
    if (id != kPollTimerId) return;
    bool complete = false;
    bool reading = false;
    {
        CSingleLock lock(&DataLock, TRUE);
        const OscData* d = GetOscData();
        complete = d->read_state == kReadOutComplete;
        reading = ReadOutInProgress(*d);
    }
    if (complete)
        GetDlgItem(kBufferId)->EnableWindow(TRUE);
    else if (reading)
        GetDlgItem(kBufferId)->EnableWindow(FALSE);
}

void CDialogSave::OnScreenClicked() { GetDlgItem(kImageId)->EnableWindow(TRUE); }

void CDialogSave::OnBufferClicked()
{
    // An image is only ever made of the screen.
    if (IsDlgButtonChecked(kImageId)) CheckRadioButton(kImageId, kCsvId, kTextId);
    GetDlgItem(kImageId)->EnableWindow(FALSE);
}

void CDialogSave::OnCancel()
{
    save_type = IsDlgButtonChecked(kImageId) ? 1 : IsDlgButtonChecked(kCsvId) ? 2 : 0;
    KillTimer(kPollTimerId);
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        d->mode &= ~MODE_SINGLE;
        if (!was_stopped_ && (d->mode & MODE_STOPPED) != 0) d->ToggleStop();
    }
    CDialog::OnCancel();
}

void CDialogSave::OnSaveClicked()
{
    const bool buffer = IsDlgButtonChecked(kBufferId) != 0;
    if (IsDlgButtonChecked(kImageId))
        SaveImage();
    else
        SaveTable(IsDlgButtonChecked(kCsvId) != 0, buffer);
}

void CDialogSave::SaveImage()
{
    CFileDialog dialog(FALSE, "bmp", "*.bmp", kFileDialogFlags, kImageFilter, this);
    if (dialog.DoModal() != IDOK) return;
    const std::string path = dialog.GetPathName();
    // The chart draws itself from its series on this thread; the model is not read.
    HRESULT saved = E_FAIL;
    if (chart_ == nullptr || !chart_->SaveImage(path, CRect(), ImageFormatForFileName(path), &saved)) {
        // A disk that fills up under the image is told apart, as for the tables.
        if (saved == E_WRITE_FAULT)
            ShowWriteError(path);
        else
            ShowFileError(path);
    }
    OnCancel();
}

void CDialogSave::SaveTable(bool csv, bool buffer)
{
    CFileDialog dialog(FALSE, csv ? "csv" : "txt", csv ? "*.csv" : "*.txt", kFileDialogFlags,
                       csv ? kCsvFilter : kTextFilter, this);
    if (dialog.DoModal() != IDOK) return;
    const std::string path = dialog.GetPathName();
    std::string text;
    {
        // The whole file from one capture; the disk is written after the lock is given back,
        // so a slow disk never holds up the link.
        CSingleLock lock(&DataLock, TRUE);
        const OscData& d = *GetOscData();
        const SaveSource source = buffer ? SaveSource::Buffer : SaveSource::Screen;
        text = csv ? BuildCsvTable(d, source) : BuildTextReport(d, source);
    }
    // Written whole or not at all: a full disk must not leave a cut-off table under the name,
    // nor cost the file it would have replaced.
    const FileWriteResult written = ReplaceFileContents(path, text, CFile::typeText);
    if (written == FileWriteResult::NotCreated)
        ShowFileError(path);
    else if (written == FileWriteResult::NotWritten)
        ShowWriteError(path);
    OnCancel();
}

void CDialogSave::ShowFileError(const std::string& path)
{
    AfxMessageBox(("Ошибка открытия файла " + path + "!").c_str(), MB_OK | MB_ICONSTOP);
}

void CDialogSave::ShowWriteError(const std::string& path)
{
    AfxMessageBox(("Ошибка записи файла " + path + "!").c_str(), MB_OK | MB_ICONSTOP);
}

int RunSaveDialog(CChartCtrl* chart, CWnd* parent, int saveType)
{
    CDialogSave dialog(chart, parent);
    dialog.save_type = saveType;
    dialog.DoModal();
    return dialog.save_type;
}
