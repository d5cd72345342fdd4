#pragma once
// The interface chooser: a tree with one root per registered transport and, under each, the
// devices that transport lists. A double click on a device ends the dialog with that device's
// transport selected; a right click on a device opens the transport's settings for it.
//
// The dialog makes one object of every transport when it opens; the chosen one leaves the
// dialog through TakeChosen, every other one is deleted with the dialog.

#include "core/transport/InterfaceChooser.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"

#include <memory>

class CComm;

class CDialogInterfaces : public CDialog {
public:
    static constexpr UINT kTreeId = 256;

    CDialogInterfaces();
    ~CDialogInterfaces() override;

    BOOL OnInitDialog() override;

    // The chosen transport after the dialog ended with IDOK (the caller owns it); null
    // otherwise or when already taken.
    CComm* TakeChosen();

    CTreeCtrl& GetTree() { return tree_; }

protected:
    afx_msg void OnTreeDblClk(NMHDR* header, LRESULT* result);
    afx_msg void OnTreeRClick(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

private:
    // The device item under the mouse cursor, or null (nothing there, or a root item).
    HTREEITEM DeviceItemUnderCursor() const;

    std::unique_ptr<InterfaceChooser> chooser_;
    std::unique_ptr<CComm> chosen_;
    CTreeCtrl tree_;
    CStatic hint_;
    CFont font_;
};

// Runs the chooser modally: the chosen, selected transport (the caller owns it), or null when
// the user closed the chooser without choosing.
CComm* ChooseInterface();

// Makes ChooseInterface the chooser the device link runs on Connect.
void InstallInterfaceChooser();
