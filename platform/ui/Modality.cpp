// How a window becomes modal and stops being modal, in terms Qt applies.
//
// Qt blocks other windows when a modal window is shown, and lifts the block when it is hidden
// while still modal. A change of modality on a window that is already shown is not applied: a
// modal window switched back to non-modal while visible leaves every window it blocked blocked
// for good. So a shown window is hidden before its modality changes, and shown again after.

#include "platform/ui/WndImpl.h"

namespace uiimpl {

bool BeginModal(QWidget* window)
{
    const bool wasShown = window->isVisible();
    if (wasShown) window->hide();
    // Modal to the windows of its owner, as a modal dialog disables its owner: a window that
    // belongs to another family (or every window, for a dialog without an owner) stays usable.
    window->setWindowModality(Qt::WindowModal);
    window->show();
    RaiseWindow(window);
    window->activateWindow();
    return wasShown;
}

void EndModal(QWidget* window, bool keepShown)
{
    if (window->windowModality() == Qt::NonModal) return;
    const bool shown = window->isVisible();
    if (shown) window->hide();
    window->setWindowModality(Qt::NonModal);
    if (shown && keepShown) window->show();
}

void ActivateAfterModal(QWidget* owner)
{
    // The window the user worked in before takes the keyboard again, as it does when a modal
    // window closes on a desktop; without this, keys go nowhere until the user clicks.
    if (owner == nullptr) return;
    QWidget* top = owner->window();
    if (!top->isVisible()) return;
    top->activateWindow();
}

}  // namespace uiimpl
