#pragma once
// Property sheets in list look: the page titles in a list on the left, the active page on the
// right, OK and cancel below. Pages are built from their templates when first shown.
// Changing page asks the active page's OnKillActive (FALSE keeps it) and then the new page's
// OnSetActive; OK asks the active page's OnKillActive, then runs OnOK of every page that was
// built; cancel runs OnCancel of every built page.

#include "platform/ui/Dialog.h"

#include <memory>
#include <vector>

inline constexpr DWORD PSP_USETITLE = 0x8;
struct PROPSHEETPAGE {
    DWORD dwFlags = 0;
    const char* pszTitle = nullptr;
};

class CPropertySheet;

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT templateId, UINT captionId = 0);

    // Default: the controls are filled again (after the first activation, which OnInitDialog
    // covers); TRUE.
    virtual BOOL OnSetActive();
    // Default: UpdateData(TRUE).
    virtual BOOL OnKillActive();
    void OnOK() override {}
    void OnCancel() override {}

    CString GetTitle() const;
    CPropertySheet* GetSheet() const { return sheet_; }
    PROPSHEETPAGE m_psp;

private:
    friend class CPropertySheet;
    BOOL Build(CWnd* parent) { return CreateAsChild(parent); }
    CPropertySheet* sheet_ = nullptr;
    bool firstSetActive_ = true;
    UINT captionId_;
};

class CPropertySheet : public CWnd {
public:
    explicit CPropertySheet(const char* caption = "", CWnd* parent = nullptr, UINT selectPage = 0);
    ~CPropertySheet() override;

    void AddPage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(pages_.size()); }
    CPropertyPage* GetPage(int index) const;
    int GetPageIndex(CPropertyPage* page) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const { return active_; }
    // Before DoModal: the page shown first. While running: a change of page as if chosen.
    BOOL SetActivePage(int index);
    BOOL SetActivePage(CPropertyPage* page) { return SetActivePage(GetPageIndex(page)); }
    void SetTitle(const char* title) { caption_ = title != nullptr ? title : ""; }
    // The list look of the original; the width of the page list in pixels.
    void SetLook(int look, int listWidth = 100);

    virtual INT_PTR DoModal();

    // The sheet's frame while it runs (null otherwise).
    CDialog* GetFrame() const { return frame_.get(); }

private:
    class Frame;
    friend class Frame;
    bool Activate(int index);
    bool Accept();
    void Cancel();
    void Layout();

    std::vector<CPropertyPage*> pages_;
    std::string caption_;
    CWnd* parent_;
    int active_ = 0;
    int listWidth_ = 100;
    std::unique_ptr<CDialog> frame_;
    std::vector<std::unique_ptr<CWnd>> owned_;  // the frame's own controls
};

inline constexpr int PropSheetLook_Tabs = 0;
inline constexpr int PropSheetLook_List = 4;
using CMFCPropertySheet = CPropertySheet;
using CMFCPropertyPage = CPropertyPage;
