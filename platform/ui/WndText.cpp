// CWnd: window texts, dialog items, fonts, icons and data exchange.

#include "platform/ui/Wnd.h"

#include "platform/ui/DataExchange.h"
#include "platform/ui/HandlePixmaps.h"
#include "platform/ui/WndImpl.h"

#include <QIcon>
#include <QPixmap>

using namespace uiimpl;

void CWnd::SetWindowText(const char* text)
{
    const std::string copy = text != nullptr ? text : "";
    if (!OnUiThread()) {
        const HWND h = m_hWnd;
        PostToUi([h, copy] { Send(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str())); });
        return;
    }
    SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
}

int CWnd::GetWindowText(char* buffer, int maxCount) const
{
    if (buffer == nullptr || maxCount <= 0) return 0;
    return static_cast<int>(uiimpl::Send(m_hWnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

void CWnd::GetWindowText(CString& text) const
{
    Record* r = Find(m_hWnd);
    text = r != nullptr ? CString(r->behaviour->GetText(*r)) : CString();
}

int CWnd::GetWindowTextLength() const
{
    Record* r = Find(m_hWnd);
    return r != nullptr ? static_cast<int>(r->behaviour->GetText(*r).size()) : 0;
}

void CWnd::SetDlgItemText(int id, const char* text)
{
    if (CWnd* item = GetDlgItem(id)) item->SetWindowText(text);
}

int CWnd::GetDlgItemText(int id, CString& text) const
{
    text.Empty();
    if (CWnd* item = GetDlgItem(id)) item->GetWindowText(text);
    return text.GetLength();
}

UINT CWnd::GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const
{
    CString text;
    GetDlgItemText(id, text);
    char* end = nullptr;
    const char* s = text.c_str();
    while (*s == ' ') ++s;
    errno = 0;
    const long long v = std::strtoll(s, &end, 10);
    bool ok = end != s && errno == 0;
    while (ok && *end == ' ') ++end;
    ok = ok && *end == '\0';
    if (ok && !isSigned && (v < 0 || v > 0xFFFFFFFFLL)) ok = false;
    if (ok && isSigned && (v < INT32_MIN || v > INT32_MAX)) ok = false;
    if (translated != nullptr) *translated = ok;
    return ok ? static_cast<UINT>(v) : 0;
}

void CWnd::SetDlgItemInt(int id, UINT value, BOOL isSigned)
{
    SetDlgItemText(id, isSigned ? StringFormat("%d", static_cast<int>(value)).c_str() : StringFormat("%u", value).c_str());
}

void CWnd::CheckDlgButton(int id, UINT check)
{
    if (CWnd* item = GetDlgItem(id)) item->SendMessage(BM_SETCHECK, check, 0);
}

UINT CWnd::IsDlgButtonChecked(int id) const
{
    CWnd* item = GetDlgItem(id);
    return item != nullptr ? static_cast<UINT>(item->SendMessage(BM_GETCHECK, 0, 0)) : 0;
}

void CWnd::CheckRadioButton(int firstId, int lastId, int checkId)
{
    for (int id = firstId; id <= lastId; ++id) CheckDlgButton(id, id == checkId ? BST_CHECKED : BST_UNCHECKED);
}

int CWnd::GetCheckedRadioButton(int firstId, int lastId) const
{
    for (int id = firstId; id <= lastId; ++id)
        if (IsDlgButtonChecked(id) == BST_CHECKED) return id;
    return 0;
}

void CWnd::SetFont(CFont* font, BOOL redraw)
{
    SendMessage(WM_SETFONT, font != nullptr ? static_cast<WPARAM>(font->m_hObject) : 0, redraw);
}

CFont* CWnd::GetFont() const
{
    Record* r = Find(m_hWnd);
    return r != nullptr ? r->font : nullptr;
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr) return 0;
    HICON& slot = bigIcon ? r->bigIcon : r->smallIcon;
    const HICON old = slot;
    slot = icon;
    const QPixmap picture = PixmapOfHandle(icon);
    if (r->widget != nullptr && r->widget->isWindow() && !picture.isNull()) r->widget->setWindowIcon(QIcon(picture));
    return old;
}

HICON CWnd::GetIcon(BOOL bigIcon) const
{
    Record* r = Find(m_hWnd);
    return r == nullptr ? 0 : bigIcon ? r->bigIcon : r->smallIcon;
}

BOOL CWnd::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CUserException&) {
        return FALSE;
    }
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}
