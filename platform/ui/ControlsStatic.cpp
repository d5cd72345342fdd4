// Static texts, frames and icons.

#include "platform/ui/Controls.h"

#include "platform/gdi/GdiInternal.h"
#include "platform/ui/ControlsImpl.h"
#include "platform/ui/WndImpl.h"

#include <QLabel>
#include <QPixmap>

namespace uiimpl {

namespace {

class StaticBehaviour : public Behaviour {
public:
    explicit StaticBehaviour(DWORD style) : style_(style) {}
    QWidget* CreateWidget(Record&, QWidget* parent) override
    {
        label_ = new QLabel(parent);
        label_->setTextFormat(Qt::PlainText);
        const UINT type = style_ & SS_TYPEMASK;
        Qt::Alignment align = Qt::AlignTop;
        align |= type == SS_CENTER ? Qt::AlignHCenter : type == SS_RIGHT ? Qt::AlignRight : Qt::AlignLeft;
        if ((style_ & SS_CENTERIMAGE) != 0) align = (align & ~Qt::AlignTop) | Qt::AlignVCenter;
        label_->setAlignment(align);
        label_->setWordWrap(type <= SS_RIGHT);
        if ((style_ & SS_SUNKEN) != 0) label_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // Plain statics let the mouse through to the window below, as on Windows.
        if ((style_ & SS_NOTIFY) == 0) label_->setAttribute(Qt::WA_TransparentForMouseEvents);
        return label_;
    }
    void SetText(Record& r, const std::string& text) override
    {
        r.text = text;
        // Statics break lines at "\n" and at "\r\n" alike.
        QString shown = WithoutMnemonics(ToQ(text));
        shown.remove(QLatin1Char('\r'));
        label_->setText(shown);
    }
    bool DefProc(Record&, UINT m, WPARAM w, LPARAM, LRESULT& result) override
    {
        constexpr UINT STM_SETICON = 0x0170;
        constexpr UINT STM_GETICON = 0x0171;
        if (m == STM_SETICON) {
            result = static_cast<LRESULT>(icon_);
            icon_ = static_cast<DWORD>(w);
            const QImage image = gdi::IconToImage(icon_);
            if (!image.isNull()) label_->setPixmap(QPixmap::fromImage(image));
            return true;
        }
        if (m == STM_GETICON) {
            result = static_cast<LRESULT>(icon_);
            return true;
        }
        return false;
    }

private:
    DWORD style_;
    QLabel* label_ = nullptr;
    DWORD icon_ = 0;
};

}  // namespace

std::unique_ptr<Behaviour> MakeStaticBehaviour(DWORD style) { return std::make_unique<StaticBehaviour>(style); }

}  // namespace uiimpl

// ---- CStatic ----
BOOL CStatic::Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create("Static", text, style, rect, parent, id);
}
HICON CStatic::SetIcon(HICON icon) { return static_cast<DWORD>(SendMessage(0x0170, icon)); }
HICON CStatic::GetIcon() const { return static_cast<DWORD>(const_cast<CStatic*>(this)->SendMessage(0x0171)); }
