#include "app/tooldialog/ToolDialogList.h"

#include "app/tooldialog/ToolDialog.h"

void CToolDialogList::Set(Slot slot, CToolDialog* dialog)
{
    if (slot < SLOT_COUNT) slots_[slot] = dialog;
}

CToolDialog* CToolDialogList::Get(Slot slot) const
{
    return slot < SLOT_COUNT ? slots_[slot] : nullptr;
}

void CToolDialogList::ResetWindows() const
{
    for (std::size_t i = 0; i < SLOT_COUNT; ++i)
        if (i != LGENERATOR && slots_[i] != nullptr) slots_[i]->Reset();
}

void CToolDialogList::Refresh() const
{
    for (CToolDialog* dialog : slots_)
        if (dialog != nullptr) dialog->Refresh();
}
