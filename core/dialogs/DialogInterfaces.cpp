#include "core/dialogs/DialogInterfaces.h"

#include "core/transport/Comm.h"

BEGIN_MESSAGE_MAP(CDialogInterfaces, CDialog)
    ON_NOTIFY(NM_DBLCLK, CDialogInterfaces::kTreeId, &CDialogInterfaces::OnTreeDblClk)
    ON_NOTIFY(NM_RCLICK, CDialogInterfaces::kTreeId, &CDialogInterfaces::OnTreeRClick)
END_MESSAGE_MAP()

namespace {

DialogTemplate ChooserTemplate()
{
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    t.rect = CRect(0, 0, 250, 150);
    t.caption = "Доступные интерфейсы";
    return t;
}

} // namespace

CDialogInterfaces::CDialogInterfaces()
{
    InitModalIndirect(ChooserTemplate());
}

CDialogInterfaces::~CDialogInterfaces() = default;

BOOL CDialogInterfaces::OnInitDialog()
{
    CDialog::OnInitDialog();
    font_.CreatePointFont(80, "MS shell dlg");

    CRect client;
    GetClientRect(&client);
    tree_.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                 CRect(10, 40, client.right - 10, client.bottom - 10), this, kTreeId);
    hint_.Create("Двойной щелчек - выбрать\nщелчек правой кнопкой - опции (если есть)", WS_CHILD | WS_VISIBLE,
                 CRect(10, 10, client.right - 10, 40), this);
    hint_.SetFont(&font_);

    // Opening the chooser again (a second Connect) starts from a fresh listing.
    chooser_ = std::make_unique<InterfaceChooser>();
    for (const InterfaceChooser::Root& root : chooser_->Roots())
    {
        HTREEITEM rootItem = tree_.InsertItem(root.name.c_str());
        tree_.SetItemData(rootItem, static_cast<DWORD_PTR>(root.entry));
        for (const InterfaceChooser::Device& device : root.devices)
        {
            HTREEITEM item = tree_.InsertItem(device.description.c_str(), rootItem);
            tree_.SetItemData(item, static_cast<DWORD_PTR>(device.index));
        }
        tree_.Expand(rootItem, TVE_EXPAND);
    }
    SetForegroundWindow();
    return TRUE;
}

HTREEITEM CDialogInterfaces::DeviceItemUnderCursor() const
{
    CPoint point;
    GetCursorPos(&point);
    tree_.ScreenToClient(&point);
    HTREEITEM item = tree_.HitTest(point);
    if (item == nullptr || tree_.GetParentItem(item) == nullptr)
        return nullptr;
    return item;
}

void CDialogInterfaces::OnTreeDblClk(NMHDR*, LRESULT* result)
{
    HTREEITEM item = DeviceItemUnderCursor();
    if (item == nullptr || chooser_ == nullptr)
        return;
    const int entry = static_cast<int>(tree_.GetItemData(tree_.GetParentItem(item)));
    const int device = static_cast<int>(tree_.GetItemData(item));
    // A device that went away since the listing is refused by Choose: the chooser stays open.
    CComm* comm = chooser_->Choose(entry, device);
    if (comm == nullptr)
        return;
    chosen_.reset(comm);
    EndDialog(IDOK);
    *result = 1;
}

void CDialogInterfaces::OnTreeRClick(NMHDR*, LRESULT*)
{
    HTREEITEM item = DeviceItemUnderCursor();
    if (item == nullptr || chooser_ == nullptr)
        return;
    tree_.SelectItem(item);
    const int entry = static_cast<int>(tree_.GetItemData(tree_.GetParentItem(item)));
    const int device = static_cast<int>(tree_.GetItemData(item));
    chooser_->Options(entry, device, nullptr);
}

CComm* CDialogInterfaces::TakeChosen()
{
    return chosen_.release();
}

CComm* ChooseInterface()
{
    CDialogInterfaces dialog;
    if (dialog.DoModal() != IDOK)
        return nullptr;
    return dialog.TakeChosen();
}

void InstallInterfaceChooser()
{
    SetChooserFunction(&ChooseInterface);
}
