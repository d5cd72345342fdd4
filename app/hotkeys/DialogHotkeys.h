#pragma once
// CDialogHotkeys: lists the keyboard actions and edits the key combination of the chosen one.
// Every change is kept: leaving the dialog in any way stores the combination shown.

#include "app/hotkeys/HotkeyTable.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"

class CDialogHotkeys : public CDialog {
public:
    static constexpr UINT IDD = 158;
    static constexpr UINT kListId = 1108;
    static constexpr UINT kKeyId = 1127;

    explicit CDialogHotkeys(CWnd* parent = nullptr, HotkeyList* table = nullptr);

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

protected:
    afx_msg void OnSelChange();
    DECLARE_MESSAGE_MAP()

private:
    void StoreShown();
    void Show(int index);

    HotkeyList& table_;
    int current_ = 0;
    CListBox list_;
    CHotKeyCtrl key_;
};
