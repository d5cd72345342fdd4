// Scroll bar controls.

#include "platform/ui/Controls.h"

#include "platform/ui/ControlsImpl.h"
#include "platform/ui/WndImpl.h"

#include <QScrollBar>

#include <algorithm>

namespace uiimpl {

namespace {

class ScrollBehaviour : public Behaviour {
public:
    QWidget* CreateWidget(Record& r, QWidget* parent) override
    {
        vertical_ = (r.style & SBS_VERT) != 0;
        bar_ = new QScrollBar(vertical_ ? Qt::Vertical : Qt::Horizontal, parent);
        Apply();
        return bar_;
    }
    int MaxPos() const { return std::max(min_, max_ - std::max(static_cast<int>(page_) - 1, 0)); }
    void Apply()
    {
        Guard guard(programmatic_);
        bar_->setRange(min_, MaxPos());
        bar_->setPageStep(std::max<int>(1, static_cast<int>(page_)));
        bar_->setSingleStep(1);
        bar_->setValue(pos_);
    }
    void Connect(Record& r) override
    {
        const HWND h = r.HandleValue();
        // An aligned scroll bar takes the system thickness at that edge of its rectangle.
        const int thickness = GetSystemMetrics(vertical_ ? SM_CXVSCROLL : SM_CYHSCROLL);
        const QRect g = bar_->geometry();
        if (vertical_ && (r.style & SBS_LEFTALIGN) != 0) bar_->setGeometry(g.left(), g.top(), thickness, g.height());
        else if (vertical_ && (r.style & SBS_RIGHTALIGN) != 0) bar_->setGeometry(g.right() + 1 - thickness, g.top(), thickness, g.height());
        else if (!vertical_ && (r.style & SBS_TOPALIGN) != 0) bar_->setGeometry(g.left(), g.top(), g.width(), thickness);
        else if (!vertical_ && (r.style & SBS_BOTTOMALIGN) != 0) bar_->setGeometry(g.left(), g.bottom() + 1 - thickness, g.width(), thickness);
        QObject::connect(bar_, &QAbstractSlider::actionTriggered, bar_, [h](int action) {
            Record* rec = Find(h);
            if (rec == nullptr) return;
            auto* self = static_cast<ScrollBehaviour*>(rec->behaviour.get());
            if (self->programmatic_) return;
            UINT code = SB_ENDSCROLL;
            int pos = 0;
            switch (action) {
            case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
            case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
            case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
            case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
            case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
            case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
            case QAbstractSlider::SliderMove:
                code = SB_THUMBTRACK;
                pos = self->bar_->sliderPosition();
                self->trackPos_ = pos;
                break;
            default: return;
            }
            // The thumb stays where the program puts it, except while it is dragged.
            if (code != SB_THUMBTRACK) self->bar_->setSliderPosition(self->pos_);
            self->Notify(*rec, code, pos);
        });
        QObject::connect(bar_, &QAbstractSlider::sliderReleased, bar_, [h] {
            Record* rec = Find(h);
            if (rec == nullptr) return;
            auto* self = static_cast<ScrollBehaviour*>(rec->behaviour.get());
            const int pos = self->trackPos_;
            self->Notify(*rec, SB_THUMBPOSITION, pos);
            if ((rec = Find(h)) == nullptr) return;
            self->Apply();
            self->Notify(*rec, SB_ENDSCROLL, 0);
        });
    }
    void Notify(Record& r, UINT code, int pos)
    {
        const HWND h = r.HandleValue();
        Send(r.parent, vertical_ ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, static_cast<unsigned>(pos & 0xFFFF)),
             reinterpret_cast<LPARAM>(h));
    }
    bool DefProc(Record&, UINT m, WPARAM w, LPARAM l, LRESULT& result) override
    {
        switch (m) {
        case SBM_SETSCROLLINFO: {
            auto* info = reinterpret_cast<SCROLLINFO*>(l);
            if (info == nullptr) return true;
            if ((info->fMask & SIF_RANGE) != 0) {
                min_ = info->nMin;
                max_ = std::max(info->nMin, info->nMax);
            }
            if ((info->fMask & SIF_PAGE) != 0) {
                const long long span = static_cast<long long>(max_) - min_ + 1;
                page_ = static_cast<UINT>(std::min<long long>(info->nPage, span));
            }
            if ((info->fMask & SIF_POS) != 0) pos_ = info->nPos;
            pos_ = Clamp(pos_, min_, MaxPos());
            Apply();
            result = pos_;
            return true;
        }
        case SBM_GETSCROLLINFO: {
            auto* info = reinterpret_cast<SCROLLINFO*>(l);
            if (info == nullptr) return true;
            if ((info->fMask & SIF_RANGE) != 0) {
                info->nMin = min_;
                info->nMax = max_;
            }
            if ((info->fMask & SIF_PAGE) != 0) info->nPage = page_;
            if ((info->fMask & SIF_POS) != 0) info->nPos = pos_;
            if ((info->fMask & SIF_TRACKPOS) != 0) info->nTrackPos = bar_->isSliderDown() ? trackPos_ : pos_;
            result = TRUE;
            return true;
        }
        case SBM_SETPOS: {
            result = pos_;
            pos_ = Clamp(static_cast<int>(static_cast<std::intptr_t>(w)), min_, MaxPos());
            Apply();
            return true;
        }
        case SBM_GETPOS: result = pos_; return true;
        case SBM_SETRANGE:
            min_ = static_cast<int>(static_cast<std::intptr_t>(w));
            max_ = std::max(min_, static_cast<int>(l));
            pos_ = Clamp(pos_, min_, MaxPos());
            Apply();
            return true;
        case SBM_GETRANGE:
            if (w != 0) *reinterpret_cast<int*>(w) = min_;
            if (l != 0) *reinterpret_cast<int*>(l) = max_;
            return true;
        default: return false;
        }
    }

private:
    QScrollBar* bar_ = nullptr;
    bool vertical_ = false;
    int min_ = 0;
    int max_ = 100;
    UINT page_ = 0;
    int pos_ = 0;
    int trackPos_ = 0;
    bool programmatic_ = false;
};

}  // namespace

std::unique_ptr<Behaviour> MakeScrollBehaviour() { return std::make_unique<ScrollBehaviour>(); }

}  // namespace uiimpl

CScrollBar* AfxScrollBarFromHandle(HWND hwnd) { return dynamic_cast<CScrollBar*>(CWnd::FromHandle(hwnd)); }

// ---- CScrollBar ----
BOOL CScrollBar::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create("ScrollBar", "", style, rect, parent, id); }
BOOL CScrollBar::SetScrollInfo(LPSCROLLINFO info, BOOL redraw)
{
    if (info == nullptr) return FALSE;
    SendMessage(SBM_SETSCROLLINFO, static_cast<WPARAM>(redraw), reinterpret_cast<LPARAM>(info));
    return TRUE;
}
BOOL CScrollBar::GetScrollInfo(LPSCROLLINFO info, UINT mask) const
{
    if (info == nullptr) return FALSE;
    info->fMask = mask;
    return static_cast<BOOL>(const_cast<CScrollBar*>(this)->SendMessage(SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
}
int CScrollBar::SetScrollPos(int pos, BOOL redraw) { return static_cast<int>(SendMessage(SBM_SETPOS, static_cast<WPARAM>(static_cast<std::intptr_t>(pos)), redraw)); }
int CScrollBar::GetScrollPos() const { return static_cast<int>(const_cast<CScrollBar*>(this)->SendMessage(SBM_GETPOS)); }
void CScrollBar::SetScrollRange(int minPos, int maxPos, BOOL) { SendMessage(SBM_SETRANGE, static_cast<WPARAM>(static_cast<std::intptr_t>(minPos)), maxPos); }
void CScrollBar::GetScrollRange(int* minPos, int* maxPos) const
{
    const_cast<CScrollBar*>(this)->SendMessage(SBM_GETRANGE, reinterpret_cast<WPARAM>(minPos), reinterpret_cast<LPARAM>(maxPos));
}
void CScrollBar::ShowScrollBar(BOOL show) { ShowWindow(show ? SW_SHOWNA : SW_HIDE); }
BOOL CScrollBar::EnableScrollBar(UINT arrows)
{
    EnableWindow(arrows != ESB_DISABLE_BOTH);
    return TRUE;
}
int CScrollBar::GetScrollLimit() const
{
    SCROLLINFO info;
    GetScrollInfo(&info, SIF_RANGE | SIF_PAGE);
    return std::max(info.nMin, info.nMax - std::max(static_cast<int>(info.nPage) - 1, 0));
}
