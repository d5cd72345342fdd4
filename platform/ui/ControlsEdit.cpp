// Edit controls, single- and multi-line.

#include "platform/ui/Controls.h"

#include "platform/ui/ControlsImpl.h"
#include "platform/ui/WndImpl.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QValidator>

#include <algorithm>

namespace uiimpl {

namespace {

std::string ToCrLf(const QString& text)
{
    std::string s = FromQ(text);
    std::string out;
    out.reserve(s.size() + s.size() / 16);
    for (char c : s) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

QString FromCrLf(const std::string& text)
{
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != '\r') s += c;
    return ToQ(s);
}

// An ES_NUMBER edit takes digits from the user, typed, pasted or dropped; a change that would
// bring in anything else is refused whole. Text the program sets is not the user's and may hold
// anything, so the rule is that the user's change adds no character other than a digit to what
// was there: the non-digits of the new text must be those of the old, in order.
class DigitsOnly : public QValidator {
public:
    explicit DigitsOnly(QLineEdit* edit) : QValidator(edit)
    {
        shown_ = edit->text();
        QObject::connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { shown_ = text; });
    }

    State validate(QString& input, int&) const override
    {
        if (fromCode) return Acceptable;
        qsizetype kept = 0;
        for (const QChar c : input) {
            if (IsDigit(c)) continue;
            while (kept < shown_.size() && (IsDigit(shown_[kept]) || shown_[kept] != c)) ++kept;
            if (kept == shown_.size()) return Invalid;
            ++kept;
        }
        return Acceptable;
    }

    // Set while the program inserts text (EM_REPLACESEL): that is never filtered.
    bool fromCode = false;

private:
    // The spin beside such an edit reads ASCII decimal digits, and so does every caller.
    static bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
    QString shown_;
};

class EditBehaviour : public Behaviour {
public:
    explicit EditBehaviour(DWORD style) : style_(style) {}
    bool Multi() const { return (style_ & ES_MULTILINE) != 0; }

    QWidget* CreateWidget(Record& r, QWidget* parent) override
    {
        const bool frame = (r.exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) != 0 || (r.style & WS_BORDER) != 0;
        if (Multi()) {
            multi_ = new QPlainTextEdit(parent);
            multi_->setReadOnly((style_ & ES_READONLY) != 0);
            multi_->setLineWrapMode((r.style & WS_HSCROLL) != 0 || (style_ & ES_AUTOHSCROLL) != 0 ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
            multi_->setVerticalScrollBarPolicy((r.style & WS_VSCROLL) != 0 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
            multi_->setTabChangesFocus(true);
            if (!frame) multi_->setFrameStyle(QFrame::NoFrame);
            return multi_;
        }
        line_ = new QLineEdit(parent);
        line_->setReadOnly((style_ & ES_READONLY) != 0);
        line_->setFrame(frame);
        if ((style_ & ES_PASSWORD) != 0) line_->setEchoMode(QLineEdit::Password);
        const UINT align = style_ & 3;
        line_->setAlignment(align == ES_CENTER ? Qt::AlignHCenter : align == ES_RIGHT ? Qt::AlignRight : Qt::AlignLeft);
        if ((style_ & ES_NUMBER) != 0) {
            digits_ = new DigitsOnly(line_);
            line_->setValidator(digits_);
        }
        return line_;
    }

    void Connect(Record& r) override
    {
        const HWND h = r.HandleValue();
        auto changed = [h] {
            if (Record* rec = Find(h)) NotifyParent(*rec, EN_CHANGE);
        };
        if (multi_ != nullptr) QObject::connect(multi_, &QPlainTextEdit::textChanged, multi_, changed);
        if (line_ != nullptr) QObject::connect(line_, &QLineEdit::textChanged, line_, changed);
    }

    bool WantsReturn(const Record&) const override { return Multi() && (style_ & ES_WANTRETURN) != 0; }

    void SetText(Record& r, const std::string& text) override
    {
        r.text = text;
        if (multi_ != nullptr) multi_->setPlainText(FromCrLf(text));
        if (line_ != nullptr) line_->setText(ToQ(text));
    }

    std::string GetText(const Record&) const override
    {
        if (multi_ != nullptr) return ToCrLf(multi_->toPlainText());
        return line_ != nullptr ? FromQ(line_->text()) : std::string();
    }

    int Length() const { return multi_ != nullptr ? multi_->document()->characterCount() - 1 : line_->text().size(); }

    void SetSel(int start, int end)
    {
        const int length = Length();
        if (start < 0) {
            if (line_ != nullptr) line_->deselect();
            if (multi_ != nullptr) {
                QTextCursor c = multi_->textCursor();
                c.clearSelection();
                multi_->setTextCursor(c);
            }
            return;
        }
        if (end < 0 || end > length) end = length;
        start = Clamp(start, 0, length);
        if (line_ != nullptr) line_->setSelection(start, end - start);
        if (multi_ != nullptr) {
            QTextCursor c = multi_->textCursor();
            c.setPosition(start);
            c.setPosition(end, QTextCursor::KeepAnchor);
            multi_->setTextCursor(c);
        }
    }

    void GetSel(int& start, int& end) const
    {
        if (line_ != nullptr) {
            if (line_->hasSelectedText()) {
                start = line_->selectionStart();
                end = start + line_->selectedText().size();
            } else {
                start = end = line_->cursorPosition();
            }
        } else {
            const QTextCursor c = multi_->textCursor();
            start = c.selectionStart();
            end = c.selectionEnd();
        }
    }

    bool DefProc(Record&, UINT m, WPARAM w, LPARAM l, LRESULT& result) override
    {
        switch (m) {
        case EM_SETSEL: SetSel(static_cast<int>(static_cast<std::intptr_t>(w)), static_cast<int>(l)); return true;
        case EM_GETSEL: {
            int s = 0;
            int e = 0;
            GetSel(s, e);
            if (w != 0) *reinterpret_cast<DWORD*>(w) = static_cast<DWORD>(s);
            if (l != 0) *reinterpret_cast<DWORD*>(l) = static_cast<DWORD>(e);
            result = MAKELPARAM(static_cast<unsigned>(s), static_cast<unsigned>(e));
            return true;
        }
        case EM_SCROLLCARET:
            if (multi_ != nullptr) multi_->ensureCursorVisible();
            return true;
        case EM_REPLACESEL: {
            const char* text = reinterpret_cast<const char*>(l);
            if (line_ != nullptr) {
                bool unused = false;
                Guard open(digits_ != nullptr ? digits_->fromCode : unused);
                line_->insert(ToQ(text));
            }
            if (multi_ != nullptr) multi_->textCursor().insertText(FromCrLf(text != nullptr ? text : ""));
            return true;
        }
        case EM_SETREADONLY:
            style_ = w != 0 ? (style_ | ES_READONLY) : (style_ & ~ES_READONLY);
            if (line_ != nullptr) line_->setReadOnly(w != 0);
            if (multi_ != nullptr) multi_->setReadOnly(w != 0);
            result = TRUE;
            return true;
        case EM_LIMITTEXT:
            if (line_ != nullptr) line_->setMaxLength(w == 0 ? 32767 : static_cast<int>(std::min<WPARAM>(w, 0x7FFFFFFF)));
            return true;
        case EM_GETLINECOUNT:
            result = multi_ != nullptr ? multi_->document()->blockCount() : 1;
            return true;
        default: return false;
        }
    }

private:
    DWORD style_;
    QLineEdit* line_ = nullptr;
    QPlainTextEdit* multi_ = nullptr;
    DigitsOnly* digits_ = nullptr;
};

}  // namespace

std::unique_ptr<Behaviour> MakeEditBehaviour(DWORD style) { return std::make_unique<EditBehaviour>(style); }

}  // namespace uiimpl

using uiimpl::Text;

// ---- CEdit ----
BOOL CEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create("Edit", "", style, rect, parent, id); }
void CEdit::SetSel(int start, int end, BOOL noScroll)
{
    SendMessage(EM_SETSEL, static_cast<WPARAM>(static_cast<std::intptr_t>(start)), end);
    if (!noScroll) SendMessage(EM_SCROLLCARET);
}
void CEdit::SetSel(DWORD selection, BOOL noScroll)
{
    SetSel(static_cast<short>(LOWORD(selection)), static_cast<short>(HIWORD(selection)), noScroll);
}
void CEdit::GetSel(int& start, int& end) const
{
    DWORD s = 0;
    DWORD e = 0;
    const_cast<CEdit*>(this)->SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    start = static_cast<int>(s);
    end = static_cast<int>(e);
}
DWORD CEdit::GetSel() const { return static_cast<DWORD>(const_cast<CEdit*>(this)->SendMessage(EM_GETSEL)); }
void CEdit::ReplaceSel(const char* text, BOOL canUndo) { SendMessage(EM_REPLACESEL, canUndo, Text(text)); }
BOOL CEdit::SetReadOnly(BOOL readOnly) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, readOnly)); }
void CEdit::LimitText(int chars) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(std::max(0, chars))); }
int CEdit::GetLineCount() const { return static_cast<int>(const_cast<CEdit*>(this)->SendMessage(EM_GETLINECOUNT)); }
