#pragma once
// CTabPageSSL: a page of a CTabCtrlSSL, a child dialog made by the page's owner. Enter and Esc
// never close a page. A page can hand its commands and notifications on to the tab control
// (which gives them to the window around it) after handling them itself.

#include "platform/ui/Dialog.h"

class CTabPageSSL : public CDialog {
public:
    CTabPageSSL() = default;
    explicit CTabPageSSL(UINT templateId, CWnd* parent = nullptr) : CDialog(templateId, parent) {}

    // After its own handling, the page sends WM_COMMAND (m_bRouteCommand) or WM_NOTIFY
    // (m_bRouteNotify) on to its parent and answers with the parent's result.
    bool m_bRouteCommand = false;
    bool m_bRouteNotify = false;

protected:
    void OnOK() override {}
    void OnCancel() override {}
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
