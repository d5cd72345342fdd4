#include "platform/ui/FileDialog.h"

#include "platform/ui/App.h"
#include "platform/ui/QtDialogRun.h"
#include "platform/ui/UiHooks.h"
#include "platform/ui/Wnd.h"
#include "platform/ui/WndImpl.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLocale>
#include <QMimeDatabase>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>

#include <algorithm>
#include <memory>

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : open_(openFileDialog != FALSE),
      defaultExt_(defaultExt != nullptr ? defaultExt : ""),
      fileName_(fileName != nullptr ? fileName : ""),
      filter_(filter != nullptr ? filter : ""),
      parent_(parent)
{
    m_ofn.Flags = flags;
}

namespace {

struct FilterEntry {
    std::string description;
    std::string patterns;  // "*.bmp;*.png"
};

// "desc|pat;pat|desc2|pat||" as its pairs; a description without patterns ends the list.
std::vector<FilterEntry> SplitFilter(const char* filter)
{
    std::vector<FilterEntry> out;
    if (filter == nullptr) return out;
    std::vector<std::string> parts;
    std::string current;
    for (const char* p = filter; *p != '\0'; ++p) {
        if (*p == '|') {
            parts.push_back(current);
            current.clear();
        } else {
            current += *p;
        }
    }
    if (!current.empty()) parts.push_back(current);
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty()) break;
        out.push_back(FilterEntry{parts[i], parts[i + 1]});
    }
    return out;
}

// When the dialog is laid out for showing, and before it shows, it grows by what its list lacks to
// show all its columns beside a vertical scroll bar, within the screen. Qt keeps the columns'
// widths from one file dialog to the next, but not the dialog's width.
class WidenForColumns : public QObject {
public:
    WidenForColumns(QWidget* dialog, QTreeView* list) : QObject(dialog), dialog_(dialog), list_(list)
    {
        dialog->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != dialog_ || event->type() != QEvent::Show) return false;
        const int bar = list_->verticalScrollBar()->isVisible()
                            ? 0
                            : list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list_);
        const int lacking = list_->header()->length() + bar - list_->viewport()->width();
        if (lacking > 0) {
            QSize size = dialog_->size();
            size.rwidth() += lacking;
            if (const QScreen* screen = dialog_->screen()) size = size.boundedTo(screen->availableGeometry().size());
            dialog_->resize(size);
        }
        return false;
    }

private:
    QWidget* dialog_;
    QTreeView* list_;
};

// Qt sizes the list's type and date columns for short English names and an American short date
// ("mp3Folder", "10/29/81 02:02PM"). The types of the files this dialog lists and the system's
// own short date are often longer, and would show cut in the middle: the columns are widened to
// hold them, and the dialog with them.
void FitColumns(QFileDialog& dialog, const char* filter)
{
    auto* list = dialog.findChild<QTreeView*>();
    if (list == nullptr || list->header()->count() < 4) return;
    const QFontMetrics metrics = list->fontMetrics();
    const int margins = 2 * list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 16;
    int type = metrics.horizontalAdvance(QCoreApplication::translate("QAbstractFileIconProvider", "Folder"));
    const QMimeDatabase mimes;
    for (const FilterEntry& entry : SplitFilter(filter)) {
        for (const QString& pattern : QString::fromStdString(entry.patterns).split(QLatin1Char(';'))) {
            const QString extension = pattern.trimmed().mid(2);
            if (!pattern.trimmed().startsWith(QLatin1String("*.")) || extension.isEmpty() ||
                extension.contains(QLatin1Char('*')) || extension.contains(QLatin1Char('?')))
                continue;
            const QMimeType mime = mimes.mimeTypeForFile(QStringLiteral("x.") + extension, QMimeDatabase::MatchExtension);
            type = std::max(type, metrics.horizontalAdvance(mime.comment()));
        }
    }
    const QString date =
        QLocale::system().toString(QDateTime(QDate(2000, 12, 31), QTime(23, 59, 59)), QLocale::ShortFormat);
    const int wanted[2] = {type + margins, metrics.horizontalAdvance(date) + margins};
    for (int i = 0; i < 2; ++i)
        if (list->header()->sectionSize(2 + i) < wanted[i]) list->header()->resizeSection(2 + i, wanted[i]);
    new WidenForColumns(&dialog, list);
}

}  // namespace

std::vector<std::string> CFileDialog::TranslateFilter(const char* filter)
{
    std::vector<std::string> out;
    for (const FilterEntry& entry : SplitFilter(filter)) {
        std::string patterns = entry.patterns;
        for (char& c : patterns)
            if (c == ';') c = ' ';
        const std::string& desc = entry.description;
        const std::string tail = "(" + patterns + ")";
        if (desc.size() >= tail.size() && desc.compare(desc.size() - tail.size(), tail.size(), tail) == 0) out.push_back(desc);
        else out.push_back(desc + " " + tail);
    }
    return out;
}

std::string CFileDialog::FilterExtension(const char* filter, int index)
{
    const std::vector<FilterEntry> entries = SplitFilter(filter);
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return std::string();
    const std::string& patterns = entries[static_cast<std::size_t>(index)].patterns;
    const std::string first = patterns.substr(0, patterns.find(';'));
    const std::size_t dot = first.rfind('.');
    if (dot == std::string::npos) return std::string();
    const std::string extension = first.substr(dot + 1);
    // "*.*" and the like name no one type.
    if (extension.empty() || extension.find_first_of("*?") != std::string::npos) return std::string();
    return extension;
}

CString CFileDialog::GetFileName() const { return CString(QFileInfo(QString::fromStdString(path_)).fileName().toStdString()); }
CString CFileDialog::GetFileExt() const { return CString(QFileInfo(QString::fromStdString(path_)).suffix().toStdString()); }
CString CFileDialog::GetFileTitle() const { return CString(QFileInfo(QString::fromStdString(path_)).completeBaseName().toStdString()); }
CString CFileDialog::GetFolderPath() const { return CString(QFileInfo(QString::fromStdString(path_)).absolutePath().toStdString()); }

INT_PTR CFileDialog::DoModal()
{
    if (!uiimpl::OnUiThread()) return IDCANCEL;
    std::string initial = fileName_;
    for (;;) {
        QWidget* parent = uiimpl::WidgetOf(parent_ != nullptr ? parent_ : AfxGetMainWnd());
        if (parent != nullptr) parent = parent->window();
        QPointer<QFileDialog> dialog = new QFileDialog(parent);
        dialog->setOption(QFileDialog::DontUseNativeDialog, true);
        dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
        dialog->setAcceptMode(open_ ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dialog->setFileMode(open_ && (m_ofn.Flags & OFN_FILEMUSTEXIST) != 0 ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        QStringList filters;
        for (const std::string& f : TranslateFilter(filter_.c_str())) filters << QString::fromStdString(f);
        FitColumns(*dialog, filter_.c_str());
        if (!filters.isEmpty()) {
            dialog->setNameFilters(filters);
            const int index = static_cast<int>(m_ofn.nFilterIndex) - 1;
            if (index >= 0 && index < filters.size()) dialog->selectNameFilter(filters[index]);
        }
        if (m_ofn.lpstrInitialDir != nullptr) dialog->setDirectory(QString::fromUtf8(m_ofn.lpstrInitialDir));
        if (m_ofn.lpstrTitle != nullptr) dialog->setWindowTitle(QString::fromUtf8(m_ofn.lpstrTitle));
        if (!initial.empty()) dialog->selectFile(QString::fromStdString(initial));
        auto chosen = std::make_shared<std::string>();
        uihooks::ModalContext context;
        context.kind = uihooks::ModalKind::FileDialog;
        context.window = parent_;
        context.openDialog = open_;
        context.fileName = initial;
        context.end = [dialog, chosen](int result, const uihooks::ModalContext& self) {
            if (dialog == nullptr || !dialog->isVisible()) return;
            *chosen = self.fileName;
            static_cast<QDialog*>(dialog.data())->done(result == IDOK ? QDialog::Accepted : QDialog::Rejected);
        };
        const bool accepted = uiimpl::RunQtDialog(dialog, context);
        std::string path;
        int chosenFilter = -1;
        if (accepted) {
            if (!chosen->empty()) path = *chosen;
            else if (!dialog->selectedFiles().isEmpty()) path = dialog->selectedFiles().first().toStdString();
            chosenFilter = static_cast<int>(filters.indexOf(dialog->selectedNameFilter()));
        }
        uiimpl::FinishQtDialog(dialog.data(), parent);
        if (!accepted || path.empty()) return IDCANCEL;

        // A name typed without an extension takes that of the type the user chose; the default
        // extension only when that type names none ("*.*").
        QFileInfo info(QString::fromStdString(path));
        if (info.suffix().isEmpty() && !info.fileName().isEmpty()) {
            std::string extension = FilterExtension(filter_.c_str(), chosenFilter);
            if (extension.empty()) extension = defaultExt_;
            if (!extension.empty()) path += "." + extension;
        }
        path = QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
        if (!open_ && (m_ofn.Flags & OFN_OVERWRITEPROMPT) != 0 && QFileInfo::exists(QString::fromStdString(path))) {
            const std::string question = QFileInfo(QString::fromStdString(path)).fileName().toStdString() +
                                         " уже существует.\nЗаменить его?";
            const int answer = AfxShowMessageBox(parent_ != nullptr ? parent_->m_hWnd : nullptr, question.c_str(),
                                                 "Подтвердить сохранение в виде", MB_YESNO | MB_ICONEXCLAMATION);
            if (answer != IDYES) {
                initial = path;
                continue;
            }
        }
        path_ = CString(path);
        return IDOK;
    }
}
