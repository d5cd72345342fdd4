#include "platform/ui/Dialog.h"

#include "platform/gdi/GdiObjects.h"
#include "platform/ui/App.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WndImpl.h"

#include <QApplication>
#include <QScreen>

namespace uiimpl {
QFont TemplateFont(const std::string& face, int points);  // DialogTemplate.cpp
}

using namespace uiimpl;

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog() = default;

CDialog::CDialog(UINT templateId, CWnd* parent) : m_pParentWnd(parent), templateId_(templateId) {}

CDialog::~CDialog() = default;

const DialogTemplate* CDialog::ResolveTemplate() const
{
    if (indirect_ != nullptr) return indirect_.get();
    return FindDialogTemplate(templateId_);
}

bool CDialog::BuildWindow(const DialogTemplate& t, CWnd* owner, bool modal)
{
    if (m_hWnd != nullptr || !OnUiThread()) return false;
    modal_ = modal;
    const bool child = (t.style & WS_CHILD) != 0;
    const CSize base = GetDialogBaseUnits(t.fontFace, t.fontPoints);
    const CRect frame = DialogUnitsToPixels(t.rect, base);

    CreateParams p;
    p.isDialog = true;
    p.className = "#32770";
    p.text = t.caption;
    p.style = (t.style & ~WS_VISIBLE);
    p.exStyle = t.exStyle;
    p.parent = owner != nullptr ? owner->m_hWnd : nullptr;
    p.rect = CRect(0, 0, frame.Width(), frame.Height());
    if (child) p.rect.OffsetRect(frame.left, frame.top);
    if (CreateWindowRecord(p, this) == nullptr) return false;

    // The dialog font belongs to the dialog; its controls use it unless told otherwise.
    font_ = std::make_unique<CFont>();
    LOGFONT lf{};
    lf.lfHeight = -((t.fontPoints * 96 + 36) / 72);
    lf.lfWeight = 400;
    SetLogFontFaceName(lf, t.fontFace.c_str());
    Record* r = Find(m_hWnd);
    if (font_->CreateFontIndirect(&lf)) r->font = font_.get();
    const QFont qfont = TemplateFont(t.fontFace, t.fontPoints);
    r->widget->setFont(qfont);

    if (!child) {
        // Place the dialog over its owner (or the screen) unless the template gives a position.
        QRect area;
        if (QWidget* ow = owner != nullptr ? WidgetOf(owner) : nullptr; ow != nullptr && ow->isVisible())
            area = ow->window()->frameGeometry();
        else if (QScreen* s = QGuiApplication::primaryScreen())
            area = s->availableGeometry();
        if (t.rect.left != 0 || t.rect.top != 0) {
            r->widget->move(area.left() + frame.left, area.top() + frame.top);
        } else {
            r->widget->move(area.left() + (area.width() - frame.Width()) / 2, area.top() + (area.height() - frame.Height()) / 2);
        }
    }

    for (const DialogItemTemplate& item : t.items) {
        CreateParams c;
        c.className = item.className;
        c.text = item.text;
        c.style = item.style | WS_CHILD;
        c.exStyle = item.exStyle;
        c.parent = m_hWnd;
        c.ctrlId = item.id;
        c.rect = DialogUnitsToPixels(item.rect, base);
        const HWND h = CreateWindowRecord(c, nullptr);
        if (h == nullptr) {
            std::fprintf(stderr, "dialog %u: cannot create a control of class '%s'\n", t.id, item.className.c_str());
            DestroyWindow();
            return false;
        }
        if ((item.style & 0xF) == BS_DEFPUSHBUTTON && item.className == "Button") r->defId = item.id;
    }

    const LRESULT focusDefault = SendMessage(WM_INITDIALOG, 0, 0);
    r = Find(m_hWnd);
    if (r == nullptr) return false;
    if (focusDefault != 0) {
        for (HWND c : r->children) {
            Record* cr = Find(c);
            if (cr != nullptr && (cr->style & WS_TABSTOP) != 0 && cr->widget != nullptr && !cr->widget->isHidden() &&
                cr->widget->isEnabled()) {
                cr->widget->setFocus(Qt::OtherFocusReason);
                break;
            }
        }
    }
    if (!modal && (t.style & WS_VISIBLE) != 0) ShowWindow(SW_SHOW);
    return true;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    templateId_ = templateId;
    m_pParentWnd = parent;
    const DialogTemplate* t = ResolveTemplate();
    return t != nullptr && BuildWindow(*t, parent, false);
}

BOOL CDialog::CreateAsChild(CWnd* parent)
{
    const DialogTemplate* t = ResolveTemplate();
    if (t == nullptr || parent == nullptr) return FALSE;
    DialogTemplate child = *t;
    child.style = (child.style & ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME | WS_VISIBLE)) | WS_CHILD;
    child.rect.MoveToXY(0, 0);
    m_pParentWnd = parent;
    return BuildWindow(child, parent, false);
}

BOOL CDialog::CreateIndirect(const DialogTemplate& dialogTemplate, CWnd* parent)
{
    indirect_ = std::make_unique<DialogTemplate>(dialogTemplate);
    m_pParentWnd = parent;
    return BuildWindow(*indirect_, parent, false);
}

BOOL CDialog::CreateIndirect(const void* dialogTemplate, std::size_t size, CWnd* parent)
{
    auto t = ParseDialogTemplateBinary(dialogTemplate, size);
    return t && CreateIndirect(*t, parent);
}

BOOL CDialog::InitModalIndirect(const DialogTemplate& dialogTemplate, CWnd* parent)
{
    indirect_ = std::make_unique<DialogTemplate>(dialogTemplate);
    m_pParentWnd = parent;
    return TRUE;
}

BOOL CDialog::InitModalIndirect(const void* dialogTemplate, std::size_t size, CWnd* parent)
{
    auto t = ParseDialogTemplateBinary(dialogTemplate, size);
    if (!t) return FALSE;
    return InitModalIndirect(*t, parent);
}

INT_PTR CDialog::DoModal()
{
    const DialogTemplate* t = ResolveTemplate();
    if (t == nullptr || m_hWnd != nullptr || !OnUiThread()) return -1;
    CWnd* owner = m_pParentWnd != nullptr ? m_pParentWnd : AfxGetMainWnd();
    if (owner != nullptr) owner = owner->GetTopLevelParent();
    if (owner == this || (owner != nullptr && owner->m_hWnd == nullptr)) owner = nullptr;
    modalEndPending_ = false;
    const DialogTemplate copy = *t;  // the template may be replaced while the dialog runs
    if (!BuildWindow(copy, owner, true)) return -1;
    const int result = RunModalLoop();
    if (m_hWnd != nullptr) {
        ShowWindow(SW_HIDE);
        DestroyWindow();
    }
    modal_ = false;
    return result;
}

void CDialog::EndDialog(int result)
{
    if (modal_) {
        EndModalLoop(result);
        return;
    }
    ShowWindow(SW_HIDE);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::SetDefID(UINT id)
{
    if (Record* r = Find(m_hWnd)) r->defId = static_cast<int>(id);
}

DWORD CDialog::GetDefID() const
{
    Record* r = Find(m_hWnd);
    return r != nullptr ? MAKELPARAM(static_cast<unsigned>(r->defId), 0x534B) : 0;
}

void CDialog::NextDlgCtrl() const
{
    if (QWidget* w = QApplication::focusWidget()) w->nextInFocusChain()->setFocus(Qt::TabFocusReason);
}

void CDialog::GotoDlgCtrl(CWnd* control)
{
    if (control != nullptr) control->SetFocus();
}

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_INITDIALOG) {
        const BOOL focus = OnInitDialog();
        if (result != nullptr) *result = focus;
        return TRUE;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, result);
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    if (msg == nullptr || msg->message != WM_KEYDOWN || (msg->wParam != VK_RETURN && msg->wParam != VK_ESCAPE)) return FALSE;
    Record* target = Find(msg->hwnd);
    if (target == nullptr) return FALSE;
    // A dialog inside another window (a page) leaves the dialog keys to the window around it.
    if ((GetStyle() & WS_CHILD) != 0) return FALSE;
    // Only keys aimed at this dialog or at one of its controls.
    if (msg->hwnd != m_hWnd && !IsChild(CWnd::FromHandle(msg->hwnd))) return FALSE;
    if (msg->wParam == VK_ESCAPE) {
        CWnd* cancel = GetDlgItem(IDCANCEL);
        if (cancel != nullptr && !cancel->IsWindowEnabled()) return TRUE;
        SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(IDCANCEL), BN_CLICKED),
                    reinterpret_cast<LPARAM>(cancel != nullptr ? cancel->m_hWnd : nullptr));
        return TRUE;
    }
    if (target->behaviour->WantsReturn(*target)) return FALSE;
    // A focused push button is the one Enter presses.
    if (target != Find(m_hWnd) && target->className == "Button" && (target->style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON &&
        (target->style & BS_PUSHLIKE) == 0) {
        SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(target->ctrlId), BN_CLICKED), reinterpret_cast<LPARAM>(msg->hwnd));
        return TRUE;
    }
    Record* self = Find(m_hWnd);
    const int defId = self != nullptr ? self->defId : IDOK;
    CWnd* button = GetDlgItem(defId);
    if (button != nullptr && !button->IsWindowEnabled()) return TRUE;
    SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(defId), BN_CLICKED),
                reinterpret_cast<LPARAM>(button != nullptr ? button->m_hWnd : nullptr));
    return TRUE;
}
