#include "platform/ui/PrintDialog.h"

#include "platform/ui/App.h"
#include "platform/ui/QtDialogRun.h"
#include "platform/ui/UiHooks.h"
#include "platform/ui/Wnd.h"
#include "platform/ui/WndImpl.h"

#include <QFile>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

struct CPrintDialog::Impl {
    std::unique_ptr<QPrinter> printer;
    CDC dc;

    static void Abort(void* context)
    {
        auto* self = static_cast<Impl*>(context);
        if (!self->printer) return;
        self->printer->abort();
        // An aborted PDF is incomplete: leave no file that looks like a finished document.
        if (self->printer->outputFormat() == QPrinter::PdfFormat && !self->printer->outputFileName().isEmpty())
            QFile::remove(self->printer->outputFileName());
    }
    static void Name(void* context, const char* name)
    {
        auto* self = static_cast<Impl*>(context);
        if (self->printer) {
            self->printer->setDocName(QString::fromUtf8(name));
            self->printer->setCreator(QStringLiteral("Velkaro"));
        }
    }
};

CPrintDialog::CPrintDialog(BOOL printSetupOnly, DWORD flags, CWnd* parent)
    : d(std::make_unique<Impl>()), setupOnly_(printSetupOnly != FALSE), parent_(parent)
{
    m_pd.Flags = flags;
}

CPrintDialog::~CPrintDialog() = default;

void CPrintDialog::Adopt()
{
    if (m_pd.dmOrientation == DMORIENT_LANDSCAPE) d->printer->setPageOrientation(QPageLayout::Landscape);
    else if (m_pd.dmOrientation == DMORIENT_PORTRAIT) d->printer->setPageOrientation(QPageLayout::Portrait);
    d->dc.AttachPrinter(d->printer.get(), &Impl::Abort, d.get(), &Impl::Name);
    m_pd.hDC = d->dc.GetSafeHdc();
}

BOOL CPrintDialog::SelectPrinter(const char* queue)
{
    if (queue == nullptr || *queue == '\0') return FALSE;
    const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromUtf8(queue));
    if (info.isNull()) return FALSE;
    d->printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    Adopt();
    return TRUE;
}

BOOL CPrintDialog::SelectPdfFile(const char* path)
{
    if (path == nullptr || *path == '\0') return FALSE;
    d->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    d->printer->setOutputFormat(QPrinter::PdfFormat);
    d->printer->setOutputFileName(QString::fromUtf8(path));
    Adopt();
    return TRUE;
}

CString CPrintDialog::GetDeviceName() const
{
    if (!d->printer) return CString();
    if (d->printer->outputFormat() == QPrinter::PdfFormat) return CString(d->printer->outputFileName().toStdString());
    return CString(d->printer->printerName().toStdString());
}

INT_PTR CPrintDialog::DoModal()
{
    if (!uiimpl::OnUiThread()) return IDCANCEL;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (m_pd.dmOrientation == DMORIENT_LANDSCAPE) printer->setPageOrientation(QPageLayout::Landscape);
    QWidget* parent = uiimpl::WidgetOf(parent_ != nullptr ? parent_ : AfxGetMainWnd());
    if (parent != nullptr) parent = parent->window();
    QPointer<QPrintDialog> dialog = new QPrintDialog(printer.get(), parent);
    QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize;
    if ((m_pd.Flags & PD_NOSELECTION) == 0 && !setupOnly_) options |= QAbstractPrintDialog::PrintSelection;
    if ((m_pd.Flags & PD_NOPAGENUMS) == 0 && !setupOnly_) options |= QAbstractPrintDialog::PrintPageRange;
    dialog->setOptions(options);
    uihooks::ModalContext context;
    context.kind = uihooks::ModalKind::PrintDialog;
    context.window = parent_;
    QPrinter* target = printer.get();
    context.end = [dialog, target](int result, const uihooks::ModalContext& self) {
        if (dialog == nullptr || !dialog->isVisible()) return;
        if (result == IDOK && !self.fileName.empty()) {
            target->setOutputFormat(QPrinter::PdfFormat);
            target->setOutputFileName(QString::fromStdString(self.fileName));
        }
        static_cast<QDialog*>(dialog.data())->done(result == IDOK ? QDialog::Accepted : QDialog::Rejected);
    };
    const bool accepted = uiimpl::RunQtDialog(dialog, context);
    uiimpl::FinishQtDialog(dialog.data(), parent);
    if (!accepted) return IDCANCEL;
    d->printer = std::move(printer);
    // The user's choice in the dialog stands.
    m_pd.dmOrientation = d->printer->pageLayout().orientation() == QPageLayout::Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    Adopt();
    return IDOK;
}
