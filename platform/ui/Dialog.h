#pragma once
// CDialog: a window built from a dialog template, modal (DoModal) or modeless (Create).
//
// Keys: Enter sends the default button's command (IDOK unless a control says otherwise, or the
// focused push button), Esc sends IDCANCEL, and the close box sends IDCANCEL too; the command's
// control handle is that of the button with the id, or empty when the dialog has none.
// OnOK exchanges data and ends with IDOK; OnCancel ends with IDCANCEL. EndDialog on a modeless
// dialog hides it.

#include "platform/ui/DataExchange.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/Wnd.h"

#include <memory>

class CDialog : public CWnd {
public:
    CDialog();
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Modeless creation from the registered template.
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    BOOL CreateIndirect(const DialogTemplate& dialogTemplate, CWnd* parent = nullptr);
    BOOL CreateIndirect(const void* dialogTemplate, std::size_t size, CWnd* parent = nullptr);

    // Modal use of an in-memory template instead of a registered one.
    BOOL InitModalIndirect(const DialogTemplate& dialogTemplate, CWnd* parent = nullptr);
    BOOL InitModalIndirect(const void* dialogTemplate, std::size_t size, CWnd* parent = nullptr);

    // IDOK, IDCANCEL or the value given to EndDialog; -1 when the dialog cannot be created.
    virtual INT_PTR DoModal();
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    void SetDefID(UINT id);
    DWORD GetDefID() const;
    void NextDlgCtrl() const;
    void GotoDlgCtrl(CWnd* control);

    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    UINT m_nIDHelp = 0;
    CWnd* m_pParentWnd = nullptr;

    UINT TemplateId() const { return templateId_; }

protected:
    DECLARE_MESSAGE_MAP()

protected:
    // Builds the dialog as a child window of parent from its template, whatever frame style the
    // template declares (pages of property sheets and tab controls).
    BOOL CreateAsChild(CWnd* parent);

private:
    bool BuildWindow(const DialogTemplate& t, CWnd* owner, bool modal);
    const DialogTemplate* ResolveTemplate() const;

    UINT templateId_ = 0;
    std::unique_ptr<DialogTemplate> indirect_;
    std::unique_ptr<CFont> font_;
    bool modal_ = false;
};
