#pragma once
// Runs one of Qt's own dialogs (file, print) as a modal loop of ours: the dialog takes the
// keyboard when it opens, a test taking part in modal loops is told of it, and when it ends the
// window the user worked in before takes the keyboard back. Internal to the window layer.

#include "platform/ui/UiHooks.h"

class QDialog;
class QWidget;

namespace uiimpl {

// Shows dialog modally over owner (may be null) and returns whether it was accepted. The
// caller keeps the dialog (it reads the answer from it) and then calls FinishQtDialog.
bool RunQtDialog(QDialog* dialog, uihooks::ModalContext& context);
// Deletes the dialog and gives the keyboard back to the owner's window.
void FinishQtDialog(QDialog* dialog, QWidget* owner);

}  // namespace uiimpl
