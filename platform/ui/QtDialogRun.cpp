#include "platform/ui/QtDialogRun.h"

#include "platform/ui/WndImpl.h"

#include <QDialog>
#include <QEventLoop>

namespace uiimpl {

bool RunQtDialog(QDialog* dialog, uihooks::ModalContext& context)
{
    dialog->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    bool accepted = false;
    QObject::connect(dialog, &QDialog::finished, &loop, [&](int result) {
        accepted = result == QDialog::Accepted;
        loop.quit();
    });
    dialog->open();
    // The keyboard goes to the new window at once, as the user expects of a question.
    RaiseWindow(dialog);
    dialog->activateWindow();
    context.caption = dialog->windowTitle().toStdString();
    uihooks::ModalLoopStarted(context);
    loop.exec(QEventLoop::DialogExec);
    return accepted;
}

void FinishQtDialog(QDialog* dialog, QWidget* owner)
{
    delete dialog;
    ActivateAfterModal(owner);
}

}  // namespace uiimpl
