#include "platform/ui/PropertySheet.h"

#include "platform/ui/App.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DialogTemplate.h"

namespace {
constexpr int kListId = 0x3020;
constexpr int kMargin = 7;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;

// A page's size in pixels, from its template.
CSize PageSize(UINT templateId)
{
    const DialogTemplate* t = FindDialogTemplate(templateId);
    if (t == nullptr) return CSize(0, 0);
    const CRect px = DialogUnitsToPixels(CRect(0, 0, t->rect.Width(), t->rect.Height()), GetDialogBaseUnits(t->fontFace, t->fontPoints));
    return px.Size();
}
}  // namespace

// ---- CPropertyPage ----

CPropertyPage::CPropertyPage(UINT templateId, UINT captionId) : CDialog(templateId), captionId_(captionId) {}

BOOL CPropertyPage::OnSetActive()
{
    if (firstSetActive_) firstSetActive_ = false;
    else UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

CString CPropertyPage::GetTitle() const
{
    if ((m_psp.dwFlags & PSP_USETITLE) != 0 && m_psp.pszTitle != nullptr) return CString(m_psp.pszTitle);
    CString text;
    if (captionId_ != 0 && AfxLoadString(captionId_, text)) return text;
    const DialogTemplate* t = FindDialogTemplate(TemplateId());
    return t != nullptr ? CString(t->caption) : CString();
}

// ---- the sheet's frame ----

class CPropertySheet::Frame : public CDialog {
public:
    explicit Frame(CPropertySheet* sheet) : sheet_(sheet) {}
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        sheet_->Layout();
        return TRUE;
    }
    void OnOK() override
    {
        if (sheet_->Accept()) EndDialog(IDOK);
    }
    void OnCancel() override
    {
        sheet_->Cancel();
        EndDialog(IDCANCEL);
    }
    afx_msg void OnPageChosen()
    {
        auto* list = static_cast<CListBox*>(GetDlgItem(kListId));
        const int chosen = list->GetCurSel();
        if (chosen == sheet_->active_) return;
        // A page that refuses to be left stays chosen.
        if (!sheet_->Activate(chosen)) list->SetCurSel(sheet_->active_);
    }

private:
    CPropertySheet* sheet_;

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPropertySheet::Frame, CDialog)
    ON_LBN_SELCHANGE(kListId, &CPropertySheet::Frame::OnPageChosen)
END_MESSAGE_MAP()

// ---- CPropertySheet ----

CPropertySheet::CPropertySheet(const char* caption, CWnd* parent, UINT selectPage)
    : caption_(caption != nullptr ? caption : ""), parent_(parent), active_(static_cast<int>(selectPage))
{
}

CPropertySheet::~CPropertySheet() = default;

void CPropertySheet::AddPage(CPropertyPage* page)
{
    if (page == nullptr) return;
    page->sheet_ = this;
    pages_.push_back(page);
}

CPropertyPage* CPropertySheet::GetPage(int index) const
{
    return index >= 0 && index < GetPageCount() ? pages_[static_cast<std::size_t>(index)] : nullptr;
}

int CPropertySheet::GetPageIndex(CPropertyPage* page) const
{
    for (int i = 0; i < GetPageCount(); ++i)
        if (pages_[static_cast<std::size_t>(i)] == page) return i;
    return -1;
}

CPropertyPage* CPropertySheet::GetActivePage() const { return GetPage(active_); }

void CPropertySheet::SetLook(int, int listWidth) { listWidth_ = std::max(40, listWidth); }

BOOL CPropertySheet::SetActivePage(int index)
{
    if (index < 0 || index >= GetPageCount()) return FALSE;
    if (frame_ == nullptr || frame_->m_hWnd == nullptr) {
        active_ = index;
        return TRUE;
    }
    if (!Activate(index)) return FALSE;
    static_cast<CListBox*>(frame_->GetDlgItem(kListId))->SetCurSel(index);
    return TRUE;
}

void CPropertySheet::Layout()
{
    CSize pageSize(0, 0);
    for (CPropertyPage* page : pages_) {
        const CSize s = PageSize(page->TemplateId());
        pageSize.cx = std::max(pageSize.cx, s.cx);
        pageSize.cy = std::max(pageSize.cy, s.cy);
    }
    const int width = kMargin + listWidth_ + kMargin + pageSize.cx + kMargin;
    const int height = kMargin + pageSize.cy + kMargin + kButtonHeight + kMargin;
    CRect frameRect;
    frame_->GetWindowRect(&frameRect);
    CRect client;
    frame_->GetClientRect(&client);
    frame_->SetWindowPos(nullptr, 0, 0, width + frameRect.Width() - client.Width(), height + frameRect.Height() - client.Height(),
                         SWP_NOMOVE | SWP_NOZORDER);

    auto* list = new CListBox();
    list->Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LBS_NOTIFY, CRect(kMargin, kMargin, kMargin + listWidth_, kMargin + pageSize.cy),
                 frame_.get(), kListId);
    owned_.emplace_back(list);
    for (CPropertyPage* page : pages_) list->AddString(page->GetTitle().c_str());
    auto* ok = new CButton();
    ok->Create("OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
               CRect(width - 2 * (kButtonWidth + kMargin), height - kMargin - kButtonHeight, width - kButtonWidth - 2 * kMargin, height - kMargin),
               frame_.get(), IDOK);
    owned_.emplace_back(ok);
    auto* cancel = new CButton();
    cancel->Create("Отмена", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                   CRect(width - kButtonWidth - kMargin, height - kMargin - kButtonHeight, width - kMargin, height - kMargin),
                   frame_.get(), IDCANCEL);
    owned_.emplace_back(cancel);

    const int first = active_ >= 0 && active_ < GetPageCount() ? active_ : 0;
    active_ = -1;
    Activate(first);
    list->SetCurSel(active_);
}

bool CPropertySheet::Activate(int index)
{
    CPropertyPage* next = GetPage(index);
    if (next == nullptr) return false;
    CPropertyPage* current = GetActivePage();
    if (current != nullptr && current->m_hWnd != nullptr && !current->OnKillActive()) return false;
    if (next->m_hWnd == nullptr) {
        if (!next->Build(frame_.get())) return false;
        next->MoveWindow(kMargin + listWidth_ + kMargin, kMargin, PageSize(next->TemplateId()).cx, PageSize(next->TemplateId()).cy);
    }
    if (current != nullptr && current != next && current->m_hWnd != nullptr) current->ShowWindow(SW_HIDE);
    active_ = index;
    next->ShowWindow(SW_SHOW);
    next->OnSetActive();
    return true;
}

bool CPropertySheet::Accept()
{
    CPropertyPage* current = GetActivePage();
    if (current != nullptr && current->m_hWnd != nullptr && !current->OnKillActive()) return false;
    for (CPropertyPage* page : pages_)
        if (page->m_hWnd != nullptr) page->OnOK();
    return true;
}

void CPropertySheet::Cancel()
{
    for (CPropertyPage* page : pages_)
        if (page->m_hWnd != nullptr) page->OnCancel();
}

INT_PTR CPropertySheet::DoModal()
{
    if (pages_.empty()) return -1;
    DialogTemplate t;
    t.caption = caption_;
    t.rect = CRect(0, 0, 100, 60);
    frame_ = std::make_unique<Frame>(this);
    frame_->InitModalIndirect(t, parent_);
    const INT_PTR result = frame_->DoModal();
    // The pages' windows went with the frame; they can be shown again by another run.
    for (CPropertyPage* page : pages_) page->firstSetActive_ = true;
    owned_.clear();
    frame_.reset();
    return result;
}
